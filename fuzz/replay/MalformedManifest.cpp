// Checks every file of a folder of malformed containers against the folder's
// MANIFEST, one line per file:
//   OK <crc32> NAME    the file loads; <crc32> (8 hex digits) is the CRC-32 of
//                      the RGBA renders of all its rows, one after another,
//                      each row decoded on a fresh (all black) palette with
//                      no options, as `zpk export` renders it
//   BAD <error> NAME   loading fails with that ErrorCode (TooShort, ...)
// Lines starting with '#' are comments. A file without a line fails the
// check, so that a new regression file cannot be forgotten.
//   malformed_manifest DIR            check
//   malformed_manifest DIR --write    print the lines for the files as they are
#include "FuzzSupport.h"

#include "container/Container.h"
#include "decode/Decoder.h"
#include "draw/Draw.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace zpk;
namespace fs = std::filesystem;

namespace {

const char* codeName(ErrorCode code)
{
    switch (code) {
    case ErrorCode::CannotOpen: return "CannotOpen";
    case ErrorCode::TooShort: return "TooShort";
    case ErrorCode::TooLarge: return "TooLarge";
    case ErrorCode::NotRegularFile: return "NotRegularFile";
    case ErrorCode::NoData: return "NoData";
    case ErrorCode::EmptyImage: return "EmptyImage";
    case ErrorCode::InvalidImage: return "InvalidImage";
    case ErrorCode::CannotEncode: return "CannotEncode";
    case ErrorCode::InvalidPalette: return "InvalidPalette";
    case ErrorCode::CannotPack: return "CannotPack";
    case ErrorCode::WriteFailed: return "WriteFailed";
    case ErrorCode::Exists: return "Exists";
    case ErrorCode::CannotMakeFolder: return "CannotMakeFolder";
    case ErrorCode::Busy: return "Busy";
    case ErrorCode::ChangedOnDisk: return "ChangedOnDisk";
    case ErrorCode::WriteProtected: return "WriteProtected";
    case ErrorCode::OutOfMemory: return "OutOfMemory";
    case ErrorCode::Internal: return "Internal";
    case ErrorCode::CannotEncodeGif: return "CannotEncodeGif";
    case ErrorCode::NoFrames: return "NoFrames";
    case ErrorCode::Cancelled: return "Cancelled";
    }
    return "?";
}

// "OK <crc>" or "BAD <code>" for one file.
std::string outcome(const fs::path& path)
{
    auto loaded = loadContainer(path.string());
    if (!loaded) return std::string("BAD ") + codeName(loaded.error().code);
    std::uint32_t crc = 0;
    for (int row = 0; row < loaded->rowCount(); ++row) {
        Palette palette{};
        const DecodedImage image = decodeEntry(*loaded, row, palette);
        const RgbaImage rgba = renderRgba(image, palette, DropFirst::Off);
        crc = fuzz::crc32Update(crc, rgba.rgba);
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", crc);
    return std::string("OK ") + hex;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3 || (argc == 3 && std::string(argv[2]) != "--write")) {
        std::fprintf(stderr, "usage: malformed_manifest DIR [--write]\n");
        return 2;
    }
    const fs::path dir(argv[1]);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name != "MANIFEST" && name.rfind("README", 0) != 0 &&
            name.front() != '.')
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());

    if (argc == 3) {
        for (const auto& name : names) std::printf("%s %s\n", outcome(dir / name).c_str(), name.c_str());
        return 0;
    }

    std::map<std::string, std::string> expected;
    std::ifstream manifest(dir / "MANIFEST");
    if (!manifest) {
        std::fprintf(stderr, "malformed_manifest: %s: no MANIFEST\n", dir.string().c_str());
        return 1;
    }
    std::string line;
    int lineNumber = 0;
    int failures = 0;
    while (std::getline(manifest, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string kind, value, name;
        if (!(words >> kind >> value >> name) || (kind != "OK" && kind != "BAD")) {
            std::fprintf(stderr, "MANIFEST:%d: cannot read \"%s\"\n", lineNumber, line.c_str());
            ++failures;
            continue;
        }
        expected[name] = kind + " " + value;
    }
    for (const auto& [name, want] : expected) {
        if (!fs::is_regular_file(dir / name)) {
            std::fprintf(stderr, "%s: listed in MANIFEST but missing\n", name.c_str());
            ++failures;
        }
    }
    for (const auto& name : names) {
        const auto it = expected.find(name);
        if (it == expected.end()) {
            std::fprintf(stderr, "%s: not in MANIFEST\n", name.c_str());
            ++failures;
            continue;
        }
        const std::string got = outcome(dir / name);
        if (got != it->second) {
            std::fprintf(stderr, "%s: expected %s, got %s\n", name.c_str(), it->second.c_str(), got.c_str());
            ++failures;
        }
    }
    std::fprintf(stderr, "malformed_manifest: %zu files, %d failures\n", names.size(), failures);
    return failures == 0 ? 0 : 1;
}

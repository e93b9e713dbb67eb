// Runs a fuzz target's LLVMFuzzerTestOneInput over files, without libFuzzer:
// every argument is a file or a folder whose regular files (but MANIFEST and
// README files) are fed in name order. A failed check aborts, which fails
// the CTest test that runs it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

bool isInput(const fs::path& path)
{
    const std::string name = path.filename().string();
    return name != "MANIFEST" && name.rfind("README", 0) != 0 && name.front() != '.';
}

std::vector<std::uint8_t> readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        if (fs::is_directory(arg)) {
            for (const auto& entry : fs::directory_iterator(arg)) {
                if (entry.is_regular_file() && isInput(entry.path())) files.push_back(entry.path());
            }
        } else if (fs::is_regular_file(arg)) {
            files.push_back(arg);
        } else {
            std::fprintf(stderr, "replay: %s: no such file or folder\n", argv[i]);
            return 2;
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "replay: no inputs\n");
        return 2;
    }
    for (const auto& path : files) {
        const auto bytes = readAll(path);
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", path.string().c_str(), bytes.size());
        // libFuzzer never passes a null pointer; neither do we
        static const std::uint8_t empty = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &empty : bytes.data(), bytes.size());
    }
    std::fprintf(stderr, "replay: %zu inputs, all passed\n", files.size());
    return 0;
}

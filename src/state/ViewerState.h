// The viewer state that outlives one event: the loaded container file, its
// entry table and list texts, and the palette, which persists from one
// render to the next.
#pragma once

#include "state/ByteReader.h"
#include "state/FileBytes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zpk {

// A colour value: red in bits 0-7, green in bits 8-15, blue in bits 16-23.
using Colour = std::uint32_t;

constexpr Colour makeColour(unsigned red, unsigned green, unsigned blue)
{
    return (red > 255 ? 255u : red) | ((green > 255 ? 255u : green) << 8) |
           ((blue > 255 ? 255u : blue) << 16);
}
constexpr unsigned redOf(Colour c) { return c & 0xFFu; }
constexpr unsigned greenOf(Colour c) { return (c >> 8) & 0xFFu; }
constexpr unsigned blueOf(Colour c) { return (c >> 16) & 0xFFu; }

// Pixel value v is drawn in palette entry v + 2, and v is a byte, so entries
// past 257 can never colour a pixel and are not stored. Entry 0 is never
// written; an entry never filled reads as black.
constexpr int kPaletteEntries = 258;
using Palette = std::array<Colour, kPaletteEntries>;

// The entry count is one byte, so a container lists at most 255 entries.
constexpr int kMaxEntries = 255;

// What tells one version of a file from another: which file it is (its
// device and inode), its length, the time its contents were last changed
// and the time the inode was (which no program can set back).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t length = 0;
    std::int64_t changedSeconds = 0;
    std::int64_t changedNanoseconds = 0;
    std::int64_t inodeChangedSeconds = 0;
    std::int64_t inodeChangedNanoseconds = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
    // The same file, whatever its contents now.
    bool sameFile(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
};

struct ContainerFile {
    std::string filePath;
    // The file as it was when it was read; nothing for a stream or bytes
    // that were never a file.
    std::optional<FileIdentity> identity;
    std::int32_t fileLength = 0;
    // The whole file and one zero byte behind it (fileLength + 1 bytes);
    // empty while no file is loaded.
    FileBytes fileBytes;
    int entryCount = 0;
    // entryOffsets[j] is entry j's position: its start offset plus 1. The
    // table has one element per list row (also row 0, whose position the
    // list text gives as well).
    std::vector<std::int64_t> entryOffsets;
    // The text of each list row: the decimal start offset of the entry plus 3.
    std::vector<std::string> listTexts;

    bool isLoaded() const { return !fileBytes.empty(); }
    int rowCount() const { return static_cast<int>(listTexts.size()); }
    ByteReader reader() const { return ByteReader(fileBytes.span()); }

    // Start offset of the entry of `row` (its first byte, the width's low byte).
    std::int64_t entryOffset(int row) const { return entryOffsets[static_cast<std::size_t>(row)] - 1; }
    // The list text's number: the entry's first byte plus 3, where the
    // height's high byte lies.
    std::int64_t entryStart(int row) const { return entryOffset(row) + 3; }
    // The first byte of the next entry, or fileLength for the last row.
    std::int64_t entryEnd(int row) const { return row + 1 < rowCount() ? entryOffset(row + 1) : fileLength; }
};

struct ViewerState {
    ContainerFile file;
    Palette palette{};
};

}  // namespace zpk

// Reading a container file into the entry table and list texts.
//
// Layout (offsets from the start of the file, counted from 0):
//   0   28 bytes   not read
//   28  1 byte     entry count N, unsigned
//   29  1 byte     not read
//   30  2N bytes   sizes, unsigned 16-bit little-endian; entry j's at 30 + 2j
//   30 + 2N        the entries, back to back in table order
// Entry 0 starts right after the size table, at S(0) = 30 + 2N, and entry j
// at S(j) = S(j-1) + size(j-1). The last entry runs to the end of the file:
// its size is never read. No signature, version or total size is checked.
#pragma once

#include "io/InputFile.h"
#include "state/FileBytes.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zpk {

// Lengths must fit a signed 32-bit integer, so files of 2 GiB or more are
// refused before anything is allocated.
constexpr std::int64_t kMaxFileLength = 0x7FFFFFFF;

// The file length the header of a container with this count byte needs: the
// count itself (offset 28), and the N - 1 sizes that are read.
std::int64_t headerLength(int entryCount);

// Parses file contents already in memory (without the zero byte behind them;
// it is added here).
Result<ContainerFile> parseContainer(std::vector<std::uint8_t> contents, std::string path = {});
// Parses a whole file's bytes, the zero byte behind them included, and keeps them.
Result<ContainerFile> parseContainerBytes(FileBytes bytes, std::string path);

// The entry table of a file of `length` bytes whose first bytes are
// `header` (at least headerLength(count) of them, when the file is that
// long). The file's bytes are not kept.
Result<ContainerFile> parseContainerTable(std::span<const std::uint8_t> header, std::int64_t length,
                                          std::string path);

// The loads below read files; the functions above only parse bytes.

// Reads the file at `path` whole and parses it. Nothing is changed on error.
// With Streams::ReadToEnd, kStandardInput reads standard input.
Result<ContainerFile> loadContainer(const std::string& path, Streams streams = Streams::Refused);

// Reads the regular file open on `fd` whole and parses it, as
// loadContainer does; `path` names it. Anything but a regular file is
// ErrorCode::NotRegularFile.
Result<ContainerFile> loadOpenContainer(int fd, const std::string& path);

// What a listing needs of a container, without its pixels: the entry table
// and list texts (`table`, whose fileBytes stay empty), and the first four
// bytes of each row's entry, its width and height, or nothing when they lie
// past the end of the file (past the zero byte behind it).
struct ContainerIndex {
    ContainerFile table;
    std::vector<std::optional<std::array<std::uint8_t, 4>>> heads;  // one per list row
};

// Reads only the header of the file at `path` and four bytes of each entry,
// at their positions, so that a listing of a large file costs little. A
// stream is read whole (it cannot be read at positions). Errors are those of
// loadContainer.
Result<ContainerIndex> loadContainerIndex(const std::string& path, Streams streams = Streams::Refused);

// The index of a container already in memory.
ContainerIndex indexOf(const ContainerFile& file);

// The bytes of list row `row`'s entry as the file holds them: from its
// offset up to the next row's (the last row: to the end of the file),
// clipped to the file; empty when the entry starts at or past the end of the
// file or the row does not exist.
std::span<const std::uint8_t> entrySpan(const ContainerFile& file, int row);

// The rows the header of the container at `path` announces (its list
// rows), reading the count and the size table only; 0 when the file cannot
// be read, is no container, or is not a regular file (a stream cannot be
// read twice).
int announcedRowCount(const std::string& path);

}  // namespace zpk

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

#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zpk {

// Lengths must fit a signed 32-bit integer, so files of 2 GiB or more are
// refused before anything is allocated.
constexpr std::int64_t kMaxFileLength = 0x7FFFFFFF;

// The file length the header of a container with this count byte needs: the
// count itself (offset 28), and the N - 1 sizes that are read.
std::int64_t headerLength(int entryCount);

// What a load does with a file that has no length to read up to: a pipe, a
// FIFO, a terminal or another device.
enum class Streams {
    Refused,    // ErrorCode::NotRegularFile, at once (a window must not wait on a pipe)
    ReadToEnd,  // read until its end; more than kMaxFileLength bytes is ErrorCode::TooLarge
};

// The path that names standard input when streams are read.
inline constexpr const char* kStandardInput = "-";

// Reads the file at `path` whole and parses it. Nothing is changed on error.
// With Streams::ReadToEnd, kStandardInput reads standard input.
Result<ContainerFile> loadContainer(const std::string& path, Streams streams = Streams::Refused);

// Parses file contents already in memory (without the zero byte behind them;
// it is added here).
Result<ContainerFile> parseContainer(std::vector<std::uint8_t> contents, std::string path = {});

// The rows the header of the container at `path` announces (its list
// rows), reading the count and the size table only; 0 when the file cannot
// be read, is no container, or is not a regular file (a stream cannot be
// read twice).
int announcedRowCount(const std::string& path);

}  // namespace zpk

// Opening and reading an input file, the one way every floor does it: a
// folder is refused, and so are sockets and block devices; a FIFO, a
// terminal or standard input is read to its end only when the caller takes
// streams, never waited on otherwise; a size ceiling given by the caller is
// never read past.
#pragma once

#include "io/FileHandle.h"
#include "state/FileBytes.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <string>

namespace zpk {

// What a reader does with a file that has no length to read up to: a pipe,
// a FIFO, a terminal or another character device.
enum class Streams {
    Refused,    // ErrorCode::NotRegularFile, at once (a window must not wait on a pipe)
    ReadToEnd,  // read until its end; more than the ceiling is ErrorCode::TooLarge
};

// The path that names standard input when streams are read.
inline constexpr const char* kStandardInput = "-";

// An input file, open: a regular file with its length and identity, or a
// stream to read to its end.
struct InputFile {
    FileHandle handle;
    bool regular = true;
    std::int64_t length = 0;  // of a regular file
    FileIdentity identity;    // of a regular file
};

// Opens `path` (with Streams::ReadToEnd, kStandardInput is standard input).
// A folder is ErrorCode::CannotOpen with EISDIR; a socket or a block device
// is ErrorCode::NotRegularFile, and so is any stream when streams are
// refused (opened without blocking then, so that a FIFO is not waited on);
// a regular file longer than `ceiling` is ErrorCode::TooLarge with its
// length. Every error carries `path`.
Result<InputFile> openInput(const std::string& path, Streams streams, std::int64_t ceiling);

// The same checks for a file already open on `handle`.
Result<InputFile> examineInput(FileHandle handle, const std::string& path, Streams streams,
                               std::int64_t ceiling);

// The whole of `file`: a regular file's length as it was when opened (a
// file that shrank meanwhile leaves zeros behind its end, one that grew is
// cut), or a stream to its end, which is ErrorCode::TooLarge past
// `ceiling` (one byte more is read to tell). The bytes have a zero byte
// behind them.
Result<FileBytes> readInput(const InputFile& file, const std::string& path, std::int64_t ceiling);

// The first `length` bytes of the regular file `file`, zero-filled past its end.
Result<FileBytes> readInputStart(const InputFile& file, std::int64_t length, const std::string& path);

// Reads `length` bytes at `offset` of the regular file open on `fd` into
// `to`; what lies past its end (a file that shrank meanwhile) is left as
// zeros. 0 or an errno.
int readZeroFilled(int fd, std::uint8_t* to, std::size_t length, std::int64_t offset);

// The identity of the file `path` leads to (links followed), or the errno
// of a failed stat.
Result<FileIdentity> fileIdentity(const std::string& path);
// The identity of the file open on `fd`.
Result<FileIdentity> fileIdentity(int fd);

}  // namespace zpk

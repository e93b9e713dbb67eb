// Writing a whole output file so that a failure leaves nothing behind.
#pragma once

#include "state/Result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zpk {

// What a successful write produced.
struct WrittenFile {
    std::string path;  // where the bytes went: the file a link led to, or the path given
    std::size_t bytes = 0;
};

// What to do when something of the output's name exists already.
enum class Overwrite {
    Replace,  // the new file takes its place
    Refuse,   // it stays as it was, and the write fails with ErrorCode::Exists
};

// Writes a whole file so that no failure, crash or signal leaves a partial
// file or a stray temporary behind, and so that no file is lost:
//   - a symbolic link is followed to the end of its chain, and the file it
//     leads to is written (a dangling link: the file is made where it
//     points); the link itself stays;
//   - an existing character device or FIFO is written to directly (that is
//     what "-o /dev/stdout" means); a folder, a socket or a block device is
//     never replaced: the write fails;
//   - a name of the program's own standard output or error is written
//     through that descriptor, and a file reached through a link under /proc
//     (an open file of some process) is written in place, truncated first:
//     replacing it would take it from under its owner, so there a failed
//     write can leave it cut short;
//   - otherwise the bytes go to a temporary file with a short name of its
//     own in the target's folder (so any name the folder takes can be
//     written), synced to disk and then renamed over the target in one
//     step; an existing file's mode is kept (and its owner, for root).
// With Overwrite::Refuse an existing target is kept and the write fails
// with ErrorCode::Exists (decided by the rename itself, so a file that
// appears meanwhile is not clobbered either). On failure the temporary file
// is removed and the target is left as it was; errors are
// ErrorCode::WriteFailed with the system's errno, ErrorCode::Exists, or
// ErrorCode::NotRegularFile.
Result<WrittenFile> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                        Overwrite overwrite);

// writeFileAtomically(path, bytes, Overwrite::Replace).
Result<WrittenFile> writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes everything to an open descriptor; 0 or the errno of the first
// failure (a pipe closed by its reader gives EPIPE).
int writeAll(int fd, std::span<const std::uint8_t> bytes);

}  // namespace zpk

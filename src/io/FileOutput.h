// Writing a whole output file so that a failure leaves nothing behind.
#pragma once

#include "state/ByteSink.h"
#include "state/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
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

// The bytes of a file, as pieces written one after another (a container
// rewritten from the file it was read from is mostly pieces of that file).
using ByteParts = std::span<const std::span<const std::uint8_t>>;

// When a new file is synced to disk.
enum class Durability {
    // before it takes its name: once the write returns, a crash leaves the
    // file whole
    Synced,
    // not here: the caller makes a batch of new files durable at once
    // (syncFileSystem) before it reports success. Until then a crash can
    // leave a new file short or empty. A file that replaces another is
    // synced before it does all the same, so that a crash never leaves the
    // old one lost.
    Deferred,
};

// How a whole file is written.
struct WriteOptions {
    Overwrite overwrite = Overwrite::Replace;
    // Called once the new file is complete and on disk, just before it
    // takes the target's place; an error it returns stops the write, and
    // the target stays as it was. An edit checks here that nobody changed
    // the file since it was read.
    std::function<std::optional<Error>()> beforeCommit;
    Durability durability = Durability::Synced;
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
//   - otherwise the bytes go to a temporary file in the target's folder that
//     has no name (O_TMPFILE), so that not even a crash or a kill can leave
//     it behind; it is synced to disk (see Durability) and then takes the target's place in
//     one step (a link to a short name of its own, renamed over the target
//     at once). Where the file system has no unnamed files, the temporary
//     is a named one, created with the mode the file will have, never a
//     wider one. An existing file's mode, extended attributes (ACLs and
//     security labels among them) and, for root, owner are kept;
//   - an existing file with several hard links is written into, so that
//     every name sees the new bytes: the complete temporary is synced
//     first, then copied over the file, which is then synced. A crash
//     during that copy can leave the file part old, part new.
// With Overwrite::Refuse an existing target is kept and the write fails
// with ErrorCode::Exists (decided by the link itself, so a file that
// appears meanwhile is not clobbered either). On failure the temporary file
// is gone and the target is left as it was; errors are
// ErrorCode::WriteFailed with the system's errno, ErrorCode::Exists,
// ErrorCode::NotRegularFile, or what beforeCommit returned.
Result<WrittenFile> writeFileAtomically(const std::string& path, ByteParts parts,
                                        const WriteOptions& options);

// The same with the bytes made as they are written, never held whole: a
// sink's failure or the maker's error ends the write as any other failure.
Result<WrittenFile> writeFileAtomically(const std::string& path, const ByteMaker& make,
                                        const WriteOptions& options);

// The same with the bytes in one piece.
Result<WrittenFile> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                        Overwrite overwrite);

// writeFileAtomically(path, bytes, Overwrite::Replace).
Result<WrittenFile> writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes everything to an open descriptor; 0 or the errno of the first
// failure (a pipe closed by its reader gives EPIPE).
int writeAll(int fd, std::span<const std::uint8_t> bytes);

// Makes the files written on the file system that holds `path` durable,
// all at once (syncfs): what writes with Durability::Deferred need before
// they count as done. 0 or an errno.
int syncFileSystem(const std::string& path);

// How many times this process asked for written data to reach the disk
// (an fsync or a syncfs of its output): what a batch's durability costs,
// counted for its tests and benchmarks.
std::uint64_t syncCalls();

}  // namespace zpk

#include "pack/ContainerUpdate.h"

#include "container/Container.h"
#include "io/FileHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zpk {

namespace {

using Clock = std::chrono::steady_clock;

// Times a path may turn out to name another file once its lock is had
// (each time, a writer put a new file there while we waited) before the
// wait counts as lost.
constexpr int kMaxReopens = 100;

enum class Lock {
    Ours,
    Held,         // by another writer, past the deadline
    Unavailable,  // the file system offers none to this descriptor
};

// Waits until the lock on `fd` is ours or `deadline` passes.
Lock lockBy(int fd, Clock::time_point deadline)
{
    auto pause = std::chrono::milliseconds(2);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return Lock::Ours;
        if (errno != EWOULDBLOCK && errno != EINTR) return Lock::Unavailable;
        if (Clock::now() >= deadline) return Lock::Held;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

// Whether this user may write the file: its permissions, and at least one
// write bit (root may write anything, but a file nobody may write is kept
// as it is all the same).
bool writable(const std::string& path, const struct stat& info)
{
    return (info.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

// The file `path` names, opened and locked, once the lock is ours and the
// path still names it.
Result<FileHandle> openLocked(const std::string& path, const UpdateSettings& settings)
{
    const auto deadline = Clock::now() + settings.lockWait;
    for (int attempt = 0; attempt < kMaxReopens; ++attempt) {
        // O_NONBLOCK: a FIFO is refused, not waited on
        FileHandle handle(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (handle.fd() < 0) return makeError(ErrorCode::CannotOpen, path, errno);
        struct stat info {};
        if (::fstat(handle.fd(), &info) != 0) return makeError(ErrorCode::CannotOpen, path, errno);
        if (S_ISDIR(info.st_mode)) return makeError(ErrorCode::CannotOpen, path, EISDIR);
        if (!S_ISREG(info.st_mode)) return makeError(ErrorCode::NotRegularFile, path);
        if (!settings.force && !writable(path, info))
            return makeError(ErrorCode::WriteProtected, path, EACCES);
        const Lock lock = lockBy(handle.fd(), deadline);
        if (lock == Lock::Held) return makeError(ErrorCode::Busy, path);
        // where the file system has no lock to give (NFS wants a descriptor
        // open for writing, say), the check before the rename still keeps
        // another's change
        if (lock == Lock::Unavailable) return handle;
        const auto locked = fileIdentity(handle.fd());
        const auto named = fileIdentity(path);
        if (!locked) return makeError(ErrorCode::CannotOpen, path, locked.error().systemError);
        if (named && named->sameFile(*locked)) return handle;
        // the path names a new file now (or none): start over on it
    }
    return makeError(ErrorCode::Busy, path);
}

Result<WrittenFile> write(const std::string& path, const ContainerFile& current, const ContainerEdit& edit,
                          const WriteOptions& options)
{
    auto plan = edit(current);
    if (!plan) return plan.error();
    const auto parts = plan->parts();
    if (!parts) return parts.error();
    return writeFileAtomically(path, *parts, options);
}

// Whether `output` names the file `source` names.
bool sameFile(const std::string& source, const std::string& output)
{
    if (output.empty() || output == source) return true;
    const auto a = fileIdentity(source);
    const auto b = fileIdentity(output);
    return a && b && a->sameFile(*b);
}

Error changed(const std::string& path) { return makeError(ErrorCode::ChangedOnDisk, path); }

}  // namespace

Result<WrittenFile> updateContainer(const std::string& source, const std::string& output,
                                    const ContainerEdit& edit, const UpdateSettings& settings)
{
    if (!sameFile(source, output)) {
        // a copy under another name: the source is only read
        const auto current = loadContainer(source, Streams::ReadToEnd);
        if (!current) return current.error();
        if (settings.expected && current->identity != settings.expected) return changed(source);
        return write(output, *current, edit, WriteOptions{Overwrite::Replace, {}});
    }

    const auto locked = openLocked(source, settings);
    if (!locked) return locked.error();
    const auto current = loadOpenContainer(locked->fd(), source);
    if (!current) return current.error();
    if (settings.expected && current->identity != settings.expected) return changed(source);
    // nobody may have put another file there, nor changed this one, since it was read
    const auto stillTheSame = [&]() -> std::optional<Error> {
        const auto now = fileIdentity(source);
        if (!now || *now != current->identity) return changed(source);
        return std::nullopt;
    };
    return write(source, *current, edit, WriteOptions{Overwrite::Replace, stillTheSame});
}

}  // namespace zpk

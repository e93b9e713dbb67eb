#include "export/FileOutput.h"

#include "export/TemporaryFiles.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace zpk {

namespace {

// Links followed before giving up: the kernel's own limit for a path.
constexpr int kMaxLinks = 40;

Error writeError(const std::string& path, int err)
{
    return err == EEXIST ? makeError(ErrorCode::Exists, path) : makeError(ErrorCode::WriteFailed, path, err);
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Where a write to `path` lands: `path` itself, or the end of the chain of
// symbolic links it starts (which need not exist yet). Fails with ELOOP on
// a cycle, or with the errno of a failed lstat or readlink.
struct Target {
    std::string path;
    bool exists = false;
    bool viaProc = false;  // a link of the chain lies under /proc
    struct stat info {};
};
int resolveTarget(const std::string& path, Target& target)
{
    target.path = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        if (::lstat(target.path.c_str(), &target.info) != 0) {
            if (errno != ENOENT) return errno;
            target.exists = false;
            return 0;
        }
        if (!S_ISLNK(target.info.st_mode)) {
            target.exists = true;
            return 0;
        }
        if (target.path.starts_with("/proc/")) target.viaProc = true;
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(target.path.c_str(), link.data(), link.size());
        if (length < 0) return errno;
        link.resize(static_cast<std::size_t>(length));
        // a relative link is relative to the folder that holds it
        target.path = link.starts_with('/') ? link : folderOf(target.path) + "/" + link;
    }
    return ELOOP;
}

// Moves `from` to `to` unless `to` exists; returns 0 or an errno (EEXIST
// when it exists). The test and the move are one step where the file
// system allows it.
int moveIfAbsent(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // no RENAME_NOREPLACE on this file system: a hard link fails on an
    // existing name just as well
    if (::link(from, to) == 0) {
        ::unlink(from);
        return 0;
    }
    if (errno == EEXIST) return EEXIST;
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK) return errno;
    // nor hard links (FAT and the like): test, then move, which a file
    // appearing in between could still lose to
    struct stat info {};
    if (::lstat(to, &info) == 0) return EEXIST;
    return std::rename(from, to) == 0 ? 0 : errno;
}

// Writes straight into an existing device or FIFO, which cannot be replaced.
Result<WrittenFile> writeInPlace(const std::string& path, std::span<const std::uint8_t> bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return writeError(path, errno);
    int err = writeAll(fd, bytes);
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) return writeError(path, err);
    return WrittenFile{path, bytes.size()};
}

// A new file of our own in `folder`: ".zpk-" and eight hex digits, short
// enough to fit beside a name of any legal length. It is registered for
// removal on a signal before it is made.
int createTemporary(const std::string& folder, std::string& name, std::optional<TemporaryFileGuard>& guard)
{
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned tag = (static_cast<unsigned>(::getpid()) * 2654435761u) ^ serial++;
        char leaf[16];
        std::snprintf(leaf, sizeof leaf, ".zpk-%08x", tag);
        name = folder + "/" + leaf;
        guard.emplace(name);
        if (!guard->allowed()) {
            // the program is ending on a signal: no new file now
            guard.reset();
            errno = EINTR;
            return -1;
        }
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        const int err = errno;
        guard.reset();
        if (err != EEXIST) {
            errno = err;
            return -1;
        }
    }
    errno = EEXIST;
    return -1;
}

// The standard stream `path` names, when it is one (/dev/stdout,
// /proc/self/fd/1, or any other name of the same open file): it is written
// through its descriptor, which keeps the shell's redirection (its offset,
// its O_APPEND) instead of replacing the file the stream leads to.
int standardStreamOf(const std::string& path, const struct stat& info)
{
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat stream {};
        if (::fstat(fd, &stream) == 0 && stream.st_dev == info.st_dev && stream.st_ino == info.st_ino &&
            (path.starts_with("/dev/") || path.starts_with("/proc/")))
            return fd;
    }
    return -1;
}

}  // namespace

int writeAll(int fd, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) return EIO;
        done += static_cast<std::size_t>(got);
    }
    return 0;
}

Result<WrittenFile> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                        Overwrite overwrite)
{
    if (path.empty()) return writeError(path, ENOENT);
    Target target;
    if (overwrite == Overwrite::Refuse) {
        // anything of that name, a link included, stays
        if (::lstat(path.c_str(), &target.info) == 0) return makeError(ErrorCode::Exists, path);
        target.path = path;
    } else {
        // stat follows every link, also the kernel's own (/dev/stdout leads
        // to /proc/self/fd/1, and on to a pipe or a terminal)
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) {
            if (const int fd = standardStreamOf(path, info); fd >= 0) {
                if (const int err = writeAll(fd, bytes); err != 0) return writeError(path, err);
                return WrittenFile{path, bytes.size()};
            }
            const mode_t type = info.st_mode & S_IFMT;
            if (type == S_IFCHR || type == S_IFIFO) return writeInPlace(path, bytes);
            if (type == S_IFDIR) return writeError(path, EISDIR);
            if (type != S_IFREG) return makeError(ErrorCode::NotRegularFile, path);
        } else if (errno != ENOENT) {
            return writeError(path, errno);
        }
        if (const int err = resolveTarget(path, target); err != 0) return writeError(path, err);
        if (target.exists && !S_ISREG(target.info.st_mode)) return makeError(ErrorCode::NotRegularFile, path);
        // a link through /proc names an open file, not a place in a folder:
        // replacing what it leads to would take the file from under its owner
        if (target.viaProc) return writeInPlace(path, bytes);
    }

    std::string temporary;
    std::optional<TemporaryFileGuard> guard;
    const int fd = createTemporary(folderOf(target.path), temporary, guard);
    if (fd < 0) return writeError(path, errno);

    int err = 0;
    if (target.exists) {
        // the replacement keeps the file's permissions, and for root its owner
        if (::fchmod(fd, target.info.st_mode & 07777) != 0) err = errno;
        if (err == 0 && ::geteuid() == 0 && ::fchown(fd, target.info.st_uid, target.info.st_gid) != 0)
            err = errno;
    }
    if (err == 0) err = writeAll(fd, bytes);
    // on disk before the rename, so that a crash leaves the old file or the new one
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0) {
        if (overwrite == Overwrite::Replace)
            err = std::rename(temporary.c_str(), target.path.c_str()) == 0 ? 0 : errno;
        else err = moveIfAbsent(temporary.c_str(), target.path.c_str());
    }
    if (err != 0) {
        ::unlink(temporary.c_str());
        return writeError(path, err);
    }
    return WrittenFile{target.path, bytes.size()};
}

Result<WrittenFile> writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes)
{
    return writeFileAtomically(path, bytes, Overwrite::Replace);
}

}  // namespace zpk

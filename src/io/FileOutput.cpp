#include "io/FileOutput.h"

#include "io/TemporaryFiles.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

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
    // (ENOTSUP and EOPNOTSUPP are one number on Linux)
    if (errno != EPERM && errno != ENOTSUP && errno != EMLINK) return errno;
    // nor hard links (FAT and the like): test, then move, which a file
    // appearing in between could still lose to
    struct stat info {};
    if (::lstat(to, &info) == 0) return EEXIST;
    return std::rename(from, to) == 0 ? 0 : errno;
}

std::atomic<std::uint64_t> g_syncCalls{0};

int syncFile(int fd)
{
    g_syncCalls.fetch_add(1, std::memory_order_relaxed);
    return ::fsync(fd) == 0 ? 0 : errno;
}

// What making a file's bytes into a descriptor came to: the bytes written,
// and the first failure, the system's (an errno) before the maker's.
struct Made {
    std::size_t bytes = 0;
    int err = 0;
    std::optional<Error> refused;
    bool failed() const { return err != 0 || refused.has_value(); }
};
Made makeInto(int fd, const ByteMaker& make)
{
    Made made;
    const ByteSink sink = [&](std::span<const std::uint8_t> bytes) {
        if (made.err == 0) made.err = writeAll(fd, bytes);
        if (made.err == 0) made.bytes += bytes.size();
        return made.err;
    };
    if (auto refused = make(sink); refused && made.err == 0) made.refused = std::move(refused);
    return made;
}

Result<WrittenFile> madeResult(const std::string& path, Made made, const std::string& written)
{
    if (made.err != 0) return writeError(path, made.err);
    if (made.refused) return std::move(*made.refused);
    return WrittenFile{written, made.bytes};
}

// Writes straight into an existing device or FIFO, which cannot be replaced.
Result<WrittenFile> writeInPlace(const std::string& path, const ByteMaker& make)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return writeError(path, errno);
    Made made = makeInto(fd, make);
    if (::close(fd) != 0 && made.err == 0) made.err = errno;
    return madeResult(path, std::move(made), path);
}

// A free name of our own in `folder`: ".zpk-" and eight hex digits, short
// enough to fit beside a name of any legal length. It is registered for
// removal on a signal before it is used; `make` tries to take the name and
// returns 0, EEXIST (try another) or another errno.
template <typename Make>
int takeTemporaryName(const std::string& folder, std::string& name, std::optional<TemporaryFileGuard>& guard,
                      Make make)
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
            return EINTR;
        }
        const int err = make(name);
        if (err == 0) return 0;
        guard.reset();
        if (err != EEXIST) return err;
    }
    return EEXIST;
}

// The file being written: unnamed (O_TMPFILE) where the file system allows
// it, else under a temporary name.
struct Temporary {
    int fd = -1;
    std::string name;  // empty while it has none
    std::optional<TemporaryFileGuard> guard;

    Temporary() = default;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary() { discard(); }
    void discard()
    {
        if (!name.empty()) ::unlink(name.c_str());
        name.clear();
        if (fd >= 0) ::close(fd);
        fd = -1;
        guard.reset();
    }
};

// Opens a temporary file in `folder` with `mode` (before the umask); 0 or
// an errno.
int openTemporary(const std::string& folder, mode_t mode, Temporary& temporary)
{
    // an unnamed file is named through /proc (without it, only a privileged
    // process could): where /proc is missing, a named one is used
    if (::access("/proc/self/fd", X_OK) == 0) {
        temporary.fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
        if (temporary.fd >= 0) return 0;
        // no unnamed files here (an old kernel, or a file system without them)
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
    }
    return takeTemporaryName(folder, temporary.name, temporary.guard, [&](const std::string& name) {
        temporary.fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        return temporary.fd >= 0 ? 0 : errno;
    });
}

// Gives an unnamed temporary the name `to`, through /proc; 0 or an errno
// (EEXIST when the name is taken).
int linkUnnamed(int fd, const std::string& to)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

// Copies the extended attributes of the file at `from` onto `fd`; 0 or an
// errno. An attribute that this user may not set (another namespace's, a
// label the security module keeps to itself) is passed over, as a copy by
// any other program would.
int copyAttributes(const std::string& from, int fd)
{
    std::vector<char> names;
    for (ssize_t length = 0;;) {
        length = ::listxattr(from.c_str(), nullptr, 0);
        if (length < 0) return errno == ENOTSUP ? 0 : errno;
        if (length == 0) return 0;
        names.resize(static_cast<std::size_t>(length));
        length = ::listxattr(from.c_str(), names.data(), names.size());
        if (length >= 0) {
            names.resize(static_cast<std::size_t>(length));
            break;
        }
        if (errno != ERANGE) return errno;  // ERANGE: one was added meanwhile
    }
    std::vector<char> value;
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
        const char* name = names.data() + at;
        ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0) {
            if (errno == ENODATA) continue;  // removed meanwhile
            return errno;
        }
        value.resize(static_cast<std::size_t>(length));
        length = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (length < 0) return errno;
        if (::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(length), 0) != 0 && errno != EPERM &&
            errno != EACCES && errno != ENOTSUP)
            return errno;
    }
    return 0;
}

// Makes the temporary look as the file it replaces: its owner (for root),
// extended attributes and mode.
int takeOnFile(int fd, const Target& target)
{
    // the owner first: a change of owner may clear the set-id bits
    if (::geteuid() == 0 && ::fchown(fd, target.info.st_uid, target.info.st_gid) != 0) return errno;
    // the attributes while the owner may still write the file (user.*
    // attributes need that), the mode last
    if (const int err = copyAttributes(target.path, fd); err != 0) return err;
    return ::fchmod(fd, target.info.st_mode & 07777) == 0 ? 0 : errno;
}

// Copies the first `length` bytes of `from` to `to` by hand; 0 or an errno.
int copyByHand(int from, int to, std::size_t length)
{
    std::vector<std::uint8_t> buffer(std::size_t{1} << 20);
    for (std::size_t done = 0; done < length;) {
        const ssize_t got =
            ::pread(from, buffer.data(), std::min(buffer.size(), length - done), static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got == 0 ? EIO : errno;
        if (::lseek(to, static_cast<off_t>(done), SEEK_SET) < 0) return errno;
        if (const int err = writeAll(to, {buffer.data(), static_cast<std::size_t>(got)}); err != 0)
            return err;
        done += static_cast<std::size_t>(got);
    }
    return 0;
}

// Copies the `length` bytes of `from` over the file at `path`, cuts it to
// that length and syncs it; 0 or an errno. The room the new bytes need is
// taken first, where the file system can, so that a full disk stops the
// copy before a byte of the old file is overwritten.
int copyOver(int from, std::size_t length, const std::string& path)
{
    const int to = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
    if (to < 0) return errno;
    int err = 0;
    if (length > 0 && ::fallocate(to, 0, 0, static_cast<off_t>(length)) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS)
        err = errno;
    off_t in = 0;
    off_t out = 0;
    while (err == 0 && static_cast<std::size_t>(in) < length) {
        const ssize_t got = ::copy_file_range(from, &in, to, &out, length - static_cast<std::size_t>(in), 0);
        if (got > 0 || (got < 0 && errno == EINTR)) continue;
        if (got < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) {
            err = copyByHand(from, to, length);  // no copy in the kernel
            break;
        }
        err = got == 0 ? EIO : errno;
    }
    if (err == 0 && ::ftruncate(to, static_cast<off_t>(length)) != 0) err = errno;
    if (err == 0) err = syncFile(to);
    if (::close(to) != 0 && err == 0) err = errno;
    return err;
}

// Puts the complete temporary in the target's place; 0 or an errno.
int commit(Temporary& temporary, const Target& target, Overwrite overwrite, std::size_t length)
{
    if (overwrite == Overwrite::Replace && target.exists && target.info.st_nlink > 1) {
        // a signal waits for the copy: the file is not left half written
        // (a named temporary's guard holds it off already)
        if (temporary.guard) return copyOver(temporary.fd, length, target.path);
        const TemporaryFileGuard copying("");
        return copying.allowed() ? copyOver(temporary.fd, length, target.path) : EINTR;
    }
    if (temporary.name.empty()) {
        if (overwrite == Overwrite::Refuse) return linkUnnamed(temporary.fd, target.path);
        // no call replaces a name with an unnamed file: it gets a name of
        // its own for the moment of the rename
        const int err =
            takeTemporaryName(folderOf(target.path), temporary.name, temporary.guard,
                              [&](const std::string& name) { return linkUnnamed(temporary.fd, name); });
        if (err != 0) return err;
    }
    const int err = overwrite == Overwrite::Replace
                        ? (std::rename(temporary.name.c_str(), target.path.c_str()) == 0 ? 0 : errno)
                        : moveIfAbsent(temporary.name.c_str(), target.path.c_str());
    if (err == 0) temporary.name.clear();  // it is the target now
    return err;
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

Result<WrittenFile> writeFileAtomically(const std::string& path, const ByteMaker& make,
                                        const WriteOptions& options)
{
    if (path.empty()) return writeError(path, ENOENT);
    Target target;
    if (options.overwrite == Overwrite::Refuse) {
        // anything of that name, a link included, stays
        if (::lstat(path.c_str(), &target.info) == 0) return makeError(ErrorCode::Exists, path);
        target.path = path;
    } else {
        // stat follows every link, also the kernel's own (/dev/stdout leads
        // to /proc/self/fd/1, and on to a pipe or a terminal)
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) {
            if (const int fd = standardStreamOf(path, info); fd >= 0)
                return madeResult(path, makeInto(fd, make), path);
            const mode_t type = info.st_mode & S_IFMT;
            if (type == S_IFCHR || type == S_IFIFO) return writeInPlace(path, make);
            if (type == S_IFDIR) return writeError(path, EISDIR);
            if (type != S_IFREG) return makeError(ErrorCode::NotRegularFile, path);
        } else if (errno != ENOENT) {
            return writeError(path, errno);
        }
        if (const int err = resolveTarget(path, target); err != 0) return writeError(path, err);
        if (target.exists && !S_ISREG(target.info.st_mode)) return makeError(ErrorCode::NotRegularFile, path);
        // a link through /proc names an open file, not a place in a folder:
        // replacing what it leads to would take the file from under its owner
        if (target.viaProc) return writeInPlace(path, make);
    }

    // a new file gets the mode any new file gets; a replacement its
    // target's, wider only in what its owner may do, while it is written
    Temporary temporary;
    const mode_t mode = target.exists ? (target.info.st_mode & 0777) | S_IRUSR | S_IWUSR : 0666;
    if (const int err = openTemporary(folderOf(target.path), mode, temporary); err != 0)
        return writeError(path, err);
    if (const int err = target.exists ? takeOnFile(temporary.fd, target) : 0; err != 0)
        return writeError(path, err);
    Made made = makeInto(temporary.fd, make);
    // on disk before it takes the target's place, so that a crash leaves
    // the old file or the new one; a new file may wait for its batch
    const bool sync = target.exists || options.durability == Durability::Synced;
    if (!made.failed() && sync) made.err = syncFile(temporary.fd);
    if (made.failed()) return madeResult(path, std::move(made), target.path);
    if (options.beforeCommit) {
        if (auto refused = options.beforeCommit()) return std::move(*refused);
    }
    if (const int failed = commit(temporary, target, options.overwrite, made.bytes); failed != 0)
        return writeError(path, failed);
    return WrittenFile{target.path, made.bytes};
}

Result<WrittenFile> writeFileAtomically(const std::string& path, ByteParts parts, const WriteOptions& options)
{
    return writeFileAtomically(
        path,
        [parts](const ByteSink& sink) -> std::optional<Error> {
            for (const auto part : parts)
                if (sink(part) != 0) break;
            return std::nullopt;
        },
        options);
}

Result<WrittenFile> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                        Overwrite overwrite)
{
    const std::span<const std::uint8_t> parts[] = {bytes};
    return writeFileAtomically(path, parts, WriteOptions{overwrite, {}});
}

Result<WrittenFile> writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes)
{
    return writeFileAtomically(path, bytes, Overwrite::Replace);
}

int syncFileSystem(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno;
    g_syncCalls.fetch_add(1, std::memory_order_relaxed);
    int err = ::syncfs(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}

std::uint64_t syncCalls() { return g_syncCalls.load(std::memory_order_relaxed); }

}  // namespace zpk

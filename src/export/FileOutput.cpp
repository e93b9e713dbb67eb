#include "export/FileOutput.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zpk {

namespace {

Error writeError(const std::string& path, int err)
{
    return err == EEXIST ? makeError(ErrorCode::Exists, path) : makeError(ErrorCode::WriteFailed, path, err);
}

// Writes everything or reports the errno of the first failure.
int writeAll(int fd, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) return EIO;  // a regular file never takes nothing
        done += static_cast<std::size_t>(got);
    }
    return 0;
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

}  // namespace

Result<WrittenFile> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                        Overwrite overwrite)
{
    if (path.empty()) return writeError(path, ENOENT);
    // A name of our own beside the target: O_EXCL never opens a file that
    // is already there (the user's, or another writer's), so retry with
    // the next number.
    static std::atomic<unsigned> serial{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return writeError(path, errno);
    }
    if (fd < 0) return writeError(path, EEXIST);

    int err = writeAll(fd, bytes);
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0) {
        if (overwrite == Overwrite::Replace)
            err = std::rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
        else
            err = moveIfAbsent(temporary.c_str(), path.c_str());
    }
    if (err != 0) {
        ::unlink(temporary.c_str());
        return writeError(path, err);
    }
    return WrittenFile{path, bytes.size()};
}

Result<WrittenFile> writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes)
{
    return writeFileAtomically(path, bytes, Overwrite::Replace);
}

}  // namespace zpk

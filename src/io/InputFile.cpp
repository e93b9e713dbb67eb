#include "io/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zpk {

namespace {

Error tooLarge(std::string path, std::int64_t length)
{
    Error e = makeError(ErrorCode::TooLarge, std::move(path));
    e.actualLength = length;
    return e;
}

FileIdentity identityOf(const struct stat& info)
{
    return {static_cast<std::uint64_t>(info.st_dev),         static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size),         static_cast<std::int64_t>(info.st_mtim.tv_sec),
            static_cast<std::int64_t>(info.st_mtim.tv_nsec), static_cast<std::int64_t>(info.st_ctim.tv_sec),
            static_cast<std::int64_t>(info.st_ctim.tv_nsec)};
}

// Reads a stream to its end. The buffer doubles as it fills, by realloc,
// which remaps a large block's pages rather than copying them, so that the
// memory held is about what was read; one byte past the ceiling is enough
// to tell that the stream is too large, and reading stops there.
Result<FileBytes> readStream(const InputFile& file, const std::string& path, std::int64_t ceiling)
{
    constexpr std::size_t kFirstSize = std::size_t{64} * 1024;
    const auto limit = static_cast<std::size_t>(ceiling) + 1;
    FileBytes contents(std::min(kFirstSize, limit));
    std::size_t done = 0;
    for (;;) {
        const std::size_t room = contents.size() - 1;
        if (done == room) {
            if (room == limit) return tooLarge(path, static_cast<std::int64_t>(done));
            contents.resize(std::min(room * 2, limit));
        }
        const ssize_t got = ::read(file.handle.fd(), contents.data() + done, contents.size() - 1 - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return makeError(ErrorCode::CannotOpen, path, errno);
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    contents.resize(done);
    return contents;
}

}  // namespace

Result<InputFile> examineInput(FileHandle handle, const std::string& path, Streams streams,
                               std::int64_t ceiling)
{
    struct stat info {};
    if (::fstat(handle.fd(), &info) != 0) return makeError(ErrorCode::CannotOpen, path, errno);
    if (S_ISDIR(info.st_mode)) return makeError(ErrorCode::CannotOpen, path, EISDIR);
    if (!S_ISREG(info.st_mode)) {
        // a socket or a disk has no end a reader should go looking for
        const bool stream = S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode);
        if (streams == Streams::Refused || !stream) return makeError(ErrorCode::NotRegularFile, path);
        return InputFile{std::move(handle), false, 0, {}};
    }
    if (info.st_size > ceiling) return tooLarge(path, info.st_size);
    return InputFile{std::move(handle), true, info.st_size, identityOf(info)};
}

Result<InputFile> openInput(const std::string& path, Streams streams, std::int64_t ceiling)
{
    const bool standardInput = streams == Streams::ReadToEnd && path == kStandardInput;
    const int flags = O_RDONLY | O_CLOEXEC | (streams == Streams::Refused ? O_NONBLOCK : 0);
    auto handle = FileHandle(standardInput ? ::dup(STDIN_FILENO) : ::open(path.c_str(), flags));
    if (handle.fd() < 0) return makeError(ErrorCode::CannotOpen, path, errno);
    if (standardInput) {
        // standard input is read whatever it is, a socket included, but
        // never when it is a folder
        struct stat info {};
        if (::fstat(handle.fd(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
            return InputFile{std::move(handle), false, 0, {}};
    }
    return examineInput(std::move(handle), path, streams, ceiling);
}

Result<FileBytes> readInputStart(const InputFile& file, std::int64_t length, const std::string& path)
{
    FileBytes contents(static_cast<std::size_t>(length));
    if (const int err =
            readZeroFilled(file.handle.fd(), contents.data(), static_cast<std::size_t>(length), 0);
        err != 0)
        return makeError(ErrorCode::CannotOpen, path, err);
    return contents;
}

Result<FileBytes> readInput(const InputFile& file, const std::string& path, std::int64_t ceiling)
{
    if (!file.regular) return readStream(file, path, ceiling);
    return readInputStart(file, file.length, path);
}

int readZeroFilled(int fd, std::uint8_t* to, std::size_t length, std::int64_t offset)
{
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got =
            ::pread(fd, to + done, length - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    if (done < length) std::memset(to + done, 0, length - done);
    return 0;
}

Result<FileIdentity> fileIdentity(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return makeError(ErrorCode::CannotOpen, path, errno);
    return identityOf(info);
}

Result<FileIdentity> fileIdentity(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0) return makeError(ErrorCode::CannotOpen, {}, errno);
    return identityOf(info);
}

}  // namespace zpk

#include "cli/FileOutput.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace zpk {

namespace {

Error writeError(const std::string& path, int err)
{
    Error e;
    e.code = ErrorCode::WriteFailed;
    e.path = path;
    e.message = "cannot write: " + std::system_category().message(err);
    return e;
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

}  // namespace

Result<WrittenFile> writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes)
{
    if (path.empty()) return writeError(path, ENOENT);
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return writeError(path, errno);

    int err = writeAll(fd, bytes);
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temporary.c_str());
        return writeError(path, err);
    }
    return WrittenFile{path, bytes.size()};
}

}  // namespace zpk

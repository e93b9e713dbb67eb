#include "container/Container.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zpk {

namespace {

constexpr std::int64_t kCountOffset = 28;
constexpr std::int64_t kSizeTableOffset = 30;

std::string systemReason(int err) { return std::system_category().message(err); }

Error openError(const std::string& path, std::string reason)
{
    Error e;
    e.code = ErrorCode::CannotOpen;
    e.path = path;
    e.message = std::move(reason);
    return e;
}

// Closes a POSIX file descriptor when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle() { if (m_fd >= 0) ::close(m_fd); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

std::int64_t headerLength(int entryCount)
{
    // the count byte is at offset 28; with N >= 2 the sizes of entries 0 to
    // N - 2 are read, the last of them ending at offset 30 + 2(N - 1)
    return entryCount < 2 ? kCountOffset + 1 : kSizeTableOffset + 2 * (entryCount - 1);
}

Result<ContainerFile> parseContainer(std::vector<std::uint8_t> contents, std::string path)
{
    const auto length = static_cast<std::int64_t>(contents.size());
    if (length > kMaxFileLength) {
        Error e;
        e.code = ErrorCode::TooLarge;
        e.path = path;
        e.message = "file is 2 GiB or larger";
        e.actualLength = length;
        return e;
    }
    auto tooShort = [&](std::int64_t needed) {
        Error e;
        e.code = ErrorCode::TooShort;
        e.path = path;
        e.message = "not a zpk container: too short for its header";
        e.offset = needed;
        e.actualLength = length;
        e.neededLength = needed;
        return e;
    };
    if (length < headerLength(0)) return tooShort(headerLength(0));

    ContainerFile file;
    file.filePath = std::move(path);
    file.fileLength = static_cast<std::int32_t>(length);
    file.fileBytes = std::move(contents);
    // the zero byte behind the data: exactly one more byte, where push_back
    // alone would double a buffer that the file fills
    file.fileBytes.reserve(file.fileBytes.size() + 1);
    file.fileBytes.push_back(0);

    const ByteReader bytes = file.reader();
    file.entryCount = *bytes.at(kCountOffset);
    if (length < headerLength(file.entryCount)) {
        Error e = tooShort(headerLength(file.entryCount));
        e.path = file.filePath;
        return e;
    }

    // With N = 0 the list still shows one row, for an entry at offset 30.
    const int rows = file.entryCount > 0 ? file.entryCount : 1;
    file.entryOffsets.reserve(static_cast<std::size_t>(rows));
    file.listTexts.reserve(static_cast<std::size_t>(rows));
    std::int64_t position = 2 * file.entryCount + kSizeTableOffset + 1;
    std::int64_t cursor = kSizeTableOffset;
    for (int row = 0; row < rows; ++row) {
        if (row > 0) {
            position += *bytes.u16(cursor);  // inside: checked against headerLength above
            cursor += 2;
        }
        file.entryOffsets.push_back(position);
        file.listTexts.push_back(std::to_string(position + 2));
    }
    return file;
}

Result<ContainerFile> loadContainer(const std::string& path)
{
    FileHandle handle(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (handle.fd() < 0) return openError(path, systemReason(errno));

    struct stat info {};
    if (::fstat(handle.fd(), &info) != 0) return openError(path, systemReason(errno));
    // A directory, a pipe or a device has no length to read up to (a pipe
    // could block for ever, a device never end).
    if (S_ISDIR(info.st_mode)) return openError(path, systemReason(EISDIR));
    if (!S_ISREG(info.st_mode)) return openError(path, "not a regular file");
    if (info.st_size > kMaxFileLength) {
        Error e;
        e.code = ErrorCode::TooLarge;
        e.path = path;
        e.message = "file is 2 GiB or larger";
        e.actualLength = info.st_size;
        return e;
    }

    // One read of the length the file had when it was opened; a file that
    // shrinks meanwhile leaves zeros behind its end, one that grows is cut.
    std::vector<std::uint8_t> contents;
    contents.reserve(static_cast<std::size_t>(info.st_size) + 1);  // room for the zero byte behind the data
    contents.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t got = ::read(handle.fd(), contents.data() + done, contents.size() - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return openError(path, systemReason(errno));
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return parseContainer(std::move(contents), path);
}

std::string loadErrorText(const Error& error)
{
    switch (error.code) {
    case ErrorCode::TooShort:
        return "올바른 zpk 파일이 아닙니다.\n" + error.path + "\n파일 크기 " +
               std::to_string(error.actualLength) + " 바이트, 필요한 크기 " +
               std::to_string(error.neededLength) + " 바이트";
    case ErrorCode::TooLarge:
        return "파일이 너무 큽니다.\n" + error.path;
    default:
        return "파일을 열 수 없습니다.\n" + error.path + "\n" + error.message;
    }
}

std::string errorReason(const Error& error)
{
    switch (error.code) {
    case ErrorCode::TooShort:
        return "not a zpk container: " + std::to_string(error.actualLength) +
               " bytes, the header needs " + std::to_string(error.neededLength);
    case ErrorCode::TooLarge:
        return "file is too large (2 GiB or more)";
    case ErrorCode::CannotOpen:
        return "cannot open: " + error.message;
    default:
        return error.message;
    }
}

}  // namespace zpk

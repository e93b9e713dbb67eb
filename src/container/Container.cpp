#include "container/Container.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace zpk {

namespace {

constexpr std::int64_t kCountOffset = 28;
constexpr std::int64_t kSizeTableOffset = 30;

Error tooLarge(std::string path, std::int64_t length)
{
    Error e = makeError(ErrorCode::TooLarge, std::move(path));
    e.actualLength = length;
    return e;
}

// Closes a POSIX file descriptor when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// A container file opened for reading: a regular file with its length, or
// a stream to read to its end.
struct OpenedFile {
    std::unique_ptr<FileHandle> handle;
    bool regular = true;
    std::int64_t length = 0;  // of a regular file
};

// Opens `path`. A regular file must be below the size limit. A folder is
// refused; so is anything else without a length unless streams are read
// (opened without O_NONBLOCK then, so that a FIFO waits for its writer).
Result<OpenedFile> openContainerFile(const std::string& path, Streams streams)
{
    const bool standardInput = streams == Streams::ReadToEnd && path == kStandardInput;
    const int flags = O_RDONLY | O_CLOEXEC | (streams == Streams::Refused ? O_NONBLOCK : 0);
    auto handle =
        std::make_unique<FileHandle>(standardInput ? ::dup(STDIN_FILENO) : ::open(path.c_str(), flags));
    if (handle->fd() < 0) return makeError(ErrorCode::CannotOpen, path, errno);
    struct stat info {};
    if (::fstat(handle->fd(), &info) != 0) return makeError(ErrorCode::CannotOpen, path, errno);
    if (S_ISDIR(info.st_mode)) return makeError(ErrorCode::CannotOpen, path, EISDIR);
    if (!S_ISREG(info.st_mode)) {
        if (streams == Streams::Refused) return makeError(ErrorCode::NotRegularFile, path);
        return OpenedFile{std::move(handle), false, 0};
    }
    if (info.st_size > kMaxFileLength) return tooLarge(path, info.st_size);
    return OpenedFile{std::move(handle), true, info.st_size};
}

// Reads up to `length` bytes from the start of a regular file; fewer when
// the file has shrunk meanwhile.
Result<std::vector<std::uint8_t>> readFrom(const OpenedFile& file, std::int64_t length,
                                           const std::string& path)
{
    std::vector<std::uint8_t> contents;
    contents.reserve(static_cast<std::size_t>(length) + 1);  // room for the zero byte behind the data
    contents.resize(static_cast<std::size_t>(length));
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t got = ::pread(file.handle->fd(), contents.data() + done, contents.size() - done,
                                    static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return makeError(ErrorCode::CannotOpen, path, errno);
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return contents;
}

// Reads a stream to its end. The buffer grows by doubling, and never past
// the size limit plus one byte, which is enough to tell that it is too large.
Result<std::vector<std::uint8_t>> readStream(const OpenedFile& file, const std::string& path)
{
    constexpr std::size_t kFirstSize = 64 * 1024;
    constexpr auto kCeiling = static_cast<std::size_t>(kMaxFileLength) + 1;
    std::vector<std::uint8_t> contents(kFirstSize);
    std::size_t done = 0;
    for (;;) {
        if (done == contents.size()) {
            if (contents.size() == kCeiling) return tooLarge(path, static_cast<std::int64_t>(done));
            contents.resize(std::min(contents.size() * 2, kCeiling));
        }
        const ssize_t got = ::read(file.handle->fd(), contents.data() + done, contents.size() - done);
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

std::int64_t headerLength(int entryCount)
{
    // the count byte is at offset 28; with N >= 2 the sizes of entries 0 to
    // N - 2 are read, the last of them ending at offset 30 + 2(N - 1)
    return entryCount < 2 ? kCountOffset + 1 : kSizeTableOffset + 2 * (entryCount - 1);
}

Result<ContainerFile> parseContainer(std::vector<std::uint8_t> contents, std::string path)
{
    const auto length = static_cast<std::int64_t>(contents.size());
    if (length > kMaxFileLength) return tooLarge(path, length);
    auto tooShort = [&](std::int64_t needed) {
        Error e = makeError(ErrorCode::TooShort, path);
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

Result<ContainerFile> loadContainer(const std::string& path, Streams streams)
{
    const auto opened = openContainerFile(path, streams);
    if (!opened) return opened.error();
    if (!opened->regular) {
        auto contents = readStream(*opened, path);
        if (!contents) return contents.error();
        return parseContainer(std::move(*contents), path);
    }
    // One read of the length the file had when it was opened; a file that
    // shrinks meanwhile leaves zeros behind its end, one that grows is cut.
    auto contents = readFrom(*opened, opened->length, path);
    if (!contents) return contents.error();
    contents->resize(static_cast<std::size_t>(opened->length));
    return parseContainer(std::move(*contents), path);
}

int announcedRowCount(const std::string& path)
{
    const auto opened = openContainerFile(path, Streams::Refused);
    if (!opened) return 0;
    // a container's header is never longer than that of 255 entries
    auto header = readFrom(*opened, std::min(opened->length, headerLength(kMaxEntries)), path);
    if (!header) return 0;
    const auto parsed = parseContainer(std::move(*header));
    return parsed ? parsed->rowCount() : 0;
}

}  // namespace zpk

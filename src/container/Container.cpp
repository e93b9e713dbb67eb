#include "container/Container.h"

#include "state/FileHandle.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// A container file opened for reading: a regular file with its length, or
// a stream to read to its end.
struct OpenedFile {
    FileHandle handle;
    bool regular = true;
    std::int64_t length = 0;  // of a regular file
    FileIdentity identity;    // of a regular file
};

FileIdentity identityOf(const struct stat& info)
{
    return {static_cast<std::uint64_t>(info.st_dev),         static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size),         static_cast<std::int64_t>(info.st_mtim.tv_sec),
            static_cast<std::int64_t>(info.st_mtim.tv_nsec), static_cast<std::int64_t>(info.st_ctim.tv_sec),
            static_cast<std::int64_t>(info.st_ctim.tv_nsec)};
}

// What `handle` is open on: a regular file below the size limit, or a
// stream when streams are read. A folder is refused.
Result<OpenedFile> examine(FileHandle handle, const std::string& path, Streams streams)
{
    struct stat info {};
    if (::fstat(handle.fd(), &info) != 0) return makeError(ErrorCode::CannotOpen, path, errno);
    if (S_ISDIR(info.st_mode)) return makeError(ErrorCode::CannotOpen, path, EISDIR);
    if (!S_ISREG(info.st_mode)) {
        if (streams == Streams::Refused) return makeError(ErrorCode::NotRegularFile, path);
        return OpenedFile{std::move(handle), false, 0, {}};
    }
    if (info.st_size > kMaxFileLength) return tooLarge(path, info.st_size);
    return OpenedFile{std::move(handle), true, info.st_size, identityOf(info)};
}

// Opens `path`. A regular file must be below the size limit. A folder is
// refused; so is anything else without a length unless streams are read
// (opened without O_NONBLOCK then, so that a FIFO waits for its writer).
Result<OpenedFile> openContainerFile(const std::string& path, Streams streams)
{
    const bool standardInput = streams == Streams::ReadToEnd && path == kStandardInput;
    const int flags = O_RDONLY | O_CLOEXEC | (streams == Streams::Refused ? O_NONBLOCK : 0);
    auto handle = FileHandle(standardInput ? ::dup(STDIN_FILENO) : ::open(path.c_str(), flags));
    if (handle.fd() < 0) return makeError(ErrorCode::CannotOpen, path, errno);
    return examine(std::move(handle), path, streams);
}

int readAt(const OpenedFile& file, std::uint8_t* to, std::size_t length, std::int64_t offset)
{
    return readZeroFilled(file.handle.fd(), to, length, offset);
}

// Reads up to `length` bytes from the start of a regular file into a buffer
// that is not zero-filled first; a file that has shrunk meanwhile leaves
// zeros behind its end, one that grew is cut.
Result<FileBytes> readFrom(const OpenedFile& file, std::int64_t length, const std::string& path)
{
    FileBytes contents(static_cast<std::size_t>(length));
    const auto wanted = static_cast<std::size_t>(length);
    if (const int err = readAt(file, contents.data(), wanted, 0); err != 0)
        return makeError(ErrorCode::CannotOpen, path, err);
    return contents;
}

// Reads a stream to its end. The buffer doubles as it fills, by realloc,
// which remaps a large block's pages rather than copying them, so that the
// memory held is about what was read; one byte past the size limit is
// enough to tell that the stream is too large, and reading stops there.
Result<FileBytes> readStream(const OpenedFile& file, const std::string& path)
{
    constexpr std::size_t kFirstSize = 64 * 1024;
    constexpr auto kCeiling = static_cast<std::size_t>(kMaxFileLength) + 1;
    FileBytes contents(kFirstSize);
    std::size_t done = 0;
    for (;;) {
        const std::size_t room = contents.size() - 1;
        if (done == room) {
            if (room == kCeiling) return tooLarge(path, static_cast<std::int64_t>(done));
            contents.resize(std::min(room * 2, kCeiling));
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

// The entry table of a file of `length` bytes whose header `header` holds
// from offset 0 (at least up to headerLength(count), when the file is that
// long). The file's bytes are not kept.
Result<ContainerFile> parseTable(const ByteReader& header, std::int64_t length, std::string path)
{
    if (length > kMaxFileLength) return tooLarge(std::move(path), length);
    auto tooShort = [&](std::int64_t needed) {
        Error e = makeError(ErrorCode::TooShort, path);
        e.actualLength = length;
        e.neededLength = needed;
        return e;
    };
    if (length < headerLength(0)) return tooShort(headerLength(0));

    ContainerFile file;
    file.fileLength = static_cast<std::int32_t>(length);
    file.entryCount = *header.at(kCountOffset);
    if (length < headerLength(file.entryCount)) return tooShort(headerLength(file.entryCount));
    file.filePath = std::move(path);

    // With N = 0 the list still shows one row, for an entry at offset 30.
    const int rows = file.entryCount > 0 ? file.entryCount : 1;
    file.entryOffsets.reserve(static_cast<std::size_t>(rows));
    file.listTexts.reserve(static_cast<std::size_t>(rows));
    std::int64_t position = 2 * file.entryCount + kSizeTableOffset + 1;
    std::int64_t cursor = kSizeTableOffset;
    for (int row = 0; row < rows; ++row) {
        if (row > 0) {
            position += *header.u16(cursor);  // inside: checked against headerLength above
            cursor += 2;
        }
        file.entryOffsets.push_back(position);
        file.listTexts.push_back(std::to_string(position + 2));
    }
    return file;
}

// A whole file, its zero byte included, parsed and kept.
Result<ContainerFile> parseLoaded(FileBytes bytes, std::string path)
{
    const auto length = static_cast<std::int64_t>(bytes.size()) - 1;
    auto file = parseTable(ByteReader(bytes.span()), length, std::move(path));
    if (file) file->fileBytes = std::move(bytes);
    return file;
}

// A stream read to its end and parsed.
Result<ContainerFile> loadStream(const OpenedFile& file, const std::string& path)
{
    auto contents = readStream(file, path);
    if (!contents) return contents.error();
    return parseLoaded(std::move(*contents), path);
}

}  // namespace

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

std::int64_t headerLength(int entryCount)
{
    // the count byte is at offset 28; with N >= 2 the sizes of entries 0 to
    // N - 2 are read, the last of them ending at offset 30 + 2(N - 1)
    return entryCount < 2 ? kCountOffset + 1 : kSizeTableOffset + 2 * (entryCount - 1);
}

Result<ContainerFile> parseContainer(std::vector<std::uint8_t> contents, std::string path)
{
    const auto length = static_cast<std::int64_t>(contents.size());
    if (length > kMaxFileLength) return tooLarge(std::move(path), length);
    return parseLoaded(FileBytes::copyOf(contents), std::move(path));
}

// A regular file read whole: one read of the length it had when it was opened.
Result<ContainerFile> loadRegular(const OpenedFile& opened, const std::string& path)
{
    auto contents = readFrom(opened, opened.length, path);
    if (!contents) return contents.error();
    auto file = parseLoaded(std::move(*contents), path);
    if (file) file->identity = opened.identity;
    return file;
}

Result<ContainerFile> loadContainer(const std::string& path, Streams streams)
{
    const auto opened = openContainerFile(path, streams);
    if (!opened) return opened.error();
    if (!opened->regular) return loadStream(*opened, path);
    return loadRegular(*opened, path);
}

Result<ContainerFile> loadOpenContainer(int fd, const std::string& path)
{
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0) return makeError(ErrorCode::CannotOpen, path, errno);
    const auto opened = examine(FileHandle(own), path, Streams::Refused);
    if (!opened) return opened.error();
    return loadRegular(*opened, path);
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

int announcedRowCount(const std::string& path)
{
    // not even opened unless it is a regular file: opening a FIFO would
    // release its writer, who would then find nobody reading
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    const auto opened = openContainerFile(path, Streams::Refused);
    if (!opened) return 0;
    // a container's header is never longer than that of 255 entries
    const auto header = readFrom(*opened, std::min(opened->length, headerLength(kMaxEntries)), path);
    if (!header) return 0;
    const auto parsed = parseTable(ByteReader(header->span()), opened->length, path);
    return parsed ? parsed->rowCount() : 0;
}

ContainerIndex indexOf(const ContainerFile& file)
{
    ContainerIndex index;
    // the table without the bytes, which are not copied
    index.table.filePath = file.filePath;
    index.table.fileLength = file.fileLength;
    index.table.entryCount = file.entryCount;
    index.table.entryOffsets = file.entryOffsets;
    index.table.listTexts = file.listTexts;
    const ByteReader bytes = file.reader();
    for (int row = 0; row < file.rowCount(); ++row) {
        const auto head = bytes.span(file.entryOffset(row), 4);
        std::optional<std::array<std::uint8_t, 4>> four;
        if (!head.empty()) four = std::array<std::uint8_t, 4>{head[0], head[1], head[2], head[3]};
        index.heads.push_back(four);
    }
    return index;
}

Result<ContainerIndex> loadContainerIndex(const std::string& path, Streams streams)
{
    const auto opened = openContainerFile(path, streams);
    if (!opened) return opened.error();
    if (!opened->regular) {
        // a stream cannot be read at positions: read it whole
        const auto file = loadStream(*opened, path);
        if (!file) return file.error();
        return indexOf(*file);
    }
    const std::int64_t length = opened->length;
    const auto header = readFrom(*opened, std::min(length, headerLength(kMaxEntries)), path);
    if (!header) return header.error();
    auto table = parseTable(ByteReader(header->span()), length, path);
    if (!table) return table.error();

    ContainerIndex index;
    index.table = std::move(*table);
    for (int row = 0; row < index.table.rowCount(); ++row) {
        // the same bounds as in a whole file: the four bytes may end on the
        // zero byte behind the data
        const std::int64_t offset = index.table.entryOffset(row);
        std::optional<std::array<std::uint8_t, 4>> four;
        if (offset >= 0 && offset <= length + 1 - 4) {
            std::array<std::uint8_t, 4> bytes{};
            const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(4, length - offset));
            if (const int err = readAt(*opened, bytes.data(), wanted, offset); err != 0)
                return makeError(ErrorCode::CannotOpen, path, err);
            four = bytes;
        }
        index.heads.push_back(four);
    }
    return index;
}

}  // namespace zpk

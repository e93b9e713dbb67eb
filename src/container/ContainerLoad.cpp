// The loads: files read into containers, through the one input reader.
#include "container/Container.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace zpk {

namespace {

// A file read whole: a regular file in one read of the length it had when
// it was opened, a stream to its end.
Result<ContainerFile> loadWhole(const InputFile& opened, const std::string& path)
{
    auto contents = readInput(opened, path, kMaxFileLength);
    if (!contents) return contents.error();
    auto file = parseContainerBytes(std::move(*contents), path);
    if (file) file->identity = opened.identity;
    return file;
}

}  // namespace

Result<ContainerFile> loadContainer(const std::string& path, Streams streams)
{
    const auto opened = openInput(path, streams, kMaxFileLength);
    if (!opened) return opened.error();
    return loadWhole(*opened, path);
}

Result<ContainerFile> loadOpenContainer(int fd, const std::string& path)
{
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0) return makeError(ErrorCode::CannotOpen, path, errno);
    const auto opened = examineInput(FileHandle(own), path, Streams::Refused, kMaxFileLength);
    if (!opened) return opened.error();
    return loadWhole(*opened, path);
}

int announcedRowCount(const std::string& path)
{
    // not even opened unless it is a regular file: opening a FIFO would
    // release its writer, who would then find nobody reading
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    const auto opened = openInput(path, Streams::Refused, kMaxFileLength);
    if (!opened) return 0;
    // a container's header is never longer than that of 255 entries
    const auto header = readInputStart(*opened, std::min(opened->length, headerLength(kMaxEntries)), path);
    if (!header) return 0;
    const auto parsed = parseContainerTable(header->span(), opened->length, path);
    return parsed ? parsed->rowCount() : 0;
}

Result<ContainerIndex> loadContainerIndex(const std::string& path, Streams streams)
{
    const auto opened = openInput(path, streams, kMaxFileLength);
    if (!opened) return opened.error();
    if (!opened->regular) {
        // a stream cannot be read at positions: read it whole
        const auto file = loadWhole(*opened, path);
        if (!file) return file.error();
        return indexOf(*file);
    }
    const std::int64_t length = opened->length;
    const auto header = readInputStart(*opened, std::min(length, headerLength(kMaxEntries)), path);
    if (!header) return header.error();
    auto table = parseContainerTable(header->span(), length, path);
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
            if (const int err = readZeroFilled(opened->handle.fd(), bytes.data(), wanted, offset); err != 0)
                return makeError(ErrorCode::CannotOpen, path, err);
            four = bytes;
        }
        index.heads.push_back(four);
    }
    return index;
}

}  // namespace zpk

#include "container/Container.h"

#include <algorithm>

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
    std::int64_t position = 2 * std::int64_t{file.entryCount} + kSizeTableOffset + 1;
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

}  // namespace

std::int64_t headerLength(int entryCount)
{
    // the count byte is at offset 28; with N >= 2 the sizes of entries 0 to
    // N - 2 are read, the last of them ending at offset 30 + 2(N - 1)
    return entryCount < 2 ? kCountOffset + 1 : kSizeTableOffset + 2 * std::int64_t{entryCount - 1};
}

Result<ContainerFile> parseContainerBytes(FileBytes bytes, std::string path)
{
    const auto length = static_cast<std::int64_t>(bytes.size()) - 1;
    auto file = parseTable(ByteReader(bytes.span()), length, std::move(path));
    if (file) file->fileBytes = std::move(bytes);
    return file;
}

Result<ContainerFile> parseContainer(std::vector<std::uint8_t> contents, std::string path)
{
    const auto length = static_cast<std::int64_t>(contents.size());
    if (length > kMaxFileLength) return tooLarge(std::move(path), length);
    return parseContainerBytes(FileBytes::copyOf(contents), std::move(path));
}

Result<ContainerFile> parseContainerTable(std::span<const std::uint8_t> header, std::int64_t length,
                                          std::string path)
{
    return parseTable(ByteReader(header), length, std::move(path));
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

std::span<const std::uint8_t> entrySpan(const ContainerFile& file, int row)
{
    if (!file.isLoaded() || row < 0 || row >= file.rowCount()) return {};
    const std::int64_t begin = file.entryOffset(row);
    const std::int64_t end = std::min<std::int64_t>(file.entryEnd(row), file.fileLength);
    return file.reader().span(begin, std::max<std::int64_t>(0, end - begin));
}

}  // namespace zpk

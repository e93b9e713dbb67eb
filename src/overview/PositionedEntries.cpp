#include "overview/PositionedEntries.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace zpk {

namespace {

// A window's first size: the entry and a little of what follows, where its
// stream usually ends.
constexpr std::int64_t kWindowSlack = 4096;
// How far the decode must stay from a window's end for the bytes past it
// not to matter: it looks at most five bytes ahead (a run code, the length
// of a pair at the entry's end).
constexpr std::int64_t kWindowMargin = 8;

}  // namespace

Result<PositionedEntries> PositionedEntries::open(const std::string& path)
{
    auto index = loadContainerIndex(path, Streams::Refused);
    if (!index) return index.error();
    auto file = openInput(path, Streams::Refused, kMaxFileLength);
    if (!file) return file.error();
    return PositionedEntries(std::move(*index), std::move(file->handle));
}

Result<WindowDecode> PositionedEntries::decode(int row, const PictureOptions& options, std::int64_t maxWindow,
                                               Deadline deadline)
{
    WindowDecode out;
    out.image.row = row;
    const ContainerFile& table = m_index.table;
    if (row < 0 || row >= table.rowCount() || !m_index.heads[static_cast<std::size_t>(row)]) return out;

    const std::int64_t base = table.entryOffset(row);
    const std::int64_t rest = table.fileLength - base;  // at least 3: the head lies inside
    const bool last = row + 1 >= table.rowCount();
    const std::int64_t size = last ? rest : table.entryOffset(row + 1) - base;
    std::int64_t window = last ? rest : std::min(rest, size + kWindowSlack);
    for (;;) {
        if (window > maxWindow) {
            out.outcome = WindowOutcome::TooLarge;
            return out;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            out.outcome = WindowOutcome::OutOfTime;
            return out;
        }
        out.image = DecodedImage{};  // a larger window's decode replaces it: not both at once
        // the window as a container of its own: the entry at offset 0 and,
        // but for the last, the next one where it starts
        ContainerFile part;
        part.filePath = table.filePath;
        part.fileLength = static_cast<std::int32_t>(window);
        part.fileBytes = FileBytes(static_cast<std::size_t>(window));
        if (const int err =
                readZeroFilled(m_file.fd(), part.fileBytes.data(), static_cast<std::size_t>(window), base);
            err != 0)
            return makeError(ErrorCode::CannotOpen, table.filePath, err);
        m_bytesRead += window;
        part.entryCount = last ? 1 : 2;
        part.entryOffsets = {1};
        part.listTexts = {"3"};
        if (!last) {
            part.entryOffsets.push_back(size + 1);
            part.listTexts.push_back(std::to_string(size + 3));
        }
        out.palette = Palette{};
        out.image = decodeEntry(part, 0, out.palette, options);
        const bool whole = window == rest;
        const bool enough = !last && window >= size + kWindowMargin &&
                            out.image.streamStart + kWindowMargin <= window &&
                            out.image.streamEnd + kWindowMargin <= window;
        if (whole || enough) break;
        if (window >= maxWindow) {
            out.outcome = WindowOutcome::TooLarge;
            return out;
        }
        window = std::min({rest, maxWindow, 2 * window});
    }
    out.image.row = row;
    out.image.entryStart += base;
    out.image.entryEnd += base;
    out.image.streamStart += base;
    out.image.streamEnd += base;
    return out;
}

}  // namespace zpk

#include "pack/ContainerEdit.h"

#include "container/Container.h"
#include "decode/Decoder.h"

#include <algorithm>
#include <numeric>

namespace zpk {

namespace {

Error editError(const std::string& path, Refusal refusal, int row)
{
    Error e = makeRefusal(ErrorCode::CannotPack, refusal);
    e.path = path;
    e.row = row;
    return e;
}

Error noSuchRow(const EditableContainer& container, int row)
{
    Error e = editError(container.path, Refusal::NoSuchRow, row);
    e.count = container.rowCount();
    return e;
}

// The writer's refusals, as a refusal to edit `path`.
Error asPackError(Error e, const std::string& path, int row)
{
    if (e.code == ErrorCode::InvalidImage) e.code = ErrorCode::CannotPack;
    e.path = path;
    e.row = row;
    return e;
}

// The first problem with row numbers given: one out of range, or one twice.
std::optional<Error> rowsProblem(const EditableContainer& container, const std::vector<int>& rows)
{
    std::vector<bool> seen(container.rows.size(), false);
    for (const int row : rows) {
        if (row < 0 || row >= container.rowCount() || seen[static_cast<std::size_t>(row)])
            return noSuchRow(container, row);
        seen[static_cast<std::size_t>(row)] = true;
    }
    return std::nullopt;
}

EntryData owned(std::vector<std::uint8_t> bytes)
{
    auto buffer = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
    return {buffer, std::span<const std::uint8_t>(*buffer)};
}

// What a decode of one row shows, to tell whether two decodes agree.
struct Decoded {
    DecodedImage image;
    Palette palette{};
};

// How much of what follows a row its decode is given: a decode that ends
// exactly at the entry's end reads at most four bytes past it, so the
// verdicts on a row with this much behind it are those on the whole file.
constexpr std::size_t kTailDecoded = std::size_t{1} << 20;

// Row `row` decoded on its own, with up to kTailDecoded bytes of the rows
// behind it as one more entry: as the whole container would decode it.
Decoded decodeAlone(const EditableContainer& container, int row)
{
    ContainerPlan part;
    part.borrow(container.rows[static_cast<std::size_t>(row)].bytes);
    if (row + 1 < container.rowCount()) {
        std::vector<std::uint8_t> tail;
        for (std::size_t j = static_cast<std::size_t>(row) + 1; j < container.rows.size(); ++j) {
            const auto bytes = container.rows[j].bytes;
            const std::size_t taken = std::min(bytes.size(), kTailDecoded - tail.size());
            tail.insert(tail.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
            if (tail.size() >= kTailDecoded) break;
        }
        part.own(std::move(tail));
    }
    Decoded out;
    auto bytes = part.bytes();
    if (!bytes) return out;  // a row over 65535 bytes that is not the last: refused before
    auto file = parseContainer(std::move(*bytes));
    if (file) out.image = decodeEntry(*file, 0, out.palette);
    return out;
}

// Whether the stream of a decoded entry gave every pixel and ended exactly
// at the entry's end.
bool decodedExactly(const DecodedImage& image)
{
    return image.hasData && image.pixelCount() > 0 && image.produced == image.pixelCount() &&
           image.streamEnd == image.entryEnd;
}

bool sameDecode(const Decoded& a, const Decoded& b)
{
    return a.image.imageWidth == b.image.imageWidth && a.image.imageHeight == b.image.imageHeight &&
           a.image.produced == b.image.produced && a.image.storedColours == b.image.storedColours &&
           a.image.runCodes == b.image.runCodes && a.image.pixels == b.image.pixels && a.palette == b.palette;
}

// Whether a decode shows exactly `image`: every pixel (of the part the
// decoder stores), and its colours.
bool showsImage(const Decoded& got, const WriterImage& image)
{
    const std::int64_t area = static_cast<std::int64_t>(image.width) * image.height;
    if (!got.image.hasData || got.image.imageWidth != image.width || got.image.imageHeight != image.height)
        return false;
    if (area == 0) return true;
    if (got.image.produced != area || got.image.streamEnd != got.image.entryEnd) return false;
    for (int y = 0; y < got.image.clippedHeight; ++y) {
        const auto* want =
            image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width);
        const auto* have = got.image.pixels.data() +
                           static_cast<std::size_t>(y) * static_cast<std::size_t>(got.image.clippedWidth);
        if (!std::equal(have, have + got.image.clippedWidth, want)) return false;
    }
    for (std::size_t v = 0; v < image.colours.size(); ++v) {
        const Rgb& c = image.colours[v];
        if (got.palette[v + 2] != makeColour(c.red, c.green, c.blue)) return false;
    }
    return true;
}

// The bytes that follow row `row`, as far as a decode that ends at its end
// may look (with room to spare), and -1 where the file ends.
std::vector<int> bytesBehind(const EditableContainer& container, int row)
{
    constexpr std::size_t kLooked = 8;
    std::vector<int> out;
    for (std::size_t j = static_cast<std::size_t>(row) + 1; j < container.rows.size() && out.size() < kLooked;
         ++j)
        for (const std::uint8_t b : container.rows[j].bytes) {
            if (out.size() == kLooked) break;
            out.push_back(b);
        }
    if (out.size() < kLooked) out.push_back(-1);
    return out;
}

// One row of an edited container: a row of the old one, a picture to
// encode, or bytes taken as they are.
struct Placed {
    int oldRow = -1;
    const WriterImage* image = nullptr;
    const std::vector<std::uint8_t>* raw = nullptr;
};

// The container whose rows are `layout`, every limit checked before
// anything is encoded, the new pictures decoded back and the old rows with
// other bytes behind them decoded again.
Result<EditableContainer> rebuild(const EditableContainer& old, const std::vector<Placed>& layout)
{
    const std::size_t count = layout.size();
    if (count > static_cast<std::size_t>(kMaxEntries)) {
        Error e = editError(old.path, Refusal::TooManyEntries, -1);
        e.count = static_cast<std::int64_t>(count);
        e.limit = kMaxEntries;
        return e;
    }
    // a row's number in errors: its own for an old row, the one it would
    // take for a new one
    auto rowOf = [&](std::size_t k) {
        return layout[k].oldRow >= 0 ? layout[k].oldRow : static_cast<int>(k);
    };
    // the sides first, before any picture is encoded
    for (std::size_t k = 0; k < count; ++k) {
        const WriterImage* image = layout[k].image;
        if (image && (image->width < 0 || image->width > kMaxImageSide || image->height < 0 ||
                      image->height > kMaxImageSide)) {
            Error e = editError(old.path, Refusal::SideOutOfRange, rowOf(k));
            e.imageWidth = image->width;
            e.imageHeight = image->height;
            return e;
        }
    }

    EditableContainer out{old.path, old.label, old.byte29, std::vector<EntryData>(count)};
    // back to front: each picture is encoded knowing the first byte behind it
    int nextByte = -1;
    for (std::size_t k = count; k-- > 0;) {
        const Placed& placed = layout[k];
        if (placed.image) {
            auto encoded = encodeEntry(*placed.image, nextByte);
            if (!encoded) return asPackError(encoded.error(), old.path, rowOf(k));
            out.rows[k] = owned(std::move(*encoded));
        } else if (placed.raw) {
            out.rows[k] = owned(*placed.raw);
        } else {
            out.rows[k] = old.rows[static_cast<std::size_t>(placed.oldRow)];
        }
        if (auto problem = entrySizeProblem(k, out.rows[k].bytes.size(), count))
            return asPackError(std::move(*problem), old.path, rowOf(k));
        if (!out.rows[k].bytes.empty()) nextByte = out.rows[k].bytes.front();
    }

    for (std::size_t k = 0; k < count; ++k) {
        const Placed& placed = layout[k];
        const int row = static_cast<int>(k);
        if (placed.image) {
            if (!showsImage(decodeAlone(out, row), *placed.image))
                return editError(old.path, Refusal::NotDecodedBack, row);
        } else if (placed.oldRow >= 0 && !out.rows[k].bytes.empty() &&
                   bytesBehind(out, row) != bytesBehind(old, placed.oldRow)) {
            const Decoded before = decodeAlone(old, placed.oldRow);
            if (decodedExactly(before.image) && !sameDecode(before, decodeAlone(out, row)))
                return editError(old.path, Refusal::RowBeforeChanged, placed.oldRow);
        }
    }
    return out;
}

std::vector<Placed> unchanged(const EditableContainer& container)
{
    std::vector<Placed> layout(container.rows.size());
    for (std::size_t k = 0; k < layout.size(); ++k) layout[k].oldRow = static_cast<int>(k);
    return layout;
}

}  // namespace

ContainerPlan EditableContainer::plan() const
{
    ContainerPlan out;
    out.header(label, byte29);
    for (const EntryData& row : rows) out.borrow(row.bytes);
    return out;
}

ContainerPlan planKeepingNew(const EditableContainer& edited)
{
    ContainerPlan plan;
    plan.header(edited.label, edited.byte29);
    for (const EntryData& row : edited.rows) {
        if (row.owner) plan.own(std::vector<std::uint8_t>(row.bytes.begin(), row.bytes.end()));
        else plan.borrow(row.bytes);
    }
    return plan;
}

Result<ContainerFile> EditableContainer::file() const
{
    auto bytes = plan().bytes();
    if (!bytes) return asPackError(bytes.error(), path, -1);
    return parseContainer(std::move(*bytes), path);
}

Result<EditableContainer> editableContainer(const ContainerFile& file, bool borrow)
{
    EditableContainer out;
    out.path = file.filePath;
    if (!file.isLoaded()) return noSuchRow(out, 0);
    for (int j = 0; j < file.rowCount(); ++j) {
        if (file.entryOffset(j) > file.fileLength) {
            Error e = editError(file.filePath, Refusal::RowPastEnd, j);
            e.offset = file.entryOffset(j);
            e.actualLength = file.fileLength;
            return e;
        }
    }
    const ByteReader reader = file.reader();
    for (std::size_t i = 0; i < out.label.size(); ++i)
        out.label[i] = reader.at(static_cast<std::int64_t>(i)).value_or(0);
    out.byte29 = reader.at(29).value_or(0);

    std::shared_ptr<const std::vector<std::uint8_t>> copy;
    std::span<const std::uint8_t> data = reader.span(0, file.fileLength);
    if (!borrow) {
        copy = std::make_shared<const std::vector<std::uint8_t>>(data.begin(), data.end());
        data = *copy;
    }
    for (int j = 0; j < file.rowCount(); ++j) {
        const std::int64_t begin = file.entryOffset(j);
        const std::int64_t end = std::min<std::int64_t>(file.entryEnd(j), file.fileLength);
        out.rows.push_back(
            {copy, data.subspan(static_cast<std::size_t>(begin),
                                static_cast<std::size_t>(std::max<std::int64_t>(0, end - begin)))});
    }
    return out;
}

Result<EditableContainer> replaceRows(const EditableContainer& container, const std::vector<int>& rows,
                                      const std::vector<WriterImage>& images)
{
    assert(rows.size() == images.size());
    if (auto problem = rowsProblem(container, rows)) return std::move(*problem);
    std::vector<Placed> layout = unchanged(container);
    for (std::size_t k = 0; k < rows.size(); ++k)
        layout[static_cast<std::size_t>(rows[k])] = {-1, &images[k], nullptr};
    return rebuild(container, layout);
}

Result<EditableContainer> replaceRowBytes(const EditableContainer& container, int row,
                                          const std::vector<std::uint8_t>& bytes)
{
    if (auto problem = rowsProblem(container, {row})) return std::move(*problem);
    std::vector<Placed> layout = unchanged(container);
    layout[static_cast<std::size_t>(row)] = {-1, nullptr, &bytes};
    return rebuild(container, layout);
}

Result<EditableContainer> insertRows(const EditableContainer& container, int at,
                                     const std::vector<WriterImage>& images)
{
    if (at < 0 || at > container.rowCount()) return noSuchRow(container, at);
    std::vector<Placed> layout = unchanged(container);
    std::vector<Placed> inserted(images.size());
    for (std::size_t k = 0; k < images.size(); ++k) inserted[k].image = &images[k];
    layout.insert(layout.begin() + at, inserted.begin(), inserted.end());
    return rebuild(container, layout);
}

Result<EditableContainer> deleteRows(const EditableContainer& container, const std::vector<int>& rows)
{
    if (auto problem = rowsProblem(container, rows)) return std::move(*problem);
    if (rows.size() >= container.rows.size()) {
        Error e = editError(container.path, Refusal::NoRowsLeft, -1);
        e.count = container.rowCount();
        return e;
    }
    std::vector<bool> gone(container.rows.size(), false);
    for (const int row : rows) gone[static_cast<std::size_t>(row)] = true;
    std::vector<Placed> layout;
    for (int j = 0; j < container.rowCount(); ++j)
        if (!gone[static_cast<std::size_t>(j)]) layout.push_back({j, nullptr, nullptr});
    return rebuild(container, layout);
}

Result<EditableContainer> reorderRows(const EditableContainer& container, const std::vector<int>& order)
{
    if (auto problem = rowsProblem(container, order)) return std::move(*problem);
    if (order.size() != container.rows.size()) {
        // a row left out: the first one missing
        std::vector<bool> seen(container.rows.size(), false);
        for (const int row : order) seen[static_cast<std::size_t>(row)] = true;
        const auto missing = std::find(seen.begin(), seen.end(), false) - seen.begin();
        return noSuchRow(container, static_cast<int>(missing));
    }
    std::vector<Placed> layout;
    layout.reserve(order.size());
    for (const int row : order) layout.push_back({row, nullptr, nullptr});
    return rebuild(container, layout);
}

Result<EditableContainer> moveRow(const EditableContainer& container, int from, int to)
{
    for (const int row : {from, to})
        if (row < 0 || row >= container.rowCount()) return noSuchRow(container, row);
    return reorderRows(container, reorder::gather(container.rowCount(), {from}, to > from ? to + 1 : to));
}

namespace reorder {

std::vector<int> gather(int rowCount, const std::vector<int>& selected, int before)
{
    std::vector<bool> chosen(static_cast<std::size_t>(std::max(rowCount, 0)), false);
    std::vector<int> picked;
    for (const int row : selected)
        if (row >= 0 && row < rowCount && !chosen[static_cast<std::size_t>(row)]) {
            chosen[static_cast<std::size_t>(row)] = true;
            picked.push_back(row);
        }
    std::sort(picked.begin(), picked.end());
    std::vector<int> order;
    for (int j = 0; j <= rowCount; ++j) {
        if (j == before) order.insert(order.end(), picked.begin(), picked.end());
        if (j < rowCount && !chosen[static_cast<std::size_t>(j)]) order.push_back(j);
    }
    if (before < 0 || before > rowCount) order.insert(order.end(), picked.begin(), picked.end());
    return order;
}

std::vector<int> step(int rowCount, const std::vector<int>& selected, int step)
{
    const auto n = static_cast<std::size_t>(std::max(rowCount, 0));
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::vector<char> chosen(n, 0);
    for (const int row : selected)
        if (row >= 0 && row < rowCount) chosen[static_cast<std::size_t>(row)] = 1;
    // a row not selected that a selected one steps past goes on past the
    // whole block, so the blocks keep their order
    auto swapAt = [&](std::size_t a, std::size_t b) {
        std::swap(order[a], order[b]);
        std::swap(chosen[a], chosen[b]);
    };
    if (step < 0) {
        for (std::size_t j = 1; j < n; ++j)
            if (chosen[j] && !chosen[j - 1]) swapAt(j, j - 1);
    } else {
        for (std::size_t j = n; j-- > 1;)
            if (chosen[j - 1] && !chosen[j]) swapAt(j - 1, j);
    }
    return order;
}

std::vector<int> newRows(const std::vector<int>& order)
{
    std::vector<int> out(order.size(), -1);
    for (std::size_t k = 0; k < order.size(); ++k)
        if (order[k] >= 0 && static_cast<std::size_t>(order[k]) < out.size())
            out[static_cast<std::size_t>(order[k])] = static_cast<int>(k);
    return out;
}

}  // namespace reorder

}  // namespace zpk

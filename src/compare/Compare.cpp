#include "compare/Compare.h"

#include "container/Container.h"
#include "decode/Decoder.h"
#include "export/EntryExport.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zpk {

namespace {

bool hasRow(const ContainerFile& file, int row) { return row >= 0 && row < file.rowCount(); }

// What both sides tell of themselves without decoding: the entries' sizes
// and byte lengths.
RowDifference entryFacts(const ContainerFile& a, const ContainerFile& b, int row)
{
    RowDifference d;
    d.row = row;
    if (const auto size = entrySize(a, row)) {
        d.widthA = size->width;
        d.heightA = size->height;
    }
    if (const auto size = entrySize(b, row)) {
        d.widthB = size->width;
        d.heightB = size->height;
    }
    d.bytesA = static_cast<std::int64_t>(entrySpan(a, row).size());
    d.bytesB = static_cast<std::int64_t>(entrySpan(b, row).size());
    return d;
}

bool sameEntryBytes(const ContainerFile& a, const ContainerFile& b, int row)
{
    const auto bytesA = entrySpan(a, row);
    const auto bytesB = entrySpan(b, row);
    return std::equal(bytesA.begin(), bytesA.end(), bytesB.begin(), bytesB.end());
}

// The pixels of two pictures of one size that do not show the same.
std::int64_t differingPixels(const RgbaImage& a, const RgbaImage& b)
{
    // most rows compared are the same: one pass of memcmp says so
    if (a.rgba.size() == b.rgba.size() &&
        (a.rgba.empty() || std::memcmp(a.rgba.data(), b.rgba.data(), a.rgba.size()) == 0))
        return 0;
    // a pixel as one word, so that the loop compares four bytes at once:
    // two words differ and one of them is not transparent
    constexpr std::uint8_t alphaBytes[4] = {0, 0, 0, 0xFF};
    std::uint32_t alpha = 0;
    std::memcpy(&alpha, alphaBytes, 4);
    std::int64_t count = 0;
    const std::size_t pixels = std::min(a.rgba.size(), b.rgba.size()) / 4;
    const std::uint8_t* pa = a.rgba.data();
    const std::uint8_t* pb = b.rgba.data();
    for (std::size_t i = 0; i < pixels; ++i) {
        std::uint32_t wa = 0;
        std::uint32_t wb = 0;
        std::memcpy(&wa, pa + 4 * i, 4);
        std::memcpy(&wb, pb + 4 * i, 4);
        count += (wa != wb && ((wa | wb) & alpha) != 0) ? 1 : 0;
    }
    return count;
}

// The change between two rows both containers have, from what each exports.
void judgePictures(RowDifference& d, const Result<RgbaImage>& a, const Result<RgbaImage>& b,
                   const ContainerFile& fileA, const ContainerFile& fileB)
{
    if (!a || !b) {
        if (!a) d.problemA = a.error();
        if (!b) d.problemB = b.error();
        const bool bothFail = !a && !b;
        d.change = bothFail && sameEntryBytes(fileA, fileB, d.row) ? RowChange::Same : RowChange::Picture;
        return;
    }
    if (a->width != b->width || a->height != b->height) {
        d.change = RowChange::Size;
        return;
    }
    d.differingPixels = differingPixels(*a, *b);
    d.change = d.differingPixels == 0 ? RowChange::Same : RowChange::Pixels;
}

// The change when the row is missing from one side or both, or nothing
// when both have it.
std::optional<RowChange> presence(const ContainerFile& a, const ContainerFile& b, int row)
{
    const bool inA = hasRow(a, row);
    const bool inB = hasRow(b, row);
    if (inA && inB) return std::nullopt;
    if (inA) return RowChange::OnlyInA;
    if (inB) return RowChange::OnlyInB;
    return RowChange::Same;
}

// The picture of a row, or nothing when it has none.
std::optional<RgbaImage> pictureOf(Result<RgbaImage>& picture)
{
    if (!picture) return std::nullopt;
    return std::move(*picture);
}

}  // namespace

RowDifference compareRow(const ContainerFile& a, const ContainerFile& b, int row, CompareBy by,
                         const PictureOptions& options)
{
    RowDifference d = entryFacts(a, b, row);
    if (const auto change = presence(a, b, row)) {
        d.change = *change;
        return d;
    }
    if (by == CompareBy::Bytes) {
        d.change = sameEntryBytes(a, b, row) ? RowChange::Same : RowChange::Bytes;
        return d;
    }
    judgePictures(d, exportPicture(a, row, options), exportPicture(b, row, options), a, b);
    return d;
}

ContainerComparison compareContainers(const ContainerFile& a, const ContainerFile& b, CompareBy by,
                                      const PictureOptions& options,
                                      const std::function<bool(int done, int total)>& progress)
{
    ContainerComparison out;
    const int total = std::max(a.rowCount(), b.rowCount());
    out.rows.reserve(static_cast<std::size_t>(total));
    for (int row = 0; row < total; ++row) {
        out.rows.push_back(compareRow(a, b, row, by, options));
        if (progress && !progress(row + 1, total)) return out;
    }
    out.complete = true;
    return out;
}

RowPictures rowPictures(const ContainerFile& a, const ContainerFile& b, int row,
                        const PictureOptions& options)
{
    RowPictures out;
    out.difference = entryFacts(a, b, row);
    RowDifference& d = out.difference;
    const auto change = presence(a, b, row);
    auto pictureA =
        hasRow(a, row) ? exportPicture(a, row, options) : Result<RgbaImage>(makeError(ErrorCode::NoData));
    auto pictureB =
        hasRow(b, row) ? exportPicture(b, row, options) : Result<RgbaImage>(makeError(ErrorCode::NoData));
    if (change) d.change = *change;
    else judgePictures(d, pictureA, pictureB, a, b);
    out.a = pictureOf(pictureA);
    out.b = pictureOf(pictureB);

    const int widthA = out.a ? out.a->width : 0;
    const int heightA = out.a ? out.a->height : 0;
    const int widthB = out.b ? out.b->width : 0;
    const int heightB = out.b ? out.b->height : 0;
    out.width = std::max(widthA, widthB);
    out.height = std::max(heightA, heightB);
    out.mask.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height), 0);
    const auto pixelOf = [](const RgbaImage& image, int x, int y) {
        return image.rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                                    static_cast<std::size_t>(x)) *
                                       4;
    };
    for (int y = 0; y < out.height; ++y) {
        std::uint8_t* line =
            out.mask.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width);
        for (int x = 0; x < out.width; ++x) {
            const bool inA = x < widthA && y < heightA;
            const bool inB = x < widthB && y < heightB;
            const bool differ =
                inA != inB || (inA && inB && !samePixel(pixelOf(*out.a, x, y), pixelOf(*out.b, x, y)));
            line[x] = differ ? 1 : 0;
        }
    }
    return out;
}

}  // namespace zpk

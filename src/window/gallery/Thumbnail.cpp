#include "window/gallery/Thumbnail.h"

#include "decode/Decoder.h"
#include "draw/Draw.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zpk {

namespace {

// One RGBA pixel as ImageRows writes it, in the QImage's premultiplied
// ARGB32. Drawn pixels are opaque and the rest all zeros, so the bytes are
// premultiplied already.
inline QRgb packed(const std::uint8_t* p)
{
    return (static_cast<QRgb>(p[3]) << 24) | (static_cast<QRgb>(p[0]) << 16) |
           (static_cast<QRgb>(p[1]) << 8) | static_cast<QRgb>(p[2]);
}

// The image at 1x.
QImage fullSizeImage(const ImageRows& rows)
{
    QImage out(rows.width(), rows.height(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) return out;
    std::vector<std::uint8_t> line(rows.rowBytes());
    for (int y = 0; y < rows.height(); ++y) {
        rows.row(y, line.data());
        auto* target = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < rows.width(); ++x)
            target[x] = packed(line.data() + 4 * static_cast<std::size_t>(x));
    }
    return out;
}

// The image scaled down to `size` (no larger than the image either way):
// each target pixel is the average of the source pixels that fall into it,
// colours weighted by their alpha (the pixels are premultiplied), so that a
// transparent pixel adds no colour. Source column x goes to target column
// x * width' / width, and rows the same way; every target pixel gets at
// least one source pixel. One source row is held at a time.
QImage boxScaled(const ImageRows& rows, QSize size)
{
    const int width = rows.width();
    const int height = rows.height();
    const int targetWidth = size.width();
    const int targetHeight = size.height();
    QImage out(targetWidth, targetHeight, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) return out;

    std::vector<int> columnOf(static_cast<std::size_t>(width));
    std::vector<std::uint32_t> columnsIn(static_cast<std::size_t>(targetWidth), 0);
    for (int x = 0; x < width; ++x) {
        const auto target = static_cast<int>(static_cast<std::int64_t>(x) * targetWidth / width);
        columnOf[static_cast<std::size_t>(x)] = target;
        ++columnsIn[static_cast<std::size_t>(target)];
    }
    // A sum counts at most (width / targetWidth + 1) x (height /
    // targetHeight + 1) pixels of up to 255: the fitted size keeps the
    // longer side at 32 or more, so far below 2^32.
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(targetWidth) * 4);
    std::vector<std::uint8_t> line(rows.rowBytes());
    int y = 0;
    for (int targetY = 0; targetY < targetHeight; ++targetY) {
        std::fill(sums.begin(), sums.end(), 0u);
        std::uint32_t band = 0;
        for (; y < height && static_cast<std::int64_t>(y) * targetHeight / height == targetY; ++y, ++band) {
            rows.row(y, line.data());
            const std::uint8_t* p = line.data();
            for (int x = 0; x < width; ++x, p += 4) {
                std::uint32_t* s =
                    sums.data() + 4 * static_cast<std::size_t>(columnOf[static_cast<std::size_t>(x)]);
                s[0] += p[0];
                s[1] += p[1];
                s[2] += p[2];
                s[3] += p[3];
            }
        }
        auto* target = reinterpret_cast<QRgb*>(out.scanLine(targetY));
        for (int x = 0; x < targetWidth; ++x) {
            const std::uint32_t count = columnsIn[static_cast<std::size_t>(x)] * band;
            const std::uint32_t* s = sums.data() + 4 * static_cast<std::size_t>(x);
            std::uint8_t average[4];
            for (int c = 0; c < 4; ++c) average[c] = static_cast<std::uint8_t>((s[c] + count / 2) / count);
            target[x] = packed(average);
        }
    }
    return out;
}

// Whether every pixel of a premultiplied ARGB32 image has alpha 255: its
// bytes are then those of the same image in Format_RGB32.
bool isOpaque(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 255) return false;
    }
    return !image.isNull();
}

}  // namespace

QSize fittedSize(int width, int height, int side)
{
    if (width <= side && height <= side) return {width, height};
    const std::int64_t longer = std::max(width, height);
    const auto scaled = [&](int length) {
        return static_cast<int>(
            std::max<std::int64_t>(1, (static_cast<std::int64_t>(length) * side + longer / 2) / longer));
    };
    return {scaled(width), scaled(height)};
}

Thumbnail makeThumbnail(const ContainerFile& file, int row, const PictureOptions& options, int side)
{
    Thumbnail out;
    out.row = row;
    out.side = std::clamp(side, kMinThumbnailSide, kMaxThumbnailSide);
    Palette palette{};  // fresh for every entry, as the tool's export
    const DecodedImage image = decodeEntry(file, row, palette, options);
    if (!image.hasData) {
        out.kind = Thumbnail::Kind::NoData;
        return out;
    }
    if (image.pixelCount() == 0 || image.clippedWidth < 1 || image.clippedHeight < 1) {
        out.kind = Thumbnail::Kind::NothingToDraw;
        return out;
    }
    const ImageRows rows = ImageRows::rgba(image, palette, options.dropFirst);
    const QSize size = fittedSize(rows.width(), rows.height(), out.side);
    out.fullSize = size == QSize(rows.width(), rows.height());
    out.image = out.fullSize ? fullSizeImage(rows) : boxScaled(rows, size);
    if (isOpaque(out.image)) out.image.reinterpretAsFormat(QImage::Format_RGB32);
    // no memory for at most 256 x 256 pixels: shown as nothing to draw
    // rather than asked for again and again
    out.kind = out.image.isNull() ? Thumbnail::Kind::NothingToDraw : Thumbnail::Kind::Picture;
    return out;
}

bool sameThumbnailOptions(const PictureOptions& a, const PictureOptions& b)
{
    if (a.userColor != b.userColor || a.dropFirst != b.dropFirst) return false;
    if (a.userColor && (a.color1 != b.color1 || a.color2 != b.color2 || a.color3 != b.color3)) return false;
    if (a.externalPalette == b.externalPalette) return true;
    return a.externalPalette && b.externalPalette && *a.externalPalette == *b.externalPalette;
}

}  // namespace zpk

#include "window/gallery/Thumbnail.h"

#include "decode/Decoder.h"
#include "overview/SheetCanvas.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace zpk {

namespace {

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

// The picture at `size`, shrunk as the sheet and the file manager's
// thumbnail shrink it, in premultiplied ARGB32.
QImage drawn(const EntryPicture& picture, FittedSize size)
{
    SheetCanvas canvas(size.width, size.height);
    canvas.placePicture(0, 0, picture, size.width, size.height);
    QImage out(size.width, size.height, QImage::Format_ARGB32);
    if (out.isNull()) return out;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(size.width) * 4);
    for (int y = 0; y < size.height; ++y) {
        canvas.row(y, line.data());
        auto* target = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < size.width; ++x) {
            const std::uint8_t* p = line.data() + 4 * static_cast<std::size_t>(x);
            target[x] = qRgba(p[0], p[1], p[2], p[3]);
        }
    }
    out.convertTo(QImage::Format_ARGB32_Premultiplied);
    return out;
}

}  // namespace

Thumbnail makeThumbnail(const ContainerFile& file, int row, const PictureOptions& options, int side)
{
    Thumbnail out;
    out.row = row;
    out.side = std::clamp(side, kMinThumbnailSide, kMaxThumbnailSide);
    Palette palette{};  // fresh for every entry, as the tool's export
    DecodedImage image = decodeEntry(file, row, palette, options);
    if (!image.hasData) {
        out.kind = Thumbnail::Kind::NoData;
        return out;
    }
    if (image.pixelCount() == 0 || image.clippedWidth < 1 || image.clippedHeight < 1) {
        out.kind = Thumbnail::Kind::NothingToDraw;
        return out;
    }
    out.selfContained = image.produced == image.pixelCount() && image.streamEnd == image.entryEnd;
    const FittedSize size = fittedSize(image.clippedWidth, image.clippedHeight, out.side);
    out.fullSize = size.width == image.clippedWidth && size.height == image.clippedHeight;
    out.image = drawn(entryPicture(std::move(image), palette, options.dropFirst), size);
    if (isOpaque(out.image)) out.image.reinterpretAsFormat(QImage::Format_RGB32);
    // no memory for at most 256 x 256 pixels: shown as nothing to draw
    // rather than asked for again and again
    out.kind = out.image.isNull() ? Thumbnail::Kind::NothingToDraw : Thumbnail::Kind::Picture;
    return out;
}

}  // namespace zpk

#include "draw/Draw.h"

#include <algorithm>

namespace zpk {

namespace {

// Calls f(x, y, value) for every drawn pixel of the image within the first
// `columns` columns and `rows` rows, x and y counted from 0, row by row.
template <typename F>
void forEachDrawn(const DecodedImage& image, int columns, int rows, DropFirst dropFirst, F f)
{
    columns = std::min(columns, image.clippedWidth);
    rows = std::min(rows, image.clippedHeight);
    for (int y = 0; y < rows; ++y) {
        const std::int64_t rowStart = static_cast<std::int64_t>(y) * image.imageWidth;
        if (rowStart >= image.produced) break;
        // pixels 1 to `produced` hold values: the rest of the image is empty
        const int end = static_cast<int>(std::min<std::int64_t>(columns, image.produced - rowStart));
        const std::uint8_t* line = image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.clippedWidth);
        if (dropFirst == DropFirst::On) {
            for (int x = 0; x < end; ++x) {
                if (line[x] != 0) f(x, y, line[x]);
            }
        } else {
            for (int x = 0; x < end; ++x) f(x, y, line[x]);
        }
    }
}

}  // namespace

std::array<std::uint32_t, 256> pixelColours(const Palette& palette)
{
    std::array<std::uint32_t, 256> colours{};
    for (std::size_t v = 0; v < colours.size(); ++v) colours[v] = toArgb(palette[v + 2]);
    return colours;
}

void drawImage(Surface& surface, const DecodedImage& image, const Palette& palette, DropFirst dropFirst)
{
    if (!image.hasData || image.produced == 0) return;
    const auto colours = pixelColours(palette);
    // image pixel (x, y), from 1, lands on surface pixel (x, y), from 0
    forEachDrawn(image, surface.width() - 1, surface.height() - 1, dropFirst,
                 [&](int x, int y, std::uint8_t v) { surface.scanLine(y + 1)[x + 1] = colours[v]; });
}

RgbaImage renderRgba(const DecodedImage& image, const Palette& palette, DropFirst dropFirst)
{
    RgbaImage out;
    out.width = image.clippedWidth;
    out.height = image.clippedHeight;
    out.rgba.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 4, 0);
    forEachDrawn(image, out.width, out.height, dropFirst, [&](int x, int y, std::uint8_t v) {
        const Colour c = palette[static_cast<std::size_t>(v) + 2];
        std::uint8_t* p = out.rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width) + static_cast<std::size_t>(x)) * 4;
        p[0] = static_cast<std::uint8_t>(redOf(c));
        p[1] = static_cast<std::uint8_t>(greenOf(c));
        p[2] = static_cast<std::uint8_t>(blueOf(c));
        p[3] = 255;
    });
    return out;
}

}  // namespace zpk

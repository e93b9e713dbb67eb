#include "draw/Draw.h"

#include <algorithm>
#include <cstring>

namespace zpk {

namespace {

// How many of row y's stored values, from the left and within `columns`,
// the stream produced (pixels 1 to `produced` hold values, the rest of the
// image is empty); 0 once the stream ended before the row.
int producedInRow(const DecodedImage& image, int y, int columns)
{
    const std::int64_t rowStart = static_cast<std::int64_t>(y) * image.imageWidth;
    if (rowStart >= image.produced) return 0;
    return static_cast<int>(
        std::min<std::int64_t>(std::min(columns, image.clippedWidth), image.produced - rowStart));
}

const std::uint8_t* storedRow(const DecodedImage& image, int y)
{
    return image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.clippedWidth);
}

// What pixel value v becomes in an exported image: the colour of palette
// entry v + 2, opaque, except that with DropFirst::On value 0 is
// transparent, as it is never drawn. Both image forms take their colours
// and alpha from here.
struct ExportColour {
    Colour colour = 0;
    std::uint8_t alpha = 255;
};
std::array<ExportColour, 256> exportColours(const Palette& palette, DropFirst dropFirst)
{
    std::array<ExportColour, 256> out{};
    for (std::size_t v = 0; v < out.size(); ++v) out[v].colour = palette[v + 2];
    if (dropFirst == DropFirst::On) out[0].alpha = 0;
    return out;
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
    // image pixel (x, y), from 1, lands on surface pixel (x, y), from 0;
    // points past the surface are not drawn
    const int rows = std::min(surface.height() - 1, image.clippedHeight);
    for (int y = 0; y < rows; ++y) {
        const int end = producedInRow(image, y, surface.width() - 1);
        if (end <= 0) break;
        const std::uint8_t* line = storedRow(image, y);
        // the row pointer is taken once per row, not per pixel: a store
        // through it might alias the surface's own fields
        std::uint32_t* out = surface.scanLine(y + 1) + 1;
        int x = 0;
        if (dropFirst == DropFirst::On) {
            // eight values at a time: none drawn, all drawn, or each tested
            for (; x + 8 <= end; x += 8) {
                std::uint64_t w;
                std::memcpy(&w, line + x, 8);
                if (w == 0) continue;
                const std::uint64_t zeroBytes = (w - 0x0101010101010101ull) & ~w & 0x8080808080808080ull;
                if (zeroBytes == 0) {
                    for (int i = 0; i < 8; ++i) out[x + i] = colours[line[x + i]];
                } else {
                    for (int i = 0; i < 8; ++i)
                        if (line[x + i] != 0) out[x + i] = colours[line[x + i]];
                }
            }
            for (; x < end; ++x)
                if (line[x] != 0) out[x] = colours[line[x]];
        } else {
            for (; x < end; ++x) out[x] = colours[line[x]];
        }
    }
}

RgbaImage renderRgba(const DecodedImage& image, const Palette& palette, DropFirst dropFirst)
{
    RgbaImage out;
    out.width = image.clippedWidth;
    out.height = image.clippedHeight;
    out.rgba.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 4, 0);
    // the four bytes of each pixel value, written with one copy each; a
    // transparent pixel is all zeros, as if never drawn
    std::array<std::array<std::uint8_t, 4>, 256> bytes{};
    const auto colours = exportColours(palette, dropFirst);
    for (std::size_t v = 0; v < bytes.size(); ++v) {
        const Colour c = colours[v].colour;
        if (colours[v].alpha != 0)
            bytes[v] = {static_cast<std::uint8_t>(redOf(c)), static_cast<std::uint8_t>(greenOf(c)),
                        static_cast<std::uint8_t>(blueOf(c)), colours[v].alpha};
    }
    for (int y = 0; y < out.height; ++y) {
        const int end = producedInRow(image, y, out.width);
        if (end <= 0) break;
        const std::uint8_t* line = storedRow(image, y);
        std::uint8_t* p =
            out.rgba.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width) * 4;
        for (int x = 0; x < end; ++x) std::memcpy(p + 4 * x, bytes[line[x]].data(), 4);
    }
    return out;
}

std::optional<IndexedImage> renderIndexed(const DecodedImage& image, const Palette& palette,
                                          DropFirst dropFirst)
{
    if (!image.hasData || image.pixelCount() == 0 || image.produced < image.pixelCount()) return std::nullopt;
    IndexedImage out;
    out.width = image.clippedWidth;
    out.height = image.clippedHeight;
    // every stored pixel was produced, so the decoded values are the indices
    out.indices = image.pixels;
    const std::uint8_t highest = *std::max_element(out.indices.begin(), out.indices.end());
    const auto colours = exportColours(palette, dropFirst);
    out.colours.reserve(static_cast<std::size_t>(highest) + 1);
    std::size_t lastTranslucent = 0;  // one past the last index that is not opaque
    for (std::size_t v = 0; v <= highest; ++v) {
        out.colours.push_back(colours[v].colour);
        if (colours[v].alpha != 255) lastTranslucent = v + 1;
    }
    for (std::size_t v = 0; v < lastTranslucent; ++v) out.alpha.push_back(colours[v].alpha);
    return out;
}

}  // namespace zpk

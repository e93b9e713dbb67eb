#include "draw/Draw.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

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

std::size_t ImageRows::rowBytes() const { return static_cast<std::size_t>(width()) * (m_indexed ? 1 : 4); }

void ImageRows::row(int y, std::uint8_t* out) const
{
    const DecodedImage& image = *m_image;
    const int end = std::max(0, producedInRow(image, y, image.clippedWidth));
    // a row the stream never reached is not looked at (there may be no pixels at all)
    const std::uint8_t* line = end > 0 ? storedRow(image, y) : nullptr;
    if (m_indexed) {
        if (end > 0) std::memcpy(out, line, static_cast<std::size_t>(end));
        std::memset(out + end, m_undrawnIndex, static_cast<std::size_t>(image.clippedWidth - end));
        return;
    }
    for (std::ptrdiff_t x = 0; x < end; ++x) std::memcpy(out + 4 * x, m_rgba[line[x]].data(), 4);
    std::memset(out + 4 * std::ptrdiff_t{end}, 0, 4 * static_cast<std::size_t>(image.clippedWidth - end));
}

ImageRows ImageRows::forForm(const DecodedImage& image, const Palette& palette, DropFirst dropFirst,
                             OutputForm form)
{
    std::optional<ImageRows> rows;
    if (form == OutputForm::Indexed) rows = indexed(image, palette, dropFirst);
    if (form == OutputForm::Smallest) rows = smallestIndexed(image, palette, dropFirst);
    return rows ? std::move(*rows) : rgba(image, palette, dropFirst);
}

ImageRows ImageRows::rgba(const DecodedImage& image, const Palette& palette, DropFirst dropFirst)
{
    ImageRows rows(image);
    const auto colours = exportColours(palette, dropFirst);
    // a transparent pixel is all zeros, as if never drawn
    for (std::size_t v = 0; v < rows.m_rgba.size(); ++v) {
        const Colour c = colours[v].colour;
        if (colours[v].alpha != 0)
            rows.m_rgba[v] = {static_cast<std::uint8_t>(redOf(c)), static_cast<std::uint8_t>(greenOf(c)),
                              static_cast<std::uint8_t>(blueOf(c)), colours[v].alpha};
    }
    return rows;
}

namespace {

// The values the produced pixels of the stored image use, and whether a
// stored pixel was not produced.
struct ValuesUsed {
    // a byte per value, not a bit: a store per pixel is what the scan costs
    std::array<bool, 256> used{};
    bool undrawn = false;
};
ValuesUsed valuesUsed(const DecodedImage& image)
{
    ValuesUsed out;
    for (int y = 0; y < image.clippedHeight; ++y) {
        const int end = std::max(0, producedInRow(image, y, image.clippedWidth));
        const std::uint8_t* line = storedRow(image, y);
        for (int x = 0; x < end; ++x) out.used[line[x]] = true;
        if (end < image.clippedWidth) out.undrawn = true;
    }
    return out;
}

}  // namespace

std::optional<ImageRows> ImageRows::indexed(const DecodedImage& image, const Palette& palette,
                                            DropFirst dropFirst)
{
    if (!image.hasData || image.pixelCount() == 0 || image.produced < image.pixelCount()) return std::nullopt;
    ImageRows rows(image);
    rows.m_indexed = true;
    // every stored pixel was produced, so the decoded values are the indices
    const std::uint8_t highest = *std::max_element(image.pixels.begin(), image.pixels.end());
    const auto colours = exportColours(palette, dropFirst);
    std::size_t lastTranslucent = 0;  // one past the last index that is not opaque
    for (std::size_t v = 0; v <= highest; ++v) {
        rows.m_plte.push_back(colours[v].colour);
        if (colours[v].alpha != 255) lastTranslucent = v + 1;
    }
    for (std::size_t v = 0; v < lastTranslucent; ++v) rows.m_trns.push_back(colours[v].alpha);
    return rows;
}

std::optional<ImageRows> ImageRows::smallestIndexed(const DecodedImage& image, const Palette& palette,
                                                    DropFirst dropFirst)
{
    if (!image.hasData || image.pixelCount() == 0) return std::nullopt;
    const ValuesUsed values = valuesUsed(image);
    auto colours = exportColours(palette, dropFirst);
    int undrawn = 0;
    if (values.undrawn && dropFirst == DropFirst::Off) {
        // a value no drawn pixel has stands for the pixels not drawn
        undrawn = -1;
        for (int v = 0; v < 256 && undrawn < 0; ++v)
            if (!values.used[static_cast<std::size_t>(v)]) undrawn = v;
        if (undrawn < 0) return std::nullopt;
        colours[static_cast<std::size_t>(undrawn)].alpha = 0;
    }
    ImageRows rows(image);
    rows.m_indexed = true;
    rows.m_undrawnIndex = undrawn;
    int highest = values.undrawn ? undrawn : 0;
    for (int v = 255; v > highest; --v) {
        if (values.used[static_cast<std::size_t>(v)]) {
            highest = v;
            break;
        }
    }
    std::size_t lastTranslucent = 0;
    for (std::size_t v = 0; v <= static_cast<std::size_t>(highest); ++v) {
        // transparent is black, as RGBA writes it
        rows.m_plte.push_back(colours[v].alpha == 0 ? Colour{0} : colours[v].colour);
        if (colours[v].alpha != 255) lastTranslucent = v + 1;
    }
    for (std::size_t v = 0; v < lastTranslucent; ++v) rows.m_trns.push_back(colours[v].alpha);
    return rows;
}

RgbaImage renderRgba(const DecodedImage& image, const Palette& palette, DropFirst dropFirst)
{
    RgbaImage out;
    out.width = image.clippedWidth;
    out.height = image.clippedHeight;
    out.rgba.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 4);
    const ImageRows rows = ImageRows::rgba(image, palette, dropFirst);
    for (int y = 0; y < out.height; ++y)
        rows.row(y, out.rgba.data() + static_cast<std::size_t>(y) * rows.rowBytes());
    return out;
}

std::optional<IndexedImage> renderIndexed(const DecodedImage& image, const Palette& palette,
                                          DropFirst dropFirst)
{
    const auto rows = ImageRows::indexed(image, palette, dropFirst);
    if (!rows) return std::nullopt;
    IndexedImage out;
    out.width = rows->width();
    out.height = rows->height();
    out.colours = rows->colours();
    out.alpha = rows->alpha();
    out.indices = image.pixels;
    return out;
}

}  // namespace zpk

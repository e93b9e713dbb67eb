// Laying a decoded image out and plotting it: image pixel (x, y), counted
// from 1, goes to surface pixel (x, y), in the colour of palette entry
// v + 2 for pixel value v. Cells the stream did not produce are not drawn.
#pragma once

#include "decode/Decoder.h"
#include "draw/Surface.h"
#include "state/PictureOptions.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace zpk {

// The surface colours of pixel values 0 to 255 (entries 2 to 257).
std::array<std::uint32_t, 256> pixelColours(const Palette& palette);

// Plots `image` onto `surface`; points outside the surface are ignored.
void drawImage(Surface& surface, const DecodedImage& image, const Palette& palette, DropFirst dropFirst);

// The image on its own, clipped size (clippedWidth x clippedHeight), as
// RGBA bytes: drawn pixels opaque in their colour, the rest transparent.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width x height x 4: red, green, blue, alpha
};
RgbaImage renderRgba(const DecodedImage& image, const Palette& palette, DropFirst dropFirst);

// A palette image as PNG stores it: PLTE, tRNS and one index per pixel.
struct IndexedImage {
    int width = 0;
    int height = 0;
    // The PLTE: index v shows colours[v] (red in the low byte, as in the
    // viewer's palette). 1 to 256 entries.
    std::vector<Colour> colours;
    // The tRNS: the alpha of indices 0 to alpha.size() - 1; the others are
    // opaque. Empty: no tRNS chunk. At most colours.size() entries.
    std::vector<std::uint8_t> alpha;
    // width x height indices, row by row, each below colours.size().
    std::vector<std::uint8_t> indices;
};

// The palette image of a decoded entry: index v has the colour of palette
// entry v + 2, and with DropFirst::On index 0 is transparent. The PLTE holds
// the colours up to the highest value in the image. Nothing when the stream
// did not produce every pixel (a palette image has no "not drawn" index to
// spare) or the entry has no pixels.
std::optional<IndexedImage> renderIndexed(const DecodedImage& image, const Palette& palette,
                                          DropFirst dropFirst);

}  // namespace zpk

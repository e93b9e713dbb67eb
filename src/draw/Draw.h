// Laying a decoded image out and plotting it: image pixel (x, y), counted
// from 1, goes to surface pixel (x, y), in the colour of palette entry
// v + 2 for pixel value v. Cells the stream did not produce are not drawn.
#pragma once

#include "decode/Decoder.h"
#include "draw/Surface.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zpk {

// "Drop first": pixels of value 0 are not drawn and the canvas shows through.
enum class DropFirst { Off, On };

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

}  // namespace zpk

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

// How an image's rows are written, one at a time, so that an export never
// holds a second whole copy of the image: the colours as RGBA, or the
// palette form (PLTE and tRNS) and the index of pixels that are not drawn.
class ImageRows {
public:
    int width() const { return m_image->clippedWidth; }
    int height() const { return m_image->clippedHeight; }
    bool indexed() const { return m_indexed; }
    // The palette form's PLTE and tRNS (see IndexedImage).
    const std::vector<Colour>& colours() const { return m_plte; }
    const std::vector<std::uint8_t>& alpha() const { return m_trns; }
    // Bytes per row: width x 4 for RGBA, width for the palette form.
    std::size_t rowBytes() const;
    // Writes row y into `out` (rowBytes() bytes).
    void row(int y, std::uint8_t* out) const;

    // RGBA: drawn pixels opaque in their colour, the rest (0, 0, 0, 0).
    static ImageRows rgba(const DecodedImage& image, const Palette& palette, DropFirst dropFirst);
    // The palette form where the stream produced every pixel: index v is
    // pixel value v in the colour of palette entry v + 2, with DropFirst::On
    // index 0 transparent; the PLTE runs to the highest value used. Nothing
    // when a pixel is not drawn or there is none.
    static std::optional<ImageRows> indexed(const DecodedImage& image, const Palette& palette,
                                            DropFirst dropFirst);
    // The palette form whenever it shows exactly what RGBA shows: as
    // indexed(), and where the stream ended early the pixels not drawn take
    // a value the image does not use (index 0 with DropFirst::On), made
    // transparent; transparent indices are black, so that the form decodes
    // to the very bytes of the RGBA form. Nothing when every value is used
    // and a pixel is not drawn, or the image has no pixels.
    static std::optional<ImageRows> smallestIndexed(const DecodedImage& image, const Palette& palette,
                                                    DropFirst dropFirst);
    // The rows a PNG of `form` is made of: the palette form where the form
    // asks for it and it can be had (indexed() or smallestIndexed()), RGBA
    // otherwise.
    static ImageRows forForm(const DecodedImage& image, const Palette& palette, DropFirst dropFirst,
                             OutputForm form);

private:
    explicit ImageRows(const DecodedImage& image) : m_image(&image) {}

    const DecodedImage* m_image;  // outlives this
    bool m_indexed = false;
    std::array<std::array<std::uint8_t, 4>, 256> m_rgba{};  // RGBA: the bytes of each value
    std::vector<Colour> m_plte;
    std::vector<std::uint8_t> m_trns;
    int m_undrawnIndex = 0;  // the palette form: the index of pixels not drawn
};

// The whole palette image (ImageRows::indexed), for tests and small images.
std::optional<IndexedImage> renderIndexed(const DecodedImage& image, const Palette& palette,
                                          DropFirst dropFirst);

}  // namespace zpk

// Images and containers made in code for the tests, the benchmarks and the
// fuzz seeds, on top of the writer. Whatever can be refused is handed back
// as a ContainerBuilder: each suite builds it with its own wrapper (a gtest
// expectation, qFatal, an abort) and reports a refusal in its own way.
// Everything random is drawn from a seed or a generator the caller gives,
// so the same call gives the same pixels every time.
#pragma once

#include "container/ContainerWriter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace zpk::testing {

using Bytes = std::vector<std::uint8_t>;

// --- colours ----------------------------------------------------------------

// `count` greys, value v coloured (v, v, v). They hold no 0xFF 0xFE pair.
inline std::vector<Rgb> greyRamp(int count = 256)
{
    std::vector<Rgb> colours;
    for (int v = 0; v < count; ++v) {
        const auto c = static_cast<std::uint8_t>(v);
        colours.push_back({c, c, c});
    }
    return colours;
}

// Three plain colours: value 0 red, 1 green, 2 blue.
inline std::vector<Rgb> threeColours() { return {{200, 10, 20}, {30, 190, 40}, {50, 60, 210}}; }

// --- images -----------------------------------------------------------------

// Every pixel of value `value`.
inline WriterImage solidImage(int width, int height, std::uint8_t value,
                              std::vector<Rgb> colours = greyRamp())
{
    return {width, height, std::move(colours),
            Bytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), value)};
}

// Every pixel of value 0, the one stored colour.
inline WriterImage solidImage(int width, int height, Rgb colour)
{
    return solidImage(width, height, 0, {colour});
}

// Pixel (x, y) takes value (x + 2y) modulo the number of colours.
inline WriterImage stripedImage(int width, int height, std::vector<Rgb> colours)
{
    const int count = static_cast<int>(colours.size());
    WriterImage image{width, height, std::move(colours), {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels.push_back(static_cast<std::uint8_t>((x + 2 * y) % count));
    return image;
}

// A 4 x 3 picture in threeColours(): a green frame around value-0 pixels,
// one blue dot.
inline WriterImage framedImage()
{
    Bytes pixels{1, 1, 1, 1,  //
                 1, 0, 2, 1,  //
                 1, 1, 1, 1};
    return {4, 3, threeColours(), std::move(pixels)};
}

// Uniformly random grey values: nearly every byte of the stream is a
// literal (runs of five equal values are rare; the writer turns a 0xFE
// behind a 0xFF into a run of one).
inline WriterImage randomImage(int width, int height, std::uint32_t seed)
{
    WriterImage image{width, height, greyRamp(), {}};
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::mt19937 rng(seed);
    for (auto& p : image.pixels) p = static_cast<std::uint8_t>(rng() >> 24);
    return image;
}

// Single pixels and runs of 1 to 40, about half each, and the awkward
// neighbours 0xFF and 0xFE where there are colours for them; drawn from
// `rng` after whatever the caller drew for `colours`.
inline WriterImage mixedImage(std::mt19937& rng, int width, int height, std::vector<Rgb> colours)
{
    const int count = static_cast<int>(colours.size());
    WriterImage image{width, height, std::move(colours), {}};
    std::uniform_int_distribution<int> value(0, count - 1);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> runLength(1, 40);
    const std::size_t area = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    while (image.pixels.size() < area) {
        const int k = kind(rng);
        const std::size_t n = k < 5 ? 1 : static_cast<std::size_t>(runLength(rng));
        auto v = static_cast<std::uint8_t>(value(rng));
        if (k == 8 && count > 0xFF) v = 0xFF;
        if (k == 9 && count > 0xFE) v = 0xFE;
        for (std::size_t i = 0; i < n && image.pixels.size() < area; ++i) image.pixels.push_back(v);
    }
    return image;
}

namespace detail {

// How an ellipse of a sprite sheet or a figure is filled, from its base
// value: one value; bands eight rows high, four values; steps `shadeStep`
// pixels wide, `shades` values; or six values at random.
enum class Fill { Solid, Bands, Shading, Texture };

struct Ellipse {
    int cx = 0;
    int cy = 0;
    int rx = 1;
    int ry = 1;
    Fill fill = Fill::Solid;
    int base = 0;
    int shadeStep = 1;
    int shades = 1;
};

// Value 0 everywhere, in greyRamp(): the transparent background of a
// sprite, a sheet or a figure.
inline WriterImage background(int width, int height)
{
    return {width, height, greyRamp(),
            Bytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0)};
}

// The first pixel of row y.
inline std::uint8_t* rowOf(WriterImage& image, int y)
{
    return image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width);
}

// Fills the part of `e` inside the image row by row, texture values drawn
// from `rng`; with `outline`, the two ends of every row take value 1.
inline void fillEllipse(WriterImage& image, const Ellipse& e, std::mt19937& rng, bool outline)
{
    for (int y = std::max(0, e.cy - e.ry); y <= std::min(image.height - 1, e.cy + e.ry); ++y) {
        const double t = static_cast<double>(y - e.cy) / e.ry;
        const int half = static_cast<int>(e.rx * std::sqrt(std::max(0.0, 1.0 - t * t)));
        const int left = std::max(0, e.cx - half);
        const int right = std::min(image.width - 1, e.cx + half);
        std::uint8_t* line = rowOf(image, y);
        for (int x = left; x <= right; ++x) {
            int v = e.base;
            switch (e.fill) {
            case Fill::Solid: break;
            case Fill::Bands: v += ((y - e.cy + e.ry) / 8) % 4; break;
            case Fill::Shading: v += ((x - e.cx + half) / e.shadeStep) % e.shades; break;
            case Fill::Texture: v += static_cast<int>(rng() % 6); break;
            }
            line[x] = static_cast<std::uint8_t>(v);
        }
        if (outline) {
            line[left] = 1;
            line[right] = 1;
        }
    }
}

// A value from `lo` to `hi`, both included.
inline int uniformInt(std::mt19937& rng, int lo, int hi)
{
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

}  // namespace detail

// One game sprite in greyRamp(): value 0 as transparent background around
// an ellipse of shaded bands (runs a few pixels long), an outline of value
// 1, and a textured corner (literals).
inline WriterImage spriteImage(int width, int height, std::uint32_t seed)
{
    WriterImage image = detail::background(width, height);
    std::mt19937 rng(seed);
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    const double rx = cx * (0.6 + 0.35 * (rng() % 100) / 100.0);
    const double ry = cy * (0.6 + 0.35 * (rng() % 100) / 100.0);
    const int base = 16 + static_cast<int>(rng() % 180);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = (x - cx) / rx;
            const double dy = (y - cy) / ry;
            const double d = dx * dx + dy * dy;
            if (d >= 1.0) continue;
            int v = base + static_cast<int>(d * 6) * 3;                        // shaded bands
            if (d > 0.85) v = 1;                                               // outline
            else if (dx > 0.1 && dy < -0.1) v += static_cast<int>(rng() % 4);  // texture
            detail::rowOf(image, y)[x] = static_cast<std::uint8_t>(std::min(v, 254));
        }
    }
    return image;
}

// A sprite sheet in greyRamp(): value 0 as transparent background between
// many filled ellipses, each solid (long runs), banded (a run per band and
// row), shaded in steps of three pixels, or textured (literals).
inline WriterImage spriteSheetImage(int width, int height, std::uint32_t seed)
{
    WriterImage image = detail::background(width, height);
    std::mt19937 rng(seed);
    auto uniform = [&rng](int lo, int hi) { return detail::uniformInt(rng, lo, hi); };
    const int side = std::min(width, height);
    const int rMin = std::max(2, side / 200);
    const int rMax = std::max(3, side / 25);
    // about as many sprites as leave a third of the sheet as background
    const int sprites = std::max(1, static_cast<int>(static_cast<std::int64_t>(width) * height / 80000));
    for (int s = 0; s < sprites; ++s) {
        const int cx = uniform(0, width - 1);
        const int cy = uniform(0, height - 1);
        const int rx = uniform(rMin, rMax);
        const int ry = uniform(rMin, rMax);
        const auto fill = static_cast<detail::Fill>(uniform(0, 3));
        const int base = uniform(1, 240);  // values up to 252: 0 stays the background
        detail::fillEllipse(image, {cx, cy, rx, ry, fill, base, 3, 12}, rng, false);
    }
    return image;
}

// One large figure in greyRamp() that fills a canvas-sized image (such as
// 376 x 448), the way a game's character or scenery sprite does: value 0 as
// transparent background around a body of overlapping outlined ellipses,
// each solid, banded or shaded in steps of eight pixels (runs), with a
// textured patch (literals); the outline gives short literal pieces. At
// that size the entry stays under 65535 bytes, so it can stand anywhere in
// a container.
inline WriterImage figureImage(int width, int height, std::uint32_t seed)
{
    WriterImage image = detail::background(width, height);
    std::mt19937 rng(seed);
    auto uniform = [&rng](int lo, int hi) { return detail::uniformInt(rng, lo, hi); };

    // body, head, then four limbs: centres and radii as fractions of the image
    struct Part {
        double cx, cy, rx, ry;
    };
    const Part parts[] = {{0.50, 0.55, 0.30, 0.28}, {0.50, 0.20, 0.17, 0.15}, {0.20, 0.50, 0.10, 0.22},
                          {0.80, 0.50, 0.10, 0.22}, {0.38, 0.85, 0.11, 0.13}, {0.62, 0.85, 0.11, 0.13}};
    bool body = true;
    for (const Part& p : parts) {
        // a braced list draws in order: the centre's offset, the fill (the
        // body is always shaded), the base
        const detail::Ellipse e{static_cast<int>(p.cx * width) + uniform(-3, 3),
                                static_cast<int>(p.cy * height) + uniform(-3, 3),
                                std::max(2, static_cast<int>(p.rx * width)),
                                std::max(2, static_cast<int>(p.ry * height)),
                                body ? detail::Fill::Shading : static_cast<detail::Fill>(uniform(0, 1)),
                                uniform(20, 230),
                                8,
                                6};
        detail::fillEllipse(image, e, rng, true);
        body = false;
    }
    // a textured patch (a face, a badge) in the middle of the body
    const int patchSide = std::max(1, std::min(width, height) / 10);
    const int px = width / 2 - patchSide / 2;
    const int py = static_cast<int>(0.55 * height) - patchSide / 2;
    for (int y = std::max(0, py); y < std::min(height, py + patchSide); ++y) {
        std::uint8_t* line = detail::rowOf(image, y);
        for (int x = std::max(0, px); x < std::min(width, px + patchSide); ++x)
            line[x] = static_cast<std::uint8_t>(uniform(2, 250));
    }
    return image;
}

// --- containers -------------------------------------------------------------

// A builder holding `images` in order, for the suite to build.
inline ContainerBuilder containerOf(const std::vector<WriterImage>& images)
{
    ContainerBuilder builder;
    for (const WriterImage& image : images) builder.entry(image);
    return builder;
}

// `count` sprites of `minSide` to `maxSide` pixels a side, their sizes drawn
// from `sizes`; sprite k is spriteImage(width, height, firstSeed + k).
inline ContainerBuilder spriteContainer(int count, int minSide, int maxSide, std::mt19937& sizes,
                                        std::uint32_t firstSeed)
{
    ContainerBuilder builder;
    const auto span = static_cast<std::uint32_t>(maxSide - minSide + 1);
    for (int k = 0; k < count; ++k) {
        const int width = minSide + static_cast<int>(sizes() % span);
        const int height = minSide + static_cast<int>(sizes() % span);
        builder.entry(spriteImage(width, height, firstSeed + static_cast<std::uint32_t>(k)));
    }
    return builder;
}

// A container whose header declares the given sizes, followed by `data`;
// no size has to fit the data.
inline Bytes withSizes(const std::vector<std::uint16_t>& sizes, const Bytes& data = {})
{
    Bytes out = containerHeader(sizes);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// A container of one entry, written as given.
inline Bytes singleEntry(const Bytes& entry)
{
    return withSizes({static_cast<std::uint16_t>(entry.size())}, entry);
}

// --- entries written by hand ------------------------------------------------

// The two-colour 2 x 2 entry: a run of three 1s, then a literal 0.
inline const Bytes kWorkedEntry = {0x02, 0x00, 0x02, 0x00,        // width 2, height 2
                                   0x00, 0x00,                    // green, blue of triplet 1
                                   0x10, 0x20, 0x30,              // triplet 2: pixel value 0
                                   0x40, 0x50, 0x60,              // triplet 3: pixel value 1
                                   0xFF, 0xFE, 0x01, 0x03, 0x00,  // three pixels of value 1
                                   0x00};                         // one pixel of value 0

// A 4 x 3 entry in the first two of threeColours() whose stream is one run
// of 3 pixels of value 1. As a last entry, its palette ends at the run code
// (the size rule would put the end before the triplets), and the stream
// ends with the file after 3 of 12 pixels.
inline Bytes shortStreamEntry() { return {4, 0, 3, 0, 0, 0, 200, 10, 20, 30, 190, 40, 0xFF, 0xFE, 1, 3, 0}; }

// A 32767 x 32767 entry of three stored colours whose stream is `codes`
// runs of 65535 pixels of value 1: it counts past every buffer.
inline Bytes hugeRunsEntry(int codes)
{
    Bytes entry = {0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00, 0x01, 0x02, 0x03};
    for (int i = 0; i < codes; ++i) entry.insert(entry.end(), {0xFF, 0xFE, 0x01, 0xFF, 0xFF});
    return entry;
}

// An entry in greyRamp() whose stream is nothing but run codes of the
// maximal length 65535 (the last one shorter so that exactly width x height
// pixels come out), run values cycling through 1 to 200; written by hand,
// since the writer keeps its runs to 65000.
inline Bytes maximalRunsEntry(int width, int height)
{
    auto low = [](std::int64_t v) { return static_cast<std::uint8_t>(v & 0xFF); };
    auto high = [](std::int64_t v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); };
    Bytes entry{low(width), high(width), low(height), high(height), 0, 0};
    for (const Rgb& c : greyRamp()) entry.insert(entry.end(), {c.red, c.green, c.blue});
    std::int64_t remaining = static_cast<std::int64_t>(width) * height;
    for (int value = 1; remaining > 0; value = value % 200 + 1) {
        const std::int64_t length = std::min<std::int64_t>(remaining, 65535);
        entry.insert(entry.end(), {0xFF, 0xFE, static_cast<std::uint8_t>(value), low(length), high(length)});
        remaining -= length;
    }
    return entry;
}

// The pixels maximalRunsEntry(width, height) decodes to.
inline Bytes maximalRunsPixels(int width, int height)
{
    Bytes pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::int64_t remaining = static_cast<std::int64_t>(width) * height;
    for (int value = 1; remaining > 0; value = value % 200 + 1) {
        const std::int64_t length = std::min<std::int64_t>(remaining, 65535);
        pixels.insert(pixels.end(), static_cast<std::size_t>(length), static_cast<std::uint8_t>(value));
        remaining -= length;
    }
    return pixels;
}

// --- a container of rows in every status ------------------------------------

// The four statuses in rows 0 to 3:
//   0 ok       framedImage(), 3 stored colours
//   1 empty    0 x 4 pixels
//   2 short    shortStreamEntry(), then the end of the file (the size table
//              puts row 3 far behind)
//   3 no-data  its start lies 60000 bytes on, past the end of the file
// (the size table holds four sizes; the last one is never read)
struct FourStatuses {
    Bytes bytes;
    std::int64_t offset[4] = {};  // where each row starts
    std::int64_t size[4] = {};    // as `zpk list` computes it
};

inline FourStatuses fourStatuses()
{
    // both images are the builder's own: a refusal is a bug here, and
    // value() stops on it
    const Bytes ok = encodeEntry(framedImage()).value();
    const Bytes empty = encodeEntry({0, 4, threeColours(), {}}).value();
    const Bytes shortStream = shortStreamEntry();
    Bytes data = ok;
    data.insert(data.end(), empty.begin(), empty.end());
    data.insert(data.end(), shortStream.begin(), shortStream.end());

    FourStatuses out;
    out.bytes = withSizes(
        {static_cast<std::uint16_t>(ok.size()), static_cast<std::uint16_t>(empty.size()), 60000, 0}, data);
    const auto length = static_cast<std::int64_t>(out.bytes.size());
    out.offset[0] = 30 + 2 * 4;
    out.offset[1] = out.offset[0] + static_cast<std::int64_t>(ok.size());
    out.offset[2] = out.offset[1] + static_cast<std::int64_t>(empty.size());
    out.offset[3] = out.offset[2] + 60000;
    out.size[0] = static_cast<std::int64_t>(ok.size());
    out.size[1] = static_cast<std::int64_t>(empty.size());
    out.size[2] = 60000;
    out.size[3] = length - out.offset[3];  // negative: it starts past the end
    return out;
}

}  // namespace zpk::testing

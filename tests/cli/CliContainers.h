// Containers for the tests of listing, info and batch export: entries of
// every status, and many sprite-like entries of varied sizes.
#pragma once

#include "fixtures/Fixtures.h"

#include "container/ContainerWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace zpk::testing {

// Three plain colours: value 0 red, 1 green, 2 blue.
inline std::vector<Rgb> threeColours() { return {{200, 10, 20}, {30, 190, 40}, {50, 60, 210}}; }

// A 4 x 3 picture: a green frame around value-0 pixels, one blue dot.
inline WriterImage framedImage()
{
    return {4, 3, threeColours(), {1, 1, 1, 1,  //
                                   1, 0, 2, 1,  //
                                   1, 1, 1, 1}};
}

inline Bytes encodedOrFail(const WriterImage& image)
{
    auto bytes = encodeEntry(image);
    EXPECT_TRUE(bytes.has_value());
    return bytes ? *bytes : Bytes{};
}

// The four statuses in rows 0 to 3:
//   0 ok       the 4 x 3 framed picture, 3 stored colours
//   1 empty    0 x 4 pixels
//   2 short    4 x 3 whose stream is one run of 3 pixels of value 1, then
//              the end of the file (the size table puts row 3 far behind)
//   3 no-data  its start lies 60000 bytes on, past the end of the file
// (the size table holds four sizes; the last one is never read)
struct FourStatuses {
    Bytes bytes;
    std::int64_t offset[4] = {};  // where each row starts
    std::int64_t size[4] = {};    // as `zpk list` computes it
};

inline FourStatuses fourStatuses()
{
    const Bytes ok = encodedOrFail(framedImage());
    const Bytes empty = encodedOrFail({0, 4, threeColours(), {}});
    // width 4, height 3, triplet 1's green and blue, two colours, a run code
    const Bytes shortStream{4, 0, 3, 0, 0, 0, 200, 10, 20, 30, 190, 40, 0xFF, 0xFE, 1, 3, 0};
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

// A sprite of `width` x `height`: value 0 around an ellipse of shaded
// values, in 16 colours that hold no 0xFF 0xFE pair.
inline WriterImage sprite(int width, int height, std::uint32_t seed)
{
    std::vector<Rgb> colours;
    for (int i = 0; i < 16; ++i)
        colours.push_back({static_cast<std::uint8_t>(i * 15), static_cast<std::uint8_t>(255 - i * 13),
                           static_cast<std::uint8_t>((i * 71 + static_cast<int>(seed)) % 250)});
    WriterImage image{width, height, colours, {}};
    image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    std::mt19937 rng(seed);
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = (x - cx) / cx;
            const double dy = (y - cy) / cy;
            if (dx * dx + dy * dy < 0.8)
                image.pixels[static_cast<std::size_t>(y * width + x)] =
                    static_cast<std::uint8_t>(1 + (x / 3 + y / 5 + static_cast<int>(rng() % 2)) % 15);
        }
    }
    return image;
}

// `count` sprites of sizes between 1 and `maxSide` pixels a side.
inline Bytes spriteContainer(int count, int maxSide, std::uint32_t seed)
{
    ContainerBuilder builder;
    std::mt19937 rng(seed);
    for (int i = 0; i < count; ++i) {
        const int w = 1 + static_cast<int>(rng() % static_cast<std::uint32_t>(maxSide));
        const int h = 1 + static_cast<int>(rng() % static_cast<std::uint32_t>(maxSide));
        builder.entry(sprite(w, h, seed * 1000 + static_cast<std::uint32_t>(i)));
    }
    return built(builder);
}

}  // namespace zpk::testing

// Damaged and hostile containers: every row of each must decode and draw
// without reading outside the file, and end.
#include "draw/Draw.h"
#include "fixtures/Fixtures.h"

#include <gtest/gtest.h>

#include <random>

using namespace zpk;
using namespace zpk::testing;

namespace {

// Decodes and draws every row with each option; returns the total produced.
std::int64_t exercise(const Bytes& bytes)
{
    auto file = parseContainer(bytes, "bad.zpk");
    if (!file) return -1;
    std::int64_t total = 0;
    Palette palette{};
    Surface canvas(kCanvasWidth, kCanvasHeight);
    for (int row = 0; row < file->rowCount(); ++row) {
        for (bool ramp : {false, true}) {
            const auto image = decodeEntry(*file, row, palette, {ramp, "-5.5", "abc", "99"});
            EXPECT_LE(image.produced, image.pixelCount());
            EXPECT_LE(image.streamEnd, file->fileLength + 1);
            drawImage(canvas, image, palette, ramp ? DropFirst::On : DropFirst::Off);
            renderRgba(image, palette, DropFirst::Off);
            total += image.produced;
        }
    }
    return total;
}

}  // namespace

TEST(Malformed, TruncatedContainers)
{
    auto good = built(containerOf({solidImage(20, 20, 1, greyRamp(4)), solidImage(9, 9, 2, greyRamp(4))}));
    for (std::size_t cut = 0; cut <= good.size(); ++cut) {
        const Bytes part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        const auto result = exercise(part);
        if (cut < 32) {
            EXPECT_EQ(result, -1) << cut;  // too short for the two-entry header
        }
    }
}

TEST(Malformed, EntriesPastTheEndAndHugeSizes)
{
    EXPECT_EQ(exercise(withSizes({0xFFFF, 0xFFFF, 0xFFFF}, Bytes(10, 0xFF))), 0);
    EXPECT_GE(exercise(withSizes({0, 0, 0, 0}, Bytes(10, 0x01))), 0);
    std::vector<std::uint16_t> sizes(255, 0xFFFF);
    EXPECT_EQ(exercise(withSizes(sizes, Bytes(3, 0))), 0);
}

TEST(Malformed, HugeOrNegativeDimensions)
{
    // 32767 x 32767 with a few runs: counts past every buffer, stores 4000 x 4000 at most
    EXPECT_EQ(exercise(singleEntry(hugeRunsEntry(50))), 2 * 50 * 65535);  // once plain, once with the ramp
    // -1 x -1: the area is positive for the palette target, but nothing is decoded
    EXPECT_EQ(exercise(withSizes({10}, {0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06})), 0);
}

TEST(Malformed, PairsEverywhere)
{
    Bytes data;
    for (int i = 0; i < 2000; ++i) data.insert(data.end(), {0xFF, 0xFE});
    std::vector<std::uint16_t> sizes = {7, 1, 2, 3, 500, 0};
    exercise(withSizes(sizes, data));
    Bytes ones(5000, 0xFF);
    ones[28] = 3;
    exercise(ones);
    Bytes fe(5000, 0xFE);
    fe[28] = 1;
    exercise(fe);
}

TEST(Malformed, RandomBytes)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 3000);
    for (int round = 0; round < 300; ++round) {
        Bytes bytes(static_cast<std::size_t>(length(rng)));
        for (auto& b : bytes) b = static_cast<std::uint8_t>(byte(rng) < 40 ? 0xFF : byte(rng));
        if (bytes.size() > 28) bytes[28] = static_cast<std::uint8_t>(round % 7);
        exercise(bytes);
    }
}

#include "fixtures/Fixtures.h"

#include <gtest/gtest.h>

#include <random>

using namespace zpk;
using namespace zpk::testing;

namespace {

// Decodes every row of a built container on a fresh palette and checks that
// pixels and colours come back exactly.
void expectRoundTrip(const std::vector<WriterImage>& images)
{
    const auto file = parsed(built(containerOf(images)));
    ASSERT_EQ(file.rowCount(), static_cast<int>(images.size()));
    for (std::size_t row = 0; row < images.size(); ++row) {
        const auto& want = images[row];
        Palette palette{};
        const auto got = decodeEntry(file, static_cast<int>(row), palette);
        ASSERT_TRUE(got.hasData) << "row " << row;
        EXPECT_EQ(got.imageWidth, want.width) << "row " << row;
        EXPECT_EQ(got.imageHeight, want.height) << "row " << row;
        ASSERT_EQ(got.produced, static_cast<std::int64_t>(want.pixels.size())) << "row " << row;
        EXPECT_EQ(got.streamEnd, got.entryEnd) << "row " << row;  // the stream fills the entry exactly
        ASSERT_EQ(producedPixels(got), want.pixels) << "row " << row;
        for (std::size_t v = 0; v < want.colours.size(); ++v) {
            const Rgb c = want.colours[v];
            ASSERT_EQ(palette[v + 2], makeColour(c.red, c.green, c.blue)) << "row " << row << " colour " << v;
        }
    }
}

// Colours with no 0xFF 0xFE pair inside or across triplets.
std::vector<Rgb> randomColours(std::mt19937& rng, int count)
{
    std::vector<Rgb> colours;
    std::uniform_int_distribution<int> byte(0, 255);
    std::uint8_t previous = 0;
    while (static_cast<int>(colours.size()) < count) {
        Rgb c{static_cast<std::uint8_t>(byte(rng)), static_cast<std::uint8_t>(byte(rng)),
              static_cast<std::uint8_t>(byte(rng))};
        const bool pair = (previous == 0xFF && c.red == 0xFE) || (c.red == 0xFF && c.green == 0xFE) ||
                          (c.green == 0xFF && c.blue == 0xFE);
        if (pair) continue;
        colours.push_back(c);
        previous = c.blue;
    }
    return colours;
}

}  // namespace

TEST(Writer, RandomImagesRoundTrip)
{
    std::mt19937 rng(20261207);
    std::vector<WriterImage> images;
    for (int i = 0; i < 12; ++i) {
        std::uniform_int_distribution<int> side(1, 60);
        const int width = side(rng);
        const int height = side(rng);
        images.push_back(mixedImage(rng, width, height, randomColours(rng, 256)));
    }
    expectRoundTrip(images);
}

TEST(Writer, AwkwardBytesRoundTrip)
{
    auto colours = greyRamp(256);
    colours[1] = {0x00, 0x00, 0xFF};  // a palette ending in 0xFF
    // 0xFF and 0xFE side by side, both ways, in literals and runs
    WriterImage mixed{
        16,
        1,
        colours,
        {0xFF, 0xFE, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE}};
    // a stream that begins with 0xFE right behind a palette ending in 0xFF
    std::vector<Rgb> two = {{1, 2, 3}, {4, 5, 0xFF}};
    two.resize(255, Rgb{0, 0, 0xFF});
    WriterImage fe{3, 1, two, {0xFE, 1, 0}};
    // a run of 0xFF whose length has the low byte 0xFE, and one of 0xFEFF
    WriterImage longRun = solidImage(0xFE, 1, 0xFF);
    WriterImage longer = solidImage(2251, 29, 0xFF);  // 65279 = 0xFEFF pixels
    expectRoundTrip({mixed, fe, longRun, longer});
}

TEST(Writer, LongRunsPast65535)
{
    // the last entry may exceed 65535 bytes; runs split into several codes
    WriterImage huge = solidImage(400, 400, 0xFF);
    huge.pixels[0] = 1;
    WriterImage next = solidImage(300, 300, 7);
    expectRoundTrip({huge, next});
}

TEST(Writer, LiteralFFBeforeAnEntryStartingWithFE)
{
    // the first entry ends in a literal 0xFF; the second is 254 wide, so its
    // first byte is 0xFE
    WriterImage ends{2, 1, greyRamp(256), {1, 0xFF}};
    WriterImage next = solidImage(0xFE, 1, 3);
    expectRoundTrip({ends, next});
}

TEST(Writer, RefusesWhatItCannotStore)
{
    EXPECT_FALSE(encodeEntry({2, 1, greyRamp(2), {0, 2}}));  // value without a colour
    EXPECT_FALSE(encodeEntry({2, 2, greyRamp(2), {0, 1}}));  // too few pixels
    EXPECT_FALSE(encodeEntry({40000, 1, greyRamp(1), Bytes(40000, 0)}));
    EXPECT_FALSE(encodeEntry({1, 1, {{0xFF, 0xFE, 0}}, {0}}));             // pair inside a colour
    EXPECT_FALSE(encodeEntry({1, 1, {{0, 0, 0xFF}, {0xFE, 0, 0}}, {0}}));  // pair across two
    ContainerBuilder many;
    for (int i = 0; i < 256; ++i) many.entry(solidImage(1, 1, 0, greyRamp(1)));
    EXPECT_FALSE(many.build());
    ContainerBuilder bigFirst;
    bigFirst.rawEntry(Bytes(70000, 1)).entry(solidImage(1, 1, 0, greyRamp(1)));
    EXPECT_FALSE(bigFirst.build());
}

#include "fixtures/Fixtures.h"

#include "DemoImages.h"
#include "container/Container.h"
#include "decode/Decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace zpk::testing {
namespace {

using demo::DemoImage;

TEST(DemoImages, FitTheCanvasAndTheirPalettes)
{
    const auto images = demo::demoImages();
    EXPECT_GE(images.size(), 5u);
    EXPECT_LE(images.size(), 7u);
    for (const DemoImage& demo : images) {
        const WriterImage& image = demo.image;
        EXPECT_GE(image.width, 1) << demo.name;
        EXPECT_GE(image.height, 1) << demo.name;
        EXPECT_LE(image.width, 375) << demo.name;
        EXPECT_LE(image.height, 447) << demo.name;
        EXPECT_LE(image.colours.size(), 256u) << demo.name;
        ASSERT_EQ(image.pixels.size(),
                  static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
        const auto highest = *std::max_element(image.pixels.begin(), image.pixels.end());
        EXPECT_LT(highest, image.colours.size()) << demo.name;
    }
}

TEST(DemoImages, ColoursNeverHoldTheMarkerPair)
{
    for (const DemoImage& demo : demo::demoImages()) {
        // as stored: the height's high byte, two zeros, the colours
        Bytes bytes{static_cast<std::uint8_t>(demo.image.height >> 8), 0, 0};
        for (const Rgb& c : demo.image.colours) bytes.insert(bytes.end(), {c.red, c.green, c.blue});
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
            EXPECT_FALSE(bytes[i] == 0xFF && bytes[i + 1] == 0xFE) << demo.name << " at " << i;
    }
}

TEST(DemoImages, DecodeBackToTheirPixelsAndColours)
{
    const auto images = demo::demoImages();
    const auto container = demo::buildContainer(images);
    ASSERT_TRUE(container.has_value()) << container.error().detail;
    const ContainerFile file = parsed(*container);
    ASSERT_EQ(file.rowCount(), static_cast<int>(images.size()));
    for (std::size_t row = 0; row < images.size(); ++row) {
        const WriterImage& expected = images[row].image;
        Palette palette{};
        const DecodedImage image = decodeEntry(file, static_cast<int>(row), palette);
        EXPECT_EQ(image.imageWidth, expected.width) << images[row].name;
        EXPECT_EQ(image.imageHeight, expected.height) << images[row].name;
        EXPECT_EQ(image.produced, image.pixelCount()) << images[row].name;
        EXPECT_TRUE(producedPixels(image) == expected.pixels) << images[row].name;
        for (std::size_t v = 0; v < expected.colours.size(); ++v) {
            const Rgb& c = expected.colours[v];
            EXPECT_EQ(palette[v + 2], makeColour(c.red, c.green, c.blue))
                << images[row].name << " value " << v;
        }
    }
}

TEST(DemoImages, OneHasABackgroundOfValueZeroThatDropFirstRemoves)
{
    bool found = false;
    for (const DemoImage& demo : demo::demoImages()) {
        const auto& pixels = demo.image.pixels;
        const auto zeros = std::count(pixels.begin(), pixels.end(), 0);
        // the corners are background, and there is a picture on it
        const auto w = static_cast<std::size_t>(demo.image.width);
        if (pixels.front() == 0 && pixels[w - 1] == 0 && pixels.back() == 0 && zeros > 0 &&
            static_cast<std::size_t>(zeros) < pixels.size() * 3 / 4 &&
            static_cast<std::size_t>(zeros) > pixels.size() / 4)
            found = true;
    }
    EXPECT_TRUE(found);
}

TEST(DemoImages, SameBytesEveryTimeAndSmall)
{
    const auto first = demo::buildContainer(demo::demoImages());
    const auto second = demo::buildContainer(demo::demoImages());
    ASSERT_TRUE(first.has_value());
    ASSERT_TRUE(second.has_value());
    EXPECT_TRUE(*first == *second);
    EXPECT_LT(first->size(), 300u * 1024u);
}

TEST(DemoImages, CommittedSampleIsWhatTheGeneratorWrites)
{
    std::ifstream in(ZPK_SOURCE_DIR "/samples/demo.zpk", std::ios::binary);
    ASSERT_TRUE(in.good());
    const Bytes committed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto written = demo::buildContainer(demo::demoImages());
    ASSERT_TRUE(written.has_value());
    EXPECT_TRUE(committed == *written) << "samples/demo.zpk differs: cmake --build build --target demo";
}

}  // namespace
}  // namespace zpk::testing

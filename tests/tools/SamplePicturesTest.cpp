// The pictures of the bundled sample (samples/src/000.png ...) and the
// container made of them (samples/demo.zpk): palette PNGs that fit the
// viewer's canvas, packed without a change of value or colour.
#include "fixtures/Fixtures.h"

#include "draw/Surface.h"
#include "pack/Pack.h"
#include "pack/PictureReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace zpk::testing {
namespace {

const std::string kPictures = ZPK_SOURCE_DIR "/samples/src";

Bytes fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Sample {
    std::vector<std::string> paths;
    std::vector<WriterImage> images;
};

Sample samplePictures()
{
    Sample sample;
    auto paths = listExportedPngs(kPictures);
    EXPECT_TRUE(paths.has_value()) << (paths ? "" : paths.error().detail);
    if (!paths) return sample;
    sample.paths = *paths;
    for (const std::string& path : sample.paths) {
        auto image = readPackImage(path);
        EXPECT_TRUE(image.has_value()) << path << ": " << (image ? "" : image.error().detail);
        if (image) sample.images.push_back(std::move(*image));
    }
    return sample;
}

TEST(SamplePictures, ArePalettePngsThatFitTheCanvas)
{
    const Sample sample = samplePictures();
    EXPECT_GE(sample.images.size(), 5u);
    EXPECT_LE(sample.images.size(), 7u);
    for (std::size_t k = 0; k < sample.paths.size(); ++k) {
        const Bytes png = fileBytes(sample.paths[k]);
        // the IHDR's colour type: 3, a palette, so that pack keeps the values as they are
        ASSERT_GT(png.size(), 25u);
        EXPECT_EQ(png[25], 3) << sample.paths[k];
    }
    for (std::size_t k = 0; k < sample.images.size(); ++k) {
        const WriterImage& image = sample.images[k];
        EXPECT_GE(image.width, 1) << sample.paths[k];
        EXPECT_GE(image.height, 1) << sample.paths[k];
        // the canvas keeps a one-pixel margin on each side
        EXPECT_LE(image.width, kCanvasWidth - 2) << sample.paths[k];
        EXPECT_LE(image.height, kCanvasHeight - 2) << sample.paths[k];
    }
}

TEST(SamplePictures, OneHasABackgroundOfValueZeroThatDropFirstRemoves)
{
    bool found = false;
    for (const WriterImage& image : samplePictures().images) {
        const auto& pixels = image.pixels;
        const auto zeros = static_cast<std::size_t>(std::count(pixels.begin(), pixels.end(), 0));
        const auto w = static_cast<std::size_t>(image.width);
        // the corners are background, and there is a picture on it
        if (pixels.front() == 0 && pixels[w - 1] == 0 && pixels.back() == 0 &&
            zeros < pixels.size() * 3 / 4 && zeros > pixels.size() / 4)
            found = true;
    }
    EXPECT_TRUE(found);
}

TEST(SamplePictures, TheCommittedSampleIsWhatTheyPackTo)
{
    const Sample sample = samplePictures();
    const auto packed = packContainer(sample.images, sample.paths);
    ASSERT_TRUE(packed.has_value()) << packed.error().detail;
    EXPECT_TRUE(fileBytes(ZPK_SOURCE_DIR "/samples/demo.zpk") == *packed)
        << "samples/demo.zpk differs from its pictures: cmake --build build --target demo";
    EXPECT_LT(packed->size(), 300u * 1024u);
}

TEST(SamplePictures, TheSampleDecodesToTheirValuesAndColours)
{
    const Sample sample = samplePictures();
    const ContainerFile file = parsed(fileBytes(ZPK_SOURCE_DIR "/samples/demo.zpk"));
    ASSERT_EQ(file.rowCount(), static_cast<int>(sample.images.size()));
    for (std::size_t row = 0; row < sample.images.size(); ++row) {
        const WriterImage& expected = sample.images[row];
        Palette palette{};
        const DecodedImage image = decodeEntry(file, static_cast<int>(row), palette);
        EXPECT_EQ(image.imageWidth, expected.width) << sample.paths[row];
        EXPECT_EQ(image.imageHeight, expected.height) << sample.paths[row];
        EXPECT_EQ(image.produced, image.pixelCount()) << sample.paths[row];
        EXPECT_TRUE(producedPixels(image) == expected.pixels) << sample.paths[row];
        for (std::size_t v = 0; v < expected.colours.size(); ++v) {
            const Rgb& c = expected.colours[v];
            EXPECT_EQ(palette[v + 2], makeColour(c.red, c.green, c.blue))
                << sample.paths[row] << " value " << v;
        }
    }
}

}  // namespace
}  // namespace zpk::testing

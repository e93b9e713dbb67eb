#include "draw/Draw.h"
#include "fixtures/Fixtures.h"
#include "support/SurfacePixels.h"

#include <gtest/gtest.h>

using namespace zpk;
using namespace zpk::testing;

namespace {

struct Drawn {
    DecodedImage image;
    Palette palette{};
};

Drawn decodeImage(const WriterImage& image)
{
    const auto file = parsed(built(ContainerBuilder().entry(image)));
    Drawn d;
    d.image = decodeEntry(file, 0, d.palette);
    return d;
}

std::vector<Rgb> colours3() { return {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}}; }

}  // namespace

TEST(Draw, PixelsLandOneInFromTheCorner)
{
    const auto one = decodeImage({1, 1, colours3(), {1}});
    Surface canvas(kCanvasWidth, kCanvasHeight);
    drawImage(canvas, one.image, one.palette, DropFirst::Off);
    EXPECT_EQ(pixelAt(canvas, 1, 1), makeColour(40, 50, 60));
    EXPECT_EQ(pixelAt(canvas, 0, 0), kWhite);
    EXPECT_EQ(pixelAt(canvas, 2, 1), kWhite);
    EXPECT_EQ(pixelAt(canvas, 1, 2), kWhite);

    const auto wide = decodeImage({3, 2, colours3(), {0, 1, 2, 2, 1, 0}});
    drawImage(canvas, wide.image, wide.palette, DropFirst::Off);
    EXPECT_EQ(pixelAt(canvas, 3, 1), makeColour(70, 80, 90));
    EXPECT_EQ(pixelAt(canvas, 3, 2), makeColour(10, 20, 30));  // the last point, at (W, H)
    EXPECT_EQ(pixelAt(canvas, 4, 2), kWhite);
}

TEST(Draw, DropFirstLeavesIndexZeroUntouched)
{
    const auto image = decodeImage({2, 1, colours3(), {0, 2}});
    Surface canvas(10, 10, 0x00FF00);
    drawImage(canvas, image.image, image.palette, DropFirst::On);
    EXPECT_EQ(pixelAt(canvas, 1, 1), 0x00FF00u);
    EXPECT_EQ(pixelAt(canvas, 2, 1), makeColour(70, 80, 90));
    drawImage(canvas, image.image, image.palette, DropFirst::Off);
    EXPECT_EQ(pixelAt(canvas, 1, 1), makeColour(10, 20, 30));
}

TEST(Draw, PixelsNotProducedAreNotDrawn)
{
    // 3 x 10 with a stream of four pixels that ends with the file: the cells
    // behind the fourth stay as they were
    Palette palette{};
    const Bytes entry = {0x03, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0xFF, 0xFE, 0x00, 0x04, 0x00};
    const auto file = parsed(singleEntry(entry));
    const auto image = decodeEntry(file, 0, palette);
    ASSERT_EQ(image.produced, 4);
    Surface canvas(10, 10, 0x0000FF);
    drawImage(canvas, image, palette, DropFirst::Off);
    EXPECT_EQ(pixelAt(canvas, 1, 2), makeColour(1, 2, 3));
    EXPECT_EQ(pixelAt(canvas, 2, 2), 0x0000FFu);
    EXPECT_EQ(pixelAt(canvas, 3, 2), 0x0000FFu);

    const auto rgba = renderRgba(image, palette, DropFirst::Off);
    ASSERT_EQ(rgba.rgba.size(), 3u * 10u * 4u);
    EXPECT_EQ(rgba.rgba[3 * 4 + 3], 255);  // pixel (0, 1) opaque
    EXPECT_EQ(rgba.rgba[4 * 4 + 3], 0);    // pixel (1, 1) transparent
}

TEST(Draw, ImagesLargerThanTheCanvasAreCut)
{
    const auto big = decodeImage(solidImage(500, 600, 1, colours3()));
    Surface canvas(kCanvasWidth, kCanvasHeight);
    drawImage(canvas, big.image, big.palette, DropFirst::Off);
    EXPECT_EQ(pixelAt(canvas, kCanvasWidth - 1, kCanvasHeight - 1), makeColour(40, 50, 60));
    EXPECT_EQ(pixelAt(canvas, 0, kCanvasHeight - 1), kWhite);

    const auto rgba = renderRgba(big.image, big.palette, DropFirst::On);
    EXPECT_EQ(rgba.width, 500);
    EXPECT_EQ(rgba.height, 600);
}

TEST(Draw, ClearPaintsTheBackground)
{
    Surface canvas(4, 4, 0x102030);
    plotAt(canvas, 2, 3, 0x010203);
    EXPECT_EQ(pixelAt(canvas, 2, 3), 0x010203u);
    canvas.clear();
    EXPECT_EQ(pixelAt(canvas, 2, 3), 0x102030u);
}

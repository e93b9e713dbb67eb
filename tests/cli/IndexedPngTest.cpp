// --indexed: 8-bit palette PNGs, read back with libspng: the PLTE holds the
// entry's colours (PNG index v: palette entry v + 2), tRNS makes index 0
// transparent with --drop-first, and an entry whose stream ends early falls
// back to RGBA with a note.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "decode/Decoder.h"
#include "export/EntryExport.h"
#include "png/PngWriter.h"

#include <gtest/gtest.h>

namespace zpk::testing {
namespace {

struct IndexedPng {
    spng_ihdr ihdr{};
    std::vector<Rgb> plte;
    std::vector<std::uint8_t> trns;  // empty: no tRNS chunk
    std::vector<std::uint8_t> indices;
    std::vector<std::uint8_t> rgba;  // as a viewer shows it
};

// Reads an indexed PNG's chunks and its raw indices; fails the test when it
// is anything else.
IndexedPng readIndexed(const Bytes& png)
{
    IndexedPng out;
    auto context = [&] {
        std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(0), &spng_ctx_free);
        EXPECT_EQ(spng_set_png_buffer(ctx.get(), png.data(), png.size()), 0);
        return ctx;
    };
    auto ctx = context();
    EXPECT_EQ(spng_get_ihdr(ctx.get(), &out.ihdr), 0);
    EXPECT_EQ(out.ihdr.color_type, SPNG_COLOR_TYPE_INDEXED);
    EXPECT_EQ(out.ihdr.bit_depth, 8);
    spng_plte plte{};
    EXPECT_EQ(spng_get_plte(ctx.get(), &plte), 0);
    for (std::uint32_t i = 0; i < plte.n_entries; ++i)
        out.plte.push_back({plte.entries[i].red, plte.entries[i].green, plte.entries[i].blue});
    spng_trns trns{};
    if (spng_get_trns(ctx.get(), &trns) == 0)
        out.trns.assign(trns.type3_alpha, trns.type3_alpha + trns.n_type3_entries);
    std::size_t size = 0;
    EXPECT_EQ(spng_decoded_image_size(ctx.get(), SPNG_FMT_PNG, &size), 0);
    out.indices.resize(size);
    EXPECT_EQ(spng_decode_image(ctx.get(), out.indices.data(), size, SPNG_FMT_PNG, 0), 0);
    out.rgba = decodePng(png).rgba;
    return out;
}

Rgb rgbOf(Colour c)
{
    return {static_cast<std::uint8_t>(redOf(c)), static_cast<std::uint8_t>(greenOf(c)),
            static_cast<std::uint8_t>(blueOf(c))};
}

TEST(PngWriterIndexed, PaletteTransparencyAndIndicesReadBack)
{
    IndexedImage image;
    image.width = 3;
    image.height = 2;
    image.colours = {makeColour(10, 20, 30), makeColour(255, 0, 0), makeColour(1, 2, 3)};
    image.alpha = {0};
    image.indices = {0, 1, 2, 2, 1, 0};
    const auto png = encodePng(image);
    ASSERT_TRUE(png.has_value()) << png.error().detail;
    const IndexedPng back = readIndexed(*png);
    EXPECT_EQ(back.ihdr.width, 3u);
    EXPECT_EQ(back.ihdr.height, 2u);
    EXPECT_EQ(back.plte, (std::vector<Rgb>{{10, 20, 30}, {255, 0, 0}, {1, 2, 3}}));
    EXPECT_EQ(back.trns, (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(back.indices, image.indices);
    EXPECT_EQ(back.rgba, (Bytes{10, 20, 30, 0,   255, 0, 0, 255, 1,  2,  3,  255,  //
                                1,  2,  3,  255, 255, 0, 0, 255, 10, 20, 30, 0}));
    EXPECT_EQ(*png, *encodePng(image));  // the same bytes every time

    image.alpha.clear();
    EXPECT_TRUE(readIndexed(*encodePng(image)).trns.empty());
}

TEST(PngWriterIndexed, RefusesWhatAPalettePngCannotHold)
{
    const IndexedImage good{2, 1, {makeColour(1, 1, 1), makeColour(2, 2, 2)}, {}, {0, 1}};
    ASSERT_TRUE(encodePng(good).has_value());
    std::vector<IndexedImage> bad(6, good);
    bad[0].indices = {0, 2};                          // past the palette
    bad[1].colours.clear();                           // no colours
    bad[2].colours.assign(257, makeColour(0, 0, 0));  // too many
    bad[3].alpha = {0, 0, 0};                         // more alpha values than colours
    bad[4].indices = {0};                             // fewer indices than pixels
    bad[5].width = 0;
    for (std::size_t i = 0; i < bad.size(); ++i) {
        const auto png = encodePng(bad[i]);
        ASSERT_FALSE(png.has_value()) << i;
        EXPECT_EQ(png.error().code, ErrorCode::CannotEncode) << i;
        EXPECT_NE(png.error().refusal, Refusal::None) << i;
    }
}

class CliIndexed : public ::testing::Test {
protected:
    RunResult zpk(const std::vector<std::string>& args) { return runZpk(args, dir.path()); }
    TempDir dir;
};

TEST_F(CliIndexed, PaletteIsTheEntrysColoursAndDropFirstMakesIndexZeroClear)
{
    const Bytes container = built(ContainerBuilder().entry(framedImage()));
    writeBytes(dir / "framed.zpk", container);
    ASSERT_EQ(zpk({"export", "framed.zpk", "--indexed", "-o", "plain.png"}).status, 0);
    ASSERT_EQ(zpk({"export", "framed.zpk", "--indexed", "--drop-first", "-o", "drop.png"}).status, 0);
    ASSERT_EQ(zpk({"export", "framed.zpk", "-o", "rgba.png"}).status, 0);

    const IndexedPng plain = readIndexed(readBytes(dir / "plain.png"));
    EXPECT_EQ(plain.ihdr.width, 4u);
    EXPECT_EQ(plain.ihdr.height, 3u);
    // values 0 to 2 in the colours they were stored with; nothing past the highest
    EXPECT_EQ(plain.plte, threeColours());
    EXPECT_TRUE(plain.trns.empty());
    EXPECT_EQ(plain.indices, framedImage().pixels);
    // shown, the same pixels as the RGBA export
    EXPECT_EQ(plain.rgba, decodePng(readBytes(dir / "rgba.png")).rgba);

    const IndexedPng drop = readIndexed(readBytes(dir / "drop.png"));
    EXPECT_EQ(drop.plte, threeColours());
    EXPECT_EQ(drop.trns, (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(drop.indices, framedImage().pixels);
    EXPECT_EQ(drop.rgba[(1 * 4 + 1) * 4 + 3], 0);    // (1, 1) is value 0: clear
    EXPECT_EQ(drop.rgba[(1 * 4 + 2) * 4 + 3], 255);  // (2, 1) is value 2: opaque
}

TEST_F(CliIndexed, UserColorRampFillsThePalette)
{
    writeBytes(dir / "framed.zpk", built(ContainerBuilder().entry(framedImage())));
    ASSERT_EQ(zpk({"export", "framed.zpk", "--indexed", "--user-color", "--color1=10", "--color2", "-1",
                   "--color3=300", "-o", "ramp.png"})
                  .status,
              0);
    // value v takes ramp step v + 2
    const IndexedPng ramp = readIndexed(readBytes(dir / "ramp.png"));
    EXPECT_EQ(ramp.plte, (std::vector<Rgb>{{12, 1, 255}, {13, 2, 255}, {14, 3, 255}}));

    // the same as the library's palette for that decode
    Palette palette{};
    const PictureOptions options{.userColor = true, .color1 = "10", .color2 = "-1", .color3 = "300"};
    decodeEntry(parsed(readBytes(dir / "framed.zpk")), 0, palette, options);
    EXPECT_EQ(ramp.plte[1], rgbOf(palette[3]));
}

TEST_F(CliIndexed, AnEntryWithPixelsNotDrawnIsWrittenAsRgbaWithANote)
{
    writeBytes(dir / "four.zpk", fourStatuses().bytes);
    // one entry: row 2's stream ends after 3 of 12 pixels
    const RunResult one = zpk({"export", "four.zpk", "--entry", "2", "--indexed", "-o", "short.png"});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(
        one.out,
        "wrote short.png: 4 x 3 pixels, the pixel stream ends after 3 of 12; written as RGBA, since not "
        "every pixel is drawn\n");
    EXPECT_EQ(decodePng(readBytes(dir / "short.png")).colourType, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA);

    // all of them: row 0 indexed, row 2 RGBA and a note, rows 1 and 3 fail
    const RunResult all = zpk({"export", "four.zpk", "--all", "--indexed", "-o", "out"});
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(decodePng(readBytes(dir / "out/four/000.png")).colourType, SPNG_COLOR_TYPE_INDEXED);
    EXPECT_EQ(decodePng(readBytes(dir / "out/four/002.png")).colourType, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA);
    EXPECT_NE(
        all.err.find("[1/1] four.zpk: 2 of 4 entries exported to out/four (2 not exported, 1 as RGBA)\n"),
        std::string::npos)
        << all.err;
    EXPECT_NE(
        all.err.find("zpk: note: four.zpk: entry row 2 written as RGBA: the pixel stream ends after 3 of "
                     "12 pixels\n"),
        std::string::npos)
        << all.err;
    // a note is no failure
    EXPECT_EQ(all.err.find("entry row 2:"), std::string::npos) << all.err;
}

TEST_F(CliIndexed, ClippedEntryIsWrittenAsStored)
{
    // 4001 x 2: the grid stores columns 1 to 4000
    writeBytes(dir / "wide.zpk", built(ContainerBuilder().entry(solidImage(4001, 2, 7))));
    const RunResult result = zpk({"export", "wide.zpk", "--indexed", "-o", "wide.png"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "wrote wide.png: 4000 x 2 pixels (clipped from 4001 x 2), indexed\n");
    const IndexedPng png = readIndexed(readBytes(dir / "wide.png"));
    EXPECT_EQ(png.ihdr.width, 4000u);
    EXPECT_EQ(png.indices, Bytes(8000, 7));
    ASSERT_EQ(png.plte.size(), 8u);
    EXPECT_EQ(png.plte[7], (Rgb{7, 7, 7}));
}

}  // namespace
}  // namespace zpk::testing

#include "fixtures/Fixtures.h"

#include "decode/ColourRamp.h"

#include <gtest/gtest.h>

using namespace zpk;
using namespace zpk::testing;

namespace {

DecodedImage decodeOnly(const Bytes& entry, Palette* paletteOut = nullptr, PictureOptions options = {})
{
    const auto file = parsed(singleEntry(entry));
    Palette palette{};
    auto image = decodeEntry(file, 0, palette, options);
    if (paletteOut) *paletteOut = palette;
    return image;
}

}  // namespace

TEST(Decoder, WorkedExample)
{
    Palette palette{};
    const auto image = decodeOnly(kWorkedEntry, &palette);
    const std::int64_t d = 32;  // one entry: it starts right after the size table
    ASSERT_TRUE(image.hasData);
    EXPECT_EQ(image.entryStart, d + 3);
    EXPECT_EQ(image.entryEnd, d + 18);
    EXPECT_EQ(image.imageWidth, 2);
    EXPECT_EQ(image.imageHeight, 2);
    EXPECT_EQ(image.runExtra, -2);
    EXPECT_EQ(image.storedColours, 3);
    EXPECT_EQ(image.streamStart, d + 12);
    EXPECT_EQ(image.streamEnd, d + 18);
    EXPECT_EQ(image.produced, 4);
    EXPECT_EQ(producedPixels(image), (Bytes{1, 1, 1, 0}));
    EXPECT_EQ(palette[1], makeColour(0x00, 0x00, 0x00));  // height high byte, then D+4, D+5
    EXPECT_EQ(palette[2], makeColour(0x10, 0x20, 0x30));
    EXPECT_EQ(palette[3], makeColour(0x40, 0x50, 0x60));
}

TEST(Decoder, EntryEndFollowsTheRowNotTheText)
{
    // three entries; the second has size 0, so rows 1 and 2 share a list text
    const Bytes a = kWorkedEntry;
    Bytes data = a;
    data.insert(data.end(), a.begin(), a.end());
    const auto file = parsed(withSizes({18, 0, 18}, data));
    ASSERT_EQ(file.listTexts[1], file.listTexts[2]);
    Palette palette{};
    EXPECT_EQ(decodeEntry(file, 0, palette).entryEnd, 36 + 18);
    EXPECT_EQ(decodeEntry(file, 1, palette).entryEnd, 36 + 18);
    // row 2 is the last row: it runs to the end of the file
    const auto last = decodeEntry(file, 2, palette);
    EXPECT_EQ(last.entryEnd, file.fileLength);
    EXPECT_EQ(producedPixels(last), (Bytes{1, 1, 1, 0}));
}

TEST(Decoder, PairInsideTheTripletsEndsThePalette)
{
    // triplet 2 holds 0xFF 0xFE: the palette stops there and the stream starts
    // on the 0xFF, which the pre-scan counted as a run code too
    const Bytes entry = {0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFE, 0x05, 0x02, 0x00, 0x09};
    Palette palette{};
    const auto image = decodeOnly(entry, &palette);
    EXPECT_EQ(image.storedColours, 1);
    EXPECT_EQ(image.streamStart, 32 + 6);
    EXPECT_EQ(image.runExtra, 2 - 5);
    EXPECT_EQ(producedPixels(image), (Bytes{5, 5}));
    EXPECT_EQ(palette[2], 0u);  // never stored
}

TEST(Decoder, PreScanCountsAValueFFFollowedByLengthLowFE)
{
    // 255 x 1: a run of value 0xFF and length 0x00FE, then a literal 7. The
    // pre-scan moves one byte at a time, so it also counts a code at the
    // value byte, whose "length" is the literal and the zero byte behind it
    Bytes entry = {0xFF, 0x00, 0x01, 0x00, 0x00, 0x00};
    for (int i = 0; i < 256; ++i) entry.insert(entry.end(), {0x01, 0x02, 0x03});
    const auto streamAt = static_cast<std::int64_t>(entry.size());
    entry.insert(entry.end(), {0xFF, 0xFE, 0xFF, 0xFE, 0x00, 0x07});
    const auto image = decodeOnly(entry);
    EXPECT_EQ(image.runExtra, (254 - 5) + (7 - 5));
    EXPECT_EQ(image.streamStart, 32 + streamAt);  // the decoder sees one code
    EXPECT_EQ(image.runCodes, 1);
    EXPECT_EQ(image.produced, 255);
    EXPECT_EQ(image.at(253, 0), 0xFF);
    EXPECT_EQ(image.at(254, 0), 0x07);
}

TEST(Decoder, ZeroRunsAndLiteralFF)
{
    // 3 x 1: a run of length 0, a literal 0xFF followed by 0x01, then 0x01, 0x02
    const Bytes entry = {0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10,
                         0x10, 0x10, 0xFF, 0xFE, 0x07, 0x00, 0x00,  // length 0: no pixel
                         0xFF, 0x01, 0x02};
    const auto image = decodeOnly(entry);
    EXPECT_EQ(image.runCodes, 1);
    EXPECT_EQ(producedPixels(image), (Bytes{0xFF, 0x01, 0x02}));
    EXPECT_EQ(image.streamEnd, 32 + static_cast<std::int64_t>(entry.size()));
}

TEST(Decoder, NegativeAndEmptySizesDecodeNoPixels)
{
    Palette palette{};
    auto image = decodeOnly({0x00, 0x80, 0x02, 0x00, 0x00, 0x00, 0x11, 0x22, 0x33, 0x01}, &palette);
    EXPECT_EQ(image.imageWidth, -32768);
    EXPECT_EQ(image.imageHeight, 2);
    EXPECT_EQ(image.produced, 0);
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_EQ(palette[2], makeColour(0x11, 0x22, 0x33));  // the palette loop still ran

    image = decodeOnly({0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x01});
    EXPECT_EQ(image.imageWidth, 0);
    EXPECT_EQ(image.produced, 0);
}

TEST(Decoder, ShortStreamLeavesAProducedPrefix)
{
    // 4 x 4 but only three literals before the end of the file; the zero
    // byte behind the data is never a pixel
    const Bytes entry = {0x04, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03};
    const auto image = decodeOnly(entry);
    EXPECT_EQ(image.clippedWidth, 4);
    // the palette loop's target lies before entryStart, so it reads to the end
    EXPECT_EQ(image.streamStart, 32 + 9);
    EXPECT_EQ(image.produced, 0);

    // with the stream found by a run code, the literals after it are short
    const Bytes coded = {0x04, 0x00, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFE, 0x03, 0x02, 0x00, 0x07, 0x08};
    const auto prefix = decodeOnly(coded);
    EXPECT_EQ(prefix.produced, 4);
    EXPECT_EQ(producedPixels(prefix), (Bytes{3, 3, 7, 8}));
    EXPECT_TRUE(prefix.isProduced(3, 0));
    EXPECT_FALSE(prefix.isProduced(0, 1));
}

TEST(Decoder, ShortEntryReadsOnIntoTheNextOne)
{
    // entry 0 claims 2 x 2 but its stream holds one literal; decoding goes on
    // into entry 1's bytes
    const Bytes first = {0x02, 0x00, 0x02, 0x00, 0x00, 0x00, 0xFF, 0xFE, 0x01, 0x01, 0x00};
    const Bytes second = {0x05, 0x06, 0x07, 0x08};
    Bytes data = first;
    data.insert(data.end(), second.begin(), second.end());
    const auto file = parsed(withSizes({static_cast<std::uint16_t>(first.size()), 4}, data));
    Palette palette{};
    const auto image = decodeEntry(file, 0, palette);
    EXPECT_EQ(producedPixels(image), (Bytes{1, 5, 6, 7}));
}

TEST(Decoder, OvershootingRunEndsDecoding)
{
    // a run of one 1, then a run of nine 4s in a 2 x 2 image
    const Bytes entry = {0x02, 0x00, 0x02, 0x00, 0x00, 0x00, 0xFF, 0xFE, 0x01,
                         0x01, 0x00, 0xFF, 0xFE, 0x04, 0x09, 0x00, 0x05};
    const auto image = decodeOnly(entry);
    EXPECT_EQ(image.produced, 4);
    EXPECT_EQ(producedPixels(image), (Bytes{1, 4, 4, 4}));
}

TEST(Decoder, EntryPastTheEndHasNoData)
{
    // the size table puts entry 1 far behind the end of the file
    const auto file = parsed(withSizes({60000, 10}, Bytes(20, 0x33)));
    Palette palette{};
    palette[5] = 0x123456;
    const auto image = decodeEntry(file, 1, palette, {true, "1", "2", "3"});
    EXPECT_FALSE(image.hasData);
    EXPECT_EQ(palette[5], 0x123456u);                                // neither the triplets nor the ramp ran
    EXPECT_FALSE(decodeEntry(file, 2, palette).hasData);             // no such row
    EXPECT_FALSE(decodeEntry(ContainerFile{}, 0, palette).hasData);  // nothing loaded
}

TEST(Decoder, EarlierColoursShowThroughAShorterPalette)
{
    auto big = solidImage(2, 1, 3, greyRamp(4));
    big.colours[3] = {9, 9, 9};
    auto small = solidImage(2, 1, 0, greyRamp(1));
    const auto file = parsed(built(ContainerBuilder().entry(big).entry(small)));
    Palette palette{};
    decodeEntry(file, 0, palette);
    decodeEntry(file, 1, palette);
    EXPECT_EQ(palette[2], makeColour(0, 0, 0));
    EXPECT_EQ(palette[5], makeColour(9, 9, 9));  // value 3 of the first image
}

TEST(Decoder, LargeImagesAreClippedTo4000)
{
    // 5000 x 30: 150000 pixels, more than a fixed buffer of 100000 pixels holds
    WriterImage wide = solidImage(5000, 30, 0, greyRamp(3));
    for (int y = 0; y < 30; ++y) {
        wide.pixels[static_cast<std::size_t>(y) * 5000 + 3999] = 1;
        wide.pixels[static_cast<std::size_t>(y) * 5000 + 4000] = 2;
    }
    const auto file = parsed(built(ContainerBuilder().entry(wide)));
    Palette palette{};
    const auto image = decodeEntry(file, 0, palette);
    EXPECT_EQ(image.produced, 150000);
    EXPECT_EQ(image.clippedWidth, 4000);
    EXPECT_EQ(image.clippedHeight, 30);
    EXPECT_EQ(image.at(3999, 29), 1);
    EXPECT_EQ(image.at(0, 29), 0);

    const auto tall = parsed(built(ContainerBuilder().entry(solidImage(2, 4100, 1, greyRamp(2)))));
    const auto tallImage = decodeEntry(tall, 0, palette);
    EXPECT_EQ(tallImage.clippedHeight, 4000);
    EXPECT_EQ(tallImage.produced, 8200);
    EXPECT_EQ(tallImage.at(1, 3999), 1);
}

TEST(Decoder, ManyTripletsOnlyFillUsefulEntries)
{
    Bytes entry = {0x01, 0x00, 0x01, 0x00, 0x00, 0x00};
    for (int i = 0; i < 1000; ++i) entry.insert(entry.end(), {0x01, 0x02, 0x03});
    entry.insert(entry.end(), {0xFF, 0xFE, 0x00, 0x01, 0x00});
    const auto image = decodeOnly(entry);
    EXPECT_EQ(image.storedColours, 1001);
    EXPECT_EQ(image.produced, 1);
}

TEST(Decoder, ExternalPaletteTakesThePlaceOfTheStoredColours)
{
    Palette stored{};
    const auto plain = decodeOnly(kWorkedEntry, &stored);

    // colour v of the file shows for value v; values past its end are black
    PictureOptions options;
    options.externalPalette = std::make_shared<const std::vector<Colour>>(
        std::vector<Colour>{makeColour(1, 2, 3), makeColour(4, 5, 6)});
    Palette external{};
    external.fill(makeColour(9, 9, 9));
    const auto file = parsed(singleEntry(kWorkedEntry));
    const auto image = decodeEntry(file, 0, external, options);
    EXPECT_EQ(image.streamStart, plain.streamStart);  // the stored colours are still read past
    EXPECT_EQ(producedPixels(image), producedPixels(plain));
    EXPECT_EQ(external[2], makeColour(1, 2, 3));
    EXPECT_EQ(external[3], makeColour(4, 5, 6));
    EXPECT_EQ(external[4], makeColour(0, 0, 0));
    EXPECT_EQ(external[257], makeColour(0, 0, 0));

    // the ramp still takes its entries over
    options.userColor = true;
    options.color1 = "10";
    Palette ramped{};
    decodeEntry(file, 0, ramped, options);
    Palette rampOnly{};
    applyColourRamp(rampOnly, "10", "0", "0");
    EXPECT_EQ(ramped[3], rampOnly[3]);
}

// Palette files: the three text and binary formats read and written, files
// written by hand by each format's rules, every kind of malformed file, and
// the swatch image decoded back.
#include "cli/CliSupport.h"

#include "cli/Messages.h"
#include "io/FileOutput.h"
#include "palette/PaletteFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <tuple>
#include <vector>

namespace zpk::testing {
namespace {

Bytes textBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Result<std::vector<Colour>> parseText(const std::string& text, PaletteFormat format)
{
    const Bytes bytes = textBytes(text);
    return parsePalette(bytes, format);
}

// `count` colours that differ in every component.
std::vector<Colour> someColours(std::size_t count)
{
    std::vector<Colour> colours;
    for (std::size_t i = 0; i < count; ++i)
        colours.push_back(makeColour(static_cast<unsigned>(i), static_cast<unsigned>((i * 7 + 3) % 256),
                                     static_cast<unsigned>(255 - i)));
    return colours;
}

// An .act file: 256 colours, value v as (v, v / 2, 255 - v), and an
// optional count and transparent index behind them.
Bytes actBytes(std::optional<unsigned> count, unsigned transparent = 0xFFFF)
{
    Bytes bytes;
    for (unsigned v = 0; v < 256; ++v)
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v / 2),
                                   static_cast<std::uint8_t>(255 - v)});
    if (count)
        bytes.insert(bytes.end(),
                     {static_cast<std::uint8_t>(*count >> 8), static_cast<std::uint8_t>(*count),
                      static_cast<std::uint8_t>(transparent >> 8), static_cast<std::uint8_t>(transparent)});
    return bytes;
}

// The rule a refusal names, and the line it names (0: no line).
struct Refused {
    Refusal refusal = Refusal::None;
    int line = 0;
};

// Refused as `want` says; returns the error for a closer look.
Error expectInvalid(const Result<std::vector<Colour>>& parsed, const std::string& what, Refused want)
{
    EXPECT_FALSE(parsed.has_value()) << what << ": accepted with " << (parsed ? parsed->size() : 0)
                                     << " colours";
    if (parsed) return {};
    EXPECT_EQ(parsed.error().code, ErrorCode::InvalidPalette) << what;
    EXPECT_EQ(parsed.error().refusal, want.refusal) << what << ": " << cli::refusalText(parsed.error());
    EXPECT_EQ(parsed.error().line, want.line) << what << ": " << cli::refusalText(parsed.error());
    return parsed.error();
}

TEST(PaletteFile, FormatFollowsTheExtensionInAnyCase)
{
    EXPECT_EQ(paletteFormatOf("a.gpl"), PaletteFormat::Gpl);
    EXPECT_EQ(paletteFormatOf("/x/y/Colours.GPL"), PaletteFormat::Gpl);
    EXPECT_EQ(paletteFormatOf("game.Pal"), PaletteFormat::Pal);
    EXPECT_EQ(paletteFormatOf("dir.d/swatch.ACT"), PaletteFormat::Act);
    EXPECT_EQ(paletteFormatOf("sheet.png"), PaletteFormat::Png);
    for (const char* other : {"", "gpl", "a.gpl.bak", "a.txt", "folder.gpl/name", "a.gp", "a.", "a.gpll"})
        EXPECT_EQ(paletteFormatOf(other), std::nullopt) << other;
}

TEST(PaletteFile, EveryFormatReadsBackWhatItWrote)
{
    for (const PaletteFormat format : {PaletteFormat::Gpl, PaletteFormat::Pal, PaletteFormat::Act}) {
        for (const std::size_t count : {1u, 16u, 256u}) {
            const std::vector<Colour> colours = someColours(count);
            const auto bytes = encodePalette(colours, format);
            ASSERT_TRUE(bytes.has_value()) << bytes.error().detail;
            const auto back = parsePalette(*bytes, format);
            ASSERT_TRUE(back.has_value())
                << static_cast<int>(format) << ", " << count << ": " << back.error().detail;
            EXPECT_EQ(*back, colours) << static_cast<int>(format) << ", " << count;
        }
    }
}

TEST(PaletteFile, FilesWrittenToDiskReadBack)
{
    TempDir dir;
    const std::vector<Colour> colours = someColours(16);
    for (const char* name : {"p.gpl", "p.PAL", "p.act"}) {
        const auto bytes = encodePalette(colours, *paletteFormatOf(name));
        ASSERT_TRUE(bytes.has_value());
        const std::string path = (dir / name).string();
        ASSERT_TRUE(writeFileReplacing(path, *bytes).has_value());
        const auto read = readPaletteFile(path);
        ASSERT_TRUE(read.has_value()) << name << ": " << read.error().detail;
        EXPECT_EQ(*read, colours) << name;
    }
}

TEST(PaletteFile, WrittenTextFollowsEachFormatsRules)
{
    const std::vector<Colour> colours{makeColour(1, 2, 3), makeColour(255, 128, 0)};
    const auto jasc = encodePalette(colours, PaletteFormat::Pal);
    ASSERT_TRUE(jasc.has_value());
    EXPECT_EQ(std::string(jasc->begin(), jasc->end()), "JASC-PAL\r\n0100\r\n2\r\n1 2 3\r\n255 128 0\r\n");

    const auto gimp = encodePalette(colours, PaletteFormat::Gpl);
    ASSERT_TRUE(gimp.has_value());
    const std::vector<std::string> gimpLines = lines(std::string(gimp->begin(), gimp->end()));
    ASSERT_FALSE(gimpLines.empty());
    EXPECT_EQ(gimpLines.front(), "GIMP Palette");
    EXPECT_EQ(std::string(gimp->begin(), gimp->end()).find('\r'), std::string::npos);

    const auto act = encodePalette(colours, PaletteFormat::Act);
    ASSERT_TRUE(act.has_value());
    ASSERT_EQ(act->size(), 772u);
    EXPECT_EQ(Bytes(act->begin(), act->begin() + 6), (Bytes{1, 2, 3, 255, 128, 0}));
    EXPECT_EQ(Bytes(act->begin() + 6, act->begin() + 768), Bytes(762, 0));
    EXPECT_EQ(Bytes(act->begin() + 768, act->end()),
              (Bytes{0, 2, 0xFF, 0xFF}));  // count 2, no transparent index
}

TEST(PaletteFile, ReadsAGimpPaletteWrittenByHand)
{
    const std::vector<Colour> expected{makeColour(0, 0, 0), makeColour(255, 255, 255),
                                       makeColour(12, 34, 56)};
    // GIMP's own layout: a name, columns, comments, aligned values, tab and name
    const std::string gimp = "GIMP Palette\nName: Sprites\nColumns: 4\n#\n# three colours\n"
                             "  0   0   0\tBlack\n255 255 255\tWhite\n 12  34  56\tsea blue, deep\n";
    auto parsed = parseText(gimp, PaletteFormat::Gpl);
    ASSERT_TRUE(parsed.has_value()) << parsed.error().detail;
    EXPECT_EQ(*parsed, expected);

    // CRLF, no name or columns, blank lines, tabs between values, no final line end
    parsed = parseText("GIMP Palette\r\n\r\n0\t0 0\r\n# between\r\n255  255\t\t255\r\n12 34 56",
                       PaletteFormat::Gpl);
    ASSERT_TRUE(parsed.has_value()) << parsed.error().detail;
    EXPECT_EQ(*parsed, expected);

    // a byte order mark in front, trailing blanks after values
    parsed = parseText("\xEF\xBB\xBFGIMP Palette\n0 0 0   \n255 255 255\n12 34 56 \n\n", PaletteFormat::Gpl);
    ASSERT_TRUE(parsed.has_value()) << parsed.error().detail;
    EXPECT_EQ(*parsed, expected);

    // 256 colours is the most
    std::string full = "GIMP Palette\n";
    for (int i = 0; i < 256; ++i) full += std::to_string(i) + " 0 0\n";
    parsed = parseText(full, PaletteFormat::Gpl);
    ASSERT_TRUE(parsed.has_value()) << parsed.error().detail;
    ASSERT_EQ(parsed->size(), 256u);
    EXPECT_EQ(parsed->back(), makeColour(255, 0, 0));
}

TEST(PaletteFile, ReadsAJascPaletteWrittenByHand)
{
    const std::vector<Colour> expected{makeColour(10, 20, 30), makeColour(0, 255, 7)};
    for (const char* text : {"JASC-PAL\r\n0100\r\n2\r\n10 20 30\r\n0 255 7\r\n",  // as written
                             "JASC-PAL\n0100\n2\n10 20 30\n0 255 7\n",            // LF
                             "JASC-PAL\n0100\n2\n10 20 30\n0 255 7",              // no final line end
                             "JASC-PAL\r\n0100\r\n2\r\n10  20\t30 \r\n0 255 7\r\n\r\n"}) {
        const auto parsed = parseText(text, PaletteFormat::Pal);
        ASSERT_TRUE(parsed.has_value()) << text << ": " << parsed.error().detail;
        EXPECT_EQ(*parsed, expected) << text;
    }
}

TEST(PaletteFile, ReadsAnAdobeColorTableWithAndWithoutItsTrailer)
{
    // 768 bytes: all 256 colours
    auto parsed = parsePalette(actBytes(std::nullopt), PaletteFormat::Act);
    ASSERT_TRUE(parsed.has_value()) << parsed.error().detail;
    ASSERT_EQ(parsed->size(), 256u);
    EXPECT_EQ((*parsed)[0], makeColour(0, 0, 255));
    EXPECT_EQ((*parsed)[200], makeColour(200, 100, 55));

    // 772 bytes: the count says how many are used; the transparent index changes nothing
    for (const unsigned transparent : {0xFFFFu, 1u}) {
        parsed = parsePalette(actBytes(3u, transparent), PaletteFormat::Act);
        ASSERT_TRUE(parsed.has_value()) << parsed.error().detail;
        EXPECT_EQ(*parsed,
                  (std::vector<Colour>{makeColour(0, 0, 255), makeColour(1, 0, 254), makeColour(2, 1, 253)}));
    }
    parsed = parsePalette(actBytes(256u), PaletteFormat::Act);
    ASSERT_TRUE(parsed.has_value()) << parsed.error().detail;
    EXPECT_EQ(parsed->size(), 256u);
}

TEST(PaletteFile, MalformedGimpPalettesAreRefused)
{
    const std::string head = "GIMP Palette\n";
    expectInvalid(parseText("", PaletteFormat::Gpl), "empty", {Refusal::PaletteEmpty});
    expectInvalid(parseText("GIMP palette\n0 0 0\n", PaletteFormat::Gpl), "header in the wrong case",
                  {Refusal::PaletteNotGimp, 1});
    expectInvalid(parseText("JASC-PAL\n0100\n1\n0 0 0\n", PaletteFormat::Gpl), "another format",
                  {Refusal::PaletteNotGimp, 1});
    expectInvalid(parseText(head, PaletteFormat::Gpl), "no colours", {Refusal::PaletteNoColours});
    expectInvalid(parseText(head + "Name: x\n# only comments\n", PaletteFormat::Gpl), "comments only",
                  {Refusal::PaletteNoColours});
    expectInvalid(parseText(head + "0 0 0\n1 256 0\n", PaletteFormat::Gpl), "over 255",
                  {Refusal::PaletteOver255, 3});
    const Error huge = expectInvalid(parseText(head + "0 0 99999999999999999999\n", PaletteFormat::Gpl),
                                     "a huge value", {Refusal::PaletteOver255, 2});
    EXPECT_EQ(std::pair(huge.field, huge.token),
              std::pair(ColourField::Blue, std::string("99999999999999999999")));
    expectInvalid(parseText(head + "0 -1 0\n", PaletteFormat::Gpl), "negative",
                  {Refusal::PaletteNegative, 2});
    expectInvalid(parseText(head + "0 0\n", PaletteFormat::Gpl), "no blue",
                  {Refusal::PaletteMissingValue, 2});
    expectInvalid(parseText(head + "0 0 0\n7\n", PaletteFormat::Gpl), "one value",
                  {Refusal::PaletteMissingValue, 3});
    expectInvalid(parseText(head + "0 0 0x10\n", PaletteFormat::Gpl), "hexadecimal",
                  {Refusal::PaletteNotNumber, 2});
    expectInvalid(parseText(head + "0.5 0 0\n", PaletteFormat::Gpl), "a fraction",
                  {Refusal::PaletteNotNumber, 2});
    expectInvalid(parseText(head + "+1 0 0\n", PaletteFormat::Gpl), "a sign", {Refusal::PaletteNotNumber, 2});
    expectInvalid(parseText(head + "Columns: many\n0 0 0\n", PaletteFormat::Gpl), "columns",
                  {Refusal::PaletteColumns, 2});
    expectInvalid(parseText(head + "0 0 0\nName: late\n", PaletteFormat::Gpl), "a name after the colours",
                  {Refusal::PaletteNotNumber, 3});
    EXPECT_EQ(expectInvalid(parseText(head + "0 0 0 \x01name\n", PaletteFormat::Gpl), "a control byte",
                            {Refusal::PaletteBadByte, 2})
                  .value,
              1);
    expectInvalid(parseText(head + "0 0\r0\n", PaletteFormat::Gpl), "a bare CR",
                  {Refusal::PaletteBadByte, 2});
    std::string tooMany = head;
    for (int i = 0; i < 257; ++i) tooMany += "1 2 3\n";
    expectInvalid(parseText(tooMany, PaletteFormat::Gpl), "257 colours",
                  {Refusal::PaletteTooManyColours, 258});
}

TEST(PaletteFile, MalformedJascPalettesAreRefused)
{
    expectInvalid(parseText("", PaletteFormat::Pal), "empty", {Refusal::PaletteEmpty});
    expectInvalid(parseText("JASC-PAL", PaletteFormat::Pal), "header alone", {Refusal::PaletteVersion, 2});
    expectInvalid(parseText("GIMP Palette\n0 0 0\n", PaletteFormat::Pal), "another format",
                  {Refusal::PaletteNotJasc, 1});
    expectInvalid(parseText("JASC-PAL\n0200\n1\n0 0 0\n", PaletteFormat::Pal), "another version",
                  {Refusal::PaletteVersion, 2});
    expectInvalid(parseText("JASC-PAL\n0100\n", PaletteFormat::Pal), "no count", {Refusal::PaletteCount, 3});
    expectInvalid(parseText("JASC-PAL\n0100\n0\n", PaletteFormat::Pal), "count 0",
                  {Refusal::PaletteCount, 3});
    expectInvalid(parseText("JASC-PAL\n0100\n257\n0 0 0\n", PaletteFormat::Pal), "count 257",
                  {Refusal::PaletteCount, 3});
    expectInvalid(parseText("JASC-PAL\n0100\nthree\n0 0 0\n", PaletteFormat::Pal), "count in words",
                  {Refusal::PaletteCount, 3});
    const Error fewer = expectInvalid(parseText("JASC-PAL\n0100\n3\n0 0 0\n1 1 1\n", PaletteFormat::Pal),
                                      "fewer lines than the count", {Refusal::PaletteEndsEarly});
    EXPECT_EQ(std::pair(fewer.count, fewer.limit), std::pair(std::int64_t{2}, std::int64_t{3}));
    expectInvalid(parseText("JASC-PAL\n0100\n1\n0 0 0\n1 1 1\n", PaletteFormat::Pal),
                  "more lines than the count", {Refusal::PaletteBeyondCount, 5});
    expectInvalid(parseText("JASC-PAL\n0100\n2\n0 0 0\n\n1 1 1\n", PaletteFormat::Pal), "a blank line inside",
                  {Refusal::PaletteMissingValue, 5});
    expectInvalid(parseText("JASC-PAL\n0100\n1\n0 300 0\n", PaletteFormat::Pal), "over 255",
                  {Refusal::PaletteOver255, 4});
    expectInvalid(parseText("JASC-PAL\n0100\n1\n0 0 -3\n", PaletteFormat::Pal), "negative",
                  {Refusal::PaletteNegative, 4});
    expectInvalid(parseText("JASC-PAL\n0100\n1\n0 0\n", PaletteFormat::Pal), "no blue",
                  {Refusal::PaletteMissingValue, 4});
    expectInvalid(parseText("JASC-PAL\n0100\n1\n0 0 0 255\n", PaletteFormat::Pal), "four values",
                  {Refusal::PaletteExtraValue, 4});
    expectInvalid(parseText(std::string("JASC-PAL\n0100\n1\n0 0 0") + '\0' + "\n", PaletteFormat::Pal),
                  "a NUL byte", {Refusal::PaletteBadByte, 4});
}

TEST(PaletteFile, MalformedAdobeColorTablesAreRefused)
{
    for (const std::size_t length : {0u, 1u, 767u, 769u, 770u, 771u, 773u, 1024u}) {
        Bytes bytes = actBytes(1u);
        bytes.resize(length, 0);
        expectInvalid(parsePalette(bytes, PaletteFormat::Act), std::to_string(length) + " bytes",
                      {length == 0 ? Refusal::PaletteEmpty : Refusal::PaletteActLength});
    }
    expectInvalid(parsePalette(actBytes(0u), PaletteFormat::Act), "count 0", {Refusal::PaletteActCount});
    expectInvalid(parsePalette(actBytes(257u), PaletteFormat::Act), "count 257", {Refusal::PaletteActCount});
    const Error count = expectInvalid(parsePalette(actBytes(0xFFFFu), PaletteFormat::Act), "count 65535",
                                      {Refusal::PaletteActCount});
    EXPECT_EQ(std::pair(count.offset, count.count), std::pair(std::int64_t{768}, std::int64_t{65535}));
}

TEST(PaletteFile, SwatchImagesAreNeverReadAndHugeInputIsRefused)
{
    const auto png = encodePalette(someColours(4), PaletteFormat::Png);
    ASSERT_TRUE(png.has_value());
    expectInvalid(parsePalette(*png, PaletteFormat::Png), "a swatch image", {Refusal::PaletteSwatch});

    // a text palette over 1 MiB, though well formed line by line
    std::string big = "GIMP Palette\n";
    while (big.size() <= static_cast<std::size_t>(kMaxPaletteFileBytes)) big += "# padding padding padding\n";
    big += "0 0 0\n";
    expectInvalid(parseText(big, PaletteFormat::Gpl), "over 1 MiB", {Refusal::PaletteTooLong});
}

TEST(PaletteFile, EncodingRefusesNoColoursAndTooMany)
{
    for (const PaletteFormat format :
         {PaletteFormat::Gpl, PaletteFormat::Pal, PaletteFormat::Act, PaletteFormat::Png}) {
        for (const std::size_t count : {0u, 257u}) {
            const auto bytes = encodePalette(someColours(count), format);
            ASSERT_FALSE(bytes.has_value()) << count;
            EXPECT_EQ(bytes.error().code, ErrorCode::InvalidPalette);
        }
    }
}

TEST(PaletteFile, SwatchImageShowsEachColourInItsSquare)
{
    for (const std::size_t count : {1u, 16u, 256u}) {
        const std::vector<Colour> colours = someColours(count);
        const auto png = encodePalette(colours, PaletteFormat::Png);
        ASSERT_TRUE(png.has_value()) << png.error().detail;
        const DecodedPng decoded = decodePng(*png);
        ASSERT_EQ(decoded.width, 128u);
        ASSERT_EQ(decoded.height, 128u);
        EXPECT_EQ(decoded.colourType, SPNG_COLOR_TYPE_INDEXED);
        for (std::uint32_t v = 0; v < 256; ++v) {
            const std::uint32_t left = (v % 16) * 8;
            const std::uint32_t top = (v / 16) * 8;
            const Colour c = v < count ? colours[v] : makeColour(0, 0, 0);
            const std::uint32_t expected = rgba(redOf(c), greenOf(c), blueOf(c));
            // the centre and two opposite corners of the square
            EXPECT_EQ(decoded.px(left + 4, top + 4), expected) << count << " colours, value " << v;
            EXPECT_EQ(decoded.px(left, top), expected) << count << " colours, value " << v;
            EXPECT_EQ(decoded.px(left + 7, top + 7), expected) << count << " colours, value " << v;
        }
    }
}

TEST(PaletteFile, DrawnColoursAreTheEntriesPixelValuesUse)
{
    Palette palette{};
    for (int i = 0; i < kPaletteEntries; ++i)
        palette[static_cast<std::size_t>(i)] = makeColour(static_cast<unsigned>(i % 256), 1, 2);
    const std::vector<Colour> drawn = drawnColours(palette);
    ASSERT_EQ(drawn.size(), 256u);
    EXPECT_EQ(drawn.front(), palette[2]);
    EXPECT_EQ(drawn[100], palette[102]);
    EXPECT_EQ(drawn.back(), palette[257]);
}

TEST(PaletteFile, ReadingRefusesWhatIsNoPaletteFile)
{
    TempDir dir;
    const auto missing = readPaletteFile((dir / "missing.gpl").string());
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().code, ErrorCode::CannotOpen);
    EXPECT_EQ(missing.error().systemError, ENOENT);
    EXPECT_EQ(missing.error().path, (dir / "missing.gpl").string());

    fs::create_directory(dir / "folder.pal");
    const auto folder = readPaletteFile((dir / "folder.pal").string());
    ASSERT_FALSE(folder.has_value());
    EXPECT_EQ(folder.error().code, ErrorCode::CannotOpen);
    EXPECT_EQ(folder.error().systemError, EISDIR);

    // a FIFO would wait for a writer: refused at once
    ASSERT_EQ(::mkfifo((dir / "fifo.act").c_str(), 0600), 0);
    const auto fifo = readPaletteFile((dir / "fifo.act").string());
    ASSERT_FALSE(fifo.has_value());
    EXPECT_EQ(fifo.error().code, ErrorCode::NotRegularFile);

    // the name decides the format; a swatch image or another name is refused
    writeBytes(dir / "colours.txt", textBytes("GIMP Palette\n0 0 0\n"));
    writeBytes(dir / "colours.png", textBytes("GIMP Palette\n0 0 0\n"));
    for (const char* name : {"colours.txt", "colours.png"}) {
        const auto other = readPaletteFile((dir / name).string());
        ASSERT_FALSE(other.has_value()) << name;
        EXPECT_EQ(other.error().code, ErrorCode::InvalidPalette) << name;
    }

    // the refusal and the path of a malformed file
    writeBytes(dir / "bad.gpl", textBytes("GIMP Palette\n0 0 0\n1 2\n"));
    const auto bad = readPaletteFile((dir / "bad.gpl").string());
    ASSERT_FALSE(bad.has_value());
    EXPECT_EQ(bad.error().code, ErrorCode::InvalidPalette);
    EXPECT_EQ(bad.error().path, (dir / "bad.gpl").string());
    EXPECT_EQ(std::tuple(bad.error().refusal, bad.error().line, bad.error().field),
              std::tuple(Refusal::PaletteMissingValue, 3, ColourField::Blue));
}

TEST(PaletteFile, ALargeFileIsRefusedUnread)
{
    // 4 GiB, sparse: reading it all would take long, holding it more
    TempDir dir;
    const std::string path = (dir / "huge.pal").string();
    writeBytes(path, textBytes("JASC-PAL\r\n0100\r\n1\r\n0 0 0\r\n"));
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(4) << 30), 0);
    const auto huge = readPaletteFile(path);
    ASSERT_FALSE(huge.has_value());
    EXPECT_EQ(huge.error().code, ErrorCode::InvalidPalette);
    EXPECT_EQ(std::pair(huge.error().refusal, huge.error().actualLength),
              std::pair(Refusal::PaletteTooLong, std::int64_t{4294967296}));

    // one byte over the limit is over it
    ASSERT_EQ(::truncate(path.c_str(), kMaxPaletteFileBytes + 1), 0);
    EXPECT_FALSE(readPaletteFile(path).has_value());
}

}  // namespace
}  // namespace zpk::testing

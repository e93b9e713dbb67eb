// End-to-end: the built `zpk` on containers made here, in a scratch folder.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "container/ContainerWriter.h"
#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "state/PictureOptions.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zpk::testing {
namespace {

WriterImage image(int width, int height, std::vector<std::uint8_t> pixels,
                  std::vector<Rgb> colours = threeColours())
{
    return {width, height, std::move(colours), std::move(pixels)};
}

// A last entry of 3 x 2 whose stream holds no byte at all: the palette loop
// runs to the end of the file, and nothing is drawn.
Bytes undrawnEntry() { return {3, 0, 2, 0, 0, 0, 9, 9, 9}; }

// The RGBA the tool must write for `row`: a fresh palette, then renderRgba.
RgbaImage expectedRgba(const Bytes& container, int row, DropFirst dropFirst = DropFirst::Off,
                       const PictureOptions& options = {})
{
    const ContainerFile file = parsed(container);
    Palette palette{};
    const DecodedImage decoded = decodeEntry(file, row, palette, options);
    return renderRgba(decoded, palette, dropFirst);
}

// Whatever form the PNG takes (the palette form when it is exact), it shows
// these RGBA bytes.
void expectPngShows(const fs::path& png, const RgbaImage& expected)
{
    ASSERT_TRUE(fs::exists(png)) << png;
    const DecodedPng actual = decodePng(readBytes(png));
    EXPECT_TRUE(actual.colourType == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                actual.colourType == SPNG_COLOR_TYPE_INDEXED);
    EXPECT_EQ(actual.bitDepth, 8);
    ASSERT_EQ(actual.width, static_cast<std::uint32_t>(expected.width));
    ASSERT_EQ(actual.height, static_cast<std::uint32_t>(expected.height));
    ASSERT_EQ(actual.rgba.size(), expected.rgba.size());
    for (std::uint32_t y = 0; y < actual.height; ++y) {
        for (std::uint32_t x = 0; x < actual.width; ++x) {
            const std::uint8_t* e =
                expected.rgba.data() + (static_cast<std::size_t>(y) * actual.width + x) * 4;
            ASSERT_EQ(actual.px(x, y), rgba(e[0], e[1], e[2], e[3])) << "pixel (" << x << ", " << y << ")";
        }
    }
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string word; in >> word;) out.push_back(word);
    return out;
}

class Cli : public ::testing::Test {
protected:
    // Writes `bytes` as `name` in the scratch folder.
    std::string put(const std::string& name, const Bytes& bytes)
    {
        writeBytes(dir / name, bytes);
        return name;
    }

    RunResult zpk(const std::vector<std::string>& args) { return runZpk(args, dir.path()); }

    // The tool fails with status 1, one message line "zpk: FILE: ...", and
    // leaves the folder as it was.
    void expectFailure(const std::vector<std::string>& args, const std::string& file)
    {
        const auto before = dir.names();
        const RunResult result = zpk(args);
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_EQ(result.err.rfind("zpk: " + file + ": ", 0), 0u) << result.err;
        EXPECT_EQ(lines(result.err).size(), 1u) << result.err;
        EXPECT_EQ(dir.names(), before);
    }

    TempDir dir;
};

// The container that most tests read: three entries of different sizes.
Bytes threeEntries()
{
    return built(ContainerBuilder()
                     .entry(framedImage())
                     .entry(image(5, 2, {0, 1, 2, 2, 2, 2, 2, 2, 1, 0}))
                     .entry(image(2, 6, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2})));
}

TEST_F(Cli, ExportWritesTheEntryAsRgbaPng)
{
    const Bytes container = threeEntries();
    put("three.zpk", container);
    const RunResult result = zpk({"export", "three.zpk", "--entry", "1", "-o", "out.png"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    expectPngShows(dir / "out.png", expectedRgba(container, 1));

    // and in the colours of the file, opaque
    const DecodedPng png = decodePng(readBytes(dir / "out.png"));
    EXPECT_EQ(png.px(0, 0), rgba(200, 10, 20));
    EXPECT_EQ(png.px(1, 0), rgba(30, 190, 40));
    EXPECT_EQ(png.px(4, 0), rgba(50, 60, 210));
    EXPECT_EQ(png.px(4, 1), rgba(200, 10, 20));
}

TEST_F(Cli, ExportTakesRowZeroAndStemNameByDefault)
{
    const Bytes container = threeEntries();
    put("three.zpk", container);
    ASSERT_EQ(zpk({"export", "three.zpk"}).status, 0);
    expectPngShows(dir / "three-0.png", expectedRgba(container, 0));

    ASSERT_EQ(zpk({"export", "three.zpk", "--entry=2"}).status, 0);
    expectPngShows(dir / "three-2.png", expectedRgba(container, 2));
}

TEST_F(Cli, DefaultNameDropsFolderAndLastExtension)
{
    const Bytes container = threeEntries();
    fs::create_directory(dir / "data");
    fs::create_directory(dir / "work");
    writeBytes(dir / "data" / "pics.v2.zpk", container);
    const RunResult result = runZpk({"export", "../data/pics.v2.zpk", "--entry", "1"}, dir / "work");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::exists(dir / "work" / "pics.v2-1.png"));
    EXPECT_FALSE(fs::exists(dir / "data" / "pics.v2-1.png"));
}

TEST_F(Cli, OutputOptionForms)
{
    const Bytes container = threeEntries();
    put("three.zpk", container);
    ASSERT_EQ(zpk({"export", "three.zpk", "-oa.png"}).status, 0);
    ASSERT_EQ(zpk({"export", "three.zpk", "--output=b.png"}).status, 0);
    ASSERT_EQ(zpk({"export", "--output", "c.png", "three.zpk"}).status, 0);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"three.zpk", "a.png", "b.png", "c.png"}));
    EXPECT_EQ(readBytes(dir / "a.png"), readBytes(dir / "b.png"));
    EXPECT_EQ(readBytes(dir / "a.png"), readBytes(dir / "c.png"));
}

TEST_F(Cli, ExportReplacesAnExistingFileAndLeavesNoTemporary)
{
    const Bytes container = threeEntries();
    put("three.zpk", container);
    put("out.png", Bytes(1000, 'x'));
    ASSERT_EQ(zpk({"export", "three.zpk", "-o", "out.png"}).status, 0);
    expectPngShows(dir / "out.png", expectedRgba(container, 0));
    EXPECT_EQ(dir.names(), (std::set<std::string>{"three.zpk", "out.png"}));
}

TEST_F(Cli, DropFirstLeavesValueZeroTransparent)
{
    const Bytes container = built(ContainerBuilder().entry(framedImage()));
    put("framed.zpk", container);
    ASSERT_EQ(zpk({"export", "framed.zpk", "--drop-first", "-o", "drop.png"}).status, 0);
    ASSERT_EQ(zpk({"export", "framed.zpk", "-o", "keep.png"}).status, 0);
    expectPngShows(dir / "drop.png", expectedRgba(container, 0, DropFirst::On));

    const DecodedPng drop = decodePng(readBytes(dir / "drop.png"));
    const DecodedPng keep = decodePng(readBytes(dir / "keep.png"));
    EXPECT_EQ(drop.px(1, 1), 0u);  // value 0: not drawn
    EXPECT_EQ(keep.px(1, 1), rgba(200, 10, 20));
    EXPECT_EQ(drop.px(2, 1), rgba(50, 60, 210));
    EXPECT_EQ(drop.px(0, 0), rgba(30, 190, 40));
    EXPECT_EQ(keep.px(0, 0), rgba(30, 190, 40));
}

TEST_F(Cli, PixelsTheStreamDoesNotReachAreTransparent)
{
    const Bytes container = built(ContainerBuilder().entry(framedImage()).rawEntry(shortStreamEntry()));
    put("short.zpk", container);
    ASSERT_EQ(zpk({"export", "short.zpk", "--entry", "1", "-o", "short.png"}).status, 0);
    expectPngShows(dir / "short.png", expectedRgba(container, 1));

    const DecodedPng png = decodePng(readBytes(dir / "short.png"));
    ASSERT_EQ(png.width, 4u);
    ASSERT_EQ(png.height, 3u);
    for (std::uint32_t x = 0; x < 3; ++x) EXPECT_EQ(png.px(x, 0), rgba(30, 190, 40)) << x;
    EXPECT_EQ(png.px(3, 0), 0u);
    EXPECT_EQ(png.px(0, 1), 0u);
    EXPECT_EQ(png.px(3, 2), 0u);
}

TEST_F(Cli, EntryWithNothingDrawnGivesATransparentPngOfItsSize)
{
    const Bytes container = built(ContainerBuilder().entry(framedImage()).rawEntry(undrawnEntry()));
    put("undrawn.zpk", container);
    ASSERT_EQ(zpk({"export", "undrawn.zpk", "--entry", "1", "-o", "none.png"}).status, 0);
    const DecodedPng png = decodePng(readBytes(dir / "none.png"));
    EXPECT_EQ(png.width, 3u);
    EXPECT_EQ(png.height, 2u);
    EXPECT_EQ(png.rgba, Bytes(3 * 2 * 4, 0));

    // all of value 0 with "drop first": the same
    put("zeros.zpk", built(ContainerBuilder().entry(image(6, 5, Bytes(30, 0)))));
    ASSERT_EQ(zpk({"export", "zeros.zpk", "--drop-first", "-o", "zeros.png"}).status, 0);
    const DecodedPng zeros = decodePng(readBytes(dir / "zeros.png"));
    EXPECT_EQ(zeros.width, 6u);
    EXPECT_EQ(zeros.height, 5u);
    EXPECT_EQ(zeros.rgba, Bytes(6 * 5 * 4, 0));
}

// Values 0, 1, 100, 200, 254, 255 in the greys of the fixture, whose colour
// of value 255 is white.
WriterImage rampProbe() { return {6, 1, greyRamp(256), {0, 1, 100, 200, 254, 255}}; }

TEST_F(Cli, UserColorBuildsTheRampFromNegativeAndFractionalTexts)
{
    const Bytes container = built(ContainerBuilder().entry(rampProbe()));
    put("ramp.zpk", container);
    const RunResult result = zpk({"export", "ramp.zpk", "--user-color", "--color1=-300", "--color2", "-100",
                                  "--color3=+10.5", "-o", "ramp.png"});
    ASSERT_EQ(result.status, 0) << result.err;
    PictureOptions options;
    options.userColor = true;
    options.color1 = "-300";
    options.color2 = "-100";
    options.color3 = "+10.5";
    expectPngShows(dir / "ramp.png", expectedRgba(container, 0, DropFirst::Off, options));

    // value v takes ramp step i = v + 2: red -300 + i is below 0, green
    // -100 + i, blue 10.5 + i rounded half to even, each clamped to 0..255
    const DecodedPng png = decodePng(readBytes(dir / "ramp.png"));
    EXPECT_EQ(png.px(0, 0), rgba(0, 0, 12));       // 12.5 -> 12
    EXPECT_EQ(png.px(1, 0), rgba(0, 0, 14));       // 13.5 -> 14
    EXPECT_EQ(png.px(2, 0), rgba(0, 2, 112));      // 112.5 -> 112
    EXPECT_EQ(png.px(3, 0), rgba(0, 102, 212));    // 212.5 -> 212
    EXPECT_EQ(png.px(4, 0), rgba(0, 156, 255));    // 266.5 -> 255
    EXPECT_EQ(png.px(5, 0), rgba(255, 255, 255));  // entry 257: the stored colour
}

TEST_F(Cli, ColourTextsAreIgnoredWithoutUserColor)
{
    put("ramp.zpk", built(ContainerBuilder().entry(rampProbe())));
    ASSERT_EQ(zpk({"export", "ramp.zpk", "--color1", "-300", "-o", "a.png"}).status, 0);
    ASSERT_EQ(zpk({"export", "ramp.zpk", "-o", "b.png"}).status, 0);
    EXPECT_EQ(readBytes(dir / "a.png"), readBytes(dir / "b.png"));
    EXPECT_EQ(decodePng(readBytes(dir / "a.png")).px(2, 0), rgba(100, 100, 100));
}

// On the command line a colour text must be a number: a typo is a usage
// error that names the option, not an export with the stored colours.
TEST_F(Cli, RampTextThatIsNoNumberIsAUsageError)
{
    put("ramp.zpk", built(ContainerBuilder().entry(rampProbe())));
    const auto before = dir.names();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"export", "ramp.zpk", "--user-color", "--color1=", "-o", "empty.png"},
             {"export", "ramp.zpk", "--user-color", "--color2", "", "-o", "empty2.png"},
             {"export", "ramp.zpk", "--user-color", "--color3", "abc", "-o", "abc.png"},
             {"export", "ramp.zpk", "--all", "--color1=1e2"}}) {
        const RunResult result = zpk(args);
        EXPECT_EQ(result.status, 2) << args[3];
        EXPECT_NE(result.err.find(args[3].substr(0, 8)), std::string::npos) << result.err;
    }
    EXPECT_EQ(dir.names(), before);
    // numbers in all their forms are taken
    EXPECT_EQ(zpk({"export", "ramp.zpk", "--user-color", "--color1", " +2.5 ", "--color2=.5", "--color3=7.",
                   "-o", "numbers.png"})
                  .status,
              0);
}

TEST_F(Cli, RowZeroOfAContainerWithNoEntriesExports)
{
    // N = 0: the list still has a row, for an entry right behind the header
    Bytes container = built(ContainerBuilder());
    const auto entry = encodeEntry(framedImage());
    ASSERT_TRUE(entry.has_value());
    container.insert(container.end(), entry->begin(), entry->end());
    put("none.zpk", container);
    ASSERT_EQ(zpk({"export", "none.zpk", "-o", "row0.png"}).status, 0);
    expectPngShows(dir / "row0.png", expectedRgba(container, 0));
}

TEST_F(Cli, FileErrorsExitWithOneAndWriteNothing)
{
    expectFailure({"export", "missing.zpk"}, "missing.zpk");
    put("short.zpk", Bytes(10, 0));
    expectFailure({"export", "short.zpk", "-o", "x.png"}, "short.zpk");
    // the count says 3 entries, but the size table is cut off
    Bytes cut(31, 0);
    cut[28] = 3;
    put("cut.zpk", cut);
    expectFailure({"export", "cut.zpk"}, "cut.zpk");
    fs::create_directory(dir / "folder.zpk");
    expectFailure({"export", "folder.zpk"}, "folder.zpk");
    expectFailure({"list", "missing.zpk"}, "missing.zpk");
}

TEST_F(Cli, EntryErrorsExitWithOneAndWriteNothing)
{
    put("three.zpk", threeEntries());
    expectFailure({"export", "three.zpk", "--entry", "3"}, "three.zpk");
    expectFailure({"export", "three.zpk", "--entry", "2147483647", "-o", "x.png"}, "three.zpk");

    // width 0, height 0, negative width (high byte 0x80)
    put("flat.zpk", built(ContainerBuilder().entry(image(0, 4, {})).entry(image(4, 0, {}))));
    expectFailure({"export", "flat.zpk", "--entry", "0"}, "flat.zpk");
    expectFailure({"export", "flat.zpk", "--entry", "1"}, "flat.zpk");
    put("negative.zpk", built(ContainerBuilder().rawEntry({0x00, 0x80, 2, 0, 0, 0, 1, 2, 3, 0, 0})));
    expectFailure({"export", "negative.zpk"}, "negative.zpk");

    // a size table that puts entry 1 far behind the end: no width or height
    put("past.zpk", withSizes({60000, 10}, {2, 0, 2, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0}));
    expectFailure({"export", "past.zpk", "--entry", "1"}, "past.zpk");
}

TEST_F(Cli, WriteErrorNamesTheOutputAndLeavesNothing)
{
    put("three.zpk", threeEntries());
    expectFailure({"export", "three.zpk", "-o", "no/such/folder/out.png"}, "no/such/folder/out.png");
    fs::create_directory(dir / "taken.png");
    expectFailure({"export", "three.zpk", "-o", "taken.png"}, "taken.png");
    EXPECT_TRUE(fs::is_directory(dir / "taken.png"));
}

TEST_F(Cli, UsageErrorsExitWithTwoAndWriteNothing)
{
    put("a.zpk", threeEntries());
    const std::vector<std::vector<std::string>> cases{
        {},
        {"frobnicate"},
        {"--frobnicate"},
        {"export"},
        {"export", "a.zpk", "b.zpk"},
        {"export", "a.zpk", "--entry"},
        {"export", "a.zpk", "--entry", "-1"},
        {"export", "a.zpk", "--entry", "+1"},
        {"export", "a.zpk", "--entry=abc"},
        {"export", "a.zpk", "--entry="},
        {"export", "a.zpk", "--entry", "1.0"},
        {"export", "a.zpk", "--entry", "2147483648"},
        {"export", "a.zpk", "--entry", "99999999999999999999"},
        {"export", "a.zpk", "--bogus"},
        {"export", "a.zpk", "-x"},
        {"export", "a.zpk", "--drop-first=yes"},
        {"export", "a.zpk", "-o"},
        {"export", "a.zpk", "--color1"},
        {"export", "a.zpk", "--all", "-o", "-"},
        {"list"},
        {"list", "a.zpk", "--entry", "1"},
        {"list", "a.zpk", "--format", "xml"},
        {"demo"},
        {"help", "nope"},
        {"--version", "extra"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const auto& a : args) shown += " '" + a + "'";
        const auto before = dir.names();
        const RunResult result = zpk(args);
        EXPECT_EQ(result.status, 2) << shown;
        EXPECT_EQ(result.err.rfind("zpk: ", 0), 0u) << shown << "\n" << result.err;
        EXPECT_NE(result.err.find("usage: zpk"), std::string::npos) << shown << "\n" << result.err;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_EQ(dir.names(), before) << shown;
    }
    EXPECT_EQ(zpk({"lsit", "a.zpk"})
                  .err.rfind("zpk: unknown command 'lsit'\nzpk: did you mean 'list'?\nusage: ", 0),
              0u);
}

TEST_F(Cli, HelpAndVersion)
{
    put("a.zpk", threeEntries());
    const std::vector<std::vector<std::string>> cases{
        {"--help"},         {"-h"},
        {"help"},           {"help", "export"},
        {"list", "--help"}, {"export", "--help"},
        {"info", "--help"}, {"export", "a.zpk", "-h"},
        {"help", "--help"},
    };
    for (const auto& args : cases) {
        const RunResult result = zpk(args);
        EXPECT_EQ(result.status, 0) << args.front();
        EXPECT_EQ(result.out.rfind("usage: zpk", 0), 0u) << result.out;
        EXPECT_EQ(result.err, "");
    }
    EXPECT_NE(zpk({"export", "--help"}).out.find("--drop-first"), std::string::npos);
    EXPECT_NE(zpk({"help", "list"}).out.find("usage: zpk list FILE"), std::string::npos);

    const RunResult version = zpk({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zpk " ZPK_EXPECTED_VERSION "\n");
    EXPECT_EQ(dir.names(), (std::set<std::string>{"a.zpk"}));
}

TEST_F(Cli, ListShowsEveryRowInOrder)
{
    const Bytes container = threeEntries();
    put("three.zpk", container);
    const auto size0 = static_cast<int>(container[30] | container[31] << 8);
    const auto size1 = static_cast<int>(container[32] | container[33] << 8);
    const int length = static_cast<int>(container.size());

    const RunResult result = zpk({"list", "three.zpk"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto out = lines(result.out);
    ASSERT_EQ(out.size(), 4u) << result.out;
    EXPECT_EQ(out[0].rfind("three.zpk: " + std::to_string(length) + " bytes, 3 entries", 0), 0u) << out[0];
    // row, list text, offset, size, width, height; entry 0 starts at 30 + 2N
    const int start1 = 36 + size0;
    const int start2 = start1 + size1;
    EXPECT_EQ(words(out[1]), (std::vector<std::string>{"0", "39", "36", std::to_string(size0), "4", "3"}));
    EXPECT_EQ(words(out[2]),
              (std::vector<std::string>{"1", std::to_string(start1 + 3), std::to_string(start1),
                                        std::to_string(size1), "5", "2"}));
    EXPECT_EQ(words(out[3]),
              (std::vector<std::string>{"2", std::to_string(start2 + 3), std::to_string(start2),
                                        std::to_string(length - start2), "2", "6"}));
}

TEST_F(Cli, ListOfContainerWithNoEntriesShowsOneRow)
{
    Bytes container = built(ContainerBuilder());
    ASSERT_EQ(container.size(), 30u);
    put("empty.zpk", container);
    RunResult result = zpk({"list", "empty.zpk"});
    ASSERT_EQ(result.status, 0) << result.err;
    auto out = lines(result.out);
    ASSERT_EQ(out.size(), 2u) << result.out;
    EXPECT_EQ(out[0].rfind("empty.zpk: 30 bytes, 0 entries", 0), 0u) << out[0];
    // the row's width and height would lie past the file
    EXPECT_EQ(words(out[1]), (std::vector<std::string>{"0", "33", "30", "0", "-", "-"}));

    const auto entry = encodeEntry(framedImage());
    ASSERT_TRUE(entry.has_value());
    container.insert(container.end(), entry->begin(), entry->end());
    put("one.zpk", container);
    result = zpk({"list", "one.zpk"});
    ASSERT_EQ(result.status, 0) << result.err;
    out = lines(result.out);
    ASSERT_EQ(out.size(), 2u) << result.out;
    EXPECT_EQ(words(out[1]),
              (std::vector<std::string>{"0", "33", "30", std::to_string(entry->size()), "4", "3"}));
}

TEST_F(Cli, ListShowsSizesAsComputedForADamagedTable)
{
    // entry 0 claims 60000 bytes: entry 1 lies far behind the end
    const Bytes data{2, 0, 2, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0};
    put("past.zpk", withSizes({60000, 10}, data));
    const int length = 30 + 4 + static_cast<int>(data.size());
    const RunResult result = zpk({"list", "past.zpk"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto out = lines(result.out);
    ASSERT_EQ(out.size(), 3u) << result.out;
    EXPECT_EQ(words(out[1]), (std::vector<std::string>{"0", "37", "34", "60000", "2", "2"}));
    EXPECT_EQ(words(out[2]),
              (std::vector<std::string>{"1", "60037", "60034", std::to_string(length - 60034), "-", "-"}));
}

TEST_F(Cli, ListShowsTwoRowsWithTheSameTextAfterAnEmptyEntry)
{
    put("twins.zpk", built(ContainerBuilder().rawEntry({}).entry(framedImage())));
    const RunResult result = zpk({"list", "twins.zpk"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto out = lines(result.out);
    ASSERT_EQ(out.size(), 3u) << result.out;
    const auto row0 = words(out[1]);
    const auto row1 = words(out[2]);
    ASSERT_EQ(row0.size(), 6u);
    ASSERT_EQ(row1.size(), 6u);
    EXPECT_EQ(row0[1], "37");
    EXPECT_EQ(row1[1], "37");
    EXPECT_EQ(row0[3], "0");
    // the empty entry's header bytes are the next entry's
    EXPECT_EQ(row0[4], "4");
    EXPECT_EQ(row1[4], "4");
}

TEST_F(Cli, DemoIsAnUnknownCommand)
{
    // the sample container is made by a build-time program, not by the tool
    const std::vector<std::vector<std::string>> cases{
        {"demo", "demo.zpk"}, {"demo", "no/such/folder/demo.zpk"}, {"demo", "--help"}, {"help", "demo"}};
    for (const auto& args : cases) {
        const std::string shown = args.front() + " " + args.back();
        const auto before = dir.names();
        const RunResult result = zpk(args);
        EXPECT_EQ(result.status, 2) << shown;
        EXPECT_EQ(result.err.rfind("zpk: unknown command 'demo'\n", 0), 0u) << shown << "\n" << result.err;
        EXPECT_NE(result.err.find("usage: zpk"), std::string::npos) << shown << "\n" << result.err;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_EQ(dir.names(), before) << shown;
    }
    EXPECT_EQ(zpk({"--help"}).out.find("demo OUT.zpk"), std::string::npos);
}

}  // namespace
}  // namespace zpk::testing

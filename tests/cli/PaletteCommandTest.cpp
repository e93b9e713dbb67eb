// `zpk palette` writes the colours an entry is drawn with; `--palette P`
// draws export, sheet and thumbnail with the colours of a palette file. A
// palette file that cannot be read is an error that writes nothing.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "palette/PaletteFile.h"

#include <gtest/gtest.h>

namespace zpk::testing {
namespace {

constexpr Colour kBlack = makeColour(0, 0, 0);

class PaletteCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        // row 0: stripes of values 0, 1, 2 in threeColours(); row 1: stripes
        // of 200 greys
        writeBytes(dir / "in.zpk", built(containerOf({stripedImage(6, 4, threeColours()),
                                                      stripedImage(20, 10, greyRamp(200))})));
    }

    RunResult zpk(const std::vector<std::string>& args) { return runZpk(args, dir.path()); }

    std::vector<Colour> paletteIn(const std::string& name)
    {
        const auto colours = readPaletteFile((dir / name).string());
        EXPECT_TRUE(colours.has_value()) << name << ": " << (colours ? "" : colours.error().detail);
        return colours ? *colours : std::vector<Colour>{};
    }

    void writeText(const std::string& name, const std::string& text)
    {
        std::ofstream out(dir / name, std::ios::binary);
        out << text;
    }

    TempDir dir;
};

TEST_F(PaletteCommand, WritesTheStoredColoursOnAFreshPaletteInEveryFormat)
{
    std::vector<Colour> expected(256, kBlack);
    for (std::size_t v = 0; v < 3; ++v) {
        const Rgb c = threeColours()[v];
        expected[v] = makeColour(c.red, c.green, c.blue);
    }
    for (const std::string name : {"out.gpl", "out.pal", "out.act"}) {
        const RunResult result = zpk({"palette", "in.zpk", "-o", name});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, "wrote " + name + ": the 256 colours of entry row 0\n");
        EXPECT_EQ(paletteIn(name), expected) << name;
    }
    // the swatch image: value 0 at the top left, value 1 beside it
    ASSERT_EQ(zpk({"palette", "in.zpk", "-o", "out.png", "-q"}).status, 0);
    const DecodedPng swatches = decodePng(readBytes(dir / "out.png"));
    EXPECT_EQ(swatches.px(2, 2), rgba(200, 10, 20));
    EXPECT_EQ(swatches.px(swatches.width / 16 + 2, 2), rgba(30, 190, 40));

    // row 1 does not inherit row 0's colours: value 3 and on are its greys
    ASSERT_EQ(zpk({"palette", "in.zpk", "--entry", "1", "-o", "one.gpl"}).status, 0);
    const auto one = paletteIn("one.gpl");
    ASSERT_EQ(one.size(), 256u);
    EXPECT_EQ(one[3], makeColour(3, 3, 3));
    EXPECT_EQ(one[199], makeColour(199, 199, 199));
    EXPECT_EQ(one[200], kBlack);
}

TEST_F(PaletteCommand, TheRampAndAPaletteFileTakeThePlaceOfTheStoredColours)
{
    // the ramp: as the decoder builds it
    ASSERT_EQ(zpk({"palette", "in.zpk", "--user-color", "--color1=-40", "--color3", "2.5", "-o", "ramp.gpl"})
                  .status,
              0);
    const ContainerFile file = parsed(readBytes(dir / "in.zpk"));
    PictureOptions ramp;
    ramp.userColor = true;
    ramp.color1 = "-40";
    ramp.color3 = "2.5";
    Palette palette{};
    decodeEntry(file, 0, palette, ramp);
    EXPECT_EQ(paletteIn("ramp.gpl"), drawnColours(palette));

    // a palette file: its colours, black past its end; converted between formats
    writeText("two.gpl", "GIMP Palette\nName: two\n# comment\n1 2 3 first\n4 5 6\n");
    ASSERT_EQ(zpk({"palette", "in.zpk", "--palette", "two.gpl", "-o", "two.act"}).status, 0);
    std::vector<Colour> expected(256, kBlack);
    expected[0] = makeColour(1, 2, 3);
    expected[1] = makeColour(4, 5, 6);
    EXPECT_EQ(paletteIn("two.act"), expected);
    ASSERT_EQ(zpk({"palette", "in.zpk", "--palette", "two.act", "-o", "back.pal"}).status, 0);
    EXPECT_EQ(paletteIn("back.pal"), expected);
}

TEST_F(PaletteCommand, ExportDrawsWithAPaletteFile)
{
    writeText("two.gpl", "GIMP Palette\n1 2 3\n4 5 6\n");
    const RunResult result = zpk({"export", "in.zpk", "--palette", "two.gpl", "-o", "out.png"});
    ASSERT_EQ(result.status, 0) << result.err;
    const DecodedPng png = decodePng(readBytes(dir / "out.png"));
    // value (x + 2y) % 3: 0 and 1 in the file's colours, 2 past its end, black
    EXPECT_EQ(png.px(0, 0), rgba(1, 2, 3));
    EXPECT_EQ(png.px(1, 0), rgba(4, 5, 6));
    EXPECT_EQ(png.px(2, 0), rgba(0, 0, 0));
    EXPECT_EQ(png.px(0, 1), rgba(0, 0, 0));

    // the ramp still takes its entries over
    ASSERT_EQ(zpk({"export", "in.zpk", "--user-color", "--color2=7", "-o", "ramp.png"}).status, 0);
    ASSERT_EQ(
        zpk({"export", "in.zpk", "--user-color", "--color2=7", "--palette", "two.gpl", "-o", "both.png"})
            .status,
        0);
    EXPECT_EQ(readBytes(dir / "both.png"), readBytes(dir / "ramp.png"));

    // every entry of a batch alike
    const RunResult all =
        zpk({"export", "in.zpk", "--all", "--palette", "two.gpl", "-o", "all", "-q", "-j", "2"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(readBytes(dir / "all/in/000.png"), readBytes(dir / "out.png"));
}

TEST_F(PaletteCommand, AMalformedPaletteFileWritesNothing)
{
    writeBytes(dir / "keep.png", {1, 2, 3});
    writeText("bad.gpl", "GIMP Palette\n1 2 300\n");
    writeBytes(dir / "short.act", Bytes(100, 7));
    writeText("bad.pal", "JASC-PAL\n0100\n3\n1 2 3\n");
    for (const std::string bad : {"bad.gpl", "short.act", "bad.pal"}) {
        for (const auto& command : std::vector<std::vector<std::string>>{
                 {"export", "in.zpk", "-o", "keep.png"},
                 {"export", "in.zpk", "--all", "-o", "all"},
                 {"sheet", "in.zpk", "-o", "keep.png"},
                 {"thumbnail", "in.zpk", "keep.png"},
                 {"palette", "in.zpk", "-o", "keep.gpl"},
             }) {
            std::vector<std::string> args = command;
            args.insert(args.end(), {"--palette", bad});
            const auto before = dir.names();
            const RunResult result = zpk(args);
            EXPECT_EQ(result.status, 1) << command.front() << " " << bad;
            EXPECT_EQ(result.err.rfind("zpk: " + bad + ": not a palette file: ", 0), 0u) << result.err;
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(dir.names(), before) << command.front() << " " << bad;
            EXPECT_EQ(readBytes(dir / "keep.png"), (Bytes{1, 2, 3}));
        }
    }
    const RunResult missing = zpk({"export", "in.zpk", "--palette", "none.gpl", "-o", "keep.png"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "zpk: none.gpl: cannot open: No such file or directory\n");
}

TEST_F(PaletteCommand, RowsAndNamesThatDoNotFit)
{
    const RunResult noRow = zpk({"palette", "in.zpk", "--entry", "5", "-o", "p.gpl"});
    EXPECT_EQ(noRow.status, 1);
    EXPECT_EQ(noRow.err, "zpk: in.zpk: no entry row 5: the list has 2 rows (0 to 1)\n");
    writeBytes(dir / "four.zpk", fourStatuses().bytes);
    const RunResult noData = zpk({"palette", "four.zpk", "--entry", "3", "-o", "p.gpl"});
    EXPECT_EQ(noData.status, 1);
    EXPECT_EQ(noData.err,
              "zpk: four.zpk: entry row 3 has no data: its width and height lie past the end of the file\n");
    // an empty entry still has the colours it stores
    ASSERT_EQ(zpk({"palette", "four.zpk", "--entry", "1", "-o", "empty.gpl"}).status, 0);
    EXPECT_EQ(paletteIn("empty.gpl")[0], makeColour(200, 10, 20));

    const auto before = dir.names();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"palette", "in.zpk"},
             {"palette", "in.zpk", "-o", "p.txt"},
             {"palette", "in.zpk", "-o", "-"},
             {"palette", "in.zpk", "-o", "p.gpl", "--drop-first"},
             {"palette", "in.zpk", "-o", "p.gpl", "--palette", "x.png"},
             {"palette", "in.zpk", "-o", "p.gpl", "--palette", "x.txt"},
             {"export", "in.zpk", "--palette", "x"},
         }) {
        const RunResult result = zpk(args);
        EXPECT_EQ(result.status, 2) << args.back();
        EXPECT_EQ(result.err.rfind("zpk: ", 0), 0u) << result.err;
    }
    EXPECT_EQ(dir.names(), before);
}

}  // namespace
}  // namespace zpk::testing

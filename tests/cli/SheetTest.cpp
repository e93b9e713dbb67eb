// `zpk sheet`: every entry in a grid, each cell the very pixels `zpk export
// --rgba` writes for its entry with the same options; empty cells crossed,
// row labels in the built-in digits, and sheets too large refused.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "overview/BitmapFont.h"
#include "overview/Sheet.h"

#include <gtest/gtest.h>

namespace zpk::testing {
namespace {

// Five rows: two stripes, the framed picture, an empty entry, and a last
// entry whose stream ends after 3 of 12 pixels.
Bytes fiveEntries()
{
    const std::vector<Bytes> entries{
        encodeEntry(stripedImage(30, 20, threeColours())).value(),
        encodeEntry(framedImage()).value(),
        encodeEntry({0, 4, threeColours(), {}}).value(),
        encodeEntry(stripedImage(7, 9, greyRamp(200))).value(),
        shortStreamEntry(),
    };
    Bytes data;
    std::vector<std::uint16_t> sizes;
    for (const Bytes& entry : entries) {
        data.insert(data.end(), entry.begin(), entry.end());
        sizes.push_back(static_cast<std::uint16_t>(entry.size()));
    }
    return withSizes(sizes, data);
}

class Sheet : public ::testing::Test {
protected:
    void SetUp() override { writeBytes(dir / "five.zpk", fiveEntries()); }

    RunResult zpk(const std::vector<std::string>& args) { return runZpk(args, dir.path()); }

    // The export of `row` with `options`, as RGBA.
    DecodedPng exported(int row, const std::vector<std::string>& options = {})
    {
        std::vector<std::string> args{"export", "five.zpk",  "--entry", std::to_string(row),
                                      "-o",     "entry.png", "--rgba"};
        args.insert(args.end(), options.begin(), options.end());
        const RunResult result = zpk(args);
        EXPECT_EQ(result.status, 0) << result.err;
        const DecodedPng png = decodePng(readBytes(dir / "entry.png"));
        fs::remove(dir / "entry.png");
        return png;
    }

    // Whether the sheet holds `entry` with its top-left corner at (x, y).
    static void expectCell(const DecodedPng& sheet, const DecodedPng& entry, std::uint32_t x, std::uint32_t y,
                           const std::string& what)
    {
        ASSERT_LE(x + entry.width, sheet.width) << what;
        ASSERT_LE(y + entry.height, sheet.height) << what;
        int differ = 0;
        for (std::uint32_t j = 0; j < entry.height; ++j)
            for (std::uint32_t i = 0; i < entry.width; ++i)
                differ += sheet.px(x + i, y + j) != entry.px(i, j);
        EXPECT_EQ(differ, 0) << what;
    }

    TempDir dir;
};

TEST_F(Sheet, CellsHoldWhatExportWrites)
{
    const RunResult result = zpk({"sheet", "five.zpk", "--columns", "2", "-o", "sheet.png"});
    ASSERT_EQ(result.status, 0) << result.err;
    // columns 30 and 7 wide, grid rows 20, 9 and 3 tall, 4 pixels apart
    EXPECT_EQ(result.out, "wrote sheet.png: 41 x 40 pixels, 5 entries in 2 columns\n");
    const DecodedPng sheet = decodePng(readBytes(dir / "sheet.png"));
    ASSERT_EQ(sheet.width, 41u);
    ASSERT_EQ(sheet.height, 40u);
    expectCell(sheet, exported(0), 0, 0, "row 0");
    expectCell(sheet, exported(1), 34, 0, "row 1");
    expectCell(sheet, exported(3), 34, 24, "row 3");
    expectCell(sheet, exported(4), 0, 37, "row 4");
    // around the entries, and between the cells: transparent
    EXPECT_EQ(sheet.px(34 + 4, 0), 0u);
    EXPECT_EQ(sheet.px(31, 5), 0u);
    EXPECT_EQ(sheet.px(5, 21), 0u);
    // row 4's pixels the stream never reached are transparent as well
    EXPECT_EQ(sheet.px(3, 39), 0u);
    // row 2 is 0 x 4 pixels: a grey cross
    const std::uint32_t grey = rgba(kCrossColour[0], kCrossColour[1], kCrossColour[2]);
    for (std::uint32_t i = 0; i < kEmptyCellSide; ++i) {
        EXPECT_EQ(sheet.px(i, 24 + i), grey) << i;
        EXPECT_EQ(sheet.px(kEmptyCellSide - 1 - i, 24 + i), grey) << i;
    }
    EXPECT_EQ(sheet.px(1, 24), 0u);
}

TEST_F(Sheet, PictureOptionsAreThoseOfExport)
{
    {
        std::ofstream act(dir / "p.act", std::ios::binary);
        for (int v = 0; v < 256; ++v)
            act << static_cast<char>(v) << static_cast<char>(255 - v) << static_cast<char>(77);
    }
    const std::vector<std::vector<std::string>> optionSets{
        {"--drop-first"},
        {"--user-color", "--color1=-40", "--color3", "2.5"},
        {"--palette", "p.act"},
        {"--palette", "p.act", "--user-color", "--color2", "9"},
    };
    for (const auto& options : optionSets) {
        std::vector<std::string> args{"sheet", "five.zpk", "-o", "sheet.png", "--columns", "2"};
        args.insert(args.end(), options.begin(), options.end());
        const RunResult result = zpk(args);
        ASSERT_EQ(result.status, 0) << result.err;
        const DecodedPng sheet = decodePng(readBytes(dir / "sheet.png"));
        expectCell(sheet, exported(0, options), 0, 0, options.front());
        expectCell(sheet, exported(3, options), 34, 24, options.front());
    }
}

TEST_F(Sheet, LabelsNameEachRowInTheBuiltInDigits)
{
    const RunResult result =
        zpk({"sheet", "five.zpk", "--columns", "2", "--labels", "-o", "sheet.png", "-q"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const DecodedPng sheet = decodePng(readBytes(dir / "sheet.png"));
    // each grid row is followed by a pixel and a label 9 pixels tall
    ASSERT_EQ(sheet.width, 41u);
    ASSERT_EQ(sheet.height, 20u + 10 + 4 + 9 + 10 + 4 + 3 + 10);
    const std::uint32_t ink = rgba(kLabelInk[0], kLabelInk[1], kLabelInk[2]);
    const std::uint32_t paper = rgba(kLabelPaper[0], kLabelPaper[1], kLabelPaper[2]);
    const std::vector<std::array<std::uint32_t, 3>> labels{
        {0, 0, 21}, {1, 34, 21}, {2, 0, 44}, {3, 34, 44}, {4, 0, 61}};
    for (const auto& [row, x, y] : labels) {
        const std::string text = std::to_string(row);
        int inked = 0;
        for (int dy = 0; dy < kLabelHeight; ++dy) {
            for (int dx = 0; dx < labelWidth(static_cast<int>(row)); ++dx) {
                const bool on = textPixel(text, dx - 1, dy - 1);
                inked += on;
                EXPECT_EQ(sheet.px(x + static_cast<std::uint32_t>(dx), y + static_cast<std::uint32_t>(dy)),
                          on ? ink : paper)
                    << "row " << row << " at " << dx << "," << dy;
            }
        }
        EXPECT_GT(inked, 8) << row;
    }
    // the cells above the labels are unchanged
    expectCell(sheet, exported(3), 34, 34, "row 3");
}

TEST(BitmapFont, EveryDigitReadsApart)
{
    EXPECT_EQ(textWidth(""), 0);
    EXPECT_EQ(textWidth("7"), kGlyphWidth);
    EXPECT_EQ(textWidth("254"), 3 * kGlyphWidth + 2 * kGlyphSpacing);
    std::set<std::vector<bool>> glyphs;
    for (char c = '0'; c <= '9'; ++c) {
        const std::string text(1, c);
        std::vector<bool> bits;
        for (int y = 0; y < kGlyphHeight; ++y)
            for (int x = 0; x < kGlyphWidth; ++x) bits.push_back(textPixel(text, x, y));
        glyphs.insert(bits);
        // ink in the top and bottom rows: every digit is as tall as the
        // label is made for
        bool top = false;
        bool bottom = false;
        for (int i = 0; i < kGlyphWidth; ++i) {
            top = top || textPixel(text, i, 0);
            bottom = bottom || textPixel(text, i, kGlyphHeight - 1);
        }
        EXPECT_TRUE(top && bottom) << c;
        EXPECT_FALSE(textPixel(text, kGlyphWidth, 3)) << c;
        EXPECT_FALSE(textPixel(text, 2, kGlyphHeight)) << c;
        EXPECT_FALSE(textPixel(text, -1, 0)) << c;
    }
    EXPECT_EQ(glyphs.size(), 10u);
    // the spacing column stays blank; what is not a digit draws nothing
    for (int y = 0; y < kGlyphHeight; ++y) {
        EXPECT_FALSE(textPixel("88", kGlyphWidth, y));
        for (int x = 0; x < kGlyphWidth; ++x) EXPECT_FALSE(textPixel("x", x, y));
    }
}

TEST_F(Sheet, OutputsAndNames)
{
    ASSERT_EQ(zpk({"sheet", "five.zpk"}).status, 0);
    const Bytes named = readBytes(dir / "five-sheet.png");
    ASSERT_FALSE(named.empty());
    Redirects toFile;
    toFile.out = (dir / "piped.png").string();
    const RunResult piped = runZpk({"sheet", "five.zpk", "-o", "-"}, dir.path(), toFile);
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(readBytes(dir / "piped.png"), named);
    // the default columns: the smallest square grid, here 3 x 2
    EXPECT_NE(zpk({"sheet", "five.zpk", "-o", "x.png"}).out.find(" in 3 columns"), std::string::npos);
    // standard input
    Redirects fromFile;
    fromFile.in = (dir / "five.zpk").string();
    const RunResult fromStdin = runZpk({"sheet", "-", "-o", "stdin.png"}, dir.path(), fromFile);
    ASSERT_EQ(fromStdin.status, 0) << fromStdin.err;
    EXPECT_EQ(readBytes(dir / "stdin.png"), named);
}

TEST_F(Sheet, ASheetTooLargeIsRefusedAndNothingWritten)
{
    std::vector<WriterImage> wide;
    for (int k = 0; k < 5; ++k) wide.push_back(solidImage(4000, 1, Rgb{1, 2, 3}));
    writeBytes(dir / "wide.zpk", built(containerOf(wide)));
    const RunResult refused = zpk({"sheet", "wide.zpk", "--columns", "5", "-o", "sheet.png"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "zpk: wide.zpk: the sheet would be 20016 x 1 pixels, larger than 16384 x 16384: give fewer "
              "--columns\n");
    EXPECT_FALSE(fs::exists(dir / "sheet.png"));
    // in three columns it fits
    const RunResult fits = zpk({"sheet", "wide.zpk", "-o", "sheet.png"});
    ASSERT_EQ(fits.status, 0) << fits.err;
    const DecodedPng sheet = decodePng(readBytes(dir / "sheet.png"));
    EXPECT_EQ(sheet.width, 3u * 4000 + 2 * 4);
    EXPECT_EQ(sheet.height, 1u + 4 + 1);

    // too tall
    std::vector<WriterImage> tall;
    for (int k = 0; k < 5; ++k) tall.push_back(solidImage(1, 4000, Rgb{1, 2, 3}));
    writeBytes(dir / "tall.zpk", built(containerOf(tall)));
    const RunResult refusedTall = zpk({"sheet", "tall.zpk", "--columns", "1", "-o", "tall.png"});
    EXPECT_EQ(refusedTall.status, 1);
    EXPECT_NE(refusedTall.err.find("give more --columns"), std::string::npos) << refusedTall.err;
    EXPECT_FALSE(fs::exists(dir / "tall.png"));
}

TEST_F(Sheet, ErrorsWriteNothing)
{
    const auto before = dir.names();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"sheet", "none.zpk", "-o", "s.png"},
             {"sheet", "five.zpk", "-o", "s.png", "--palette", "none.gpl"},
             {"sheet", "five.zpk", "-o", "no/such/s.png"},
         }) {
        const RunResult result = zpk(args);
        EXPECT_EQ(result.status, 1) << args[1];
        EXPECT_EQ(result.err.rfind("zpk: ", 0), 0u) << result.err;
    }
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"sheet", "five.zpk", "--columns", "0"},
             {"sheet", "five.zpk", "--columns", "256"},
             {"sheet", "five.zpk", "--indexed"},
             {"sheet", "five.zpk", "--entry", "1"},
             {"sheet", "five.zpk", "other.zpk"},
         }) {
        const RunResult result = zpk(args);
        EXPECT_EQ(result.status, 2) << args[2];
        EXPECT_NE(result.err.find("usage: zpk sheet FILE"), std::string::npos) << result.err;
    }
    EXPECT_EQ(dir.names(), before);
}

}  // namespace
}  // namespace zpk::testing

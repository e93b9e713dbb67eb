// `zpk pack`, `zpk replace`, the edits of rows and `zpk extract`: pictures
// packed back into a container show the pixels they were exported from; bad
// pictures and refused edits leave every file as it was; an extracted entry
// is the bytes `zpk list` places it at.
#include "cli/CliSupport.h"
#include "cli/CompletionSupport.h"
#include "fixtures/Fixtures.h"

#include "cli/CommandLine.h"
#include "cli/ParseSupport.h"
#include "png/PngWriter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <regex>

namespace zpk::testing {
namespace {

using cli::Command;
using cli::ParsedCommandLine;
using cli::UsageError;

std::string threeDigits(std::size_t k)
{
    std::string name = std::to_string(k);
    name.insert(0, 3 - std::min<std::size_t>(3, name.size()), '0');
    return name;
}

std::string pngName(std::size_t k)
{
    std::string name = threeDigits(k);
    name += ".png";
    return name;
}

// An RGBA PNG of `count` different opaque colours, one pixel each, in a row.
Bytes manyColoursPng(int count)
{
    RgbaImage image{count, 1, {}};
    for (int i = 0; i < count; ++i)
        image.rgba.insert(image.rgba.end(),
                          {static_cast<std::uint8_t>(i & 0xFF), static_cast<std::uint8_t>(i >> 8), 7, 255});
    auto png = encodePng(image);
    EXPECT_TRUE(png.has_value());
    return png ? *png : Bytes{};
}

// A palette PNG of `image`'s values and colours, as pack reads it back.
Bytes palettePng(const WriterImage& image)
{
    IndexedImage indexed{image.width, image.height, {}, {}, image.pixels};
    for (const Rgb& c : image.colours) indexed.colours.push_back(makeColour(c.red, c.green, c.blue));
    auto png = encodePng(indexed);
    EXPECT_TRUE(png.has_value());
    return png ? *png : Bytes{};
}

// A 2 x 2 palette PNG of `colours`, pixels 0 and 1 in turn, with the alpha
// of the first indices `alpha`.
Bytes indexedPngWith(const std::vector<Colour>& colours, const Bytes& alpha)
{
    auto png = encodePng(IndexedImage{2, 2, colours, alpha, {0, 1, 1, 0}});
    EXPECT_TRUE(png.has_value());
    return png ? *png : Bytes{};
}

// What `zpk list --format json` says of each row: offset and size.
struct ListedRow {
    std::int64_t offset = 0;
    std::int64_t size = 0;
    std::string status;
};

class PackCommand : public ::testing::Test {
protected:
    RunResult zpk(const std::vector<std::string>& args) { return runZpk(args, dir.path()); }

    // Nothing for a file that is not a container (too short for its header).
    std::vector<ListedRow> listed(const fs::path& file)
    {
        const RunResult result = zpk({"list", file.string(), "--format", "json"});
        std::vector<ListedRow> rows;
        if (result.status == 1 && result.err.find("not a zpk container") != std::string::npos) return rows;
        EXPECT_EQ(result.status, 0) << result.err;
        const auto json = nlohmann::json::parse(result.out, nullptr, false);
        if (json.is_discarded()) {
            ADD_FAILURE() << "not JSON: " << result.out;
            return rows;
        }
        for (const auto& entry : json["entries"])
            rows.push_back({entry["offset"].get<std::int64_t>(), entry["size"].get<std::int64_t>(),
                            entry["status"].get<std::string>()});
        return rows;
    }

    // Every entry of `file`, as `zpk extract` gives it.
    std::vector<Bytes> entries(const fs::path& file)
    {
        std::vector<Bytes> out;
        for (int k = 0; k < parsed(readBytes(file)).rowCount(); ++k) out.push_back(extracted(file, k));
        return out;
    }

    // The bytes `zpk extract` writes for `row` of `file`.
    Bytes extracted(const fs::path& file, int row)
    {
        const RunResult result =
            zpk({"extract", file.string(), "--entry", std::to_string(row), "-o", "row.bin", "-q"});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, "");
        Bytes bytes = readBytes(dir / "row.bin");
        fs::remove(dir / "row.bin");
        return bytes;
    }

    TempDir dir;
};

// --- the round trip -----------------------------------------------------------

TEST_F(PackCommand, ExportedPalettePngsPackBackToTheSamePixels)
{
    int packed = 0;
    for (const fs::path& container : testContainers()) {
        SCOPED_TRACE(container.filename().string());
        const auto rows = listed(container);
        // the rows that decode fully, renumbered without gaps
        std::vector<std::size_t> fully;
        for (std::size_t k = 0; k < rows.size(); ++k)
            if (rows[k].status == "ok") fully.push_back(k);
        if (fully.empty()) continue;

        fs::remove_all(dir / "first");
        fs::remove_all(dir / "pictures");
        fs::remove_all(dir / "again");
        // the rows that do not decode fully fail to export: that is expected
        zpk({"export", container.string(), "--all", "--indexed", "-q", "-o", "first"});
        const fs::path first = dir / "first" / container.stem();
        fs::create_directories(dir / "pictures");
        for (std::size_t j = 0; j < fully.size(); ++j)
            fs::copy_file(first / pngName(fully[j]), dir / "pictures" / pngName(j));

        const RunResult pack = zpk({"pack", "again.zpk", "--from", "pictures"});
        ASSERT_EQ(pack.status, 0) << pack.err;
        EXPECT_EQ(pack.out, "wrote again.zpk: " + std::to_string(fully.size()) +
                                (fully.size() == 1 ? " entry, " : " entries, ") +
                                std::to_string(fs::file_size(dir / "again.zpk")) + " bytes\n");
        const RunResult again = zpk({"export", "again.zpk", "--all", "-q", "-o", "again"});
        ASSERT_EQ(again.status, 0) << again.err;

        for (std::size_t j = 0; j < fully.size(); ++j) {
            const DecodedPng before = decodePng(readBytes(first / pngName(fully[j])));
            const DecodedPng after = decodePng(readBytes(dir / "again" / "again" / pngName(j)));
            ASSERT_EQ(after.width, before.width) << "row " << fully[j];
            ASSERT_EQ(after.height, before.height) << "row " << fully[j];
            EXPECT_TRUE(after.rgba == before.rgba) << "row " << fully[j];
        }
        fs::remove(dir / "again.zpk");
        ++packed;
    }
    EXPECT_GE(packed, 3);  // the sample and fixtures with whole entries
}

TEST_F(PackCommand, TheSamplePicturesPackToTheCommittedSample)
{
    const fs::path source = fs::path(ZPK_SOURCE_DIR) / "samples";
    const RunResult pack = zpk({"pack", "demo.zpk", "--from", (source / "src").string(), "-q"});
    ASSERT_EQ(pack.status, 0) << pack.err;
    EXPECT_EQ(pack.out, "");
    EXPECT_TRUE(readBytes(dir / "demo.zpk") == readBytes(source / "demo.zpk"))
        << "samples/demo.zpk is not what `zpk pack samples/demo.zpk --from samples/src --force` writes";
}

TEST_F(PackCommand, PicturesGivenByNameAreEntriesInTheirOrder)
{
    writeBytes(dir / "b.png", palettePng(stripedImage(6, 4, threeColours())));
    writeBytes(dir / "a.png", palettePng(solidImage(3, 5, 0)));
    ASSERT_EQ(zpk({"pack", "two.zpk", "b.png", "a.png", "-q"}).status, 0);
    const ContainerFile file = parsed(readBytes(dir / "two.zpk"));
    ASSERT_EQ(file.rowCount(), 2);
    Palette palette{};
    const DecodedImage second = decodeEntry(file, 1, palette);
    EXPECT_EQ(second.imageWidth, 3);
    EXPECT_EQ(second.imageHeight, 5);
    palette = {};
    const DecodedImage firstRow = decodeEntry(file, 0, palette);
    EXPECT_TRUE(producedPixels(firstRow) == stripedImage(6, 4, threeColours()).pixels);
}

TEST_F(PackCommand, TransparentPixelsBecomeValueZeroOnlyWhenAsked)
{
    // a dot of red on a transparent ground
    RgbaImage image{3, 1, {0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0}};
    writeBytes(dir / "dot.png", *encodePng(image));
    const RunResult refused = zpk({"pack", "dot.zpk", "dot.png"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("zpk: dot.png: cannot pack: "), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(dir / "dot.zpk"));

    ASSERT_EQ(zpk({"pack", "dot.zpk", "dot.png", "--transparent-index0", "-q"}).status, 0);
    ASSERT_EQ(zpk({"export", "dot.zpk", "--drop-first", "-o", "dot-back.png", "-q"}).status, 0);
    const DecodedPng back = decodePng(readBytes(dir / "dot-back.png"));
    EXPECT_EQ(back.px(0, 0) & 0xFF, 0u);
    EXPECT_EQ(back.px(1, 0), rgba(255, 0, 0));
    EXPECT_EQ(back.px(2, 0) & 0xFF, 0u);
}

// --- refusals -----------------------------------------------------------------

TEST_F(PackCommand, AFolderWithAGapIsRefusedByNameAndNothingIsWritten)
{
    fs::create_directories(dir / "gap");
    for (const int k : {0, 1, 3})
        writeBytes(dir / "gap" / pngName(static_cast<std::size_t>(k)), palettePng(solidImage(2, 2, 0)));
    const auto before = dir.names();
    const RunResult result = zpk({"pack", "out.zpk", "--from", "gap"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("zpk: gap: cannot pack: 002.png is missing"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(dir.names(), before);
}

TEST_F(PackCommand, TooManyColoursAreRefusedByNameAndNothingIsWritten)
{
    fs::create_directories(dir / "many");
    writeBytes(dir / "many" / "000.png", palettePng(solidImage(2, 2, 0)));
    writeBytes(dir / "many" / "001.png", manyColoursPng(257));
    writeBytes(dir / "fine.png", manyColoursPng(256));
    const auto before = dir.names();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"pack", "out.zpk", "--from", "many"},
          std::vector<std::string>{"pack", "out.zpk", "fine.png", "many/001.png"}}) {
        const RunResult result = zpk(args);
        EXPECT_EQ(result.status, 1) << args.back();
        EXPECT_NE(result.err.find("zpk: many/001.png: cannot pack: "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("257"), std::string::npos) << result.err;
        EXPECT_EQ(dir.names(), before);
    }
    // 256 colours fit
    EXPECT_EQ(zpk({"pack", "out.zpk", "fine.png", "-q"}).status, 0);
}

TEST_F(PackCommand, AnExistingContainerIsKeptWithoutForce)
{
    writeBytes(dir / "a.png", palettePng(solidImage(2, 2, 0)));
    writeBytes(dir / "b.png", palettePng(stripedImage(6, 4, threeColours())));
    ASSERT_EQ(zpk({"pack", "out.zpk", "a.png", "-q"}).status, 0);
    const Bytes first = readBytes(dir / "out.zpk");
    const RunResult kept = zpk({"pack", "out.zpk", "b.png"});
    EXPECT_EQ(kept.status, 1);
    EXPECT_EQ(kept.err, "zpk: out.zpk: exists already (--force replaces it)\n");
    EXPECT_TRUE(readBytes(dir / "out.zpk") == first);

    ASSERT_EQ(zpk({"pack", "out.zpk", "b.png", "--force", "-q"}).status, 0);
    EXPECT_FALSE(readBytes(dir / "out.zpk") == first);
    EXPECT_EQ(parsed(readBytes(dir / "out.zpk")).rowCount(), 1);
}

TEST_F(PackCommand, MorePicturesThanEntriesAreRefused)
{
    writeBytes(dir / "a.png", palettePng(solidImage(1, 1, 0)));
    std::vector<std::string> args{"pack", "out.zpk"};
    for (int k = 0; k < 256; ++k) args.push_back("a.png");
    const RunResult result = zpk(args);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("255"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir / "out.zpk"));
    args.pop_back();
    args.push_back("-q");
    EXPECT_EQ(zpk(args).status, 0);
}

// --- replace ------------------------------------------------------------------

TEST_F(PackCommand, ReplaceKeepsTheFileWhenThePictureIsBad)
{
    fs::copy_file(fs::path(ZPK_SOURCE_DIR) / "samples/demo.zpk", dir / "demo.zpk");
    const Bytes original = readBytes(dir / "demo.zpk");
    writeBytes(dir / "many.png", manyColoursPng(257));
    writeBytes(dir / "not.png", Bytes{'n', 'o', 't'});
    for (const std::string picture : {"many.png", "not.png", "missing.png"}) {
        const RunResult result = zpk({"replace", "demo.zpk", "--entry", "2", picture});
        EXPECT_EQ(result.status, 1) << picture;
        EXPECT_EQ(result.err.rfind("zpk: " + picture + ": ", 0), 0u) << result.err;
        EXPECT_TRUE(readBytes(dir / "demo.zpk") == original) << picture;
    }
    const auto names = dir.names();
    EXPECT_EQ(names, (std::set<std::string>{"demo.zpk", "many.png", "not.png"}));
    // a row that does not exist
    writeBytes(dir / "fine.png", palettePng(solidImage(2, 2, 0)));
    const RunResult noRow = zpk({"replace", "demo.zpk", "--entry", "7", "fine.png"});
    EXPECT_EQ(noRow.status, 1);
    EXPECT_EQ(noRow.err, "zpk: demo.zpk: no entry row 7: the list has 7 rows (0 to 6)\n");
    EXPECT_TRUE(readBytes(dir / "demo.zpk") == original);
}

// What the tool says when a file is not to be written as asked, and when a
// picture is taken otherwise than it may look.
TEST_F(PackCommand, RefusalsAndNotesNameTheFile)
{
    fs::copy_file(fs::path(ZPK_SOURCE_DIR) / "samples/demo.zpk", dir / "demo.zpk");
    writeBytes(dir / "fine.png", palettePng(solidImage(2, 2, 0)));
    ASSERT_EQ(::mkfifo((dir / "pipe.zpk").c_str(), 0644), 0);
    const RunResult fifo = zpk({"replace", "pipe.zpk", "--entry", "0", "fine.png"});
    EXPECT_EQ(fifo.status, 1);
    EXPECT_EQ(fifo.err,
              "zpk: pipe.zpk: is not a regular file, so it cannot be replaced in place: give -o OUT\n");

    fs::permissions(dir / "demo.zpk", fs::perms(0444));
    const Bytes original = readBytes(dir / "demo.zpk");
    const RunResult protectedFile = zpk({"replace", "demo.zpk", "--entry", "1", "fine.png"});
    EXPECT_EQ(protectedFile.status, 1);
    EXPECT_EQ(protectedFile.err, "zpk: demo.zpk: is write-protected (--force replaces it all the same)\n");
    EXPECT_TRUE(readBytes(dir / "demo.zpk") == original);
    EXPECT_EQ(zpk({"replace", "-q", "demo.zpk", "--entry", "1", "fine.png", "--force"}).status, 0);
    EXPECT_FALSE(readBytes(dir / "demo.zpk") == original);

    // OUT may not be one of the pictures, whatever its name
    const Bytes picture = readBytes(dir / "fine.png");
    fs::create_symlink("fine.png", dir / "link.png");
    for (const std::string out : {"fine.png", "link.png"}) {
        const RunResult same = zpk({"pack", "--force", out, "fine.png"});
        EXPECT_EQ(same.status, 1);
        EXPECT_EQ(same.err, "zpk: " + out + ": is one of the pictures to pack: give another OUT.zpk\n");
        EXPECT_TRUE(readBytes(dir / "fine.png") == picture);
    }

    // index 0 transparent in the palette: packed as value 0, and said so
    writeBytes(dir / "clear0.png", indexedPngWith({makeColour(0, 0, 0), makeColour(9, 9, 9)}, {0}));
    const RunResult noted = zpk({"pack", "n.zpk", "clear0.png"});
    EXPECT_EQ(noted.status, 0);
    EXPECT_EQ(noted.err, "zpk: clear0.png: note: index 0 is transparent: its pixels become value 0, which is "
                         "drawn transparent only with --drop-first\n");

    const RunResult thumbnail = zpk({"thumbnail", "-", "t.png"});
    EXPECT_EQ(thumbnail.status, 2);
    EXPECT_EQ(thumbnail.err.rfind(
                  "zpk: thumbnail reads a file by its name: standard input ('-') is not taken\n", 0),
              0u);
}

TEST_F(PackCommand, ReplaceChangesOnlyTheEntryAskedFor)
{
    fs::copy_file(fs::path(ZPK_SOURCE_DIR) / "samples/demo.zpk", dir / "demo.zpk");
    fs::permissions(dir / "demo.zpk", fs::perms(0640));
    const auto rowsBefore = listed(dir / "demo.zpk");
    std::vector<Bytes> before;
    for (std::size_t k = 0; k < rowsBefore.size(); ++k) before.push_back(extracted(dir / "demo.zpk", int(k)));

    const WriterImage picture = stripedImage(33, 17, threeColours());
    writeBytes(dir / "new.png", palettePng(picture));
    const RunResult result = zpk({"replace", "demo.zpk", "--entry", "2", "new.png"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("wrote demo.zpk: entry row 2 replaced by new.png (33 x 17 pixels, ", 0), 0u)
        << result.out;

    const auto rowsAfter = listed(dir / "demo.zpk");
    ASSERT_EQ(rowsAfter.size(), rowsBefore.size());
    for (std::size_t k = 0; k < rowsAfter.size(); ++k) {
        if (k == 2) continue;
        EXPECT_TRUE(extracted(dir / "demo.zpk", int(k)) == before[k]) << "row " << k;
    }
    // the rows behind it moved by the change of its size
    const std::int64_t moved = rowsAfter[2].size - rowsBefore[2].size;
    EXPECT_NE(moved, 0);
    for (std::size_t k = 3; k < rowsAfter.size(); ++k)
        EXPECT_EQ(rowsAfter[k].offset, rowsBefore[k].offset + moved) << "row " << k;
    // the new entry shows the picture; the file keeps its mode
    const ContainerFile file = parsed(readBytes(dir / "demo.zpk"));
    Palette palette{};
    const DecodedImage image = decodeEntry(file, 2, palette);
    EXPECT_EQ(image.imageWidth, 33);
    EXPECT_EQ(image.imageHeight, 17);
    EXPECT_TRUE(producedPixels(image) == picture.pixels);
    EXPECT_EQ(fs::status(dir / "demo.zpk").permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(dir.names(), (std::set<std::string>{"demo.zpk", "new.png"}));
}

TEST_F(PackCommand, ReplaceWithOutputLeavesTheFileAlone)
{
    fs::copy_file(fs::path(ZPK_SOURCE_DIR) / "samples/demo.zpk", dir / "demo.zpk");
    const Bytes original = readBytes(dir / "demo.zpk");
    writeBytes(dir / "new.png", palettePng(solidImage(4, 4, 0)));
    ASSERT_EQ(zpk({"replace", "demo.zpk", "--entry", "6", "new.png", "-o", "other.zpk", "-q"}).status, 0);
    EXPECT_TRUE(readBytes(dir / "demo.zpk") == original);
    const Bytes other = readBytes(dir / "other.zpk");
    EXPECT_FALSE(other == original);
    EXPECT_EQ(parsed(other).rowCount(), 7);
    EXPECT_TRUE(extracted(dir / "other.zpk", 0) == extracted(dir / "demo.zpk", 0));
}

// --- insert, delete, move ------------------------------------------------------

TEST_F(PackCommand, InsertPutsThePicturesInFrontOfTheRow)
{
    fs::copy_file(fs::path(ZPK_SOURCE_DIR) / "samples/demo.zpk", dir / "demo.zpk");
    const Bytes original = readBytes(dir / "demo.zpk");
    const std::vector<Bytes> before = entries(dir / "demo.zpk");
    const std::vector<WriterImage> pictures{stripedImage(33, 17, threeColours()), solidImage(4, 4, 0)};
    writeBytes(dir / "a.png", palettePng(pictures[0]));
    writeBytes(dir / "b.png", palettePng(pictures[1]));
    const RunResult result = zpk({"insert", "demo.zpk", "--at", "1", "a.png", "b.png", "-o", "new.zpk"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("wrote new.zpk: 2 entries inserted at entry row 1, 9 entries in all, ", 0), 0u)
        << result.out;
    EXPECT_TRUE(readBytes(dir / "demo.zpk") == original);
    std::vector<Bytes> after = entries(dir / "new.zpk");
    ASSERT_EQ(after.size(), 9u);
    const ContainerFile file = parsed(readBytes(dir / "new.zpk"));
    for (int k = 0; k < 2; ++k) {
        Palette palette{};
        const DecodedImage image = decodeEntry(file, 1 + k, palette);
        EXPECT_EQ(image.imageWidth, pictures[std::size_t(k)].width);
        EXPECT_TRUE(producedPixels(image) == pictures[std::size_t(k)].pixels) << "row " << 1 + k;
    }
    after.erase(after.begin() + 1, after.begin() + 3);
    EXPECT_TRUE(after == before);

    // a picture the format cannot hold: refused by its name, FILE as it was
    writeBytes(dir / "many.png", manyColoursPng(257));
    const RunResult refused = zpk({"insert", "demo.zpk", "--at", "7", "a.png", "many.png"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err.rfind("zpk: many.png: cannot pack: ", 0), 0u) << refused.err;
    EXPECT_TRUE(readBytes(dir / "demo.zpk") == original);
}

TEST_F(PackCommand, DeleteKeepsEveryOtherEntry)
{
    fs::copy_file(fs::path(ZPK_SOURCE_DIR) / "samples/demo.zpk", dir / "demo.zpk");
    std::vector<Bytes> expected = entries(dir / "demo.zpk");
    const RunResult result = zpk({"delete", "demo.zpk", "--entry", "2"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("wrote demo.zpk: entry row 2 deleted, 6 entries left, ", 0), 0u) << result.out;
    expected.erase(expected.begin() + 2);
    EXPECT_TRUE(entries(dir / "demo.zpk") == expected);

    // the last entry stays
    writeBytes(dir / "a.png", palettePng(solidImage(2, 2, 0)));
    ASSERT_EQ(zpk({"pack", "one.zpk", "a.png", "-q"}).status, 0);
    const Bytes one = readBytes(dir / "one.zpk");
    const RunResult refused = zpk({"delete", "one.zpk", "--entry", "0"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "zpk: one.zpk: cannot delete: its only entry row would go: a container keeps at least one\n");
    EXPECT_TRUE(readBytes(dir / "one.zpk") == one);
    EXPECT_EQ(zpk({"delete", "one.zpk"}).status, 2);
}

TEST_F(PackCommand, MovePutsTheEntryAtItsNewRow)
{
    fs::copy_file(fs::path(ZPK_SOURCE_DIR) / "samples/demo.zpk", dir / "demo.zpk");
    const std::vector<Bytes> before = entries(dir / "demo.zpk");
    const RunResult result = zpk({"move", "demo.zpk", "--entry", "0", "--to", "3", "-q"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    std::vector<Bytes> expected;
    for (const int k : {1, 2, 3, 0, 4, 5, 6}) expected.push_back(before[std::size_t(k)]);
    EXPECT_TRUE(entries(dir / "demo.zpk") == expected);

    const Bytes moved = readBytes(dir / "demo.zpk");
    const RunResult refused = zpk({"move", "demo.zpk", "--entry", "7", "--to", "0"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "zpk: demo.zpk: cannot move: there is no entry row 7 (the file lists 7)\n");
    EXPECT_EQ(zpk({"move", "demo.zpk", "--entry", "1", "--to", "x"}).status, 2);
    EXPECT_TRUE(readBytes(dir / "demo.zpk") == moved);
}

// --- extract ------------------------------------------------------------------

TEST_F(PackCommand, ExtractGivesTheBytesBetweenTheListedOffsets)
{
    int rowsSeen = 0;
    for (const fs::path& container : testContainers()) {
        SCOPED_TRACE(container.filename().string());
        const Bytes file = readBytes(container);
        const auto rows = listed(container);
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const ListedRow& row = rows[k];
            const auto length = static_cast<std::int64_t>(file.size());
            if (row.offset > length) {
                const RunResult result =
                    zpk({"extract", container.string(), "--entry", std::to_string(k), "-o", "x.bin"});
                EXPECT_EQ(result.status, 1) << "row " << k;
                EXPECT_FALSE(fs::exists(dir / "x.bin"));
                continue;
            }
            const std::int64_t end = std::min(length, row.offset + std::max<std::int64_t>(0, row.size));
            const Bytes expected(file.begin() + row.offset, file.begin() + std::max(end, row.offset));
            EXPECT_TRUE(extracted(container, static_cast<int>(k)) == expected) << "row " << k;
            ++rowsSeen;
        }
    }
    EXPECT_GE(rowsSeen, 7);
}

TEST_F(PackCommand, ExtractToStandardOutput)
{
    const fs::path demo = fs::path(ZPK_SOURCE_DIR) / "samples/demo.zpk";
    const RunResult result = zpk({"extract", demo.string(), "--entry", "4", "-o", "-"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const Bytes out(result.out.begin(), result.out.end());
    EXPECT_TRUE(out == extracted(demo, 4));
    EXPECT_EQ(out.size(), static_cast<std::size_t>(listed(demo)[4].size));
}

// --- command lines, help, completion --------------------------------------------

std::string refused(std::vector<std::string_view> args)
{
    const ParsedCommandLine parsed = cli::parseCommandLine(args);
    if (const auto* error = std::get_if<UsageError>(&parsed)) return error->message;
    ADD_FAILURE() << "accepted";
    return {};
}

TEST(PackCommandLine, OperandsAndOptions)
{
    const auto pack =
        parsedAs<cli::PackSettings>({"pack", "out.zpk", "a.png", "b.png", "--transparent-index0", "--force"});
    EXPECT_EQ(pack.outputContainer, "out.zpk");
    EXPECT_EQ(pack.pictures, (std::vector<std::string>{"a.png", "b.png"}));
    EXPECT_TRUE(pack.options.transparentIndex0);
    EXPECT_EQ(pack.overwrite, Overwrite::Replace);
    const auto from = parsedAs<cli::PackSettings>({"pack", "--from=dir", "out.zpk"});
    EXPECT_EQ(from.fromFolder, "dir");
    EXPECT_TRUE(from.pictures.empty());
    EXPECT_EQ(from.overwrite, Overwrite::Refuse);
    EXPECT_NE(refused({"pack", "out.zpk"}).find("missing IMAGE"), std::string::npos);
    EXPECT_NE(refused({"pack"}).find("missing OUT.zpk"), std::string::npos);
    EXPECT_NE(refused({"pack", "out.zpk", "--from", "d", "a.png"}).find("exclude each other"),
              std::string::npos);
    EXPECT_NE(refused({"pack", "out.zpk", "a.png", "--entry", "1"}).find("unknown option"),
              std::string::npos);

    const auto replace =
        parsedAs<cli::ReplaceSettings>({"replace", "f.zpk", "--ent", "3", "p.png", "-o", "g.zpk"});
    EXPECT_EQ(replace.file, "f.zpk");
    EXPECT_EQ(replace.row, 3);
    EXPECT_EQ(replace.outputContainer, "g.zpk");
    EXPECT_EQ(replace.image, "p.png");
    EXPECT_NE(refused({"replace", "f.zpk", "p.png"}).find("missing --entry K"), std::string::npos);
    EXPECT_NE(refused({"replace", "f.zpk", "--entry", "0"}).find("missing IMAGE"), std::string::npos);
    EXPECT_NE(refused({"replace", "-", "--entry", "0", "p.png"}).find("give -o OUT"), std::string::npos);
    EXPECT_NE(
        refused({"replace", "f.zpk", "--entry", "0", "p.png", "q.png"}).find("unexpected argument 'q.png'"),
        std::string::npos);

    const auto insert = parsedAs<cli::InsertSettings>({"insert", "f.zpk", "--at=2", "a.png", "b.png"});
    EXPECT_EQ(insert.at, 2);
    EXPECT_EQ(insert.images, (std::vector<std::string>{"a.png", "b.png"}));
    EXPECT_NE(refused({"insert", "f.zpk", "a.png"}).find("missing --at K"), std::string::npos);
    EXPECT_NE(refused({"insert", "f.zpk", "--at", "0"}).find("missing IMAGE..."), std::string::npos);
    const auto move = parsedAs<cli::MoveSettings>({"move", "f.zpk", "--entry", "4", "--to", "1", "--force"});
    EXPECT_EQ(std::pair(move.row, move.to), std::pair(4, 1));
    EXPECT_EQ(move.overwrite, Overwrite::Replace);
    EXPECT_NE(refused({"move", "f.zpk", "--to", "1"}).find("missing --entry K"), std::string::npos);
    EXPECT_NE(refused({"delete", "-", "--entry", "0"}).find("give -o OUT"), std::string::npos);

    const auto extract = parsedAs<cli::ExtractSettings>({"extract", "f.zpk", "-qo", "-"});
    EXPECT_EQ(extract.row, 0);
    EXPECT_EQ(extract.outputFile, "-");
    EXPECT_NE(refused({"extract", "f.zpk"}).find("missing -o OUT"), std::string::npos);
    EXPECT_NE(refused({"extract", "f.zpk", "g.zpk", "-o", "x"}).find("unexpected argument"),
              std::string::npos);
}

constexpr std::array<Command, 6> kCommands{Command::Pack,   Command::Replace, Command::Insert,
                                           Command::Delete, Command::Move,    Command::Extract};
constexpr std::array<std::string_view, 6> kNames{"pack", "replace", "insert", "delete", "move", "extract"};

TEST(PackCommandLine, HelpAndCompletionNameEveryOption)
{
    TempDir dir;
    const auto commands = completions({"zpk", ""}, dir);
    const auto topics = completions({"zpk", "help", ""}, dir);
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        const std::string name(kNames[i]);
        EXPECT_EQ(commands.count(name), 1u) << name;
        EXPECT_EQ(topics.count(name), 1u) << name;
        EXPECT_EQ(parsedAs<cli::HelpRequest>({"help", kNames[i]}).topic, kCommands[i]);
        EXPECT_EQ(parsedAs<cli::HelpRequest>({kNames[i], "--help"}).topic, kCommands[i]);
        EXPECT_EQ(cli::helpText(kCommands[i]).rfind("usage: zpk " + name, 0), 0u);
        EXPECT_EQ(cli::usageLine(kCommands[i]).rfind("usage: zpk " + name, 0), 0u);
        EXPECT_NE(cli::helpText(Command::Help).find("  " + name + " "), std::string_view::npos) << name;
        EXPECT_NE(cli::usageLine(Command::Help).find(name), std::string_view::npos) << name;

        std::set<std::string> named = longOptionsIn(cli::usageLine(kCommands[i]));
        for (const std::string& line : lines(std::string(cli::helpText(kCommands[i])))) {
            if (line.starts_with("  -")) named.merge(longOptionsIn(line));
            EXPECT_LE(line.size(), 79u) << line;
        }
        const auto offered = completions({"zpk", name, "--"}, dir);
        for (const std::string& option : named) EXPECT_EQ(offered.count(option), 1u) << name << " " << option;
        for (const std::string& option : offered) {
            const std::string withValue = option + "=1";
            const std::vector<std::string_view> args{kNames[i], withValue, "a.zpk", "b.png"};
            const ParsedCommandLine parsed = cli::parseCommandLine(args);
            if (const auto* error = std::get_if<UsageError>(&parsed)) {
                EXPECT_EQ(error->message.find("unknown option"), std::string::npos) << name << " " << option;
            }
        }
    }
    for (const std::string_view limit : {"255 entries", "65,535 bytes", "32,767 pixels", "256 colours"})
        EXPECT_NE(cli::helpText(Command::Pack).find(limit), std::string_view::npos) << limit;
    // after pack's OUT.zpk and replace's FILE come PNGs
    writeBytes(dir / "sprite.png", {1});
    writeBytes(dir / "sample.zpk", {1});
    fs::create_directory(dir / "sprites");
    EXPECT_EQ(completions({"zpk", "pack", "out.zpk", "s"}, dir),
              (std::set<std::string>{"sprite.png", "sprites"}));
    EXPECT_EQ(completions({"zpk", "replace", "--entry", "2", "s"}, dir),
              (std::set<std::string>{"sample.zpk", "sprites"}));
    EXPECT_EQ(completions({"zpk", "insert", "sample.zpk", "--at", "0", "s"}, dir),
              (std::set<std::string>{"sprite.png", "sprites"}));
    EXPECT_EQ(completions({"zpk", "pack", "--from", "s"}, dir), (std::set<std::string>{"sprites"}));
}

}  // namespace
}  // namespace zpk::testing

// `zpk diff`: the wiring of the command to the compare floor (which tests
// the rules themselves): exit status, the line of each row that differs,
// JSON that parses, and -q.
#include "cli/CliSupport.h"
#include "cli/ParseSupport.h"
#include "fixtures/Fixtures.h"

#include "cli/CommandLine.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace zpk::testing {
namespace {

class CliDiff : public ::testing::Test {
protected:
    TempDir dir;

    // Writes a container of `images` as NAME.
    std::string write(const std::string& name, const std::vector<WriterImage>& images)
    {
        writeBytes(dir / name, built(containerOf(images)));
        return name;
    }
    RunResult zpk(const std::vector<std::string>& args) { return runZpk(args, dir.path()); }
};

// 4 x 4 of value 1, `changed` pixels of value 2 from the top left.
WriterImage picture(int changed = 0)
{
    WriterImage image = solidImage(4, 4, 1);
    for (int i = 0; i < changed; ++i) image.pixels[static_cast<std::size_t>(i)] = 2;
    return image;
}

TEST_F(CliDiff, AnswersByItsExitStatus)
{
    const auto a = write("a.zpk", {picture(), picture()});
    const auto same = write("same.zpk", {picture(), picture()});
    const auto changed = write("changed.zpk", {picture(), picture(5)});
    const auto added = write("added.zpk", {picture(), picture(), solidImage(2, 3, 1)});
    writeBytes(dir / "damaged.zpk", {1, 2, 3});

    const RunResult equal = zpk({"diff", a, same});
    EXPECT_EQ(equal.status, 0) << equal.err;
    EXPECT_EQ(equal.out, "");

    const RunResult one = zpk({"diff", a, changed});
    EXPECT_EQ(one.status, 1) << one.err;
    EXPECT_EQ(one.out, "1: 5 pixels differ\n");

    const RunResult more = zpk({"diff", a, added});
    EXPECT_EQ(more.status, 1);
    EXPECT_EQ(more.out, "2: only in B\n");

    const RunResult damaged = zpk({"diff", a, "damaged.zpk"});
    EXPECT_EQ(damaged.status, 2);
    EXPECT_EQ(damaged.out, "");
    EXPECT_EQ(damaged.err, "zpk: damaged.zpk: not a zpk container: 3 bytes, the header needs 29\n");
    EXPECT_EQ(zpk({"diff", a, "missing.zpk"}).status, 2);
    EXPECT_EQ(zpk({"diff", a}).status, 2);
}

TEST_F(CliDiff, SaysWhatDiffers)
{
    const auto a = write("a.zpk", {picture(), picture()});
    writeBytes(dir / "b.zpk", built(ContainerBuilder().entry(solidImage(5, 4, 1)).rawEntry({0, 0, 4, 0})));
    EXPECT_EQ(zpk({"diff", a, "b.zpk"}).out,
              "0: size 4x4 -> 5x4\n"
              "1: no picture in B: entry row 1 is 0 x 4 pixels: nothing to draw\n");
    const RunResult bytes = zpk({"diff", "--bytes", a, "b.zpk"});
    EXPECT_EQ(lines(bytes.out).size(), 2u);
    const std::size_t lengthA = entrySpan(parsed(readBytes(dir / a)), 1).size();
    EXPECT_EQ(lines(bytes.out)[1], "1: bytes differ (" + std::to_string(lengthA) + " -> 4 bytes)");
}

TEST_F(CliDiff, JsonParsesAndQuietPrintsNothing)
{
    const auto a = write("a.zpk", {picture(), picture()});
    const auto b = write("b.zpk", {picture(1), picture(), picture()});
    const RunResult json = zpk({"diff", a, b, "--format", "json"});
    EXPECT_EQ(json.status, 1);
    const auto rows = lines(json.out);
    ASSERT_EQ(rows.size(), 2u);
    const auto first = nlohmann::json::parse(rows[0]);
    EXPECT_EQ(first["row"], 0);
    EXPECT_EQ(first["change"], "pixels");
    EXPECT_EQ(first["differingPixels"], 1);
    EXPECT_EQ(first["widthA"], 4);
    EXPECT_TRUE(first["problemB"].is_null());
    EXPECT_EQ(nlohmann::json::parse(rows[1])["change"], "only-in-b");

    const RunResult quiet = zpk({"diff", "-q", a, b});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "");
}

TEST(DiffCommandLine, TakesTwoContainersAndThePictureOptions)
{
    const auto diff = parsedAs<cli::DiffSettings>(
        {"diff", "a.zpk", "-", "--bytes", "--format=json", "--drop-first", "--palette", "p.gpl", "-q"});
    EXPECT_EQ(diff.fileA, "a.zpk");
    EXPECT_EQ(diff.fileB, "-");
    EXPECT_EQ(diff.by, CompareBy::Bytes);
    EXPECT_EQ(diff.format, cli::ListFormat::Json);
    EXPECT_EQ(diff.drawing.picture.dropFirst, DropFirst::On);
    EXPECT_EQ(diff.drawing.paletteFile, "p.gpl");
    EXPECT_TRUE(diff.quiet);
    const auto refused = [](std::vector<std::string_view> args) {
        const auto parsed = cli::parseCommandLine(args);
        const auto* error = std::get_if<cli::UsageError>(&parsed);
        return error ? error->message : std::string("accepted");
    };
    EXPECT_EQ(refused({"diff", "a", "b", "--format", "csv"}), "--format takes text or json, not 'csv'");
    EXPECT_EQ(refused({"diff", "-", "-"}), "standard input ('-') can be one of A and B, not both");
    EXPECT_EQ(refused({"diff", "a", "b", "c"}), "unexpected argument 'c'");
    EXPECT_EQ(refused({"diff", "a", "b", "--rgba"}), "unknown option '--rgba'");
}

}  // namespace
}  // namespace zpk::testing

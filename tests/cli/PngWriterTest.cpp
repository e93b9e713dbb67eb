#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "cli/Messages.h"
#include "export/EntryExport.h"
#include "io/FileOutput.h"
#include "png/PngWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace zpk::testing {
namespace {

// 3 x 2: opaque red, half-transparent green, transparent; then white, a
// grey, black with alpha 1.
RgbaImage sample()
{
    return {3, 2, {255, 0,   0,   255, 0,  255, 0,  128, 0, 0, 0, 0,  //
                   255, 255, 255, 255, 77, 77,  77, 255, 0, 0, 0, 1}};
}

TEST(PngWriter, EncodesRgbaThatDecodesBackExactly)
{
    const auto png = encodePng(sample());
    ASSERT_TRUE(png.has_value()) << png.error().detail;
    const Bytes signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GE(png->size(), signature.size());
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), png->begin()));

    const DecodedPng decoded = decodePng(*png);
    EXPECT_EQ(decoded.width, 3u);
    EXPECT_EQ(decoded.height, 2u);
    EXPECT_EQ(decoded.bitDepth, 8);
    EXPECT_EQ(decoded.colourType, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA);
    EXPECT_EQ(decoded.rgba, sample().rgba);
    EXPECT_EQ(decoded.px(1, 0), rgba(0, 255, 0, 128));
}

TEST(PngWriter, SameImageSameBytes)
{
    const auto first = encodePng(sample());
    const auto second = encodePng(sample());
    ASSERT_TRUE(first.has_value());
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(*first, *second);
}

TEST(PngWriter, RefusesImagesAPngCannotHold)
{
    for (const RgbaImage& image : {RgbaImage{0, 5, {}}, RgbaImage{5, 0, {}}, RgbaImage{-1, -1, {}},
                                   RgbaImage{2, 2, Bytes(15, 0)}, RgbaImage{2, 2, Bytes(17, 0)}}) {
        const auto png = encodePng(image);
        ASSERT_FALSE(png.has_value()) << image.width << " x " << image.height;
        EXPECT_EQ(png.error().code, ErrorCode::CannotEncode);
        EXPECT_NE(png.error().refusal, Refusal::None);
    }
}

TEST(PngWriter, WrittenPngReplacesTheFileAndLeavesNoTemporary)
{
    TempDir dir;
    writeBytes(dir / "out.png", Bytes(50, 'x'));
    const auto png = encodePng(sample());
    ASSERT_TRUE(png.has_value()) << png.error().detail;
    const auto written = writeFileReplacing((dir / "out.png").string(), *png);
    ASSERT_TRUE(written.has_value()) << cli::errorReason(written.error());
    EXPECT_EQ(written->path, (dir / "out.png").string());
    const Bytes bytes = readBytes(dir / "out.png");
    EXPECT_EQ(written->bytes, bytes.size());
    EXPECT_EQ(bytes, *encodePng(sample()));
    EXPECT_EQ(dir.names(), (std::set<std::string>{"out.png"}));
}

TEST(PngWriter, FilesBesideTheTargetAreNeverTouched)
{
    // the temporary file has a name of its own: a file of the user's that
    // looks like one survives, and so does its content
    TempDir dir;
    writeBytes(dir / "out.png.tmp", Bytes(7, 'u'));
    const auto png = encodePng(sample());
    ASSERT_TRUE(png.has_value());
    ASSERT_TRUE(writeFileReplacing((dir / "out.png").string(), *png).has_value());
    EXPECT_EQ(readBytes(dir / "out.png.tmp"), Bytes(7, 'u'));
    EXPECT_EQ(dir.names(), (std::set<std::string>{"out.png", "out.png.tmp"}));
}

TEST(PngWriter, FailedWritesLeaveNothingBehind)
{
    TempDir dir;
    const auto png = encodePng(sample());
    ASSERT_TRUE(png.has_value());
    const std::string missingFolder = (dir / "missing" / "out.png").string();
    auto written = writeFileReplacing(missingFolder, *png);
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error().code, ErrorCode::WriteFailed);
    EXPECT_EQ(written.error().path, missingFolder);
    EXPECT_EQ(written.error().systemError, ENOENT);
    EXPECT_EQ(cli::errorReason(written.error()).rfind("cannot write: ", 0), 0u)
        << cli::errorReason(written.error());

    // renaming onto a folder fails after the temporary file was written
    fs::create_directory(dir / "folder.png");
    written = writeFileReplacing((dir / "folder.png").string(), *png);
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error().code, ErrorCode::WriteFailed);
    EXPECT_EQ(written.error().path, (dir / "folder.png").string());
    EXPECT_TRUE(fs::is_directory(dir / "folder.png"));

    // an image a PNG cannot hold fails before there is anything to write:
    // no file at all
    const auto empty = encodePng(RgbaImage{0, 0, {}});
    ASSERT_FALSE(empty.has_value());
    EXPECT_EQ(empty.error().code, ErrorCode::CannotEncode);
    EXPECT_EQ(cli::errorReason(empty.error()), "cannot encode PNG: the image has no pixels");

    EXPECT_EQ(dir.names(), (std::set<std::string>{"folder.png"}));
}

TEST(FileOutput, WritesEveryByteIncludingNone)
{
    TempDir dir;
    Bytes bytes(100000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(writeFileReplacing((dir / "data").string(), bytes).has_value());
    EXPECT_EQ(readBytes(dir / "data"), bytes);
    ASSERT_TRUE(writeFileReplacing((dir / "data").string(), {}).has_value());
    EXPECT_EQ(readBytes(dir / "data"), Bytes{});
    EXPECT_FALSE(writeFileReplacing("", bytes).has_value());
}

// An entry's PNG handed on as it is encoded is the PNG encoded whole, in
// every form; a sink that fails stops the encoder and speaks for the error.
TEST(PngWriter, APngMadeIntoASinkIsThePngMadeWhole)
{
    const ContainerFile file = parsed(built(containerOf({randomImage(300, 200, 5), framedImage()})));
    for (const OutputForm form : {OutputForm::Rgba, OutputForm::Indexed, OutputForm::Smallest}) {
        PictureOptions options;
        options.form = form;
        for (int row = 0; row < file.rowCount(); ++row) {
            Palette palette{};
            const DecodedImage image = decodeEntry(file, row, palette, options);
            const auto whole = encodeEntry(image, palette, options);
            ASSERT_TRUE(whole.has_value());
            Bytes streamed;
            int calls = 0;
            const auto made = encodeEntry(image, palette, options, [&](std::span<const std::uint8_t> bytes) {
                streamed.insert(streamed.end(), bytes.begin(), bytes.end());
                ++calls;
                return 0;
            });
            ASSERT_TRUE(made.has_value());
            EXPECT_EQ(streamed, whole->png) << row;
            EXPECT_TRUE(made->png.empty());
            EXPECT_EQ(made->form, whole->form);
            EXPECT_GT(calls, 1) << "the signature and the chunks come one after another";

            calls = 0;
            const auto failed = encodeEntry(image, palette, options, [&](std::span<const std::uint8_t>) {
                return ++calls == 2 ? ENOSPC : 0;
            });
            ASSERT_FALSE(failed.has_value());
            EXPECT_EQ(failed.error().code, ErrorCode::WriteFailed);
            EXPECT_EQ(failed.error().systemError, ENOSPC);
            EXPECT_EQ(calls, 2) << "nothing more after the failure";
        }
    }
}

// The maker's own error stops a file made as it is written: the old file
// stays, and nothing is left beside it (every other write here goes
// through a maker too, the bytes in one piece).
TEST(FileOutput, AMakersErrorLeavesTheOldFile)
{
    TempDir dir;
    const fs::path file = dir / "made";
    writeBytes(file, Bytes(5, 'o'));
    const auto written = writeFileAtomically(
        file.string(),
        [](const ByteSink& sink) -> std::optional<Error> {
            for (char c : {'a', 'b', 'c'}) EXPECT_EQ(sink(Bytes(1000, static_cast<std::uint8_t>(c))), 0);
            return makeError(ErrorCode::CannotEncode);
        },
        WriteOptions{});
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error().code, ErrorCode::CannotEncode);
    EXPECT_EQ(readBytes(file), Bytes(5, 'o'));
    EXPECT_EQ(dir.names(), std::set<std::string>{"made"});
}

// A new file with Durability::Deferred waits for its batch's sync; one that
// replaces another is synced before it takes its place, whatever was asked.
TEST(FileOutput, OnlyANewFileMayWaitForItsSync)
{
    TempDir dir;
    const fs::path file = dir / "out";
    const Bytes bytes(100, 'b');
    const std::span<const std::uint8_t> parts[] = {bytes};
    const struct {
        bool exists;
        Durability durability;
        std::uint64_t syncs;
    } cases[] = {{false, Durability::Synced, 1},
                 {false, Durability::Deferred, 0},
                 {true, Durability::Synced, 1},
                 {true, Durability::Deferred, 1}};
    for (const auto& c : cases) {
        fs::remove(file);
        if (c.exists) writeBytes(file, Bytes(3, 'o'));
        const std::uint64_t before = syncCalls();
        ASSERT_TRUE(
            writeFileAtomically(file.string(), parts, WriteOptions{Overwrite::Replace, {}, c.durability}));
        EXPECT_EQ(syncCalls() - before, c.syncs) << c.exists << static_cast<int>(c.durability);
        EXPECT_EQ(readBytes(file), bytes);
    }
    const std::uint64_t before = syncCalls();
    EXPECT_EQ(syncFileSystem(dir.path().string()), 0);
    EXPECT_EQ(syncCalls() - before, 1u);
    EXPECT_EQ(syncFileSystem((dir / "missing").string()), ENOENT);
}

mode_t modeOf(const fs::path& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// What a replaced file keeps of the old one, and that the file being written
// is never open to others on the way.
TEST(FileOutput, AReplacedFileKeepsItsModeAttributesAndLinks)
{
    TempDir dir;
    const fs::path file = dir / "c.zpk";
    writeBytes(file, Bytes{9, 8, 7});
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const bool attributes = ::setxattr(file.c_str(), "user.zpk-test", "kept", 4, 0) == 0;
    ASSERT_EQ(::link(file.c_str(), (dir / "other-name.zpk").c_str()), 0);

    const Bytes bytes{1, 2, 3, 4, 5};
    const std::span<const std::uint8_t> parts[] = {std::span(bytes).first(2), std::span(bytes).subspan(2)};
    WriteOptions options;
    options.beforeCommit = [&]() -> std::optional<Error> {
        // the complete file is not in the folder yet, or not wider open than the old one
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            if (entry.path() == file || entry.path() == dir / "other-name.zpk") continue;
            EXPECT_EQ(modeOf(entry.path()) & ~modeOf(file), 0u) << entry.path();
        }
        return std::nullopt;
    };
    ASSERT_TRUE(writeFileAtomically(file.string(), parts, options).has_value());
    EXPECT_EQ(readBytes(file), bytes);
    EXPECT_EQ(readBytes(dir / "other-name.zpk"), bytes);  // every name sees the new bytes
    EXPECT_EQ(modeOf(file), 0640u);
    if (attributes) {
        char value[8] = {};
        EXPECT_EQ(::getxattr(file.c_str(), "user.zpk-test", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }

    // a refusal just before the new file takes the old one's place leaves
    // nothing changed and nothing behind
    options.beforeCommit = [] { return std::optional<Error>(makeError(ErrorCode::ChangedOnDisk)); };
    fs::remove(dir / "other-name.zpk");
    const auto refused = writeFileAtomically(file.string(), parts, options);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().code, ErrorCode::ChangedOnDisk);
    EXPECT_EQ(dir.names(), std::set<std::string>{"c.zpk"});
}

}  // namespace
}  // namespace zpk::testing

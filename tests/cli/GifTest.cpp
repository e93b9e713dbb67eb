// Animated GIFs of entries (GifWriter, writeGif) decoded back with giflib:
// every block applied onto a canvas with its disposal, as a viewer plays
// it, and each shown frame compared with the picture `zpk export` writes
// for its row. And `zpk gif`'s wiring.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "export/EntryExport.h"
#include "export/GifExport.h"
#include "gif/GifWriter.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

namespace zpk::testing {
namespace {

// --- reading a GIF back ------------------------------------------------------

struct ShownFrame {
    int delay = 0;
    Bytes rgba;  // the whole screen, transparent as 0, 0, 0, 0
};

struct PlayedGif {
    int width = 0;
    int height = 0;
    int blocks = 0;
    int loopCount = -1;  // NETSCAPE2.0's count, -1 when there is none
    std::vector<ShownFrame> frames;
};

struct MemoryInput {
    const Bytes& bytes;
    std::size_t at = 0;
};

int readMemory(GifFileType* gif, GifByteType* out, int length)
{
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    const std::size_t n = std::min(static_cast<std::size_t>(length), in->bytes.size() - in->at);
    std::memcpy(out, in->bytes.data() + in->at, n);
    in->at += n;
    return static_cast<int>(n);
}

// The NETSCAPE2.0 loop count among a block's extensions, or -1.
int loopCountOf(const SavedImage& image)
{
    for (int i = 0; i + 1 < image.ExtensionBlockCount; ++i) {
        const ExtensionBlock& b = image.ExtensionBlocks[i];
        const ExtensionBlock& next = image.ExtensionBlocks[i + 1];
        if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
            std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0 && next.ByteCount == 3)
            return next.Bytes[1] | next.Bytes[2] << 8;
    }
    return -1;
}

// Plays the GIF: each block drawn onto the screen; a block with a delay
// shows the screen for that long; then its disposal.
PlayedGif playGif(const Bytes& bytes)
{
    PlayedGif out;
    MemoryInput in{bytes};
    int code = 0;
    GifFileType* gif = DGifOpen(&in, readMemory, &code);
    EXPECT_NE(gif, nullptr) << GifErrorString(code);
    if (gif == nullptr) return out;
    EXPECT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    out.blocks = gif->ImageCount;
    if (gif->ImageCount > 0) out.loopCount = loopCountOf(gif->SavedImages[0]);
    Bytes screen(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 4, 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const GifImageDesc& d = image.ImageDesc;
        GraphicsControlBlock control{};
        EXPECT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
        const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;
        EXPECT_NE(map, nullptr);
        if (map == nullptr) break;
        for (int y = 0; y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int index = image.RasterBits[y * d.Width + x];
                if (index == control.TransparentColor) continue;
                EXPECT_LT(index, map->ColorCount);
                const GifColorType c = map->Colors[index];
                std::uint8_t* p =
                    screen.data() + (static_cast<std::size_t>(d.Top + y) * out.width + d.Left + x) * 4;
                p[0] = c.Red;
                p[1] = c.Green;
                p[2] = c.Blue;
                p[3] = 255;
            }
        }
        if (control.DelayTime > 0) out.frames.push_back({control.DelayTime, screen});
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = 0; y < d.Height; ++y)
                std::fill_n(screen.begin() +
                                (static_cast<std::ptrdiff_t>(d.Top + y) * out.width + d.Left) * 4,
                            d.Width * 4, 0);
        }
    }
    DGifCloseFile(gif, nullptr);
    return out;
}

// The screen showing `picture` at its top-left, the rest transparent.
Bytes onScreen(const RgbaImage& picture, int width, int height)
{
    Bytes screen(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* p =
                picture.rgba.data() + (static_cast<std::size_t>(y) * picture.width + x) * 4;
            if (p[3] == 0) continue;
            std::copy_n(p, 4, screen.data() + (static_cast<std::size_t>(y) * width + x) * 4);
        }
    }
    return screen;
}

// The first pixel where two screens differ, as "x, y", or empty.
std::string firstDifference(const Bytes& a, const Bytes& b, int width)
{
    if (a.size() != b.size()) return "sizes differ";
    const auto w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        std::string at =
            std::to_string(i / 4 % w);  // appended: a prepended temporary draws a false -Wrestrict
        at += ", ";
        at += std::to_string(i / 4 / w);
        return at;
    }
    return {};
}

struct Written {
    Result<WrittenGif> gif;
    Bytes bytes;
};

Written gifOf(const ContainerFile& file, const std::vector<int>& rows, const PictureOptions& picture = {},
              const GifOptions& options = {})
{
    Bytes bytes;
    auto gif = writeGif(file, rows, picture, options, [&](std::span<const std::uint8_t> piece) {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        return 0;
    });
    return {std::move(gif), std::move(bytes)};
}

// All 256 values of greyRamp() in a 16 x 17 picture whose stream ends two
// bytes early: most of an entry's colours, and pixels not drawn.
Bytes allValuesCutShort()
{
    WriterImage all{16, 17, greyRamp(256), Bytes(16 * 17, 0)};
    for (int v = 0; v < 256; ++v) all.pixels[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(v);
    Bytes entry = built(ContainerBuilder().entry(all));
    entry.resize(entry.size() - 2);
    return entry;
}

// --- frames against the export picture -----------------------------------------

struct FrameCase {
    const char* name;
    Bytes container;
    DropFirst dropFirst;
    int width;  // the screen
    int height;
    int blocks;
};

TEST(Gif, EveryFrameShowsTheExportPicture)
{
    const std::vector<FrameCase> cases{
        {"a plain frame", built(ContainerBuilder().entry(framedImage())), DropFirst::Off, 4, 3, 1},
        {"drop-first", built(ContainerBuilder().entry(framedImage())), DropFirst::On, 4, 3, 1},
        {"a stream that ends early", singleEntry(shortStreamEntry()), DropFirst::Off, 4, 3, 1},
        {"many colours and pixels not drawn", allValuesCutShort(), DropFirst::Off, 16, 17, 1},
        {"many colours, drop-first", allValuesCutShort(), DropFirst::On, 16, 17, 1},
        {"256 colours, all drawn", built(ContainerBuilder().entry(stripedImage(32, 16, greyRamp(256)))),
         DropFirst::Off, 32, 16, 1},
        {"frames of different sizes, cleared between",
         built(ContainerBuilder()
                   .entry(stripedImage(8, 3, threeColours()))
                   .entry(solidImage(3, 9, 1, threeColours()))
                   .entry(framedImage())),
         DropFirst::On, 8, 9, 3},
        {"the sample's entries", readBytes(fs::path(ZPK_SOURCE_DIR) / "samples/demo.zpk"), DropFirst::On, 375,
         447, 7},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ContainerFile file = parsed(c.container);
        std::vector<int> rows(static_cast<std::size_t>(file.rowCount()));
        std::iota(rows.begin(), rows.end(), 0);
        PictureOptions picture;
        picture.dropFirst = c.dropFirst;
        GifOptions options;
        options.framesPerSecond = 30;
        const Written written = gifOf(file, rows, picture, options);
        ASSERT_TRUE(written.gif.has_value());
        EXPECT_EQ(written.gif->frames, file.rowCount());
        EXPECT_TRUE(written.gif->skipped.empty());
        const PlayedGif played = playGif(written.bytes);
        EXPECT_EQ(played.width, c.width);
        EXPECT_EQ(played.height, c.height);
        EXPECT_EQ(played.blocks, c.blocks);
        ASSERT_EQ(played.frames.size(), rows.size());
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const auto picture0 = exportPicture(file, rows[k], picture);
            ASSERT_TRUE(picture0.has_value());
            const Bytes expected = onScreen(*picture0, c.width, c.height);
            EXPECT_EQ(firstDifference(played.frames[k].rgba, expected, c.width), "") << "frame " << k;
            EXPECT_EQ(played.frames[k].delay, gifFrameDelay(static_cast<int>(k), 30)) << "frame " << k;
        }
    }
}

// A frame of 256 colours and transparent pixels needs 257 indices: two
// blocks, shown as one frame, between frames larger and smaller than it.
// One more colour cannot be written.
TEST(Gif, AFrameOf257IndicesIsTwoBlocksShownAsOne)
{
    // pixel i of `image` in colour (red, green, 7)
    const auto paint = [](RgbaImage& image, int i, int red, int green) {
        std::uint8_t* p = image.rgba.data() + static_cast<std::size_t>(i) * 4;
        p[0] = static_cast<std::uint8_t>(red);
        p[1] = static_cast<std::uint8_t>(green);
        p[2] = 7;
        p[3] = 255;
    };
    const auto solid = [&](int width, int height, int red) {
        RgbaImage image{width, height, Bytes(static_cast<std::size_t>(width * height) * 4)};
        for (int i = 0; i < width * height; ++i) paint(image, i, red, 9);
        return image;
    };
    // colour i at pixel i, then colours 40 to 49 again; the rest transparent
    RgbaImage every{17, 16, Bytes(17 * 16 * 4, 0)};
    for (int i = 0; i < 256; ++i) paint(every, i, i, 255 - i);
    for (int i = 0; i < 10; ++i) paint(every, 256 + i, 40 + i, 215 - i);
    const std::vector<RgbaImage> frames{solid(20, 20, 200), every, solid(2, 3, 100)};

    Bytes bytes;
    auto writer = GifWriter::open(20, 20, 0, [&](std::span<const std::uint8_t> piece) {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        return 0;
    });
    ASSERT_TRUE(writer.has_value());
    for (const RgbaImage& frame : frames) ASSERT_FALSE((*writer)->writeFrame(frame, 5).has_value());
    ASSERT_FALSE((*writer)->finish().has_value());
    EXPECT_EQ((*writer)->blocksWritten(), 4);

    const PlayedGif played = playGif(bytes);
    EXPECT_EQ(played.blocks, 4);
    ASSERT_EQ(played.frames.size(), frames.size());
    for (std::size_t k = 0; k < frames.size(); ++k)
        EXPECT_EQ(firstDifference(played.frames[k].rgba, onScreen(frames[k], 20, 20), 20), "")
            << "frame " << k;

    // a 257th colour has no index
    paint(every, 270, 1, 1);
    auto more = GifWriter::open(20, 20, 0, [](std::span<const std::uint8_t>) { return 0; });
    ASSERT_TRUE(more.has_value());
    const auto refused = (*more)->writeFrame(every, 5);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->code, ErrorCode::CannotEncodeGif);
    EXPECT_EQ(refused->refusal, Refusal::WriterTooManyColours);
}

TEST(Gif, RowsThatDoNotDecodeAreSkippedAndListed)
{
    const ContainerFile file = parsed(
        built(ContainerBuilder().entry(framedImage()).rawEntry({0, 0, 5, 0}).entry(solidImage(2, 2, 1))));
    const Written written = gifOf(file, {0, 1, 2});
    ASSERT_TRUE(written.gif.has_value());
    EXPECT_EQ(written.gif->frames, 2);
    ASSERT_EQ(written.gif->skipped.size(), 1u);
    EXPECT_EQ(written.gif->skipped[0].code, ErrorCode::EmptyImage);
    EXPECT_EQ(written.gif->skipped[0].row, 1);
    EXPECT_EQ(playGif(written.bytes).frames.size(), 2u);

    // no row makes a frame: an error, and not a byte written
    const Written none = gifOf(file, {1});
    ASSERT_FALSE(none.gif.has_value());
    EXPECT_EQ(none.gif.error().code, ErrorCode::NoFrames);
    EXPECT_TRUE(none.bytes.empty());
    EXPECT_EQ(gifOf(file, {}).gif.error().code, ErrorCode::NoFrames);
}

TEST(Gif, DelaysRunAtExactlyTheRateAsked)
{
    struct Rate {
        int fps;
        std::vector<int> first;  // the first delays
    };
    for (const Rate& rate : std::vector<Rate>{{1, {100, 100}},
                                              {3, {33, 34, 33}},
                                              {7, {14, 15, 14}},
                                              {10, {10, 10}},
                                              {30, {3, 4, 3}},
                                              {50, {2, 2}}}) {
        SCOPED_TRACE(rate.fps);
        for (std::size_t k = 0; k < rate.first.size(); ++k)
            EXPECT_EQ(gifFrameDelay(static_cast<int>(k), rate.fps), rate.first[k]) << k;
        // a second's frames last a second, every second of a long animation
        for (int second = 0; second < 3; ++second) {
            int sum = 0;
            for (int k = 0; k < rate.fps; ++k) sum += gifFrameDelay(second * rate.fps + k, rate.fps);
            EXPECT_EQ(sum, 100) << second;
        }
    }
    for (int fps = 1; fps <= maxGifFramesPerSecond; ++fps) EXPECT_GE(gifFrameDelay(fps - 1, fps), 2) << fps;
}

TEST(Gif, LoopsAreTheTimesPlayedInAll)
{
    const ContainerFile file = parsed(built(ContainerBuilder().entry(framedImage())));
    for (const auto& [loops, count] :
         std::vector<std::pair<int, int>>{{0, 0}, {1, -1}, {2, 1}, {5, 4}, {65536, 65535}}) {
        GifOptions options;
        options.loops = loops;
        const Written written = gifOf(file, {0}, {}, options);
        ASSERT_TRUE(written.gif.has_value());
        EXPECT_EQ(playGif(written.bytes).loopCount, count) << loops;
    }
}

TEST(Gif, AFailedSinkOrACancelStopsTheGif)
{
    const ContainerFile file =
        parsed(built(ContainerBuilder().entry(framedImage()).entry(framedImage()).entry(framedImage())));
    const auto full = writeGif(file, {0, 1, 2}, {}, {}, [](std::span<const std::uint8_t>) { return ENOSPC; });
    ASSERT_FALSE(full.has_value());
    EXPECT_EQ(full.error().code, ErrorCode::WriteFailed);
    EXPECT_EQ(full.error().systemError, ENOSPC);

    std::vector<std::pair<int, int>> calls;
    GifOptions options;
    options.progress = [&](int done, int total) {
        calls.emplace_back(done, total);
        return done < 2;
    };
    const Written cancelled = gifOf(file, {0, 1, 2}, {}, options);
    ASSERT_FALSE(cancelled.gif.has_value());
    EXPECT_EQ(cancelled.gif.error().code, ErrorCode::Cancelled);
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}}));
}

// --- zpk gif ---------------------------------------------------------------

class GifCommand : public ::testing::Test {
protected:
    TempDir dir;
    RunResult zpk(const std::vector<std::string>& args, const Redirects& how = {})
    {
        return runZpk(args, dir.path(), how);
    }
};

TEST_F(GifCommand, WritesTheRowsAskedAndNamesEachSkippedEntry)
{
    writeBytes(
        dir / "a.zpk",
        built(ContainerBuilder().entry(framedImage()).rawEntry({0, 0, 5, 0}).entry(solidImage(2, 2, 1))));
    const RunResult all = zpk({"gif", "a.zpk", "--fps", "25", "--loop", "2", "-o", "a.gif"});
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(all.err, "zpk: a.zpk: entry row 1 is 0 x 5 pixels: nothing to draw\n");
    EXPECT_EQ(all.out, "wrote a.gif: 2 frames of up to 4 x 3 pixels at 25 a second; 1 skipped\n");
    const PlayedGif played = playGif(readBytes(dir / "a.gif"));
    ASSERT_EQ(played.frames.size(), 2u);
    EXPECT_EQ(played.frames[0].delay, 4);
    EXPECT_EQ(played.loopCount, 1);

    const RunResult some = zpk({"gif", "a.zpk", "--entries", "2-2", "-q", "-o", "b.gif"});
    EXPECT_EQ(some.status, 0);
    EXPECT_EQ(some.out + some.err, "");
    EXPECT_EQ(playGif(readBytes(dir / "b.gif")).width, 2);

    // nothing to draw: nothing written
    const RunResult none = zpk({"gif", "a.zpk", "--entries", "1", "-o", "c.gif"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(lines(none.err).back(), "zpk: c.gif: no entry could be drawn: no GIF was written");
    EXPECT_FALSE(fs::exists(dir / "c.gif"));
    EXPECT_EQ(zpk({"gif", "a.zpk", "--entries", "1-3", "-o", "d.gif"}).status, 1);
    EXPECT_FALSE(fs::exists(dir / "d.gif"));
}

TEST_F(GifCommand, WritesToStandardOutputAndRefusesWrongOptions)
{
    writeBytes(dir / "a.zpk", built(ContainerBuilder().entry(framedImage())));
    const RunResult piped = zpk({"gif", "a.zpk", "-o", "-"});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out.substr(0, 6), "GIF89a");
    EXPECT_EQ(piped.err, "");

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"gif", "a.zpk"},
             {"gif", "a.zpk", "--fps", "0", "-o", "x.gif"},
             {"gif", "a.zpk", "--fps", "51", "-o", "x.gif"},
             {"gif", "a.zpk", "--loop", "65537", "-o", "x.gif"},
             {"gif", "a.zpk", "--entries", "3-1", "-o", "x.gif"},
             {"gif", "a.zpk", "--indexed", "-o", "x.gif"},
         })
        EXPECT_EQ(zpk(args).status, 2) << args[2];
}

}  // namespace
}  // namespace zpk::testing

// `zpk thumbnail`: run from the installed thumbnailer entry as a file
// manager runs it, the pictures it makes (one entry shrunk, or a contact
// sheet of small ones), and the windows it decodes entries through, which
// must give exactly what a decode of the whole file gives.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "container/Container.h"
#include "overview/FileThumbnail.h"
#include "overview/PositionedEntries.h"

#include <gtest/gtest.h>

#include <map>
#include <spawn.h>
#include <tuple>

namespace zpk::testing {
namespace {

// --- the thumbnailer entry --------------------------------------------------

// The keys of the [Thumbnailer Entry] group of a desktop-style file.
std::map<std::string, std::string> thumbnailerKeys(const fs::path& path)
{
    std::map<std::string, std::string> keys;
    bool inGroup = false;
    for (const std::string& line : lines(readText(path))) {
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[Thumbnailer Entry]";
            continue;
        }
        const auto equals = line.find('=');
        if (inGroup && equals != std::string::npos) keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

// An Exec value as a file manager reads it: first the
// escapes of a string value (\s \n \t \r \\), then arguments split at
// spaces, where double quotes keep spaces and inside them a backslash
// escapes " ` $ and \; then each field code replaced by its value as one
// argument (%% is a percent sign).
std::vector<std::string> execArguments(const std::string& value, const std::map<char, std::string>& fields)
{
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char next = i + 1 < value.size() ? value[i + 1] : '\0';
        if (value[i] == '\\' && std::string_view("sntr\\").find(next) != std::string_view::npos &&
            next != '\0') {
            text += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : '\\';
            ++i;
        } else {
            text += value[i];
        }
    }
    std::vector<std::string> args;
    std::string arg;
    bool inArg = false;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < text.size()) {
                arg += text[++i];
            } else {
                arg += c;
            }
        } else if (c == ' ') {
            if (inArg) args.push_back(arg);
            arg.clear();
            inArg = false;
        } else if (c == '"') {
            quoted = true;
            inArg = true;
        } else {
            arg += c;
            inArg = true;
        }
    }
    EXPECT_FALSE(quoted) << "an unterminated quote in " << value;
    if (inArg) args.push_back(arg);
    for (std::string& a : args) {
        std::string expanded;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (a[i] == '%' && i + 1 < a.size()) {
                const char code = a[++i];
                if (code == '%') {
                    expanded += '%';
                } else {
                    const auto field = fields.find(code);
                    EXPECT_NE(field, fields.end())
                        << "field code %" << code << " is not one a thumbnailer has";
                    if (field != fields.end()) expanded += field->second;
                }
            } else {
                expanded += a[i];
            }
        }
        a = expanded;
    }
    return args;
}

// Runs `args` as a file manager does: the program looked up on PATH, here
// the folder of the built tool. The exit status, or -1.
int runFromPath(const std::vector<std::string>& args, const TempDir& dir)
{
    const std::string path = "PATH=" + fs::path(ZPK_BINARY).parent_path().string();
    std::vector<char*> argv;
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string env = path;
    char* envp[] = {env.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = (dir / "thumbnailer.log").string();
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // posix_spawnp looks the program up on the caller's PATH, not on that of
    // the environment it passes on
    const std::string saved = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", path.substr(5).c_str(), 1);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp);
    ::setenv("PATH", saved.c_str(), 1);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr Rgb kTop{10, 200, 30};
constexpr Rgb kBottom{220, 40, 90};

// A 600 x 300 entry, its top half value 0 and its bottom half value 1.
WriterImage twoBands()
{
    WriterImage image{600, 300, {kTop, kBottom}, Bytes(600 * 300, 0)};
    std::fill(image.pixels.begin() + 600 * 150, image.pixels.end(), 1);
    return image;
}

TEST(Thumbnailer, TheInstalledEntryRunsAsAFileManagerRunsIt)
{
    const auto keys = thumbnailerKeys(fs::path(ZPK_SOURCE_DIR) / "data/zpkview.thumbnailer");
    ASSERT_EQ(keys.count("Exec"), 1u);
    EXPECT_EQ(keys.at("TryExec"), "zpk");
    EXPECT_EQ(keys.at("MimeType"), "application/x-zpk;");
    // the viewer's file type is the one the entry claims
    EXPECT_NE(readText(fs::path(ZPK_SOURCE_DIR) / "data/zpkview-mime.xml").find("application/x-zpk"),
              std::string::npos);

    TempDir dir;
    fs::create_directory(dir / "my sprites");
    const fs::path input = dir / "my sprites" / "two bands.zpk";
    const fs::path output = dir / "thumbnail cache";
    fs::create_directory(output);
    const fs::path png = output / "0123abcd.png";
    writeBytes(input, built(containerOf({twoBands(), solidImage(8, 8, kTop)})));
    for (const int size : {128, 256}) {
        const auto args = execArguments(
            keys.at("Exec"), {{'i', input.string()}, {'o', png.string()}, {'s', std::to_string(size)}});
        ASSERT_FALSE(args.empty());
        EXPECT_EQ(args.front(), keys.at("TryExec"));
        ASSERT_EQ(runFromPath(args, dir), 0) << readText(dir / "thumbnailer.log");
        // run on every file of a folder, it says nothing when it succeeds
        EXPECT_EQ(readText(dir / "thumbnailer.log"), "");
        const DecodedPng picture = decodePng(readBytes(png));
        // the entry's shape, its longer side the size asked for
        EXPECT_EQ(picture.width, static_cast<std::uint32_t>(size));
        EXPECT_EQ(picture.height, static_cast<std::uint32_t>(size / 2));
        EXPECT_EQ(picture.px(3, 3), rgba(kTop.red, kTop.green, kTop.blue));
        EXPECT_EQ(picture.px(static_cast<std::uint32_t>(size) - 3, picture.height - 3),
                  rgba(kBottom.red, kBottom.green, kBottom.blue));
        fs::remove(png);
    }
    // only the PNG asked for: nothing beside it
    EXPECT_TRUE(fs::is_empty(output));
}

// --- the pictures -----------------------------------------------------------

RunResult thumbnail(const TempDir& dir, const std::vector<std::string>& options = {})
{
    std::vector<std::string> args{"thumbnail", "in.zpk", "out.png"};
    args.insert(args.end(), options.begin(), options.end());
    return runZpk(args, dir.path());
}

TEST(ThumbnailPicture, ALargeEntryIsShrunkToTheMeanOfEachBox)
{
    TempDir dir;
    // black and white columns: each 2 x 2 box holds two of each
    WriterImage stripes{512, 256, {{0, 0, 0}, {255, 255, 255}}, {}};
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x) stripes.pixels.push_back(static_cast<std::uint8_t>(x % 2));
    writeBytes(dir / "in.zpk", built(containerOf({stripes})));
    const RunResult result = thumbnail(dir);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    const DecodedPng picture = decodePng(readBytes(dir / "out.png"));
    ASSERT_EQ(picture.width, 256u);
    ASSERT_EQ(picture.height, 128u);
    for (std::uint32_t y = 0; y < 128; y += 17)
        for (std::uint32_t x = 0; x < 256; x += 13)
            EXPECT_EQ(picture.px(x, y), rgba(128, 128, 128)) << x << "," << y;
}

TEST(ThumbnailPicture, PixelsNotDrawnStayTransparent)
{
    TempDir dir;
    // 400 x 400 of one value, written as runs of 65000, 65000 and 30000
    // pixels; without the last run the stream ends in row 325
    Bytes bytes = built(containerOf({solidImage(400, 400, Rgb{40, 50, 60})}));
    bytes.resize(bytes.size() - 5);
    writeBytes(dir / "in.zpk", bytes);
    const RunResult result = thumbnail(dir, {"--size", "200"});
    ASSERT_EQ(result.status, 0) << result.err;
    const DecodedPng picture = decodePng(readBytes(dir / "out.png"));
    ASSERT_EQ(picture.width, 200u);
    ASSERT_EQ(picture.height, 200u);
    EXPECT_EQ(picture.px(100, 10), rgba(40, 50, 60));
    EXPECT_EQ(picture.px(100, 161), rgba(40, 50, 60));
    EXPECT_EQ(picture.px(100, 163) & 0xFFu, 0u);
    EXPECT_EQ(picture.px(100, 199), 0u);
}

TEST(ThumbnailPicture, SmallEntriesMakeAContactSheet)
{
    TempDir dir;
    std::vector<WriterImage> images;
    std::vector<Rgb> colours;
    for (int k = 0; k < 6; ++k) {
        colours.push_back({static_cast<std::uint8_t>(40 * k), static_cast<std::uint8_t>(200 - 30 * k), 99});
        images.push_back(solidImage(20, 20, colours.back()));
    }
    writeBytes(dir / "in.zpk", built(containerOf(images)));
    // at 128 a quarter is 32: all are small; 2 pixels between them, five to
    // a row, the sixth on a second row: 108 x 42, enlarged to 128 x 50
    const RunResult result = thumbnail(dir, {"--size", "128"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const DecodedPng picture = decodePng(readBytes(dir / "out.png"));
    ASSERT_EQ(picture.width, 128u);
    ASSERT_EQ(picture.height, 50u);
    const auto at = [](std::uint32_t x) { return (x * 128 + 54) / 108; };
    for (std::uint32_t k = 0; k < 6; ++k) {
        const std::uint32_t x = (k % 5) * 22;
        const std::uint32_t y = (k / 5) * 22;
        const Rgb c = colours[k];
        EXPECT_EQ(picture.px(at(x), at(y)), rgba(c.red, c.green, c.blue)) << k;
        EXPECT_EQ(picture.px(at(x + 20) - 1, at(y + 20) - 1), rgba(c.red, c.green, c.blue)) << k;
    }
    EXPECT_EQ(picture.px(at(21), 5), 0u);   // a gap
    EXPECT_EQ(picture.px(at(30), 40), 0u);  // past the last entry

    // at 64 the same entries are not small: the first alone, enlarged
    ASSERT_EQ(thumbnail(dir, {"--size", "64"}).status, 0);
    EXPECT_EQ(decodePng(readBytes(dir / "out.png")).width, 64u);
}

TEST(ThumbnailPicture, EntriesThatDrawNothingArePassedOver)
{
    TempDir dir;
    const Bytes empty = encodeEntry({0, 4, threeColours(), {}}).value();
    const Bytes framed = encodeEntry(framedImage()).value();
    Bytes data = empty;
    data.insert(data.end(), framed.begin(), framed.end());
    writeBytes(dir / "in.zpk", withSizes({static_cast<std::uint16_t>(empty.size()), 0}, data));
    const RunResult result = thumbnail(dir);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    // row 1, 4 x 3, at 64 times its size
    const DecodedPng drawn = decodePng(readBytes(dir / "out.png"));
    EXPECT_EQ(std::make_pair(drawn.width, drawn.height), std::make_pair(256u, 192u));
    EXPECT_EQ(drawn.px(64, 0), rgba(30, 190, 40));

    // nothing anywhere (an empty entry, and one whose stream would start
    // at the end of the file): an error, and no file
    const Bytes nothingDrawn = {3, 0, 3, 0, 0, 0, 1, 2, 3};
    data = empty;
    data.insert(data.end(), nothingDrawn.begin(), nothingDrawn.end());
    writeBytes(dir / "in.zpk", withSizes({static_cast<std::uint16_t>(empty.size()), 0}, data));
    fs::remove(dir / "out.png");
    const RunResult none = thumbnail(dir);
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err.rfind("zpk: in.zpk: no thumbnail: no entry draws a pixel", 0), 0u) << none.err;
    EXPECT_EQ(dir.names(), (std::set<std::string>{"in.zpk"}));
}

TEST(ThumbnailPicture, APaletteFileGivesTheColours)
{
    TempDir dir;
    writeBytes(dir / "in.zpk", built(containerOf({twoBands()})));
    {
        std::ofstream gpl(dir / "night.gpl");
        gpl << "GIMP Palette\n1 2 3\n250 251 252\n";
    }
    const RunResult result = thumbnail(dir, {"--palette", "night.gpl", "-q"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const DecodedPng picture = decodePng(readBytes(dir / "out.png"));
    EXPECT_EQ(picture.px(0, 0), rgba(1, 2, 3));
    EXPECT_EQ(picture.px(0, picture.height - 1), rgba(250, 251, 252));

    // a malformed one: nothing is made, the old picture stays
    {
        std::ofstream gpl(dir / "bad.gpl");
        gpl << "GIMP Palette\n1 2\n";
    }
    const Bytes before = readBytes(dir / "out.png");
    const RunResult bad = thumbnail(dir, {"--palette", "bad.gpl"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err.rfind("zpk: bad.gpl: not a palette file: ", 0), 0u) << bad.err;
    EXPECT_EQ(readBytes(dir / "out.png"), before);
}

TEST(ThumbnailPicture, FilesThatCannotBeThumbnailedLeaveNothing)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.zpk").c_str(), 0600), 0);
    const RunResult fifo = runZpk({"thumbnail", "pipe.zpk", "out.png"}, dir.path());
    EXPECT_EQ(fifo.status, 1);
    EXPECT_EQ(fifo.err, "zpk: pipe.zpk: cannot open: not a regular file\n");
    const RunResult missing = runZpk({"thumbnail", "none.zpk", "out.png"}, dir.path());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "zpk: none.zpk: cannot open: No such file or directory\n");
    writeBytes(dir / "in.zpk", built(containerOf({framedImage()})));
    const RunResult unwritable = runZpk({"thumbnail", "in.zpk", "no/such/folder.png"}, dir.path());
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
    EXPECT_EQ(dir.names(), (std::set<std::string>{"in.zpk", "pipe.zpk"}));
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"thumbnail", "in.zpk"},
                                               {"thumbnail", "in.zpk", "a.png", "b.png"},
                                               {"thumbnail", "in.zpk", "a.png", "--size", "15"},
                                               {"thumbnail", "in.zpk", "a.png", "--size", "1025"},
                                               {"thumbnail", "in.zpk", "a.png", "--palette", "x.png"},
                                               {"thumbnail", "in.zpk", "a.png", "--drop-first"}}) {
        const RunResult usage = runZpk(args, dir.path());
        EXPECT_EQ(usage.status, 2) << args.back();
        EXPECT_NE(usage.err.find("usage: zpk thumbnail FILE OUT.png"), std::string::npos) << usage.err;
    }
    EXPECT_EQ(dir.names(), (std::set<std::string>{"in.zpk", "pipe.zpk"}));
}

// --- the work and its bounds, in-process -------------------------------------

ContainerThumbnail thumbnailOf(const fs::path& path, ThumbnailSettings settings = {})
{
    const auto made = makeContainerThumbnail(path.string(), settings);
    EXPECT_TRUE(made.has_value());
    return made ? *made : ContainerThumbnail{};
}

TEST(ThumbnailWork, TheLongerSideIsTheSizeAsked)
{
    // `count` solid entries of width x height, thumbnailed at `size`
    struct Row {
        int width, height, count, size;
        std::uint32_t thumbnailWidth, thumbnailHeight;
    };
    const std::vector<Row> table{
        {600, 300, 1, 256, 256, 128},                             // shrunk
        {256, 40, 1, 256, 256, 40},                               // as it is
        {4, 3, 1, 256, 256, 192},                                 // 64 times
        {24, 24, 1, 256, 256, 256},                               // 11 times is 264, shrunk to 256
        {3, 1, 1, 16, 16, 5},                                     // 6 times is 18 x 6, shrunk to 16 x 5
        {1, 1, 1, 16, 16, 16},        {24, 24, 4, 256, 256, 57},  // a contact sheet of 108 x 24
        {20, 20, 6, 128, 128, 50},                                // a contact sheet of 108 x 42
    };
    TempDir dir;
    const Rgb colour{70, 80, 90};
    for (const Row& row : table) {
        const std::string what = std::to_string(row.count) + " x " + std::to_string(row.width) + "x" +
                                 std::to_string(row.height) + " at " + std::to_string(row.size);
        writeBytes(dir / "in.zpk",
                   built(containerOf(std::vector<WriterImage>(static_cast<std::size_t>(row.count),
                                                              solidImage(row.width, row.height, colour)))));
        ThumbnailSettings settings;
        settings.size = row.size;
        const ContainerThumbnail made = thumbnailOf(dir / "in.zpk", settings);
        ASSERT_EQ(made.status, ThumbnailStatus::Made) << what;
        const DecodedPng picture = decodePng(made.png);
        EXPECT_EQ(picture.width, row.thumbnailWidth) << what;
        EXPECT_EQ(picture.height, row.thumbnailHeight) << what;
        // filled to its last pixel
        EXPECT_EQ(picture.px(0, picture.height - 1), rgba(70, 80, 90)) << what;
        if (row.count == 1) {
            EXPECT_EQ(picture.px(picture.width - 1, 0), rgba(70, 80, 90)) << what;
        }
    }
    // enlarged, each pixel is a block of its own colour, never a blend of
    // two neighbours, also where the size is no whole number of steps
    ThumbnailSettings sixteen;
    sixteen.size = 16;
    writeBytes(dir / "in.zpk", built(containerOf({stripedImage(2, 2, {{0, 0, 0}, {255, 255, 255}})})));
    const DecodedPng blocks = decodePng(thumbnailOf(dir / "in.zpk", sixteen).png);
    EXPECT_EQ(blocks.px(7, 15), rgba(0, 0, 0));
    EXPECT_EQ(blocks.px(8, 15), rgba(255, 255, 255));
    writeBytes(dir / "in.zpk", built(containerOf({stripedImage(3, 3, {{0, 0, 0}, {255, 255, 255}})})));
    const DecodedPng uneven = decodePng(thumbnailOf(dir / "in.zpk", sixteen).png);
    int edges = 0;
    for (int x = 0; x < 16; ++x) {
        EXPECT_TRUE(uneven.px(x, 8) == rgba(0, 0, 0) || uneven.px(x, 8) == rgba(255, 255, 255)) << x;
        edges += x > 0 && uneven.px(x, 8) != uneven.px(x - 1, 8) ? 1 : 0;
    }
    EXPECT_EQ(edges, 2);
}

TEST(ThumbnailWork, OnlyTheDrawnEntryIsRead)
{
    TempDir dir;
    // a small first entry, then a megabyte of noise
    writeBytes(dir / "in.zpk", built(containerOf({framedImage(), randomImage(1000, 1000, 5)})));
    const ContainerThumbnail made = thumbnailOf(dir / "in.zpk");
    EXPECT_EQ(made.status, ThumbnailStatus::Made);
    EXPECT_EQ(made.rows, std::vector<int>{0});
    EXPECT_LT(made.bytesRead, 16 * 1024);
}

TEST(ThumbnailWork, APassedDeadlineGivesUpWithNothing)
{
    TempDir dir;
    writeBytes(dir / "in.zpk", built(containerOf({framedImage()})));
    ThumbnailSettings late;
    late.start = std::chrono::steady_clock::now() - std::chrono::hours(1);
    const ContainerThumbnail made = thumbnailOf(dir / "in.zpk", late);
    EXPECT_EQ(made.status, ThumbnailStatus::OutOfTime);
    EXPECT_TRUE(made.png.empty());
    EXPECT_EQ(made.bytesRead, 0);
}

// What a decode tells, and the pixels it stored.
auto decodeFacts(const DecodedImage& d)
{
    return std::make_tuple(d.hasData, d.imageWidth, d.imageHeight, d.entryStart, d.entryEnd, d.runExtra,
                           d.streamStart, d.streamEnd, d.storedColours, d.runCodes, d.produced,
                           d.clippedWidth, d.clippedHeight);
}

void expectSameDecode(const DecodedImage& a, const DecodedImage& b, const std::string& what)
{
    EXPECT_EQ(decodeFacts(a), decodeFacts(b)) << what;
    EXPECT_TRUE(a.pixels == b.pixels) << what;
}

// Every row of `path` decoded through windows and from the whole file.
void expectWindowsDecodeAsTheWholeFile(const fs::path& path, std::int64_t maxWindow, int& compared)
{
    const auto whole = loadContainer(path.string());
    auto windows = PositionedEntries::open(path.string());
    ASSERT_EQ(whole.has_value(), windows.has_value()) << path;
    if (!whole) return;
    PictureOptions options;
    options.userColor = path.filename().string().size() % 2 == 0;  // the ramp on for some
    options.color2 = "-7";
    for (int row = 0; row < whole->rowCount(); ++row) {
        const auto got = windows->decode(row, options, maxWindow);
        ASSERT_TRUE(got.has_value()) << path;
        if (got->outcome != WindowOutcome::Decoded) continue;
        Palette palette{};
        const DecodedImage expected = decodeEntry(*whole, row, palette, options);
        const std::string what = path.filename().string() + " row " + std::to_string(row);
        expectSameDecode(got->image, expected, what);
        EXPECT_TRUE(got->palette == palette) << what;
        ++compared;
    }
}

TEST(ThumbnailWork, WindowsDecodeEveryRowAsTheWholeFile)
{
    int compared = 0;
    for (const fs::path& path : testContainers())
        expectWindowsDecodeAsTheWholeFile(path, kMaxThumbnailWindow, compared);
    EXPECT_GT(compared, 400);
    // windows that must grow: row 0 declares 100 bytes, and its palette
    // and stream run on through the kilobytes of the row behind it
    TempDir dir;
    const Bytes noise = encodeEntry(randomImage(120, 100, 3)).value();
    writeBytes(dir / "long.zpk", withSizes({100, 0}, noise));
    int grown = 0;
    expectWindowsDecodeAsTheWholeFile(dir / "long.zpk", kMaxThumbnailWindow, grown);
    EXPECT_EQ(grown, 2);
    auto windows = PositionedEntries::open((dir / "long.zpk").string());
    ASSERT_TRUE(windows.has_value());
    const auto first = windows->decode(0, {}, kMaxThumbnailWindow);
    ASSERT_TRUE(first.has_value());
    EXPECT_GT(first->image.streamEnd, 100 + 4096);
    EXPECT_GT(windows->bytesRead(), 100 + 4096);
    // ... unless the limit is too small for them
    const auto limited = windows->decode(0, {}, 6000);
    ASSERT_TRUE(limited.has_value());
    EXPECT_EQ(limited->outcome, WindowOutcome::TooLarge);
}

}  // namespace
}  // namespace zpk::testing

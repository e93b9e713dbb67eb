// What the thumbnailer and the sheet may cost: a file manager runs
// `zpk thumbnail` on every file of a folder, so on any input it makes a
// picture or fails cleanly (nothing written, no temporary left), within
// 64 MiB, and on a file larger than 64 MiB it reads only where the entries
// it draws lie. The peak memory of each run is the kernel's count
// (ru_maxrss); sanitizers' shadow memory makes it meaningless there, so
// it is checked in plain builds only.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "overview/FileThumbnail.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace zpk::testing {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr long kThumbnailMemoryKiB = 64 * 1024;

// A run's peak memory below `limitKiB`, where it can be told.
void expectMemoryBelow(long maxRssKiB, long limitKiB, const std::string& what)
{
    if (kSanitized) return;
    EXPECT_LT(maxRssKiB, limitKiB) << what;
}

struct MeasuredRun {
    RunResult result;
    long maxRssKiB = 0;
};

// Runs the built tool with `args` in `cwd`, as runZpk does, and tells its
// peak resident memory.
MeasuredRun runMeasured(const std::vector<std::string>& args, const TempDir& dir)
{
    const std::string outPath = (dir / ".out").string();
    const std::string errPath = (dir / ".err").string();
    MeasuredRun run;
    const pid_t pid = spawnZpk(args, dir.path(), {}, outPath, errPath);
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        return run;
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            ADD_FAILURE() << "wait4 failed";
            return run;
        }
    }
    run.result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.result.out = readText(outPath);
    run.result.err = readText(errPath);
    run.maxRssKiB = usage.ru_maxrss;
    fs::remove(outPath);
    fs::remove(errPath);
    return run;
}

// Temporary files of the tool's writer left in `folder`.
std::vector<std::string> temporaries(const fs::path& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with(".zpk-")) found.push_back(entry.path().string());
    return found;
}

// Every file of the fuzz corpora but the option files beside them.
std::vector<fs::path> fuzzInputs()
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(ZPK_SOURCE_DIR) / "fuzz")) {
        const fs::path& path = entry.path();
        if (entry.is_regular_file() && path.string().find("/corpus") != std::string::npos &&
            path.extension() != ".options")
            files.push_back(path);
    }
    return files;
}

// A thumbnail of `input` at `size`: a PNG within size x size, or exit 1
// with a message and nothing written; within the memory limit.
void expectPictureOrCleanFailure(const fs::path& input, int size, const TempDir& dir, int& made)
{
    const std::string what = input.string() + " at " + std::to_string(size);
    const MeasuredRun run =
        runMeasured({"thumbnail", input.string(), "out.png", "--size", std::to_string(size)}, dir);
    if (run.result.status == 0) {
        const DecodedPng picture = decodePng(readBytes(dir / "out.png"));
        EXPECT_GE(picture.width, 1u) << what;
        EXPECT_GE(picture.height, 1u) << what;
        EXPECT_LE(picture.width, static_cast<std::uint32_t>(size)) << what;
        EXPECT_LE(picture.height, static_cast<std::uint32_t>(size)) << what;
        ++made;
    } else {
        EXPECT_EQ(run.result.status, 1) << what << "\n" << run.result.err;
        EXPECT_EQ(run.result.err.rfind("zpk: ", 0), 0u) << what;
        EXPECT_FALSE(fs::exists(dir / "out.png")) << what;
    }
    EXPECT_TRUE(temporaries(dir.path()).empty()) << what;
    expectMemoryBelow(run.maxRssKiB, kThumbnailMemoryKiB, what);
    std::error_code ignored;
    fs::remove(dir / "out.png", ignored);
}

TEST(ThumbnailLimits, EveryTestFileGivesAPictureOrACleanFailure)
{
    TempDir dir;
    std::vector<fs::path> inputs = testContainers();
    for (const fs::path& path : fuzzInputs()) inputs.push_back(path);
    int made = 0;
    for (const fs::path& input : inputs) expectPictureOrCleanFailure(input, kDefaultThumbnailSize, dir, made);
    for (const fs::path& input : testContainers())
        expectPictureOrCleanFailure(input, kMinThumbnailSize, dir, made);
    EXPECT_GT(made, 50);
}

TEST(ThumbnailLimits, LargeEntriesStayWithinTheMemoryLimit)
{
    TempDir dir;
    // 4000 x 4000 literals (16 MB), and a 32767 x 32767 entry of runs
    // clipped to 4000 x 4000
    writeBytes(dir / "noise.zpk", built(containerOf({randomImage(4000, 4000, 9)})));
    writeBytes(dir / "runs.zpk", singleEntry(hugeRunsEntry(300)));
    int made = 0;
    for (const int size : {kDefaultThumbnailSize, kMaxThumbnailSize}) {
        expectPictureOrCleanFailure(dir / "noise.zpk", size, dir, made);
        expectPictureOrCleanFailure(dir / "runs.zpk", size, dir, made);
    }
    // a sanitized build is slow enough for the largest to run out of time
    // now and then, which is a clean failure as well
    EXPECT_GE(made, kSanitized ? 2 : 4);
}

TEST(ThumbnailLimits, AFileOverSixtyFourMiBIsReadOnlyWhereItsEntriesLie)
{
    TempDir dir;
    // two entries, then holes up to 1.5 GiB: reading it whole would take
    // that much memory
    constexpr off_t kLength = off_t{3} << 29;
    writeBytes(dir / "large.zpk", built(containerOf({framedImage(), framedImage()})));
    ASSERT_EQ(::truncate((dir / "large.zpk").c_str(), kLength), 0);
    const MeasuredRun run = runMeasured({"thumbnail", "large.zpk", "out.png"}, dir);
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.result.out, "");
    // row 0 alone, 4 x 3 at 64 times its size: pixel (1, 1) is a block
    EXPECT_EQ(decodePng(readBytes(dir / "out.png")).px(64, 64), rgba(200, 10, 20));
    expectMemoryBelow(run.maxRssKiB, kThumbnailMemoryKiB, "two entries");
    ThumbnailSettings settings;
    const auto made = makeContainerThumbnail((dir / "large.zpk").string(), settings);
    ASSERT_TRUE(made.has_value());
    EXPECT_LT(made->bytesRead, 16 * 1024);
    fs::remove(dir / "out.png");

    // one entry that runs through the whole file: more than a window may
    // hold, so no thumbnail, and nothing left behind
    writeBytes(dir / "large.zpk", built(containerOf({framedImage()})));
    ASSERT_EQ(::truncate((dir / "large.zpk").c_str(), kLength), 0);
    const MeasuredRun none = runMeasured({"thumbnail", "large.zpk", "out.png"}, dir);
    EXPECT_EQ(none.result.status, 1);
    EXPECT_EQ(none.result.err.rfind("zpk: large.zpk: no thumbnail: ", 0), 0u) << none.result.err;
    EXPECT_EQ(dir.names(), (std::set<std::string>{"large.zpk"}));
    expectMemoryBelow(none.maxRssKiB, kThumbnailMemoryKiB, "one entry");
}

TEST(SheetLimits, ASheetIsNeverHeldWholeAsRgba)
{
    TempDir dir;
    // 64 entries of 1000 x 1000 in eight columns: 8028 x 8028 pixels, a
    // quarter of a gigabyte as RGBA
    std::vector<WriterImage> images;
    for (int k = 0; k < 64; ++k)
        images.push_back(solidImage(1000, 1000, Rgb{static_cast<std::uint8_t>(4 * k), 80, 160}));
    writeBytes(dir / "in.zpk", built(containerOf(images)));
    const MeasuredRun run = runMeasured({"sheet", "in.zpk", "-o", "sheet.png", "--columns", "8"}, dir);
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.result.out, "wrote sheet.png: 8028 x 8028 pixels, 64 entries in 8 columns\n");
    // a grid row of values (8 MB) and the PNG; not the 257 MB of RGBA
    expectMemoryBelow(run.maxRssKiB, 96 * 1024, "sheet");
    const DecodedPng sheet = decodePng(readBytes(dir / "sheet.png"));
    EXPECT_EQ(sheet.px(7 * 1004 + 999, 7 * 1004 + 999), rgba(4 * 63, 80, 160));
    EXPECT_EQ(sheet.px(1001, 5), 0u);
}

}  // namespace
}  // namespace zpk::testing

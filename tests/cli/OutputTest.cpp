// What the tool writes, and what it never destroys: links are followed and
// kept, modes kept, devices and FIFOs written to and never replaced,
// standard streams checked, no temporary file left by a signal or a size
// limit. Devices are nodes made here, in a scratch folder.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "cli/CommandLine.h"
#include "cli/Progress.h"
#include "export/BatchExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <random>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>

namespace zpk::testing {
namespace {

using namespace std::chrono_literals;

// `count` entries of noise, slow enough to compress that a batch of them
// is still running when a test acts on it.
Bytes noiseContainer(int count, int side)
{
    std::vector<WriterImage> images;
    for (int k = 0; k < count; ++k) images.push_back(randomImage(side, side, static_cast<std::uint32_t>(k)));
    return built(containerOf(images));
}

Bytes smallContainer() { return noiseContainer(3, 8); }

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

RunResult run(const std::vector<std::string>& args, const TempDir& dir, const Redirects& how = {})
{
    return runZpk(args, dir.path(), how);
}

std::vector<std::string> temporaries(const fs::path& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename().string().starts_with(".zpk-")) found.push_back(entry.path().string());
    return found;
}

class Output : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeBytes(dir / "demo.zpk", smallContainer());
        const RunResult made = run({"export", "demo.zpk", "--entry", "1", "-o", "expected.png"}, dir);
        ASSERT_EQ(made.status, 0) << made.err;
        expected = readBytes(dir / "expected.png");
        ASSERT_FALSE(expected.empty());
    }

    RunResult exportTo(const std::string& output)
    {
        return run({"export", "demo.zpk", "--entry", "1", "-o", output}, dir);
    }

    TempDir dir;
    Bytes expected;
};

TEST_F(Output, ALinkChainIsFollowedAndKept)
{
    writeBytes(dir / "user.png", {1, 2, 3});
    fs::create_directory(dir / "art");
    fs::create_symlink("../user.png", dir / "art/second");  // relative to its own folder
    fs::create_symlink((dir / "art/second").string(), dir / "first.png");
    const RunResult result = exportTo("first.png");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "first.png")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "art/second")));
    EXPECT_EQ(readBytes(dir / "user.png"), expected);
    // a dangling link makes the file where it points
    fs::create_symlink("made.png", dir / "dangling.png");
    ASSERT_EQ(exportTo("dangling.png").status, 0);
    EXPECT_EQ(readBytes(dir / "made.png"), expected);
    EXPECT_TRUE(temporaries(dir.path()).empty());
    // a cycle is an error, not a hang
    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    EXPECT_EQ(exportTo("loop-a").status, 1);
}

TEST_F(Output, AReplacedFileKeepsItsMode)
{
    writeBytes(dir / "private.png", {1});
    fs::permissions(dir / "private.png", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(exportTo("private.png").status, 0);
    EXPECT_EQ(fs::status(dir / "private.png").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(readBytes(dir / "private.png"), expected);
}

TEST_F(Output, AFifoIsWrittenToAndStaysAFifo)
{
    ASSERT_EQ(::mkfifo((dir / "out.fifo").c_str(), 0600), 0);
    Bytes received;
    std::thread reader([&] { received = readBytes(dir / "out.fifo"); });
    const RunResult result = exportTo("out.fifo");
    reader.join();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir / "out.fifo")));
}

// Nodes of our own, never the system's: a null device and a full one.
TEST_F(Output, ADeviceIsWrittenToAndNeverReplaced)
{
    ASSERT_EQ(::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    EXPECT_EQ(exportTo("null").status, 0);
    const RunResult full = exportTo("full");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("cannot write: No space left on device"), std::string::npos) << full.err;
    for (const char* node : {"null", "full"})
        EXPECT_TRUE(fs::is_character_file(fs::symlink_status(dir / node))) << node;
    EXPECT_TRUE(temporaries(dir.path()).empty());
    // a folder or a socket is not replaced either
    fs::create_directory(dir / "folder.png");
    EXPECT_EQ(exportTo("folder.png").status, 1);
    EXPECT_TRUE(fs::is_directory(dir / "folder.png"));
}

// -o /dev/stdout while standard output goes to a file: the PNG goes where
// the shell sends it (appended here), and the file is not replaced.
TEST_F(Output, StandardOutputByNameKeepsTheRedirection)
{
    writeBytes(dir / "log.bin", {'l', 'o', 'g'});
    const int fd = ::open((dir / "log.bin").c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    struct stat before {};
    ::fstat(fd, &before);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fd, 1);
        const std::string zpk = ZPK_BINARY;
        const std::string file = (dir / "demo.zpk").string();
        ::execl(zpk.c_str(), zpk.c_str(), "export", file.c_str(), "--entry", "1", "-q", "-o", "/dev/stdout",
                nullptr);
        ::_exit(127);
    }
    ::close(fd);
    EXPECT_EQ(waitFor(pid), 0);
    struct stat after {};
    ASSERT_EQ(::stat((dir / "log.bin").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // the same file, not a new one
    Bytes appended{'l', 'o', 'g'};
    appended.insert(appended.end(), expected.begin(), expected.end());
    EXPECT_EQ(readBytes(dir / "log.bin"), appended);
}

// A FIFO given to a batch as input is read once, by the worker; a FIFO
// where a PNG would go is left alone instead of waited on.
TEST_F(Output, FifosInABatchNeitherHangNorLose)
{
    ASSERT_EQ(::mkfifo((dir / "piped.zpk").c_str(), 0600), 0);
    std::thread writer([&] { writeBytes(dir / "piped.zpk", readBytes(dir / "demo.zpk")); });
    const RunResult both = run({"export", "--all", "-q", "-o", "out", "demo.zpk", "piped.zpk"}, dir);
    writer.join();
    EXPECT_EQ(both.status, 0) << both.err;
    EXPECT_EQ(readBytes(dir / "out/piped/001.png"), readBytes(dir / "out/demo/001.png"));

    fs::remove(dir / "out/demo/002.png");
    ASSERT_EQ(::mkfifo((dir / "out/demo/002.png").c_str(), 0600), 0);
    const RunResult forced = run({"export", "--all", "--force", "-q", "-o", "out", "demo.zpk"}, dir);
    EXPECT_EQ(forced.status, 1);
    EXPECT_NE(forced.err.find("002.png is not a regular file"), std::string::npos) << forced.err;
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir / "out/demo/002.png")));
}

TEST_F(Output, AFailedWriteToStandardOutputIsAnError)
{
    ASSERT_EQ(::mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    const Redirects toFull{"", (dir / "full").string()};
    for (const auto& args : std::vector<std::vector<std::string>>{{"list", "demo.zpk", "--format", "json"},
                                                                  {"--help"},
                                                                  {"info", "demo.zpk"},
                                                                  {"export", "demo.zpk", "-o", "-"}}) {
        const RunResult result = run(args, dir, toFull);
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_NE(result.err.find("zpk: write error: No space left on device"), std::string::npos)
            << args[0] << ": " << result.err;
    }
}

TEST_F(Output, StandardStreamsRoundTrip)
{
    // -o - writes the PNG itself to standard output
    const Redirects toFile{"", (dir / "piped.png").string()};
    const RunResult piped = run({"export", "demo.zpk", "--entry", "1", "-o", "-"}, dir, toFile);
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(readBytes(dir / "piped.png"), expected);
    EXPECT_FALSE(fs::exists(dir / "-"));

    // FILE - reads standard input; a FIFO is read to its end
    const Redirects fromFile{(dir / "demo.zpk").string(), ""};
    const RunResult byName = run({"list", "demo.zpk", "--format", "csv"}, dir);
    const RunResult fromStdin = run({"list", "-", "--format", "csv"}, dir, fromFile);
    ASSERT_EQ(fromStdin.status, 0) << fromStdin.err;
    std::string renamed = byName.out;
    for (std::size_t at; (at = renamed.find("\ndemo.zpk,")) != std::string::npos;)
        renamed.replace(at, 10, "\n-,");
    EXPECT_EQ(fromStdin.out, renamed);

    ASSERT_EQ(::mkfifo((dir / "in.fifo").c_str(), 0600), 0);
    std::thread writer([&] { writeBytes(dir / "in.fifo", readBytes(dir / "demo.zpk")); });
    const RunResult fromFifo = run({"export", "in.fifo", "--entry", "1", "-o", "fifo.png"}, dir);
    writer.join();
    ASSERT_EQ(fromFifo.status, 0) << fromFifo.err;
    EXPECT_EQ(readBytes(dir / "fifo.png"), expected);
}

TEST_F(Output, ALongestNameIsWritten)
{
    const std::string name = std::string(251, 'n') + ".png";  // 255 bytes, the most a name may have
    ASSERT_EQ(exportTo(name).status, 0);
    EXPECT_EQ(readBytes(dir / name), expected);
    ASSERT_EQ(exportTo(name).status, 0);  // and replaced
    EXPECT_TRUE(temporaries(dir.path()).empty());
}

TEST_F(Output, AFileSizeLimitIsAnOrdinaryError)
{
    writeBytes(dir / "noise.zpk", noiseContainer(4, 64));
    Redirects limited;
    limited.fileSizeLimit = 1024;  // ulimit -f 1
    const RunResult one = run({"export", "noise.zpk", "-o", "one.png"}, dir, limited);
    EXPECT_EQ(one.status, 1) << one.err;
    EXPECT_NE(one.err.find("File too large"), std::string::npos) << one.err;
    const RunResult all = run({"export", "noise.zpk", "--all", "-o", "out", "-q"}, dir, limited);
    EXPECT_EQ(all.status, 1) << all.err;
    EXPECT_FALSE(fs::exists(dir / "one.png"));
    EXPECT_TRUE(filesUnder(dir / "out").empty());
    EXPECT_TRUE(temporaries(dir.path()).empty());
}

// A signal in the middle of a batch: every PNG there is whole, no temporary
// is left, and the exit status tells the signal.
TEST(OutputSignals, AnInterruptedBatchLeavesNoPartialFile)
{
    TempDir dir;
    writeBytes(dir / "noise.zpk", noiseContainer(255, 96));
    const struct {
        int signal;
        std::size_t after;  // PNGs written before the signal
    } cases[] = {{SIGINT, 0}, {SIGTERM, 5}, {SIGHUP, 40}, {SIGINT, 120}};
    for (const auto& c : cases) {
        const std::string folder = "out" + std::to_string(c.signal) + "-" + std::to_string(c.after);
        const pid_t pid = spawnZpk({"export", "noise.zpk", "--all", "-j", "2", "-q", "-o", folder},
                                   dir.path(), {}, (dir / ".stdout").string(), (dir / ".stderr").string());
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline) {
            std::error_code ignored;
            std::size_t pngs = 0;
            for (const auto& entry : fs::recursive_directory_iterator(dir / folder, ignored))
                pngs += entry.path().extension() == ".png" ? 1 : 0;
            if (pngs >= c.after) break;
            std::this_thread::sleep_for(1ms);
        }
        ::kill(pid, c.signal);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        // ended by the signal itself, so that a shell stops a loop on Ctrl-C
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal)
            << "signal " << c.signal << ": " << status;
        const auto written = fs::exists(dir / folder) ? filesUnder(dir / folder) : std::set<std::string>{};
        EXPECT_LT(written.size(), 255u) << "the batch had ended before the signal";
        if (fs::exists(dir / folder)) {
            EXPECT_TRUE(temporaries(dir / folder).empty()) << folder;
        }
        for (const std::string& png : written) {
            EXPECT_TRUE(png.ends_with(".png")) << png;
            EXPECT_EQ(decodePng(readBytes(dir / folder / png)).width, 96u) << png;
        }
    }
}

TEST(OutputBatch, SkipExistingMakesASecondRunSucceed)
{
    TempDir dir;
    writeBytes(dir / "demo.zpk", smallContainer());
    ASSERT_EQ(runZpk({"export", "demo.zpk", "--all", "-q", "-o", "out"}, dir.path()).status, 0);
    writeBytes(dir / "out/demo/001.png", {9});  // kept as it is
    const RunResult again = runZpk({"export", "demo.zpk", "--all", "-q", "-o", "out"}, dir.path());
    EXPECT_EQ(again.status, 1);
    const RunResult skipping =
        runZpk({"export", "demo.zpk", "--all", "--skip-existing", "-o", "out"}, dir.path());
    EXPECT_EQ(skipping.status, 0) << skipping.err;
    EXPECT_EQ(readBytes(dir / "out/demo/001.png"), Bytes{9});
    fs::remove(dir / "out/demo/002.png");
    ASSERT_EQ(runZpk({"export", "demo.zpk", "--all", "--skip-existing", "-qo", "out"}, dir.path()).status, 0);
    EXPECT_TRUE(fs::exists(dir / "out/demo/002.png"));
    EXPECT_EQ(runZpk({"export", "demo.zpk", "--all", "--skip-existing", "--force"}, dir.path()).status, 2);
}

TEST(OutputBatch, AContainerWithoutExtensionGetsAFolderOfItsOwn)
{
    TempDir dir;
    writeBytes(dir / "game", smallContainer());
    const RunResult result = runZpk({"export", "--all", "-q", "game"}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(filesUnder(dir.path()),
              (std::set<std::string>{"game", "game.d/000.png", "game.d/001.png", "game.d/002.png"}));
}

TEST(OutputBatch, TheDefaultJobsFollowTheAffinity)
{
    cpu_set_t saved;
    ASSERT_EQ(::sched_getaffinity(0, sizeof saved, &saved), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &saved)) {
            CPU_SET(cpu, &one);
            break;
        }
    }
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    const int processors = availableProcessors();
    BatchSettings settings;
    settings.files = {"a.zpk"};
    const auto plan = planBatch(settings);
    ::sched_setaffinity(0, sizeof saved, &saved);
    EXPECT_EQ(processors, 1);
    ASSERT_TRUE(std::holds_alternative<BatchPlan>(plan));
    EXPECT_EQ(std::get<BatchPlan>(plan).threads, 1);
}

TEST(OutputProgress, TheBarFitsTheTerminal)
{
    BatchProgress p;
    p.filesDone = 3;
    p.filesTotal = 12;
    p.entriesDone = 765;
    p.entriesTotal = 3060;
    p.elapsedSeconds = 2.5;
    for (const int columns : {200, 120, 80, 72, 60, 40, 20, 10, 2}) {
        const std::string line = cli::progressBarLine(p, columns);
        EXPECT_LT(static_cast<int>(line.size()), columns) << columns << ": " << line;
        if (columns >= 80) {
            EXPECT_TRUE(line.starts_with("[")) << columns << ": " << line;
        }
        if (columns >= 20 && columns <= 40) {
            EXPECT_EQ(line, "765/3060 entries") << columns;  // no room for a bar
        }
    }
    // a wider terminal, a longer bar, up to 40 cells
    EXPECT_GT(cli::progressBarLine(p, 120).find(']'), cli::progressBarLine(p, 80).find(']'));
    EXPECT_EQ(cli::progressBarLine(p, 400).find(']'), 41u);
    EXPECT_EQ(cli::progressBarLine(p, 0).substr(0, 18), "[####............]");  // no width known
}

TEST(OutputOptions, ShortOptionsBundleAndLongOnesShorten)
{
    const auto parse = [](std::initializer_list<std::string_view> args) {
        const std::vector<std::string_view> list(args);
        return cli::parseCommandLine(list);
    };
    const auto bundled = parse({"export", "-qj4", "--all", "a.zpk"});
    ASSERT_TRUE(std::holds_alternative<cli::Invocation>(bundled));
    const auto& settings = std::get<cli::ExportSettings>(std::get<cli::Invocation>(bundled));
    EXPECT_EQ(settings.jobs, 4);
    EXPECT_EQ(settings.progress, cli::ProgressOutput::Quiet);
    const auto shortened = parse({"export", "a.zpk", "--ent", "3", "--drop", "--color2=-7"});
    ASSERT_TRUE(std::holds_alternative<cli::Invocation>(shortened));
    const auto& picked = std::get<cli::ExportSettings>(std::get<cli::Invocation>(shortened));
    EXPECT_EQ(picked.row, 3);
    EXPECT_EQ(picked.drawing.picture.dropFirst, DropFirst::On);
    EXPECT_EQ(picked.drawing.picture.color2, "-7");
    // -q on one export, and on list and info
    EXPECT_TRUE(std::holds_alternative<cli::Invocation>(parse({"export", "-q", "a.zpk"})));
    EXPECT_TRUE(std::holds_alternative<cli::Invocation>(parse({"list", "-q", "a.zpk", "b.zpk"})));
    EXPECT_TRUE(std::holds_alternative<cli::Invocation>(parse({"info", "a.zpk", "b.zpk", "-q"})));
    // a colour text that is not a number names its option
    const auto bad = parse({"export", "a.zpk", "--color1=abc"});
    ASSERT_TRUE(std::holds_alternative<cli::UsageError>(bad));
    EXPECT_NE(std::get<cli::UsageError>(bad).message.find("--color1"), std::string::npos);
    const auto ambiguous = parse({"export", "a.zpk", "--co", "1"});
    ASSERT_TRUE(std::holds_alternative<cli::UsageError>(ambiguous));
    EXPECT_NE(std::get<cli::UsageError>(ambiguous).message.find("ambiguous"), std::string::npos);
}

TEST(OutputListing, SeveralFilesAndNamesThatNeedQuoting)
{
    TempDir dir;
    const Bytes bytes = smallContainer();
    writeBytes(dir / "a.zpk", bytes);
    const std::string odd = "bad\nname\xE9.zpk";  // a line feed, and a byte that is not UTF-8
    writeBytes(dir / odd, bytes);

    const RunResult text = runZpk({"list", "a.zpk", odd, "missing.zpk"}, dir.path());
    EXPECT_EQ(text.status, 1);  // one file could not be read; the others are listed
    EXPECT_NE(text.out.find("a.zpk: "), std::string::npos);
    EXPECT_NE(text.out.find("$'bad\\nname\\xE9.zpk': "), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find(odd), std::string::npos);  // never raw
    EXPECT_NE(text.err.find("zpk: missing.zpk: cannot open"), std::string::npos);

    const RunResult csv = runZpk({"list", "a.zpk", "a.zpk", "--format=csv"}, dir.path());
    ASSERT_EQ(csv.status, 0);
    EXPECT_EQ(csv.out.find("file,row"), 0u);
    EXPECT_EQ(csv.out.find("file,row", 1), std::string::npos);  // one header

    const RunResult lines = runZpk({"list", "a.zpk", "a.zpk", "--format", "jsonl"}, dir.path());
    ASSERT_EQ(lines.status, 0);
    EXPECT_EQ(std::count(lines.out.begin(), lines.out.end(), '\n'), 2);
    const RunResult array = runZpk({"list", "a.zpk", "a.zpk", "--format", "json"}, dir.path());
    ASSERT_EQ(array.status, 0);
    EXPECT_EQ(array.out.front(), '[');

    const RunResult info = runZpk({"info", "a.zpk", "a.zpk"}, dir.path());
    ASSERT_EQ(info.status, 0);
    EXPECT_EQ(info.out.find("file:     a.zpk"), 0u);
    EXPECT_NE(info.out.find("\n\nfile:     a.zpk"), std::string::npos);
}

}  // namespace
}  // namespace zpk::testing

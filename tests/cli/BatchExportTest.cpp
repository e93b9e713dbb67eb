// `zpk export FILE... --all`: the folder layout, the same bytes whatever the
// number of threads, no overwriting without --force, exit statuses, files
// that cannot be read, progress; and the batch API the tool is built on.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "cli/Messages.h"
#include "cli/Progress.h"
#include "export/BatchExport.h"
#include "export/EntryExport.h"
#include "export/ExportNaming.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

namespace zpk::testing {
namespace {

// A container of `count` sprites of 1 to `maxSide` pixels a side.
Bytes sprites(int count, int maxSide, std::uint32_t seed)
{
    std::mt19937 sizes(seed);
    return built(spriteContainer(count, 1, maxSide, sizes, seed * 1000));
}

std::set<std::string> pngNames(const std::string& folder, int rows)
{
    std::set<std::string> names;
    for (int row = 0; row < rows; ++row) names.insert(entryPngPath(folder, row));
    return names;
}

class CliBatch : public ::testing::Test {
protected:
    std::string put(const std::string& name, const Bytes& bytes)
    {
        fs::create_directories((dir / name).parent_path());
        writeBytes(dir / name, bytes);
        return name;
    }
    RunResult zpk(const std::vector<std::string>& args) { return runZpk(args, dir.path()); }

    TempDir dir;
};

TEST_F(CliBatch, EveryEntryGoesToStemSlashThreeDigitRow)
{
    put("three.zpk", sprites(3, 20, 1));
    put("data/Mobs.v2.zpk", sprites(12, 20, 2));
    const RunResult result = zpk({"export", "three.zpk", "data/Mobs.v2.zpk", "--all", "-o", "out/png"});
    ASSERT_EQ(result.status, 0) << result.err;

    std::set<std::string> expected = pngNames("out/png/three", 3);
    expected.merge(pngNames("out/png/Mobs.v2", 12));
    expected.insert({"three.zpk", "data/Mobs.v2.zpk"});
    EXPECT_EQ(filesUnder(dir.path()), expected);
    EXPECT_TRUE(fs::exists(dir / "out/png/Mobs.v2/011.png"));
    EXPECT_EQ(result.out, "exported 15 of 15 entries of 2 files into out/png\n");

    // without -o: the current folder
    const RunResult here = zpk({"export", "three.zpk", "--all", "--quiet"});
    ASSERT_EQ(here.status, 0) << here.err;
    EXPECT_TRUE(fs::exists(dir / "three/000.png"));
    EXPECT_TRUE(fs::exists(dir / "three/002.png"));
}

TEST_F(CliBatch, EachPngIsWhatSingleExportWritesWithTheSameOptions)
{
    put("a.zpk", sprites(6, 24, 3));
    const std::vector<std::vector<std::string>> optionSets{
        {},
        {"--drop-first"},
        {"--user-color", "--color1=-40", "--color2", "7.5", "--color3=80"},
        {"--indexed", "--drop-first"},
    };
    for (const auto& options : optionSets) {
        std::vector<std::string> all{"export", "a.zpk", "--all", "--force", "--quiet", "-o", "batch"};
        all.insert(all.end(), options.begin(), options.end());
        ASSERT_EQ(zpk(all).status, 0) << all.size();
        for (int row = 0; row < 6; ++row) {
            std::vector<std::string> one{"export", "a.zpk", "--entry", std::to_string(row), "-o", "one.png"};
            one.insert(one.end(), options.begin(), options.end());
            ASSERT_EQ(zpk(one).status, 0);
            EXPECT_EQ(readBytes(dir / "one.png"), readBytes(dir / entryPngPath("batch/a", row)))
                << "row " << row << ", " << options.size() << " options";
        }
    }
}

TEST_F(CliBatch, SameFilesAndMessagesWhateverTheNumberOfThreads)
{
    put("in/a.zpk", sprites(60, 40, 4));
    put("in/b.zpk", fourStatuses().bytes);
    put("in/c.zpk", sprites(1, 8, 5));
    put("in/d.zpk", sprites(45, 40, 6));
    fs::create_directories(dir / "j1");
    fs::create_directories(dir / "j4");
    const std::vector<std::string> args{"export",      "../in/a.zpk", "../in/b.zpk", "../in/missing.zpk",
                                        "../in/c.zpk", "../in/d.zpk", "--all",       "-o",
                                        "out"};
    auto withJobs = [&](const std::string& jobs) {
        auto a = args;
        a.insert(a.end(), {"-j", jobs});
        return a;
    };
    const RunResult one = runZpk(withJobs("1"), dir / "j1");
    const RunResult four = runZpk(withJobs("4"), dir / "j4");
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(four.status, 1);
    EXPECT_EQ(one.out, four.out);
    EXPECT_EQ(one.err, four.err);  // lines per file and the summary come in file and row order

    const auto files = filesUnder(dir / "j1");
    ASSERT_EQ(files, filesUnder(dir / "j4"));
    ASSERT_EQ(files.size(), 60u + 2u + 1u + 45u);  // b.zpk: rows 0 and 2
    for (const std::string& name : files) {
        EXPECT_EQ(readBytes(dir / "j1" / name), readBytes(dir / "j4" / name)) << name;
    }
}

TEST_F(CliBatch, ExistingPngsAreKeptWithoutForce)
{
    put("a.zpk", sprites(4, 16, 7));
    ASSERT_EQ(zpk({"export", "a.zpk", "--all", "-o", "out"}).status, 0);
    const Bytes original = readBytes(dir / "out/a/001.png");
    writeBytes(dir / "out/a/001.png", Bytes(10, 'x'));
    fs::remove(dir / "out/a/002.png");

    const RunResult again = zpk({"export", "a.zpk", "--all", "-o", "out"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(readBytes(dir / "out/a/001.png"), Bytes(10, 'x'));
    EXPECT_TRUE(fs::exists(dir / "out/a/002.png"));  // missing ones are still written
    const auto err = lines(again.err);
    EXPECT_NE(std::find(err.begin(), err.end(),
                        "zpk: a.zpk: entry row 1: out/a/001.png exists already (--force replaces it)"),
              err.end())
        << again.err;
    EXPECT_NE(again.err.find("3 of 4 entries not exported"), std::string::npos) << again.err;

    const RunResult forced = zpk({"export", "a.zpk", "--all", "-o", "out", "--force"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(readBytes(dir / "out/a/001.png"), original);
    // no temporary file is left behind by any of the runs
    EXPECT_EQ(filesUnder(dir / "out"), pngNames("a", 4));
}

TEST_F(CliBatch, EntriesThatCannotBeExportedAreListedAndExitOne)
{
    put("four.zpk", fourStatuses().bytes);
    const RunResult result = zpk({"export", "four.zpk", "--all", "-o", "out"});
    EXPECT_EQ(result.status, 1);
    // the short entry is written (its missing pixels transparent); the empty
    // and the data-less ones are not
    EXPECT_EQ(filesUnder(dir / "out"), (std::set<std::string>{"four/000.png", "four/002.png"}));
    const auto err = lines(result.err);
    ASSERT_GE(err.size(), 3u) << result.err;
    EXPECT_EQ(std::vector<std::string>(err.end() - 3, err.end()),
              (std::vector<std::string>{
                  "zpk: 2 of 4 entries not exported:",
                  "zpk: four.zpk: entry row 1 is 0 x 4 pixels: nothing to draw",
                  "zpk: four.zpk: entry row 3 has no data: its width and height lie past the end of the file",
              }))
        << result.err;
    EXPECT_EQ(result.out, "exported 2 of 4 entries of 1 file into out\n");
}

TEST_F(CliBatch, AFileThatCannotBeReadDoesNotStopTheOthers)
{
    put("good1.zpk", sprites(5, 12, 8));
    put("short.zpk", Bytes(10, 0));
    fs::create_directories(dir / "folder.zpk");
    put("good2.zpk", sprites(7, 12, 9));
    const RunResult result = zpk(
        {"export", "good1.zpk", "missing.zpk", "short.zpk", "folder.zpk", "good2.zpk", "--all", "-o", "out"});
    EXPECT_EQ(result.status, 1);
    std::set<std::string> expected = pngNames("good1", 5);
    expected.merge(pngNames("good2", 7));
    EXPECT_EQ(filesUnder(dir / "out"), expected);  // and no folder for the others
    EXPECT_FALSE(fs::exists(dir / "out/missing"));
    EXPECT_FALSE(fs::exists(dir / "out/short"));

    const auto err = lines(result.err);
    ASSERT_GE(err.size(), 4u) << result.err;
    EXPECT_EQ(std::vector<std::string>(err.end() - 4, err.end()),
              (std::vector<std::string>{
                  "zpk: 3 of 5 files not read:",
                  "zpk: missing.zpk: cannot open: No such file or directory",
                  "zpk: short.zpk: not a zpk container: 10 bytes, the header needs 29",
                  "zpk: folder.zpk: cannot open: Is a directory",
              }))
        << result.err;
    EXPECT_EQ(result.out, "exported 12 of 12 entries of 2 files into out; 3 files not read\n");
}

TEST_F(CliBatch, AFolderThatCannotBeMadeFailsItsFile)
{
    put("a.zpk", sprites(2, 8, 10));
    put("b.zpk", sprites(2, 8, 11));
    put("out/a", Bytes{1});  // a file where a's folder would go
    const RunResult result = zpk({"export", "a.zpk", "b.zpk", "--all", "-o", "out", "--force"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("zpk: a.zpk: cannot make the folder out/a: "), std::string::npos) << result.err;
    EXPECT_EQ(filesUnder(dir / "out"), (std::set<std::string>{"a", "b/000.png", "b/001.png"}));
}

TEST_F(CliBatch, UsageErrorsExitWithTwoAndWriteNothing)
{
    put("a.zpk", sprites(2, 8, 12));
    put("sub/a.zpk", sprites(2, 8, 13));
    put("sub/a.bin", sprites(2, 8, 14));
    const std::vector<std::vector<std::string>> cases{
        {"export", "a.zpk", "--all", "--entry", "1"},
        {"export", "a.zpk", "--all", "-j", "0"},
        {"export", "a.zpk", "--all", "-j", "two"},
        {"export", "a.zpk", "--all", "--jobs="},
        {"export", "a.zpk", "--force"},
        {"export", "a.zpk", "-j", "2"},
        {"export", "a.zpk", "--skip-existing"},
        {"export", "a.zpk", "--all", "--skip-existing", "--force"},
        {"export", "a.zpk", "sub/a.zpk"},
        {"export", "--all"},
        {"export", "a.zpk", "sub/a.zpk", "--all"},  // the same stem: one folder
        {"export", "sub/a.zpk", "sub/a.bin", "--all", "-o", "out"},
        {"export", "a.zpk", "a.zpk", "--all"},
    };
    const auto before = filesUnder(dir.path());
    for (const auto& args : cases) {
        std::string shown;
        for (const auto& a : args) shown += " '" + a + "'";
        const RunResult result = zpk(args);
        EXPECT_EQ(result.status, 2) << shown;
        EXPECT_EQ(result.err.rfind("zpk: ", 0), 0u) << shown << "\n" << result.err;
        EXPECT_NE(result.err.find("usage: zpk export"), std::string::npos) << shown << "\n" << result.err;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_EQ(filesUnder(dir.path()), before) << shown;
    }
    const RunResult clash = zpk({"export", "a.zpk", "sub/a.zpk", "--all", "-o", "out"});
    EXPECT_EQ(clash.err.rfind("zpk: 'a.zpk' and 'sub/a.zpk' would both write into the folder 'out/a'", 0), 0u)
        << clash.err;
}

TEST_F(CliBatch, ProgressIsOneLinePerFileOffATerminalAndNothingWhenQuiet)
{
    put("a.zpk", sprites(3, 8, 15));
    put("four.zpk", fourStatuses().bytes);
    const RunResult shown =
        zpk({"export", "a.zpk", "missing.zpk", "four.zpk", "--all", "-o", "out", "-j", "3"});
    EXPECT_EQ(shown.status, 1);
    const auto err = lines(shown.err);
    ASSERT_GE(err.size(), 3u) << shown.err;
    EXPECT_EQ(std::vector<std::string>(err.begin(), err.begin() + 3),
              (std::vector<std::string>{
                  "[1/3] a.zpk: 3 of 3 entries exported to out/a",
                  "[2/3] missing.zpk: not read: cannot open: No such file or directory",
                  "[3/3] four.zpk: 2 of 4 entries exported to out/four (2 not exported)",
              }))
        << shown.err;
    EXPECT_EQ(shown.err.find('\r'), std::string::npos);

    // --quiet: no progress and no tally; the failures still
    const RunResult quiet =
        zpk({"export", "a.zpk", "missing.zpk", "four.zpk", "--all", "-o", "out", "--force", "--quiet"});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(lines(quiet.err), (std::vector<std::string>{
                                    "zpk: 2 of 7 entries not exported, 1 of 3 files not read:",
                                    "zpk: missing.zpk: cannot open: No such file or directory",
                                    "zpk: four.zpk: entry row 1 is 0 x 4 pixels: nothing to draw",
                                    "zpk: four.zpk: entry row 3 has no data: its width and height lie past "
                                    "the end of the file",
                                }));

    const RunResult allGood = zpk({"export", "a.zpk", "--all", "-o", "out", "--force", "-q"});
    EXPECT_EQ(allGood.status, 0);
    EXPECT_EQ(allGood.out, "");
    EXPECT_EQ(allGood.err, "");
}

// The batch API, as the tool and the benchmark call it.

// Records what a reporter is told, in order.
class RecordingReporter : public ProgressReporter {
public:
    void started(const BatchProgress& p) override { events.push_back("started " + counts(p)); }
    void advanced(const BatchProgress&) override { ++advances; }
    void fileFinished(std::size_t index, const FileOutcome& file, const BatchProgress& p) override
    {
        events.push_back("file " + std::to_string(index) + " " + file.path);
        EXPECT_GE(p.filesDone, index + 1);
    }
    void finished(const BatchProgress& p) override { events.push_back("finished " + counts(p)); }

    static std::string counts(const BatchProgress& p)
    {
        return std::to_string(p.filesDone) + "/" + std::to_string(p.filesTotal) + " files " +
               std::to_string(p.entriesDone) + "/" + std::to_string(p.entriesTotal) + " entries " +
               std::to_string(p.entriesFailed) + " failed";
    }

    std::vector<std::string> events;
    int advances = 0;
};

TEST(BatchExport, ReporterHearsOfEveryFileInOrder)
{
    TempDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) {
        const std::string path = (dir / ("c" + std::to_string(i) + ".zpk")).string();
        // sizes that make later files finish before earlier ones on 4 threads
        writeBytes(path,
                   sprites(i % 2 == 0 ? 30 : 2, i % 2 == 0 ? 60 : 4, 20 + static_cast<std::uint32_t>(i)));
        files.push_back(path);
    }
    writeBytes(dir / "four.zpk", fourStatuses().bytes);
    files.push_back((dir / "four.zpk").string());

    BatchSettings settings;
    settings.files = files;
    settings.outputFolder = (dir / "out").string();
    settings.jobs = 4;
    auto planned = planBatch(settings);
    ASSERT_TRUE(std::holds_alternative<BatchPlan>(planned));
    const BatchPlan& plan = std::get<BatchPlan>(planned);
    EXPECT_EQ(plan.threads, 4);

    RecordingReporter reporter;
    const BatchResult result = runBatch(plan, reporter);
    std::vector<std::string> expected{"started 0/7 files 0/100 entries 0 failed"};
    for (std::size_t i = 0; i < files.size(); ++i)
        expected.push_back("file " + std::to_string(i) + " " + files[i]);
    expected.push_back("finished 7/7 files 100/100 entries 2 failed");
    EXPECT_EQ(reporter.events, expected);

    ASSERT_EQ(result.files.size(), 7u);
    EXPECT_EQ(result.entries(), 100);
    EXPECT_EQ(result.exported(), 98);
    EXPECT_FALSE(result.allExported());
    const FileOutcome& four = result.files[6];
    ASSERT_EQ(four.entries.size(), 4u);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(four.entries[static_cast<std::size_t>(row)].row, row);
        EXPECT_EQ(four.entries[static_cast<std::size_t>(row)].exported, row % 2 == 0) << row;
    }
    EXPECT_EQ(four.entries[2].output, (dir / "out/four/002.png").string());
    // why rows 1 and 3 were not exported, as values
    EXPECT_FALSE(four.entries[0].problem.has_value());
    EXPECT_FALSE(four.entries[2].problem.has_value());
    ASSERT_TRUE(four.entries[1].problem.has_value());
    EXPECT_EQ(four.entries[1].problem->code, ErrorCode::EmptyImage);
    EXPECT_EQ(cli::entryProblemText(1, *four.entries[1].problem),
              "entry row 1 is 0 x 4 pixels: nothing to draw");
    ASSERT_TRUE(four.entries[3].problem.has_value());
    EXPECT_EQ(four.entries[3].problem->code, ErrorCode::NoData);
}

// New PNGs are made durable once, when the batch ends; PNGs that replace
// others are each synced before they do, so that a crash never loses one.
TEST(BatchExport, AFreshBatchSyncsOnceAtItsEnd)
{
    TempDir dir;
    BatchSettings settings;
    for (std::uint32_t i = 0; i < 4; ++i) {
        settings.files.push_back((dir / ("c" + std::to_string(i) + ".zpk")).string());
        writeBytes(settings.files.back(), sprites(7, 20, 40 + i));
    }
    settings.outputFolder = (dir / "out").string();
    settings.jobs = 2;
    ProgressReporter quiet;
    for (const Overwrite overwrite : {Overwrite::Refuse, Overwrite::Replace}) {
        settings.overwrite = overwrite;
        auto planned = planBatch(settings);
        ASSERT_TRUE(std::holds_alternative<BatchPlan>(planned));
        const std::uint64_t before = syncCalls();
        const BatchResult result = runBatch(std::get<BatchPlan>(planned), quiet);
        EXPECT_TRUE(result.allExported());
        EXPECT_FALSE(result.unsynced.has_value());
        const std::uint64_t syncs = syncCalls() - before;
        if (overwrite == Overwrite::Refuse) {
            EXPECT_GE(syncs, 1u);
            EXPECT_LE(syncs, 2u);
        } else {
            EXPECT_EQ(syncs, 28u + 1u);
        }
    }
}

TEST(BatchExport, PlanNamesFoldersAndRefusesSharedOnes)
{
    EXPECT_EQ(outputFolderOf("out", "data/demo.zpk"), "out/demo");
    EXPECT_EQ(outputFolderOf("", "/data/Mobs.v2.ZPK"), "Mobs.v2");
    EXPECT_EQ(entryPngPath("out/demo", 7), "out/demo/007.png");
    EXPECT_EQ(entryPngPath("demo", 254), "demo/254.png");
    // the rule read back, as packing an exported folder reads it
    for (int row = 0; row < kMaxEntries; ++row) EXPECT_EQ(rowOfEntryPng(entryPngName(row)), row);
    for (const std::string other : {"7.png", "0007.png", "007.PNG", "00a.png", "007.png~", "-07.png"})
        EXPECT_EQ(rowOfEntryPng(other), -1) << other;

    BatchSettings settings;
    settings.files = {"x/a.zpk", "b.zpk", "y/a.ZPK"};
    settings.outputFolder = "out";
    auto planned = planBatch(settings);
    ASSERT_TRUE(std::holds_alternative<PlanConflict>(planned));
    const PlanConflict& conflict = std::get<PlanConflict>(planned);
    EXPECT_EQ(conflict.first, "x/a.zpk");
    EXPECT_EQ(conflict.second, "y/a.ZPK");
    EXPECT_EQ(conflict.folder, "out/a");
    EXPECT_NE(cli::planConflictText(conflict).find("'x/a.zpk' and 'y/a.ZPK'"), std::string::npos);

    settings.files = {"x/a.zpk", "b.zpk", "y/c.zpk"};
    settings.jobs = 0;
    planned = planBatch(settings);
    ASSERT_TRUE(std::holds_alternative<BatchPlan>(planned));
    const BatchPlan& plan = std::get<BatchPlan>(planned);
    EXPECT_GE(plan.threads, 1);
    ASSERT_EQ(plan.files.size(), 3u);
    EXPECT_EQ(plan.files[2].folder, "out/c");
}

TEST(BatchProgress, BarLineAndDurations)
{
    EXPECT_EQ(cli::durationText(0), "0:00");
    EXPECT_EQ(cli::durationText(59.9), "0:59");
    EXPECT_EQ(cli::durationText(754), "12:34");
    EXPECT_EQ(cli::durationText(3723), "1:02:03");

    BatchProgress p;
    p.filesTotal = 20;
    p.entriesTotal = 5100;
    EXPECT_EQ(cli::progressBarLine(p),
              "[................]  0/20 files  0/5100 entries  0 entries/s  ETA --:--");
    p.filesDone = 10;
    p.entriesDone = 2550;
    p.elapsedSeconds = 2;
    EXPECT_EQ(cli::progressBarLine(p),
              "[########........]  10/20 files  2550/5100 entries  1275 entries/s  ETA 0:02");
    p.filesDone = 20;
    p.entriesDone = 5100;
    p.elapsedSeconds = 4;
    EXPECT_EQ(cli::progressBarLine(p),
              "[################]  20/20 files  5100/5100 entries  1275 entries/s  ETA 0:00");
    EXPECT_LT(cli::progressBarLine(p).size(), 80u);
}

TEST(BatchProgress, TerminalBarRedrawsInPlace)
{
    std::ostringstream out;
    cli::TerminalProgress bar(out);
    BatchProgress p;
    p.filesTotal = 2;
    p.entriesTotal = 1000;
    bar.started(p);
    p.entriesDone = 1000;
    p.filesDone = 2;
    p.elapsedSeconds = 1;
    bar.advanced(p);
    p.entriesDone = 10;  // a shorter line blanks the rest of the longer one
    bar.finished(p);
    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 3);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    EXPECT_EQ(text.back(), '\n');
    const std::string last = text.substr(text.rfind('\r') + 1);
    const std::string previous =
        text.substr(text.find('\r', 1) + 1, text.rfind('\r') - text.find('\r', 1) - 1);
    EXPECT_EQ(last.size() - 1, previous.size());  // padded to the longer line, then the line end
}

}  // namespace
}  // namespace zpk::testing

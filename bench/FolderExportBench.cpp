// A whole game folder at once: 1,000 containers of 7 entries (copies of
// samples/demo.zpk, 7,000 PNGs), exported into a fresh folder under
// $TMPDIR (or /tmp) on every run.
//   - The engine as `zpk export --all` runs it (runBatch, one worker per
//     processor), in this process: the new PNGs made durable by one sync of
//     the file system at the end, against the same engine syncing each PNG
//     before its rename (Durability::Synced, the way of old). The same
//     files, decodes and encodes on both sides; PNGs a second and the sync
//     calls each side makes. On a virtual disk an fsync costs well under a
//     millisecond; on a spinning disk about 10, and the ratio grows with it.
//   - The whole tool, `zpk export --all -q -o DIR FILE...` as a child
//     process (build/bin/run-measured): the default PNG form against
//     `--rgba` (target: at least 2.5 x), each with its PNGs a second and
//     peak resident set; DIR on the disk (/0) and on a memory file system,
//     /dev/shm (/1), which takes the disk's writing out of both sides (the
//     smaller PNGs of the default form also save the disk its bytes).
// Run: build/bin/bench_folder_export
#include "BenchSupport.h"

#include "export/BatchExport.h"
#include "io/FileOutput.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zpk::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kContainers = 1000;
constexpr int kEntries = 7;  // of samples/demo.zpk
constexpr int kPngs = kContainers * kEntries;
constexpr double kFormTarget = 2.5;

// The folder of containers, made on first use and removed when the program ends.
struct GameFolder {
    TempFolder scratch;
    std::vector<std::string> files;
    std::string out;
    std::optional<TempFolder> inMemory;  // under /dev/shm, where there is one

    GameFolder()
    {
        const fs::path demo = fs::path(ZPK_SOURCE_DIR) / "samples" / "demo.zpk";
        fs::create_directory(fs::path(scratch.path()) / "game");
        for (int i = 0; i < kContainers; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "game/c%04d.zpk", i);
            files.push_back(scratch.file(name));
            fs::copy_file(demo, files.back());
        }
        out = scratch.file("out");
        if (fs::is_directory("/dev/shm")) inMemory.emplace("/dev/shm");
    }
    // Before each run: the output folders gone, so every PNG is new.
    void clear() const
    {
        fs::remove_all(out);
        if (inMemory) fs::remove_all(inMemory->file("out"));
    }
};

const GameFolder& game()
{
    static const GameFolder folder;
    return folder;
}

BatchPlan planFor(Durability durability)
{
    BatchSettings settings;
    settings.files = game().files;
    settings.outputFolder = game().out;
    auto planned = planBatch(settings);
    check(std::holds_alternative<BatchPlan>(planned), "the batch plans");
    BatchPlan plan = std::get<BatchPlan>(planned);
    plan.durability = durability;
    return plan;
}

void BM_FolderDurability(benchmark::State& state)
{
    const BatchPlan once = planFor(Durability::Deferred);
    const BatchPlan each = planFor(Durability::Synced);
    ProgressReporter quiet;
    std::uint64_t syncsOnce = 0;
    std::uint64_t syncsEach = 0;
    const auto exportWith = [&](const BatchPlan& plan, std::uint64_t& syncs) {
        const std::uint64_t before = syncCalls();
        const BatchResult result = runBatch(plan, quiet);
        syncs = syncCalls() - before;
        check(result.allExported() && result.exported() == kPngs, "every entry exported");
    };
    PairedSamples samples;
    for (auto _ : state)
        samples.runSettled(
            state, [] { game().clear(); }, [&] { exportWith(once, syncsOnce); },
            [&] { exportWith(each, syncsEach); });
    report(state, samples, "zpk export --all, 1000 containers x 7, one sync at the end",
           "the same engine syncing each PNG before its rename", 0, 0, 0);
    state.counters["pngs_per_s"] = kPngs / samples.medianSubject();
    state.counters["baseline_pngs_per_s"] = kPngs / samples.medianBaseline();
    state.counters["sync_calls"] = static_cast<double>(syncsOnce);
    state.counters["baseline_sync_calls"] = static_cast<double>(syncsEach);
    char text[200];
    std::snprintf(text, sizeof text,
                  "%.0f PNGs/s with %llu sync calls; syncing each: %.0f PNGs/s, %llu calls",
                  kPngs / samples.medianSubject(), static_cast<unsigned long long>(syncsOnce),
                  kPngs / samples.medianBaseline(), static_cast<unsigned long long>(syncsEach));
    recordFigure("engine, 1000 containers x 7 (threads: one per processor)", text);
}

void BM_FolderProcessForms(benchmark::State& state)
{
    const bool inMemory = state.range(0) == 1;
    if (inMemory && !game().inMemory) {
        state.SkipWithError("no /dev/shm");
        return;
    }
    const std::string out = inMemory ? game().inMemory->file("out") : game().out;
    std::vector<std::string> args{ZPK_BIN_DIR "/zpk", "export", "--all", "-q", "-o", out};
    args.insert(args.end(), game().files.begin(), game().files.end());
    std::vector<std::string> rgba = args;
    rgba.push_back("--rgba");
    ChildRun subject;
    ChildRun baseline;
    std::vector<double> peaks[2];
    PairedSamples samples;
    for (auto _ : state) {
        samples.runSettled(
            state, [] { game().clear(); }, [&] { subject = runChild(args); },
            [&] { baseline = runChild(rgba); });
        peaks[0].push_back(static_cast<double>(subject.peakBytes) / (1 << 20));
        peaks[1].push_back(static_cast<double>(baseline.peakBytes) / (1 << 20));
    }
    const PngFolder written = pngsIn(out);  // the last run's: --rgba or the default form
    check(written.files == kPngs, "one PNG per entry");
    const std::string where = inMemory ? ", into /dev/shm" : ", onto the disk";
    report(state, samples, "zpk export --all, 1000 x 7, default form" + where, "the same with --rgba",
           kFormTarget, 0, 0);
    char text[200];
    std::snprintf(text, sizeof text,
                  "default form %.0f PNGs/s, peak %.1f MiB; --rgba %.0f PNGs/s, peak %.1f MiB",
                  kPngs / samples.medianSubject(), medianOf(peaks[0]), kPngs / samples.medianBaseline(),
                  medianOf(peaks[1]));
    recordFigure("zpk export --all as a process, 1000 x 7" + where, text);
}

BENCHMARK(BM_FolderDurability)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FolderProcessForms)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
}  // namespace zpk::bench

int main(int argc, char** argv) { return zpk::bench::runAndSummarise(argc, argv); }

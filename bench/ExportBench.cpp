// Batch export (`zpk export FILE... --all --force`) of 20 containers of 255
// sprite-like entries each (64 to 128 pixels a side, 5100 PNGs), through
// the library call the tool makes: files read, entries decoded, PNGs
// encoded and written to a temporary folder.
//   -j N (all cores)   vs the same engine with -j 1 over the same files: the
//                      same work on one thread, so the ratio is what the
//                      threads gain  (>= 0.75 x N: 1.5 on two cores)
//   -j 1               vs QImage's PNG writer on one thread, in memory, over
//                      the same RGBA images: less work than the engine's (no
//                      read, no decode, no file), for information only
// And the whole tool, as a shell runs it: `zpk export FILE --all -j 1 -q
// --force -o DIR` as a child process (build/bin/zpk, started by
// build/bin/run-measured) over one container of 255 sprites of 256 x 256
// pixels; its wall time, CPU time and peak resident set (wait4), with the
// bytes and the forms (palette or RGBA) of the PNGs it wrote. No baseline:
// a figure to compare between versions of the tool, such as a change of the
// default PNG form.
// Then the other direction: `zpk pack` of the 255 PNGs an export wrote of
// that container, against `zpk export --all -j 1` of it (target: pack no
// slower than export).
//
// The PNGs go to a folder under $TMPDIR, or /tmp. Every iteration replaces
// 5100 files, each synced before its rename, and both sides of the -j ratio
// write the same files, so the file system's cost is on both sides alike;
// but syncs and renames in one folder overlap only in part, so on a disk
// the threads gain less than on a memory file system (TMPDIR on one takes
// the disk out of the figures).
#include "BenchSupport.h"

#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "export/BatchExport.h"
#include "io/FileOutput.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace zpk::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kContainers = 20;
constexpr int kEntriesPerContainer = 255;
constexpr int kMinSide = 64;
constexpr int kMaxSide = 128;

// Made on first use, removed when the program ends.
const TempFolder& scratch()
{
    static const TempFolder folder;
    return folder;
}

// The containers on disk, and the RGBA images of their entries for the
// QImage comparison.
struct ExportCase {
    fs::path folder;
    std::vector<std::string> files;
    std::vector<RgbaImage> rgba;
    std::int64_t pixels = 0;
    std::int64_t bytes = 0;  // of the containers
};

const ExportCase& exportCase()
{
    static const ExportCase c = [] {
        ExportCase made;
        made.folder = scratch().path();
        std::mt19937 sizes(7);
        for (int f = 0; f < kContainers; ++f) {
            const Bytes bytes = buildOrDie(spriteContainer(kEntriesPerContainer, kMinSide, kMaxSide, sizes,
                                                           static_cast<std::uint32_t>(f * 1000)));
            const std::string path = (made.folder / ("sprites" + std::to_string(f) + ".zpk")).string();
            check(writeFileReplacing(path, bytes).has_value(), "writing a container");
            made.files.push_back(path);
            made.bytes += static_cast<std::int64_t>(bytes.size());

            auto file = parseContainer(bytes, path);
            check(file.has_value(), "a written container does not parse");
            for (int row = 0; row < file->rowCount(); ++row) {
                Palette palette{};
                const DecodedImage image = decodeEntry(*file, row, palette);
                check(image.produced == image.pixelCount() && image.pixelCount() > 0,
                      "a sprite decodes fully");
                made.rgba.push_back(renderRgba(image, palette, DropFirst::Off));
                made.pixels += image.pixelCount();
            }
        }
        return made;
    }();
    return c;
}

// Every entry's PNG in memory, by QImage, one after the other.
void encodeWithQImage(const std::vector<RgbaImage>& images)
{
    for (const RgbaImage& rgba : images) {
        const QImage image(rgba.rgba.data(), rgba.width, rgba.height, rgba.width * 4,
                           QImage::Format_RGBA8888);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        check(image.save(&buffer, "PNG"), "QImage writes PNG");
        benchmark::DoNotOptimize(png.data());
    }
}

// Hears nothing: the benchmark measures the export alone.
class NoProgress : public ProgressReporter {};

// The plan of `zpk export FILES --all --force -j threads -o scratch/out-jN`;
// run once, so that its folders exist and every timed run replaces files.
BatchPlan plannedExport(const ExportCase& c, int threads)
{
    BatchSettings settings;
    settings.files = c.files;
    settings.outputFolder = (c.folder / ("out-j" + std::to_string(threads))).string();
    settings.overwrite = Overwrite::Replace;  // --force: every iteration writes every PNG anew
    settings.jobs = threads;
    auto planned = planBatch(settings);
    check(std::holds_alternative<BatchPlan>(planned), "the plan");
    BatchPlan plan = std::get<BatchPlan>(std::move(planned));
    check(plan.threads == threads, "the plan's thread count");
    NoProgress quiet;
    const BatchResult first = runBatch(plan, quiet);
    check(first.allExported() && first.exported() == kContainers * kEntriesPerContainer,
          "every entry exported");
    return plan;
}

void exportAll(const BatchPlan& plan)
{
    NoProgress quiet;
    const BatchResult result = runBatch(plan, quiet);
    check(!result.cancelled && result.exported() == kContainers * kEntriesPerContainer,
          "every entry exported");
    benchmark::DoNotOptimize(result.files.data());
}

void setExportCounters(benchmark::State& state, const ExportCase& c, int threads)
{
    state.SetLabel("into " + c.folder.string());
    state.counters["threads"] = threads;
    state.counters["entries"] = static_cast<double>(c.rgba.size());
}

int allCores() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

// -j N against -j 1: the same engine, the same files, the same PNGs.
void BM_ExportThreads(benchmark::State& state)
{
    const int threads = allCores();
    if (threads < 2) {
        state.SkipWithError("one core: there is nothing to spread the work over");
        return;
    }
    const ExportCase& c = exportCase();
    const BatchPlan many = plannedExport(c, threads);
    const BatchPlan one = plannedExport(c, 1);
    PairedSamples samples;
    for (auto _ : state)
        samples.run(
            state, [&] { exportAll(many); }, [&] { exportAll(one); });
    report(state, samples, "export 20 x 255 sprites, -j " + std::to_string(threads) + " (all cores)",
           "the same export, -j 1", 0.75 * threads, c.bytes, c.pixels);
    setExportCounters(state, c, threads);
}

// -j 1 against QImage's PNG writer: a familiar yardstick, not the same work.
void BM_ExportOneThreadVsQImage(benchmark::State& state)
{
    const ExportCase& c = exportCase();
    const BatchPlan one = plannedExport(c, 1);
    PairedSamples samples;
    for (auto _ : state)
        samples.run(
            state, [&] { exportAll(one); }, [&] { encodeWithQImage(c.rgba); });
    report(state, samples, "export 20 x 255 sprites, -j 1",
           "QImage PNG to memory, 1 thread (no read, decode, file)", 0, c.bytes, c.pixels);
    setExportCounters(state, c, 1);
}

// --- the whole tool as a child process ---------------------------------------

constexpr int kProcessEntries = 255;
constexpr int kProcessSide = 256;

void BM_ExportProcess(benchmark::State& state)
{
    std::mt19937 sizes(3);
    const Bytes bytes = buildOrDie(spriteContainer(kProcessEntries, kProcessSide, kProcessSide, sizes, 500));
    const fs::path folder = scratch().path();
    const std::string input = (folder / "sprites256.zpk").string();
    writeFileOrDie(input, bytes);
    const fs::path out = folder / "process-out";
    const std::string zpk = (fs::path(ZPK_BIN_DIR) / "zpk").string();
    // 0: the default form (the palette PNG whenever it is exact); 1: --rgba,
    // the form every PNG had before, the same bytes
    const bool rgba = state.range(0) != 0;
    std::vector<std::string> args{zpk, "export", input,     "--all", "-j",
                                  "1", "-q",     "--force", "-o",    out.string()};
    if (rgba) args.push_back("--rgba");

    runChild(args);  // once untimed: the folder exists, the program's pages are cached
    const PngFolder written = pngsIn(out);
    check(written.files == kProcessEntries && written.palette + written.rgba == kProcessEntries,
          "one PNG per entry");

    std::vector<double> wall;
    std::vector<double> cpu;
    std::vector<std::int64_t> peak;
    for (auto _ : state) {
        const ChildRun run = runChild(args);
        state.SetIterationTime(run.wallSeconds);
        wall.push_back(run.wallSeconds);
        cpu.push_back(run.cpuSeconds);
        peak.push_back(run.peakBytes);
    }
    const double peakMiB = static_cast<double>(*std::max_element(peak.begin(), peak.end())) / (1 << 20);
    state.counters["wall_ms"] = medianOf(wall) * 1e3;
    state.counters["cpu_ms"] = medianOf(cpu) * 1e3;
    state.counters["peak_MiB"] = peakMiB;
    state.counters["png_MiB"] = static_cast<double>(written.bytes) / (1 << 20);
    state.counters["palette_pngs"] = written.palette;
    state.counters["rgba_pngs"] = written.rgba;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));

    char text[200];
    std::snprintf(text, sizeof text,
                  "median %.0f ms wall, %.0f ms CPU; peak RSS %.1f MiB; %d PNGs, %.2f MiB "
                  "(%d palette, %d RGBA); %zu runs",
                  medianOf(wall) * 1e3, medianOf(cpu) * 1e3, peakMiB, written.files,
                  static_cast<double>(written.bytes) / (1 << 20), written.palette, written.rgba, wall.size());
    recordFigure(rgba ? "zpk export --all -j 1 --rgba, 255 sprites 256x256"
                      : "zpk export --all -j 1, 255 sprites 256x256 (default form)",
                 text);
}

// `zpk pack OUT --from DIR` of the 255 palette PNGs that `zpk export --all
// --indexed` wrote of the same container (each PNG read and decoded, its
// shortest pixel stream found, one container written) against `zpk export
// FILE --all -j 1` of that container (each entry decoded, encoded as PNG and
// written): the two directions of the same pictures, each a whole process on
// one thread, in alternating order. Target: pack no slower than export.
void BM_PackVsExportProcess(benchmark::State& state)
{
    std::mt19937 sizes(3);
    const Bytes bytes = buildOrDie(spriteContainer(kProcessEntries, kProcessSide, kProcessSide, sizes, 500));
    const fs::path folder = scratch().path();
    const std::string input = (folder / "pack-sprites256.zpk").string();
    writeFileOrDie(input, bytes);
    const std::string zpk = (fs::path(ZPK_BIN_DIR) / "zpk").string();
    const fs::path pictures = folder / "pack-pictures";
    // the pictures to pack: pack-pictures/pack-sprites256/000.png ...
    runChild({zpk, "export", input, "--all", "--indexed", "-q", "--force", "-o", pictures.string()});
    const fs::path from = pictures / "pack-sprites256";
    const PngFolder written = pngsIn(from);
    check(written.files == kProcessEntries && written.palette == kProcessEntries, "255 palette PNGs");

    const std::string packed = (folder / "packed.zpk").string();
    const std::vector<std::string> pack{zpk, "pack", packed, "--from", from.string(), "--force", "-q"};
    const std::vector<std::string> exportAll{
        zpk, "export", input, "--all", "-j", "1", "-q", "--force", "-o", (folder / "pack-export").string()};
    runChild(pack);  // once untimed each: the folders exist, the program's pages are cached
    runChild(exportAll);
    check(fs::file_size(packed) > 0, "pack wrote the container");

    PairedSamples samples;
    for (auto _ : state)
        samples.run(
            state, [&] { runChild(pack); }, [&] { runChild(exportAll); });
    report(state, samples, "zpk pack of 255 PNGs 256x256 (process)",
           "zpk export --all -j 1 of the same container (process)", 1.0,
           static_cast<std::int64_t>(bytes.size()),
           std::int64_t{kProcessEntries} * kProcessSide * kProcessSide);
    char text[200];
    std::snprintf(text, sizeof text,
                  "pack median %.0f ms, export median %.0f ms, export/pack %.2f (target >= 1: pack no "
                  "slower than export)",
                  samples.medianSubject() * 1e3, samples.medianBaseline() * 1e3, samples.ratio());
    recordFigure("zpk pack vs zpk export --all -j 1, 255 sprites 256x256", text);
}

BENCHMARK(BM_ExportThreads)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExportOneThreadVsQImage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExportProcess)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_PackVsExportProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

}  // namespace
}  // namespace zpk::bench

int main(int argc, char** argv) { return zpk::bench::runAndSummarise(argc, argv); }

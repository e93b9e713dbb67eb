// Batch export (`zpk export FILE... --all --force`) of 20 containers of 255
// sprite-like entries each (64 to 128 pixels a side, 5100 PNGs), through
// the library call the tool makes, on one thread and on every core: files
// read, entries decoded, PNGs encoded and written to a temporary folder.
// The baseline, measured in the same run, does only a part of that work on
// one thread: it encodes the same RGBA images to PNG in memory with QImage.
//   -j 1           vs QImage on one thread  (for information)
//   -j all cores   vs QImage on one thread  (>= 1.5 on two cores)
// The PNGs go to a folder under $TMPDIR when it is set, else under /dev/shm
// (memory) when there is one, so that the figure is the export's work and
// not the disk's: every iteration replaces 5100 files, and some file systems
// (ext4 without a journal) slow down sharply under that much churn. Run it
// with TMPDIR=/some/disk/folder to measure a disk as well.
#include "BenchSupport.h"

#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "export/BatchExport.h"
#include "export/FileOutput.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstdlib>
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

// Where the scratch folder goes: see the top of this file.
fs::path scratchParent()
{
    if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && *tmp != '\0') return tmp;
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec)) return "/dev/shm";
    return fs::temp_directory_path();
}

// The containers on disk, and the RGBA images of their entries for the
// baseline.
struct ExportCase {
    fs::path folder;
    std::vector<std::string> files;
    std::vector<RgbaImage> rgba;
    std::int64_t pixels = 0;
    std::int64_t bytes = 0;  // of the containers
};

const ExportCase& exportCase()
{
    static const TempFolder scratch(scratchParent().string());
    static const ExportCase c = [] {
        ExportCase made;
        made.folder = scratch.path();
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

void runExport(benchmark::State& state, int threads, const std::string& label, double target)
{
    const ExportCase& c = exportCase();
    BatchSettings settings;
    settings.files = c.files;
    settings.outputFolder = (c.folder / ("out-j" + std::to_string(threads))).string();
    settings.overwrite = Overwrite::Replace;  // --force: every iteration writes every PNG anew
    settings.jobs = threads;
    const auto planned = planBatch(settings);
    check(std::holds_alternative<BatchPlan>(planned), "the plan");
    const BatchPlan& plan = std::get<BatchPlan>(planned);

    NoProgress quiet;
    // once before timing: the folders exist, and every later run replaces files
    const BatchResult first = runBatch(plan, quiet);
    check(first.allExported() && first.exported() == kContainers * kEntriesPerContainer,
          "every entry exported");

    PairedSamples samples;
    for (auto _ : state) {
        samples.run(
            state,
            [&] {
                const BatchResult result = runBatch(plan, quiet);
                benchmark::DoNotOptimize(result.files.data());
            },
            [&] { encodeWithQImage(c.rgba); });
    }
    report(state, samples, label, "QImage PNG, 1 thread", target, c.bytes, c.pixels);
    state.SetLabel("into " + c.folder.string());
    state.counters["threads"] = plan.threads;
    state.counters["entries"] = static_cast<double>(c.rgba.size());
}

int allCores() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

void BM_ExportOneThread(benchmark::State& state) { runExport(state, 1, "export 20 x 255 sprites, -j 1", 0); }

void BM_ExportAllCores(benchmark::State& state)
{
    const int threads = allCores();
    runExport(state, threads, "export 20 x 255 sprites, -j " + std::to_string(threads) + " (all cores)", 1.5);
}

BENCHMARK(BM_ExportOneThread)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExportAllCores)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace zpk::bench

int main(int argc, char** argv) { return zpk::bench::runAndSummarise(argc, argv); }

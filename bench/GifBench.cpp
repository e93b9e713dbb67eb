// An animated GIF of a container against PNGs of its entries, as whole
// processes on one thread: `zpk gif FILE -q -o OUT.gif` of one container of
// 255 sprites of 256 x 256 pixels (each entry decoded on a fresh palette,
// drawn as RGBA, its colours numbered and the frame LZW-encoded into one
// file) against `zpk export FILE --all -j 1 -q --force -o DIR` of the same
// container (each entry decoded and encoded as a PNG, 255 files written and
// synced once at the end). The same entries, decodes and pictures on both
// sides; target: the GIF no slower than the PNGs. The files go to a folder
// under $TMPDIR, or /tmp.
// Run: build/bin/bench_gif
#include "BenchSupport.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace zpk::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 255;
constexpr int kSide = 256;

void BM_GifVsExportProcess(benchmark::State& state)
{
    std::mt19937 sizes(3);
    const Bytes bytes = buildOrDie(spriteContainer(kEntries, kSide, kSide, sizes, 500));
    const TempFolder scratch;
    const std::string input = scratch.file("sprites256.zpk");
    writeFileOrDie(input, bytes);
    const std::string zpk = (fs::path(ZPK_BIN_DIR) / "zpk").string();
    const std::string gifFile = scratch.file("sprites256.gif");
    const std::vector<std::string> gif{zpk, "gif", input, "-q", "-o", gifFile};
    const std::vector<std::string> exportAll{zpk, "export", input,     "--all", "-j",
                                             "1", "-q",     "--force", "-o",    scratch.file("pngs")};
    runChild(gif);  // once untimed each: the outputs exist, the program's pages are cached
    runChild(exportAll);
    check(pngsIn(scratch.file("pngs/sprites256")).files == kEntries, "255 PNGs");

    PairedSamples samples;
    for (auto _ : state)
        samples.run(
            state, [&] { runChild(gif); }, [&] { runChild(exportAll); });
    report(state, samples, "zpk gif of 255 sprites 256x256 (process)",
           "zpk export --all -j 1 of the same container (process)", 1.0,
           static_cast<std::int64_t>(bytes.size()), std::int64_t{kEntries} * kSide * kSide);
    char text[200];
    std::snprintf(text, sizeof text,
                  "gif median %.0f ms, %.2f MiB; export median %.0f ms, %.2f MiB of PNGs; export/gif %.2f "
                  "(target >= 1)",
                  samples.medianSubject() * 1e3, static_cast<double>(fs::file_size(gifFile)) / (1 << 20),
                  samples.medianBaseline() * 1e3,
                  static_cast<double>(pngsIn(scratch.file("pngs/sprites256")).bytes) / (1 << 20),
                  samples.ratio());
    recordFigure("zpk gif vs zpk export --all -j 1, 255 sprites 256x256", text);
}

BENCHMARK(BM_GifVsExportProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

}  // namespace
}  // namespace zpk::bench

int main(int argc, char** argv) { return zpk::bench::runAndSummarise(argc, argv); }

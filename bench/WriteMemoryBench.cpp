// Peak memory of the tool's writing and reading of whole files, measured on
// the tool itself (it runs build/bin/zpk), each against what it has to hold:
//   - `zpk pack` of 20 copies of one 5792 x 5792 all-zero PNG (1-bit, about
//     4 KB; its entry is about 2.6 KB): target at most 150 MB. The floor is
//     one picture's pixel values, 33.5 MB; holding every picture, as the
//     tool once did, is 20 times that, twice.
//   - `zpk replace` of one entry of a 210 MiB container, in place: target at
//     most 1.3 times the container (the file is read once and written from
//     the bytes read).
//   - `zpk list -` reading a 1 GiB container from a FIFO: the stream is held
//     once (it was held in a doubling buffer, up to three times).
//   - `zpk export` of one 4000 x 4000 entry: of noise (200 values, every
//     pixel a literal: a 16 MB entry and a 15 MB PNG), target at most 40
//     MiB; of rows of runs, no more than the 21.5 MiB it took when the PNG
//     was held whole. The floor is the file and its decoded pixels, 16 MB
//     each for the noise.
// Run: build/bin/bench_write_memory
#include "BenchSupport.h"
#include "png/PngWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr int kSide = 5792;
constexpr int kCopies = 20;
constexpr double kPackTargetMB = 150;
constexpr std::int64_t kContainerBytes = 210ll << 20;
constexpr double kReplaceTarget = 1.3;
constexpr std::int64_t kStreamBytes = 1ll << 30;
constexpr double kNoiseTargetMiB = 40;
constexpr double kRunsTargetMiB = 21.5;

// zpk's peak resident set in bytes for `zpkArgs`, standard input from `input`.
std::int64_t peakOf(std::vector<std::string> zpkArgs, const std::string& input = {})
{
    zpkArgs.insert(zpkArgs.begin(), (fs::path(ZPK_BIN_DIR) / "zpk").string());
    return zpk::bench::peakMemoryOf(std::move(zpkArgs), input);
}

double megabytes(std::int64_t bytes) { return static_cast<double>(bytes) / 1e6; }

void PackPeakMemory(benchmark::State& state)
{
    zpk::bench::TempFolder folder;
    zpk::IndexedImage zero{
        kSide, kSide, {zpk::makeColour(0, 0, 0)}, {}, Bytes(static_cast<std::size_t>(kSide) * kSide, 0)};
    const auto png = zpk::encodePng(zero);
    zpk::bench::check(png.has_value(), "the PNG does not encode");
    zero.indices = {};
    std::vector<std::string> args{"pack", "-q", "--force", folder.file("out.zpk")};
    for (int k = 0; k < kCopies; ++k) {
        args.push_back(folder.file("zero-" + std::to_string(k) + ".png"));
        zpk::bench::writeFileOrDie(args.back(), *png);
    }
    std::int64_t peak = 0;
    for (auto _ : state) peak = peakOf(args);
    state.counters["peak_MB"] = megabytes(peak);
    char text[200];
    std::snprintf(text, sizeof text,
                  "peak %.1f MB for %d pictures of %d x %d (%zu bytes each): target <= %.0f MB: %s",
                  megabytes(peak), kCopies, kSide, kSide, png->size(), kPackTargetMB,
                  megabytes(peak) <= kPackTargetMB ? "met" : "NOT MET");
    zpk::bench::recordFigure("zpk pack, 20 large pictures, peak memory", text);
}
BENCHMARK(PackPeakMemory)->Iterations(1)->Unit(benchmark::kSecond);

// A container of the demo's kind whose last entry runs on to `length`
// bytes of noise.
void writeLargeContainer(const std::string& path, std::int64_t length)
{
    std::mt19937 random(7);
    zpk::ContainerBuilder builder;
    for (int k = 0; k < 6; ++k)
        builder.entry(zpk::testing::randomImage(200, 150, static_cast<std::uint32_t>(k)));
    Bytes bytes = zpk::bench::buildOrDie(builder);
    const auto start = bytes.size();
    bytes.resize(static_cast<std::size_t>(length));
    for (std::size_t i = start; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(random());
    zpk::bench::writeFileOrDie(path, bytes);
}

void ReplacePeakMemory(benchmark::State& state)
{
    zpk::bench::TempFolder folder;
    const std::string container = folder.file("big.zpk");
    writeLargeContainer(container, kContainerBytes);
    zpk::IndexedImage small{
        64, 64, {zpk::makeColour(1, 2, 3), zpk::makeColour(4, 5, 6)}, {}, Bytes(64 * 64, 1)};
    const auto png = zpk::encodePng(small);
    zpk::bench::check(png.has_value(), "the PNG does not encode");
    zpk::bench::writeFileOrDie(folder.file("new.png"), *png);
    std::int64_t peak = 0;
    for (auto _ : state) peak = peakOf({"replace", "-q", container, "--entry", "2", folder.file("new.png")});
    const double ratio = static_cast<double>(peak) / static_cast<double>(kContainerBytes);
    state.counters["peak_per_container"] = ratio;
    char text[200];
    std::snprintf(text, sizeof text, "peak %.1f MiB for a %lld MiB container: %.3f x (target <= %.1f: %s)",
                  static_cast<double>(peak) / (1 << 20), static_cast<long long>(kContainerBytes >> 20), ratio,
                  kReplaceTarget, ratio <= kReplaceTarget ? "met" : "NOT MET");
    zpk::bench::recordFigure("zpk replace in place, 210 MiB, peak memory", text);
}
BENCHMARK(ReplacePeakMemory)->Iterations(1)->Unit(benchmark::kSecond);

void StandardInputPeakMemory(benchmark::State& state)
{
    zpk::bench::TempFolder folder;
    const std::string container = folder.file("stream.zpk");
    writeLargeContainer(container, kStreamBytes);
    const std::string fifo = folder.file("fifo");
    zpk::bench::check(::mkfifo(fifo.c_str(), 0600) == 0, "mkfifo failed");
    std::int64_t peak = 0;
    for (auto _ : state) {
        // a writer of our own feeds the FIFO, so that the tool reads a stream with no length
        const pid_t writer = ::fork();
        if (writer == 0) {
            const int out = ::open(fifo.c_str(), O_WRONLY);
            std::ifstream in(container, std::ios::binary);
            std::vector<char> chunk(1 << 20);
            while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0)
                if (::write(out, chunk.data(), static_cast<std::size_t>(in.gcount())) < 0) ::_exit(1);
            ::_exit(0);
        }
        peak = peakOf({"list", "-"}, fifo);
        ::waitpid(writer, nullptr, 0);
    }
    const double ratio = static_cast<double>(peak) / static_cast<double>(kStreamBytes);
    state.counters["peak_per_stream"] = ratio;
    char text[200];
    std::snprintf(text, sizeof text, "peak %.1f MiB for a %lld MiB stream: %.3f x",
                  static_cast<double>(peak) / (1 << 20), static_cast<long long>(kStreamBytes >> 20), ratio);
    zpk::bench::recordFigure("zpk list - (a 1 GiB stream), peak memory", text);
}
BENCHMARK(StandardInputPeakMemory)->Iterations(1)->Unit(benchmark::kSecond);

// One entry of 4000 x 4000 pixels of 200 colours: noise, or rows of runs
// of 50 pixels.
zpk::WriterImage largeImage(bool noise)
{
    std::mt19937 random(7);
    std::vector<zpk::Rgb> colours;
    for (int i = 0; i < 200; ++i) colours.push_back({static_cast<std::uint8_t>(i), 40, 90});
    const int side = zpk::bench::kSide;
    zpk::WriterImage image{side, side, colours, Bytes(static_cast<std::size_t>(side) * side)};
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = static_cast<std::uint8_t>(noise ? random() % 200 : i / 50 % 200);
    return image;
}

void ExportPeakMemory(benchmark::State& state)
{
    const bool noise = state.range(0) == 1;
    zpk::bench::TempFolder folder;
    const std::string container = folder.file("large.zpk");
    {
        zpk::ContainerBuilder builder;
        builder.entry(largeImage(noise));
        zpk::bench::writeFileOrDie(container, zpk::bench::buildOrDie(builder));
    }
    std::int64_t peak = 0;
    for (auto _ : state) peak = peakOf({"export", "-q", container, "-o", folder.file("out.png")});
    const double mib = static_cast<double>(peak) / (1 << 20);
    const double target = noise ? kNoiseTargetMiB : kRunsTargetMiB;
    state.counters["peak_MiB"] = mib;
    char text[200];
    std::snprintf(text, sizeof text, "peak %.1f MiB for a %lld byte container: target <= %.1f MiB: %s", mib,
                  static_cast<long long>(fs::file_size(container)), target,
                  mib <= target ? "met" : "NOT MET");
    zpk::bench::recordFigure(noise ? "zpk export, one 4000x4000 entry of noise, peak memory"
                                   : "zpk export, one 4000x4000 entry of runs, peak memory",
                             text);
}
BENCHMARK(ExportPeakMemory)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) { return zpk::bench::runAndSummarise(argc, argv); }

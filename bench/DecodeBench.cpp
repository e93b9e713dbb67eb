// Whole-entry decoding of a 4000 x 4000 image (16,000,000 pixels, one byte
// each): decodeEntry from the loaded container to the decoded pixel buffer,
// allocation included, against the plainest way to produce the same
// 16,000,000 bytes.
//   literal   random pixel values, nearly all literals     vs memcpy  (>= 0.25)
//   runs      run codes of length 65535 only               vs memset  (>= 0.5)
//   sprite    sprites on a transparent background          vs memcpy  (>= 0.25)
// and the runs-only image at 1000, 2000 and 4000 pixels a side, to show that
// its time grows linearly with the pixel count.
#include "BenchSupport.h"

#include "decode/Decoder.h"

#include <cstring>
#include <map>
#include <string>

namespace zpk::bench {
namespace {

struct DecodeCase {
    ContainerFile file;
    Bytes expected;  // the pixels the entry decodes to, row by row
};

DecodeCase makeCase(const WriterImage& image) { return {singleImageContainer(image), image.pixels}; }

// Decodes once and compares with the pixels the case was built from, so
// that a benchmark never measures a decoder that stops early.
void verify(const DecodeCase& c, int side)
{
    Palette palette{};
    const DecodedImage image = decodeEntry(c.file, 0, palette);
    check(image.imageWidth == side && image.imageHeight == side, "decoded size");
    check(image.produced == static_cast<std::int64_t>(side) * side, "decoded pixel count");
    check(image.pixels == c.expected, "decoded pixels");
}

const DecodeCase& literalCase()
{
    static const DecodeCase c = [] {
        DecodeCase made = makeCase(randomImage(kSide, kSide, 1));
        verify(made, kSide);
        return made;
    }();
    return c;
}

const DecodeCase& spriteCase()
{
    static const DecodeCase c = [] {
        DecodeCase made = makeCase(spriteSheetImage(kSide, kSide, 2));
        verify(made, kSide);
        return made;
    }();
    return c;
}

const DecodeCase& runsCase(int side)
{
    static std::map<int, DecodeCase> cases;
    auto it = cases.find(side);
    if (it == cases.end()) {
        DecodeCase made{singleRawContainer(maximalRunsEntry(side, side)), maximalRunsPixels(side, side)};
        verify(made, side);
        it = cases.emplace(side, std::move(made)).first;
    }
    return it->second;
}

enum class Baseline { Memcpy, Memset };

void runDecode(benchmark::State& state, const DecodeCase& c, Baseline baseline, const std::string& label,
               double target)
{
    const std::size_t size = c.expected.size();
    Bytes destination(size, 1);
    PairedSamples samples;
    Palette palette{};
    for (auto _ : state) {
        samples.run(
            state,
            [&] {
                DecodedImage image = decodeEntry(c.file, 0, palette);
                benchmark::DoNotOptimize(image.pixels.data());
                benchmark::ClobberMemory();
            },
            [&] {
                if (baseline == Baseline::Memcpy) std::memcpy(destination.data(), c.expected.data(), size);
                else std::memset(destination.data(), c.expected[0], size);
                benchmark::DoNotOptimize(destination.data());
                benchmark::ClobberMemory();
            });
    }
    const std::int64_t pixels = static_cast<std::int64_t>(size);
    report(state, samples, label, baseline == Baseline::Memcpy ? "memcpy" : "memset", target, pixels, pixels);
    state.counters["stream_bytes"] = static_cast<double>(c.file.fileLength);
}

void BM_DecodeLiteral(benchmark::State& state)
{
    runDecode(state, literalCase(), Baseline::Memcpy, "decode 4000x4000 literal-heavy", 0.25);
}

void BM_DecodeRuns(benchmark::State& state)
{
    runDecode(state, runsCase(kSide), Baseline::Memset, "decode 4000x4000 maximal runs", 0.5);
}

void BM_DecodeSprite(benchmark::State& state)
{
    runDecode(state, spriteCase(), Baseline::Memcpy, "decode 4000x4000 sprite mix", 0.25);
}

// Runs only, side x side pixels: Complexity(oN) fits time against the pixel
// count.
void BM_DecodeRunsBySize(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    runDecode(state, runsCase(side), Baseline::Memset,
              "decode runs " + std::to_string(side) + "x" + std::to_string(side), 0);
    state.SetComplexityN(static_cast<std::int64_t>(side) * side);
}

BENCHMARK(BM_DecodeLiteral)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_DecodeRuns)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_DecodeSprite)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_DecodeRunsBySize)
    ->ArgName("side")
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace zpk::bench

int main(int argc, char** argv) { return zpk::bench::runAndSummarise(argc, argv); }

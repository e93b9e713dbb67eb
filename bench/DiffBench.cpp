// Comparing two containers of 255 game sprites of 256 x 256 (every eighth
// row drawn from another seed, so 32 rows differ) by pictures, as `zpk diff`
// does, with compareContainers on one thread; against the same decoding
// without the comparison: exportPicture of every row of both, one after the
// other, each picture dropped once made. Both sides decode and draw the
// same 510 entries; the subject also compares each pair of pictures.
//   compare 255 x 2 sprites   vs exportPicture of both   (>= 1 / 1.2 = 0.83)
// Run: build/bin/bench_diff
#include "BenchSupport.h"

#include "compare/Compare.h"
#include "export/EntryExport.h"

#include <random>

namespace zpk::bench {
namespace {

constexpr int kEntries = 255;
constexpr int kSpriteSide = 256;
constexpr int kChangedEvery = 8;  // rows 0, 8, 16, ... differ
constexpr double kTarget = 1.0 / 1.2;

struct Pair {
    ContainerFile a;
    ContainerFile b;
};

ContainerFile parsedOrDie(const ContainerBuilder& builder)
{
    auto file = parseContainer(buildOrDie(builder), "bench.zpk");
    check(file.has_value(), "the container parses");
    return std::move(*file);
}

const Pair& sprites()
{
    static const Pair pair = [] {
        ContainerBuilder a;
        ContainerBuilder b;
        for (int k = 0; k < kEntries; ++k) {
            const auto seed = static_cast<std::uint32_t>(500 + k);
            a.entry(spriteImage(kSpriteSide, kSpriteSide, seed));
            b.entry(spriteImage(kSpriteSide, kSpriteSide, k % kChangedEvery == 0 ? seed + 10000 : seed));
        }
        return Pair{parsedOrDie(a), parsedOrDie(b)};
    }();
    return pair;
}

void BM_DiffSprites(benchmark::State& state)
{
    const Pair& pair = sprites();
    const PictureOptions options;
    // what both sides must find: the rows drawn from another seed, and no other
    const ContainerComparison once = compareContainers(pair.a, pair.b, CompareBy::Pictures, options);
    int differing = 0;
    for (const RowDifference& row : once.rows) {
        check(row.differs() == (row.row % kChangedEvery == 0), "the rows drawn otherwise differ");
        differing += row.differs() ? 1 : 0;
    }
    check(once.complete && once.rows.size() == kEntries, "every row compared");

    std::int64_t sink = 0;
    PairedSamples samples;
    for (auto _ : state) {
        samples.run(
            state,
            [&] {
                const ContainerComparison result =
                    compareContainers(pair.a, pair.b, CompareBy::Pictures, options);
                sink += static_cast<std::int64_t>(result.rows.size());
            },
            [&] {
                for (int row = 0; row < kEntries; ++row) {
                    const auto a = exportPicture(pair.a, row, options);
                    const auto b = exportPicture(pair.b, row, options);
                    sink += static_cast<std::int64_t>(a->rgba.size() + b->rgba.size());
                }
            });
    }
    benchmark::DoNotOptimize(sink);
    const std::int64_t pixels = std::int64_t{2} * kEntries * kSpriteSide * kSpriteSide;
    report(state, samples, "compare 255 x 2 sprites 256x256 by pictures",
           "exportPicture of every row of both (the same decodes, no comparison)", kTarget, 0, pixels);
    state.counters["differing_rows"] = differing;
}

BENCHMARK(BM_DiffSprites)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
}  // namespace zpk::bench

int main(int argc, char** argv) { return zpk::bench::runAndSummarise(argc, argv); }

// Peak memory of `zpk export --all -j 4` over four names of one 256 MiB
// container, against the container's size. The workers share the file they
// export, and a file that does not fit the batch's byte budget next to
// another is read only when no other is held, so the peak should stay near
// one container plus one image per worker, whatever -j is.
// Target: peak RSS under 1.3 times the container's size.
//
// The container: 254 noise entries of 250 x 250 and a last entry of
// 1000 x 1000 behind which the file runs on to 256 MiB (the last entry runs
// to the end of the file; the decoder stops at width x height pixels).
// Run: build/bin/bench_batch_memory (it starts build/bin/zpk).
#include "BenchSupport.h"
#include "container/ContainerWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::int64_t kContainerBytes = 256ll << 20;
constexpr double kTarget = 1.3;

zpk::WriterImage noise(int side, std::mt19937& random)
{
    std::vector<zpk::Rgb> colours;
    for (int i = 0; i < 200; ++i) colours.push_back({static_cast<std::uint8_t>(i), 3, 5});
    zpk::WriterImage image{side, side, colours,
                           Bytes(static_cast<std::size_t>(side) * static_cast<std::size_t>(side))};
    for (auto& v : image.pixels) v = static_cast<std::uint8_t>(random() % colours.size());
    return image;
}

// Writes the container into `folder` under four names; returns the first.
std::vector<std::string> writeContainers(const fs::path& folder)
{
    std::mt19937 random(5);
    zpk::ContainerBuilder builder;
    for (int k = 0; k < 254; ++k) builder.entry(noise(250, random));
    builder.entry(noise(1000, random));
    auto bytes = builder.build();
    if (!bytes) {
        std::fprintf(stderr, "bench: the container does not build: %s\n", bytes.error().detail.c_str());
        std::exit(1);
    }
    bytes->resize(static_cast<std::size_t>(kContainerBytes), 0);
    const fs::path first = folder / "a.zpk";
    std::ofstream(first, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes->data()), kContainerBytes);
    std::vector<std::string> names{first.string()};
    for (const char* name : {"b.zpk", "c.zpk", "d.zpk"}) {
        fs::create_hard_link(first, folder / name);
        names.push_back((folder / name).string());
    }
    return names;
}

// Runs zpk and returns its peak resident set, in bytes.
std::int64_t peakOfExport(const std::vector<std::string>& files, const fs::path& out, const std::string& jobs)
{
    const std::string zpk = (fs::path(ZPK_BIN_DIR) / "zpk").string();
    std::vector<std::string> args{zpk, "export", "--all", "-q", "-j", jobs, "-o", out.string()};
    args.insert(args.end(), files.begin(), files.end());
    return zpk::bench::peakMemoryOf(std::move(args));
}

void BatchPeakMemory(benchmark::State& state)
{
    const fs::path folder = fs::temp_directory_path() / ("zpk-bench-memory-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const auto files = writeContainers(folder);
    const std::string jobs = std::to_string(state.range(0));
    std::int64_t peak = 0;
    for (auto _ : state) {
        fs::remove_all(folder / "out");
        peak = peakOfExport(files, folder / "out", jobs);
    }
    fs::remove_all(folder);
    const double ratio = static_cast<double>(peak) / static_cast<double>(kContainerBytes);
    state.counters["peak_MiB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["container_MiB"] = static_cast<double>(kContainerBytes) / (1 << 20);
    state.counters["peak_per_container"] = ratio;
    char text[160];
    std::snprintf(text, sizeof text, "peak %.1f MiB for a %lld MiB container: %.3f x (target < %.1f: %s)",
                  static_cast<double>(peak) / (1 << 20), static_cast<long long>(kContainerBytes >> 20), ratio,
                  kTarget, ratio < kTarget ? "met" : "NOT MET");
    zpk::bench::recordFigure("zpk export --all -j " + jobs + ", peak memory", text);
}
BENCHMARK(BatchPeakMemory)->Arg(1)->Arg(4)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) { return zpk::bench::runAndSummarise(argc, argv); }

#include "BenchSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

namespace zpk::bench {

namespace {

struct Recorded {
    std::string baselineName;
    double ratio = 0;
    double target = 0;
};

// Label -> the ratio of the last (the measured) call of that benchmark.
std::map<std::string, Recorded>& recorded()
{
    static std::map<std::string, Recorded> table;
    return table;
}

double median(std::vector<double> values)
{
    if (values.empty()) return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 == 1) return *middle;
    const double upper = *middle;
    const double lower = *std::max_element(values.begin(), middle);
    return (lower + upper) / 2;
}

std::uint8_t lowByte(int v) { return static_cast<std::uint8_t>(v & 0xFF); }
std::uint8_t highByte(int v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); }

}  // namespace

void check(bool ok, const char* what)
{
    if (ok) return;
    std::fprintf(stderr, "bench: setup failed: %s\n", what);
    std::abort();
}

TempFolder::TempFolder(const std::string& parent)
{
    const char* base = std::getenv("TMPDIR");
    const std::string folder = !parent.empty() ? parent : base != nullptr && *base != '\0' ? base : "/tmp";
    std::string pattern = folder + "/zpkbench.XXXXXX";
    check(::mkdtemp(pattern.data()) != nullptr, "cannot make a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void writeFileOrDie(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    check(out.good(), "cannot write a benchmark file");
}

std::vector<Rgb> greyColours()
{
    std::vector<Rgb> colours;
    for (int v = 0; v < 256; ++v) {
        const auto c = static_cast<std::uint8_t>(v);
        colours.push_back({c, c, c});
    }
    return colours;
}

WriterImage randomImage(int width, int height, std::uint32_t seed)
{
    WriterImage image{width, height, greyColours(), {}};
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::mt19937 rng(seed);
    for (auto& p : image.pixels) p = static_cast<std::uint8_t>(rng() >> 24);
    return image;
}

WriterImage spriteImage(int width, int height, std::uint32_t seed)
{
    WriterImage image{width, height, greyColours(), {}};
    image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    std::mt19937 rng(seed);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

    const int side = std::min(width, height);
    // about as many sprites as leave a third of the sheet as background
    const int sprites = std::max(1, static_cast<int>(static_cast<std::int64_t>(width) * height / 80000));
    for (int s = 0; s < sprites; ++s) {
        const int cx = uniform(0, width - 1);
        const int cy = uniform(0, height - 1);
        const int rx = uniform(std::max(2, side / 200), std::max(3, side / 25));
        const int ry = uniform(std::max(2, side / 200), std::max(3, side / 25));
        const int style = uniform(0, 3);
        const int base = uniform(1, 240);  // values 1 to 252: 0 stays the background
        for (int y = std::max(0, cy - ry); y <= std::min(height - 1, cy + ry); ++y) {
            const double t = static_cast<double>(y - cy) / ry;
            const int half = static_cast<int>(rx * std::sqrt(std::max(0.0, 1.0 - t * t)));
            std::uint8_t* line = image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            for (int x = std::max(0, cx - half); x <= std::min(width - 1, cx + half); ++x) {
                int v = base;
                switch (style) {
                case 0: break;                                              // solid
                case 1: v = base + ((y - cy + ry) / 8) % 4; break;          // bands
                case 2: v = base + ((x - cx + half) / 3) % 12; break;       // shading
                default: v = base + static_cast<int>(rng() % 6); break;     // texture
                }
                line[x] = static_cast<std::uint8_t>(v);
            }
        }
    }
    return image;
}

WriterImage figureImage(int width, int height, std::uint32_t seed)
{
    WriterImage image{width, height, greyColours(), {}};
    image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    std::mt19937 rng(seed);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto at = [&](int x, int y) -> std::uint8_t& {
        return image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    };

    // body, head, then four limbs: centres and radii as fractions of the image
    struct Part {
        double cx, cy, rx, ry;
    };
    const Part parts[] = {{0.50, 0.55, 0.30, 0.28}, {0.50, 0.20, 0.17, 0.15}, {0.20, 0.50, 0.10, 0.22},
                          {0.80, 0.50, 0.10, 0.22}, {0.38, 0.85, 0.11, 0.13}, {0.62, 0.85, 0.11, 0.13}};
    int part = 0;
    for (const Part& p : parts) {
        const int cx = static_cast<int>(p.cx * width) + uniform(-3, 3);
        const int cy = static_cast<int>(p.cy * height) + uniform(-3, 3);
        const int rx = std::max(2, static_cast<int>(p.rx * width));
        const int ry = std::max(2, static_cast<int>(p.ry * height));
        const int style = part == 0 ? 2 : uniform(0, 1);  // the body is shaded
        const int base = uniform(20, 230);
        for (int y = std::max(0, cy - ry); y <= std::min(height - 1, cy + ry); ++y) {
            const double t = static_cast<double>(y - cy) / ry;
            const int half = static_cast<int>(rx * std::sqrt(std::max(0.0, 1.0 - t * t)));
            const int left = std::max(0, cx - half);
            const int right = std::min(width - 1, cx + half);
            for (int x = left; x <= right; ++x) {
                int v = base;
                switch (style) {
                case 0: break;                                      // solid
                case 1: v = base + ((y - cy + ry) / 8) % 4; break;  // bands
                default: v = base + ((x - cx + half) / 8) % 6; break;  // shading
                }
                at(x, y) = static_cast<std::uint8_t>(v);
            }
            // the outline: one dark pixel at each end of the row
            at(left, y) = 1;
            at(right, y) = 1;
        }
        ++part;
    }
    // a textured patch (a face, a badge) in the middle of the body
    const int patchSide = std::max(1, std::min(width, height) / 10);
    const int px = width / 2 - patchSide / 2;
    const int py = static_cast<int>(0.55 * height) - patchSide / 2;
    for (int y = std::max(0, py); y < std::min(height, py + patchSide); ++y)
        for (int x = std::max(0, px); x < std::min(width, px + patchSide); ++x)
            at(x, y) = static_cast<std::uint8_t>(uniform(2, 250));
    return image;
}

Bytes maximalRunsEntry(int width, int height)
{
    Bytes entry{lowByte(width), highByte(width), lowByte(height), highByte(height), 0, 0};
    for (const Rgb& c : greyColours()) entry.insert(entry.end(), {c.red, c.green, c.blue});
    std::int64_t remaining = static_cast<std::int64_t>(width) * height;
    int value = 1;
    while (remaining > 0) {
        const int length = static_cast<int>(std::min<std::int64_t>(remaining, 65535));
        entry.insert(entry.end(), {0xFF, 0xFE, static_cast<std::uint8_t>(value), lowByte(length), highByte(length)});
        remaining -= length;
        value = value % 200 + 1;
    }
    return entry;
}

Bytes maximalRunsPixels(int width, int height)
{
    Bytes pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::int64_t remaining = static_cast<std::int64_t>(width) * height;
    int value = 1;
    while (remaining > 0) {
        const int length = static_cast<int>(std::min<std::int64_t>(remaining, 65535));
        pixels.insert(pixels.end(), static_cast<std::size_t>(length), static_cast<std::uint8_t>(value));
        remaining -= length;
        value = value % 200 + 1;
    }
    return pixels;
}

Bytes buildOrDie(const ContainerBuilder& builder)
{
    auto bytes = builder.build();
    if (!bytes) std::fprintf(stderr, "bench: %s\n", bytes.error().detail.c_str());
    check(bytes.has_value(), "the writer refused a benchmark image");
    return std::move(*bytes);
}

ContainerFile singleImageContainer(const WriterImage& image)
{
    auto file = parseContainer(buildOrDie(ContainerBuilder().entry(image)), "bench.zpk");
    check(file.has_value(), "a written container does not parse");
    return std::move(*file);
}

ContainerFile singleRawContainer(const Bytes& entry)
{
    auto file = parseContainer(buildOrDie(ContainerBuilder().rawEntry(entry)), "bench.zpk");
    check(file.has_value(), "a written container does not parse");
    return std::move(*file);
}

double PairedSamples::medianSubject() const { return median(m_subject); }
double PairedSamples::medianBaseline() const { return median(m_baseline); }

double PairedSamples::ratio() const
{
    const double s = medianSubject();
    return s > 0 ? medianBaseline() / s : 0;
}

void report(benchmark::State& state, const PairedSamples& samples, const std::string& label,
            const std::string& baselineName, double target, std::int64_t bytesPerIteration,
            std::int64_t pixelsPerIteration)
{
    const auto iterations = static_cast<double>(state.iterations());
    if (bytesPerIteration > 0) state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytesPerIteration);
    if (pixelsPerIteration > 0)
        state.counters["pixels/s"] = benchmark::Counter(iterations * static_cast<double>(pixelsPerIteration),
                                                        benchmark::Counter::kIsRate);
    state.counters["ratio"] = samples.ratio();
    state.counters["subject_ms"] = samples.medianSubject() * 1e3;
    state.counters["baseline_ms"] = samples.medianBaseline() * 1e3;
    if (bytesPerIteration > 0 && samples.medianBaseline() > 0)
        state.counters["baseline_B/s"] = benchmark::Counter(
            static_cast<double>(bytesPerIteration) / samples.medianBaseline(), benchmark::Counter::kDefaults,
            benchmark::Counter::kIs1024);
    recorded()[label] = {baselineName, samples.ratio(), target};
}

int runAndSummarise(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (!recorded().empty()) std::printf("\nSummary (ratio = median baseline time / median subject time):\n");
    for (const auto& [label, r] : recorded()) {
        if (r.target > 0) {
            std::printf("  %-44s %6.3f x %-22s target >= %.2f: %s\n", label.c_str(), r.ratio, r.baselineName.c_str(),
                        r.target, r.ratio >= r.target ? "met" : "NOT MET");
        } else {
            std::printf("  %-44s %6.3f x %-22s (no target)\n", label.c_str(), r.ratio, r.baselineName.c_str());
        }
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace zpk::bench

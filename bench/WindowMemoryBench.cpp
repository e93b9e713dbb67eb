// Memory of the viewer with its inspector open on a 4000 x 4000 entry: the
// peak resident set of this process (the window, the loaded file, the
// inspector's picture, painted), and whether it grows over 100 rounds of
// opening and closing the inspector and loading the file again. On Qt's
// offscreen platform, in this process: the peak is read from
// /proc/self/status (VmHWM), the resident set after each round from VmRSS.
//
// Targets: peak <= 80 MB; the resident set after round 100 within 2 MB of
// the one after round 10 (the first rounds fill caches: fonts, the
// allocator's pools).
#include "BenchSupport.h"

#include "support/ImageBuilder.h"

#include "window/MainWindow.h"
#include "window/inspector/InspectorWindow.h"
#include "window/menu/CanvasMenu.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <random>
#include <string>

namespace zpk::bench {
namespace {

constexpr int kSide = 4000;
constexpr int kRounds = 100;
constexpr double kPeakTarget = 80.0;   // MB
constexpr double kGrowthTarget = 2.0;  // MB

// A field of /proc/self/status, in kB.
long statusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return -1;
}

// Starts the peak over from the resident set now, so that making the test
// file does not count.
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

double megabytes(long kb) { return static_cast<double>(kb) * 1024.0 / 1e6; }

// 4000 x 4000 pixels of 200 colours in noise (every pixel a literal): the
// largest picture a container holds, and the most expensive to hold.
std::string writeContainer(const QString& folder)
{
    std::mt19937 random(7);
    std::vector<Rgb> colours;
    for (int i = 0; i < 200; ++i) colours.push_back({static_cast<std::uint8_t>(i), 40, 90});
    WriterImage image{kSide, kSide, colours,
                      std::vector<std::uint8_t>(static_cast<std::size_t>(kSide) * kSide)};
    for (auto& v : image.pixels) v = static_cast<std::uint8_t>(random() % colours.size());
    auto bytes = ContainerBuilder().entry(std::move(image)).build();
    if (!bytes) {
        std::fprintf(stderr, "bench: the container does not build\n");
        std::exit(1);
    }
    const std::string path = QDir(folder).filePath(QStringLiteral("large.zpk")).toStdString();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
    return path;
}

void settle()
{
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void BM_InspectorMemory(benchmark::State& state)
{
    QTemporaryDir folder;
    const std::string path = writeContainer(folder.path());
    double peak = 0;
    double afterTen = 0;
    double afterAll = 0;
    for (auto _ : state) {
        resetPeak();
        MainWindow window(folder.path());
        window.show();
        for (int round = 1; round <= kRounds; ++round) {
            window.loadPath(QByteArray::fromStdString(path));
            InspectorWindow* detail = window.canvasMenu()->openInspector();
            settle();
            detail->grab();  // painted, as on screen
            detail->close();
            settle();
            if (round == 10) afterTen = megabytes(statusKb("VmRSS"));
        }
        afterAll = megabytes(statusKb("VmRSS"));
        peak = megabytes(statusKb("VmHWM"));
    }
    state.counters["peak_MB"] = peak;
    state.counters["growth_MB"] = afterAll - afterTen;
    char text[256];
    std::snprintf(text, sizeof text, "%.1f MB (target <= %.0f: %s)", peak, kPeakTarget,
                  peak <= kPeakTarget ? "met" : "NOT MET");
    recordFigure("viewer + inspector on 4000x4000 noise, peak RSS", text);
    std::snprintf(text, sizeof text, "%+.2f MB from round 10 to round %d (target within %.0f: %s)",
                  afterAll - afterTen, kRounds, kGrowthTarget,
                  std::abs(afterAll - afterTen) <= kGrowthTarget ? "met" : "NOT MET");
    recordFigure("resident set over 100 open/close rounds", text);
}

BENCHMARK(BM_InspectorMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zpk::bench

int main(int argc, char** argv)
{
    mallopt(M_MMAP_THRESHOLD, 1 << 20);  // as zpkview's main() does
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return zpk::bench::runAndSummarise(argc, argv);
}

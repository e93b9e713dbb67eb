// The whole render in the viewer, to the pixels in the window: a click in
// List1 (selection change, render request, the busy gate, clear, decode,
// draw, focus), then the paint that puts the new image into the window's
// backing store, in the real main window on Qt's offscreen platform. The
// paint is forced at once with QWidget::repaint() of the canvas, which
// paints everything the click left to paint (the canvas, the list's rows,
// the buttons whose state changed) and flushes the backing store, as the
// event loop's update would; the test that it arrived reads the backing
// store's own image. The container holds two 376 x 448 figures, the
// largest image the 377 x 449 canvas shows whole, so that every click
// selects the other row and renders a whole image.
//
// The baseline, in the same program, plots each pixel with
// QPainter::drawPoint (the pen's colour set for each) onto a 377 x 449
// image and pumps the event queue (QCoreApplication::processEvents()) once
// per pixel, as a plain toolkit viewer would. It leaves out the decoding,
// the pumping such a viewer does while decoding, and the paint of its image
// into a window, so it is a lower bound of that viewer's cost.
//   render + paint   a click, then the window painted        vs drawPoint + pump  (>= 1000)
//   render           a click, the canvas's surface only      vs drawPoint + pump  (for information)
// bytes/s counts the entry's bytes in the file, pixels/s the image's pixels.
// One baseline sample takes a few hundred milliseconds, so each benchmark
// runs a fixed, small number of iterations; the subject renders many times
// per sample. Before each timed call, the events the last clicks posted are
// handled, untimed, so that neither side pays for the other's.
#include "BenchSupport.h"

#include "decode/Decoder.h"
#include "support/SurfacePixels.h"
#include "window/MainWindow.h"
#include "window/PictureCanvas.h"
#include "window/dialogs/WindowDialogs.h"

#include <QApplication>
#include <QBackingStore>
#include <QColor>
#include <QImage>
#include <QListWidget>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace zpk::bench {
namespace {

// A benchmark has nobody to answer a message box: a message is a failure.
class FailOnMessage : public QtDialogs {
public:
    void showMessage(QWidget*, const QString&, const QString& text) override
    {
        std::fprintf(stderr, "bench: %s\n", text.toLocal8Bit().constData());
        check(false, "the window showed a message");
    }
};

constexpr int kImageWidth = kCanvasWidth - 1;    // 376
constexpr int kImageHeight = kCanvasHeight - 1;  // 448
constexpr std::int64_t kImagePixels = static_cast<std::int64_t>(kImageWidth) * kImageHeight;
// Renders per sample of the subject: long enough for the clock, and an even
// number, so that each sample ends on the row it started from.
constexpr int kRendersPerSample = 40;

// The window with the container loaded, and what its canvas must show after
// a click on each row.
class Viewer {
public:
    Viewer()
    {
        const std::array<WriterImage, 2> figures = {figureImage(kImageWidth, kImageHeight, 21),
                                                    figureImage(kImageWidth, kImageHeight, 22)};
        const Bytes bytes = buildOrDie(ContainerBuilder().entry(figures[0]).entry(figures[1]));
        const std::string path = m_folder.file("render.zpk");
        writeFileOrDie(path, bytes);

        m_window = std::make_unique<MainWindow>(QString::fromStdString(m_folder.path()));
        m_window->setDialogs(std::make_shared<FailOnMessage>());
        m_window->show();
        m_window->loadFile(QString::fromStdString(path));
        QCoreApplication::processEvents();

        m_list = m_window->findChild<QListWidget*>(QStringLiteral("List1"));
        m_canvas = m_window->findChild<PictureCanvas*>(QStringLiteral("Picture1"));
        check(m_list != nullptr && m_canvas != nullptr, "List1 and Picture1");
        check(m_list->count() == 2 && m_window->renderCount() == 1, "the load rendered one entry of two");

        const ContainerFile& file = m_window->state().file;
        for (int row = 0; row < 2; ++row) {
            m_entryBytes[static_cast<std::size_t>(row)] = file.entryEnd(row) - file.entryOffset(row);
            Palette palette{};
            m_images[static_cast<std::size_t>(row)] = decodeEntry(file, row, palette);
            check(m_images[static_cast<std::size_t>(row)].pixels ==
                      figures[static_cast<std::size_t>(row)].pixels,
                  "decoded figure");
        }
        m_palette = m_window->state().palette;
        check(holds(0), "the load drew the first entry");

        // each click renders once, synchronously, and leaves its image
        // behind; a repaint puts it into the window
        for (const int row : {1, 0, 1, 0}) {
            const int before = m_window->renderCount();
            click(row);
            check(m_window->renderCount() == before + 1, "one render per click");
            check(holds(row), "the canvas holds the clicked entry's image");
            m_canvas->repaint();
            check(shows(), "the window shows the clicked entry's image");
        }
    }

    void click(int row) { m_list->setCurrentRow(row); }
    int renderCount() const { return m_window->renderCount(); }
    PictureCanvas& canvas() { return *m_canvas; }
    const DecodedImage& image(int row) const { return m_images[static_cast<std::size_t>(row)]; }
    const Palette& palette() const { return m_palette; }
    std::int64_t entryBytes(int row) const { return m_entryBytes[static_cast<std::size_t>(row)]; }

    // Whether the window's backing store shows the canvas's surface at the
    // canvas's place, pixel for pixel: the paint arrived.
    bool shows() const
    {
        QBackingStore* store = m_window->backingStore();
        check(store != nullptr && store->paintDevice() != nullptr &&
                  store->paintDevice()->devType() == QInternal::Image,
              "the window's backing store is an image");
        const QImage& window = *static_cast<const QImage*>(store->paintDevice());
        const QPoint at = m_canvas->mapTo(m_window.get(), QPoint(0, 0));
        const QImage shown = window.copy(QRect(at, m_canvas->size())).convertToFormat(QImage::Format_RGB32);
        const Surface& surface = m_canvas->surface();
        if (shown.width() != surface.width() || shown.height() != surface.height()) return false;
        for (int y = 0; y < surface.height(); ++y) {
            const auto* line = reinterpret_cast<const std::uint32_t*>(shown.constScanLine(y));
            if (!std::equal(line, line + surface.width(), surface.scanLine(y))) return false;
        }
        return true;
    }

    // Whether the canvas's surface is the cleared canvas with the image of
    // `row` at offset 1, 1, pixel for pixel.
    bool holds(int row) const
    {
        const Surface& surface = m_canvas->surface();
        const DecodedImage& im = image(row);
        for (int y = 0; y < surface.height(); ++y) {
            for (int x = 0; x < surface.width(); ++x) {
                const Colour expected =
                    x >= 1 && y >= 1 ? m_palette[static_cast<std::size_t>(im.at(x - 1, y - 1)) + 2] : kWhite;
                if (zpk::testing::pixelAt(surface, x, y) != expected) return false;
            }
        }
        return true;
    }

private:
    TempFolder m_folder;
    std::unique_ptr<MainWindow> m_window;
    QListWidget* m_list = nullptr;
    PictureCanvas* m_canvas = nullptr;
    std::array<DecodedImage, 2> m_images;
    std::array<std::int64_t, 2> m_entryBytes{};
    Palette m_palette{};
};

// Made on first use and ended by main, while the application still exists.
std::unique_ptr<Viewer>& viewerSlot()
{
    static std::unique_ptr<Viewer> slot;
    return slot;
}

Viewer& viewer()
{
    if (!viewerSlot()) viewerSlot() = std::make_unique<Viewer>();
    return *viewerSlot();
}

// The baseline's one image: a point per pixel, the event queue pumped for
// each.
void plotPointByPoint(QImage& target, const DecodedImage& image, const Palette& palette)
{
    target.fill(Qt::white);
    QPainter painter(&target);
    for (int y = 0; y < image.clippedHeight; ++y) {
        for (int x = 0; x < image.clippedWidth; ++x) {
            QCoreApplication::processEvents();
            const Colour c = palette[static_cast<std::size_t>(image.at(x, y)) + 2];
            painter.setPen(QColor(static_cast<int>(redOf(c)), static_cast<int>(greenOf(c)),
                                  static_cast<int>(blueOf(c))));
            painter.drawPoint(x + 1, y + 1);
        }
    }
}

// The baseline draws what the render draws: checked once.
void verifyBaseline(Viewer& v)
{
    QImage target(kCanvasWidth, kCanvasHeight, QImage::Format_RGB32);
    plotPointByPoint(target, v.image(0), v.palette());
    for (int y = 0; y < kCanvasHeight; ++y) {
        for (int x = 0; x < kCanvasWidth; ++x) {
            const Colour expected =
                x >= 1 && y >= 1 ? v.palette()[static_cast<std::size_t>(v.image(0).at(x - 1, y - 1)) + 2]
                                 : kWhite;
            check(target.pixel(x, y) == toArgb(expected), "the baseline's image");
        }
    }
}

enum class Paint { No, Yes };

void runRender(benchmark::State& state, Paint paint, const std::string& label, double target)
{
    Viewer& v = viewer();
    verifyBaseline(v);

    QImage baselineTarget(kCanvasWidth, kCanvasHeight, QImage::Format_RGB32);
    const int rendersBefore = v.renderCount();
    PairedSamples samples;
    samples.setUnits(kRendersPerSample, 1);
    for (auto _ : state) {
        samples.runSettled(
            state, [] { QCoreApplication::processEvents(); },
            [&] {
                for (int i = 1; i <= kRendersPerSample; ++i) {
                    v.click(i % 2);
                    if (paint == Paint::Yes) v.canvas().repaint();
                }
            },
            [&] { plotPointByPoint(baselineTarget, v.image(0), v.palette()); });
    }
    check(v.renderCount() - rendersBefore == static_cast<int>(state.iterations()) * kRendersPerSample,
          "every click rendered");
    check(v.holds(0), "the canvas holds the image after the last click");
    if (paint == Paint::Yes) check(v.shows(), "the window shows the image after the last click");
    report(state, samples, label, "drawPoint + processEvents per pixel", target,
           (v.entryBytes(0) + v.entryBytes(1)) / 2, kImagePixels);
}

void BM_RenderClickAndPaint(benchmark::State& state)
{
    runRender(state, Paint::Yes, "render + paint 376x448, click in List1", 1000);
}

void BM_RenderClick(benchmark::State& state)
{
    runRender(state, Paint::No, "render 376x448 (surface only), click", 0);
}

BENCHMARK(BM_RenderClickAndPaint)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(9);
BENCHMARK(BM_RenderClick)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(9);

}  // namespace
}  // namespace zpk::bench

int main(int argc, char** argv)
{
    // no display needed: the window is made, shown and painted off screen
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int status = zpk::bench::runAndSummarise(argc, argv);
    zpk::bench::viewerSlot().reset();  // the window goes before the application
    return status;
}

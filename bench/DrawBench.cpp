// Drawing a decoded image: the pixel values of a 376 x 448 figure (the
// largest image the 377 x 449 canvas shows whole, at offset 1, 1) through
// the palette onto the canvas's 32-bit surface, with "drop first" off and
// on; and the RGBA image an export writes, from the same pixels. Each is
// timed against a plain loop over the same rows into a buffer of the same
// layout, with a 256-entry table of 32-bit colours made beforehand:
//   drop first off   out[x] = colours[v]              for every value
//   drop first on    if (v) out[x] = colours[v];      value 0 is skipped
// so that each side does the same work, the baseline the plainest way.
//   draw  drop first off / on    vs plain loop over the canvas's rows  (>= 0.8)
//   rgba  drop first off / on    vs plain loop over the image's rows   (for information)
// bytes/s counts the pixel values read (one byte per image pixel), pixels/s
// the image pixels handled, drawn or dropped.
#include "BenchSupport.h"

#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "draw/Surface.h"
#include "support/SurfacePixels.h"

#include <array>
#include <string>

namespace zpk::bench {
namespace {

constexpr int kImageWidth = kCanvasWidth - 1;    // 376
constexpr int kImageHeight = kCanvasHeight - 1;  // 448
// Draws per sample: one draw takes a few hundred microseconds at most, so a
// sample of 64 is long enough for the clock and short enough to repeat.
constexpr int kDrawsPerSample = 64;

struct DrawCase {
    DecodedImage image;
    Palette palette{};
};

const DrawCase& drawCase()
{
    static const DrawCase c = [] {
        const WriterImage figure = figureImage(kImageWidth, kImageHeight, 11);
        const ContainerFile file = singleImageContainer(figure);
        DrawCase made;
        made.image = decodeEntry(file, 0, made.palette);
        check(made.image.produced == static_cast<std::int64_t>(kImageWidth) * kImageHeight,
              "decoded pixel count");
        check(made.image.pixels == figure.pixels, "decoded pixels");
        return made;
    }();
    return c;
}

// Draws once on a cleared canvas and compares every surface pixel with the
// image, so that a benchmark never measures a draw that skips pixels.
void verifyDraw(const DrawCase& c, DropFirst dropFirst)
{
    Surface surface(kCanvasWidth, kCanvasHeight);
    drawImage(surface, c.image, c.palette, dropFirst);
    for (int y = 0; y < kCanvasHeight; ++y) {
        for (int x = 0; x < kCanvasWidth; ++x) {
            Colour expected = kWhite;
            if (x >= 1 && y >= 1) {
                const std::uint8_t v = c.image.at(x - 1, y - 1);
                if (v != 0 || dropFirst == DropFirst::Off)
                    expected = c.palette[static_cast<std::size_t>(v) + 2];
            }
            check(zpk::testing::pixelAt(surface, x, y) == expected, "drawn surface pixel");
        }
    }
}

void verifyRgba(const DrawCase& c, DropFirst dropFirst)
{
    const RgbaImage out = renderRgba(c.image, c.palette, dropFirst);
    check(out.width == kImageWidth && out.height == kImageHeight, "RGBA size");
    for (int y = 0; y < kImageHeight; ++y) {
        for (int x = 0; x < kImageWidth; ++x) {
            const std::uint8_t v = c.image.at(x, y);
            const std::uint8_t* p =
                out.rgba.data() +
                (static_cast<std::size_t>(y) * kImageWidth + static_cast<std::size_t>(x)) * 4;
            if (v == 0 && dropFirst == DropFirst::On) {
                check(p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 0, "dropped RGBA pixel");
                continue;
            }
            const Colour colour = c.palette[static_cast<std::size_t>(v) + 2];
            check(p[0] == redOf(colour) && p[1] == greenOf(colour) && p[2] == blueOf(colour) && p[3] == 255,
                  "RGBA pixel");
        }
    }
}

// The baseline: the image's rows through a 256-entry table of 32-bit
// colours, into `out` with `stride` pixels a row from (`left`, `top`); with
// "drop first" on, value 0 is skipped, pixel by pixel. The sizes and the
// table are local copies: a 32-bit store through `row` could otherwise
// alias them and make the compiler reload them for every pixel.
void plainLoop(const DecodedImage& image, std::uint32_t* out, int stride, int left, int top,
               const std::array<std::uint32_t, 256>& table, DropFirst dropFirst)
{
    const std::array<std::uint32_t, 256> colours = table;
    const int width = image.clippedWidth;
    const int height = image.clippedHeight;
    const std::uint8_t* values = image.pixels.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* line = values + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        std::uint32_t* row =
            out + static_cast<std::size_t>(y + top) * static_cast<std::size_t>(stride) + left;
        if (dropFirst == DropFirst::On) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t v = line[x];
                if (v) row[x] = colours[v];
            }
        } else {
            for (int x = 0; x < width; ++x) row[x] = colours[line[x]];
        }
    }
}

// Where the baseline writes: a canvas of `width` x `height` pixels with
// the image at (`left`, `top`).
struct BaselineLayout {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
};

template <typename Subject>
void runAgainstPlainLoop(benchmark::State& state, const DrawCase& c, DropFirst dropFirst,
                         const BaselineLayout& layout, Subject&& subject, const std::string& label,
                         const std::string& baselineName, double target)
{
    const std::size_t count = c.image.pixels.size();
    const auto colours = pixelColours(c.palette);
    std::vector<std::uint32_t> out(
        static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.height), 0xFFFFFFFFu);
    // the baseline draws what the subject draws: checked once, on a fresh buffer
    plainLoop(c.image, out.data(), layout.width, layout.left, layout.top, colours, dropFirst);
    for (int y = 0; y < c.image.clippedHeight; ++y) {
        for (int x = 0; x < c.image.clippedWidth; ++x) {
            const std::uint8_t v = c.image.at(x, y);
            const std::uint32_t expected = v != 0 || dropFirst == DropFirst::Off ? colours[v] : 0xFFFFFFFFu;
            check(out[static_cast<std::size_t>(y + layout.top) * static_cast<std::size_t>(layout.width) +
                      static_cast<std::size_t>(x + layout.left)] == expected,
                  "the baseline's pixel");
        }
    }
    PairedSamples samples;
    samples.setUnits(kDrawsPerSample, kDrawsPerSample);
    for (auto _ : state) {
        samples.run(
            state,
            [&] {
                for (int i = 0; i < kDrawsPerSample; ++i) subject();
            },
            [&] {
                for (int i = 0; i < kDrawsPerSample; ++i) {
                    plainLoop(c.image, out.data(), layout.width, layout.left, layout.top, colours, dropFirst);
                    benchmark::DoNotOptimize(out.data());
                    benchmark::ClobberMemory();
                }
            });
    }
    const auto pixels = static_cast<std::int64_t>(count);
    report(state, samples, label, baselineName, target, pixels, pixels);
}

DropFirst dropFirstOf(const benchmark::State& state)
{
    return state.range(0) != 0 ? DropFirst::On : DropFirst::Off;
}

std::string dropFirstName(DropFirst dropFirst)
{
    return dropFirst == DropFirst::On ? "drop first on" : "drop first off";
}

// The baseline as the summary names it.
std::string plainLoopName(DropFirst dropFirst, const char* rows)
{
    return std::string(dropFirst == DropFirst::On ? "if (v) out[x] = colours[v]" : "out[x] = colours[v]") +
           " over the " + rows + "'s rows";
}

// The canvas as a render leaves it: the surface is not cleared between
// draws (a clear is the render's step before decoding, not the drawing's).
void BM_DrawCanvas(benchmark::State& state)
{
    const DrawCase& c = drawCase();
    const DropFirst dropFirst = dropFirstOf(state);
    verifyDraw(c, dropFirst);
    Surface surface(kCanvasWidth, kCanvasHeight);
    runAgainstPlainLoop(
        state, c, dropFirst, {kCanvasWidth, kCanvasHeight, 1, 1},
        [&] {
            drawImage(surface, c.image, c.palette, dropFirst);
            benchmark::DoNotOptimize(surface.data());
            benchmark::ClobberMemory();
        },
        "draw 376x448 on canvas, " + dropFirstName(dropFirst), plainLoopName(dropFirst, "canvas"), 0.8);
}

// The export's RGBA image, allocation included (the export makes a new one
// for every entry).
void BM_RenderRgba(benchmark::State& state)
{
    const DrawCase& c = drawCase();
    const DropFirst dropFirst = dropFirstOf(state);
    verifyRgba(c, dropFirst);
    runAgainstPlainLoop(
        state, c, dropFirst, {kImageWidth, kImageHeight, 0, 0},
        [&] {
            RgbaImage out = renderRgba(c.image, c.palette, dropFirst);
            benchmark::DoNotOptimize(out.rgba.data());
            benchmark::ClobberMemory();
        },
        "rgba 376x448 for export, " + dropFirstName(dropFirst), plainLoopName(dropFirst, "image"), 0);
}

BENCHMARK(BM_DrawCanvas)
    ->ArgName("drop_first")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(40);
BENCHMARK(BM_RenderRgba)
    ->ArgName("drop_first")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(40);

}  // namespace
}  // namespace zpk::bench

int main(int argc, char** argv) { return zpk::bench::runAndSummarise(argc, argv); }

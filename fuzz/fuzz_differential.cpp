// The real decoder against the plain reference beside it, on the same bytes
// and options: every row in turn on one palette each, then the drawing of
// every row onto two canvases. Width, height, the entry bounds, runExtra,
// where the palette and the stream end, the produced pixels, palette
// entries 0 to 257 and the canvas must all agree.
#include "FuzzSupport.h"
#include "ReferenceDecoder.h"

#include "container/Container.h"
#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "draw/Surface.h"

#include <algorithm>
#include <cstring>

using namespace zpk;
using namespace zpk::fuzz;

namespace {

// The reference walks byte by byte and pixel by pixel; rows past this much
// work per input are left out, so that the target proper does work in
// proportion to the input and the large build stays well inside the
// timeout while still reaching an image clipped on both sides.
constexpr std::int64_t kLargeWorkBudget = 2 * kClippedImageBytes;

// The reference's drawing: cell (x, y), from 1, onto canvas point (x, y).
void referenceDraw(std::vector<std::uint32_t>& canvas, const reference::Image& image,
                   const reference::Palette& palette, bool dropFirst)
{
    if (!image.hasData) return;
    std::int64_t k = 0;
    for (int y = 1; y <= image.height; ++y) {
        for (int x = 1; x <= image.width; ++x) {
            ++k;
            if (k > image.pixelCount) return;  // not produced: not drawn
            if (x > kMaxGridSide || y > kMaxGridSide) continue;
            const int v =
                image.pixels[static_cast<std::size_t>(y - 1) * static_cast<std::size_t>(image.storedWidth) +
                             static_cast<std::size_t>(x - 1)];
            if (dropFirst && v == 0) continue;
            if (x >= kCanvasWidth || y >= kCanvasHeight) continue;
            const std::uint32_t c = palette[static_cast<std::size_t>(v + 2)];
            canvas[static_cast<std::size_t>(y) * kCanvasWidth + static_cast<std::size_t>(x)] =
                0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
        }
    }
}

void compareImages(const DecodedImage& got, const reference::Image& want, int row)
{
    FUZZ_CHECK_EQ(got.hasData, want.hasData);
    if (!want.hasData) return;
    FUZZ_CHECK_EQ(got.imageWidth, want.width);
    FUZZ_CHECK_EQ(got.imageHeight, want.height);
    FUZZ_CHECK_EQ(got.entryStart, want.entryStart);
    FUZZ_CHECK_EQ(got.entryEnd, want.entryEnd);
    FUZZ_CHECK_EQ(got.runExtra, want.runExtra);
    FUZZ_CHECK_EQ(got.streamStart, want.paletteEnd);
    FUZZ_CHECK_EQ(got.storedColours, want.tripletsRead);
    FUZZ_CHECK_EQ(got.streamEnd, want.streamEnd);
    FUZZ_CHECK_EQ(got.runCodes, want.runCodes);
    FUZZ_CHECK_EQ(got.produced, want.pixelCount);
    FUZZ_CHECK_EQ(got.clippedWidth, want.storedWidth);
    FUZZ_CHECK_EQ(got.clippedHeight, want.storedHeight);
    FUZZ_CHECK_EQ(got.pixels.size(), want.pixels.size());
    const auto mismatch = std::mismatch(got.pixels.begin(), got.pixels.end(), want.pixels.begin());
    if (mismatch.first != got.pixels.end()) {
        const auto i = mismatch.first - got.pixels.begin();
        std::fprintf(stderr, "row %d: stored pixel %lld is %d, the reference has %d\n", row,
                     static_cast<long long>(i), *mismatch.first, *mismatch.second);
        FUZZ_CHECK(got.pixels == want.pixels);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const RenderInput in = splitRenderInput(data, size);

    const reference::Container ref = reference::load(in.container);
    auto parsed = parseContainer(fileContents(in.container), "fuzz.zpk");
    FUZZ_CHECK_EQ(parsed.has_value(), ref.headerFits);
    if (!parsed) {
        FUZZ_CHECK(parsed.error().code == ErrorCode::TooShort);
        FUZZ_CHECK_EQ(parsed.error().neededLength, ref.neededLength);
        return 0;
    }
    const ContainerFile& file = *parsed;
    FUZZ_CHECK_EQ(file.rowCount(), static_cast<int>(ref.items.size()));
    for (std::size_t row = 0; row < ref.items.size(); ++row)
        FUZZ_CHECK(file.listTexts[row] == ref.items[row]);

    const PictureOptions options{in.userColor, in.boxes[0],    in.boxes[1],
                                 in.boxes[2],  DropFirst::Off, OutputForm::Rgba};
    const reference::Options refOptions{in.userColor, in.boxes};
    Palette palette{};
    // the reference's 100,000 entries also serve every input: an empty
    // palette is all zeros
    static reference::Palette refPalette = reference::emptyPalette();
    std::memset(refPalette.data(), 0, refPalette.size() * sizeof refPalette[0]);
    // both canvases serve every input, cleared at its start (a fresh
    // allocation per input would cost more page faults than the drawing);
    // white is four bytes of 0xFF, so the reference canvas is cleared by memset
    static Surface canvas(kCanvasWidth, kCanvasHeight);
    static std::vector<std::uint32_t> refCanvas(static_cast<std::size_t>(kCanvasWidth) * kCanvasHeight);
    const auto clearReference = [] { std::memset(refCanvas.data(), 0xFF, refCanvas.size() * 4); };
    canvas.clear();
    clearReference();

    int rows = 0;
    for (std::int64_t budget = kLargeImages ? kLargeWorkBudget : pixelBudget(size); rows < file.rowCount();
         ++rows) {
        budget -= reference::workBound(ref, rows);
        if (budget < 0) break;
    }
    for (int row = 0; row < rows; ++row) {
        const DecodedImage got = decodeEntry(file, row, palette, options);
        const reference::Image want = reference::decode(ref, row, refPalette, refOptions);
        compareImages(got, want, row);
        for (std::size_t i = 0; i < palette.size(); ++i) {
            if (palette[i] != refPalette[i]) {
                std::fprintf(stderr, "row %d: palette entry %zu\n", row, i);
                FUZZ_CHECK_EQ(palette[i], refPalette[i]);
            }
        }

        // a clear before every row leaves the same last canvas as one before
        // the last row, at two 700 KB memsets a row less
        if (in.clear && row == rows - 1) {
            canvas.clear();
            clearReference();
        }
        drawImage(canvas, got, palette, in.dropFirst ? DropFirst::On : DropFirst::Off);
        referenceDraw(refCanvas, want, refPalette, in.dropFirst);
    }
    // what one row draws wrong stays on the canvas unless a later row covers it
    FUZZ_CHECK(std::equal(refCanvas.begin(), refCanvas.end(), canvas.data()));
    return 0;
}

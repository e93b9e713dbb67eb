// The viewer's whole path on arbitrary bytes: load, then decode and draw
// every row in turn on one palette and one canvas, as clicks in List1 would,
// with the options and box texts the input chooses.
#include "FuzzSupport.h"

#include "container/Container.h"
#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "draw/Surface.h"

#include <algorithm>
#include <vector>

using namespace zpk;
using namespace zpk::fuzz;

namespace {

// The large build decodes every row of a million pixels or less, and two
// larger ones: past them the fuzzer would spend its time in the page
// allocator. The target proper skips any row past its pixel budget.
constexpr std::int64_t kLargeRow = 1 << 20;
constexpr std::int64_t kLargeRowsBudget = 2 * kClippedImageBytes;

// The stored size of a row's image, from its width and height bytes.
std::int64_t storedPixels(const ContainerFile& file, int row)
{
    const auto size = file.reader().span(file.entryStart(row) - 3, 4);
    if (size.empty()) return 0;
    const int width = static_cast<std::int16_t>(size[0] | (size[1] << 8));
    const int height = static_cast<std::int16_t>(size[2] | (size[3] << 8));
    if (width < 1 || height < 1) return 0;
    return static_cast<std::int64_t>(std::min(width, kMaxGridSide)) * std::min(height, kMaxGridSide);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const RenderInput in = splitRenderInput(data, size);
    const auto length = static_cast<std::int64_t>(in.container.size());

    AllocationTracker tracker;
    {
        ViewerState state;
        auto parsed = parseContainer(fileContents(in.container), "fuzz.zpk");
        if (!parsed) return 0;
        state.file = std::move(*parsed);
        const ContainerFile& file = state.file;

        const PictureOptions options{in.userColor, in.boxes[0],    in.boxes[1],
                                     in.boxes[2],  DropFirst::Off, OutputForm::Rgba};
        const DropFirst dropFirst = in.dropFirst ? DropFirst::On : DropFirst::Off;
        // one canvas for all inputs, as the viewer keeps one: a fresh
        // allocation per input would cost more page faults than the drawing
        static Surface canvas(kCanvasWidth, kCanvasHeight);
        canvas.clear();

        std::vector<int> rows;
        std::int64_t budget = kLargeImages ? kLargeRowsBudget : pixelBudget(size);
        for (int row = 0; row < file.rowCount(); ++row) {
            const std::int64_t stored = storedPixels(file, row);
            if (!kLargeImages || stored > kLargeRow) {
                if (stored > budget) continue;
                budget -= stored;
            }
            rows.push_back(row);
        }
        for (const int row : rows) {
            // a clear before every row leaves the same last canvas as one
            // before the last row, at a 700 KB memset a row less
            if (in.clear && row == rows.back()) canvas.clear();
            const Palette before = state.palette;
            {
                const DecodedImage image = decodeEntry(file, row, state.palette, options);
                FUZZ_CHECK_EQ(image.row, row);
                FUZZ_CHECK(image.produced >= 0);
                FUZZ_CHECK(image.produced <= image.pixelCount());
                FUZZ_CHECK(image.clippedWidth >= 0 && image.clippedWidth <= kMaxGridSide);
                FUZZ_CHECK(image.clippedHeight >= 0 && image.clippedHeight <= kMaxGridSide);
                FUZZ_CHECK_EQ(image.pixels.size(), static_cast<std::size_t>(image.clippedWidth) *
                                                       static_cast<std::size_t>(image.clippedHeight));
                FUZZ_CHECK(image.streamEnd <= length + 1);
                FUZZ_CHECK(image.streamStart <= image.streamEnd);
                FUZZ_CHECK_EQ(state.palette[0], 0u);  // entry 0 is never written
                if (!image.hasData) {
                    FUZZ_CHECK_EQ(image.produced, 0);
                    FUZZ_CHECK(state.palette == before);
                } else {
                    FUZZ_CHECK(image.entryStart <= length);  // the height's high byte lies inside
                    FUZZ_CHECK(image.imageWidth >= -32768 && image.imageWidth <= 32767);
                    FUZZ_CHECK(image.imageHeight >= -32768 && image.imageHeight <= 32767);
                    FUZZ_CHECK(image.streamStart > image.entryStart);
                    FUZZ_CHECK(image.streamStart <= std::max(length, image.entryStart + 1));
                    if (image.pixelCount() > 0) {
                        FUZZ_CHECK_EQ(image.clippedWidth, std::min(image.imageWidth, kMaxGridSide));
                        FUZZ_CHECK_EQ(image.clippedHeight, std::min(image.imageHeight, kMaxGridSide));
                    } else {
                        FUZZ_CHECK(image.pixels.empty());
                    }
                }
                drawImage(canvas, image, state.palette, dropFirst);

                if (AllocationTracker::measures()) {
                    // the file, its zero byte, one clipped image, the canvas
                    FUZZ_CHECK(tracker.peakBytes() <= length + 1 + kClippedImageBytes + kSmallConstant);
                }
            }
        }
        // the canvas keeps its size and opaque pixels
        FUZZ_CHECK_EQ(canvas.width(), kCanvasWidth);
        for (int y = 0; y < canvas.height(); y += 37)
            FUZZ_CHECK((canvas.scanLine(y)[y % kCanvasWidth] >> 24) == 0xFF);
    }
    return 0;
}

// Decoding one entry: width, height, colour triplets, pixel stream.
//
// An entry with first byte D (its list text is entryStart = D + 3) reads:
//   D, D+1      width, low byte then high byte, a signed 16-bit value
//   D+2, D+3    height, the same way
//   D+3 on      colour triplets red, green, blue; triplet k becomes palette
//               entry k, so triplet 1 begins on the height's high byte and
//               pixel value v takes the triplet at D + 6 + 3v (entry v + 2)
//   then        the pixel stream up to the entry's end: the five bytes
//               0xFF 0xFE v lengthLow lengthHigh are a run of `length` pixels
//               of value v; every other byte is one pixel of its value
// The palette's length is not stored: it ends at the first 0xFF 0xFE pair
// behind entryStart, or where a stream ending at the entry's end would have
// to begin to give exactly width x height pixels, whichever comes first.
#pragma once

#include "state/PictureOptions.h"
#include "state/ViewerState.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace zpk {

// The grid holds columns and rows 1 to 4000: pixels past that are counted
// but neither stored nor drawn.
constexpr int kMaxGridSide = 4000;

// Width and height as an entry gives them: signed 16-bit values.
struct EntrySize {
    int width = 0;
    int height = 0;
};

struct DecodedImage {
    int row = 0;
    // False when no file is loaded, the row does not exist, or the entry's
    // width and height bytes lie past the end of the file.
    bool hasData = false;
    int imageWidth = 0;   // signed 16-bit
    int imageHeight = 0;  // signed 16-bit
    std::int64_t entryStart = 0;
    std::int64_t entryEnd = 0;
    std::int64_t runExtra = 0;       // growth of the run codes, as the pre-scan counts it
    std::int64_t streamStart = 0;    // where the palette loop stopped
    std::int64_t streamEnd = 0;      // the byte behind the last code or literal decoded
    std::int64_t storedColours = 0;  // complete triplets the palette loop read
    std::int64_t runCodes = 0;       // run codes the pixel loop expanded
    // Pixels 1 to `produced` (in row order) hold values; the rest are empty.
    std::int64_t produced = 0;
    // The stored part of the image: columns and rows clipped to 1..4000.
    int clippedWidth = 0;
    int clippedHeight = 0;
    std::vector<std::uint8_t> pixels;  // clippedWidth x clippedHeight, row-major; 0 where empty

    // width x height when both are at least 1, else 0.
    std::int64_t pixelCount() const
    {
        return imageWidth > 0 && imageHeight > 0 ? static_cast<std::int64_t>(imageWidth) * imageHeight : 0;
    }
    // Whether pixel (x, y), 0-based, was produced by the stream.
    bool isProduced(int x, int y) const { return static_cast<std::int64_t>(y) * imageWidth + x < produced; }
    std::uint8_t at(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(clippedWidth) +
                      static_cast<std::size_t>(x)];
    }
};

// Decodes the entry of list row `row` of `file`, updating `palette` in place
// (stored triplets, or the external palette of the options, then the ramp).
// Entries of the palette that this entry does not reach keep their earlier
// colours. Of the options only the colours (ramp, external palette) matter
// here.
DecodedImage decodeEntry(const ContainerFile& file, int row, Palette& palette,
                         const PictureOptions& options = {});

// The width and height of the entry of list row `row`, read from its first
// four bytes; nothing when any of them lies past the end of the file (the
// entry has no data) or the row does not exist.
std::optional<EntrySize> entrySize(const ContainerFile& file, int row);

// The width and height an entry's first four bytes give.
EntrySize entrySizeFrom(const std::array<std::uint8_t, 4>& head);

}  // namespace zpk

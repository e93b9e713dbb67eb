// A deliberately plain decoder, kept beside the fuzz targets to check the
// real one against. It follows the format's steps literally, one byte at a
// time, with a palette of 100,000 entries and no shortcut of any kind; it
// shares no code with src/ but the layout of a colour value.
//
// Where the file ends, it does what the viewer decided:
//   - an entry whose width and height bytes lie past the buffer has no data;
//   - the pre-scan adds nothing for a pair whose length bytes lie past it;
//   - a pair test that would read past the buffer stops the palette loop and
//     the pixel loop, and so does a run code whose value or length bytes
//     lie past it;
//   - the pixel loop does not run for a width or height below 1, and stops
//     as soon as the pixel count reaches or passes width x height;
//   - pixels are stored for columns and rows 1 to 4000 only.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zpk::reference {

struct Container {
    bool headerFits = false;
    std::int64_t neededLength = 0;        // when the header does not fit
    std::vector<std::uint8_t> fileBytes;  // the file, then one zero byte
    std::int64_t fileLength = 0;
    int entryCount = 0;
    std::vector<std::string> items;          // List1, one text per row
    std::vector<std::int64_t> entryOffsets;  // elements 1 to entryCount - 1 are used
};

Container load(std::span<const std::uint8_t> file);

// Palette entries 0 to 99,999, as colour values (red in the low byte).
using Palette = std::vector<std::uint32_t>;
Palette emptyPalette();

struct Options {
    bool userColor = false;
    std::array<std::string, 3> boxes;
};

struct Image {
    bool hasData = false;
    int width = 0;
    int height = 0;
    std::int64_t entryStart = 0;
    std::int64_t entryEnd = 0;
    std::int64_t runExtra = 0;
    std::int64_t paletteEnd = 0;  // readPos when the palette loop ended
    std::int64_t tripletsRead = 0;
    std::int64_t streamEnd = 0;  // readPos when the pixel loop ended
    std::int64_t runCodes = 0;
    std::int64_t pixelCount = 0;  // pixels 1 to pixelCount were written
    int storedWidth = 0;
    int storedHeight = 0;
    std::vector<std::uint8_t> pixels;  // storedWidth x storedHeight, 0 where not written
};

// How many byte and pixel steps decode() may take at most for `row`: a
// caller that must stay fast skips rows above its budget.
std::int64_t workBound(const Container& c, int row);

Image decode(const Container& c, int row, Palette& palette, const Options& options);

}  // namespace zpk::reference

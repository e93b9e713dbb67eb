// Pictures made of entries (a sheet of a whole container, the file
// manager's thumbnail, the gallery's thumbnail of one entry): pieces placed on a transparent canvas that is
// given to the PNG encoder one row at a time, so that the whole picture never exists in memory as RGBA. A
// piece is an entry at 1x, shrunk to a smaller box or enlarged by a whole step, a row number on a white
// label, or a small cross that marks an empty cell.
#pragma once

#include "png/PngWriter.h"

#include "decode/Decoder.h"
#include "state/PictureOptions.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zpk {

// An entry decoded on a palette of its own: its pixel values and what each
// value shows, as in an RGBA export (drawn pixels opaque in the colour of
// palette entry v + 2; with DropFirst::On value 0 transparent).
struct EntryPicture {
    DecodedImage image;
    std::array<std::array<std::uint8_t, 4>, 256> rgba{};

    int width() const { return image.clippedWidth; }
    int height() const { return image.clippedHeight; }
    // Whether the entry has pixels at all (data, width and height of 1 or more).
    bool hasPixels() const { return image.hasData && image.pixelCount() > 0; }
};

EntryPicture entryPicture(DecodedImage image, const Palette& palette, DropFirst dropFirst);

// The size a picture of `width` x `height` pixels takes in a square of
// `side`: itself when it fits, otherwise shrunk with its proportions kept,
// the longer side `side`, at least 1 x 1.
struct FittedSize {
    int width = 0;
    int height = 0;
};
FittedSize fittedSize(int width, int height, int side);
// The size that fills a square of `side`: proportions kept, the longer
// side `side`, at least 1 x 1; shrunk or enlarged.
FittedSize filledSize(int width, int height, int side);
// The whole step a picture whose longer side is `length` is enlarged by on
// its way to `side`: the smallest k with k x length at least `side` (so
// that what is left is a shrink), 1 when it is that long already.
int wholeStep(int length, int side);

// The cross's colour, and the label's text and box: opaque, so that they
// read on light and dark backgrounds alike.
constexpr std::array<std::uint8_t, 4> kCrossColour{128, 128, 128, 255};
constexpr std::array<std::uint8_t, 4> kLabelInk{0, 0, 0, 255};
constexpr std::array<std::uint8_t, 4> kLabelPaper{255, 255, 255, 255};
// A label's box: the text with one pixel of paper around it.
int labelWidth(int number);
constexpr int kLabelHeight = 9;

// A shrunk picture's pixel is the mean of at most kBoxSamples x kBoxSamples
// pixels of its box, spread evenly over it (all of them when the box is
// that small), so that the work per pixel has a bound whatever the
// picture's size.
constexpr int kBoxSamples = 4;

class SheetCanvas {
public:
    SheetCanvas(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }

    // Places `picture` with its top-left corner at (x, y), enlarged `step`
    // times (each pixel a step x step block, no smoothing), then shrunk to
    // `width` x `height` (each 1 to `step` times the picture's own; that
    // size is the enlarged picture as it is): each pixel is the mean of its
    // box, undrawn pixels counting as transparent. The picture must outlive
    // the canvas.
    void placePicture(int x, int y, const EntryPicture& picture, int width, int height, int step = 1);
    // `number` in black digits on a white box of labelWidth x kLabelHeight.
    void placeLabel(int x, int y, int number);
    // A grey X of `side` x `side` pixels.
    void placeCross(int x, int y, int side);

    // Writes row y (width() x 4 bytes, RGBA): transparent where no piece is.
    void row(int y, std::uint8_t* out) const;

private:
    struct Placed {
        const EntryPicture* picture;
        int x;
        int y;
        int width;
        int height;
        int step;
        // The source columns each output column samples: those of column
        // dx start at columns[first[dx]] and end before columns[first[dx + 1]].
        std::vector<int> columns;
        std::vector<int> first;
    };
    struct Label {
        int x;
        int y;
        std::string text;
    };
    struct Cross {
        int x;
        int y;
        int side;
    };

    void pictureRow(const Placed& placed, int y, std::uint8_t* out) const;

    int m_width;
    int m_height;
    std::vector<Placed> m_pictures;
    std::vector<Label> m_labels;
    std::vector<Cross> m_crosses;
};

}  // namespace zpk

// A sheet: every entry of a container on one PNG, in a grid, each entry at
// 1x on a fresh (all black) palette, as `zpk export` draws it.
//
// Entries go left to right, then top to bottom, `columns` to a grid row.
// A column is as wide as its widest cell and a grid row as tall as its
// tallest, with kSheetGap transparent pixels between columns and between
// grid rows (none around the sheet); each entry sits in the top-left corner
// of its cell. An entry without data, with a width or height below 1, or
// whose stream produces no pixel gets (at least) a cell of kEmptyCellSide
// with a small grey cross. With labels, each
// cell has its row number under it, on a white label of its own
// (kLabelHeight), and is at least as wide as that label.
//
// The sheet is encoded row by row and the entries are decoded one grid row
// at a time, so what is held at once is the file, the decoded values of
// one grid row (1 byte a pixel) and the PNG made so far: never the whole
// sheet as RGBA.
#pragma once

#include "overview/SheetCanvas.h"
#include "state/PictureOptions.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <vector>

namespace zpk {

// The largest sheet written, in each direction.
constexpr int kMaxSheetSide = 16384;
constexpr int kSheetGap = 4;
constexpr int kEmptyCellSide = 9;
// Between a grid row's tallest cell and its labels.
constexpr int kLabelGap = 1;

struct SheetSettings {
    int columns = 0;  // entries per grid row; 0: the smallest c with c x c >= rows
    bool labels = false;
    PictureOptions picture;  // the colours (ramp, external palette) and drop-first; always RGBA
};

struct SheetLayout {
    int columns = 0;
    int gridRows = 0;
    std::vector<int> columnX;  // the left edge of each column
    std::vector<int> columnWidth;
    std::vector<int> rowY;       // the top edge of each grid row
    std::vector<int> rowHeight;  // its tallest cell, without the labels
    std::int64_t width = 0;      // of the whole sheet
    std::int64_t height = 0;
    bool labels = false;

    bool fits() const { return width <= kMaxSheetSide && height <= kMaxSheetSide; }
};

// Where every cell of `file`'s sheet goes, from the entries' widths and
// heights alone (nothing is decoded).
SheetLayout layoutSheet(const ContainerFile& file, const SheetSettings& settings);

// The sheet as a PNG (RGBA). A layout that does not fit is refused
// (ErrorCode::InvalidImage); other errors are the encoder's.
Result<std::vector<std::uint8_t>> encodeSheet(const ContainerFile& file, const SheetLayout& layout,
                                              const SheetSettings& settings);

}  // namespace zpk

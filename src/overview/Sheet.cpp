#include "overview/Sheet.h"

#include "decode/Decoder.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace zpk {

namespace {

// The cell an entry needs: its clipped size, or an empty cell's.
struct CellSize {
    int width = kEmptyCellSide;
    int height = kEmptyCellSide;
    bool empty = true;
};

CellSize cellOf(const ContainerFile& file, int row)
{
    const auto size = entrySize(file, row);
    if (!size || size->width < 1 || size->height < 1) return {};
    return {std::min(size->width, kMaxGridSide), std::min(size->height, kMaxGridSide), false};
}

int defaultColumns(int rows)
{
    int columns = 1;
    while (columns * columns < rows) ++columns;
    return columns;
}

int bandHeight(const SheetLayout& layout, int gridRow)
{
    return layout.rowHeight[static_cast<std::size_t>(gridRow)] +
           (layout.labels ? kLabelGap + kLabelHeight : 0);
}

// One grid row of the sheet: its entries, decoded, on a canvas as wide as
// the sheet and as tall as the grid row with its labels.
struct Band {
    std::vector<EntryPicture> pictures;
    std::unique_ptr<SheetCanvas> canvas;
};

std::unique_ptr<Band> bandOf(const ContainerFile& file, const SheetLayout& layout,
                             const SheetSettings& settings, int gridRow)
{
    auto band = std::make_unique<Band>();
    const int first = gridRow * layout.columns;
    const int last = std::min(file.rowCount(), first + layout.columns);
    band->pictures.reserve(static_cast<std::size_t>(last - first));
    band->canvas = std::make_unique<SheetCanvas>(static_cast<int>(layout.width), bandHeight(layout, gridRow));
    for (int row = first; row < last; ++row) {
        const int x = layout.columnX[static_cast<std::size_t>(row - first)];
        Palette palette{};
        DecodedImage image = decodeEntry(file, row, palette, settings.picture);
        band->pictures.push_back(entryPicture(std::move(image), palette, settings.picture.dropFirst));
        const EntryPicture& picture = band->pictures.back();
        if (picture.hasPixels() && picture.image.produced > 0) {
            band->canvas->placePicture(x, 0, picture, picture.width(), picture.height());
        } else {
            band->canvas->placeCross(x, 0, kEmptyCellSide);
        }
        if (layout.labels)
            band->canvas->placeLabel(x, layout.rowHeight[static_cast<std::size_t>(gridRow)] + kLabelGap, row);
    }
    return band;
}

}  // namespace

SheetLayout layoutSheet(const ContainerFile& file, const SheetSettings& settings)
{
    SheetLayout layout;
    const int rows = file.rowCount();
    layout.labels = settings.labels;
    layout.columns =
        std::clamp(settings.columns > 0 ? settings.columns : defaultColumns(rows), 1, std::max(rows, 1));
    layout.gridRows = (rows + layout.columns - 1) / layout.columns;
    layout.columnWidth.assign(static_cast<std::size_t>(layout.columns), 0);
    layout.rowHeight.assign(static_cast<std::size_t>(layout.gridRows), 0);
    for (int row = 0; row < rows; ++row) {
        const auto column = static_cast<std::size_t>(row % layout.columns);
        const auto gridRow = static_cast<std::size_t>(row / layout.columns);
        const CellSize cell = cellOf(file, row);
        int width = cell.width;
        if (settings.labels) width = std::max(width, labelWidth(row));
        layout.columnWidth[column] = std::max(layout.columnWidth[column], width);
        layout.rowHeight[gridRow] = std::max(layout.rowHeight[gridRow], cell.height);
    }
    std::int64_t x = 0;
    for (const int width : layout.columnWidth) {
        layout.columnX.push_back(static_cast<int>(x));
        x += width + kSheetGap;
    }
    layout.width = x - kSheetGap;
    std::int64_t y = 0;
    for (int gridRow = 0; gridRow < layout.gridRows; ++gridRow) {
        layout.rowY.push_back(static_cast<int>(y));
        y += bandHeight(layout, gridRow) + kSheetGap;
    }
    layout.height = y - kSheetGap;
    return layout;
}

Result<std::vector<std::uint8_t>> encodeSheet(const ContainerFile& file, const SheetLayout& layout,
                                              const SheetSettings& settings)
{
    if (!layout.fits() || layout.width < 1 || layout.height < 1)
        return makeRefusal(ErrorCode::InvalidImage, Refusal::SheetTooLarge);
    int gridRow = -1;
    std::unique_ptr<Band> band;
    const auto nextRow = [&](int y, std::uint8_t* out) {
        // rows come in order: the next grid row's entries are decoded when
        // its first row is asked for, and the last one's are let go
        while (gridRow + 1 < layout.gridRows && y >= layout.rowY[static_cast<std::size_t>(gridRow) + 1]) {
            ++gridRow;
            band.reset();
            band = bandOf(file, layout, settings, gridRow);
        }
        const int inBand = y - layout.rowY[static_cast<std::size_t>(gridRow)];
        if (inBand < band->canvas->height()) {
            band->canvas->row(inBand, out);
        } else {
            std::memset(out, 0, static_cast<std::size_t>(layout.width) * 4);  // the gap below it
        }
        return RowStep::Written;
    };
    auto encoded = encodeRgbaRows(static_cast<int>(layout.width), static_cast<int>(layout.height), nextRow);
    if (!encoded) return encoded.error();
    return std::move(encoded->png);
}

}  // namespace zpk

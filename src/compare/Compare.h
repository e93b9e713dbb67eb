// Two containers compared row by row: row K of A against row K of B, by
// the picture `zpk export` writes of each (exportPicture) or by the
// entries' bytes as the files hold them. Pictures are compared as RGBA,
// whatever PNG form the options ask for, so two entries that export the
// same picture are the same however their bytes differ.
#pragma once

#include "draw/Draw.h"
#include "state/PictureOptions.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace zpk {

enum class CompareBy { Pictures, Bytes };

enum class RowChange {
    Same,     // the same picture (or, by bytes, the same entry bytes)
    OnlyInA,  // the row exists in A only
    OnlyInB,
    Size,     // both pictures exist, of other widths or heights
    Pixels,   // the same size, `differingPixels` differ
    Bytes,    // by bytes: the entries' bytes differ
    Picture,  // one side exports a picture, the other does not (its error in problemA / problemB) -- or
              // both fail and their entries' bytes differ
};

struct RowDifference {
    int row = 0;  // 0-based list row, as ContainerFile rows are
    RowChange change = RowChange::Same;
    // The pictures' sizes as the entries give them (signed 16-bit values);
    // 0 when the row is absent or its width and height lie past the file.
    int widthA = 0, heightA = 0, widthB = 0, heightB = 0;
    std::int64_t bytesA = 0, bytesB = 0;  // the entries' byte lengths (entryBytes)
    std::int64_t differingPixels = 0;     // with Pixels
    // An entry that exports no picture: exportPicture's error (by pictures only).
    std::optional<Error> problemA, problemB;

    bool differs() const { return change != RowChange::Same; }
};

// Whether two pixels of exported pictures (4 bytes each: red, green, blue,
// alpha) show the same: equal bytes, or both transparent (alpha 0)
// whatever their colour bytes.
inline bool samePixel(const std::uint8_t* a, const std::uint8_t* b)
{
    return (a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && a[3] == b[3]) || (a[3] == 0 && b[3] == 0);
}

// Row `row` of both (either may lack it; a row neither has is Same). By
// pictures: the picture `zpk export` writes of each, as exportPicture gives
// it: the same when it has the same size and every pixel is the same
// (samePixel). Two rows that both fail to export are Same when their entry
// bytes are equal. By bytes: the entries' bytes as the files hold them.
RowDifference compareRow(const ContainerFile& a, const ContainerFile& b, int row, CompareBy by,
                         const PictureOptions& options);

struct ContainerComparison {
    std::vector<RowDifference> rows;  // one per row compared, in order, the same rows included
    bool complete = false;            // every row of the longer container was compared
};

// Every row of the longer of the two, in order. `progress(done, total)` is
// called after each row; when it returns false the comparison stops there
// and returns the rows done (complete false).
ContainerComparison compareContainers(const ContainerFile& a, const ContainerFile& b, CompareBy by,
                                      const PictureOptions& options,
                                      const std::function<bool(int done, int total)>& progress = {});

// For the viewer: row `row` compared by pictures, with both pictures (none
// for a side that lacks the row or exports no picture) and a mask of the
// differing pixels, as large as the larger of the two in each direction:
// width x height bytes, 1 where they differ. A pixel present in one
// picture only differs.
struct RowPictures {
    RowDifference difference;
    std::optional<RgbaImage> a, b;
    int width = 0, height = 0;
    std::vector<std::uint8_t> mask;
};
RowPictures rowPictures(const ContainerFile& a, const ContainerFile& b, int row,
                        const PictureOptions& options);

}  // namespace zpk

// One entry of a container as the gallery shows it: decoded on a fresh
// palette, as `zpk export` draws it, so that a thumbnail never depends on
// which entries were drawn before it; drawn pixels opaque, the rest
// transparent; at 1x when it fits into the gallery's square, shrunk when it
// does not, by the same rule as the sheet and the file manager's thumbnail
// (overview/SheetCanvas). Safe to call
// on any thread: it only reads `file` and `options`.
#pragma once

#include "state/PictureOptions.h"
#include "state/ViewerState.h"

#include <QImage>

namespace zpk {

// The side of the square a thumbnail fits into, in pixels.
constexpr int kMinThumbnailSide = 32;
constexpr int kMaxThumbnailSide = 256;

struct Thumbnail {
    enum class Kind {
        Picture,        // `image` holds it
        NoData,         // the width and height bytes lie past the end of the file
        NothingToDraw,  // width or height below 1
    };
    Kind kind = Kind::NoData;
    int row = 0;
    int side = 0;           // the square it was made for
    bool fullSize = false;  // `image` is the entry at 1x: it fits into any square of its size or more
    // The decode ended at the entry's end with every pixel: the picture
    // depends on the entry's bytes and the few behind it alone.
    bool selfContained = false;
    // At most side x side pixels, in Format_RGB32 when every pixel is
    // opaque, else in Format_ARGB32_Premultiplied; null unless kind is
    // Picture.
    QImage image;
};

// The thumbnail of list row `row` of `file` for a square of `side` pixels
// (clamped to kMinThumbnailSide..kMaxThumbnailSide), drawn with `options`
// (ramp, external palette, drop-first) on a fresh palette.
Thumbnail makeThumbnail(const ContainerFile& file, int row, const PictureOptions& options, int side);

}  // namespace zpk

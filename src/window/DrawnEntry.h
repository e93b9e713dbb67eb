// The entry a render drew last: what the canvas menu saves, copies and
// inspects. Kept with the palette and option it was drawn with, so that a
// later change of a colour box or check box does not alter an image that
// is already on the canvas.
#pragma once

#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "state/ViewerState.h"

#include <QImage>
#include <QString>

#include <memory>

namespace zpk {

struct DrawnEntry {
    QString filePath;
    DecodedImage image;
    Palette palette{};
    DropFirst dropFirst = DropFirst::Off;

    // The image as `zpk export` writes it: drawn pixels opaque, the rest
    // transparent, clipped to 4000 columns and rows.
    RgbaImage rgba() const { return renderRgba(image, palette, dropFirst); }
    // The same pixels as a QImage (RGBA, 8 bits a channel).
    QImage toQImage() const;
    // Whether pixel (x, y), 0-based, is drawn (produced, and not a dropped 0).
    bool isDrawn(int x, int y) const;
    // "STEM-ROW.png", the name `zpk export` gives it by default.
    QString defaultFileName() const;
};

// The entry's decoded pixels themselves as an indexed QImage, without a
// copy: the image keeps `entry` alive and shows what toQImage() shows.
// Null when some pixel was never produced (that needs a colour of its own:
// use toQImage()).
QImage sharedIndexedImage(const std::shared_ptr<const DrawnEntry>& entry);

// A QImage holding a copy of `image`'s RGBA bytes.
QImage toQImage(const RgbaImage& image);

}  // namespace zpk

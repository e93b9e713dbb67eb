// The window's icon, drawn in code: a framed picture of coloured cells, in
// a 32 x 32 and a 16 x 16 image.
#pragma once

#include <QIcon>
#include <QImage>

namespace zpk {

// One image of the icon, opaque 24-bit colour, `side` pixels square.
QImage windowIconImage(int side);

// The icon with both images.
QIcon makeWindowIcon();

}  // namespace zpk

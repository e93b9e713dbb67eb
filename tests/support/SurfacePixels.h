// Reading and setting single points of a drawing surface, for checks that
// name the wrong pixel.
#pragma once

#include "draw/Surface.h"

namespace zpk::testing {

// The pixel at (x, y), which must lie inside, as a colour value.
inline Colour pixelAt(const Surface& surface, int x, int y)
{
    const std::uint32_t argb = surface.scanLine(y)[x];
    return makeColour((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// Sets one point; points outside the surface are ignored.
inline void plotAt(Surface& surface, int x, int y, Colour colour)
{
    if (x < 0 || y < 0 || x >= surface.width() || y >= surface.height()) return;
    surface.scanLine(y)[x] = toArgb(colour);
}

}  // namespace zpk::testing

// A drawing surface of 32-bit pixels, 0xAARRGGBB in memory order of a
// native uint32 (the layout Qt calls ARGB32), so that a window can show it
// without converting.
#pragma once

#include "state/ViewerState.h"

#include <cstdint>
#include <vector>

namespace zpk {

// The canvas's size in pixels.
constexpr int kCanvasWidth = 377;
constexpr int kCanvasHeight = 449;
constexpr Colour kWhite = 0xFFFFFF;

// A colour value (red in the low byte) as an opaque surface pixel.
constexpr std::uint32_t toArgb(Colour c)
{
    return 0xFF000000u | (redOf(c) << 16) | (greenOf(c) << 8) | blueOf(c);
}

class Surface {
public:
    Surface(int width, int height, Colour background = kWhite);

    int width() const { return m_width; }
    int height() const { return m_height; }
    Colour background() const { return m_background; }

    // Paints the whole surface in its background colour.
    void clear();

    std::uint32_t* scanLine(int y)
    {
        return m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
    }
    const std::uint32_t* scanLine(int y) const
    {
        return m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
    }
    const std::uint32_t* data() const { return m_pixels.data(); }
    std::uint32_t* data() { return m_pixels.data(); }

private:
    int m_width;
    int m_height;
    Colour m_background;
    std::vector<std::uint32_t> m_pixels;
};

}  // namespace zpk

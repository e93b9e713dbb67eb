#include "draw/Surface.h"

#include <algorithm>
#include <cassert>

namespace zpk {

Surface::Surface(int width, int height, Colour background)
    : m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_background(background),
      m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), toArgb(background))
{
}

void Surface::clear() { std::fill(m_pixels.begin(), m_pixels.end(), toArgb(m_background)); }

void Surface::plot(int x, int y, Colour colour)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    scanLine(y)[x] = toArgb(colour);
}

Colour Surface::pixel(int x, int y) const
{
    assert(x >= 0 && y >= 0 && x < m_width && y < m_height);
    const std::uint32_t argb = scanLine(y)[x];
    return makeColour((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

}  // namespace zpk

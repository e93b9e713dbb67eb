#include "draw/Surface.h"

#include <algorithm>

namespace zpk {

Surface::Surface(int width, int height, Colour background)
    : m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_background(background),
      m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), toArgb(background))
{
}

void Surface::clear() { std::fill(m_pixels.begin(), m_pixels.end(), toArgb(m_background)); }

}  // namespace zpk

#include "draw/Surface.h"

#include <algorithm>
#include <cstring>

namespace zpk {

Surface::Surface(int width, int height, Colour background)
    : m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_background(background),
      m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height))
{
    clear();
}

void Surface::clear()
{
    if (m_pixels.empty()) return;
    const std::uint32_t pixel = toArgb(m_background);
    // opaque white, every canvas's background, is four equal bytes: one
    // memset, which no build turns into a loop of single stores
    if (pixel == 0xFFFFFFFFu) std::memset(m_pixels.data(), 0xFF, m_pixels.size() * sizeof pixel);
    else std::fill(m_pixels.begin(), m_pixels.end(), pixel);
}

}  // namespace zpk

#include "overview/BitmapFont.h"

#include <array>
#include <cstdint>

namespace zpk {

namespace {

// One glyph: kGlyphHeight rows from the top, each row's leftmost pixel in
// bit 4 (0b10000) and its rightmost in bit 0.
using Glyph = std::array<std::uint8_t, kGlyphHeight>;

constexpr std::array<Glyph, 10> kDigits{{
    {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110},  // 0
    {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110},  // 1
    {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111},  // 2
    {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110},  // 3
    {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010},  // 4
    {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110},  // 5
    {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110},  // 6
    {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000},  // 7
    {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110},  // 8
    {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100},  // 9
}};

constexpr int kAdvance = kGlyphWidth + kGlyphSpacing;

}  // namespace

int textWidth(std::string_view text)
{
    return text.empty() ? 0 : static_cast<int>(text.size()) * kAdvance - kGlyphSpacing;
}

bool textPixel(std::string_view text, int x, int y)
{
    if (x < 0 || y < 0 || y >= kGlyphHeight || x >= textWidth(text)) return false;
    const char c = text[static_cast<std::size_t>(x / kAdvance)];
    const int column = x % kAdvance;
    if (column >= kGlyphWidth || c < '0' || c > '9') return false;
    const Glyph& glyph = kDigits[static_cast<std::size_t>(c - '0')];
    return ((glyph[static_cast<std::size_t>(y)] >> (kGlyphWidth - 1 - column)) & 1u) != 0;
}

}  // namespace zpk

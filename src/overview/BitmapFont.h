// A small bitmap font for the numbers drawn into exported images (the row
// labels of a sheet): the digits 0 to 9, 5 x 7 pixels each, defined here as
// bit rows, so that no text library is needed.
#pragma once

#include <string_view>

namespace zpk {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
// The blank column between two glyphs.
constexpr int kGlyphSpacing = 1;

// The width in pixels of `text` drawn glyph by glyph with kGlyphSpacing
// between them; 0 for an empty text.
int textWidth(std::string_view text);

// Whether pixel (x, y) of `text` drawn from (0, 0) is set. Pixels outside
// the text, in a spacing column, or of a character that is not a digit are
// not.
bool textPixel(std::string_view text, int x, int y);

}  // namespace zpk

// Palette files, read and written: a list of 1 to 256 colours in one of the
// formats paint programs exchange. The colours of a palette file stand for
// pixel values 0, 1, 2, ... (palette entries 2, 3, 4, ... of the viewer).
//
//   .gpl  GIMP: a "GIMP Palette" line, optional "Name:" and "Columns:" lines,
//         '#' comments, then one colour a line, "R G B" in decimal with an
//         optional name behind; LF or CRLF.
//   .pal  JASC-PAL: "JASC-PAL", "0100", the count, then exactly that many
//         "R G B" lines; written with CRLF, read with CRLF or LF.
//   .act  Adobe Color Table: 256 x R, G, B (768 bytes), optionally followed
//         by the count of colours used and the transparent index, both
//         16-bit big-endian (772 bytes; the count alone is used).
//   .png  a swatch image, 16 x 16 squares of 8 pixels, written only.
#pragma once

#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zpk {

enum class PaletteFormat { Gpl, Pal, Act, Png };

// A palette file holds 1 to 256 colours: one for each value of a pixel byte.
constexpr std::size_t kMaxPaletteFileColours = 256;
// A palette file is small (an .act is 772 bytes; 256 text lines with long
// names stay far below this); anything larger is refused unread.
constexpr std::int64_t kMaxPaletteFileBytes = 1024 * 1024;

// By the file name's extension in any case: .gpl (GIMP), .pal (JASC-PAL text),
// .act (Adobe Color Table), .png (a swatch image, written only); nothing for
// any other name.
std::optional<PaletteFormat> paletteFormatOf(const std::string& path);

// The colours of a palette file's bytes: 1 to 256 colours. A malformed,
// truncated or too long file is ErrorCode::InvalidPalette with the
// refusal saying what is wrong, and where (line, field, byte). Png is never read: InvalidPalette.
Result<std::vector<Colour>> parsePalette(std::span<const std::uint8_t> bytes, PaletteFormat format);

// Reads and parses `path` (gpl, pal or act by its extension); a file over
// 1 MiB is refused without reading it all; open errors are
// ErrorCode::CannotOpen with systemError, anything but a regular file is
// ErrorCode::NotRegularFile. Every error carries `path`.
Result<std::vector<Colour>> readPaletteFile(const std::string& path);

// The bytes of a palette file holding `colours` (1 to 256, else
// InvalidPalette) in `format`. Png: a 16 x 16 grid of swatches, value 0 at
// the top left, row by row (an indexed PNG; swatches 8 px a side; fewer
// than 256 colours leave the remaining swatches black).
Result<std::vector<std::uint8_t>> encodePalette(const std::vector<Colour>& colours, PaletteFormat format);

// The 256 colours pixel values 0..255 are drawn with: entries 2..257 of `palette`.
std::vector<Colour> drawnColours(const Palette& palette);

}  // namespace zpk

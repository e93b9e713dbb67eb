// Reading PNG pictures to pack into a container (libspng): a palette of at
// most 256 colours and one value per pixel, exactly as the PNG shows it,
// never quantised.
//
// Palette PNGs (colour type 3, any bit depth) keep their palette and their
// indices: PLTE entry v becomes the colour of pixel value v, in PLTE order,
// every entry kept. Index 0 may be fully transparent in the tRNS chunk:
// that is how an export with "drop first" writes value 0, and drop-first
// hides it again. Any other index below full alpha that a pixel uses is an
// error naming the first such pixel (transparent or semi-transparent): a
// container has no transparency of its own. The options change nothing
// here. Since the order is the pixel values, colours that would put the
// bytes 0xFF 0xFE where the decoder looks for the palette's end are an
// error.
//
// Every other PNG (grey, grey and alpha, RGB, RGBA; any bit depth, as
// libspng converts it to 8-bit RGBA, a tRNS colour key making its pixels
// transparent; 16-bit samples are taken only when each is an 8-bit value
// times 257, as widening an 8-bit picture gives, and refused otherwise
// rather than cut) gets a palette of its
// opaque colours, in the order they first appear, row by row from the top,
// each row from the left. A colour moves back only where it would
// otherwise make the bytes 0xFF 0xFE with the one before (markerFreeOrder).
// With transparentIndex0, value 0 is kept for fully transparent pixels,
// whether or not any pixel is transparent, and coloured black (the colour
// an export gives the pixels it does not draw); the opaque colours start at
// value 1, so that an export with drop-first shows exactly the transparent
// pixels as transparent again. Without it, a transparent pixel is an error
// naming it. A pixel neither opaque nor fully transparent is always an
// error. More colours than fit (256, or 255 besides value 0) is an error
// giving their number.
//
// Pixels are named by x and y counted from 0. Width and height are checked
// against 32767, and their product against kMaxPackPixels, before any
// pixel is decoded. Rows are decoded one at a time (an interlaced picture's
// all at once), so that a picture costs little more than its pixel values. Errors are ErrorCode::CannotPack
// with the file's name as path (ErrorCode::CannotOpen or NotRegularFile when it cannot be read).
#pragma once

#include "container/ContainerWriter.h"
#include "state/Result.h"

#include <cstdint>
#include <span>
#include <string>

namespace zpk {

struct PackOptions {
    // Fully transparent pixels become value 0, kept for them (see above).
    bool transparentIndex0 = false;
};

// The most pixels one picture may have: an interlaced one is decoded whole,
// four bytes a pixel (128 MiB), or eight with 16-bit samples.
constexpr std::int64_t kMaxPackPixels = std::int64_t{1} << 25;

// What a reader noticed about a picture it took, for the user to be told.
struct PictureNotes {
    // A palette picture's index 0 is fully transparent, and some pixel has
    // it: it became value 0, drawn transparent only with drop-first.
    bool transparentIndex0 = false;
};

// The picture of the PNG file at `path`, read as it is decoded. A folder,
// FIFO or device is refused.
Result<WriterImage> readPackImage(const std::string& path, const PackOptions& options = {},
                                  PictureNotes* notes = nullptr);

// The width of the PNG file at `path`, from its header alone (the header
// checked as readPackImage checks it).
Result<int> readPackImageWidth(const std::string& path);

// The picture of PNG bytes in memory; `name` names them in errors.
Result<WriterImage> decodePackImage(std::span<const std::uint8_t> png, const PackOptions& options = {},
                                    const std::string& name = {}, PictureNotes* notes = nullptr);

}  // namespace zpk

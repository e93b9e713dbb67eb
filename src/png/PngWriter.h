// Images as PNG, not interlaced, 8 bits a sample: RGBA (red, green, blue,
// alpha), or indexed (a palette of up to 256 colours, optionally with
// alpha for its first entries). The same image always gives the same bytes.
#pragma once

#include "draw/Draw.h"
#include "state/ByteSink.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zpk {

// The PNG file of `image`. An image without pixels (width or height below
// 1), or whose byte count is not width x height x 4, is an error
// (ErrorCode::CannotEncode): a PNG cannot hold it.
Result<std::vector<std::uint8_t>> encodePng(const RgbaImage& image);

// The PNG file of an image given row by row (RGBA or the palette form), fed
// to the encoder one row at a time so that no second copy of the image is
// ever held. The same image gives the same bytes as the whole-image forms.
Result<std::vector<std::uint8_t>> encodePng(const ImageRows& rows);

// The same PNG handed to `sink` as the encoder makes it, so that not even
// the file is held whole. A failure of the sink stops the encoder; it is
// ErrorCode::WriteFailed with the sink's errno.
std::optional<Error> encodePng(const ImageRows& rows, const ByteSink& sink);

// The PNG file of an indexed image (colour type 3, bit depth 8). An image
// without pixels, with an index count other than width x height, with 0 or
// more than 256 colours, more alpha values than colours, or an index past
// the colours is an error (ErrorCode::CannotEncode).
Result<std::vector<std::uint8_t>> encodePng(const IndexedImage& image);

// What a row source says after it was asked for a row.
enum class RowStep {
    Written,  // the row is in the buffer
    Stop,     // give up: no PNG is made
};

// A PNG encoded row by row, or nothing when the source stopped.
struct EncodedRows {
    bool stopped = false;
    std::vector<std::uint8_t> png;
};

// How hard the encoder tries to make the file small.
enum class Compression {
    Default,  // zlib's default level
    Fast,     // zlib's fastest level: for pictures made against a deadline
};

// Encodes an RGBA image of width x height (each 1 or more) whose rows
// `nextRow(y, out)` writes, in order, into a buffer of width x 4 bytes,
// handing each row to the encoder before the next is asked for.
Result<EncodedRows> encodeRgbaRows(int width, int height,
                                   const std::function<RowStep(int y, std::uint8_t* out)>& nextRow,
                                   Compression compression = Compression::Default);

// The PNG and compression libraries the encoder runs on, with their
// versions: "libspng 0.7.3, zlib 1.2.13".
std::string pngLibraries();

}  // namespace zpk

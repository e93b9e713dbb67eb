// Images as PNG, not interlaced, 8 bits a sample: RGBA (red, green, blue,
// alpha), or indexed (a palette of up to 256 colours, optionally with
// alpha for its first entries). Shared by the command-line tool and the
// viewer's "save as PNG", so that both write the same bytes for the same
// image; the same image always gives the same bytes.
#pragma once

#include "cli/FileOutput.h"
#include "draw/Draw.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zpk {

// A palette image as PNG stores it: PLTE, tRNS and one index per pixel.
struct IndexedImage {
    int width = 0;
    int height = 0;
    // The PLTE: index v shows colours[v] (red in the low byte, as in the
    // viewer's palette). 1 to 256 entries.
    std::vector<Colour> colours;
    // The tRNS: the alpha of indices 0 to alpha.size() - 1; the others are
    // opaque. Empty: no tRNS chunk. At most colours.size() entries.
    std::vector<std::uint8_t> alpha;
    // width x height indices, row by row, each below colours.size().
    std::vector<std::uint8_t> indices;
};

// The PNG file of `image`. An image without pixels (width or height below
// 1), or whose byte count is not width x height x 4, is an error
// (ErrorCode::WriteFailed): a PNG cannot hold it.
Result<std::vector<std::uint8_t>> encodePng(const RgbaImage& image);

// The PNG file of an indexed image (colour type 3, bit depth 8). An image
// without pixels, with an index count other than width x height, with 0 or
// more than 256 colours, more alpha values than colours, or an index past
// the colours is an error (ErrorCode::WriteFailed).
Result<std::vector<std::uint8_t>> encodePng(const IndexedImage& image);

// Encodes `image` and writes it to `path`, replacing any file there; a
// failure leaves no file behind (see writeFileReplacing).
Result<WrittenFile> writePng(const std::string& path, const RgbaImage& image);

}  // namespace zpk

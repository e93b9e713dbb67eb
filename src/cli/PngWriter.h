// RGBA images as PNG: 8-bit red, green, blue and alpha, not interlaced.
// Shared by the command-line tool and the viewer's "save as PNG", so that
// both write the same bytes for the same image.
#pragma once

#include "cli/FileOutput.h"
#include "draw/Draw.h"
#include "state/Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zpk {

// The PNG file of `image`. An image without pixels (width or height below
// 1), or whose byte count is not width x height x 4, is an error
// (ErrorCode::WriteFailed): a PNG cannot hold it.
Result<std::vector<std::uint8_t>> encodePng(const RgbaImage& image);

// Encodes `image` and writes it to `path`, replacing any file there; a
// failure leaves no file behind (see writeFileReplacing).
Result<WrittenFile> writePng(const std::string& path, const RgbaImage& image);

}  // namespace zpk

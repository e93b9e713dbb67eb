// One entry as a PNG file's bytes: decoded on a fresh palette, then as RGBA
// or as a palette image. Shared by `zpk export` and `zpk export --all`, so
// that both write the same bytes for the same entry.
#pragma once

#include "cli/PngWriter.h"
#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zpk::cli {

enum class PngFormat {
    Rgba,     // drawn pixels opaque in their colour, the rest transparent
    Indexed,  // one byte per pixel, its value; when the stream produces every pixel
};

struct ExportStyle {
    DecodeOptions decode;  // the ramp and its three texts
    DropFirst dropFirst = DropFirst::Off;
    PngFormat format = PngFormat::Rgba;
};

struct ExportedEntry {
    int imageWidth = 0;  // as the entry gives them
    int imageHeight = 0;
    int width = 0;  // of the PNG: clipped to 4000 columns and rows
    int height = 0;
    std::int64_t produced = 0;    // pixels the stream produced
    std::int64_t pixelCount = 0;  // width x height as the entry gives them
    PngFormat format = PngFormat::Rgba;  // what the PNG holds
    std::vector<std::uint8_t> png;

    bool clipped() const { return width != imageWidth || height != imageHeight; }
    bool complete() const { return produced == pixelCount; }
};

// The palette image of a decoded entry: PNG index v has the colour of
// palette entry v + 2, and with DropFirst::On index 0 is transparent. The
// PLTE holds the colours up to the highest value in the image. Nothing when
// the stream did not produce every pixel (a palette image has no "not
// drawn" index to spare) or the entry has no pixels.
std::optional<IndexedImage> renderIndexed(const DecodedImage& image, const Palette& palette,
                                          DropFirst dropFirst);

// Decodes `row` of `file` on a fresh (all black) palette and encodes it.
// With PngFormat::Indexed, an entry whose stream ends early is written as
// RGBA instead (see ExportedEntry::format). Fails with ErrorCode::NoData
// (the width and height bytes lie past the file) or ErrorCode::EmptyImage
// (width or height below 1), whose messages complete "entry row K ...", or
// with the encoder's error.
Result<ExportedEntry> exportEntry(const ContainerFile& file, int row, const ExportStyle& style);

// The name of a container file without folder and last extension, the stem
// of the PNG names made from it; "entry" when that leaves nothing usable (a
// path ending in a folder, which is never read as a container).
std::string containerStem(const std::string& file);

// "entry row K", as messages name a row.
std::string rowText(int row);

// A failed exportEntry as a message names it, behind "FILE: ":
// "entry row K is 0 x 4 pixels: nothing to draw".
std::string exportErrorText(int row, const Error& error);

// Why an indexed export came out as RGBA: "written as RGBA: the pixel
// stream ends after P of N pixels". Empty when it did not.
std::string rgbaFallbackNote(const ExportedEntry& entry, PngFormat asked);

}  // namespace zpk::cli

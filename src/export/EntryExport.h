// One entry as a PNG file's bytes, as RGBA or as a palette image. Every
// export goes through here: `zpk export`, `zpk export --all`, the viewer's
// save and its "export all", so all of them write the same bytes for the
// same entry, palette and options.
#pragma once

#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "io/FileOutput.h"
#include "state/ByteSink.h"
#include "state/PictureOptions.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zpk {

struct ExportedEntry {
    int imageWidth = 0;  // as the entry gives them
    int imageHeight = 0;
    int width = 0;  // of the PNG: clipped to 4000 columns and rows
    int height = 0;
    std::int64_t produced = 0;           // pixels the stream produced
    std::int64_t pixelCount = 0;         // width x height as the entry gives them
    OutputForm form = OutputForm::Rgba;  // what the PNG holds: Rgba or Indexed
    std::vector<std::uint8_t> png;

    bool clipped() const { return width != imageWidth || height != imageHeight; }
    bool complete() const { return produced == pixelCount; }
    // An indexed export written as RGBA, since not every pixel is drawn.
    bool fellBackToRgba(OutputForm asked) const { return asked == OutputForm::Indexed && form != asked; }
};

// Encodes an image already decoded with `palette`, row by row. With
// OutputForm::Smallest the palette form is written whenever it shows exactly
// what RGBA shows (it decodes to the same RGBA bytes, in a smaller file,
// faster); with OutputForm::Indexed an image whose stream ends early is
// written as RGBA instead (see ExportedEntry::form). Fails with ErrorCode::NoData (the width and height
// bytes lie past the file), ErrorCode::EmptyImage (width or height below 1)
// or the encoder's error.
Result<ExportedEntry> encodeEntry(const DecodedImage& image, const Palette& palette,
                                  const PictureOptions& options);

// Why a decoded image cannot be exported (ErrorCode::NoData or
// ErrorCode::EmptyImage), or nothing when it can.
std::optional<Error> exportProblem(const DecodedImage& image);

// The same PNG handed to `sink` as it is encoded, so that not even the file
// is held whole; the entry without its bytes (`png` stays empty). A
// failure of the sink is ErrorCode::WriteFailed with its errno.
Result<ExportedEntry> encodeEntry(const DecodedImage& image, const Palette& palette,
                                  const PictureOptions& options, const ByteSink& sink);

// What makes that PNG into a file's bytes (see writeFileAtomically); it
// fills `entry` once it has. The image, palette, options and entry outlive
// it.
ByteMaker entryPngMaker(const DecodedImage& image, const Palette& palette, const PictureOptions& options,
                        ExportedEntry& entry);

// Writes the PNG of an image to `path` as it is encoded
// (writeFileAtomically), never holding it whole: a 4000 x 4000 picture
// costs its decoded pixels and no more. The entry without its bytes; the
// errors of encodeEntry and writeFileAtomically.
Result<ExportedEntry> writeEntryPng(const DecodedImage& image, const Palette& palette,
                                    const PictureOptions& options, const std::string& path,
                                    const WriteOptions& write);

// Decodes `row` of `file` on a fresh (all black) palette, so that the
// output does not depend on what was decoded before, and encodes it.
Result<ExportedEntry> exportEntry(const ContainerFile& file, int row, const PictureOptions& options);

// The picture exportEntry writes, as RGBA (see renderRgba): what an
// animation frame shows and what a comparison compares, whatever PNG form
// the options ask for. The errors of exportProblem.
Result<RgbaImage> exportPicture(const ContainerFile& file, int row, const PictureOptions& options);

}  // namespace zpk

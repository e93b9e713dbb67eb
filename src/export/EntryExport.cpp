#include "export/EntryExport.h"

#include "png/PngWriter.h"

namespace zpk {

namespace {

// The entry's facts, and the rows its PNG is made of.
ExportedEntry describe(const DecodedImage& image, const Palette& palette, const PictureOptions& options,
                       std::optional<ImageRows>& rows)
{
    ExportedEntry out;
    out.imageWidth = image.imageWidth;
    out.imageHeight = image.imageHeight;
    out.width = image.clippedWidth;
    out.height = image.clippedHeight;
    out.produced = image.produced;
    out.pixelCount = image.pixelCount();

    rows = ImageRows::forForm(image, palette, options.dropFirst, options.form);
    out.form = rows->indexed() ? OutputForm::Indexed : OutputForm::Rgba;
    return out;
}

}  // namespace

std::optional<Error> exportProblem(const DecodedImage& image)
{
    if (!image.hasData) return makeError(ErrorCode::NoData);
    if (image.pixelCount() == 0) {
        Error e = makeError(ErrorCode::EmptyImage);
        e.imageWidth = image.imageWidth;
        e.imageHeight = image.imageHeight;
        return e;
    }
    return std::nullopt;
}

Result<ExportedEntry> encodeEntry(const DecodedImage& image, const Palette& palette,
                                  const PictureOptions& options)
{
    if (auto problem = exportProblem(image)) return std::move(*problem);
    std::optional<ImageRows> rows;
    ExportedEntry out = describe(image, palette, options, rows);
    auto png = encodePng(*rows);
    if (!png) return png.error();
    out.png = std::move(*png);
    return out;
}

Result<ExportedEntry> encodeEntry(const DecodedImage& image, const Palette& palette,
                                  const PictureOptions& options, const ByteSink& sink)
{
    if (auto problem = exportProblem(image)) return std::move(*problem);
    std::optional<ImageRows> rows;
    ExportedEntry out = describe(image, palette, options, rows);
    if (auto failed = encodePng(*rows, sink)) return std::move(*failed);
    return out;
}

ByteMaker entryPngMaker(const DecodedImage& image, const Palette& palette, const PictureOptions& options,
                        ExportedEntry& entry)
{
    return [&image, &palette, &options, &entry](const ByteSink& sink) -> std::optional<Error> {
        auto encoded = encodeEntry(image, palette, options, sink);
        if (!encoded) return encoded.error();
        entry = std::move(*encoded);
        return std::nullopt;
    };
}

Result<ExportedEntry> writeEntryPng(const DecodedImage& image, const Palette& palette,
                                    const PictureOptions& options, const std::string& path,
                                    const WriteOptions& write)
{
    // nothing is opened for an image that cannot be exported
    if (auto problem = exportProblem(image)) return std::move(*problem);
    ExportedEntry entry;
    const auto written = writeFileAtomically(path, entryPngMaker(image, palette, options, entry), write);
    if (!written) return written.error();
    return entry;
}

Result<ExportedEntry> exportEntry(const ContainerFile& file, int row, const PictureOptions& options)
{
    Palette palette{};
    const DecodedImage image = decodeEntry(file, row, palette, options);
    return encodeEntry(image, palette, options);
}

Result<RgbaImage> exportPicture(const ContainerFile& file, int row, const PictureOptions& options)
{
    Palette palette{};
    const DecodedImage image = decodeEntry(file, row, palette, options);
    if (auto problem = exportProblem(image)) return std::move(*problem);
    return renderRgba(image, palette, options.dropFirst);
}

}  // namespace zpk

#include "export/EntryExport.h"

#include "draw/Draw.h"
#include "png/PngWriter.h"

namespace zpk {

Result<ExportedEntry> encodeEntry(const DecodedImage& image, const Palette& palette,
                                  const PictureOptions& options)
{
    if (!image.hasData) return makeError(ErrorCode::NoData);
    if (image.pixelCount() == 0) {
        Error e = makeError(ErrorCode::EmptyImage);
        e.imageWidth = image.imageWidth;
        e.imageHeight = image.imageHeight;
        return e;
    }

    ExportedEntry out;
    out.imageWidth = image.imageWidth;
    out.imageHeight = image.imageHeight;
    out.width = image.clippedWidth;
    out.height = image.clippedHeight;
    out.produced = image.produced;
    out.pixelCount = image.pixelCount();

    std::optional<ImageRows> rows;
    if (options.form == OutputForm::Indexed) rows = ImageRows::indexed(image, palette, options.dropFirst);
    if (options.form == OutputForm::Smallest)
        rows = ImageRows::smallestIndexed(image, palette, options.dropFirst);
    if (!rows) rows = ImageRows::rgba(image, palette, options.dropFirst);
    out.form = rows->indexed() ? OutputForm::Indexed : OutputForm::Rgba;
    auto png = encodePng(*rows);
    if (!png) return png.error();
    out.png = std::move(*png);
    return out;
}

Result<ExportedEntry> exportEntry(const ContainerFile& file, int row, const PictureOptions& options)
{
    Palette palette{};
    const DecodedImage image = decodeEntry(file, row, palette, options);
    return encodeEntry(image, palette, options);
}

}  // namespace zpk

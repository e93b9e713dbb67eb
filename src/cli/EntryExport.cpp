#include "cli/EntryExport.h"

#include "cli/PngWriter.h"

#include <algorithm>
#include <filesystem>

namespace zpk::cli {

std::string containerStem(const std::string& file)
{
    std::string stem = std::filesystem::path(file).stem().string();
    if (stem.empty() || stem == "." || stem == "..") stem = "entry";
    return stem;
}

std::string rowText(int row) { return "entry row " + std::to_string(row); }

std::string exportErrorText(int row, const Error& error)
{
    // the entry's own faults complete the sentence; the encoder's follow it
    const bool aboutTheEntry = error.code == ErrorCode::NoData || error.code == ErrorCode::EmptyImage;
    return rowText(row) + (aboutTheEntry ? " " : ": ") + error.message;
}

std::optional<IndexedImage> renderIndexed(const DecodedImage& image, const Palette& palette,
                                          DropFirst dropFirst)
{
    if (!image.hasData || image.pixelCount() == 0 || image.produced < image.pixelCount()) return std::nullopt;
    IndexedImage out;
    out.width = image.clippedWidth;
    out.height = image.clippedHeight;
    // every stored pixel was produced, so the decoded values are the indices
    out.indices = image.pixels;
    const std::uint8_t highest = *std::max_element(out.indices.begin(), out.indices.end());
    out.colours.reserve(static_cast<std::size_t>(highest) + 1);
    for (int v = 0; v <= highest; ++v) out.colours.push_back(palette[static_cast<std::size_t>(v) + 2]);
    if (dropFirst == DropFirst::On) out.alpha = {0};
    return out;
}

Result<ExportedEntry> exportEntry(const ContainerFile& file, int row, const ExportStyle& style)
{
    // A fresh palette (all black) for every entry, so that the output does
    // not depend on what was decoded before.
    Palette palette{};
    const DecodedImage image = decodeEntry(file, row, palette, style.decode);
    if (!image.hasData)
        return makeError(ErrorCode::NoData, "has no data: its width and height lie past the end of the file");
    if (image.pixelCount() == 0)
        return makeError(ErrorCode::EmptyImage, "is " + std::to_string(image.imageWidth) + " x " +
                                                    std::to_string(image.imageHeight) +
                                                    " pixels: nothing to draw");

    ExportedEntry out;
    out.imageWidth = image.imageWidth;
    out.imageHeight = image.imageHeight;
    out.width = image.clippedWidth;
    out.height = image.clippedHeight;
    out.produced = image.produced;
    out.pixelCount = image.pixelCount();

    auto png = [&]() -> Result<std::vector<std::uint8_t>> {
        if (style.format == PngFormat::Indexed) {
            if (const auto indexed = renderIndexed(image, palette, style.dropFirst)) {
                out.format = PngFormat::Indexed;
                return encodePng(*indexed);
            }
        }
        out.format = PngFormat::Rgba;
        return encodePng(renderRgba(image, palette, style.dropFirst));
    }();
    if (!png) return png.error();
    out.png = std::move(*png);
    return out;
}

std::string rgbaFallbackNote(const ExportedEntry& entry, PngFormat asked)
{
    if (asked != PngFormat::Indexed || entry.format == PngFormat::Indexed) return {};
    return "written as RGBA: the pixel stream ends after " + std::to_string(entry.produced) + " of " +
           std::to_string(entry.pixelCount) + " pixels";
}

}  // namespace zpk::cli

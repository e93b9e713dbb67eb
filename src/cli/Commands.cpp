#include "cli/Commands.h"

#include "cli/DemoImages.h"
#include "cli/FileOutput.h"
#include "cli/PngWriter.h"
#include "container/Container.h"
#include "decode/Decoder.h"
#include "draw/Draw.h"

#include <filesystem>
#include <iomanip>

#ifndef ZPK_VERSION
#error "ZPK_VERSION must be defined by the build"
#endif

namespace zpk::cli {

namespace {

void report(std::ostream& err, std::string_view file, std::string_view reason)
{
    err << "zpk: " << file << ": " << reason << '\n';
}

std::string rowText(int row) { return "entry row " + std::to_string(row); }

ExitStatus runList(const std::string& path, std::ostream& out, std::ostream& err)
{
    const auto loaded = loadContainer(path);
    if (!loaded) {
        report(err, path, errorReason(loaded.error()));
        return ExitStatus::Failure;
    }
    const ContainerFile& file = *loaded;
    out << path << ": " << file.fileLength << " bytes, " << file.entryCount
        << (file.entryCount == 1 ? " entry" : " entries")
        << " (row, list text, offset, size, width, height)\n";

    const ByteReader bytes = file.reader();
    for (int row = 0; row < file.rowCount(); ++row) {
        const std::int64_t offset = file.entryOffset(row);
        // a damaged size table may put an entry past the end: the size then
        // comes out negative, which says as much
        const std::int64_t size = file.entryEnd(row) - offset;
        out << std::setw(3) << row << ' ' << std::setw(8) << file.listTexts[static_cast<std::size_t>(row)]
            << ' ' << std::setw(8) << offset << ' ' << std::setw(9) << size << ' ';
        // the same test as the decoder's: all four bytes inside the buffer
        const auto header = bytes.span(offset, 4);
        if (header.empty()) {
            out << std::setw(6) << '-' << ' ' << std::setw(6) << '-' << '\n';
            continue;
        }
        const auto width = static_cast<std::int16_t>(header[0] | (header[1] << 8));
        const auto height = static_cast<std::int16_t>(header[2] | (header[3] << 8));
        out << std::setw(6) << width << ' ' << std::setw(6) << height << '\n';
    }
    return ExitStatus::Success;
}

ExitStatus runExport(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    const ExportSettings& settings = invocation.exportSettings;
    const std::string& path = invocation.file;
    const auto loaded = loadContainer(path);
    if (!loaded) {
        report(err, path, errorReason(loaded.error()));
        return ExitStatus::Failure;
    }
    const ContainerFile& file = *loaded;
    if (settings.row >= file.rowCount()) {
        report(err, path,
               "no " + rowText(settings.row) + ": the list has " + std::to_string(file.rowCount()) +
                   (file.rowCount() == 1 ? " row (0)"
                                         : " rows (0 to " + std::to_string(file.rowCount() - 1) + ")"));
        return ExitStatus::Failure;
    }

    // A fresh palette (all black) for every export, so that the output does
    // not depend on what was decoded before.
    Palette palette{};
    const DecodedImage image = decodeEntry(file, settings.row, palette, settings.decode);
    if (!image.hasData) {
        report(err, path,
               rowText(settings.row) + " has no data: its width and height lie past the end of the file");
        return ExitStatus::Failure;
    }
    if (image.imageWidth < 1 || image.imageHeight < 1) {
        report(err, path,
               rowText(settings.row) + " is " + std::to_string(image.imageWidth) + " x " +
                   std::to_string(image.imageHeight) + " pixels: nothing to draw");
        return ExitStatus::Failure;
    }

    const RgbaImage rgba = renderRgba(image, palette, settings.dropFirst);
    const std::string output = settings.output.empty() ? defaultPngName(path, settings.row) : settings.output;
    const auto written = writePng(output, rgba);
    if (!written) {
        report(err, output, written.error().message);
        return ExitStatus::Failure;
    }

    out << "wrote " << output << ": " << rgba.width << " x " << rgba.height << " pixels";
    if (rgba.width != image.imageWidth || rgba.height != image.imageHeight)
        out << " (clipped from " << image.imageWidth << " x " << image.imageHeight << ")";
    if (image.produced < image.pixelCount())
        out << ", the pixel stream ends after " << image.produced << " of " << image.pixelCount();
    out << '\n';
    return ExitStatus::Success;
}

ExitStatus runDemo(const std::string& path, std::ostream& out, std::ostream& err)
{
    const auto images = demoImages();
    const auto container = buildContainer(images);
    if (!container) {
        report(err, path, container.error().message);
        return ExitStatus::Failure;
    }
    const auto written = writeFileReplacing(path, *container);
    if (!written) {
        report(err, path, written.error().message);
        return ExitStatus::Failure;
    }
    out << "wrote " << path << ": " << images.size() << " images, " << written->bytes << " bytes\n";
    return ExitStatus::Success;
}

}  // namespace

std::string defaultPngName(const std::string& file, int row)
{
    std::string stem = std::filesystem::path(file).stem().string();
    if (stem.empty()) stem = "entry";
    return stem + "-" + std::to_string(row) + ".png";
}

ExitStatus run(std::span<const std::string_view> args, std::ostream& out, std::ostream& err)
{
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        err << "zpk: " << error->message << '\n' << usageLine(error->command) << '\n';
        return ExitStatus::Usage;
    }
    const Invocation& invocation = std::get<Invocation>(parsed);
    switch (invocation.command) {
    case Command::Help: out << helpText(invocation.helpTopic); return ExitStatus::Success;
    case Command::Version: out << "zpk " << ZPK_VERSION << '\n'; return ExitStatus::Success;
    case Command::List: return runList(invocation.file, out, err);
    case Command::Export: return runExport(invocation, out, err);
    case Command::Demo: return runDemo(invocation.file, out, err);
    }
    return ExitStatus::Usage;
}

}  // namespace zpk::cli

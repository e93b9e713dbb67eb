// zpk thumbnail and zpk sheet: one picture of a whole container, for a
// file manager or as a contact sheet of every entry.
#include "cli/CommandSupport.h"
#include "cli/Messages.h"
#include "cli/TextEscape.h"
#include "export/ExportNaming.h"
#include "overview/FileThumbnail.h"
#include "overview/Sheet.h"

namespace zpk::cli {

ExitStatus runThumbnail(const ThumbnailSettings& settings, std::ostream& out, std::ostream& err)
{
    zpk::ThumbnailSettings thumbnail;  // the time limit counts from here
    const std::string& path = settings.file;
    const std::string& output = settings.outputPng;
    if (refusesTerminal(output, err)) return ExitStatus::Usage;
    const auto picture = pictureOptions(settings.drawing, err);
    if (!picture) return ExitStatus::Failure;
    thumbnail.size = settings.size;
    thumbnail.picture = *picture;
    const auto made = makeContainerThumbnail(path, thumbnail);
    if (!made) {
        report(err, path, errorReason(made.error()));
        return ExitStatus::Failure;
    }
    if (made->status != ThumbnailStatus::Made) {
        report(err, path, thumbnailProblemText(made->status, made->fileLength));
        return ExitStatus::Failure;
    }
    // a file manager runs this on every file of a folder: success is silent
    return writeOutput(output, made->png, out, err);
}

ExitStatus runSheet(const SheetSettings& settings, std::ostream& out, std::ostream& err)
{
    const std::string& path = settings.file;
    if (refusesTerminal(settings.outputPng, err)) return ExitStatus::Usage;
    const auto drawing = startDrawing(settings.drawing, path, -1, err);
    if (!drawing) return ExitStatus::Failure;
    const ContainerFile& file = drawing->file;
    zpk::SheetSettings sheet;
    sheet.columns = settings.columns;
    sheet.labels = settings.labels;
    sheet.picture = drawing->picture;
    const SheetLayout layout = layoutSheet(file, sheet);
    if (!layout.fits()) {
        report(err, path, sheetTooLargeText(layout));
        return ExitStatus::Failure;
    }
    const auto png = encodeSheet(file, layout, sheet);
    if (!png) {
        report(err, path, errorReason(png.error()));
        return ExitStatus::Failure;
    }
    const std::string output =
        settings.outputPng.empty() ? containerStem(path) + "-sheet.png" : settings.outputPng;
    if (const ExitStatus status = writeOutput(output, *png, out, err); status != ExitStatus::Success)
        return status;
    if (!tells(settings.progress, settings.outputPng)) return ExitStatus::Success;
    out << "wrote " << terminalName(output) << ": " << layout.width << " x " << layout.height << " pixels, "
        << file.rowCount() << (file.rowCount() == 1 ? " entry" : " entries") << " in " << layout.columns
        << (layout.columns == 1 ? " column" : " columns") << '\n';
    return ExitStatus::Success;
}

}  // namespace zpk::cli

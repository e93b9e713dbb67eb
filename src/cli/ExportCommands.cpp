// zpk export (one entry, or --all of every FILE), zpk gif and zpk palette:
// an entry's pixels as PNG, entries as the frames of a GIF, or the colours
// an entry is drawn with.
#include "cli/CommandSupport.h"
#include "cli/Messages.h"
#include "cli/Progress.h"
#include "cli/TextEscape.h"
#include "export/BatchExport.h"
#include "export/EntryExport.h"
#include "export/ExportNaming.h"
#include "export/GifExport.h"
#include "palette/PaletteFile.h"

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace zpk::cli {

namespace {

ExitStatus runExportAll(const ExportSettings& settings, std::ostream& out, std::ostream& err,
                        ErrStream errStream)
{
    BatchSettings batch;
    batch.files = settings.files;
    batch.outputFolder = settings.outputFolder;
    const auto picture = pictureOptions(settings.drawing, err);
    if (!picture) return ExitStatus::Failure;
    batch.options = *picture;
    batch.overwrite = settings.overwrite;
    batch.skipExisting = settings.skipExisting;
    batch.jobs = settings.jobs;
    batch.streams = Streams::ReadToEnd;
    auto planned = planBatch(batch);
    if (const auto* conflict = std::get_if<PlanConflict>(&planned))
        return usage(err, planConflictText(*conflict), Command::Export);
    const BatchPlan& plan = std::get<BatchPlan>(planned);

    const OutputForm form = settings.drawing.picture.form;
    ProgressReporter quiet;
    LineProgress lines(err, form);
    TerminalProgress bar(err, STDERR_FILENO);
    ProgressReporter* progress = &quiet;
    if (settings.progress == ProgressOutput::Shown)
        progress = errStream == ErrStream::Terminal ? static_cast<ProgressReporter*>(&bar) : &lines;

    const BatchResult result = runBatch(plan, *progress);
    writeBatchSummary(out, err, result, settings.outputFolder, form,
                      settings.progress == ProgressOutput::Quiet ? SummaryDetail::FailuresOnly
                                                                 : SummaryDetail::Full);
    return result.allExported() ? ExitStatus::Success : ExitStatus::Failure;
}

}  // namespace

ExitStatus runExport(const ExportSettings& settings, std::ostream& out, std::ostream& err,
                     ErrStream errStream)
{
    if (settings.all) return runExportAll(settings, out, err, errStream);
    const std::string& path = settings.files.front();  // one, checked by the parser
    if (refusesTerminal(settings.outputPng, err)) return ExitStatus::Usage;
    const auto drawing = startDrawing(settings.drawing, path, settings.row, err);
    if (!drawing) return ExitStatus::Failure;
    Palette palette{};  // fresh: the PNG does not depend on the entries before
    const DecodedImage image = decodeEntry(drawing->file, settings.row, palette, drawing->picture);
    if (const auto problem = exportProblem(image)) {
        report(err, path, entryProblemText(settings.row, *problem));
        return ExitStatus::Failure;
    }
    // encoded straight into the output: a large picture's PNG is never held
    ExportedEntry entry;
    const std::string output =
        settings.outputPng.empty() ? defaultPngName(path, settings.row) : settings.outputPng;
    const ExitStatus status =
        writeOutput(output, entryPngMaker(image, palette, drawing->picture, entry), out, err);
    if (status != ExitStatus::Success) return status;
    if (!tells(settings.progress, settings.outputPng)) return ExitStatus::Success;

    out << "wrote " << terminalName(output) << ": " << entry.width << " x " << entry.height << " pixels";
    if (entry.clipped()) out << " (clipped from " << entry.imageWidth << " x " << entry.imageHeight << ")";
    if (entry.form == OutputForm::Indexed) out << ", indexed";
    if (!entry.complete())
        out << ", the pixel stream ends after " << entry.produced << " of " << entry.pixelCount;
    if (entry.fellBackToRgba(settings.drawing.picture.form))
        out << "; written as RGBA, since not every pixel is drawn";
    out << '\n';
    return ExitStatus::Success;
}

ExitStatus runGif(const GifSettings& settings, std::ostream& out, std::ostream& err)
{
    const std::string& path = settings.file;
    const std::string& output = settings.outputGif;
    if (refusesTerminal(output, err, "a GIF")) return ExitStatus::Usage;
    // the container must list the range's last row (or its first, up to the end)
    const auto drawing =
        startDrawing(settings.drawing, path, std::max(settings.firstRow, settings.lastRow), err);
    if (!drawing) return ExitStatus::Failure;
    const int lastRow = settings.lastRow >= 0 ? settings.lastRow : drawing->file.rowCount() - 1;
    std::vector<int> rows;
    for (int row = settings.firstRow; row <= lastRow; ++row) rows.push_back(row);

    WrittenGif written;
    GifOptions gif;
    gif.framesPerSecond = settings.framesPerSecond;
    gif.loops = settings.loops;
    // each entry that makes no frame is named as soon as it is met, as export --all names it
    std::size_t told = 0;
    gif.progress = [&](int, int) {
        for (; told < written.skipped.size(); ++told) {
            const Error& skipped = written.skipped[told];
            report(err, path, entryProblemText(skipped.row, skipped));
        }
        return true;
    };
    const ExitStatus status =
        writeOutput(output, gifMaker(drawing->file, rows, drawing->picture, gif, written), out, err);
    if (status != ExitStatus::Success) return status;
    if (tells(settings.progress, output)) {
        out << "wrote " << terminalName(output) << ": " << written.frames
            << (written.frames == 1 ? " frame" : " frames") << " of up to " << written.width << " x "
            << written.height << " pixels at " << settings.framesPerSecond << " a second";
        if (!written.skipped.empty()) out << "; " << written.skipped.size() << " skipped";
        out << '\n';
    }
    return written.skipped.empty() ? ExitStatus::Success : ExitStatus::Failure;
}

ExitStatus runPalette(const PaletteSettings& settings, std::ostream& out, std::ostream& err)
{
    const std::string& path = settings.file;
    const std::string& output = settings.outputPalette;
    const auto drawing = startDrawing(settings.drawing, path, settings.row, err);
    if (!drawing) return ExitStatus::Failure;
    Palette palette{};  // fresh, as for an export
    const DecodedImage image = decodeEntry(drawing->file, settings.row, palette, drawing->picture);
    if (!image.hasData) {
        report(err, path, entryProblemText(settings.row, makeError(ErrorCode::NoData)));
        return ExitStatus::Failure;
    }
    const auto format = paletteFormatOf(output);  // checked by the parser
    const auto bytes = encodePalette(drawnColours(palette), format.value_or(PaletteFormat::Gpl));
    if (!bytes) {
        report(err, output, errorReason(bytes.error()));
        return ExitStatus::Failure;
    }
    if (const ExitStatus status = writeOutput(output, *bytes, out, err); status != ExitStatus::Success)
        return status;
    if (tells(settings.progress, output))
        out << "wrote " << terminalName(output) << ": the 256 colours of " << rowText(settings.row) << '\n';
    return ExitStatus::Success;
}

}  // namespace zpk::cli

#include "cli/Commands.h"

#include "cli/Listing.h"
#include "cli/Messages.h"
#include "cli/Progress.h"
#include "cli/TextEscape.h"
#include "container/Container.h"
#include "export/BatchExport.h"
#include "export/EntryExport.h"
#include "export/EntryFacts.h"
#include "export/ExportNaming.h"
#include "io/FileOutput.h"
#include "overview/FileThumbnail.h"
#include "overview/Sheet.h"
#include "pack/ContainerUpdate.h"
#include "pack/Pack.h"
#include "pack/PictureReader.h"
#include "palette/PaletteFile.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <unistd.h>

#ifndef ZPK_VERSION
#error "ZPK_VERSION must be defined by the build"
#endif

namespace zpk::cli {

namespace {

void report(std::ostream& err, std::string_view file, std::string_view reason)
{
    err << "zpk: " << terminalName(file) << ": " << reason << '\n';
}

// The tool reads pipes, FIFOs and standard input ("-") to their end.
Result<ContainerFile> load(const std::string& path) { return loadContainer(path, Streams::ReadToEnd); }

ExitStatus usage(std::ostream& err, const std::string& message, Command command)
{
    err << "zpk: " << message << '\n' << usageLine(command) << '\n';
    return ExitStatus::Usage;
}

// Lists every FILE in turn; one that cannot be read is reported and the
// others go on.
ExitStatus runList(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    const ListFormat format = invocation.listFormat;
    const bool array = format == ListFormat::Json && invocation.files.size() > 1;
    ExitStatus status = ExitStatus::Success;
    const auto failed = [&](const std::string& path, const Error& error) {
        report(err, path, errorReason(error));
        status = ExitStatus::Failure;
    };
    bool first = true;  // no file listed yet
    if (array) out << "[\n";
    for (const std::string& path : invocation.files) {
        if (format == ListFormat::Text) {
            // the table alone: the header and four bytes of each entry
            const auto index = loadContainerIndex(path, Streams::ReadToEnd);
            if (!index) {
                failed(path, index.error());
                continue;
            }
            if (!first) out << '\n';
            writeListText(out, path, *index);
        } else {
            const auto loaded = load(path);
            if (!loaded) {
                failed(path, loaded.error());
                continue;
            }
            const auto facts = allEntryFacts(*loaded);
            if (format == ListFormat::Csv) {
                if (first) writeListCsvHeader(out);  // once, and only above records
                writeListCsv(out, path, facts);
            } else {
                if (array && !first) out << ",\n";
                writeListJson(out, path, *loaded, facts,
                              format == ListFormat::JsonLines ? JsonLayout::OneLine : JsonLayout::Indented);
                if (!array) out << '\n';
            }
        }
        first = false;
    }
    if (array) out << (first ? "]\n" : "\n]\n");
    return status;
}

ExitStatus runInfo(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    ExitStatus status = ExitStatus::Success;
    bool first = true;
    for (const std::string& path : invocation.files) {
        const auto loaded = load(path);
        if (!loaded) {
            report(err, path, errorReason(loaded.error()));
            status = ExitStatus::Failure;
            continue;
        }
        if (!first) out << '\n';
        writeInfo(out, path, *loaded, allEntryFacts(*loaded));
        first = false;
    }
    return status;
}

// The picture options of a command, with the colours of --palette read
// into them; nothing (reported) when that file cannot be read.
std::optional<PictureOptions> pictureOptions(const ExportSettings& settings, std::ostream& err)
{
    PictureOptions picture = settings.picture;
    if (settings.paletteFile.empty()) return picture;
    auto colours = readPaletteFile(settings.paletteFile);
    if (!colours) {
        report(err, settings.paletteFile, errorReason(colours.error()));
        return std::nullopt;
    }
    picture.externalPalette = std::make_shared<const std::vector<Colour>>(std::move(*colours));
    return picture;
}

// The container at `path`, which must list row `row` (a negative row: any
// container will do); nothing, with the reason reported, when it cannot be
// read or lists fewer rows.
std::optional<ContainerFile> loadWithRow(const std::string& path, int row, std::ostream& err)
{
    auto loaded = load(path);
    if (!loaded) {
        report(err, path, errorReason(loaded.error()));
        return std::nullopt;
    }
    if (row >= loaded->rowCount()) {
        report(err, path, missingRowText(row, loaded->rowCount()));
        return std::nullopt;
    }
    return std::move(*loaded);
}

// What a command that draws the entries of one container starts from.
struct Drawing {
    PictureOptions picture;  // with the colours of --palette
    ContainerFile file;
};

// Reads --palette's file and the container, and checks the row asked for
// when `checkRow`; nothing, with the reason reported, when one of them fails.
std::optional<Drawing> startDrawing(const Invocation& invocation, bool checkRow, std::ostream& err)
{
    const ExportSettings& settings = invocation.exportSettings;
    auto picture = pictureOptions(settings, err);
    if (!picture) return std::nullopt;
    auto loaded = loadWithRow(invocation.file, checkRow ? settings.row : -1, err);
    if (!loaded) return std::nullopt;
    return Drawing{std::move(*picture), std::move(*loaded)};
}

// Output "-" is standard output, which a PNG (or other binary output, `what`)
// must not be written to while it is a terminal; true (reported) then.
bool refusesTerminal(const std::string& output, std::ostream& err, std::string_view what = "a PNG")
{
    if (output != "-" || !::isatty(STDOUT_FILENO)) return false;
    err << "zpk: refusing to write " << what << " to a terminal: redirect standard output, or give -o FILE\n";
    return true;
}

// Reports an error of the pack library, which names the file at fault (a
// picture, a folder, a container) in its path; `fallback` when it names none.
void reportPackError(std::ostream& err, const Error& error, const std::string& fallback)
{
    report(err, error.path.empty() ? fallback : error.path, errorReason(error));
}

// Writes a command's whole output: to standard output for "-", else to the
// file `output` (replaced, or written through a link, as FileOutput does).
ExitStatus writeOutput(const std::string& output, std::span<const std::uint8_t> bytes, std::ostream& out,
                       std::ostream& err)
{
    if (output == "-") {
        // the bytes are the output: anything said about them goes to standard error
        out.flush();
        if (const int failed = writeAll(STDOUT_FILENO, bytes); failed != 0) {
            err << "zpk: write error: " << std::strerror(failed) << '\n';
            return ExitStatus::Failure;
        }
        return ExitStatus::Success;
    }
    const auto written = writeFileReplacing(output, bytes);
    if (!written) {
        report(err, output, errorReason(written.error()));
        return ExitStatus::Failure;
    }
    return ExitStatus::Success;
}

// Whether the closing line is said: not with -q, nor when the output is
// standard output.
bool tells(const ExportSettings& settings)
{
    return settings.progress != ProgressOutput::Quiet && settings.output != "-";
}

ExitStatus runExport(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    const ExportSettings& settings = invocation.exportSettings;
    const std::string& path = invocation.file;
    if (refusesTerminal(settings.output, err)) return ExitStatus::Usage;
    const auto drawing = startDrawing(invocation, true, err);
    if (!drawing) return ExitStatus::Failure;
    const auto exported = exportEntry(drawing->file, settings.row, drawing->picture);
    if (!exported) {
        report(err, path, entryProblemText(settings.row, exported.error()));
        return ExitStatus::Failure;
    }
    const ExportedEntry& entry = *exported;
    const std::string output = settings.output.empty() ? defaultPngName(path, settings.row) : settings.output;
    if (const ExitStatus status = writeOutput(output, entry.png, out, err); status != ExitStatus::Success)
        return status;
    if (!tells(settings)) return ExitStatus::Success;

    out << "wrote " << terminalName(output) << ": " << entry.width << " x " << entry.height << " pixels";
    if (entry.clipped()) out << " (clipped from " << entry.imageWidth << " x " << entry.imageHeight << ")";
    if (entry.form == OutputForm::Indexed) out << ", indexed";
    if (!entry.complete())
        out << ", the pixel stream ends after " << entry.produced << " of " << entry.pixelCount;
    if (entry.fellBackToRgba(settings.picture.form))
        out << "; written as RGBA, since not every pixel is drawn";
    out << '\n';
    return ExitStatus::Success;
}

ExitStatus runThumbnail(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    ThumbnailSettings thumbnail;  // the time limit counts from here
    const ExportSettings& settings = invocation.exportSettings;
    const std::string& path = invocation.file;
    if (refusesTerminal(settings.output, err)) return ExitStatus::Usage;
    const auto picture = pictureOptions(settings, err);
    if (!picture) return ExitStatus::Failure;
    thumbnail.size = settings.thumbnailSize;
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
    if (const ExitStatus status = writeOutput(settings.output, made->png, out, err);
        status != ExitStatus::Success)
        return status;
    if (!tells(settings)) return ExitStatus::Success;
    out << "wrote " << terminalName(settings.output) << ": " << made->width << " x " << made->height
        << " pixels, ";
    if (made->rows.size() == 1) {
        out << rowText(made->rows.front());
    } else {
        out << made->rows.size() << " entries (rows " << made->rows.front() << " to " << made->rows.back()
            << ")";
    }
    out << '\n';
    return ExitStatus::Success;
}

ExitStatus runSheet(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    const ExportSettings& settings = invocation.exportSettings;
    const std::string& path = invocation.file;
    if (refusesTerminal(settings.output, err)) return ExitStatus::Usage;
    const auto drawing = startDrawing(invocation, false, err);
    if (!drawing) return ExitStatus::Failure;
    const ContainerFile& file = drawing->file;
    SheetSettings sheet;
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
    const std::string output = settings.output.empty() ? containerStem(path) + "-sheet.png" : settings.output;
    if (const ExitStatus status = writeOutput(output, *png, out, err); status != ExitStatus::Success)
        return status;
    if (!tells(settings)) return ExitStatus::Success;
    out << "wrote " << terminalName(output) << ": " << layout.width << " x " << layout.height << " pixels, "
        << file.rowCount() << (file.rowCount() == 1 ? " entry" : " entries") << " in " << layout.columns
        << (layout.columns == 1 ? " column" : " columns") << '\n';
    return ExitStatus::Success;
}

ExitStatus runPalette(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    const ExportSettings& settings = invocation.exportSettings;
    const std::string& path = invocation.file;
    const auto drawing = startDrawing(invocation, true, err);
    if (!drawing) return ExitStatus::Failure;
    Palette palette{};  // fresh, as for an export
    const DecodedImage image = decodeEntry(drawing->file, settings.row, palette, drawing->picture);
    if (!image.hasData) {
        report(err, path, entryProblemText(settings.row, makeError(ErrorCode::NoData)));
        return ExitStatus::Failure;
    }
    const auto format = paletteFormatOf(settings.output);  // checked by the parser
    const auto bytes = encodePalette(drawnColours(palette), format.value_or(PaletteFormat::Gpl));
    if (!bytes) {
        report(err, settings.output, errorReason(bytes.error()));
        return ExitStatus::Failure;
    }
    if (const ExitStatus status = writeOutput(settings.output, *bytes, out, err);
        status != ExitStatus::Success)
        return status;
    if (tells(settings))
        out << "wrote " << terminalName(settings.output) << ": the 256 colours of " << rowText(settings.row)
            << '\n';
    return ExitStatus::Success;
}

// Reads every picture, checks every limit, and only then writes OUT.
ExitStatus runPack(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    const ExportSettings& settings = invocation.exportSettings;
    const PackSettings& pack = invocation.packSettings;
    const std::string& output = settings.output;
    // an existing OUT is kept without --force: refused before any picture is read
    // (and again by the write itself, should one appear meanwhile)
    std::error_code ec;
    if (settings.overwrite == Overwrite::Refuse && std::filesystem::exists(output, ec)) {
        report(err, output, packOutputExistsText());
        return ExitStatus::Failure;
    }
    std::vector<std::string> pictures = pack.pictures;
    if (!pack.fromFolder.empty()) {
        auto listed = listExportedPngs(pack.fromFolder);
        if (!listed) {
            reportPackError(err, listed.error(), pack.fromFolder);
            return ExitStatus::Failure;
        }
        pictures = std::move(*listed);
    }
    if (pictures.size() > static_cast<std::size_t>(kMaxEntries)) {
        // told before 256 pictures are read for nothing
        report(err, pictures[static_cast<std::size_t>(kMaxEntries)],
               "cannot pack: one picture too many: a container holds at most " + std::to_string(kMaxEntries) +
                   " entries");
        return ExitStatus::Failure;
    }
    // OUT is written after every picture is read: it may not be one of them
    const auto existing = fileIdentity(output);
    for (const std::string& picture : pictures) {
        const auto read = fileIdentity(picture);
        if (picture == output || (existing && read && existing->sameFile(*read))) {
            report(err, output, "is one of the pictures to pack: give another OUT.zpk");
            return ExitStatus::Failure;
        }
    }
    auto container =
        packPictures(pictures, pack.options, [&](const std::string& picture, const PictureNotes&) {
            report(err, picture, transparentIndex0Note());
        });
    if (!container) {
        reportPackError(err, container.error(), output);
        return ExitStatus::Failure;
    }
    const auto parts = container->parts();
    if (!parts) {
        reportPackError(err, parts.error(), output);
        return ExitStatus::Failure;
    }
    const auto written = writeFileAtomically(output, *parts, WriteOptions{settings.overwrite, {}});
    if (!written) {
        report(err, output,
               written.error().code == ErrorCode::Exists ? packOutputExistsText()
                                                         : errorReason(written.error()));
        return ExitStatus::Failure;
    }
    if (settings.progress != ProgressOutput::Quiet)
        out << "wrote " << terminalName(output) << ": " << entryCountText(pictures.size()) << ", "
            << container->size() << " bytes\n";
    return ExitStatus::Success;
}

// What `edit` makes of the container `path`, written to standard output.
Result<WrittenFile> writeToStandardOutput(const std::string& path, const ContainerEdit& edit,
                                          std::ostream& out)
{
    const auto current = load(path);
    if (!current) return current.error();
    auto plan = edit(*current);
    if (!plan) return plan.error();
    const auto parts = plan->parts();
    if (!parts) return parts.error();
    out.flush();
    for (const auto part : *parts)
        if (const int failed = writeAll(STDOUT_FILENO, part); failed != 0)
            return makeError(ErrorCode::WriteFailed, "-", failed);
    return WrittenFile{"-", static_cast<std::size_t>(plan->size())};
}

// The container rebuilt with one entry new; FILE itself is replaced (the
// old file stays whole until the new one is complete, and nobody else's
// change is lost) unless -o names another file.
ExitStatus runReplace(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    const ExportSettings& settings = invocation.exportSettings;
    const std::string& path = invocation.file;
    const std::string& picture = invocation.packSettings.pictures.front();  // checked by the parser
    if (refusesTerminal(settings.output, err, "a container")) return ExitStatus::Usage;
    // read before the container is locked: nobody waits on a slow picture
    PictureNotes notes;
    const auto image = readPackImage(picture, invocation.packSettings.options, &notes);
    if (!image) {
        reportPackError(err, image.error(), picture);
        return ExitStatus::Failure;
    }
    if (notes.transparentIndex0) report(err, picture, transparentIndex0Note());
    std::optional<std::string> missingRow;
    std::int64_t oldLength = 0;
    std::int64_t newLength = 0;
    std::int64_t total = 0;
    const auto edit = [&](const ContainerFile& current) -> Result<ContainerPlan> {
        if (settings.row >= current.rowCount()) {
            missingRow = missingRowText(settings.row, current.rowCount());
            return makeError(ErrorCode::NoData, path);
        }
        auto plan = planReplacement(current, settings.row, *image);
        if (!plan) return plan.error();
        oldLength = entryLength(current, settings.row);
        newLength = static_cast<std::int64_t>(plan->entry(settings.row).size());
        total = plan->size();
        return plan;
    };
    UpdateSettings update;
    update.force = settings.overwrite == Overwrite::Replace;
    const auto written = settings.output == "-" ? writeToStandardOutput(path, edit, out)
                                                : updateContainer(path, settings.output, edit, update);
    if (!written) {
        const Error& error = written.error();
        if (missingRow) report(err, path, *missingRow);
        else if (error.code == ErrorCode::WriteFailed && error.path == "-")
            err << "zpk: write error: " << std::strerror(error.systemError) << '\n';
        else if (error.code == ErrorCode::CannotPack) reportPackError(err, error, path);
        else if (error.code == ErrorCode::NotRegularFile && error.path == path && settings.output.empty())
            report(err, path, "is not a regular file, so it cannot be replaced in place: give -o OUT");
        else report(err, error.path.empty() ? path : error.path, errorReason(error));
        return ExitStatus::Failure;
    }
    if (!tells(settings)) return ExitStatus::Success;
    const std::string output = settings.output.empty() ? path : settings.output;
    out << "wrote " << terminalName(output) << ": " << rowText(settings.row) << " replaced by "
        << terminalName(picture) << " (" << image->width << " x " << image->height << " pixels, " << newLength
        << " bytes, was " << oldLength << "), " << total << " bytes in all\n";
    return ExitStatus::Success;
}

// The bytes of one entry as the file holds them.
ExitStatus runExtract(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    const ExportSettings& settings = invocation.exportSettings;
    const std::string& path = invocation.file;
    if (refusesTerminal(settings.output, err, "an entry's bytes")) return ExitStatus::Usage;
    const auto loaded = loadWithRow(path, settings.row, err);
    if (!loaded) return ExitStatus::Failure;
    const auto bytes = entryBytes(*loaded, settings.row);
    if (!bytes) {
        report(err, path, entryProblemText(settings.row, bytes.error()));
        return ExitStatus::Failure;
    }
    if (const ExitStatus status = writeOutput(settings.output, *bytes, out, err);
        status != ExitStatus::Success)
        return status;
    if (tells(settings))
        out << "wrote " << terminalName(settings.output) << ": " << rowText(settings.row) << ", "
            << bytes->size() << " bytes\n";
    return ExitStatus::Success;
}

ExitStatus runExportAll(const Invocation& invocation, std::ostream& out, std::ostream& err,
                        ErrStream errStream)
{
    const ExportSettings& settings = invocation.exportSettings;
    BatchSettings batch;
    batch.files = invocation.files;
    batch.outputFolder = settings.output;
    const auto picture = pictureOptions(settings, err);
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

    ProgressReporter quiet;
    LineProgress lines(err, settings.picture.form);
    TerminalProgress bar(err, STDERR_FILENO);
    ProgressReporter* progress = &quiet;
    if (settings.progress == ProgressOutput::Shown)
        progress = errStream == ErrStream::Terminal ? static_cast<ProgressReporter*>(&bar) : &lines;

    const BatchResult result = runBatch(plan, *progress);
    writeBatchSummary(out, err, result, settings.output, settings.picture.form,
                      settings.progress == ProgressOutput::Quiet ? SummaryDetail::FailuresOnly
                                                                 : SummaryDetail::Full);
    return result.allExported() ? ExitStatus::Success : ExitStatus::Failure;
}

}  // namespace

ExitStatus run(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
               ErrStream errStream)
{
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (const auto* error = std::get_if<UsageError>(&parsed))
        return usage(err, error->message, error->command);
    const Invocation& invocation = std::get<Invocation>(parsed);
    switch (invocation.command) {
    case Command::Help: out << helpText(invocation.helpTopic); return ExitStatus::Success;
    case Command::Version: out << "zpk " << ZPK_VERSION << '\n'; return ExitStatus::Success;
    case Command::List: return runList(invocation, out, err);
    case Command::Info: return runInfo(invocation, out, err);
    case Command::Export:
        if (invocation.exportSettings.all) return runExportAll(invocation, out, err, errStream);
        return runExport(invocation, out, err);
    case Command::Thumbnail: return runThumbnail(invocation, out, err);
    case Command::Sheet: return runSheet(invocation, out, err);
    case Command::Palette: return runPalette(invocation, out, err);
    case Command::Pack: return runPack(invocation, out, err);
    case Command::Replace: return runReplace(invocation, out, err);
    case Command::Extract: return runExtract(invocation, out, err);
    }
    return ExitStatus::Usage;
}

}  // namespace zpk::cli

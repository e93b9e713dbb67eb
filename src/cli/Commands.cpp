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
#include "export/FileOutput.h"

#include <cstring>
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

ExitStatus runExport(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    const ExportSettings& settings = invocation.exportSettings;
    const std::string& path = invocation.file;
    const bool toStandardOutput = settings.output == "-";
    if (toStandardOutput && ::isatty(STDOUT_FILENO)) {
        err << "zpk: refusing to write a PNG to a terminal: redirect standard output, or give -o FILE\n";
        return ExitStatus::Usage;
    }
    const auto loaded = load(path);
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

    const auto exported = exportEntry(file, settings.row, settings.picture);
    if (!exported) {
        report(err, path, entryProblemText(settings.row, exported.error()));
        return ExitStatus::Failure;
    }
    const ExportedEntry& entry = *exported;
    if (toStandardOutput) {
        // the PNG is the output: anything said about it goes to standard error
        out.flush();
        if (const int failed = writeAll(STDOUT_FILENO, entry.png); failed != 0) {
            err << "zpk: write error: " << std::strerror(failed) << '\n';
            return ExitStatus::Failure;
        }
        return ExitStatus::Success;
    }
    const std::string output = settings.output.empty() ? defaultPngName(path, settings.row) : settings.output;
    const auto written = writeFileReplacing(output, entry.png);
    if (!written) {
        report(err, output, errorReason(written.error()));
        return ExitStatus::Failure;
    }
    if (settings.progress == ProgressOutput::Quiet) return ExitStatus::Success;

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

ExitStatus runExportAll(const Invocation& invocation, std::ostream& out, std::ostream& err,
                        ErrStream errStream)
{
    const ExportSettings& settings = invocation.exportSettings;
    BatchSettings batch;
    batch.files = invocation.files;
    batch.outputFolder = settings.output;
    batch.options = settings.picture;
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
    }
    return ExitStatus::Usage;
}

}  // namespace zpk::cli

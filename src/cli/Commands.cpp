#include "cli/Commands.h"

#include "cli/Listing.h"
#include "cli/Messages.h"
#include "cli/Progress.h"
#include "container/Container.h"
#include "export/BatchExport.h"
#include "export/EntryExport.h"
#include "export/EntryFacts.h"
#include "export/ExportNaming.h"
#include "export/FileOutput.h"

#ifndef ZPK_VERSION
#error "ZPK_VERSION must be defined by the build"
#endif

namespace zpk::cli {

namespace {

void report(std::ostream& err, std::string_view file, std::string_view reason)
{
    err << "zpk: " << file << ": " << reason << '\n';
}

ExitStatus usage(std::ostream& err, const std::string& message, Command command)
{
    err << "zpk: " << message << '\n' << usageLine(command) << '\n';
    return ExitStatus::Usage;
}

ExitStatus runList(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    const std::string& path = invocation.file;
    const auto loaded = loadContainer(path);
    if (!loaded) {
        report(err, path, errorReason(loaded.error()));
        return ExitStatus::Failure;
    }
    switch (invocation.listFormat) {
    case ListFormat::Text: writeListText(out, path, *loaded); break;
    case ListFormat::Csv: writeListCsv(out, path, allEntryFacts(*loaded)); break;
    case ListFormat::Json: writeListJson(out, path, *loaded, allEntryFacts(*loaded)); break;
    }
    return ExitStatus::Success;
}

ExitStatus runInfo(const std::string& path, std::ostream& out, std::ostream& err)
{
    const auto loaded = loadContainer(path);
    if (!loaded) {
        report(err, path, errorReason(loaded.error()));
        return ExitStatus::Failure;
    }
    writeInfo(out, path, *loaded, allEntryFacts(*loaded));
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

    const auto exported = exportEntry(file, settings.row, settings.picture);
    if (!exported) {
        report(err, path, entryProblemText(settings.row, exported.error()));
        return ExitStatus::Failure;
    }
    const ExportedEntry& entry = *exported;
    const std::string output = settings.output.empty() ? defaultPngName(path, settings.row) : settings.output;
    const auto written = writeFileReplacing(output, entry.png);
    if (!written) {
        report(err, output, errorReason(written.error()));
        return ExitStatus::Failure;
    }

    out << "wrote " << output << ": " << entry.width << " x " << entry.height << " pixels";
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
    batch.jobs = settings.jobs;
    auto planned = planBatch(batch);
    if (const auto* conflict = std::get_if<PlanConflict>(&planned))
        return usage(err, planConflictText(*conflict), Command::Export);
    const BatchPlan& plan = std::get<BatchPlan>(planned);

    ProgressReporter quiet;
    LineProgress lines(err, settings.picture.form);
    TerminalProgress bar(err);
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
    case Command::Info: return runInfo(invocation.file, out, err);
    case Command::Export:
        if (invocation.exportSettings.all) return runExportAll(invocation, out, err, errStream);
        return runExport(invocation, out, err);
    }
    return ExitStatus::Usage;
}

}  // namespace zpk::cli

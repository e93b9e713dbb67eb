// zpk list and zpk info: what containers hold, as a table, records or facts;
// zpk diff: how two differ, row by row.
#include "cli/CommandSupport.h"
#include "cli/Listing.h"
#include "cli/Messages.h"
#include "export/EntryFacts.h"

#include <algorithm>

namespace zpk::cli {

// Lists every FILE in turn; one that cannot be read is reported and the
// others go on.
ExitStatus runList(const ListSettings& settings, std::ostream& out, std::ostream& err)
{
    const ListFormat format = settings.format;
    const bool array = format == ListFormat::Json && settings.files.size() > 1;
    ExitStatus status = ExitStatus::Success;
    const auto failed = [&](const std::string& path, const Error& error) {
        report(err, path, errorReason(error));
        status = ExitStatus::Failure;
    };
    bool first = true;  // no file listed yet
    if (array) out << "[\n";
    for (const std::string& path : settings.files) {
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

ExitStatus runInfo(const InfoSettings& settings, std::ostream& out, std::ostream& err)
{
    ExitStatus status = ExitStatus::Success;
    bool first = true;
    for (const std::string& path : settings.files) {
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

// Both containers are read whole before a row is compared; each row's
// line is written as soon as it is compared. -q stops at the first row
// that differs, as nothing is printed.
ExitStatus runDiff(const DiffSettings& settings, std::ostream& out, std::ostream& err)
{
    const auto picture = pictureOptions(settings.drawing, err);
    if (!picture) return ExitStatus::Trouble;
    const auto loadReporting = [&](const std::string& path) {
        auto loaded = load(path);
        if (!loaded) report(err, path, errorReason(loaded.error()));
        return loaded;
    };
    const auto a = loadReporting(settings.fileA);
    const auto b = loadReporting(settings.fileB);
    if (!a || !b) return ExitStatus::Trouble;

    bool differs = false;
    const int rows = std::max(a->rowCount(), b->rowCount());
    for (int row = 0; row < rows; ++row) {
        const RowDifference difference = compareRow(*a, *b, row, settings.by, *picture);
        if (!difference.differs()) continue;
        differs = true;
        if (settings.quiet) break;
        writeDifference(out, difference, settings.format);
    }
    // a failed write is trouble, not an answer (main says why)
    out.flush();
    if (!out) return ExitStatus::Trouble;
    return differs ? ExitStatus::Differ : ExitStatus::Success;
}

}  // namespace zpk::cli

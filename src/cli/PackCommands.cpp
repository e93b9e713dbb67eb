// zpk pack, zpk replace and zpk extract: containers made from PNGs, an
// entry put in another's place, an entry's bytes as the file holds them.
#include "cli/CommandSupport.h"
#include "cli/Messages.h"
#include "cli/TextEscape.h"
#include "io/FileOutput.h"
#include "pack/ContainerUpdate.h"
#include "pack/Pack.h"
#include "pack/PictureReader.h"

#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace zpk::cli {

namespace {

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

}  // namespace

// Reads every picture, checks every limit, and only then writes OUT.
ExitStatus runPack(const PackSettings& settings, std::ostream& out, std::ostream& err)
{
    const std::string& output = settings.outputContainer;
    // an existing OUT is kept without --force: refused before any picture is read
    // (and again by the write itself, should one appear meanwhile)
    std::error_code ec;
    if (settings.overwrite == Overwrite::Refuse && std::filesystem::exists(output, ec)) {
        report(err, output, packOutputExistsText());
        return ExitStatus::Failure;
    }
    std::vector<std::string> pictures = settings.pictures;
    if (!settings.fromFolder.empty()) {
        auto listed = listExportedPngs(settings.fromFolder);
        if (!listed) {
            reportPackError(err, listed.error(), settings.fromFolder);
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
        packPictures(pictures, settings.options, [&](const std::string& picture, const PictureNotes&) {
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

// The container rebuilt with one entry new; FILE itself is replaced (the
// old file stays whole until the new one is complete, and nobody else's
// change is lost) unless -o names another file.
ExitStatus runReplace(const ReplaceSettings& settings, std::ostream& out, std::ostream& err)
{
    const std::string& path = settings.file;
    const std::string& picture = settings.image;
    if (refusesTerminal(settings.outputContainer, err, "a container")) return ExitStatus::Usage;
    // read before the container is locked: nobody waits on a slow picture
    PictureNotes notes;
    const auto image = readPackImage(picture, settings.options, &notes);
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
    const auto written = settings.outputContainer == "-"
                             ? writeToStandardOutput(path, edit, out)
                             : updateContainer(path, settings.outputContainer, edit, update);
    if (!written) {
        const Error& error = written.error();
        if (missingRow) report(err, path, *missingRow);
        else if (error.code == ErrorCode::WriteFailed && error.path == "-")
            err << "zpk: write error: " << std::strerror(error.systemError) << '\n';
        else if (error.code == ErrorCode::CannotPack) reportPackError(err, error, path);
        else if (error.code == ErrorCode::NotRegularFile && error.path == path &&
                 settings.outputContainer.empty())
            report(err, path, "is not a regular file, so it cannot be replaced in place: give -o OUT");
        else report(err, error.path.empty() ? path : error.path, errorReason(error));
        return ExitStatus::Failure;
    }
    if (!tells(settings.progress, settings.outputContainer)) return ExitStatus::Success;
    const std::string output = settings.outputContainer.empty() ? path : settings.outputContainer;
    out << "wrote " << terminalName(output) << ": " << rowText(settings.row) << " replaced by "
        << terminalName(picture) << " (" << image->width << " x " << image->height << " pixels, " << newLength
        << " bytes, was " << oldLength << "), " << total << " bytes in all\n";
    return ExitStatus::Success;
}

// The bytes of one entry as the file holds them.
ExitStatus runExtract(const ExtractSettings& settings, std::ostream& out, std::ostream& err)
{
    const std::string& path = settings.file;
    const std::string& output = settings.outputFile;
    if (refusesTerminal(output, err, "an entry's bytes")) return ExitStatus::Usage;
    const auto loaded = loadWithRow(path, settings.row, err);
    if (!loaded) return ExitStatus::Failure;
    const auto bytes = entryBytes(*loaded, settings.row);
    if (!bytes) {
        report(err, path, entryProblemText(settings.row, bytes.error()));
        return ExitStatus::Failure;
    }
    if (const ExitStatus status = writeOutput(output, *bytes, out, err); status != ExitStatus::Success)
        return status;
    if (tells(settings.progress, output))
        out << "wrote " << terminalName(output) << ": " << rowText(settings.row) << ", " << bytes->size()
            << " bytes\n";
    return ExitStatus::Success;
}

}  // namespace zpk::cli

// zpk pack, zpk replace, zpk insert, zpk delete, zpk move and zpk extract:
// containers made from PNGs, an entry put in another's place, entries
// added, taken out and reordered, an entry's bytes as the file holds them.
#include "cli/CommandSupport.h"
#include "cli/Messages.h"
#include "cli/TextEscape.h"
#include "io/FileOutput.h"
#include "pack/ContainerEdit.h"
#include "pack/ContainerUpdate.h"
#include "pack/Pack.h"
#include "pack/PictureReader.h"

#include <cstring>
#include <filesystem>
#include <functional>
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

// What `edit` makes of the container FILE, written over it, to the file
// OUT, or to standard output (OUT "-").
Result<WrittenFile> writeEdited(const ContainerRewrite& settings, const ContainerEdit& edit,
                                std::ostream& out)
{
    if (settings.outputContainer == "-") return writeToStandardOutput(settings.file, edit, out);
    UpdateSettings update;
    update.force = settings.overwrite == Overwrite::Replace;
    return updateContainer(settings.file, settings.outputContainer, edit, update);
}

// Why the container FILE was not rewritten; a refusal of the edit is
// worded as what could not be done ("cannot delete: ...").
void reportEditError(std::ostream& err, const Error& error, const ContainerRewrite& settings,
                     std::string_view refused)
{
    const std::string& path = settings.file;
    if (error.code == ErrorCode::WriteFailed && error.path == "-")
        err << "zpk: write error: " << std::strerror(error.systemError) << '\n';
    else if (error.code == ErrorCode::CannotPack)
        report(err, error.path.empty() ? path : error.path,
               "cannot " + std::string(refused) + ": " + refusalText(error));
    else if (error.code == ErrorCode::NotRegularFile && error.path == path &&
             settings.outputContainer.empty())
        report(err, path, "is not a regular file, so it cannot be replaced in place: give -o OUT");
    else report(err, error.path.empty() ? path : error.path, errorReason(error));
}

// An edit of a container's rows, and what it made.
using RowEdit = std::function<Result<EditableContainer>(const EditableContainer&)>;
struct EditedRows {
    int rowCount = 0;
    std::int64_t size = 0;  // of the whole container
};

// The container FILE rewritten by `edit` as `-o` and `--force` say;
// nothing, with the reason reported, when that fails or the edit is refused
// (`refused` names it).
std::optional<EditedRows> editRows(const ContainerRewrite& settings, std::string_view refused,
                                   const RowEdit& edit, std::ostream& out, std::ostream& err)
{
    EditedRows made;
    const auto planned = [&](const ContainerFile& current) -> Result<ContainerPlan> {
        auto container = editableContainer(current, /*borrow*/ true);
        if (!container) return container.error();
        auto edited = edit(*container);
        if (!edited) return edited.error();
        ContainerPlan plan = planKeepingNew(*edited);
        made = {edited->rowCount(), plan.size()};
        return plan;
    };
    const auto written = writeEdited(settings, planned, out);
    if (!written) {
        reportEditError(err, written.error(), settings, refused);
        return std::nullopt;
    }
    return made;
}

// "wrote FILE: " for the closing line of a command that rewrote FILE, or
// wrote it to -o OUT.
std::string wroteText(const std::string& path, const std::string& output)
{
    return "wrote " + terminalName(output.empty() ? path : output) + ": ";
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
    const auto written = writeEdited(settings, edit, out);
    if (!written) {
        if (missingRow) report(err, path, *missingRow);
        else reportEditError(err, written.error(), settings, "pack");
        return ExitStatus::Failure;
    }
    if (!tells(settings.progress, settings.outputContainer)) return ExitStatus::Success;
    out << wroteText(path, settings.outputContainer) << rowText(settings.row) << " replaced by "
        << terminalName(picture) << " (" << image->width << " x " << image->height << " pixels, " << newLength
        << " bytes, was " << oldLength << "), " << total << " bytes in all\n";
    return ExitStatus::Success;
}

// The pictures read first, as replace reads its one; then the container
// rebuilt with them in front of row K, as replace rebuilds it.
ExitStatus runInsert(const InsertSettings& settings, std::ostream& out, std::ostream& err)
{
    if (refusesTerminal(settings.outputContainer, err, "a container")) return ExitStatus::Usage;
    // a container keeps a row of its own: told before 255 pictures are read for nothing
    if (settings.images.size() >= static_cast<std::size_t>(kMaxEntries)) {
        report(err, settings.images[static_cast<std::size_t>(kMaxEntries) - 1],
               "cannot insert: one picture too many: a container holds at most " +
                   std::to_string(kMaxEntries) + " entries");
        return ExitStatus::Failure;
    }
    std::vector<WriterImage> images;
    for (const std::string& picture : settings.images) {
        PictureNotes notes;
        auto image = readPackImage(picture, settings.options, &notes);
        if (!image) {
            reportPackError(err, image.error(), picture);
            return ExitStatus::Failure;
        }
        if (notes.transparentIndex0) report(err, picture, transparentIndex0Note());
        images.push_back(std::move(*image));
    }
    const auto made = editRows(
        settings, "insert", [&](const EditableContainer& c) { return insertRows(c, settings.at, images); },
        out, err);
    if (!made) return ExitStatus::Failure;
    if (tells(settings.progress, settings.outputContainer))
        out << wroteText(settings.file, settings.outputContainer) << entryCountText(images.size())
            << " inserted at " << rowText(settings.at) << ", "
            << entryCountText(static_cast<std::size_t>(made->rowCount)) << " in all, " << made->size
            << " bytes\n";
    return ExitStatus::Success;
}

ExitStatus runDelete(const DeleteSettings& settings, std::ostream& out, std::ostream& err)
{
    if (refusesTerminal(settings.outputContainer, err, "a container")) return ExitStatus::Usage;
    const auto made = editRows(
        settings, "delete", [&](const EditableContainer& c) { return deleteRows(c, {settings.row}); }, out,
        err);
    if (!made) return ExitStatus::Failure;
    if (tells(settings.progress, settings.outputContainer))
        out << wroteText(settings.file, settings.outputContainer) << rowText(settings.row) << " deleted, "
            << entryCountText(static_cast<std::size_t>(made->rowCount)) << " left, " << made->size
            << " bytes in all\n";
    return ExitStatus::Success;
}

ExitStatus runMove(const MoveSettings& settings, std::ostream& out, std::ostream& err)
{
    if (refusesTerminal(settings.outputContainer, err, "a container")) return ExitStatus::Usage;
    const auto made = editRows(
        settings, "move", [&](const EditableContainer& c) { return moveRow(c, settings.row, settings.to); },
        out, err);
    if (!made) return ExitStatus::Failure;
    if (tells(settings.progress, settings.outputContainer))
        out << wroteText(settings.file, settings.outputContainer) << rowText(settings.row) << " moved to row "
            << settings.to << ", " << made->size << " bytes in all\n";
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

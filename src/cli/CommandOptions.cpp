#include "cli/CommandOptions.h"

#include "decode/ColourRamp.h"
#include "export/GifExport.h"
#include "gif/GifWriter.h"
#include "palette/PaletteFile.h"

#include <utility>

namespace zpk::cli {

namespace {

using MaybeError = std::optional<UsageError>;

bool was(const SeenOptions& seen, OptionId id) { return seen.test(static_cast<std::size_t>(id)); }

// --entry, or another option whose value is a row (`option`)
MaybeError readRow(std::string_view value, int& row, Command command, std::string_view option = "entry")
{
    const auto parsed = parseRowNumber(value);
    if (!parsed)
        return UsageError{dashed(option) + " needs a row number (0 or more), not " + quoted(value), command};
    row = *parsed;
    return std::nullopt;
}

// A whole number from `low` to `high`, or nothing.
std::optional<int> numberWithin(std::string_view value, int low, int high)
{
    const auto number = parseRowNumber(value);
    if (!number || *number < low || *number > high) return std::nullopt;
    return number;
}

// The options of a command that draws: the ramp, drop-first, the form and
// --palette. A colour text on the command line must be a number; the
// window's text boxes are looser (a text that is not a number leaves the
// stored colours).
MaybeError applyDrawing(DrawingOptions& drawing, const OptionSpec& option, std::string_view value,
                        Command command)
{
    PictureOptions& picture = drawing.picture;
    switch (option.id) {
    case OptionId::UserColor: picture.userColor = true; break;
    case OptionId::Color1:
    case OptionId::Color2:
    case OptionId::Color3: {
        if (!RampNumber::parse(value))
            return UsageError{dashed(option.longName) + " needs a number such as 12, -3 or 2.5, not " +
                                  quoted(value),
                              command};
        std::string& text = option.id == OptionId::Color1   ? picture.color1
                            : option.id == OptionId::Color2 ? picture.color2
                                                            : picture.color3;
        text = std::string(value);
        break;
    }
    case OptionId::DropFirst: picture.dropFirst = DropFirst::On; break;
    case OptionId::Indexed: picture.form = OutputForm::Indexed; break;
    case OptionId::Rgba: picture.form = OutputForm::Rgba; break;
    case OptionId::Palette: {
        const auto format = paletteFormatOf(std::string(value));
        if (!format || *format == PaletteFormat::Png)
            return UsageError{
                "--palette needs a palette file ending in .gpl, .pal or .act, not " + quoted(value), command};
        drawing.paletteFile = std::string(value);
        break;
    }
    default: break;
    }
    return std::nullopt;
}

// Each applyOption stores one option's effect; a value that does not read
// is the only error there. Options the command does not take never reach it.

MaybeError applyOption(ListSettings& settings, const OptionSpec& option, std::string_view value)
{
    if (option.id != OptionId::Format) return std::nullopt;  // -q: a listing has no progress to leave out
    if (value == "text") {
        settings.format = ListFormat::Text;
    } else if (value == "csv") {
        settings.format = ListFormat::Csv;
    } else if (value == "json") {
        settings.format = ListFormat::Json;
    } else if (value == "jsonl") {
        settings.format = ListFormat::JsonLines;
    } else {
        return UsageError{"--format takes text, csv, json or jsonl, not " + quoted(value), Command::List};
    }
    return std::nullopt;
}

MaybeError applyOption(InfoSettings&, const OptionSpec&, std::string_view) { return std::nullopt; }

MaybeError applyOption(ExportSettings& settings, const OptionSpec& option, std::string_view value)
{
    constexpr Command command = Command::Export;
    switch (option.id) {
    case OptionId::Entry: return readRow(value, settings.row, command);
    // the PNG, or with --all the folder: which is known once every option is read
    case OptionId::Output: settings.outputPng = std::string(value); break;
    case OptionId::Quiet: settings.progress = ProgressOutput::Quiet; break;
    case OptionId::All: settings.all = true; break;
    case OptionId::Jobs: {
        const auto jobs = parseRowNumber(value);
        if (!jobs || *jobs < 1)
            return UsageError{"--jobs needs a number of threads (1 or more), not " + quoted(value), command};
        settings.jobs = *jobs;
        break;
    }
    case OptionId::Force: settings.overwrite = Overwrite::Replace; break;
    case OptionId::SkipExisting: settings.skipExisting = true; break;
    default: return applyDrawing(settings.drawing, option, value, command);
    }
    return std::nullopt;
}

MaybeError applyOption(ThumbnailSettings& settings, const OptionSpec& option, std::string_view value)
{
    constexpr Command command = Command::Thumbnail;
    switch (option.id) {
    case OptionId::Quiet: settings.progress = ProgressOutput::Quiet; break;
    case OptionId::Size: {
        const auto size = numberWithin(value, kMinThumbnailSize, kMaxThumbnailSize);
        if (!size)
            return UsageError{"--size needs a number of pixels from " + std::to_string(kMinThumbnailSize) +
                                  " to " + std::to_string(kMaxThumbnailSize) + ", not " + quoted(value),
                              command};
        settings.size = *size;
        break;
    }
    default: return applyDrawing(settings.drawing, option, value, command);
    }
    return std::nullopt;
}

MaybeError applyOption(SheetSettings& settings, const OptionSpec& option, std::string_view value)
{
    constexpr Command command = Command::Sheet;
    switch (option.id) {
    case OptionId::Output: settings.outputPng = std::string(value); break;
    case OptionId::Quiet: settings.progress = ProgressOutput::Quiet; break;
    case OptionId::Columns: {
        const auto columns = numberWithin(value, 1, kMaxEntries);
        if (!columns)
            return UsageError{"--columns needs a number from 1 to " + std::to_string(kMaxEntries) + ", not " +
                                  quoted(value),
                              command};
        settings.columns = *columns;
        break;
    }
    case OptionId::Labels: settings.labels = true; break;
    default: return applyDrawing(settings.drawing, option, value, command);
    }
    return std::nullopt;
}

MaybeError applyOption(PaletteSettings& settings, const OptionSpec& option, std::string_view value)
{
    constexpr Command command = Command::Palette;
    switch (option.id) {
    case OptionId::Entry: return readRow(value, settings.row, command);
    case OptionId::Output: settings.outputPalette = std::string(value); break;
    case OptionId::Quiet: settings.progress = ProgressOutput::Quiet; break;
    default: return applyDrawing(settings.drawing, option, value, command);
    }
    return std::nullopt;
}

MaybeError applyOption(PackSettings& settings, const OptionSpec& option, std::string_view value)
{
    switch (option.id) {
    case OptionId::From:
        if (value.empty()) return UsageError{"--from needs a folder", Command::Pack};
        settings.fromFolder = std::string(value);
        break;
    case OptionId::Force: settings.overwrite = Overwrite::Replace; break;
    case OptionId::TransparentIndex0: settings.options.transparentIndex0 = true; break;
    case OptionId::Quiet: settings.progress = ProgressOutput::Quiet; break;
    default: break;
    }
    return std::nullopt;
}

// -o, --force and -q of a command that rewrites a container (any other
// option: nothing).
void applyRewriteOption(ContainerRewrite& settings, const OptionSpec& option, std::string_view value)
{
    switch (option.id) {
    case OptionId::Output: settings.outputContainer = std::string(value); break;
    case OptionId::Force: settings.overwrite = Overwrite::Replace; break;
    case OptionId::Quiet: settings.progress = ProgressOutput::Quiet; break;
    default: break;
    }
}

MaybeError applyOption(ReplaceSettings& settings, const OptionSpec& option, std::string_view value)
{
    if (option.id == OptionId::Entry) return readRow(value, settings.row, Command::Replace);
    if (option.id == OptionId::TransparentIndex0) settings.options.transparentIndex0 = true;
    applyRewriteOption(settings, option, value);
    return std::nullopt;
}

MaybeError applyOption(InsertSettings& settings, const OptionSpec& option, std::string_view value)
{
    if (option.id == OptionId::At) return readRow(value, settings.at, Command::Insert, option.longName);
    if (option.id == OptionId::TransparentIndex0) settings.options.transparentIndex0 = true;
    applyRewriteOption(settings, option, value);
    return std::nullopt;
}

MaybeError applyOption(DeleteSettings& settings, const OptionSpec& option, std::string_view value)
{
    if (option.id == OptionId::Entry) return readRow(value, settings.row, Command::Delete);
    applyRewriteOption(settings, option, value);
    return std::nullopt;
}

MaybeError applyOption(MoveSettings& settings, const OptionSpec& option, std::string_view value)
{
    if (option.id == OptionId::Entry) return readRow(value, settings.row, Command::Move);
    if (option.id == OptionId::To) return readRow(value, settings.to, Command::Move, option.longName);
    applyRewriteOption(settings, option, value);
    return std::nullopt;
}

MaybeError applyOption(DiffSettings& settings, const OptionSpec& option, std::string_view value)
{
    constexpr Command command = Command::Diff;
    switch (option.id) {
    case OptionId::Format:
        if (value == "text") settings.format = ListFormat::Text;
        else if (value == "json") settings.format = ListFormat::Json;
        else return UsageError{"--format takes text or json, not " + quoted(value), command};
        break;
    case OptionId::Bytes: settings.by = CompareBy::Bytes; break;
    case OptionId::Quiet: settings.quiet = true; break;
    default: return applyDrawing(settings.drawing, option, value, command);
    }
    return std::nullopt;
}

MaybeError applyOption(ExtractSettings& settings, const OptionSpec& option, std::string_view value)
{
    switch (option.id) {
    case OptionId::Entry: return readRow(value, settings.row, Command::Extract);
    case OptionId::Output: settings.outputFile = std::string(value); break;
    case OptionId::Quiet: settings.progress = ProgressOutput::Quiet; break;
    default: break;
    }
    return std::nullopt;
}

MaybeError applyOption(GifSettings& settings, const OptionSpec& option, std::string_view value)
{
    constexpr Command command = Command::Gif;
    switch (option.id) {
    case OptionId::Entries: {
        const auto range = parseRowRange(value);
        if (!range)
            return UsageError{
                "--entries needs rows A-B (A no greater than B) or one row K, not " + quoted(value), command};
        settings.firstRow = range->first;
        settings.lastRow = range->second;
        break;
    }
    case OptionId::Fps: {
        const auto fps = numberWithin(value, 1, maxGifFramesPerSecond);
        if (!fps)
            return UsageError{"--fps needs a number of frames a second from 1 to " +
                                  std::to_string(maxGifFramesPerSecond) + ", not " + quoted(value),
                              command};
        settings.framesPerSecond = *fps;
        break;
    }
    case OptionId::Loop: {
        const auto loops = numberWithin(value, 0, kMaxGifLoops);
        if (!loops)
            return UsageError{"--loop needs a number of times from 0 (for ever) to " +
                                  std::to_string(kMaxGifLoops) + ", not " + quoted(value),
                              command};
        settings.loops = *loops;
        break;
    }
    case OptionId::Output: settings.outputGif = std::string(value); break;
    case OptionId::Quiet: settings.progress = ProgressOutput::Quiet; break;
    default: return applyDrawing(settings.drawing, option, value, command);
    }
    return std::nullopt;
}

// Each takeOperands checks that a command's options make sense together,
// once all are read, and takes its operands.

using Operands = std::vector<std::string>;

MaybeError unexpected(const std::string& operand, Command command)
{
    return UsageError{"unexpected argument " + quoted(operand), command};
}

MaybeError takeOperands(ListSettings& settings, const Operands& operands, const SeenOptions&)
{
    if (operands.empty()) return UsageError{"missing FILE", Command::List};
    settings.files = operands;
    return std::nullopt;
}

MaybeError takeOperands(InfoSettings& settings, const Operands& operands, const SeenOptions&)
{
    if (operands.empty()) return UsageError{"missing FILE", Command::Info};
    settings.files = operands;
    return std::nullopt;
}

MaybeError checkExportOptions(const ExportSettings& settings, const SeenOptions& seen)
{
    constexpr Command command = Command::Export;
    if (was(seen, OptionId::Indexed) && was(seen, OptionId::Rgba))
        return UsageError{"--indexed and --rgba exclude each other", command};
    if (settings.all) {
        if (was(seen, OptionId::Entry))
            return UsageError{"--entry and --all exclude each other: --all exports every row", command};
        if (was(seen, OptionId::Force) && was(seen, OptionId::SkipExisting))
            return UsageError{"--force and --skip-existing exclude each other", command};
        // standard output takes one file, never a folder of them
        if (settings.outputPng == "-")
            return UsageError{"export --all writes a folder: give -o DIR, not '-'", command};
        return std::nullopt;
    }
    for (const OptionId id : {OptionId::Jobs, OptionId::Force, OptionId::SkipExisting}) {
        if (was(seen, id))
            return UsageError{"option " + quoted(dashed(optionWithId(id).longName)) + " goes with --all only",
                              command};
    }
    return std::nullopt;
}

MaybeError takeOperands(ExportSettings& settings, const Operands& operands, const SeenOptions& seen)
{
    if (auto error = checkExportOptions(settings, seen)) return error;
    if (operands.empty()) return UsageError{"missing FILE", Command::Export};
    if (operands.size() > 1 && !settings.all) return unexpected(operands[1], Command::Export);
    settings.files = operands;
    if (settings.all) settings.outputFolder = std::exchange(settings.outputPng, {});
    return std::nullopt;
}

// FILE OUT.png
MaybeError takeOperands(ThumbnailSettings& settings, const Operands& operands, const SeenOptions&)
{
    constexpr Command command = Command::Thumbnail;
    if (operands.empty()) return UsageError{"missing FILE", command};
    if (operands.size() < 2) return UsageError{"missing OUT.png", command};
    // a file manager names a file: the thumbnail reads it at positions
    if (operands.front() == "-")
        return UsageError{"thumbnail reads a file by its name: standard input ('-') is not taken", command};
    if (operands.size() > 2) return unexpected(operands[2], command);
    settings.file = operands[0];
    settings.outputPng = operands[1];
    return std::nullopt;
}

MaybeError takeOperands(SheetSettings& settings, const Operands& operands, const SeenOptions&)
{
    if (operands.empty()) return UsageError{"missing FILE", Command::Sheet};
    if (operands.size() > 1) return unexpected(operands[1], Command::Sheet);
    settings.file = operands.front();
    return std::nullopt;
}

// A palette's output names its format.
MaybeError takeOperands(PaletteSettings& settings, const Operands& operands, const SeenOptions&)
{
    constexpr Command command = Command::Palette;
    if (operands.empty()) return UsageError{"missing FILE", command};
    if (operands.size() > 1) return unexpected(operands[1], command);
    if (settings.outputPalette.empty())
        return UsageError{"missing -o OUT: the palette file to write", command};
    if (!paletteFormatOf(settings.outputPalette))
        return UsageError{"-o needs a name ending in .gpl, .pal, .act or .png (the format), not " +
                              quoted(settings.outputPalette),
                          command};
    settings.file = operands.front();
    return std::nullopt;
}

// OUT.zpk IMAGE..., or OUT.zpk with --from DIR
MaybeError takeOperands(PackSettings& settings, const Operands& operands, const SeenOptions&)
{
    constexpr Command command = Command::Pack;
    if (operands.empty()) return UsageError{"missing OUT.zpk: the container to write", command};
    if (operands.front() == "-") return UsageError{"pack writes a file: give OUT.zpk, not '-'", command};
    settings.outputContainer = operands.front();
    settings.pictures.assign(operands.begin() + 1, operands.end());
    if (!settings.fromFolder.empty() && !settings.pictures.empty())
        return UsageError{"--from DIR and IMAGE operands exclude each other (unexpected argument " +
                              quoted(settings.pictures.front()) + ")",
                          command};
    if (settings.fromFolder.empty() && settings.pictures.empty())
        return UsageError{"missing IMAGE...: the PNGs to pack (or --from DIR)", command};
    return std::nullopt;
}

// A command that rewrites FILE: standard input has no file to rewrite.
MaybeError checkRewritten(const ContainerRewrite& settings, Command command)
{
    if (settings.outputContainer.empty() && settings.file == "-")
        return UsageError{"FILE - (standard input) cannot be replaced: give -o OUT", command};
    return std::nullopt;
}

// FILE IMAGE, --entry K needed: a default row would replace an entry by chance
MaybeError takeOperands(ReplaceSettings& settings, const Operands& operands, const SeenOptions& seen)
{
    constexpr Command command = Command::Replace;
    if (operands.empty()) return UsageError{"missing FILE", command};
    settings.file = operands.front();
    if (operands.size() < 2) return UsageError{"missing IMAGE: the PNG to put in the entry's place", command};
    if (operands.size() > 2) return unexpected(operands[2], command);
    if (!was(seen, OptionId::Entry)) return UsageError{"missing --entry K: the row to replace", command};
    if (auto error = checkRewritten(settings, command)) return error;
    settings.image = operands[1];
    return std::nullopt;
}

// FILE IMAGE..., --at K needed: the end is no more likely a place than any other
MaybeError takeOperands(InsertSettings& settings, const Operands& operands, const SeenOptions& seen)
{
    constexpr Command command = Command::Insert;
    if (operands.empty()) return UsageError{"missing FILE", command};
    settings.file = operands.front();
    if (operands.size() < 2) return UsageError{"missing IMAGE...: the PNGs to insert", command};
    if (!was(seen, OptionId::At))
        return UsageError{"missing --at K: the row to insert in front of (the entry count: at the end)",
                          command};
    if (auto error = checkRewritten(settings, command)) return error;
    settings.images.assign(operands.begin() + 1, operands.end());
    return std::nullopt;
}

// FILE, --entry K needed: a default row would delete an entry by chance
MaybeError takeOperands(DeleteSettings& settings, const Operands& operands, const SeenOptions& seen)
{
    constexpr Command command = Command::Delete;
    if (operands.empty()) return UsageError{"missing FILE", command};
    if (operands.size() > 1) return unexpected(operands[1], command);
    settings.file = operands.front();
    if (!was(seen, OptionId::Entry)) return UsageError{"missing --entry K: the row to delete", command};
    return checkRewritten(settings, command);
}

// FILE, --entry K and --to J needed
MaybeError takeOperands(MoveSettings& settings, const Operands& operands, const SeenOptions& seen)
{
    constexpr Command command = Command::Move;
    if (operands.empty()) return UsageError{"missing FILE", command};
    if (operands.size() > 1) return unexpected(operands[1], command);
    settings.file = operands.front();
    if (!was(seen, OptionId::Entry)) return UsageError{"missing --entry K: the row to move", command};
    if (!was(seen, OptionId::To)) return UsageError{"missing --to J: the row it is to end up at", command};
    return checkRewritten(settings, command);
}

// FILE -o OUT
MaybeError takeOperands(ExtractSettings& settings, const Operands& operands, const SeenOptions&)
{
    constexpr Command command = Command::Extract;
    if (operands.empty()) return UsageError{"missing FILE", command};
    if (operands.size() > 1) return unexpected(operands[1], command);
    if (settings.outputFile.empty())
        return UsageError{"missing -o OUT: the file to write the entry's bytes to (- for standard output)",
                          command};
    settings.file = operands.front();
    return std::nullopt;
}

// A B: standard input can be read once
MaybeError takeOperands(DiffSettings& settings, const Operands& operands, const SeenOptions&)
{
    constexpr Command command = Command::Diff;
    if (operands.empty()) return UsageError{"missing A and B: the two containers to compare", command};
    if (operands.size() < 2) return UsageError{"missing B: the container to compare A with", command};
    if (operands.size() > 2) return unexpected(operands[2], command);
    if (operands[0] == "-" && operands[1] == "-")
        return UsageError{"standard input ('-') can be one of A and B, not both", command};
    settings.fileA = operands[0];
    settings.fileB = operands[1];
    return std::nullopt;
}

// FILE -o OUT.gif
MaybeError takeOperands(GifSettings& settings, const Operands& operands, const SeenOptions&)
{
    constexpr Command command = Command::Gif;
    if (operands.empty()) return UsageError{"missing FILE", command};
    if (operands.size() > 1) return unexpected(operands[1], command);
    if (settings.outputGif.empty())
        return UsageError{"missing -o OUT.gif: the GIF to write (- for standard output)", command};
    settings.file = operands.front();
    return std::nullopt;
}

// The options in order (the first whose value does not read is the error),
// then what getopt_long refused or --help, then the operands.
template <class Settings>
ParsedCommandLine settingsOf(Command command, const ScannedArguments& scanned)
{
    Settings settings;
    SeenOptions seen;
    for (const auto& [option, value] : scanned.options) {
        if (auto error = applyOption(settings, *option, value)) return *error;
        seen.set(static_cast<std::size_t>(option->id));
    }
    if (scanned.refusal) return *scanned.refusal;
    if (scanned.help) return Invocation{HelpRequest{command}};
    if (auto error = takeOperands(settings, scanned.operands, seen)) return *error;
    return Invocation{std::move(settings)};
}

}  // namespace

ParsedCommandLine settingsFrom(Command command, const ScannedArguments& scanned)
{
    switch (command) {
    case Command::List: return settingsOf<ListSettings>(command, scanned);
    case Command::Info: return settingsOf<InfoSettings>(command, scanned);
    case Command::Export: return settingsOf<ExportSettings>(command, scanned);
    case Command::Thumbnail: return settingsOf<ThumbnailSettings>(command, scanned);
    case Command::Sheet: return settingsOf<SheetSettings>(command, scanned);
    case Command::Palette: return settingsOf<PaletteSettings>(command, scanned);
    case Command::Pack: return settingsOf<PackSettings>(command, scanned);
    case Command::Replace: return settingsOf<ReplaceSettings>(command, scanned);
    case Command::Insert: return settingsOf<InsertSettings>(command, scanned);
    case Command::Delete: return settingsOf<DeleteSettings>(command, scanned);
    case Command::Move: return settingsOf<MoveSettings>(command, scanned);
    case Command::Extract: return settingsOf<ExtractSettings>(command, scanned);
    case Command::Diff: return settingsOf<DiffSettings>(command, scanned);
    case Command::Gif: return settingsOf<GifSettings>(command, scanned);
    case Command::Help:
    case Command::Version: break;
    }
    return Invocation{HelpRequest{command}};
}

}  // namespace zpk::cli

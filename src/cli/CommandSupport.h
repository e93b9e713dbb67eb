// What the commands of `zpk` share: reading their inputs, writing their
// outputs, reporting what failed. And the commands themselves, each run from
// its settings in the file of its family (ListCommands, ExportCommands,
// OverviewCommands, PackCommands); `run` picks one.
#pragma once

#include "cli/Commands.h"
#include "container/Container.h"
#include "state/ByteSink.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace zpk::cli {

// "zpk: FILE: reason"
void report(std::ostream& err, std::string_view file, std::string_view reason);

// Reports an error of the pack library, which names the file at fault (a
// picture, a folder, a container) in its path; `fallback` when it names none.
void reportPackError(std::ostream& err, const Error& error, const std::string& fallback);

// The message, the command meant (when one is given) and the usage line of `command`.
ExitStatus usage(std::ostream& err, const std::string& message, Command command, std::string_view meant = {});

// The tool reads pipes, FIFOs and standard input ("-") to their end.
Result<ContainerFile> load(const std::string& path);

// The container at `path`, which must list row `row` (a negative row: any
// container will do); nothing, with the reason reported, when it cannot be
// read or lists fewer rows.
std::optional<ContainerFile> loadWithRow(const std::string& path, int row, std::ostream& err);

// The picture options of a command, with the colours of --palette read
// into them; nothing (reported) when that file cannot be read.
std::optional<PictureOptions> pictureOptions(const DrawingOptions& drawing, std::ostream& err);

// What a command that draws the entries of one container starts from.
struct Drawing {
    PictureOptions picture;  // with the colours of --palette
    ContainerFile file;
};

// Reads --palette's file and the container at `path`, which must list `row`
// (negative: any); nothing, with the reason reported, when one of them fails.
std::optional<Drawing> startDrawing(const DrawingOptions& drawing, const std::string& path, int row,
                                    std::ostream& err);

// Output "-" is standard output, which a PNG (or other binary output, `what`)
// must not be written to while it is a terminal; true (reported) then.
bool refusesTerminal(const std::string& output, std::ostream& err, std::string_view what = "a PNG");

// Writes a command's whole output: to standard output for "-", else to the
// file `output` (replaced, or written through a link, as FileOutput does).
ExitStatus writeOutput(const std::string& output, std::span<const std::uint8_t> bytes, std::ostream& out,
                       std::ostream& err);

// The same with the bytes made as they are written (a PNG as it is
// encoded), so that the output is never held whole.
ExitStatus writeOutput(const std::string& output, const ByteMaker& make, std::ostream& out,
                       std::ostream& err);

// Whether the closing line is said: not with -q, nor when the output is
// standard output.
bool tells(ProgressOutput progress, const std::string& output);

ExitStatus runList(const ListSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runInfo(const InfoSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runDiff(const DiffSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runExport(const ExportSettings& settings, std::ostream& out, std::ostream& err,
                     ErrStream errStream);
ExitStatus runPalette(const PaletteSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runThumbnail(const ThumbnailSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runSheet(const SheetSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runPack(const PackSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runReplace(const ReplaceSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runInsert(const InsertSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runDelete(const DeleteSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runMove(const MoveSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runExtract(const ExtractSettings& settings, std::ostream& out, std::ostream& err);
ExitStatus runGif(const GifSettings& settings, std::ostream& out, std::ostream& err);

}  // namespace zpk::cli

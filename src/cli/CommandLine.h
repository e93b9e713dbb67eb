// The command line of `zpk`: sub-commands, their options, help texts.
//
//   zpk list FILE... [--format text|csv|json|jsonl]
//   zpk info FILE...
//   zpk export FILE [--entry K] [-o OUT.png|-] [PICTURE OPTIONS]
//   zpk export FILE... --all [-o DIR] [-j N] [--force|--skip-existing] [PICTURE OPTIONS]
//       PICTURE OPTIONS: [--user-color] [--color1 T] [--color2 T] [--color3 T]
//                        [--drop-first] [--indexed] [--rgba] [--palette P]
//   zpk thumbnail FILE OUT.png [--size N] [--palette P]
//   zpk sheet FILE [-o OUT.png|-] [--columns N] [--labels] [COLOUR OPTIONS] [--drop-first]
//   zpk palette FILE [--entry K] -o OUT.gpl|.pal|.act|.png [COLOUR OPTIONS]
//       COLOUR OPTIONS: [--user-color] [--color1 T] [--color2 T] [--color3 T] [--palette P]
//   zpk pack OUT.zpk IMAGE... [--force] [--transparent-index0]
//   zpk pack OUT.zpk --from DIR [--force] [--transparent-index0]
//   zpk replace FILE --entry K IMAGE [-o OUT] [--transparent-index0]
//   zpk extract FILE [--entry K] -o OUT|-
//   zpk help [COMMAND] | zpk COMMAND --help | zpk --help | zpk --version
//
// Every command takes -q (--quiet) and -h (--help). A long option takes its
// value as `--name VALUE` or `--name=VALUE` and may be shortened to any
// unambiguous prefix (`--ent 3`); short ones bundle (`-qj4`) and take their
// value as `-o VALUE` or `-oVALUE`. The separate form takes the next
// argument whatever it looks like, so a colour text may begin with "-"
// (`--color1 -300`). `--` ends the options. FILE "-" is standard input.
#pragma once

#include "cli/Listing.h"
#include "io/FileOutput.h"
#include "overview/FileThumbnail.h"
#include "pack/PictureReader.h"
#include "state/PictureOptions.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zpk::cli {

enum class Command { Help, Version, List, Info, Export, Thumbnail, Sheet, Palette, Pack, Replace, Extract };

enum class ProgressOutput {
    Shown,  // a bar on a terminal, a line per file otherwise
    Quiet,  // none; failures are still reported
};

struct ExportSettings {
    int row = 0;  // the list row to export (palette: to take the palette of), counted from 0
    // One entry: the PNG to write (empty: STEM-K.png in the current folder).
    // --all: the folder to write into (empty: the current folder).
    // thumbnail: the PNG to write (its second operand). sheet: the PNG
    // (empty: STEM-sheet.png in the current folder). palette: the palette file.
    // pack: the container to write (its first operand). replace: the container
    // to write (empty: FILE itself, replaced). extract: the file for the bytes.
    std::string output;
    PictureOptions picture;  // the ramp and its three texts, drop-first, RGBA or indexed
    // --palette: a palette file whose colours take the place of the stored
    // ones (read when the command runs, into picture.externalPalette).
    std::string paletteFile;
    bool all = false;  // --all: every entry of every FILE
    // The following go with --all only.
    int jobs = 0;                             // worker threads; 0: one per hardware thread
    Overwrite overwrite = Overwrite::Refuse;  // also the --force of pack and replace
    bool skipExisting = false;
    ProgressOutput progress = ProgressOutput::Shown;  // also with one entry: -q leaves out the closing line
    // thumbnail: --size, the longest side
    int thumbnailSize = kDefaultThumbnailSize;
    // sheet: --columns (0: as many as make the grid square) and --labels
    int columns = 0;
    bool labels = false;
};

// What pack and replace read pictures with.
struct PackSettings {
    // pack: the PNGs to pack, in order (empty with --from); replace: the one
    // PNG that takes the entry's place.
    std::vector<std::string> pictures;
    std::string fromFolder;  // pack --from DIR: DIR/000.png, 001.png, ... as export --all writes them
    PackOptions options;     // --transparent-index0
};

struct Invocation {
    Command command = Command::Help;
    // Command::Help: whose help to show (Command::Help for the general one).
    Command helpTopic = Command::Help;
    // Every command but help: the (first) container to read (pack: none;
    // the container it writes is exportSettings.output).
    std::string file;
    // Every FILE operand, in order (one but for list, info and export --all;
    // thumbnail's OUT is exportSettings.output; pack has none, its pictures
    // are in packSettings).
    std::vector<std::string> files;
    ExportSettings exportSettings;
    PackSettings packSettings;
    ListFormat listFormat = ListFormat::Text;
};

struct UsageError {
    std::string message;
    Command command = Command::Help;  // whose usage line goes with it
};

using ParsedCommandLine = std::variant<Invocation, UsageError>;

// Parses the arguments behind the program's name.
ParsedCommandLine parseCommandLine(std::span<const std::string_view> args);

// A row number: one or more decimal digits and nothing else, no larger than
// the largest int. Signs, blanks and overflow are refused.
std::optional<int> parseRowNumber(std::string_view text);

// One line, "usage: zpk ...", for a command (Help: all of them).
std::string_view usageLine(Command command);
// The full help text of a command (Help: the general one), ending in a newline.
std::string_view helpText(Command command);

}  // namespace zpk::cli

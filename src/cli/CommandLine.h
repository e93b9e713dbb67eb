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
//   zpk insert FILE --at K IMAGE... [-o OUT] [--transparent-index0]
//   zpk delete FILE --entry K [-o OUT]
//   zpk move FILE --entry K --to J [-o OUT]
//   zpk extract FILE [--entry K] -o OUT|-
//   zpk diff A B [--format text|json] [--bytes] [COLOUR OPTIONS] [--drop-first]
//   zpk gif FILE [--entries A-B] [--fps N] [--loop N] [PICTURE OPTIONS] -o OUT.gif|-
//   zpk help [COMMAND] | zpk COMMAND --help | zpk --help | zpk --version
//
// Every command takes -q (--quiet) and -h (--help). A long option takes its
// value as `--name VALUE` or `--name=VALUE` and may be shortened to any
// unambiguous prefix (`--ent 3`); short ones bundle (`-qj4`) and take their
// value as `-o VALUE` or `-oVALUE`. The separate form takes the next
// argument whatever it looks like, so a colour text may begin with "-"
// (`--color1 -300`). `--` ends the options. FILE "-" is standard input.
#pragma once

#include "cli/CommandSettings.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace zpk::cli {

// A command line that reads: what to do, with the settings of that command.
using Invocation =
    std::variant<HelpRequest, VersionRequest, ListSettings, InfoSettings, ExportSettings, ThumbnailSettings,
                 SheetSettings, PaletteSettings, PackSettings, ReplaceSettings, InsertSettings,
                 DeleteSettings, MoveSettings, ExtractSettings, DiffSettings, GifSettings>;

struct UsageError {
    std::string message;
    Command command = Command::Help;  // whose usage line goes with it
    std::string meant = {};           // the command a mistyped one is close to, or empty
};

using ParsedCommandLine = std::variant<Invocation, UsageError>;

// Parses the arguments behind the program's name.
ParsedCommandLine parseCommandLine(std::span<const std::string_view> args);

// A row number: one or more decimal digits and nothing else, no larger than
// the largest int. Signs, blanks and overflow are refused.
std::optional<int> parseRowNumber(std::string_view text);

// Rows A to B, written "A-B" with A no greater than B, or one row "K" (K to
// K); each a row number as parseRowNumber reads it.
std::optional<std::pair<int, int>> parseRowRange(std::string_view text);

// One line, "usage: zpk ...", for a command (Help: all of them).
std::string_view usageLine(Command command);
// The full help text of a command (Help: the general one), ending in a newline.
std::string_view helpText(Command command);

}  // namespace zpk::cli

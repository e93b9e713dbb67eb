// The command line of `zpk`: sub-commands, their options, help texts.
//
//   zpk list FILE
//   zpk export FILE [--entry K] [-o OUT.png] [--user-color]
//                   [--color1 T] [--color2 T] [--color3 T] [--drop-first]
//   zpk demo OUT.zpk
//   zpk help [COMMAND] | zpk --help | zpk --version
//
// A long option takes its value as `--name VALUE` or `--name=VALUE`; the
// separate form takes the next argument whatever it looks like, so a colour
// text may be empty or begin with "-" (`--color1 -300`). `--` ends the
// options.
#pragma once

#include "decode/Decoder.h"
#include "draw/Draw.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace zpk::cli {

enum class Command { Help, Version, List, Export, Demo };

struct ExportSettings {
    int row = 0;             // the list row to export, counted from 0
    std::string output;      // empty: STEM-K.png in the current folder
    DecodeOptions decode;    // the ramp and its three texts
    DropFirst dropFirst = DropFirst::Off;
};

struct Invocation {
    Command command = Command::Help;
    // Command::Help: whose help to show (Command::Help for the general one).
    Command helpTopic = Command::Help;
    // List and Export: the container to read; Demo: the container to write.
    std::string file;
    ExportSettings exportSettings;
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

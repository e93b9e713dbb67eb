// The options of `zpk`'s sub-commands: their names, whether they take a
// value, and which command takes which. The getopt_long loop that reads
// them is in CommandLine.cpp; what each does to a command's settings, in
// CommandOptions.cpp.
#pragma once

#include "cli/CommandSettings.h"

#include <bitset>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zpk::cli {

enum class OptionId {
    Help,
    Entry,
    Output,
    UserColor,
    Color1,
    Color2,
    Color3,
    DropFirst,
    Indexed,
    Rgba,
    All,
    Jobs,
    Force,
    SkipExisting,
    Quiet,
    Format,
    Palette,
    Size,
    Columns,
    Labels,
    From,
    TransparentIndex0,
    At,
    To,
    Bytes,
    Entries,
    Fps,
    Loop,
    Count  // not an option: the number of them
};
enum class Takes { Nothing, Value };

struct OptionSpec {
    std::string_view longName;  // without the dashes
    char shortName;             // 0 when there is none
    Takes takes;
    OptionId id;
};

// Which options a command line gave, each once however often it came.
using SeenOptions = std::bitset<static_cast<std::size_t>(OptionId::Count)>;

// The options `command` takes (none for help and version).
std::span<const OptionSpec> optionsOf(Command command);

// The sub-command (or help) of that name.
std::optional<Command> commandNamed(std::string_view name);

// The one command a mistyped `name` is close to: at most two edits from it,
// or the start of its name; nothing when none is, or more than one.
std::optional<std::string_view> commandNear(std::string_view name);

// The option of that id as export knows it; the help option for one export does not take.
const OptionSpec& optionWithId(OptionId id);

// What getopt_long returns for an option: its short letter, or a number
// past every character for a long-only one.
int valueOf(const OptionSpec& option);

// The option of `options` that getopt_long returns as `value`, or none.
const OptionSpec* optionWithValue(std::span<const OptionSpec> options, int value);

// "--" and the long name.
std::string dashed(std::string_view longName);

// The text in single quotes, as messages show what was given.
std::string quoted(std::string_view text);

}  // namespace zpk::cli

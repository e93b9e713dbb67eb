// What a sub-command's options and operands make of its settings.
#pragma once

#include "cli/CommandLine.h"
#include "cli/OptionTables.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zpk::cli {

// The arguments of a sub-command as getopt_long read them.
struct ScannedArguments {
    // The options with their values, in order, up to --help or a refusal.
    std::vector<std::pair<const OptionSpec*, std::string>> options;
    std::vector<std::string> operands;  // in order, those after "--" included
    bool help = false;                  // --help came before anything was refused
    // An argument getopt_long would not take, in our words; it counts
    // after an option before it whose value does not read.
    std::optional<UsageError> refusal;
};

// The settings of `command` from its scanned arguments (or its help, or
// what is wrong).
ParsedCommandLine settingsFrom(Command command, const ScannedArguments& scanned);

}  // namespace zpk::cli

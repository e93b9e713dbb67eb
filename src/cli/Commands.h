// Running `zpk`: parse, call the core, print.
#pragma once

#include "cli/CommandLine.h"

#include <ostream>
#include <span>
#include <string_view>

namespace zpk::cli {

enum class ExitStatus {
    Success = 0,
    Failure = 1,  // a file could not be read or written, or an entry cannot be exported
    Usage = 2,    // the command line was wrong
    // zpk diff answers as cmp and diff do: 0 the same, 1 they differ, 2 trouble
    Differ = 1,   // some row differs
    Trouble = 2,  // a file could not be read or is no container
};

// What the stream of messages is, which decides how progress is shown.
enum class ErrStream {
    File,      // a file or a pipe: progress as one line per file
    Terminal,  // a bar redrawn in place
};

// Runs the tool on the arguments behind the program's name. Results go to
// `out`; messages, as "zpk: FILE: reason", and progress to `err`.
ExitStatus run(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
               ErrStream errStream = ErrStream::File);

}  // namespace zpk::cli

// Parsing a command line in the tool's tests: the settings it makes, as the
// type of the command it names.
#pragma once

#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>
#include <variant>
#include <vector>

namespace zpk::testing {

// What `args` ask for, which must be a `Wanted` (a failure, and a default
// one, when they are refused or ask for something else).
template <class Wanted>
Wanted parsedAs(std::initializer_list<std::string_view> args)
{
    const std::vector<std::string_view> list(args);
    const cli::ParsedCommandLine parsed = cli::parseCommandLine(list);
    if (const auto* error = std::get_if<cli::UsageError>(&parsed)) {
        ADD_FAILURE() << "usage error: " << error->message;
        return {};
    }
    const auto* wanted = std::get_if<Wanted>(&std::get<cli::Invocation>(parsed));
    if (wanted == nullptr) {
        ADD_FAILURE() << "parsed as another command";
        return {};
    }
    return *wanted;
}

}  // namespace zpk::testing

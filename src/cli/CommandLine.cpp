#include "cli/CommandLine.h"

#include "cli/CommandOptions.h"
#include "cli/OptionTables.h"

#include <algorithm>
#include <climits>
#include <vector>

#include <getopt.h>

namespace zpk::cli {

namespace {

UsageError usageError(std::string message, Command command)
{
    return UsageError{std::move(message), command};
}

// Why getopt_long refused the argument `arg`, in our words. `optopt` is the
// option it was about, or 0 for a long option it does not know.
UsageError refusal(std::span<const OptionSpec> options, std::string_view arg, int optopt, bool missingValue,
                   Command command)
{
    const OptionSpec* option = optopt != 0 ? optionWithValue(options, optopt) : nullptr;
    if (option == nullptr) {
        if (optopt != 0)
            return usageError("unknown option " + quoted(std::string("-") + char(optopt)), command);
        std::string_view name = arg.substr(0, arg.find('='));
        // a prefix of more than one long option
        std::string candidates;
        int matches = 0;
        for (const OptionSpec& o : options) {
            if (name.size() > 2 && dashed(o.longName).starts_with(name)) {
                candidates += (matches++ == 0 ? "" : ", ") + dashed(o.longName);
            }
        }
        if (matches > 1)
            return usageError("option " + quoted(name) + " is ambiguous (" + candidates + ")", command);
        return usageError("unknown option " + quoted(name), command);
    }
    const std::string name =
        arg.starts_with("--") ? dashed(option->longName) : std::string("-") + option->shortName;
    if (missingValue) return usageError("option " + quoted(name) + " needs a value", command);
    return usageError("option " + quoted(name) + " takes no value", command);
}

// The arguments of a sub-command: options (with glibc's getopt_long:
// bundled short options, --name=value or --name value, unambiguous
// prefixes of long names, -- to end them), then its operands.
ScannedArguments scanArguments(Command command, std::span<const std::string_view> args)
{
    const auto options = optionsOf(command);

    // "-": operands come back in order as option 1, whatever POSIXLY_CORRECT
    // says; ":": a missing value is reported as ':'
    std::string shortOptions = "-:";
    std::vector<option> longOptions;
    for (const OptionSpec& o : options) {
        if (o.shortName != 0) {
            shortOptions += o.shortName;
            if (o.takes == Takes::Value) shortOptions += ':';
        }
        longOptions.push_back({o.longName.data(), o.takes == Takes::Value ? required_argument : no_argument,
                               nullptr, valueOf(o)});
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    std::vector<std::string> storage{"zpk"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(storage.size() + 1);
    for (std::string& arg : storage) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());

    ScannedArguments scanned;
    ::optind = 0;  // start afresh: getopt keeps its place between calls
    ::opterr = 0;  // the messages are ours
    for (;;) {
        const int got = ::getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr);
        if (got == -1) break;
        if (got == 1) {
            scanned.operands.emplace_back(::optarg);
            continue;
        }
        if (got == '?' || got == ':') {
            const int at = std::clamp(::optind - 1, 1, argc - 1);
            scanned.refusal =
                refusal(options, argv[static_cast<std::size_t>(at)], ::optopt, got == ':', command);
            return scanned;
        }
        const OptionSpec* option = optionWithValue(options, got);
        if (option == nullptr) {
            scanned.refusal = usageError("unknown option", command);
            return scanned;
        }
        if (option->id == OptionId::Help) {
            scanned.help = true;
            return scanned;
        }
        scanned.options.emplace_back(option,
                                     option->takes == Takes::Value && ::optarg != nullptr ? ::optarg : "");
    }
    // what follows "--"
    for (int i = ::optind; i < argc; ++i) scanned.operands.emplace_back(argv[static_cast<std::size_t>(i)]);
    return scanned;
}

UsageError unknownCommand(std::string_view name)
{
    UsageError error = usageError("unknown command " + quoted(name), Command::Help);
    error.meant = commandNear(name).value_or("");
    return error;
}

bool asksForHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

ParsedCommandLine parseHelp(std::span<const std::string_view> topics)
{
    // zpk help --help: help's own help, the general one
    if (topics.empty() || (topics.size() == 1 && asksForHelp(topics.front())))
        return Invocation{HelpRequest{}};
    if (topics.size() > 1) return usageError("unexpected argument " + quoted(topics[1]), Command::Help);
    const auto topic = commandNamed(topics.front());
    if (!topic) return unknownCommand(topics.front());
    return Invocation{HelpRequest{*topic}};
}

}  // namespace

std::optional<int> parseRowNumber(std::string_view text)
{
    if (text.empty()) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (value > (INT_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<std::pair<int, int>> parseRowRange(std::string_view text)
{
    const auto dash = text.find('-');
    const auto first = parseRowNumber(text.substr(0, dash));
    if (!first) return std::nullopt;
    if (dash == std::string_view::npos) return std::pair{*first, *first};
    const auto last = parseRowNumber(text.substr(dash + 1));
    if (!last || *last < *first) return std::nullopt;
    return std::pair{*first, *last};
}

ParsedCommandLine parseCommandLine(std::span<const std::string_view> args)
{
    if (args.empty()) return usageError("missing command", Command::Help);
    const std::string_view first = args.front();
    const auto rest = args.subspan(1);

    if (asksForHelp(first) || first == "help") return parseHelp(rest);
    if (first == "--version") {
        if (!rest.empty()) return usageError("unexpected argument " + quoted(rest.front()), Command::Help);
        return Invocation{VersionRequest{}};
    }
    const auto command = commandNamed(first);
    if (command && *command != Command::Help) return settingsFrom(*command, scanArguments(*command, rest));
    if (first.starts_with("-")) return usageError("unknown option " + quoted(first), Command::Help);
    return unknownCommand(first);
}

}  // namespace zpk::cli

#include "cli/CommandLine.h"

#include <array>
#include <bitset>
#include <climits>
#include <vector>

namespace zpk::cli {

namespace {

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
    All,
    Jobs,
    Force,
    Quiet,
    Format,
    Count  // not an option: the number of them
};
enum class Takes { Nothing, Value };

struct OptionSpec {
    std::string_view longName;
    std::string_view shortName;  // empty when there is none
    Takes takes;
    OptionId id;
};

constexpr OptionSpec kHelpOption{"--help", "-h", Takes::Nothing, OptionId::Help};

constexpr std::array<OptionSpec, 2> kListOptions{{
    kHelpOption,
    {"--format", "", Takes::Value, OptionId::Format},
}};
constexpr std::array<OptionSpec, 1> kInfoOptions{kHelpOption};
constexpr std::array<OptionSpec, 13> kExportOptions{{
    kHelpOption,
    {"--entry", "", Takes::Value, OptionId::Entry},
    {"--output", "-o", Takes::Value, OptionId::Output},
    {"--user-color", "", Takes::Nothing, OptionId::UserColor},
    {"--color1", "", Takes::Value, OptionId::Color1},
    {"--color2", "", Takes::Value, OptionId::Color2},
    {"--color3", "", Takes::Value, OptionId::Color3},
    {"--drop-first", "", Takes::Nothing, OptionId::DropFirst},
    {"--indexed", "", Takes::Nothing, OptionId::Indexed},
    {"--all", "", Takes::Nothing, OptionId::All},
    {"--jobs", "-j", Takes::Value, OptionId::Jobs},
    {"--force", "", Takes::Nothing, OptionId::Force},
    {"--quiet", "-q", Takes::Nothing, OptionId::Quiet},
}};

using SeenOptions = std::bitset<static_cast<std::size_t>(OptionId::Count)>;

std::span<const OptionSpec> optionsOf(Command command)
{
    switch (command) {
    case Command::List: return kListOptions;
    case Command::Info: return kInfoOptions;
    case Command::Export: return kExportOptions;
    default: return {};
    }
}

std::optional<Command> commandNamed(std::string_view name)
{
    if (name == "list") return Command::List;
    if (name == "info") return Command::Info;
    if (name == "export") return Command::Export;
    if (name == "help") return Command::Help;
    return std::nullopt;
}

// Appended rather than "'" + std::string(text) + "'": prepending to a
// temporary draws a false -Wrestrict from g++ 12 at -O3.
std::string quoted(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    out += text;
    out += '\'';
    return out;
}

UsageError usageError(std::string message, Command command)
{
    return UsageError{std::move(message), command};
}

const OptionSpec* findOption(std::span<const OptionSpec> options, std::string_view name)
{
    for (const OptionSpec& option : options) {
        if (name == option.longName || (!option.shortName.empty() && name == option.shortName))
            return &option;
    }
    return nullptr;
}

const OptionSpec& optionWithId(OptionId id)
{
    for (const OptionSpec& option : kExportOptions) {
        if (option.id == id) return option;
    }
    return kHelpOption;
}

// Stores one option's effect; a value that does not read is the only error here.
std::optional<UsageError> apply(const OptionSpec& option, std::string_view value, Invocation& invocation)
{
    ExportSettings& settings = invocation.exportSettings;
    switch (option.id) {
    case OptionId::Help: break;  // handled by the caller
    case OptionId::Count: break;
    case OptionId::Entry: {
        const auto row = parseRowNumber(value);
        if (!row)
            return usageError("--entry needs a row number (0 or more), not " + quoted(value),
                              Command::Export);
        settings.row = *row;
        break;
    }
    case OptionId::Output: settings.output = std::string(value); break;
    case OptionId::UserColor: settings.picture.userColor = true; break;
    case OptionId::Color1: settings.picture.color1 = std::string(value); break;
    case OptionId::Color2: settings.picture.color2 = std::string(value); break;
    case OptionId::Color3: settings.picture.color3 = std::string(value); break;
    case OptionId::DropFirst: settings.picture.dropFirst = DropFirst::On; break;
    case OptionId::Indexed: settings.picture.form = OutputForm::Indexed; break;
    case OptionId::All: settings.all = true; break;
    case OptionId::Jobs: {
        const auto jobs = parseRowNumber(value);
        if (!jobs || *jobs < 1)
            return usageError("--jobs needs a number of threads (1 or more), not " + quoted(value),
                              Command::Export);
        settings.jobs = *jobs;
        break;
    }
    case OptionId::Force: settings.overwrite = Overwrite::Replace; break;
    case OptionId::Quiet: settings.progress = ProgressOutput::Quiet; break;
    case OptionId::Format:
        if (value == "text") {
            invocation.listFormat = ListFormat::Text;
        } else if (value == "csv") {
            invocation.listFormat = ListFormat::Csv;
        } else if (value == "json") {
            invocation.listFormat = ListFormat::Json;
        } else {
            return usageError("--format takes text, csv or json, not " + quoted(value), Command::List);
        }
        break;
    }
    return std::nullopt;
}

// The options of export that make sense together, once all are read.
std::optional<UsageError> checkExport(const Invocation& invocation, const SeenOptions& seen)
{
    const auto was = [&](OptionId id) { return seen.test(static_cast<std::size_t>(id)); };
    if (invocation.exportSettings.all) {
        if (was(OptionId::Entry))
            return usageError("--entry and --all exclude each other: --all exports every row",
                              Command::Export);
        return std::nullopt;
    }
    for (const OptionId id : {OptionId::Jobs, OptionId::Force, OptionId::Quiet}) {
        if (was(id))
            return usageError("option " + quoted(optionWithId(id).longName) + " goes with --all only",
                              Command::Export);
    }
    return std::nullopt;
}

// The arguments of a sub-command: options, then its operands.
ParsedCommandLine parseSubCommand(Command command, std::span<const std::string_view> args)
{
    Invocation invocation;
    invocation.command = command;
    const auto options = optionsOf(command);
    std::vector<std::string_view> operands;
    SeenOptions seen;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        // "-" alone names a file, as usual
        if (optionsEnded || arg.size() < 2 || arg.front() != '-') {
            operands.push_back(arg);
            continue;
        }

        std::string_view name = arg;
        std::optional<std::string_view> attached;
        if (arg.starts_with("--")) {
            if (const auto eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                attached = arg.substr(eq + 1);
            }
        } else if (arg.size() > 2) {  // "-oOUT.png"
            name = arg.substr(0, 2);
            attached = arg.substr(2);
        }

        const OptionSpec* option = findOption(options, name);
        if (option == nullptr) return usageError("unknown option " + quoted(name), command);
        if (option->id == OptionId::Help) {
            if (attached) return usageError("option " + quoted(name) + " takes no value", command);
            invocation.command = Command::Help;
            invocation.helpTopic = command;
            return invocation;
        }

        std::string_view value;
        if (option->takes == Takes::Nothing) {
            if (attached) return usageError("option " + quoted(name) + " takes no value", command);
        } else if (attached) {
            value = *attached;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return usageError("option " + quoted(name) + " needs a value", command);
        }
        if (auto error = apply(*option, value, invocation)) return *error;
        seen.set(static_cast<std::size_t>(option->id));
    }

    if (command == Command::Export) {
        if (auto error = checkExport(invocation, seen)) return *error;
    }
    if (operands.empty()) return usageError("missing FILE", command);
    const bool severalFiles = command == Command::Export && invocation.exportSettings.all;
    if (operands.size() > 1 && !severalFiles)
        return usageError("unexpected argument " + quoted(operands[1]), command);
    invocation.files.assign(operands.begin(), operands.end());
    invocation.file = invocation.files.front();
    return invocation;
}

ParsedCommandLine parseHelp(std::span<const std::string_view> topics)
{
    Invocation invocation;
    invocation.command = Command::Help;
    if (topics.empty()) return invocation;
    if (topics.size() > 1) return usageError("unexpected argument " + quoted(topics[1]), Command::Help);
    const auto topic = commandNamed(topics.front());
    if (!topic) return usageError("unknown command " + quoted(topics.front()), Command::Help);
    invocation.helpTopic = *topic;
    return invocation;
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

ParsedCommandLine parseCommandLine(std::span<const std::string_view> args)
{
    if (args.empty()) return usageError("missing command", Command::Help);
    const std::string_view first = args.front();
    const auto rest = args.subspan(1);

    if (first == "--help" || first == "-h" || first == "help") return parseHelp(rest);
    if (first == "--version") {
        if (!rest.empty()) return usageError("unexpected argument " + quoted(rest.front()), Command::Help);
        Invocation invocation;
        invocation.command = Command::Version;
        return invocation;
    }
    const auto command = commandNamed(first);
    if (command && *command != Command::Help) return parseSubCommand(*command, rest);
    if (first.starts_with("-")) return usageError("unknown option " + quoted(first), Command::Help);
    return usageError("unknown command " + quoted(first), Command::Help);
}

}  // namespace zpk::cli

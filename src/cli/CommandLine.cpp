#include "cli/CommandLine.h"

#include "decode/ColourRamp.h"
#include "palette/PaletteFile.h"

#include <algorithm>

#include <array>
#include <bitset>
#include <climits>
#include <vector>

#include <getopt.h>

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
    Count  // not an option: the number of them
};
enum class Takes { Nothing, Value };

struct OptionSpec {
    std::string_view longName;  // without the dashes
    char shortName;             // 0 when there is none
    Takes takes;
    OptionId id;
};

constexpr OptionSpec kHelpOption{"help", 'h', Takes::Nothing, OptionId::Help};
constexpr OptionSpec kQuietOption{"quiet", 'q', Takes::Nothing, OptionId::Quiet};
constexpr OptionSpec kEntryOption{"entry", 0, Takes::Value, OptionId::Entry};
constexpr OptionSpec kOutputOption{"output", 'o', Takes::Value, OptionId::Output};
constexpr OptionSpec kDropFirstOption{"drop-first", 0, Takes::Nothing, OptionId::DropFirst};
constexpr OptionSpec kPaletteOption{"palette", 0, Takes::Value, OptionId::Palette};

// What every command takes.
constexpr std::array<OptionSpec, 2> kCommonOptions{kHelpOption, kQuietOption};
// What every command that draws takes: the ramp and a palette file.
constexpr std::array<OptionSpec, 5> kColourOptions{{
    {"user-color", 0, Takes::Nothing, OptionId::UserColor},
    {"color1", 0, Takes::Value, OptionId::Color1},
    {"color2", 0, Takes::Value, OptionId::Color2},
    {"color3", 0, Takes::Value, OptionId::Color3},
    kPaletteOption,
}};

// The options of several lists, in their order.
template <std::size_t... N>
constexpr std::array<OptionSpec, (N + ...)> joined(const std::array<OptionSpec, N>&... parts)
{
    std::array<OptionSpec, (N + ...)> out{};
    auto to = out.begin();
    ((to = std::copy(parts.begin(), parts.end(), to)), ...);
    return out;
}

constexpr auto kListOptions =
    joined(kCommonOptions, std::array<OptionSpec, 1>{{{"format", 0, Takes::Value, OptionId::Format}}});
constexpr auto kInfoOptions = kCommonOptions;
constexpr auto kExportOptions = joined(kCommonOptions, kColourOptions,
                                       std::array<OptionSpec, 9>{{
                                           kEntryOption,
                                           kOutputOption,
                                           kDropFirstOption,
                                           {"indexed", 0, Takes::Nothing, OptionId::Indexed},
                                           {"rgba", 0, Takes::Nothing, OptionId::Rgba},
                                           {"all", 0, Takes::Nothing, OptionId::All},
                                           {"jobs", 'j', Takes::Value, OptionId::Jobs},
                                           {"force", 0, Takes::Nothing, OptionId::Force},
                                           {"skip-existing", 0, Takes::Nothing, OptionId::SkipExisting},
                                       }});
constexpr auto kThumbnailOptions = joined(
    kCommonOptions, std::array<OptionSpec, 2>{{kPaletteOption, {"size", 0, Takes::Value, OptionId::Size}}});
constexpr auto kSheetOptions = joined(kCommonOptions, kColourOptions,
                                      std::array<OptionSpec, 4>{{
                                          kOutputOption,
                                          kDropFirstOption,
                                          {"columns", 0, Takes::Value, OptionId::Columns},
                                          {"labels", 0, Takes::Nothing, OptionId::Labels},
                                      }});
constexpr auto kPaletteOptions =
    joined(kCommonOptions, kColourOptions, std::array<OptionSpec, 2>{{kEntryOption, kOutputOption}});
constexpr OptionSpec kTransparentIndex0Option{"transparent-index0", 0, Takes::Nothing,
                                              OptionId::TransparentIndex0};
constexpr auto kPackOptions = joined(kCommonOptions, std::array<OptionSpec, 3>{{
                                                         {"from", 0, Takes::Value, OptionId::From},
                                                         {"force", 0, Takes::Nothing, OptionId::Force},
                                                         kTransparentIndex0Option,
                                                     }});
constexpr auto kReplaceOptions =
    joined(kCommonOptions, std::array<OptionSpec, 4>{{kEntryOption,
                                                      kOutputOption,
                                                      {"force", 0, Takes::Nothing, OptionId::Force},
                                                      kTransparentIndex0Option}});
constexpr auto kExtractOptions =
    joined(kCommonOptions, std::array<OptionSpec, 2>{{kEntryOption, kOutputOption}});

using SeenOptions = std::bitset<static_cast<std::size_t>(OptionId::Count)>;

std::span<const OptionSpec> optionsOf(Command command)
{
    switch (command) {
    case Command::List: return kListOptions;
    case Command::Info: return kInfoOptions;
    case Command::Export: return kExportOptions;
    case Command::Thumbnail: return kThumbnailOptions;
    case Command::Sheet: return kSheetOptions;
    case Command::Palette: return kPaletteOptions;
    case Command::Pack: return kPackOptions;
    case Command::Replace: return kReplaceOptions;
    case Command::Extract: return kExtractOptions;
    default: return {};
    }
}

std::optional<Command> commandNamed(std::string_view name)
{
    if (name == "list") return Command::List;
    if (name == "info") return Command::Info;
    if (name == "export") return Command::Export;
    if (name == "thumbnail") return Command::Thumbnail;
    if (name == "sheet") return Command::Sheet;
    if (name == "palette") return Command::Palette;
    if (name == "pack") return Command::Pack;
    if (name == "replace") return Command::Replace;
    if (name == "extract") return Command::Extract;
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

std::string dashed(std::string_view longName)
{
    std::string out = "--";
    out += longName;
    return out;
}

const OptionSpec& optionWithId(OptionId id)
{
    for (const OptionSpec& option : kExportOptions) {
        if (option.id == id) return option;
    }
    return kHelpOption;
}

// What getopt_long returns for an option: its short letter, or a number
// past every character for a long-only one.
constexpr int kLongOnly = 256;
int valueOf(const OptionSpec& option)
{
    return option.shortName != 0 ? option.shortName : kLongOnly + static_cast<int>(option.id);
}

const OptionSpec* optionWithValue(std::span<const OptionSpec> options, int value)
{
    for (const OptionSpec& option : options) {
        if (valueOf(option) == value) return &option;
    }
    return nullptr;
}

// A colour text on the command line must be a number; the window's text
// boxes are looser (a text that is not a number leaves the stored colours).
std::optional<UsageError> checkColour(const OptionSpec& option, std::string_view value, Command command)
{
    if (RampNumber::parse(value)) return std::nullopt;
    return usageError(dashed(option.longName) + " needs a number such as 12, -3 or 2.5, not " + quoted(value),
                      command);
}

// A whole number from `low` to `high`, or nothing.
std::optional<int> numberWithin(std::string_view value, int low, int high)
{
    const auto number = parseRowNumber(value);
    if (!number || *number < low || *number > high) return std::nullopt;
    return number;
}

// Stores one option's effect; a value that does not read is the only error here.
std::optional<UsageError> apply(const OptionSpec& option, std::string_view value, Invocation& invocation)
{
    ExportSettings& settings = invocation.exportSettings;
    const Command command = invocation.command;
    switch (option.id) {
    case OptionId::Help: break;  // handled by the caller
    case OptionId::Count: break;
    case OptionId::Entry: {
        const auto row = parseRowNumber(value);
        if (!row) return usageError("--entry needs a row number (0 or more), not " + quoted(value), command);
        settings.row = *row;
        break;
    }
    case OptionId::Output: settings.output = std::string(value); break;
    case OptionId::UserColor: settings.picture.userColor = true; break;
    case OptionId::Color1:
    case OptionId::Color2:
    case OptionId::Color3: {
        if (auto error = checkColour(option, value, command)) return error;
        std::string& text = option.id == OptionId::Color1   ? settings.picture.color1
                            : option.id == OptionId::Color2 ? settings.picture.color2
                                                            : settings.picture.color3;
        text = std::string(value);
        break;
    }
    case OptionId::DropFirst: settings.picture.dropFirst = DropFirst::On; break;
    case OptionId::Indexed: settings.picture.form = OutputForm::Indexed; break;
    case OptionId::Rgba: settings.picture.form = OutputForm::Rgba; break;
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
    case OptionId::SkipExisting: settings.skipExisting = true; break;
    case OptionId::Quiet: settings.progress = ProgressOutput::Quiet; break;
    case OptionId::Palette: {
        const auto format = paletteFormatOf(std::string(value));
        if (!format || *format == PaletteFormat::Png)
            return usageError(
                "--palette needs a palette file ending in .gpl, .pal or .act, not " + quoted(value), command);
        settings.paletteFile = std::string(value);
        break;
    }
    case OptionId::Size: {
        const auto size = numberWithin(value, kMinThumbnailSize, kMaxThumbnailSize);
        if (!size)
            return usageError("--size needs a number of pixels from " + std::to_string(kMinThumbnailSize) +
                                  " to " + std::to_string(kMaxThumbnailSize) + ", not " + quoted(value),
                              command);
        settings.thumbnailSize = *size;
        break;
    }
    case OptionId::Columns: {
        const auto columns = numberWithin(value, 1, kMaxEntries);
        if (!columns)
            return usageError("--columns needs a number from 1 to " + std::to_string(kMaxEntries) + ", not " +
                                  quoted(value),
                              command);
        settings.columns = *columns;
        break;
    }
    case OptionId::Labels: settings.labels = true; break;
    case OptionId::From:
        if (value.empty()) return usageError("--from needs a folder", command);
        invocation.packSettings.fromFolder = std::string(value);
        break;
    case OptionId::TransparentIndex0: invocation.packSettings.options.transparentIndex0 = true; break;
    case OptionId::Format:
        if (value == "text") {
            invocation.listFormat = ListFormat::Text;
        } else if (value == "csv") {
            invocation.listFormat = ListFormat::Csv;
        } else if (value == "json") {
            invocation.listFormat = ListFormat::Json;
        } else if (value == "jsonl") {
            invocation.listFormat = ListFormat::JsonLines;
        } else {
            return usageError("--format takes text, csv, json or jsonl, not " + quoted(value), Command::List);
        }
        break;
    }
    return std::nullopt;
}

// The options of export that make sense together, once all are read.
std::optional<UsageError> checkExport(const Invocation& invocation, const SeenOptions& seen)
{
    const auto was = [&](OptionId id) { return seen.test(static_cast<std::size_t>(id)); };
    if (was(OptionId::Indexed) && was(OptionId::Rgba))
        return usageError("--indexed and --rgba exclude each other", Command::Export);
    if (invocation.exportSettings.all) {
        if (was(OptionId::Entry))
            return usageError("--entry and --all exclude each other: --all exports every row",
                              Command::Export);
        if (was(OptionId::Force) && was(OptionId::SkipExisting))
            return usageError("--force and --skip-existing exclude each other", Command::Export);
        return std::nullopt;
    }
    for (const OptionId id : {OptionId::Jobs, OptionId::Force, OptionId::SkipExisting}) {
        if (was(id))
            return usageError("option " + quoted(dashed(optionWithId(id).longName)) + " goes with --all only",
                              Command::Export);
    }
    return std::nullopt;
}

// A palette's output names its format.
std::optional<UsageError> checkPaletteOutput(const std::string& output)
{
    if (output.empty()) return usageError("missing -o OUT: the palette file to write", Command::Palette);
    if (!paletteFormatOf(output))
        return usageError("-o needs a name ending in .gpl, .pal, .act or .png (the format), not " +
                              quoted(output),
                          Command::Palette);
    return std::nullopt;
}

// The operands of pack, replace and extract, with what they need.
std::optional<UsageError> takePackOperands(Invocation& invocation,
                                           const std::vector<std::string_view>& operands,
                                           const SeenOptions& seen)
{
    const Command command = invocation.command;
    ExportSettings& settings = invocation.exportSettings;
    PackSettings& pack = invocation.packSettings;
    if (command == Command::Pack) {
        // OUT.zpk IMAGE..., or OUT.zpk with --from DIR
        if (operands.empty()) return usageError("missing OUT.zpk: the container to write", command);
        if (operands.front() == "-") return usageError("pack writes a file: give OUT.zpk, not '-'", command);
        settings.output = std::string(operands.front());
        pack.pictures.assign(operands.begin() + 1, operands.end());
        if (!pack.fromFolder.empty() && !pack.pictures.empty())
            return usageError("--from DIR and IMAGE operands exclude each other (unexpected argument " +
                                  quoted(pack.pictures.front()) + ")",
                              command);
        if (pack.fromFolder.empty() && pack.pictures.empty())
            return usageError("missing IMAGE...: the PNGs to pack (or --from DIR)", command);
        return std::nullopt;
    }
    if (operands.empty()) return usageError("missing FILE", command);
    invocation.files.assign(operands.begin(), operands.begin() + 1);
    invocation.file = invocation.files.front();
    if (command == Command::Replace) {
        // FILE IMAGE, --entry K needed: a default row would replace an entry by chance
        if (operands.size() < 2)
            return usageError("missing IMAGE: the PNG to put in the entry's place", command);
        if (operands.size() > 2) return usageError("unexpected argument " + quoted(operands[2]), command);
        if (!seen.test(static_cast<std::size_t>(OptionId::Entry)))
            return usageError("missing --entry K: the row to replace", command);
        if (settings.output.empty() && invocation.file == "-")
            return usageError("FILE - (standard input) cannot be replaced: give -o OUT", command);
        pack.pictures.assign(operands.begin() + 1, operands.end());
        return std::nullopt;
    }
    // extract FILE -o OUT
    if (operands.size() > 1) return usageError("unexpected argument " + quoted(operands[1]), command);
    if (settings.output.empty())
        return usageError("missing -o OUT: the file to write the entry's bytes to (- for standard output)",
                          command);
    return std::nullopt;
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
ParsedCommandLine parseSubCommand(Command command, std::span<const std::string_view> args)
{
    Invocation invocation;
    invocation.command = command;
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
    for (std::string& arg : storage) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());

    SeenOptions seen;
    std::vector<std::string_view> operands;
    ::optind = 0;  // start afresh: getopt keeps its place between calls
    ::opterr = 0;  // the messages are ours
    for (;;) {
        const int got = ::getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr);
        if (got == -1) break;
        if (got == 1) {
            operands.emplace_back(::optarg);
            continue;
        }
        if (got == '?' || got == ':') {
            const int at = std::clamp(::optind - 1, 1, argc - 1);
            return refusal(options, argv[static_cast<std::size_t>(at)], ::optopt, got == ':', command);
        }
        const OptionSpec* option = optionWithValue(options, got);
        if (option == nullptr) return usageError("unknown option", command);
        if (option->id == OptionId::Help) {
            invocation.command = Command::Help;
            invocation.helpTopic = command;
            return invocation;
        }
        const std::string_view value = option->takes == Takes::Value && ::optarg != nullptr ? ::optarg : "";
        if (auto error = apply(*option, value, invocation)) return *error;
        seen.set(static_cast<std::size_t>(option->id));
    }

    if (command == Command::Export) {
        if (auto error = checkExport(invocation, seen)) return *error;
    }
    // what follows "--"
    for (int i = ::optind; i < argc; ++i) operands.emplace_back(argv[static_cast<std::size_t>(i)]);
    if (command == Command::Pack || command == Command::Replace || command == Command::Extract) {
        if (auto error = takePackOperands(invocation, operands, seen)) return *error;
        return invocation;
    }
    if (operands.empty()) return usageError("missing FILE", command);
    if (command == Command::Thumbnail) {
        // FILE OUT.png
        if (operands.size() < 2) return usageError("missing OUT.png", command);
        // a file manager names a file: the thumbnail reads it at positions
        if (operands.front() == "-")
            return usageError("thumbnail reads a file by its name: standard input ('-') is not taken",
                              command);
        invocation.exportSettings.output = std::string(operands[1]);
        operands.erase(operands.begin() + 1);
    }
    const bool severalFiles =
        command == Command::List || command == Command::Info || invocation.exportSettings.all;
    if (operands.size() > 1 && !severalFiles)
        return usageError("unexpected argument " + quoted(operands[1]), command);
    if (command == Command::Palette) {
        if (auto error = checkPaletteOutput(invocation.exportSettings.output)) return *error;
    }
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

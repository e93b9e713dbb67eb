#include "cli/CommandLine.h"

#include <array>
#include <climits>
#include <vector>

namespace zpk::cli {

namespace {

enum class OptionId { Help, Entry, Output, UserColor, Color1, Color2, Color3, DropFirst };
enum class Takes { Nothing, Value };

struct OptionSpec {
    std::string_view longName;
    std::string_view shortName;  // empty when there is none
    Takes takes;
    OptionId id;
};

constexpr OptionSpec kHelpOption{"--help", "-h", Takes::Nothing, OptionId::Help};

constexpr std::array<OptionSpec, 1> kListOptions{kHelpOption};
constexpr std::array<OptionSpec, 1> kDemoOptions{kHelpOption};
constexpr std::array<OptionSpec, 8> kExportOptions{{
    kHelpOption,
    {"--entry", "", Takes::Value, OptionId::Entry},
    {"--output", "-o", Takes::Value, OptionId::Output},
    {"--user-color", "", Takes::Nothing, OptionId::UserColor},
    {"--color1", "", Takes::Value, OptionId::Color1},
    {"--color2", "", Takes::Value, OptionId::Color2},
    {"--color3", "", Takes::Value, OptionId::Color3},
    {"--drop-first", "", Takes::Nothing, OptionId::DropFirst},
}};

std::span<const OptionSpec> optionsOf(Command command)
{
    switch (command) {
    case Command::List: return kListOptions;
    case Command::Export: return kExportOptions;
    case Command::Demo: return kDemoOptions;
    default: return {};
    }
}

std::optional<Command> commandNamed(std::string_view name)
{
    if (name == "list") return Command::List;
    if (name == "export") return Command::Export;
    if (name == "demo") return Command::Demo;
    if (name == "help") return Command::Help;
    return std::nullopt;
}

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

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

// Stores one option's effect; a failed row number is the only error here.
std::optional<UsageError> apply(const OptionSpec& option, std::string_view value, Invocation& invocation)
{
    ExportSettings& settings = invocation.exportSettings;
    switch (option.id) {
    case OptionId::Help: break;  // handled by the caller
    case OptionId::Entry: {
        const auto row = parseRowNumber(value);
        if (!row)
            return usageError("--entry needs a row number (0 or more), not " + quoted(value),
                              Command::Export);
        settings.row = *row;
        break;
    }
    case OptionId::Output: settings.output = std::string(value); break;
    case OptionId::UserColor: settings.decode.userColor = true; break;
    case OptionId::Color1: settings.decode.color1 = std::string(value); break;
    case OptionId::Color2: settings.decode.color2 = std::string(value); break;
    case OptionId::Color3: settings.decode.color3 = std::string(value); break;
    case OptionId::DropFirst: settings.dropFirst = DropFirst::On; break;
    }
    return std::nullopt;
}

// The arguments of list, export or demo: options, then exactly one operand.
ParsedCommandLine parseSubCommand(Command command, std::span<const std::string_view> args)
{
    Invocation invocation;
    invocation.command = command;
    const auto options = optionsOf(command);
    std::vector<std::string_view> operands;
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
    }

    const std::string_view operandName = command == Command::Demo ? "OUT.zpk" : "FILE";
    if (operands.empty()) return usageError("missing " + std::string(operandName), command);
    if (operands.size() > 1) return usageError("unexpected argument " + quoted(operands[1]), command);
    invocation.file = std::string(operands.front());
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

std::string_view usageLine(Command command)
{
    switch (command) {
    case Command::List: return "usage: zpk list FILE";
    case Command::Export:
        return "usage: zpk export FILE [--entry K] [-o OUT.png] [--user-color] [--color1 T] [--color2 T] "
               "[--color3 T] [--drop-first]";
    case Command::Demo: return "usage: zpk demo OUT.zpk";
    default: return "usage: zpk {list|export|demo|help} ... (zpk --help tells more)";
    }
}

std::string_view helpText(Command command)
{
    switch (command) {
    case Command::List:
        return "usage: zpk list FILE\n"
               "\n"
               "Shows the entries of the container FILE: a line with the file's name, its\n"
               "length and its entry count, then one line per list row with\n"
               "  row        the row, counted from 0\n"
               "  text       the row's list text (the entry's start offset plus 3)\n"
               "  offset     the entry's start offset in the file\n"
               "  size       bytes up to the next entry's start (the last: to the end of the\n"
               "             file); negative or past the end in a damaged file\n"
               "  width      the entry's width, or - when its header lies past the file\n"
               "  height     the entry's height, or -\n"
               "A container of 0 entries still lists one row, for an entry at offset 30.\n";
    case Command::Export:
        return "usage: zpk export FILE [--entry K] [-o OUT.png] [--user-color]\n"
               "                       [--color1 T] [--color2 T] [--color3 T] [--drop-first]\n"
               "\n"
               "Decodes one entry of the container FILE on a fresh (all black) palette and\n"
               "writes it as an RGBA PNG: drawn pixels opaque in their palette colour, pixels\n"
               "not drawn transparent.\n"
               "\n"
               "  --entry K          the list row to export, counted from 0 (default 0)\n"
               "  -o, --output OUT   the PNG to write (default STEM-K.png in the current\n"
               "                     folder, STEM being FILE's name without its extension)\n"
               "  --user-color       colour pixel values 0 to 254 by a ramp built from the\n"
               "                     three texts below instead of the stored colours\n"
               "  --color1 T         the ramp's red base (default \"0\"); pixel value v gets\n"
               "                     red T + v + 2, rounded half to even, clamped to 0..255\n"
               "  --color2 T         the ramp's green base (default \"0\")\n"
               "  --color3 T         the ramp's blue base (default \"0\")\n"
               "  --drop-first       leave pixels of value 0 transparent\n"
               "\n"
               "A text is a decimal number such as 12, -3, +4 or 2.5; a text that is not a\n"
               "number leaves the stored colours. Write --color1=T or --color1 T; T may be\n"
               "empty or begin with a minus sign (--color1 -300).\n"
               "Exits with 1, writing nothing, when FILE cannot be read, the row does not\n"
               "exist, or the entry has no data or a width or height below 1.\n";
    case Command::Demo:
        return "usage: zpk demo OUT.zpk\n"
               "\n"
               "Writes a container of procedurally drawn sample images to OUT.zpk. The\n"
               "output is the same on every run.\n";
    default:
        return "usage: zpk COMMAND [ARGS]\n"
               "\n"
               "Lists and exports the images packed in zpk resource containers.\n"
               "\n"
               "Commands:\n"
               "  list FILE        show the entries of a container\n"
               "  export FILE      write one entry as an RGBA PNG\n"
               "  demo OUT.zpk     write a container of sample images\n"
               "  help [COMMAND]   show this help, or a command's\n"
               "\n"
               "Options:\n"
               "  -h, --help       show help and exit\n"
               "  --version        show the version and exit\n"
               "\n"
               "Run 'zpk COMMAND --help' for a command's options. Exit status: 0 on success,\n"
               "1 when a file cannot be read or written, 2 for a wrong command line.\n"
               "\n"
               "Example:\n"
               "  zpk list samples/demo.zpk\n"
               "  zpk export samples/demo.zpk --entry 3 --drop-first -o star.png\n";
    }
}

}  // namespace zpk::cli

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

std::string_view usageLine(Command command)
{
    switch (command) {
    case Command::List: return "usage: zpk list FILE [--format text|csv|json]";
    case Command::Info: return "usage: zpk info FILE";
    case Command::Export:
        return "usage: zpk export FILE [--entry K] [-o OUT.png] [PICTURE OPTIONS]\n"
               "       zpk export FILE... --all [-o DIR] [-j N] [--force] [--quiet]\n"
               "                  [PICTURE OPTIONS]\n"
               "PICTURE OPTIONS: --user-color --color1 T --color2 T --color3 T --drop-first\n"
               "                 --indexed";
    default: return "usage: zpk {list|info|export|help} ... (zpk --help tells more)";
    }
}

std::string_view helpText(Command command)
{
    switch (command) {
    case Command::List:
        return "usage: zpk list FILE [--format text|csv|json]\n"
               "\n"
               "Shows the entries of the container FILE, one per list row.\n"
               "\n"
               "  --format text   (the default) a line with the file's name, its length and\n"
               "                  its entry count, then one aligned line per row with\n"
               "     row      the row, counted from 0\n"
               "     text     the row's list text (the entry's start offset plus 3)\n"
               "     offset   the entry's start offset in the file\n"
               "     size     bytes up to the next entry's start (the last: to the end of\n"
               "              the file); negative or past the end in a damaged file\n"
               "     width    the entry's width, or - when its header lies past the file\n"
               "     height   the entry's height, or -\n"
               "  --format csv    a header row, then one record per row with the columns\n"
               "                    file,row,listText,offset,size,width,height,\n"
               "                    storedColours,runCodes,produced,status\n"
               "                  quoted as RFC 4180 has it, lines ending in LF; width and\n"
               "                  height are empty when the entry has no data\n"
               "  --format json   one object: {\"file\", \"size\", \"entryCount\", \"entries\"},\n"
               "                  \"entries\" an array of objects with the keys of the CSV\n"
               "                  columns but \"file\" (width and height null when the entry\n"
               "                  has no data); bytes of the file name that are not UTF-8\n"
               "                  become U+FFFD\n"
               "\n"
               "For csv and json every entry is decoded on a fresh palette:\n"
               "  storedColours   colour triplets of the entry's stored palette\n"
               "  runCodes        run codes the pixel stream expanded\n"
               "  produced        pixels the stream produced\n"
               "  status          ok       every pixel produced\n"
               "                  short    fewer pixels than width x height\n"
               "                  empty    width or height below 1\n"
               "                  no-data  the width and height bytes lie past the file\n"
               "A container of 0 entries still lists one row, for an entry at offset 30.\n";
    case Command::Info:
        return "usage: zpk info FILE\n"
               "\n"
               "Tells the size of the container FILE, its entry count, and how many of its\n"
               "list rows decode fully (ok), partially (short: the pixel stream ends before\n"
               "width x height pixels), or not at all (empty: width or height below 1;\n"
               "no-data: the width and height bytes lie past the end of the file). Each\n"
               "entry is decoded on a fresh palette. `zpk list FILE --format csv` tells\n"
               "which rows are which.\n";
    case Command::Export:
        return "usage: zpk export FILE [--entry K] [-o OUT.png] [PICTURE OPTIONS]\n"
               "       zpk export FILE... --all [-o DIR] [-j N] [--force] [--quiet]\n"
               "                  [PICTURE OPTIONS]\n"
               "\n"
               "Decodes entries of zpk containers, each on a fresh (all black) palette, and\n"
               "writes them as PNG: RGBA by default, drawn pixels opaque in their palette\n"
               "colour, pixels not drawn transparent.\n"
               "\n"
               "One entry:\n"
               "  --entry K          the list row to export, counted from 0 (default 0)\n"
               "  -o, --output OUT   the PNG to write (default STEM-K.png in the current\n"
               "                     folder, STEM being FILE's name without its extension);\n"
               "                     an existing OUT is replaced\n"
               "\n"
               "Every entry of every FILE (--all):\n"
               "  --all              write row K of FILE to DIR/STEM/KKK.png, the row with\n"
               "                     three digits (demo.zpk row 7: DIR/demo/007.png); the\n"
               "                     folders are made as needed\n"
               "  -o, --output DIR   the folder to write into (default: the current folder)\n"
               "  -j, --jobs N       export on N threads (default: one per processor); the\n"
               "                     files written are the same whatever N is\n"
               "  --force            replace PNGs that exist already; without it an existing\n"
               "                     PNG is kept, and its entry counts as not exported\n"
               "  -q, --quiet        no progress, notes or closing tally; what failed is\n"
               "                     still reported\n"
               "\n"
               "Progress goes to standard error: a bar when it is a terminal, else a line\n"
               "per file. At the end every entry that was not exported is listed as\n"
               "`zpk: FILE: entry row K ...` with the reason (width or height below 1, no\n"
               "data, an existing PNG, a failed write); a FILE that cannot be read is\n"
               "reported and the others go on. Two FILEs with the same STEM would share a\n"
               "folder: that is refused as a usage error before anything is written.\n"
               "\n"
               "Picture options (both forms):\n"
               "  --user-color       colour pixel values 0 to 254 by a ramp built from the\n"
               "                     three texts below instead of the stored colours\n"
               "  --color1 T         the ramp's red base (default \"0\"); pixel value v gets\n"
               "                     red T + v + 2, rounded half to even, clamped to 0..255\n"
               "  --color2 T         the ramp's green base (default \"0\")\n"
               "  --color3 T         the ramp's blue base (default \"0\")\n"
               "  --drop-first       leave pixels of value 0 transparent\n"
               "  --indexed          write an 8-bit palette PNG: index v has the colour of\n"
               "                     pixel value v, and with --drop-first index 0 is\n"
               "                     transparent. An entry whose pixel stream ends early\n"
               "                     has pixels that are not drawn: it is written as RGBA,\n"
               "                     and a note says so (not an error)\n"
               "\n"
               "A text is a decimal number such as 12, -3, +4 or 2.5; a text that is not a\n"
               "number leaves the stored colours. Write --color1=T or --color1 T; T may be\n"
               "empty or begin with a minus sign (--color1 -300). Images wider or taller\n"
               "than 4000 pixels are written clipped to 4000, as they are decoded.\n"
               "\n"
               "Exit status: 0 when every entry was written; 1 when a FILE cannot be read,\n"
               "the row does not exist, or an entry has no data, a width or height below 1,\n"
               "or cannot be written (one entry: nothing is written then); 2 for a wrong\n"
               "command line.\n";
    default:
        return "usage: zpk COMMAND [ARGS]\n"
               "\n"
               "Lists and exports the images packed in zpk resource containers.\n"
               "\n"
               "Commands:\n"
               "  list FILE          show the entries of a container (as text, CSV or JSON)\n"
               "  info FILE          count the entries that decode fully, partially, not at all\n"
               "  export FILE        write one entry as a PNG\n"
               "  export FILE... --all\n"
               "                     write every entry of every FILE as PNGs, on all processors\n"
               "  help [COMMAND]     show this help, or a command's\n"
               "\n"
               "Options:\n"
               "  -h, --help         show help and exit (also after a command: zpk list --help)\n"
               "  --version          show the version and exit\n"
               "\n"
               "Run 'zpk COMMAND --help' for a command's options. Exit status: 0 on success,\n"
               "1 when a file cannot be read or written (or, for export, an entry cannot be\n"
               "exported), 2 for a wrong command line.\n"
               "\n"
               "Examples:\n"
               "  zpk list samples/demo.zpk\n"
               "  zpk list samples/demo.zpk --format json\n"
               "  zpk info samples/demo.zpk\n"
               "  zpk export samples/demo.zpk --entry 3 --drop-first -o star.png\n"
               "  zpk export *.zpk --all -o sprites --indexed --drop-first\n";
    }
}

}  // namespace zpk::cli

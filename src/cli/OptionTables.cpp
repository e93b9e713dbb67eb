#include "cli/OptionTables.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace zpk::cli {

namespace {

constexpr OptionSpec kHelpOption{"help", 'h', Takes::Nothing, OptionId::Help};
constexpr OptionSpec kQuietOption{"quiet", 'q', Takes::Nothing, OptionId::Quiet};
constexpr OptionSpec kEntryOption{"entry", 0, Takes::Value, OptionId::Entry};
constexpr OptionSpec kOutputOption{"output", 'o', Takes::Value, OptionId::Output};
constexpr OptionSpec kDropFirstOption{"drop-first", 0, Takes::Nothing, OptionId::DropFirst};
constexpr OptionSpec kPaletteOption{"palette", 0, Takes::Value, OptionId::Palette};
constexpr OptionSpec kFormatOption{"format", 0, Takes::Value, OptionId::Format};

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

constexpr auto kListOptions = joined(kCommonOptions, std::array<OptionSpec, 1>{{kFormatOption}});
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
constexpr OptionSpec kForceOption{"force", 0, Takes::Nothing, OptionId::Force};
constexpr auto kReplaceOptions =
    joined(kCommonOptions,
           std::array<OptionSpec, 4>{{kEntryOption, kOutputOption, kForceOption, kTransparentIndex0Option}});
constexpr auto kInsertOptions = joined(
    kCommonOptions,
    std::array<OptionSpec, 4>{
        {{"at", 0, Takes::Value, OptionId::At}, kOutputOption, kForceOption, kTransparentIndex0Option}});
constexpr auto kDeleteOptions =
    joined(kCommonOptions, std::array<OptionSpec, 3>{{kEntryOption, kOutputOption, kForceOption}});
constexpr auto kMoveOptions = joined(
    kCommonOptions, std::array<OptionSpec, 4>{
                        {kEntryOption, {"to", 0, Takes::Value, OptionId::To}, kOutputOption, kForceOption}});
constexpr auto kExtractOptions =
    joined(kCommonOptions, std::array<OptionSpec, 2>{{kEntryOption, kOutputOption}});
constexpr auto kDiffOptions = joined(kCommonOptions, kColourOptions,
                                     std::array<OptionSpec, 3>{{
                                         kFormatOption,
                                         {"bytes", 0, Takes::Nothing, OptionId::Bytes},
                                         kDropFirstOption,
                                     }});
// the picture options of export but its form: a GIF frame is always a palette
constexpr auto kGifOptions = joined(kCommonOptions, kColourOptions,
                                    std::array<OptionSpec, 5>{{
                                        {"entries", 0, Takes::Value, OptionId::Entries},
                                        {"fps", 0, Takes::Value, OptionId::Fps},
                                        {"loop", 0, Takes::Value, OptionId::Loop},
                                        kOutputOption,
                                        kDropFirstOption,
                                    }});

// what getopt_long returns for a long-only option: past every character
constexpr int kLongOnly = 256;

constexpr std::array<std::pair<std::string_view, Command>, 15> kCommandNames{{
    {"list", Command::List},
    {"info", Command::Info},
    {"diff", Command::Diff},
    {"export", Command::Export},
    {"gif", Command::Gif},
    {"thumbnail", Command::Thumbnail},
    {"sheet", Command::Sheet},
    {"palette", Command::Palette},
    {"pack", Command::Pack},
    {"replace", Command::Replace},
    {"insert", Command::Insert},
    {"delete", Command::Delete},
    {"move", Command::Move},
    {"extract", Command::Extract},
    {"help", Command::Help},
}};

// A mistyped command is within this many edits (a letter added, dropped or
// changed) of the one meant: "lsit" is two from "list".
constexpr int kNearCommand = 2;

// Whether `a` becomes `b` in at most `limit` edits (Levenshtein distance).
bool editDistanceAtMost(std::string_view a, std::string_view b, int limit)
{
    const auto longer = static_cast<std::ptrdiff_t>(std::max(a.size(), b.size()));
    const auto shorter = static_cast<std::ptrdiff_t>(std::min(a.size(), b.size()));
    if (longer - shorter > limit) return false;  // also keeps a long argument's work short
    std::vector<int> previous(b.size() + 1);
    std::vector<int> current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const int changed = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({changed, previous[j] + 1, current[j - 1] + 1});
        }
        std::swap(previous, current);
    }
    return previous[b.size()] <= limit;
}

}  // namespace

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
    case Command::Insert: return kInsertOptions;
    case Command::Delete: return kDeleteOptions;
    case Command::Move: return kMoveOptions;
    case Command::Extract: return kExtractOptions;
    case Command::Diff: return kDiffOptions;
    case Command::Gif: return kGifOptions;
    default: return {};
    }
}

std::optional<Command> commandNamed(std::string_view name)
{
    for (const auto& [known, command] : kCommandNames)
        if (name == known) return command;
    return std::nullopt;
}

std::optional<std::string_view> commandNear(std::string_view name)
{
    std::optional<std::string_view> near;
    int count = 0;
    for (const auto& [known, command] : kCommandNames) {
        const bool prefix = !name.empty() && known.starts_with(name);
        if (prefix || editDistanceAtMost(name, known, kNearCommand)) {
            near = known;
            ++count;
        }
    }
    return count == 1 ? near : std::nullopt;
}

const OptionSpec& optionWithId(OptionId id)
{
    for (const OptionSpec& option : kExportOptions) {
        if (option.id == id) return option;
    }
    return kHelpOption;
}

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

std::string dashed(std::string_view longName)
{
    std::string out = "--";
    out += longName;
    return out;
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

}  // namespace zpk::cli

#include "cli/OptionTables.h"

#include <algorithm>
#include <array>

namespace zpk::cli {

namespace {

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

// what getopt_long returns for a long-only option: past every character
constexpr int kLongOnly = 256;

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

// The command lines of thumbnail, sheet and palette and of --palette, their
// help, and the bash completion, which must offer what the parser takes
// and what the help names.
#include "cli/CliSupport.h"
#include "cli/CompletionSupport.h"

#include "cli/CommandLine.h"
#include "cli/ParseSupport.h"

#include <gtest/gtest.h>

#include <regex>

namespace zpk::cli {
namespace {

using testing::completions;
using testing::longOptionsIn;
using testing::parsedAs;

namespace fs = std::filesystem;
using fs::path;

// The message of a usage error, and the command whose usage goes with it.
std::pair<std::string, Command> refused(std::initializer_list<std::string_view> args)
{
    const std::vector<std::string_view> list(args);
    const ParsedCommandLine parsed = parseCommandLine(list);
    const auto* error = std::get_if<UsageError>(&parsed);
    if (error == nullptr) {
        ADD_FAILURE() << "accepted";
        return {};
    }
    return {error->message, error->command};
}

TEST(SubCommands, ThumbnailTakesFileAndOutput)
{
    const auto plain = parsedAs<ThumbnailSettings>({"thumbnail", "a.zpk", "b.png"});
    EXPECT_EQ(plain.file, "a.zpk");
    EXPECT_EQ(plain.outputPng, "b.png");
    EXPECT_EQ(plain.size, 256);
    EXPECT_EQ(plain.drawing.paletteFile, "");

    const auto sized =
        parsedAs<ThumbnailSettings>({"thumbnail", "--size", "16", "a.zpk", "--pal=night.GPL", "b.png"});
    EXPECT_EQ(sized.size, 16);
    EXPECT_EQ(sized.drawing.paletteFile, "night.GPL");
    EXPECT_EQ(sized.outputPng, "b.png");
    EXPECT_EQ(parsedAs<ThumbnailSettings>({"thumbnail", "a", "b", "--size=1024"}).size, 1024);

    EXPECT_EQ(refused({"thumbnail", "a.zpk"}),
              std::make_pair(std::string("missing OUT.png"), Command::Thumbnail));
    EXPECT_EQ(refused({"thumbnail", "a", "b", "c"}).first, "unexpected argument 'c'");
    for (const std::string_view size : {"15", "1025", "-1", "2.5", "", "x"})
        EXPECT_EQ(refused({"thumbnail", "a", "b", "--size", size}).first,
                  "--size needs a number of pixels from 16 to 1024, not '" + std::string(size) + "'");
    EXPECT_EQ(refused({"thumbnail", "a", "b", "-o", "c"}).first, "unknown option '-o'");
}

TEST(SubCommands, SheetTakesTheGridAndThePictureOptions)
{
    const auto sheet =
        parsedAs<SheetSettings>({"sheet", "a.zpk", "--columns", "12", "--labels", "-o", "s.png",
                                 "--drop-first", "--user-color", "--color1", "-3", "--palette", "p.act"});
    EXPECT_EQ(sheet.file, "a.zpk");
    EXPECT_EQ(sheet.columns, 12);
    EXPECT_TRUE(sheet.labels);
    EXPECT_EQ(sheet.outputPng, "s.png");
    EXPECT_EQ(sheet.drawing.picture.dropFirst, DropFirst::On);
    EXPECT_TRUE(sheet.drawing.picture.userColor);
    EXPECT_EQ(sheet.drawing.picture.color1, "-3");
    EXPECT_EQ(sheet.drawing.paletteFile, "p.act");
    EXPECT_EQ(parsedAs<SheetSettings>({"sheet", "a.zpk"}).columns, 0);

    EXPECT_EQ(refused({"sheet", "a", "--columns", "0"}).first,
              "--columns needs a number from 1 to 255, not '0'");
    EXPECT_EQ(refused({"sheet", "a", "--columns", "256"}).first,
              "--columns needs a number from 1 to 255, not '256'");
    EXPECT_EQ(refused({"sheet", "a", "--color2", "x"}),
              std::make_pair(std::string("--color2 needs a number such as 12, -3 or 2.5, not 'x'"),
                             Command::Sheet));
    EXPECT_EQ(refused({"sheet", "a", "--rgba"}).first, "unknown option '--rgba'");
    EXPECT_EQ(refused({"sheet", "a", "--c", "3"}).first,
              "option '--c' is ambiguous (--color1, --color2, --color3, --columns)");
    EXPECT_EQ(refused({"sheet"}).first, "missing FILE");
}

TEST(SubCommands, PaletteNamesItsFormatByTheOutput)
{
    const auto palette =
        parsedAs<PaletteSettings>({"palette", "a.zpk", "--entry", "3", "-o", "x.ACT", "--palette", "in.pal"});
    EXPECT_EQ(palette.file, "a.zpk");
    EXPECT_EQ(palette.row, 3);
    EXPECT_EQ(palette.outputPalette, "x.ACT");
    EXPECT_EQ(palette.drawing.paletteFile, "in.pal");
    for (const std::string_view name : {"x.gpl", "x.pal", "dir/x.png"})
        EXPECT_EQ(parsedAs<PaletteSettings>({"palette", "a", "-o", name}).outputPalette, name);

    EXPECT_EQ(refused({"palette", "a.zpk"}),
              std::make_pair(std::string("missing -o OUT: the palette file to write"), Command::Palette));
    EXPECT_EQ(refused({"palette", "a", "-o", "x.txt"}).first,
              "-o needs a name ending in .gpl, .pal, .act or .png (the format), not 'x.txt'");
    EXPECT_EQ(refused({"palette", "a", "-o", "x.gpl", "--entry", "-1"}).first,
              "--entry needs a row number (0 or more), not '-1'");
    EXPECT_EQ(refused({"palette", "a", "-o", "x.gpl", "--drop-first"}).first,
              "unknown option '--drop-first'");
}

TEST(SubCommands, PaletteFilesAreReadOnlyInTheFormatsThatCanBeRead)
{
    EXPECT_EQ(parsedAs<ExportSettings>({"export", "a", "--palette", "x.gpl"}).drawing.paletteFile, "x.gpl");
    EXPECT_EQ(
        parsedAs<ExportSettings>({"export", "a", "b", "--all", "--palette", "x.act"}).drawing.paletteFile,
        "x.act");
    for (const std::string_view name : {"x.png", "x", "x.txt", "gpl"})
        EXPECT_EQ(refused({"export", "a", "--palette", name}),
                  std::make_pair("--palette needs a palette file ending in .gpl, .pal or .act, not '" +
                                     std::string(name) + "'",
                                 Command::Export));
}

constexpr std::array<Command, 7> kCommands{Command::List,      Command::Info,  Command::Export,
                                           Command::Thumbnail, Command::Sheet, Command::Palette,
                                           Command::Diff};
constexpr std::array<std::string_view, 7> kCommandNames{"list",  "info",    "export", "thumbnail",
                                                        "sheet", "palette", "diff"};

TEST(SubCommands, HelpNamesEveryCommandAndFitsATerminal)
{
    EXPECT_EQ(parsedAs<HelpRequest>({"help", "thumbnail"}).topic, Command::Thumbnail);
    EXPECT_EQ(parsedAs<HelpRequest>({"sheet", "--help"}).topic, Command::Sheet);
    EXPECT_EQ(parsedAs<HelpRequest>({"palette", "a", "-h"}).topic, Command::Palette);
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        const std::string usage = "usage: zpk " + std::string(kCommandNames[i]);
        EXPECT_EQ(helpText(kCommands[i]).rfind(usage, 0), 0u) << usage;
        EXPECT_EQ(usageLine(kCommands[i]).rfind(usage, 0), 0u) << usage;
        EXPECT_NE(helpText(Command::Help).find("  " + std::string(kCommandNames[i]) + " "), std::string::npos)
            << kCommandNames[i];
        EXPECT_NE(usageLine(Command::Help).find(kCommandNames[i]), std::string::npos) << kCommandNames[i];
    }
    for (const std::string_view option : {"--size", "--palette", "%i %o --size %s"})
        EXPECT_NE(helpText(Command::Thumbnail).find(option), std::string_view::npos) << option;
    for (const std::string_view option : {"--columns", "--labels", "16384"})
        EXPECT_NE(helpText(Command::Sheet).find(option), std::string_view::npos) << option;
    EXPECT_NE(helpText(Command::Export).find("--palette P"), std::string_view::npos);
    std::vector<Command> all(kCommands.begin(), kCommands.end());
    all.push_back(Command::Help);
    for (const Command c : all) {
        for (std::string_view text : {helpText(c), usageLine(c)}) {
            while (!text.empty()) {
                const auto end = text.find('\n');
                EXPECT_LE(text.substr(0, end).size(), 79u) << text.substr(0, end);
                text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            }
        }
    }
}

TEST(SubCommands, TheCompletionOffersWhatTheParserTakes)
{
    testing::TempDir dir;
    const auto commands = completions({"zpk", ""}, dir);
    for (const std::string_view name : kCommandNames)
        EXPECT_EQ(commands.count(std::string(name)), 1u) << name;
    EXPECT_EQ(completions({"zpk", "help", ""}, dir).count("thumbnail"), 1u);

    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        const std::string name(kCommandNames[i]);
        const auto offered = completions({"zpk", name, "--"}, dir);
        // every option the usage and the help's option lines name is offered
        std::set<std::string> named = longOptionsIn(usageLine(kCommands[i]));
        for (const std::string& line : testing::lines(std::string(helpText(kCommands[i])))) {
            if (!line.starts_with("  -")) continue;
            const auto more = longOptionsIn(line);
            named.insert(more.begin(), more.end());
        }
        for (const std::string& option : named) EXPECT_EQ(offered.count(option), 1u) << name << " " << option;
        // and everything offered is an option of the command
        for (const std::string& option : offered) {
            const std::string withValue = option + "=1";
            const std::vector<std::string_view> args{name, withValue, "a.zpk", "b.png"};
            const ParsedCommandLine parsed = parseCommandLine(args);
            if (const auto* error = std::get_if<UsageError>(&parsed)) {
                EXPECT_EQ(error->message.find("unknown option"), std::string::npos) << name << " " << option;
                EXPECT_EQ(error->message.find("ambiguous"), std::string::npos) << name << " " << option;
            }
        }
    }
    // palette files after --palette, only the kinds that can be read
    for (const std::string file : {"night.gpl", "day.PAL", "old.act", "swatch.png", "notes.txt"})
        testing::writeBytes(dir / file, {1});
    fs::create_directory(dir / "palettes");
    EXPECT_EQ(completions({"zpk", "sheet", "a.zpk", "--palette", ""}, dir),
              (std::set<std::string>{"night.gpl", "day.PAL", "old.act", "palettes"}));
    // a thumbnail's second operand is the PNG to write: any name
    EXPECT_EQ(completions({"zpk", "thumbnail", "a.zpk", "s"}, dir), (std::set<std::string>{"swatch.png"}));
}

TEST(SubCommands, TheCompletionKeepsNamesWithBlanksWhole)
{
    testing::TempDir dir;
    for (const std::string file : {"with space.zpk", "with.zpk", "night sky.gpl", "two words.png"})
        testing::writeBytes(dir / file, {1});
    fs::create_directory(dir / "my sprites");
    const std::set<std::string> spaced{"with space.zpk"};
    const std::vector<std::pair<std::vector<std::string>, std::set<std::string>>> table{
        {{"zpk", "list", "w"}, {"with space.zpk", "with.zpk"}},
        // the word as typed: escaped or quoted
        {{"zpk", "info", "with\\ s"}, spaced},
        {{"zpk", "info", "\"with s"}, spaced},
        {{"zpk", "export", "a.zpk", "-o", "my"}, {"my sprites"}},
        {{"zpk", "sheet", "a.zpk", "--palette", "n"}, {"night sky.gpl"}},
        {{"zpk", "pack", "--from", "m"}, {"my sprites"}},
        {{"zpk", "pack", "out.zpk", "t"}, {"two words.png"}},
        {{"zpk", "thumbnail", "a.zpk", "t"}, {"two words.png"}},
    };
    for (const auto& [words, offered] : table) EXPECT_EQ(completions(words, dir), offered) << words.back();
}

}  // namespace
}  // namespace zpk::cli

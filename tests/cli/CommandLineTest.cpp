#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ParseSupport.h"
#include "export/ExportNaming.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace zpk::cli {
namespace {

ParsedCommandLine parse(std::initializer_list<std::string_view> args)
{
    const std::vector<std::string_view> list(args);
    return parseCommandLine(list);
}

using testing::parsedAs;

std::string usageMessage(std::initializer_list<std::string_view> args)
{
    auto parsed = parse(args);
    const auto* error = std::get_if<UsageError>(&parsed);
    if (error == nullptr) {
        ADD_FAILURE() << "parsed without error";
        return {};
    }
    return error->message;
}

TEST(RowNumber, DigitsOnlyAndNoOverflow)
{
    EXPECT_EQ(parseRowNumber("0"), 0);
    EXPECT_EQ(parseRowNumber("254"), 254);
    EXPECT_EQ(parseRowNumber("007"), 7);
    EXPECT_EQ(parseRowNumber("2147483647"), 2147483647);
    for (const std::string_view bad : {"", "-1", "+1", " 1", "1 ", "1e3", "0x10", "1.0", "2147483648",
                                       "99999999999999999999", "4294967296"}) {
        EXPECT_EQ(parseRowNumber(bad), std::nullopt) << "'" << bad << "'";
    }
}

TEST(CommandLine, ExportDefaults)
{
    const auto inv = parsedAs<ExportSettings>({"export", "a.zpk"});
    EXPECT_EQ(inv.files, (std::vector<std::string>{"a.zpk"}));
    EXPECT_EQ(inv.row, 0);
    EXPECT_EQ(inv.outputPng, "");
    EXPECT_FALSE(inv.drawing.picture.userColor);
    EXPECT_EQ(inv.drawing.picture.color1, "0");
    EXPECT_EQ(inv.drawing.picture.color2, "0");
    EXPECT_EQ(inv.drawing.picture.color3, "0");
    EXPECT_EQ(inv.drawing.picture.dropFirst, DropFirst::Off);
}

TEST(CommandLine, ValuesMayLookLikeOptions)
{
    // a separate value is taken whatever it looks like
    const auto inv =
        parsedAs<ExportSettings>({"export", "--color1", "-300", "--color2", "-2.5", "-o", "-x.png", "a.zpk"});
    EXPECT_EQ(inv.drawing.picture.color1, "-300");
    EXPECT_EQ(inv.drawing.picture.color2, "-2.5");
    EXPECT_EQ(inv.outputPng, "-x.png");
    EXPECT_EQ(inv.files, (std::vector<std::string>{"a.zpk"}));
    // so an option name is taken as a colour text, which is no number
    EXPECT_EQ(usageMessage({"export", "--color2", "--drop-first", "a.zpk"}),
              "--color2 needs a number such as 12, -3 or 2.5, not '--drop-first'");

    const auto attached =
        parsedAs<ExportSettings>({"export", "a.zpk", "--color1=-300", "--color2=+7", "--color3=.5"});
    EXPECT_EQ(attached.drawing.picture.color1, "-300");
    EXPECT_EQ(attached.drawing.picture.color2, "+7");
    EXPECT_EQ(attached.drawing.picture.color3, ".5");
    EXPECT_EQ(usageMessage({"export", "a.zpk", "--color3==5"}),
              "--color3 needs a number such as 12, -3 or 2.5, not '=5'");
}

TEST(CommandLine, AllExportOptions)
{
    const auto inv = parsedAs<ExportSettings>(
        {"export", "--entry", "12", "a.zpk", "--user-color", "-oout.png", "--drop-first", "--entry=3"});
    EXPECT_EQ(inv.row, 3);  // the last one counts
    EXPECT_EQ(inv.outputPng, "out.png");
    EXPECT_TRUE(inv.drawing.picture.userColor);
    EXPECT_EQ(inv.drawing.picture.dropFirst, DropFirst::On);
}

TEST(CommandLine, DoubleDashEndsOptions)
{
    EXPECT_EQ(parsedAs<ExportSettings>({"export", "--", "-odd.zpk"}).files,
              (std::vector<std::string>{"-odd.zpk"}));
    EXPECT_EQ(parsedAs<ListSettings>({"list", "--", "--help"}).files, (std::vector<std::string>{"--help"}));
    EXPECT_EQ(parsedAs<ListSettings>({"list", "-"}).files, (std::vector<std::string>{"-"}));
}

TEST(CommandLine, HelpTopics)
{
    EXPECT_EQ(parsedAs<HelpRequest>({"--help"}).topic, Command::Help);
    EXPECT_EQ(parsedAs<HelpRequest>({"help", "export"}).topic, Command::Export);
    EXPECT_EQ(parsedAs<HelpRequest>({"-h", "info"}).topic, Command::Info);
    // there is no demo command, so it has no help either
    EXPECT_EQ(usageMessage({"-h", "demo"}), "unknown command 'demo'");
    EXPECT_EQ(usageMessage({"help", "demo"}), "unknown command 'demo'");
    EXPECT_EQ(parsedAs<HelpRequest>({"list", "a.zpk", "--help"}).topic, Command::List);
    EXPECT_EQ(parsedAs<HelpRequest>({"help", "--help"}).topic, Command::Help);
    EXPECT_TRUE(std::holds_alternative<VersionRequest>(std::get<Invocation>(parse({"--version"}))));
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong)
{
    EXPECT_EQ(usageMessage({}), "missing command");
    EXPECT_EQ(usageMessage({"show"}), "unknown command 'show'");
    EXPECT_EQ(usageMessage({"--show"}), "unknown option '--show'");
    EXPECT_EQ(usageMessage({"export"}), "missing FILE");
    EXPECT_EQ(usageMessage({"demo"}), "unknown command 'demo'");
    EXPECT_EQ(usageMessage({"demo", "out.zpk"}), "unknown command 'demo'");
    EXPECT_EQ(usageMessage({"export", "a", "b"}), "unexpected argument 'b'");
    EXPECT_EQ(usageMessage({"export", "a", "--entry"}), "option '--entry' needs a value");
    EXPECT_EQ(usageMessage({"export", "a", "--entry", "-1"}),
              "--entry needs a row number (0 or more), not '-1'");
    EXPECT_EQ(usageMessage({"export", "a", "--drop-first=1"}), "option '--drop-first' takes no value");
    EXPECT_EQ(usageMessage({"export", "a", "--colour1", "5"}), "unknown option '--colour1'");
    EXPECT_EQ(usageMessage({"list", "a", "-o", "x"}), "unknown option '-o'");
}

TEST(CommandLine, AMistypedCommandNamesTheOneMeant)
{
    // within two edits of one command, or the start of one name only
    const std::vector<std::pair<std::string_view, std::string>> table{
        {"lsit", "list"}, {"exprot", "export"}, {"thumb", "thumbnail"}, {"pak", "pack"}, {"pa", ""},
        {"e", ""},        {"demo", ""},         {"listlistlist", ""},
    };
    for (const auto& [typed, meant] : table) {
        const auto parsed = parse({typed, "a.zpk"});
        const auto* error = std::get_if<UsageError>(&parsed);
        ASSERT_NE(error, nullptr) << typed;
        EXPECT_EQ(error->meant, meant) << typed;
    }
}

TEST(CommandLine, UsageLinesAndHelpBelongTogether)
{
    for (const Command c : {Command::Help, Command::List, Command::Info, Command::Export}) {
        EXPECT_EQ(usageLine(c).rfind("usage: zpk", 0), 0u);
        EXPECT_EQ(helpText(c).rfind("usage: zpk", 0), 0u);
        EXPECT_EQ(helpText(c).back(), '\n');
    }
}

TEST(CommandLine, ExportAllTakesSeveralFilesAndItsOptions)
{
    const auto inv = parsedAs<ExportSettings>(
        {"export", "a.zpk", "--all", "b.zpk", "-j4", "--force", "-q", "-o", "out", "--indexed", "c.zpk"});
    EXPECT_TRUE(inv.all);
    EXPECT_EQ(inv.files, (std::vector<std::string>{"a.zpk", "b.zpk", "c.zpk"}));
    EXPECT_EQ(inv.jobs, 4);
    EXPECT_EQ(inv.overwrite, Overwrite::Replace);
    EXPECT_EQ(inv.progress, ProgressOutput::Quiet);
    EXPECT_EQ(inv.outputFolder, "out");  // -o names the folder with --all
    EXPECT_EQ(inv.outputPng, "");
    EXPECT_EQ(inv.drawing.picture.form, OutputForm::Indexed);

    const auto defaults = parsedAs<ExportSettings>({"export", "--all", "a.zpk"});
    EXPECT_EQ(defaults.jobs, 0);
    EXPECT_EQ(defaults.overwrite, Overwrite::Refuse);
    EXPECT_EQ(defaults.progress, ProgressOutput::Shown);
    EXPECT_EQ(defaults.drawing.picture.form, OutputForm::Smallest);
    EXPECT_EQ(parsedAs<ExportSettings>({"export", "a.zpk", "--rgba"}).drawing.picture.form, OutputForm::Rgba);
    EXPECT_EQ(usageMessage({"export", "a.zpk", "--rgba", "--indexed"}),
              "--indexed and --rgba exclude each other");
    EXPECT_EQ(parsedAs<ExportSettings>({"export", "a.zpk", "--indexed"}).drawing.picture.form,
              OutputForm::Indexed);
    EXPECT_EQ(parsedAs<ExportSettings>({"export", "--all", "--jobs=12", "a.zpk"}).jobs, 12);
}

TEST(CommandLine, ExportAllUsageErrors)
{
    EXPECT_EQ(usageMessage({"export", "a", "--all", "--entry", "1"}),
              "--entry and --all exclude each other: --all exports every row");
    EXPECT_EQ(usageMessage({"export", "a", "--force"}), "option '--force' goes with --all only");
    EXPECT_EQ(usageMessage({"export", "a", "-j", "2"}), "option '--jobs' goes with --all only");
    EXPECT_EQ(usageMessage({"export", "a", "--skip-existing"}),
              "option '--skip-existing' goes with --all only");
    EXPECT_EQ(usageMessage({"export", "a", "--all", "--force", "--skip-existing"}),
              "--force and --skip-existing exclude each other");
    EXPECT_EQ(usageMessage({"export", "a", "--all", "-j", "0"}),
              "--jobs needs a number of threads (1 or more), not '0'");
    EXPECT_EQ(usageMessage({"export", "a", "--all", "-j", "-1"}),
              "--jobs needs a number of threads (1 or more), not '-1'");
    EXPECT_EQ(usageMessage({"export", "--all"}), "missing FILE");
    EXPECT_EQ(usageMessage({"export", "a", "--all=yes"}), "option '--all' takes no value");
    EXPECT_EQ(usageMessage({"export", "a", "--all", "-o", "-"}),
              "export --all writes a folder: give -o DIR, not '-'");
}

TEST(CommandLine, ListFormatsAndInfo)
{
    EXPECT_EQ(parsedAs<ListSettings>({"list", "a.zpk"}).format, ListFormat::Text);
    EXPECT_EQ(parsedAs<ListSettings>({"list", "a.zpk", "--format", "csv"}).format, ListFormat::Csv);
    EXPECT_EQ(parsedAs<ListSettings>({"list", "--format=json", "a.zpk"}).format, ListFormat::Json);
    EXPECT_EQ(usageMessage({"list", "a.zpk", "--format", "xml"}),
              "--format takes text, csv, json or jsonl, not 'xml'");
    EXPECT_EQ(parsedAs<ListSettings>({"list", "--format=jsonl", "a.zpk"}).format, ListFormat::JsonLines);
    EXPECT_EQ(usageMessage({"list", "a.zpk", "--format"}), "option '--format' needs a value");

    EXPECT_EQ(parsedAs<InfoSettings>({"info", "a.zpk"}).files, (std::vector<std::string>{"a.zpk"}));
    EXPECT_EQ(usageMessage({"info"}), "missing FILE");
    EXPECT_EQ(parsedAs<InfoSettings>({"info", "a", "b"}).files, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(parsedAs<HelpRequest>({"info", "--help"}).topic, Command::Info);
    EXPECT_EQ(parsedAs<HelpRequest>({"help", "info"}).topic, Command::Info);
}

TEST(CommandLine, EveryCommandHasHelpThatNamesItsOptions)
{
    EXPECT_EQ(helpText(Command::Info).rfind("usage: zpk info FILE", 0), 0u);
    EXPECT_EQ(usageLine(Command::Info).rfind("usage: zpk info", 0), 0u);
    for (const std::string_view option : {"--all", "--jobs", "--force", "--quiet", "--indexed", "DIR/STEM/"})
        EXPECT_NE(helpText(Command::Export).find(option), std::string_view::npos) << option;
    for (const std::string_view option : {"--format", "csv", "json", "no-data"})
        EXPECT_NE(helpText(Command::List).find(option), std::string_view::npos) << option;
    for (const std::string_view command :
         {"list FILE", "info FILE", "export FILE", "--all", "help [COMMAND]"})
        EXPECT_NE(helpText(Command::Help).find(command), std::string_view::npos) << command;
    // the sample container is made at build time, not by a command of the tool
    EXPECT_EQ(helpText(Command::Help).find("demo OUT.zpk"), std::string_view::npos);
    EXPECT_EQ(usageLine(Command::Help).find("demo"), std::string_view::npos);
    // each line fits a terminal of 80 columns
    for (const Command c : {Command::Help, Command::List, Command::Info, Command::Export}) {
        for (std::string_view text : {helpText(c), usageLine(c)}) {
            while (!text.empty()) {
                const auto end = text.find('\n');
                EXPECT_LE(text.substr(0, end).size(), 79u) << text.substr(0, end);
                text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            }
        }
    }
}

TEST(DefaultPngName, StemOfTheFileAndTheRow)
{
    EXPECT_EQ(defaultPngName("demo.zpk", 0), "demo-0.png");
    EXPECT_EQ(defaultPngName("/data/sets/Mobs.ZPK", 12), "Mobs-12.png");
    EXPECT_EQ(defaultPngName("a.b.zpk", 1), "a.b-1.png");
    EXPECT_EQ(defaultPngName("noext", 2), "noext-2.png");
}

}  // namespace
}  // namespace zpk::cli

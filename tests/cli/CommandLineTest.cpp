#include "cli/CommandLine.h"
#include "cli/Commands.h"

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

Invocation parsedOk(std::initializer_list<std::string_view> args)
{
    auto parsed = parse(args);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    return std::get<Invocation>(parsed);
}

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
    const Invocation inv = parsedOk({"export", "a.zpk"});
    EXPECT_EQ(inv.command, Command::Export);
    EXPECT_EQ(inv.file, "a.zpk");
    EXPECT_EQ(inv.exportSettings.row, 0);
    EXPECT_EQ(inv.exportSettings.output, "");
    EXPECT_FALSE(inv.exportSettings.decode.userColor);
    EXPECT_EQ(inv.exportSettings.decode.color1, "0");
    EXPECT_EQ(inv.exportSettings.decode.color2, "0");
    EXPECT_EQ(inv.exportSettings.decode.color3, "0");
    EXPECT_EQ(inv.exportSettings.dropFirst, DropFirst::Off);
}

TEST(CommandLine, ValuesMayLookLikeOptions)
{
    // a separate value is taken whatever it looks like
    const Invocation inv =
        parsedOk({"export", "--color1", "-300", "--color2", "--drop-first", "--color3", "", "a.zpk"});
    EXPECT_EQ(inv.exportSettings.decode.color1, "-300");
    EXPECT_EQ(inv.exportSettings.decode.color2, "--drop-first");
    EXPECT_EQ(inv.exportSettings.decode.color3, "");
    EXPECT_EQ(inv.exportSettings.dropFirst, DropFirst::Off);
    EXPECT_EQ(inv.file, "a.zpk");

    const Invocation attached = parsedOk({"export", "a.zpk", "--color1=-300", "--color2=", "--color3==5"});
    EXPECT_EQ(attached.exportSettings.decode.color1, "-300");
    EXPECT_EQ(attached.exportSettings.decode.color2, "");
    EXPECT_EQ(attached.exportSettings.decode.color3, "=5");
}

TEST(CommandLine, AllExportOptions)
{
    const Invocation inv = parsedOk(
        {"export", "--entry", "12", "a.zpk", "--user-color", "-oout.png", "--drop-first", "--entry=3"});
    EXPECT_EQ(inv.exportSettings.row, 3);  // the last one counts
    EXPECT_EQ(inv.exportSettings.output, "out.png");
    EXPECT_TRUE(inv.exportSettings.decode.userColor);
    EXPECT_EQ(inv.exportSettings.dropFirst, DropFirst::On);
}

TEST(CommandLine, DoubleDashEndsOptions)
{
    EXPECT_EQ(parsedOk({"export", "--", "-odd.zpk"}).file, "-odd.zpk");
    EXPECT_EQ(parsedOk({"list", "--", "--help"}).file, "--help");
    EXPECT_EQ(parsedOk({"list", "-"}).file, "-");
}

TEST(CommandLine, HelpTopics)
{
    EXPECT_EQ(parsedOk({"--help"}).helpTopic, Command::Help);
    EXPECT_EQ(parsedOk({"help", "export"}).helpTopic, Command::Export);
    EXPECT_EQ(parsedOk({"-h", "demo"}).helpTopic, Command::Demo);
    const Invocation inv = parsedOk({"list", "a.zpk", "--help"});
    EXPECT_EQ(inv.command, Command::Help);
    EXPECT_EQ(inv.helpTopic, Command::List);
    EXPECT_EQ(parsedOk({"--version"}).command, Command::Version);
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong)
{
    EXPECT_EQ(usageMessage({}), "missing command");
    EXPECT_EQ(usageMessage({"show"}), "unknown command 'show'");
    EXPECT_EQ(usageMessage({"--show"}), "unknown option '--show'");
    EXPECT_EQ(usageMessage({"export"}), "missing FILE");
    EXPECT_EQ(usageMessage({"demo"}), "missing OUT.zpk");
    EXPECT_EQ(usageMessage({"export", "a", "b"}), "unexpected argument 'b'");
    EXPECT_EQ(usageMessage({"export", "a", "--entry"}), "option '--entry' needs a value");
    EXPECT_EQ(usageMessage({"export", "a", "--entry", "-1"}),
              "--entry needs a row number (0 or more), not '-1'");
    EXPECT_EQ(usageMessage({"export", "a", "--drop-first=1"}), "option '--drop-first' takes no value");
    EXPECT_EQ(usageMessage({"export", "a", "--colour1", "5"}), "unknown option '--colour1'");
    EXPECT_EQ(usageMessage({"list", "a", "-o", "x"}), "unknown option '-o'");
}

TEST(CommandLine, UsageLinesAndHelpBelongTogether)
{
    for (const Command c : {Command::Help, Command::List, Command::Export, Command::Demo}) {
        EXPECT_EQ(usageLine(c).rfind("usage: zpk", 0), 0u);
        EXPECT_EQ(helpText(c).rfind("usage: zpk", 0), 0u);
        EXPECT_EQ(helpText(c).back(), '\n');
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

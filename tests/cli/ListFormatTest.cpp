// `zpk list --format csv|json` parsed back with real parsers (nlohmann's
// JSON parser, which also insists on valid UTF-8; a small RFC 4180 reader),
// odd file names included, and `zpk info`.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "cli/TextEscape.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>

namespace zpk::testing {
namespace {

using Records = std::vector<std::vector<std::string>>;

// RFC 4180: fields separated by commas, records by line ends; a field in
// quotes may hold commas, line ends and doubled quotes. A quote anywhere
// else is an error.
Records readCsv(const std::string& text)
{
    Records records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;     // inside a quoted field
    bool wasQuoted = false;  // the field began with a quote
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (c == '"') {
            if (!field.empty() || wasQuoted) ADD_FAILURE() << "a quote inside an unquoted field at " << i;
            quoted = wasQuoted = true;
        } else if (c == ',' || c == '\n') {
            record.push_back(field);
            field.clear();
            wasQuoted = false;
            if (c == '\n') {
                records.push_back(record);
                record.clear();
            }
        } else {
            if (wasQuoted) ADD_FAILURE() << "text behind a closing quote at " << i;
            field += c;
        }
    }
    EXPECT_FALSE(quoted) << "an open quote at the end";
    EXPECT_TRUE(field.empty() && record.empty()) << "no line end after the last record";
    return records;
}

using Json = nlohmann::json;

// The JSON object `text` holds; fails the test (and gives an empty object)
// when it is no valid JSON or no object.
Json readJson(const std::string& text)
{
    Json document;
    try {
        document = Json::parse(text);
    } catch (const Json::parse_error& error) {
        ADD_FAILURE() << error.what() << "\n" << text;
        return Json::object();
    }
    EXPECT_TRUE(document.is_object()) << text;
    return document.is_object() ? document : Json::object();
}

// The string member `key` of `object`; fails the test when it is missing
// or no string.
std::string stringAt(const Json& object, const std::string& key)
{
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) {
        ADD_FAILURE() << "no string '" << key << "' in " << object.dump();
        return {};
    }
    return it->get<std::string>();
}

// The integer member `key` of `object`; fails the test when it is missing
// or no integer.
std::int64_t integerAt(const Json& object, const std::string& key)
{
    const auto it = object.find(key);
    if (it == object.end() || !it->is_number_integer()) {
        ADD_FAILURE() << "no integer '" << key << "' in " << object.dump();
        return -1;
    }
    return it->get<std::int64_t>();
}

// The array member `key` of `object`; fails the test when it is missing or
// no array.
Json arrayAt(const Json& object, const std::string& key)
{
    const auto it = object.find(key);
    if (it == object.end() || !it->is_array()) {
        ADD_FAILURE() << "no array '" << key << "' in " << object.dump();
        return Json::array();
    }
    return *it;
}

// U+FFFD, the replacement character, in UTF-8.
const std::string kReplacement = "\xEF\xBF\xBD";

TEST(ListFormat, JsonStringsAreValidWhateverTheBytes)
{
    static constexpr char kControls[] = "tab\tline\nreturn\rnul\0one\x01\x1f end";
    const std::string r = kReplacement;
    // the strings as read back, in UTF-8
    const std::vector<std::pair<std::string, std::string>> cases{
        {"plain.zpk", "plain.zpk"},
        {"say \"hi\"\\now", "say \"hi\"\\now"},
        {std::string(kControls, sizeof kControls - 1), std::string(kControls, sizeof kControls - 1)},
        {"café 스프라이트 😀", "café 스프라이트 😀"},
        // not UTF-8: a stray byte, a continuation byte alone, an overlong
        // slash, a surrogate, a sequence cut short by the end
        {"a\xFF"
         "b\x80"
         "c\xC0\xAF"
         "d\xED\xA0\x80"
         "e\xE2\x82",
         "a" + r + "b" + r + "c" + r + r + "d" + r + r + r + "e" + r + r},
    };
    for (const auto& [raw, expected] : cases) {
        const std::string json = "{\"s\": " + cli::jsonString(raw) + "}";
        EXPECT_EQ(stringAt(readJson(json), "s"), expected) << json;
    }
    EXPECT_EQ(cli::jsonString("\x7f/<>"), "\"\x7f/<>\"");
}

TEST(ListFormat, CsvFieldsAreQuotedOnlyWhenNeeded)
{
    EXPECT_EQ(cli::csvField("plain.zpk"), "plain.zpk");
    EXPECT_EQ(cli::csvField(""), "");
    EXPECT_EQ(cli::csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(cli::csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(cli::csvField("two\nlines\r"), "\"two\nlines\r\"");
    EXPECT_EQ(cli::csvField(" spaced "), " spaced ");
}

class CliList : public ::testing::Test {
protected:
    RunResult zpk(const std::vector<std::string>& args) { return runZpk(args, dir.path()); }
    TempDir dir;
};

// What every format must tell of the four-status container, row by row:
// row, list text, offset, size, width, height, stored colours, run codes,
// produced pixels, status.
struct ExpectedRow {
    std::int64_t row, offset, size;
    std::optional<int> width, height;
    std::int64_t colours, runCodes, produced;
    std::string status;
};

std::vector<ExpectedRow> expectedRows(const FourStatuses& c)
{
    return {
        // triplet 1 and the three colours; the frame's first and last five
        // pixels of value 1 are runs
        {0, c.offset[0], c.size[0], 4, 3, 4, 2, 12, "ok"},
        // the palette loop still runs for an empty entry: triplets up to
        // the entry's end (the product width x height is 0)
        {1, c.offset[1], c.size[1], 0, 4, (c.size[1] - 3) / 3, 0, 0, "empty"},
        {2, c.offset[2], c.size[2], 4, 3, 3, 1, 3, "short"},
        {3, c.offset[3], c.size[3], std::nullopt, std::nullopt, 0, 0, 0, "no-data"},
    };
}

TEST_F(CliList, JsonParsesBackWithEveryFigure)
{
    const FourStatuses container = fourStatuses();
    writeBytes(dir / "four.zpk", container.bytes);
    const RunResult result = zpk({"list", "four.zpk", "--format", "json"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const Json root = readJson(result.out);
    EXPECT_EQ(stringAt(root, "file"), "four.zpk");
    EXPECT_EQ(integerAt(root, "size"), static_cast<std::int64_t>(container.bytes.size()));
    EXPECT_EQ(integerAt(root, "entryCount"), 4);
    const Json entries = arrayAt(root, "entries");
    const auto expected = expectedRows(container);
    ASSERT_EQ(entries.size(), 4u);
    for (const ExpectedRow& e : expected) {
        const Json& entry = entries.at(static_cast<std::size_t>(e.row));
        const std::string at = "row " + std::to_string(e.row);
        ASSERT_TRUE(entry.is_object()) << at;
        EXPECT_EQ(entry.size(), 10u) << at;
        EXPECT_EQ(integerAt(entry, "row"), e.row) << at;
        EXPECT_EQ(stringAt(entry, "listText"), std::to_string(e.offset + 3)) << at;
        EXPECT_EQ(integerAt(entry, "offset"), e.offset) << at;
        EXPECT_EQ(integerAt(entry, "size"), e.size) << at;
        if (e.width) {
            EXPECT_EQ(integerAt(entry, "width"), *e.width) << at;
            EXPECT_EQ(integerAt(entry, "height"), *e.height) << at;
        } else {
            EXPECT_TRUE(entry.contains("width") && entry.at("width").is_null()) << at;
            EXPECT_TRUE(entry.contains("height") && entry.at("height").is_null()) << at;
        }
        EXPECT_EQ(integerAt(entry, "storedColours"), e.colours) << at;
        EXPECT_EQ(integerAt(entry, "runCodes"), e.runCodes) << at;
        EXPECT_EQ(integerAt(entry, "produced"), e.produced) << at;
        EXPECT_EQ(stringAt(entry, "status"), e.status) << at;
    }
}

TEST_F(CliList, CsvParsesBackWithEveryFigure)
{
    const FourStatuses container = fourStatuses();
    writeBytes(dir / "four.zpk", container.bytes);
    const RunResult result = zpk({"list", "four.zpk", "--format=csv"});
    ASSERT_EQ(result.status, 0) << result.err;
    const Records records = readCsv(result.out);
    ASSERT_EQ(records.size(), 5u) << result.out;
    EXPECT_EQ(records[0],
              (std::vector<std::string>{"file", "row", "listText", "offset", "size", "width", "height",
                                        "storedColours", "runCodes", "produced", "status"}));
    for (const ExpectedRow& e : expectedRows(container)) {
        const auto text = [](const std::optional<int>& v) { return v ? std::to_string(*v) : std::string(); };
        EXPECT_EQ(
            records[static_cast<std::size_t>(e.row) + 1],
            (std::vector<std::string>{"four.zpk", std::to_string(e.row), std::to_string(e.offset + 3),
                                      std::to_string(e.offset), std::to_string(e.size), text(e.width),
                                      text(e.height), std::to_string(e.colours), std::to_string(e.runCodes),
                                      std::to_string(e.produced), e.status}));
    }
}

TEST_F(CliList, OddFileNamesComeBackIntact)
{
    // quotes, a backslash, a comma, control characters, Hangul, and a byte
    // that is not UTF-8
    const std::string name = "say \"hi\", \\ \t\x01\n\xED\x8C\x8C\xEC\x9D\xBC \xFF.zpk";
    writeBytes(dir / name, built(ContainerBuilder().entry(framedImage()).entry(framedImage())));

    const RunResult json = zpk({"list", name, "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    // the bytes that are not UTF-8 come back as U+FFFD
    EXPECT_EQ(stringAt(readJson(json.out), "file"), "say \"hi\", \\ \t\x01\n파일 " + kReplacement + ".zpk");
    EXPECT_EQ(arrayAt(readJson(json.out), "entries").size(), 2u);

    const RunResult csv = zpk({"list", name, "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const Records records = readCsv(csv.out);
    ASSERT_EQ(records.size(), 3u) << csv.out;
    EXPECT_EQ(records[1][0], name);  // the bytes as they are
    EXPECT_EQ(records[2][0], name);
    EXPECT_EQ(records[2][1], "1");
}

TEST_F(CliList, TextStaysTheDefaultAndUnknownFormatsAreUsageErrors)
{
    writeBytes(dir / "four.zpk", fourStatuses().bytes);
    const RunResult plain = zpk({"list", "four.zpk"});
    ASSERT_EQ(plain.status, 0);
    EXPECT_EQ(zpk({"list", "four.zpk", "--format", "text"}).out, plain.out);
    EXPECT_EQ(plain.out.rfind("four.zpk: ", 0), 0u);

    for (const std::string format : {"xml", "JSON", ""}) {
        const RunResult result = zpk({"list", "four.zpk", "--format", format});
        EXPECT_EQ(result.status, 2) << format;
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("usage: zpk list"), std::string::npos) << result.err;
    }
    const RunResult missing = zpk({"list", "missing.zpk", "--format", "json"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "zpk: missing.zpk: cannot open: No such file or directory\n");
}

TEST_F(CliList, InfoCountsEveryStatus)
{
    const FourStatuses container = fourStatuses();
    writeBytes(dir / "four.zpk", container.bytes);
    const RunResult result = zpk({"info", "four.zpk"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "file:     four.zpk\n"
                          "size:     " +
                              std::to_string(container.bytes.size()) +
                              " bytes\n"
                              "entries:  4\n"
                              "ok:       1  decode fully\n"
                              "short:    1  decode partially: the pixel stream ends early\n"
                              "empty:    1  do not decode: width or height below 1\n"
                              "no-data:  1  do not decode: width and height lie past the end of the file\n");

    // a count of 0 still lists one row, which has no data
    writeBytes(dir / "none.zpk", built(ContainerBuilder()));
    const RunResult none = zpk({"info", "none.zpk"});
    ASSERT_EQ(none.status, 0) << none.err;
    EXPECT_NE(none.out.find("entries:  0 (the list shows 1 row)\n"), std::string::npos) << none.out;
    EXPECT_NE(none.out.find("no-data:  1 "), std::string::npos) << none.out;

    const RunResult missing = zpk({"info", "missing.zpk"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "zpk: missing.zpk: cannot open: No such file or directory\n");
    EXPECT_EQ(zpk({"info"}).status, 2);
    EXPECT_EQ(zpk({"info", "four.zpk", "--format", "json"}).status, 2);
}

}  // namespace
}  // namespace zpk::testing

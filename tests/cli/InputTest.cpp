// What the tool reads: entries whose width or height bytes read as negative
// numbers, and inputs that are not regular files.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "container/Container.h"
#include "decode/Decoder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace zpk::testing {
namespace {

std::vector<std::string> fields(const std::string& line, char separator)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, separator);) out.push_back(field);
    return out;
}

// Width and height are signed 16-bit values: 0x8000 is -32768, 0xFFFF is -1.
TEST(CliInput, ListShowsWidthsOf32768AndMoreAsSignedNumbers)
{
    TempDir dir;
    const Bytes bytes = built(ContainerBuilder()
                                  .rawEntry({0x00, 0x80, 0xFF, 0xFF, 1, 2, 3})    // 32768 x 65535
                                  .rawEntry({0x34, 0x92, 0x05, 0x00, 4, 5, 6})    // 37428 x 5
                                  .rawEntry({0xFF, 0x7F, 0x00, 0x80, 7, 8, 9}));  // 32767 x 32768
    writeBytes(dir / "wide.zpk", bytes);
    const ContainerFile file = parsed(bytes);

    const RunResult text = runZpk({"list", "wide.zpk"}, dir.path());
    ASSERT_EQ(text.status, 0) << text.err;
    const auto textLines = lines(text.out);
    ASSERT_EQ(textLines.size(), 4u) << text.out;
    const RunResult csv = runZpk({"list", "wide.zpk", "--format", "csv"}, dir.path());
    ASSERT_EQ(csv.status, 0) << csv.err;
    const auto csvLines = lines(csv.out);
    ASSERT_EQ(csvLines.size(), 4u) << csv.out;

    const int expected[3][2] = {{-32768, -1}, {-28108, 5}, {32767, -32768}};
    for (int row = 0; row < 3; ++row) {
        const auto size = entrySize(file, row);
        ASSERT_TRUE(size.has_value());
        EXPECT_EQ(size->width, expected[row][0]);
        EXPECT_EQ(size->height, expected[row][1]);
        std::vector<std::string> columns;
        std::istringstream in(textLines[static_cast<std::size_t>(row) + 1]);
        for (std::string word; in >> word;) columns.push_back(word);
        ASSERT_EQ(columns.size(), 6u) << textLines[static_cast<std::size_t>(row) + 1];
        EXPECT_EQ(columns[4], std::to_string(expected[row][0])) << "row " << row;
        EXPECT_EQ(columns[5], std::to_string(expected[row][1])) << "row " << row;
        const auto record = fields(csvLines[static_cast<std::size_t>(row) + 1], ',');
        ASSERT_GE(record.size(), 7u);
        EXPECT_EQ(record[5], columns[4]) << "row " << row;
        EXPECT_EQ(record[6], columns[5]) << "row " << row;
    }
}

// A FIFO has no length to read up to: the tool reads it to its end (as it
// reads standard input), while a load that refuses streams (the viewer's)
// refuses it at once instead of waiting for a writer.
TEST(CliInput, AFifoIsReadToItsEndOrRefusedAtOnce)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.zpk").c_str(), 0600), 0);
    const auto refused = loadContainer((dir / "pipe.zpk").string());
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().code, ErrorCode::NotRegularFile);

    const Bytes bytes = built(ContainerBuilder().rawEntry({2, 0, 1, 0, 0, 0, 9, 9, 9, 0, 0}));
    writeBytes(dir / "file.zpk", bytes);
    const RunResult byFile = runZpk({"list", "file.zpk", "--format", "csv"}, dir.path());
    std::thread writer([&] { writeBytes(dir / "pipe.zpk", bytes); });
    const RunResult byPipe = runZpk({"list", "pipe.zpk", "--format", "csv"}, dir.path());
    writer.join();
    ASSERT_EQ(byPipe.status, 0) << byPipe.err;
    std::string expected = byFile.out;
    expected.replace(expected.find("\nfile.zpk,"), 10, "\npipe.zpk,");
    EXPECT_EQ(byPipe.out, expected);
}

}  // namespace
}  // namespace zpk::testing

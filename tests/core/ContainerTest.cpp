#include "fixtures/Fixtures.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace zpk;
using namespace zpk::testing;

namespace {

std::vector<std::string> texts(const ContainerFile& f) { return f.listTexts; }

}  // namespace

TEST(Container, ThreeEntriesListTheirStartsPlusThree)
{
    // sizes 100, 200 and 50: entries at offsets 36, 136 and 336
    const auto file = parsed(withSizes({100, 200, 50}, Bytes(400, 7)));
    EXPECT_EQ(file.entryCount, 3);
    EXPECT_EQ(texts(file), (std::vector<std::string>{"39", "139", "339"}));
    EXPECT_EQ(file.entryOffsets[1], 137);
    EXPECT_EQ(file.entryOffsets[2], 337);
    EXPECT_EQ(file.entryEnd(0), 136);
    EXPECT_EQ(file.entryEnd(1), 336);
    EXPECT_EQ(file.entryEnd(2), file.fileLength);  // the last entry runs to the end
}

TEST(Container, LastSizeIsNeverRead)
{
    auto a = withSizes({100, 200, 50}, Bytes(400, 7));
    auto b = withSizes({100, 200, 9999}, Bytes(400, 7));
    EXPECT_EQ(texts(parsed(a)), texts(parsed(b)));
}

TEST(Container, EntryCountsZeroOneAndMax)
{
    Bytes zero(40, 0);
    const auto none = parsed(zero);
    EXPECT_EQ(texts(none), std::vector<std::string>{"33"});
    EXPECT_EQ(none.entryEnd(0), 40);

    Bytes one(40, 0);
    one[28] = 1;
    EXPECT_EQ(texts(parsed(one)), std::vector<std::string>{"35"});

    std::vector<std::uint16_t> sizes(255, 1);
    const auto full = parsed(withSizes(sizes, Bytes(300, 0)));
    ASSERT_EQ(full.rowCount(), 255);
    EXPECT_EQ(full.listTexts.front(), "543");
    EXPECT_EQ(full.listTexts.back(), std::to_string(543 + 254));
}

TEST(Container, SizeZeroGivesEqualTexts)
{
    const auto file = parsed(withSizes({0, 10}, Bytes(20, 0)));
    EXPECT_EQ(file.listTexts[0], file.listTexts[1]);
}

TEST(Container, HeaderBytesOtherThanTheCountDoNotMatter)
{
    auto plain = withSizes({10, 10}, Bytes(20, 0));
    auto noisy = plain;
    for (int i = 0; i < 28; ++i) noisy[static_cast<std::size_t>(i)] = 0xAB;
    noisy[29] = 0xCD;
    EXPECT_EQ(texts(parsed(plain)), texts(parsed(noisy)));
}

TEST(Container, BufferHasOneZeroByteBehindTheData)
{
    Bytes data(29, 0xEE);
    data[28] = 0;
    const auto file = parsed(data);
    EXPECT_EQ(file.fileLength, 29);
    ASSERT_EQ(file.fileBytes.size(), 30u);
    EXPECT_EQ(file.fileBytes.back(), 0);
}

TEST(Container, TooShortReportsBothLengths)
{
    auto empty = parseContainer({}, "empty.zpk");
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.error().code, ErrorCode::TooShort);
    EXPECT_EQ(empty.error().actualLength, 0);
    EXPECT_EQ(empty.error().neededLength, 29);

    // five entries need the four sizes that are read: 30 + 2 * 4 bytes
    Bytes header(37, 0);
    header[28] = 5;
    auto cut = parseContainer(header, "cut.zpk");
    ASSERT_FALSE(cut);
    EXPECT_EQ(cut.error().neededLength, 38);
    EXPECT_EQ(cut.error().path, "cut.zpk");
    header.push_back(0);
    EXPECT_TRUE(parseContainer(header, "ok.zpk"));
}

class ContainerFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("zpk-container-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string write(const std::string& name, const Bytes& bytes)
    {
        const auto path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    std::filesystem::path m_dir;
};

TEST_F(ContainerFiles, LoadsFromDisk)
{
    const auto path = write("three.zpk", withSizes({100, 200, 50}, Bytes(400, 7)));
    auto file = loadContainer(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->filePath, path);
    EXPECT_EQ(file->fileLength, 436);
    EXPECT_EQ(file->listTexts.size(), 3u);
}

TEST_F(ContainerFiles, UnreadableFilesSayWhy)
{
    auto missing = loadContainer((m_dir / "missing.zpk").string());
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, ErrorCode::CannotOpen);
    EXPECT_EQ(missing.error().systemError, ENOENT);
    EXPECT_EQ(missing.error().path, (m_dir / "missing.zpk").string());

    auto directory = loadContainer(m_dir.string());
    ASSERT_FALSE(directory);
    EXPECT_EQ(directory.error().code, ErrorCode::CannotOpen);
    EXPECT_EQ(directory.error().systemError, EISDIR);

    auto empty = loadContainer(write("empty.zpk", {}));
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.error().code, ErrorCode::TooShort);
}

// A positioned read past the end of a file (one that shrank since its
// length was taken) gives zeros there, and what lies inside as it is.
TEST_F(ContainerFiles, PositionedReadsFillPastTheEndWithZeros)
{
    const auto path = write("ten.bin", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    struct Case {
        std::int64_t offset;
        Bytes expected;
    };
    for (const Case& c :
         {Case{0, {1, 2, 3, 4}}, Case{8, {9, 10, 0, 0}}, Case{10, {0, 0, 0, 0}}, Case{1000, {0, 0, 0, 0}}}) {
        Bytes got(4, 0xEE);
        EXPECT_EQ(readZeroFilled(fd, got.data(), got.size(), c.offset), 0);
        EXPECT_EQ(got, c.expected) << "at " << c.offset;
    }
    ::close(fd);
}

TEST(Container, AMovedFromFileHoldsNothing)
{
    ContainerFile file = parsed(withSizes({2}, Bytes(6, 1)));
    ASSERT_TRUE(file.isLoaded());
    const ContainerFile taken = std::move(file);
    EXPECT_TRUE(taken.isLoaded());
    EXPECT_FALSE(file.isLoaded());  // NOLINT: checking the moved-from state on purpose
    EXPECT_EQ(file.fileBytes.size(), 0u);
    EXPECT_EQ(file.reader().size(), 0);
}

// The one input reader every floor opens its files with: what it refuses,
// what it streams, and its ceiling.
#include "io/InputFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace zpk;

namespace {

class InputFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zpk-input-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string write(const std::string& name, const std::string& bytes)
    {
        const auto path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};

std::string text(const FileBytes& bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size() - 1};
}

}  // namespace

TEST_F(InputFileTest, RegularFilesAreReadWholeUpToTheCeiling)
{
    const auto file = write("a.bin", "12345");
    struct Case {
        std::int64_t ceiling;
        bool readable;
    };
    for (const Case c : {Case{5, true}, Case{100, true}, Case{4, false}}) {
        const auto opened = openInput(file, Streams::Refused, c.ceiling);
        ASSERT_EQ(bool(opened), c.readable) << c.ceiling;
        if (!opened) {
            EXPECT_EQ(opened.error().code, ErrorCode::TooLarge);
            EXPECT_EQ(opened.error().actualLength, 5);
            EXPECT_EQ(opened.error().path, file);
            continue;
        }
        EXPECT_TRUE(opened->regular);
        EXPECT_EQ(opened->length, 5);
        const auto bytes = readInput(*opened, file, c.ceiling);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(text(*bytes), "12345");
        EXPECT_EQ(bytes->data()[5], 0);  // the zero byte behind the data
    }
}

TEST_F(InputFileTest, FoldersSocketsAndMissingFilesAreRefused)
{
    std::filesystem::create_directory(path("folder"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const auto socketPath = path("socket");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    struct Case {
        std::string path;
        ErrorCode code;
        int systemError;
    };
    for (const Case& c : {Case{path("folder"), ErrorCode::CannotOpen, EISDIR},
                          Case{path("missing"), ErrorCode::CannotOpen, ENOENT},
                          Case{socketPath, ErrorCode::CannotOpen, ENXIO}}) {
        for (const Streams streams : {Streams::Refused, Streams::ReadToEnd}) {
            const auto opened = openInput(c.path, streams, 1000);
            ASSERT_FALSE(opened) << c.path;
            EXPECT_EQ(opened.error().code, c.code) << c.path;
            EXPECT_EQ(opened.error().systemError, c.systemError) << c.path;
        }
    }
    ::close(sock);
}

TEST_F(InputFileTest, AFifoIsRefusedAtOnceOrReadToItsEndUnderTheCeiling)
{
    const auto fifo = path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // refused without waiting for a writer: this would hang otherwise
    const auto refused = openInput(fifo, Streams::Refused, 1000);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, ErrorCode::NotRegularFile);

    for (const std::int64_t ceiling : {std::int64_t{200000}, std::int64_t{99999}}) {
        std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << std::string(100000, 'x'); });
        const auto opened = openInput(fifo, Streams::ReadToEnd, ceiling);
        ASSERT_TRUE(opened);
        EXPECT_FALSE(opened->regular);
        const auto bytes = readInput(*opened, fifo, ceiling);
        if (ceiling >= 100000) {
            ASSERT_TRUE(bytes);
            EXPECT_EQ(bytes->size(), 100001u);
        } else {
            ASSERT_FALSE(bytes);
            EXPECT_EQ(bytes.error().code, ErrorCode::TooLarge);
            EXPECT_EQ(bytes.error().actualLength, ceiling + 1);  // one byte past it told
            // let the writer finish into a reader that is gone
            std::vector<char> rest(4096);
            while (::read(opened->handle.fd(), rest.data(), rest.size()) > 0) {
            }
        }
        writer.join();
    }
}

TEST_F(InputFileTest, AFileThatShrankLeavesZerosBehindItsEnd)
{
    const auto file = write("shrinks.bin", "abcdefgh");
    const auto opened = openInput(file, Streams::Refused, 100);
    ASSERT_TRUE(opened);
    ASSERT_EQ(::truncate(file.c_str(), 3), 0);
    const auto bytes = readInput(*opened, file, 100);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(text(*bytes), std::string("abc\0\0\0\0\0", 8));

    std::uint8_t window[4] = {9, 9, 9, 9};
    EXPECT_EQ(readZeroFilled(opened->handle.fd(), window, 4, 1), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(window), 4), std::string("bc\0\0", 4));
}

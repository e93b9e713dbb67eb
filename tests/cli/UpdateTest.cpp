// Writing containers back: what the file on disk keeps when a rewrite meets
// a lock, a change made meanwhile, or a file that is no regular one or may
// not be written; and two real processes changing one file at once.
#include "cli/CliSupport.h"

#include "container/Container.h"
#include "pack/ContainerUpdate.h"
#include "pack/Pack.h"

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

namespace zpk::testing {
namespace {

const fs::path kDemo = fs::path(ZPK_SOURCE_DIR) / "samples/demo.zpk";

// A picture of one pixel, of `value`: its entry ends in that byte.
WriterImage pixel(std::uint8_t value) { return solidImage(1, 1, value); }

// Bytes of a container of the pixels `values`.
Bytes containerOfPixels(const std::vector<std::uint8_t>& values)
{
    std::vector<WriterImage> images;
    for (const std::uint8_t v : values) images.push_back(pixel(v));
    auto bytes = packContainer(images, std::vector<std::string>(values.size(), "p.png"));
    return bytes ? *bytes : Bytes{};
}

Bytes packedSolids() { return containerOfPixels({1, 2, 3}); }

// An edit that puts the pixel `value` in row `row`.
ContainerEdit solidIn(int row, std::uint8_t value)
{
    return [=](const ContainerFile& current) { return planReplacement(current, row, pixel(value)); };
}

// The value of the one pixel in `row` of the container at `path`.
int solidValueIn(const fs::path& path, int row)
{
    const auto file = loadContainer(path.string());
    if (!file) return -1;
    const auto bytes = entryBytes(*file, row);
    return bytes && !bytes->empty() ? bytes->back() : -1;
}

// Every way a rewrite of a file in place can meet trouble: what the call
// says, and that the file holds exactly what it should afterwards.
TEST(ContainerUpdate, FaultsLeaveTheFileAsItShouldBe)
{
    struct Case {
        const char* name;
        // prepares the file (and may return something to hold meanwhile)
        std::function<std::shared_ptr<void>(const fs::path&)> setUp;
        UpdateSettings settings;
        std::optional<ErrorCode> error;  // nothing: the edit lands
        bool keepsOldBytes = true;       // on error: the file as it was
    };
    const auto holdLock = [](const fs::path& path) -> std::shared_ptr<void> {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_EQ(::flock(fd, LOCK_EX), 0);
        return {new int(fd), [](int* p) {
                    ::close(*p);
                    delete p;
                }};
    };
    const auto readOnly = [](const fs::path& path) -> std::shared_ptr<void> {
        fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        return {};
    };
    UpdateSettings quick;
    quick.lockWait = std::chrono::milliseconds(50);
    UpdateSettings forced = quick;
    forced.force = true;
    UpdateSettings expectingOther = quick;
    expectingOther.expected = FileIdentity{1, 2, 3, 4, 5};

    const std::vector<Case> cases = {
        {"plain", nullptr, quick, std::nullopt},
        {"locked by another writer", holdLock, quick, ErrorCode::Busy},
        {"another version than the caller read", nullptr, expectingOther, ErrorCode::ChangedOnDisk},
        {"write-protected", readOnly, quick, ErrorCode::WriteProtected},
        {"write-protected, forced", readOnly, forced, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path file = dir / "c.zpk";
        writeBytes(file, packedSolids());
        const auto held = c.setUp ? c.setUp(file) : nullptr;
        const Bytes before = readBytes(file);
        const auto written = updateContainer(file.string(), {}, solidIn(1, 7), c.settings);
        if (c.error) {
            ASSERT_FALSE(written.has_value());
            EXPECT_EQ(written.error().code, *c.error);
            EXPECT_EQ(readBytes(file), before);
        } else {
            ASSERT_TRUE(written.has_value()) << written.error().detail;
            EXPECT_EQ(solidValueIn(file, 1), 7);
            EXPECT_EQ(solidValueIn(file, 0), 1);
        }
        EXPECT_EQ(dir.names(), std::set<std::string>{"c.zpk"});
    }
}

TEST(ContainerUpdate, AChangeMadeMeanwhileByAProgramWithoutTheLockIsKept)
{
    TempDir dir;
    const fs::path file = dir / "c.zpk";
    writeBytes(file, packedSolids());
    Bytes theirs;
    // another program rewrites the file in place while the edit is made
    const ContainerEdit edit = [&](const ContainerFile& current) {
        theirs = containerOfPixels({9, 9});
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(theirs.data()), static_cast<std::streamsize>(theirs.size()));
        return planReplacement(current, 1, pixel(7));
    };
    const auto written = updateContainer(file.string(), {}, edit);
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error().code, ErrorCode::ChangedOnDisk);
    EXPECT_EQ(readBytes(file), theirs);
    EXPECT_EQ(dir.names(), std::set<std::string>{"c.zpk"});
}

TEST(ContainerUpdate, AWriterThatWaitedGoesOnWithTheFileTheFirstOnePutThere)
{
    TempDir dir;
    const fs::path file = dir / "c.zpk";
    writeBytes(file, packedSolids());
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    std::optional<Result<WrittenFile>> second;
    std::thread waiting([&] { second = updateContainer(file.string(), {}, solidIn(2, 5)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // the first writer puts a new file in the old one's place, then lets go
    ASSERT_TRUE(writeFileReplacing(file.string(), containerOfPixels({8, 2, 3})).has_value());
    ::close(fd);
    waiting.join();
    ASSERT_TRUE(second && second->has_value());
    EXPECT_EQ(solidValueIn(file, 0), 8);  // the first writer's change stays
    EXPECT_EQ(solidValueIn(file, 2), 5);
}

TEST(ContainerUpdate, OnlyARegularFileIsReplacedInPlace)
{
    TempDir dir;
    const fs::path fifo = dir / "f.zpk";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // nobody writes into the FIFO: an open that waited for a writer would hang here
    const auto written = updateContainer(fifo.string(), {}, solidIn(0, 1));
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error().code, ErrorCode::NotRegularFile);

    // to another file, the source is only read, and not locked
    const fs::path source = dir / "c.zpk";
    writeBytes(source, packedSolids());
    const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    ASSERT_TRUE(updateContainer(source.string(), (dir / "new.zpk").string(), solidIn(0, 4)).has_value());
    ::close(fd);
    EXPECT_EQ(readBytes(source), packedSolids());
    EXPECT_EQ(solidValueIn(dir / "new.zpk", 0), 4);
}

// Two real processes replace two entries of one file at once: both land, or
// one says why it did not; never both exit 0 with one change lost.
TEST(ReplaceCommand, TwoAtOnceNeverLoseAChange)
{
    TempDir dir;
    const fs::path pictures = fs::path(ZPK_SOURCE_DIR) / "samples/src";
    for (int round = 0; round < 5; ++round) {
        fs::copy_file(kDemo, dir / "c.zpk", fs::copy_options::overwrite_existing);
        const auto before = loadContainer((dir / "c.zpk").string());
        ASSERT_TRUE(before.has_value());
        const pid_t a = spawnZpk({"replace", "-q", "c.zpk", "--entry", "3", (pictures / "000.png").string()},
                                 dir.path(), {}, (dir / "a.out").string(), (dir / "a.err").string());
        const pid_t b = spawnZpk({"replace", "-q", "c.zpk", "--entry", "5", (pictures / "001.png").string()},
                                 dir.path(), {}, (dir / "b.out").string(), (dir / "b.err").string());
        int statusA = 0;
        int statusB = 0;
        ::waitpid(a, &statusA, 0);
        ::waitpid(b, &statusB, 0);
        const auto after = loadContainer((dir / "c.zpk").string());
        ASSERT_TRUE(after.has_value());
        const auto changed = [&](int row) { return *entryBytes(*after, row) != *entryBytes(*before, row); };
        for (const auto& [status, row, err] :
             {std::tuple{statusA, 3, "a.err"}, std::tuple{statusB, 5, "b.err"}}) {
            if (WEXITSTATUS(status) == 0) EXPECT_TRUE(changed(row)) << "row " << row << " lost";
            else EXPECT_NE(readText(dir / err).find("being changed by another program"), std::string::npos);
        }
    }
    EXPECT_EQ(dir.names().count("c.zpk"), 1u);
    for (const std::string& name : dir.names()) EXPECT_FALSE(name.starts_with(".zpk-") && name.size() == 13);
}

}  // namespace
}  // namespace zpk::testing

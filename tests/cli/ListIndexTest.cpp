// `zpk list` reads only the header and four bytes of each entry: its
// listing must be the one a whole read gives, on every test container, the
// malformed ones and the fuzz seeds included.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "cli/Listing.h"
#include "container/Container.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zpk::testing {
namespace {

TEST(ListIndex, TheHeaderAloneListsAsTheWholeFileDoes)
{
    const auto files = testContainers();
    ASSERT_GT(files.size(), 20u);
    int listed = 0;
    for (const fs::path& path : files) {
        const auto whole = loadContainer(path.string());
        const auto index = loadContainerIndex(path.string());
        ASSERT_EQ(whole.has_value(), index.has_value()) << path;
        if (!whole) {
            EXPECT_EQ(whole.error().code, index.error().code) << path;
            EXPECT_EQ(whole.error().neededLength, index.error().neededLength) << path;
            continue;
        }
        std::ostringstream fromWhole;
        std::ostringstream fromIndex;
        cli::writeListText(fromWhole, path.string(), indexOf(*whole));
        cli::writeListText(fromIndex, path.string(), *index);
        EXPECT_EQ(fromIndex.str(), fromWhole.str()) << path;
        ++listed;
    }
    EXPECT_GT(listed, 10);
}

// An entry whose four bytes end on the zero byte behind the data has a size
// (its height's high byte is that zero); one byte further it has none.
TEST(ListIndex, TheLastFourBytesMayEndOnTheZeroBehindTheData)
{
    TempDir dir;
    for (const Bytes& tail : {Bytes{5, 0, 3}, Bytes{5, 0}}) {
        const Bytes bytes = withSizes({}, tail);  // one entry, right behind the header
        writeBytes(dir / "tail.zpk", bytes);
        const auto whole = loadContainer((dir / "tail.zpk").string());
        const auto index = loadContainerIndex((dir / "tail.zpk").string());
        ASSERT_TRUE(whole && index);
        EXPECT_EQ(index->heads, indexOf(*whole).heads) << tail.size();
        EXPECT_EQ(index->heads[0].has_value(), tail.size() == 3) << tail.size();
    }
}

}  // namespace
}  // namespace zpk::testing

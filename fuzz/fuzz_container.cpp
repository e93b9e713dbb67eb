// Container parsing from arbitrary bytes: either a TooShort error exactly
// when the header does not fit, or an entry table that matches the size
// table byte for byte.
#include "FuzzSupport.h"

#include "container/Container.h"

#include <algorithm>
#include <string>

using namespace zpk;
using namespace zpk::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const auto length = static_cast<std::int64_t>(size);

    {
        // contents as a plain copy holds exactly the file: the parsed buffer
        // must not keep more than the file and its zero byte
        auto plain = parseContainer(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        if (plain) FUZZ_CHECK_EQ(plain->fileBytes.size(), size + 1);
    }

    AllocationTracker tracker;
    {
        auto parsed = parseContainer(fileContents(bytes), "fuzz.zpk");
        if (AllocationTracker::measures()) {
            // the file, its zero byte, and the entry table with its texts
            FUZZ_CHECK(tracker.peakBytes() <= length + 1 + kSmallConstant);
        }

        if (!parsed) {
            const Error& e = parsed.error();
            FUZZ_CHECK(e.code == ErrorCode::TooShort);
            const int count = size > 28 ? data[28] : 0;
            FUZZ_CHECK_EQ(e.neededLength, headerLength(count));
            FUZZ_CHECK_EQ(e.actualLength, length);
            FUZZ_CHECK(length < e.neededLength);
            FUZZ_CHECK(e.path == "fuzz.zpk");
            return 0;
        }

        const ContainerFile& file = *parsed;
        FUZZ_CHECK(size > 28);
        const int count = data[28];
        FUZZ_CHECK(length >= headerLength(count));
        FUZZ_CHECK_EQ(file.fileLength, length);
        FUZZ_CHECK_EQ(file.entryCount, count);
        FUZZ_CHECK_EQ(file.fileBytes.size(), size + 1);
        FUZZ_CHECK_EQ(file.fileBytes.back(), 0);
        FUZZ_CHECK(std::equal(bytes.begin(), bytes.end(), file.fileBytes.begin()));
        FUZZ_CHECK(file.isLoaded());

        // one row per entry, and one row when the count is 0
        const int rows = count > 0 ? count : 1;
        FUZZ_CHECK_EQ(file.rowCount(), rows);
        FUZZ_CHECK_EQ(file.listTexts.size(), static_cast<std::size_t>(rows));
        FUZZ_CHECK_EQ(file.entryOffsets.size(), static_cast<std::size_t>(rows));

        std::int64_t start = 30 + 2 * static_cast<std::int64_t>(count);  // entry 0 follows the size table
        for (int row = 0; row < rows; ++row) {
            if (row > 0) start += data[30 + 2 * (row - 1)] + 256 * data[31 + 2 * (row - 1)];
            const auto r = static_cast<std::size_t>(row);
            FUZZ_CHECK_EQ(file.entryOffsets[r], start + 1);
            FUZZ_CHECK(file.listTexts[r] == std::to_string(start + 3));
            FUZZ_CHECK_EQ(file.entryOffset(row), start);
            FUZZ_CHECK_EQ(file.entryStart(row), start + 3);
            if (row + 1 == rows) {
                FUZZ_CHECK_EQ(file.entryEnd(row), length);
            } else {
                FUZZ_CHECK_EQ(file.entryEnd(row), start + data[30 + 2 * row] + 256 * data[31 + 2 * row]);
            }
        }
    }
    return 0;
}

#include "state/ByteReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

using zpk::ByteReader;

TEST(ByteReader, RangesAtTheEdgesAndBeyond)
{
    const std::vector<std::uint8_t> bytes{1, 2, 3};
    const ByteReader r(bytes);
    EXPECT_TRUE(r.has(0, 3));
    EXPECT_TRUE(r.has(3, 0));
    EXPECT_FALSE(r.has(3, 1));
    EXPECT_FALSE(r.has(2, 2));
    EXPECT_FALSE(r.has(-1, 1));
    // a length that would overflow pos + len
    EXPECT_FALSE(r.has(1, std::numeric_limits<std::int64_t>::max()));
    EXPECT_FALSE(r.has(std::numeric_limits<std::int64_t>::max(), 1));
    EXPECT_EQ(r.at(2), 3);
    EXPECT_FALSE(r.at(3).has_value());
    EXPECT_FALSE(r.u16(2).has_value());
    EXPECT_EQ(r.u16(1), 0x0302);
    EXPECT_TRUE(r.span(2, 2).empty());
    EXPECT_EQ(r.span(1, 2).size(), 2u);
}

TEST(ByteReader, PairsMustLieWhollyInside)
{
    const std::vector<std::uint8_t> bytes{0xFF, 0xFF, 0xFE, 0x00, 0xFF};
    const ByteReader r(bytes);
    EXPECT_EQ(r.findPair(0, 5), 1);
    EXPECT_EQ(r.findPair(2, 5), 5);     // none after position 1
    EXPECT_EQ(r.findPair(0, 1), 1);     // the bound is returned when none starts before it
    EXPECT_FALSE(r.isPair(4));          // 0xFF at the last byte has no second byte
    EXPECT_EQ(r.findPair(0, 1000), 1);  // a bound past the buffer is clamped
    EXPECT_EQ(r.findPair(-7, 2), 1);
    EXPECT_EQ(r.findByte(2, 100, 0xFF), 4);
    EXPECT_EQ(r.findByte(5, 100, 0xFF), 100);
}

TEST(ByteReader, EmptyBufferReadsNothing)
{
    const ByteReader r;
    EXPECT_FALSE(r.at(0).has_value());
    EXPECT_EQ(r.findPair(0, 10), 10);
    EXPECT_EQ(r.findByte(0, 10, 0), 10);
}

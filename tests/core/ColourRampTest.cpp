#include "decode/ColourRamp.h"

#include <gtest/gtest.h>

#include <optional>

using namespace zpk;

namespace {

std::optional<int> sum(const char* text, int i)
{
    const auto n = RampNumber::parse(text);
    if (!n) return std::nullopt;
    return n->plus(i);
}

}  // namespace

TEST(ColourRamp, NumberSyntax)
{
    for (const char* good :
         {"12", "-3", "+4", "2.5", ".5", "7.", " 8 ", "\t-0\n", "0007", "99999999999999999999"})
        EXPECT_TRUE(RampNumber::parse(good).has_value()) << good;
    for (const char* bad :
         {"", " ", "abc", "1e2", "1,000", "0x10", ".", "+", "-", "1.2.3", "--1", "1 2", "٣"})
        EXPECT_FALSE(RampNumber::parse(bad).has_value()) << bad;
}

TEST(ColourRamp, SumsRoundHalfToEven)
{
    EXPECT_EQ(sum("0", 1), 1);
    EXPECT_EQ(sum("0.5", 1), 2);     // 1.5 -> 2
    EXPECT_EQ(sum("1.5", 1), 2);     // 2.5 -> 2
    EXPECT_EQ(sum("0.5000", 2), 2);  // 2.5 -> 2
    EXPECT_EQ(sum("0.5001", 2), 3);
    EXPECT_EQ(sum("0.4999", 2), 2);
    EXPECT_EQ(sum("-0.5", 1), 0);   // 0.5 -> 0
    EXPECT_EQ(sum("-1.5", 1), 0);   // -0.5 -> 0
    EXPECT_EQ(sum("-2.5", 1), -2);  // -1.5 -> -2
    EXPECT_EQ(sum("-2.6", 1), -2);  // -1.6 -> -2
    EXPECT_EQ(sum("-2.4", 1), -1);  // -1.4 -> -1
    EXPECT_EQ(sum("7.", 3), 10);
}

TEST(ColourRamp, SumsOutsideSixteenBitsAreNotNumbers)
{
    EXPECT_EQ(sum("32766", 1), 32767);
    EXPECT_FALSE(sum("32767", 1).has_value());
    EXPECT_EQ(sum("-32769", 1), -32768);
    EXPECT_FALSE(sum("-32770", 1).has_value());
    EXPECT_FALSE(sum("100000", 1).has_value());
    EXPECT_FALSE(sum("99999999999999999999", 256).has_value());
    EXPECT_FALSE(sum("-99999999999999999999.5", 1).has_value());
}

TEST(ColourRamp, ZeroBasesGiveAGreyRampEndingInWhite)
{
    Palette palette{};
    palette[257] = 0x0A0B0C;
    applyColourRamp(palette, "0", "0", "0");
    for (int i = 1; i <= 255; ++i) EXPECT_EQ(palette[static_cast<std::size_t>(i)], makeColour(i, i, i));
    EXPECT_EQ(palette[256], makeColour(255, 255, 255));
    EXPECT_EQ(palette[257], 0x0A0B0Cu);  // pixel value 255 keeps its stored colour
}

TEST(ColourRamp, ComponentsClampAndBadBoxesChangeNothing)
{
    Palette palette{};
    applyColourRamp(palette, "-300", "300", "-2");
    EXPECT_EQ(palette[1], makeColour(0, 255, 0));
    EXPECT_EQ(palette[2], makeColour(0, 255, 0));
    EXPECT_EQ(palette[3], makeColour(0, 255, 1));

    Palette stored{};
    stored.fill(0x112233);
    for (const char* bad : {"abc", "100000", ""}) {
        Palette p = stored;
        applyColourRamp(p, "0", bad, "0");
        EXPECT_EQ(p, stored) << bad;
    }

    // 32700 + i leaves the 16-bit range from i = 68 on: those entries keep theirs
    Palette partial = stored;
    applyColourRamp(partial, "32700", "0", "0");
    EXPECT_EQ(partial[67], makeColour(255, 67, 67));
    EXPECT_EQ(partial[68], 0x112233u);
}

// The user colour ramp: palette entries 1 to 256 built from three base texts.
#pragma once

#include "state/ViewerState.h"

#include <optional>
#include <string_view>

namespace zpk {

// A base text read as a number: after trimming white space, an optional
// sign, digits, and optionally a point and more digits ("12", "-3", "+4",
// "2.5", ".5", "7."). Numbers of any length are kept exactly enough to add
// a ramp index and round.
class RampNumber {
public:
    static std::optional<RampNumber> parse(std::string_view text);

    // The text's number plus i, rounded half to even, when it lies in the
    // signed 16-bit range.
    std::optional<int> plus(int i) const;

private:
    bool m_negative = false;
    bool m_huge = false;         // integer part beyond any 16-bit sum
    std::int64_t m_integer = 0;  // integer part's magnitude
    int m_fraction = 0;          // fraction vs one half: -1 below, 0 equal, 1 above
    bool m_hasFraction = false;  // any non-zero fraction digit
};

// One colour component of the ramp: out of range is 255 above, 0 below.
constexpr unsigned rampComponent(int value)
{
    return value < 0 ? 0u : value > 255 ? 255u : static_cast<unsigned>(value);
}

// Overwrites palette entries 1 to 256; an entry whose three sums are not all
// numbers in range keeps its colour.
void applyColourRamp(Palette& palette, std::string_view color1, std::string_view color2,
                     std::string_view color3);

}  // namespace zpk

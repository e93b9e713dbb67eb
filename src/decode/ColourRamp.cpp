#include "decode/ColourRamp.h"

#include <array>

namespace zpk {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// An integer part of more digits than this lies outside every 16-bit sum.
constexpr std::size_t kMaxIntegerDigits = 12;

}  // namespace

std::optional<RampNumber> RampNumber::parse(std::string_view text)
{
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);

    RampNumber n;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        n.m_negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t i = 0;
    while (i < text.size() && isDigit(text[i])) ++i;
    std::string_view integer = text.substr(0, i);
    std::string_view fraction;
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        while (j < text.size() && isDigit(text[j])) ++j;
        fraction = text.substr(i + 1, j - i - 1);
        i = j;
    }
    if (i != text.size() || (integer.empty() && fraction.empty())) return std::nullopt;

    while (!integer.empty() && integer.front() == '0') integer.remove_prefix(1);
    if (integer.size() > kMaxIntegerDigits) {
        n.m_huge = true;
    } else {
        for (char c : integer) n.m_integer = n.m_integer * 10 + (c - '0');
    }

    // Only how the fraction compares with one half matters for rounding.
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    if (!fraction.empty()) {
        n.m_hasFraction = true;
        const char first = fraction.front();
        if (first > '5') n.m_fraction = 1;
        else if (first < '5') n.m_fraction = -1;
        else n.m_fraction = fraction.size() > 1 ? 1 : 0;
    }
    return n;
}

std::optional<int> RampNumber::plus(int i) const
{
    if (m_huge) return std::nullopt;
    std::int64_t rounded;
    // value + i lies between `base` and base + 1; `above` compares the part
    // past `base` with one half
    std::int64_t base;
    int above;
    if (!m_hasFraction) {
        base = m_negative ? i - m_integer : m_integer + i;
        above = -1;
    } else if (!m_negative) {
        base = m_integer + i;
        above = m_fraction;
    } else {
        // -(I + F) + i = (i - I - 1) + (1 - F)
        base = i - m_integer - 1;
        above = -m_fraction;
    }
    if (above < 0) rounded = base;
    else if (above > 0) rounded = base + 1;
    else rounded = base % 2 == 0 ? base : base + 1;  // a half goes to the even neighbour

    if (rounded < -32768 || rounded > 32767) return std::nullopt;
    return static_cast<int>(rounded);
}

void applyColourRamp(Palette& palette, std::string_view color1, std::string_view color2,
                     std::string_view color3)
{
    const std::array<std::optional<RampNumber>, 3> bases = {
        RampNumber::parse(color1), RampNumber::parse(color2), RampNumber::parse(color3)};
    for (const auto& base : bases) {
        if (!base) return;  // a box that is not a number leaves every entry as it was
    }
    for (int i = 1; i <= 256; ++i) {
        const auto red = bases[0]->plus(i);
        const auto green = bases[1]->plus(i);
        const auto blue = bases[2]->plus(i);
        if (!red || !green || !blue) continue;
        palette[static_cast<std::size_t>(i)] =
            makeColour(rampComponent(*red), rampComponent(*green), rampComponent(*blue));
    }
}

}  // namespace zpk

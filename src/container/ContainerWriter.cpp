#include "container/ContainerWriter.h"

#include "state/ViewerState.h"

#include <algorithm>
#include <cassert>
#include <functional>
#include <string>

namespace zpk {

namespace {

constexpr std::int64_t kCodeBytes = 5;  // 0xFF 0xFE value lengthLow lengthHigh

Error invalid(Refusal refusal) { return makeRefusal(ErrorCode::InvalidImage, refusal); }

Error invalid(Refusal refusal, int value)
{
    Error e = invalid(refusal);
    e.value = value;
    return e;
}

// --- the pixel stream ---------------------------------------------------------

// What a piece of stream costs: its bytes first, then its literal bytes, so
// that of two streams of one length the one with more run codes wins.
struct Cost {
    std::int64_t bytes = 0;
    std::int64_t literals = 0;
    // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 sees a literal 0 in the defaulted comparison
    friend auto operator<=>(const Cost&, const Cost&) = default;
    Cost operator+(const Cost& other) const { return {bytes + other.bytes, literals + other.literals}; }
};

// Whether one run code of `value` may carry `length` pixels: a value 0xFF
// followed by a length low byte 0xFE would read as a second code.
bool codeCarries(std::uint8_t value, std::int64_t length)
{
    return length >= 1 && length <= kMaxWrittenRun && !(value == 0xFF && (length & 0xFF) == 0xFE);
}

// A maximal run of equal pixels: every token of the stream lies inside one.
struct Segment {
    std::uint8_t value = 0;
    std::int64_t length = 0;
};

// How a segment is written: `codes` run codes carrying all but `literals`
// of its pixels, and `literals` literal bytes, the codes in front of the
// literal bytes or behind them.
struct SegmentPlan {
    std::int64_t codes = 0;
    std::int64_t literals = 0;
    bool codesFirst = true;
    Cost cost() const { return {kCodeBytes * codes + literals, literals}; }
    // The stream's last byte is a literal 0xFF.
    bool endsInLiteralFF(std::uint8_t value) const
    {
        return value == 0xFF && literals > 0 && (codesFirst || codes == 0);
    }
};

// The cheapest plan for `segment` with at least `minCodes` run codes and
// `minLiterals` literal bytes. A code costs five bytes whatever it carries,
// so only the counts around length / kMaxWrittenRun can be cheapest.
SegmentPlan cheapestPlan(const Segment& segment, std::int64_t minCodes, std::int64_t minLiterals,
                         bool codesFirst)
{
    SegmentPlan best{0, segment.length, codesFirst};
    bool found = false;
    const std::int64_t full = segment.length / kMaxWrittenRun;
    for (std::int64_t k = std::max(minCodes, full - 1); k <= full + 2; ++k) {
        std::int64_t carried = k == 0 ? 0 : std::min(segment.length - minLiterals, k * kMaxWrittenRun);
        // one code of 0xFF cannot carry a length whose low byte is 0xFE;
        // several can always share it out (see writeCodes)
        if (k == 1 && carried >= 1 && !codeCarries(segment.value, carried)) --carried;
        if (carried < k) continue;
        const SegmentPlan plan{k, segment.length - carried, codesFirst};
        if (!found || plan.cost() < best.cost()) best = plan;
        found = true;
    }
    assert(found);
    return best;
}

// The cheapest plan for `segment` behind a literal 0xFF (or a palette
// ending in 0xFF) when `afterFF`, and, when `endInCode`, one whose last
// token is a run code (so that a 0xFE may follow).
SegmentPlan planFor(const Segment& segment, bool afterFF, bool endInCode)
{
    if (segment.value == 0xFE && afterFF) return cheapestPlan(segment, 1, 0, true);     // a code first
    if (segment.value == 0xFF && endInCode) return cheapestPlan(segment, 1, 0, false);  // a code last
    return cheapestPlan(segment, 0, 0, true);
}

// Splits `total` pixels of `value` over `codes` run codes and appends them.
void writeCodes(std::vector<std::uint8_t>& out, std::uint8_t value, std::int64_t total, std::int64_t codes)
{
    std::int64_t left = total;
    for (std::int64_t k = codes; k > 0; --k) {
        std::int64_t n = k == 1 ? left : std::min<std::int64_t>(kMaxWrittenRun, left - (k - 1));
        // the codes behind this one must still carry the rest
        auto restFits = [&](std::int64_t rest) {
            if (k == 1) return rest == 0;
            if (k == 2) return codeCarries(value, rest);
            return rest >= k - 1 && rest <= (k - 1) * kMaxWrittenRun;
        };
        while (k > 1 && n > 1 && !(codeCarries(value, n) && restFits(left - n))) --n;
        assert(codeCarries(value, n) && restFits(left - n));
        out.insert(out.end(), {0xFF, 0xFE, value, static_cast<std::uint8_t>(n & 0xFF),
                               static_cast<std::uint8_t>(n >> 8)});
        left -= n;
    }
}

void writeSegment(std::vector<std::uint8_t>& out, const Segment& segment, const SegmentPlan& plan)
{
    const auto literals = static_cast<std::size_t>(plan.literals);
    const std::int64_t carried = segment.length - plan.literals;
    if (!plan.codesFirst) out.insert(out.end(), literals, segment.value);
    writeCodes(out, segment.value, carried, plan.codes);
    if (plan.codesFirst) out.insert(out.end(), literals, segment.value);
}

// Reads the pixels as maximal runs of equal values.
class Segments {
public:
    explicit Segments(const std::vector<std::uint8_t>& pixels) : m_pixels(pixels) {}
    std::optional<Segment> next()
    {
        if (m_at >= m_pixels.size()) return std::nullopt;
        // the segment ends behind the first pixel that differs from the next
        const auto from = m_pixels.begin() + static_cast<std::ptrdiff_t>(m_at);
        const auto last = std::adjacent_find(from, m_pixels.end(), std::not_equal_to<>());
        const auto end =
            last == m_pixels.end() ? m_pixels.size() : static_cast<std::size_t>(last - m_pixels.begin()) + 1;
        const Segment segment{m_pixels[m_at], static_cast<std::int64_t>(end - m_at)};
        m_at = end;
        return segment;
    }

private:
    const std::vector<std::uint8_t>& m_pixels;
    std::size_t m_at = 0;
};

// Appends the shortest stream of `pixels`. A token never spans two
// segments, and the only choice one segment's plan passes to the next is
// whether it ends in a literal 0xFF, which matters only when a segment of
// 0xFE (or a next entry starting with 0xFE) follows: so each segment of
// 0xFF is planned together with what follows it, and every other segment
// on its own. `afterFF`: the byte before the stream is 0xFF.
void writeStream(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& pixels, bool afterFF,
                 int nextByte)
{
    Segments segments(pixels);
    std::optional<Segment> current = segments.next();
    while (current) {
        const std::optional<Segment> following = segments.next();
        SegmentPlan plan = planFor(*current, afterFF, false);
        if (current->value == 0xFF) {
            const bool feFollows = following ? following->value == 0xFE : nextByte == 0xFE;
            const SegmentPlan endsInCode = planFor(*current, false, true);
            if (feFollows) {
                // a code last, and the 0xFE free; or whatever is cheapest,
                // and the 0xFE behind it in a code when it is a literal 0xFF
                Cost withCode = endsInCode.cost();
                Cost cheapest = plan.cost();
                if (following) {
                    withCode = withCode + planFor(*following, false, false).cost();
                    cheapest = cheapest + planFor(*following, plan.endsInLiteralFF(0xFF), false).cost();
                }
                if (withCode <= cheapest || (!following && plan.endsInLiteralFF(0xFF))) plan = endsInCode;
            }
        }
        writeSegment(out, *current, plan);
        afterFF = plan.endsInLiteralFF(current->value);
        current = following;
    }
}

// --- colours --------------------------------------------------------------------

bool endsInFF(const Rgb& c) { return c.blue == 0xFF; }
bool startsWithFE(const Rgb& c) { return c.red == 0xFE; }

// Whether `rest` (colours by kind) can follow a colour that ends in 0xFF
// (`afterFF`) or not, with no pair: every colour that starts with 0xFE
// needs a place behind one that does not end in 0xFF. Those that do both
// each take such a place and leave none behind them, so each needs a colour
// of neither kind in front (or the start, when not afterFF); those that only
// start with 0xFE can queue behind any such place; those that only end in
// 0xFF go last.
struct ColourKinds {
    int neither = 0;
    int startsOnly = 0;
    int both = 0;
};
bool canOrder(const ColourKinds& rest, bool afterFF)
{
    const int places = rest.neither + (afterFF ? 0 : 1);
    return rest.both <= places && (rest.startsOnly == 0 || places >= 1);
}

void tally(ColourKinds& kinds, const Rgb& c, int by)
{
    if (startsWithFE(c) && endsInFF(c)) kinds.both += by;
    else if (startsWithFE(c)) kinds.startsOnly += by;
    else if (!endsInFF(c)) kinds.neither += by;
}

}  // namespace

bool holdsMarkerPair(const Rgb& colour)
{
    return (colour.red == 0xFF && colour.green == 0xFE) || (colour.green == 0xFF && colour.blue == 0xFE);
}

int markerPairAt(const std::vector<Rgb>& colours)
{
    for (std::size_t k = 0; k < colours.size(); ++k) {
        if (holdsMarkerPair(colours[k])) return static_cast<int>(k);
        if (k + 1 < colours.size() && endsInFF(colours[k]) && startsWithFE(colours[k + 1]))
            return static_cast<int>(k);
    }
    return -1;
}

std::optional<std::vector<int>> markerFreeOrder(const std::vector<Rgb>& colours, int fixed)
{
    const int n = static_cast<int>(colours.size());
    fixed = std::clamp(fixed, 0, n);
    std::vector<int> order;
    order.reserve(colours.size());
    for (int k = 0; k < fixed; ++k) order.push_back(k);
    std::vector<Rgb> front(colours.begin(), colours.begin() + fixed);
    if (markerPairAt(front) >= 0) return std::nullopt;
    ColourKinds rest;
    std::vector<int> waiting;
    for (int k = fixed; k < n; ++k) {
        if (holdsMarkerPair(colours[static_cast<std::size_t>(k)])) return std::nullopt;
        tally(rest, colours[static_cast<std::size_t>(k)], 1);
        waiting.push_back(k);
    }
    bool afterFF = !front.empty() && endsInFF(front.back());
    if (!canOrder(rest, afterFF)) return std::nullopt;
    while (!waiting.empty()) {
        // the earliest colour that makes no pair and leaves an order for the rest
        auto pick = waiting.begin();
        for (; pick != waiting.end(); ++pick) {
            const Rgb& c = colours[static_cast<std::size_t>(*pick)];
            if (afterFF && startsWithFE(c)) continue;
            ColourKinds left = rest;
            tally(left, c, -1);
            if (canOrder(left, endsInFF(c))) break;
        }
        assert(pick != waiting.end());  // canOrder held for the whole rest
        const Rgb& c = colours[static_cast<std::size_t>(*pick)];
        tally(rest, c, -1);
        afterFF = endsInFF(c);
        order.push_back(*pick);
        waiting.erase(pick);
    }
    return order;
}

Result<std::vector<std::uint8_t>> encodeEntry(const WriterImage& image, int nextByte)
{
    if (image.width < 0 || image.width > kMaxImageSide || image.height < 0 || image.height > kMaxImageSide)
        return invalid(Refusal::SideOutOfRange);
    const std::size_t area = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    if (image.pixels.size() != area) return invalid(Refusal::PixelCountMismatch);
    if (image.colours.size() > 256) return invalid(Refusal::WriterTooManyColours);
    if (!image.pixels.empty()) {
        const std::uint8_t highest = *std::max_element(image.pixels.begin(), image.pixels.end());
        if (highest >= image.colours.size()) return invalid(Refusal::PixelWithoutColour, highest);
    }
    // the palette loop stops at the first pair behind the height's high byte
    if (const int at = markerPairAt(image.colours); at >= 0)
        return invalid(holdsMarkerPair(image.colours[static_cast<std::size_t>(at)])
                           ? Refusal::WriterColourMarker
                           : Refusal::WriterColoursMarker,
                       at);

    std::vector<std::uint8_t> out;
    out.reserve(6 + 3 * image.colours.size() + area / 2);
    out.insert(out.end(),
               {static_cast<std::uint8_t>(image.width & 0xFF), static_cast<std::uint8_t>(image.width >> 8),
                static_cast<std::uint8_t>(image.height & 0xFF), static_cast<std::uint8_t>(image.height >> 8),
                0, 0});
    for (const Rgb& c : image.colours) out.insert(out.end(), {c.red, c.green, c.blue});
    // the pre-scan reads on into the next entry's first byte
    const bool paletteEndsInFF = !image.colours.empty() && endsInFF(image.colours.back());
    if (area == 0 && paletteEndsInFF && nextByte == 0xFE) return invalid(Refusal::LastColourMeetsNext);
    writeStream(out, image.pixels, paletteEndsInFF, nextByte);
    // an entry is often far shorter than the room guessed for it, and may
    // be kept a long while (a pack keeps every entry until it writes)
    out.shrink_to_fit();
    return out;
}

}  // namespace zpk

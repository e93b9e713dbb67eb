// The writer's pixel stream is the shortest that decodes to exactly the
// pixels and holds 0xFF 0xFE only where a run code starts; the order of
// colours that keeps the pair out of a palette.
#include "fixtures/Fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <numeric>
#include <random>

using namespace zpk;
using namespace zpk::testing;

namespace {

constexpr std::int64_t kUnreached = std::numeric_limits<std::int64_t>::max();

bool isPair(std::uint8_t a, std::uint8_t b) { return a == 0xFF && b == 0xFE; }

// The length of the shortest valid stream, found by trying every token at
// every place: a literal, or a run code of any length the equal pixels
// ahead allow. A token is valid when no pair starts anywhere in it but at a
// run code's first byte, nor across from the byte before it. Each place
// keeps the shortest stream for every last byte it may end in.
std::int64_t shortestByTrying(const Bytes& pixels, std::uint8_t byteBefore, int nextByte)
{
    const std::size_t n = pixels.size();
    std::vector<std::map<std::uint8_t, std::int64_t>> best(n + 1);
    best[0][byteBefore] = 0;
    for (std::size_t i = 0; i < n; ++i) {
        for (const auto& [last, length] : best[i]) {
            auto offer = [&](std::size_t to, std::uint8_t end, std::int64_t total) {
                auto [it, fresh] = best[to].emplace(end, total);
                if (!fresh) it->second = std::min(it->second, total);
            };
            if (!isPair(last, pixels[i])) offer(i + 1, pixels[i], length + 1);
            for (std::size_t j = i + 1; j <= n && pixels[j - 1] == pixels[i]; ++j) {
                const auto run = static_cast<std::int64_t>(j - i);
                if (run > kMaxWrittenRun) break;
                const Bytes code{0xFF, 0xFE, pixels[i], static_cast<std::uint8_t>(run & 0xFF),
                                 static_cast<std::uint8_t>(run >> 8)};
                bool clean = true;
                for (std::size_t k = 1; k + 1 < code.size(); ++k)
                    clean = clean && !isPair(code[k], code[k + 1]);
                if (clean) offer(j, code.back(), length + 5);
            }
        }
    }
    std::int64_t shortest = kUnreached;
    for (const auto& [last, length] : best[n]) {
        if (nextByte >= 0 && isPair(last, static_cast<std::uint8_t>(nextByte))) continue;
        shortest = std::min(shortest, length);
    }
    return shortest;
}

// The stream of an encoded entry: what follows its colours.
Bytes streamOf(const Bytes& entry, std::size_t colourCount)
{
    return Bytes(entry.begin() + static_cast<std::ptrdiff_t>(6 + 3 * colourCount), entry.end());
}

// Checks that every 0xFF 0xFE pair of the entry, and across to the next
// byte, starts a run code of the stream as the decoder reads it, and that
// the stream gives back exactly `pixels`.
void expectCleanStream(const Bytes& entry, const WriterImage& image, int nextByte, const std::string& what)
{
    const std::size_t streamStart = 6 + 3 * image.colours.size();
    Bytes bytes = entry;
    if (nextByte >= 0) bytes.push_back(static_cast<std::uint8_t>(nextByte));
    std::vector<bool> codeStart(bytes.size(), false);
    Bytes pixels;
    for (std::size_t i = streamStart; i < entry.size();) {
        if (i + 1 < entry.size() && isPair(entry[i], entry[i + 1])) {
            ASSERT_LE(i + 5, entry.size()) << what;
            codeStart[i] = true;
            pixels.insert(pixels.end(), static_cast<std::size_t>(entry[i + 3] | (entry[i + 4] << 8)),
                          entry[i + 2]);
            i += 5;
        } else {
            pixels.push_back(entry[i++]);
        }
    }
    EXPECT_EQ(pixels, image.pixels) << what;
    for (std::size_t i = 3; i + 1 < bytes.size(); ++i)
        EXPECT_FALSE(isPair(bytes[i], bytes[i + 1]) && !codeStart[i]) << what << ": a stray pair at " << i;
}

// Pixels drawn mostly from 0xFF, 0xFE and two others, in runs of 1 to 8.
Bytes awkwardPixels(std::mt19937& rng, std::size_t count)
{
    static const std::uint8_t values[] = {0xFF, 0xFE, 0xFF, 0xFE, 0x00, 0x07};
    Bytes pixels;
    while (pixels.size() < count) {
        const std::uint8_t v = values[rng() % std::size(values)];
        const std::size_t run = 1 + rng() % 8;
        for (std::size_t k = 0; k < run && pixels.size() < count; ++k) pixels.push_back(v);
    }
    return pixels;
}

// greyRamp(256) with the last colour ending in 0xFF or not.
std::vector<Rgb> rampEndingIn(std::uint8_t blue)
{
    auto colours = greyRamp(256);
    colours.back() = {1, 2, blue};
    return colours;
}

}  // namespace

TEST(ShortestStream, MatchesEveryTokenTriedOnRandomPixels)
{
    std::mt19937 rng(4711);
    for (int round = 0; round < 1500; ++round) {
        const std::size_t count = 1 + rng() % 24;
        const std::uint8_t paletteEnd = rng() % 2 ? 0xFF : 0x10;
        const int nextByte = std::array<int, 3>{-1, 0xFE, 0x01}[rng() % 3];
        WriterImage image{static_cast<int>(count), 1, rampEndingIn(paletteEnd), awkwardPixels(rng, count)};
        const auto entry = encodeEntry(image, nextByte);
        ASSERT_TRUE(entry.has_value()) << entry.error().detail;
        const std::string what = "round " + std::to_string(round);
        EXPECT_EQ(static_cast<std::int64_t>(streamOf(*entry, 256).size()),
                  shortestByTrying(image.pixels, paletteEnd, nextByte))
            << what;
        expectCleanStream(*entry, image, nextByte, what);
    }
}

TEST(ShortestStream, RunsOfFFAroundALengthLowByteFE)
{
    // one code of 0xFF cannot carry 254 or 510 pixels
    for (const int length : {253, 254, 255, 509, 510, 511}) {
        for (const bool feBehind : {false, true}) {
            WriterImage image{length + 1, 1, greyRamp(256), Bytes(static_cast<std::size_t>(length), 0xFF)};
            image.pixels.push_back(feBehind ? 0xFE : 0x03);
            const auto entry = encodeEntry(image);
            ASSERT_TRUE(entry.has_value());
            const std::string what = std::to_string(length) + (feBehind ? " then 0xFE" : " then 3");
            EXPECT_EQ(static_cast<std::int64_t>(streamOf(*entry, 256).size()),
                      shortestByTrying(image.pixels, 0xFF, -1))
                << what;
            expectCleanStream(*entry, image, -1, what);
        }
    }
}

TEST(ShortestStream, RunsPastOneCode)
{
    // a code carries at most 65000 pixels: what is left over goes as
    // literals while they are no longer than another code
    // (lengths with a width and height of at most 32767)
    const std::pair<int, std::int64_t> cases[] = {{65000, 5},  {65002, 7},   {65004, 9},   {65005, 10},
                                                  {65006, 10}, {130000, 10}, {130002, 12}, {130255, 15}};
    for (const auto& [length, bytes] : cases) {
        int height = 2;
        while (length % height != 0 || length / height > kMaxImageSide) ++height;
        for (const std::uint8_t value : {std::uint8_t{7}, std::uint8_t{0xFF}, std::uint8_t{0xFE}}) {
            const WriterImage image = solidImage(length / height, height, value);
            ASSERT_EQ(static_cast<int>(image.pixels.size()), length);
            const auto entry = encodeEntry(image);
            ASSERT_TRUE(entry.has_value()) << entry.error().detail;
            const std::string what = std::to_string(length) + " of " + std::to_string(value);
            EXPECT_EQ(static_cast<std::int64_t>(streamOf(*entry, 256).size()), bytes) << what;
            expectCleanStream(*entry, image, -1, what);
        }
    }
}

TEST(ShortestStream, FiveEqualPixelsAreARunCode)
{
    // as short as the literal bytes: the run code is written
    const auto entry = encodeEntry(framedImage());
    ASSERT_TRUE(entry.has_value());
    const Bytes stream = streamOf(*entry, 3);
    EXPECT_EQ(stream, (Bytes{0xFF, 0xFE, 1, 5, 0, 0, 2, 0xFF, 0xFE, 1, 5, 0}));
}

TEST(ShortestStream, AFENeverFollowsALiteralFF)
{
    // behind the palette's last byte 0xFF, a stream of 0xFE 0xFE 0xFE: one
    // code of three (not a code of one and two literals)
    WriterImage image{3, 1, rampEndingIn(0xFF), {0xFE, 0xFE, 0xFE}};
    auto entry = encodeEntry(image);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(streamOf(*entry, 256), (Bytes{0xFF, 0xFE, 0xFE, 3, 0}));

    // 0xFF before the next entry's 0xFE: the last 0xFF goes into a code
    image = {2, 1, greyRamp(256), {1, 0xFF}};
    entry = encodeEntry(image, 0xFE);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(streamOf(*entry, 256), (Bytes{1, 0xFF, 0xFE, 0xFF, 1, 0}));
    EXPECT_EQ(streamOf(*encodeEntry(image, 0xFD), 256), (Bytes{1, 0xFF}));
}

TEST(ShortestStream, EveryBuilderImageRoundTrips)
{
    std::mt19937 rng(99);
    const std::vector<WriterImage> images = {
        solidImage(17, 3, 0),
        solidImage(300, 300, 0xFF),
        stripedImage(31, 7, threeColours()),
        framedImage(),
        randomImage(40, 30, 5),
        mixedImage(rng, 50, 20, greyRamp(256)),
        spriteImage(64, 48, 3),
        spriteSheetImage(400, 300, 8),
        figureImage(376, 448, 2),
        solidImage(2251, 29, 0xFF),
        solidImage(0, 5, 0),
        solidImage(3, 3, Rgb{9, 8, 7}),
    };
    for (std::size_t k = 0; k < images.size(); ++k) {
        for (const int nextByte : {-1, 0xFE}) {
            const auto entry = encodeEntry(images[k], nextByte);
            if (images[k].pixels.empty() && nextByte == 0xFE) {
                // the palette's last byte 0xFF would meet the next entry's 0xFE
                EXPECT_FALSE(entry.has_value()) << k;
                continue;
            }
            ASSERT_TRUE(entry.has_value()) << k;
            expectCleanStream(*entry, images[k], nextByte, "image " + std::to_string(k));
        }
    }
    // and in one container, each decoded on a fresh palette
    const ContainerFile file = parsed(built(containerOf(images)));
    for (std::size_t k = 0; k < images.size(); ++k) {
        Palette palette{};
        const DecodedImage got = decodeEntry(file, static_cast<int>(k), palette);
        ASSERT_EQ(got.produced, static_cast<std::int64_t>(images[k].pixels.size())) << k;
        if (got.produced > 0) {
            EXPECT_EQ(got.streamEnd, got.entryEnd) << k;
        }
        EXPECT_EQ(producedPixels(got), images[k].pixels) << k;
        for (std::size_t v = 0; v < images[k].colours.size(); ++v) {
            const Rgb c = images[k].colours[v];
            ASSERT_EQ(palette[v + 2], makeColour(c.red, c.green, c.blue)) << k << " colour " << v;
        }
    }
}

TEST(ShortestStream, BuilderLooksPastEntriesWithoutBytes)
{
    // the entry behind the first one's end is the third: the second has no bytes
    WriterImage ends{2, 1, greyRamp(256), {1, 0xFF}};
    const Bytes container = built(ContainerBuilder().entry(ends).rawEntry({}).entry(solidImage(0xFE, 1, 3)));
    const ContainerFile file = parsed(container);
    Palette palette{};
    const DecodedImage got = decodeEntry(file, 0, palette);
    EXPECT_EQ(producedPixels(got), ends.pixels);
    EXPECT_EQ(got.streamEnd, got.entryEnd);
}

TEST(ShortestStream, BuilderNamesTheEntryItRefuses)
{
    int failed = -1;
    ContainerBuilder big;
    big.entry(solidImage(1, 1, 0)).rawEntry(Bytes(70000, 1)).entry(solidImage(1, 1, 0));
    const auto refused = big.build(&failed);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(refused.error().refusal, Refusal::EntryTooLarge);
    EXPECT_EQ(refused.error().entry, 1);
    EXPECT_EQ(refused.error().count, 70000);

    ContainerBuilder many;
    for (int i = 0; i < 256; ++i) many.entry(solidImage(1, 1, 0, greyRamp(1)));
    failed = -1;
    EXPECT_FALSE(many.build(&failed).has_value());
    EXPECT_EQ(failed, 255);
}

TEST(ShortestStream, BuilderKeepsAGivenLabel)
{
    ContainerLabel label{};
    label.fill(0xAB);
    const Bytes container = built(ContainerBuilder().header(label, 0x5A).entry(solidImage(1, 1, 0)));
    EXPECT_TRUE(std::equal(label.begin(), label.end(), container.begin()));
    EXPECT_EQ(container[28], 1);
    EXPECT_EQ(container[29], 0x5A);
}

// --- the order of colours -----------------------------------------------------

namespace {

// A colour of one of four kinds: ending in 0xFF, starting with 0xFE, both,
// or neither; `tag` tells colours of one kind apart.
Rgb kindColour(int kind, std::uint8_t tag)
{
    switch (kind) {
    case 0: return {0x10, tag, 0xFF};
    case 1: return {0xFE, tag, 0x10};
    case 2: return {0xFE, tag, 0xFF};
    default: return {0x20, tag, 0x30};
    }
}

std::vector<Rgb> inOrder(const std::vector<Rgb>& colours, const std::vector<int>& order)
{
    std::vector<Rgb> out;
    for (const int k : order) out.push_back(colours[static_cast<std::size_t>(k)]);
    return out;
}

}  // namespace

TEST(MarkerFreeOrder, IsTheEarliestOrderEveryPermutationAllows)
{
    std::mt19937 rng(31337);
    for (int round = 0; round < 600; ++round) {
        const int n = 1 + static_cast<int>(rng() % 7);
        const int fixed = rng() % 3 == 0 ? 1 : 0;
        std::vector<Rgb> colours;
        for (int k = 0; k < n; ++k)
            colours.push_back(kindColour(static_cast<int>(rng() % 4), static_cast<std::uint8_t>(k)));

        // the first permutation (keeping the fixed front) without a pair
        std::vector<int> perm(static_cast<std::size_t>(n));
        std::iota(perm.begin(), perm.end(), 0);
        std::optional<std::vector<int>> earliest;
        do {
            if (markerPairAt(inOrder(colours, perm)) < 0) {
                earliest = perm;
                break;
            }
        } while (std::next_permutation(perm.begin() + fixed, perm.end()));

        const auto order = markerFreeOrder(colours, fixed);
        ASSERT_EQ(order.has_value(), earliest.has_value()) << "round " << round;
        if (order) {
            EXPECT_EQ(*order, *earliest) << "round " << round;
        }
    }
}

TEST(MarkerFreeOrder, KeepsAnOrderThatHasNoPair)
{
    const std::vector<Rgb> colours = {{1, 2, 3}, {0xFE, 0, 0}, {0, 0, 0xFF}, {5, 5, 5}};
    EXPECT_EQ(markerPairAt(colours), -1);
    EXPECT_EQ(markerFreeOrder(colours), (std::vector<int>{0, 1, 2, 3}));
}

TEST(MarkerFreeOrder, ColoursThatHoldThePairThemselves)
{
    EXPECT_TRUE(holdsMarkerPair({0xFF, 0xFE, 0}));
    EXPECT_TRUE(holdsMarkerPair({0, 0xFF, 0xFE}));
    EXPECT_FALSE(holdsMarkerPair({0xFE, 0xFF, 0}));
    EXPECT_FALSE(markerFreeOrder({{1, 1, 1}, {0xFF, 0xFE, 0}}).has_value());
    EXPECT_EQ(markerPairAt({{1, 1, 1}, {0xFF, 0xFE, 0}}), 1);
    EXPECT_EQ(markerPairAt({{1, 1, 0xFF}, {0xFE, 0, 0}}), 0);
    // two colours that both start with 0xFE and end in 0xFF, and nothing between
    EXPECT_FALSE(markerFreeOrder({{0xFE, 1, 0xFF}, {0xFE, 2, 0xFF}}).has_value());
    EXPECT_EQ(markerFreeOrder({{0xFE, 1, 0xFF}, {0xFE, 2, 0xFF}, {3, 3, 3}}), (std::vector<int>{0, 2, 1}));
}

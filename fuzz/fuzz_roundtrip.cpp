// Writer round trip: images made from the input bytes are written with
// ContainerBuilder, and decoding each row on a fresh palette must give the
// same size, every pixel, and the colours back.
//
// Input layout:
//   byte 0            entry count, 1 + (byte % 6)
//   per entry         width (2 bytes LE, & 0x7FFF), height (2 bytes LE,
//                     & 0x7FFF), colour count - 1 (1 byte), the colours
//                     (3 bytes each), then pixel pieces until the image is
//                     full: a value byte (taken modulo the colour count) and
//                     a repeat byte r, giving 1 + (r & 7) pixels for r < 192
//                     and (r - 191) * 4099 pixels above (runs past the
//                     65000-pixel limit of one code). Missing bytes read as 0,
//                     so an image the input runs out in ends in pixels of value 0.
// All images of one input together have at most pixelBudget(input size)
// pixels, the height cut to fit.
#include "FuzzSupport.h"

#include "container/Container.h"
#include "container/ContainerWriter.h"
#include "decode/Decoder.h"

#include <algorithm>
#include <string>

using namespace zpk;
using namespace zpk::fuzz;

namespace {

// The budget never exceeds this many pixels, so that one input runs in
// milliseconds; it still allows 4001 x 65 for clipping and runs longer than
// one code carries.
constexpr std::int64_t kMaxTotalPixels = 1 << 18;

class InputBytes {
public:
    InputBytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t next() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    int next16() { return next() | (next() << 8); }
    bool done() const { return m_pos >= m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

WriterImage makeImage(InputBytes& in, std::int64_t& budget)
{
    WriterImage image;
    image.width = in.next16() & 0x7FFF;
    image.height = in.next16() & 0x7FFF;
    if (static_cast<std::int64_t>(image.width) * image.height > budget)
        image.height = static_cast<int>(budget / std::max(image.width, 1));
    const std::int64_t area = static_cast<std::int64_t>(image.width) * image.height;
    budget -= area;

    const int colourCount = 1 + in.next();
    for (int i = 0; i < colourCount; ++i) {
        const std::uint8_t r = in.next();
        const std::uint8_t g = in.next();
        const std::uint8_t b = in.next();
        image.colours.push_back({r, g, b});
    }
    image.pixels.reserve(static_cast<std::size_t>(area));
    while (static_cast<std::int64_t>(image.pixels.size()) < area && !in.done()) {
        const auto value = static_cast<std::uint8_t>(in.next() % colourCount);
        const std::uint8_t r = in.next();
        const std::int64_t repeat = r < 192 ? 1 + (r & 7) : (r - 191) * 4099LL;
        const std::int64_t n = std::min(repeat, area - static_cast<std::int64_t>(image.pixels.size()));
        image.pixels.insert(image.pixels.end(), static_cast<std::size_t>(n), value);
    }
    // the pieces missing bytes would give, at once
    image.pixels.resize(static_cast<std::size_t>(area), 0);
    return image;
}

// The writer refuses colours that hold the palette's end marker, a last
// colour ending in 0xFF before an entry starting with 0xFE, and entries
// larger than a size field can hold (but the last): nothing else.
bool isExpectedRefusal(const Error& e)
{
    if (e.code != ErrorCode::InvalidImage) return false;
    switch (e.refusal) {
    case Refusal::WriterColourMarker:
    case Refusal::WriterColoursMarker:
    case Refusal::LastColourMeetsNext:
    case Refusal::EntryTooLarge: return true;
    default: return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    InputBytes in(data, size);
    const int count = 1 + in.next() % 6;
    std::int64_t budget = std::min(kMaxTotalPixels, pixelBudget(size));
    std::vector<WriterImage> images;
    ContainerBuilder builder;
    for (int i = 0; i < count; ++i) {
        images.push_back(makeImage(in, budget));
        builder.entry(images.back());
    }

    auto bytes = builder.build();
    if (!bytes) {
        FUZZ_CHECK(isExpectedRefusal(bytes.error()));
        return 0;
    }
    auto parsed = parseContainer(std::move(*bytes), "roundtrip.zpk");
    FUZZ_CHECK(parsed.has_value());
    const ContainerFile& file = *parsed;
    FUZZ_CHECK_EQ(file.rowCount(), count);

    for (int row = 0; row < count; ++row) {
        const WriterImage& want = images[static_cast<std::size_t>(row)];
        Palette palette{};
        const DecodedImage got = decodeEntry(file, row, palette);
        FUZZ_CHECK(got.hasData);
        FUZZ_CHECK_EQ(got.imageWidth, want.width);
        FUZZ_CHECK_EQ(got.imageHeight, want.height);
        const std::int64_t area = static_cast<std::int64_t>(want.width) * want.height;
        FUZZ_CHECK_EQ(got.produced, area);
        if (area > 0) FUZZ_CHECK_EQ(got.streamEnd, got.entryEnd);  // the stream fills the entry exactly

        // every stored pixel, row by row
        FUZZ_CHECK_EQ(got.clippedWidth, area > 0 ? std::min(want.width, kMaxGridSide) : 0);
        FUZZ_CHECK_EQ(got.clippedHeight, area > 0 ? std::min(want.height, kMaxGridSide) : 0);
        const auto clippedWidth = static_cast<std::size_t>(got.clippedWidth);
        for (int y = 0; y < got.clippedHeight; ++y) {
            const auto* line =
                want.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(want.width);
            const auto* stored = got.pixels.data() + static_cast<std::size_t>(y) * clippedWidth;
            if (std::equal(line, line + clippedWidth, stored)) continue;
            const auto x = std::mismatch(line, line + clippedWidth, stored).first - line;
            std::fprintf(stderr, "row %d: pixel (%td, %d) is %d, written %d\n", row, x, y, stored[x],
                         line[x]);
            FUZZ_CHECK(stored[x] == line[x]);
        }
        // pixel value v takes palette entry v + 2
        for (std::size_t v = 0; v < want.colours.size(); ++v) {
            const Rgb c = want.colours[v];
            FUZZ_CHECK_EQ(palette[v + 2], makeColour(c.red, c.green, c.blue));
        }
        // triplet 1 (the height's high byte and two zeros), then the colours
        FUZZ_CHECK_EQ(got.storedColours, static_cast<std::int64_t>(want.colours.size()) + 1);
    }
    return 0;
}

#include "decode/Decoder.h"

#include "decode/ColourRamp.h"

#include <algorithm>
#include <cassert>

namespace zpk {

namespace {

constexpr std::int64_t kRunCodeLength = 5;

int signed16(unsigned low, unsigned high)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
}

// Writes pixels by their 0-based index in row order into the clipped image.
// Pixels arrive in row order, so each stored piece lands right behind the
// last: the buffer is appended to (each byte written once) and what the
// stream never produced is filled with 0 at the end. Indices past the image
// are the caller's to avoid.
class PixelSink {
public:
    explicit PixelSink(DecodedImage& image)
        : m_pixels(image.pixels),
          m_width(image.imageWidth),
          m_clippedWidth(image.clippedWidth),
          m_storedEnd(static_cast<std::int64_t>(image.clippedHeight) * image.imageWidth),
          m_storedCount(static_cast<std::size_t>(image.clippedWidth) *
                        static_cast<std::size_t>(image.clippedHeight)),
          m_unclipped(image.clippedWidth == image.imageWidth)
    {
        m_pixels.clear();
        m_pixels.reserve(m_storedCount);
    }

    void fill(std::int64_t first, std::int64_t count, std::uint8_t value)
    {
        forEachSegment(first, count, [&](std::size_t to, std::int64_t, std::size_t n) {
            placeAt(to);
            m_pixels.resize(m_pixels.size() + n, value);
        });
    }

    void copy(std::int64_t first, const std::uint8_t* from, std::int64_t count)
    {
        forEachSegment(first, count, [&](std::size_t to, std::int64_t offset, std::size_t n) {
            placeAt(to);
            m_pixels.insert(m_pixels.end(), from + offset, from + offset + n);
        });
    }

    // Pixels the stream did not produce are 0.
    void finish() { m_pixels.resize(m_storedCount, 0); }

private:
    // Calls f(storage index, offset within the span, length) for each piece
    // of [first, first + count) that lies in stored columns and rows.
    template <typename F>
    void forEachSegment(std::int64_t first, std::int64_t count, F f)
    {
        std::int64_t end = std::min(first + count, m_storedEnd);
        if (first >= end) return;
        if (m_unclipped) {
            f(static_cast<std::size_t>(first), 0, static_cast<std::size_t>(end - first));
            return;
        }
        std::int64_t k = first;
        while (k < end) {
            const std::int64_t y = k / m_width;
            const std::int64_t x = k % m_width;
            const std::int64_t rowEnd = std::min(end, (y + 1) * m_width);
            if (x < m_clippedWidth) {
                const std::int64_t stop = std::min(rowEnd, y * m_width + m_clippedWidth);
                f(static_cast<std::size_t>(y * m_clippedWidth + x), k - first,
                  static_cast<std::size_t>(stop - k));
            }
            k = rowEnd;
        }
    }

    // Pieces arrive in storage order with no gap; a gap would stay 0.
    void placeAt(std::size_t to)
    {
        assert(to >= m_pixels.size());
        if (to > m_pixels.size()) m_pixels.resize(to, 0);
    }

    std::vector<std::uint8_t>& m_pixels;
    std::int64_t m_width;
    std::int64_t m_clippedWidth;
    std::int64_t m_storedEnd;   // index of the first pixel in a row past the stored ones
    std::size_t m_storedCount;  // clippedWidth x clippedHeight
    bool m_unclipped;
};

// The pre-scan: every 0xFF 0xFE pair from entryStart to entryEnd, both
// included, adds its length minus 5. It moves one byte at a time, so pairs
// inside the header, the triplets or a run code count too, and so does a
// pair at entryEnd (the next entry's first byte). A pair whose length bytes
// lie past the file adds nothing.
std::int64_t preScan(const ByteReader& bytes, std::int64_t entryStart, std::int64_t entryEnd)
{
    std::int64_t runExtra = 0;
    if (entryEnd < entryStart) return 0;
    const std::int64_t to = entryEnd + 1;
    for (std::int64_t p = bytes.findPair(entryStart, to); p < to; p = bytes.findPair(p + 1, to)) {
        if (const auto length = bytes.u16(p + 3))
            runExtra += static_cast<std::int64_t>(*length) - kRunCodeLength;
    }
    return runExtra;
}

// The stored palette: triplets from entryStart on, up to the first position
// q > entryStart where a 0xFF 0xFE pair begins or q equals `target`. A pair
// test that would read past the file stops the loop too, so it ends at
// fileLength at the latest (or just behind entryStart when that is the zero
// byte itself). Returns the stop position; fills entries 1 to 257.
std::int64_t readStoredPalette(const ByteReader& bytes, std::int64_t entryStart, std::int64_t target,
                               Palette& palette, std::int64_t& storedColours)
{
    const std::int64_t fileLength = bytes.size() - 1;
    std::int64_t stop = std::max(fileLength, entryStart + 1);
    if (target > entryStart) stop = std::min(stop, target);
    stop = bytes.findPair(entryStart + 1, stop);

    // a triplet still incomplete when the loop stops is not stored
    storedColours = (stop - entryStart) / 3;
    const std::int64_t useful = std::min<std::int64_t>(storedColours, kPaletteEntries - 1);
    const auto triplets = bytes.span(entryStart, useful * 3);
    for (std::int64_t k = 0; k < useful; ++k) {
        const auto i = static_cast<std::size_t>(3 * k);
        palette[static_cast<std::size_t>(k + 1)] = makeColour(triplets[i], triplets[i + 1], triplets[i + 2]);
    }
    return stop;
}

// Run-length decoding from `readPos` until width x height pixels are
// produced or passed (a run overshoots), or until the next step would read
// past the file. Each step tests byte(readPos) and byte(readPos + 1) for a
// run code first, so the zero byte behind the data never becomes a pixel.
void decodePixels(const ByteReader& bytes, std::int64_t readPos, DecodedImage& image)
{
    const std::int64_t total = image.pixelCount();
    PixelSink sink(image);
    std::int64_t count = 0;
    // a step at readPos needs readPos + 1 inside the buffer
    const std::int64_t stepEnd = bytes.size() - 1;
    while (count < total && readPos < stepEnd) {
        // every byte before the next 0xFF 0xFE pair is a literal, a 0xFF not
        // followed by 0xFE (one pixel of value 255) included
        const std::int64_t limit = std::min(stepEnd, readPos + (total - count));
        const std::int64_t pair = bytes.findPair(readPos, limit);
        if (pair > readPos) {
            const std::int64_t n = pair - readPos;
            sink.copy(count, bytes.span(readPos, n).data(), n);
            count += n;
            readPos = pair;
            continue;
        }
        const auto code = bytes.span(readPos, kRunCodeLength);
        if (code.empty()) break;  // value or length bytes past the file
        const std::int64_t length = code[3] | (code[4] << 8);
        const std::int64_t n = std::min(length, total - count);  // an overshoot is not drawn
        sink.fill(count, n, code[2]);
        count += length;
        ++image.runCodes;
        readPos += kRunCodeLength;
    }
    image.produced = std::min(count, total);
    image.streamEnd = readPos;
    sink.finish();
}

}  // namespace

std::optional<EntrySize> entrySize(const ContainerFile& file, int row)
{
    if (!file.isLoaded() || row < 0 || row >= file.rowCount()) return std::nullopt;
    // the entry's first byte lies 3 before its list text's number
    const auto header = file.reader().span(file.entryStart(row) - 3, 4);
    if (header.empty()) return std::nullopt;  // an entry at or past the end: no data
    return entrySizeFrom({header[0], header[1], header[2], header[3]});
}

EntrySize entrySizeFrom(const std::array<std::uint8_t, 4>& head)
{
    return EntrySize{signed16(head[0], head[1]), signed16(head[2], head[3])};
}

DecodedImage decodeEntry(const ContainerFile& file, int row, Palette& palette, const PictureOptions& options)
{
    DecodedImage image;
    image.row = row;
    const std::optional<EntrySize> size = entrySize(file, row);
    if (!size) return image;

    const ByteReader bytes = file.reader();
    image.entryStart = file.entryStart(row);
    image.entryEnd = file.entryEnd(row);
    image.hasData = true;
    image.imageWidth = size->width;
    image.imageHeight = size->height;

    image.runExtra = preScan(bytes, image.entryStart, image.entryEnd);
    // the signed product, also for a negative width or height
    const std::int64_t area = static_cast<std::int64_t>(image.imageWidth) * image.imageHeight;
    image.streamStart = readStoredPalette(bytes, image.entryStart, image.entryEnd - area + image.runExtra,
                                          palette, image.storedColours);
    if (options.externalPalette) {
        // the stored colours are still read past: the stream starts after them
        const std::vector<Colour>& external = *options.externalPalette;
        for (std::size_t v = 0; v + 2 < palette.size(); ++v)
            palette[v + 2] = v < external.size() ? external[v] : makeColour(0, 0, 0);
    }
    if (options.userColor) applyColourRamp(palette, options.color1, options.color2, options.color3);

    image.streamEnd = image.streamStart;
    if (image.pixelCount() == 0) return image;  // width or height below 1: nothing to draw
    image.clippedWidth = std::min(image.imageWidth, kMaxGridSide);
    image.clippedHeight = std::min(image.imageHeight, kMaxGridSide);
    decodePixels(bytes, image.streamStart, image);
    return image;
}

}  // namespace zpk

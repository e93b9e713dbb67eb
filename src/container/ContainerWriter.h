// Building containers from images, such that decoding gives exactly those
// pixels back.
//
// An entry is written as: width and height (16-bit little-endian), two zero
// bytes (the green and blue of triplet 1, which colours no pixel), the
// colour of pixel value v at offset 6 + 3v, then the pixel stream. Runs of
// five or more equal pixels become run codes; everything else is literal.
// Since the decoder finds the palette's end and counts runs by looking for
// 0xFF 0xFE pairs one byte at a time, the stream never holds such a pair
// except as the start of a run code:
//   - a 0xFE right behind a 0xFF (a literal, the palette's last byte) is
//     written as a run of length 1, which starts with 0xFF;
//   - a run of value 0xFF never has a length whose low byte is 0xFE, and no
//     run is longer than 65000, so a length's high byte is never 0xFF;
//   - a stream ending in a literal 0xFF before a next entry that starts
//     with 0xFE ends in a run of length 1 instead.
// A palette that itself holds the pair is reported, not written.
#pragma once

#include "state/Result.h"

#include <cstdint>
#include <variant>
#include <vector>

namespace zpk {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct WriterImage {
    int width = 0;                     // 0 to 32767
    int height = 0;                    // 0 to 32767
    std::vector<Rgb> colours;          // colours[v] colours pixel value v (at most 256)
    std::vector<std::uint8_t> pixels;  // width x height values, row by row, each below colours.size()
};

// The longest run one code carries here (see above).
constexpr int kMaxWrittenRun = 65000;

// Encodes one entry. `nextByte` is the first byte of the entry behind it,
// or -1 when it is the last.
Result<std::vector<std::uint8_t>> encodeEntry(const WriterImage& image, int nextByte = -1);

// The 30 bytes of the header (zeros, the count N = sizes.size() taken
// modulo 256, a zero) and the size table behind it. Every size is written
// as given, whether or not it fits the data that follows.
std::vector<std::uint8_t> containerHeader(const std::vector<std::uint16_t>& sizes);

class ContainerBuilder {
public:
    ContainerBuilder& entry(WriterImage image);
    // An entry written as given, for malformed or hand-made data.
    ContainerBuilder& rawEntry(std::vector<std::uint8_t> bytes);

    // The container: 28 header bytes, the count, a zero, the size table and
    // the entries. Every entry but the last must fit 65535 bytes; at most
    // 255 entries.
    Result<std::vector<std::uint8_t>> build() const;

private:
    std::vector<std::variant<WriterImage, std::vector<std::uint8_t>>> m_entries;
};

}  // namespace zpk

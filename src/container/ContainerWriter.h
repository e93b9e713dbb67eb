// Building containers from images, such that decoding gives exactly those
// pixels back.
//
// An entry is written as: width and height (16-bit little-endian), two zero
// bytes (the green and blue of triplet 1, which colours no pixel), the
// colour of pixel value v at offset 6 + 3v, then the pixel stream: the
// shortest stream of literal bytes and run codes (0xFF 0xFE v lengthLow
// lengthHigh) that decodes to exactly the pixels. Where a run code is as
// short as the literal bytes it stands for (five equal pixels), the run code
// is written. Since the decoder finds the palette's end and counts runs by
// looking for 0xFF 0xFE pairs one byte at a time, the entry never holds such
// a pair except as the start of a run code:
//   - a literal 0xFE never follows a literal 0xFF or the palette's last
//     byte 0xFF: one of the two goes into a run code (whichever gives the
//     shorter stream);
//   - a run of value 0xFF never has a length whose low byte is 0xFE, and no
//     run is longer than 65000, so a length's high byte is never 0xFF;
//   - a stream never ends in a literal 0xFF before a next entry that starts
//     with 0xFE.
// Colours that hold the pair themselves are reported, not written;
// markerFreeOrder finds an order of colours that keeps them apart.
#pragma once

#include "state/Result.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
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

// The widest and tallest image an entry stores: width and height are
// signed 16-bit values, and below 1 nothing is drawn.
constexpr int kMaxImageSide = 32767;

// Encodes one entry. `nextByte` is the first byte of the entry behind it,
// or -1 when it is the last.
Result<std::vector<std::uint8_t>> encodeEntry(const WriterImage& image, int nextByte = -1);

// Where the colours, stored in this order behind the two zero bytes, hold
// the bytes 0xFF 0xFE: the index of the colour whose byte begins the pair
// (inside it, or its blue before the next one's red), or -1 when nowhere.
int markerPairAt(const std::vector<Rgb>& colours);

// Whether a colour holds 0xFF 0xFE within itself (red and green, or green
// and blue), which no order can help.
bool holdsMarkerPair(const Rgb& colour);

// An order in which `colours` hold no 0xFF 0xFE pair: order[k] is the index
// in `colours` of the colour stored k-th. The first `fixed` colours keep
// their places; the others keep their given order wherever it can stay: at
// each place the earliest colour that neither makes a pair with the one
// before nor leaves the rest without an order. Nothing when no order exists
// (a colour holds the pair itself, or too many colours end in 0xFF and
// start with 0xFE).
std::optional<std::vector<int>> markerFreeOrder(const std::vector<Rgb>& colours, int fixed = 0);

// The 30 bytes of the header (zeros, the count N = sizes.size() taken
// modulo 256, a zero) and the size table behind it. Every size is written
// as given, whether or not it fits the data that follows.
std::vector<std::uint8_t> containerHeader(const std::vector<std::uint16_t>& sizes);

// The bytes in front of the count: 28 bytes that no reader looks at.
using ContainerLabel = std::array<std::uint8_t, 28>;

// A container to write, as pieces: the header, made from the entries'
// lengths, and behind it each entry's bytes, either borrowed (a slice of a
// loaded file, which must outlive the plan) or kept by the plan. A
// container rewritten from a loaded file is written from that file's bytes,
// without a copy.
class ContainerPlan {
public:
    // The first 28 bytes and byte 29 of the header (default: the text
    // "zpkview container" and zeros).
    ContainerPlan& header(const ContainerLabel& label, std::uint8_t byte29 = 0);
    ContainerPlan& borrow(std::span<const std::uint8_t> bytes);
    ContainerPlan& own(std::vector<std::uint8_t> bytes);

    int entryCount() const { return static_cast<int>(m_entries.size()); }
    std::span<const std::uint8_t> entry(int j) const { return m_entries[static_cast<std::size_t>(j)]; }
    // The header's length and the entries' together.
    std::int64_t size() const;

    // The pieces to write: the header, then the entries in order. Every
    // entry but the last must fit 65535 bytes; at most 255 entries; else
    // ErrorCode::InvalidImage, and `failedEntry` (if given) receives the
    // entry at fault.
    Result<std::vector<std::span<const std::uint8_t>>> parts(int* failedEntry = nullptr);
    // The same in one buffer.
    Result<std::vector<std::uint8_t>> bytes(int* failedEntry = nullptr);

private:
    ContainerLabel m_label{};
    std::uint8_t m_byte29 = 0;
    std::vector<std::uint8_t> m_header;
    std::vector<std::span<const std::uint8_t>> m_entries;
    // a moved vector keeps its buffer, so the spans stay good as this grows
    std::vector<std::vector<std::uint8_t>> m_owned;
    bool m_labelled = false;
};

// Why entry j of a container of `count` entries cannot be `size` bytes
// long (only the last may be longer than 65535), or nothing.
std::optional<Error> entrySizeProblem(std::size_t j, std::size_t size, std::size_t count);

class ContainerBuilder {
public:
    ContainerBuilder& entry(WriterImage image);
    // An entry written as given, for malformed or hand-made data.
    ContainerBuilder& rawEntry(std::vector<std::uint8_t> bytes);
    // The first 28 bytes and byte 29 of the header (default: the text
    // "zpkview container" and zeros), so that a rewritten file keeps its own.
    ContainerBuilder& header(const ContainerLabel& label, std::uint8_t byte29 = 0);

    // The container: 28 header bytes, the count, a zero, the size table and
    // the entries. Every entry but the last must fit 65535 bytes; at most
    // 255 entries. Each image is encoded knowing the first byte of the
    // entry behind it (skipping raw entries of no bytes). When an entry is
    // refused, or is one too many, `failedEntry` (if given) receives its
    // index.
    Result<std::vector<std::uint8_t>> build(int* failedEntry = nullptr) const;

private:
    std::vector<std::variant<WriterImage, std::vector<std::uint8_t>>> m_entries;
    std::optional<ContainerLabel> m_label;
    std::uint8_t m_byte29 = 0;
};

}  // namespace zpk

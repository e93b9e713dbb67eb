#include "gif/GifWriter.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <limits>
#include <utility>

namespace zpk {

// What giflib writes, gathered into pieces of this size before the sink sees
// it: giflib hands over a few bytes at a time, often one.
constexpr std::size_t kOutputChunk = std::size_t{64} * 1024;

struct GifOutput {
    explicit GifOutput(ByteSink s) : sink(std::move(s)) { pending.reserve(kOutputChunk); }

    // Hands the gathered bytes on; false once the sink has failed.
    bool flush()
    {
        if (err == 0 && !pending.empty()) err = sink(pending);
        pending.clear();
        return err == 0;
    }

    ByteSink sink;  // a copy: a sink made for the call may end before the writer
    std::vector<std::uint8_t> pending;
    int err = 0;  // the sink's errno: nothing more is handed on
};

namespace {

GifFileType* gifOf(void* gif) { return static_cast<GifFileType*>(gif); }

// giflib's output function: the bytes are gathered, then handed on.
int gatherBytes(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<GifOutput*>(gif->UserData);
    if (out->err != 0) return 0;
    out->pending.insert(out->pending.end(), data, data + length);
    if (out->pending.size() >= kOutputChunk && !out->flush()) return 0;
    return length;
}

Error gifError(int code)
{
    const char* words = GifErrorString(code);
    return makeDetailedError(ErrorCode::CannotEncodeGif,
                             words != nullptr ? words : "giflib error " + std::to_string(code));
}

// The colours of an RGBA frame, numbered in the order they first appear:
// an open-addressed table from 0xBBGGRR to the number.
class FrameColours {
public:
    // The number of `rgb`, or -1 when it is not in the table.
    int find(std::uint32_t rgb) const
    {
        const std::uint32_t key = rgb | kUsed;
        if (key == m_lastKey) return m_lastId;
        for (std::uint32_t slot = hash(key);; slot = (slot + 1) & (kSlots - 1)) {
            if (m_keys[slot] == key) {
                m_lastKey = key;
                m_lastId = m_ids[slot];
                return m_lastId;
            }
            if (m_keys[slot] == 0) return -1;
        }
    }

    // Adds `rgb` unless the table holds it; false when it is the 257th colour.
    bool add(std::uint32_t rgb)
    {
        if (find(rgb) >= 0) return true;
        if (count() == kMaxGifColours) return false;
        const std::uint32_t key = rgb | kUsed;
        std::uint32_t slot = hash(key);
        while (m_keys[slot] != 0) slot = (slot + 1) & (kSlots - 1);
        m_keys[slot] = key;
        m_ids[slot] = static_cast<std::uint16_t>(count());
        m_colours.push_back(rgb);
        return true;
    }

    int count() const { return static_cast<int>(m_colours.size()); }
    const std::vector<Colour>& colours() const { return m_colours; }

private:
    // Four times the colours a frame may have, so that probes stay short.
    static constexpr std::uint32_t kSlots = 4 * kMaxGifColours;
    static constexpr std::uint32_t kUsed = 1u << 24;  // a used slot's key, so that 0 is free

    // Fibonacci hashing: the top 10 bits of the 32-bit product, an index of kSlots
    static std::uint32_t hash(std::uint32_t key) { return (key * 2654435761u) >> 22; }

    std::array<std::uint32_t, kSlots> m_keys{};
    std::array<std::uint16_t, kSlots> m_ids{};
    std::vector<Colour> m_colours;
    mutable std::uint32_t m_lastKey = 0;  // runs of one colour skip the probe
    mutable int m_lastId = -1;
};

const std::uint8_t* pixelOf(const RgbaImage& frame, int x, int y)
{
    return frame.rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.width) +
                                static_cast<std::size_t>(x)) *
                                   4;
}

std::uint32_t rgbOf(const std::uint8_t* p) { return makeColour(p[0], p[1], p[2]); }

// The rectangle around some pixels, and how many they are.
struct PixelBox {
    int left = std::numeric_limits<int>::max();
    int top = std::numeric_limits<int>::max();
    int right = -1;  // inclusive
    int bottom = -1;
    std::int64_t pixels = 0;

    void add(int x, int y)
    {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        ++pixels;
    }
    void add(const PixelBox& other)
    {
        left = std::min(left, other.left);
        right = std::max(right, other.right);
        top = std::min(top, other.top);
        bottom = std::max(bottom, other.bottom);
        pixels += other.pixels;
    }
    void placeOn(GifBlock& block) const
    {
        block.left = left;
        block.top = top;
        block.width = right - left + 1;
        block.height = bottom - top + 1;
    }
};

}  // namespace

Result<std::unique_ptr<GifWriter>> GifWriter::open(int width, int height, int loops, const ByteSink& sink)
{
    assert(width >= 1 && width <= kMaxGifSide && height >= 1 && height <= kMaxGifSide);
    assert(loops >= 0 && loops <= kMaxGifLoops);
    std::unique_ptr<GifWriter> writer(new GifWriter());
    writer->m_output = std::make_unique<GifOutput>(sink);
    writer->m_width = width;
    writer->m_height = height;
    int code = 0;
    GifFileType* gif = EGifOpen(writer->m_output.get(), gatherBytes, &code);
    if (gif == nullptr) return gifError(code);
    writer->m_gif = gif;
    EGifSetGifVersion(gif, true);  // the graphic control extensions are GIF89a's
    // 8 bits of colour resolution; no global colour table, every block has its own
    if (EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_ERROR) return *writer->failure();
    if (loops != 1) {
        // NETSCAPE2.0: sub-block 1 holds how many times the animation repeats
        // after it is first shown, 0 for ever
        const int repeats = loops == 0 ? 0 : loops - 1;
        static constexpr GifByteType kApplication[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
        const GifByteType count[] = {1, static_cast<GifByteType>(repeats & 0xFF),
                                     static_cast<GifByteType>(repeats >> 8)};
        if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
            EGifPutExtensionBlock(gif, sizeof kApplication, kApplication) == GIF_ERROR ||
            EGifPutExtensionBlock(gif, sizeof count, count) == GIF_ERROR ||
            EGifPutExtensionTrailer(gif) == GIF_ERROR)
            return *writer->failure();
    }
    return writer;
}

GifWriter::~GifWriter()
{
    // a GIF left unfinished: its bytes go nowhere, giflib's memory is freed
    if (m_gif != nullptr) {
        m_output->err = m_output->err != 0 ? m_output->err : -1;
        EGifCloseFile(gifOf(m_gif), nullptr);
    }
}

std::optional<Error> GifWriter::failure() const
{
    if (m_output->err != 0) return makeError(ErrorCode::WriteFailed, "", m_output->err);
    return gifError(gifOf(m_gif)->Error);
}

std::optional<Error> GifWriter::writeBlock(const GifBlock& block, const GifRows& rows)
{
    assert(m_gif != nullptr);
    assert(block.left >= 0 && block.top >= 0 && block.width >= 1 && block.height >= 1);
    assert(block.width <= m_width - block.left && block.height <= m_height - block.top);
    assert(!block.colours.empty() && block.colours.size() <= static_cast<std::size_t>(kMaxGifColours));
    assert(block.transparent < static_cast<int>(block.colours.size()));
    assert(block.delay >= 0 && block.delay <= kMaxGifDelay);
    GifFileType* gif = gifOf(m_gif);

    GraphicsControlBlock control{};
    control.DisposalMode = block.disposal == GifDisposal::Clear ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = block.delay;
    control.TransparentColor = block.transparent < 0 ? NO_TRANSPARENT_COLOR : block.transparent;
    GifByteType extension[4];
    const auto length = static_cast<int>(EGifGCBToExtension(&control, extension));
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, length, extension) == GIF_ERROR) return failure();

    // a table's size is a power of two, at least 2: the colours, then black
    int size = 2;
    while (size < static_cast<int>(block.colours.size())) size *= 2;
    std::array<GifColorType, kMaxGifColours> table{};
    for (std::size_t i = 0; i < block.colours.size(); ++i) {
        const Colour c = block.colours[i];
        table[i] = {static_cast<GifByteType>(redOf(c)), static_cast<GifByteType>(greenOf(c)),
                    static_cast<GifByteType>(blueOf(c))};
    }
    ColorMapObject* map = GifMakeMapObject(size, table.data());
    if (map == nullptr) return makeError(ErrorCode::OutOfMemory);
    std::optional<Error> failed;
    if (EGifPutImageDesc(gif, block.left, block.top, block.width, block.height, false, map) == GIF_ERROR)
        failed = failure();
    m_line.resize(static_cast<std::size_t>(block.width));
    for (int y = 0; !failed && y < block.height; ++y) {
        rows(y, m_line.data());
        if (EGifPutLine(gif, m_line.data(), block.width) == GIF_ERROR) failed = failure();
    }
    GifFreeMapObject(map);
    if (failed) return failed;
    ++m_blocks;
    return std::nullopt;
}

std::optional<Error> GifWriter::writeFrame(const RgbaImage& frame, int delay)
{
    assert(frame.width >= 1 && frame.height >= 1);
    assert(frame.rgba.size() ==
           static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 4);
    FrameColours colours;
    bool transparent = false;
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* p = pixelOf(frame, 0, y);
        for (int x = 0; x < frame.width; ++x, p += 4) {
            if (p[3] == 0) {
                transparent = true;
            } else if (!colours.add(rgbOf(p))) {
                return makeRefusal(ErrorCode::CannotEncodeGif, Refusal::WriterTooManyColours);
            }
        }
    }
    const int count = colours.count();

    if (count < kMaxGifColours || !transparent) {
        GifBlock block;
        block.width = frame.width;
        block.height = frame.height;
        block.colours = colours.colours();
        block.transparent = transparent ? count : -1;
        if (transparent) block.colours.push_back(0);  // the transparent index shows nothing
        block.delay = delay;
        block.disposal = GifDisposal::Clear;
        const auto index = static_cast<std::uint8_t>(count);
        return writeBlock(block, [&](int y, std::uint8_t* out) {
            const std::uint8_t* p = pixelOf(frame, 0, y);
            for (int x = 0; x < frame.width; ++x, p += 4)
                out[x] = p[3] == 0 ? index : static_cast<std::uint8_t>(colours.find(rgbOf(p)));
        });
    }

    // 256 colours and transparent pixels: the colour of fewest pixels goes
    // in a block of its own, drawn last
    std::array<PixelBox, kMaxGifColours> boxes{};
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* p = pixelOf(frame, 0, y);
        for (int x = 0; x < frame.width; ++x, p += 4)
            if (p[3] != 0) boxes[static_cast<std::size_t>(colours.find(rgbOf(p)))].add(x, y);
    }
    const auto fewest = static_cast<int>(
        std::min_element(boxes.begin(), boxes.end(),
                         [](const PixelBox& a, const PixelBox& b) { return a.pixels < b.pixels; }) -
        boxes.begin());
    PixelBox most;
    for (int id = 0; id < count; ++id)
        if (id != fewest) most.add(boxes[static_cast<std::size_t>(id)]);
    PixelBox all = most;
    all.add(boxes[static_cast<std::size_t>(fewest)]);

    GifBlock first;
    most.placeOn(first);
    first.colours = colours.colours();
    first.colours.erase(first.colours.begin() + fewest);
    first.colours.push_back(0);
    first.transparent = kMaxGifColours - 1;
    first.delay = 0;
    first.disposal = GifDisposal::Keep;
    constexpr auto kClear = static_cast<std::uint8_t>(kMaxGifColours - 1);
    auto failed = writeBlock(first, [&](int y, std::uint8_t* out) {
        const std::uint8_t* p = pixelOf(frame, first.left, first.top + y);
        for (int x = 0; x < first.width; ++x, p += 4) {
            const int id = p[3] == 0 ? fewest : colours.find(rgbOf(p));
            out[x] = id == fewest ? kClear : static_cast<std::uint8_t>(id < fewest ? id : id - 1);
        }
    });
    if (failed) return failed;

    GifBlock last;
    all.placeOn(last);
    last.colours = {colours.colours()[static_cast<std::size_t>(fewest)], 0};
    last.transparent = 1;
    last.delay = delay;
    last.disposal = GifDisposal::Clear;
    return writeBlock(last, [&](int y, std::uint8_t* out) {
        const std::uint8_t* p = pixelOf(frame, last.left, last.top + y);
        for (int x = 0; x < last.width; ++x, p += 4)
            out[x] = p[3] != 0 && colours.find(rgbOf(p)) == fewest ? 0 : 1;
    });
}

std::optional<Error> GifWriter::finish()
{
    assert(m_gif != nullptr);
    int code = 0;
    if (EGifCloseFile(gifOf(std::exchange(m_gif, nullptr)), &code) == GIF_ERROR) {
        if (m_output->err != 0) return makeError(ErrorCode::WriteFailed, "", m_output->err);
        return gifError(code);
    }
    if (!m_output->flush()) return makeError(ErrorCode::WriteFailed, "", m_output->err);
    return std::nullopt;
}

}  // namespace zpk

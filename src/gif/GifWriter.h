// Animations as GIF89a files: a logical screen, an optional loop count (the
// NETSCAPE2.0 application extension) and image blocks, each with its own
// colour table of up to 256 colours, an optional transparent index, a delay
// in hundredths of a second and a disposal (a graphic control extension in
// front of it). The bytes go to a sink as giflib makes them, a frame at a
// time: the animation is never held whole.
#pragma once

#include "draw/Draw.h"
#include "state/ByteSink.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zpk {

// A GIF's sizes, delays and loop count are 16-bit fields.
inline constexpr int kMaxGifSide = 65535;
inline constexpr int kMaxGifDelay = 65535;
// The loop count of NETSCAPE2.0 repeats the animation up to 65535 more times.
inline constexpr int kMaxGifLoops = 65536;
// A colour table holds at most 256 colours, and a block's indices are bytes.
inline constexpr int kMaxGifColours = 256;

// What happens to a block's area once its delay has passed.
enum class GifDisposal {
    Keep,   // "do not dispose": the next block draws over it
    Clear,  // "restore to background": the area turns transparent
};

// One image block: a rectangle of the screen, drawn with its own colours.
struct GifBlock {
    int left = 0;
    int top = 0;
    int width = 0;  // 1 or more, and inside the screen
    int height = 0;
    std::vector<Colour> colours;  // the local colour table: 1 to 256 colours
    int transparent = -1;         // the index left undrawn, or -1 for none
    int delay = 0;                // hundredths of a second it stays before the next block
    GifDisposal disposal = GifDisposal::Keep;
};

// Writes the indices of row `y` of a block (width of them) into `out`.
using GifRows = std::function<void(int y, std::uint8_t* out)>;

// The sink behind a writer, with the bytes gathered for it (GifWriter.cpp).
struct GifOutput;

class GifWriter {
public:
    // Starts a GIF of a screen of width x height (1 to kMaxGifSide each)
    // that plays `loops` times in all (0: forever; 1: once, with no loop
    // extension; at most kMaxGifLoops), its bytes handed to `sink` (the
    // writer keeps a copy of it). Errors: ErrorCode::CannotEncodeGif (giflib's
    // words in detail) or ErrorCode::WriteFailed (the sink's errno).
    static Result<std::unique_ptr<GifWriter>> open(int width, int height, int loops, const ByteSink& sink);
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // Writes one block, fed to the encoder a row at a time.
    std::optional<Error> writeBlock(const GifBlock& block, const GifRows& rows);

    // Writes an RGBA picture exactly, at the top-left of the screen, shown
    // for `delay` hundredths and then cleared: pixels of alpha 0 are
    // transparent, all others opaque. Up to 255 colours (256 with no
    // transparent pixel) make one block over the whole picture. 256 colours
    // and transparent pixels need 257 indices, one more than a table holds,
    // so they make two blocks: first every colour but the one of fewest
    // pixels, around their pixels, kept and shown for no time; then that
    // one colour around all the picture's pixels, the rest transparent,
    // with the delay, cleared with it (which clears the first block too).
    // More than 256 colours are refused (ErrorCode::CannotEncodeGif,
    // Refusal::WriterTooManyColours).
    std::optional<Error> writeFrame(const RgbaImage& frame, int delay);

    // Ends the GIF (its trailer) and hands on what is left of its bytes.
    std::optional<Error> finish();

    int blocksWritten() const { return m_blocks; }

private:
    GifWriter() = default;
    std::optional<Error> failure() const;

    std::unique_ptr<GifOutput> m_output;
    void* m_gif = nullptr;  // the GifFileType giflib keeps for us
    int m_width = 0;
    int m_height = 0;
    int m_blocks = 0;
    std::vector<std::uint8_t> m_line;
};

}  // namespace zpk

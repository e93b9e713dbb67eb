// Entries out as one animated GIF: each row a frame, the very picture
// `zpk export` writes for it (exportPicture), in the order given.
#pragma once

#include "container/Container.h"
#include "state/ByteSink.h"
#include "state/PictureOptions.h"
#include "state/Result.h"

#include <functional>
#include <vector>

namespace zpk {

// A frame shorter than 2/100 s is slowed down by browsers.
inline constexpr int maxGifFramesPerSecond = 50;

struct GifOptions {
    int framesPerSecond = 10;  // 1 to maxGifFramesPerSecond
    int loops = 0;  // 0: forever; N >= 1: N times in all (1: no loop extension); at most kMaxGifLoops
    // Called after each row, a frame or skipped, with the rows done and the
    // total; false cancels the animation (ErrorCode::Cancelled).
    std::function<bool(int done, int total)> progress{};
};

struct WrittenGif {
    int width = 0;  // the logical screen: the widest frame and the highest
    int height = 0;
    int frames = 0;
    std::vector<Error> skipped;  // the rows that did not decode, Error::row set
};

// Writes the GIF of `rows` of `file` into `sink`, one frame at a time: the
// screen is as wide as the widest frame and as high as the highest, each
// frame sits at its top-left, its pixels of alpha 0 are transparent and it
// is cleared before the next (GifWriter::writeFrame). A row that does not
// decode is skipped and listed; when none decodes, ErrorCode::NoFrames and
// nothing is written. Other errors: the encoder's, ErrorCode::WriteFailed
// of the sink, ErrorCode::Cancelled.
Result<WrittenGif> writeGif(const ContainerFile& file, const std::vector<int>& rows,
                            const PictureOptions& picture, const GifOptions& gif, const ByteSink& sink);

// What makes that GIF into a file's bytes (see writeFileAtomically); it
// fills `written` as it goes, so that the rows skipped are there even when
// it fails (and a progress callback may read them). Everything it is given
// outlives it.
ByteMaker gifMaker(const ContainerFile& file, const std::vector<int>& rows, const PictureOptions& picture,
                   const GifOptions& gif, WrittenGif& written);

// How long frame `frame` (from 0) lasts, in hundredths of a second, so that
// the animation runs at exactly `framesPerSecond`: frame k ends at
// round(100 (k + 1) / N) hundredths.
int gifFrameDelay(int frame, int framesPerSecond);

}  // namespace zpk

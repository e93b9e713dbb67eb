#include "export/GifExport.h"

#include "decode/Decoder.h"
#include "export/EntryExport.h"
#include "gif/GifWriter.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <memory>

namespace zpk {

namespace {

// round(a / b) for a >= 0 and b > 0, a half rounded up
std::int64_t roundedQuotient(std::int64_t a, std::int64_t b) { return (2 * a + b) / (2 * b); }

}  // namespace

int gifFrameDelay(int frame, int framesPerSecond)
{
    assert(frame >= 0 && framesPerSecond >= 1);
    const std::int64_t k = frame;
    return static_cast<int>(roundedQuotient(100 * (k + 1), framesPerSecond) -
                            roundedQuotient(100 * k, framesPerSecond));
}

namespace {

// The GIF of writeGif, with `written` filled as it goes: the rows skipped
// are there even when no GIF is made.
std::optional<Error> makeGif(const ContainerFile& file, const std::vector<int>& rows,
                             const PictureOptions& picture, const GifOptions& gif, const ByteSink& sink,
                             WrittenGif& written)
{
    assert(gif.framesPerSecond >= 1 && gif.framesPerSecond <= maxGifFramesPerSecond);
    written = {};
    // The screen comes first in the file: its size from the entries' first
    // four bytes, which decide as exportPicture does whether a row has a
    // picture, so that no frame is held to find it.
    int width = 0;
    int height = 0;
    for (const int row : rows) {
        const auto size = entrySize(file, row);
        if (!size || size->width < 1 || size->height < 1) continue;
        width = std::max(width, std::min(size->width, kMaxGridSide));
        height = std::max(height, std::min(size->height, kMaxGridSide));
    }

    std::unique_ptr<GifWriter> writer;
    const int total = static_cast<int>(rows.size());
    for (int done = 0; done < total; ++done) {
        const int row = rows[static_cast<std::size_t>(done)];
        auto frame = exportPicture(file, row, picture);
        if (frame) {
            // every frame fits the screen: its size is one counted above
            assert(frame->width <= width && frame->height <= height);
            if (!writer) {
                auto opened = GifWriter::open(width, height, gif.loops, sink);
                if (!opened) return opened.error();
                writer = std::move(*opened);
                written.width = width;
                written.height = height;
            }
            if (auto failed = writer->writeFrame(*frame, gifFrameDelay(written.frames, gif.framesPerSecond)))
                return failed;
            ++written.frames;
        } else {
            Error skipped = frame.error();
            skipped.row = row;
            written.skipped.push_back(std::move(skipped));
        }
        if (gif.progress && !gif.progress(done + 1, total)) return makeError(ErrorCode::Cancelled);
    }
    if (!writer) return makeError(ErrorCode::NoFrames);
    return writer->finish();
}

}  // namespace

Result<WrittenGif> writeGif(const ContainerFile& file, const std::vector<int>& rows,
                            const PictureOptions& picture, const GifOptions& gif, const ByteSink& sink)
{
    WrittenGif written;
    if (auto failed = makeGif(file, rows, picture, gif, sink, written)) return std::move(*failed);
    return written;
}

ByteMaker gifMaker(const ContainerFile& file, const std::vector<int>& rows, const PictureOptions& picture,
                   const GifOptions& gif, WrittenGif& written)
{
    return [&file, &rows, &picture, &gif, &written](const ByteSink& sink) {
        return makeGif(file, rows, picture, gif, sink, written);
    };
}

}  // namespace zpk

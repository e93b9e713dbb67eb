// Decoding entries of a container file that is never read whole: the header
// and four bytes of each entry (loadContainerIndex), then for each entry
// decoded a window of the file that starts at its first byte. The decode is
// exactly that of decodeEntry on the whole file: since an entry's palette
// and pixel stream may run on past its end, a window is doubled until the
// decode provably read nothing past it (or it reaches the end of the file),
// up to a limit the caller sets. The entry that runs to the end of the file
// needs all of that: its window is the rest of the file.
#pragma once

#include "container/Container.h"
#include "decode/Decoder.h"
#include "io/FileHandle.h"
#include "state/PictureOptions.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace zpk {

using Deadline = std::chrono::steady_clock::time_point;

// What came of decoding one entry through a window.
enum class WindowOutcome {
    Decoded,    // the image (also an entry without data, or without pixels)
    TooLarge,   // its decode needs a larger window than allowed
    OutOfTime,  // the deadline passed before it was done
};

struct WindowDecode {
    WindowOutcome outcome = WindowOutcome::Decoded;
    DecodedImage image;  // with positions in the whole file, as decodeEntry gives them
    Palette palette{};   // the palette it was decoded on: fresh, then its colours
};

class PositionedEntries {
public:
    // Reads the header of the regular file at `path` (errors are those of
    // loadContainerIndex) and keeps it open.
    static Result<PositionedEntries> open(const std::string& path);

    const ContainerIndex& index() const { return m_index; }
    std::int64_t fileLength() const { return m_index.table.fileLength; }
    // The bytes read for windows so far (the header and the four bytes of
    // each entry not counted).
    std::int64_t bytesRead() const { return m_bytesRead; }

    // Decodes list row `row` on a fresh palette with the colours of
    // `options`, reading windows of at most `maxWindow` bytes, and none
    // once `deadline` has passed.
    Result<WindowDecode> decode(int row, const PictureOptions& options, std::int64_t maxWindow,
                                Deadline deadline = Deadline::max());

private:
    PositionedEntries(ContainerIndex index, FileHandle file)
        : m_index(std::move(index)), m_file(std::move(file))
    {
    }

    ContainerIndex m_index;
    FileHandle m_file;
    std::int64_t m_bytesRead = 0;
};

}  // namespace zpk

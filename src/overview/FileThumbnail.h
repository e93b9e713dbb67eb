// A thumbnail of a container for file managers (`zpk thumbnail`): a PNG
// whose longer side is the size asked, showing its first entry that draws
// something, or, when its first entries are small, a contact sheet of its
// first entries. A large picture is shrunk to the size; a small one is
// enlarged without blending, each of its pixels a block of one colour.
//
// A file manager runs a thumbnailer on every file of a folder, so the work
// is bounded whatever the file holds: the file is never read whole (the
// header, four bytes of each entry, and a window of at most
// kMaxThumbnailWindow bytes for each entry decoded; see PositionedEntries.h),
// at most kMaxThumbnailDecodes entries are decoded, a shrunk pixel samples
// at most 4 x 4 pixels, and the picture is encoded row by row without an
// RGBA copy of the entry. Memory stays below 64 MiB: a window, the values
// of one decoded entry (at most 4000 x 4000 bytes) and the small pictures
// of a contact sheet. A deadline, checked between entries, windows and
// rows, gives up on what still takes too long: kThumbnailTimeLimit, or
// kLargeFileTimeLimit for a file larger than kLargeFileLength.
#pragma once

#include "state/PictureOptions.h"
#include "state/Result.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zpk {

constexpr int kMinThumbnailSize = 16;
constexpr int kMaxThumbnailSize = 1024;
constexpr int kDefaultThumbnailSize = 256;

constexpr std::int64_t kLargeFileLength = std::int64_t{64} << 20;
constexpr std::chrono::milliseconds kThumbnailTimeLimit{1000};
constexpr std::chrono::milliseconds kLargeFileTimeLimit{2000};
// The most of the file one entry's decode may read.
constexpr std::int64_t kMaxThumbnailWindow = std::int64_t{24} << 20;
// Entries decoded at most, for a contact sheet or in search of one that
// draws something.
constexpr int kMaxThumbnailDecodes = 64;
// A contact sheet is made when the first kSheetProbe entries with pixels
// (or all, when there are fewer but at least two) are smaller than a
// quarter of the size on both sides; it holds the first entries of that
// kind that fit, in rows, left to right.
constexpr int kSheetProbe = 4;

struct ThumbnailSettings {
    int size = kDefaultThumbnailSize;  // kMinThumbnailSize to kMaxThumbnailSize
    PictureOptions picture;            // the colours: external palette, ramp
    // When the work began: the time limit counts from here.
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

enum class ThumbnailStatus {
    Made,
    NothingToDraw,  // no entry draws a pixel (within the limits)
    OutOfTime,      // the deadline passed: nothing is made
};

struct ContainerThumbnail {
    ThumbnailStatus status = ThumbnailStatus::NothingToDraw;
    std::vector<std::uint8_t> png;  // when made: RGBA, width x height
    int width = 0;
    int height = 0;
    std::vector<int> rows;        // the list rows shown, in order
    std::int64_t bytesRead = 0;   // of entries' windows
    std::int64_t fileLength = 0;  // which time limit applied
};

// The thumbnail of the container at `path`, a regular file. Errors are
// those of reading it (loadContainerIndex's) and of the encoder.
Result<ContainerThumbnail> makeContainerThumbnail(const std::string& path, const ThumbnailSettings& settings);

}  // namespace zpk

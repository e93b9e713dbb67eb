// What is told about each entry (`zpk list --format csv|json`, `zpk info`):
// where it lies, its size, and how it decodes on a fresh palette.
#pragma once

#include "decode/Decoder.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zpk {

enum class EntryStatus {
    Ok,      // the stream produces every pixel
    Short,   // it ends before width x height pixels
    Empty,   // width or height below 1: nothing to draw
    NoData,  // the width and height bytes lie past the end of the file
};

EntryStatus statusOf(const DecodedImage& image);

struct EntryFacts {
    int row = 0;
    std::string listText;
    std::int64_t offset = 0;  // the entry's first byte
    // Bytes up to the next entry's start (the last: to the end of the file);
    // negative or reaching past the end in a damaged file.
    std::int64_t size = 0;
    std::optional<int> width;  // none when the entry has no data
    std::optional<int> height;
    std::int64_t storedColours = 0;  // complete triplets of the stored palette
    std::int64_t runCodes = 0;       // run codes the stream expanded
    std::int64_t produced = 0;       // pixels the stream produced
    EntryStatus status = EntryStatus::NoData;
};

// Decodes `row` on a fresh palette (the stored colours, no ramp) and tells.
EntryFacts entryFacts(const ContainerFile& file, int row);

// Every row of the list, in order.
std::vector<EntryFacts> allEntryFacts(const ContainerFile& file);

}  // namespace zpk

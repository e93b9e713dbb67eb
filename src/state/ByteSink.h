// A file's bytes handed on as they are made, so that a large output (a PNG
// of 4000 x 4000 pixels) is written piece by piece instead of held whole.
#pragma once

#include "state/Result.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace zpk {

// Takes the next bytes of a file; 0, or the errno of a failed write (the
// maker then stops, and the write fails with that errno).
using ByteSink = std::function<int(std::span<const std::uint8_t>)>;

// Makes a file's bytes, in order, into a sink; an error it returns stops
// the write.
using ByteMaker = std::function<std::optional<Error>(const ByteSink&)>;

}  // namespace zpk

// Strings as JSON and CSV need them, for `zpk list --format json|csv`.
#pragma once

#include <string>
#include <string_view>

namespace zpk::cli {

// `text` as a JSON string, quotes included: ", \ and the control characters
// below 0x20 escaped, valid UTF-8 kept as it is, and each byte that does not
// begin a valid UTF-8 sequence (a file name may hold any byte) replaced by
// U+FFFD, so that the result is always valid UTF-8.
std::string jsonString(std::string_view text);

// `text` as one CSV field (RFC 4180): quoted, with every " doubled, when it
// holds a comma, a quote, a carriage return or a line feed; as it is
// otherwise.
std::string csvField(std::string_view text);

}  // namespace zpk::cli

// Strings as JSON and CSV need them, and file names as a terminal shows them.
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

// A file name as text output and messages show it, the way `ls` quotes for
// a shell: as it is when it is printable UTF-8, otherwise in the $'...'
// form with control bytes, quotes and bytes that are not UTF-8 escaped
// ($'bad\nname', $'caf\xE9.zpk'), so that a name never moves the cursor or
// garbles the terminal.
std::string terminalName(std::string_view text);

}  // namespace zpk::cli

#include "cli/TextEscape.h"

#include <cstdint>

namespace zpk::cli {

namespace {

bool inRange(unsigned char c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; }

// The length of the well-formed UTF-8 sequence at text[i], or 0 when the
// bytes there do not form one (a stray continuation byte, an overlong form,
// a surrogate, a code point past U+10FFFF, or a sequence cut short).
std::size_t utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) -> int {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : -1;
    };
    const auto continuation = [&](std::size_t k, unsigned lo = 0x80, unsigned hi = 0xBF) {
        const int b = byte(k);
        return b >= 0 && inRange(static_cast<unsigned char>(b), lo, hi);
    };
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) return 1;
    if (inRange(lead, 0xC2, 0xDF)) return continuation(1) ? 2 : 0;
    // the second byte's range rules out overlong forms (E0, F0), surrogates
    // (ED) and code points past U+10FFFF (F4)
    unsigned lo = 0x80;
    unsigned hi = 0xBF;
    if (lead == 0xE0) lo = 0xA0;
    if (lead == 0xED) hi = 0x9F;
    if (lead == 0xF0) lo = 0x90;
    if (lead == 0xF4) hi = 0x8F;
    if (inRange(lead, 0xE0, 0xEF)) return continuation(1, lo, hi) && continuation(2) ? 3 : 0;
    if (inRange(lead, 0xF0, 0xF4))
        return continuation(1, lo, hi) && continuation(2) && continuation(3) ? 4 : 0;
    return 0;
}

}  // namespace

std::string jsonString(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 0xF];
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string terminalName(std::string_view text)
{
    // printable ASCII (but the quote) and valid UTF-8 of U+00A0 and above
    // stand as they are; anything else calls for the $'...' form
    const auto plain = [&](std::size_t i, std::size_t length) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (length == 1) return c >= 0x20 && c < 0x7F && c != '\'';
        // C1 control characters, U+0080 to U+009F, are two bytes C2 80 to C2 9F
        return !(length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0);
    };
    bool needsQuoting = false;
    for (std::size_t i = 0; i < text.size() && !needsQuoting;) {
        const std::size_t length = utf8SequenceLength(text, i);
        needsQuoting = length == 0 || !plain(i, length);
        i += length == 0 ? 1 : length;
    }
    if (!needsQuoting) return std::string(text);

    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "$'";
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length > 0 && plain(i, length) && text[i] != '\\') {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        // one byte at a time: a control byte, the quote, or a byte of a
        // sequence that is not UTF-8 (or a C1 control)
        const std::size_t bytes = length == 0 ? 1 : length;
        for (std::size_t k = 0; k < bytes; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            switch (c) {
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\'': out += "\\'"; break;
            case '\\': out += "\\\\"; break;
            default:
                out += "\\x";
                out += kHex[c >> 4];
                out += kHex[c & 0xF];
            }
        }
        i += bytes;
    }
    out += '\'';
    return out;
}

}  // namespace zpk::cli

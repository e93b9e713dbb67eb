// Reading the text palette formats line by line: the lines (LF or CRLF,
// a UTF-8 byte order mark skipped), the bytes no text palette holds, and
// decimal numbers with blanks around them. The formats themselves are
// PaletteFile's.
#pragma once

#include <optional>
#include <string_view>

namespace zpk {

inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// `text` without the blanks around it.
std::string_view trimmed(std::string_view text);

// A decimal number of `text` (blanks around it allowed) up to `highest`;
// nothing when it is anything else.
std::optional<unsigned> wholeNumber(std::string_view text, unsigned highest);

// The lines of a text palette, without their LF or CRLF ends (and without
// a UTF-8 byte order mark in front), counted from 1.
class TextLines {
public:
    explicit TextLines(std::string_view text) : m_rest(text)
    {
        if (m_rest.starts_with("\xEF\xBB\xBF")) m_rest.remove_prefix(3);
    }

    // A byte a text palette never holds, and the line it is on.
    struct BadByte {
        int line = 0;
        unsigned char byte = 0;
    };
    // The first control byte other than blanks (and CR ending a line), or DEL.
    std::optional<BadByte> firstBadByte() const;

    // The next line; nothing past the last one.
    std::optional<std::string_view> next();
    // The number of the line next() gave last.
    int number() const { return m_number; }

private:
    std::string_view m_rest;
    int m_number = 0;
    bool m_done = false;
};

}  // namespace zpk

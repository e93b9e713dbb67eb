#include "palette/PaletteText.h"

#include <cstddef>

namespace zpk {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<unsigned> wholeNumber(std::string_view text, unsigned highest)
{
    text = trimmed(text);
    if (text.empty()) return std::nullopt;
    unsigned value = 0;
    for (const char c : text) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > highest) return std::nullopt;
    }
    return value;
}

std::optional<TextLines::BadByte> TextLines::firstBadByte() const
{
    int line = 1;
    for (std::size_t i = 0; i < m_rest.size(); ++i) {
        const auto c = static_cast<unsigned char>(m_rest[i]);
        if (c == '\n') {
            ++line;
            continue;
        }
        const bool lineEnd = c == '\r' && (i + 1 == m_rest.size() || m_rest[i + 1] == '\n');
        if ((c < 0x20 && c != '\t' && c != '\v' && c != '\f' && !lineEnd) || c == 0x7F)
            return BadByte{line, c};
    }
    return std::nullopt;
}

std::optional<std::string_view> TextLines::next()
{
    if (m_done) return std::nullopt;
    ++m_number;
    const std::size_t end = m_rest.find('\n');
    std::string_view line = m_rest.substr(0, end);
    if (end == std::string_view::npos) {
        m_done = true;
    } else {
        m_rest.remove_prefix(end + 1);
        // a final line end does not begin another line
        m_done = m_rest.empty();
    }
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

}  // namespace zpk

#include "container/ContainerWriter.h"

#include "state/ViewerState.h"

#include <algorithm>
#include <string>

namespace zpk {

namespace {

constexpr int kMinRun = 5;  // a run code takes five bytes
constexpr int kMaxSide = 32767;
constexpr std::size_t kMaxEntrySize = 65535;  // sizes are 16-bit
constexpr std::size_t kHeaderBytes = 30;

Error invalid(std::string detail) { return makeDetailedError(ErrorCode::InvalidImage, std::move(detail)); }

class StreamWriter {
public:
    explicit StreamWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    void run(std::uint8_t value, std::int64_t length)
    {
        while (length > 0) {
            int chunk = static_cast<int>(std::min<std::int64_t>(length, kMaxWrittenRun));
            // value 0xFF then a length low byte 0xFE would read as a second code
            while (value == 0xFF && (chunk & 0xFF) == 0xFE) --chunk;
            m_out.insert(m_out.end(), {0xFF, 0xFE, value, static_cast<std::uint8_t>(chunk & 0xFF),
                                       static_cast<std::uint8_t>(chunk >> 8)});
            length -= chunk;
        }
    }

    void literal(std::uint8_t value)
    {
        if (value == 0xFE && !m_out.empty() && m_out.back() == 0xFF) run(value, 1);
        else m_out.push_back(value);
    }

private:
    std::vector<std::uint8_t>& m_out;
};

bool hasPair(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i + 1 < to; ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xFE) return true;
    }
    return false;
}

int firstByte(const std::variant<WriterImage, std::vector<std::uint8_t>>& entry)
{
    if (const auto* image = std::get_if<WriterImage>(&entry)) return image->width & 0xFF;
    const auto& raw = std::get<std::vector<std::uint8_t>>(entry);
    return raw.empty() ? -1 : raw.front();
}

}  // namespace

Result<std::vector<std::uint8_t>> encodeEntry(const WriterImage& image, int nextByte)
{
    if (image.width < 0 || image.width > kMaxSide || image.height < 0 || image.height > kMaxSide)
        return invalid("width and height must lie between 0 and 32767");
    const std::size_t area = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    if (image.pixels.size() != area) return invalid("the pixel count is not width x height");
    if (image.colours.size() > 256) return invalid("more than 256 colours");
    for (std::uint8_t v : image.pixels) {
        if (v >= image.colours.size()) return invalid("pixel value " + std::to_string(v) + " has no colour");
    }

    std::vector<std::uint8_t> out;
    out.reserve(6 + 3 * image.colours.size() + area / 2);
    out.insert(out.end(),
               {static_cast<std::uint8_t>(image.width & 0xFF), static_cast<std::uint8_t>(image.width >> 8),
                static_cast<std::uint8_t>(image.height & 0xFF), static_cast<std::uint8_t>(image.height >> 8),
                0, 0});
    for (const Rgb& c : image.colours) out.insert(out.end(), {c.red, c.green, c.blue});
    // the palette loop stops at the first pair behind the height's high byte
    if (hasPair(out, 3, out.size()))
        return invalid("the colours hold the bytes 0xFF 0xFE, which end the palette");
    const std::size_t streamStart = out.size();

    StreamWriter stream(out);
    for (std::size_t i = 0; i < area;) {
        std::size_t j = i + 1;
        while (j < area && image.pixels[j] == image.pixels[i]) ++j;
        if (j - i >= kMinRun) {
            stream.run(image.pixels[i], static_cast<std::int64_t>(j - i));
        } else {
            for (std::size_t k = i; k < j; ++k) stream.literal(image.pixels[k]);
        }
        i = j;
    }
    // the pre-scan reads on into the next entry's first byte
    if (nextByte == 0xFE && out.back() == 0xFF) {
        if (out.size() == streamStart)
            return invalid("the last colour ends in 0xFF and the next entry starts with 0xFE");
        out.pop_back();  // a literal: runs never end in 0xFF
        stream.run(0xFF, 1);
    }
    return out;
}

ContainerBuilder& ContainerBuilder::entry(WriterImage image)
{
    m_entries.emplace_back(std::move(image));
    return *this;
}

ContainerBuilder& ContainerBuilder::rawEntry(std::vector<std::uint8_t> bytes)
{
    m_entries.emplace_back(std::move(bytes));
    return *this;
}

std::vector<std::uint8_t> containerHeader(const std::vector<std::uint16_t>& sizes)
{
    std::vector<std::uint8_t> out(kHeaderBytes, 0);
    out[28] = static_cast<std::uint8_t>(sizes.size());
    for (const std::uint16_t size : sizes) {
        out.push_back(static_cast<std::uint8_t>(size & 0xFF));
        out.push_back(static_cast<std::uint8_t>(size >> 8));
    }
    return out;
}

Result<std::vector<std::uint8_t>> ContainerBuilder::build() const
{
    if (m_entries.size() > static_cast<std::size_t>(kMaxEntries)) return invalid("more than 255 entries");
    std::vector<std::vector<std::uint8_t>> encoded(m_entries.size());
    for (std::size_t j = 0; j < m_entries.size(); ++j) {
        const int next = j + 1 < m_entries.size() ? firstByte(m_entries[j + 1]) : -1;
        if (const auto* image = std::get_if<WriterImage>(&m_entries[j])) {
            auto bytes = encodeEntry(*image, next);
            if (!bytes) {
                Error e = bytes.error();
                e.detail = "entry " + std::to_string(j) + ": " + e.detail;
                return e;
            }
            encoded[j] = std::move(*bytes);
        } else {
            encoded[j] = std::get<std::vector<std::uint8_t>>(m_entries[j]);
        }
        if (j + 1 < m_entries.size() && encoded[j].size() > kMaxEntrySize)
            return invalid("entry " + std::to_string(j) + " is larger than 65535 bytes and not the last");
    }

    std::vector<std::uint16_t> sizes;
    for (const auto& bytes : encoded) sizes.push_back(static_cast<std::uint16_t>(bytes.size() & 0xFFFF));
    std::vector<std::uint8_t> out = containerHeader(sizes);
    const std::string label = "zpkview container";
    std::copy(label.begin(), label.end(), out.begin());
    for (const auto& bytes : encoded) out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

}  // namespace zpk

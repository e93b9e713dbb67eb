#include "palette/PaletteFile.h"
#include "palette/PaletteText.h"

#include "io/InputFile.h"

#include "draw/Draw.h"
#include "png/PngWriter.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace zpk {

namespace {

// An Adobe Color Table: 256 colours of three bytes, then optionally the
// count of colours used and the transparent index, 16-bit big-endian each.
constexpr std::size_t kActColourBytes = 768;
constexpr std::size_t kActWithTrailer = 772;
constexpr unsigned kNoTransparentIndex = 0xFFFF;

// The swatch image: 16 x 16 squares, 8 pixels a side.
constexpr int kSwatchesPerRow = 16;
constexpr int kSwatchSide = 8;

// A token kept in an error is cut here: a line may be long.
constexpr std::size_t kShownTokenLength = 24;

Error invalid(Refusal refusal) { return makeRefusal(ErrorCode::InvalidPalette, refusal); }

Error atLine(int line, Refusal refusal)
{
    Error e = invalid(refusal);
    e.line = line;
    return e;
}

// The first word of `text`, as an error keeps it.
std::string tokenOf(std::string_view text)
{
    std::size_t end = 0;
    while (end < text.size() && !isBlank(text[end])) ++end;
    std::string token(text.substr(0, std::min(end, kShownTokenLength)));
    if (end > kShownTokenLength) token += "...";
    return token;
}

Error badValue(int line, ColourField field, Refusal refusal, std::string_view text = {})
{
    Error e = atLine(line, refusal);
    e.field = field;
    e.token = tokenOf(text);
    return e;
}

// Reads one colour component (red, green or blue) from the front of `rest`,
// blanks before it skipped; `rest` is left behind the number.
Result<unsigned> component(std::string_view& rest, int line, ColourField field)
{
    while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
    if (rest.empty()) return badValue(line, field, Refusal::PaletteMissingValue);
    if (rest.front() == '-' && rest.size() > 1 && isDigit(rest[1]))
        return badValue(line, field, Refusal::PaletteNegative, rest);
    std::size_t end = 0;
    unsigned value = 0;
    bool over = false;
    while (end < rest.size() && isDigit(rest[end])) {
        value = value * 10 + static_cast<unsigned>(rest[end] - '0');
        if (value > 255) {
            over = true;
            value = 256;  // stays bounded however many digits follow
        }
        ++end;
    }
    if (end == 0 || (end < rest.size() && !isBlank(rest[end])))
        return badValue(line, field, Refusal::PaletteNotNumber, rest);
    if (over) return badValue(line, field, Refusal::PaletteOver255, rest);
    rest.remove_prefix(end);
    return value;
}

// "R G B" at the front of `line`; `rest` is what follows the blue value.
Result<Colour> colourLine(std::string_view line, int number, std::string_view& rest)
{
    rest = line;
    const auto red = component(rest, number, ColourField::Red);
    if (!red) return red.error();
    const auto green = component(rest, number, ColourField::Green);
    if (!green) return green.error();
    const auto blue = component(rest, number, ColourField::Blue);
    if (!blue) return blue.error();
    return makeColour(*red, *green, *blue);
}

Error badByte(const TextLines::BadByte& bad)
{
    Error e = atLine(bad.line, Refusal::PaletteBadByte);
    e.value = bad.byte;
    return e;
}

Error tooManyColours(int line)
{
    Error e = atLine(line, Refusal::PaletteTooManyColours);
    e.limit = static_cast<std::int64_t>(kMaxPaletteFileColours);
    return e;
}

Result<std::vector<Colour>> parseGimp(std::string_view text)
{
    TextLines lines(text);
    if (auto bad = lines.firstBadByte()) return badByte(*bad);
    if (trimmed(lines.next().value_or("")) != "GIMP Palette") return atLine(1, Refusal::PaletteNotGimp);

    std::vector<Colour> colours;
    bool inHeader = true;  // "Name:" and "Columns:" come before the colours
    while (const auto next = lines.next()) {
        const std::string_view line = trimmed(*next);
        if (line.empty() || line.front() == '#') continue;
        if (inHeader && line.starts_with("Name:")) continue;
        if (inHeader && line.starts_with("Columns:")) {
            if (!wholeNumber(line.substr(8), static_cast<unsigned>(kMaxPaletteFileColours)))
                return atLine(lines.number(), Refusal::PaletteColumns);
            continue;
        }
        inHeader = false;
        std::string_view name;  // a colour's name is not kept
        const auto colour = colourLine(line, lines.number(), name);
        if (!colour) return colour.error();
        if (colours.size() == kMaxPaletteFileColours) return tooManyColours(lines.number());
        colours.push_back(*colour);
    }
    if (colours.empty()) return invalid(Refusal::PaletteNoColours);
    return colours;
}

Result<std::vector<Colour>> parseJasc(std::string_view text)
{
    TextLines lines(text);
    if (auto bad = lines.firstBadByte()) return badByte(*bad);
    if (trimmed(lines.next().value_or("")) != "JASC-PAL") return atLine(1, Refusal::PaletteNotJasc);
    const auto version = lines.next();
    if (!version || trimmed(*version) != "0100") return atLine(2, Refusal::PaletteVersion);
    const auto countLine = lines.next();
    const auto count =
        countLine ? wholeNumber(*countLine, static_cast<unsigned>(kMaxPaletteFileColours)) : std::nullopt;
    if (!count || *count == 0) return atLine(3, Refusal::PaletteCount);

    std::vector<Colour> colours;
    colours.reserve(*count);
    while (colours.size() < *count) {
        const auto line = lines.next();
        if (!line) {
            Error e = invalid(Refusal::PaletteEndsEarly);
            e.count = static_cast<std::int64_t>(colours.size());
            e.limit = *count;
            return e;
        }
        std::string_view rest;
        const auto colour = colourLine(*line, lines.number(), rest);
        if (!colour) return colour.error();
        if (!trimmed(rest).empty()) {
            Error e = atLine(lines.number(), Refusal::PaletteExtraValue);
            e.token = tokenOf(trimmed(rest));
            return e;
        }
        colours.push_back(*colour);
    }
    while (const auto line = lines.next()) {
        if (!trimmed(*line).empty()) {
            Error e = atLine(lines.number(), Refusal::PaletteBeyondCount);
            e.limit = *count;
            return e;
        }
    }
    return colours;
}

Result<std::vector<Colour>> parseAct(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kActColourBytes && bytes.size() != kActWithTrailer) {
        Error e = invalid(Refusal::PaletteActLength);
        e.actualLength = static_cast<std::int64_t>(bytes.size());
        return e;
    }
    std::size_t count = kMaxPaletteFileColours;
    if (bytes.size() == kActWithTrailer) {
        count = static_cast<std::size_t>(bytes[kActColourBytes]) << 8 | bytes[kActColourBytes + 1];
        if (count == 0 || count > kMaxPaletteFileColours) {
            Error e = invalid(Refusal::PaletteActCount);
            e.offset = static_cast<std::int64_t>(kActColourBytes);
            e.count = static_cast<std::int64_t>(count);
            return e;
        }
    }
    std::vector<Colour> colours(count);
    for (std::size_t i = 0; i < count; ++i)
        colours[i] = makeColour(bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]);
    return colours;
}

void appendText(std::vector<std::uint8_t>& out, std::string_view text)
{
    out.insert(out.end(), text.begin(), text.end());
}

std::string rgbText(Colour c, bool aligned)
{
    char text[16];
    if (aligned) std::snprintf(text, sizeof text, "%3u %3u %3u", redOf(c), greenOf(c), blueOf(c));
    else std::snprintf(text, sizeof text, "%u %u %u", redOf(c), greenOf(c), blueOf(c));
    return text;
}

std::vector<std::uint8_t> encodeGimp(const std::vector<Colour>& colours)
{
    constexpr std::string_view kHeader = "GIMP Palette\nColumns: 16\n#\n";
    std::vector<std::uint8_t> out(kHeader.begin(), kHeader.end());
    for (std::size_t v = 0; v < colours.size(); ++v)
        appendText(out, rgbText(colours[v], true) + "\tvalue " + std::to_string(v) + "\n");
    return out;
}

std::vector<std::uint8_t> encodeJasc(const std::vector<Colour>& colours)
{
    std::vector<std::uint8_t> out;
    appendText(out, "JASC-PAL\r\n0100\r\n" + std::to_string(colours.size()) + "\r\n");
    for (const Colour c : colours) appendText(out, rgbText(c, false) + "\r\n");
    return out;
}

std::vector<std::uint8_t> encodeAct(const std::vector<Colour>& colours)
{
    // the count is always written, so that fewer than 256 colours read back as they were
    std::vector<std::uint8_t> out(kActWithTrailer, 0);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        out[3 * i] = static_cast<std::uint8_t>(redOf(colours[i]));
        out[3 * i + 1] = static_cast<std::uint8_t>(greenOf(colours[i]));
        out[3 * i + 2] = static_cast<std::uint8_t>(blueOf(colours[i]));
    }
    out[kActColourBytes] = static_cast<std::uint8_t>(colours.size() >> 8);
    out[kActColourBytes + 1] = static_cast<std::uint8_t>(colours.size() & 0xFF);
    out[kActColourBytes + 2] = static_cast<std::uint8_t>(kNoTransparentIndex >> 8);
    out[kActColourBytes + 3] = static_cast<std::uint8_t>(kNoTransparentIndex & 0xFF);
    return out;
}

Result<std::vector<std::uint8_t>> encodeSwatches(const std::vector<Colour>& colours)
{
    constexpr int kSide = kSwatchesPerRow * kSwatchSide;
    IndexedImage image;
    image.width = kSide;
    image.height = kSide;
    image.colours = colours;
    image.colours.resize(kMaxPaletteFileColours, makeColour(0, 0, 0));
    image.indices.resize(static_cast<std::size_t>(kSide) * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            image.indices[static_cast<std::size_t>(y) * kSide + static_cast<std::size_t>(x)] =
                static_cast<std::uint8_t>((y / kSwatchSide) * kSwatchesPerRow + x / kSwatchSide);
    return encodePng(image);
}

Error tooLong(std::int64_t length)
{
    Error e = invalid(Refusal::PaletteTooLong);
    e.actualLength = length;
    e.limit = kMaxPaletteFileBytes;
    return e;
}

Error withPath(Error error, const std::string& path)
{
    error.path = path;
    return error;
}

}  // namespace

std::optional<PaletteFormat> paletteFormatOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return std::nullopt;
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (extension == "gpl") return PaletteFormat::Gpl;
    if (extension == "pal") return PaletteFormat::Pal;
    if (extension == "act") return PaletteFormat::Act;
    if (extension == "png") return PaletteFormat::Png;
    return std::nullopt;
}

Result<std::vector<Colour>> parsePalette(std::span<const std::uint8_t> bytes, PaletteFormat format)
{
    if (bytes.empty()) return invalid(Refusal::PaletteEmpty);
    if (static_cast<std::int64_t>(bytes.size()) > kMaxPaletteFileBytes)
        return tooLong(static_cast<std::int64_t>(bytes.size()));
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    switch (format) {
    case PaletteFormat::Gpl: return parseGimp(text);
    case PaletteFormat::Pal: return parseJasc(text);
    case PaletteFormat::Act: return parseAct(bytes);
    case PaletteFormat::Png: break;
    }
    return invalid(Refusal::PaletteSwatch);
}

Result<std::vector<Colour>> readPaletteFile(const std::string& path)
{
    const auto format = paletteFormatOf(path);
    if (!format || *format == PaletteFormat::Png) return withPath(invalid(Refusal::PaletteName), path);

    // a FIFO is refused instead of waiting for a writer
    auto input = openInput(path, Streams::Refused, kMaxPaletteFileBytes);
    if (!input) {
        if (input.error().code == ErrorCode::TooLarge)
            return withPath(tooLong(input.error().actualLength), path);
        return input.error();
    }
    const auto bytes = readInput(*input, path, kMaxPaletteFileBytes);
    if (!bytes) return bytes.error();
    auto colours = parsePalette(bytes->span().first(bytes->size() - 1), *format);
    if (!colours) return withPath(colours.error(), path);
    return colours;
}

Result<std::vector<std::uint8_t>> encodePalette(const std::vector<Colour>& colours, PaletteFormat format)
{
    if (colours.empty() || colours.size() > kMaxPaletteFileColours) {
        Error e = invalid(Refusal::PaletteColourCount);
        e.count = static_cast<std::int64_t>(colours.size());
        return e;
    }
    switch (format) {
    case PaletteFormat::Gpl: return encodeGimp(colours);
    case PaletteFormat::Pal: return encodeJasc(colours);
    case PaletteFormat::Act: return encodeAct(colours);
    case PaletteFormat::Png: return encodeSwatches(colours);
    }
    return invalid(Refusal::PaletteUnknownFormat);
}

std::vector<Colour> drawnColours(const Palette& palette) { return {palette.begin() + 2, palette.end()}; }

}  // namespace zpk

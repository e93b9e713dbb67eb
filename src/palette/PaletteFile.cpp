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

// A token quoted in a detail is cut here: a line may be long.
constexpr std::size_t kShownTokenLength = 24;

Error invalid(std::string detail) { return makeDetailedError(ErrorCode::InvalidPalette, std::move(detail)); }

std::string atLine(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

// The first word of `text` as a detail shows it, in quotes.
std::string quotedToken(std::string_view text)
{
    std::size_t end = 0;
    while (end < text.size() && !isBlank(text[end])) ++end;
    std::string token(text.substr(0, std::min(end, kShownTokenLength)));
    if (end > kShownTokenLength) token += "...";
    return "\"" + token + "\"";
}

// Reads one colour component (red, green or blue) from the front of `rest`,
// blanks before it skipped; `rest` is left behind the number.
Result<unsigned> component(std::string_view& rest, int line, const char* name)
{
    while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
    if (rest.empty()) return invalid(atLine(line, std::string("the colour has no ") + name + " value"));
    if (rest.front() == '-' && rest.size() > 1 && isDigit(rest[1]))
        return invalid(atLine(line, "the " + std::string(name) + " value " + quotedToken(rest) +
                                        " is negative; a colour value is 0 to 255"));
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
        return invalid(
            atLine(line, "the " + std::string(name) + " value " + quotedToken(rest) + " is not a number"));
    if (over)
        return invalid(
            atLine(line, "the " + std::string(name) + " value " + quotedToken(rest) + " is over 255"));
    rest.remove_prefix(end);
    return value;
}

// "R G B" at the front of `line`; `rest` is what follows the blue value.
Result<Colour> colourLine(std::string_view line, int number, std::string_view& rest)
{
    rest = line;
    const auto red = component(rest, number, "red");
    if (!red) return red.error();
    const auto green = component(rest, number, "green");
    if (!green) return green.error();
    const auto blue = component(rest, number, "blue");
    if (!blue) return blue.error();
    return makeColour(*red, *green, *blue);
}

Error badByte(const TextLines::BadByte& bad)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", bad.byte);
    return invalid(atLine(bad.line, std::string("byte ") + hex + " does not belong in a text palette"));
}

Error tooManyColours(int line)
{
    return invalid(atLine(line, "more than " + std::to_string(kMaxPaletteFileColours) + " colours"));
}

Result<std::vector<Colour>> parseGimp(std::string_view text)
{
    TextLines lines(text);
    if (auto bad = lines.firstBadByte()) return badByte(*bad);
    if (trimmed(lines.next().value_or("")) != "GIMP Palette")
        return invalid(atLine(1, "a GIMP palette begins with \"GIMP Palette\""));

    std::vector<Colour> colours;
    bool inHeader = true;  // "Name:" and "Columns:" come before the colours
    while (const auto next = lines.next()) {
        const std::string_view line = trimmed(*next);
        if (line.empty() || line.front() == '#') continue;
        if (inHeader && line.starts_with("Name:")) continue;
        if (inHeader && line.starts_with("Columns:")) {
            if (!wholeNumber(line.substr(8), static_cast<unsigned>(kMaxPaletteFileColours)))
                return invalid(atLine(lines.number(), "Columns is not a number from 0 to 256"));
            continue;
        }
        inHeader = false;
        std::string_view name;  // a colour's name is not kept
        const auto colour = colourLine(line, lines.number(), name);
        if (!colour) return colour.error();
        if (colours.size() == kMaxPaletteFileColours) return tooManyColours(lines.number());
        colours.push_back(*colour);
    }
    if (colours.empty()) return invalid("the palette holds no colours");
    return colours;
}

Result<std::vector<Colour>> parseJasc(std::string_view text)
{
    TextLines lines(text);
    if (auto bad = lines.firstBadByte()) return badByte(*bad);
    if (trimmed(lines.next().value_or("")) != "JASC-PAL")
        return invalid(atLine(1, "a JASC palette begins with \"JASC-PAL\""));
    const auto version = lines.next();
    if (!version || trimmed(*version) != "0100") return invalid(atLine(2, "the version is not \"0100\""));
    const auto countLine = lines.next();
    const auto count =
        countLine ? wholeNumber(*countLine, static_cast<unsigned>(kMaxPaletteFileColours)) : std::nullopt;
    if (!count || *count == 0) return invalid(atLine(3, "the colour count is not a number from 1 to 256"));

    std::vector<Colour> colours;
    colours.reserve(*count);
    while (colours.size() < *count) {
        const auto line = lines.next();
        if (!line)
            return invalid("the file ends after " + std::to_string(colours.size()) + " of " +
                           std::to_string(*count) + " colours");
        std::string_view rest;
        const auto colour = colourLine(*line, lines.number(), rest);
        if (!colour) return colour.error();
        if (!trimmed(rest).empty())
            return invalid(atLine(lines.number(), "more than three values: " + quotedToken(trimmed(rest))));
        colours.push_back(*colour);
    }
    while (const auto line = lines.next()) {
        if (!trimmed(*line).empty())
            return invalid(
                atLine(lines.number(), "more colours than the count of " + std::to_string(*count) + " says"));
    }
    return colours;
}

Result<std::vector<Colour>> parseAct(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kActColourBytes && bytes.size() != kActWithTrailer)
        return invalid("the file is " + std::to_string(bytes.size()) + " bytes; an Adobe Color Table is " +
                       std::to_string(kActColourBytes) + " or " + std::to_string(kActWithTrailer) + " bytes");
    std::size_t count = kMaxPaletteFileColours;
    if (bytes.size() == kActWithTrailer) {
        count = static_cast<std::size_t>(bytes[kActColourBytes]) << 8 | bytes[kActColourBytes + 1];
        if (count == 0 || count > kMaxPaletteFileColours)
            return invalid("bytes 768-769: the colour count " + std::to_string(count) + " is not 1 to 256");
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
    std::vector<std::uint8_t> out;
    appendText(out, "GIMP Palette\nColumns: 16\n#\n");
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
    return invalid("the file is " + std::to_string(length) + " bytes; a palette file is at most " +
                   std::to_string(kMaxPaletteFileBytes) + " bytes");
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
    if (bytes.empty()) return invalid("the file is empty");
    if (static_cast<std::int64_t>(bytes.size()) > kMaxPaletteFileBytes)
        return tooLong(static_cast<std::int64_t>(bytes.size()));
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    switch (format) {
    case PaletteFormat::Gpl: return parseGimp(text);
    case PaletteFormat::Pal: return parseJasc(text);
    case PaletteFormat::Act: return parseAct(bytes);
    case PaletteFormat::Png: break;
    }
    return invalid("a swatch image is written, never read as a palette");
}

Result<std::vector<Colour>> readPaletteFile(const std::string& path)
{
    const auto format = paletteFormatOf(path);
    if (!format || *format == PaletteFormat::Png)
        return withPath(invalid("the name does not end in .gpl, .pal or .act"), path);

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
    if (colours.empty() || colours.size() > kMaxPaletteFileColours)
        return invalid("a palette file holds 1 to 256 colours, not " + std::to_string(colours.size()));
    switch (format) {
    case PaletteFormat::Gpl: return encodeGimp(colours);
    case PaletteFormat::Pal: return encodeJasc(colours);
    case PaletteFormat::Act: return encodeAct(colours);
    case PaletteFormat::Png: return encodeSwatches(colours);
    }
    return invalid("unknown palette format");
}

std::vector<Colour> drawnColours(const Palette& palette) { return {palette.begin() + 2, palette.end()}; }

}  // namespace zpk

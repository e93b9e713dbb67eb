#include "ReferenceDecoder.h"

#include <cstdlib>

namespace zpk::reference {

namespace {

// Exact arithmetic for the ramp: a 24-character text has at most 23
// fraction digits, and integer parts past 9 digits are out of range anyway,
// so every value times its power of ten stays below 10^32.
__extension__ typedef __int128 Wide;

constexpr int kGridSide = 4000;
constexpr std::int64_t kPaletteSize = 100000;

int byteAt(const Container& c, std::int64_t p)
{
    if (p < 0 || p > c.fileLength) std::abort();  // the caller tests the bounds first
    return c.fileBytes[static_cast<std::size_t>(p)];
}

bool inside(const Container& c, std::int64_t p) { return p >= 0 && p <= c.fileLength; }

std::uint32_t colour(int red, int green, int blue)
{
    if (red > 255) red = 255;
    if (green > 255) green = 255;
    if (blue > 255) blue = 255;
    if (red < 0) red = 0;
    if (green < 0) green = 0;
    if (blue < 0) blue = 0;
    return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
           (static_cast<std::uint32_t>(blue) << 16);
}

std::int64_t textNumber(const std::string& text)
{
    std::int64_t n = 0;
    for (char ch : text) n = n * 10 + (ch - '0');
    return n;
}

bool isBlank(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f' || ch == '\v';
}

}  // namespace

Container load(std::span<const std::uint8_t> file)
{
    Container c;
    c.fileLength = static_cast<std::int64_t>(file.size());
    c.fileBytes.assign(file.begin(), file.end());
    c.fileBytes.push_back(0);

    // the count at 28, then sizes 0 to N - 2
    if (c.fileLength < 29) {
        c.neededLength = 29;
        return c;
    }
    c.entryCount = byteAt(c, 28);
    if (c.entryCount >= 2 && c.fileLength < 30 + 2 * (c.entryCount - 1)) {
        c.neededLength = 30 + 2 * (c.entryCount - 1);
        return c;
    }
    c.headerFits = true;

    c.entryOffsets.assign(1000, 0);
    std::int64_t position = 2 * c.entryCount + 31;
    c.items.push_back(std::to_string(position + 2));
    std::int64_t cursor = 30;
    for (int counter = 1; counter <= c.entryCount - 1; ++counter) {
        const std::int64_t size = byteAt(c, cursor) + 256 * byteAt(c, cursor + 1);
        cursor = cursor + 2;
        position = position + size;
        c.entryOffsets[static_cast<std::size_t>(counter)] = position;
        c.items.push_back(std::to_string(position + 2));
    }
    return c;
}

Palette emptyPalette() { return Palette(kPaletteSize, 0); }

namespace {

// A box text read as an exact number, sign * numerator / denominator: a
// 24-character text has at most 23 fraction digits.
struct RampText {
    bool isNumber = false;
    bool outOfRange = false;
    Wide numerator = 0;
    Wide denominator = 1;
};

RampText readRampText(const std::string& text)
{
    RampText out;
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first])) ++first;
    while (last > first && isBlank(text[last - 1])) --last;
    const std::string t = text.substr(first, last - first);

    std::size_t p = 0;
    int sign = 1;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) {
        if (t[p] == '-') sign = -1;
        ++p;
    }
    std::string integerDigits;
    while (p < t.size() && t[p] >= '0' && t[p] <= '9') integerDigits += t[p++];
    std::string fractionDigits;
    if (p < t.size() && t[p] == '.') {
        ++p;
        while (p < t.size() && t[p] >= '0' && t[p] <= '9') fractionDigits += t[p++];
    }
    if (p != t.size()) return out;
    if (integerDigits.empty() && fractionDigits.empty()) return out;
    if (fractionDigits.size() > 23) std::abort();  // longer than the fuzz inputs allow

    out.isNumber = true;
    while (!integerDigits.empty() && integerDigits[0] == '0') integerDigits.erase(0, 1);
    if (integerDigits.size() > 9) {
        out.outOfRange = true;  // at least 10^9 away from any 16-bit sum
        return out;
    }

    // the number is sign * numerator / denominator
    Wide numerator = 0;
    for (char ch : integerDigits) numerator = numerator * 10 + (ch - '0');
    for (char ch : fractionDigits) {
        numerator = numerator * 10 + (ch - '0');
        out.denominator = out.denominator * 10;
    }
    out.numerator = sign * numerator;
    return out;
}

// The number plus i, rounded half to even, into `sum`; false when the text
// is not a number or the sum lies outside -32768..32767.
bool rampSum(const RampText& number, int i, int& sum)
{
    if (!number.isNumber || number.outOfRange) return false;
    const Wide denominator = number.denominator;
    const Wide total = number.numerator + static_cast<Wide>(i) * denominator;

    // floor, then the remainder against one half; a half goes to the even
    Wide quotient = total / denominator;
    Wide remainder = total % denominator;
    if (remainder < 0) {
        remainder += denominator;
        quotient -= 1;
    }
    if (2 * remainder > denominator) quotient += 1;
    else if (2 * remainder == denominator && quotient % 2 != 0) quotient += 1;

    if (quotient < -32768 || quotient > 32767) return false;
    sum = static_cast<int>(quotient);
    return true;
}

}  // namespace

std::int64_t workBound(const Container& c, int row)
{
    if (!c.headerFits || row < 0 || row >= static_cast<int>(c.items.size())) return 0;
    const std::int64_t entryStart = textNumber(c.items[static_cast<std::size_t>(row)]);
    if (!inside(c, entryStart - 3) || !inside(c, entryStart)) return 1;
    const int width = static_cast<std::int16_t>(byteAt(c, entryStart - 3) + 256 * byteAt(c, entryStart - 2));
    const int height = static_cast<std::int16_t>(byteAt(c, entryStart - 1) + 256 * byteAt(c, entryStart));
    const std::int64_t area = width > 0 && height > 0 ? static_cast<std::int64_t>(width) * height : 0;
    // pre-scan, palette loop and pixel loop each walk the file at most once;
    // runs write at most width x height pixels
    return 3 * (c.fileLength + 1) + area + 256;
}

Image decode(const Container& c, int row, Palette& palette, const Options& options)
{
    Image image;
    if (!c.headerFits || row < 0 || row >= static_cast<int>(c.items.size())) return image;

    // entry selection: the row's text, and the next row's offset
    image.entryStart = textNumber(c.items[static_cast<std::size_t>(row)]);
    if (row == static_cast<int>(c.items.size()) - 1) {
        image.entryEnd = c.fileLength;
    } else {
        image.entryEnd = c.entryOffsets[static_cast<std::size_t>(row + 1)] - 1;
    }

    // width and height
    for (std::int64_t p = image.entryStart - 3; p <= image.entryStart; ++p) {
        if (!inside(c, p)) return image;
    }
    image.hasData = true;
    image.width =
        static_cast<std::int16_t>(byteAt(c, image.entryStart - 3) + 256 * byteAt(c, image.entryStart - 2));
    image.height =
        static_cast<std::int16_t>(byteAt(c, image.entryStart - 1) + 256 * byteAt(c, image.entryStart));

    // run pre-scan: one position at a time from entryStart to entryEnd
    std::int64_t readPos = image.entryStart;
    image.runExtra = 0;
    for (std::int64_t counter = image.entryStart; counter <= image.entryEnd; ++counter) {
        if (!inside(c, counter + 1)) break;  // no pair starts here or later
        if (byteAt(c, counter) == 0xFF && byteAt(c, counter + 1) == 0xFE) {
            if (inside(c, counter + 4))
                image.runExtra += byteAt(c, counter + 3) + 256 * byteAt(c, counter + 4) - 5;
        }
    }

    // stored palette
    const std::int64_t target =
        image.entryEnd - static_cast<std::int64_t>(image.width) * image.height + image.runExtra;
    std::int64_t counter = 1;
    int tripletIndex = 1;
    std::array<int, 4> rgbTriplet{};
    bool scanFlag = true;
    while (scanFlag) {
        rgbTriplet[static_cast<std::size_t>(tripletIndex)] = byteAt(c, readPos);
        tripletIndex = tripletIndex + 1;
        if (tripletIndex == 4) {
            if (counter < kPaletteSize) {
                palette[static_cast<std::size_t>(counter)] =
                    colour(rgbTriplet[1], rgbTriplet[2], rgbTriplet[3]);
            }
            counter = counter + 1;
            tripletIndex = 1;
        }
        readPos = readPos + 1;
        if (!inside(c, readPos + 1)) {
            scanFlag = false;  // the pair test would read past the buffer
        } else if (byteAt(c, readPos) == 0xFF && byteAt(c, readPos + 1) == 0xFE) {
            scanFlag = false;
        }
        if (readPos == target) scanFlag = false;
    }
    image.paletteEnd = readPos;
    image.tripletsRead = counter - 1;

    // user colour ramp
    if (options.userColor) {
        const std::array<RampText, 3> boxes = {readRampText(options.boxes[0]), readRampText(options.boxes[1]),
                                               readRampText(options.boxes[2])};
        for (int i = 1; i <= 256; ++i) {
            int red = 0;
            int green = 0;
            int blue = 0;
            if (!rampSum(boxes[0], i, red)) continue;
            if (!rampSum(boxes[1], i, green)) continue;
            if (!rampSum(boxes[2], i, blue)) continue;
            palette[static_cast<std::size_t>(i)] = colour(red, green, blue);
        }
    }

    // run-length decoding
    image.streamEnd = readPos;
    if (image.width < 1 || image.height < 1) return image;
    const std::int64_t total = static_cast<std::int64_t>(image.width) * image.height;
    image.storedWidth = image.width < kGridSide ? image.width : kGridSide;
    image.storedHeight = image.height < kGridSide ? image.height : kGridSide;
    image.pixels.assign(
        static_cast<std::size_t>(image.storedWidth) * static_cast<std::size_t>(image.storedHeight), 0);
    auto store = [&](std::int64_t k, int value) {
        const std::int64_t x = (k - 1) % image.width;
        const std::int64_t y = (k - 1) / image.width;
        if (x < kGridSide && y < kGridSide) {
            image.pixels[static_cast<std::size_t>(y * image.storedWidth + x)] =
                static_cast<std::uint8_t>(value);
        }
    };
    counter = 1;
    scanFlag = true;
    while (scanFlag) {
        if (!inside(c, readPos + 1)) break;
        if (byteAt(c, readPos) == 0xFF && byteAt(c, readPos + 1) == 0xFE) {
            if (!inside(c, readPos + 4)) break;
            const std::int64_t runStart = counter;
            counter = counter + byteAt(c, readPos + 3) + 256 * byteAt(c, readPos + 4);
            for (std::int64_t runIndex = 1; runIndex <= counter - runStart; ++runIndex) {
                const std::int64_t k = runStart + runIndex - 1;
                if (k > total) break;  // an overshoot is not drawn
                store(k, byteAt(c, readPos + 2));
            }
            readPos = readPos + 4;
            image.runCodes = image.runCodes + 1;
        } else {
            store(counter, byteAt(c, readPos));
            counter = counter + 1;
        }
        if (counter - 1 >= total) scanFlag = false;  // exactly full, or a run overshot
        readPos = readPos + 1;
    }
    image.pixelCount = counter - 1 < total ? counter - 1 : total;
    image.streamEnd = readPos;
    return image;
}

}  // namespace zpk::reference

#include "overview/SheetCanvas.h"

#include "overview/BitmapFont.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace zpk {

namespace {

// The positions a shrunk picture samples of the box [start, end) of its
// columns or rows enlarged `step` times: all of them, or kBoxSamples spread
// evenly; each as the source column or row it shows. An enlarged picture
// takes the one in the middle: its pixels stay blocks of one colour, never
// a blend of two neighbours.
void appendSamples(std::int64_t start, std::int64_t end, int step, std::vector<int>& out)
{
    if (step > 1) {
        out.push_back(static_cast<int>((start + end - 1) / 2 / step));
        return;
    }
    const std::int64_t span = end - start;
    if (span <= kBoxSamples) {
        for (std::int64_t p = start; p < end; ++p) out.push_back(static_cast<int>(p / step));
        return;
    }
    for (std::int64_t i = 0; i < kBoxSamples; ++i)
        out.push_back(
            static_cast<int>((start + (2 * i + 1) * span / (2 * std::int64_t{kBoxSamples})) / step));
}

// How many pixels of the stored row y the stream produced, from the left.
int producedInRow(const DecodedImage& image, int y)
{
    const std::int64_t rowStart = static_cast<std::int64_t>(y) * image.imageWidth;
    if (rowStart >= image.produced) return 0;
    return static_cast<int>(std::min<std::int64_t>(image.clippedWidth, image.produced - rowStart));
}

const std::uint8_t* storedRow(const DecodedImage& image, int y)
{
    return image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.clippedWidth);
}

void put(std::uint8_t* out, int x, const std::array<std::uint8_t, 4>& colour)
{
    std::memcpy(out + 4 * static_cast<std::size_t>(x), colour.data(), 4);
}

}  // namespace

EntryPicture entryPicture(DecodedImage image, const Palette& palette, DropFirst dropFirst)
{
    EntryPicture picture;
    picture.image = std::move(image);
    for (std::size_t v = 0; v < picture.rgba.size(); ++v) {
        const Colour c = palette[v + 2];
        picture.rgba[v] = {static_cast<std::uint8_t>(redOf(c)), static_cast<std::uint8_t>(greenOf(c)),
                           static_cast<std::uint8_t>(blueOf(c)), 255};
    }
    // a transparent pixel is all zeros, as one never drawn
    if (dropFirst == DropFirst::On) picture.rgba[0] = {0, 0, 0, 0};
    return picture;
}

FittedSize fittedSize(int width, int height, int side)
{
    if (width <= side && height <= side) return {width, height};
    return filledSize(width, height, side);
}

int wholeStep(int length, int side)
{
    if (length < 1 || length >= side) return 1;
    return (side + length - 1) / length;
}

FittedSize filledSize(int width, int height, int side)
{
    const std::int64_t longer = std::max({width, height, 1});
    const auto scaled = [&](int length) {
        return static_cast<int>(
            std::max<std::int64_t>(1, (static_cast<std::int64_t>(length) * side + longer / 2) / longer));
    };
    return {scaled(width), scaled(height)};
}

int labelWidth(int number) { return textWidth(std::to_string(number)) + 2; }

SheetCanvas::SheetCanvas(int width, int height) : m_width(width), m_height(height) {}

void SheetCanvas::placePicture(int x, int y, const EntryPicture& picture, int width, int height, int step)
{
    step = std::max(step, 1);
    Placed placed{&picture,
                  x,
                  y,
                  std::clamp(width, 1, std::max(1, picture.width() * step)),
                  std::clamp(height, 1, std::max(1, picture.height() * step)),
                  step,
                  {},
                  {}};
    const std::int64_t source = std::int64_t{picture.width()} * step;
    for (std::int64_t dx = 0; dx < placed.width; ++dx) {
        placed.first.push_back(static_cast<int>(placed.columns.size()));
        appendSamples(dx * source / placed.width, (dx + 1) * source / placed.width, step, placed.columns);
    }
    placed.first.push_back(static_cast<int>(placed.columns.size()));
    m_pictures.push_back(std::move(placed));
}

void SheetCanvas::placeLabel(int x, int y, int number) { m_labels.push_back({x, y, std::to_string(number)}); }

void SheetCanvas::placeCross(int x, int y, int side) { m_crosses.push_back({x, y, side}); }

void SheetCanvas::row(int y, std::uint8_t* out) const
{
    std::memset(out, 0, static_cast<std::size_t>(m_width) * 4);
    for (const Placed& placed : m_pictures) {
        if (y >= placed.y && y - placed.y < placed.height) pictureRow(placed, y - placed.y, out);
    }
    for (const Label& label : m_labels) {
        const int dy = y - label.y;
        if (dy < 0 || dy >= kLabelHeight) continue;
        const int width = textWidth(label.text) + 2;
        for (int dx = 0; dx < width && label.x + dx < m_width; ++dx)
            put(out, label.x + dx, textPixel(label.text, dx - 1, dy - 1) ? kLabelInk : kLabelPaper);
    }
    for (const Cross& cross : m_crosses) {
        const int dy = y - cross.y;
        if (dy < 0 || dy >= cross.side) continue;
        for (const int dx : {dy, cross.side - 1 - dy})
            if (cross.x + dx < m_width) put(out, cross.x + dx, kCrossColour);
    }
}

void SheetCanvas::pictureRow(const Placed& placed, int dy, std::uint8_t* out) const
{
    const EntryPicture& picture = *placed.picture;
    const DecodedImage& image = picture.image;
    const int columns = std::min(placed.width, m_width - placed.x);
    if (placed.step == 1 && placed.width == picture.width() && placed.height == picture.height()) {
        // 1x: each pixel as it is
        const int end = std::min(producedInRow(image, dy), columns);
        const std::uint8_t* line = end > 0 ? storedRow(image, dy) : nullptr;
        for (int x = 0; x < end; ++x) put(out, placed.x + x, picture.rgba[line[x]]);
        return;
    }
    // the rows this output row samples: where each starts, and how many of
    // its pixels were produced; raw arrays, since this loop is the work of
    // a thumbnail and must stay quick in unoptimised builds too
    std::vector<int> rows;
    const std::int64_t source = std::int64_t{picture.height()} * placed.step;
    appendSamples(dy * source / placed.height, (dy + 1) * source / placed.height, placed.step, rows);
    std::array<const std::uint8_t*, kBoxSamples> lines{};
    std::array<int, kBoxSamples> produced{};
    const std::size_t rowCount = rows.size();
    for (std::size_t r = 0; r < rowCount; ++r) {
        lines[r] = storedRow(image, rows[r]);
        produced[r] = producedInRow(image, rows[r]);
    }
    std::uint8_t colours[256][4];
    static_assert(sizeof colours == sizeof picture.rgba);
    std::memcpy(colours, picture.rgba.data(), sizeof colours);
    const int* samples = placed.columns.data();
    const int* first = placed.first.data();

    for (int dx = 0; dx < columns; ++dx) {
        unsigned red = 0;
        unsigned green = 0;
        unsigned blue = 0;
        unsigned drawn = 0;
        const int* from = samples + first[dx];
        const int* to = samples + first[dx + 1];
        for (std::size_t r = 0; r < rowCount; ++r) {
            const std::uint8_t* line = lines[r];
            const int end = produced[r];
            for (const int* sx = from; sx != to && *sx < end; ++sx) {
                const std::uint8_t* colour = colours[line[*sx]];
                if (colour[3] == 0) continue;
                red += colour[0];
                green += colour[1];
                blue += colour[2];
                ++drawn;
            }
        }
        if (drawn == 0) continue;
        const auto total = static_cast<unsigned>(to - from) * static_cast<unsigned>(rowCount);
        const auto mean = [drawn](unsigned sum) {
            return static_cast<std::uint8_t>((sum + drawn / 2) / drawn);
        };
        put(out, placed.x + dx,
            {mean(red), mean(green), mean(blue),
             static_cast<std::uint8_t>((255 * drawn + total / 2) / total)});
    }
}

}  // namespace zpk

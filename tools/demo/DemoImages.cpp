#include "DemoImages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string_view>

namespace zpk::demo {

namespace {

// sin(2 pi turns) from a Taylor polynomial on [-pi/2, pi/2]. The C library's
// sin may differ in the last bit from one system to the next, and one bit
// can move a pixel to the next palette index.
double sinTurns(double turns)
{
    double t = turns - std::floor(turns);  // [0, 1)
    if (t > 0.75) t -= 1.0;                // (-0.25, 0]
    else if (t > 0.25) t = 0.5 - t;        // sin(2 pi t) = sin(2 pi (1/2 - t))
    const double x = t * 6.28318530717958647692;
    const double x2 = x * x;
    // the first term left out, x^15 / 15!, stays below 1e-9
    return x * (1 - x2 / 6 * (1 - x2 / 20 * (1 - x2 / 42 * (1 - x2 / 72 * (1 - x2 / 110 * (1 - x2 / 156))))));
}

double cosTurns(double turns) { return sinTurns(turns + 0.25); }

int roundToInt(double v) { return static_cast<int>(std::floor(v + 0.5)); }
double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
std::uint8_t toByte(double v) { return static_cast<std::uint8_t>(std::clamp(roundToInt(v), 0, 255)); }

double distance(double x0, double y0, double x1, double y1)
{
    return std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
}

Rgb mix(Rgb a, Rgb b, double t)
{
    t = clamp01(t);
    return {toByte(a.red + (b.red - a.red) * t), toByte(a.green + (b.green - a.green) * t),
            toByte(a.blue + (b.blue - a.blue) * t)};
}

struct Stop {
    double at;  // 0 to 1, rising
    Rgb colour;
};

Rgb gradient(std::span<const Stop> stops, double t)
{
    if (t <= stops.front().at) return stops.front().colour;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].at)
            return mix(stops[i - 1].colour, stops[i].colour,
                       (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    }
    return stops.back().colour;
}

// xorshift32: a fixed sequence from a fixed seed.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_state(seed != 0 ? seed : 1) {}
    std::uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint32_t m_state;
};

// Pixel values laid out row by row; writes outside are ignored.
class Picture {
public:
    Picture(int width, int height, std::uint8_t fill = 0)
        : m_width(width),
          m_height(height),
          m_pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill)
    {
    }

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    void set(int x, int y, int value)
    {
        if (contains(x, y)) m_pixels[index(x, y)] = static_cast<std::uint8_t>(value);
    }
    std::uint8_t at(int x, int y) const { return m_pixels[index(x, y)]; }

    WriterImage take(std::vector<Rgb> colours) &&
    {
        return WriterImage{m_width, m_height, std::move(colours), std::move(m_pixels)};
    }

private:
    std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x);
    }

    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_pixels;
};

// The palette ends at the first 0xFF 0xFE pair, so a 0xFE right behind a
// 0xFF (within a colour or across two) becomes 0xFD, a step no eye sees.
void avoidMarkerPairs(std::vector<Rgb>& colours)
{
    std::uint8_t previous = 0;  // the blue of the unused first triplet
    for (Rgb& c : colours) {
        for (std::uint8_t* byte : {&c.red, &c.green, &c.blue}) {
            if (previous == 0xFF && *byte == 0xFE) *byte = 0xFD;
            previous = *byte;
        }
    }
}

DemoImage finish(std::string name, Picture&& picture, std::vector<Rgb> colours)
{
    avoidMarkerPairs(colours);
    return DemoImage{std::move(name), std::move(picture).take(std::move(colours))};
}

// A glossy red ball over its shadow, on a night-blue background of value 0.
DemoImage sphere()
{
    constexpr int kSize = 232;
    constexpr int kShadowShades = 8;
    constexpr int kFirstShade = 1 + kShadowShades;
    constexpr int kShades = 256 - kFirstShade;
    const Rgb background{18, 22, 46};

    std::vector<Rgb> colours(256);
    colours[0] = background;
    for (int k = 1; k <= kShadowShades; ++k)
        colours[static_cast<std::size_t>(k)] = mix(background, {3, 4, 12}, k / 9.0);
    const Rgb dark{34, 6, 28};
    const Rgb body{214, 52, 84};
    const Rgb shine{255, 244, 236};
    for (int i = 0; i < kShades; ++i) {
        const double u = i / (kShades - 1.0);
        colours[static_cast<std::size_t>(kFirstShade + i)] =
            u < 0.72 ? mix(dark, body, u / 0.72) : mix(body, shine, (u - 0.72) / 0.28);
    }

    Picture picture(kSize, kSize);
    const double shadowX = 134;
    const double shadowY = 208;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double dx = (x + 0.5 - shadowX) / 88;
            const double dy = (y + 0.5 - shadowY) / 16;
            const double d = dx * dx + dy * dy;
            if (d < 1)
                picture.set(x, y, std::min(kShadowShades, 1 + static_cast<int>((1 - d) * kShadowShades)));
        }
    }

    const double centreX = 114;
    const double centreY = 104;
    const double radius = 94;
    // light from the upper left, towards the viewer; h halfway to the eye
    const double lLength = std::sqrt(0.48 * 0.48 + 0.56 * 0.56 + 0.675 * 0.675);
    const double lx = -0.48 / lLength, ly = -0.56 / lLength, lz = 0.675 / lLength;
    const double hLength = std::sqrt(lx * lx + ly * ly + (lz + 1) * (lz + 1));
    const double hx = lx / hLength, hy = ly / hLength, hz = (lz + 1) / hLength;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double nx = (x + 0.5 - centreX) / radius;
            const double ny = (y + 0.5 - centreY) / radius;
            const double q = nx * nx + ny * ny;
            if (q >= 1) continue;
            const double nz = std::sqrt(1 - q);
            const double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
            double spec = std::max(0.0, nx * hx + ny * hy + nz * hz);
            spec = spec * spec * spec;                                 // ^3
            for (int k = 0; k < 4; ++k) spec *= spec;                  // ^48
            const double bounce = 0.1 * std::max(0.0, ny) * (1 - nz);  // floor light on the underside
            const double u = clamp01(0.72 * (0.1 + 0.9 * diffuse + bounce) + 0.28 * spec);
            picture.set(x, y, kFirstShade + roundToInt(u * (kShades - 1)));
        }
    }
    return finish("sphere", std::move(picture), std::move(colours));
}

// Interfering sine waves through a cyclic palette of 256 colours.
DemoImage plasma()
{
    constexpr int kWidth = 256;
    constexpr int kHeight = 192;
    std::vector<Rgb> colours(256);
    for (int i = 0; i < 256; ++i) {
        const double t = i / 256.0;
        colours[static_cast<std::size_t>(i)] = {toByte(255 * (0.5 + 0.5 * cosTurns(t + 0.00))),
                                                toByte(255 * (0.5 + 0.5 * cosTurns(t + 0.15))),
                                                toByte(255 * (0.5 + 0.5 * cosTurns(t + 0.30)))};
    }
    Picture picture(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double v = sinTurns(x / 110.0) + sinTurns(y / 70.0 + x / 230.0) +
                             sinTurns(distance(x, y, 180, 60) / 48.0) +
                             sinTurns(distance(x, y, 50, 150) / 37.0);
            // v lies in [-4, 4]: twice round the palette
            picture.set(x, y, static_cast<int>(std::floor((v + 4) * 64)) & 0xFF);
        }
    }
    return finish("plasma", std::move(picture), std::move(colours));
}

// Truchet tiles: quarter-circle tubes that join across tile edges.
DemoImage tiles()
{
    constexpr int kTile = 40;
    constexpr int kWidth = 8 * kTile;
    constexpr int kHeight = 6 * kTile;
    constexpr double kHalfWidth = 7.5;
    constexpr int kFirstTube = 3;
    constexpr int kTubeShades = 24;
    std::vector<Rgb> colours(kFirstTube + kTubeShades);
    colours[0] = {244, 236, 220};
    colours[1] = {230, 219, 199};
    colours[2] = {28, 48, 58};
    for (int i = 0; i < kTubeShades; ++i) {
        const double t = i / (kTubeShades - 1.0);
        colours[static_cast<std::size_t>(kFirstTube + i)] =
            t < 0.8 ? mix({22, 84, 98}, {96, 196, 190}, t / 0.8)
                    : mix({96, 196, 190}, {236, 255, 248}, (t - 0.8) / 0.2);
    }

    Picture picture(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int tx = x / kTile;
            const int ty = y / kTile;
            const auto hash =
                (static_cast<std::uint32_t>(tx) * 73856093u ^ static_cast<std::uint32_t>(ty) * 19349663u) *
                2654435761u;
            const bool flipped = ((hash >> 15) & 1) != 0;
            const double lx = x - tx * kTile + 0.5;
            const double ly = y - ty * kTile + 0.5;
            // the two arcs' centres: opposite corners of the tile
            const double c1x = flipped ? kTile : 0;
            const double c2x = flipped ? 0 : kTile;
            const double band1 = std::abs(distance(lx, ly, c1x, 0) - kTile / 2.0);
            const double band2 = std::abs(distance(lx, ly, c2x, kTile) - kTile / 2.0);
            const double d = std::min(band1, band2);
            if (d >= kHalfWidth) {
                picture.set(x, y, (tx + ty) & 1);
            } else if (d >= kHalfWidth - 1.25) {
                picture.set(x, y, 2);
            } else {
                const double across = d / (kHalfWidth - 1.25);
                const double height = std::sqrt(1 - across * across);  // a round tube's profile
                picture.set(x, y, kFirstTube + roundToInt(height * (kTubeShades - 1)));
            }
        }
    }
    return finish("tiles", std::move(picture), std::move(colours));
}

// A faceted golden star with a glow, among small sparkles, on a background
// of value 0.
DemoImage star()
{
    constexpr int kSize = 240;
    constexpr int kFaceShades = 20;
    constexpr int kOutline = 1 + kFaceShades;
    constexpr int kFirstGlow = kOutline + 1;
    constexpr int kGlowShades = 8;
    constexpr int kSparkle = kFirstGlow + kGlowShades;
    constexpr int kSparkleArm = kSparkle + 1;
    constexpr double kGlowWidth = 16;
    const Rgb background{28, 16, 58};

    std::vector<Rgb> colours(static_cast<std::size_t>(kSparkleArm + 1));
    colours[0] = background;
    static constexpr std::array<Stop, 3> kGold{
        {{0, {110, 46, 8}}, {0.55, {232, 150, 30}}, {1, {255, 236, 140}}}};
    for (int i = 0; i < kFaceShades; ++i)
        colours[static_cast<std::size_t>(1 + i)] = gradient(kGold, i / (kFaceShades - 1.0));
    colours[kOutline] = {64, 28, 6};
    for (int i = 0; i < kGlowShades; ++i)
        colours[static_cast<std::size_t>(kFirstGlow + i)] =
            mix({255, 196, 96}, background, (i + 1.5) / (kGlowShades + 1.0));
    colours[kSparkle] = {255, 255, 240};
    colours[kSparkleArm] = {150, 140, 190};

    const double cx = 120;
    const double cy = 128;
    std::array<double, 11> vx{};
    std::array<double, 11> vy{};
    for (int k = 0; k <= 10; ++k) {
        const double radius = k % 2 == 0 ? 106 : 44;
        const double angle = -0.25 + k / 10.0;
        vx[static_cast<std::size_t>(k)] = cx + radius * cosTurns(angle);
        vy[static_cast<std::size_t>(k)] = cy + radius * sinTurns(angle);
    }
    // light from the upper left, in the picture's plane
    const double lightX = -0.6;
    const double lightY = -0.8;

    Picture picture(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            int face = -1;
            double edge = 1e9;
            for (std::size_t k = 0; k < 10; ++k) {
                const double ex = vx[k + 1] - vx[k];
                const double ey = vy[k + 1] - vy[k];
                // inside triangle (centre, v[k], v[k+1]): the vertices run clockwise on screen
                const double c0 = (vx[k] - cx) * (py - cy) - (vy[k] - cy) * (px - cx);
                const double c1 = ex * (py - vy[k]) - ey * (px - vx[k]);
                const double c2 = (cx - vx[k + 1]) * (py - vy[k + 1]) - (cy - vy[k + 1]) * (px - vx[k + 1]);
                if (c0 >= 0 && c1 >= 0 && c2 >= 0) face = static_cast<int>(k);
                // distance to the outline's segment v[k] v[k+1]
                const double along = clamp01(((px - vx[k]) * ex + (py - vy[k]) * ey) / (ex * ex + ey * ey));
                edge = std::min(edge, distance(px, py, vx[k] + along * ex, vy[k] + along * ey));
            }
            if (face >= 0) {
                if (edge < 2.2) {
                    picture.set(x, y, kOutline);
                    continue;
                }
                const auto k = static_cast<std::size_t>(face);
                const double ex = vx[k + 1] - vx[k];
                const double ey = vy[k + 1] - vy[k];
                const double length = std::sqrt(ex * ex + ey * ey);
                // each face leans outwards across its outer edge
                const double facing = (ey * lightX - ex * lightY) / length;
                const double shade = (0.52 + 0.46 * facing) * (1.08 - 0.22 * distance(px, py, cx, cy) / 106);
                picture.set(x, y, 1 + roundToInt(clamp01(shade) * (kFaceShades - 1)));
            } else if (edge < kGlowWidth) {
                picture.set(x, y,
                            kFirstGlow + std::min(kGlowShades - 1,
                                                  static_cast<int>(edge / (kGlowWidth / kGlowShades))));
            }
        }
    }

    Random random(20240607);
    for (int n = 0; n < 44; ++n) {
        const int x = 3 + random.below(kSize - 6);
        const int y = 3 + random.below(kSize - 6);
        const int arm = 1 + random.below(3) / 2;
        bool clear = true;
        for (int dy = -arm; dy <= arm && clear; ++dy) {
            for (int dx = -arm; dx <= arm && clear; ++dx) clear = picture.at(x + dx, y + dy) == 0;
        }
        if (!clear) continue;
        picture.set(x, y, kSparkle);
        for (int d = 1; d <= arm; ++d) {
            picture.set(x - d, y, kSparkleArm);
            picture.set(x + d, y, kSparkleArm);
            picture.set(x, y - d, kSparkleArm);
            picture.set(x, y + d, kSparkleArm);
        }
    }
    return finish("star", std::move(picture), std::move(colours));
}

// A small robot in pixel art, eight pixels to a dot, on a background of
// value 0.
DemoImage figure()
{
    constexpr int kScale = 8;
    static constexpr std::array<std::string_view, 19> kDots{{
        "......KRRK......", "......KRWK......", ".......KK.......", "..KKKKKKKKKKKK..", ".KGWGGGGGGGGGgK.",
        ".KGKKKGGGGKKKgK.", ".KGKCWKGGKCWKgK.", ".KGKCCKGGKCCKgK.", ".KGGKKGGGGKKGgK.", ".KGGGdYdYdGGGgK.",
        ".KgggggggggggdK.", "..KKKKKKKKKKKK..", ".KdKGGGGGGGGKdK.", "KdKGGRRGGYYGGKdK", "KdKGGRRGGYYGGKdK",
        "KKKGGGGGGGGGGKKK", "...KgggggggggK..", "...KddK..KddK...", "...KKKK..KKKK...",
    }};
    // the dot codes and their pixel values
    static constexpr std::string_view kCodes = ".KGgdCRWY";
    std::vector<Rgb> colours{
        {196, 222, 236},  // . background
        {24, 20, 37},     // K outline
        {184, 194, 206},  // G light metal
        {132, 142, 160},  // g mid metal
        {88, 94, 112},    // d dark metal
        {90, 232, 240},   // C eyes
        {232, 62, 64},    // R red
        {252, 252, 250},  // W highlight
        {252, 208, 76},   // Y yellow
        {160, 188, 206},  // shadow on the floor
    };
    constexpr int kShadow = 9;
    constexpr int kLeft = 16;
    constexpr int kTop = 8;
    const int width = 16 * kScale + 2 * kLeft;
    const int height = static_cast<int>(kDots.size()) * kScale + kTop + 24;

    Picture picture(width, height);
    const double shadowX = width / 2.0;
    const double shadowY = kTop + static_cast<int>(kDots.size()) * kScale - 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double dx = (x + 0.5 - shadowX) / 70;
            const double dy = (y + 0.5 - shadowY) / 10;
            if (dx * dx + dy * dy < 1) picture.set(x, y, kShadow);
        }
    }
    for (std::size_t row = 0; row < kDots.size(); ++row) {
        for (std::size_t column = 0; column < kDots[row].size(); ++column) {
            const auto value = kCodes.find(kDots[row][column]);
            if (value == 0 || value == std::string_view::npos) continue;
            for (int y = 0; y < kScale; ++y) {
                for (int x = 0; x < kScale; ++x) {
                    picture.set(kLeft + static_cast<int>(column) * kScale + x,
                                kTop + static_cast<int>(row) * kScale + y, static_cast<int>(value));
                }
            }
        }
    }
    return finish("robot", std::move(picture), std::move(colours));
}

// The Mandelbrot set, escape times in banded colours; the set itself has
// value 0.
DemoImage mandelbrot()
{
    constexpr int kWidth = 300;
    constexpr int kHeight = 240;
    constexpr int kMaxIterations = 160;
    static constexpr std::array<Stop, 7> kBands{{
        {0.00, {8, 14, 60}},
        {0.18, {26, 90, 190}},
        {0.36, {120, 210, 240}},
        {0.50, {250, 250, 236}},
        {0.66, {250, 176, 40}},
        {0.84, {160, 40, 20}},
        {1.00, {8, 14, 60}},
    }};
    std::vector<Rgb> colours(256);
    colours[0] = {6, 4, 16};
    for (int i = 1; i < 256; ++i) colours[static_cast<std::size_t>(i)] = gradient(kBands, (i - 1) / 255.0);

    Picture picture(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double cr = -2.2 + (x + 0.5) * (3.1 / kWidth);
            const double ci = -1.24 + (y + 0.5) * (2.48 / kHeight);
            double zr = 0;
            double zi = 0;
            int n = 0;
            while (n < kMaxIterations && zr * zr + zi * zi <= 16) {
                const double t = zr * zr - zi * zi + cr;
                zi = 2 * zr * zi + ci;
                zr = t;
                ++n;
            }
            picture.set(x, y, n == kMaxIterations ? 0 : 1 + (n * 6) % 255);
        }
    }
    return finish("mandelbrot", std::move(picture), std::move(colours));
}

// A striped sun setting behind three ranges of hills, mirrored in the sea.
// As large as the canvas allows.
DemoImage sunset()
{
    constexpr int kWidth = kMaxDemoWidth;
    constexpr int kHeight = kMaxDemoHeight;
    constexpr int kHorizon = 300;
    constexpr int kFirstSky = 1;
    constexpr int kSkyShades = 100;
    constexpr int kFirstSun = kFirstSky + kSkyShades;
    constexpr int kSunShades = 16;
    constexpr int kFirstHill = kFirstSun + kSunShades;
    constexpr int kHills = 3;
    constexpr int kFirstWater = kFirstHill + kHills;
    constexpr int kWaterShades = 40;
    constexpr int kFirstGlint = kFirstWater + kWaterShades;
    constexpr int kGlintShades = 8;
    constexpr int kStar = kFirstGlint + kGlintShades;
    constexpr int kDimStar = kStar + 1;
    constexpr double kSunX = 238;
    constexpr double kSunY = 206;
    constexpr double kSunRadius = 64;

    std::vector<Rgb> colours(static_cast<std::size_t>(kDimStar + 1));
    static constexpr std::array<Stop, 5> kSky{{
        {0.00, {12, 14, 52}},
        {0.40, {64, 32, 104}},
        {0.70, {170, 60, 120}},
        {0.88, {240, 110, 100}},
        {1.00, {255, 182, 112}},
    }};
    for (int i = 0; i < kSkyShades; ++i)
        colours[static_cast<std::size_t>(kFirstSky + i)] = gradient(kSky, i / (kSkyShades - 1.0));
    for (int i = 0; i < kSunShades; ++i)
        colours[static_cast<std::size_t>(kFirstSun + i)] =
            mix({255, 238, 140}, {255, 84, 128}, i / (kSunShades - 1.0));
    colours[kFirstHill] = {116, 48, 112};
    colours[kFirstHill + 1] = {72, 28, 84};
    colours[kFirstHill + 2] = {34, 14, 46};
    static constexpr std::array<Stop, 3> kSea{{{0, {156, 62, 112}}, {0.3, {72, 30, 92}}, {1, {12, 10, 38}}}};
    for (int i = 0; i < kWaterShades; ++i)
        colours[static_cast<std::size_t>(kFirstWater + i)] = gradient(kSea, i / (kWaterShades - 1.0));
    for (int i = 0; i < kGlintShades; ++i)
        colours[static_cast<std::size_t>(kFirstGlint + i)] =
            mix({255, 190, 130}, {120, 40, 110}, i / (kGlintShades + 2.0));
    colours[kStar] = {255, 250, 230};
    colours[kDimStar] = {150, 130, 180};

    Picture picture(kWidth, kHeight);
    for (int y = 0; y < kHorizon; ++y) {
        const int sky = kFirstSky + roundToInt(y / (kHorizon - 1.0) * (kSkyShades - 1));
        for (int x = 0; x < kWidth; ++x) picture.set(x, y, sky);
    }
    Random random(8675309);
    for (int n = 0; n < 90; ++n) {
        const int x = random.below(kWidth);
        const int y = random.below(160);
        picture.set(x, y, random.below(3) == 0 ? kStar : kDimStar);
    }

    for (int y = static_cast<int>(kSunY - kSunRadius); y < kHorizon; ++y) {
        const double below = y + 0.5 - kSunY;
        // bars cut through the lower half, thicker towards the horizon
        if (below > 4) {
            const int bar = static_cast<int>(below) / 11;
            if (static_cast<int>(below) % 11 < 1 + bar) continue;
        }
        const int shade =
            kFirstSun + std::min(kSunShades - 1, static_cast<int>((y - (kSunY - kSunRadius)) /
                                                                  (2 * kSunRadius) * kSunShades));
        for (int x = 0; x < kWidth; ++x) {
            if (distance(x + 0.5, y + 0.5, kSunX, kSunY) < kSunRadius) picture.set(x, y, shade);
        }
    }

    struct Hill {
        double base;
        double amplitude[3];
        double period[3];
        double phase[3];
    };
    static constexpr std::array<Hill, kHills> kHillRanges{{
        {50, {22, 10, 5}, {410, 150, 47}, {0.10, 0.70, 0.30}},
        {34, {16, 8, 4}, {330, 120, 39}, {0.55, 0.20, 0.80}},
        {22, {15, 6, 3}, {270, 95, 31}, {0.85, 0.40, 0.15}},
    }};
    for (int layer = 0; layer < kHills; ++layer) {
        const Hill& hill = kHillRanges[static_cast<std::size_t>(layer)];
        for (int x = 0; x < kWidth; ++x) {
            double h = hill.base;
            for (int k = 0; k < 3; ++k) h += hill.amplitude[k] * sinTurns(x / hill.period[k] + hill.phase[k]);
            for (int y = kHorizon - roundToInt(h); y < kHorizon; ++y) picture.set(x, y, kFirstHill + layer);
        }
    }

    for (int y = kHorizon; y < kHeight; ++y) {
        const double t = (y - kHorizon) / (kHeight - 1.0 - kHorizon);
        const int water = kFirstWater + roundToInt(t * (kWaterShades - 1));
        for (int x = 0; x < kWidth; ++x) picture.set(x, y, water);
        // the sun's glints: broken streaks, narrower and dimmer towards the viewer
        if ((y - kHorizon) / 3 % 2 != 0) continue;
        const double halfWidth = kSunRadius * (1 - 0.6 * t) * (0.5 + 0.5 * sinTurns(y / 9.7));
        const double centre = kSunX + 8 * sinTurns(y / 5.3);
        const int glint = kFirstGlint + std::min(kGlintShades - 1, static_cast<int>(t * kGlintShades));
        for (int x = 0; x < kWidth; ++x) {
            if (std::abs(x + 0.5 - centre) < halfWidth) picture.set(x, y, glint);
        }
    }
    return finish("sunset", std::move(picture), std::move(colours));
}

}  // namespace

std::vector<DemoImage> demoImages()
{
    std::vector<DemoImage> images;
    images.push_back(sphere());
    images.push_back(plasma());
    images.push_back(tiles());
    images.push_back(star());
    images.push_back(figure());
    images.push_back(mandelbrot());
    images.push_back(sunset());  // last: the only entry that may pass 65535 bytes
    return images;
}

Result<std::vector<std::uint8_t>> buildContainer(const std::vector<DemoImage>& images)
{
    ContainerBuilder builder;
    for (const DemoImage& image : images) builder.entry(image.image);
    return builder.build();
}

}  // namespace zpk::demo

#include "export/PngReader.h"

#include <spng.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace zpk {

namespace {

// Ancillary chunks (text, profiles) are kept by libspng while it reads: a
// bound on each and on all of them together.
constexpr std::size_t kMaxChunkBytes = std::size_t{1} << 24;
constexpr std::size_t kMaxChunkCache = std::size_t{1} << 26;

constexpr std::size_t kMaxColours = 256;

struct ContextDeleter {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Decoder = std::unique_ptr<spng_ctx, ContextDeleter>;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

Error packError(const std::string& name, std::string detail)
{
    Error e = makeDetailedError(ErrorCode::CannotPack, std::move(detail));
    e.path = name;
    return e;
}

Error notPng(const std::string& name, int ret)
{
    return packError(name, std::string("not a readable PNG: ") + spng_strerror(ret));
}

std::string at(std::int64_t index, int width)
{
    return "pixel (" + std::to_string(index % width) + ", " + std::to_string(index / width) + ")";
}

std::string hex(const Rgb& c)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out = "#";
    for (const std::uint8_t b : {c.red, c.green, c.blue}) {
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

// The colours of a palette PNG, in index order.
Result<std::vector<Rgb>> paletteOf(spng_ctx* ctx, const std::string& name)
{
    spng_plte plte{};
    if (const int ret = spng_get_plte(ctx, &plte); ret != 0) return notPng(name, ret);
    std::vector<Rgb> colours;
    for (std::uint32_t k = 0; k < plte.n_entries && k < kMaxColours; ++k)
        colours.push_back({plte.entries[k].red, plte.entries[k].green, plte.entries[k].blue});
    return colours;
}

// Why stored colours in this fixed order cannot be written, or nothing.
std::optional<std::string> fixedOrderProblem(const std::vector<Rgb>& colours)
{
    const int k = markerPairAt(colours);
    if (k < 0) return std::nullopt;
    const auto index = static_cast<std::size_t>(k);
    if (holdsMarkerPair(colours[index]))
        return "palette colour " + std::to_string(k) + " (" + hex(colours[index]) +
               ") holds the bytes 0xFF 0xFE, which would end the stored palette";
    return "palette colours " + std::to_string(k) + " and " + std::to_string(k + 1) + " (" +
           hex(colours[index]) + ", " + hex(colours[index + 1]) +
           ") hold the bytes 0xFF 0xFE, which would end the stored palette; a palette image's order is "
           "its pixel values and stays as it is";
}

Result<WriterImage> readIndexed(spng_ctx* ctx, const spng_ihdr& ihdr, const std::string& name)
{
    std::size_t size = 0;
    int ret = spng_decoded_image_size(ctx, SPNG_FMT_PNG, &size);
    if (ret != 0) return notPng(name, ret);
    const std::size_t width = ihdr.width;
    const std::size_t height = ihdr.height;
    const unsigned depth = ihdr.bit_depth;
    const std::size_t rowBytes = (width * depth + 7) / 8;
    if (size != rowBytes * height) return packError(name, "not a readable PNG: unexpected row size");
    std::vector<std::uint8_t> packed(size);
    ret = spng_decode_image(ctx, packed.data(), packed.size(), SPNG_FMT_PNG, 0);
    if (ret != 0) return notPng(name, ret);

    auto colours = paletteOf(ctx, name);
    if (!colours) return colours.error();
    spng_trns trns{};
    const bool hasTrns = spng_get_trns(ctx, &trns) == 0;
    std::array<std::uint8_t, 256> alpha{};
    alpha.fill(255);
    if (hasTrns)
        std::copy_n(trns.type3_alpha, std::min<std::uint32_t>(trns.n_type3_entries, 256), alpha.begin());

    WriterImage image{static_cast<int>(width), static_cast<int>(height), std::move(*colours), {}};
    image.pixels.resize(width * height);
    const unsigned mask = (1u << depth) - 1;
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* row = packed.data() + y * rowBytes;
        for (std::size_t x = 0; x < width; ++x) {
            // samples below 8 bits are packed from the high bits down
            const std::size_t bit = x * depth;
            const unsigned v = depth == 8 ? row[x] : (row[bit / 8] >> (8 - depth - bit % 8)) & mask;
            const auto index = static_cast<std::int64_t>(y * width + x);
            if (v >= image.colours.size())
                return packError(name, at(index, image.width) + " has index " + std::to_string(v) +
                                           ", past the " + std::to_string(image.colours.size()) +
                                           " colours of its palette");
            if (alpha[v] != 255 && !(v == 0 && alpha[v] == 0)) {
                return packError(name, at(index, image.width) + " is " +
                                           (alpha[v] == 0 ? "transparent" : "semi-transparent") + " (index " +
                                           std::to_string(v) + ", alpha " + std::to_string(alpha[v]) +
                                           "): only index 0 may be transparent");
            }
            image.pixels[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(v);
        }
    }
    if (const auto problem = fixedOrderProblem(image.colours)) return packError(name, *problem);
    return image;
}

// Counts the distinct opaque colours of `rgba` (a bit for each of 2^24).
std::int64_t countOpaqueColours(const std::vector<std::uint8_t>& rgba)
{
    std::vector<std::uint64_t> seen(std::size_t{1} << 18, 0);
    std::int64_t count = 0;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        if (rgba[i + 3] != 255) continue;
        const std::uint32_t key = rgba[i] | (rgba[i + 1] << 8) | (rgba[i + 2] << 16);
        std::uint64_t& word = seen[key >> 6];
        const std::uint64_t bit = std::uint64_t{1} << (key & 63);
        if ((word & bit) == 0) ++count;
        word |= bit;
    }
    return count;
}

Result<WriterImage> readTrueColour(spng_ctx* ctx, const spng_ihdr& ihdr, const PackOptions& options,
                                   const std::string& name)
{
    std::size_t size = 0;
    int ret = spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size);
    if (ret != 0) return notPng(name, ret);
    const std::size_t area = static_cast<std::size_t>(ihdr.width) * ihdr.height;
    if (size != area * 4) return packError(name, "not a readable PNG: unexpected image size");
    std::vector<std::uint8_t> rgba(size);
    ret = spng_decode_image(ctx, rgba.data(), rgba.size(), SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
    if (ret != 0) return notPng(name, ret);

    const int width = static_cast<int>(ihdr.width);
    WriterImage image{width, static_cast<int>(ihdr.height), {}, {}};
    const bool reserveZero = options.transparentIndex0;
    if (reserveZero) image.colours.push_back({0, 0, 0});
    image.pixels.resize(area);
    std::unordered_map<std::uint32_t, std::uint8_t> values;
    std::uint32_t lastKey = 0xFFFFFFFF;  // no colour: the alpha byte is never part of a key
    std::uint8_t lastValue = 0;
    for (std::size_t i = 0; i < area; ++i) {
        const std::uint8_t* p = rgba.data() + 4 * i;
        if (p[3] == 0 && reserveZero) {
            image.pixels[i] = 0;
            continue;
        }
        if (p[3] != 255) {
            const auto index = static_cast<std::int64_t>(i);
            if (p[3] == 0)
                return packError(name, at(index, width) +
                                           " is transparent, and no value is kept for transparent pixels");
            return packError(name,
                             at(index, width) + " is semi-transparent (alpha " + std::to_string(p[3]) + ")");
        }
        const std::uint32_t key = p[0] | (p[1] << 8) | (p[2] << 16);
        if (key != lastKey) {
            auto found = values.find(key);
            if (found == values.end()) {
                if (image.colours.size() == kMaxColours) {
                    const std::int64_t count = countOpaqueColours(rgba);
                    return packError(name, "has " + std::to_string(count) +
                                               " colours; an entry holds at most " +
                                               (reserveZero ? "255 besides value 0 for transparent pixels"
                                                            : std::string("256")));
                }
                found = values.emplace(key, static_cast<std::uint8_t>(image.colours.size())).first;
                image.colours.push_back({p[0], p[1], p[2]});
            }
            lastKey = key;
            lastValue = found->second;
        }
        image.pixels[i] = lastValue;
    }

    const auto order = markerFreeOrder(image.colours, reserveZero ? 1 : 0);
    if (!order) {
        for (const Rgb& c : image.colours) {
            if (holdsMarkerPair(c))
                return packError(name, "colour " + hex(c) +
                                           " holds the bytes 0xFF 0xFE, which would end the stored palette");
        }
        return packError(name,
                         "its colours cannot be stored in any order without the bytes 0xFF 0xFE: too many "
                         "of them start with 0xFE and end in 0xFF");
    }
    std::vector<Rgb> ordered;
    std::array<std::uint8_t, 256> newValue{};
    for (std::size_t k = 0; k < order->size(); ++k) {
        const auto from = static_cast<std::size_t>((*order)[k]);
        ordered.push_back(image.colours[from]);
        newValue[from] = static_cast<std::uint8_t>(k);
    }
    image.colours = std::move(ordered);
    for (std::uint8_t& v : image.pixels) v = newValue[v];
    return image;
}

Result<WriterImage> decodeWith(spng_ctx* ctx, const PackOptions& options, const std::string& name)
{
    int ret = spng_set_chunk_limits(ctx, kMaxChunkBytes, kMaxChunkCache);
    spng_ihdr ihdr{};
    if (ret == 0) ret = spng_get_ihdr(ctx, &ihdr);
    if (ret != 0) return notPng(name, ret);
    const std::string size = std::to_string(ihdr.width) + " x " + std::to_string(ihdr.height) + " pixels";
    if (ihdr.width > static_cast<std::uint32_t>(kMaxImageSide) ||
        ihdr.height > static_cast<std::uint32_t>(kMaxImageSide))
        return packError(name, "is " + size + "; an entry is at most 32767 pixels wide and high");
    if (static_cast<std::int64_t>(ihdr.width) * ihdr.height > kMaxPackPixels)
        return packError(name, "is " + size + "; a picture to pack has at most " +
                                   std::to_string(kMaxPackPixels) + " pixels");
    try {
        if (ihdr.color_type == SPNG_COLOR_TYPE_INDEXED) return readIndexed(ctx, ihdr, name);
        return readTrueColour(ctx, ihdr, options, name);
    } catch (const std::bad_alloc&) {
        Error e = makeError(ErrorCode::OutOfMemory, name);
        return e;
    }
}

}  // namespace

Result<WriterImage> decodePackImage(std::span<const std::uint8_t> png, const PackOptions& options,
                                    const std::string& name)
{
    Decoder ctx(spng_ctx_new(0));
    if (!ctx) return makeError(ErrorCode::OutOfMemory, name);
    if (const int ret = spng_set_png_buffer(ctx.get(), png.data(), png.size()); ret != 0)
        return notPng(name, ret);
    return decodeWith(ctx.get(), options, name);
}

Result<WriterImage> readPackImage(const std::string& path, const PackOptions& options)
{
    // opened without blocking, so that a FIFO is refused rather than waited on
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return makeError(ErrorCode::CannotOpen, path, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int err = errno;
        ::close(fd);
        return makeError(ErrorCode::CannotOpen, path, err);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        if (S_ISDIR(info.st_mode)) return makeError(ErrorCode::CannotOpen, path, EISDIR);
        return makeError(ErrorCode::NotRegularFile, path);
    }
    std::unique_ptr<std::FILE, FileCloser> file(::fdopen(fd, "rb"));
    if (!file) {
        const int err = errno;
        ::close(fd);
        return makeError(ErrorCode::CannotOpen, path, err);
    }
    Decoder ctx(spng_ctx_new(0));
    if (!ctx) return makeError(ErrorCode::OutOfMemory, path);
    if (const int ret = spng_set_png_file(ctx.get(), file.get()); ret != 0) return notPng(path, ret);
    auto image = decodeWith(ctx.get(), options, path);
    // a read error of the file itself is the system's, not the PNG's
    if (!image && std::ferror(file.get())) return makeError(ErrorCode::CannotOpen, path, EIO);
    return image;
}

}  // namespace zpk

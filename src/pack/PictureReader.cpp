#include "pack/PictureReader.h"

#include "io/InputFile.h"

#include <spng.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
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

Error packError(const std::string& name, Refusal refusal)
{
    Error e = makeRefusal(ErrorCode::CannotPack, refusal);
    e.path = name;
    return e;
}

// A refusal at the pixel of `index` in a picture `width` pixels wide.
Error pixelError(const std::string& name, Refusal refusal, std::int64_t index, int width)
{
    Error e = packError(name, refusal);
    e.x = static_cast<int>(index % width);
    e.y = static_cast<int>(index / width);
    return e;
}

// Whether libspng stopped on a chunk that does not hold the picture (text,
// a colour profile, other metadata): one it found malformed, or whose
// contents unpack to more than the chunk limits above allow.
bool ancillaryChunkError(int ret)
{
    switch (ret) {
    case SPNG_ECHUNK_LIMITS:
    case SPNG_EDUP_CHRM:
    case SPNG_EDUP_GAMA:
    case SPNG_EDUP_ICCP:
    case SPNG_EDUP_SBIT:
    case SPNG_EDUP_SRGB:
    case SPNG_EDUP_BKGD:
    case SPNG_EDUP_HIST:
    case SPNG_EDUP_PHYS:
    case SPNG_EDUP_TIME:
    case SPNG_EDUP_OFFS:
    case SPNG_EDUP_EXIF:
    case SPNG_ECHRM:
    case SPNG_EGAMA:
    case SPNG_EICCP_NAME:
    case SPNG_EICCP_COMPRESSION_METHOD:
    case SPNG_ESBIT:
    case SPNG_ESRGB:
    case SPNG_ETEXT:
    case SPNG_ETEXT_KEYWORD:
    case SPNG_EZTXT:
    case SPNG_EZTXT_COMPRESSION_METHOD:
    case SPNG_EITXT:
    case SPNG_EITXT_COMPRESSION_FLAG:
    case SPNG_EITXT_COMPRESSION_METHOD:
    case SPNG_EITXT_LANG_TAG:
    case SPNG_EITXT_TRANSLATED_KEY:
    case SPNG_EBKGD_NO_PLTE:
    case SPNG_EBKGD_PLTE_IDX:
    case SPNG_EHIST_NO_PLTE:
    case SPNG_EPHYS:
    case SPNG_ESPLT_NAME:
    case SPNG_ESPLT_DUP_NAME:
    case SPNG_ESPLT_DEPTH:
    case SPNG_ETIME:
    case SPNG_EOFFS:
    case SPNG_EEXIF: return true;
    default: return false;
    }
}

Error notPng(const std::string& name, int ret)
{
    Error e = packError(name, ancillaryChunkError(ret) ? Refusal::PngAncillaryChunk : Refusal::PngUnreadable);
    e.detail = spng_strerror(ret);
    return e;
}

std::uint32_t rgbOf(const Rgb& c)
{
    return static_cast<std::uint32_t>(c.red) << 16 | static_cast<std::uint32_t>(c.green) << 8 | c.blue;
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
std::optional<Error> fixedOrderProblem(const std::vector<Rgb>& colours, const std::string& name)
{
    const int k = markerPairAt(colours);
    if (k < 0) return std::nullopt;
    const auto index = static_cast<std::size_t>(k);
    const bool one = holdsMarkerPair(colours[index]);
    Error e = packError(name, one ? Refusal::PaletteColourMarker : Refusal::PaletteColoursMarker);
    e.value = k;
    e.rgb[0] = rgbOf(colours[index]);
    if (!one) e.rgb[1] = rgbOf(colours[index + 1]);
    return e;
}

// Hands the decoded rows of the image to `take(y, row)`, top to bottom, in
// `format` (`rowBytes` bytes a row): one row at a time as it is decoded, so
// that no more than a row is held, or, for an interlaced image (whose rows
// come in passes), from the whole image decoded first. Stops at the first
// error `take` returns.
template <typename Take>
std::optional<Error> forEachRow(spng_ctx* ctx, const spng_ihdr& ihdr, spng_format format, int flags,
                                std::size_t rowBytes, const std::string& name, Take take)
{
    const std::size_t height = ihdr.height;
    if (height == 0 || rowBytes == 0) return std::nullopt;
    if (ihdr.interlace_method == SPNG_INTERLACE_NONE) {
        if (const int ret = spng_decode_image(ctx, nullptr, 0, format, flags | SPNG_DECODE_PROGRESSIVE);
            ret != 0)
            return notPng(name, ret);
        std::vector<std::uint8_t> row(rowBytes);
        for (std::size_t y = 0; y < height; ++y) {
            // the last row's decode says the image is complete
            if (const int ret = spng_decode_row(ctx, row.data(), row.size()); ret != 0 && ret != SPNG_EOI)
                return notPng(name, ret);
            if (auto problem = take(y, row.data())) return problem;
        }
        return std::nullopt;
    }
    std::size_t size = 0;
    if (const int ret = spng_decoded_image_size(ctx, format, &size); ret != 0) return notPng(name, ret);
    if (size != rowBytes * height) return packError(name, Refusal::PngUnexpectedSize);
    std::vector<std::uint8_t> image(size);
    if (const int ret = spng_decode_image(ctx, image.data(), image.size(), format, flags); ret != 0)
        return notPng(name, ret);
    for (std::size_t y = 0; y < height; ++y)
        if (auto problem = take(y, image.data() + y * rowBytes)) return problem;
    return std::nullopt;
}

Result<WriterImage> readIndexed(spng_ctx* ctx, const spng_ihdr& ihdr, const std::string& name,
                                PictureNotes* notes)
{
    const std::size_t width = ihdr.width;
    const unsigned depth = ihdr.bit_depth;
    auto colours = paletteOf(ctx, name);
    if (!colours) return colours.error();
    spng_trns trns{};
    const bool hasTrns = spng_get_trns(ctx, &trns) == 0;
    std::array<std::uint8_t, 256> alpha{};
    alpha.fill(255);
    if (hasTrns)
        std::copy_n(trns.type3_alpha, std::min<std::uint32_t>(trns.n_type3_entries, 256), alpha.begin());

    WriterImage image{static_cast<int>(width), static_cast<int>(ihdr.height), std::move(*colours), {}};
    image.pixels.resize(width * ihdr.height);
    const unsigned mask = (1u << depth) - 1;
    bool transparentZero = false;  // a pixel of index 0, which is transparent
    const auto take = [&](std::size_t y, const std::uint8_t* row) -> std::optional<Error> {
        for (std::size_t x = 0; x < width; ++x) {
            // samples below 8 bits are packed from the high bits down
            const std::size_t bit = x * depth;
            const unsigned v = depth == 8 ? row[x] : (row[bit / 8] >> (8 - depth - bit % 8)) & mask;
            const auto index = static_cast<std::int64_t>(y * width + x);
            if (v >= image.colours.size()) {
                Error e = pixelError(name, Refusal::IndexPastPalette, index, image.width);
                e.value = static_cast<int>(v);
                e.count = static_cast<std::int64_t>(image.colours.size());
                return e;
            }
            if (alpha[v] != 255) {
                if (v != 0 || alpha[v] != 0) {
                    Error e = pixelError(name, Refusal::OnlyIndex0Transparent, index, image.width);
                    e.value = static_cast<int>(v);
                    e.alpha = alpha[v];
                    return e;
                }
                transparentZero = true;
            }
            image.pixels[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(v);
        }
        return std::nullopt;
    };
    const std::size_t rowBytes = (width * depth + 7) / 8;
    if (auto problem = forEachRow(ctx, ihdr, SPNG_FMT_PNG, 0, rowBytes, name, take))
        return std::move(*problem);
    if (auto problem = fixedOrderProblem(image.colours, name)) return std::move(*problem);
    if (notes) notes->transparentIndex0 = transparentZero;
    return image;
}

// The distinct opaque colours of RGBA pixels, a bit for each of 2^24.
class ColourCount {
public:
    ColourCount() : m_seen(std::size_t{1} << 18, 0) {}
    void add(std::uint32_t key)
    {
        std::uint64_t& word = m_seen[key >> 6];
        const std::uint64_t bit = std::uint64_t{1} << (key & 63);
        if ((word & bit) == 0) ++m_count;
        word |= bit;
    }
    std::int64_t count() const { return m_count; }

private:
    std::vector<std::uint64_t> m_seen;
    std::int64_t m_count = 0;
};

std::uint32_t keyOf(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16); }

// A 16-bit row as 8-bit RGBA, when every sample is an 8-bit value times
// 257 (what widening an 8-bit picture gives); else the first pixel that
// has another.
std::optional<std::size_t> narrowRow(const std::uint8_t* wide, std::uint8_t* narrow, std::size_t width)
{
    for (std::size_t i = 0; i < 4 * width; ++i) {
        std::uint16_t sample = 0;
        std::memcpy(&sample, wide + 2 * i, 2);  // host order
        if (sample % 257 != 0) return i / 4;
        narrow[i] = static_cast<std::uint8_t>(sample / 257);
    }
    return std::nullopt;
}

Result<WriterImage> readTrueColour(spng_ctx* ctx, const spng_ihdr& ihdr, const PackOptions& options,
                                   const std::string& name)
{
    const std::size_t width = ihdr.width;
    const std::size_t area = width * ihdr.height;
    WriterImage image{static_cast<int>(width), static_cast<int>(ihdr.height), {}, {}};
    const bool reserveZero = options.transparentIndex0;
    if (reserveZero) image.colours.push_back({0, 0, 0});
    image.pixels.resize(area);
    std::unordered_map<std::uint32_t, std::uint8_t> values;
    std::uint32_t lastKey = 0xFFFFFFFF;  // no colour: the alpha byte is never part of a key
    std::uint8_t lastValue = 0;
    // once the colours are too many, the rest of the picture is only counted
    std::optional<ColourCount> tooMany;
    const bool sixteen = ihdr.bit_depth == 16;
    std::vector<std::uint8_t> narrow(sixteen ? 4 * width : 0);

    const auto take = [&](std::size_t y, const std::uint8_t* row) -> std::optional<Error> {
        if (sixteen) {
            if (const auto x = narrowRow(row, narrow.data(), width))
                return pixelError(name, Refusal::SixteenBitSample, static_cast<std::int64_t>(y * width + *x),
                                  image.width);
            row = narrow.data();
        }
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t* p = row + 4 * x;
            if (tooMany) {
                if (p[3] == 255) tooMany->add(keyOf(p));
                continue;
            }
            const std::size_t i = y * width + x;
            if (p[3] == 0 && reserveZero) {
                image.pixels[i] = 0;
                continue;
            }
            if (p[3] != 255) {
                const auto index = static_cast<std::int64_t>(i);
                if (p[3] == 0) return pixelError(name, Refusal::TransparentPixel, index, image.width);
                Error e = pixelError(name, Refusal::SemiTransparentPixel, index, image.width);
                e.alpha = p[3];
                return e;
            }
            const std::uint32_t key = keyOf(p);
            if (key != lastKey) {
                auto found = values.find(key);
                if (found == values.end()) {
                    if (image.colours.size() == kMaxColours) {
                        tooMany.emplace();
                        for (const auto& [seen, value] : values) tooMany->add(seen);
                        tooMany->add(key);
                        continue;
                    }
                    found = values.emplace(key, static_cast<std::uint8_t>(image.colours.size())).first;
                    image.colours.push_back({p[0], p[1], p[2]});
                }
                lastKey = key;
                lastValue = found->second;
            }
            image.pixels[i] = lastValue;
        }
        return std::nullopt;
    };
    const spng_format format = sixteen ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
    if (auto problem = forEachRow(ctx, ihdr, format, SPNG_DECODE_TRNS, width * (sixteen ? 8 : 4), name, take))
        return std::move(*problem);
    if (tooMany) {
        Error e = packError(name, reserveZero ? Refusal::TooManyBesidesValue0 : Refusal::TooManyColours);
        e.count = tooMany->count();
        e.limit = static_cast<std::int64_t>(kMaxColours) - (reserveZero ? 1 : 0);
        return e;
    }

    const auto order = markerFreeOrder(image.colours, reserveZero ? 1 : 0);
    if (!order) {
        for (const Rgb& c : image.colours) {
            if (holdsMarkerPair(c)) {
                Error e = packError(name, Refusal::ColourMarker);
                e.rgb[0] = rgbOf(c);
                return e;
            }
        }
        return packError(name, Refusal::NoMarkerFreeOrder);
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

// The header of the PNG `ctx` reads, within the limits of a picture to pack.
Result<spng_ihdr> headerOf(spng_ctx* ctx, const std::string& name)
{
    int ret = spng_set_chunk_limits(ctx, kMaxChunkBytes, kMaxChunkCache);
    spng_ihdr ihdr{};
    if (ret == 0) ret = spng_get_ihdr(ctx, &ihdr);
    if (ret != 0) return notPng(name, ret);
    const auto tooLarge = [&](Refusal refusal, std::int64_t limit) {
        Error e = packError(name, refusal);
        e.imageWidth = static_cast<int>(ihdr.width);
        e.imageHeight = static_cast<int>(ihdr.height);
        e.limit = limit;
        return e;
    };
    if (ihdr.width > static_cast<std::uint32_t>(kMaxImageSide) ||
        ihdr.height > static_cast<std::uint32_t>(kMaxImageSide))
        return tooLarge(Refusal::PictureTooWide, kMaxImageSide);
    if (static_cast<std::int64_t>(ihdr.width) * ihdr.height > kMaxPackPixels)
        return tooLarge(Refusal::PictureTooManyPixels, kMaxPackPixels);
    return ihdr;
}

Result<WriterImage> decodeWith(spng_ctx* ctx, const PackOptions& options, const std::string& name,
                               PictureNotes* notes)
{
    const auto ihdr = headerOf(ctx, name);
    if (!ihdr) return ihdr.error();
    try {
        if (ihdr->color_type == SPNG_COLOR_TYPE_INDEXED) return readIndexed(ctx, *ihdr, name, notes);
        return readTrueColour(ctx, *ihdr, options, name);
    } catch (const std::bad_alloc&) {
        Error e = makeError(ErrorCode::OutOfMemory, name);
        return e;
    }
}

using PngFile = std::unique_ptr<std::FILE, FileCloser>;

// The PNG file at `path`, opened for reading (a FIFO is refused rather
// than waited on).
Result<PngFile> openPng(const std::string& path)
{
    auto input = openInput(path, Streams::Refused, std::numeric_limits<std::int64_t>::max());
    if (!input) return input.error();
    PngFile file(::fdopen(input->handle.fd(), "rb"));
    if (!file) return makeError(ErrorCode::CannotOpen, path, errno);
    input->handle.release();  // the stream closes it now
    return file;
}

// Reads the PNG file at `path` with `read(ctx)`.
template <typename T, typename Read>
Result<T> readPng(const std::string& path, Read read)
{
    auto file = openPng(path);
    if (!file) return file.error();
    Decoder ctx(spng_ctx_new(0));
    if (!ctx) return makeError(ErrorCode::OutOfMemory, path);
    if (const int ret = spng_set_png_file(ctx.get(), file->get()); ret != 0) return notPng(path, ret);
    Result<T> got = read(ctx.get());
    // a read error of the file itself is the system's, not the PNG's
    if (!got && std::ferror(file->get())) return makeError(ErrorCode::CannotOpen, path, EIO);
    return got;
}

}  // namespace

Result<WriterImage> decodePackImage(std::span<const std::uint8_t> png, const PackOptions& options,
                                    const std::string& name, PictureNotes* notes)
{
    Decoder ctx(spng_ctx_new(0));
    if (!ctx) return makeError(ErrorCode::OutOfMemory, name);
    if (const int ret = spng_set_png_buffer(ctx.get(), png.data(), png.size()); ret != 0)
        return notPng(name, ret);
    return decodeWith(ctx.get(), options, name, notes);
}

Result<WriterImage> readPackImage(const std::string& path, const PackOptions& options, PictureNotes* notes)
{
    return readPng<WriterImage>(path, [&](spng_ctx* ctx) { return decodeWith(ctx, options, path, notes); });
}

Result<int> readPackImageWidth(const std::string& path)
{
    return readPng<int>(path, [&](spng_ctx* ctx) -> Result<int> {
        const auto ihdr = headerOf(ctx, path);
        if (!ihdr) return ihdr.error();
        return static_cast<int>(ihdr->width);
    });
}

}  // namespace zpk

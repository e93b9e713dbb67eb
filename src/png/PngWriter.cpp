#include "png/PngWriter.h"

#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

namespace zpk {

namespace {

// A PNG palette holds at most 256 colours: one per value of an 8-bit index.
constexpr std::size_t kMaxPaletteColours = 256;

Error pngError(Refusal refusal) { return makeRefusal(ErrorCode::CannotEncode, refusal); }

struct ContextDeleter {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Encoder = std::unique_ptr<spng_ctx, ContextDeleter>;

Error spngError(int ret) { return makeDetailedError(ErrorCode::CannotEncode, spng_strerror(ret)); }

// Appends what the encoder writes to the file's bytes. The encoder streams
// its chunks here as it goes, so the file is held once (not in a buffer of
// the encoder's that would then be copied out).
int appendBytes(spng_ctx* /*ctx*/, void* user, void* data, std::size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(user);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    try {
        out->insert(out->end(), bytes, bytes + length);
    } catch (const std::bad_alloc&) {
        return SPNG_IO_ERROR;
    }
    return 0;
}

// Hands what the encoder writes to a sink, and keeps the sink's errno.
struct SinkStream {
    const ByteSink& sink;
    int err = 0;
};
int sinkBytes(spng_ctx* /*ctx*/, void* user, void* data, std::size_t length)
{
    auto* stream = static_cast<SinkStream*>(user);
    stream->err = stream->sink({static_cast<const std::uint8_t*>(data), length});
    return stream->err == 0 ? 0 : SPNG_IO_ERROR;
}

// An encoder for an image of this size and colour type that hands its
// bytes to `write` (with `user`). The settings are fixed, so the bytes
// depend on the image alone.
Result<Encoder> newEncoder(int width, int height, std::uint8_t colourType, spng_rw_fn* write, void* user,
                           Compression compression = Compression::Default)
{
    Encoder ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx) return pngError(Refusal::EncoderOutOfMemory);
    int ret = spng_set_png_stream(ctx.get(), write, user);
    if (ret == 0) ret = spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_NONE);
    spng_ihdr ihdr{};
    ihdr.width = static_cast<std::uint32_t>(width);
    ihdr.height = static_cast<std::uint32_t>(height);
    ihdr.bit_depth = 8;
    ihdr.color_type = colourType;
    ihdr.interlace_method = SPNG_INTERLACE_NONE;
    if (ret == 0) ret = spng_set_ihdr(ctx.get(), &ihdr);
    if (ret == 0 && compression == Compression::Fast)
        ret = spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, 1);
    if (ret != 0) return spngError(ret);
    return ctx;
}

// Feeds `height` rows of `rowBytes` bytes, as `nextRow` writes them, to an
// encoder set up for them; false from `nextRow` stops it (no PNG).
Result<bool> encodeRows(spng_ctx* ctx, std::size_t rowBytes, int height,
                        const std::function<bool(int y, std::uint8_t* out)>& nextRow)
{
    int ret =
        spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    if (ret != 0) return spngError(ret);
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = 0; y < height; ++y) {
        if (!nextRow(y, row.data())) return false;
        ret = spng_encode_row(ctx, row.data(), row.size());
        if (ret != 0 && !(ret == SPNG_EOI && y + 1 == height)) return spngError(ret);
    }
    return true;
}

// Encodes the rows (already in the encoder's format) into `out`.
Result<std::vector<std::uint8_t>> finish(spng_ctx* ctx, const std::vector<std::uint8_t>& rows,
                                         std::vector<std::uint8_t>& out)
{
    const int ret = spng_encode_image(ctx, rows.data(), rows.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
    if (ret != 0) return spngError(ret);
    return std::move(out);
}

}  // namespace

Result<std::vector<std::uint8_t>> encodePng(const RgbaImage& image)
{
    if (image.width < 1 || image.height < 1) return pngError(Refusal::NoPixels);
    const std::int64_t expected = static_cast<std::int64_t>(image.width) * image.height * 4;
    if (static_cast<std::int64_t>(image.rgba.size()) != expected)
        return pngError(Refusal::PixelBytesMismatch);

    std::vector<std::uint8_t> out;
    auto ctx = newEncoder(image.width, image.height, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, appendBytes, &out);
    if (!ctx) return ctx.error();
    return finish(ctx->get(), image.rgba, out);
}

namespace {

// The PLTE and tRNS chunks of a palette image.
int setPalette(spng_ctx* ctx, const std::vector<Colour>& colours, const std::vector<std::uint8_t>& alpha)
{
    spng_plte plte{};
    plte.n_entries = static_cast<std::uint32_t>(colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const Colour c = colours[i];
        plte.entries[i] = {static_cast<std::uint8_t>(redOf(c)), static_cast<std::uint8_t>(greenOf(c)),
                           static_cast<std::uint8_t>(blueOf(c)), 0};
    }
    int ret = spng_set_plte(ctx, &plte);
    if (ret == 0 && !alpha.empty()) {
        spng_trns trns{};
        trns.n_type3_entries = static_cast<std::uint32_t>(alpha.size());
        std::copy(alpha.begin(), alpha.end(), trns.type3_alpha);
        ret = spng_set_trns(ctx, &trns);
    }
    return ret;
}

// Encodes the rows with an encoder that hands its bytes to `write`.
std::optional<Error> encodeImageRows(const ImageRows& rows, spng_rw_fn* write, void* user)
{
    if (rows.width() < 1 || rows.height() < 1) return pngError(Refusal::NoPixels);
    if (rows.indexed() && (rows.colours().empty() || rows.colours().size() > kMaxPaletteColours ||
                           rows.alpha().size() > rows.colours().size()))
        return pngError(Refusal::PngPaletteOrAlphaSize);
    auto ctx =
        newEncoder(rows.width(), rows.height(),
                   rows.indexed() ? SPNG_COLOR_TYPE_INDEXED : SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, write, user);
    if (!ctx) return ctx.error();
    const int ret = rows.indexed() ? setPalette(ctx->get(), rows.colours(), rows.alpha()) : 0;
    if (ret != 0) return spngError(ret);
    const auto encoded =
        encodeRows(ctx->get(), rows.rowBytes(), rows.height(), [&](int y, std::uint8_t* row) {
            rows.row(y, row);
            return true;
        });
    if (!encoded) return encoded.error();
    return std::nullopt;
}

}  // namespace

Result<std::vector<std::uint8_t>> encodePng(const ImageRows& rows)
{
    std::vector<std::uint8_t> out;
    if (auto failed = encodeImageRows(rows, appendBytes, &out)) return std::move(*failed);
    return out;
}

std::optional<Error> encodePng(const ImageRows& rows, const ByteSink& sink)
{
    SinkStream stream{sink};
    auto failed = encodeImageRows(rows, sinkBytes, &stream);
    if (stream.err != 0) return makeError(ErrorCode::WriteFailed, "", stream.err);
    return failed;
}

Result<EncodedRows> encodeRgbaRows(int width, int height,
                                   const std::function<RowStep(int y, std::uint8_t* out)>& nextRow,
                                   Compression compression)
{
    if (width < 1 || height < 1) return pngError(Refusal::NoPixels);
    EncodedRows encoded;
    auto ctx =
        newEncoder(width, height, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, appendBytes, &encoded.png, compression);
    if (!ctx) return ctx.error();
    const auto finished =
        encodeRows(ctx->get(), static_cast<std::size_t>(width) * 4, height,
                   [&](int y, std::uint8_t* row) { return nextRow(y, row) == RowStep::Written; });
    if (!finished) return finished.error();
    if (!*finished) return EncodedRows{true, {}};
    return encoded;
}

std::string pngLibraries()
{
    return "libspng " + std::to_string(SPNG_VERSION_MAJOR) + "." + std::to_string(SPNG_VERSION_MINOR) + "." +
           std::to_string(SPNG_VERSION_PATCH) + ", zlib " + zlibVersion();
}

Result<std::vector<std::uint8_t>> encodePng(const IndexedImage& image)
{
    if (image.width < 1 || image.height < 1) return pngError(Refusal::NoPixels);
    const std::int64_t expected = static_cast<std::int64_t>(image.width) * image.height;
    if (static_cast<std::int64_t>(image.indices.size()) != expected)
        return pngError(Refusal::IndicesMismatch);
    if (image.colours.empty() || image.colours.size() > kMaxPaletteColours)
        return pngError(Refusal::PngPaletteSize);
    if (image.alpha.size() > image.colours.size()) return pngError(Refusal::MoreAlphaThanColours);
    // a decoder refuses an index past the palette, so it is never written
    const auto highest = std::max_element(image.indices.begin(), image.indices.end());
    if (*highest >= image.colours.size()) return pngError(Refusal::PngIndexPastPalette);

    std::vector<std::uint8_t> out;
    auto ctx = newEncoder(image.width, image.height, SPNG_COLOR_TYPE_INDEXED, appendBytes, &out);
    if (!ctx) return ctx.error();

    const int ret = setPalette(ctx->get(), image.colours, image.alpha);
    if (ret != 0) return spngError(ret);
    return finish(ctx->get(), image.indices, out);
}

}  // namespace zpk

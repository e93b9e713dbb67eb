#include "cli/PngWriter.h"

#include <spng.h>

#include <cstdlib>
#include <memory>

namespace zpk {

namespace {

Error pngError(std::string message) { return makeError(ErrorCode::WriteFailed, std::move(message)); }

struct ContextDeleter {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
struct BufferDeleter {
    void operator()(void* buffer) const { std::free(buffer); }
};

}  // namespace

Result<std::vector<std::uint8_t>> encodePng(const RgbaImage& image)
{
    if (image.width < 1 || image.height < 1) return pngError("the image has no pixels");
    const std::int64_t expected = static_cast<std::int64_t>(image.width) * image.height * 4;
    if (static_cast<std::int64_t>(image.rgba.size()) != expected)
        return pngError("the image's pixel bytes do not match its size");

    const std::unique_ptr<spng_ctx, ContextDeleter> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx) return pngError("out of memory");
    int ret = spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);

    spng_ihdr ihdr{};
    ihdr.width = static_cast<std::uint32_t>(image.width);
    ihdr.height = static_cast<std::uint32_t>(image.height);
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    ihdr.interlace_method = SPNG_INTERLACE_NONE;
    if (ret == 0) ret = spng_set_ihdr(ctx.get(), &ihdr);
    if (ret == 0)
        ret = spng_encode_image(ctx.get(), image.rgba.data(), image.rgba.size(), SPNG_FMT_PNG,
                                SPNG_ENCODE_FINALIZE);
    if (ret != 0) return pngError(std::string("cannot encode PNG: ") + spng_strerror(ret));

    std::size_t length = 0;
    const std::unique_ptr<void, BufferDeleter> buffer(spng_get_png_buffer(ctx.get(), &length, &ret));
    if (!buffer || ret != 0) return pngError(std::string("cannot encode PNG: ") + spng_strerror(ret));
    const auto* bytes = static_cast<const std::uint8_t*>(buffer.get());
    return std::vector<std::uint8_t>(bytes, bytes + length);
}

Result<WrittenFile> writePng(const std::string& path, const RgbaImage& image)
{
    auto png = encodePng(image);
    if (!png) {
        Error e = png.error();
        e.path = path;
        return e;
    }
    return writeFileReplacing(path, *png);
}

}  // namespace zpk

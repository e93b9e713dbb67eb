// The C functions the page calls: the core floors behind a handful of
// exports of a WebAssembly module (a WASI reactor, so no main()).
//
// One module instance holds one container and the last picture made of it.
// The page writes a file's bytes into memory it asks for (zpk_file_buffer),
// then zpk_open parses them; on failure the container loaded before stays.
// Every picture is drawn as `zpk export` draws it: on a fresh palette, with
// the options of the last zpk_set_options, pixels not drawn transparent.
//
// A call that fails returns one of the WebError values below; the facts of
// the failure (lengths, sizes) are read with zpk_error_fact. Pointers handed
// out stay valid until the next call that makes a picture or opens a file.
#include "container/Container.h"
#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "state/PictureOptions.h"
#include "state/ViewerState.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#define ZPK_EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace zpk {
namespace {

// What a call tells the page; the page words each one.
enum WebError : int {
    Ok = 0,
    NotContainer = 1,  // the file ends before its header or size table (facts: actual, needed length)
    TooLarge = 2,      // a length the format cannot hold
    NoPicture = 3,     // the entry has no width and height bytes, or a side below 1
    NoRow = 4,         // no such row, or no file loaded
};

// The facts zpk_error_fact reads.
enum Fact : int { ActualLength = 0, NeededLength = 1, ImageWidth = 2, ImageHeight = 3 };

struct Session {
    ContainerFile file;
    FileBytes incoming;  // a file's bytes being written by the page
    PictureOptions options;
    std::int64_t facts[4] = {};

    // the last picture: its decoded pixels and palette, and what was made of them
    Palette palette{};
    DecodedImage image;
    std::vector<std::uint8_t> bytes;  // RGBA, PNG rows or a thumbnail
    int width = 0;
    int height = 0;
    bool indexed = false;
    std::vector<std::uint8_t> plte;  // red, green, blue per index
    std::vector<std::uint8_t> trns;
};

Session& session()
{
    static Session s;
    return s;
}

int fail(WebError code, const Error& error)
{
    Session& s = session();
    s.facts[ActualLength] = error.actualLength;
    s.facts[NeededLength] = error.neededLength;
    s.facts[ImageWidth] = error.imageWidth;
    s.facts[ImageHeight] = error.imageHeight;
    return code;
}

// Decodes `row` on a fresh palette, as export does; NoPicture when export
// would refuse it.
int decodeRow(int row)
{
    Session& s = session();
    s.bytes = {};
    s.width = s.height = 0;
    if (!s.file.isLoaded() || row < 0 || row >= s.file.rowCount()) return NoRow;
    s.palette = Palette{};
    s.image = decodeEntry(s.file, row, s.palette, s.options);
    if (!s.image.hasData || s.image.pixelCount() == 0) {
        Error e = makeError(s.image.hasData ? ErrorCode::EmptyImage : ErrorCode::NoData);
        e.imageWidth = s.image.imageWidth;
        e.imageHeight = s.image.imageHeight;
        return fail(NoPicture, e);
    }
    s.width = s.image.clippedWidth;
    s.height = s.image.clippedHeight;
    return Ok;
}

std::string textAt(const char* text) { return text != nullptr ? std::string(text) : std::string("0"); }

}  // namespace
}  // namespace zpk

using namespace zpk;

// Memory the page fills: the three colour texts, for one.
ZPK_EXPORT(zpk_alloc) void* zpkAlloc(std::size_t length) { return std::malloc(length == 0 ? 1 : length); }
ZPK_EXPORT(zpk_free) void zpkFree(void* p) { std::free(p); }

// Room for a file of `length` bytes (and the zero byte behind them); the page
// writes the file there and calls zpk_open. Null when the length is more than
// the format holds or the memory cannot be had.
ZPK_EXPORT(zpk_file_buffer) std::uint8_t* zpkFileBuffer(std::size_t length)
{
    Session& s = session();
    s.incoming = FileBytes();
    if (length > static_cast<std::size_t>(kMaxFileLength)) return nullptr;
    void* probe = std::malloc(length + 1);  // FileBytes aborts where this returns null
    if (probe == nullptr) return nullptr;
    std::free(probe);
    s.incoming = FileBytes(length);
    return s.incoming.data();
}

// Parses the bytes written into zpk_file_buffer. On failure the container
// loaded before stays.
ZPK_EXPORT(zpk_open) int zpkOpen()
{
    Session& s = session();
    auto parsed = parseContainerBytes(std::move(s.incoming), std::string());
    s.incoming = FileBytes();
    if (!parsed) {
        const Error& e = parsed.error();
        return fail(e.code == ErrorCode::TooLarge ? TooLarge : NotContainer, e);
    }
    s.file = std::move(*parsed);
    s.image = DecodedImage{};
    s.bytes = {};
    return Ok;
}

ZPK_EXPORT(zpk_row_count) int zpkRowCount() { return session().file.rowCount(); }

// The list text of `row` (the entry's start offset plus 3), as a C string.
ZPK_EXPORT(zpk_row_text) const char* zpkRowText(int row)
{
    const ContainerFile& file = session().file;
    if (row < 0 || row >= file.rowCount()) return "";
    return file.listTexts[static_cast<std::size_t>(row)].c_str();
}

// The options every picture is drawn with from now on. The colour texts are
// read as the window reads its three boxes: a text that is not a number
// leaves the stored colours of the entries it would have made.
ZPK_EXPORT(zpk_set_options)
void zpkSetOptions(int userColor, int dropFirst, const char* color1, const char* color2, const char* color3)
{
    PictureOptions& o = session().options;
    o.userColor = userColor != 0;
    o.dropFirst = dropFirst != 0 ? DropFirst::On : DropFirst::Off;
    o.color1 = textAt(color1);
    o.color2 = textAt(color2);
    o.color3 = textAt(color3);
}

// Decodes `row` and nothing more: its pixel values, as the benchmark times it.
ZPK_EXPORT(zpk_decode) int zpkDecode(int row) { return decodeRow(row); }

// The export picture of `row` as RGBA (zpk_picture, zpk_width, zpk_height):
// drawn pixels opaque in their colour, the rest (0, 0, 0, 0).
ZPK_EXPORT(zpk_draw) int zpkDraw(int row)
{
    if (const int failed = decodeRow(row)) return failed;
    Session& s = session();
    RgbaImage rgba = renderRgba(s.image, s.palette, s.options.dropFirst);
    s.bytes = std::move(rgba.rgba);
    return Ok;
}

// The rows of the PNG `zpk export` writes of `row`, in its smallest exact
// form: each row behind a filter byte 0, one index per pixel
// (zpk_png_indexed, with zpk_png_plte and zpk_png_trns) or RGBA.
ZPK_EXPORT(zpk_png_rows) int zpkPngRows(int row)
{
    if (const int failed = decodeRow(row)) return failed;
    Session& s = session();
    const ImageRows rows = ImageRows::forForm(s.image, s.palette, s.options.dropFirst, OutputForm::Smallest);
    const std::size_t stride = rows.rowBytes() + 1;
    s.bytes.assign(stride * static_cast<std::size_t>(rows.height()), 0);
    for (int y = 0; y < rows.height(); ++y)
        rows.row(y, s.bytes.data() + stride * static_cast<std::size_t>(y) + 1);
    s.indexed = rows.indexed();
    s.plte.clear();
    for (const Colour c : rows.colours()) {
        s.plte.push_back(static_cast<std::uint8_t>(redOf(c)));
        s.plte.push_back(static_cast<std::uint8_t>(greenOf(c)));
        s.plte.push_back(static_cast<std::uint8_t>(blueOf(c)));
    }
    s.trns = rows.alpha();
    return Ok;
}

// The export picture of `row` made small enough for a box of side x side
// pixels (a smaller one keeps its size), as RGBA: each pixel the mean of the
// pixels it covers, colours weighted by their alpha.
ZPK_EXPORT(zpk_thumbnail) int zpkThumbnail(int row, int side)
{
    if (const int failed = zpkDraw(row)) return failed;
    Session& s = session();
    side = std::max(side, 1);
    const int longer = std::max(s.width, s.height);
    if (longer <= side) return Ok;
    const auto scaled = [&](int length) {
        return std::max(1,
                        static_cast<int>((static_cast<std::int64_t>(length) * side + longer / 2) / longer));
    };
    const int w = scaled(s.width);
    const int h = scaled(s.height);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    for (int ty = 0; ty < h; ++ty) {
        const int y0 = static_cast<int>(static_cast<std::int64_t>(ty) * s.height / h);
        const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<std::int64_t>(ty + 1) * s.height / h));
        for (int tx = 0; tx < w; ++tx) {
            const int x0 = static_cast<int>(static_cast<std::int64_t>(tx) * s.width / w);
            const int x1 =
                std::max(x0 + 1, static_cast<int>(static_cast<std::int64_t>(tx + 1) * s.width / w));
            std::uint64_t sum[4] = {};
            for (int y = y0; y < y1; ++y) {
                const std::uint8_t* p = s.bytes.data() + (static_cast<std::size_t>(y) * s.width + x0) * 4;
                for (int x = x0; x < x1; ++x, p += 4) {
                    for (int c = 0; c < 3; ++c) sum[c] += std::uint64_t{p[c]} * p[3];
                    sum[3] += p[3];
                }
            }
            std::uint8_t* q = out.data() + (static_cast<std::size_t>(ty) * w + tx) * 4;
            const std::uint64_t count =
                static_cast<std::uint64_t>(y1 - y0) * static_cast<std::uint64_t>(x1 - x0);
            for (int c = 0; c < 3; ++c) q[c] = sum[3] != 0 ? static_cast<std::uint8_t>(sum[c] / sum[3]) : 0;
            q[3] = static_cast<std::uint8_t>(sum[3] / count);
        }
    }
    s.bytes = std::move(out);
    s.width = w;
    s.height = h;
    return Ok;
}

// What the last picture call made.
ZPK_EXPORT(zpk_picture) const std::uint8_t* zpkPicture() { return session().bytes.data(); }
ZPK_EXPORT(zpk_picture_size) std::size_t zpkPictureSize() { return session().bytes.size(); }
ZPK_EXPORT(zpk_width) int zpkWidth() { return session().width; }
ZPK_EXPORT(zpk_height) int zpkHeight() { return session().height; }
ZPK_EXPORT(zpk_png_indexed) int zpkPngIndexed() { return session().indexed ? 1 : 0; }
ZPK_EXPORT(zpk_png_plte) const std::uint8_t* zpkPngPlte() { return session().plte.data(); }
ZPK_EXPORT(zpk_png_plte_size) std::size_t zpkPngPlteSize() { return session().plte.size(); }
ZPK_EXPORT(zpk_png_trns) const std::uint8_t* zpkPngTrns() { return session().trns.data(); }
ZPK_EXPORT(zpk_png_trns_size) std::size_t zpkPngTrnsSize() { return session().trns.size(); }

// A fact of the last failure (see Fact), as a double so that a 64-bit
// length reaches the page whole.
ZPK_EXPORT(zpk_error_fact) double zpkErrorFact(int fact)
{
    return fact >= 0 && fact < 4 ? static_cast<double>(session().facts[fact]) : 0.0;
}

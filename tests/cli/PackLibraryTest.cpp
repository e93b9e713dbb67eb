// The library under packing, replacing and extracting: PNGs read into
// pictures with a palette, pictures packed into containers within the
// format's limits, one entry replaced with every other kept byte for byte.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "container/Container.h"
#include "export/EntryExport.h"
#include "pack/Pack.h"
#include "pack/PictureReader.h"
#include "png/PngWriter.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <cstring>
#include <random>
#include <tuple>

namespace zpk::testing {
namespace {

// --- making PNGs --------------------------------------------------------------

Bytes indexedPng(int width, int height, const std::vector<Colour>& colours, const Bytes& indices,
                 const Bytes& alpha = {})
{
    auto png = encodePng(IndexedImage{width, height, colours, alpha, indices});
    EXPECT_TRUE(png.has_value()) << png.error().detail;
    return png ? *png : Bytes{};
}

// An RGBA PNG of pixels given as 0xRRGGBBAA.
Bytes rgbaPng(int width, int height, const std::vector<std::uint32_t>& pixels)
{
    RgbaImage image{width, height, {}};
    for (const std::uint32_t p : pixels) {
        image.rgba.insert(image.rgba.end(),
                          {static_cast<std::uint8_t>(p >> 24), static_cast<std::uint8_t>(p >> 16),
                           static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p)});
    }
    auto png = encodePng(image);
    EXPECT_TRUE(png.has_value()) << png.error().detail;
    return png ? *png : Bytes{};
}

// A PNG written with libspng directly, for forms the project's writer does
// not make: `rows` already in the PNG's own sample layout.
Bytes rawPng(const spng_ihdr& ihdr, const Bytes& rows, const std::vector<Rgb>& plte = {})
{
    Bytes out;
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(SPNG_CTX_ENCODER),
                                                                  &spng_ctx_free);
    int ret = spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr header = ihdr;
    if (ret == 0) ret = spng_set_ihdr(ctx.get(), &header);
    if (ret == 0 && !plte.empty()) {
        spng_plte palette{};
        palette.n_entries = static_cast<std::uint32_t>(plte.size());
        for (std::size_t k = 0; k < plte.size(); ++k)
            palette.entries[k] = {plte[k].red, plte[k].green, plte[k].blue, 0};
        ret = spng_set_plte(ctx.get(), &palette);
    }
    if (ret == 0)
        ret = spng_encode_image(ctx.get(), rows.data(), rows.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
    std::size_t size = 0;
    void* buffer = ret == 0 ? spng_get_png_buffer(ctx.get(), &size, &ret) : nullptr;
    EXPECT_EQ(ret, 0) << spng_strerror(ret);
    if (buffer) {
        out.assign(static_cast<std::uint8_t*>(buffer), static_cast<std::uint8_t*>(buffer) + size);
        std::free(buffer);
    }
    return out;
}

spng_ihdr ihdrOf(std::uint32_t width, std::uint32_t height, int depth, int colourType, int interlace = 0)
{
    spng_ihdr ihdr{};
    ihdr.width = width;
    ihdr.height = height;
    ihdr.bit_depth = static_cast<std::uint8_t>(depth);
    ihdr.color_type = static_cast<std::uint8_t>(colourType);
    ihdr.interlace_method = static_cast<std::uint8_t>(interlace);
    return ihdr;
}

std::uint32_t crc32Of(const std::uint8_t* data, std::size_t length)
{
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// `png` with the width and height of its IHDR changed (and its checksum
// fixed), the image data left as it was.
Bytes withSize(Bytes png, std::uint32_t width, std::uint32_t height)
{
    for (int i = 0; i < 4; ++i) {
        png[16 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        png[20 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    const std::uint32_t crc = crc32Of(png.data() + 12, 17);  // the chunk type and its 13 bytes
    for (int i = 0; i < 4; ++i)
        png[29 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    return png;
}

// --- reading results ----------------------------------------------------------

WriterImage readOk(const Bytes& png, PackOptions options = {})
{
    auto image = decodePackImage(png, options, "in.png");
    EXPECT_TRUE(image.has_value()) << (image ? "" : image.error().detail);
    return image ? *image : WriterImage{};
}

// The refusal of `png`, which must be CannotPack naming "in.png".
Error refusal(const Bytes& png, PackOptions options = {})
{
    auto image = decodePackImage(png, options, "in.png");
    EXPECT_FALSE(image.has_value());
    if (image) return {};
    EXPECT_EQ(image.error().code, ErrorCode::CannotPack);
    EXPECT_EQ(image.error().path, "in.png");
    return image.error();
}

// The rule and the pixel an error names.
std::tuple<Refusal, int, int> atPixel(const Error& e) { return {e.refusal, e.x, e.y}; }

Bytes packOk(const std::vector<WriterImage>& images)
{
    auto bytes = packContainer(images, std::vector<std::string>(images.size(), "x.png"));
    EXPECT_TRUE(bytes.has_value()) << (bytes ? "" : bytes.error().detail);
    return bytes ? *bytes : Bytes{};
}

// The RGBA pixels of `row` exported with `options`, decoded back.
Bytes exportedRgba(const ContainerFile& file, int row, const PictureOptions& options)
{
    auto exported = exportEntry(file, row, options);
    EXPECT_TRUE(exported.has_value());
    return exported ? decodePng(exported->png).rgba : Bytes{};
}

PictureOptions exportOptions(OutputForm form, DropFirst dropFirst)
{
    PictureOptions options;
    options.form = form;
    options.dropFirst = dropFirst;
    return options;
}

ContainerFile demoFile()
{
    auto file = loadContainer(ZPK_SOURCE_DIR "/samples/demo.zpk");
    EXPECT_TRUE(file.has_value());
    return file ? std::move(*file) : ContainerFile{};
}

// Containers whose rows all decode fully: the sample and pictures made for
// the tests.
std::vector<ContainerFile> completeContainers()
{
    std::vector<ContainerFile> files;
    files.push_back(demoFile());
    std::mt19937 rng(5);
    files.push_back(parsed(built(containerOf(
        {framedImage(), stripedImage(31, 7, threeColours()), spriteImage(64, 48, 3), figureImage(120, 140, 2),
         mixedImage(rng, 40, 30, greyRamp(256)), solidImage(9, 4, Rgb{0, 0, 0})}))));
    return files;
}

}  // namespace

// --- export, pack, export: the same pixels ------------------------------------

TEST(PackLibrary, ExportedPngsPackBackToTheSamePixels)
{
    int checked = 0;
    for (const ContainerFile& file : completeContainers()) {
        for (int row = 0; row < file.rowCount(); ++row) {
            for (const OutputForm form : {OutputForm::Smallest, OutputForm::Indexed, OutputForm::Rgba}) {
                for (const DropFirst drop : {DropFirst::Off, DropFirst::On}) {
                    const PictureOptions options = exportOptions(form, drop);
                    const auto exported = exportEntry(file, row, options);
                    ASSERT_TRUE(exported.has_value());
                    ASSERT_TRUE(exported->complete());
                    const std::string what = file.filePath + " row " + std::to_string(row) + " form " +
                                             std::to_string(static_cast<int>(form)) +
                                             (drop == DropFirst::On ? " drop-first" : "");
                    PackOptions packOptions;
                    packOptions.transparentIndex0 = drop == DropFirst::On;
                    auto image = decodePackImage(exported->png, packOptions, "in.png");
                    ASSERT_TRUE(image.has_value()) << what << ": " << image.error().detail;

                    const ContainerFile packed = parsed(packOk({*image}));
                    EXPECT_EQ(exportedRgba(packed, 0, options), decodePng(exported->png).rgba) << what;
                    if (exported->form == OutputForm::Indexed) {
                        // a palette image keeps its indices: the very pixel values
                        Palette palette{};
                        EXPECT_EQ(producedPixels(decodeEntry(packed, 0, palette)),
                                  producedPixels(decodeEntry(file, row, palette)))
                            << what;
                    }
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 70);
}

TEST(PackLibrary, AnExportedFolderPacksBackRowForRow)
{
    TempDir dir;
    const ContainerFile demo = demoFile();
    const PictureOptions options = exportOptions(OutputForm::Smallest, DropFirst::On);
    for (int row = 0; row < demo.rowCount(); ++row) {
        const auto exported = exportEntry(demo, row, options);
        ASSERT_TRUE(exported.has_value());
        writeBytes(dir / ("00" + std::to_string(row) + ".png"), exported->png);
    }
    writeBytes(dir / "notes.txt", {'h', 'i'});
    writeBytes(dir / "1234.png", {});

    const auto paths = listExportedPngs(dir.path().string());
    ASSERT_TRUE(paths.has_value()) << paths.error().detail;
    ASSERT_EQ(paths->size(), static_cast<std::size_t>(demo.rowCount()));
    std::vector<WriterImage> images;
    for (const std::string& path : *paths) {
        auto image = readPackImage(path, PackOptions{true});
        ASSERT_TRUE(image.has_value()) << path << ": " << image.error().detail;
        images.push_back(std::move(*image));
    }
    auto bytes = packContainer(images, *paths);
    ASSERT_TRUE(bytes.has_value()) << bytes.error().detail;
    const ContainerFile packed = parsed(*bytes);
    ASSERT_EQ(packed.rowCount(), demo.rowCount());
    for (int row = 0; row < demo.rowCount(); ++row)
        EXPECT_EQ(exportedRgba(packed, row, options), exportedRgba(demo, row, options)) << "row " << row;
}

// --- reading PNGs -------------------------------------------------------------

TEST(PackLibrary, TrueColourGetsItsColoursInTheOrderTheyFirstAppear)
{
    const std::uint32_t a = rgba(200, 10, 10);
    const std::uint32_t b = rgba(10, 200, 10);
    const std::uint32_t c = rgba(10, 10, 200);
    const WriterImage image = readOk(rgbaPng(3, 2, {c, a, c, b, a, c}));
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.colours, (std::vector<Rgb>{{10, 10, 200}, {200, 10, 10}, {10, 200, 10}}));
    EXPECT_EQ(image.pixels, (Bytes{0, 1, 0, 2, 1, 0}));
}

TEST(PackLibrary, TransparentIndexZeroKeepsValueZeroForTransparentPixels)
{
    const std::uint32_t clear = rgba(0, 0, 0, 0);
    const std::uint32_t black = rgba(0, 0, 0);
    const std::uint32_t red = rgba(250, 0, 0);
    const Bytes png = rgbaPng(4, 1, {red, clear, black, clear});
    const WriterImage image = readOk(png, PackOptions{true});
    EXPECT_EQ(image.colours, (std::vector<Rgb>{{0, 0, 0}, {250, 0, 0}, {0, 0, 0}}));
    EXPECT_EQ(image.pixels, (Bytes{1, 0, 2, 0}));

    // value 0 is kept even when no pixel is transparent, so that drop-first
    // hides nothing that was drawn
    const WriterImage opaque = readOk(rgbaPng(2, 1, {red, black}), PackOptions{true});
    EXPECT_EQ(opaque.pixels, (Bytes{1, 2}));

    EXPECT_EQ(atPixel(refusal(png)), std::tuple(Refusal::TransparentPixel, 1, 0));
}

TEST(PackLibrary, SemiTransparentPixelsAreRefused)
{
    const Bytes png = rgbaPng(2, 2, {rgba(1, 2, 3), rgba(1, 2, 3), rgba(1, 2, 3), rgba(9, 9, 9, 128)});
    EXPECT_EQ(atPixel(refusal(png)), std::tuple(Refusal::SemiTransparentPixel, 1, 1));
    EXPECT_EQ(refusal(png).alpha, 128);
    EXPECT_EQ(atPixel(refusal(png, PackOptions{true})), std::tuple(Refusal::SemiTransparentPixel, 1, 1));
}

TEST(PackLibrary, MoreColoursThanAnEntryHoldsAreCountedNotQuantised)
{
    std::vector<std::uint32_t> pixels;
    for (std::uint32_t k = 0; k < 300; ++k) pixels.push_back(rgba(k & 0xFF, k >> 8, 7));
    pixels.push_back(pixels.front());  // seen before: not counted twice
    EXPECT_EQ(refusal(rgbaPng(301, 1, pixels)).count, 300);

    pixels.resize(257);
    const Error many = refusal(rgbaPng(257, 1, pixels));
    EXPECT_EQ(std::tuple(many.refusal, many.count, many.limit),
              std::tuple(Refusal::TooManyColours, 257, 256));
    pixels.resize(256);
    EXPECT_EQ(readOk(rgbaPng(256, 1, pixels)).colours.size(), 256u);
    const Error besides = refusal(rgbaPng(256, 1, pixels), PackOptions{true});
    EXPECT_EQ(std::tuple(besides.refusal, besides.count, besides.limit),
              std::tuple(Refusal::TooManyBesidesValue0, 256, 255));
    pixels.resize(255);
    EXPECT_EQ(readOk(rgbaPng(255, 1, pixels), PackOptions{true}).colours.size(), 256u);
}

TEST(PackLibrary, ColoursAreOrderedAroundTheMarkerPair)
{
    // a blue of 0xFF right before a red of 0xFE would end the stored palette
    const std::uint32_t endsFF = rgba(1, 2, 0xFF);
    const std::uint32_t startsFE = rgba(0xFE, 3, 4);
    const std::uint32_t plain = rgba(5, 6, 7);
    const WriterImage image = readOk(rgbaPng(3, 1, {endsFF, startsFE, plain}));
    EXPECT_EQ(image.colours, (std::vector<Rgb>{{1, 2, 0xFF}, {5, 6, 7}, {0xFE, 3, 4}}));
    EXPECT_EQ(image.pixels, (Bytes{0, 2, 1}));
    EXPECT_EQ(markerPairAt(image.colours), -1);

    const Error marker = refusal(rgbaPng(1, 1, {rgba(0xFF, 0xFE, 1)}));
    EXPECT_EQ(marker.refusal, Refusal::ColourMarker);
    EXPECT_EQ(marker.rgb[0], 0xFFFE01u);
    EXPECT_EQ(refusal(rgbaPng(2, 1, {rgba(0xFE, 1, 0xFF), rgba(0xFE, 2, 0xFF)})).refusal,
              Refusal::NoMarkerFreeOrder);

    // a palette image's order is its values: reported, not changed
    const Bytes png = indexedPng(2, 1, {makeColour(1, 2, 0xFF), makeColour(0xFE, 3, 4)}, {0, 1});
    const Error pair = refusal(png);
    EXPECT_EQ(std::tuple(pair.refusal, pair.value, pair.rgb[0], pair.rgb[1]),
              std::tuple(Refusal::PaletteColoursMarker, 0, 0x0102FFu, 0xFE0304u));
}

TEST(PackLibrary, PaletteImagesKeepTheirPaletteAndIndices)
{
    // the same colour twice, and an entry no pixel uses: all kept
    const std::vector<Colour> colours = {makeColour(9, 9, 9), makeColour(200, 0, 0), makeColour(9, 9, 9),
                                         makeColour(1, 1, 1)};
    const WriterImage image = readOk(indexedPng(3, 2, colours, {2, 0, 1, 1, 2, 0}));
    EXPECT_EQ(image.colours, (std::vector<Rgb>{{9, 9, 9}, {200, 0, 0}, {9, 9, 9}, {1, 1, 1}}));
    EXPECT_EQ(image.pixels, (Bytes{2, 0, 1, 1, 2, 0}));

    // index 0 transparent, as drop-first writes it: accepted, with or without the option
    const Bytes dropFirst = indexedPng(3, 1, colours, {0, 1, 0}, {0});
    EXPECT_EQ(readOk(dropFirst).pixels, (Bytes{0, 1, 0}));
    EXPECT_EQ(readOk(dropFirst, PackOptions{true}).colours.size(), 4u);

    const Error clear = refusal(indexedPng(3, 1, colours, {1, 3, 2}, {255, 255, 0}));
    EXPECT_EQ(atPixel(clear), std::tuple(Refusal::OnlyIndex0Transparent, 2, 0));
    EXPECT_EQ(std::pair(clear.value, clear.alpha), std::pair(2, 0));
    const Error half = refusal(indexedPng(2, 1, colours, {1, 0}, {100}));
    EXPECT_EQ(atPixel(half), std::tuple(Refusal::OnlyIndex0Transparent, 1, 0));
    EXPECT_EQ(std::pair(half.value, half.alpha), std::pair(0, 100));
    // alpha on an index no pixel uses changes nothing
    EXPECT_EQ(readOk(indexedPng(2, 1, colours, {1, 1}, {255, 255, 0})).pixels, (Bytes{1, 1}));
}

TEST(PackLibrary, PaletteImagesOfFewerBitsAndInterlaced)
{
    const std::vector<Rgb> plte = {{10, 0, 0}, {0, 20, 0}, {0, 0, 30}, {40, 40, 40}};
    // 2 bits a pixel, 5 x 2: four pixels a byte, from the high bits
    const Bytes rows = {0b00011011, 0b00000000, 0b11100100, 0b01000000};
    const WriterImage image = readOk(rawPng(ihdrOf(5, 2, 2, SPNG_COLOR_TYPE_INDEXED), rows, plte));
    EXPECT_EQ(image.colours, plte);
    EXPECT_EQ(image.pixels, (Bytes{0, 1, 2, 3, 0, 3, 2, 1, 0, 1}));

    // interlaced, 8 bits: the same values in place
    Bytes values(9 * 7);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::uint8_t>((i * 7) % 4);
    const Bytes interlaced = rawPng(ihdrOf(9, 7, 8, SPNG_COLOR_TYPE_INDEXED, 1), values, plte);
    if (!interlaced.empty()) {
        EXPECT_EQ(readOk(interlaced).pixels, values);
    }

    // 4 bits, interlaced: seven passes of packed samples
    Bytes nibbles;
    Bytes expected;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 11; x += 2) {
            const auto a = static_cast<std::uint8_t>((x + y) % 4);
            const auto b = static_cast<std::uint8_t>((x + 1 + 2 * y) % 4);
            nibbles.push_back(static_cast<std::uint8_t>(a << 4 | (x + 1 < 11 ? b : 0)));
            expected.push_back(a);
            if (x + 1 < 11) expected.push_back(b);
        }
    }
    const Bytes fourBits = rawPng(ihdrOf(11, 6, 4, SPNG_COLOR_TYPE_INDEXED, 1), nibbles, plte);
    if (!fourBits.empty()) {
        EXPECT_EQ(readOk(fourBits).pixels, expected);
    }

    // an index past the palette
    const Error past = refusal(rawPng(ihdrOf(2, 1, 8, SPNG_COLOR_TYPE_INDEXED), {1, 5}, plte));
    EXPECT_EQ(atPixel(past), std::tuple(Refusal::IndexPastPalette, 1, 0));
    EXPECT_EQ(std::pair(past.value, past.count), std::pair(5, std::int64_t{4}));

    // grey, 8 bits: a palette of its greys
    const WriterImage grey = readOk(rawPng(ihdrOf(3, 1, 8, SPNG_COLOR_TYPE_GRAYSCALE), {7, 200, 7}));
    EXPECT_EQ(grey.colours, (std::vector<Rgb>{{7, 7, 7}, {200, 200, 200}}));
    EXPECT_EQ(grey.pixels, (Bytes{0, 1, 0}));
}

// 16-bit samples are taken only as widened 8-bit values, row by row or
// interlaced; one that no 8-bit value widens to refuses the picture.
TEST(PackLibrary, SixteenBitSamplesAreTakenOnlyWhenExact)
{
    const auto greyRows = [](const std::vector<std::uint16_t>& samples) {
        Bytes rows(2 * samples.size());
        std::memcpy(rows.data(), samples.data(), rows.size());  // host order, as libspng takes them
        return rows;
    };
    for (const int interlace : {0, 1}) {
        SCOPED_TRACE(interlace);
        const auto grey = [&](const std::vector<std::uint16_t>& samples) {
            return rawPng(ihdrOf(3, 2, 16, SPNG_COLOR_TYPE_GRAYSCALE, interlace), greyRows(samples));
        };
        const WriterImage exact = readOk(grey({0, 7 * 257, 0xFFFF, 7 * 257, 0, 0}));
        EXPECT_EQ(exact.colours, (std::vector<Rgb>{{0, 0, 0}, {7, 7, 7}, {255, 255, 255}}));
        EXPECT_EQ(exact.pixels, (Bytes{0, 1, 2, 1, 0, 0}));
        EXPECT_EQ(atPixel(refusal(grey({0, 7 * 257, 0xFFFF, 7 * 257 + 1, 0, 0}))),
                  std::tuple(Refusal::SixteenBitSample, 0, 1));
    }
}

TEST(PackLibrary, SizesAreCheckedBeforeAnyPixelIsDecoded)
{
    const Bytes small = indexedPng(1, 1, {makeColour(1, 2, 3)}, {0});
    const auto sized = [](const Error& e) {
        return std::tuple(e.refusal, e.imageWidth, e.imageHeight, e.limit);
    };
    EXPECT_EQ(sized(refusal(withSize(small, 32768, 1))),
              std::tuple(Refusal::PictureTooWide, 32768, 1, 32767));
    EXPECT_EQ(sized(refusal(withSize(small, 1, 40000))),
              std::tuple(Refusal::PictureTooWide, 1, 40000, 32767));
    EXPECT_EQ(sized(refusal(withSize(small, 32767, 32767))),
              std::tuple(Refusal::PictureTooManyPixels, 32767, 32767, 33554432));
    // 32768 wide, really encoded
    EXPECT_EQ(sized(refusal(indexedPng(32768, 1, {makeColour(1, 2, 3)}, Bytes(32768, 0)))),
              std::tuple(Refusal::PictureTooWide, 32768, 1, 32767));
}

TEST(PackLibrary, BrokenAndMissingFilesAreErrors)
{
    EXPECT_EQ(refusal({'n', 'o', 't', ' ', 'a', ' ', 'P', 'N', 'G'}).refusal, Refusal::PngUnreadable);
    Bytes cut = indexedPng(40, 40, {makeColour(1, 2, 3), makeColour(3, 2, 1)}, Bytes(1600, 1));
    cut.resize(cut.size() - 20);
    EXPECT_EQ(refusal(cut).refusal, Refusal::PngUnreadable);

    TempDir dir;
    auto missing = readPackImage((dir / "none.png").string());
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().code, ErrorCode::CannotOpen);
    EXPECT_EQ(missing.error().systemError, ENOENT);
    auto folder = readPackImage(dir.path().string());
    ASSERT_FALSE(folder.has_value());
    EXPECT_EQ(folder.error().systemError, EISDIR);
    ASSERT_EQ(::mkfifo((dir / "fifo.png").c_str(), 0600), 0);
    auto fifo = readPackImage((dir / "fifo.png").string());
    ASSERT_FALSE(fifo.has_value());
    EXPECT_EQ(fifo.error().code, ErrorCode::NotRegularFile);
}

TEST(PackLibrary, DamagedPngsAreRefusedOrReadWhole)
{
    // cut at every length, and bytes changed at random: a refusal, or a
    // picture whose every pixel has a colour
    std::mt19937 rng(17);
    std::vector<std::uint32_t> pixels;
    for (int k = 0; k < 64; ++k) pixels.push_back(rgba(k * 3, 255 - k, 7, k % 5 == 0 ? 0 : 255));
    const std::vector<Bytes> pngs = {
        rgbaPng(8, 8, pixels),
        indexedPng(8, 8, {makeColour(1, 2, 3), makeColour(4, 5, 6)}, Bytes(64, 1), {0})};
    for (const Bytes& png : pngs) {
        std::vector<Bytes> damaged;
        for (std::size_t length = 0; length < png.size(); ++length)
            damaged.emplace_back(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(length));
        for (int k = 0; k < 300; ++k) {
            Bytes changed = png;
            changed[rng() % changed.size()] = static_cast<std::uint8_t>(rng());
            damaged.push_back(changed);
        }
        for (const Bytes& bytes : damaged) {
            const auto image = decodePackImage(bytes, PackOptions{true}, "in.png");
            if (!image) continue;
            ASSERT_EQ(image->pixels.size(),
                      static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
            for (const std::uint8_t v : image->pixels) ASSERT_LT(v, image->colours.size());
        }
    }
}

// --- packing ------------------------------------------------------------------

TEST(PackLibrary, PackingChecksEveryLimitAndNamesTheFile)
{
    std::vector<WriterImage> images(256, solidImage(1, 1, 0, greyRamp(1)));
    std::vector<std::string> names;
    for (int k = 0; k < 256; ++k) {
        // built in steps: GCC 12 warns wrongly (-Wrestrict) on "p" + std::to_string(k)
        std::string name = std::to_string(k);
        name.insert(0, 1, 'p');
        names.push_back(name + ".png");
    }
    auto many = packContainer(images, names);
    ASSERT_FALSE(many.has_value());
    EXPECT_EQ(many.error().code, ErrorCode::CannotPack);
    EXPECT_EQ(many.error().path, "p255.png");
    EXPECT_EQ(std::tuple(many.error().refusal, many.error().count, many.error().limit),
              std::tuple(Refusal::TooManyEntries, 256, 255));
    images.pop_back();
    names.pop_back();
    EXPECT_TRUE(packContainer(images, names).has_value());

    // random pixels are literals: 300 x 300 is 90006 bytes with its colours
    const WriterImage big = randomImage(300, 300, 1);
    auto tooBig = packContainer({solidImage(2, 2, 0), big, solidImage(2, 2, 0)}, {"a.png", "b.png", "c.png"});
    ASSERT_FALSE(tooBig.has_value());
    EXPECT_EQ(tooBig.error().path, "b.png");
    EXPECT_EQ(std::tuple(tooBig.error().refusal, tooBig.error().entry, tooBig.error().limit),
              std::tuple(Refusal::EntryTooLarge, 1, 65535));
    EXPECT_GT(tooBig.error().count, 65535);
    // as the last entry it may be larger
    const auto last = packContainer({solidImage(2, 2, 0), big}, {"a.png", "b.png"});
    ASSERT_TRUE(last.has_value());
    Palette palette{};
    EXPECT_EQ(producedPixels(decodeEntry(parsed(*last), 1, palette)), big.pixels);

    auto wide =
        packContainer({solidImage(1, 1, 0), {32768, 1, greyRamp(1), Bytes(32768, 0)}}, {"a.png", "w.png"});
    ASSERT_FALSE(wide.has_value());
    EXPECT_EQ(wide.error().path, "w.png");
    EXPECT_EQ(std::pair(wide.error().refusal, wide.error().entry), std::pair(Refusal::SideOutOfRange, 1));
}

TEST(PackLibrary, ExportedFoldersRunWithoutAGap)
{
    TempDir dir;
    auto none = listExportedPngs(dir.path().string());
    ASSERT_FALSE(none.has_value());
    EXPECT_EQ(std::pair(none.error().refusal, none.error().fileName),
              std::pair(Refusal::NoFirstPicture, std::string("000.png")));

    for (const char* name : {"000.png", "001.png", "003.png", "x.png", "01.png"}) writeBytes(dir / name, {});
    auto gap = listExportedPngs(dir.path().string());
    ASSERT_FALSE(gap.has_value());
    EXPECT_EQ(gap.error().code, ErrorCode::CannotPack);
    EXPECT_EQ(gap.error().path, dir.path().string());
    EXPECT_EQ(std::tuple(gap.error().refusal, gap.error().fileName, gap.error().lastFileName),
              std::tuple(Refusal::PictureMissing, std::string("002.png"), std::string("003.png")));

    writeBytes(dir / "002.png", {});
    auto four = listExportedPngs(dir.path().string());
    ASSERT_TRUE(four.has_value());
    EXPECT_EQ(*four, (std::vector<std::string>{(dir / "000.png").string(), (dir / "001.png").string(),
                                               (dir / "002.png").string(), (dir / "003.png").string()}));

    writeBytes(dir / "255.png", {});
    auto tooMany = listExportedPngs(dir.path().string());
    ASSERT_FALSE(tooMany.has_value());
    EXPECT_EQ(std::tuple(tooMany.error().refusal, tooMany.error().fileName, tooMany.error().limit),
              std::tuple(Refusal::PicturesPastLimit, std::string("255.png"), 255));

    auto missing = listExportedPngs((dir / "nowhere").string());
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().code, ErrorCode::CannotOpen);
}

// --- replacing and extracting -------------------------------------------------

namespace {

// Every list row's bytes.
std::vector<Bytes> rowsOf(const ContainerFile& file)
{
    std::vector<Bytes> rows;
    for (int row = 0; row < file.rowCount(); ++row) {
        auto bytes = entryBytes(file, row);
        EXPECT_TRUE(bytes.has_value());
        rows.push_back(bytes ? *bytes : Bytes{});
    }
    return rows;
}

// Checks that `after` is `before` with row `row` showing `image` and every
// other row's bytes and the label unchanged.
void expectReplaced(const ContainerFile& before, const Bytes& after, int row, const WriterImage& image)
{
    const ContainerFile file = parsed(after);
    ASSERT_EQ(file.rowCount(), before.rowCount());
    const auto oldRows = rowsOf(before);
    const auto newRows = rowsOf(file);
    for (int j = 0; j < file.rowCount(); ++j) {
        if (j != row) {
            EXPECT_EQ(newRows[static_cast<std::size_t>(j)], oldRows[static_cast<std::size_t>(j)])
                << "row " << j;
        }
    }
    const auto label = before.reader().span(0, 28);
    EXPECT_TRUE(std::equal(label.begin(), label.end(), after.begin())) << "the label";
    Palette palette{};
    const DecodedImage got = decodeEntry(file, row, palette);
    EXPECT_EQ(producedPixels(got), image.pixels);
    EXPECT_EQ(got.streamEnd, got.entryEnd);
    for (std::size_t v = 0; v < image.colours.size(); ++v) {
        const Rgb& c = image.colours[v];
        EXPECT_EQ(palette[v + 2], makeColour(c.red, c.green, c.blue)) << "colour " << v;
    }
}

}  // namespace

TEST(PackLibrary, ReplacingKeepsEveryOtherEntryByteForByte)
{
    const ContainerFile demo = demoFile();
    const WriterImage picture = spriteImage(50, 40, 77);
    for (const int row : {0, 2, demo.rowCount() - 1}) {
        auto bytes = replaceEntry(demo, row, picture);
        ASSERT_TRUE(bytes.has_value()) << bytes.error().detail;
        expectReplaced(demo, *bytes, row, picture);
        // and every other row still decodes to what it showed
        const ContainerFile file = parsed(*bytes);
        for (int j = 0; j < demo.rowCount(); ++j) {
            if (j == row) continue;
            const PictureOptions options = exportOptions(OutputForm::Rgba, DropFirst::Off);
            EXPECT_EQ(exportedRgba(file, j, options), exportedRgba(demo, j, options)) << "row " << j;
        }
    }

    // the raw bytes of one row put in place of another
    const auto moved = entryBytes(demo, 3);
    ASSERT_TRUE(moved.has_value());
    auto swapped = replaceEntry(demo, 1, *moved);
    ASSERT_TRUE(swapped.has_value());
    EXPECT_EQ(rowsOf(parsed(*swapped))[1], *moved);
}

TEST(PackLibrary, ReplacingInFilesWithQuirks)
{
    // trailing bytes behind the last entry belong to it: kept when another
    // row is replaced, replaced with it
    Bytes trailing = built(containerOf({framedImage(), solidImage(3, 3, 4)}));
    trailing.insert(trailing.end(), {1, 2, 3, 4});
    const ContainerFile withTail = parsed(trailing);
    auto first = replaceEntry(withTail, 0, solidImage(2, 2, 9));
    ASSERT_TRUE(first.has_value());
    expectReplaced(withTail, *first, 0, solidImage(2, 2, 9));
    EXPECT_TRUE(std::equal(trailing.end() - 4, trailing.end(), first->end() - 4));
    auto lastRow = replaceEntry(withTail, 1, solidImage(2, 2, 9));
    ASSERT_TRUE(lastRow.has_value());
    EXPECT_EQ(rowsOf(parsed(*lastRow))[1], *encodeEntry(solidImage(2, 2, 9)));

    // a row of size 0 stays without bytes
    const ContainerFile withEmpty =
        parsed(built(ContainerBuilder().entry(framedImage()).rawEntry({}).entry(solidImage(3, 3, 4))));
    auto aroundEmpty = replaceEntry(withEmpty, 0, stripedImage(5, 5, threeColours()));
    ASSERT_TRUE(aroundEmpty.has_value());
    expectReplaced(withEmpty, *aroundEmpty, 0, stripedImage(5, 5, threeColours()));
    EXPECT_TRUE(rowsOf(parsed(*aroundEmpty))[1].empty());

    // a count byte of 0 lists one row, at offset 30: it becomes a count of 1
    Bytes countZero = withSizes({}, *encodeEntry(framedImage()));
    const ContainerFile zero = parsed(countZero);
    ASSERT_EQ(zero.rowCount(), 1);
    auto one = replaceEntry(zero, 0, solidImage(2, 2, 9));
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ((*one)[28], 1);
    expectReplaced(zero, *one, 0, solidImage(2, 2, 9));
}

TEST(PackLibrary, ReplacingMindsTheBytesAroundTheEntry)
{
    // the entry behind starts with 0xFE (254 wide): a new picture ending in
    // 0xFF gets it into a run code
    const ContainerFile file = parsed(built(containerOf({framedImage(), solidImage(0xFE, 1, 3)})));
    const WriterImage endsFF{2, 1, greyRamp(256), {1, 0xFF}};
    auto bytes = replaceEntry(file, 0, endsFF);
    ASSERT_TRUE(bytes.has_value()) << bytes.error().detail;
    expectReplaced(file, *bytes, 0, endsFF);

    // the entry in front ends in a literal 0xFF: a new entry 254 wide would
    // make that a run code
    const ContainerFile ff = parsed(built(containerOf({endsFF, solidImage(3, 1, 3)})));
    auto broken = replaceEntry(ff, 1, solidImage(0xFE, 1, 3));
    ASSERT_FALSE(broken.has_value());
    EXPECT_EQ(broken.error().code, ErrorCode::CannotPack);
    EXPECT_EQ(std::pair(broken.error().refusal, broken.error().row), std::pair(Refusal::RowBeforeChanged, 0));
    EXPECT_TRUE(replaceEntry(ff, 1, solidImage(0xFD, 1, 3)).has_value());

    // an entry behind that starts with 0xFF 0xFE: the new entry's decode
    // counts that run code as its own; with a length of 5 it adds nothing
    const WriterImage literals{3, 1, greyRamp(4), {1, 2, 3}};
    for (const std::uint8_t length : {std::uint8_t{0x40}, std::uint8_t{5}}) {
        const ContainerFile odd =
            parsed(built(ContainerBuilder().entry(framedImage()).rawEntry({0xFF, 0xFE, 0, length, 0})));
        auto replaced = replaceEntry(odd, 0, literals);
        EXPECT_EQ(replaced.has_value(), length == 5);
        if (!replaced) {
            EXPECT_EQ(std::pair(replaced.error().refusal, replaced.error().row),
                      std::pair(Refusal::NotDecodedBack, 0));
        }
    }
}

TEST(PackLibrary, ReplacingChecksTheLimits)
{
    const ContainerFile file = parsed(built(containerOf({framedImage(), framedImage()})));
    auto big = replaceEntry(file, 0, randomImage(300, 300, 1));
    ASSERT_FALSE(big.has_value());
    EXPECT_EQ(big.error().code, ErrorCode::CannotPack);
    EXPECT_EQ(big.error().path, "test.zpk");
    EXPECT_EQ(big.error().refusal, Refusal::EntryTooLarge);
    EXPECT_TRUE(replaceEntry(file, 1, randomImage(300, 300, 1)).has_value());  // the last may
    EXPECT_FALSE(replaceEntry(file, 2, framedImage()).has_value());
    EXPECT_FALSE(replaceEntry(file, -1, framedImage()).has_value());

    // the size table puts row 3 past the end of the file
    const ContainerFile four = parsed(fourStatuses().bytes);
    auto past = replaceEntry(four, 0, framedImage());
    ASSERT_FALSE(past.has_value());
    EXPECT_EQ(std::pair(past.error().refusal, past.error().row), std::pair(Refusal::RowPastEnd, 3));
}

TEST(PackLibrary, EntryBytesAreTheRowsRange)
{
    const FourStatuses four = fourStatuses();
    const ContainerFile file = parsed(four.bytes);
    for (int row = 0; row < 3; ++row) {
        auto bytes = entryBytes(file, row);
        ASSERT_TRUE(bytes.has_value());
        const auto begin = four.bytes.begin() + four.offset[row];
        // row 2 is cut by the end of the file
        const auto end = row < 2 ? begin + four.size[row] : four.bytes.end();
        EXPECT_EQ(*bytes, Bytes(begin, end)) << "row " << row;
    }
    auto past = entryBytes(file, 3);
    ASSERT_FALSE(past.has_value());
    EXPECT_EQ(past.error().code, ErrorCode::NoData);
    EXPECT_FALSE(entryBytes(file, 4).has_value());
}

}  // namespace zpk::testing

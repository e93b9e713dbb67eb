#include "pack/Pack.h"

#include "container/Container.h"
#include "decode/Decoder.h"
#include "export/ExportNaming.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>
#include <variant>

namespace zpk {

namespace {

namespace fs = std::filesystem;

Error packError(const std::string& path, Refusal refusal)
{
    Error e = makeRefusal(ErrorCode::CannotPack, refusal);
    e.path = path;
    return e;
}

// A refusal about entry row `row` of `path`.
Error rowError(const std::string& path, Refusal refusal, int row)
{
    Error e = packError(path, refusal);
    e.row = row;
    return e;
}

Error noSuchRow(const ContainerFile& file, int row)
{
    Error e = rowError(file.filePath, Refusal::NoSuchRow, row);
    e.count = file.rowCount();
    return e;
}

// The writer's refusals, as a refusal to pack `path`.
Error asPackError(Error e, const std::string& path)
{
    if (e.code == ErrorCode::InvalidImage) e.code = ErrorCode::CannotPack;
    e.path = path;
    return e;
}

// [begin, end) of list row `row`'s bytes in the file; begin may lie past
// the end of the file when the size table says so.
struct Range {
    std::int64_t begin = 0;
    std::int64_t end = 0;
};
Range rangeOf(const ContainerFile& file, int row)
{
    const std::int64_t begin = file.entryOffset(row);
    const std::int64_t end = row + 1 < file.rowCount() ? file.entryOffset(row + 1) : file.fileLength;
    return {begin, std::min<std::int64_t>(end, file.fileLength)};
}

std::span<const std::uint8_t> bytesOf(const ContainerFile& file, const Range& range)
{
    return file.reader().span(range.begin, std::max<std::int64_t>(0, range.end - range.begin));
}

// What a decode of one row shows, to tell whether two decodes agree.
struct Decoded {
    DecodedImage image;
    Palette palette{};
};
Decoded decodeRow(const ContainerFile& file, int row)
{
    Decoded out;
    out.image = decodeEntry(file, row, out.palette);
    return out;
}

// Whether the stream of a decoded entry gave every pixel and ended exactly
// at the entry's end.
bool decodedExactly(const DecodedImage& image)
{
    return image.hasData && image.pixelCount() > 0 && image.produced == image.pixelCount() &&
           image.streamEnd == image.entryEnd;
}

bool sameDecode(const Decoded& a, const Decoded& b)
{
    return a.image.imageWidth == b.image.imageWidth && a.image.imageHeight == b.image.imageHeight &&
           a.image.produced == b.image.produced && a.image.storedColours == b.image.storedColours &&
           a.image.runCodes == b.image.runCodes && a.image.pixels == b.image.pixels && a.palette == b.palette;
}

// Whether a decode shows exactly `image`: every pixel (of the part the
// decoder stores), and its colours.
bool showsImage(const Decoded& got, const WriterImage& image)
{
    const std::int64_t area = static_cast<std::int64_t>(image.width) * image.height;
    if (!got.image.hasData || got.image.imageWidth != image.width || got.image.imageHeight != image.height)
        return false;
    if (area == 0) return true;
    if (got.image.produced != area || got.image.streamEnd != got.image.entryEnd) return false;
    for (int y = 0; y < got.image.clippedHeight; ++y) {
        const auto* want =
            image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width);
        const auto* have = got.image.pixels.data() +
                           static_cast<std::size_t>(y) * static_cast<std::size_t>(got.image.clippedWidth);
        if (!std::equal(have, have + got.image.clippedWidth, want)) return false;
    }
    for (std::size_t v = 0; v < image.colours.size(); ++v) {
        const Rgb& c = image.colours[v];
        if (got.palette[v + 2] != makeColour(c.red, c.green, c.blue)) return false;
    }
    return true;
}

using NewEntry = std::variant<const WriterImage*, const std::vector<std::uint8_t>*>;

// The first byte behind row `row` of `plan`, or -1 when no bytes follow.
int firstByteBehind(const ContainerFile& file, int row)
{
    for (int j = row + 1; j < file.rowCount(); ++j) {
        const Range range = rangeOf(file, j);
        if (range.end > range.begin) return file.reader().at(range.begin).value_or(0);
    }
    return -1;
}

// How far past an entry's end its decode is compared: a decode that ends
// exactly at the entry's end reads at most four bytes past it (the length
// of a pair at its end), so the verdicts on a cut copy are those on the
// whole file.
constexpr std::size_t kTailChecked = std::size_t{1} << 20;

// The rows `first` to `last` of `plan`, and up to kTailChecked bytes of what
// follows them, as a container of their own: enough to decode those rows as
// the whole file would.
Result<ContainerFile> excerpt(const ContainerPlan& plan, int first, int last)
{
    ContainerPlan part;
    for (int j = first; j <= last; ++j) part.borrow(plan.entry(j));
    if (last + 1 < plan.entryCount()) {
        std::vector<std::uint8_t> tail;
        for (int j = last + 1; j < plan.entryCount() && tail.size() < kTailChecked; ++j) {
            const auto bytes = plan.entry(j);
            tail.insert(tail.end(), bytes.begin(),
                        bytes.begin() +
                            static_cast<std::ptrdiff_t>(std::min(bytes.size(), kTailChecked - tail.size())));
        }
        part.own(std::move(tail));
    }
    auto bytes = part.bytes();
    if (!bytes) return bytes.error();
    return parseContainer(std::move(*bytes));
}

Result<ContainerPlan> replace(const ContainerFile& file, int row, NewEntry replacement)
{
    const std::string& path = file.filePath;
    if (!file.isLoaded() || row < 0 || row >= file.rowCount()) return noSuchRow(file, row);
    for (int j = 0; j < file.rowCount(); ++j) {
        if (file.entryOffset(j) > file.fileLength) {
            Error e = rowError(path, Refusal::RowPastEnd, j);
            e.offset = file.entryOffset(j);
            e.actualLength = file.fileLength;
            return e;
        }
    }

    std::vector<std::uint8_t> newEntry;
    if (const auto* image = std::get_if<const WriterImage*>(&replacement)) {
        auto encoded = encodeEntry(**image, firstByteBehind(file, row));
        if (!encoded) return asPackError(encoded.error(), path);
        newEntry = std::move(*encoded);
    } else {
        newEntry = *std::get<const std::vector<std::uint8_t>*>(replacement);
    }

    const ByteReader bytes = file.reader();
    ContainerLabel label{};
    for (std::size_t i = 0; i < label.size(); ++i)
        label[i] = bytes.at(static_cast<std::int64_t>(i)).value_or(0);
    ContainerPlan plan;
    plan.header(label, bytes.at(29).value_or(0));
    // every other entry is written from the loaded bytes themselves
    for (int j = 0; j < file.rowCount(); ++j) {
        if (j != row) plan.borrow(bytesOf(file, rangeOf(file, j)));
        else plan.own(std::exchange(newEntry, {}));
    }
    if (auto parts = plan.parts(); !parts) return asPackError(parts.error(), path);

    // the nearest entry in front that has bytes reads up to the new one's first two
    int before = row - 1;
    while (before >= 0 && rangeOf(file, before).end <= rangeOf(file, before).begin) --before;
    const int first = before >= 0 ? before : row;
    const auto rebuilt = excerpt(plan, first, row);
    if (!rebuilt) return asPackError(rebuilt.error(), path);
    if (const auto* image = std::get_if<const WriterImage*>(&replacement)) {
        if (!showsImage(decodeRow(*rebuilt, row - first), **image))
            return rowError(path, Refusal::NotDecodedBack, row);
    }
    if (before >= 0) {
        const Decoded old = decodeRow(file, before);
        if (decodedExactly(old.image) && !sameDecode(old, decodeRow(*rebuilt, 0)))
            return rowError(path, Refusal::RowBeforeChanged, before);
    }
    return plan;
}

// The bytes of a plan in one buffer.
Result<std::vector<std::uint8_t>> bytesOf(Result<ContainerPlan> plan)
{
    if (!plan) return plan.error();
    return plan->bytes();
}

}  // namespace

Result<std::vector<std::string>> listExportedPngs(const std::string& folder)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return makeError(ErrorCode::CannotOpen, folder, ec.value());
    std::vector<bool> present(1000, false);
    int highest = -1;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        const int number = rowOfEntryPng(it->path().filename().string());
        if (number < 0) continue;
        present[static_cast<std::size_t>(number)] = true;
        highest = std::max(highest, number);
    }
    if (ec) return makeError(ErrorCode::CannotOpen, folder, ec.value());
    if (highest < 0) {
        Error e = packError(folder, Refusal::NoFirstPicture);
        e.fileName = entryPngName(0);
        return e;
    }
    if (highest >= kMaxEntries) {
        Error e = packError(folder, Refusal::PicturesPastLimit);
        e.fileName = entryPngName(highest);
        e.limit = kMaxEntries;
        return e;
    }
    std::vector<std::string> paths;
    for (int k = 0; k <= highest; ++k) {
        if (!present[static_cast<std::size_t>(k)]) {
            Error e = packError(folder, Refusal::PictureMissing);
            e.fileName = entryPngName(k);
            e.lastFileName = entryPngName(highest);
            return e;
        }
        paths.push_back(entryPngPath(folder, k));
    }
    return paths;
}

Result<std::vector<std::uint8_t>> packContainer(const std::vector<WriterImage>& images,
                                                const std::vector<std::string>& names)
{
    ContainerBuilder builder;
    for (const WriterImage& image : images) builder.entry(image);
    int failed = -1;
    auto built = builder.build(&failed);
    if (!built) {
        const auto k = static_cast<std::size_t>(failed);
        return asPackError(built.error(), failed >= 0 && k < names.size() ? names[k] : std::string());
    }
    return built;
}

Result<ContainerPlan>
packPictures(const std::vector<std::string>& paths, const PackOptions& options,
             const std::function<void(const std::string& path, const PictureNotes& notes)>& noted)
{
    if (paths.size() > static_cast<std::size_t>(kMaxEntries)) {
        Error e = packError(paths[static_cast<std::size_t>(kMaxEntries)], Refusal::TooManyEntries);
        e.count = static_cast<std::int64_t>(paths.size());
        e.limit = kMaxEntries;
        return e;
    }
    ContainerPlan plan;
    std::optional<int> announcedWidth;  // of picture j, from its header alone
    for (std::size_t j = 0; j < paths.size(); ++j) {
        PictureNotes notes;
        auto image = readPackImage(paths[j], options, &notes);
        if (!image) return image.error();
        if (announcedWidth && *announcedWidth != image->width)
            return packError(paths[j], Refusal::ChangedWhilePacked);
        if (notes.transparentIndex0 && noted) noted(paths[j], notes);
        int nextByte = -1;
        announcedWidth.reset();
        if (j + 1 < paths.size()) {
            const auto width = readPackImageWidth(paths[j + 1]);
            if (!width) return width.error();
            announcedWidth = *width;
            nextByte = *width & 0xFF;
        }
        auto entry = encodeEntry(*image, nextByte);
        if (!entry) {
            Error e = asPackError(entry.error(), paths[j]);
            e.entry = static_cast<int>(j);
            return e;
        }
        image = Error{};  // its pixels go before the next picture's come
        if (auto problem = entrySizeProblem(j, entry->size(), paths.size()))
            return asPackError(std::move(*problem), paths[j]);
        plan.own(std::move(*entry));
    }
    return plan;
}

Result<std::vector<std::uint8_t>> entryBytes(const ContainerFile& file, int row)
{
    if (!file.isLoaded() || row < 0 || row >= file.rowCount()) return noSuchRow(file, row);
    const Range range = rangeOf(file, row);
    if (range.begin > file.fileLength) return makeError(ErrorCode::NoData, file.filePath);
    const auto bytes = bytesOf(file, range);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::int64_t entryLength(const ContainerFile& file, int row)
{
    if (!file.isLoaded() || row < 0 || row >= file.rowCount()) return 0;
    const Range range = rangeOf(file, row);
    return std::max<std::int64_t>(0, range.end - range.begin);
}

Result<ContainerPlan> planReplacement(const ContainerFile& file, int row, const WriterImage& image)
{
    return replace(file, row, &image);
}

Result<std::vector<std::uint8_t>> replaceEntry(const ContainerFile& file, int row, const WriterImage& image)
{
    return bytesOf(replace(file, row, &image));
}

Result<std::vector<std::uint8_t>> replaceEntry(const ContainerFile& file, int row,
                                               const std::vector<std::uint8_t>& newEntryBytes)
{
    return bytesOf(replace(file, row, &newEntryBytes));
}

}  // namespace zpk

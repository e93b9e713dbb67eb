#include "pack/Pack.h"

#include "container/Container.h"
#include "export/ExportNaming.h"
#include "pack/ContainerEdit.h"

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

template <typename Edit>
Result<ContainerPlan> replace(const ContainerFile& file, int row, const Edit& edit)
{
    auto container = editableContainer(file, true);
    if (!container) return container.error();
    if (row < 0 || row >= container->rowCount()) return noSuchRow(file, row);
    auto edited = edit(*container);
    if (!edited) return edited.error();
    return planKeepingNew(*edited);
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
    // an entry that starts at the very end has no bytes; one past it, no data
    if (file.entryOffset(row) > file.fileLength) return makeError(ErrorCode::NoData, file.filePath);
    const auto bytes = entrySpan(file, row);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::int64_t entryLength(const ContainerFile& file, int row)
{
    return static_cast<std::int64_t>(entrySpan(file, row).size());
}

Result<ContainerPlan> planReplacement(const ContainerFile& file, int row, const WriterImage& image)
{
    return replace(file, row, [&](const EditableContainer& c) { return replaceRows(c, {row}, {image}); });
}

Result<std::vector<std::uint8_t>> replaceEntry(const ContainerFile& file, int row, const WriterImage& image)
{
    return bytesOf(planReplacement(file, row, image));
}

Result<std::vector<std::uint8_t>> replaceEntry(const ContainerFile& file, int row,
                                               const std::vector<std::uint8_t>& newEntryBytes)
{
    return bytesOf(replace(
        file, row, [&](const EditableContainer& c) { return replaceRowBytes(c, row, newEntryBytes); }));
}

}  // namespace zpk

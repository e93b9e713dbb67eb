#include "cli/Messages.h"

#include "cli/TextEscape.h"

#include <system_error>

namespace zpk::cli {

namespace {

std::string systemReason(int err) { return std::system_category().message(err); }

}  // namespace

std::string errorReason(const Error& error)
{
    switch (error.code) {
    case ErrorCode::CannotOpen: return "cannot open: " + systemReason(error.systemError);
    case ErrorCode::NotRegularFile: return "cannot open: not a regular file";
    case ErrorCode::TooShort:
        return "not a zpk container: " + std::to_string(error.actualLength) + " bytes, the header needs " +
               std::to_string(error.neededLength);
    case ErrorCode::TooLarge: return "file is too large (2 GiB or more)";
    case ErrorCode::NoData: return "has no data: its width and height lie past the end of the file";
    case ErrorCode::EmptyImage:
        return "is " + std::to_string(error.imageWidth) + " x " + std::to_string(error.imageHeight) +
               " pixels: nothing to draw";
    case ErrorCode::InvalidImage: return error.detail;
    case ErrorCode::CannotEncode: return "cannot encode PNG: " + error.detail;
    case ErrorCode::InvalidPalette: return "not a palette file: " + error.detail;
    case ErrorCode::CannotPack: return "cannot pack: " + error.detail;
    case ErrorCode::WriteFailed: return "cannot write: " + systemReason(error.systemError);
    case ErrorCode::Exists: return "exists already";
    case ErrorCode::CannotMakeFolder:
        return "cannot make the folder " + terminalName(error.path) + ": " + systemReason(error.systemError);
    case ErrorCode::Busy: return "is being changed by another program; nothing was written";
    case ErrorCode::ChangedOnDisk:
        return "was changed by another program while it was being rewritten; nothing was written";
    case ErrorCode::WriteProtected: return "is write-protected (--force replaces it all the same)";
    case ErrorCode::OutOfMemory: return "out of memory";
    case ErrorCode::Internal: return error.detail;
    }
    return "unknown error";
}

std::string rowText(int row) { return "entry row " + std::to_string(row); }

std::string entryProblemText(int row, const Error& error)
{
    switch (error.code) {
    // the entry's own faults complete the sentence
    case ErrorCode::NoData:
    case ErrorCode::EmptyImage: return rowText(row) + " " + errorReason(error);
    case ErrorCode::Exists:
        return rowText(row) + ": " + terminalName(error.path) + " exists already (--force replaces it)";
    case ErrorCode::WriteFailed:
        return rowText(row) + ": " + terminalName(error.path) + ": " + errorReason(error);
    case ErrorCode::NotRegularFile:
        return rowText(row) + ": " + terminalName(error.path) +
               " is not a regular file, and is left as it is";
    default: return rowText(row) + ": " + errorReason(error);
    }
}

std::string missingRowText(int row, int rowCount)
{
    return "no " + rowText(row) + ": the list has " + std::to_string(rowCount) +
           (rowCount == 1 ? " row (0)" : " rows (0 to " + std::to_string(rowCount - 1) + ")");
}

std::string thumbnailProblemText(ThumbnailStatus status, std::int64_t fileLength)
{
    if (status == ThumbnailStatus::OutOfTime) {
        const bool large = fileLength > kLargeFileLength;
        const auto limit = large ? kLargeFileTimeLimit : kThumbnailTimeLimit;
        return "no thumbnail: gave up after " + std::to_string(limit.count() / 1000) +
               " s, the time a thumbnail" +
               (large ? " of a file over " + std::to_string(kLargeFileLength >> 20) + " MiB"
                      : std::string()) +
               " may take";
    }
    return "no thumbnail: no entry draws a pixel (entries that need more than " +
           std::to_string(kMaxThumbnailWindow >> 20) + " MiB of the file are passed over)";
}

std::string sheetTooLargeText(const SheetLayout& layout)
{
    const bool wide = layout.width > kMaxSheetSide;
    const bool tall = layout.height > kMaxSheetSide;
    const std::string advice = wide && tall ? "the entries are too large for one sheet"
                               : wide       ? "give fewer --columns"
                                            : "give more --columns";
    return "the sheet would be " + std::to_string(layout.width) + " x " + std::to_string(layout.height) +
           " pixels, larger than " + std::to_string(kMaxSheetSide) + " x " + std::to_string(kMaxSheetSide) +
           ": " + advice;
}

std::string rgbaFallbackNote(std::int64_t produced, std::int64_t pixelCount)
{
    return "written as RGBA: the pixel stream ends after " + std::to_string(produced) + " of " +
           std::to_string(pixelCount) + " pixels";
}

std::string planConflictText(const PlanConflict& conflict)
{
    // appended rather than "'" + ...: prepending to a temporary draws a false
    // -Wrestrict from g++ 12 at -O3
    const auto named = [](const std::string& name) {
        std::string out(1, '\'');
        out += terminalName(name);
        out += '\'';
        return out;
    };
    if (conflict.first == conflict.second) return named(conflict.first) + " is given twice";
    return named(conflict.first) + " and " + named(conflict.second) + " would both write into the folder " +
           named(conflict.folder) + " (export them in separate runs, each with its own -o DIR)";
}

std::string packOutputExistsText() { return "exists already (--force replaces it)"; }

std::string transparentIndex0Note()
{
    return "note: index 0 is transparent: its pixels become value 0, which is drawn transparent only "
           "with --drop-first";
}

std::string entryCountText(std::size_t count)
{
    std::string out = std::to_string(count);
    out += count == 1 ? " entry" : " entries";
    return out;
}

std::string_view statusWord(EntryStatus status)
{
    switch (status) {
    case EntryStatus::Ok: return "ok";
    case EntryStatus::Short: return "short";
    case EntryStatus::Empty: return "empty";
    case EntryStatus::NoData: return "no-data";
    }
    return "?";
}

}  // namespace zpk::cli

#include "cli/Messages.h"

#include "cli/TextEscape.h"

#include "export/ExportNaming.h"

#include <cstdio>
#include <system_error>

namespace zpk::cli {

namespace {

std::string systemReason(int err) { return std::system_category().message(err); }

std::string number(std::int64_t n) { return std::to_string(n); }

std::string pixelAt(const Error& e) { return "pixel (" + number(e.x) + ", " + number(e.y) + ")"; }

// "#RRGGBB"
std::string hexColour(std::uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFFu);
    return text;
}

std::string fieldName(ColourField field)
{
    switch (field) {
    case ColourField::Red: return "red";
    case ColourField::Green: return "green";
    case ColourField::Blue: return "blue";
    }
    return "?";
}

std::string atLine(const Error& e, const std::string& what) { return "line " + number(e.line) + ": " + what; }

std::string theValue(const Error& e) { return "the " + fieldName(e.field) + " value \"" + e.token + "\""; }

std::string imageSize(const Error& e)
{
    return number(e.imageWidth) + " x " + number(e.imageHeight) + " pixels";
}

// The rule `e` broke, without the entry it was broken in.
std::string ruleText(const Error& e)
{
    switch (e.refusal) {
    case Refusal::None: return e.detail;

    case Refusal::PaletteEmpty: return "the file is empty";
    case Refusal::PaletteTooLong:
        return "the file is " + number(e.actualLength) + " bytes; a palette file is at most " +
               number(e.limit) + " bytes";
    case Refusal::PaletteName: return "the name does not end in .gpl, .pal or .act";
    case Refusal::PaletteSwatch: return "a swatch image is written, never read as a palette";
    case Refusal::PaletteUnknownFormat: return "unknown palette format";
    case Refusal::PaletteBadByte: {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(e.value) & 0xFFu);
        return atLine(e, std::string("byte ") + hex + " does not belong in a text palette");
    }
    case Refusal::PaletteNotGimp: return atLine(e, "a GIMP palette begins with \"GIMP Palette\"");
    case Refusal::PaletteColumns: return atLine(e, "Columns is not a number from 0 to 256");
    case Refusal::PaletteNoColours: return "the palette holds no colours";
    case Refusal::PaletteNotJasc: return atLine(e, "a JASC palette begins with \"JASC-PAL\"");
    case Refusal::PaletteVersion: return atLine(e, "the version is not \"0100\"");
    case Refusal::PaletteCount: return atLine(e, "the colour count is not a number from 1 to 256");
    case Refusal::PaletteEndsEarly:
        return "the file ends after " + number(e.count) + " of " + number(e.limit) + " colours";
    case Refusal::PaletteExtraValue: return atLine(e, "more than three values: \"" + e.token + "\"");
    case Refusal::PaletteBeyondCount:
        return atLine(e, "more colours than the count of " + number(e.limit) + " says");
    case Refusal::PaletteMissingValue: return atLine(e, "the colour has no " + fieldName(e.field) + " value");
    case Refusal::PaletteNegative: return atLine(e, theValue(e) + " is negative; a colour value is 0 to 255");
    case Refusal::PaletteNotNumber: return atLine(e, theValue(e) + " is not a number");
    case Refusal::PaletteOver255: return atLine(e, theValue(e) + " is over 255");
    case Refusal::PaletteTooManyColours: return atLine(e, "more than " + number(e.limit) + " colours");
    case Refusal::PaletteActLength:
        return "the file is " + number(e.actualLength) + " bytes; an Adobe Color Table is 768 or 772 bytes";
    case Refusal::PaletteActCount:
        return "bytes " + number(e.offset) + "-" + number(e.offset + 1) + ": the colour count " +
               number(e.count) + " is not 1 to 256";
    case Refusal::PaletteColourCount: return "a palette file holds 1 to 256 colours, not " + number(e.count);

    case Refusal::PngUnreadable: return "not a readable PNG: " + e.detail;
    case Refusal::PngAncillaryChunk:
        return "not a readable PNG: a malformed ancillary chunk (text, profile or other metadata): " +
               e.detail;
    case Refusal::PngUnexpectedSize: return "not a readable PNG: unexpected image size";
    case Refusal::PictureTooWide:
        return "is " + imageSize(e) + "; an entry is at most " + number(e.limit) + " pixels wide and high";
    case Refusal::PictureTooManyPixels:
        return "is " + imageSize(e) + "; a picture to pack has at most " + number(e.limit) + " pixels";
    case Refusal::IndexPastPalette:
        return pixelAt(e) + " has index " + number(e.value) + ", past the " + number(e.count) +
               " colours of its palette";
    case Refusal::OnlyIndex0Transparent:
        return pixelAt(e) + " is " + (e.alpha == 0 ? "transparent" : "semi-transparent") + " (index " +
               number(e.value) + ", alpha " + number(e.alpha) + "): only index 0 may be transparent";
    case Refusal::PaletteColourMarker:
        return "palette colour " + number(e.value) + " (" + hexColour(e.rgb[0]) +
               ") holds the bytes 0xFF 0xFE, which would end the stored palette";
    case Refusal::PaletteColoursMarker:
        return "palette colours " + number(e.value) + " and " + number(e.value + 1) + " (" +
               hexColour(e.rgb[0]) + ", " + hexColour(e.rgb[1]) +
               ") hold the bytes 0xFF 0xFE, which would end the stored palette; a palette image's order is "
               "its pixel values and stays as it is";
    case Refusal::SixteenBitSample:
        return "16-bit samples: convert to 8 bits first (" + pixelAt(e) +
               " has a sample that no 8-bit value widens to)";
    case Refusal::TransparentPixel:
        return pixelAt(e) + " is transparent, and no value is kept for transparent pixels";
    case Refusal::SemiTransparentPixel:
        return pixelAt(e) + " is semi-transparent (alpha " + number(e.alpha) + ")";
    case Refusal::TooManyColours:
        return "has " + number(e.count) + " colours; an entry holds at most " + number(e.limit);
    case Refusal::TooManyBesidesValue0:
        return "has " + number(e.count) + " colours; an entry holds at most " + number(e.limit) +
               " besides value 0 for transparent pixels";
    case Refusal::ColourMarker:
        return "colour " + hexColour(e.rgb[0]) +
               " holds the bytes 0xFF 0xFE, which would end the stored palette";
    case Refusal::NoMarkerFreeOrder:
        return "its colours cannot be stored in any order without the bytes 0xFF 0xFE: too many of them "
               "start "
               "with 0xFE and end in 0xFF";

    case Refusal::NoFirstPicture: return "holds no " + e.fileName;
    case Refusal::PicturesPastLimit:
        return "holds pictures up to " + e.fileName + "; a container holds at most " + number(e.limit) +
               " entries (000.png to " + entryPngName(static_cast<int>(e.limit) - 1) + ")";
    case Refusal::PictureMissing:
        return e.fileName + " is missing: the pictures must run from 000.png to " + e.lastFileName +
               " without a gap";
    case Refusal::ChangedWhilePacked: return "changed while it was being packed";
    case Refusal::NoSuchRow:
        return "there is no entry row " + number(e.row) + " (the file lists " + number(e.count) + ")";
    case Refusal::RowPastEnd:
        return "the size table puts entry row " + number(e.row) + " at byte " + number(e.offset) +
               ", past the end of the file (" + number(e.actualLength) +
               " bytes), so its rows cannot be rewritten";
    case Refusal::NotDecodedBack:
        return "entry row " + number(e.row) +
               " would not decode back to the new picture: the entry behind it starts with 0xFF 0xFE, which "
               "its "
               "decode would count as its own";
    case Refusal::RowBeforeChanged:
        return "entry row " + number(e.row) +
               " would no longer decode as before: it ends in 0xFF, and the bytes that would follow it make "
               "that a run code";
    case Refusal::NoRowsLeft:
        return (e.count == 1 ? std::string("its only entry row") : "all " + number(e.count) + " entry rows") +
               " would go: a container keeps at least one";

    case Refusal::SideOutOfRange: return "width and height must lie between 0 and 32767";
    case Refusal::PixelCountMismatch: return "the pixel count is not width x height";
    case Refusal::WriterTooManyColours: return "more than 256 colours";
    case Refusal::PixelWithoutColour: return "pixel value " + number(e.value) + " has no colour";
    case Refusal::WriterColourMarker:
        return "colour " + number(e.value) + " holds the bytes 0xFF 0xFE, which end the palette";
    case Refusal::WriterColoursMarker:
        return "colours " + number(e.value) + " and " + number(e.value + 1) +
               " hold the bytes 0xFF 0xFE, which end the palette";
    case Refusal::LastColourMeetsNext:
        return "the last colour ends in 0xFF and the next entry starts with 0xFE";
    case Refusal::TooManyEntries:
        return number(e.count) + " entries: a container holds at most " + number(e.limit);
    case Refusal::EntryTooLarge:
        return "entry " + number(e.entry) + " is " + number(e.count) + " bytes, larger than " +
               number(e.limit) + ", and not the last";

    case Refusal::EncoderOutOfMemory: return "out of memory";
    case Refusal::NoPixels: return "the image has no pixels";
    case Refusal::PixelBytesMismatch: return "the image's pixel bytes do not match its size";
    case Refusal::IndicesMismatch: return "the image's indices do not match its size";
    case Refusal::PngPaletteSize: return "a PNG palette holds 1 to 256 colours";
    case Refusal::PngPaletteOrAlphaSize:
        return "a PNG palette holds 1 to 256 colours, and no more alpha values";
    case Refusal::MoreAlphaThanColours: return "the image has more alpha values than colours";
    case Refusal::PngIndexPastPalette: return "an index lies past the palette";

    case Refusal::SheetTooLarge: return "the sheet is larger than a sheet may be";
    }
    return e.detail;
}

}  // namespace

std::string refusalText(const Error& error)
{
    // a writer rule broken in one entry of several names it
    if (error.entry >= 0 && error.refusal != Refusal::EntryTooLarge)
        return "entry " + number(error.entry) + ": " + ruleText(error);
    return ruleText(error);
}

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
    case ErrorCode::InvalidImage: return refusalText(error);
    case ErrorCode::CannotEncode: return "cannot encode PNG: " + refusalText(error);
    case ErrorCode::InvalidPalette: return "not a palette file: " + refusalText(error);
    case ErrorCode::CannotPack: return "cannot pack: " + refusalText(error);
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
    case ErrorCode::CannotEncodeGif: return "cannot encode GIF: " + refusalText(error);
    case ErrorCode::NoFrames: return "no entry could be drawn: no GIF was written";
    case ErrorCode::Cancelled: return "cancelled";
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

std::string unsyncedText(const Error& error)
{
    return terminalName(error.path) +
           ": the PNGs written could not be saved to disk: " + systemReason(error.systemError);
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

std::string_view changeWord(RowChange change)
{
    switch (change) {
    case RowChange::Same: return "same";
    case RowChange::OnlyInA: return "only-in-a";
    case RowChange::OnlyInB: return "only-in-b";
    case RowChange::Size: return "size";
    case RowChange::Pixels: return "pixels";
    case RowChange::Bytes: return "bytes";
    case RowChange::Picture: return "picture";
    }
    return "?";
}

std::string noPictureText(char side, const RowDifference& difference, const Error& error)
{
    return std::string("no picture in ") + side + ": " + entryProblemText(difference.row, error);
}

std::string differenceText(const RowDifference& d)
{
    const auto size = [](int width, int height) { return number(width) + "x" + number(height); };
    switch (d.change) {
    case RowChange::Same: return "the same";
    case RowChange::OnlyInA: return "only in A";
    case RowChange::OnlyInB: return "only in B";
    case RowChange::Size: return "size " + size(d.widthA, d.heightA) + " -> " + size(d.widthB, d.heightB);
    case RowChange::Pixels:
        return number(d.differingPixels) + (d.differingPixels == 1 ? " pixel differs" : " pixels differ");
    case RowChange::Bytes: return "bytes differ (" + number(d.bytesA) + " -> " + number(d.bytesB) + " bytes)";
    case RowChange::Picture: {
        std::string out;
        if (d.problemA) out = noPictureText('A', d, *d.problemA);
        if (d.problemB) out += (out.empty() ? "" : "; ") + noPictureText('B', d, *d.problemB);
        return out;
    }
    }
    return "?";
}

}  // namespace zpk::cli

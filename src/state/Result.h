// Result<T>: a value or an Error, shaped like C++23's std::expected so that
// it can be swapped for it later. Bad input is reported through it; a broken
// invariant of our own is an assertion instead.
#pragma once

#include <cassert>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace zpk {

enum class ErrorCode {
    CannotOpen,        // the file could not be opened or read (systemError tells why)
    NotRegularFile,    // a pipe, a device or a socket: it has no length to read up to
    TooShort,          // the file ends before the header or the size table
    TooLarge,          // 2 GiB or more: a length must fit a signed 32-bit integer
    NoData,            // the entry's width and height bytes lie past the file
    EmptyImage,        // width or height below 1: nothing to draw
    InvalidImage,      // the writer was given an image it cannot store (refusal tells why)
    CannotEncode,      // the PNG encoder failed (refusal, or detail: the encoder's own reason)
    InvalidPalette,    // a palette file that is malformed, truncated or too long (refusal tells where)
    CannotPack,        // a picture or entry cannot go into a container (refusal tells why)
    WriteFailed,       // an output file could not be written (systemError tells why)
    Exists,            // the output exists already and was kept
    CannotMakeFolder,  // an output folder could not be made (systemError tells why)
    Busy,              // another program is changing the file, and did not finish in time
    ChangedOnDisk,     // the file is not the one that was read any more: nothing was written
    WriteProtected,    // the file's permissions keep this user from writing it
    OutOfMemory,
    Internal,         // an unexpected failure (detail: what was thrown)
    CannotEncodeGif,  // the GIF encoder failed (refusal, or detail: giflib's own reason)
    NoFrames,         // an animation none of whose entries could be drawn: nothing was written
    Cancelled,        // the caller stopped the work (its progress callback said no)
};

// The rule an input broke, one value per refusal; the facts it names are
// the fields of Error noted behind it. Palette rules come with
// InvalidPalette, picture and folder rules with CannotPack, writer rules
// with InvalidImage (CannotPack when a pack meets them), PNG encoder rules
// with CannotEncode, a GIF frame of too many colours (WriterTooManyColours) with
// CannotEncodeGif.
enum class Refusal {
    None,  // no rule of ours: the code says it all, or detail holds a library's words

    // a palette file
    PaletteEmpty,           // the file has no bytes
    PaletteTooLong,         // actualLength bytes, over limit
    PaletteName,            // the name does not end in .gpl, .pal or .act
    PaletteSwatch,          // a swatch image (.png) is written, never read
    PaletteUnknownFormat,   // a format value outside PaletteFormat
    PaletteBadByte,         // line, value: a byte that no text palette holds
    PaletteNotGimp,         // line 1 is not "GIMP Palette"
    PaletteColumns,         // line: "Columns:" is not a number from 0 to 256
    PaletteNoColours,       // a GIMP palette without a colour line
    PaletteNotJasc,         // line 1 is not "JASC-PAL"
    PaletteVersion,         // line 2 is not "0100"
    PaletteCount,           // line 3 is not a count from 1 to 256
    PaletteEndsEarly,       // count colours read of the limit the count line gave
    PaletteExtraValue,      // line, token: a fourth value behind a JASC colour
    PaletteBeyondCount,     // line: more colours than the limit the count line gave
    PaletteMissingValue,    // line, field: the colour line ends before it
    PaletteNegative,        // line, field, token
    PaletteNotNumber,       // line, field, token
    PaletteOver255,         // line, field, token
    PaletteTooManyColours,  // line: the colour past limit
    PaletteActLength,       // actualLength: not 768 or 772 bytes
    PaletteActCount,        // offset, count: the trailer's count is not 1 to 256
    PaletteColourCount,     // count: a palette file to write holds 1 to 256 colours

    // a picture to pack, read as PNG
    PngUnreadable,          // detail: libspng's words
    PngAncillaryChunk,      // detail: libspng's words on a chunk of text, profile or metadata
    PngUnexpectedSize,      // the decoded image is not the size its header gives
    PictureTooWide,         // imageWidth x imageHeight, a side over limit
    PictureTooManyPixels,   // imageWidth x imageHeight, over limit pixels
    IndexPastPalette,       // x, y, value (the index), count (the palette's colours)
    OnlyIndex0Transparent,  // x, y, value (the index), alpha
    PaletteColourMarker,    // value, rgb[0]: a palette colour holding 0xFF 0xFE
    PaletteColoursMarker,   // value, rgb[0], rgb[1]: colours value and value + 1 make 0xFF 0xFE
    SixteenBitSample,       // x, y: a 16-bit sample that is no 8-bit value times 257
    TransparentPixel,       // x, y: and no value is kept for transparent pixels
    SemiTransparentPixel,   // x, y, alpha
    TooManyColours,         // count, limit (256)
    TooManyBesidesValue0,   // count, limit (255 besides value 0 for transparent pixels)
    ColourMarker,           // rgb[0]: a colour holding the bytes 0xFF 0xFE
    NoMarkerFreeOrder,      // no order of the colours avoids 0xFF 0xFE

    // a folder of pictures, or a container an entry is replaced in
    NoFirstPicture,      // fileName: the folder holds no 000.png
    PicturesPastLimit,   // fileName (the highest), limit (entries)
    PictureMissing,      // fileName (the missing one), lastFileName (the highest)
    ChangedWhilePacked,  // the picture is not the one whose header was read
    NoSuchRow,           // row, count (the rows listed)
    RowPastEnd,          // row, offset, actualLength: the size table points past the file
    NotDecodedBack,      // row: the entry behind would add to the new entry's decode
    RowBeforeChanged,    // row: the entry would decode differently with other bytes behind it
    NoRowsLeft,          // count: every row of the container deleted

    // the container writer
    SideOutOfRange,        // width or height outside 0 to 32767
    PixelCountMismatch,    // the pixels are not width x height
    WriterTooManyColours,  // more than 256 colours
    PixelWithoutColour,    // value: a pixel value past the colours
    WriterColourMarker,    // value: colour value holds 0xFF 0xFE
    WriterColoursMarker,   // value: colours value and value + 1 make 0xFF 0xFE
    LastColourMeetsNext,   // the last colour ends in 0xFF, the next entry starts with 0xFE
    TooManyEntries,        // count, limit
    EntryTooLarge,         // entry, count (bytes), limit: not the last, and over 16 bits

    // the PNG encoder
    EncoderOutOfMemory,     // no encoder could be made
    NoPixels,               // width or height below 1
    PixelBytesMismatch,     // the RGBA bytes are not width x height x 4
    IndicesMismatch,        // the indices are not width x height
    PngPaletteSize,         // the palette is not 1 to 256 colours
    PngPaletteOrAlphaSize,  // the palette is not 1 to 256 colours, or has more alpha values
    MoreAlphaThanColours,   // more alpha values than colours
    PngIndexPastPalette,    // an index past the palette

    SheetTooLarge,  // an overview sheet past its largest size
};
constexpr Refusal kLastRefusal = Refusal::SheetTooLarge;

// The colour field of a palette line.
enum class ColourField { Red, Green, Blue };

// What went wrong, as codes and numbers: the front ends turn it into their
// own sentences, in their own language. No floor below them words an error.
struct Error {
    ErrorCode code = ErrorCode::CannotOpen;
    std::string path;               // the file concerned, when there is one
    int systemError = 0;            // an errno value, when the system said why
    std::int64_t actualLength = 0;  // TooShort, TooLarge, PaletteTooLong, ...: the file's length
    std::int64_t neededLength = 0;  // TooShort: the length the header needs
    int imageWidth = 0;             // EmptyImage, PictureTooWide, ...: the width and height
    int imageHeight = 0;

    Refusal refusal = Refusal::None;  // the rule broken; the fields below are its facts
    int entry = -1;                   // the container entry (from 0) a writer rule was broken in
    int row = -1;                     // an entry row of a container
    int x = -1;                       // a pixel of a picture
    int y = -1;
    int alpha = 0;            // the pixel's alpha
    int value = 0;            // an index, a pixel value, a colour number or a byte
    std::int64_t count = 0;   // how many there are: colours, rows, entries, bytes
    std::int64_t limit = 0;   // how many there may be, or the count a file gives
    std::int64_t offset = 0;  // a byte offset in the file
    int line = 0;             // a palette file's line, from 1
    ColourField field = ColourField::Red;
    std::string token;              // a value as the file holds it (a long one cut, "..." behind)
    std::uint32_t rgb[2] = {0, 0};  // the colours concerned, as 0xRRGGBB
    std::string fileName;           // a picture of a folder: "002.png"
    std::string lastFileName;       // the last picture of a folder
    // Words that are not ours: a library's own reason (libspng's) or what
    // was thrown (Internal); empty otherwise. Shown as they are.
    std::string detail;
};

inline Error makeError(ErrorCode code, std::string path = {}, int systemError = 0)
{
    Error e;
    e.code = code;
    e.path = std::move(path);
    e.systemError = systemError;
    return e;
}

inline Error makeRefusal(ErrorCode code, Refusal refusal)
{
    Error e;
    e.code = code;
    e.refusal = refusal;
    return e;
}

inline Error makeDetailedError(ErrorCode code, std::string detail)
{
    Error e;
    e.code = code;
    e.detail = std::move(detail);
    return e;
}

template <typename T>
class Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit like expected
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}  // NOLINT

    bool has_value() const { return m_state.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T& value() &
    {
        assert(has_value());
        return std::get<0>(m_state);
    }
    const T& value() const&
    {
        assert(has_value());
        return std::get<0>(m_state);
    }
    T&& value() &&
    {
        assert(has_value());
        return std::get<0>(std::move(m_state));
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const
    {
        assert(!has_value());
        return std::get<1>(m_state);
    }

private:
    std::variant<T, Error> m_state;
};

}  // namespace zpk

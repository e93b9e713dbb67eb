// The tool's words for what went wrong: each error value of the lower
// floors as the reason that follows "zpk: FILE: ".
#pragma once

#include "compare/Compare.h"
#include "export/BatchExport.h"
#include "export/EntryFacts.h"
#include "overview/FileThumbnail.h"
#include "overview/Sheet.h"
#include "state/Result.h"

#include <string>
#include <string_view>

namespace zpk::cli {

// Why a container could not be read, or an output not written:
// "not a zpk container: 12 bytes, the header needs 29",
// "cannot open: No such file or directory", "cannot write: ...".
std::string errorReason(const Error& error);

// The rule a palette, a picture, the container writer or the PNG encoder
// refused by, with its facts: "line 5: the red value "300" is over 255",
// "entry 3: more than 256 colours"; a library's own words when it is not
// one of ours.
std::string refusalText(const Error& error);

// "entry row K", as messages name a row.
std::string rowText(int row);

// Why an entry was not exported, behind "FILE: ":
// "entry row K is 0 x 4 pixels: nothing to draw",
// "entry row K: out/a/007.png exists already (--force replaces it)".
std::string entryProblemText(int row, const Error& error);

// A row past the list: "no entry row 9: the list has 7 rows (0 to 6)".
std::string missingRowText(int row, int rowCount);

// Why no thumbnail was made of a file of `fileLength` bytes (NothingToDraw
// or OutOfTime).
std::string thumbnailProblemText(ThumbnailStatus status, std::int64_t fileLength);

// Why a sheet is refused: "the sheet would be 20000 x 300 pixels, ...".
std::string sheetTooLargeText(const SheetLayout& layout);

// Why an indexed export came out as RGBA: "written as RGBA: the pixel
// stream ends after P of N pixels".
std::string rgbaFallbackNote(std::int64_t produced, std::int64_t pixelCount);

// A batch whose PNGs could not be made durable: "FOLDER: the PNGs written
// could not be saved to disk: REASON".
std::string unsyncedText(const Error& error);

// Two files of a batch that would share a folder.
std::string planConflictText(const PlanConflict& conflict);

// Why pack did not write OUT: "exists already (--force replaces it)".
std::string packOutputExistsText();

// A picture whose palette makes index 0 transparent, told when it is packed.
std::string transparentIndex0Note();

// "3 entries" / "1 entry".
std::string entryCountText(std::size_t count);

// "ok", "short", "empty", "no-data".
std::string_view statusWord(EntryStatus status);

// "same", "only-in-a", "only-in-b", "size", "pixels", "bytes", "picture".
std::string_view changeWord(RowChange change);

// What differs in a row, behind "K: ": "only in A", "size 32x32 -> 40x32",
// "118 pixels differ", "bytes differ (1234 -> 1240 bytes)", "no picture in
// B: entry row 9 is 0 x 4 pixels: nothing to draw".
std::string differenceText(const RowDifference& difference);

// Why `side` (A or B) of a row exports no picture, as export says it.
std::string noPictureText(char side, const RowDifference& difference, const Error& error);

}  // namespace zpk::cli

// What `zpk list` and `zpk info` print about a container, and `zpk diff`
// about two.
//
//   text   one aligned line per row (the default), as a person reads it
//   csv    a header row, then one record per row (RFC 4180 quoting, LF line ends)
//   json   one object: {"file", "size", "entryCount", "entries": [...]}; for
//          several FILEs an array of such objects
//   jsonl  the same objects, one per line
// Several FILEs: text and info put a blank line between files; CSV has one
// header and the file column tells the files apart.
#pragma once

#include "compare/Compare.h"
#include "container/Container.h"
#include "export/EntryFacts.h"
#include "state/ViewerState.h"

#include <ostream>
#include <string>
#include <vector>

namespace zpk::cli {

enum class ListFormat { Text, Csv, Json, JsonLines };

// The aligned text listing: a line with the file's name, length and entry
// count, then row, list text, offset, size, width and height per row (width
// and height "-" when the entry has no data). Needs the index alone, not the
// file's pixels.
void writeListText(std::ostream& out, const std::string& path, const ContainerIndex& index);

// The columns of the CSV, in order; the JSON's entry keys are the same but
// for "file".
inline constexpr const char* kListColumns[] = {"file",     "row",      "listText", "offset",
                                               "size",     "width",    "height",   "storedColours",
                                               "runCodes", "produced", "status"};

// The header row of the CSV.
void writeListCsvHeader(std::ostream& out);
// One record per row; width and height are empty when the entry has no data.
void writeListCsv(std::ostream& out, const std::string& path, const std::vector<EntryFacts>& entries);

enum class JsonLayout {
    Indented,  // an entry per line, indented (--format json)
    OneLine,   // the whole object on one line (--format jsonl)
};
// The object, without a line end; width and height are null when the entry
// has no data.
void writeListJson(std::ostream& out, const std::string& path, const ContainerFile& file,
                   const std::vector<EntryFacts>& entries, JsonLayout layout = JsonLayout::Indented);

// How many rows end in each status.
struct StatusCounts {
    int ok = 0;
    int shortStream = 0;
    int empty = 0;
    int noData = 0;
};
StatusCounts countStatuses(const std::vector<EntryFacts>& entries);

// `zpk info`: the file's size, its entry count, and how many rows decode
// fully, partially, or not at all.
void writeInfo(std::ostream& out, const std::string& path, const ContainerFile& file,
               const std::vector<EntryFacts>& entries);

// `zpk diff`, a row that differs: "K: what differs" (differenceText), or
// with ListFormat::Json one object on a line: {"row", "change", "widthA",
// "heightA", "widthB", "heightB", "bytesA", "bytesB", "differingPixels",
// "problemA", "problemB"}, a problem being export's sentence or null.
void writeDifference(std::ostream& out, const RowDifference& difference, ListFormat format);

}  // namespace zpk::cli

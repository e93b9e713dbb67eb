#include "cli/Listing.h"

#include "cli/Messages.h"
#include "cli/TextEscape.h"
#include "decode/Decoder.h"

#include <iomanip>

namespace zpk::cli {

namespace {

std::string optionalNumber(const std::optional<int>& value, std::string_view none)
{
    return value ? std::to_string(*value) : std::string(none);
}

}  // namespace

void writeListText(std::ostream& out, const std::string& path, const ContainerIndex& index)
{
    const ContainerFile& file = index.table;
    out << terminalName(path) << ": " << file.fileLength << " bytes, " << file.entryCount
        << (file.entryCount == 1 ? " entry" : " entries")
        << " (row, list text, offset, size, width, height)\n";

    for (int row = 0; row < file.rowCount(); ++row) {
        const std::int64_t offset = file.entryOffset(row);
        // a damaged size table may put an entry past the end: the size then
        // comes out negative, which says as much
        const std::int64_t size = file.entryEnd(row) - offset;
        out << std::setw(3) << row << ' ' << std::setw(8) << file.listTexts[static_cast<std::size_t>(row)]
            << ' ' << std::setw(8) << offset << ' ' << std::setw(9) << size << ' ';
        const auto& head = index.heads[static_cast<std::size_t>(row)];
        if (!head) {
            out << std::setw(6) << '-' << ' ' << std::setw(6) << '-' << '\n';
            continue;
        }
        const EntrySize dimensions = entrySizeFrom(*head);
        out << std::setw(6) << dimensions.width << ' ' << std::setw(6) << dimensions.height << '\n';
    }
}

void writeListCsvHeader(std::ostream& out)
{
    bool first = true;
    for (const char* column : kListColumns) {
        out << (first ? "" : ",") << column;
        first = false;
    }
    out << '\n';
}

void writeListCsv(std::ostream& out, const std::string& path, const std::vector<EntryFacts>& entries)
{
    const std::string file = csvField(path);
    for (const EntryFacts& e : entries) {
        out << file << ',' << e.row << ',' << csvField(e.listText) << ',' << e.offset << ',' << e.size << ','
            << optionalNumber(e.width, "") << ',' << optionalNumber(e.height, "") << ',' << e.storedColours
            << ',' << e.runCodes << ',' << e.produced << ',' << statusWord(e.status) << '\n';
    }
}

void writeListJson(std::ostream& out, const std::string& path, const ContainerFile& file,
                   const std::vector<EntryFacts>& entries, JsonLayout layout)
{
    const bool indented = layout == JsonLayout::Indented;
    const char* open = indented ? "{\n  " : "{";
    const char* between = indented ? ",\n  " : ", ";
    out << open << "\"file\": " << jsonString(path) << between << "\"size\": " << file.fileLength << between
        << "\"entryCount\": " << file.entryCount << between << "\"entries\": [";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const EntryFacts& e = entries[i];
        if (indented) out << (i == 0 ? "\n    " : ",\n    ");
        else if (i > 0) out << ", ";
        out << "{\"row\": " << e.row << ", \"listText\": " << jsonString(e.listText)
            << ", \"offset\": " << e.offset << ", \"size\": " << e.size
            << ", \"width\": " << optionalNumber(e.width, "null")
            << ", \"height\": " << optionalNumber(e.height, "null")
            << ", \"storedColours\": " << e.storedColours << ", \"runCodes\": " << e.runCodes
            << ", \"produced\": " << e.produced << ", \"status\": \"" << statusWord(e.status) << "\"}";
    }
    if (indented) out << (entries.empty() ? "]\n}" : "\n  ]\n}");
    else out << "]}";
}

StatusCounts countStatuses(const std::vector<EntryFacts>& entries)
{
    StatusCounts counts;
    for (const EntryFacts& e : entries) {
        switch (e.status) {
        case EntryStatus::Ok: ++counts.ok; break;
        case EntryStatus::Short: ++counts.shortStream; break;
        case EntryStatus::Empty: ++counts.empty; break;
        case EntryStatus::NoData: ++counts.noData; break;
        }
    }
    return counts;
}

void writeInfo(std::ostream& out, const std::string& path, const ContainerFile& file,
               const std::vector<EntryFacts>& entries)
{
    const StatusCounts counts = countStatuses(entries);
    out << "file:     " << terminalName(path) << '\n'
        << "size:     " << file.fileLength << (file.fileLength == 1 ? " byte" : " bytes") << '\n'
        << "entries:  " << file.entryCount;
    // with a count of 0 the list still holds one row, which is counted below
    if (static_cast<int>(entries.size()) != file.entryCount)
        out << " (the list shows " << entries.size() << (entries.size() == 1 ? " row)" : " rows)");
    out << '\n'
        << "ok:       " << counts.ok << "  decode fully\n"
        << "short:    " << counts.shortStream << "  decode partially: the pixel stream ends early\n"
        << "empty:    " << counts.empty << "  do not decode: width or height below 1\n"
        << "no-data:  " << counts.noData
        << "  do not decode: width and height lie past the end of the file\n";
}

void writeDifference(std::ostream& out, const RowDifference& d, ListFormat format)
{
    if (format != ListFormat::Json) {
        out << d.row << ": " << differenceText(d) << '\n';
        return;
    }
    const auto problem = [&](const std::optional<Error>& error) {
        return error ? jsonString(entryProblemText(d.row, *error)) : std::string("null");
    };
    out << "{\"row\": " << d.row << ", \"change\": \"" << changeWord(d.change)
        << "\", \"widthA\": " << d.widthA << ", \"heightA\": " << d.heightA << ", \"widthB\": " << d.widthB
        << ", \"heightB\": " << d.heightB << ", \"bytesA\": " << d.bytesA << ", \"bytesB\": " << d.bytesB
        << ", \"differingPixels\": " << d.differingPixels << ", \"problemA\": " << problem(d.problemA)
        << ", \"problemB\": " << problem(d.problemB) << "}\n";
}

}  // namespace zpk::cli

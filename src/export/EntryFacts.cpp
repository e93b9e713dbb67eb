#include "export/EntryFacts.h"

namespace zpk {

EntryStatus statusOf(const DecodedImage& image)
{
    if (!image.hasData) return EntryStatus::NoData;
    if (image.pixelCount() == 0) return EntryStatus::Empty;
    return image.produced < image.pixelCount() ? EntryStatus::Short : EntryStatus::Ok;
}

EntryFacts entryFacts(const ContainerFile& file, int row)
{
    EntryFacts facts;
    facts.row = row;
    facts.listText = file.listTexts[static_cast<std::size_t>(row)];
    facts.offset = file.entryOffset(row);
    facts.size = file.entryEnd(row) - facts.offset;

    Palette palette{};
    const DecodedImage image = decodeEntry(file, row, palette);
    if (image.hasData) {
        facts.width = image.imageWidth;
        facts.height = image.imageHeight;
    }
    facts.storedColours = image.storedColours;
    facts.runCodes = image.runCodes;
    facts.produced = image.produced;
    facts.status = statusOf(image);
    return facts;
}

std::vector<EntryFacts> allEntryFacts(const ContainerFile& file)
{
    std::vector<EntryFacts> out;
    out.reserve(static_cast<std::size_t>(file.rowCount()));
    for (int row = 0; row < file.rowCount(); ++row) out.push_back(entryFacts(file, row));
    return out;
}

}  // namespace zpk

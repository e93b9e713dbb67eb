#include "export/ExportNaming.h"

#include "container/Container.h"

#include <filesystem>

namespace zpk {

namespace fs = std::filesystem;

std::string containerStem(const std::string& file)
{
    if (file == kStandardInput) return "stdin";
    std::string stem = fs::path(file).stem().string();
    if (stem.empty() || stem == "." || stem == "..") stem = "entry";
    return stem;
}

std::string defaultPngName(const std::string& file, int row)
{
    return containerStem(file) + "-" + std::to_string(row) + ".png";
}

std::string outputFolderOf(const std::string& outputFolder, const std::string& file)
{
    std::string stem = containerStem(file);
    // a file without extension would share its name with its own folder
    if (file != kStandardInput && !fs::path(file).has_extension()) stem += ".d";
    return outputFolder.empty() ? stem : (fs::path(outputFolder) / stem).string();
}

std::string entryPngName(int row)
{
    std::string digits = std::to_string(row);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return digits + ".png";
}

std::string entryPngPath(const std::string& folder, int row)
{
    return (fs::path(folder) / entryPngName(row)).string();
}

int rowOfEntryPng(const std::string& name)
{
    if (name.size() != 7 || name.compare(3, 4, ".png") != 0) return -1;
    int row = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        row = row * 10 + (name[i] - '0');
    }
    return row;
}

}  // namespace zpk

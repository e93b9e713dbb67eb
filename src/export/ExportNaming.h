// The names exported images get, for the tool and the viewer alike.
//
//   one entry    STEM-K.png in the current folder (`zpk export FILE --entry K`,
//                the viewer's save dialog)
//   every entry  DIR/STEM/KKK.png, K with three digits, as a list has at most
//                255 rows (`zpk export --all`, the viewer's "export all")
//
// STEM is the container's file name without folder and last extension
// ("stdin" for "-", standard input). A container without extension gets
// the folder DIR/NAME.d, which cannot be the container itself.
#pragma once

#include <string>

namespace zpk {

// The stem of the PNG names made from a container file; "entry" when that
// leaves nothing usable (a path ending in a folder, which is never read as
// a container).
std::string containerStem(const std::string& file);

// STEM-K.png.
std::string defaultPngName(const std::string& file, int row);

// The folder of `file`'s PNGs: outputFolder/STEM (STEM.d for a file without
// extension), or that folder alone when outputFolder is empty.
std::string outputFolderOf(const std::string& outputFolder, const std::string& file);

// The name of `row`'s PNG in an export folder: 007.png.
std::string entryPngName(int row);

// The PNG of `row` in `folder`: folder/007.png.
std::string entryPngPath(const std::string& folder, int row);

// The row whose PNG `name` is (three digits and ".png", as entryPngName
// makes it), or -1 for any other name; what packing an exported folder
// reads back.
int rowOfEntryPng(const std::string& name);

}  // namespace zpk

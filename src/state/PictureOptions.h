// How a picture is drawn and written: one set of options that travels from
// either front end (the window's controls, the tool's command line) down to
// the pixels.
#pragma once

#include "state/ViewerState.h"

#include <memory>
#include <string>
#include <vector>

namespace zpk {

// "Drop first": pixels of value 0 are not drawn and the canvas shows through
// (transparent in an exported image).
enum class DropFirst { Off, On };

// What an exported PNG holds.
enum class OutputForm {
    Smallest,  // the palette form whenever it shows the image exactly, RGBA otherwise
    Rgba,      // drawn pixels opaque in their colour, the rest transparent
    Indexed,   // one byte per pixel, its value; when the stream produces every pixel
};

struct PictureOptions {
    // "UserColor": palette entries 1 to 256 become a ramp from the three
    // base texts.
    bool userColor = false;
    std::string color1 = "0";
    std::string color2 = "0";
    std::string color3 = "0";
    DropFirst dropFirst = DropFirst::Off;
    OutputForm form = OutputForm::Smallest;
    // A palette from a file, used instead of the colours an entry stores:
    // pixel value v shows colour v of the file (palette entry v + 2), and
    // the values past the file's end show black. The ramp, when on, still
    // takes its entries over. Nothing: the stored colours.
    std::shared_ptr<const std::vector<Colour>> externalPalette{};
};

// Whether two sets of options draw the same pictures, whatever PNG form
// they ask for: the ramp (its texts only while it is on), drop-first and
// the external palette's colours.
inline bool drawSamePictures(const PictureOptions& a, const PictureOptions& b)
{
    if (a.userColor != b.userColor || a.dropFirst != b.dropFirst) return false;
    if (a.userColor && (a.color1 != b.color1 || a.color2 != b.color2 || a.color3 != b.color3)) return false;
    if (a.externalPalette == b.externalPalette) return true;
    return a.externalPalette && b.externalPalette && *a.externalPalette == *b.externalPalette;
}

}  // namespace zpk

// What each sub-command of `zpk` is asked to do, as its options and
// operands give it: one type per command, each field named for what it is
// to that command.
#pragma once

#include "cli/Listing.h"
#include "compare/Compare.h"
#include "io/FileOutput.h"
#include "overview/FileThumbnail.h"
#include "pack/PictureReader.h"
#include "state/PictureOptions.h"

#include <string>
#include <vector>

namespace zpk::cli {

enum class Command {
    Help,
    Version,
    List,
    Info,
    Export,
    Thumbnail,
    Sheet,
    Palette,
    Pack,
    Replace,
    Insert,
    Delete,
    Move,
    Extract,
    Diff,
    Gif
};

enum class ProgressOutput {
    Shown,  // a bar on a terminal, a line per file otherwise
    Quiet,  // none; failures are still reported
};

// The colours of a command that draws, as its options give them.
struct DrawingOptions {
    PictureOptions picture;  // the ramp and its three texts, drop-first, RGBA or indexed
    // --palette: a palette file whose colours take the place of the stored
    // ones (read when the command runs, into picture.externalPalette).
    std::string paletteFile;
};

// zpk help [COMMAND], zpk COMMAND --help, zpk --help
struct HelpRequest {
    Command topic = Command::Help;  // whose help to show (Help: the general one)
};

// zpk --version
struct VersionRequest {};

// zpk list FILE...
struct ListSettings {
    std::vector<std::string> files;  // in order; "-" is standard input
    ListFormat format = ListFormat::Text;
};

// zpk info FILE...
struct InfoSettings {
    std::vector<std::string> files;  // in order; "-" is standard input
};

// zpk export FILE, or zpk export FILE... --all
struct ExportSettings {
    std::vector<std::string> files;  // one, but for --all
    int row = 0;                     // --entry: the list row to export, counted from 0
    // One entry: the PNG to write ("-": standard output; empty: STEM-K.png in
    // the current folder).
    std::string outputPng;
    DrawingOptions drawing;
    ProgressOutput progress = ProgressOutput::Shown;  // with one entry: -q leaves out the closing line
    bool all = false;                                 // --all: every entry of every FILE
    // The following go with --all only.
    std::string outputFolder;  // the folder to write into (empty: the current folder)
    int jobs = 0;              // worker threads; 0: one per hardware thread
    Overwrite overwrite = Overwrite::Refuse;
    bool skipExisting = false;
};

// zpk thumbnail FILE OUT.png
struct ThumbnailSettings {
    std::string file;
    std::string outputPng;  // OUT.png ("-": standard output)
    DrawingOptions drawing;
    int size = kDefaultThumbnailSize;  // --size: the longest side
    ProgressOutput progress = ProgressOutput::Shown;
};

// zpk sheet FILE
struct SheetSettings {
    std::string file;
    std::string outputPng;  // -o ("-": standard output; empty: STEM-sheet.png in the current folder)
    DrawingOptions drawing;
    int columns = 0;  // --columns; 0: as many as make the grid square
    bool labels = false;
    ProgressOutput progress = ProgressOutput::Shown;
};

// zpk palette FILE -o OUT
struct PaletteSettings {
    std::string file;
    int row = 0;                // --entry: the list row whose palette to write
    std::string outputPalette;  // -o: the palette file, its ending naming the format ("-": standard output)
    DrawingOptions drawing;
    ProgressOutput progress = ProgressOutput::Shown;
};

// zpk pack OUT.zpk IMAGE..., or zpk pack OUT.zpk --from DIR
struct PackSettings {
    std::string outputContainer;        // OUT.zpk, the first operand
    std::vector<std::string> pictures;  // the PNGs to pack, in order (empty with --from)
    std::string fromFolder;             // --from DIR: DIR/000.png, 001.png, ... as export --all writes them
    PackOptions options;                // --transparent-index0
    Overwrite overwrite = Overwrite::Refuse;  // --force
    ProgressOutput progress = ProgressOutput::Shown;
};

// What every command that rewrites the container FILE is given: replace,
// insert, delete and move.
struct ContainerRewrite {
    std::string file;
    // -o: the container to write ("-": standard output; empty: FILE itself, replaced)
    std::string outputContainer;
    Overwrite overwrite = Overwrite::Refuse;  // --force: FILE replaced also when write-protected
    ProgressOutput progress = ProgressOutput::Shown;
};

// zpk replace FILE --entry K IMAGE
struct ReplaceSettings : ContainerRewrite {
    int row = 0;          // --entry: the row to replace
    std::string image;    // the PNG that takes the entry's place
    PackOptions options;  // --transparent-index0
};

// zpk insert FILE --at K IMAGE...
struct InsertSettings : ContainerRewrite {
    int at = 0;                       // --at: the row the first picture takes (the entry count: at the end)
    std::vector<std::string> images;  // the PNGs to insert, in order
    PackOptions options;              // --transparent-index0
};

// zpk delete FILE --entry K
struct DeleteSettings : ContainerRewrite {
    int row = 0;  // --entry: the row to delete
};

// zpk move FILE --entry K --to J
struct MoveSettings : ContainerRewrite {
    int row = 0;  // --entry: the row to move
    int to = 0;   // --to: the row it ends up at
};

// zpk diff A B
struct DiffSettings {
    std::string fileA;  // "-" is standard input, for one of the two at most
    std::string fileB;
    CompareBy by = CompareBy::Pictures;    // --bytes: the entries' bytes instead
    ListFormat format = ListFormat::Text;  // text or json (one object a line)
    DrawingOptions drawing;                // the ramp, drop-first and --palette; the PNG form has no say
    bool quiet = false;                    // -q: nothing printed, the exit status alone
};

// zpk extract FILE -o OUT
struct ExtractSettings {
    std::string file;
    int row = 0;             // --entry: the row whose bytes to write
    std::string outputFile;  // -o: the file for the entry's bytes ("-": standard output)
    ProgressOutput progress = ProgressOutput::Shown;
};

// zpk gif FILE -o OUT.gif
struct GifSettings {
    std::string file;
    int firstRow = 0;       // --entries A-B: the rows to animate, in order
    int lastRow = -1;       // -1: up to the last row
    std::string outputGif;  // -o: the GIF to write ("-": standard output)
    DrawingOptions drawing;
    int framesPerSecond = 10;  // --fps
    int loops = 0;             // --loop: 0 for ever, N times in all
    ProgressOutput progress = ProgressOutput::Shown;
};

}  // namespace zpk::cli

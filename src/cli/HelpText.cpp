// The help texts of `zpk`: what `zpk --help`, `zpk help COMMAND` and
// `zpk COMMAND --help` print, and the usage lines of usage errors.
#include "cli/CommandLine.h"

namespace zpk::cli {

std::string_view usageLine(Command command)
{
    switch (command) {
    case Command::List: return "usage: zpk list FILE [--format text|csv|json]";
    case Command::Info: return "usage: zpk info FILE";
    case Command::Export:
        return "usage: zpk export FILE [--entry K] [-o OUT.png] [PICTURE OPTIONS]\n"
               "       zpk export FILE... --all [-o DIR] [-j N] [--force] [--quiet]\n"
               "                  [PICTURE OPTIONS]\n"
               "PICTURE OPTIONS: --user-color --color1 T --color2 T --color3 T --drop-first\n"
               "                 --indexed";
    default: return "usage: zpk {list|info|export|help} ... (zpk --help tells more)";
    }
}

std::string_view helpText(Command command)
{
    switch (command) {
    case Command::List:
        return "usage: zpk list FILE [--format text|csv|json]\n"
               "\n"
               "Shows the entries of the container FILE, one per list row.\n"
               "\n"
               "  --format text   (the default) a line with the file's name, its length and\n"
               "                  its entry count, then one aligned line per row with\n"
               "     row      the row, counted from 0\n"
               "     text     the row's list text (the entry's start offset plus 3)\n"
               "     offset   the entry's start offset in the file\n"
               "     size     bytes up to the next entry's start (the last: to the end of\n"
               "              the file); negative or past the end in a damaged file\n"
               "     width    the entry's width, or - when its header lies past the file\n"
               "     height   the entry's height, or -\n"
               "  --format csv    a header row, then one record per row with the columns\n"
               "                    file,row,listText,offset,size,width,height,\n"
               "                    storedColours,runCodes,produced,status\n"
               "                  quoted as RFC 4180 has it, lines ending in LF; width and\n"
               "                  height are empty when the entry has no data\n"
               "  --format json   one object: {\"file\", \"size\", \"entryCount\", \"entries\"},\n"
               "                  \"entries\" an array of objects with the keys of the CSV\n"
               "                  columns but \"file\" (width and height null when the entry\n"
               "                  has no data); bytes of the file name that are not UTF-8\n"
               "                  become U+FFFD\n"
               "\n"
               "For csv and json every entry is decoded on a fresh palette:\n"
               "  storedColours   colour triplets of the entry's stored palette\n"
               "  runCodes        run codes the pixel stream expanded\n"
               "  produced        pixels the stream produced\n"
               "  status          ok       every pixel produced\n"
               "                  short    fewer pixels than width x height\n"
               "                  empty    width or height below 1\n"
               "                  no-data  the width and height bytes lie past the file\n"
               "A container of 0 entries still lists one row, for an entry at offset 30.\n";
    case Command::Info:
        return "usage: zpk info FILE\n"
               "\n"
               "Tells the size of the container FILE, its entry count, and how many of its\n"
               "list rows decode fully (ok), partially (short: the pixel stream ends before\n"
               "width x height pixels), or not at all (empty: width or height below 1;\n"
               "no-data: the width and height bytes lie past the end of the file). Each\n"
               "entry is decoded on a fresh palette. `zpk list FILE --format csv` tells\n"
               "which rows are which.\n";
    case Command::Export:
        return "usage: zpk export FILE [--entry K] [-o OUT.png] [PICTURE OPTIONS]\n"
               "       zpk export FILE... --all [-o DIR] [-j N] [--force] [--quiet]\n"
               "                  [PICTURE OPTIONS]\n"
               "\n"
               "Decodes entries of zpk containers, each on a fresh (all black) palette, and\n"
               "writes them as PNG: RGBA by default, drawn pixels opaque in their palette\n"
               "colour, pixels not drawn transparent.\n"
               "\n"
               "One entry:\n"
               "  --entry K          the list row to export, counted from 0 (default 0)\n"
               "  -o, --output OUT   the PNG to write (default STEM-K.png in the current\n"
               "                     folder, STEM being FILE's name without its extension);\n"
               "                     an existing OUT is replaced\n"
               "\n"
               "Every entry of every FILE (--all):\n"
               "  --all              write row K of FILE to DIR/STEM/KKK.png, the row with\n"
               "                     three digits (demo.zpk row 7: DIR/demo/007.png); the\n"
               "                     folders are made as needed\n"
               "  -o, --output DIR   the folder to write into (default: the current folder)\n"
               "  -j, --jobs N       export on N threads (default: one per processor); the\n"
               "                     files written are the same whatever N is\n"
               "  --force            replace PNGs that exist already; without it an existing\n"
               "                     PNG is kept, and its entry counts as not exported\n"
               "  -q, --quiet        no progress, notes or closing tally; what failed is\n"
               "                     still reported\n"
               "\n"
               "Progress goes to standard error: a bar when it is a terminal, else a line\n"
               "per file. At the end every entry that was not exported is listed as\n"
               "`zpk: FILE: entry row K ...` with the reason (width or height below 1, no\n"
               "data, an existing PNG, a failed write); a FILE that cannot be read is\n"
               "reported and the others go on. Two FILEs with the same STEM would share a\n"
               "folder: that is refused as a usage error before anything is written.\n"
               "\n"
               "Picture options (both forms):\n"
               "  --user-color       colour pixel values 0 to 254 by a ramp built from the\n"
               "                     three texts below instead of the stored colours\n"
               "  --color1 T         the ramp's red base (default \"0\"); pixel value v gets\n"
               "                     red T + v + 2, rounded half to even, clamped to 0..255\n"
               "  --color2 T         the ramp's green base (default \"0\")\n"
               "  --color3 T         the ramp's blue base (default \"0\")\n"
               "  --drop-first       leave pixels of value 0 transparent\n"
               "  --indexed          write an 8-bit palette PNG: index v has the colour of\n"
               "                     pixel value v, and with --drop-first index 0 is\n"
               "                     transparent. An entry whose pixel stream ends early\n"
               "                     has pixels that are not drawn: it is written as RGBA,\n"
               "                     and a note says so (not an error)\n"
               "\n"
               "A text is a decimal number such as 12, -3, +4 or 2.5; a text that is not a\n"
               "number leaves the stored colours. Write --color1=T or --color1 T; T may be\n"
               "empty or begin with a minus sign (--color1 -300). Images wider or taller\n"
               "than 4000 pixels are written clipped to 4000, as they are decoded.\n"
               "\n"
               "Exit status: 0 when every entry was written; 1 when a FILE cannot be read,\n"
               "the row does not exist, or an entry has no data, a width or height below 1,\n"
               "or cannot be written (one entry: nothing is written then); 2 for a wrong\n"
               "command line.\n";
    default:
        return "usage: zpk COMMAND [ARGS]\n"
               "\n"
               "Lists and exports the images packed in zpk resource containers.\n"
               "\n"
               "Commands:\n"
               "  list FILE          show the entries of a container (as text, CSV or JSON)\n"
               "  info FILE          count the entries that decode fully, partially, not at all\n"
               "  export FILE        write one entry as a PNG\n"
               "  export FILE... --all\n"
               "                     write every entry of every FILE as PNGs, on all processors\n"
               "  help [COMMAND]     show this help, or a command's\n"
               "\n"
               "Options:\n"
               "  -h, --help         show help and exit (also after a command: zpk list --help)\n"
               "  --version          show the version and exit\n"
               "\n"
               "Run 'zpk COMMAND --help' for a command's options. Exit status: 0 on success,\n"
               "1 when a file cannot be read or written (or, for export, an entry cannot be\n"
               "exported), 2 for a wrong command line.\n"
               "\n"
               "Examples:\n"
               "  zpk list samples/demo.zpk\n"
               "  zpk list samples/demo.zpk --format json\n"
               "  zpk info samples/demo.zpk\n"
               "  zpk export samples/demo.zpk --entry 3 --drop-first -o star.png\n"
               "  zpk export *.zpk --all -o sprites --indexed --drop-first\n";
    }
}

}  // namespace zpk::cli

// Loads every file of the given folders into one viewer state, one after
// another as the viewer would, and renders every row with each combination
// of UserColor, drop first and clear onto one canvas. It checks little by
// itself: it is there for the sanitizers (LeakSanitizer in the asan preset)
// to watch a long session of hostile files.
#include "container/Container.h"
#include "decode/Decoder.h"
#include "draw/Draw.h"
#include "draw/Surface.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace zpk;
namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        if (!fs::is_directory(argv[i])) {
            std::fprintf(stderr, "stress: %s: not a folder\n", argv[i]);
            return 2;
        }
        for (const auto& entry : fs::recursive_directory_iterator(argv[i])) {
            if (entry.is_regular_file() && entry.path().filename() != "MANIFEST")
                files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());

    ViewerState state;
    Surface canvas(kCanvasWidth, kCanvasHeight);
    std::int64_t renders = 0;
    std::int64_t loads = 0;
    for (const auto& path : files) {
        auto loaded = loadContainer(path.string());
        if (!loaded) continue;  // a failed load leaves the previous file, as in the viewer
        state.file = std::move(*loaded);
        ++loads;
        for (int row = 0; row < state.file.rowCount(); ++row) {
            for (int combination = 0; combination < 8; ++combination) {
                const bool userColor = (combination & 1) != 0;
                const DropFirst dropFirst = (combination & 2) != 0 ? DropFirst::On : DropFirst::Off;
                const bool clear = (combination & 4) != 0;
                if (clear) canvas.clear();
                const DecodedImage image =
                    decodeEntry(state.file, row, state.palette, {userColor, "12", "-40", "80.5"});
                if (image.produced > image.pixelCount() || image.streamEnd > state.file.fileLength + 1) {
                    std::fprintf(stderr, "stress: %s row %d: decoded past its bounds\n",
                                 path.string().c_str(), row);
                    return 1;
                }
                drawImage(canvas, image, state.palette, dropFirst);
                ++renders;
            }
        }
    }
    if (loads == 0) {
        std::fprintf(stderr, "stress: no file loaded\n");
        return 1;
    }
    std::printf("stress: %zu files, %lld loaded, %lld renders\n", files.size(), static_cast<long long>(loads),
                static_cast<long long>(renders));
    return 0;
}

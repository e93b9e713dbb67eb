// zpk-make-demo OUT.zpk: writes the bundled sample container. A build-time
// program (`cmake --build build --target demo`), not part of the product;
// the same bytes on every run and every machine.
#include "DemoImages.h"

#include "export/FileOutput.h"

#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    // an option is never taken for the name of the file to write
    if (argc != 2 || argv[1][0] == '-') {
        std::cerr << "usage: zpk-make-demo OUT.zpk\n";
        return 2;
    }
    const std::string path = argv[1];
    const auto images = zpk::demo::demoImages();
    const auto container = zpk::demo::buildContainer(images);
    if (!container) {
        std::cerr << "zpk-make-demo: " << container.error().detail << '\n';
        return 1;
    }
    const auto written = zpk::writeFileReplacing(path, *container);
    if (!written) {
        std::cerr << "zpk-make-demo: " << path
                  << ": cannot write: " << std::strerror(written.error().systemError) << '\n';
        return 1;
    }
    std::cout << "wrote " << path << ": " << images.size() << " images, " << written->bytes << " bytes\n";
    return 0;
}

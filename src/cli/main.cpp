// zpk: lists the entries of zpk resource containers and exports them as PNG.
#include "cli/Commands.h"

#include <exception>
#include <iostream>
#include <new>
#include <string_view>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv)
{
    try {
        const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        const auto errStream =
            ::isatty(STDERR_FILENO) ? zpk::cli::ErrStream::Terminal : zpk::cli::ErrStream::File;
        return static_cast<int>(zpk::cli::run(args, std::cout, std::cerr, errStream));
    } catch (const std::bad_alloc&) {
        std::cerr << "zpk: out of memory\n";
    } catch (const std::exception& e) {
        std::cerr << "zpk: " << e.what() << '\n';
    }
    return static_cast<int>(zpk::cli::ExitStatus::Failure);
}

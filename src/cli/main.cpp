// zpk: lists the entries of zpk resource containers and exports them as PNG.
#include "cli/Commands.h"
#include "io/TemporaryFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

// Standard output must reach its end whole: a failed write (a full disk, a
// closed pipe) is an error, not a success with the output lost.
bool closeStandardOutput()
{
    errno = 0;
    std::cout.flush();  // the buffered output is written here, and fails here
    int err = errno;
    bool ok = static_cast<bool>(std::cout);
    if (std::fflush(stdout) != 0) {
        ok = false;
        err = errno;
    }
    if (std::ferror(stdout)) ok = false;
    // the descriptor, not the FILE, which the C++ runtime still flushes at exit
    if (::close(STDOUT_FILENO) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok)
        std::cerr << "zpk: write error" << (err != 0 ? std::string(": ") + std::strerror(err) : "") << '\n';
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    zpk::installSignalCleanup();
    auto status = zpk::cli::ExitStatus::Failure;
    try {
        const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        const auto errStream =
            ::isatty(STDERR_FILENO) ? zpk::cli::ErrStream::Terminal : zpk::cli::ErrStream::File;
        status = zpk::cli::run(args, std::cout, std::cerr, errStream);
    } catch (const std::bad_alloc&) {
        std::cerr << "zpk: out of memory\n";
    } catch (const std::exception& e) {
        std::cerr << "zpk: " << e.what() << '\n';
    }
    if (!closeStandardOutput() && status == zpk::cli::ExitStatus::Success)
        status = zpk::cli::ExitStatus::Failure;
    return static_cast<int>(status);
}

// Temporary files that must not outlive an interrupted program: each one is
// registered while it exists, and SIGINT, SIGTERM and SIGHUP remove every
// registered file before the program ends.
#pragma once

#include <string>

namespace zpk {

// Removes the registered temporary files on SIGINT, SIGTERM and SIGHUP and
// then lets the signal end the program (a shell reports 130, 143, 129, and
// stops a loop on Ctrl-C). SIGXFSZ is ignored, so
// that a file-size limit makes a write fail with EFBIG instead of ending
// the program. Call once, early in main().
void installSignalCleanup();

// Registers one temporary file for as long as it lives: register the name
// before the file is made, so that no moment is left uncovered. At most
// kMaxTemporaryFiles at a time are registered; past that (or for a path
// longer than the slot) the file is still written, only not removed on a
// signal.
class TemporaryFileGuard {
public:
    explicit TemporaryFileGuard(const std::string& path);
    ~TemporaryFileGuard();
    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

private:
    int m_slot = -1;
};

// More than the worker threads of any batch write at once.
inline constexpr int kMaxTemporaryFiles = 512;

}  // namespace zpk

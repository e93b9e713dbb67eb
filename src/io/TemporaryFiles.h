// Temporary files that must not outlive an interrupted program. SIGINT,
// SIGTERM and SIGHUP are taken by a thread of their own: it lets the writes
// under way finish (a temporary file exists only inside one) and allows no
// new one, removes whatever is still registered, and then lets the signal
// end the program as it would have.
#pragma once

#include <string>

namespace zpk {

// Takes SIGINT, SIGTERM and SIGHUP as above, so that a shell reports 130,
// 143, 129 and stops a loop on Ctrl-C; ignores SIGXFSZ, so that a file-size
// limit makes a write fail with EFBIG instead of ending the program. Call
// once, first thing in main(), before any other thread starts (threads
// inherit the blocked signals).
void installSignalCleanup();

// One temporary file's life: while a guard lives the program does not end
// on those signals (for a few seconds at most), and its path is removed if
// it ends all the same. A guard made once the program is ending is not
// `allowed()`: no file may be made then. A guard of no path only holds the
// program's end back while a file is written into in place.
class TemporaryFileGuard {
public:
    explicit TemporaryFileGuard(const std::string& path);
    ~TemporaryFileGuard();
    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

    bool allowed() const { return m_allowed; }

private:
    int m_slot = -1;
    bool m_allowed = false;
};

// More than the worker threads of any batch write at once.
inline constexpr int kMaxTemporaryFiles = 512;

}  // namespace zpk

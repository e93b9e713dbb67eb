// Writing a whole output file so that a failure leaves nothing behind.
#pragma once

#include "state/Result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zpk {

// What a successful write produced.
struct WrittenFile {
    std::string path;
    std::size_t bytes = 0;
};

// What to do when something of the output's name exists already.
enum class Overwrite {
    Replace,  // the new file takes its place (a folder of that name stays, and the write fails)
    Refuse,   // it stays as it was, and the write fails
};

// Writes `bytes` to `path + ".tmp"`, then moves it to `path` in one step,
// so that `path` never holds a partial file. With Overwrite::Replace any
// file of that name is replaced; with Overwrite::Refuse an existing one is
// kept and the write fails with ErrorCode::Exists (decided by the move
// itself, so a file that appears meanwhile is not clobbered either). On any
// failure the temporary file is removed and `path` is left as it was; other
// errors are ErrorCode::WriteFailed with the system's errno.
Result<WrittenFile> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                        Overwrite overwrite);

// writeFileAtomically(path, bytes, Overwrite::Replace).
Result<WrittenFile> writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace zpk

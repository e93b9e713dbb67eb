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

// Writes `bytes` to `path + ".tmp"`, then renames it to `path`, replacing
// any file of that name. On any failure the temporary file is removed and
// `path` is left as it was. Errors are ErrorCode::WriteFailed with the
// system's reason.
Result<WrittenFile> writeFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace zpk

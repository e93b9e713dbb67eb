// Rewriting a container file without losing anyone's edit.
//
// Every read-modify-write of a container holds an exclusive advisory lock
// (flock) on the file from before it reads it until the new file is in
// place. A second writer of this program waits for it, a short while, and
// then gives up with ErrorCode::Busy; once it has the lock it makes sure
// the path still names the file it locked (the first writer put a new file
// there), and starts over on the new one if not. Readers take no lock and
// never wait. A program that takes no lock (another tool, the game's own
// patcher) is caught just before the new file takes the old one's place:
// the file must still be the one that was read (FileIdentity: device,
// inode, length, and the times of its last change and of its inode's),
// else ErrorCode::ChangedOnDisk and nothing is written. Where the file
// system has no lock to give, the rewrite goes on under that check alone.
#pragma once

#include "container/ContainerWriter.h"
#include "io/FileOutput.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace zpk {

struct UpdateSettings {
    // Also replace a file whose permissions say this user may not write it
    // (without it: ErrorCode::WriteProtected).
    bool force = false;
    // How long to wait for another writer's lock.
    std::chrono::milliseconds lockWait{5000};
    // The file as the caller read it earlier: when the file on disk is
    // another version now, ErrorCode::ChangedOnDisk before anything is made.
    std::optional<FileIdentity> expected;
};

// Makes the new container from the file as it is on disk now. The plan
// may borrow the file's bytes.
using ContainerEdit = std::function<Result<ContainerPlan>(const ContainerFile& current)>;

// Reads the container `source` under its lock and writes what `edit` makes
// of it over it (see writeFileAtomically), checking that nobody changed it
// meanwhile. When `output` is not empty and names another file than
// `source`, the new container goes there instead: `source` is only read
// (streams read to their end, standard input as "-"), without a lock.
// Errors: those of loadContainer, of `edit` and of writeFileAtomically;
// ErrorCode::NotRegularFile when `source` is to be replaced in place and is
// no regular file; ErrorCode::Busy, ErrorCode::ChangedOnDisk and
// ErrorCode::WriteProtected as above.
Result<WrittenFile> updateContainer(const std::string& source, const std::string& output,
                                    const ContainerEdit& edit, const UpdateSettings& settings = {});

}  // namespace zpk

#pragma once
// What a pack job asks of the world beyond its own files, handed to the job
// as a value: the defaults ask the system, and a test gives its own answers
// to one job without touching any other. Add a member here, never a global.

#include "pack/SourceFile.h"
#include "platform/Platform.h"
#include "source/TemporaryFile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kob {

struct PackContext {
    // The file system's own time now, in nanoseconds, as the times of a file
    // written in `folder` at this moment would show it; nothing when it
    // cannot be had. Default: a file is made there and its time read.
    std::function<std::optional<int64_t>(const std::string& folder)> fileSystemClock;
    // What holds `folder`, and whether its stamps tell every change.
    // Default: platform::fileSystemKind.
    std::function<platform::FileSystemKind(const std::string& folder)> fileSystemKind;
    // Called once the new archive has been renamed into place, before
    // anything more is done with it; for tests of a second pack racing this one.
    std::function<void()> afterRename;
    // Bytes free for this user on the volume of `folder`; nothing when it
    // cannot be asked. Default: platform::freeSpace.
    std::function<std::optional<uint64_t>(const std::string& folder)> freeSpace;
    // Asked with each source folder just before it is listed; an errno fails
    // that listing. Default: none.
    std::function<int(const std::string& folder)> listingProblem;
    // How source files are opened and read.
    SourceAccess source;
    // Sees the steps that make the new archive lasting (sync, rename, folder
    // sync); for tests of their order.
    DurabilityTrace durabilityTrace;
};

} // namespace kob

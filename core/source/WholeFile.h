#pragma once
// Writes a file whole or not at all. The bytes go to a new temporary file
// beside the target ("NAME.tmp-XXXXXX"), which is synced and only then
// renamed over the target. Whatever stood under the target's name (a file, a
// hard or symbolic link, a named pipe) is replaced, never opened or written
// through; a failure leaves it as it was.

#include "source/TemporaryFile.h"

#include <cstddef>
#include <string>

struct WholeFileOptions {
    bool privateFile = false; // readable by its owner alone
    // Synced, and its rename made lasting, so that a crash leaves the old
    // file or the new one. A file that its reader checks whole (a record of
    // the cache) can do without: a crash then costs it, and nothing else.
    bool lasting = true;
};

// Writes the `size` bytes at `data` as the file `path`. Returns "" when the
// file is whole in place; otherwise the reason (without the path) for the
// caller's message, with `path` untouched and the temporary file removed.
// The folder of `path` must exist. `trace` sees the steps that make it
// lasting.
std::string WriteWholeFile(const std::string& path, const void* data, size_t size, WholeFileOptions options = {},
                           const DurabilityTrace& trace = {});

inline std::string WriteWholeFile(const std::string& path, const std::string& text)
{
    return WriteWholeFile(path, text.data(), text.size());
}

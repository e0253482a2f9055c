#pragma once
// What the file system says of a file without opening it: enough to tell,
// together with a time it was taken, that the file has not been written since.

#include "platform/Platform.h"

#include <cstdint>

struct FileStamp {
    uint64_t size = 0;
    uint64_t volume = 0, index = 0; // device and inode, or volume serial and file index
    int64_t modified = 0, changed = 0; // nanoseconds

    static FileStamp of(const platform::FileInfo& info)
    {
        return {info.size, info.volume, info.index, info.modified, info.changed};
    }
    // Without an identity or a change time (FAT, some network shares) a
    // rewrite could keep every field, so such a stamp proves nothing.
    bool telling() const { return (volume | index) != 0 && changed != 0; }
    bool operator==(const FileStamp&) const = default;
};

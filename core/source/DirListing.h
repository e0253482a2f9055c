#pragma once
// Lists one directory the same way on every machine: every entry but "." and
// "..", hidden ones included, ascending by name with the ASCII letters folded
// to upper case (ties by the unfolded bytes). Archives keep this order, so the
// same tree always gives the same archive.

#include "source/FileStamp.h"
#include "source/PathText.h" // listingOrderLess, the order given

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr uint32_t kAttribDirectory = 0x10;

struct ListingEntry {
    uint32_t attrib = 0;   // kAttribDirectory for a folder
    uint64_t size = 0;     // bytes of a file; 0 for a folder
    std::string name;
    // Of the file or folder a link leads to; its volume and index are the
    // identity, 0/0 when unknown (a dangling link).
    FileStamp stamp;
    // A name the system's code page cannot spell (Windows): it cannot be
    // stored in an archive, and `name` is only fit for messages.
    bool unstorable = false;

    bool isDirectory() const { return (attrib & kAttribDirectory) != 0; }
};

// Symbolic links are followed: a link to a folder lists as a folder. A link
// that leads nowhere lists as a file of size 0, so that whoever opens it
// learns that it cannot be read. Returns nullopt when `dir` cannot be listed
// or its listing breaks off, with the reason's errno in `error` when given.
// `seen`, the folder as its parent's listing saw it, spares the listing a
// look of its own at the folder's volume (Windows).
std::optional<std::vector<ListingEntry>> listDirectory(const std::string& dir, int* error = nullptr,
                                                       const FileStamp* seen = nullptr);


#pragma once
// Collects every file below a source folder into a name pool, depth first:
// the files of a folder before its subfolders, in listing order. Each name is
// the source path, "/", and the path below it with "/" separators
// (../data/sub/b.txt); each file's size is added to the scan's total.
//
// What the walk leaves out is counted and reported (a trace line and a
// problem naming it and the reason): a folder path over 509 characters, a
// file path over 511, a listed name over 259, and a folder that cannot be
// listed. Each folder is entered once, whatever links lead to it: one on the
// current walk path (a loop) is passed over with a trace line, one entered
// before through another path is left out and counted. Folders
// whose names begin with ".." are passed over; those beginning with a single
// "." are walked.

#include "pack/CancelToken.h"
#include "pack/PackObserver.h"
#include "source/FileStamp.h"
#include "source/NamePool.h"

#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

struct SourceScan {
    NamePool& names;
    kob::PackObserver& observer;
    kob::CancelToken cancel;
    // A file never to list, by device and inode: the archive being written,
    // when it already exists inside the folder being packed.
    std::optional<std::pair<uint64_t, uint64_t>> exclude;
    // Asked with each folder just before it is listed; an errno fails that
    // listing (a test's folder that even root cannot list).
    std::function<int(const std::string& folder)> listingProblem = {};
    std::vector<FileStamp> stamps = {}; // one per name, as the listing saw the file
    uint64_t totalBytes = 0; // 64-bit: a 32-bit sum wraps past 4 GiB
    uint32_t leftOut = 0;
};

// What the scan says of a folder it reached again through another path
// (its files are packed once, from the first way in), before that path.
inline constexpr std::string_view kFolderPackedBefore = "ERROR! folder already packed through another path: ";

// A source folder that does not exist adds nothing, silently. The cancel is
// looked at before each subfolder: returns false when it cut the walk short.
bool scanSourceTree(const char* path, SourceScan& scan);

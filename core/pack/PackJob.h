#pragma once
// PackArchive packs one source folder into one archive file, end to end:
// scan, free-space check, header, entries, index, final header words,
// progress, cancel and clean-up.

#include "pack/CompressionPool.h"
#include "pack/PackControls.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// Raised (1) by the user's Cancel; cleared (0) just before a batch's worker
// starts. The pack job reads it before its file loop and before each file.
extern std::atomic<int> g_cancelPack;

// Results of PackArchive besides the entry count (0 or more).
constexpr int kPackCancelled = -1;  // archive deleted; the batch stops
constexpr int kPackEndedEarly = 1;  // nothing to pack, too little space, not creatable
constexpr int kPackWriteFailed = -2; // a write failed; the partial archive was deleted

// What became of one archive, finer than the result: 1 also means one entry.
enum class PackOutcome {
    Written,          // every listed file is in the archive
    WrittenWithSkips, // the archive was written, but some files or folders were left out
    NothingToPack,    // the folder holds no files; nothing was touched
    Failed,           // no archive: nothing could be listed, too little space, not creatable,
                      // a write failed, no file stored
    Cancelled,        // no archive: the user cancelled
};

// What a compressed pack took over unchanged from the archive it replaced.
struct ReuseCounts {
    uint32_t entries = 0;
    uint64_t bytes = 0; // the files' bytes, not compressed again
    bool operator==(const ReuseCounts&) const = default;
};

// Free mebibytes available to this user on the volume of `directory`; 0 when
// the query fails.
uint32_t GetFreeDiskSpaceMB(const std::string& directory);
// Replaces the query behind GetFreeDiskSpaceMB; an empty function restores
// the real one.
void SetFreeSpaceQuery(std::function<uint32_t(const std::string&)> query);

// Packs `sourcePath` (as "../%s" makes it) into `archivePath`, storing each
// file as `folderName` + "/" + its path below the source. Both strings are
// changed in place: "\" becomes "/" and folderName gains its final "/".
// Returns kPackCancelled, kPackEndedEarly, kPackWriteFailed or the number of
// entries written (an archive of 0 entries is deleted). Failure and phase
// texts go to the installed MessageSink, trace lines to standard output.
// With a `pool` of one thread or more, the files of a compressed archive are
// read and compressed ahead on its threads while this thread writes; the
// archive, the progress calls and the trace lines are the same as without
// one. The pool is free again when the call returns.
// With `reusePrevious`, a compressed pack takes each entry of the archive it
// replaces whose bytes are those of the file over as it is stored, instead
// of compressing the file again; over an archive this tool wrote, the result
// is byte for byte a fresh pack's.
// `reused`, when given, receives what was taken over (zero unless written).
int PackArchive(std::string& sourcePath, std::string& folderName, const std::string& archivePath,
                uint32_t compress, PackControls& controls, PackOutcome* outcome = nullptr,
                CompressionPool* pool = nullptr, bool reusePrevious = true, ReuseCounts* reused = nullptr);

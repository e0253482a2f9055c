#pragma once
// A pack job packs one source folder into one archive file, end to end:
// scan, free-space check, header, entries, index, final header words,
// progress, cancel and clean-up.

#include "pack/CancelToken.h"
#include "pack/CompressionPool.h"
#include "pack/PackControls.h"
#include "pack/PackObserver.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// Raised (1) by the user's Cancel; cleared (0) just before a batch's worker
// starts. PackArchive and PackBatch watch it.
extern std::atomic<int> g_cancelPack;

namespace kob {

// How to pack, as the front end chose it.
struct PackOptions {
    uint32_t compress = 0;     // 0 plain, 1 LZO1X-999 blocks
    unsigned threads = 1;      // batch: 1 this thread alone; more a pool of that many; 0 one per hardware thread
    bool reusePrevious = true; // compressed: take unchanged entries over from the archive being replaced
};

// One archive to pack.
struct ArchiveJob {
    std::string sourcePath;  // the folder packed, "/" or "\" separated
    std::string folderName;  // what each entry's name starts with (a final "/" is added)
    std::string archivePath; // the archive written
};

// Packs `job`. Problems, notes and trace lines go to `observer`; the job
// looks at `cancel` before its file loop, before each file and in the scan.
// With a `pool` of one thread or more, the files of a compressed archive are
// read and compressed ahead on its threads while this thread writes; the
// archive and everything reported are the same as without one. The pool is
// free again when the call returns.
// With options.reusePrevious, a compressed pack takes each entry of the
// archive it replaces whose bytes are those of the file over as it is
// stored; over an archive this tool wrote, the result is a fresh pack's.
PackResult packArchive(const ArchiveJob& job, const PackOptions& options, PackControls& controls,
                       PackObserver& observer, CancelToken cancel, CompressionPool* pool = nullptr);

} // namespace kob

// Free mebibytes available to this user on the volume of `directory`; 0 when
// the query fails.
uint32_t GetFreeDiskSpaceMB(const std::string& directory);
// Replaces the query behind GetFreeDiskSpaceMB; an empty function restores
// the real one.
void SetFreeSpaceQuery(std::function<uint32_t(const std::string&)> query);

// packArchive of `sourcePath` into `archivePath` with entry prefix
// `folderName`, reporting through the installed MessageSink and standard
// output and watching g_cancelPack. Both strings are changed in place: "\"
// becomes "/" and folderName gains its final "/". Returns the result's code;
// `outcome` and `reused`, when given, receive the rest of it.
int PackArchive(std::string& sourcePath, std::string& folderName, const std::string& archivePath,
                uint32_t compress, PackControls& controls, PackOutcome* outcome = nullptr,
                CompressionPool* pool = nullptr, bool reusePrevious = true, ReuseCounts* reused = nullptr);

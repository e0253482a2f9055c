#pragma once
// A pack job packs one source folder into one archive file, end to end:
// scan, free-space check, header, entries, index, final header words,
// progress, cancel and clean-up. PackArchive is the only way an archive is
// packed; a batch (app/PackBatch.h) is a loop of it.

#include "pack/CancelToken.h"
#include "pack/CompressionPool.h"
#include "pack/PackContext.h"
#include "pack/PackControls.h"
#include "pack/PackObserver.h"

#include <string>

namespace kob {

// How to pack, as the front end chose it.
struct PackOptions {
    bool compress = false;     // LZO1X-999 blocks rather than plain
    unsigned threads = 1;      // batch: 1 this thread alone; more a pool of that many; 0 one per hardware thread
    bool reusePrevious = true; // take unchanged entries over from the archive being replaced (plain: only
                               // those of files its records show unchanged); leave an archive whose
                               // bytes would not change as it was
};

// One archive to pack.
struct ArchiveJob {
    std::string sourcePath;  // the folder packed, "/" or "\" separated
    std::string folderName;  // what each entry's name starts with (a final "/" is added)
    std::string archivePath; // the archive written
};

// Packs `job`, looking at `cancel` in the scan, before the file loop and
// before each file. With a `pool` of one thread or more, a compressed
// archive's files are read and compressed ahead on it (the pool is free again
// on return); the archive and the reports are the same either way. With
// options.reusePrevious, a compressed pack takes over each entry of the
// archive it replaces that holds the file's bytes, stored as they are, any
// pack takes over without reading it the entry of a file that the records
// show unchanged, and an archive that already holds exactly the new bytes is
// not written at all (result.unchanged). The `context` answers what the job
// asks of the world beyond its files.
PackResult PackArchive(const ArchiveJob& job, const PackOptions& options, PackControls& controls,
                       PackObserver& observer, CancelToken cancel, CompressionPool* pool = nullptr,
                       const PackContext& context = {});

} // namespace kob

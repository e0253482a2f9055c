#pragma once
// Where the pack job's writer gets its files from, in list order: each file
// read whole and, for a compressed archive, cut into compressed blocks or
// taken over from the previous archive. SerialProducer does it on the
// writer's thread as each file is asked for; ReadAhead ahead of it on a pool.
// The writer is the same for both, so the archive is too.

#include "format/ArchiveWriter.h"
#include "pack/SourceFile.h"

#include <optional>
#include <vector>

// One file as the writer gets it.
struct ProducedFile {
    std::optional<InputProblem> problem; // set: leave the file out with its line
    uint64_t size = 0;
    // Compressed: one descriptor per block (offsets not yet filled) and the
    // blocks' bytes in order; no blocks means the empty-entry block. Plain:
    // no blocks, and the file's bytes.
    std::vector<kob::BlockDescriptor> blocks;
    std::vector<ByteRange> pieces;
    bool reused = false; // the blocks are the previous archive's
    FileStamp stamp;     // the file whose bytes the entry holds, for its record
};

// Per file of a compressed job, the stamp of a file that the records show
// unchanged since the previous archive took it in: its entry is taken over
// without opening it. Nothing: the file is read.
using UnreadFiles = std::vector<std::optional<FileStamp>>;

class FileProducer {
public:
    virtual ~FileProducer() = default;
    // Returns file `index` once it is ready. Indices come 0, 1, 2, ... each
    // once, with release() in between; the file stays valid until then.
    virtual ProducedFile& take(uint32_t index) = 0;
    // Frees what file `index` held, once its entry has been written.
    virtual void release(uint32_t index) = 0;
    // Drops any work ahead; returns once nothing works for this job any more.
    virtual void stop() {}
};

#pragma once
// What a pack tells its front end besides the progress display: which
// archive it starts, problems, notes on its phase, trace lines, and each
// archive's result. Every call comes on the thread that runs the pack.

#include <cstdint>
#include <string>

// What became of one archive.
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

namespace kob {

struct PackResult {
    PackResult(PackOutcome outcome = PackOutcome::Failed, uint32_t entries = 0, ReuseCounts reused = {},
               bool unchanged = false)
        : outcome(outcome), entries(entries), reused(reused), unchanged(unchanged)
    {
    }
    PackOutcome outcome;
    uint32_t entries;   // in the archive written; 0 unless written
    ReuseCounts reused; // zero unless written
    bool unchanged;     // written: the archive already held these bytes and was left as it was
    bool written() const { return outcome == PackOutcome::Written || outcome == PackOutcome::WrittenWithSkips; }
};

class PackObserver {
public:
    virtual ~PackObserver() = default;
    // A batch is about to pack `archive` (the name as the batch made it).
    virtual void archiveStarted(const std::string& /*archive*/) {}
    // A failure, or something left out of the archive.
    virtual void problem(const std::string& text) = 0;
    // The phase the job is in.
    virtual void note(const std::string& text) = 0;
    // One line of the job's trace; this version writes it to standard output.
    virtual void trace(const std::string& line);
    // The batch is done with `archive`.
    virtual void archiveDone(const std::string& /*archive*/, const PackResult& /*result*/) {}
};

} // namespace kob

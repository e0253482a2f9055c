#pragma once
// What a pack tells its front end besides the progress display: which
// archive it starts, problems, notes on its phase, trace lines, and each
// archive's result. Every call comes on the thread that runs the pack.

#include <cstdint>
#include <string>

// Results of a pack job besides the entry count (0 or more).
constexpr int kPackCancelled = -1;   // archive deleted; the batch stops
constexpr int kPackEndedEarly = 1;   // nothing to pack, too little space, not creatable
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

namespace kob {

struct PackResult {
    int code = kPackEndedEarly; // kPackCancelled, kPackEndedEarly, kPackWriteFailed or the entries written
    PackOutcome outcome = PackOutcome::Failed;
    ReuseCounts reused;         // zero unless written
    bool unchanged = false;     // written: the archive already held these bytes and was left as it was
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

// Hands problems and notes to the installed MessageSink.
class SinkObserver : public PackObserver {
public:
    void problem(const std::string& text) override;
    void note(const std::string& text) override;
};

} // namespace kob

#pragma once
// What became of each archive of a batch, told in the same words by every
// front end: the command line prints a line per archive after the batch, a
// window shows the archives that went wrong in one box.

#include "pack/PackObserver.h"

#include <string>
#include <vector>

// The line that follows "ARCHIVE: " for an archive that did not come out
// whole ("not written", ...), or "" for one written whole or with nothing to
// pack.
std::string OutcomeText(PackOutcome outcome);
// True when the archive was not written, or written without some files; a
// cancel and an empty folder are no failure.
bool IsFailure(PackOutcome outcome);

// "ARCHIVE: TEXT", or `text` alone when it already names the archive at its
// start or after a ": " (the job's own texts name the file they are about).
std::string NamedOnce(const std::string& archive, const std::string& text);

// The caption of the box a window shows after a batch that did not go well.
inline constexpr const char* kBatchReportCaption = "Not everything was packed";

namespace kob {

// An observer that keeps each archive's problems and outcome, for the box a
// window shows once the batch has ended. Read it only after the batch.
class BatchReport : public PackObserver {
public:
    // An archive lists at most this many problems, then how many more it had.
    static constexpr size_t kMaxProblemsShown = 12;

    void archiveStarted(const std::string& archive) override;
    // Kept with the archive in hand; outside any archive it counts as a failure of its own.
    void problem(const std::string& text) override;
    void note(const std::string&) override {}
    void archiveDone(const std::string& archive, const PackResult& result) override;

    // Each failed archive's problems and its outcome line, and the problems
    // of an archive written whole in spite of them, as "ARCHIVE: TEXT", in
    // batch order; "" when nothing went wrong. Cancelled archives and empty
    // folders are not listed.
    std::string failureText() const;
    // The archives whose folder held no file, in batch order.
    std::vector<std::string> nothingPacked() const;

private:
    struct Archive {
        std::string name;
        std::vector<std::string> problems;
        PackOutcome outcome = PackOutcome::Failed;
        bool done = false;
    };
    std::vector<Archive> m_archives;
    std::vector<std::string> m_outside; // problems said outside any archive (the batch could not start)
};

} // namespace kob

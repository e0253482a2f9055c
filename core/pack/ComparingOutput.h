#pragma once
// The output of a pack that replaces an archive. The new bytes are checked
// against the previous archive's as they come, in the same pass, and nothing
// is written while they agree: no temporary file exists until the first
// difference. There the pending archive's temporary file is created, the
// equal part copied into it from the previous archive, and everything after
// written as usual. When no byte differs and the lengths agree, close()
// leaves the previous archive as it was: nothing created, written, synced or
// renamed, its times kept.
//
// A previous archive that cannot be read on (an I/O error, a shorter file)
// differs from that point on. The part copied is read again through the file
// compared, and trusted only while that file keeps the whole stamp it had at
// the start (size, identity, modification and status change times); when it
// does not, or cannot be read back, the output fails, and the pack with it
// (no second pass to make the bytes anew): the previous archive then stays
// whatever it became. A file left alone must still be the one at the
// archive's name, its stamp kept.

#include "format/ArchiveOutput.h"
#include "pack/PendingArchive.h"
#include "source/FileStamp.h"

#include <memory>
#include <vector>

class ComparingOutput : public ArchiveOutput {
public:
    explicit ComparingOutput(PendingArchive& pending);

    // With `compare`, opens the archive that `pending` replaces to compare
    // against. Without, or with no regular file there to read, creates the
    // temporary file at once. False when that fails (createFailed()).
    bool open(bool compare);

    bool append(const void* data, size_t length) override;
    bool appendPlaceholder(const void* data, size_t length) override;
    bool patch(uint64_t offset, const void* data, size_t length) override;
    // Decides: the previous archive unchanged, or the temporary file (created
    // now if need be) synced and closed, ready for the pending archive's
    // commit().
    bool close() override;
    std::string error() const override;

    // Gives up without syncing; what was written is the pending archive's to
    // discard.
    void abandon();
    // After a successful close(): the previous archive held exactly these
    // bytes and was left alone.
    bool unchanged() const { return m_unchanged; }
    // The stamp of the previous archive as it was opened (and, when
    // unchanged(), as it still is).
    FileStamp previousStamp() const { return FileStamp::of(m_previousInfo); }
    // The temporary file could not be created; the pending archive's error()
    // says why.
    bool createFailed() const { return m_createFailed; }

private:
    // Bytes whose value the writer gives at the end; compared then.
    struct Placeholder {
        uint64_t offset;
        std::vector<uint8_t> previous, current;
    };

    bool fail(const std::string& reason);
    bool refill();
    bool matchesPrevious(const uint8_t* data, size_t length);
    bool takePrevious(uint8_t* data, size_t length);
    bool previousUnchangedSinceOpen(const platform::FileInfo& now) const;
    bool diverge();

    PendingArchive& m_pending;
    platform::File m_previous;        // open while comparing
    platform::FileInfo m_previousInfo; // as it was when opened
    std::vector<uint8_t> m_buffer;    // the previous archive's next bytes
    size_t m_bufferUsed = 0, m_bufferFilled = 0;
    uint64_t m_position = 0;          // bytes of the new archive so far
    std::vector<Placeholder> m_placeholders;
    std::unique_ptr<FileOutput> m_written; // from the first difference on
    std::string m_error;
    bool m_unchanged = false;
    bool m_createFailed = false;
};

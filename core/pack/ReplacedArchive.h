#pragma once
// The archive one pack replaces, and all that the pack takes from it: its
// index (entries taken over as stored), its records (files left unread), and
// the shortcut that leaves it alone when nothing changed. One per pack job.
//
// Records are trusted only where the file system vouches for every change
// of a file by its stamp, the archive lies on the same file system as its
// files, and the time they are taken at comes from that file system's own
// clock. Anywhere else every file is read and compared with the entry it
// would replace: the records cost nothing and save nothing, the comparison
// still saves the compression.

#include "pack/FileProducer.h"
#include "pack/PackContext.h"
#include "pack/PackObserver.h"
#include "pack/PreviousArchive.h"
#include "pack/SourceRecords.h"
#include "pack/SourceScanner.h"

#include <optional>
#include <string>

class ReplacedArchive {
public:
    // `archivePath` is the file replaced (links followed); with `reuse`
    // false nothing is taken from it, and only the records are written.
    ReplacedArchive(std::string archivePath, std::string entryPrefix, uint32_t compress, bool reuse,
                    const kob::PackContext& context);

    // Before any file is looked at: whether records may be trusted for the
    // files of `sourcePath`, and the file system's time they are taken at.
    void lookBefore(const std::string& sourcePath, kob::PackObserver& observer);
    // After the scan: opens the archive and settles which files its records
    // show unchanged since it took them in.
    void open(const SourceScan& scan, uint32_t rootLength, kob::PackObserver& observer);
    // Closes the archive, which Windows does not let be replaced while open.
    void close() { m_index.close(); }

    // The archive's entries, or nothing to take over.
    const PreviousArchive* index() const { return m_open ? &m_index : nullptr; }
    const UnreadFiles& unread() const { return m_unread; }
    // True when packing would give exactly the archive's bytes: every file
    // the scan found is unread, none was left out, and the archive holds
    // exactly those entries in that order.
    bool unchanged(const SourceScan& scan, uint32_t rootLength) const;

    // Records that entry `name` holds the bytes of the file stamped `stamp`.
    void record(std::string name, const FileStamp& stamp);
    // Keeps the records for the next repack, naming the archive that holds
    // the entries by `archive`: the stamp of the file this pack wrote, or of
    // the one it left alone. Nothing when records are not trusted here; one
    // that cannot be written costs only speed (a note).
    void saveRecords(const FileStamp& archive, kob::PackObserver& observer);
    // The stamp of the archive as it was opened.
    FileStamp stamp() const { return m_index.stamp(); }

private:
    bool distrust(const std::string& why, kob::PackObserver& observer);

    const std::string m_archivePath;
    const std::string m_key;
    const bool m_reuse;
    const kob::PackContext& m_context;
    PreviousArchive m_index;
    bool m_open = false;
    bool m_trusted = false;
    uint64_t m_sourceVolume = 0; // the file system that vouches; files elsewhere are read
    std::optional<SourceRecords> m_recorded;
    SourceRecords m_records;
    UnreadFiles m_unread;
};

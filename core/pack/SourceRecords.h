#pragma once
// The file-system stamps of the files an archive was packed from, and the
// rule by which a later repack takes a file for unchanged without reading
// it. RecordCodec turns a record into bytes and back; RecordStore keeps one
// per archive in the user's private cache, never beside the archives.
//
// A record is used only where the file system vouches for every change of a
// file by its stamp (see platform::fileSystemKind); elsewhere every file is
// read and compared.

#include "source/FileStamp.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

class SourceRecords {
public:
    using Entries = std::map<std::string, FileStamp, std::less<>>;

    // Time stamps are trusted only when older than the record by more than
    // this: some file systems keep times to 2 s, and an edit in the same tick
    // as the look would otherwise keep every field.
    static constexpr int64_t kTimeGranularity = 2'000'000'000;

    SourceRecords() = default;
    // An empty record of the archive at `archivePath` (absolute), whose files
    // are looked at from `takenAt` on, by the file system's clock.
    SourceRecords(std::string archivePath, int64_t takenAt);

    const std::string& archivePath() const { return m_archivePath; }
    int64_t takenAt() const { return m_takenAt; }
    const FileStamp& archive() const { return m_archive; }
    void setArchive(const FileStamp& archive) { m_archive = archive; }
    const Entries& entries() const { return m_entries; }
    size_t count() const { return m_entries.size(); }
    // Records that the entry `name` holds the bytes of a file stamped `stamp`.
    void add(std::string name, const FileStamp& stamp);

    // True when the file of entry `name`, stamped `now`, cannot have been
    // written since its entry was: the same telling stamp, with both times
    // older than the record by more than the granularity.
    bool unchanged(std::string_view name, const FileStamp& now) const;

    // True when `newer` would tell a later pack nothing this record does
    // not: the same archive, and every entry of it one that this record
    // already shows unchanged. Writing it again would only cost time.
    bool covers(const SourceRecords& newer) const;

private:
    std::string m_archivePath;
    FileStamp m_archive;
    int64_t m_takenAt = 0;
    Entries m_entries;
};

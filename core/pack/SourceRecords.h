#pragma once
// The file-system stamps of the files a compressed archive was packed from,
// kept in the user's cache (one record file per archive, never beside the
// archives), so that a later repack takes an entry over from that archive
// without opening its file when nothing about the file or the archive has
// changed since.
//
// A record file, every word little-endian:
//   "KOBR", version word 1, the archive's absolute path (length word, bytes),
//   the archive's stamp, the time before its files were looked at (ns),
//   entry count word, per entry: name below the entry prefix (length word,
//   bytes) and its file's stamp; last a 64-bit FNV-1a of all the bytes before.
//   A stamp is size, volume, index, modified ns, changed ns: five 64-bit words.
// Records are untrusted: a record that does not read back exactly (damaged,
// truncated, another version, another archive's) is no record at all.

#include "source/FileStamp.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

class SourceRecords {
public:
    // A larger record file is not read.
    static constexpr uint64_t kMaxRecordBytes = uint64_t(64) << 20;
    // Time stamps are trusted only when older than the record by more than
    // this: some file systems keep times to 2 s, and an edit in the same tick
    // as the look would otherwise keep every field.
    static constexpr int64_t kTimeGranularity = 2'000'000'000;

    SourceRecords() = default;
    // An empty record of the archive at `archivePath` (absolute), whose files
    // are looked at from `takenAt` on.
    SourceRecords(std::string archivePath, int64_t takenAt);

    const std::string& archivePath() const { return m_archivePath; }
    const FileStamp& archive() const { return m_archive; }
    void setArchive(const FileStamp& archive) { m_archive = archive; }
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

    std::string encode() const;
    // Replaces this record with the one in `data`; false, leaving an empty
    // record, when it does not read back exactly.
    bool decode(const uint8_t* data, size_t size);

    // Loads the record of the archive at `archivePath` (as recordKey() gives
    // it); false when there is none fit to use.
    bool load(const std::string& archivePath);
    // Writes the record over the previous one, whole or not at all; "" or why not.
    std::string save() const;

    // The absolute, normalised spelling of `archivePath` that records are kept under.
    static std::string recordKey(const std::string& archivePath);
    // The record file of the archive at `key`; "" without a cache folder.
    static std::string recordPath(const std::string& key);

private:
    std::string m_archivePath;
    FileStamp m_archive;
    int64_t m_takenAt = 0;
    std::map<std::string, FileStamp, std::less<>> m_entries;
};

// Nanoseconds since 1970 by the system clock, the time records are taken
// at; a test may replace it (nullptr restores the system clock).
int64_t RecordClock();
void SetRecordClock(int64_t (*clock)());

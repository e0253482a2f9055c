#pragma once
// The new archive while it is written: a temporary file beside the archive,
// renamed over it only when whole and synced, so a failure, a cancel or a
// killed process never costs the previous archive.
//
// The temporary file is "NAME.kob.tmp-XXXXXX" (the game loads only names
// ending in ".kob"). Its creator holds it (a lock, or on Windows an open
// handle that does not share deletion) for as long as it lives; one that
// nobody holds was left by a killed process, and the next pack of that name
// removes it. Two packs of one name at the same time
// each write their own file; the last one renamed is the archive left.

#include "platform/Platform.h"

#include <cstdio>
#include <string>

class PendingArchive {
public:
    explicit PendingArchive(std::string archivePath);
    // Removes the temporary file unless commit() succeeded.
    ~PendingArchive();
    PendingArchive(const PendingArchive&) = delete;
    PendingArchive& operator=(const PendingArchive&) = delete;

    // Removes stale temporary files of this archive, then creates a new one.
    // Returns a stream to write the archive to (the caller flushes, syncs and
    // closes it), or nullptr with error() set.
    std::FILE* create();
    // Renames the written temporary file over the archive and syncs the
    // folder. False with error() set when the archive could not be replaced;
    // the previous archive then stays. The stream of create() must be closed,
    // and so must every file of this process that has the archive open.
    bool commit();
    // After a failed commit(): another program has the archive open.
    bool archiveBusy() const { return m_archiveBusy; }
    // Removes the temporary file now. Returns "" or what went wrong, with the
    // file's path.
    std::string discard();

    const std::string& temporaryPath() const { return m_temporaryPath; }
    const std::string& error() const { return m_error; }

private:
    std::string m_archivePath;
    std::string m_temporaryPath;
    std::string m_error;
    platform::File m_held; // keeps the file ours until the end
    bool m_archiveBusy = false;
};

// The folder part of `archivePath` ("." for a bare name) and its file name.
std::string ArchiveFolderOf(const std::string& archivePath);

#pragma once
// The new archive while it is written: a temporary file beside the archive,
// renamed over it only when whole and synced, so a failure, a cancel or a
// killed process never costs the previous archive.
//
// The temporary file is "NAME.kob.tmp-kobpack-XXXXXX" (the game loads only
// names ending in ".kob"). Its creator holds it (a lock, or on Windows an
// open handle that does not share deletion) for as long as it lives; one that
// nobody holds was left by a killed process, and the next pack of that name
// removes it whatever it holds: nothing else is named so. Two packs of one
// name at the same time each write their own file; the last one renamed is
// the archive left.
//
// Only a regular file (or nothing) is replaced: a device, named pipe or
// socket at the archive's name, or behind its links, is left as it is.

#include "platform/Platform.h"
#include "source/FileStamp.h"
#include "source/TemporaryFile.h"

#include <functional>
#include <string>
#include <vector>

class PendingArchive {
public:
    // A symbolic link `archivePath` is followed to its target, which is the
    // file replaced; the link stays. `trace` sees the steps that make the
    // new archive lasting.
    explicit PendingArchive(std::string archivePath, DurabilityTrace trace = {});
    // Removes the temporary file unless commit() succeeded.
    ~PendingArchive();
    PendingArchive(const PendingArchive&) = delete;
    PendingArchive& operator=(const PendingArchive&) = delete;

    // Removes the temporary files that killed packs of this archive left.
    // Returns a note for each file named like one that is left in place
    // because it is not plainly ours.
    std::vector<std::string> removeStale();
    // "" when the archive's name leads to a regular file or to nothing;
    // else why it is not replaced.
    std::string notReplaceable() const;
    // Creates the temporary file, with the mode of the archive it replaces,
    // and returns it to write the archive to; nullptr with error() set.
    platform::File* create();
    // Forces what was written to the disk; false with error() set.
    bool sync();
    // Renames the written and synced temporary file over the archive and
    // syncs the folder. False with error() set when the archive could not be
    // replaced; the previous archive then stays. Every file of this process
    // that has the archive open must be closed.
    // `afterRename`, when given, is called once the rename is done.
    bool commit(const std::function<void()>& afterRename = {});
    // After commit(): the stamp of the file this pack wrote, taken from the
    // file itself, not by its name (another pack may have renamed its own
    // archive over it already); empty when that cannot be told.
    const FileStamp& written() const { return m_written; }
    // After a failed commit(): another program has the archive open.
    bool archiveBusy() const { return m_archiveBusy; }
    // Removes the temporary file now. Returns "" or what went wrong, with the
    // file's path.
    std::string discard();

    // The file that commit() replaces: the archive path, links followed.
    const std::string& archivePath() const { return m_archivePath; }
    const std::string& temporaryPath() const { return m_temporary.path(); }
    // Set by create() when the archive has other hard links: they keep the
    // previous bytes.
    const std::string& hardLinkWarning() const { return m_hardLinkWarning; }
    const std::string& error() const { return m_error; }

private:
    std::string m_archivePath;
    std::string m_error;
    std::string m_hardLinkWarning;
    bool m_linksGoRound = false; // the links of the archive path never end
    TemporaryFile m_temporary; // held, so ours, until the end
    bool m_archiveBusy = false;
    FileStamp m_written;
};

// The folder part of `archivePath` ("." for a bare name) and its file name.
std::string ArchiveFolderOf(const std::string& archivePath);

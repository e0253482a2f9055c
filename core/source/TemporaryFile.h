#pragma once
// A new file that takes another's place whole or not at all: created beside
// its target under a name nobody else has, held while it lives (another
// pack's clean-up spares it), written, synced, and then renamed over the
// target; or discarded, which removes it. Destroyed uncommitted, it is
// discarded.

#include "platform/File.h"

#include <functional>
#include <string>

// The steps that make a file lasting, for tests of their order: "sync" once
// its bytes are on the disk, "rename" just before it replaces its target (the
// file still held), "folder sync" once the rename is lasting, and only when
// it is. Empty: nothing is called.
using DurabilityTrace = std::function<void(const char* step, const std::string& path)>;

class TemporaryFile {
public:
    // Not `lasting`: neither synced nor its rename made lasting, for a file
    // that its reader checks whole, where a crash may leave nothing of it,
    // but nothing false.
    explicit TemporaryFile(DurabilityTrace trace = {}, bool lasting = true);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the file `stem` followed by six random letters, trying other
    // letters while a name is taken. False with error() set.
    bool create(const std::string& stem);
    bool created() const { return !m_path.empty(); }
    const std::string& path() const { return m_path; }
    // The open file, to write to.
    platform::File& file() { return m_file; }

    // Forces the bytes to the disk (unless not lasting). False with error()
    // set.
    bool sync();
    // Renames the file over `target`, which then is lasting where the system
    // can make it so. On TargetBusy or Failed (error() set) the file stays,
    // to be discarded.
    platform::RenameResult commit(const std::string& target);
    // Closes and removes the file unless it was committed. False with error()
    // set when it could not be removed (one gone already is removed).
    bool discard();

    const platform::Error& error() const { return m_error; }

private:
    DurabilityTrace m_trace;
    bool m_lasting;
    std::string m_path;
    platform::File m_file;
    platform::Error m_error;
};

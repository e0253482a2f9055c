#pragma once
// Writes entries of an archive as files below a folder, keeping the folders
// in their names. Archives are untrusted: a name that would land outside the
// folder, or that the system cannot hold, is refused; each file is written
// whole or not at all, so an entry cut short by a failure or a stop leaves
// no half-written file, and whatever stood under its name stays.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class ArchiveReader;

struct ExtractOutcome {
    size_t written = 0;
    // One text per entry not extracted: "NAME: why" (the name printable), or
    // the reader's own text for damaged data, which names the entry itself.
    std::vector<std::string> problems;
    bool stopped = false;
    // Set when nothing could be extracted at all (the folder cannot be made).
    std::string failure;
};

// Extracts the entries `indices` of `reader`, in that order, below
// `directory`, which is made when missing. `before(done, name)` is called
// before each entry and may be empty; when `stop()` turns true, checked
// before each entry, no further entry is begun.
ExtractOutcome ExtractEntries(const ArchiveReader& reader, const std::vector<size_t>& indices,
                              const std::string& directory,
                              const std::function<void(size_t done, const std::string& name)>& before,
                              const std::function<bool()>& stop);

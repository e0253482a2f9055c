#include "pack/SourceScanner.h"

#include "platform/Platform.h"
#include "source/DirListing.h"
#include "source/PathText.h"

#include <cerrno>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr size_t kMaxDirectoryPath = 509; // "/*" and the NUL fill a 512-byte pattern
constexpr size_t kMaxFilePath = 511;
constexpr size_t kMaxListedName = 259;

using Identity = std::pair<uint64_t, uint64_t>;

void leaveOut(SourceScan& scan, const std::string& line, const std::string& told = {})
{
    scan.observer.trace(line);
    scan.observer.problem(told.empty() ? line : told);
    ++scan.leftOut;
}

// What the user is told of a name the code page cannot spell: the system
// shows its missing letters as "?", so the message says so.
std::string unstorableText(const std::string& path)
{
    return path + ": left out: its name has letters this system's code page cannot write (shown as ?); rename it";
}

void addFiles(SourceScan& scan, const std::string& prefix, const std::vector<ListingEntry>& entries)
{
    for (const ListingEntry& entry : entries) {
        if (entry.isDirectory())
            continue;
        if (scan.exclude == Identity{entry.stamp.volume, entry.stamp.index})
            continue; // the archive being written never packs itself
        const std::string full = prefix + entry.name;
        if (entry.unstorable) {
            leaveOut(scan, "ERROR! inputFile name cannot be stored: " + full, unstorableText(full));
            continue;
        }
        if (entry.name.size() > kMaxListedName || full.size() > kMaxFilePath) {
            leaveOut(scan, "ERROR! path too long: " + full);
            continue;
        }
        if (!scan.names.add(full.c_str())) {
            leaveOut(scan, "ERROR! too many files: " + full);
            continue;
        }
        scan.stamps.push_back(entry.stamp);
        scan.totalBytes += entry.size;
    }
}

// The folders of one walk: those from the source down to the current one, and
// every one entered so far.
struct Folders {
    std::vector<Identity> path;
    std::set<Identity> entered;
};

// Walks the folder `prefix` (ending in "/"); `isSource` for the folder the
// scan was asked for, `seen` the folder as it was found. Returns false when a
// cancel cut the walk short.
bool walk(SourceScan& scan, const std::string& prefix, Folders& folders, bool isSource, const FileStamp* seen)
{
    const std::string folder = prefix.substr(0, prefix.size() - 1); // without the final "/"
    if (prefix.size() > kMaxDirectoryPath + 1) {
        leaveOut(scan, "ERROR! path too long: " + folder);
        return true;
    }
    const std::string listed = prefix.empty() ? "." : prefix;
    int error = scan.listingProblem ? scan.listingProblem(listed) : 0;
    const auto entries = error == 0 ? listDirectory(listed, &error, seen) : std::nullopt;
    if (!entries) {
        // A source folder that does not exist is no fault of the walk: the
        // job finds nothing to pack. Anything else leaves files out.
        if (!(isSource && error == ENOENT))
            leaveOut(scan, "ERROR! folder cannot be listed: " + folder + ": " + platform::errorText(error));
        return true;
    }
    addFiles(scan, prefix, *entries);
    for (const ListingEntry& entry : *entries) {
        if (!entry.isDirectory())
            continue;
        if (entry.name[0] == '.' && (entry.name.size() == 1 || entry.name[1] == '.'))
            continue;
        // Checked before each subfolder, so that a long walk can be
        // cancelled; the folder asked for is always listed.
        if (scan.cancel.cancelled())
            return false;
        const std::string sub = prefix + entry.name;
        const Identity id{entry.stamp.volume, entry.stamp.index};
        bool onPath = false;
        for (const Identity& seen : folders.path)
            onPath = onPath || seen == id;
        if (onPath) {
            scan.observer.trace("ERROR! folder loop skipped: " + sub); // its files are packed once, from the ancestor
            continue;
        }
        if (entry.name.size() > kMaxListedName) {
            leaveOut(scan, "ERROR! path too long: " + sub);
            continue;
        }
        if (entry.unstorable) {
            leaveOut(scan, "ERROR! inputFile name cannot be stored: " + sub, unstorableText(sub));
            continue;
        }
        // Links that meet again would store a folder once per way in, and
        // the ways multiply with each level.
        if (!folders.entered.insert(id).second) {
            leaveOut(scan, std::string(kFolderPackedBefore) + sub);
            continue;
        }
        folders.path.push_back(id);
        const bool complete = walk(scan, sub + '/', folders, false, &entry.stamp);
        folders.path.pop_back();
        if (!complete)
            return false;
    }
    return true;
}

} // namespace

bool scanSourceTree(const char* path, SourceScan& scan)
{
    const std::string prefix = folderPrefix(path);
    Folders folders;
    FileStamp source;
    if (const platform::FileInfo info = platform::statPath(prefix.empty() ? "." : prefix); info.exists()) {
        source = FileStamp::of(info);
        folders.path.emplace_back(info.volume, info.index);
        folders.entered.insert(folders.path.back());
    }
    return walk(scan, prefix, folders, true, &source);
}

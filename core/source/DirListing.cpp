#include "source/DirListing.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>

std::optional<std::vector<ListingEntry>> listDirectory(const std::string& dir, int* error, const FileStamp* seen)
{
    int failure = 0;
    std::vector<platform::FolderEntry> found;
    platform::Error reason;
    platform::FileInfo self;
    if (seen)
        self.volume = seen->volume, self.index = seen->index;
    if (!platform::listFolder(dir, found, reason, seen ? &self : nullptr))
        failure = reason.code != 0 ? reason.code : EIO;
    if (failure != 0) {
        if (error)
            *error = failure;
        return std::nullopt;
    }

    std::vector<ListingEntry> entries;
    entries.reserve(found.size());
    for (platform::FolderEntry& f : found) {
        ListingEntry entry;
        entry.name = std::move(f.name);
        entry.unstorable = f.unrepresentable;
        entry.stamp = FileStamp::of(f.info);
        if (f.info.kind == platform::Kind::Directory)
            entry.attrib = kAttribDirectory;
        else
            entry.size = f.info.size;
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const ListingEntry& a, const ListingEntry& b) { return listingOrderLess(a.name, b.name); });
    return entries;
}

#include "source/DirListing.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace {

std::mutex g_hookMutex;
std::function<int(const std::string&)> g_listingHook;

int hookError(const std::string& dir)
{
    std::function<int(const std::string&)> hook;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        hook = g_listingHook;
    }
    return hook ? hook(dir) : 0;
}

} // namespace

void SetListingHook(std::function<int(const std::string& dir)> hook)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_listingHook = std::move(hook);
}

std::optional<std::vector<ListingEntry>> listDirectory(const std::string& dir, int* error)
{
    int failure = hookError(dir);
    std::vector<platform::FolderEntry> found;
    platform::Error reason;
    if (failure == 0 && !platform::listFolder(dir, found, reason))
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

#include "source/DirListing.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>

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

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

} // namespace

void SetListingHook(std::function<int(const std::string& dir)> hook)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_listingHook = std::move(hook);
}

std::optional<std::vector<ListingEntry>> listDirectory(const std::string& dir, int* error)
{
    int failure = hookError(dir);
    std::unique_ptr<DIR, DirCloser> handle;
    if (failure == 0) {
        handle.reset(opendir(dir.empty() ? "." : dir.c_str()));
        failure = handle ? 0 : errno;
    }
    if (failure != 0) {
        if (error)
            *error = failure;
        return std::nullopt;
    }

    std::string prefix = dir;
    if (!prefix.empty() && prefix.back() != '/')
        prefix += '/';

    std::vector<ListingEntry> entries;
    for (;;) {
        // readdir gives null both at the end and on a failure; only errno
        // tells a listing that broke off from a complete one.
        errno = 0;
        const dirent* d = readdir(handle.get());
        if (!d) {
            if (errno == 0)
                break;
            if (error)
                *error = errno;
            return std::nullopt;
        }
        ListingEntry entry;
        entry.name = d->d_name;
        if (entry.name == "." || entry.name == "..")
            continue;
        struct stat st {};
        const std::string full = prefix + entry.name;
        if (stat(full.c_str(), &st) == 0) {
            entry.device = static_cast<uint64_t>(st.st_dev);
            entry.inode = static_cast<uint64_t>(st.st_ino);
            if (S_ISDIR(st.st_mode))
                entry.attrib = kAttribDirectory;
            else
                entry.size = static_cast<uint64_t>(st.st_size);
        }
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const ListingEntry& a, const ListingEntry& b) { return listingOrderLess(a.name, b.name); });
    return entries;
}

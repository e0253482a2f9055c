#include "source/DirListing.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace {

unsigned char foldUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

} // namespace

bool listingOrderLess(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char fa = foldUpper(static_cast<unsigned char>(a[i]));
        const unsigned char fb = foldUpper(static_cast<unsigned char>(b[i]));
        if (fa != fb)
            return fa < fb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b; // same letters in another case: the raw bytes decide
}

bool equalsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldUpper(static_cast<unsigned char>(a[i])) != foldUpper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::optional<std::vector<ListingEntry>> listDirectory(const std::string& dir)
{
    std::unique_ptr<DIR, DirCloser> handle(opendir(dir.empty() ? "." : dir.c_str()));
    if (!handle)
        return std::nullopt;

    std::string prefix = dir;
    if (!prefix.empty() && prefix.back() != '/')
        prefix += '/';

    std::vector<ListingEntry> entries;
    while (const dirent* d = readdir(handle.get())) {
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

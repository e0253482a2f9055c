#include "pack/SourceScanner.h"

#include "pack/ArchivePacker.h"
#include "pack/Trace.h"
#include "source/DirListing.h"

#include <algorithm>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

constexpr size_t kMaxDirectoryPath = 509; // "/*" and the NUL fill a 512-byte pattern
constexpr size_t kMaxFilePath = 511;
constexpr size_t kMaxListedName = 259;

using Identity = std::pair<uint64_t, uint64_t>;

// "dir" -> "dir/", with every "\" written as "/".
std::string directoryPrefix(const std::string& path)
{
    std::string prefix = path;
    for (char& c : prefix)
        if (c == '\\')
            c = '/';
    if (!prefix.empty() && prefix.back() != '/')
        prefix += '/';
    return prefix;
}

void addFiles(ArchivePacker& packer, const std::string& prefix, const std::vector<ListingEntry>& entries)
{
    for (const ListingEntry& entry : entries) {
        if (entry.isDirectory())
            continue;
        if (packer.m_hasExclude && entry.device == packer.m_excludeDevice && entry.inode == packer.m_excludeInode)
            continue; // the archive being written never packs itself
        const std::string full = prefix + entry.name;
        if (entry.name.size() > kMaxListedName || full.size() > kMaxFilePath) {
            TraceLine("ERROR! path too long: " + full);
            continue;
        }
        if (!packer.m_namePool->add(full.c_str())) {
            TraceLine("ERROR! too many files: " + full);
            continue;
        }
        packer.m_totalSourceBytes += entry.size;
    }
}

void walk(ArchivePacker& packer, const std::string& prefix, std::vector<Identity>& walkPath)
{
    if (prefix.size() > kMaxDirectoryPath + 1) { // the prefix carries the folder's final "/"
        TraceLine("ERROR! path too long: " + prefix.substr(0, prefix.size() - 1));
        return;
    }
    const auto entries = listDirectory(prefix.empty() ? "." : prefix);
    if (!entries)
        return;
    addFiles(packer, prefix, *entries);
    for (const ListingEntry& entry : *entries) {
        if (!entry.isDirectory())
            continue;
        if (entry.name[0] == '.' && (entry.name.size() == 1 || entry.name[1] == '.'))
            continue;
        const std::string sub = prefix + entry.name;
        const Identity id{entry.device, entry.inode};
        bool onPath = false;
        for (const Identity& seen : walkPath)
            onPath = onPath || seen == id;
        if (onPath) {
            TraceLine("ERROR! folder loop skipped: " + sub);
            continue;
        }
        if (entry.name.size() > kMaxListedName) {
            TraceLine("ERROR! path too long: " + sub);
            continue;
        }
        walkPath.push_back(id);
        walk(packer, sub + '/', walkPath);
        walkPath.pop_back();
    }
}

} // namespace

void scanSourceTree(const char* path)
{
    ArchivePacker* packer = CurrentPacker();
    if (!packer)
        return;
    const std::string prefix = directoryPrefix(path);
    std::vector<Identity> walkPath;
    struct stat st {};
    if (stat(prefix.empty() ? "." : prefix.c_str(), &st) == 0)
        walkPath.emplace_back(static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino));
    walk(*packer, prefix, walkPath);
}

void scanDirectoryFiles(const char* pattern)
{
    ArchivePacker* packer = CurrentPacker();
    if (!packer)
        return;
    std::string prefix = pattern;
    prefix.erase(std::min(prefix.find('*'), prefix.size()));
    if (const auto entries = listDirectory(prefix.empty() ? "." : prefix))
        addFiles(*packer, prefix, *entries);
}

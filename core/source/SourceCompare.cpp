#include "source/SourceCompare.h"

#include "platform/Platform.h"
#include "source/DirListing.h"
#include "source/PathNoCase.h"
#include "source/PathText.h"

#include <set>
#include <unordered_set>
#include <utility>

namespace {

using Identity = std::pair<uint64_t, uint64_t>;

std::string foldUpper(std::string text)
{
    for (char& c : text)
        c = upperAscii(c);
    return text;
}

// The archive's path without ".kob", less every leading component up to the
// last "." or "..", split into components.
std::vector<std::string> nameComponents(std::string path)
{
    if (path.size() > 4 && equalsNoCase(path.substr(path.size() - 4), ".kob"))
        path.resize(path.size() - 4);
    std::vector<std::string> parts;
    for (const std::string& part : splitPath(path)) {
        if (part == "." || part == "..")
            parts.clear();
        else if (!part.empty())
            parts.push_back(part);
    }
    return parts;
}

struct Walk {
    std::unordered_set<std::string> entries; // the entry names, ASCII letters in upper case
    Identity exclude{0, 0};
    std::vector<Identity> path;
    std::set<Identity> entered; // packing enters each folder once, whatever links lead to it
    std::vector<std::string> missing;
    std::vector<std::string>* problems = nullptr;

    void folder(const std::string& dir, const std::string& entryPrefix)
    {
        int error = 0;
        const auto listing = listDirectory(dir, &error);
        if (!listing) {
            problems->push_back("cannot list " + dir + ": " + platform::errorText(error));
            return;
        }
        for (const ListingEntry& entry : *listing) {
            if (entry.isDirectory())
                continue;
            if (exclude != Identity{0, 0} && Identity{entry.stamp.volume, entry.stamp.index} == exclude)
                continue;
            const std::string name = entryPrefix + entry.name;
            if (!entries.count(foldUpper(name)))
                missing.push_back(name);
        }
        for (const ListingEntry& entry : *listing) {
            if (!entry.isDirectory() || (entry.name[0] == '.' && (entry.name.size() == 1 || entry.name[1] == '.')))
                continue;
            const Identity id{entry.stamp.volume, entry.stamp.index};
            bool onPath = false;
            for (const Identity& seen : path)
                onPath = onPath || seen == id;
            if (onPath || !entered.insert(id).second)
                continue;
            path.push_back(id);
            folder(dir + "/" + entry.name, entryPrefix + entry.name + "/");
            path.pop_back();
        }
    }
};

} // namespace

std::string PackFolderOf(const std::string& archivePath, const std::vector<std::string>& entryNames,
                         const std::string& root)
{
    const std::vector<std::string> parts = nameComponents(archivePath);
    for (size_t first = 0; first < parts.size(); ++first) {
        std::string candidate = parts[first];
        for (size_t i = first + 1; i < parts.size(); ++i)
            candidate += "/" + parts[i];
        bool fits = !entryNames.empty() || platform::isFolder(resolveNoCase(root + "/" + candidate));
        for (const std::string& name : entryNames)
            fits = fits && startsWithNoCase(name, candidate + "/");
        if (fits)
            return candidate;
    }
    return "";
}

std::vector<std::string> FilesWithoutEntry(const std::string& root, const std::string& packFolder,
                                           const std::vector<std::string>& entryNames, const std::string& exclude,
                                           std::vector<std::string>& problems)
{
    Walk walk;
    walk.problems = &problems;
    for (const std::string& name : entryNames)
        walk.entries.insert(foldUpper(name));
    if (const platform::FileInfo info = platform::statPath(exclude); info.exists())
        walk.exclude = {info.volume, info.index};
    const std::string top = resolveNoCase(root + "/" + packFolder);
    if (const platform::FileInfo info = platform::statPath(top); info.exists()) {
        walk.path.emplace_back(info.volume, info.index);
        walk.entered.insert(walk.path.back());
    }
    walk.folder(top, packFolder + "/");
    return walk.missing;
}

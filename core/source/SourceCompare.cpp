#include "source/SourceCompare.h"

#include "pack/SourceScanner.h"
#include "platform/Platform.h"
#include "source/PathNoCase.h"
#include "source/PathText.h"

#include <unordered_set>

namespace {

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

// Keeps what the walk leaves out (a folder that cannot be listed, a name
// past the limits) as the problems of the check. A folder reached again
// through a link is none: the archive holds its files under the first way in.
class Problems : public kob::PackObserver {
public:
    explicit Problems(std::vector<std::string>& texts) : m_texts(texts) {}
    void problem(const std::string& text) override
    {
        if (!text.starts_with(kFolderPackedBefore))
            m_texts.push_back(text);
    }
    void note(const std::string&) override {}
    void trace(const std::string&) override {}

private:
    std::vector<std::string>& m_texts;
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
    std::unordered_set<std::string> entries;
    for (const std::string& name : entryNames)
        entries.insert(foldUpper(name));
    NamePool names;
    Problems observer(problems);
    SourceScan scan{names, observer, {}, std::nullopt};
    if (const platform::FileInfo info = platform::statPath(exclude); info.exists())
        scan.exclude.emplace(info.volume, info.index);
    const std::string top = resolveNoCase(root + "/" + packFolder);
    scanSourceTree(top.c_str(), scan);
    // Each name is the folder's path, "/", and the path below it.
    const size_t below = folderPrefix(top).size();
    std::vector<std::string> missing;
    for (uint32_t i = 0; i < names.count(); ++i) {
        const std::string name = packFolder + "/" + (names.nameAt(i) + below);
        if (!entries.count(foldUpper(name)))
            missing.push_back(name);
    }
    return missing;
}

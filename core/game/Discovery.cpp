#include "game/Discovery.h"

#include "source/DirListing.h"
#include "source/PathNoCase.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

bool isDirectory(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The first `n` characters of both, compared ignoring ASCII case; a shorter
// name never matches.
bool startsNoCase(const std::string& name, const std::string& word, size_t n)
{
    return name.size() >= n && equalsNoCase(name.substr(0, n), word.substr(0, n));
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

int DetectGame()
{
    if (isDirectory(resolveNoCase("../KelVane")))
        return kGameKelVane;
    if (isDirectory(resolveNoCase("../Ostrel")))
        return kGameOstrel;
    return kGameNone;
}

std::vector<std::string> ListLevels(int game)
{
    std::vector<std::string> levels;
    if (game == kGameNone)
        return levels;
    const std::string dir = game == kGameKelVane ? "../kelVane/levels" : "../ostrel/levels";
    const auto entries = listDirectory(resolveNoCase(dir));
    if (!entries)
        return levels;
    for (const ListingEntry& entry : *entries)
        if (entry.isDirectory() && entry.name[0] != '.')
            levels.push_back(entry.name);
    return levels;
}

std::vector<std::string> ListFolders(int game)
{
    std::vector<std::string> folders;
    const auto entries = listDirectory("..");
    if (!entries)
        return folders;
    for (const ListingEntry& entry : *entries) {
        const std::string& name = entry.name;
        if (!entry.isDirectory())
            continue;
        const char first = name[0];
        if (first == '.' || first == 'L' || first == '_')
            continue;
        const char second = name.size() > 1 ? lower(name[1]) : '\0';
        if (lower(first) == 'a' && second == 'r')
            continue;
        if (lower(first) == 'm' && (second == 'o' || second == 'u'))
            continue;
        if (game == kGameKelVane && startsNoCase(name, "kelVane", 3)) {
            folders.push_back("kelVane/game");
            continue;
        }
        if (game == kGameOstrel && startsNoCase(name, "ostrel", 3)) {
            folders.push_back("ostrel/game");
            continue;
        }
        if (startsNoCase(name, "kelVane", 3) || startsNoCase(name, "ostrel", 3))
            continue;
        folders.push_back(name);
    }
    return folders;
}

std::string LevelPrefix(int game)
{
    if (game == kGameKelVane)
        return "kelVane/levels/";
    if (game == kGameOstrel)
        return "ostrel/levels/";
    return "";
}

std::string LevelPackName(int game, const std::string& level)
{
    return LevelPrefix(game) + level;
}

std::vector<std::string> LevelDirectories(int game)
{
    if (game == kGameKelVane)
        return {"kelVane", "kelVane/levels"};
    if (game == kGameOstrel)
        return {"ostrel", "ostrel/levels"};
    return {};
}

std::vector<std::string> FolderDirectories(int game)
{
    if (game == kGameKelVane)
        return {"kelVane"};
    if (game == kGameOstrel)
        return {"ostrel"};
    return {};
}

std::string GameIdentifier(int game)
{
    return game == kGameKelVane ? "kelvane" : "ostrel";
}

void MakeDirectories(const std::vector<std::string>& directories)
{
    for (const std::string& dir : directories) {
        const std::string resolved = resolveNoCase(dir);
        if (!isDirectory(resolved))
            mkdir(resolved.c_str(), 0777);
    }
}

void SortNoCase(std::vector<std::string>& names)
{
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            const char x = lower(a[i]), y = lower(b[i]);
            if (x != y)
                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        }
        return a.size() < b.size();
    });
}

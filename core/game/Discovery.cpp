#include "game/Discovery.h"

#include "platform/Platform.h"
#include "source/DirListing.h"
#include "source/PathNoCase.h"

namespace {

// The game whose folder `name` may be: the first three characters of its
// directory match, ignoring case.
const GameInfo* gameFolderOf(const std::string& name)
{
    for (const GameInfo& info : kGames)
        if (startsWithNoCase(name, std::string(info.directory.substr(0, 3))))
            return &info;
    return nullptr;
}

} // namespace

Game DetectGame()
{
    for (auto info = std::rbegin(kGames); info != std::rend(kGames); ++info)
        if (platform::isFolder(resolveNoCase(std::string(info->detectDirectory))))
            return info->game;
    return Game::None;
}

std::vector<std::string> ListLevels(Game game)
{
    std::vector<std::string> levels;
    const GameInfo* info = FindGame(game);
    if (!info)
        return levels;
    const auto entries = listDirectory(resolveNoCase("../" + std::string(info->levelsDirectory)));
    if (!entries)
        return levels;
    for (const ListingEntry& entry : *entries)
        if (entry.isDirectory() && entry.name[0] != '.')
            levels.push_back(entry.name);
    return levels;
}

std::vector<std::string> ListFolders(Game game)
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
        // "ar" takes out the Archives folder itself.
        if (startsWithNoCase(name, "ar") || startsWithNoCase(name, "mo") || startsWithNoCase(name, "mu"))
            continue;
        // A game's folder is offered only as the detected game's entry.
        if (const GameInfo* info = gameFolderOf(name)) {
            if (info->game == game)
                folders.emplace_back(info->gameFolderEntry);
            continue;
        }
        folders.push_back(name);
    }
    return folders;
}

void MakeDirectories(const std::vector<std::string>& directories)
{
    for (const std::string& dir : directories) {
        const std::string resolved = resolveNoCase(dir);
        platform::Error ignored; // the game makes do without it
        if (!platform::isFolder(resolved))
            platform::makeFolder(resolved, ignored);
    }
}

#pragma once
// Finds which host game a mod belongs to, its levels and the mod folders that
// can be packed. Every path is relative to the current directory, the mod's
// Archives folder, so "../" is the mod root. Directory names are matched
// without regard to letter case; the spellings written and shown are the
// table's ("ostrel", "kelVane").

#include <string>
#include <vector>

// Game choice: which host game's folder sits beside the mod.
constexpr int kGameNone = 0;
constexpr int kGameOstrel = 1;
constexpr int kGameKelVane = 2;

// 2 when "../KelVane" exists, else 1 when "../Ostrel" exists, else 0.
int DetectGame();

// Level folders of the game's levels directory, in listing order: every
// folder whose name does not begin with ".". Empty for game choice 0 or when
// the directory cannot be listed.
std::vector<std::string> ListLevels(int game);

// Mod-root folders that can be packed, in listing order, with the detected
// game's folder given as its game folder entry ("ostrel/game",
// "kelVane/game"); the ten exclusion rules of the folder drop-down apply.
std::vector<std::string> ListFolders(int game);

// "ostrel/levels/", "kelVane/levels/", or "" for game choice 0.
std::string LevelPrefix(int game);
// The level prefix followed by the level name, unchanged.
std::string LevelPackName(int game, const std::string& level);
// Directories to make in the Archives folder before a level is packed
// ("ostrel", "ostrel/levels"), and before a folder is packed ("ostrel").
std::vector<std::string> LevelDirectories(int game);
std::vector<std::string> FolderDirectories(int game);
// "kelvane" for game choice 2, "ostrel" otherwise.
std::string GameIdentifier(int game);

// Makes each directory (relative to the current directory) unless one of
// that name exists in any letter case. Failures are ignored: the pack job
// reports what then cannot be written.
void MakeDirectories(const std::vector<std::string>& directories);

// Sorts alphabetically without regard to ASCII case, as the drop-downs do;
// entries that differ only in case keep their order.
void SortNoCase(std::vector<std::string>& names);

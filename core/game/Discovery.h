#pragma once
// Finds which host game a mod belongs to, its levels and the mod folders that
// can be packed. Every path is relative to the current directory, the mod's
// Archives folder, so "../" is the mod root. Directory names are matched
// without regard to letter case; the spellings written and shown are the
// game table's (game/Game.h).

#include "game/Game.h"
#include "source/PathText.h"

#include <string>
#include <vector>

// The last game of the table whose detection folder exists, else Game::None.
Game DetectGame();

// Level folders of the game's levels directory, in listing order: every
// folder whose name does not begin with ".". Empty for Game::None or when
// the directory cannot be listed.
std::vector<std::string> ListLevels(Game game);

// Mod-root folders that can be packed, in listing order, with the detected
// game's folder given as its game folder entry ("ostrel/game",
// "kelVane/game"); the ten exclusion rules of the folder drop-down apply.
std::vector<std::string> ListFolders(Game game);

// Makes each directory (relative to the current directory) unless one of
// that name exists in any letter case. Failures are ignored: the pack job
// reports what then cannot be written.
void MakeDirectories(const std::vector<std::string>& directories);

#pragma once
// The host games the tool knows, each described once. Directory names are
// written and shown in these spellings and matched in any case.

#include <string>
#include <string_view>

// Which host game's folder sits beside the mod (the window's game choice).
enum class Game { None = 0, Ostrel = 1, KelVane = 2 };

struct GameInfo {
    Game game;
    std::string_view detectDirectory; // its presence beside the mod selects the game
    std::string_view directory;       // the game's folder at the mod root and in the Archives folder
    std::string_view levelsDirectory; // made in the Archives folder before a level is packed
    std::string_view levelPrefix;     // a level's pack name is this followed by the level name
    std::string_view gameFolderEntry; // the folder list's entry for the game's folder
    std::string_view identifier;      // executable base name and the game's folder below "mods"
    std::string_view debugExecutable; // the debug build in the game root
};

// Detection order: when both folders exist, the later game wins.
inline constexpr GameInfo kGames[] = {
    {Game::Ostrel, "../Ostrel", "ostrel", "ostrel/levels", "ostrel/levels/", "ostrel/game", "ostrel", "ostrel_r.exe"},
    {Game::KelVane, "../KelVane", "kelVane", "kelVane/levels", "kelVane/levels/", "kelVane/game", "kelvane",
     "KelVane_DEBUG.exe"},
};

// The game's row, or nullptr for Game::None.
const GameInfo* FindGame(Game game);
// The row whose identifier equals `identifier` ignoring ASCII case, or nullptr.
const GameInfo* FindGameByIdentifier(const std::string& identifier);

// The identifier handed to the quick launch: the game's, or the first
// game's when none was found.
std::string GameIdentifier(Game game);

#pragma once
// The test launch: reads the mod's name from "../init.con", writes a one-map
// map list into the game's mods folder and starts the game executable from
// the game root "../../../". Every path is formed from the Archives folder
// (the current directory, which is never changed) and matched without
// regard to letter case.

#include "game/Launcher.h"
#include "game/QuickLaunchState.h"

#include <functional>
#include <string>
#include <vector>

inline constexpr const char* kGameRoot = "../../../";
inline constexpr const char* kInitFile = "../init.con";

// Receives each error the user must be told about; the window shows it in an
// "ERROR!" message box.
using ErrorReport = std::function<void(const std::string& text)>;

enum class LaunchOutcome {
    Started,       // the launcher started the executable
    MapListFailed, // the map list could not be written; nothing was started
    StartFailed,   // the map list was written but the executable did not start
};

// The mod's name from the text of an init file: the rest of the first line
// that begins with "game.CustomGameName" or "game.setCustomGameName" (any
// case, not indented) after one separator character, kept verbatim. False
// when no line matches (`modName` "").
bool ParseModName(const std::string& text, std::string& modName);

enum class ModNameRead {
    Found,      // m_ModName holds the name
    NotNamed,   // no line names the mod, or the name cannot be a folder name
    Unreadable, // "../init.con" cannot be opened or is not a regular file of at most 64 KiB
};

// Sets m_ModName from "../init.con" with ParseModName; m_ModName stays ""
// unless the name was found. An unreadable file is reported as
// "Unable to read mod's name from ../init.con\n"; a name that cannot be a
// folder name (FileNameProblem) is reported and left out.
ModNameRead LoadModName(QuickLaunchState& state, const ErrorReport& report);

// The debug build of the game `gameExe` names (compared ignoring ASCII case):
// "ostrel_r.exe" for ostrel, "KelVane_DEBUG.exe" for kelVane, "" for any
// other game.
std::string DebugExecutable(const std::string& gameExe);

// Sets m_DebugExeFound to 1 when the debug executable exists in the game root
// and can be opened, else 0; true when found.
bool CheckDebugExe(QuickLaunchState& state);

// The executable file name to start: the debug executable when m_UseDebug is
// non-zero and m_DebugExeFound is 1, else m_gameExe followed by ".exe".
std::string GameExecutable(const QuickLaunchState& state);

// The two lines of the map list for m_MapName, m_gpmString and m_ModName,
// each ending in CR LF.
std::string MapListText(const QuickLaunchState& state);

// "+restart 1 +game <modName> +hostServer 1 +dedicated 0", the mod's name
// inserted as it stands, even when empty.
std::string LaunchParameters(const std::string& modName);

// Reads the mod's name (a failure only leaves it empty), writes the map list
// "mods/<m_gameExe>/Settings/maplist.con" below the game root (folders are
// not made), then has `launcher` start GameExecutable() in the game root.
// Every failure is reported with the file and the reason. An m_gameExe that
// is no file name (FileNameProblem) is refused: nothing is written or started
// (MapListFailed).
LaunchOutcome LaunchGame(QuickLaunchState& state, Launcher& launcher, const ErrorReport& report);

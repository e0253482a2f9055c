#pragma once
// What the quick-launch dialog carries between its settings file, its
// controls and the start of the game. Plain data, so the settings file and
// the launch can be tested without a window.

#include <string>
#include <vector>

struct QuickLaunchState {
    std::string m_gpmString;          // gameplay mode, e.g. "GPM_CQ"
    std::string m_MapName;            // map to start
    std::string m_gameExe;            // executable base name, also the game's folder under mods
    std::string m_ModName;            // the mod's name from ../init.con; "" when not found
    std::vector<std::string> m_MapList; // maps offered, in the main window's list order
    int m_DebugExeFound = 0;          // 1 when the debug executable exists
    int m_UseDebug = 0;               // non-zero asks for the debug executable
};

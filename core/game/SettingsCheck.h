#pragma once
// Checks the quick-launch values that come from files a mod may bring along
// (the settings file, "../init.con") before they become file or folder names.

#include "game/QuickLaunchState.h"

#include <string>

// Why `name` cannot serve as one file or folder name, or "" when it can: it
// is empty, is "." or "..", or holds "/", "\" or a control character.
std::string FileNameProblem(const std::string& name);

// Why the settings in `state` cannot be used, naming the value, or "" when
// they can: m_gameExe, the executable's base name and the game's folder
// below "mods", must be a file name.
std::string SettingsProblem(const QuickLaunchState& state);

#pragma once
// Checks the quick-launch values that come from files a mod may bring along
// (the settings file, "../init.con") before they become file or folder names
// or lines of the game's map list.

#include "game/QuickLaunchState.h"

#include <string>

// Why `name` cannot serve as one file or folder name, or "" when it can: it
// is empty, is "." or "..", or holds "/", "\" or a control character.
std::string FileNameProblem(const std::string& name);

// Why `text` cannot stand in a line of the map list, or "" when it can: it
// holds a control character (a lone CR would start a line of its own).
std::string LineTextProblem(const std::string& text);

// Why the values of `state` that the launch uses as names or map-list words
// cannot be used, naming the value, or "" when they can: m_gameExe must be a
// file name, m_MapName and m_gpmString must fit in a line.
std::string SettingsProblem(const QuickLaunchState& state);

#pragma once
// The quick-launch settings file "_quickLaunch.cfg" in the Archives folder
// (the current directory): key line, value line and blank line for each of
// m_MapName, m_gpmString, m_gameExe and m_UseDebug, every line ending in
// CR LF. The name is matched without regard to letter case.

#include "game/QuickLaunchState.h"

#include <string>

inline constexpr const char* kSettingsFileName = "_quickLaunch.cfg";

// Reads the text of a settings file into `state`. Keys are compared ignoring
// ASCII case; a key whose value line is missing or empty is dropped, other
// keys are ignored, lines longer than 255 characters are read in pieces.
// Returns the number of recognised entries, repeats included. Fields without
// an entry keep their values.
int ParseSettings(const std::string& text, QuickLaunchState& state);

// Entries recognised from which the game starts at once, without the dialog.
constexpr int kCompleteSettings = 3;

enum class SettingsLoad {
    Absent,     // no usable file: the dialog is shown as on first use
    Incomplete, // fewer than kCompleteSettings entries: the dialog is shown
    Complete,   // the game starts at once with these settings
};

// Reads the settings file into `state` with ParseSettings. Absent, with
// `state` unchanged, when there is no file, when it is not a regular file of
// at most 64 KiB, or when a value it gives cannot be used (SettingsProblem);
// then `refusal` (if given) receives a message naming the file and the
// reason (none for a missing file).
SettingsLoad LoadSettingsFile(QuickLaunchState& state, std::string* refusal = nullptr);

// Writes m_MapName, m_gpmString, m_gameExe and m_UseDebug (0 or 1) of `state`
// as the twelve lines of the settings file, whole or not at all
// (WriteWholeFile). Returns false when it cannot be written; the file that
// was there then stays as it was.
bool SaveSettings(const QuickLaunchState& state);

// Deletes the settings file. Returns "" on success and when there was no
// file; otherwise a message naming the file and the reason.
std::string RemoveSettings();

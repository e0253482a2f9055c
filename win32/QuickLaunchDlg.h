#pragma once
// The quick launch: the "Quick Launch Settings" dialog (template 144) over the
// main window, or, with complete saved settings, the start of the game at
// once. The settings file, the map list and the start are the core's.

#include "game/Game.h"
#include "game/QuickLaunchState.h"
#include "game/SettingsFile.h"

#include <windows.h>

#include <string>
#include <vector>

class Launcher;

class CQuickLaunchDlg {
public:
    explicit CQuickLaunchDlg(Launcher& launcher) : m_launcher(launcher) {}

    QuickLaunchState& state() { return m_state; }
    // Starts the game at once with complete saved settings; else runs the
    // dialog modally over `owner`.
    INT_PTR DoModal(HWND owner);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog(HWND dialog);
    void OnOK();
    SettingsLoad LoadSettings(HWND owner);
    void SaveSettings();
    void CheckDebugExe();
    void LaunchGame(HWND owner);

    Launcher& m_launcher;
    QuickLaunchState m_state;
    HWND m_hWnd = nullptr;
};

// The "T" button (reset false) and the small button beside it (reset true:
// the saved settings are forgotten first, so the dialog shows).
void RunQuickLaunch(HWND owner, Game game, const std::vector<std::string>& levels, Launcher& launcher, bool reset);

#pragma once
// The quick launch: the "Quick Launch Settings" dialog (template 144) over the
// main window, or, with complete saved settings, the start of the game at
// once. What it offers, saves and starts is the core's QuickLaunchLogic.

#include "app/QuickLaunchLogic.h"

#include <windows.h>

#include <string>
#include <vector>

class CQuickLaunchDlg {
public:
    CQuickLaunchDlg(Launcher& launcher, QuickLaunchState state) : m_launcher(launcher), m_state(std::move(state)) {}

    // Starts the game at once with complete saved settings; else runs the
    // dialog modally over `owner`.
    INT_PTR DoModal(HWND owner);

    // Called through BoundDialogProc.
    BOOL OnInitDialog(HWND dialog);
    INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnOK();

    Launcher& m_launcher;
    QuickLaunchState m_state;
    QuickLaunchForm m_form;
    HWND m_hWnd = nullptr;
};

// The "T" button (reset false) and the small button beside it (reset true:
// the saved settings are forgotten first, so the dialog shows).
void RunQuickLaunch(HWND owner, Game game, const std::vector<std::string>& levels, Launcher& launcher, bool reset);

#include "win32/QuickLaunchDlg.h"

#include "game/TestLaunch.h"
#include "win32/DialogHooks.h"
#include "win32/WideText.h"
#include "win32/resource.h"

namespace {

// The settings file is read 255 characters at a time, so longer texts would
// come back in pieces.
constexpr WPARAM kMaxText = 255;

void showError(HWND owner, const std::string& text)
{
    ShowMessageBox(owner, Widen(text), L"ERROR!", MB_OK | MB_ICONERROR);
}

void addEntries(HWND combo, const std::vector<std::string>& entries)
{
    // The combo box sorts itself (CBS_SORT), without regard to case.
    for (const std::string& entry : entries)
        SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(Widen(entry).c_str()));
}

} // namespace

INT_PTR CQuickLaunchDlg::DoModal(HWND owner)
{
    if (LoadSettings(owner) == SettingsLoad::Complete) {
        // Started at once, without showing the dialog or writing the file again.
        ::CheckDebugExe(m_state);
        LaunchGame(owner);
        return IDOK;
    }
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_QUICK_LAUNCH), owner, DialogProc,
                           LPARAM(this));
}

INT_PTR CALLBACK CQuickLaunchDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return reinterpret_cast<CQuickLaunchDlg*>(lParam)->OnInitDialog(dialog);
    }
    auto* self = reinterpret_cast<CQuickLaunchDlg*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self || message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    if (LOWORD(wParam) == IDOK)
        self->OnOK();
    else if (LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, IDCANCEL); // closes, nothing else
    return TRUE;
}

BOOL CQuickLaunchDlg::OnInitDialog(HWND dialog)
{
    m_hWnd = dialog;
    // What a file with fewer entries gave is not shown; only its m_gameExe,
    // which no control shows, takes effect.
    const HWND gpm = GetDlgItem(dialog, IDC_GPM_COMBO);
    const HWND map = GetDlgItem(dialog, IDC_MAP_COMBO);
    SendMessageW(gpm, CB_LIMITTEXT, kMaxText, 0);
    SendMessageW(map, CB_LIMITTEXT, kMaxText, 0);
    addEntries(gpm, {"GPM_COOP", "GPM_CQ"});
    SendMessageW(gpm, CB_SETCURSEL, 1, 0);
    addEntries(map, m_state.m_MapList);
    if (!m_state.m_MapList.empty())
        SendMessageW(map, CB_SETCURSEL, 0, 0);
    CheckDlgButton(dialog, IDC_USE_DEBUG, BST_UNCHECKED);
    CheckDebugExe();
    NotifyDialogOpened(dialog, IDD_QUICK_LAUNCH);
    return TRUE;
}

void CQuickLaunchDlg::OnOK()
{
    SaveSettings();
    LaunchGame(m_hWnd);
    EndDialog(m_hWnd, IDOK);
}

SettingsLoad CQuickLaunchDlg::LoadSettings(HWND owner)
{
    // A refused file is named before the dialog shows its first-use choices.
    std::string refusal;
    const SettingsLoad loaded = LoadSettingsFile(m_state, &refusal);
    if (!refusal.empty())
        showError(owner, refusal);
    return loaded;
}

void CQuickLaunchDlg::SaveSettings()
{
    m_state.m_MapName = WindowBytes(GetDlgItem(m_hWnd, IDC_MAP_COMBO)).substr(0, kMaxText);
    m_state.m_gpmString = WindowBytes(GetDlgItem(m_hWnd, IDC_GPM_COMBO)).substr(0, kMaxText);
    m_state.m_UseDebug = IsDlgButtonChecked(m_hWnd, IDC_USE_DEBUG) == BST_CHECKED ? 1 : 0;
    // Not remembering the choices is harmless: the dialog comes back next
    // time, and the game is started with them all the same.
    ::SaveSettings(m_state);
}

void CQuickLaunchDlg::CheckDebugExe()
{
    EnableWindow(GetDlgItem(m_hWnd, IDC_USE_DEBUG), ::CheckDebugExe(m_state));
}

void CQuickLaunchDlg::LaunchGame(HWND owner)
{
    ::LaunchGame(m_state, m_launcher, [owner](const std::string& text) { showError(owner, text); });
}

void RunQuickLaunch(HWND owner, Game game, const std::vector<std::string>& levels, Launcher& launcher, bool reset)
{
    if (reset) {
        // A settings file that cannot be deleted would start the game at once
        // with the old choices; say so rather than leave the user guessing.
        const std::string error = RemoveSettings();
        if (!error.empty())
            showError(owner, error);
    }
    CQuickLaunchDlg dialog(launcher);
    dialog.state().m_gameExe = GameIdentifier(game);
    dialog.state().m_MapList = levels;
    dialog.DoModal(owner);
}

#include "win32/QuickLaunchDlg.h"

#include "app/WindowTexts.h"
#include "win32/DialogBinding.h"
#include "win32/DialogHooks.h"
#include "win32/DialogPlacement.h"
#include "win32/WideText.h"
#include "win32/resource.h"

namespace {

void fill(HWND combo, const std::vector<std::string>& entries, int index)
{
    // In the core's order, which the field's own sorting would not change.
    for (const std::string& entry : entries)
        SendMessageW(combo, CB_INSERTSTRING, WPARAM(-1), LPARAM(Widen(entry).c_str()));
    SendMessageW(combo, CB_SETCURSEL, WPARAM(index), 0);
    SendMessageW(combo, CB_LIMITTEXT, kMaxSavedText, 0);
}

// The "ERROR!" box over `owner`: the dialog when it is shown, else the main window.
ErrorReport errorBox(HWND owner)
{
    return [owner](const std::string& text) {
        ShowMessageBox(owner, Widen(text), Widen(kErrorCaption), MB_OK | MB_ICONERROR);
    };
}

} // namespace

INT_PTR CQuickLaunchDlg::DoModal(HWND owner)
{
    if (BeginQuickLaunch(m_state, m_launcher, errorBox(owner), m_form) == QuickLaunchStart::StartedAtOnce)
        return IDOK;
    return RunDialog(IDD_QUICK_LAUNCH, owner, *this);
}

INT_PTR CQuickLaunchDlg::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    if (LOWORD(wParam) == IDOK)
        OnOK();
    else if (LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, IDCANCEL); // closes, nothing else
    return TRUE;
}

BOOL CQuickLaunchDlg::OnInitDialog(HWND dialog)
{
    m_hWnd = dialog;
    fill(GetDlgItem(dialog, IDC_GPM_COMBO), m_form.modes, m_form.modeIndex);
    fill(GetDlgItem(dialog, IDC_MAP_COMBO), m_form.maps, m_form.mapIndex);
    CheckDlgButton(dialog, IDC_USE_DEBUG, m_form.useDebug ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_USE_DEBUG), m_form.debugEnabled);
    CentreOnOwner(dialog);
    NotifyDialogOpened(dialog, IDD_QUICK_LAUNCH);
    return TRUE;
}

void CQuickLaunchDlg::OnOK()
{
    const QuickLaunchChoice choice{WindowBytes(GetDlgItem(m_hWnd, IDC_MAP_COMBO)),
                                   WindowBytes(GetDlgItem(m_hWnd, IDC_GPM_COMBO)),
                                   IsDlgButtonChecked(m_hWnd, IDC_USE_DEBUG) == BST_CHECKED};
    AcceptQuickLaunch(m_state, choice, m_launcher, errorBox(m_hWnd));
    EndDialog(m_hWnd, IDOK);
}

void RunQuickLaunch(HWND owner, Game game, const std::vector<std::string>& levels, Launcher& launcher, bool reset)
{
    if (reset)
        ForgetQuickLaunchSettings(errorBox(owner));
    CQuickLaunchDlg(launcher, QuickLaunchStateFor(game, levels)).DoModal(owner);
}

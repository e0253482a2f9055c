#include "win32/QuickLaunchDlg.h"

#include "app/WindowTexts.h"
#include "win32/DialogBinding.h"
#include "win32/DialogHooks.h"
#include "win32/DialogPlacement.h"
#include "win32/WideText.h"
#include "win32/resource.h"

#include <algorithm>

namespace {

void fill(HWND combo, const std::vector<std::string>& entries, int index)
{
    // In the core's order, which the field's own sorting would not change.
    for (const std::string& entry : entries)
        SendMessageW(combo, CB_INSERTSTRING, WPARAM(-1), LPARAM(Widen(entry).c_str()));
    SendMessageW(combo, CB_SETCURSEL, WPARAM(index), 0);
}

// Typing stops at the most a saved text may hold, counted in the bytes it is
// saved as: what was just typed or pasted before the caret is taken back
// until the field fits.
void keepToSavedLimit(HWND combo)
{
    std::wstring text = WindowTextW(combo);
    if (FitsSavedText(Narrow(text)))
        return;
    DWORD caretEnd = 0;
    SendMessageW(combo, CB_GETEDITSEL, 0, LPARAM(&caretEnd));
    size_t caret = std::min<size_t>(caretEnd, text.size());
    while (caret > 0 && !FitsSavedText(Narrow(text))) {
        const size_t n = caret >= 2 && IS_SURROGATE_PAIR(text[caret - 2], text[caret - 1]) ? 2 : 1;
        text.erase(caret - n, n);
        caret -= n;
    }
    while (!FitsSavedText(Narrow(text)))
        text.pop_back();
    SetWindowTextW(combo, text.c_str());
    SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
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

INT_PTR CQuickLaunchDlg::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_EDITCHANGE) {
        keepToSavedLimit(HWND(lParam));
        return TRUE;
    }
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

#include "win32/PackProgressDlg.h"

#include "app/BatchReport.h"
#include "win32/DialogBinding.h"
#include "win32/DialogHooks.h"
#include "win32/DialogPlacement.h"
#include "win32/WideText.h"
#include "win32/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

namespace {

// wParam: nothing; lParam: the update to run, a const std::function<void()>*.
constexpr UINT kApplyUpdate = WM_APP + 1;
// Posted by the worker as its last act.
constexpr UINT kBatchDone = WM_APP + 2;

ProgressTrace& trace()
{
    static ProgressTrace hook;
    return hook;
}

void traceText(HWND dialog, int control)
{
    if (trace())
        trace()(dialog, control, WindowTextW(control ? GetDlgItem(dialog, control) : dialog));
}

void traceBar(HWND dialog)
{
    if (!trace())
        return;
    const HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    PBRANGE range{};
    SendMessageW(bar, PBM_GETRANGE, FALSE, LPARAM(&range));
    const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
    trace()(dialog, IDC_PROGRESS_BAR,
            std::to_wstring(position) + L" of " + std::to_wstring(range.iLow) + L".." + std::to_wstring(range.iHigh));
}

// The Cancel button never takes Enter as a click: Enter does nothing here.
LRESULT CALLBACK CancelButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_GETDLGCODE)
        return (DefSubclassProc(button, message, wParam, lParam) & ~DLGC_DEFPUSHBUTTON) | DLGC_UNDEFPUSHBUTTON;
    if (message == BM_SETSTYLE)
        wParam = (wParam & ~WPARAM(BS_DEFPUSHBUTTON)) | BS_PUSHBUTTON;
    return DefSubclassProc(button, message, wParam, lParam);
}

int clampToInt(uint32_t value)
{
    return int(std::min<uint32_t>(value, INT_MAX));
}

} // namespace

void SetProgressTrace(ProgressTrace hook)
{
    trace() = std::move(hook);
}

void Win32PackControls::apply(const std::function<void()>& update)
{
    // SendMessage from the worker waits until the dialog's thread has run it.
    SendMessageW(m_dialog, kApplyUpdate, 0, LPARAM(&update));
}

void Win32PackControls::setCaption(const std::string& text)
{
    apply([&] {
        SetWindowBytes(m_dialog, text);
        traceText(m_dialog, 0);
    });
}

void Win32PackControls::setUpperLine(const std::string& text)
{
    apply([&] {
        SetWindowBytes(GetDlgItem(m_dialog, IDC_PROGRESS_STATUS), text);
        traceText(m_dialog, IDC_PROGRESS_STATUS);
    });
}

void Win32PackControls::setLowerLine(const std::string& text)
{
    apply([&] {
        SetWindowBytes(GetDlgItem(m_dialog, IDC_PROGRESS_STATUS2), text);
        traceText(m_dialog, IDC_PROGRESS_STATUS2);
    });
}

void Win32PackControls::setRange(uint32_t lower, uint32_t upper)
{
    // PBM_SETRANGE32 keeps the whole range, so a folder of more than 65535
    // files still moves the bar in step.
    apply([&] {
        SendDlgItemMessageW(m_dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, WPARAM(clampToInt(lower)),
                            LPARAM(clampToInt(upper)));
        traceBar(m_dialog);
    });
}

void Win32PackControls::setPosition(uint32_t position)
{
    apply([&] {
        SendDlgItemMessageW(m_dialog, IDC_PROGRESS_BAR, PBM_SETPOS, WPARAM(clampToInt(position)), 0);
        traceBar(m_dialog);
    });
}

CPackProgressDlg::CPackProgressDlg(const std::vector<std::string>& names, bool compress, kob::BatchReport& report)
    : m_names(names)
    , m_compress(compress)
    , m_report(report)
    , m_worker(m_controls, [this] { PostMessageW(m_hWnd, kBatchDone, 0, 0); })
{
}

INT_PTR CPackProgressDlg::DoModal(HWND owner)
{
    const INT_PTR result = RunDialog(IDD_PACK_PROGRESS, owner, *this);
    m_worker.Finish(); // it posted the close as its last act: it is ending or has ended
    return result;
}

INT_PTR CPackProgressDlg::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kApplyUpdate:
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return TRUE;
    case kBatchDone:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_COMMAND:
        // The Cancel button, Esc and the close box all come as IDCANCEL;
        // IDOK (Enter) does nothing.
        if (LOWORD(wParam) == IDCANCEL)
            OnCancel();
        return TRUE;
    case WM_DESTROY:
        RemoveWindowSubclass(GetDlgItem(dialog, IDCANCEL), CancelButtonProc, 0);
        return FALSE;
    }
    return FALSE;
}

BOOL CPackProgressDlg::OnInitDialog(HWND dialog)
{
    m_hWnd = dialog;
    m_controls.attach(dialog);
    SetWindowSubclass(GetDlgItem(dialog, IDCANCEL), CancelButtonProc, 0, 0);
    SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(kProgressLower, kProgressUpper));
    SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
    m_worker.Start(m_names, m_compress, &m_report);
    CentreOnOwner(dialog);
    NotifyDialogOpened(dialog, IDD_PACK_PROGRESS);
    return TRUE;
}

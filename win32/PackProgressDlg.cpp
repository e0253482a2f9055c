#include "win32/PackProgressDlg.h"

#include "app/BatchReport.h"
#include "pack/MessageSink.h"
#include "pack/PackBatch.h"
#include "pack/PackJob.h"
#include "win32/DialogHooks.h"
#include "win32/WideText.h"
#include "win32/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <system_error>

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

INT_PTR CPackProgressDlg::DoModal(HWND owner)
{
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PACK_PROGRESS), owner, DialogProc, LPARAM(this));
    if (m_worker.joinable())
        m_worker.join(); // it posted the close as its last act: it is ending or has ended
    return result;
}

INT_PTR CALLBACK CPackProgressDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return reinterpret_cast<CPackProgressDlg*>(lParam)->OnInitDialog(dialog);
    }
    auto* self = reinterpret_cast<CPackProgressDlg*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self)
        return FALSE;
    switch (message) {
    case kApplyUpdate:
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return TRUE;
    case kBatchDone:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_COMMAND:
        // The Cancel button, Esc and the close box all come as IDCANCEL.
        if (LOWORD(wParam) == IDCANCEL)
            g_cancelPack.store(1);
        return TRUE; // IDOK (Enter) does nothing
    case WM_DESTROY:
        RemoveWindowSubclass(GetDlgItem(dialog, IDCANCEL), CancelButtonProc, 0);
        return FALSE;
    }
    return FALSE;
}

BOOL CPackProgressDlg::OnInitDialog(HWND dialog)
{
    m_hWnd = dialog;
    SetWindowSubclass(GetDlgItem(dialog, IDCANCEL), CancelButtonProc, 0, 0);
    SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
    if (m_names.empty())
        PostMessageW(dialog, kBatchDone, 0, 0); // no worker would ever close it
    else
        StartPackThread();
    NotifyDialogOpened(dialog, IDD_PACK_PROGRESS);
    return TRUE;
}

void CPackProgressDlg::StartPackThread()
{
    m_result = 0;
    g_cancelPack.store(0);
    try {
        m_worker = std::thread([this, dialog = m_hWnd] { RunBatch(dialog); });
    } catch (const std::system_error& error) {
        const std::string text = std::string("Error! Could not start the packing thread: ") + error.what();
        if (m_report)
            m_report->problem(text);
        else
            ReportMessage(text);
        PostMessageW(m_hWnd, kBatchDone, 0, 0);
    }
}

void CPackProgressDlg::RunBatch(HWND dialog)
{
    Win32PackControls controls(dialog);
    kob::SinkObserver toSink;
    kob::PackObserver& observer = m_report ? static_cast<kob::PackObserver&>(*m_report) : toSink;
    // Every hardware thread compresses; the archives are the same as on one.
    m_result = kob::packBatch(m_names, {static_cast<uint32_t>(m_compress), 0, true}, controls, observer,
                              kob::CancelToken(g_cancelPack));
    PostMessageW(dialog, kBatchDone, 0, 0); // the last act: nothing of the dialog is touched after it
}

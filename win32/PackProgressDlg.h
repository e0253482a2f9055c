#pragma once
// The progress dialog (template 143) that stands over the main window while a
// batch packs on its worker thread. The worker's updates of the caption, the
// two lines and the bar are sent to the dialog, which applies them on the
// window's thread while the worker waits; its last act posts the close. The
// batch and its rules (Cancel, Esc and the close box only ask the job to
// stop; Enter does nothing) are the core's BatchWorker.

#include "app/BatchWorker.h"
#include "pack/PackControls.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kob {
class BatchReport;
}

// What each update left on the screen, for the window's tests: the control
// (0 for the caption) and its text, or for the bar "POSITION of LOWER..UPPER".
using ProgressTrace = std::function<void(HWND dialog, int control, const std::wstring& shown)>;
void SetProgressTrace(ProgressTrace trace);

// PackControls that carries each call to the dialog's thread and waits for it.
class Win32PackControls : public PackControls {
public:
    void attach(HWND dialog) { m_dialog = dialog; }
    void setCaption(const std::string& text) override;
    void setUpperLine(const std::string& text) override;
    void setLowerLine(const std::string& text) override;
    void setRange(uint32_t lower, uint32_t upper) override;
    void setPosition(uint32_t position) override;

private:
    void apply(const std::function<void()>& update);
    HWND m_dialog = nullptr;
};

class CPackProgressDlg {
public:
    CPackProgressDlg(const std::vector<std::string>& names, bool compress, kob::BatchReport& report);

    // Runs the dialog modally over `owner` until its worker closes it.
    INT_PTR DoModal(HWND owner);
    // Cancel, Esc, the close box, and the main window closing: the job stops
    // at its next check; the dialog stays until the worker closes it.
    void OnCancel() { m_worker.OnCancel(); }
    int result() const { return m_worker.result(); }

    // Called through BoundDialogProc.
    BOOL OnInitDialog(HWND dialog);
    INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:

    std::vector<std::string> m_names;
    bool m_compress;
    kob::BatchReport& m_report;
    HWND m_hWnd = nullptr;
    Win32PackControls m_controls; // outlives the worker
    BatchWorker m_worker;
};

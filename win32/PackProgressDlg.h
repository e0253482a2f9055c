#pragma once
// The progress dialog (template 143) that stands over the main window while a
// batch packs on its worker thread. The worker's updates of the caption, the
// two lines and the bar are sent to the dialog, which applies them on the
// window's thread while the worker waits; its last act posts the close.
// Cancel, Esc and the close box only raise g_cancelPack; Enter does nothing.

#include "pack/PackControls.h"

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
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
    explicit Win32PackControls(HWND dialog) : m_dialog(dialog) {}
    void setCaption(const std::string& text) override;
    void setUpperLine(const std::string& text) override;
    void setLowerLine(const std::string& text) override;
    void setRange(uint32_t lower, uint32_t upper) override;
    void setPosition(uint32_t position) override;

private:
    void apply(const std::function<void()>& update);
    HWND m_dialog;
};

class CPackProgressDlg {
public:
    std::vector<std::string> m_names; // names to pack, in order
    int m_compress = 0;
    int m_result = 0;
    kob::BatchReport* m_report = nullptr; // hears each archive's problems and outcome

    // Runs the dialog modally over `owner` until its worker closes it, then
    // waits for the worker's end.
    INT_PTR DoModal(HWND owner);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog(HWND dialog);
    void StartPackThread();
    void RunBatch(HWND dialog);

    HWND m_hWnd = nullptr;
    std::thread m_worker;
};

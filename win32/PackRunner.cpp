#include "win32/PackRunner.h"

#include "app/BatchReport.h"
#include "win32/DialogHooks.h"
#include "win32/PackProgressDlg.h"
#include "win32/WideText.h"

int PackList(HWND window, HWND statusLine, const std::vector<std::string>& names, int compress)
{
    if (names.empty()) {
        SetWindowTextW(statusLine, L"Ready");
        return 0;
    }
    SetWindowTextW(statusLine, L"Please Wait...");
    kob::BatchReport report; // read once the dialog has joined its worker
    CPackProgressDlg dialog;
    dialog.m_compress = compress;
    dialog.m_names = names;
    dialog.m_report = &report;
    dialog.DoModal(window);
    SetWindowTextW(statusLine, L"Ready");
    ShowPackProblems(window, report.failureText());
    return dialog.m_result;
}

void ShowPackProblems(HWND owner, const std::string& text)
{
    if (!text.empty())
        ShowMessageBox(owner, Widen(text), Widen(kBatchReportCaption), MB_OK | MB_ICONWARNING);
}

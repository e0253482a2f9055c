#pragma once
// The main window (template 102): the level and folder drop-downs with their
// Pack and All buttons, Compress, the status line, Help and the two
// quick-launch buttons. It draws and forwards: what a press packs and what
// the lists hold is the core's to decide.

#include "app/MainWindowLogic.h"
#include "pack/PackContext.h"
#include "win32/BitmapButton.h"

#include <windows.h>

#include <string>
#include <vector>

class CPackProgressDlg;
class Launcher;

class CKobPackDlg : public MainWindowView {
public:
    explicit CKobPackDlg(Launcher& launcher);
    ~CKobPackDlg() override;

    // Runs the window modally until it is closed.
    INT_PTR DoModal();
    // Opens the window modeless (for tests); it lives until DestroyWindow.
    HWND Create();

    HWND m_hWnd = nullptr;
    kob::PackContext m_packContext; // what each batch's jobs ask of the world; tests give their own
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    CBitmapButton m_packLevelButton;  // 1005
    CBitmapButton m_packFolderButton; // 1007
    CBitmapButton m_allLevelsButton;  // 1009
    CBitmapButton m_allFoldersButton; // 1010

    void OnHelpButton();
    void QuickLaunch();
    void ResetQuickLaunch();

    // Called through BoundDialogProc.
    BOOL OnInitDialog(HWND dialog);
    INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnCommand(int id);
    // Every way of closing ends here; the core decides whether it closes now.
    void OnClose();
    // The button images drawn for `dpi` dots per inch.
    void loadButtonImages(UINT dpi);
    CBitmapButton* ButtonFor(int id);

    HWND item(int id) const { return GetDlgItem(m_hWnd, id); }
    HWND list(WindowList which) const;

    // MainWindowView
    std::string fieldText(WindowList which) const override;
    int selectedIndex(WindowList which) const override;
    void select(WindowList which, int index) override;
    bool compressChecked() const override;
    void setStatus(const char* text) override;
    void runBatch(const std::vector<std::string>& names, bool compress, kob::BatchReport& report) override;
    void cancelBatch() override;
    void closeWindow() override;
    void showProblems(const char* caption, const std::string& text) override;

    Launcher& m_launcher;
    MainWindowLogic m_logic{*this};
    bool m_modal = false;
    CPackProgressDlg* m_progress = nullptr; // while a batch runs behind it
};

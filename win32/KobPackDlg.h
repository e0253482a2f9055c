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
    int m_compress = 0;        // Compress (1015), as last read
    kob::PackContext m_packContext; // what each batch's jobs ask of the world; tests give their own
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    CBitmapButton m_packLevelButton;  // 1005
    CBitmapButton m_packFolderButton; // 1007
    CBitmapButton m_allLevelsButton;  // 1009
    CBitmapButton m_allFoldersButton; // 1010

    // Reads the Compress box into m_compress.
    void UpdateData();

    void OnHelpButton();
    void OnCompress();
    void QuickLaunch();
    void ResetQuickLaunch();

    // Called through BoundDialogProc.
    BOOL OnInitDialog(HWND dialog);
    INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnCommand(int id);
    void OnClose(int result);
    // The button images drawn for `dpi` dots per inch.
    void loadButtonImages(UINT dpi);
    CBitmapButton* ButtonFor(int id);

    HWND item(int id) const { return GetDlgItem(m_hWnd, id); }
    HWND list(WindowList which) const { return item(which == WindowList::Levels ? 1004 : 1006); }
    void Press(PackButton button);

    // MainWindowView
    std::string fieldText(WindowList which) const override;
    int selectedIndex(WindowList which) const override;
    void select(WindowList which, int index) override;
    void setStatus(const char* text) override;
    void runBatch(const std::vector<std::string>& names, int compress, kob::BatchReport& report) override;
    void showProblems(const char* caption, const std::string& text) override;

    Launcher& m_launcher;
    MainWindowLogic m_logic{*this};
    bool m_modal = false;
    CPackProgressDlg* m_progress = nullptr; // while a batch runs behind it
    int m_closeAfterBatch = -1;             // the window was asked to close while a batch ran
};

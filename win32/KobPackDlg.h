#pragma once
// The main window (template 102): the level and folder drop-downs with their
// Pack and All buttons, Compress, the status line, Help and the two
// quick-launch buttons. It draws and forwards: what a press packs and what
// the lists hold is the core's to decide.

#include "game/Game.h"
#include "win32/BitmapButton.h"

#include <windows.h>

#include <string>
#include <vector>

class Launcher;
struct PackChoice;

class CKobPackDlg {
public:
    explicit CKobPackDlg(Launcher& launcher);
    ~CKobPackDlg();

    // Runs the window modally until it is closed.
    INT_PTR DoModal();
    // Opens the window modeless (for tests); it lives until DestroyWindow.
    HWND Create();

    HWND m_hWnd = nullptr;
    int m_allFoldersBusy = 0;  // 1 while All (folders) runs its batch
    Game m_game = Game::None;  // game choice
    std::string m_folderName;  // the folder field's text, as last read
    std::string m_levelName;   // the level field's text, as last read
    int m_compress = 0;        // Compress (1015), as last read
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    CBitmapButton m_packLevelButton;  // 1005
    CBitmapButton m_packFolderButton; // 1007
    CBitmapButton m_allLevelsButton;  // 1009
    CBitmapButton m_allFoldersButton; // 1010

    // true: reads the fields and the Compress box into the members; false:
    // writes the members into the controls.
    void UpdateData(bool saveAndValidate = true);

    void OnPackFolder();
    void OnPackLevel();
    void OnAllLevels();
    void OnAllFolders();
    void OnHelpButton();
    void OnCompress();
    void QuickLaunch();
    void ResetQuickLaunch();

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog(HWND dialog);
    void OnCommand(int id);
    void OnClose(int result);
    CBitmapButton* ButtonFor(int id);

    HWND item(int id) const { return GetDlgItem(m_hWnd, id); }
    std::vector<std::string> entries(int listId) const;
    int selection(int listId) const;
    void reselect(int listId, int index);
    // Makes the folders the choice needs and packs it behind the progress dialog.
    void Pack(const PackChoice& choice);

    Launcher& m_launcher;
    bool m_modal = false;
    bool m_packing = false;    // a batch runs behind the progress dialog
    int m_closeAfterBatch = -1; // the window was asked to close while a batch ran
};

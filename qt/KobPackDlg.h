#pragma once
// The tool's one window, "Kob Mod Quick Pack 1.5": a drop-down of the game's
// levels and one of the mod's folders, each with a Pack button and an All
// button, the Compress switch, a status line, Help and the two quick-launch
// buttons. It draws and forwards: what it shows and what a button does are
// decided by app/MainWindowLogic.h; a batch runs behind the progress dialog
// (qt/PackProgressDlg.h).

#include "app/MainWindowLogic.h"
#include "pack/PackContext.h"
#include "qt/BitmapButton.h"

#include <QDialog>
#include <QIcon>

#include <memory>
#include <string>
#include <vector>

class CPackProgressDlg;
class QCheckBox;
class QComboBox;
class QLabel;
class QMessageBox;
class QPushButton;

// The Help box ("?"), not yet shown.
std::unique_ptr<QMessageBox> MakeHelpBox(QWidget* parent);

class CKobPackDlg : public QDialog, private MainWindowView {
    Q_OBJECT

public:
    explicit CKobPackDlg(QWidget* parent = nullptr);
    ~CKobPackDlg() override;

    QLabel* m_statusCtrl;         // IDC_STATUS
    CBitmapButton* m_allLevelsButton;  // IDC_ALL_LEVELS
    CBitmapButton* m_packLevelButton;  // IDC_PACK_LEVEL
    CBitmapButton* m_allFoldersButton; // IDC_ALL_FOLDERS
    CBitmapButton* m_packFolderButton; // IDC_PACK_FOLDER
    QComboBox* m_folderList;      // IDC_FOLDER_LIST
    QComboBox* m_levelList;       // IDC_LEVEL_LIST
    std::string m_folderName;     // text of the folder field, as last read
    std::string m_levelName;      // text of the level field, as last read
    QIcon m_hIcon;
    kob::PackContext m_packContext; // what each batch's jobs ask of the world; tests give their own

    // The game, the lists and the All (folders) guard.
    const MainWindowLogic& logic() const { return m_logic; }

    // true: reads the fields into the members; false: writes the members
    // into the controls.
    void UpdateData(bool saveAndValidate = true);
    // Every way of closing ends here; the core decides whether it closes now.
    void done(int result) override;

public slots:
    void OnPackFolder();
    void OnPackLevel();
    void OnAllLevels();
    void OnAllFolders();
    void OnHelpButton();
    // The quick launch ("T") and the quick launch after forgetting its saved
    // settings (1025); they read the game and the level list only.
    void QuickLaunch();
    void ResetQuickLaunch();

protected:
    // Discovery, the lists with their first entries selected, the button
    // images and "Ready"; runs when the window is first shown.
    virtual bool OnInitDialog();

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QComboBox* list(WindowList which) const;
    // MainWindowView: the logic reads and sets the controls through these.
    std::string fieldText(WindowList which) const override;
    int selectedIndex(WindowList which) const override;
    void select(WindowList which, int index) override;
    bool compressChecked() const override;
    void setStatus(const char* text) override;
    void runBatch(const std::vector<std::string>& names, bool compress, kob::BatchReport& report) override;
    void cancelBatch() override;
    void closeWindow() override;
    void showProblems(const char* caption, const std::string& text) override;

    MainWindowLogic m_logic{*this};
    CPackProgressDlg* m_progress = nullptr; // while a batch runs behind it
    QCheckBox* m_compressBox;       // IDC_COMPRESS
    QPushButton* m_helpButton;      // IDC_HELP_BUTTON
    QPushButton* m_quickLaunchButton; // IDC_QUICK_LAUNCH
    QPushButton* m_resetButton;     // IDC_RESET_QUICK_LAUNCH
    bool m_initPending = true;
};

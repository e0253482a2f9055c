#pragma once
// The tool's one window, "Kob Mod Quick Pack 1.5": a drop-down of the game's
// levels and one of the mod's folders, each with a Pack button and an All
// button, the Compress switch, a status line, Help and the two quick-launch
// buttons. It draws and forwards: what it shows and what a button does are
// decided by app/MainWindowLogic.h; a batch runs behind the progress dialog
// (qt/PackRunner.h).

#include "app/MainWindowLogic.h"
#include "pack/PackContext.h"
#include "qt/BitmapButton.h"

#include <QDialog>
#include <QIcon>

#include <memory>
#include <string>
#include <vector>

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

    QLabel* m_statusCtrl;         // 1008
    CBitmapButton* m_allLevelsButton;  // 1009
    CBitmapButton* m_packLevelButton;  // 1005
    CBitmapButton* m_allFoldersButton; // 1010
    CBitmapButton* m_packFolderButton; // 1007
    QComboBox* m_folderList;      // 1006
    QComboBox* m_levelList;       // 1004
    std::string m_folderName;     // text of the folder field, as last read
    std::string m_levelName;      // text of the level field, as last read
    int m_compress = 0;           // Compress (1015), as last read
    QIcon m_hIcon;
    kob::PackContext m_packContext; // what each batch's jobs ask of the world; tests give their own

    // The game, the lists and the All (folders) guard.
    const MainWindowLogic& logic() const { return m_logic; }

    // true: reads the fields and the Compress box into the members; false:
    // writes the members into the controls.
    void UpdateData(bool saveAndValidate = true);

public slots:
    void OnPackFolder();
    void OnPackLevel();
    void OnAllLevels();
    void OnAllFolders();
    void OnHelpButton();
    void OnCompress();
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
    void setStatus(const char* text) override;
    void runBatch(const std::vector<std::string>& names, int compress, kob::BatchReport& report) override;
    void showProblems(const char* caption, const std::string& text) override;

    MainWindowLogic m_logic{*this};
    QCheckBox* m_compressBox;       // 1015
    QPushButton* m_helpButton;      // 1012
    QPushButton* m_quickLaunchButton; // 1014
    QPushButton* m_resetButton;     // 1025
    bool m_initPending = true;
};

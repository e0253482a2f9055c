#pragma once
// The tool's one window, "Kob Mod Quick Pack 1.5": a drop-down of the game's
// levels and one of the mod's folders, each with a Pack button and an All
// button, the Compress switch, a status line, Help and the two quick-launch
// buttons. It runs in the mod's Archives folder; a button press becomes pack
// names (app/PackPlan.h) handed to the batch runner (qt/PackRunner.h).

#include "game/Game.h"
#include "qt/BitmapButton.h"

#include <QDialog>
#include <QIcon>

#include <memory>
#include <string>
#include <vector>

struct PackChoice;
class QCheckBox;
class QComboBox;
class QLabel;
class QMessageBox;
class QPushButton;

// The Help box ("?"), not yet shown.
std::unique_ptr<QMessageBox> MakeHelpBox(QWidget* parent);

class CKobPackDlg : public QDialog {
    Q_OBJECT

public:
    explicit CKobPackDlg(QWidget* parent = nullptr);
    ~CKobPackDlg() override;

    int m_allFoldersBusy = 0;     // 1 while All (folders) runs its batch
    Game m_game = Game::None;     // game choice
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
    // settings (1025); they read m_game and the level list only.
    void QuickLaunch();
    void ResetQuickLaunch();

protected:
    // Discovery, the lists with their first entries selected, the button
    // images and "Ready"; runs when the window is first shown.
    virtual bool OnInitDialog();

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The level list's entries, in list order (its typed text does not count).
    std::vector<std::string> levelEntries() const;
    // Makes the folders the choice needs and packs it behind the progress
    // dialog; a choice of nothing only sets "Ready". Names the plan refuses
    // (an empty field) are said in a box.
    void Pack(const PackChoice& choice);
    // Selects `index` of `list` again after a batch (-1 clears the field).
    static void Reselect(QComboBox* list, int index);

    QCheckBox* m_compressBox;       // 1015
    QPushButton* m_helpButton;      // 1012
    QPushButton* m_quickLaunchButton; // 1014
    QPushButton* m_resetButton;     // 1025
    bool m_initPending = true;
};

#pragma once
// The "Quick Launch Settings" dialog: the map, the gameplay mode and the
// debug choice for starting the game with the mod. With a complete settings
// file it does not show itself and starts the game at once. It draws and
// forwards: app/QuickLaunchLogic.h decides.

#include "game/QuickLaunchState.h"

#include <QDialog>

class Launcher;
class QCheckBox;
class QComboBox;

class CQuickLaunchDlg : public QDialog {
    Q_OBJECT

public:
    // The game is started through `launcher`, which must outlive the dialog.
    explicit CQuickLaunchDlg(Launcher& launcher, QWidget* parent = nullptr);

    // Fill m_gameExe and m_MapList before DoModal.
    QuickLaunchState& state() { return m_state; }
    const QuickLaunchState& state() const { return m_state; }

    // Loads the settings; with three or more recognised entries starts the
    // game and returns Accepted without showing the dialog, else runs it
    // modally and returns its result.
    int DoModal();
    // True when the last DoModal started the game without showing the dialog.
    bool startedAtOnce() const { return m_startedAtOnce; }

    // Starts the game at once when the settings are complete, else fills
    // the controls with their first-use choices. DoModal calls it.
    void OnInitDialog();

public slots:
    // OK and Enter: save, start, close.
    void accept() override;

private:
    // Shows a quick-launch error over the dialog, or over the main window
    // while the dialog is not shown.
    void showError(const std::string& text);

    Launcher& m_launcher;
    QuickLaunchState m_state;
    bool m_startedAtOnce = false;
    QCheckBox* m_useDebugCheck = nullptr;
    QComboBox* m_gpmCombo = nullptr;
    QComboBox* m_mapCombo = nullptr;
};

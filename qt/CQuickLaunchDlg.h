#pragma once
// The "Quick Launch Settings" dialog: the map, the gameplay mode and the
// debug choice for starting the game with the mod. With a complete settings
// file it does not show itself and starts the game at once.

#include "game/QuickLaunchState.h"
#include "game/SettingsFile.h"

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

    SettingsLoad LoadSettings();
    // Takes the choices from the controls into the state and writes the
    // settings file; a file that cannot be written is not reported.
    void SaveSettings();
    // Looks for the debug executable and enables "Use Debug Exe" accordingly.
    void CheckDebugExe();
    // Writes the map list and starts the game; failures are shown as "ERROR!".
    void LaunchGame();

    // Loads the settings; starts the game at once when they are complete,
    // else fills the controls with their first-use choices. DoModal calls it.
    void OnInitDialog();

public slots:
    // OK and Enter: save, start, close.
    void accept() override;

private:
    QWidget* messageParent();

    Launcher& m_launcher;
    QuickLaunchState m_state;
    bool m_startedAtOnce = false;
    QCheckBox* m_useDebugCheck = nullptr;
    QComboBox* m_gpmCombo = nullptr;
    QComboBox* m_mapCombo = nullptr;
};

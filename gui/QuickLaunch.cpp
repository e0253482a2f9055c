#include "gui/QuickLaunch.h"

#include "game/Discovery.h"
#include "game/SettingsFile.h"
#include "gui/CQuickLaunchDlg.h"
#include "gui/ProcessLauncher.h"
#include "gui/QuickLaunchError.h"

void QuickLaunch(QWidget* parent, int game, const QStringList& levels)
{
    ProcessLauncher launcher;
    QuickLaunch(parent, game, levels, launcher);
}

void QuickLaunch(QWidget* parent, int game, const QStringList& levels, Launcher& launcher)
{
    CQuickLaunchDlg dialog(launcher, parent);
    QuickLaunchState& state = dialog.state();
    state.m_gameExe = GameIdentifier(game);
    for (const QString& level : levels)
        state.m_MapList.push_back(level.toStdString());
    dialog.DoModal();
}

void ResetQuickLaunch(QWidget* parent, int game, const QStringList& levels)
{
    ProcessLauncher launcher;
    ResetQuickLaunch(parent, game, levels, launcher);
}

void ResetQuickLaunch(QWidget* parent, int game, const QStringList& levels, Launcher& launcher)
{
    // A settings file that cannot be deleted would start the game at once
    // with the old choices; say so rather than leave the user guessing.
    const std::string error = RemoveSettings();
    if (!error.empty())
        ShowQuickLaunchError(parent, QString::fromStdString(error));
    QuickLaunch(parent, game, levels, launcher);
}

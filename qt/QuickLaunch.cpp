#include "qt/QuickLaunch.h"

#include "game/Game.h"
#include "game/SettingsFile.h"
#include "qt/CQuickLaunchDlg.h"
#include "qt/ProcessLauncher.h"
#include "qt/QuickLaunchError.h"

void QuickLaunch(QWidget* parent, Game game, const std::vector<std::string>& levels)
{
    ProcessLauncher launcher;
    QuickLaunch(parent, game, levels, launcher);
}

void QuickLaunch(QWidget* parent, Game game, const std::vector<std::string>& levels, Launcher& launcher)
{
    CQuickLaunchDlg dialog(launcher, parent);
    QuickLaunchState& state = dialog.state();
    state.m_gameExe = GameIdentifier(game);
    state.m_MapList = levels;
    dialog.DoModal();
}

void ResetQuickLaunch(QWidget* parent, Game game, const std::vector<std::string>& levels)
{
    ProcessLauncher launcher;
    ResetQuickLaunch(parent, game, levels, launcher);
}

void ResetQuickLaunch(QWidget* parent, Game game, const std::vector<std::string>& levels, Launcher& launcher)
{
    // A settings file that cannot be deleted would start the game at once
    // with the old choices; say so rather than leave the user guessing.
    const std::string error = RemoveSettings();
    if (!error.empty())
        ShowQuickLaunchError(parent, QString::fromStdString(error));
    QuickLaunch(parent, game, levels, launcher);
}

#include "qt/QuickLaunch.h"

#include "app/QuickLaunchLogic.h"
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
    dialog.state() = QuickLaunchStateFor(game, levels);
    dialog.DoModal();
}

void ResetQuickLaunch(QWidget* parent, Game game, const std::vector<std::string>& levels)
{
    ProcessLauncher launcher;
    ResetQuickLaunch(parent, game, levels, launcher);
}

void ResetQuickLaunch(QWidget* parent, Game game, const std::vector<std::string>& levels, Launcher& launcher)
{
    ForgetQuickLaunchSettings([parent](const std::string& text) { ShowQuickLaunchError(parent, text); });
    QuickLaunch(parent, game, levels, launcher);
}

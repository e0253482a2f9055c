#pragma once
// The main window's two quick-launch buttons: "T" (QuickLaunch) and the
// small reset button (ResetQuickLaunch).

#include <QString>
#include <QStringList>

#include <functional>

class Launcher;
class QWidget;

// Runs the quick launch for game choice `game` (0, 1 or 2) with the level
// names of the main window's level list, in list order: with a complete
// settings file the game starts at once, else the "Quick Launch Settings"
// dialog is shown, modal over `parent`. The first form starts the game as a
// detached process; the second hands the start to `launcher`.
void QuickLaunch(QWidget* parent, int game, const QStringList& levels);
void QuickLaunch(QWidget* parent, int game, const QStringList& levels, Launcher& launcher);

// Deletes "_quickLaunch.cfg" (a missing file is no error; any other failure
// is shown), then runs QuickLaunch, which now shows the dialog.
void ResetQuickLaunch(QWidget* parent, int game, const QStringList& levels);
void ResetQuickLaunch(QWidget* parent, int game, const QStringList& levels, Launcher& launcher);

// Shows the quick launch's errors: title "ERROR!", the text, an error icon
// and an OK button. Tests replace the box with SetQuickLaunchErrorBox.
using QuickLaunchErrorBox = std::function<void(QWidget* parent, const QString& title, const QString& text)>;
void ShowQuickLaunchError(QWidget* parent, const QString& text);
// Installs `box` in place of the message box; an empty one restores it.
void SetQuickLaunchErrorBox(QuickLaunchErrorBox box);

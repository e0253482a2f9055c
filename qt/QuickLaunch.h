#pragma once
// The main window's two quick-launch buttons: "T" (QuickLaunch) and the
// small reset button (ResetQuickLaunch).

#include "game/Game.h"

#include <string>
#include <vector>

class Launcher;
class QWidget;

// Runs the quick launch for game choice `game` with the level
// names of the main window's level list, in list order and as the file
// system spells them: with a complete
// settings file the game starts at once, else the "Quick Launch Settings"
// dialog is shown, modal over `parent`. The first form starts the game as a
// detached process; the second hands the start to `launcher`.
void QuickLaunch(QWidget* parent, Game game, const std::vector<std::string>& levels);
void QuickLaunch(QWidget* parent, Game game, const std::vector<std::string>& levels, Launcher& launcher);

// Deletes "_quickLaunch.cfg" (a missing file is no error; any other failure
// is shown), then runs QuickLaunch, which now shows the dialog.
void ResetQuickLaunch(QWidget* parent, Game game, const std::vector<std::string>& levels);
void ResetQuickLaunch(QWidget* parent, Game game, const std::vector<std::string>& levels, Launcher& launcher);

#pragma once
// The folder the window tool works in, made the current directory before the
// main window opens. Started in a mod's Archives folder it works there;
// `kobpack-gui DIR` works in DIR as if started there. Started where there is
// nothing to pack, as from an application menu, which starts programs in the
// home folder, it asks once for the mod's Archives folder.

#include <QString>

#include <functional>

// Asks the user for a folder; returns "" when the user cancels.
using FolderChooser = std::function<QString()>;

enum class WorkFolderOutcome {
    Entered,   // the current directory is the folder to work in
    Cancelled, // the user cancelled the chooser: the tool quits
    Failed,    // the folder could not be entered; see the message
};

struct WorkFolderResult {
    WorkFolderOutcome outcome;
    QString message; // with Failed: names the folder and the reason
};

// Enters `folder` when it is not empty. Otherwise stays in the current
// directory, unless that is the home folder or the file system's root (never
// a mod's Archives folder, though discovery there finds the folders beside
// it) or discovery finds neither a level nor a folder to pack there; then
// `choose` is asked once, and the folder chosen is entered whatever it holds.
WorkFolderResult EnterWorkFolder(const QString& folder, const FolderChooser& choose);

// The desktop's folder chooser, asking for the mod's Archives folder.
QString AskForArchivesFolder();

// Tells the user why the tool does not start (a box, and a line on standard
// error) and returns the exit status: 0 after a cancel, 1 after a failure.
int ReportNoWorkFolder(const WorkFolderResult& result);

#pragma once
// The folder the window tool works in, made the current directory before the
// main window opens. Started in a mod's Archives folder it works there;
// `kobpack-gui DIR` works in DIR as if started there. Started where there is
// nothing to pack, as from an application menu, which starts programs in the
// home folder, it asks once for the mod's Archives folder. A folder not named
// Archives is used only when the user says so: the window would pack the
// folders beside it into it.

#include <QString>

#include <functional>

// Asks the user for a folder; returns "" when the user cancels.
using FolderChooser = std::function<QString()>;
// Asks the user the question given; true for Yes.
using FolderQuestion = std::function<bool(const QString& question)>;

enum class WorkFolderOutcome {
    Entered,   // the current directory is the folder to work in
    Cancelled, // the user cancelled the chooser or refused the folder: the tool quits
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
// The folder to work in, when it is not named Archives (in any case), is
// first put to `useAnyway`; No quits, or asks `choose` again when the folder
// came from it, and leaves the current directory as it was.
WorkFolderResult EnterWorkFolder(const QString& folder, const FolderChooser& choose, const FolderQuestion& useAnyway);

// The desktop's folder chooser, asking for the mod's Archives folder.
QString AskForArchivesFolder();
// A Yes/No box with the question (No is the default).
bool AskUseFolderAnyway(const QString& question);

// Tells the user why the tool does not start (a box, and a line on standard
// error) and returns the exit status: 0 after a cancel, 1 after a failure.
int ReportNoWorkFolder(const WorkFolderResult& result);

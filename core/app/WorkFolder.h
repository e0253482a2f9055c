#pragma once
// The folder a window works in, made the current directory before the main
// window opens. Started in a mod's Archives folder it works there; given a
// folder (kobpack-gui DIR) it works there. Started where there is nothing to
// pack, as from a menu or a desktop, which start programs in the home folder,
// it asks once for the mod's Archives folder. A folder not named Archives is
// used only when the user says so: the window would pack the folders beside
// it into it. Both windows start this way; each gives its own chooser and
// Yes/No box. Paths are bytes in the local encoding (the ANSI code page on
// Windows).

#include <functional>
#include <string>

// Asks the user for a folder; "" when the user cancels.
using FolderChooser = std::function<std::string()>;
// Asks the question given; true for Yes.
using FolderQuestion = std::function<bool(const std::string& question)>;

enum class WorkFolderOutcome {
    Entered,   // the current directory is the folder to work in
    Cancelled, // the user cancelled the chooser or refused the folder: the window quits
    Failed,    // the folder could not be entered; see the message
};

struct WorkFolderResult {
    WorkFolderOutcome outcome;
    std::string message; // with Failed: names the folder and the reason
};

// Enters `folder` when it is not empty. Otherwise stays in the current
// directory, unless that is the home folder or the file system's root (never
// a mod's Archives folder, though discovery there finds the folders beside
// it) or discovery finds neither a level nor a folder to pack there; then
// `choose` is asked, and the folder chosen is entered whatever it holds.
// The folder to work in, when it is not named Archives (in any case), is
// first put to `useAnyway`; No quits, or asks `choose` again when the folder
// came from it, and leaves the current directory as it was.
WorkFolderResult EnterWorkFolder(const std::string& folder, const FolderChooser& choose,
                                 const FolderQuestion& useAnyway);

// The chooser's title.
inline constexpr const char* kChooseArchivesTitle = "Choose your mod's Archives folder";

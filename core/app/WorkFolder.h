#pragma once
// The folder a window works in, made the current directory before the main
// window opens. Started in a mod's Archives folder it works there; given a
// folder (kobpack-gui DIR) it works there. Started anywhere else (where it
// was unpacked, a downloads folder, the home folder a menu starts it in) it
// goes straight to the chooser, with a line saying why. A folder not named
// Archives is used only when the user says so: the window would pack the
// folders beside it into it. Both windows start this way; each gives its own
// chooser and Yes/No box. Paths are bytes in the local encoding (the ANSI
// code page on Windows).

#include <functional>
#include <string>

// Asks the user for a folder, showing `why` (one line); "" when the user cancels.
using FolderChooser = std::function<std::string(const std::string& why)>;
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
// directory when it is named Archives (in any case) and discovery finds a
// level or a folder to pack there, else asks `choose` with the reason
// ("KobPack was started in ..."), and enters the folder chosen whatever it
// holds; Cancel quits. A folder to work in that is not named Archives is
// first put to `useAnyway`; No quits, or asks `choose` again when the folder
// came from it, and leaves the current directory as it was.
WorkFolderResult EnterWorkFolder(const std::string& folder, const FolderChooser& choose,
                                 const FolderQuestion& useAnyway);

// The chooser's title.
inline constexpr const char* kChooseArchivesTitle = "Choose your mod's Archives folder";

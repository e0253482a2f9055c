#pragma once
// How the window program starts, the same on both systems: what its
// arguments ask for (archives to look into, or the folder to work in), the
// folder it works in (app/WorkFolder.h), what the user is told when that
// fails, and the exit status. Each window gives its own boxes, chooser and
// windows; options such as --help are its toolkit's.

#include "app/WorkFolder.h"

#include <functional>
#include <string>
#include <vector>

struct WindowProgram {
    // One window for each archive; returns the exit status.
    std::function<int(const std::vector<std::string>& archives)> lookIntoArchives;
    FolderChooser choose;
    FolderQuestion useAnyway;
    // The "ERROR!" box, waited for.
    std::function<void(const std::string& text)> showError;
    // Tells the user the arguments are wrong (a line on standard error, or a box).
    std::function<void(const std::string& text)> showUsageError;
    // Runs the main window in the current directory until it closes.
    std::function<void()> runMainWindow;
};

// Exit status after arguments the program cannot use.
inline constexpr int kUsageErrorStatus = 2;

// `arguments` (the program's name and the toolkit's options left out): when
// the first names an archive (IsArchiveArgument), every one is looked into.
// Otherwise at most one, DIR, the folder to work in: EnterWorkFolder with
// it, or with none. The main window runs once the folder is entered; a
// folder that cannot be entered is shown in the "ERROR!" box, naming the
// folder and the reason, and ends the program with status 1; a cancel ends
// it with 0, silently. More than one DIR is a usage error ("give at most one
// DIR", status kUsageErrorStatus). Returns the exit status.
int RunWindowProgram(const std::vector<std::string>& arguments, const WindowProgram& program);

#pragma once
// Where KobPack.exe works: the core decides (app/WorkFolder.h); this gives
// it the system's folder chooser and the Yes/No question.

#include "app/WorkFolder.h"

// The system's folder chooser (IFileDialog with FOS_PICKFOLDERS) asking for
// the mod's Archives folder, with the line `why` in it; "" when cancelled.
std::string AskForArchivesFolder(const std::string& why);
// The same chooser with another title (the archive window's folders), and
// the line `why` when there is one.
std::string AskForFolder(const std::string& title, const std::string& why = "");
// A Yes/No box with the question (No is the default).
bool AskUseFolderAnyway(const std::string& question);

#pragma once
// The Qt side of choosing the folder to work in (app/WindowStart.h decides):
// the folder chooser, the Yes/No question and the box that says why the tool
// does not start.

#include "app/WorkFolder.h"

#include <QString>

// The folder chooser, asking for the mod's Archives folder with the line
// `why` below its buttons; "" on Cancel.
std::string AskForArchivesFolder(const std::string& why);
// A Yes/No box with the question (No is the default).
bool AskUseFolderAnyway(const std::string& question);

// The "ERROR!" box that says why the tool does not start.
void ShowStartError(const std::string& text);

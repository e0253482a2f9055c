#pragma once
// The Qt side of choosing the folder to work in (app/WorkFolder.h decides):
// the desktop's folder chooser, the Yes/No question and the box that says
// why the tool does not start.

#include "app/WorkFolder.h"

#include <QString>

// EnterWorkFolder with `folder` from the command line, the desktop's chooser
// and a Yes/No box.
WorkFolderResult EnterWorkFolder(const QString& folder);

// The folder chooser, asking for the mod's Archives folder with the line
// `why` below its buttons; "" on Cancel.
std::string AskForArchivesFolder(const std::string& why);
// A Yes/No box with the question (No is the default).
bool AskUseFolderAnyway(const std::string& question);

// Tells the user why the tool does not start (a box, and a line on standard
// error) and returns the exit status: 0 after a cancel, 1 after a failure.
int ReportNoWorkFolder(const WorkFolderResult& result);

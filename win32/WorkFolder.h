#pragma once
// The folder KobPack.exe works in: the folder it starts in (a double-click
// starts it in its own folder, the mod's Archives folder); where there is
// nothing to pack, the folder the user picks once in the system's chooser.

#include <windows.h>

#include <string>

// The system's folder chooser (IFileDialog, FOS_PICKFOLDERS) asking for the
// mod's Archives folder; "" when cancelled.
std::wstring AskForArchivesFolder();
// A Yes/No box with the question (No is the default).
bool AskUseFolderAnyway(const std::wstring& question);

// Makes the folder to work in current. False when the user cancelled or the
// folder could not be entered (already said in a box): the tool quits.
bool EnterWorkFolder();

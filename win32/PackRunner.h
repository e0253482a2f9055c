#pragma once
// Runs a batch behind the modal progress dialog, with the main window's
// status line reading "Please Wait..." meanwhile and "Ready" after, and shows
// in one box what went wrong.

#include <windows.h>

#include <string>
#include <vector>

// Packs `names` in order; an empty list opens no dialog and only sets
// "Ready". Returns the batch result (0 when nothing ran).
int PackList(HWND window, HWND statusLine, const std::vector<std::string>& names, int compress);

// The box after a batch that did not go well; nothing when `text` is empty.
void ShowPackProblems(HWND owner, const std::string& text);

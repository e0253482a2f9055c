#pragma once
// Seams for the window's tests: every dialog tells a hook when it has
// opened, so a test can drive a modal dialog from inside its own loop, and
// message boxes go through one function a test can replace.

#include <windows.h>

#include <functional>
#include <string>

// Called at the end of each dialog's WM_INITDIALOG with the dialog and its
// template number.
using DialogOpenedHook = std::function<void(HWND dialog, int templateId)>;
void SetDialogOpenedHook(DialogOpenedHook hook);
void NotifyDialogOpened(HWND dialog, int templateId);

// Shows a message box (MessageBoxW) and returns the button pressed; with a
// hook set, the hook answers instead and no box is shown.
using MessageBoxHook = std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);

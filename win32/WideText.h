#pragma once
// The core's names are bytes in the system's ANSI code page, as the game
// reads them; the window's controls hold UTF-16. These convert between the
// two at the window's edge.

#include <windows.h>

#include <string>

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

// A window's or control's text, as UTF-16 and as code-page bytes.
std::wstring WindowTextW(HWND window);
std::string WindowBytes(HWND window);
void SetWindowBytes(HWND window, const std::string& text);

#pragma once
// Binds a dialog box to the object that handles it: the object comes as the
// creation parameter, is kept in DWLP_USER and gets WM_INITDIALOG as
// OnInitDialog(dialog) and every later message as HandleMessage(...).

#include <windows.h>

template <class Dialog>
INT_PTR CALLBACK BoundDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return reinterpret_cast<Dialog*>(lParam)->OnInitDialog(dialog);
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->HandleMessage(dialog, message, wParam, lParam) : FALSE;
}

// Runs the template `id` modally over `owner`, handled by `handler`.
template <class Dialog>
INT_PTR RunDialog(int id, HWND owner, Dialog& handler)
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), owner, BoundDialogProc<Dialog>,
                           LPARAM(&handler));
}

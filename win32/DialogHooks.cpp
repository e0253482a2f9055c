#include "win32/DialogHooks.h"

namespace {

DialogOpenedHook& openedHook()
{
    static DialogOpenedHook hook;
    return hook;
}

MessageBoxHook& boxHook()
{
    static MessageBoxHook hook;
    return hook;
}

} // namespace

void SetDialogOpenedHook(DialogOpenedHook hook)
{
    openedHook() = std::move(hook);
}

void NotifyDialogOpened(HWND dialog, int templateId)
{
    if (openedHook())
        openedHook()(dialog, templateId);
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    boxHook() = std::move(hook);
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)
{
    if (boxHook())
        return boxHook()(owner, text, caption, type);
    return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

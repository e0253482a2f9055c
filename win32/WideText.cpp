#include "win32/WideText.h"

#include "platform/WideText.h"

std::wstring Widen(const std::string& text)
{
    return platform::toWide(text);
}

std::string Narrow(const std::wstring& text)
{
    bool exact = true; // a character the code page lacks becomes its default character
    return platform::toNarrow(text, exact);
}

std::wstring WindowTextW(HWND window)
{
    std::wstring text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

std::string WindowBytes(HWND window)
{
    return Narrow(WindowTextW(window));
}

void SetWindowBytes(HWND window, const std::string& text)
{
    SetWindowTextW(window, Widen(text).c_str());
}

#include "win32/BitmapButton.h"

#include "win32/resource.h"

#include <initializer_list>

CBitmapButton::~CBitmapButton()
{
    release();
}

void CBitmapButton::release()
{
    for (HBITMAP* image : {&m_normal, &m_pressed, &m_focused}) {
        if (*image)
            DeleteObject(*image);
        *image = nullptr;
    }
}

void CBitmapButton::LoadBitmaps(HINSTANCE instance, int normal, int pressed, int focused, UINT dpi)
{
    release();
    // The largest drawing not larger than the dialog's scale.
    const int offset = IDB_SCALE_STEP * (dpi >= 192 ? 3 : dpi >= 144 ? 2 : dpi >= 120 ? 1 : 0);
    const auto load = [&](int id) {
        const HBITMAP scaled = offset ? LoadBitmapW(instance, MAKEINTRESOURCEW(id + offset)) : nullptr;
        return scaled ? scaled : LoadBitmapW(instance, MAKEINTRESOURCEW(id));
    };
    m_normal = load(normal);
    m_pressed = load(pressed);
    m_focused = load(focused);
}

UINT DialogDpi(HWND dialog)
{
    // Per monitor where the system says so (Windows 10), else the system's.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    const auto forWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (const UINT dpi = forWindow ? forWindow(dialog) : 0)
        return dpi;
    const HDC screen = GetDC(dialog);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(dialog, screen);
    return dpi > 0 ? UINT(dpi) : 96;
}

HBITMAP CBitmapButton::ImageFor(UINT state) const
{
    if ((state & ODS_SELECTED) && m_pressed)
        return m_pressed;
    if ((state & ODS_FOCUS) && m_focused)
        return m_focused;
    return m_normal;
}

void CBitmapButton::DrawItem(const DRAWITEMSTRUCT& item) const
{
    const HBITMAP image = ImageFor(item.itemState);
    if (!image)
        return;
    const RECT& area = item.rcItem;
    BITMAP size{};
    GetObjectW(image, sizeof size, &size);
    // What the image does not cover shows the dialog's face.
    FillRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
    const HDC source = CreateCompatibleDC(item.hDC);
    const HGDIOBJ old = SelectObject(source, image);
    const LONG width = size.bmWidth < area.right - area.left ? size.bmWidth : area.right - area.left;
    const LONG height = size.bmHeight < area.bottom - area.top ? size.bmHeight : area.bottom - area.top;
    BitBlt(item.hDC, area.left, area.top, width, height, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

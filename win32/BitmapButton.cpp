#include "win32/BitmapButton.h"

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

void CBitmapButton::LoadBitmaps(HINSTANCE instance, int normal, int pressed, int focused)
{
    release();
    m_normal = LoadBitmapW(instance, MAKEINTRESOURCEW(normal));
    m_pressed = LoadBitmapW(instance, MAKEINTRESOURCEW(pressed));
    m_focused = LoadBitmapW(instance, MAKEINTRESOURCEW(focused));
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

#pragma once
// An owner-drawn button that shows images instead of its text: the pressed
// image while pressed, else the focused image while it has the focus, else
// the normal one, copied unscaled from the top-left corner and clipped to
// the button. The images are those drawn for the dialog's scale (its dots
// per inch), so they fill a larger button as sharply as a small one.

#include <windows.h>

class CBitmapButton {
public:
    CBitmapButton() = default;
    ~CBitmapButton();
    CBitmapButton(const CBitmapButton&) = delete;
    CBitmapButton& operator=(const CBitmapButton&) = delete;

    // Loads the images from the program's bitmap resources, those drawn for
    // `dpi` where there are (IDB_SCALE_STEP apart: 120, 144, 192 dpi).
    void LoadBitmaps(HINSTANCE instance, int normal, int pressed, int focused, UINT dpi = 96);
    // Draws the button for WM_DRAWITEM.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

    // The image the button shows in `state` (ODS_SELECTED, ODS_FOCUS).
    HBITMAP ImageFor(UINT state) const;

private:
    void release();

    HBITMAP m_normal = nullptr;
    HBITMAP m_pressed = nullptr;
    HBITMAP m_focused = nullptr;
};

// The dots per inch `dialog` is drawn at.
UINT DialogDpi(HWND dialog);

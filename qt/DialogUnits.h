#pragma once
// Dialog layouts are given in dialog units, which scale with the dialog's
// font: 4 horizontal units are the font's average character width and 8
// vertical units its height, so a layout keeps its proportions on any font.
// Every control carries its item number as the property "controlId".

#include <QFont>
#include <QRect>
#include <QVariant>
#include <QWidget>

inline constexpr const char* kControlIdProperty = "controlId";

// The font the tool's dialogs are laid out in: 8-point sans serif.
QFont DialogFont();
// Makes DialogFont() the application's font. Every dialog and message box
// takes its font from there, with a parent or without: a window does not
// inherit its parent's font. Needs a QApplication.
void InstallDialogFont();

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int baseX() const { return m_baseX; } // average character width in pixels
    int baseY() const { return m_baseY; } // font height in pixels
    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(int x, int y, int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
};

// Gives `control` the item number `id` (-1 for a control without one) and
// its place, in dialog units.
void PlaceControl(QWidget* control, int id, const DialogUnits& units, int x, int y, int width, int height);

// The child of `dialog` with item number `id` and type T, or nullptr.
template <class T = QWidget>
T* FindControl(const QWidget* dialog, int id)
{
    for (T* child : dialog->findChildren<T*>()) {
        const QVariant value = child->property(kControlIdProperty);
        if (value.isValid() && value.toInt() == id)
            return child;
    }
    return nullptr;
}

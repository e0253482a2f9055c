#pragma once
// A button drawn from images: the pressed image while it is pressed, else
// the focused image while it has the focus, else the normal one. The image
// is copied from the button's top-left corner, unscaled and clipped; the
// button keeps its own size. Its text is not drawn (the images carry it).
// With the focus, a dotted frame is drawn over the image, so a keyboard user
// sees where Tab went; the images themselves have no focused look.

#include <QAbstractButton>
#include <QPixmap>

class QPainter;

class CBitmapButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit CBitmapButton(const QString& text, QWidget* parent = nullptr);

    // Loads the images from their resource paths; an empty path means none
    // (the normal image stands in). Returns false when the normal image
    // cannot be loaded; the button then draws itself as a plain button.
    bool LoadBitmaps(const QString& normal, const QString& pressed = {}, const QString& focused = {},
                     const QString& disabled = {});

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QPixmap& currentImage() const;
    static void drawFocusFrame(QPainter& painter, const QRect& plate);

    QPixmap m_normal;
    QPixmap m_pressed;
    QPixmap m_focused;
    QPixmap m_disabled;
};

#include "qt/BitmapButton.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

CBitmapButton::CBitmapButton(const QString& text, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(text);
    setFocusPolicy(Qt::StrongFocus);
}

bool CBitmapButton::LoadBitmaps(const QString& normal, const QString& pressed, const QString& focused,
                                const QString& disabled)
{
    const auto load = [](const QString& path) { return path.isEmpty() ? QPixmap() : QPixmap(path); };
    m_normal = load(normal);
    m_pressed = load(pressed);
    m_focused = load(focused);
    m_disabled = load(disabled);
    update();
    return !m_normal.isNull();
}

QSize CBitmapButton::sizeHint() const
{
    return m_normal.isNull() ? QSize(75, 23) : m_normal.deviceIndependentSize().toSize();
}

const QPixmap& CBitmapButton::currentImage() const
{
    if (!isEnabled() && !m_disabled.isNull())
        return m_disabled;
    if (isDown() && !m_pressed.isNull())
        return m_pressed;
    if (hasFocus() && !m_focused.isNull())
        return m_focused;
    return m_normal;
}

void CBitmapButton::paintEvent(QPaintEvent*)
{
    const QPixmap& image = currentImage();
    if (image.isNull()) {
        QStylePainter painter(this);
        QStyleOptionButton option;
        option.initFrom(this);
        option.text = text();
        if (isDown())
            option.state |= QStyle::State_Sunken;
        painter.drawControl(QStyle::CE_PushButton, option);
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, image);
    if (hasFocus())
        drawFocusFrame(painter, rect().intersected(QRect(QPoint(0, 0), image.deviceIndependentSize().toSize())));
}

void CBitmapButton::drawFocusFrame(QPainter& painter, const QRect& plate)
{
    // Inside the plate's bevel; black dots on a white line show on any plate.
    const QRect frame = plate.adjusted(3, 3, -4, -4);
    if (frame.width() < 1 || frame.height() < 1)
        return;
    painter.setPen(QPen(Qt::white, 0));
    painter.drawRect(frame);
    painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
    painter.drawRect(frame);
}

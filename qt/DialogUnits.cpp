#include "qt/DialogUnits.h"

#include <QApplication>
#include <QFontMetrics>

#include <algorithm>

namespace {

// Rounds units * base / divisor to the nearest pixel, halves away from zero.
int scale(int units, int base, int divisor)
{
    const long long product = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor : (product - half) / divisor);
}

} // namespace

QFont DialogFont()
{
    QFont font;
    // The layouts were drawn for an 8-point sans serif; where that family is
    // missing, the nearest sans serif of the same size keeps them in shape.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

void InstallDialogFont()
{
    QApplication::setFont(DialogFont());
}

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width of the 52 letters, rounded half up, as dialog
    // templates have always measured it.
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1, (letters / 26 + 1) / 2);
    m_baseY = std::max(1, metrics.height());
}

int DialogUnits::toPixelsX(int units) const
{
    return scale(units, m_baseX, 4);
}

int DialogUnits::toPixelsY(int units) const
{
    return scale(units, m_baseY, 8);
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const
{
    return QRect(toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height));
}

void PlaceControl(QWidget* control, int id, const DialogUnits& units, int x, int y, int width, int height)
{
    control->setProperty(kControlIdProperty, id);
    control->setGeometry(units.toPixels(x, y, width, height));
}

#include "qt/QtPackControls.h"

#include "qt/ByteNames.h"

#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <climits>

namespace {

int toInt(uint32_t value)
{
    return static_cast<int>(std::min<uint32_t>(value, INT_MAX));
}

} // namespace

QString LiteralCaption(const QString& text)
{
    QString caption = text;
    // Qt shows a doubled marker as one literal "[*]".
    caption.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    return caption;
}

QtPackControls::QtPackControls(QWidget* window, QLabel* upperLine, QLabel* lowerLine, QProgressBar* bar)
    : m_window(window)
    , m_upperLine(upperLine)
    , m_lowerLine(lowerLine)
    , m_bar(bar)
{
}

void QtPackControls::apply(std::function<void()> update)
{
    if (QThread::currentThread() == m_window->thread())
        update();
    else
        QMetaObject::invokeMethod(m_window, std::move(update), Qt::BlockingQueuedConnection);
}

void QtPackControls::setCaption(const std::string& text)
{
    apply([this, caption = LiteralCaption(FromLocalBytes(text))] { m_window->setWindowTitle(caption); });
}

void QtPackControls::setUpperLine(const std::string& text)
{
    apply([this, line = FromLocalBytes(text)] { m_upperLine->setText(line); });
}

void QtPackControls::setLowerLine(const std::string& text)
{
    apply([this, line = FromLocalBytes(text)] { m_lowerLine->setText(line); });
}

void QtPackControls::setRange(uint32_t lower, uint32_t upper)
{
    // The whole 32-bit range is kept, so a folder of more than 65535 files
    // still fills the bar in step.
    apply([this, low = toInt(lower), high = toInt(upper)] {
        const int position = m_bar->value();
        // An empty range (0 .. 0) would make the bar run its busy animation
        // instead of standing empty.
        const int top = high > low || low == INT_MAX ? high : low + 1;
        m_bar->setRange(low, std::max(top, low));
        m_bar->setValue(std::clamp(position, m_bar->minimum(), m_bar->maximum()));
    });
}

void QtPackControls::setPosition(uint32_t position)
{
    apply([this, value = toInt(position)] {
        m_bar->setValue(std::clamp(value, m_bar->minimum(), m_bar->maximum()));
    });
}

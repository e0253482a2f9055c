#pragma once
// The progress display of a running batch, drawn by Qt widgets. The pack job
// calls it from the worker thread; each call is carried out on the widgets'
// own (UI) thread, in the order issued, and returns once it has been applied.
// Called on the UI thread itself, it applies the change at once.

#include "pack/PackControls.h"

#include <QString>

#include <functional>

class QLabel;
class QProgressBar;
class QWidget;

class QtPackControls : public PackControls {
public:
    // `window` gets the caption; the widgets must outlive every call.
    QtPackControls(QWidget* window, QLabel* upperLine, QLabel* lowerLine, QProgressBar* bar);

    void setCaption(const std::string& text) override;
    void setUpperLine(const std::string& text) override;
    void setLowerLine(const std::string& text) override;
    void setRange(uint32_t lower, uint32_t upper) override;
    void setPosition(uint32_t position) override;

private:
    void apply(std::function<void()> update);

    QWidget* m_window;
    QLabel* m_upperLine;
    QLabel* m_lowerLine;
    QProgressBar* m_bar;
};

// `text` as a window caption that shows it literally: Qt would otherwise
// take "[*]" in a file name for its unsaved-changes marker.
QString LiteralCaption(const QString& text);

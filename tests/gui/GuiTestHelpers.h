#pragma once
// Helpers of the window tests. No test may hang on a modal dialog: a
// watchdog fails the test and closes whatever is left open, and dialogs the
// test means to answer are answered through a timer.

#include "archive/PackJob.h"
#include "batch/PackProgressDlg.h"

#include <QApplication>
#include <QDialog>
#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kobtest {

// Fails the test when it is still running after `seconds`, and from then on
// ends every modal run (a batch is cancelled first) so the test returns.
class Watchdog {
public:
    explicit Watchdog(int seconds = 60)
    {
        m_timer.setInterval(seconds * 1000);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (!m_fired)
                ADD_FAILURE() << "a dialog was still open when the watchdog fired";
            m_fired = true;
            m_timer.setInterval(50);
            g_cancelPack.store(1);
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->QDialog::done(QDialog::Rejected);
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
    bool m_fired = false;
};

// Runs `answer` once on the first modal widget that opens from now on.
inline void whenModal(std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start();
}

// Records every progress dialog that opens while it lives, and what its
// caption and bar show, in order: "caption:TEXT" and "pos:N of MAX". The
// bar reports changes of its value only, so a position equal to the last one
// is not seen.
class BatchWatch : public QObject {
public:
    BatchWatch() { qApp->installEventFilter(this); }
    ~BatchWatch() override { qApp->removeEventFilter(this); }

    int dialogs = 0;
    std::vector<std::string> log;
    // Runs after each recorded line, with the dialog it came from.
    std::function<void(CPackProgressDlg&, const std::string&)> onLine;

    std::vector<std::string> only(const std::string& prefix) const
    {
        std::vector<std::string> lines;
        for (const std::string& line : log)
            if (line.rfind(prefix, 0) == 0)
                lines.push_back(line.substr(prefix.size()));
        return lines;
    }

    // Watches one dialog directly (needed when it is shown before the watch
    // sees it, or to watch it from its first update).
    void watch(CPackProgressDlg* dialog)
    {
        if (dialog->property(kSeen).toBool())
            return;
        dialog->setProperty(kSeen, true);
        ++dialogs;
        QObject::connect(dialog, &QWidget::windowTitleChanged, this,
                         [this, dialog](const QString& title) { add(*dialog, "caption:" + title.toStdString()); });
        QObject::connect(dialog->m_progress, &QProgressBar::valueChanged, this, [this, dialog](int value) {
            add(*dialog, "pos:" + std::to_string(value) + " of " + std::to_string(dialog->m_progress->maximum()));
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<CPackProgressDlg*>(watched))
                watch(dialog);
        return false;
    }

private:
    void add(CPackProgressDlg& dialog, const std::string& line)
    {
        log.push_back(line);
        if (onLine)
            onLine(dialog, line);
    }

    static constexpr const char* kSeen = "kobtestWatched";
};

} // namespace kobtest

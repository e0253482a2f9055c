#pragma once
// Helpers of the window tests. No test may hang on a modal dialog: a watchdog fails the test
// and ends whatever is left open, and dialogs a test answers are answered through a timer.

#include "qt/DialogUnits.h"
#include "qt/PackProgressDlg.h"
#include "pack/PackJob.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace kobtest {

// Fails the test when it still runs after `seconds`, and from then on ends
// every modal run (a progress dialog that ends cancels its batch) so that
// the test returns.
class Watchdog : public QTimer {
public:
    explicit Watchdog(int seconds = 60)
    {
        connect(this, &QTimer::timeout, [this] {
            if (interval() != 50) // not fired before
                ADD_FAILURE() << "a dialog was still open when the watchdog fired";
            setInterval(50);
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->QDialog::done(QDialog::Rejected);
        });
        start(seconds * 1000);
    }
};

// Runs `answer` on the first modal widget that opens while it lives, or with
// `every` on each one.
class WhenModal : public QTimer {
public:
    explicit WhenModal(std::function<void(QWidget*)> answer, bool every = false)
    {
        connect(this, &QTimer::timeout, [this, answer, every] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible())
                every ? void() : stop(), answer(modal);
        });
        start(10);
    }
};

// Records each message box that opens while it lives as "CAPTION|TEXT", and closes it.
struct BoxRecorder : WhenModal {
    Strings boxes;
    BoxRecorder()
        : WhenModal([this](QWidget* modal) {
              if (auto* box = qobject_cast<QMessageBox*>(modal))
                  boxes.push_back((box->windowTitle() + "|" + box->text()).toStdString()), box->done(0);
          }, true) {}
};

inline void press(const QWidget* dialog, int id) { FindControl<QAbstractButton>(dialog, id)->click(); }
inline QString textOf(const QWidget* dialog, int id) { return FindControl(dialog, id)->property("text").toString(); }

// A list's entries and, after ">", its current text: "alpine,Bay>alpine".
inline std::string choices(const QComboBox* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->itemText(i);
    return (entries.join(",") + ">" + list->currentText()).toStdString();
}

// A quick-launch settings file as the dialog writes it.
inline std::string settingsText(const std::string& map, const std::string& exe, int debug)
{
    return "m_MapName\r\n" + map + "\r\n\r\nm_gpmString\r\nGPM_CQ\r\n\r\nm_gameExe\r\n" + exe + "\r\n\r\nm_UseDebug\r\n"
        + std::to_string(debug) + "\r\n\r\n";
}

// Records, in order, the caption ("caption:TEXT") and bar ("pos:N of MAX") changes of every
// progress dialog shown while it lives (the bar reports changes only); `onLine` runs after each.
class BatchWatch : public QObject {
public:
    BatchWatch() { qApp->installEventFilter(this); }
    ~BatchWatch() override { qApp->removeEventFilter(this); }
    Strings log, captions;
    std::function<void(CPackProgressDlg&, const std::string&)> onLine;

protected:
    // Sees a dialog's show before the dialog does, so before its worker starts.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = event->type() == QEvent::Show && !event->spontaneous() ? qobject_cast<CPackProgressDlg*>(watched) : nullptr;
        const auto add = [this, dialog](const std::string& line) {
            log.push_back(line);
            if (onLine)
                onLine(*dialog, line);
        };
        if (dialog) {
            connect(dialog, &QWidget::windowTitleChanged, this, [this, add](const QString& title) {
                captions.push_back(title.toStdString());
                add("caption:" + captions.back());
            });
            connect(dialog->m_progress, &QProgressBar::valueChanged, this, [add, dialog](int value) {
                add("pos:" + std::to_string(value) + " of " + std::to_string(dialog->m_progress->maximum()));
            });
        }
        return false;
    }
};

} // namespace kobtest

#include "qt/PackRunner.h"

#include "app/BatchReport.h"
#include "qt/PackProgressDlg.h"
#include "qt/QtPackControls.h"

#include <QLabel>
#include <QMessageBox>

int PackList(const std::vector<std::string>& names, int compress, QLabel& statusLine)
{
    if (names.empty()) {
        statusLine.setText(QString::fromLatin1(kStatusReady));
        return 0;
    }
    statusLine.setText(QString::fromLatin1(kStatusPleaseWait));
    int result = 0;
    kob::BatchReport report; // read once the dialog has joined its worker
    {
        // Parented to the window only so that it opens centred over it.
        CPackProgressDlg dialog(statusLine.window());
        dialog.m_compress = compress;
        dialog.m_names = names;
        dialog.m_report = &report;
        dialog.exec();
        result = dialog.m_result;
    }
    statusLine.setText(QString::fromLatin1(kStatusReady));
    ShowPackProblems(statusLine.window(), report.failureText());
    return result;
}

void ShowPackProblems(QWidget* parent, const std::string& text)
{
    if (text.empty())
        return;
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kBatchReportCaption), FromLocalBytes(text),
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int PackOne(const std::optional<std::string>& name, int compress, QLabel& statusLine)
{
    if (!name) {
        statusLine.setText(QString::fromLatin1(kStatusReady));
        return 0;
    }
    return PackList({*name}, compress, statusLine);
}

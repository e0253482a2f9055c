#include "qt/PackRunner.h"

#include "qt/PackProgressDlg.h"
#include "qt/QtPackControls.h"

#include <QMessageBox>

void RunBatchDialog(const std::vector<std::string>& names, bool compress, kob::BatchReport& report,
                    const kob::PackContext& context, QWidget* parent)
{
    // Parented to the window only so that it opens centred over it.
    CPackProgressDlg dialog(parent);
    dialog.m_compress = compress;
    dialog.m_names = names;
    dialog.m_report = &report;
    dialog.m_context = context;
    dialog.exec();
}

void ShowPackProblems(QWidget* parent, const char* caption, const std::string& text)
{
    if (text.empty())
        return;
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(caption), FromLocalBytes(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

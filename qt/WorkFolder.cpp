#include "qt/WorkFolder.h"

#include "app/WindowTexts.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>

#include <cstdio>

WorkFolderResult EnterWorkFolder(const QString& folder)
{
    return EnterWorkFolder(QFile::encodeName(folder).toStdString(), AskForArchivesFolder, AskUseFolderAnyway);
}

std::string AskForArchivesFolder(const std::string& why)
{
    // Qt's own chooser, which has room for the reason; a desktop's has none.
    QFileDialog dialog(nullptr, QString::fromUtf8(kChooseArchivesTitle), QDir::homePath());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        auto* reason = new QLabel(QFile::decodeName(why.c_str()), &dialog);
        reason->setObjectName(QStringLiteral("chooserReason"));
        reason->setWordWrap(true);
        grid->addWidget(reason, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

bool AskUseFolderAnyway(const std::string& question)
{
    return QMessageBox::question(nullptr, QString::fromUtf8(kMainWindowCaption), QFile::decodeName(question.c_str()),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

int ReportNoWorkFolder(const WorkFolderResult& result)
{
    if (result.outcome != WorkFolderOutcome::Failed)
        return 0;
    std::fprintf(stderr, "kobpack-gui: %s\n", result.message.c_str());
    QMessageBox::critical(nullptr, QString::fromUtf8(kErrorCaption), QFile::decodeName(result.message.c_str()), QMessageBox::Ok);
    return 1;
}

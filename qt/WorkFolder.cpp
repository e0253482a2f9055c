#include "qt/WorkFolder.h"

#include "app/WindowTexts.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <cstdio>

WorkFolderResult EnterWorkFolder(const QString& folder)
{
    return EnterWorkFolder(QFile::encodeName(folder).toStdString(), AskForArchivesFolder, AskUseFolderAnyway);
}

std::string AskForArchivesFolder()
{
    const QString chosen = QFileDialog::getExistingDirectory(nullptr, QString::fromUtf8(kChooseArchivesTitle), QDir::homePath());
    return QFile::encodeName(chosen).toStdString();
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

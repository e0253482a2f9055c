#include "qt/WorkFolder.h"

#include "app/WindowTexts.h"
#include "qt/ByteNames.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>


std::string AskForArchivesFolder(const std::string& why)
{
    // Qt's own chooser, which has room for the reason; a desktop's has none.
    QFileDialog dialog(nullptr, QString::fromUtf8(kChooseArchivesTitle), QDir::homePath());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        auto* reason = new QLabel(FromLocalBytes(why), &dialog);
        reason->setObjectName(QStringLiteral("chooserReason"));
        reason->setWordWrap(true);
        grid->addWidget(reason, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return ToLocalBytes(dialog.selectedFiles().constFirst());
}

bool AskUseFolderAnyway(const std::string& question)
{
    return QMessageBox::question(nullptr, QString::fromUtf8(kMainWindowCaption), FromLocalBytes(question),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void ShowStartError(const std::string& text)
{
    QMessageBox::critical(nullptr, QString::fromUtf8(kErrorCaption), FromLocalBytes(text), QMessageBox::Ok);
}

#include "qt/QuickLaunchError.h"

#include "app/WindowTexts.h"
#include "qt/ByteNames.h"

#include <QMessageBox>

namespace {

QuickLaunchErrorBox& errorBox()
{
    static QuickLaunchErrorBox box;
    return box;
}

} // namespace

void ShowQuickLaunchError(QWidget* parent, const std::string& text)
{
    const QString title = QString::fromUtf8(kErrorCaption);
    if (errorBox())
        errorBox()(parent, title, FromLocalBytes(text));
    else
        QMessageBox::critical(parent, title, FromLocalBytes(text), QMessageBox::Ok);
}

void SetQuickLaunchErrorBox(QuickLaunchErrorBox box)
{
    errorBox() = std::move(box);
}

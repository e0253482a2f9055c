#include "qt/QuickLaunchError.h"

#include "app/WindowTexts.h"

#include <QMessageBox>

namespace {

QuickLaunchErrorBox& errorBox()
{
    static QuickLaunchErrorBox box;
    return box;
}

} // namespace

void ShowQuickLaunchError(QWidget* parent, const QString& text)
{
    const QString title = QString::fromUtf8(kErrorCaption);
    if (errorBox())
        errorBox()(parent, title, text);
    else
        QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

void SetQuickLaunchErrorBox(QuickLaunchErrorBox box)
{
    errorBox() = std::move(box);
}

#pragma once
// The quick launch's error box, shared by the two buttons and the dialog.

#include <QString>

#include <functional>
#include <string>

class QWidget;

// Shows the quick launch's errors: title "ERROR!", the text, an error icon
// and an OK button. Tests replace the box with SetQuickLaunchErrorBox.
using QuickLaunchErrorBox = std::function<void(QWidget* parent, const QString& title, const QString& text)>;
void ShowQuickLaunchError(QWidget* parent, const std::string& text);
// Installs `box` in place of the message box; an empty one restores it.
void SetQuickLaunchErrorBox(QuickLaunchErrorBox box);

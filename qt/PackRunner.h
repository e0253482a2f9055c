#pragma once
// How the main window packs: a batch of pack names runs behind the modal
// progress dialog, while the window's status line reads "Please Wait...";
// afterwards it reads "Ready", and one box lists the archives that were not
// written whole, if any were.

#include "app/WindowTexts.h"

#include <optional>
#include <string>
#include <vector>

class QLabel;
class QWidget;


// Packs `names` in order ("../NAME" into "NAME.kob") with the compress
// switch `compress`, and returns once the progress dialog has closed. An
// empty list opens no dialog. Returns the batch result: 1, -1 when it was
// cancelled, 0 when no batch ran.
int PackList(const std::vector<std::string>& names, int compress, QLabel& statusLine);

// PackList for the one name given; with no name only sets "Ready".
int PackOne(const std::optional<std::string>& name, int compress, QLabel& statusLine);

// Shows `text`, what went wrong in a batch or why nothing was packed, in a
// warning box over `parent`; an empty text shows nothing.
void ShowPackProblems(QWidget* parent, const std::string& text);

#pragma once
// How the Qt main window runs a batch: behind the modal progress dialog, and
// afterwards the box of what went wrong. What is packed, the status line and
// the box's text are the core's (app/MainWindowLogic.h).

#include <string>
#include <vector>

namespace kob {
class BatchReport;
struct PackContext;
}
class QWidget;

// Packs `names` in order ("../NAME" into "NAME.kob"), compressed or not,
// behind the progress dialog over `parent`, and returns once the dialog has
// closed.
void RunBatchDialog(const std::vector<std::string>& names, bool compress, kob::BatchReport& report,
                    const kob::PackContext& context, QWidget* parent);

// Shows `text` in a warning box over `parent`; an empty text shows nothing.
void ShowPackProblems(QWidget* parent, const char* caption, const std::string& text);

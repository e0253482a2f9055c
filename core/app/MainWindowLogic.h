#pragma once
// What the main window decides, whichever toolkit draws it: the game and the
// two lists discovery finds (sorted as the drop-downs keep them, the first
// entry selected), what each of the four pack buttons packs and whether it
// compresses, the folders made first, the status line around a batch, the
// box of what went wrong afterwards, the guard against a second All
// (folders), the selection put back after an All button, and closing the
// window while a batch runs. The window draws and forwards; it reaches its
// controls and its progress dialog through MainWindowView.

#include "app/PackPlan.h"
#include "game/Game.h"

#include <string>
#include <vector>

namespace kob {
class BatchReport;
}

enum class WindowList { Levels, Folders };
enum class PackButton { PackLevel, PackFolder, AllLevels, AllFolders };

// The window as the logic sees it. Texts are bytes in the local encoding.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    // The drop-down's edit field: the selected entry's bytes while it shows
    // that entry, else the typed text.
    virtual std::string fieldText(WindowList list) const = 0;
    // The selected entry, -1 for none.
    virtual int selectedIndex(WindowList list) const = 0;
    // Selects `index`; -1 clears the selection and empties the field.
    virtual void select(WindowList list, int index) = 0;
    // The Compress check box as it stands now.
    virtual bool compressChecked() const = 0;
    virtual void setStatus(const char* text) = 0;
    // Packs `names` behind the modal progress dialog (see BatchWorker), its
    // outcomes told to `report`, and returns once the dialog has closed.
    virtual void runBatch(const std::vector<std::string>& names, bool compress, kob::BatchReport& report) = 0;
    // Asks the running batch to stop, as its dialog's Cancel does.
    virtual void cancelBatch() = 0;
    // Closes the window for good.
    virtual void closeWindow() = 0;
    // A warning box with `caption` and `text`, waited for.
    virtual void showProblems(const char* caption, const std::string& text) = 0;
};

// The choice a button makes: Pack Level and Pack Folder the field's text as
// it is (empty or typed included), the All buttons every list entry in list
// order and never a typed text.
PackChoice ChoiceFor(PackButton button, const std::string& fieldText, const std::vector<std::string>& entries);

// The box after a batch: the names refused, then the report's failures, one
// per line; "" when there is nothing to say. Its caption is kBatchReportCaption.
std::string PackProblemsText(const std::vector<std::string>& refused, const kob::BatchReport& report);

// -1 (no selection, empty field) for an empty list, else 0: the
// alphabetically first entry.
int InitialSelection(const std::vector<std::string>& entries);

class MainWindowLogic {
public:
    explicit MainWindowLogic(MainWindowView& view)
        : m_view(view)
    {
    }

    // Discovery in the current folder, once, when the window is first shown:
    // the game, then both lists sorted without regard to case.
    void Discover();
    Game game() const { return m_game; }
    // A list's entries in drop-down order; they never change after Discover.
    const std::vector<std::string>& entries(WindowList list) const;

    // A press of a pack button. Every button packs as the Compress box
    // stands at the press. A typed name without its folder is refused, and
    // one whose folder holds no file told so, in the box. Makes the plan's
    // folders, packs under "Please Wait..." (a choice of nothing only sets
    // "Ready"), shows what went wrong, and after an All button selects again
    // what was selected. An All (folders) pressed while one runs is turned
    // away.
    void Press(PackButton button);
    // 1 while All (folders) runs its batch.
    int allFoldersBusy() const { return m_allFoldersBusy; }

    // The close box, Esc, Enter outside a push button, or the system asks
    // the window to close. True: it may close now. While a batch runs the
    // batch is cancelled instead (the job stops at its next check and the
    // archive being written keeps its previous version), and the window is
    // closed through closeWindow() once the press that ran it has ended.
    bool RequestClose();

private:
    MainWindowView& m_view;
    Game m_game = Game::None;
    std::vector<std::string> m_levels;
    std::vector<std::string> m_folders;
    int m_allFoldersBusy = 0;
    bool m_batchRunning = false;
    bool m_closeRequested = false;
};

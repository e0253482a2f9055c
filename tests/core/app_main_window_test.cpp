// What the main window decides, driven through a recording view: the lists,
// what each pack button packs and makes, the status line, the box after a
// batch, the All (folders) guard, the selection put back and closing during
// a batch.

#include "app/BatchReport.h"
#include "app/MainWindowLogic.h"
#include "format/ArchiveReader.h"
#include "app/PackBatch.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

// The window's controls as plain data; every call the logic makes is logged.
struct RecordingView : MainWindowView {
    std::string fields[2];
    int selected[2] = {-1, -1};
    bool compress = false;
    Strings log;
    std::function<void()> duringBatch; // runs while the batch runs, as a click would
    std::string fieldText(WindowList list) const override { return fields[int(list)]; }
    int selectedIndex(WindowList list) const override { return selected[int(list)]; }
    void select(WindowList list, int index) override
    {
        selected[int(list)] = index;
        log.push_back((list == WindowList::Levels ? "select levels " : "select folders ") + std::to_string(index));
    }
    bool compressChecked() const override { return compress; }
    void setStatus(const char* text) override { log.push_back(std::string("status ") + text); }
    void cancelBatch() override { log.push_back("cancel"); }
    void closeWindow() override { log.push_back("close"); }
    void runBatch(const Strings& names, bool compress, kob::BatchReport& report) override
    {
        std::string line = "batch" + std::to_string(compress);
        for (const std::string& name : names)
            line += " " + name;
        log.push_back(line);
        if (duringBatch)
            duringBatch();
        NullPackControls controls;
        kob::PackBatch(names, {compress != 0, 1, true}, controls, report, {});
    }
    void showProblems(const char* caption, const std::string& text) override
    {
        log.push_back(std::string("box ") + caption + "|" + text);
    }
};

} // namespace

// The lists sorted without regard to case; then each button in turn: what is
// packed, with the Compress box as it stands at the press (the All buttons
// too), the status line, the selection put back after All, and the box of
// what went wrong.
TEST(MainWindowLogic, ListsAndPackButtons)
{
    ModTree mod;
    mod.files({"Objects/o.con", "Menu/m.con", "_typed/t.con", "ostrel/levels/bay/b.con", "ostrel/levels/Alpine/a.con"});
    mod.folder("lightmaps");
    fs::create_directory("Menu.kob"); // the archive's name is taken
    RecordingView view;
    MainWindowLogic logic(view);
    logic.Discover();
    EXPECT_EQ(std::tuple(logic.game(), logic.entries(WindowList::Levels), logic.entries(WindowList::Folders)),
              std::tuple(Game::Ostrel, Strings{"Alpine", "bay"}, Strings{"lightmaps", "Menu", "Objects", "ostrel/game"}));
    EXPECT_EQ(std::pair(InitialSelection({"a"}), InitialSelection({})), std::pair(0, -1));
    view.fields[0] = "Alpine";
    view.fields[1] = "_typed";
    view.selected[0] = 1;
    view.compress = true;
    logic.Press(PackButton::PackLevel);
    view.compress = false;
    logic.Press(PackButton::PackFolder);
    view.compress = true;
    logic.Press(PackButton::AllFolders); // the list's entries, never the typed field
    view.compress = false;
    view.fields[1] = " ";
    logic.Press(PackButton::PackFolder);
    for (const char* typed : {"Objekts", "lightmaps"}) { // mistyped, empty: a box, not a silent "Ready"
        view.fields[1] = typed;
        logic.Press(PackButton::PackFolder);
    }
    const std::string box = "box Not everything was packed|", failed = box + "Error! Could not write .kob file: Menu.kob: ";
    for (std::string& line : view.log) // the system's reason is its own on each system
        if (line.starts_with(failed))
            line = failed + "REASON" + line.substr(line.find('\n'));
    EXPECT_EQ(view.log, (Strings{"status Please Wait...", "batch1 ostrel/levels/Alpine", "status Ready",
                                 "status Please Wait...", "batch0 _typed", "status Ready",
                                 "status Please Wait...", "batch1 lightmaps Menu Objects ostrel/game", "status Ready",
                                 "select levels 1", "select folders -1",
                                 failed + "REASON\nMenu.kob: not written",
                                 "status Ready", box + "an empty or blank folder name; not packed",
                                 "status Ready", box + "Objekts: no folder ../Objekts to pack",
                                 "status Please Wait...", "batch0 lightmaps", "status Ready",
                                 box + "lightmaps.kob: nothing to pack: the folder holds no files"}));
    ArchiveReader level;
    ASSERT_TRUE(level.open("ostrel/levels/Alpine.kob"));
    EXPECT_EQ(std::tuple(level.compressed(), entryNames("_typed.kob"), entryNames("Objects.kob")),
              std::tuple(true, Strings{"_typed/t.con"}, Strings{"Objects/o.con"}));

    kob::BatchReport report; // refused names first, then the failures
    report.problem("outside");
    EXPECT_EQ(PackProblemsText({"r1", "r2"}, report), "r1\nr2\n" + report.failureText());
}

// With no game and no levels, All (levels) makes nothing and opens no dialog;
// a second All (folders) while one runs is turned away, the guard cleared
// after. Closing during a batch cancels it and closes once the press has
// ended; at rest the window closes at once.
TEST(MainWindowLogic, AllLevelsWithNothingAllFoldersGuardAndClosing)
{
    ModTree mod;
    mod.folder("Objects");
    RecordingView view;
    MainWindowLogic logic(view);
    logic.Discover();
    logic.Press(PackButton::AllLevels);
    EXPECT_EQ(view.log, (Strings{"status Ready", "select levels -1", "select folders -1"}));

    view.log.clear();
    int busyInside = 0;
    bool closesInside = true;
    view.duringBatch = [&] {
        busyInside = logic.allFoldersBusy();
        logic.Press(PackButton::AllFolders);
        closesInside = logic.RequestClose();
    };
    logic.Press(PackButton::AllFolders);
    EXPECT_EQ(std::tuple(busyInside, closesInside, logic.allFoldersBusy(), view.log),
              std::tuple(1, false, 0, Strings{"status Please Wait...", "batch0 Objects", "cancel", "status Ready",
                                              "select levels -1", "select folders -1", "close"}));
    view.log.clear();
    EXPECT_EQ(std::pair(logic.RequestClose(), view.log), std::pair(true, Strings{}));
}

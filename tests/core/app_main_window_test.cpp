// What the main window decides, driven through a recording view: the lists,
// what each pack button packs and makes, the status line, the box after a
// batch, the All (folders) guard and the selection put back.

#include "app/BatchReport.h"
#include "app/MainWindowLogic.h"
#include "format/ArchiveReader.h"
#include "pack/PackBatch.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

// The window's controls as plain data; every call the logic makes is logged.
struct RecordingView : MainWindowView {
    std::string fields[2];
    int selected[2] = {-1, -1};
    Strings log;
    std::function<void()> duringBatch; // runs while the batch runs, as a click would
    std::string fieldText(WindowList list) const override { return fields[int(list)]; }
    int selectedIndex(WindowList list) const override { return selected[int(list)]; }
    void select(WindowList list, int index) override
    {
        selected[int(list)] = index;
        log.push_back((list == WindowList::Levels ? "select levels " : "select folders ") + std::to_string(index));
    }
    void setStatus(const char* text) override { log.push_back(std::string("status ") + text); }
    void runBatch(const Strings& names, int compress, kob::BatchReport& report) override
    {
        std::string line = "batch" + std::to_string(compress);
        for (const std::string& name : names)
            line += " " + name;
        log.push_back(line);
        if (duringBatch)
            duringBatch();
        NullPackControls controls;
        kob::packBatch(names, {static_cast<uint32_t>(compress), 1, true}, controls, report, kob::CancelToken());
    }
    void showProblems(const char* caption, const std::string& text) override
    {
        log.push_back(std::string("box ") + caption + "|" + text);
    }
};

} // namespace

TEST(MainWindowLogic, DiscoveryGivesSortedListsAndTheFirstEntrySelected)
{
    const struct { const char* name; Strings made; Game game; Strings levels, folders; } rows[] = {
        {"KelVane", {"Objects", "Menu", "lightmaps", "_backup", ".svn", "kelVane/levels/Bay", "kelVane/levels/alpine"},
         Game::KelVane, {"alpine", "Bay"}, {"kelVane/game", "lightmaps", "Menu", "Objects"}},
        {"NoGame", {"Objects"}, Game::None, {}, {"Objects"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ModTree mod;
        for (const std::string& folder : row.made)
            mod.folder(folder);
        RecordingView view;
        MainWindowLogic logic(view);
        logic.Discover();
        EXPECT_EQ(std::tuple(logic.game(), logic.entries(WindowList::Levels), logic.entries(WindowList::Folders)),
                  std::tuple(row.game, row.levels, row.folders));
        EXPECT_EQ(std::pair(InitialSelection(row.levels), InitialSelection(row.folders)),
                  std::pair(row.levels.empty() ? -1 : 0, 0));
    }
}

// Each button: what is packed, with which switch, the folders made, the
// status line, the box and the selection put back after an All button.
TEST(MainWindowLogic, PackButtonsPackMakeFoldersAndTellWhatWentWrong)
{
    const std::string box = "box Not everything was packed|";
    const struct { const char* name; PackButton button; int compress; std::string levelField, folderField; Strings log, made; } rows[] = {
        {"PackLevelFieldBelowThePrefix", PackButton::PackLevel, 1, "Alpine", "Objects",
         {"status Please Wait...", "batch1 ostrel/levels/Alpine", "status Ready"}, {"ostrel/levels/Alpine.kob"}},
        {"PackFolderTypedTextAsItIs", PackButton::PackFolder, 0, "Alpine", "_typed",
         {"status Please Wait...", "batch0 _typed", "status Ready"}, {"ostrel", "_typed.kob"}},
        {"AllFoldersEveryEntryNeverTheField", PackButton::AllFolders, 0, "x", "_typed",
         {"status Please Wait...", "batch0 Menu Objects ostrel/game", "status Ready", "select levels 1", "select folders -1"},
         {"Menu.kob", "Objects.kob"}},
        {"EmptyFieldRefusedFailuresInOneBox", PackButton::PackFolder, 0, "", " ",
         {"status Ready", box + "an empty or blank folder name; not packed"}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ModTree mod;
        mod.files({"Objects/o.con", "Menu/m.con", "_typed/t.con", "ostrel/levels/Alpine/a.con"});
        fs::remove_all("ostrel"); // made by the logic when needed
        RecordingView view;
        view.fields[0] = row.levelField;
        view.fields[1] = row.folderField;
        view.selected[0] = 1;
        MainWindowLogic logic(view);
        logic.Discover();
        ASSERT_EQ(logic.game(), Game::Ostrel);
        logic.Press(row.button, row.compress);
        EXPECT_EQ(view.log, row.log);
        for (const std::string& made : row.made)
            EXPECT_TRUE(fs::exists(made)) << made;
        if (row.made.empty()) {
            EXPECT_FALSE(fs::exists("ostrel")) << "a refused name makes nothing";
        }
    }

    // A failed archive and a refused name share one box, refused names first.
    ModTree mod;
    mod.file("Objects/o.con", "x");
    fs::create_directory("Objects.kob"); // the archive's name is taken
    RecordingView view;
    MainWindowLogic logic(view);
    logic.Discover();
    view.fields[1] = "Objects";
    logic.Press(PackButton::PackFolder, 0);
    view.fields[0] = "";
    logic.Press(PackButton::PackLevel, 0);
    EXPECT_EQ(view.log, (Strings{"status Please Wait...", "batch0 Objects", "status Ready",
                                 box + "Objects.kob: Error! Could not write .kob file: Objects.kob: Is a directory\n"
                                       "Objects.kob: not written",
                                 "status Ready", box + "an empty or blank level name; not packed"}));
}

// With no game and no levels, All (levels) makes nothing and opens no dialog;
// a second All (folders) while one runs is turned away, the guard cleared after.
TEST(MainWindowLogic, AllLevelsWithNothingAndAllFoldersGuard)
{
    ModTree mod;
    mod.folder("Objects");
    RecordingView view;
    MainWindowLogic logic(view);
    logic.Discover();
    logic.Press(PackButton::AllLevels, 0);
    EXPECT_EQ(view.log, (Strings{"status Ready", "select levels -1", "select folders -1"}));

    view.log.clear();
    int busyInside = 0;
    view.duringBatch = [&] { busyInside = logic.allFoldersBusy(); logic.Press(PackButton::AllFolders, 0); };
    logic.Press(PackButton::AllFolders, 0);
    EXPECT_EQ(std::tuple(busyInside, logic.allFoldersBusy(), view.log),
              std::tuple(1, 0, Strings{"status Please Wait...", "batch0 Objects", "status Ready", "select levels -1",
                                       "select folders -1"}));
}

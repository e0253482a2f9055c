// Issue 12: the settings file and init.con may come with a downloaded mod.
// They are read only as regular files of at most 64 KiB (a named pipe or a
// device never blocks the launch), and a game or mod name that would lead out
// of its folder is refused.

#include "game/SettingsFile.h"
#include "game/TestLaunch.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace kobtest;
using Strings = std::vector<std::string>;

const std::string kSettings = "m_MapName\r\nmymap\r\n\r\nm_gpmString\r\nGPM_CQ\r\n\r\nm_UseDebug\r\n0\r\n\r\n";

// A game root with ostrel's Settings folder; the current directory is the
// mod's Archives folder. A read that blocks ends the test by SIGALRM.
class QuickLaunchSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(archives());
        fs::create_directories(root() / "mods/ostrel/Settings");
        fs::current_path(archives());
        alarm(30);
    }
    void TearDown() override
    {
        alarm(0);
        fs::current_path(m_previous);
    }
    fs::path root() const { return m_dir.path(); }
    fs::path archives() const { return root() / "mods/MyMod/Archives"; }
    void fifo(const fs::path& path) const { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0); }

    Strings reports;
    ErrorReport recorder = [this](const std::string& text) { reports.push_back(text); };
    TempDir m_dir;
    fs::path m_previous = fs::current_path();
};

struct RecordingLauncher : Launcher {
    int starts = 0;
    LaunchResult Start(const std::string&, const Strings&, const std::string&) override { return {++starts > 0, {}}; }
};

TEST_F(QuickLaunchSafety, UnusableSettingsFileShowsTheDialogAsOnFirstUse)
{
    const fs::path file = archives() / "_quickLaunch.cfg";
    const auto text = [&](const std::string& content) { return [&, content] { writeFile(file, content); }; };
    const std::string padding = std::string(64 * 1024 - kSettings.size() - 16, '\n');
    const struct { const char* name; std::function<void()> make; int count; std::string refusal; } rows[] = {
        {"named_pipe", [&] { fifo(file); }, -1, "not a regular file"},
        {"link_to_dev_zero", [&] { fs::create_symlink("/dev/zero", file); }, -1, "not a regular file"},
        {"exactly_64_KiB_is_read", text(kSettings + padding + "m_gameExe\r\nW\r\n\r\n"), 3, ""},
        {"one_byte_more_is_not", text(kSettings + padding + "m_gameExe\r\nWW\r\n\r\n"), -1, "larger than 64 KiB"},
        {"game_leads_out", text(kSettings + "m_gameExe\r\n../../../../tmp/x\r\n"), -1,
         "m_gameExe \"../../../../tmp/x\" holds \"/\""},
        {"game_is_dot_dot", text(kSettings + "m_gameExe\r\n..\r\n"), -1, "m_gameExe \"..\" is \"..\""},
        {"game_with_backslash", text(kSettings + "m_gameExe\r\n..\\x\r\n"), -1, "m_gameExe \"..\\x\" holds \"\\\""},
        {"game_with_control_character", text(kSettings + "m_gameExe\r\nost\x01rel\r\n"), -1,
         "m_gameExe \"ost?rel\" holds a control character"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(file);
        row.make();
        QuickLaunchState state;
        state.m_gameExe = "ostrel";
        std::string refusal;
        EXPECT_EQ(LoadSettings(state, &refusal), row.count);
        EXPECT_EQ(refusal, row.refusal.empty() ? "" : "Ignored the settings in _quickLaunch.cfg: " + row.refusal);
        EXPECT_EQ(state.m_gameExe, row.count < 0 ? "ostrel" : "W");
        EXPECT_EQ(state.m_MapName, row.count < 0 ? "" : "mymap");
    }
}

// Saving over a pipe must not block, and over a link must not write where it leads.
TEST_F(QuickLaunchSafety, SaveReplacesPipeOrLinkWithRegularFile)
{
    const fs::path file = archives() / "_quickLaunch.cfg", outside = root() / "outside.txt";
    writeFile(outside, "keep");
    for (const bool pipe : {true, false}) {
        SCOPED_TRACE(pipe ? "named_pipe" : "link");
        fs::remove(file);
        pipe ? fifo(file) : fs::create_symlink(outside, file);
        QuickLaunchState state;
        state.m_MapName = "mymap";
        state.m_gpmString = "GPM_CQ";
        state.m_gameExe = "ostrel";
        EXPECT_TRUE(SaveSettings(state));
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));
        EXPECT_EQ(LoadSettings(state), 3);
    }
    EXPECT_EQ(readFile(outside), "keep");
}

TEST_F(QuickLaunchSafety, InitFileAndGameFilesNeverBlockOrLeadOut)
{
    const fs::path init = root() / "mods/MyMod/init.con";
    const std::string unreadable = "Unable to read mod's name from ../init.con\n";
    const struct { const char* name; std::function<void()> make; int result; Strings reports; } rows[] = {
        {"named_pipe", [&] { fifo(init); }, -2, {unreadable}},
        {"link_to_dev_zero", [&] { fs::create_symlink("/dev/zero", init); }, -2, {unreadable}},
        {"over_64_KiB", [&] { writeFile(init, std::string(64 * 1024, '\n') + "game.CustomGameName M\n"); }, -2,
         {unreadable}},
        {"name_leads_out", [&] { writeFile(init, "game.CustomGameName ../../evil\r\n"); }, -1,
         {"Unable to use the mod's name from ../init.con: it holds \"/\"\n"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(init);
        row.make();
        reports.clear();
        QuickLaunchState state;
        EXPECT_EQ(ReadModName(state, recorder), row.result);
        EXPECT_EQ(state.m_ModName, "");
        EXPECT_EQ(reports, row.reports);
    }

    fifo(root() / "ostrel_r.exe");
    fifo(root() / "mods/ostrel/Settings/maplist.con");
    QuickLaunchState state;
    state.m_gameExe = "ostrel";
    EXPECT_EQ(CheckDebugExe(state), 0);
    RecordingLauncher launcher;
    EXPECT_EQ(LaunchGame(state, launcher, recorder), LaunchOutcome::MapListFailed);
    // A name that did not come through LoadSettings is checked all the same.
    for (const std::string game : {"", "../../../../tmp/x"}) {
        reports.clear();
        state.m_gameExe = game;
        EXPECT_EQ(LaunchGame(state, launcher, recorder), LaunchOutcome::MapListFailed);
        const std::string problem = game.empty() ? "is empty" : "holds \"/\"";
        EXPECT_EQ(reports, Strings{"Unable to start the game: m_gameExe \"" + game + "\" " + problem});
    }
    EXPECT_EQ(launcher.starts, 0);
}

} // namespace

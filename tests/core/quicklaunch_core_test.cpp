// The quick launch's core: the settings file, the mod's name, the map list,
// the executable chosen, the call handed to the launcher, and what a
// downloaded mod's files may not do to them.

#include "game/SettingsFile.h"
#include "game/SmallFile.h"
#include "game/TestLaunch.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#ifndef _WIN32 // named pipes, links and SIGALRM: their rows run on Linux only
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using namespace kobtest;

// A game root whose mods folder is spelt "Mods", so paths formed with "mods"
// must be matched ignoring case; the current directory is the mod's Archives.
// A read that blocks ends the test by SIGALRM.
class QuickLaunchCore : public ::testing::Test, protected ModTree {
protected:
    QuickLaunchCore() : ModTree("Mods/MyMod") {}
#ifndef _WIN32
    void SetUp() override { alarm(30); }
    void TearDown() override { alarm(0); }
    void fifo(const fs::path& path) const { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0); }
#endif
    Strings reports;
    ErrorReport recorder = [this](const std::string& text) { reports.push_back(text); };
};

// The bytes SaveSettings writes are checked where the dialog saves.
TEST_F(QuickLaunchCore, LoadSettings)
{
    const std::string m255(255, 'm'), a255(255, 'a');
    // fields: map|mode|exe|debug, where "-" and 7 are the values before loading
    const struct { const char* name; std::string content; std::string fields; } rows[] = {
        {"keys_in_any_case_others_ignored", "M_USEDEBUG\r\n1\r\n\r\nm_Other\r\ny\r\n\r\nm_mapname\r\nx\r\n", "x|-|-|1"},
        {"value_1abc_reads_1", "m_UseDebug\r\n1abc\r\n", "-|-|-|1"},
        {"value_abc_reads_0", "m_UseDebug\r\nabc\r\n", "-|-|-|0"},
        {"key_at_end_without_value", "m_gameExe\r\nW\r\n\r\nm_MapName\r\n", "-|-|W|7"},
        {"empty_value_drops_key", "m_MapName\r\n\r\nm_gpmString\r\nGPM_X\r\n", "-|GPM_X|-|7"},
        {"lone_lf_ends_a_line_lone_cr_not", "m_MapName\nmy\rmap\n\nm_gameExe\nW\n\n", "my\rmap|-|W|7"},
        {"last_line_without_line_end", "m_UseDebug\r\n1", "-|-|-|1"},
        {"blanks_kept", "m_MapName\r\n Map With Blanks \r\n", " Map With Blanks |-|-|7"},
        // 255 characters, the most the dialog lets through, come back whole;
        // from 256 on the rest is read as a key whose value is "m_gameExe".
        {"value_of_255_characters", "m_MapName\r\n" + m255 + "\r\nm_gameExe\r\nW\r\n", m255 + "|-|W|7"},
        {"long_line_read_in_pieces", "m_MapName\r\n" + a255 + "bbb\r\nm_gameExe\r\nW\r\n", a255 + "|-|-|7"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(archives() / "_QUICKLAUNCH.CFG", row.content); // the name in any case
        QuickLaunchState state;
        state.m_MapName = state.m_gpmString = state.m_gameExe = "-";
        state.m_UseDebug = 7;
        EXPECT_EQ(LoadSettingsFile(state), SettingsLoad::Incomplete);
        EXPECT_EQ(state.m_MapName + "|" + state.m_gpmString + "|" + state.m_gameExe + "|" + std::to_string(state.m_UseDebug),
                  row.fields);
    }
    EXPECT_EQ(RemoveSettings(), "");
    EXPECT_TRUE(fs::is_empty(archives()));
    EXPECT_EQ(RemoveSettings(), "") << "no file is no error";
}

TEST_F(QuickLaunchCore, LoadModName)
{
    const struct { const char* name; std::string content; ModNameRead result; std::string modName; } rows[] = {
        {"set_keyword_in_capitals", "GAME.SETCUSTOMGAMENAME MyMod\r\n", ModNameRead::Found, "MyMod"},
        {"short_keyword_in_capitals", "rem x\nGAME.CUSTOMGAMENAME MyMod\n", ModNameRead::Found, "MyMod"},
        {"indented_by_blank", " game.CustomGameName MyMod\r\n", ModNameRead::NotNamed, ""},
        {"quotes_and_blanks_kept", "game.CustomGameName \"My Mod\" \r\n", ModNameRead::Found, "\"My Mod\" "},
        {"any_separator", "game.CustomGameName=MyMod\r\n", ModNameRead::Found, "MyMod"},
        {"characters_20_to_22_not_examined", "game.SetCustomGameNxyz_MyMod\r\n", ModNameRead::Found, "MyMod"},
        {"first_match_counts", "game.CustomGameName First\r\ngame.CustomGameName Second\r\n", ModNameRead::Found, "First"},
        {"last_line_keeps_last_character", "game.CustomGameName MyMod", ModNameRead::Found, "MyMod"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(top() / "Mods/MyMod/init.con", row.content);
        QuickLaunchState state;
        EXPECT_EQ(LoadModName(state, recorder), row.result);
        EXPECT_EQ(state.m_ModName, row.modName);
    }
    EXPECT_TRUE(reports.empty());
}

TEST_F(QuickLaunchCore, LaunchWritesMapListAndStartsFromGameRoot)
{
    // Each name in another case than the code spells it.
    writeFile(top() / "Mods/MyMod/Init.Con", "game.setCustomGameName MyMod\r\n");
    const fs::path mapList = top() / "Mods/Ostrel/settings/MapList.con";
    writeFile(mapList, std::string(500, 'x'));
    writeFile(top() / "Ostrel.EXE", "MZ");
    RecordingLauncher launcher;
    QuickLaunchState state;
    state.m_MapName = "mymap";
    state.m_gpmString = "GPM_CQ";
    state.m_gameExe = "ostrel";
    EXPECT_EQ(LaunchGame(state, launcher, recorder), LaunchOutcome::Started);
    EXPECT_EQ(readFile(mapList), "game.addLevel mymap GPM_CQ MyMod\r\ngame.setCurrentLevel mymap GPM_CQ MyMod\r\n");

    // Without init.con: one report, and the start goes on with an empty name.
    fs::remove(top() / "Mods/MyMod/Init.Con");
    EXPECT_EQ(LaunchGame(state, launcher, recorder), LaunchOutcome::Started);
    EXPECT_EQ(std::tuple(reports, readFile(mapList)), std::tuple(Strings{"Unable to read mod's name from ../init.con\n"},
                                                                 "game.addLevel mymap GPM_CQ \r\ngame.setCurrentLevel mymap GPM_CQ \r\n"));
    const std::string in = " +hostServer 1 +dedicated 0|in " + canonicalTop();
#ifdef _WIN32
    const std::string exe = "ostrel.exe"; // the file system finds any spelling, so the name stays as asked
#else
    const std::string exe = "Ostrel.EXE";
#endif
    EXPECT_EQ(launcher.starts, (Strings{exe + "|+restart 1 +game MyMod" + in, exe + "|+restart 1 +game " + in}));
    EXPECT_EQ(LaunchParameters("\"My Mod\""), "+restart 1 +game \"My Mod\" +hostServer 1 +dedicated 0");
}

// The words a game reads from its parameters, as a Windows runtime cuts them;
// on Linux the game gets these words (through wine, which joins them again).
TEST(SplitParameters, CutsAsAWindowsRuntimeDoes)
{
    const std::pair<std::string, Strings> rows[] = {
        {"+restart 1 +game \"My Mod\" +hostServer 1", {"+restart", "1", "+game", "My Mod", "+hostServer", "1"}},
        {"+game  +hostServer", {"+game", "+hostServer"}},
        {" \t", {}},
        {"a\\\\\"b c\" d", {"a\\b c", "d"}},
        {"a\\\"b \"\" x\\y", {"a\"b", "", "x\\y"}},
        {"\"say \"\"hi\"\"\" tail\\", {"say \"hi\"", "tail\\"}},
    };
    for (const auto& [text, words] : rows)
        EXPECT_EQ(SplitParameters(text), words) << text;
}

TEST_F(QuickLaunchCore, ExecutableChoice)
{
    const struct { const char* name; std::string gameExe, debugFile; int useDebug, found; std::string program; } rows[] = {
        {"ostrel_debug_asked_but_missing", "ostrel", "other.exe", 1, 0, "ostrel.exe"},
        {"ostrel_debug_not_asked", "ostrel", "ostrel_r.exe", 0, 1, "ostrel.exe"},
        {"kelvane_plain", "kelvane", "ostrel_r.exe", 1, 0, "kelvane.exe"},
        {"kelvane_debug", "kelvane", "KelVane_DEBUG.exe", 1, 1, "KelVane_DEBUG.exe"},
        {"names_in_other_case", "OSTREL", "Ostrel_R.EXE", 1, 1, "ostrel_r.exe"},
        {"other_word_has_no_debug_build", "W", "W_r.exe", 1, 0, "W.exe"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(top() / row.debugFile, "MZ");
        QuickLaunchState state;
        state.m_gameExe = row.gameExe;
        state.m_UseDebug = row.useDebug;
        EXPECT_EQ(CheckDebugExe(state), row.found);
        EXPECT_EQ(GameExecutable(state), row.program);
        fs::remove(top() / row.debugFile);
    }
}

// The settings file and init.con may come with a downloaded mod. They are
// read only as regular files of at most 64 KiB (a named pipe or a device
// never blocks the launch), and a game or mod name that would lead out of its
// folder is refused.
const std::string kSettings = "m_MapName\r\nmymap\r\n\r\nm_gpmString\r\nGPM_CQ\r\n\r\nm_UseDebug\r\n0\r\n\r\n";

TEST_F(QuickLaunchCore, UnusableSettingsFileShowsTheDialogAsOnFirstUse)
{
    const fs::path file = archives() / "_quickLaunch.cfg";
    const auto text = [&](const std::string& content) { return [&, content] { writeFile(file, content); }; };
    const std::string padding = std::string(64 * 1024 - kSettings.size() - 16, '\n');
    const struct { const char* name; std::function<void()> make; bool loaded; std::string refusal; } rows[] = {
#ifndef _WIN32
        {"named_pipe", [&] { fifo(file); }, false, "not a regular file"},
        {"link_to_dev_zero", [&] { fs::create_symlink("/dev/zero", file); }, false, "not a regular file"},
#endif
        {"exactly_64_KiB_is_read", text(kSettings + padding + "m_gameExe\r\nW\r\n\r\n"), true, ""},
        {"one_byte_more_is_not", text(kSettings + padding + "m_gameExe\r\nWW\r\n\r\n"), false, "larger than 64 KiB"},
        {"game_leads_out", text(kSettings + "m_gameExe\r\n../../../../tmp/x\r\n"), false,
         "m_gameExe \"../../../../tmp/x\" holds \"/\""},
        {"game_is_dot_dot", text(kSettings + "m_gameExe\r\n..\r\n"), false, "m_gameExe \"..\" is \"..\""},
        {"game_is_dot", text(kSettings + "m_gameExe\r\n.\r\n"), false, "m_gameExe \".\" is \".\""},
        {"game_with_backslash", text(kSettings + "m_gameExe\r\n..\\x\r\n"), false, "m_gameExe \"..\\x\" holds \"\\\""},
        {"game_with_control_character", text(kSettings + "m_gameExe\r\nost\x01rel\r\n"), false,
         "m_gameExe \"ost?rel\" holds a control character"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(file);
        row.make();
        QuickLaunchState state;
        state.m_gameExe = "ostrel";
        std::string refusal;
        EXPECT_EQ(LoadSettingsFile(state, &refusal), row.loaded ? SettingsLoad::Complete : SettingsLoad::Absent);
        EXPECT_EQ(std::tuple(refusal, state.m_gameExe, state.m_MapName),
                  std::tuple(row.refusal.empty() ? "" : "Ignored the settings in _quickLaunch.cfg: " + row.refusal,
                             row.loaded ? "W" : "ostrel", row.loaded ? "mymap" : ""));
    }
#ifndef _WIN32
    // Issue 22: a file that grows past the limit while it is read is refused; the process's
    // status file reports a size of 0 and reads longer than 1 KiB.
    std::string content, reason;
    EXPECT_EQ(ReadSmallFile("/proc/self/status", content, reason, 1024), SmallFileResult::Unusable);
    EXPECT_EQ(std::pair(reason, content.size()), std::pair(std::string("larger than 1 KiB"), size_t(0)));
    // Issue 22: the name is checked before the open and the descriptor after it.
    text(kSettings)();
    EXPECT_EQ(ReadSmallFile(file.string(), content, reason, kSmallFileLimit,
                            [&](const std::string& path) { fs::remove(path), fifo(path); }),
              SmallFileResult::Unusable);
    EXPECT_EQ(reason, "not a regular file");
#endif
}

TEST_F(QuickLaunchCore, InitFileAndGameFilesNeverBlockOrLeadOut)
{
    const fs::path init = root() / "init.con";
    const std::string unreadable = "Unable to read mod's name from ../init.con\n";
    const struct { const char* name; std::function<void()> make; ModNameRead result; Strings reports; } rows[] = {
#ifndef _WIN32
        {"named_pipe", [&] { fifo(init); }, ModNameRead::Unreadable, {unreadable}},
#endif
        {"name_leads_out", [&] { writeFile(init, "game.CustomGameName ../../evil\r\n"); }, ModNameRead::NotNamed,
         {"Unable to use the mod's name from ../init.con: it holds \"/\"\n"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(init);
        row.make();
        reports.clear();
        QuickLaunchState state;
        EXPECT_EQ(LoadModName(state, recorder), row.result);
        EXPECT_EQ(std::pair(state.m_ModName, reports), std::pair(std::string(), row.reports));
    }
#ifndef _WIN32
    fs::create_directories(top() / "Mods/Ostrel/settings");
    fifo(top() / "ostrel_r.exe");
    fifo(top() / "Mods/Ostrel/settings/maplist.con");
    QuickLaunchState state;
    state.m_gameExe = "ostrel";
    EXPECT_EQ(CheckDebugExe(state), 0);
    RecordingLauncher launcher;
    // A named pipe as the map list, or a link to one as the settings file, is replaced, never opened.
    EXPECT_EQ(LaunchGame(state, launcher, recorder), LaunchOutcome::Started);
    fs::create_symlink(top() / "ostrel_r.exe", archives() / "_quickLaunch.cfg");
    EXPECT_TRUE(SaveSettings(state) && fs::is_regular_file(fs::symlink_status(archives() / "_quickLaunch.cfg")));
    // A name that did not come through the settings file is checked all the same.
    for (const std::string game : {"", "../../../../tmp/x"}) {
        reports.clear();
        state.m_gameExe = game;
        EXPECT_EQ(LaunchGame(state, launcher, recorder), LaunchOutcome::MapListFailed);
        const std::string problem = game.empty() ? "is empty" : "holds \"/\"";
        EXPECT_EQ(reports, Strings{"Unable to start the game: m_gameExe \"" + game + "\" " + problem});
    }
    EXPECT_EQ(launcher.starts.size(), 1u);
#endif
}

} // namespace

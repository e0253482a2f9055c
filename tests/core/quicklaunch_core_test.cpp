// The quick launch's core: the settings file, the mod's name, the map list,
// the executable chosen and the call handed to the launcher.

#include "quicklaunch/SettingsFile.h"
#include "quicklaunch/TestLaunch.h"
#include "quicklaunch/TextLines.h"
#include "support/TestSupport.h"

#include <climits>
#include <csignal>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>

namespace {

using kobtest::readFile;
using kobtest::writeFile;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// A game root in a temporary folder holding the mod mods/MyMod, whose
// Archives folder is the current directory, as the tool always runs there.
class QuickLaunchCore : public ::testing::Test {
protected:
    void SetUp() override { enter(root()); }
    void TearDown() override { fs::current_path(m_previous); }
    void enter(const fs::path& gameRoot, const std::string& mods = "mods")
    {
        fs::create_directories(gameRoot / mods / "MyMod" / "Archives");
        fs::current_path(gameRoot / mods / "MyMod" / "Archives");
    }
    fs::path root() const { return m_dir.path(); }
    fs::path canonicalRoot() const { return fs::canonical(root()); }
    fs::path settings() const { return root() / "mods/MyMod/Archives/_quickLaunch.cfg"; }
    fs::path mapList(const std::string& game = "ostrel") const { return root() / "mods" / game / "Settings/maplist.con"; }
    void initCon(const std::string& content) const { writeFile(root() / "mods/MyMod/init.con", content); }
    void gameReady(const std::string& game = "ostrel") const
    {
        initCon("game.setCustomGameName MyMod\r\n");
        fs::create_directories(root() / "mods" / game / "Settings");
    }
    ErrorReport recorder() { return [this](const std::string& text) { reports.push_back(text); }; }

    Strings reports;
    kobtest::TempDir m_dir;
    fs::path m_previous = fs::current_path();
};

struct RecordingLauncher : Launcher {
    Strings programs, workingDirectories;
    std::vector<Strings> arguments;
    LaunchResult result{true, {}};
    LaunchResult Start(const std::string& program, const Strings& args, const std::string& directory) override
    {
        programs.push_back(program);
        arguments.push_back(args);
        workingDirectories.push_back(directory);
        return result;
    }
};

QuickLaunchState choice(const std::string& exe = "ostrel", const std::string& map = "mymap", int debug = 0)
{
    QuickLaunchState state;
    state.m_MapName = map;
    state.m_gpmString = "GPM_CQ";
    state.m_gameExe = exe;
    state.m_UseDebug = debug;
    return state;
}

TEST_F(QuickLaunchCore, SettingsWrittenAsTwelveCrLfLinesAndReadBack)
{
    ASSERT_TRUE(SaveSettings(choice("kelvane", "mymap", 1)));
    EXPECT_EQ(readFile(settings()), "m_MapName\r\nmymap\r\n\r\nm_gpmString\r\nGPM_CQ\r\n\r\n"
                                    "m_gameExe\r\nkelvane\r\n\r\nm_UseDebug\r\n1\r\n\r\n");
    // 255 characters is the most the dialog lets through; it must come back
    // whole, not one character short.
    for (const std::string& map : {std::string("Map With Blanks "), std::string(255, 'm')}) {
        ASSERT_TRUE(SaveSettings(choice("kelvane", map, 1)));
        QuickLaunchState loaded;
        EXPECT_EQ(LoadSettings(loaded), 3);
        EXPECT_EQ(loaded.m_MapName, map);
        EXPECT_EQ(loaded.m_gpmString + loaded.m_gameExe, "GPM_CQkelvane");
        EXPECT_EQ(loaded.m_UseDebug, 1);
    }
    // An empty map gives an empty value line, which drops that entry: three remain.
    ASSERT_TRUE(SaveSettings(choice("ostrel", "", 0)));
    EXPECT_EQ(readFile(settings()).substr(0, 15), "m_MapName\r\n\r\n\r\n");
    QuickLaunchState loaded = choice("x", "untouched");
    EXPECT_EQ(LoadSettings(loaded), 2);
    EXPECT_EQ(loaded.m_MapName, "untouched");
}

TEST_F(QuickLaunchCore, MalformedSettingsFiles)
{
    const std::string piece(255, 'a');
    const struct {
        const char* name;
        std::string content;
        int count;
        std::string fields; // map|mode|exe|debug, "-" and 7 untouched
    } rows[] = {
        {"keys_in_any_case", "M_USEDEBUG\r\n1\r\n\r\nm_mapname\r\nx\r\n", 1, "x|-|-|1"},
        {"value_1abc_reads_1", "m_UseDebug\r\n1abc\r\n", 0, "-|-|-|1"},
        {"value_abc_reads_0", "m_UseDebug\r\nabc\r\n", 0, "-|-|-|0"},
        {"value_out_of_range_clamped", "m_UseDebug\r\n99999999999999999999\r\n", 0, "-|-|-|" + std::to_string(INT_MAX)},
        {"key_at_end_without_value", "m_gameExe\r\nW\r\n\r\nm_MapName\r\n", 0, "-|-|W|7"},
        {"empty_value_drops_key", "m_MapName\r\n\r\nm_gpmString\r\nGPM_X\r\n", 0, "-|GPM_X|-|7"},
        {"two_entries_only", "m_gpmString\r\nGPM_COOP\r\n\r\nm_gameExe\r\nW\r\n\r\n", 1, "-|GPM_COOP|W|7"},
        {"unknown_keys_ignored", "m_Other\r\nx\r\n\r\nm_MapName\r\nmap\r\n", 0, "map|-|-|7"},
        {"repeats_count_again", "m_MapName\r\na\r\n\r\nm_MapName\r\nb\r\n\r\nm_MapName\r\nc\r\n", 2, "c|-|-|7"},
        {"lone_lf_and_lone_cr", "m_MapName\nmy\rmap\n\nm_gameExe\nW\n\n", 1, "my\rmap|-|W|7"},
        {"last_line_without_line_end", "m_UseDebug\r\n1", 0, "-|-|-|1"},
        // 255 characters are read, then the rest as a key line of its own
        // whose value line is "m_gameExe".
        {"long_line_read_in_pieces", "m_MapName\r\n" + piece + "bbb\r\nm_gameExe\r\nW\r\n", 0, piece + "|-|-|7"},
    };
    QuickLaunchState state;
    EXPECT_EQ(LoadSettings(state), -1) << "no file";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(settings(), row.content);
        state = choice("-", "-", 7);
        state.m_gpmString = "-";
        EXPECT_EQ(LoadSettings(state), row.count);
        EXPECT_EQ(state.m_MapName + "|" + state.m_gpmString + "|" + state.m_gameExe + "|" + std::to_string(state.m_UseDebug),
                  row.fields);
    }
}

TEST_F(QuickLaunchCore, SettingsFileNameInAnyCaseAndRemoval)
{
    EXPECT_EQ(RemoveSettings(), "") << "no file is no error";
    writeFile(settings().parent_path() / "_QUICKLAUNCH.CFG", "m_gameExe\r\nW\r\n");
    QuickLaunchState state;
    EXPECT_EQ(LoadSettings(state), 0);
    EXPECT_EQ(state.m_gameExe, "W");
    EXPECT_EQ(RemoveSettings(), "");
    EXPECT_TRUE(fs::is_empty(settings().parent_path()));

    fs::create_directories(settings() / "inside");
    EXPECT_EQ(RemoveSettings(), "Unable to delete _quickLaunch.cfg: Directory not empty");
    EXPECT_FALSE(SaveSettings(choice()));
}

TEST(TextLineReader, LineEndsAndReadLimit)
{
    const auto pieces = [](const std::string& text) {
        std::istringstream in(text);
        TextLineReader reader(in);
        Strings out;
        for (TextLine line; reader.Next(line);)
            out.push_back(line.text + (line.lineEnd ? "|" : ""));
        return out;
    };
    const std::string a254(254, 'a'), a255(255, 'a');
    EXPECT_EQ(pieces("x\r\n\r\ny\nz\r"), (Strings{"x|", "|", "y|", "z\r"}));
    EXPECT_EQ(pieces(a254 + "\r\nb"), (Strings{a254 + "|", "b"})) << "the line end fits in the read";
    EXPECT_EQ(pieces(a255 + "\r\nb"), (Strings{a255, "|", "b"})) << "the line end is read alone";
}

TEST_F(QuickLaunchCore, ReadModName)
{
    const struct {
        const char* name;
        std::string content;
        int result;
        std::string modName;
    } rows[] = {
        {"set_keyword", "game.setCustomGameName MyMod\r\n", 0, "MyMod"},
        {"short_keyword", "game.CustomGameName MyMod\r\n", 0, "MyMod"},
        {"set_keyword_in_capitals", "GAME.SETCUSTOMGAMENAME MyMod\r\n", 0, "MyMod"},
        {"short_keyword_in_capitals", "rem x\nGAME.CUSTOMGAMENAME MyMod\n", 0, "MyMod"},
        {"indented_by_blank", " game.CustomGameName MyMod\r\n", -1, ""},
        {"indented_by_tab", "\tgame.setCustomGameName MyMod\r\n", -1, ""},
        {"quotes_and_blanks_kept", "game.CustomGameName \"My Mod\" \r\n", 0, "\"My Mod\" "},
        {"any_separator", "game.CustomGameName=MyMod\r\n", 0, "MyMod"},
        {"characters_20_to_22_not_examined", "game.SetCustomGameNxyz_MyMod\r\n", 0, "MyMod"},
        {"first_match_counts", "game.CustomGameName First\r\ngame.CustomGameName Second\r\n", 0, "First"},
        {"keyword_without_name", "game.CustomGameName\r\n", 0, ""},
        {"keyword_at_end_without_line_end", "game.CustomGameName", -1, ""},
        {"last_line_keeps_last_character", "game.CustomGameName MyMod", 0, "MyMod"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        initCon(row.content);
        QuickLaunchState state;
        EXPECT_EQ(ReadModName(state, recorder()), row.result);
        EXPECT_EQ(state.m_ModName, row.modName);
    }
    EXPECT_TRUE(reports.empty());

    fs::remove(root() / "mods/MyMod/init.con");
    QuickLaunchState state;
    state.m_ModName = "stale";
    EXPECT_EQ(ReadModName(state, recorder()), -2);
    EXPECT_EQ(state.m_ModName, "");
    EXPECT_EQ(reports, Strings{"Unable to read mod's name from ../init.con\n"});
}

TEST_F(QuickLaunchCore, LaunchWritesMapListAndStartsFromGameRoot)
{
    gameReady();
    writeFile(mapList(), std::string(500, 'x'));
    RecordingLauncher launcher;
    QuickLaunchState state = choice();
    EXPECT_EQ(LaunchGame(state, launcher, recorder()), LaunchOutcome::Started);

    EXPECT_EQ(readFile(mapList()), "game.addLevel mymap GPM_CQ MyMod\r\ngame.setCurrentLevel mymap GPM_CQ MyMod\r\n");
    EXPECT_EQ(launcher.programs, Strings{"ostrel.exe"});
    EXPECT_EQ(launcher.arguments.at(0), (Strings{"+restart", "1", "+game", "MyMod", "+hostServer", "1", "+dedicated", "0"}));
    EXPECT_EQ(launcher.workingDirectories, Strings{canonicalRoot().string()});
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(fs::current_path(), fs::canonical(settings().parent_path())) << "the working directory never changes";

    // Without init.con: one report, and the start goes on with an empty name.
    fs::remove(root() / "mods/MyMod/init.con");
    EXPECT_EQ(LaunchGame(state, launcher, recorder()), LaunchOutcome::Started);
    EXPECT_EQ(reports, Strings{"Unable to read mod's name from ../init.con\n"});
    EXPECT_EQ(readFile(mapList()), "game.addLevel mymap GPM_CQ \r\ngame.setCurrentLevel mymap GPM_CQ \r\n");
    EXPECT_EQ(launcher.arguments.at(1), (Strings{"+restart", "1", "+game", "", "+hostServer", "1", "+dedicated", "0"}));
    EXPECT_EQ(LaunchParameters(""), "+restart 1 +game  +hostServer 1 +dedicated 0");
    EXPECT_EQ(LaunchParameters("\"My Mod\""), "+restart 1 +game \"My Mod\" +hostServer 1 +dedicated 0");
}

TEST_F(QuickLaunchCore, ExecutableChoice)
{
    const struct {
        const char* name;
        std::string gameExe, debugFileOnDisk;
        int useDebug, debugFound;
        std::string program;
    } rows[] = {
        {"ostrel_plain", "ostrel", "", 0, 0, "ostrel.exe"},
        {"ostrel_debug_asked_but_missing", "ostrel", "", 1, 0, "ostrel.exe"},
        {"ostrel_debug_not_asked", "ostrel", "ostrel_r.exe", 0, 1, "ostrel.exe"},
        {"ostrel_debug", "ostrel", "ostrel_r.exe", 1, 1, "ostrel_r.exe"},
        {"kelvane_plain", "kelvane", "ostrel_r.exe", 1, 0, "kelvane.exe"},
        {"kelvane_debug", "kelvane", "KelVane_DEBUG.exe", 1, 1, "KelVane_DEBUG.exe"},
        {"names_in_other_case", "OSTREL", "Ostrel_R.EXE", 1, 1, "Ostrel_R.EXE"},
        {"other_word_has_no_debug_build", "W", "W_r.exe", 1, 0, "W.exe"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        kobtest::TempDir dir;
        enter(dir.path());
        fs::create_directories(dir.path() / "mods" / row.gameExe / "Settings");
        if (!row.debugFileOnDisk.empty())
            writeFile(dir.path() / row.debugFileOnDisk, "MZ");
        QuickLaunchState state = choice(row.gameExe, "mymap", row.useDebug);
        EXPECT_EQ(CheckDebugExe(state), row.debugFound);
        RecordingLauncher launcher;
        EXPECT_EQ(LaunchGame(state, launcher, {}), LaunchOutcome::Started);
        EXPECT_EQ(launcher.programs, Strings{row.program});
        EXPECT_TRUE(fs::exists(dir.path() / "mods" / row.gameExe / "Settings/maplist.con"));
        fs::current_path(m_previous);
    }
}

TEST_F(QuickLaunchCore, FoldersAndFilesMatchedInAnyCase)
{
    kobtest::TempDir dir;
    enter(dir.path(), "MODS");
    writeFile(dir.path() / "MODS/Ostrel/settings/MapList.con", "old");
    writeFile(dir.path() / "MODS/MyMod/Init.Con", "game.CustomGameName MyMod\n");
    RecordingLauncher launcher;
    QuickLaunchState state = choice();
    EXPECT_EQ(LaunchGame(state, launcher, {}), LaunchOutcome::Started);
    EXPECT_EQ(readFile(dir.path() / "MODS/Ostrel/settings/MapList.con"),
              "game.addLevel mymap GPM_CQ MyMod\r\ngame.setCurrentLevel mymap GPM_CQ MyMod\r\n");
    fs::current_path(m_previous);
}

// Issue 6: a map list that cannot be written starts nothing, and says why.
TEST_F(QuickLaunchCore, MissingSettingsFolderStartsNothing)
{
    initCon("game.CustomGameName MyMod\r\n");
    RecordingLauncher launcher;
    QuickLaunchState state = choice();
    EXPECT_EQ(LaunchGame(state, launcher, recorder()), LaunchOutcome::MapListFailed);
    EXPECT_TRUE(launcher.programs.empty());
    EXPECT_FALSE(fs::exists(root() / "mods/ostrel")) << "folders are not made";
    EXPECT_EQ(reports, Strings{"Unable to write the map list " + canonicalRoot().string()
                               + "/mods/ostrel/Settings/maplist.con: No such file or directory"});
}

// Issue 6: a map list cut short by a full disk is reported like one that
// cannot be opened, and nothing starts.
TEST_F(QuickLaunchCore, FullDiskWhileWritingMapListStartsNothing)
{
    gameReady();
    RecordingLauncher launcher;
    QuickLaunchState state = choice();
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &small);
    const LaunchOutcome outcome = LaunchGame(state, launcher, recorder());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(outcome, LaunchOutcome::MapListFailed);
    EXPECT_TRUE(launcher.programs.empty());
    EXPECT_EQ(reports, Strings{"Unable to write the map list " + canonicalRoot().string()
                               + "/mods/ostrel/Settings/maplist.con: File too large"});
}

// Issue 6: a start that fails is reported with the executable and the reason.
TEST_F(QuickLaunchCore, FailedStartIsReported)
{
    gameReady();
    RecordingLauncher launcher;
    launcher.result = {false, "it is not executable"};
    QuickLaunchState state = choice();
    EXPECT_EQ(LaunchGame(state, launcher, recorder()), LaunchOutcome::StartFailed);
    EXPECT_EQ(reports, Strings{"Unable to start " + canonicalRoot().string() + "/ostrel.exe: it is not executable"});
}

TEST_F(QuickLaunchCore, PlanStart)
{
    const auto file = [&](const char* name, fs::perms perms) {
        writeFile(root() / name, "#!/bin/sh\n");
        fs::permissions(root() / name, perms);
        return (root() / name).string();
    };
    const std::string script = file("game.sh", fs::perms::owner_all);
    const std::string windowsExe = file("Game.EXE", fs::perms::owner_read | fs::perms::owner_write);
    const std::string plain = file("notes.txt", fs::perms::owner_read | fs::perms::owner_write);
    const Strings args{"+game", "MyMod"};

    StartPlan plan = PlanStart(script, args, "/usr/bin/wine");
    EXPECT_TRUE(plan.ok);
    EXPECT_EQ(plan.program, script);
    EXPECT_EQ(plan.arguments, args);
    plan = PlanStart(windowsExe, args, "/opt/wine");
    EXPECT_TRUE(plan.ok);
    EXPECT_EQ(plan.program, "/opt/wine");
    EXPECT_EQ(plan.arguments, (Strings{windowsExe, "+game", "MyMod"}));

    EXPECT_EQ(PlanStart((root() / "none.exe").string(), args, "/opt/wine").reason, "the file does not exist");
    EXPECT_EQ(PlanStart((root() / "mods").string(), args, "/opt/wine").reason, "it is not a file");
    EXPECT_EQ(PlanStart(windowsExe, args, "").reason,
              "it is not executable, and wine, which would start it, is not on the PATH");
    EXPECT_EQ(PlanStart(plain, args, "/opt/wine").reason, "it is not executable");
}

} // namespace

// What the quick launch decides for both windows: start at once or show the
// dialog, what the dialog offers, what OK saves and starts, what reset removes,
// and the 255-byte limit of saved texts.

#include "app/QuickLaunchLogic.h"
#include "game/SettingsFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

// A game root with mods/MyMod (the current directory is its Archives folder)
// and ostrel's Settings folder.
class QuickLaunchLogicTest : public ::testing::Test, protected ModTree {
protected:
    QuickLaunchLogicTest() : ModTree("mods/MyMod")
    {
        writeFile(top() / "mods/MyMod/init.con", "game.setCustomGameName MyMod\r\n");
        fs::create_directories(top() / "mods/ostrel/Settings");
    }
    Strings errors;
    ErrorReport report = [this](const std::string& text) { errors.push_back(text); };
    RecordingLauncher launcher;
};

} // namespace

TEST(QuickLaunchLogic, SavedTextsStopAt255BytesBetweenCharacters)
{
    const std::string e = "\xC3\xA9"; // two bytes
    const struct { std::string in; size_t kept; } rows[] = {
        {std::string(255, 'm'), 255}, {std::string(256, 'm'), 255}, {"", 0},
        {std::string(254, 'm') + e, 254}, {std::string(253, 'm') + e + "x", 255},
        {std::string(252, 'm') + "\xE2\x82\xAC" + "x", 255}, {std::string(253, 'm') + "\xE2\x82\xAC", 253},
    };
    for (const auto& row : rows)
        EXPECT_EQ(LimitSavedText(row.in), row.in.substr(0, row.kept)) << row.in.size();
}

// Complete settings start the game without the dialog and are not written
// again; fewer entries show the dialog's first-use choices.
TEST_F(QuickLaunchLogicTest, SettingsDecideWhetherTheDialogShows)
{
    const fs::path settings = archives() / kSettingsFileName;
    writeFile(top() / "ostrel_r.exe", "MZ");
    const std::string complete = "m_MapName\r\nmymap\r\n\r\nm_gameExe\r\nostrel\r\n\r\nm_UseDebug\r\n1\r\n\r\n";
    writeFile(settings, complete);
    QuickLaunchState state = QuickLaunchStateFor(Game::Ostrel, {"zeta", "Alpha", "beta"});
    QuickLaunchForm form;
    EXPECT_EQ(BeginQuickLaunch(state, launcher, report, form), QuickLaunchStart::StartedAtOnce);
    EXPECT_EQ(std::tuple(launcher.programs, readFile(settings), form.maps, errors),
              std::tuple(Strings{"ostrel_r.exe"}, complete, Strings{}, Strings{}));

    writeFile(settings, "m_gameExe\r\nW\r\n\r\n");
    state = QuickLaunchStateFor(Game::Ostrel, {"zeta", "Alpha", "beta"});
    EXPECT_EQ(BeginQuickLaunch(state, launcher, report, form), QuickLaunchStart::ShowDialog);
    EXPECT_EQ(std::tuple(form.maps, form.mapIndex, form.modes, form.modeIndex, form.debugEnabled, form.useDebug, state.m_gameExe),
              std::tuple(Strings{"Alpha", "beta", "zeta"}, 0, Strings{"GPM_COOP", "GPM_CQ"}, 1, false, false, "W"))
        << "no W_r.exe; only the executable of an incomplete file counts";

    fs::remove(settings);
    state = QuickLaunchStateFor(Game::Ostrel, {});
    EXPECT_EQ(BeginQuickLaunch(state, launcher, report, form), QuickLaunchStart::ShowDialog);
    EXPECT_EQ(std::tuple(form.maps, form.mapIndex, form.debugEnabled), std::tuple(Strings{}, -1, true));
    EXPECT_EQ(launcher.programs.size(), 1u);
}

// OK saves the choice, each text limited, then starts; reset removes the
// file, and one that cannot be removed is reported.
TEST_F(QuickLaunchLogicTest, OkSavesThenStartsAndResetRemoves)
{
    const fs::path settings = archives() / kSettingsFileName;
    QuickLaunchState state = QuickLaunchStateFor(Game::Ostrel, {"Alpine"});
    EXPECT_EQ(AcceptQuickLaunch(state, {std::string(300, 'm'), "GPM_COOP", true}, launcher, report), LaunchOutcome::Started);
    EXPECT_EQ(std::tuple(readFile(settings), launcher.programs, errors),
              std::tuple("m_MapName\r\n" + std::string(255, 'm') + "\r\n\r\nm_gpmString\r\nGPM_COOP\r\n\r\nm_gameExe\r\nostrel\r\n\r\n"
                                     "m_UseDebug\r\n1\r\n\r\n", Strings{"ostrel.exe"}, Strings{}));
    EXPECT_EQ(readFile(top() / "mods/ostrel/Settings/maplist.con").substr(0, 14 + 255), "game.addLevel " + std::string(255, 'm'));

    ForgetQuickLaunchSettings(report);
    ForgetQuickLaunchSettings(report); // no file: no error
    EXPECT_EQ(std::pair(fs::exists(settings), errors), std::pair(false, Strings{}));
    fs::create_directories(settings / "inside");
    ForgetQuickLaunchSettings(report);
    QuickLaunchForm form;
    EXPECT_EQ(BeginQuickLaunch(state, launcher, report, form), QuickLaunchStart::ShowDialog);
    ASSERT_EQ(errors.size(), 2u) << "the folder left in its place is named as settings ignored";
    EXPECT_TRUE(errors[0].starts_with("Unable to delete _quickLaunch.cfg: ")) << errors[0];
    EXPECT_EQ(errors[1], "Ignored the settings in _quickLaunch.cfg: not a regular file");
}

// The quick-launch dialog and the two quick-launch buttons' entry points.
// Modal runs are watched by a timer; error boxes are recorded, not shown.

#include "qt/CQuickLaunchDlg.h"
#include "qt/GuiTestHelpers.h"
#include "qt/KobPackDlg.h"
#include "qt/QuickLaunch.h"
#include "qt/QuickLaunchError.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using namespace kobtest;

QCheckBox* useDebug(QWidget* dialog) { return FindControl<QCheckBox>(dialog, 1026); }

// A game root with the mod mods/MyMod, named in its init.con, and ostrel's
// Settings folder; the current directory is the mod's Archives folder.
class QuickLaunchDialog : public ::testing::Test, protected ModTree {
protected:
    QuickLaunchDialog() : ModTree("mods/MyMod") {}
    void SetUp() override
    {
        SetQuickLaunchErrorBox([this](QWidget*, const QString& title, const QString& text) {
            boxes.push_back(title.toStdString() + "|" + text.toStdString());
        });
        writeFile(top() / "mods/MyMod/init.con", "game.setCustomGameName MyMod\r\n");
        fs::create_directories(top() / "mods/ostrel/Settings");
    }
    void TearDown() override { SetQuickLaunchErrorBox({}); }
    fs::path settings() const { return archives() / "_quickLaunch.cfg"; }

    // Runs `launch`; `onShown` gets the dialog if it shows and must close it
    // (default: Cancel). Returns whether it showed; any other modal is left to the watchdog.
    bool run(const std::function<void()>& launch, const std::function<void(CQuickLaunchDlg*)>& onShown = {})
    {
        Watchdog dog;
        bool shown = false;
        WhenModal answer([&](QWidget* modal) {
            if (auto* dialog = qobject_cast<CQuickLaunchDlg*>(modal); (shown = dialog))
                onShown ? onShown(dialog) : press(dialog, 2);
        });
        launch();
        return shown;
    }

    Strings boxes; // "title|text" of each error box
    RecordingLauncher launcher;
};

TEST_F(QuickLaunchDialog, ResetShowsTheFirstUseChoicesAndCancelDoesNothing)
{
    writeFile(settings(), settingsText("mymap", "ostrel", 0));
    EXPECT_TRUE(run([&] { ResetQuickLaunch(nullptr, Game::Ostrel, {"zeta", "Alpha", "beta", "alpha"}, launcher); },
                    [&](CQuickLaunchDlg* dialog) {
        EXPECT_EQ(std::pair(fs::exists(settings()), dialog->windowTitle()), std::pair(false, QString("Quick Launch Settings")))
            << "the settings are deleted before the dialog shows";
        // Item number and text, or entries and selection, in tab order.
        Strings chain;
        for (QWidget* w = dialog->nextInFocusChain(); w != dialog; w = w->nextInFocusChain())
            if (auto* box = qobject_cast<QComboBox*>(w); w->parentWidget() == dialog)
                chain.push_back(w->property("controlId").toString().toStdString() + "="
                                + (box ? choices(box) : w->property("text").toString().toStdString()));
        EXPECT_EQ(chain, (Strings{"1=OK", "2=Cancel", "-1=Gameplay Mode:", "1023=Alpha,alpha,beta,zeta>Alpha", "-1=Map:",
                                  "1024=GPM_COOP,GPM_CQ>GPM_CQ", "1026=Use Debug Exe"}));
        EXPECT_EQ(std::tuple(FindControl<QPushButton>(dialog, 1)->isDefault(), useDebug(dialog)->isChecked(), useDebug(dialog)->isEnabled()),
                  std::tuple(true, false, false)) << "OK is the default; no ostrel_r.exe";
        press(dialog, 2);
    }));
    EXPECT_EQ(std::tuple(fs::exists(settings()), launcher.programs, boxes), std::tuple(false, Strings{}, Strings{}));
}

// Typing stops at 255 bytes of the saved text (é is two). A shown dialog
// hands on the map "typed map", which is in no list, and a click on "Use
// Debug Exe", then OK.
TEST_F(QuickLaunchDialog, OkHandsOnTheDialogsChoices)
{
    writeFile(top() / "ostrel_r.exe", "MZ");
    EXPECT_TRUE(run([&] { QuickLaunch(nullptr, Game::Ostrel, {"Alpine"}, launcher); }, [&](CQuickLaunchDlg* dialog) {
        QLineEdit* field = FindControl<QComboBox>(dialog, 1023)->lineEdit();
        field->setText(QString(127, u'\u00E9')), field->insert(QString(u'\u00E9')), field->insert("x");
        EXPECT_EQ(field->text(), QString(127, u'\u00E9') + "x");
        FindControl<QComboBox>(dialog, 1023)->setEditText("typed map");
        QTest::mouseClick(useDebug(dialog), Qt::LeftButton);
        press(dialog, 1);
    }));
    EXPECT_EQ(std::tuple(launcher.programs, readFile(settings()), boxes),
              std::tuple(Strings{"ostrel_r.exe"}, settingsText("typed map", "ostrel", 1), Strings{}));
}

// Issue 14: a level whose name is not UTF-8 reached the map list and the
// settings file as replacement characters instead of its bytes.
TEST_F(QuickLaunchDialog, LevelNameBytesReachTheSettingsFileAndTheMapList)
{
    const std::string level = "Alp\xE9ne";
    folder("ostrel/levels/" + level);
    EXPECT_TRUE(run([] { CKobPackDlg window; window.show(); press(&window, 1014); }, [](CQuickLaunchDlg* dialog) { press(dialog, 1); }));
    EXPECT_EQ(readFile(settings()), settingsText(level, "ostrel", 0));
    EXPECT_EQ(readFile(top() / "mods/ostrel/Settings/maplist.con"),
              "game.addLevel " + level + " GPM_CQ MyMod\r\ngame.setCurrentLevel " + level + " GPM_CQ MyMod\r\n");
}

// Issue 6: a start that fails is shown as "ERROR!" naming the executable and
// the reason. The real launcher starts a runnable ostrel.exe itself, and on
// Linux one without its run bit through the wine on the PATH.
TEST_F(QuickLaunchDialog, RealStartOrErrorNamingTheExecutable)
{
    writeFile(settings(), settingsText("mymap", "ostrel", 0));
    const fs::path started = top() / "started.txt";
    // Writes its arguments, in brackets, and its working directory to started.txt.
    const auto recordingScript = [&](const std::string& name, bool runnable) {
        writeFile(top() / name, "#!/bin/sh\n{ printf '[%s]\\n' \"$@\"; pwd -P; } > '" + started.string() + "'\n");
        fs::permissions(top() / name, runnable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
    };
    recordingScript("bin/wine", true);
    const std::string exe = canonicalTop() + "/ostrel.exe";
    const std::string words = "[+restart]\n[1]\n[+game]\n[MyMod]\n[+hostServer]\n[1]\n[+dedicated]\n[0]\n" + canonicalTop() + "\n";
    const std::string error = "ERROR!|Unable to start " + exe + ": ";
    const struct { const char* name; bool made, runnable; const char* path; std::string box, record; } rows[] = {
        {"missing", false, false, "bin", error + "the file does not exist", ""},
        {"no_wine", true, false, "nowine", error + "it is not executable, and wine, which would start it, is not on the PATH", ""},
        {"through_wine", true, false, "bin", "", "[" + exe + "]\n" + words},
        {"runnable", true, true, "bin", "", words},
    };
    const QByteArray path = qgetenv("PATH");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (boxes.clear(); row.made)
            recordingScript("ostrel.exe", row.runnable);
        qputenv("PATH", QByteArray::fromStdString((top() / row.path).string()));
        EXPECT_FALSE(run([&] { QuickLaunch(nullptr, Game::Ostrel, {}); }));
        EXPECT_TRUE(QTest::qWaitFor([&] { return readFile(started).ends_with(row.record); }, 10000));
        EXPECT_EQ(std::pair(boxes, readFile(started)), std::pair(row.box.empty() ? Strings{} : Strings{row.box}, row.record));
        fs::remove(started);
    }
    qputenv("PATH", path);
    EXPECT_EQ(fs::current_path(), fs::canonical(archives()));
}

} // namespace

// The quick-launch dialog and the entry points of the two quick-launch
// buttons. Every modal run is watched by a timer, so a dialog that stays open
// fails the test instead of hanging it; error boxes are recorded, not shown.

#include "app/Discovery.h"
#include "quicklaunch/CQuickLaunchDlg.h"
#include "quicklaunch/Launcher.h"
#include "quicklaunch/QuickLaunch.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

using kobtest::readFile;
using kobtest::writeFile;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const std::string kCompleteSettings = "m_MapName\r\nmymap\r\n\r\nm_gpmString\r\nGPM_CQ\r\n\r\n"
                                      "m_gameExe\r\nostrel\r\n\r\nm_UseDebug\r\n0\r\n\r\n";

struct RecordingLauncher : Launcher {
    Strings programs;
    std::vector<Strings> arguments;
    LaunchResult Start(const std::string& program, const Strings& args, const std::string&) override
    {
        programs.push_back(program);
        arguments.push_back(args);
        return {true, {}};
    }
};

template <class T = QWidget>
T* control(const QWidget* dialog, int id)
{
    for (T* child : dialog->findChildren<T*>())
        if (child->property("controlId").isValid() && child->property("controlId").toInt() == id)
            return child;
    return nullptr;
}

void click(QWidget* dialog, int id)
{
    QTest::mouseClick(control<QPushButton>(dialog, id), Qt::LeftButton);
}

// A game root in a temporary folder holding the mod mods/MyMod; its Archives
// folder is the current directory, as the tool always runs there.
class QuickLaunchDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(archives());
        fs::current_path(archives());
        SetQuickLaunchErrorBox([this](QWidget*, const QString& title, const QString& text) {
            boxes.push_back(title.toStdString() + "|" + text.toStdString());
        });
    }
    void TearDown() override
    {
        SetQuickLaunchErrorBox({});
        fs::current_path(m_previous);
    }
    fs::path root() const { return m_dir.path(); }
    std::string canonicalRoot() const { return fs::canonical(root()).string(); }
    fs::path archives() const { return root() / "mods/MyMod/Archives"; }
    fs::path settings() const { return archives() / "_quickLaunch.cfg"; }
    fs::path mapList(const std::string& game = "ostrel") const { return root() / "mods" / game / "Settings/maplist.con"; }
    void gameReady(const std::string& game = "ostrel") const
    {
        writeFile(root() / "mods/MyMod/init.con", "game.setCustomGameName MyMod\r\n");
        fs::create_directories(root() / "mods" / game / "Settings");
    }

    // Runs `launch`, which may show the dialog modally; `onShown` gets the
    // dialog once it shows and must close it (by default: Cancel). Returns
    // whether it was shown. Anything modal still open after 10 s fails the
    // test and is closed.
    bool run(const std::function<void()>& launch, const std::function<void(CQuickLaunchDlg*)>& onShown = {})
    {
        bool shown = false;
        QTimer poll, watchdog;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<CQuickLaunchDlg*>(QApplication::activeModalWidget());
            if (dialog && !shown) {
                shown = true;
                onShown ? onShown(dialog) : click(dialog, 2);
            }
        });
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            ADD_FAILURE() << "a modal window stayed open";
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                    dialog->reject();
        });
        poll.start(10);
        watchdog.start(10000);
        launch();
        return shown;
    }

    Strings boxes; // "title|text" of each error box
    RecordingLauncher launcher;

private:
    fs::path m_previous = fs::current_path();
    kobtest::TempDir m_dir;
};

QStringList items(const QComboBox* combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

TEST_F(QuickLaunchDialog, LayoutTextsAndItemNumbers)
{
    CQuickLaunchDlg dialog(launcher);
    EXPECT_EQ(dialog.windowTitle(), QString("Quick Launch Settings"));
    ASSERT_TRUE(control<QPushButton>(&dialog, 1) && control<QPushButton>(&dialog, 2));
    ASSERT_TRUE(control<QComboBox>(&dialog, 1023) && control<QComboBox>(&dialog, 1024));
    ASSERT_TRUE(control<QCheckBox>(&dialog, 1026));
    EXPECT_EQ(control<QPushButton>(&dialog, 1)->text(), QString("OK"));
    EXPECT_TRUE(control<QPushButton>(&dialog, 1)->isDefault());
    EXPECT_EQ(control<QPushButton>(&dialog, 2)->text(), QString("Cancel"));
    EXPECT_EQ(control<QCheckBox>(&dialog, 1026)->text(), QString("Use Debug Exe"));
    EXPECT_TRUE(control<QComboBox>(&dialog, 1023)->isEditable() && control<QComboBox>(&dialog, 1024)->isEditable());
    EXPECT_EQ(control<QLabel>(&dialog, -1)->parent(), &dialog);
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text() + "=" + label->property("controlId").toString();
    labels.sort();
    EXPECT_EQ(labels, QStringList({"Gameplay Mode:=-1", "Map:=-1"}));

    // Places in dialog units, checked against the dialog's own 214 by 110;
    // two pixels of rounding allowed.
    const double ux = dialog.width() / 214.0, uy = dialog.height() / 110.0;
    const int places[][4] = {{1, 157, 7, 50}, {2, 157, 24, 50}, {1023, 7, 17, 127}, {1024, 7, 55, 95}, {1026, 141, 93, 66}};
    for (const auto& place : places) {
        SCOPED_TRACE(place[0]);
        const QRect geometry = control(&dialog, place[0])->geometry();
        EXPECT_NEAR(geometry.x(), place[1] * ux, 2.0);
        EXPECT_NEAR(geometry.y(), place[2] * uy, 2.0);
        EXPECT_NEAR(geometry.width(), place[3] * ux, 2.0);
    }
    EXPECT_NEAR(dialog.height() * 8.0 / QFontMetrics(dialog.font()).height(), 110, 1.0) << "8 units down per line";

    std::vector<int> tabOrder;
    for (QWidget* w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain())
        if (w->property("controlId").toInt() > 0)
            tabOrder.push_back(w->property("controlId").toInt());
    EXPECT_EQ(tabOrder, (std::vector<int>{1, 2, 1023, 1024, 1026}));

    // The settings file is read 255 characters at a time, so the fields take
    // no more than 255 bytes.
    QLineEdit* edit = control<QComboBox>(&dialog, 1023)->lineEdit();
    QTest::keyClicks(edit, QString(300, 'x'));
    EXPECT_EQ(edit->text(), QString(255, 'x'));
    edit->clear();
    for (int i = 0; i < 200; ++i)
        edit->insert(QString(QChar(0xE9)));
    EXPECT_EQ(edit->text(), QString(127, QChar(0xE9))) << "two bytes each";
}

TEST_F(QuickLaunchDialog, FirstUseShowsDefaultsAndCancelEscapeCloseDoNothing)
{
    gameReady();
    EXPECT_TRUE(run([&] { QuickLaunch(nullptr, kGameOstrel, {"zeta", "Alpha", "beta", "alpha"}, launcher); },
                    [&](CQuickLaunchDlg* dialog) {
                        EXPECT_EQ(items(control<QComboBox>(dialog, 1024)), QStringList({"GPM_COOP", "GPM_CQ"}));
                        EXPECT_EQ(control<QComboBox>(dialog, 1024)->currentText(), QString("GPM_CQ"));
                        EXPECT_EQ(items(control<QComboBox>(dialog, 1023)), QStringList({"Alpha", "alpha", "beta", "zeta"}));
                        EXPECT_EQ(control<QComboBox>(dialog, 1023)->currentText(), QString("Alpha"));
                        EXPECT_FALSE(control<QCheckBox>(dialog, 1026)->isChecked());
                        EXPECT_FALSE(control<QCheckBox>(dialog, 1026)->isEnabled()) << "no ostrel_r.exe";
                        click(dialog, 2);
                    }));
    EXPECT_TRUE(run([&] { QuickLaunch(nullptr, kGameOstrel, {"map"}, launcher); },
                    [](CQuickLaunchDlg* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }));
    EXPECT_TRUE(run([&] { QuickLaunch(nullptr, kGameOstrel, {"map"}, launcher); },
                    [](CQuickLaunchDlg* dialog) { dialog->close(); }));
    EXPECT_FALSE(fs::exists(settings()));
    EXPECT_FALSE(fs::exists(mapList()));
    EXPECT_TRUE(launcher.programs.empty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(QuickLaunchDialog, UseDebugExeEnabledOnlyWhenTheGamesDebugExeExists)
{
    writeFile(root() / "ostrel_r.exe", "MZ");
    for (int game : {kGameOstrel, kGameKelVane}) {
        SCOPED_TRACE(game);
        EXPECT_TRUE(run([&] { QuickLaunch(nullptr, game, {}, launcher); }, [&](CQuickLaunchDlg* dialog) {
            EXPECT_EQ(control<QCheckBox>(dialog, 1026)->isEnabled(), game == kGameOstrel);
            click(dialog, 2);
        }));
    }
    writeFile(root() / "KelVane_DEBUG.exe", "MZ");
    EXPECT_TRUE(run([&] { QuickLaunch(nullptr, kGameKelVane, {}, launcher); }, [&](CQuickLaunchDlg* dialog) {
        EXPECT_TRUE(control<QCheckBox>(dialog, 1026)->isEnabled());
        click(dialog, 2);
    }));
}

TEST_F(QuickLaunchDialog, OkSavesAndStartsThenTheNextPressStartsAtOnce)
{
    gameReady();
    writeFile(root() / "ostrel_r.exe", "MZ");
    EXPECT_TRUE(run([&] { QuickLaunch(nullptr, kGameOstrel, {"Alpine", "Coast"}, launcher); },
                    [&](CQuickLaunchDlg* dialog) {
                        // A map that is in no list is saved and started as typed.
                        control<QComboBox>(dialog, 1023)->lineEdit()->setText("typed map");
                        QTest::mouseClick(control<QCheckBox>(dialog, 1026), Qt::LeftButton);
                        click(dialog, 1);
                    }));
    const std::string saved = "m_MapName\r\ntyped map\r\n\r\nm_gpmString\r\nGPM_CQ\r\n\r\n"
                              "m_gameExe\r\nostrel\r\n\r\nm_UseDebug\r\n1\r\n\r\n";
    EXPECT_EQ(readFile(settings()), saved);
    const std::string lines = "game.addLevel typed map GPM_CQ MyMod\r\ngame.setCurrentLevel typed map GPM_CQ MyMod\r\n";
    EXPECT_EQ(readFile(mapList()), lines);
    EXPECT_EQ(launcher.programs, Strings{"ostrel_r.exe"});
    EXPECT_EQ(launcher.arguments.at(0), (Strings{"+restart", "1", "+game", "MyMod", "+hostServer", "1", "+dedicated", "0"}));

    fs::remove(mapList());
    EXPECT_FALSE(run([&] { QuickLaunch(nullptr, kGameOstrel, {"Other"}, launcher); }));
    EXPECT_EQ(launcher.programs, (Strings{"ostrel_r.exe", "ostrel_r.exe"}));
    EXPECT_EQ(readFile(mapList()), lines);
    EXPECT_EQ(readFile(settings()), saved);

    // Enter in the map field acts as OK.
    fs::remove(settings());
    EXPECT_TRUE(run([&] { QuickLaunch(nullptr, kGameOstrel, {"Alpine"}, launcher); }, [](CQuickLaunchDlg* dialog) {
        QTest::keyClick(control<QComboBox>(dialog, 1023)->lineEdit(), Qt::Key_Return);
    }));
    EXPECT_EQ(launcher.programs.size(), 3u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(QuickLaunchDialog, NoLevelsSavesAnEmptyMapThatStillCountsAsComplete)
{
    gameReady();
    EXPECT_TRUE(run([&] { QuickLaunch(nullptr, kGameOstrel, {}, launcher); },
                    [](CQuickLaunchDlg* dialog) { click(dialog, 1); }));
    EXPECT_FALSE(run([&] { QuickLaunch(nullptr, kGameOstrel, {"Alpine"}, launcher); }));
    EXPECT_EQ(launcher.programs.size(), 2u);
    EXPECT_EQ(readFile(mapList()), "game.addLevel  GPM_CQ MyMod\r\ngame.setCurrentLevel  GPM_CQ MyMod\r\n");
}

TEST_F(QuickLaunchDialog, TwoEntriesShowTheDefaultsButTheirGameExeIsUsed)
{
    gameReady("W");
    writeFile(settings(), "m_gpmString\r\nGPM_COOP\r\n\r\nm_gameExe\r\nW\r\n\r\n");
    writeFile(root() / "ostrel_r.exe", "MZ");
    EXPECT_TRUE(run([&] { QuickLaunch(nullptr, kGameOstrel, {"Alpine"}, launcher); }, [&](CQuickLaunchDlg* dialog) {
        EXPECT_EQ(control<QComboBox>(dialog, 1024)->currentText(), QString("GPM_CQ"));
        EXPECT_FALSE(control<QCheckBox>(dialog, 1026)->isEnabled()) << "W has no debug build";
        click(dialog, 1);
    }));
    EXPECT_EQ(launcher.programs, Strings{"W.exe"});
    EXPECT_EQ(readFile(mapList("W")), "game.addLevel Alpine GPM_CQ MyMod\r\ngame.setCurrentLevel Alpine GPM_CQ MyMod\r\n");
}

TEST_F(QuickLaunchDialog, ResetDeletesTheSettingsFirst)
{
    gameReady();
    writeFile(settings(), kCompleteSettings);
    EXPECT_TRUE(run([&] { ResetQuickLaunch(nullptr, kGameOstrel, {"Alpine"}, launcher); }, [&](CQuickLaunchDlg* dialog) {
        EXPECT_FALSE(fs::exists(settings()));
        click(dialog, 2);
    }));
    EXPECT_TRUE(run([&] { ResetQuickLaunch(nullptr, kGameOstrel, {"Alpine"}, launcher); }));
    EXPECT_TRUE(launcher.programs.empty());
    EXPECT_TRUE(boxes.empty()) << "a missing file is no error";

    fs::create_directories(settings() / "inside");
    run([&] { ResetQuickLaunch(nullptr, kGameOstrel, {}, launcher); });
    EXPECT_EQ(boxes, Strings{"ERROR!|Unable to delete _quickLaunch.cfg: Directory not empty"});
}

TEST_F(QuickLaunchDialog, ErrorBoxes)
{
    writeFile(settings(), kCompleteSettings);
    fs::create_directories(root() / "mods/ostrel");
    // Issue 6: a map list that cannot be written is reported, and nothing starts.
    run([&] { QuickLaunch(nullptr, kGameOstrel, {}, launcher); });
    EXPECT_EQ(boxes, (Strings{"ERROR!|Unable to read mod's name from ../init.con\n",
                              "ERROR!|Unable to write the map list " + canonicalRoot()
                                  + "/mods/ostrel/Settings/maplist.con: No such file or directory"}));
    EXPECT_TRUE(launcher.programs.empty());

    // Issue 6: a start that fails names the executable and the reason.
    gameReady();
    boxes.clear();
    run([&] { QuickLaunch(nullptr, kGameOstrel, {}); });
    EXPECT_EQ(boxes, Strings{"ERROR!|Unable to start " + canonicalRoot() + "/ostrel.exe: the file does not exist"});
}

// A script that records its arguments, one per line in brackets, and its
// working directory into `record`.
void recordingScript(const fs::path& script, const fs::path& record, bool runnable)
{
    writeFile(script, "#!/bin/sh\n{ for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; printf 'pwd=%s\\nEND\\n' \"$(pwd -P)\"; } > '"
                          + record.string() + "'\n");
    fs::permissions(script, runnable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

// What the script wrote, once it has finished; waits at most 10 s.
std::string waitForRecord(const fs::path& file)
{
    for (int i = 0; i < 1000; ++i) {
        const std::string content = fs::exists(file) ? readFile(file) : "";
        if (content.size() >= 4 && content.compare(content.size() - 4, 4, "END\n") == 0)
            return content;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "(nothing recorded)";
}

TEST_F(QuickLaunchDialog, RealStartRecordsArgumentsAndWorkingDirectory)
{
    gameReady();
    writeFile(settings(), kCompleteSettings);
    recordingScript(root() / "ostrel.exe", root() / "started.txt", true);
    EXPECT_FALSE(run([&] { QuickLaunch(nullptr, kGameOstrel, {}); }));
    EXPECT_EQ(boxes, Strings{});
    EXPECT_EQ(waitForRecord(root() / "started.txt"),
              "[+restart]\n[1]\n[+game]\n[MyMod]\n[+hostServer]\n[1]\n[+dedicated]\n[0]\npwd=" + canonicalRoot() + "\nEND\n");
    EXPECT_EQ(fs::current_path(), fs::canonical(archives()));
}

TEST_F(QuickLaunchDialog, WindowsExecutableStartsThroughWineOnThePath)
{
    gameReady();
    writeFile(settings(), kCompleteSettings);
    recordingScript(root() / "ostrel.exe", root() / "started.txt", false);
    recordingScript(root() / "bin/wine", root() / "wine.txt", true);
    fs::create_directories(root() / "nowine");
    const QByteArray path = qgetenv("PATH");
    for (const char* dir : {"nowine", "bin"}) {
        qputenv("PATH", QByteArray::fromStdString((root() / dir).string()));
        run([&] { QuickLaunch(nullptr, kGameOstrel, {}); });
    }
    qputenv("PATH", path);
    EXPECT_EQ(boxes, Strings{"ERROR!|Unable to start " + canonicalRoot()
                             + "/ostrel.exe: it is not executable, and wine, which would start it, is not on the PATH"});
    EXPECT_EQ(waitForRecord(root() / "wine.txt"), "[" + canonicalRoot() + "/ostrel.exe]\n[+restart]\n[1]\n[+game]\n[MyMod]\n"
                                                  "[+hostServer]\n[1]\n[+dedicated]\n[0]\npwd=" + canonicalRoot() + "\nEND\n");
}

} // namespace

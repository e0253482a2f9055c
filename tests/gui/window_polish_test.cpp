// What a mod author meets first in the window: the work folder, fonts, the
// file line, the focus frame and names that are not UTF-8.

#include "game/Discovery.h"
#include "game/Launcher.h"
#include "gui/CQuickLaunchDlg.h"
#include "gui/ElidedLabel.h"
#include "gui/GuiTestHelpers.h"
#include "gui/KobPackApp.h"
#include "gui/KobPackDlg.h"
#include "gui/QtPackControls.h"
#include "gui/QuickLaunchError.h"
#include "gui/WorkFolder.h"
#include "support/TestSupport.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace kobtest;

namespace {

struct NoLauncher : Launcher {
    LaunchResult Start(const std::string&, const std::vector<std::string>&, const std::string&) override
    {
        return {false, "not started in tests"};
    }
};

// Restores the current directory and HOME when it goes.
struct KeepProcessState {
    fs::path directory = fs::current_path();
    QByteArray home = qgetenv("HOME");
    ~KeepProcessState()
    {
        fs::current_path(directory);
        qputenv("HOME", home);
    }
};

} // namespace

// Issue 14: kobpack-gui DIR works in DIR; where nothing can be packed (or in
// the home folder, where a menu starts it) the chooser is asked once.
TEST(WorkFolder, EntersDirOrAsksOnceWhereNothingIsPacked)
{
    KeepProcessState keep;
    TempDir dir;
    const fs::path top = fs::canonical(dir.path());
    const fs::path archives = top / "mod/Archives", empty = top / "empty/Archives", home = top / "home";
    for (const fs::path& folder : {archives, top / "mod/Objects", empty, home})
        fs::create_directories(folder);
    qputenv("HOME", QByteArray::fromStdString(home.string()));
    const QString archivesText = QString::fromStdString(archives.string());
    const QString missing = QString::fromStdString((top / "missing").string());

    struct Row { const char* name; fs::path start; QString folder, chosen; WorkFolderOutcome outcome; fs::path after; int asked; };
    const Row rows[] = {
        {"DirGiven", empty, archivesText, "", WorkFolderOutcome::Entered, archives, 0},
        {"StartedInAMod", archives, "", "", WorkFolderOutcome::Entered, archives, 0},
        {"NothingHere", empty, "", archivesText, WorkFolderOutcome::Entered, archives, 1},
        {"ChosenFolderIsNotAskedAgain", empty, "", QString::fromStdString(empty.string()), WorkFolderOutcome::Entered, empty, 1},
        {"HomeFolder", home, "", archivesText, WorkFolderOutcome::Entered, archives, 1},
        {"CancelQuits", empty, "", "", WorkFolderOutcome::Cancelled, empty, 1},
        {"MissingDir", archives, missing, "", WorkFolderOutcome::Failed, archives, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::current_path(row.start);
        int asked = 0;
        const WorkFolderResult result = EnterWorkFolder(row.folder, [&] { ++asked; return row.chosen; });
        EXPECT_EQ(result.outcome, row.outcome);
        EXPECT_EQ(fs::current_path(), row.after);
        EXPECT_EQ(asked, row.asked);
        EXPECT_EQ(result.message, row.outcome == WorkFolderOutcome::Failed
                                      ? "Unable to open the folder " + missing + ": No such file or directory" : "");
    }
}

// Issue 14: a dialog without a parent took another font than the live
// window, so the rendered pictures differed from what the user sees.
TEST(WindowFonts, EveryDialogTakesTheApplicationFontWithOrWithoutAParent)
{
    ModTree mod;
    Watchdog dog;
    QFont big = DialogFont();
    big.setPointSize(13);
    QApplication::setFont(big);
    CKobPackDlg window;
    NoLauncher launcher;
    for (QWidget* parent : {static_cast<QWidget*>(nullptr), static_cast<QWidget*>(&window)}) {
        CPackProgressDlg progress(parent);
        CQuickLaunchDlg quickLaunch(launcher, parent);
        const auto help = MakeHelpBox(parent);
        for (const QWidget* dialog : {static_cast<QWidget*>(&window), static_cast<QWidget*>(&progress),
                                      static_cast<QWidget*>(&quickLaunch), static_cast<QWidget*>(help.get())})
            EXPECT_EQ(dialog->font(), big) << dialog->metaObject()->className();
    }
    // The tool's start-up makes the dialog font the application's.
    whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    CKobPackApp().InitInstance();
    EXPECT_EQ(QApplication::font(), DialogFont());
}

// Issue 14: the file line was cut at its end, so for a long path the file
// being packed was never visible.
TEST(ProgressFileLine, LongPathIsShortenedInTheMiddle)
{
    CPackProgressDlg dialog;
    auto* line = qobject_cast<ElidedLabel*>(dialog.m_status);
    ASSERT_NE(line, nullptr);
    QtPackControls controls(&dialog, dialog.m_status, dialog.m_status2, dialog.m_progress);
    const std::string path = "../kelVane/levels/" + std::string(300, 'x') + "/objects/truck.con";
    controls.setUpperLine(path);
    const QString shown = line->displayedText();
    EXPECT_TRUE(shown.startsWith("../kelVane/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("x/objects/truck.con")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_LE(line->fontMetrics().horizontalAdvance(shown), line->contentsRect().width());
    EXPECT_EQ(line->text().toStdString(), path) << "the whole path stays the label's text";
    controls.setUpperLine("../Objects/a.con");
    EXPECT_EQ(line->displayedText(), "../Objects/a.con");
}

// Issue 14: the picture buttons showed no focus, so a keyboard user could
// not see where Tab went.
TEST(PictureButton, FocusDrawsAFrameOverTheImageAndLeavesTheRest)
{
    ModTree mod;
    CKobPackDlg window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    CBitmapButton* all = window.m_allLevelsButton;
    const QImage plain = all->grab().toImage();
    all->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(all->hasFocus());
    const QImage framed = all->grab().toImage();
    const QRect plate = QRect(QPoint(0, 0), QImage(":/images/all.png").size()) & all->rect();
    const QRect words = plate.adjusted(5, 5, -6, -6); // well inside any frame over the plate
    int dark = 0, light = 0, outside = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            if (plain.pixel(x, y) == framed.pixel(x, y))
                continue;
            if (!plate.contains(x, y) || words.contains(x, y))
                ++outside;
            qGray(framed.pixel(x, y)) < 64 ? ++dark : ++light;
        }
    EXPECT_EQ(outside, 0) << "the frame stays on the plate and off its words";
    EXPECT_GE(dark, plate.width() / 2);
    EXPECT_GE(light, plate.width() / 2);
    window.m_packLevelButton->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(all->grab().toImage(), plain) << "the frame goes with the focus";
}

// Issue 14: a level whose name is not UTF-8 reached the map list and the
// settings file as replacement characters instead of its bytes.
TEST(QuickLaunchNames, LevelNameBytesReachTheSettingsFileAndTheMapList)
{
    KeepProcessState keep;
    TempDir root; // the game root
    const std::string level = "Alp\xE9ne";
    const fs::path mod = root.path() / "mods/MyMod";
    fs::create_directories(mod / "Archives");
    fs::create_directories(mod / "ostrel/levels" / level);
    fs::create_directories(root.path() / "mods/ostrel/Settings");
    writeFile(mod / "init.con", "game.setCustomGameName MyMod\r\n");
    fs::current_path(mod / "Archives");
    Names boxes;
    SetQuickLaunchErrorBox([&](QWidget*, const QString& title, const QString&) { boxes.push_back(title.toStdString()); });
    Watchdog dog;

    CKobPackDlg window;
    window.show();
    whenModal([](QWidget* dialog) { FindControl<QPushButton>(dialog, 1)->click(); });
    FindControl<QPushButton>(&window, 1014)->click();
    SetQuickLaunchErrorBox({});

    EXPECT_EQ(readFile(mod / "Archives/_quickLaunch.cfg"),
              "m_MapName\r\n" + level + "\r\n\r\nm_gpmString\r\nGPM_CQ\r\n\r\nm_gameExe\r\nostrel\r\n\r\nm_UseDebug\r\n0\r\n\r\n");
    EXPECT_EQ(readFile(root.path() / "mods/ostrel/Settings/maplist.con"),
              "game.addLevel " + level + " GPM_CQ MyMod\r\ngame.setCurrentLevel " + level + " GPM_CQ MyMod\r\n");
    EXPECT_EQ(boxes, Names{"ERROR!"}) << "no ostrel.exe to start";
}

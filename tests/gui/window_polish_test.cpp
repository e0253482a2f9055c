// What a mod author meets first in the window: the work folder, fonts, the
// file line, the focus frame and names that are not UTF-8.

#include "gui/CQuickLaunchDlg.h"
#include "gui/ElidedLabel.h"
#include "gui/GuiTestHelpers.h"
#include "gui/KobPackApp.h"
#include "gui/KobPackDlg.h"
#include "gui/ProcessLauncher.h"
#include "gui/QtPackControls.h"
#include "gui/QuickLaunchError.h"
#include "gui/WorkFolder.h"
#include "support/TestSupport.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace kobtest;

// Issue 14: kobpack-gui DIR works in DIR; where nothing can be packed (or in
// the home folder, where a menu starts it) the chooser is asked once.
TEST(WorkFolder, EntersDirOrAsksOnceWhereNothingIsPacked)
{
    ModTree mod;
    const fs::path archives = fs::canonical(mod.archives()), empty = archives / "../empty/Archives", home = archives / "../home";
    mod.folder("Objects");
    mod.folder("empty/Archives");
    mod.folder("home");
    const QByteArray keepHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home.string()));
    const auto text = [](const fs::path& path) { return QString::fromStdString(path.lexically_normal().string()); };
    using enum WorkFolderOutcome;
    struct Row { const char* name; fs::path start; QString folder, chosen; WorkFolderOutcome outcome; fs::path after; int asked; };
    const Row rows[] = {
        {"DirGiven", empty, text(archives), "", Entered, archives, 0},
        {"StartedInAMod", archives, "", "", Entered, archives, 0},
        {"NothingHere", empty, "", text(archives), Entered, archives, 1},
        {"ChosenFolderIsNotAskedAgain", empty, "", text(empty), Entered, empty, 1},
        {"HomeFolder", home, "", text(archives), Entered, archives, 1},
        {"CancelQuits", empty, "", "", Cancelled, empty, 1},
        {"MissingDir", archives, "/no/such/dir", "", Failed, archives, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::current_path(row.start);
        int asked = 0;
        const WorkFolderResult result = EnterWorkFolder(row.folder, [&] { ++asked; return row.chosen; });
        EXPECT_EQ(std::tuple(result.outcome, fs::current_path(), asked), std::tuple(row.outcome, fs::canonical(row.after), row.asked));
        EXPECT_EQ(result.message, row.outcome == Failed ? "Unable to open the folder /no/such/dir: No such file or directory" : "");
    }
    qputenv("HOME", keepHome);
}

// Issue 14: a dialog without a parent took another font than the live
// window, so the rendered pictures differed from what the user sees.
TEST(WindowFonts, EveryDialogTakesTheApplicationFont)
{
    ModTree mod;
    Watchdog dog;
    QFont big = DialogFont();
    big.setPointSize(13);
    QApplication::setFont(big);
    CKobPackDlg window;
    ProcessLauncher launcher; // starts nothing here
    CPackProgressDlg progress(&window);
    CQuickLaunchDlg quickLaunch(launcher);
    const auto help = MakeHelpBox(&window);
    for (const QWidget* dialog : std::initializer_list<const QWidget*>{&window, &progress, &quickLaunch, help.get()})
        EXPECT_EQ(dialog->font(), big) << dialog->metaObject()->className();
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
    controls.setUpperLine("../kelVane/levels/" + std::string(300, 'x') + "/objects/truck.con");
    const std::string shown = line->displayedText().toStdString();
    EXPECT_TRUE(shown.starts_with("../kelVane/") && shown.ends_with("x/objects/truck.con") && shown.find("\u2026") != shown.npos) << shown;
    EXPECT_LE(line->fontMetrics().horizontalAdvance(line->displayedText()), line->contentsRect().width());
    EXPECT_EQ(line->text().size(), 18 + 300 + 18) << "the whole path stays the label's text";
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
    const QImage framed = all->grab().toImage();
    const QRect plate = QRect(QPoint(0, 0), QImage(":/images/all.png").size()) & all->rect();
    const QRect words = plate.adjusted(5, 5, -6, -6); // well inside any frame over the plate
    int dark = 0, light = 0, outside = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (plain.pixel(x, y) != framed.pixel(x, y)) {
                outside += !plate.contains(x, y) || words.contains(x, y);
                qGray(framed.pixel(x, y)) < 64 ? ++dark : ++light;
            }
    EXPECT_EQ(outside, 0) << "the frame stays on the plate and off its words";
    EXPECT_GE(std::min(dark, light), plate.width() / 2) << "dark and light dots";
    window.m_packLevelButton->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(all->grab().toImage(), plain) << "the frame goes with the focus";
}

// Issue 14: a level whose name is not UTF-8 reached the map list and the
// settings file as replacement characters instead of its bytes.
TEST(QuickLaunchNames, LevelNameBytesReachTheSettingsFileAndTheMapList)
{
    const fs::path previous = fs::current_path();
    TempDir root; // the game root
    const std::string level = "Alp\xE9ne";
    const fs::path mod = root.path() / "mods/MyMod";
    fs::create_directories(mod / "Archives");
    fs::create_directories(mod / "ostrel/levels" / level);
    fs::create_directories(root.path() / "mods/ostrel/Settings");
    writeFile(mod / "init.con", "game.setCustomGameName MyMod\r\n");
    fs::current_path(mod / "Archives");
    SetQuickLaunchErrorBox([](QWidget*, const QString&, const QString&) {}); // no ostrel.exe to start
    Watchdog dog;
    CKobPackDlg window;
    window.show();
    whenModal([](QWidget* dialog) { FindControl<QPushButton>(dialog, 1)->click(); });
    FindControl<QPushButton>(&window, 1014)->click();
    SetQuickLaunchErrorBox({});
    fs::current_path(previous);

    EXPECT_EQ(readFile(mod / "Archives/_quickLaunch.cfg"),
              "m_MapName\r\n" + level + "\r\n\r\nm_gpmString\r\nGPM_CQ\r\n\r\nm_gameExe\r\nostrel\r\n\r\nm_UseDebug\r\n0\r\n\r\n");
    EXPECT_EQ(readFile(root.path() / "mods/ostrel/Settings/maplist.con"),
              "game.addLevel " + level + " GPM_CQ MyMod\r\ngame.setCurrentLevel " + level + " GPM_CQ MyMod\r\n");
}

// The main window on temporary mod trees, offscreen; controls are found by their item numbers.

#include "format/ArchiveReader.h"
#include "qt/GuiTestHelpers.h"
#include "qt/KobPackApp.h"
#include "qt/KobPackDlg.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <memory>

using namespace kobtest;

namespace {

// The window as the tool opens it, in the current directory.
std::unique_ptr<CKobPackDlg> openWindow() { auto window = std::make_unique<CKobPackDlg>(); window->show(); return window; }

QComboBox* levels(const QWidget& w) { return FindControl<QComboBox>(&w, 1004); }
QComboBox* folders(const QWidget& w) { return FindControl<QComboBox>(&w, 1006); }

// Whether `archive` is compressed, and its entry names.
std::pair<bool, Strings> contents(const std::string& archive)
{
    ArchiveReader reader;
    EXPECT_TRUE(reader.open(archive)) << archive << ": " << reader.error();
    Strings names;
    for (const ReaderEntry& entry : reader.entries())
        names.push_back(entry.name);
    return {reader.compressed(), names};
}

} // namespace

// What the window finds in the mod root: the game, both lists sorted without
// regard to case with their first entries chosen, Compress clear, "Ready".
TEST(MainWindow, StartStateOnDifferentModTrees)
{
    struct Row { const char* name; Strings made; Game game; std::string levels, folders; };
    const Row rows[] = {
        {"OnlyPackableFolders", {"Objects", "Menu", "Movies", "Music", "Logs", "lightmaps", "_backup", ".svn",
                                 "kelVane/levels/Bay", "kelVane/levels/alpine", "kelVane/levels/.svn"},
         Game::KelVane, "alpine,Bay>alpine", "kelVane/game,lightmaps,Menu,Objects>kelVane/game"},
        {"BothGamesGiveTheSecond", {"Ostrel/levels/Os", "KelVane/levels/Kel"}, Game::KelVane, "Kel>Kel", "kelVane/game>kelVane/game"},
        {"NoGame", {"Objects"}, Game::None, ">", "Objects>Objects"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ModTree mod;
        for (const std::string& folder : row.made)
            mod.folder(folder);
        const auto window = openWindow();
        EXPECT_EQ(std::tuple(window->m_game, choices(levels(*window)), choices(folders(*window))),
                  std::tuple(row.game, row.levels, row.folders));
        EXPECT_EQ(std::tuple(FindControl(window.get(), 1015)->property("checked").toBool(), textOf(window.get(), 1008),
                             window->focusWidget()),
                  std::tuple(false, QString("Ready"), FindControl(window.get(), 1005)));
    }
}

TEST(MainWindow, ImagesAndFocusFrame)
{
    ModTree mod;
    const auto window = openWindow();
    EXPECT_EQ(window->windowTitle(), "Kob Mod Quick Pack 1.5");
    // A button draws its normal image, and its pressed one while pressed.
    const auto image = [](const QString& name) { return QImage(":/images/" + name + ".png").convertToFormat(QImage::Format_RGB32); };
    const QRgb normal = image("pack_level").pixel(12, 8), pressed = image("pack_level_pressed").pixel(12, 8);
    ASSERT_NE(normal, pressed);
    const QRgb drawn = window->m_packLevelButton->grab().toImage().pixel(12, 8);
    window->m_packLevelButton->setDown(true);
    EXPECT_EQ(std::pair(drawn, window->m_packLevelButton->grab().toImage().pixel(12, 8)), std::pair(normal, pressed));
    const auto iconSizes = window->windowIcon().availableSizes();
    EXPECT_TRUE(iconSizes.contains(QSize(32, 32)) && iconSizes.contains(QSize(16, 16)));

    // Issue 14: the picture buttons showed no focus, so a keyboard user could not see where Tab went.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    CBitmapButton* all = window->m_allLevelsButton;
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
    window->m_packLevelButton->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(all->grab().toImage(), plain) << "the frame goes with the focus";
}

// The folder field is packed as it reads, listed or not; a game folder that
// exists in another case is used as it is.
TEST(MainWindow, PackFolderPacksTheFieldAndUsesAnExistingGameFolder)
{
    ModTree mod;
    for (const char* file : {"Objects/o.con", "_backup/b.con", "kelVane/Game/g.con"})
        mod.file(file, "x");
    fs::create_directory("KELVANE");
    const auto window = openWindow();
    Watchdog dog;
    for (const char* field : {"Objects", "kelVane/game", "_backup"}) {
        folders(*window)->lineEdit()->setText(field);
        press(window.get(), 1007);
    }
    EXPECT_EQ(std::tuple(contents("Objects.kob"), contents("KELVANE/game.kob"), contents("_backup.kob"), fs::exists("kelVane")),
              std::tuple(std::pair(false, Strings{"Objects/o.con"}), std::pair(false, Strings{"kelVane/game/g.con"}),
                         std::pair(false, Strings{"_backup/b.con"}), false));
}

TEST(MainWindow, AllFoldersPacksEveryEntryWithTheToggledCompressAndRestoresTheSelection)
{
    ModTree mod;
    for (const char* file : {"kelVane/levels/Alpine/a", "kelVane/levels/Bay/b", "kelVane/game/g.con", "Menu/m.con",
                             "objects/o.con", "sound/s.wav", "_typed/t.con"})
        mod.file(file, textBytes(50000));
    const auto window = openWindow();
    levels(*window)->setCurrentIndex(1);
    levels(*window)->lineEdit()->setText(QStringLiteral("typed"));
    folders(*window)->setCurrentIndex(2);
    folders(*window)->lineEdit()->setText(QStringLiteral("_typed")); // no entry: All never packs it
    press(window.get(), 1015);
    Watchdog dog;
    BatchWatch watch;
    watch.onLine = [&](CPackProgressDlg&, const std::string&) { window->OnAllFolders(); }; // turned away while busy
    press(window.get(), 1010);
    EXPECT_EQ(window->m_allFoldersBusy, 0);
    EXPECT_EQ(watch.captions, (Strings{"Creating (1 of 4): kelVane/game.kob", "Creating (2 of 4): Menu.kob",
                                     "Creating (3 of 4): objects.kob", "Creating (4 of 4): sound.kob"}));
    EXPECT_EQ(std::tuple(contents("kelVane/game.kob").first, contents("Menu.kob").first, contents("objects.kob").first,
                         contents("sound.kob").first), std::tuple(true, true, true, false));
    EXPECT_EQ(std::pair(levels(*window)->currentText(), folders(*window)->currentText()), std::pair(QString("Bay"), QString("objects")));
}

// Pack Level packs the field with Compress as toggled, under "Please Wait...".
// Issue 20: each failure left the window at "Ready" as if all went well, and an
// empty field packed the whole mod root or levels folder into a hidden ".kob".
TEST(MainWindow, PackingShowsFailuresAndEmptyFieldsInABox)
{
    ModTree mod;
    mod.files({"aaa/a.con", "bbb/b.con", "ccc/c.con", "kelVane/levels/L/sub/l.con"});
    fs::create_symlink(mod.root() / "nowhere", mod.root() / "bbb/dangling");
    fs::create_directory("ccc.kob"); // the archive's name is taken
    const auto window = openWindow();
    Watchdog dog;
    BoxRecorder recorder;
    BatchWatch watch;
    QString statusWhilePacking;
    watch.onLine = [&](CPackProgressDlg&, const std::string&) { statusWhilePacking = textOf(window.get(), 1008); };
    press(window.get(), 1015); // Compress
    press(window.get(), 1005);
    EXPECT_EQ(std::tuple(contents("kelVane/levels/L.kob"), statusWhilePacking, recorder.boxes),
              std::tuple(std::pair(true, Strings{"kelVane/levels/L/sub/l.con"}), QString("Please Wait..."), Strings{}));
    press(window.get(), 1010); // kelVane/game has nothing to pack: no failure
    levels(*window)->lineEdit()->clear();
    press(window.get(), 1005);
    folders(*window)->lineEdit()->clear();
    press(window.get(), 1007);
    EXPECT_EQ(recorder.boxes, (Strings{"Not everything was packed|"
                                       "bbb.kob: ERROR! inputFile cannot be opened: ../bbb/dangling\n"
                                       "bbb.kob: written without some files (named above and on standard output)\n"
                                       "ccc.kob: Error! Could not write .kob file: ccc.kob: Is a directory\n"
                                       "ccc.kob: not written",
                                       "Not everything was packed|an empty or blank level name; not packed",
                                       "Not everything was packed|an empty or blank folder name; not packed"}));
    EXPECT_EQ(std::tuple(contents("aaa.kob").second, fs::exists("kelVane/levels/.kob"), fs::exists(".kob"), textOf(window.get(), 1008)),
              std::tuple(Strings{"aaa/a.con"}, false, false, QString("Ready")));
}

// Esc closes the window; so does Enter, unless a plain push button has the
// focus, which Enter then presses ("?" opens Help, "T" the settings).
TEST(MainWindow, EscAndEnterCloseOrPressAsTheFocusDecides)
{
    struct Row { const char* name; int focusId; Qt::Key key; std::string opens; };
    const Row rows[] = {
        {"EscapeOnPackLevel", 1005, Qt::Key_Escape, ""}, {"EscapeInFolderField", 1006, Qt::Key_Escape, ""},
        {"EnterOnPackLevel", 1005, Qt::Key_Return, ""},  {"EnterInLevelField", 1004, Qt::Key_Return, ""},
        {"EnterOnCompress", 1015, Qt::Key_Return, ""},   {"EnterOnHelp", 1012, Qt::Key_Return, "Help"},
        {"EnterOnQuickLaunch", 1014, Qt::Key_Return, "Quick Launch Settings"},
    };
    ModTree mod;
    Watchdog dog;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto window = openWindow();
        std::string opened;
        WhenModal answer([&](QWidget* modal) { opened = modal->windowTitle().toStdString(), qobject_cast<QDialog*>(modal)->done(0); });
        FindControl(window.get(), row.focusId)->setFocus();
        QTest::keyClick(window->focusWidget(), row.key);
        EXPECT_EQ(std::pair(window->isVisible(), opened), std::pair(!row.opens.empty(), row.opens)) << "closes unless a dialog opened";
    }
}

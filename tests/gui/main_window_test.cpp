// The main window on temporary mod trees, offscreen; controls are found by their item numbers.

#include "format/ArchiveReader.h"
#include "gui/GuiTestHelpers.h"
#include "gui/KobPackApp.h"
#include "gui/KobPackDlg.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <memory>

using namespace kobtest;

namespace {

// The window as the tool opens it, in the current directory.
std::unique_ptr<CKobPackDlg> openWindow()
{
    auto window = std::make_unique<CKobPackDlg>();
    window->show();
    return window;
}

QComboBox* levels(const QWidget& w) { return FindControl<QComboBox>(&w, 1004); }
QComboBox* folders(const QWidget& w) { return FindControl<QComboBox>(&w, 1006); }
QString status(const QWidget& w) { return FindControl(&w, 1008)->property("text").toString(); }
void press(const QWidget& w, int id) { FindControl<QAbstractButton>(&w, id)->click(); }

Strings items(const QComboBox* list)
{
    Strings texts;
    for (int i = 0; i < list->count(); ++i)
        texts.push_back(list->itemText(i).toStdString());
    return texts;
}

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
    struct Row { const char* name; Strings made; int game; Strings levels, folders; };
    const Row rows[] = {
        {"OnlyPackableFolders", {"Objects", "Menu", "Movies", "Music", "Logs", "lightmaps", "_backup", ".svn",
                                 "kelVane/levels/Bay", "kelVane/levels/alpine", "kelVane/levels/.svn"},
         2, {"alpine", "Bay"}, {"kelVane/game", "lightmaps", "Menu", "Objects"}},
        {"BothGamesGiveTheSecond", {"Ostrel/levels/Os", "KelVane/levels/Kel"}, 2, {"Kel"}, {"kelVane/game"}},
        {"NoGame", {"Objects"}, 0, {}, {"Objects"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ModTree mod;
        for (const std::string& folder : row.made)
            mod.folder(folder);
        const auto window = openWindow();
        EXPECT_EQ(window->m_game, row.game);
        EXPECT_EQ(items(levels(*window)), row.levels);
        EXPECT_EQ(items(folders(*window)), row.folders);
        EXPECT_EQ(levels(*window)->currentText().toStdString(), row.levels.empty() ? "" : row.levels[0]);
        EXPECT_EQ(folders(*window)->currentText().toStdString(), row.folders[0]);
        EXPECT_FALSE(FindControl(window.get(), 1015)->property("checked").toBool());
        EXPECT_EQ(status(*window), "Ready");
        EXPECT_EQ(window->focusWidget(), FindControl(window.get(), 1005));
    }
}

TEST(MainWindow, LayoutAndImagesFollowTheTemplate)
{
    ModTree mod;
    const auto window = openWindow();
    EXPECT_EQ(window->windowTitle(), "Kob Mod Quick Pack 1.5");
    expectLayout(*window, 361, 33,
                 {{1005, "Pack Level", 96, 4, 47, 18}, {1004, nullptr, 7, 4, 85, 0}, {1006, nullptr, 188, 4, 81, 0},
                  {1007, "Pack Folder", 273, 4, 48, 18}, {1008, "Ready", 145, 23, 59, 8}, {1009, "All", 147, 4, 26, 12},
                  {1010, "All", 325, 4, 26, 12}, {1012, "?", 341, 19, 13, 12}, {1015, "Compress", 7, 21, 47, 10},
                  {1014, "T", 326, 19, 13, 12}, {1025, "", 317, 24, 7, 8}});

    // The six button images at their sizes; a button draws its normal one, and its pressed one while pressed.
    const auto image = [](const QString& name) {
        return QImage(":/images/" + name + ".png").convertToFormat(QImage::Format_RGB32);
    };
    for (const auto& [name, size] : {std::pair{"pack_level", QSize(70, 30)}, {"pack_folder", QSize(70, 30)},
                                     {"all", QSize(37, 16)}}) {
        EXPECT_EQ(image(name).size(), size) << name;
        EXPECT_EQ(image(name + QStringLiteral("_pressed")).size(), size) << name;
    }
    const QRgb normal = image("pack_level").pixel(12, 8), pressed = image("pack_level_pressed").pixel(12, 8);
    ASSERT_NE(normal, pressed);
    auto* button = FindControl<QAbstractButton>(window.get(), 1005);
    EXPECT_EQ(button->grab().toImage().pixel(12, 8), normal);
    button->setDown(true);
    EXPECT_EQ(button->grab().toImage().pixel(12, 8), pressed);
    for (const QSize size : {QSize(32, 32), QSize(16, 16)})
        EXPECT_TRUE(window->windowIcon().availableSizes().contains(size));
}

TEST(MainWindow, PackLevelUnderTheFirstGameMakesItsFoldersAndWritesTheLevel)
{
    ModTree mod;
    mod.file("ostrel/levels/Alpine/info.con", "run");
    mod.file("ostrel/levels/Alpine/sub/map.raw", textBytes(70000));
    const auto window = openWindow();
    ASSERT_EQ(window->m_game, 1);
    Watchdog dog;
    BatchWatch watch;
    QString statusWhilePacking;
    watch.onLine = [&](CPackProgressDlg&, const std::string&) { statusWhilePacking = status(*window); };
    press(*window, 1015); // Compress
    press(*window, 1005);
    EXPECT_EQ(contents("ostrel/levels/Alpine.kob"),
              std::pair(true, Strings{"ostrel/levels/Alpine/info.con", "ostrel/levels/Alpine/sub/map.raw"}));
    EXPECT_EQ(statusWhilePacking, "Please Wait...");
    EXPECT_EQ(status(*window), "Ready");
}

// The folder field is packed as it reads, listed or not; a game folder that
// exists in another case is used as it is.
TEST(MainWindow, PackFolderPacksTheFieldAndUsesAnExistingGameFolder)
{
    ModTree mod;
    mod.file("Objects/o.con", "o");
    mod.file("_backup/b.con", "b");
    mod.file("kelVane/Game/g.con", "g");
    fs::create_directory("KELVANE");
    const auto window = openWindow();
    Watchdog dog;
    for (const char* field : {"Objects", "kelVane/game", "_backup"}) {
        folders(*window)->lineEdit()->setText(field);
        press(*window, 1007);
    }
    EXPECT_EQ(contents("Objects.kob"), std::pair(false, Strings{"Objects/o.con"}));
    EXPECT_EQ(contents("KELVANE/game.kob"), std::pair(false, Strings{"kelVane/game/g.con"}));
    EXPECT_FALSE(fs::exists("kelVane"));
    EXPECT_EQ(contents("_backup.kob"), std::pair(false, Strings{"_backup/b.con"}));
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
    press(*window, 1015);
    Watchdog dog;
    BatchWatch watch;
    watch.onLine = [&](CPackProgressDlg&, const std::string&) { window->OnAllFolders(); }; // turned away while busy
    press(*window, 1010);
    EXPECT_EQ(window->m_allFoldersBusy, 0);
    EXPECT_EQ(watch.captions, (Strings{"Creating (1 of 4): kelVane/game.kob", "Creating (2 of 4): Menu.kob",
                                     "Creating (3 of 4): objects.kob", "Creating (4 of 4): sound.kob"}));
    for (const char* archive : {"kelVane/game.kob", "Menu.kob", "objects.kob"})
        EXPECT_TRUE(contents(archive).first) << archive;
    EXPECT_FALSE(contents("sound.kob").first);
    EXPECT_EQ(levels(*window)->currentText(), "Bay");
    EXPECT_EQ(folders(*window)->currentText(), "objects");
}

TEST(MainWindow, HelpBoxAsksWithItsText)
{
    const auto box = MakeHelpBox(nullptr);
    EXPECT_EQ(std::tuple(box->windowTitle(), box->icon(), box->standardButtons()),
              std::tuple(QString("Help"), QMessageBox::Question, QMessageBox::StandardButtons(QMessageBox::Ok)));
    EXPECT_EQ(box->text().toStdString(),
              "- Place this utility in your mod's archives folder.\n"
              "- Unpacked folders should be at your mod's root.\n"
              "- Directories and levels will be automaticly detected and added to drop down lists. \n"
              "\n"
              "Example:\n"
              "   Extracted objects folder should be located \\mods\\YourMod\\Objects\\\n"
              "    This program should be executed from \\mods\\YourMod\\Archives\\\n");
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
        if (!row.opens.empty())
            whenModal([&](QWidget* modal) {
                opened = modal->windowTitle().toStdString();
                qobject_cast<QDialog*>(modal)->done(0);
            });
        FindControl(window.get(), row.focusId)->setFocus();
        QTest::keyClick(window->focusWidget(), row.key);
        EXPECT_EQ(window->isVisible(), !row.opens.empty()) << "the window closes unless a dialog opened";
        EXPECT_EQ(opened, row.opens);
    }
}

TEST(KobPackApp, RunsTheWindowWithTheDiscardingSinkAndEndsWhenItCloses)
{
    ModTree mod;
    Watchdog dog;
    MessageSink* sinkWhileOpen = nullptr;
    whenModal([&](QWidget* modal) {
        sinkWhileOpen = qobject_cast<CKobPackDlg*>(modal) ? InstalledMessageSink() : nullptr;
        qobject_cast<QDialog*>(modal)->reject();
    });
    CKobPackApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_NE(sinkWhileOpen, nullptr);
    EXPECT_EQ(InstalledMessageSink(), nullptr);
}

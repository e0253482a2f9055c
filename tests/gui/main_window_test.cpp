// The main window on real temporary mod trees, with the offscreen platform;
// controls are found by their item numbers.

#include "app/DialogUnits.h"
#include "app/KobPackApp.h"
#include "app/KobPackDlg.h"
#include "archive/ArchiveReader.h"
#include "archive/MessageSink.h"
#include "support/TestSupport.h"
#include "gui/GuiTestHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
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

QComboBox* levels(const QWidget* w) { return FindControl<QComboBox>(w, 1004); }
QComboBox* folders(const QWidget* w) { return FindControl<QComboBox>(w, 1006); }
QString status(const QWidget* w) { return FindControl<QLabel>(w, 1008)->text(); }
void press(const QWidget* w, int id) { FindControl<QAbstractButton>(w, id)->click(); }

std::vector<std::string> items(const QComboBox* list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list->count(); ++i)
        texts.push_back(list->itemText(i).toStdString());
    return texts;
}

std::vector<std::string> entryNames(const std::string& archive)
{
    ArchiveReader reader;
    EXPECT_TRUE(reader.open(archive)) << archive << ": " << reader.error();
    std::vector<std::string> names;
    for (const ReaderEntry& entry : reader.entries())
        names.push_back(entry.name);
    return names;
}

bool compressed(const std::string& archive)
{
    ArchiveReader reader;
    EXPECT_TRUE(reader.open(archive)) << archive << ": " << reader.error();
    return reader.compressed();
}

} // namespace

TEST(MainWindow, StartStateShowsTheFirstEntriesCompressClearAndReady)
{
    ModTree mod;
    for (const char* level : {"Harbour", "alpine", "Lowlands", ".hidden"})
        mod.folder(std::string("kelVane/levels/") + level);
    mod.file("kelVane/levels/readme.txt");
    mod.folder("objects");
    mod.folder("Menu");
    const auto window = openWindow();
    EXPECT_EQ(window->windowTitle(), "Kob Mod Quick Pack 1.5");
    EXPECT_EQ(window->m_game, 2);
    EXPECT_EQ(items(levels(window.get())), (std::vector<std::string>{"alpine", "Harbour", "Lowlands"}));
    EXPECT_EQ(levels(window.get())->currentText(), "alpine");
    EXPECT_EQ(items(folders(window.get())), (std::vector<std::string>{"kelVane/game", "Menu", "objects"}));
    EXPECT_EQ(folders(window.get())->currentText(), "kelVane/game");
    EXPECT_FALSE(FindControl<QCheckBox>(window.get(), 1015)->isChecked());
    EXPECT_EQ(status(window.get()), "Ready");
    EXPECT_EQ(window->focusWidget(), FindControl(window.get(), 1005));
}

TEST(MainWindow, ControlsPositionsTabOrderAndImagesFollowTheTemplate)
{
    ModTree mod;
    const auto window = openWindow();
    const DialogUnits du(window->font());
    EXPECT_EQ(window->size(), QSize(du.toPixelsX(361), du.toPixelsY(33)));
    struct Row { int id; const char* text; int x, y, w, h; };
    // Drop-downs: x, y and width; their height is the field's, the template's included the list.
    for (const Row& row : {Row{1005, "Pack Level", 96, 4, 47, 18}, Row{1004, "", 7, 4, 85, 0},
                           Row{1006, "", 188, 4, 81, 0}, Row{1007, "Pack Folder", 273, 4, 48, 18},
                           Row{1008, "Ready", 145, 23, 59, 8}, Row{1009, "All", 147, 4, 26, 12},
                           Row{1010, "All", 325, 4, 26, 12}, Row{1012, "?", 341, 19, 13, 12},
                           Row{1015, "Compress", 7, 21, 47, 10}, Row{1014, "T", 326, 19, 13, 12},
                           Row{1025, "", 317, 24, 7, 8}}) {
        SCOPED_TRACE(row.id);
        QWidget* control = FindControl(window.get(), row.id);
        ASSERT_NE(control, nullptr);
        QRect expected = du.toPixels(row.x, row.y, row.w, row.h);
        if (row.h == 0)
            expected.setHeight(control->height());
        EXPECT_EQ(control->geometry(), expected);
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            EXPECT_EQ(button->text(), row.text);
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_EQ(label->text(), row.text);
        }
    }
    std::vector<int> tabOrder;
    QWidget* w = FindControl(window.get(), 1005);
    do {
        if (w->property(kControlIdProperty).isValid() && (w->focusPolicy() & Qt::TabFocus))
            tabOrder.push_back(w->property(kControlIdProperty).toInt());
        w = w->nextInFocusChain();
    } while (w != FindControl(window.get(), 1005));
    EXPECT_EQ(tabOrder, (std::vector<int>{1005, 1004, 1006, 1007, 1009, 1010, 1012, 1015, 1014, 1025}));

    // Each image button draws its normal image, and its pressed one while pressed.
    for (const auto& [id, normal, pressed] : {std::tuple{1005, "pack_level", "pack_level_pressed"},
                                              std::tuple{1007, "pack_folder", "pack_folder_pressed"},
                                              std::tuple{1009, "all", "all_pressed"}}) {
        SCOPED_TRACE(id);
        auto* button = FindControl<QAbstractButton>(window.get(), id);
        const QImage image = QImage(QStringLiteral(":/images/%1.png").arg(normal)).convertToFormat(QImage::Format_RGB32);
        const QImage down = QImage(QStringLiteral(":/images/%1.png").arg(pressed)).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), id == 1009 ? QSize(37, 16) : QSize(70, 30));
        EXPECT_EQ(button->grab().toImage().pixel(12, 8), image.pixel(12, 8));
        button->setDown(true);
        EXPECT_EQ(button->grab().toImage().pixel(12, 8), down.pixel(12, 8));
        EXPECT_NE(image.pixel(12, 8), down.pixel(12, 8));
        button->setDown(false);
    }
    EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(32, 32)));
    EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(16, 16)));
}

TEST(MainWindow, FolderListKeepsOnlyPackableFoldersSorted)
{
    ModTree mod;
    for (const char* folder : {"Objects", "Menu", "Movies", "Music", "Logs", "lightmaps", "_backup", ".svn", "kelVane"})
        mod.folder(folder);
    const auto window = openWindow();
    EXPECT_EQ(items(folders(window.get())), (std::vector<std::string>{"kelVane/game", "lightmaps", "Menu", "Objects"}));
}

TEST(MainWindow, BothGameFoldersGiveTheSecondGame)
{
    ModTree mod;
    mod.folder("Ostrel/levels/OstrelOnly");
    mod.folder("KelVane/levels/KelOnly");
    const auto window = openWindow();
    EXPECT_EQ(window->m_game, 2);
    EXPECT_EQ(items(levels(window.get())), std::vector<std::string>{"KelOnly"});
    EXPECT_EQ(items(folders(window.get())), std::vector<std::string>{"kelVane/game"});
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
    press(window.get(), 1005);
    EXPECT_TRUE(fs::is_directory("ostrel"));
    EXPECT_TRUE(fs::is_directory("ostrel/levels"));
    EXPECT_EQ(watch.only("caption:"), std::vector<std::string>{"Creating (1 of 1): ostrel/levels/Alpine.kob"});
    EXPECT_EQ(entryNames("ostrel/levels/Alpine.kob"),
              (std::vector<std::string>{"ostrel/levels/Alpine/info.con", "ostrel/levels/Alpine/sub/map.raw"}));
    EXPECT_EQ(status(window.get()), "Ready");
}

TEST(MainWindow, PackFolderPacksTheFieldAsTypedAndUsesAnExistingGameFolder)
{
    ModTree mod;
    mod.folder("kelVane");
    mod.file("Objects/o.con", "o");
    mod.file("_backup/b.con", "b");
    mod.file("kelVane/Game/g.con", "g");
    fs::create_directory("KELVANE"); // made earlier, in another case
    const auto window = openWindow();
    Watchdog dog;
    BatchWatch watch;
    folders(window.get())->setCurrentIndex(folders(window.get())->findText("Objects"));
    press(window.get(), 1007);
    folders(window.get())->setCurrentIndex(folders(window.get())->findText("kelVane/game"));
    press(window.get(), 1007);
    folders(window.get())->lineEdit()->setText(QStringLiteral("_backup"));
    press(window.get(), 1007);
    EXPECT_EQ(watch.only("caption:"), (std::vector<std::string>{"Creating (1 of 1): Objects.kob",
                                                                "Creating (1 of 1): kelVane/game.kob",
                                                                "Creating (1 of 1): _backup.kob"}));
    EXPECT_EQ(entryNames("Objects.kob"), std::vector<std::string>{"Objects/o.con"});
    EXPECT_EQ(entryNames("KELVANE/game.kob"), std::vector<std::string>{"kelVane/game/g.con"});
    EXPECT_FALSE(fs::exists("kelVane"));
    EXPECT_EQ(entryNames("_backup.kob"), std::vector<std::string>{"_backup/b.con"});
}

TEST(MainWindow, AllFoldersPacksEveryEntryWithTheToggledCompressAndRestoresTheSelection)
{
    ModTree mod;
    mod.folder("kelVane/levels/Alpine");
    mod.folder("kelVane/levels/Bay");
    mod.file("kelVane/game/g.con", textBytes(50000));
    mod.file("Menu/m.con", textBytes(50000));
    mod.file("objects/o.con", textBytes(50000));
    mod.file("sound/s.wav", textBytes(50000));
    mod.file("_typed/t.con", "t");
    const auto window = openWindow();
    levels(window.get())->setCurrentIndex(1);
    folders(window.get())->setCurrentIndex(2);
    folders(window.get())->lineEdit()->setText(QStringLiteral("_typed")); // not in the list: never packed by All
    press(window.get(), 1015);
    EXPECT_EQ(window->m_compress, 1);
    Watchdog dog;
    BatchWatch watch;
    watch.onLine = [&](CPackProgressDlg&, const std::string&) {
        window->OnAllFolders(); // a second All while the first runs is turned away
    };
    press(window.get(), 1010);
    EXPECT_EQ(watch.dialogs, 1);
    EXPECT_EQ(window->m_allFoldersBusy, 0);
    EXPECT_EQ(watch.only("caption:"), (std::vector<std::string>{"Creating (1 of 4): kelVane/game.kob",
                                                                "Creating (2 of 4): Menu.kob",
                                                                "Creating (3 of 4): objects.kob",
                                                                "Creating (4 of 4): sound.kob"}));
    EXPECT_TRUE(fs::is_directory("kelVane"));
    for (const char* archive : {"kelVane/game.kob", "Menu.kob", "objects.kob"})
        EXPECT_TRUE(compressed(archive)) << archive;
    EXPECT_FALSE(compressed("sound.kob"));
    EXPECT_FALSE(fs::exists("_typed.kob"));
    EXPECT_EQ(levels(window.get())->currentIndex(), 1);
    EXPECT_EQ(levels(window.get())->currentText(), "Bay");
    EXPECT_EQ(folders(window.get())->currentIndex(), 2);
    EXPECT_EQ(folders(window.get())->currentText(), "objects");
    EXPECT_EQ(status(window.get()), "Ready");
}

TEST(MainWindow, WithoutAGameTheLevelFieldIsABareNameAndAllLevelsDoesNothing)
{
    ModTree mod;
    mod.file("Objects/o.con", "o");
    const auto window = openWindow();
    EXPECT_EQ(window->m_game, 0);
    EXPECT_EQ(levels(window.get())->count(), 0);
    EXPECT_EQ(levels(window.get())->currentText(), "");
    Watchdog dog;
    BatchWatch watch;
    press(window.get(), 1009);
    EXPECT_EQ(watch.dialogs, 0);
    EXPECT_EQ(status(window.get()), "Ready");
    levels(window.get())->lineEdit()->setText(QStringLiteral("Objects"));
    press(window.get(), 1005);
    EXPECT_EQ(watch.only("caption:"), std::vector<std::string>{"Creating (1 of 1): Objects.kob"});
    std::vector<std::string> made;
    for (const fs::directory_entry& entry : fs::directory_iterator("."))
        made.push_back(entry.path().filename().string());
    EXPECT_EQ(made, std::vector<std::string>{"Objects.kob"}) << "no folder made, only the archive";
}

// The fields do not scroll sideways: typing stops where a field is full.
TEST(MainWindow, TypingStopsWhereTheFieldIsFullButDeletingGoesOn)
{
    ModTree mod;
    const auto window = openWindow();
    QLineEdit* field = levels(window.get())->lineEdit();
    QTest::keyClicks(field, QString(200, QLatin1Char('W')));
    const qsizetype full = field->text().size();
    EXPECT_GT(full, 5);
    EXPECT_LT(full, 200);
    EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), field->width());
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text().size(), full - 1);
    field->setText(QString(100, QLatin1Char('W'))); // as a chosen entry wider than the field
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text().size(), 99);
}

TEST(MainWindow, HelpShowsItsTextInAQuestionBox)
{
    ModTree mod;
    const auto window = openWindow();
    Watchdog dog;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    press(window.get(), 1012);
    EXPECT_EQ(title, "Help");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(text.toStdString(),
              "- Place this utility in your mod's archives folder.\n"
              "- Unpacked folders should be at your mod's root.\n"
              "- Directories and levels will be automaticly detected and added to drop down lists. \n"
              "\n"
              "Example:\n"
              "   Extracted objects folder should be located \\mods\\YourMod\\Objects\\\n"
              "    This program should be executed from \\mods\\YourMod\\Archives\\\n");
}

// Enter closes the window unless a plain push button has the focus, which
// Enter presses; Esc closes it.
struct KeyCase {
    const char* name;
    int focusId;
    Qt::Key key;
    bool closes;
    const char* opens; // title of the dialog the key opens, or "" for none
};

void PrintTo(const KeyCase& row, std::ostream* out)
{
    *out << row.name;
}

class MainWindowKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(MainWindowKeys, CloseOrPressAsTheFocusDecides)
{
    ModTree mod;
    mod.folder("Objects");
    const auto window = openWindow();
    Watchdog dog;
    QString opened;
    if (*GetParam().opens)
        whenModal([&](QWidget* modal) {
            opened = modal->windowTitle();
            qobject_cast<QDialog*>(modal)->done(0);
        });
    FindControl(window.get(), GetParam().focusId)->setFocus();
    QWidget* focus = window->focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, GetParam().key);
    EXPECT_EQ(window->isVisible(), !GetParam().closes);
    EXPECT_EQ(opened.toStdString(), GetParam().opens);
}

INSTANTIATE_TEST_SUITE_P(Keys, MainWindowKeys,
                         ::testing::Values(KeyCase{"EscapeOnPackLevel", 1005, Qt::Key_Escape, true, ""},
                                           KeyCase{"EscapeInFolderField", 1006, Qt::Key_Escape, true, ""},
                                           KeyCase{"EnterOnPackLevel", 1005, Qt::Key_Return, true, ""},
                                           KeyCase{"EnterInLevelField", 1004, Qt::Key_Return, true, ""},
                                           KeyCase{"EnterOnCompress", 1015, Qt::Key_Return, true, ""},
                                           KeyCase{"EnterOnHelp", 1012, Qt::Key_Return, false, "Help"},
                                           KeyCase{"EnterOnQuickLaunch", 1014, Qt::Key_Return, false, "Quick Launch Settings"},
                                           KeyCase{"EnterOnReset", 1025, Qt::Key_Return, false, "Quick Launch Settings"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KobPackApp, RunsTheWindowWithTheDiscardingSinkAndEndsWhenItCloses)
{
    ModTree mod;
    Watchdog dog;
    MessageSink* sinkWhileOpen = nullptr;
    QString caption;
    whenModal([&](QWidget* modal) {
        sinkWhileOpen = InstalledMessageSink();
        caption = modal->windowTitle();
        qobject_cast<QDialog*>(modal)->reject();
    });
    CKobPackApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_NE(sinkWhileOpen, nullptr);
    EXPECT_EQ(caption, "Kob Mod Quick Pack 1.5");
    EXPECT_EQ(InstalledMessageSink(), nullptr);
}

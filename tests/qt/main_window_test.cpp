// The main window on temporary mod trees, offscreen, and what a mod author meets
// first: the work folder's error box, the dialogs' font and the start-up.
// Controls are found by their item numbers.

#include "format/ArchiveReader.h"
#include "qt/CQuickLaunchDlg.h"
#include "qt/GuiTestHelpers.h"
#include "qt/KobPackApp.h"
#include "qt/KobPackDlg.h"
#include "qt/ProcessLauncher.h"
#include "qt/WorkFolder.h"

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

bool compressed(const std::string& archive) { ArchiveReader reader; return reader.open(archive) && reader.compressed(); }

} // namespace

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

// At start the drop-downs show the core's lists, the first entries chosen;
// Compress clear, "Ready", the focus on Pack Level. The buttons hand the core
// the fields and the Compress box as toggled; the window shows the selection
// put back after All and the box of what went wrong, and closes when the core
// says so.
TEST(MainWindow, StartStateAndButtonsForwardFieldsCompressAndSelection)
{
    ModTree mod;
    for (const char* file : {"kelVane/levels/alpine/a", "kelVane/levels/Bay/b", "Menu/m.con", "objects/o.con", "_typed/t.con"})
        mod.file(file, textBytes(50000));
    const auto window = openWindow();
    EXPECT_EQ(std::tuple(choices(levels(*window)), choices(folders(*window)), FindControl(window.get(), 1015)->property("checked").toBool(),
                         textOf(window.get(), 1008), window->focusWidget()),
              std::tuple("alpine,Bay>alpine", "kelVane/game,Menu,objects>kelVane/game", false, QString("Ready"), FindControl(window.get(), 1005)));
    Watchdog dog;
    BoxRecorder recorder;
    folders(*window)->lineEdit()->setText(QStringLiteral("_typed"));
    press(window.get(), 1007);
    EXPECT_EQ(std::pair(compressed("_typed.kob"), entryNames("_typed.kob")), std::pair(false, Strings{"_typed/t.con"}));

    levels(*window)->setCurrentIndex(1);
    folders(*window)->setCurrentIndex(2);
    folders(*window)->lineEdit()->setText(QStringLiteral("x"));
    press(window.get(), 1015); // Compress
    press(window.get(), 1010);
    EXPECT_EQ(std::tuple(compressed("Menu.kob"), compressed("objects.kob"), levels(*window)->currentText(),
                         folders(*window)->currentText()), std::tuple(true, true, QString("Bay"), QString("objects")));
    levels(*window)->lineEdit()->clear();
    press(window.get(), 1005);
    EXPECT_EQ(std::pair(recorder.boxes, textOf(window.get(), 1008)),
              std::pair(Strings{"Not everything was packed|an empty or blank level name; not packed"}, QString("Ready")));

    BatchWatch watch; // closed during a batch: the batch stops, then the window goes
    watch.onLine = [&](CPackProgressDlg&, const std::string& line) { line.starts_with("caption:") && window->close(); };
    press(window.get(), 1009);
    EXPECT_EQ(std::pair(window->isVisible(), fs::exists("kelVane/levels/Bay.kob")), std::pair(false, false));
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

// Issue 14: a dialog without a parent took another font than the live window, so the rendered
// pictures differed from what the user sees. The help box asks with its text; the start-up makes
// the dialog font the application's, runs the window, and ends when it closes;
// a start that cannot be made is told in a box.
TEST(WindowDialogs, EveryDialogTakesTheApplicationFontAndStartUpSetsIt)
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
    const std::string text = help->text().toStdString();
    EXPECT_EQ(std::tuple(help->windowTitle(), help->icon(), help->standardButtons(), text.starts_with("- Place this utility"),
                         text.ends_with("\\Archives\\\n")),
              std::tuple(QString("Help"), QMessageBox::Question, QMessageBox::StandardButtons(QMessageBox::Ok), true, true));
    bool ranWindow = false;
    WhenModal answer([&](QWidget* modal) { ranWindow = qobject_cast<CKobPackDlg*>(modal), qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(CKobPackApp().InitInstance());
    EXPECT_EQ(std::pair(QApplication::font(), ranWindow), std::pair(DialogFont(), true));

    BoxRecorder recorder; // why the tool does not start
    ShowStartError("Unable to open the folder x: why");
    EXPECT_EQ(recorder.boxes, Strings{"ERROR!|Unable to open the folder x: why"});
}

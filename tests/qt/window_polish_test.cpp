// What a mod author meets first: the work folder, the dialogs' font and the start-up.

#include "qt/CQuickLaunchDlg.h"
#include "qt/GuiTestHelpers.h"
#include "qt/KobPackApp.h"
#include "qt/KobPackDlg.h"
#include "qt/ProcessLauncher.h"
#include "qt/WorkFolder.h"

#include <QMessageBox>

using namespace kobtest;

// Issue 14: kobpack-gui DIR works in DIR; where nothing can be packed (or in
// the home folder, where a menu starts it) the chooser is asked once.
// Issue 20: a folder not named Archives is used only after a Yes (in /tmp the
// window listed /bin, /boot...); No quits, or goes back to the chooser.
TEST(WorkFolder, EntersDirOrAsksOnceWhereNothingIsPacked)
{
    ModTree mod;
    const fs::path archives = fs::canonical(mod.archives()), empty = archives / "../empty/ARCHIVES", home = archives / "../home";
    const fs::path objects = fs::canonical(mod.root()) / "Objects"; // not an Archives folder, but with folders beside it
    for (const char* folder : {"Objects", "empty/ARCHIVES", "home"})
        mod.folder(folder);
    const QByteArray keepHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home.string()));
    const auto text = [](const fs::path& path) { return QString::fromStdString(path.lexically_normal().string()); };
    using enum WorkFolderOutcome;
    struct Row { const char* name; fs::path start; QString folder; QStringList chosen; bool yes; WorkFolderOutcome outcome; fs::path after; int asked, questions; };
    const Row rows[] = {
        {"DirGiven", empty, text(archives), {}, false, Entered, archives, 0, 0},
        {"StartedInAMod", archives, "", {}, false, Entered, archives, 0, 0},
        {"NothingHere", empty, "", {text(archives)}, false, Entered, archives, 1, 0},
        {"ChosenFolderIsNotAskedAgain", empty, "", {text(empty)}, false, Entered, empty, 1, 0},
        {"HomeFolder", home, "", {text(archives)}, false, Entered, archives, 1, 0},
        {"CancelQuits", empty, "", {}, false, Cancelled, empty, 1, 0},
        {"MissingDir", archives, "/no/such/dir", {}, false, Failed, archives, 0, 0},
        {"DirNotArchivesRefused", archives, text(objects / "."), {}, false, Cancelled, archives, 0, 1},
        {"DirNotArchivesTaken", archives, text(objects), {}, true, Entered, objects, 0, 1},
        {"StartedNotInArchivesRefused", objects, "", {}, false, Cancelled, objects, 0, 1},
        {"ChosenNotArchivesRefusedChooserAgain", empty, "", {text(objects), text(archives)}, false, Entered, archives, 2, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::current_path(row.start);
        int asked = 0;
        QStringList questions;
        const WorkFolderResult result = EnterWorkFolder(
            row.folder, [&] { return row.chosen.value(asked++); }, [&](const QString& question) { questions << question; return row.yes; });
        EXPECT_EQ(std::tuple(result.outcome, fs::current_path(), asked, result.message),
                  std::tuple(row.outcome, fs::canonical(row.after), row.asked,
                             row.outcome == Failed ? "Unable to open the folder /no/such/dir: No such file or directory" : ""));
        const QString question = text(objects) + " is not a mod's Archives folder: the folders beside it would be packed into it. Use it anyway?";
        EXPECT_EQ(questions, QStringList(row.questions, question));
    }
    qputenv("HOME", keepHome);

    // Issue 22: a DIR that cannot be entered is shown in a box and ends the tool with status 1.
    Watchdog dog;
    BoxRecorder recorder;
    EXPECT_EQ(std::pair(ReportNoWorkFolder({WorkFolderOutcome::Failed, "Unable to open the folder x: why"}),
                        ReportNoWorkFolder({WorkFolderOutcome::Cancelled, {}})), std::pair(1, 0));
    EXPECT_EQ(recorder.boxes, Strings{"ERROR!|Unable to open the folder x: why"}) << "none for a cancel";
}

// Issue 14: a dialog without a parent took another font than the live window, so the rendered
// pictures differed from what the user sees. The help box asks with its text; the start-up makes
// the dialog font the application's, runs the window with the discarding sink, and ends when it closes.
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
    MessageSink* sinkWhileOpen = nullptr;
    WhenModal answer([&](QWidget* modal) {
        sinkWhileOpen = qobject_cast<CKobPackDlg*>(modal) ? InstalledMessageSink() : nullptr;
        qobject_cast<QDialog*>(modal)->reject();
    });
    EXPECT_FALSE(CKobPackApp().InitInstance());
    EXPECT_EQ(std::tuple(QApplication::font(), sinkWhileOpen != nullptr, InstalledMessageSink()), std::tuple(DialogFont(), true, nullptr));
}

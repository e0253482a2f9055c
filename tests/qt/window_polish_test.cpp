// What a mod author meets first: the work folder, the dialogs' font and the start-up.

#include "qt/CQuickLaunchDlg.h"
#include "qt/GuiTestHelpers.h"
#include "qt/KobPackApp.h"
#include "qt/KobPackDlg.h"
#include "qt/ProcessLauncher.h"
#include "qt/WorkFolder.h"

#include <QMessageBox>

using namespace kobtest;

TEST(WorkFolder, ADirThatCannotBeEnteredIsShownInABox)
{
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

// The progress dialog, its worker and PackList/PackOne, on real temporary mod
// trees with the offscreen platform.

#include "app/DialogUnits.h"
#include "archive/ArchiveReader.h"
#include "batch/PackProgressDlg.h"
#include "batch/PackRunner.h"
#include "batch/QtPackControls.h"
#include "support/TestSupport.h"
#include "gui/GuiTestHelpers.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QWindow>

using namespace kobtest;

namespace {

struct BatchRun {
    int result = 0;
    bool visibleAfter = true;
    QString upper, lower;
    int low = -1, high = -1, value = -1;
};

// Runs a batch in the dialog as PackList does; `onLine` sees every update.
BatchRun runDialog(BatchWatch& watch, const std::vector<std::string>& names, int compress)
{
    Watchdog dog;
    CPackProgressDlg dialog;
    dialog.m_names = names;
    dialog.m_compress = compress;
    watch.watch(&dialog);
    dialog.exec();
    return BatchRun{dialog.m_result, dialog.isVisible(), dialog.m_status->text(), dialog.m_status2->text(),
               dialog.m_progress->minimum(), dialog.m_progress->maximum(), dialog.m_progress->value()};
}

// Three mod folders of three files each.
void threeFolders(const ModTree& mod)
{
    for (const char* folder : {"a", "b", "c"})
        for (const char* file : {"1.con", "2.con", "3.con"})
            mod.file(std::string(folder) + "/" + file, textBytes(5000));
}

} // namespace

TEST(ProgressDialog, LayoutTextsAndIdsFollowTheTemplate)
{
    CPackProgressDlg dialog;
    const DialogUnits du(dialog.font());
    EXPECT_EQ(dialog.size(), QSize(du.toPixelsX(265), du.toPixelsY(54)));
    EXPECT_EQ(dialog.windowTitle(), "");
    struct Row { int id; const char* text; int x, y, w, h; };
    for (const Row& row : {Row{1016, "Status:", 7, 7, 251, 8}, Row{1017, "", 7, 22, 251, 6},
                           Row{1018, "Status: 2", 7, 35, 149, 8}, Row{2, "Cancel", 208, 33, 50, 14}}) {
        SCOPED_TRACE(row.id);
        QWidget* control = FindControl(&dialog, row.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), du.toPixels(row.x, row.y, row.w, row.h));
        if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_EQ(label->text(), row.text);
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(button->text(), row.text);
        }
    }
    EXPECT_EQ(dialog.m_progress->minimum(), 0);
    EXPECT_EQ(dialog.m_progress->maximum(), 100);
    EXPECT_EQ(dialog.m_progress->value(), 0);
}

TEST(ProgressDialog, RealBatchShowsCaptionsAndBarAndClosesByItself)
{
    ModTree mod;
    for (const char* file : {"a.con", "b.con", "sub/c.con", "d.con"})
        mod.file(std::string("objects/") + file, textBytes(40000));
    mod.file("Sound/s.wav", textBytes(3000));
    mod.file("music2/m1.ogg", textBytes(3000));
    mod.file("music2/m2.ogg", textBytes(3000));
    BatchWatch watch;
    const BatchRun run = runDialog(watch, {"objects", "Sound", "music2"}, 1);

    EXPECT_EQ(run.result, 1);
    EXPECT_FALSE(run.visibleAfter);
    EXPECT_EQ(watch.only("caption:"), (std::vector<std::string>{"Creating (1 of 3): objects.kob",
                                                                "Creating (2 of 3): Sound.kob",
                                                                "Creating (3 of 3): music2.kob"}));
    // The first job: 0 (already shown), 1, 2 and 3 of 4, never 4 of 4.
    ASSERT_GE(watch.log.size(), 5u);
    const std::vector<std::string> firstJob(watch.log.begin(), watch.log.begin() + 5);
    EXPECT_EQ(firstJob, (std::vector<std::string>{"caption:Creating (1 of 3): objects.kob", "pos:1 of 4",
                                                  "pos:2 of 4", "pos:3 of 4",
                                                  "caption:Creating (2 of 3): Sound.kob"}));
    EXPECT_EQ(run.upper, "Cleaning Up");
    EXPECT_EQ(run.lower, "Packing Archive (Compressed)");
    EXPECT_EQ(run.high, 2);
    EXPECT_EQ(run.value, 1);

    for (const auto& [path, compressed, count] : {std::tuple{"objects.kob", true, size_t(4)},
                                                 std::tuple{"Sound.kob", false, size_t(1)},
                                                 std::tuple{"music2.kob", true, size_t(2)}}) {
        SCOPED_TRACE(path);
        ArchiveReader reader;
        ASSERT_TRUE(reader.open(path)) << reader.error();
        EXPECT_EQ(reader.compressed(), compressed);
        EXPECT_EQ(reader.entries().size(), count);
        EXPECT_TRUE(reader.verify().empty());
    }
}

// Cancel, Esc, the close box and a second Cancel only raise the flag; the
// job that is running notices it, deletes its archive and ends the batch.
struct CancelCase {
    const char* name;
    std::function<void(CPackProgressDlg&)> press;
};

void PrintTo(const CancelCase& row, std::ostream* out)
{
    *out << row.name;
}

class ProgressCancel : public ::testing::TestWithParam<CancelCase> {};

TEST_P(ProgressCancel, RaisesTheFlagOnlyAndTheRunningJobStops)
{
    ModTree mod;
    threeFolders(mod);
    BatchWatch watch;
    bool pressed = false;
    watch.onLine = [&](CPackProgressDlg& dialog, const std::string& line) {
        if (!pressed && line == "pos:1 of 3" && watch.only("caption:").size() == 2) {
            pressed = true;
            GetParam().press(dialog);
            EXPECT_EQ(g_cancelPack.load(), 1);
            EXPECT_TRUE(dialog.isVisible()) << "the dialog closes only when the worker asks";
        }
    };
    const BatchRun run = runDialog(watch, {"a", "b", "c"}, 0);
    ASSERT_TRUE(pressed);
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(run.upper, "Cleaning Up"); // the job ran its end after the press
    EXPECT_TRUE(fs::exists("a.kob"));
    EXPECT_FALSE(fs::exists("b.kob"));
    EXPECT_FALSE(fs::exists("c.kob"));
    EXPECT_EQ(watch.only("caption:").back(), "Creating (2 of 3): b.kob");
}

INSTANTIATE_TEST_SUITE_P(
    Presses, ProgressCancel,
    ::testing::Values(CancelCase{"CancelButton", [](CPackProgressDlg& d) { d.m_cancel->click(); }},
                      CancelCase{"CancelTwice",
                                 [](CPackProgressDlg& d) {
                                     d.m_cancel->click();
                                     d.m_cancel->click();
                                 }},
                      CancelCase{"EscapeKey", [](CPackProgressDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
                      CancelCase{"CloseBox", [](CPackProgressDlg& d) { d.close(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressDialog, EnterDoesNothing)
{
    ModTree mod;
    threeFolders(mod);
    BatchWatch watch;
    bool pressed = false;
    watch.onLine = [&](CPackProgressDlg& dialog, const std::string& line) {
        if (!pressed && line == "pos:1 of 3") {
            pressed = true;
            QTest::keyClick(&dialog, Qt::Key_Return);
            QTest::keyClick(dialog.m_cancel, Qt::Key_Return); // the focused Cancel is no default button
            QTest::keyClick(dialog.m_cancel, Qt::Key_Enter, Qt::KeypadModifier);
            EXPECT_EQ(g_cancelPack.load(), 0);
            EXPECT_TRUE(dialog.isVisible());
        }
    };
    const BatchRun run = runDialog(watch, {"a", "b", "c"}, 0);
    ASSERT_TRUE(pressed);
    EXPECT_EQ(run.result, 1);
    for (const char* archive : {"a.kob", "b.kob", "c.kob"})
        EXPECT_TRUE(fs::exists(archive)) << archive;
}

// Mended fault: opened with no names it would start no worker and never close.
TEST(ProgressDialog, EmptyListClosesAtOnce)
{
    ModTree mod;
    BatchWatch watch;
    const BatchRun run = runDialog(watch, {}, 0);
    EXPECT_FALSE(run.visibleAfter);
    EXPECT_EQ(run.result, 0);
    EXPECT_TRUE(watch.only("caption:").empty());
}

TEST(ProgressDialog, JobWithNothingToPackClosesWithTheResourceTexts)
{
    ModTree mod;
    mod.folder("empty");
    BatchWatch watch;
    const BatchRun run = runDialog(watch, {"empty"}, 0);
    EXPECT_EQ(run.result, 1);
    EXPECT_FALSE(run.visibleAfter);
    EXPECT_EQ(run.upper, "Status:");
    EXPECT_EQ(run.lower, "Packing Archive (Uncompressed)");
    EXPECT_EQ(std::tuple(run.low, run.high, run.value), std::tuple(0, 100, 0));
    EXPECT_FALSE(fs::exists("empty.kob"));
}

// A dialog whose modal run is ended by someone else than its worker must
// neither deadlock nor crash when it goes: it stops the batch and waits.
TEST(ProgressDialog, EndedFromOutsideWhileRunningStopsTheBatchWithoutDeadlock)
{
    ModTree mod;
    threeFolders(mod);
    Watchdog dog;
    BatchWatch watch;
    {
        CPackProgressDlg dialog;
        dialog.m_names = {"a", "b", "c"};
        watch.watch(&dialog);
        watch.onLine = [&](CPackProgressDlg& d, const std::string& line) {
            if (line == "pos:1 of 3")
                d.QDialog::done(QDialog::Rejected);
        };
        dialog.exec();
    }
    EXPECT_EQ(g_cancelPack.load(), 1);
    EXPECT_FALSE(fs::exists("a.kob"));
    EXPECT_FALSE(fs::exists("b.kob"));
}

TEST(ProgressControls, BarStaysInItsRangeAndCaptionsShowLiterally)
{
    CPackProgressDlg dialog;
    QtPackControls controls(&dialog, dialog.m_status, dialog.m_status2, dialog.m_progress);
    QProgressBar& bar = *dialog.m_progress;
    controls.setRange(0, 0);
    EXPECT_LT(bar.minimum(), bar.maximum()) << "an empty range must not turn into the busy animation";
    EXPECT_EQ(bar.value(), 0);
    controls.setRange(0, 70000);
    controls.setPosition(69999);
    EXPECT_EQ(bar.value(), 69999) << "more than 16 bits of range";
    controls.setRange(0, 4);
    EXPECT_EQ(bar.value(), 4);
    controls.setPosition(9);
    EXPECT_EQ(bar.value(), 4);

    controls.setCaption("Creating (1 of 1): a[*]b.kob");
    dialog.winId(); // makes the native window that shows the caption
    EXPECT_EQ(dialog.windowHandle()->title(), "Creating (1 of 1): a[*]b.kob");
    controls.setUpperLine("<b>x</b>");
    EXPECT_EQ(dialog.m_status->textFormat(), Qt::PlainText);
}

TEST(PackRunner, StatusLineReadsPleaseWaitDuringTheBatchAndReadyAfter)
{
    ModTree mod;
    mod.file("objects/a.con", "a");
    QWidget window;
    QLabel status(QStringLiteral("Ready"), &window);
    Watchdog dog;
    BatchWatch watch;
    std::vector<QString> during;
    watch.onLine = [&](CPackProgressDlg&, const std::string&) { during.push_back(status.text()); };
    EXPECT_EQ(PackOne(std::string("objects"), 1, status), 1);
    EXPECT_EQ(watch.dialogs, 1);
    ASSERT_FALSE(during.empty());
    EXPECT_EQ(during.front(), "Please Wait...");
    EXPECT_EQ(status.text(), "Ready");
    ArchiveReader reader;
    ASSERT_TRUE(reader.open("objects.kob")) << reader.error();
    EXPECT_TRUE(reader.compressed());
}

TEST(PackRunner, EmptyListOrNoNameOpensNoDialogAndOnlySetsReady)
{
    ModTree mod;
    QLabel status(QStringLiteral("something else"));
    BatchWatch watch;
    EXPECT_EQ(PackList({}, 0, status), 0);
    EXPECT_EQ(status.text(), "Ready");
    status.setText(QStringLiteral("something else"));
    EXPECT_EQ(PackOne(std::nullopt, 0, status), 0);
    EXPECT_EQ(status.text(), "Ready");
    EXPECT_EQ(watch.dialogs, 0);
}

// The progress dialog and its worker on temporary mod trees, offscreen.

#include "qt/ElidedLabel.h"
#include "qt/GuiTestHelpers.h"
#include "qt/QtPackControls.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWindow>

using namespace kobtest;

namespace {

struct BatchRun { std::optional<kob::BatchEnd> result; bool visible; QString upper, lower; };

// Packs `names` in a dialog of its own, as the main window does.
BatchRun runDialog(const Strings& names, bool compress)
{
    Watchdog dog;
    CPackProgressDlg dialog;
    dialog.m_names = names;
    dialog.m_compress = compress;
    dialog.exec();
    return {dialog.result(), dialog.isVisible(), dialog.m_status->text(), dialog.m_status2->text()};
}

} // namespace

// An empty range leaves the bar still (no busy animation); a caption shows
// literally. Where the controls stand is not checked: it would restate the
// template's numbers through the same DialogUnits call the dialog makes.
TEST(ProgressDialog, Controls)
{
    CPackProgressDlg dialog;
    QProgressBar& bar = *dialog.m_progress;
    EXPECT_EQ(std::tuple(bar.minimum(), bar.maximum(), bar.value()), std::tuple(0, 100, 0));
    QtPackControls controls(&dialog, dialog.m_status, dialog.m_status2, dialog.m_progress);
    controls.setRange(0, 0);
    EXPECT_LT(bar.minimum(), bar.maximum());
    controls.setRange(0, 70000); // more files than the 16-bit range of the original bar
    controls.setPosition(69999);
    EXPECT_EQ(std::pair(bar.maximum(), bar.value()), std::pair(70000, 69999));
    controls.setCaption("Creating (1 of 1): a[*]b.kob");
    dialog.winId(); // makes the native window that shows the caption
    EXPECT_EQ(dialog.windowHandle()->title(), "Creating (1 of 1): a[*]b.kob");

    // Issue 14: the file line was cut at its end, so for a long path the file being packed was never visible.
    auto* line = qobject_cast<ElidedLabel*>(dialog.m_status);
    ASSERT_NE(line, nullptr);
    controls.setUpperLine("../kelVane/levels/" + std::string(300, 'x') + "/objects/truck.con");
    const std::string shown = line->displayedText().toStdString();
    EXPECT_TRUE(shown.starts_with("../kelVane/") && shown.ends_with("x/objects/truck.con") && shown.find("\u2026") != shown.npos) << shown;
    EXPECT_LE(line->fontMetrics().horizontalAdvance(line->displayedText()), line->contentsRect().width());
    EXPECT_EQ(line->text().size(), 18 + 300 + 18) << "the whole path stays the label's text";
    // Issue 22: the shortened text is also the one painted.
    const QImage painted = line->grab().toImage();
    line->setText(line->displayedText());
    EXPECT_TRUE(line->grab().toImage() == painted) << "the whole text was painted";
    controls.setUpperLine("../Objects/a.con");
    EXPECT_EQ(line->displayedText(), "../Objects/a.con");
}

TEST(ProgressDialog, RealBatchShowsCaptionsAndBarAndClosesByItself)
{
    ModTree mod;
    for (const char* file : {"objects/a", "objects/b", "objects/sub/c", "objects/d", "Sound/s", "music2/1", "music2/2"})
        mod.file(file, textBytes(40000));
    BatchWatch watch;
    const BatchRun run = runDialog({"objects", "Sound", "music2"}, true);
    EXPECT_EQ(std::tuple(run.result, run.visible, run.upper, run.lower),
              std::tuple(kob::BatchEnd::Finished, false, QString("Cleaning Up"), QString("Packing Archive (Compressed)")));
    // Each job shows 0 .. n-1 of n; a new range keeps the bar's place until the job's first position.
    EXPECT_EQ(watch.log, (Strings{"caption:Creating (1 of 3): objects.kob", "pos:1 of 4", "pos:2 of 4", "pos:3 of 4",
                                "caption:Creating (2 of 3): Sound.kob", "pos:1 of 1", "pos:0 of 1",
                                "caption:Creating (3 of 3): music2.kob", "pos:1 of 2"}));
}

// Pressed while the second of three jobs runs: Cancel, a second Cancel, Esc
// and the close box only raise the cancel flag, so the running job deletes
// its archive and the worker closes the dialog. Enter, on the dialog or on
// the focused Cancel (no default button), does nothing at all.
TEST(ProgressDialog, CancelEscCloseBoxAndEnterWhileABatchRuns)
{
    struct Row { const char* name; bool cancels; std::function<void(CPackProgressDlg&)> press; };
    const Row rows[] = {
        {"Cancel", true, [](CPackProgressDlg& d) { d.m_cancel->click(); }},
        {"Escape", true, [](CPackProgressDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"CloseBox", true, [](CPackProgressDlg& d) { d.close(); }},
        {"Enter", false, [](CPackProgressDlg& d) { QTest::keyClick(&d, Qt::Key_Return); }},
        {"EnterOnCancel", false, [](CPackProgressDlg& d) { QTest::keyClick(d.m_cancel, Qt::Key_Return); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ModTree mod;
        for (const char* path : {"a/1", "a/2", "a/3", "b/1", "b/2", "b/3", "c/1", "c/2", "c/3"})
            mod.file(path, textBytes(5000));
        BatchWatch watch;
        bool pressed = false;
        watch.onLine = [&](CPackProgressDlg& dialog, const std::string& line) {
            if (!pressed && line == "pos:1 of 3" && watch.captions.size() == 2) {
                pressed = true;
                row.press(dialog);
                EXPECT_TRUE(dialog.isVisible()) << "only the worker closes the dialog";
            }
        };
        const BatchRun run = runDialog({"a", "b", "c"}, false);
        ASSERT_TRUE(pressed);
        // The job ran to its end ("Cleaning Up") after the press.
        EXPECT_EQ(std::tuple(run.result, run.upper, watch.captions.size(), fs::exists("a.kob"), fs::exists("b.kob"), fs::exists("c.kob")),
                  std::tuple(row.cancels ? kob::BatchEnd::Cancelled : kob::BatchEnd::Finished, QString("Cleaning Up"), row.cancels ? 2u : 3u, true, !row.cancels, !row.cancels));
    }
}

// The Qt archive window driven as a user would: open, sort by a header (the
// selection follows its entries), filter, extract a selection and cancel in
// the middle, verify a damaged archive, refuse a foreign file. The rows and
// texts themselves are the core's, tested there.
#include "qt/ArchiveWnd.h"

#include "GuiTestHelpers.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace kobtest;

namespace {

struct QtArchiveWindow : ::testing::Test {
    Watchdog watchdog;
    TempDir dir;
    std::string archive = (dir.path() / "objects.kob").string();
    CArchiveWnd window;
    BoxRecorder boxes;
    void SetUp() override
    {
        writeFile(archive, archiveOf({{"objects/b.con", "bbb"},
                                      {"objects/A.con", std::string(1000, 'a')},
                                      {"objects/sub/c.dds", "ccccc"},
                                      {"objects/d.txt", "dd"},
                                      {"objects/bad.dat", "short", 10}}));
        ASSERT_TRUE(window.Open(archive));
        window.show();
    }
    // The name column, top to bottom.
    Strings names() const
    {
        Strings shown;
        for (int row = 0; row < window.m_list->model()->rowCount(); ++row)
            shown.push_back(window.m_list->model()->index(row, 0).data().toString().toStdString());
        return shown;
    }
};

TEST_F(QtArchiveWindow, SortsExtractsTheSelectionUntilCancelledAndFilters)
{
    EXPECT_EQ(std::pair(window.windowTitle(), window.m_totals->text()),
              std::pair(QString("objects.kob - KobPack"), QString("5 entries, 1,020 bytes, stored in 1,015 bytes")));
    // Rows by name: A.con, b.con, bad.dat, d.txt, sub/c.dds; the selection
    // follows its entries when sorted by size.
    for (const int row : {0, 1, 4})
        window.m_list->selectionModel()->select(window.m_list->model()->index(row, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    window.m_list->horizontalHeader()->setSortIndicator(1, Qt::AscendingOrder);
    EXPECT_EQ(names(), (Strings{"objects/d.txt", "objects/b.con", "objects/sub/c.dds", "objects/bad.dat", "objects/A.con"}));
    std::vector<int> selected;
    for (const QModelIndex& index : window.m_list->selectionModel()->selectedRows())
        selected.push_back(index.row());
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ(selected, (std::vector<int>{1, 2, 4}));

    const std::string out = (dir.path() / "out").string();
    window.m_chooseFolder = [&](const QString&) { return QString::fromStdString(out); };
    window.m_onProgress = [](size_t done, QDialog* progress) {
        if (done == 0)
            progress->reject(); // Cancel while the first entry is in hand
    };
    window.m_extract->click();
    EXPECT_EQ(boxes.boxes, Strings{"Extract cancelled|Extracted 1 of 3 entries into " + out
                                   + ".\nCancelled: the entries after the last one extracted were left out."});
    EXPECT_EQ(std::tuple(readFile(out + "/objects/b.con"), fs::exists(out + "/objects/A.con"), fs::exists(out + "/objects/sub")),
              std::tuple("bbb", false, false)) << "archive order: b.con first";

    window.m_filter->setText("/B");
    EXPECT_EQ(std::pair(names(), window.m_totals->text()),
              std::pair(Strings{"objects/b.con", "objects/bad.dat"}, QString("2 of 5 entries, 13 bytes, stored in 8 bytes")))
        << "the order holds under the filter";
}

TEST_F(QtArchiveWindow, VerifyTellsTheDamageAndAForeignFileDoesNotOpen)
{
    window.m_verify->click();
    writeFile(dir.path() / "foreign.kob", "not an archive");
    EXPECT_FALSE(CArchiveWnd().Open((dir.path() / "foreign.kob").string()));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_TRUE(boxes.boxes[0].starts_with("Verify|" + archive + ": FAILED, 1 problem\n" + archive + ": entry 4 (objects/bad.dat)"))
        << boxes.boxes[0];
    EXPECT_TRUE(boxes.boxes[1].starts_with("KobPack|This file cannot be opened as a .kob archive:\n")) << boxes.boxes[1];
}

} // namespace

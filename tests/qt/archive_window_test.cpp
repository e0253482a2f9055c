// The Qt archive window driven as a user would: open, filter, sort by size,
// extract a selection and cancel in the middle, verify a damaged archive.
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

QString cellAt(const CArchiveWnd& window, int row, int column)
{
    return window.m_list->model()->index(row, column).data().toString();
}

struct QtArchiveWindow : ::testing::Test {
    Watchdog watchdog;
    TempDir dir;
    std::string archive = (dir.path() / "objects.kob").string();
    CArchiveWnd window;
    void SetUp() override
    {
        writeFile(archive, archiveOf({{"objects/b.con", "bbb"},
                                      {"objects/A.con", std::string(1000, 'a')},
                                      {"objects/sub/c.dds", "ccccc"},
                                      {"objects/d.txt", "dd"},
                                      {"objects/bad.dat", "short", 10}}));
    }
};

TEST_F(QtArchiveWindow, OpensFiltersAndSortsBySize)
{
    ASSERT_TRUE(window.Open(archive));
    window.show();
    EXPECT_EQ(window.windowTitle(), "objects.kob - KobPack");
    EXPECT_EQ(cellAt(window, 0, 0), "objects/A.con") << "by name at first";
    EXPECT_EQ(cellAt(window, 0, 1), "1,000");
    EXPECT_EQ(window.m_totals->text(), "5 entries, 1,020 bytes, stored in 1,015 bytes");

    window.m_list->horizontalHeader()->setSortIndicator(1, Qt::AscendingOrder);
    EXPECT_EQ(cellAt(window, 0, 0), "objects/d.txt");
    EXPECT_EQ(cellAt(window, 4, 0), "objects/A.con");
    window.m_filter->setText("/B");
    ASSERT_EQ(window.m_list->model()->rowCount(), 2);
    EXPECT_EQ(cellAt(window, 0, 0), "objects/b.con") << "the order holds under the filter";
    EXPECT_EQ(cellAt(window, 1, 0), "objects/bad.dat");
    EXPECT_EQ(window.m_totals->text(), "2 of 5 entries, 13 bytes, stored in 8 bytes");
}

TEST_F(QtArchiveWindow, ExtractsTheSelectionUntilCancelled)
{
    ASSERT_TRUE(window.Open(archive));
    window.show();
    const std::string out = (dir.path() / "out").string();
    window.m_chooseFolder = [&](const QString&) { return QString::fromStdString(out); };
    // Rows by name: A.con, b.con, bad.dat, d.txt, sub/c.dds; the selection
    // follows its entries when sorted by size.
    for (const int row : {0, 1, 4})
        window.m_list->selectionModel()->select(window.m_list->model()->index(row, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    window.m_list->horizontalHeader()->setSortIndicator(1, Qt::AscendingOrder);
    std::vector<int> selected;
    for (const QModelIndex& index : window.m_list->selectionModel()->selectedRows())
        selected.push_back(index.row());
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ(selected, (std::vector<int>{1, 2, 4})) << "by size: d.txt, b.con, sub/c.dds, bad.dat, A.con";
    window.m_onProgress = [](size_t done, QDialog* progress) {
        if (done == 0)
            progress->reject(); // Cancel while the first entry is in hand
    };
    BoxRecorder boxes;
    window.m_extract->click();
    EXPECT_EQ(boxes.boxes, Strings{"Extract cancelled|Extracted 1 of 3 entries into " + out
                                   + ".\nCancelled: the entries after the last one extracted were left out."});
    EXPECT_EQ(readFile(out + "/objects/b.con"), "bbb") << "archive order: b.con first";
    EXPECT_FALSE(fs::exists(out + "/objects/A.con"));
    EXPECT_FALSE(fs::exists(out + "/objects/sub"));
}

TEST_F(QtArchiveWindow, VerifyTellsTheDamageAndABrokenFileDoesNotOpen)
{
    ASSERT_TRUE(window.Open(archive));
    BoxRecorder boxes;
    window.m_verify->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].rfind("Verify|" + archive + ": FAILED, 1 problem\n" + archive + ": entry 4 (objects/bad.dat)", 0),
              0u)
        << boxes.boxes[0];

    writeFile(dir.path() / "foreign.kob", "not an archive");
    CArchiveWnd other;
    EXPECT_FALSE(other.Open((dir.path() / "foreign.kob").string()));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].rfind("KobPack|This file cannot be opened as a .kob archive:\n", 0), 0u) << boxes.boxes[1];
}

} // namespace

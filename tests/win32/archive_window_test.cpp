// The archive window driven through messages under Wine: open, sort by a
// column and again the other way, extract a selection and cancel in the
// middle, filter, verify a damaged archive, refuse a foreign file. The rows
// and texts themselves are the core's, tested there.

#include "support/TestSupport.h"
#include "win32/ArchiveWnd.h"
#include "win32/DialogHooks.h"
#include "win32/WideText.h"
#include "win32/resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace kobtest;

namespace {

class ArchiveWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        writeFile(archive, archiveOf({{"objects/b.con", "bbb"},
                                      {"objects/A.con", std::string(1000, 'a')},
                                      {"objects/sub/c.dds", "ccccc"},
                                      {"objects/d.txt", "dd"},
                                      {"objects/bad.dat", "short", 10}}));
        SetMessageBoxHook([this](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
            return boxes.push_back(caption + L"|" + text), IDOK;
        });
        ASSERT_TRUE(window.Open(archive));
        ASSERT_NE(window.Create(), nullptr);
    }
    void TearDown() override
    {
        if (window.m_hWnd)
            DestroyWindow(window.m_hWnd);
        SetMessageBoxHook({});
    }
    HWND list() const { return GetDlgItem(window.m_hWnd, IDC_ARCHIVE_LIST); }
    std::wstring cell(int row) const // its name
    {
        wchar_t text[300] = L"";
        ListView_GetItemText(list(), row, 0, text, 300);
        return text;
    }
    std::wstring text(int id) const { return WindowTextW(GetDlgItem(window.m_hWnd, id)); }
    void click(int id) { SendMessageW(GetDlgItem(window.m_hWnd, id), BM_CLICK, 0, 0); }
    void sortBy(int column)
    {
        NMLISTVIEW click{};
        click.hdr = {list(), IDC_ARCHIVE_LIST, LVN_COLUMNCLICK};
        click.iItem = -1;
        click.iSubItem = column;
        SendMessageW(window.m_hWnd, WM_NOTIFY, IDC_ARCHIVE_LIST, LPARAM(&click));
    }

    TempDir dir;
    std::string archive = (dir.path() / "objects.kob").string();
    CArchiveWnd window;
    std::vector<std::wstring> boxes;
};

TEST_F(ArchiveWindowTest, SortsExtractsTheSelectionUntilCancelledAndFilters)
{
    EXPECT_EQ(std::tuple(WindowTextW(window.m_hWnd), cell(0), text(IDC_ARCHIVE_TOTALS)),
              std::tuple(L"objects.kob - KobPack", L"objects/A.con", L"5 entries, 1,020 bytes, stored in 1,015 bytes"));
    sortBy(1);
    EXPECT_EQ(cell(0), L"objects/d.txt");
    sortBy(1); // again: descending, A.con, bad.dat, sub/c.dds, b.con, d.txt

    const std::string out = (dir.path() / "out").string();
    window.m_chooseFolder = [&](const std::string&) { return out; };
    for (const int row : {0, 2, 3})
        ListView_SetItemState(list(), row, LVIS_SELECTED, LVIS_SELECTED);
    std::vector<std::wstring> lines;
    window.m_onProgress = [&](size_t done, HWND progress) {
        lines.push_back(WindowTextW(GetDlgItem(progress, IDC_PROGRESS_STATUS)));
        if (done == 0)
            SendMessageW(progress, WM_COMMAND, IDCANCEL, 0); // Cancel while the first entry is in hand
    };
    click(IDC_ARCHIVE_EXTRACT);
    EXPECT_EQ(lines, std::vector<std::wstring>{L"Extracting 1 of 3: objects/b.con"}) << "archive order";
    EXPECT_EQ(boxes, std::vector<std::wstring>{L"Extract cancelled|Extracted 1 of 3 entries into " + Widen(out)
                                               + L".\nCancelled: the entries after the last one extracted were left out."});
    EXPECT_EQ(std::pair(readFile(out + "/objects/b.con"), fs::exists(out + "/objects/A.con")), std::pair(std::string("bbb"), false));

    SetDlgItemTextW(window.m_hWnd, IDC_ARCHIVE_FILTER, L"/B");
    ASSERT_EQ(ListView_GetItemCount(list()), 2);
    EXPECT_EQ(std::pair(cell(0), text(IDC_ARCHIVE_TOTALS)),
              std::pair(std::wstring(L"objects/bad.dat"), std::wstring(L"2 of 5 entries, 13 bytes, stored in 8 bytes")))
        << "the order holds under the filter";
}

TEST_F(ArchiveWindowTest, VerifyTellsTheDamageAndAForeignFileDoesNotOpen)
{
    click(IDC_ARCHIVE_VERIFY);
    ASSERT_EQ(boxes.size(), 1u);
    const std::wstring verdict = L"Verify|" + Widen(archive) + L": FAILED, 1 problem\n";
    EXPECT_EQ(boxes[0].substr(0, verdict.size()), verdict);

    writeFile(dir.path() / "foreign.kob", "not an archive");
    CArchiveWnd other;
    EXPECT_FALSE(other.Open((dir.path() / "foreign.kob").string()));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].rfind(L"KobPack|This file cannot be opened as a .kob archive:\n", 0), 0u);
}

} // namespace

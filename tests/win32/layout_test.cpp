// Each dialog template as the dialog manager lays it out: every control's
// id, class, style, text, place and size in dialog units (its window
// rectangle turned back with the dialog's own base units), and tab order.

#include "win32/resource.h"
#include "win32/WideText.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Control {
    int id;
    std::wstring kind;
    DWORD style; // the bits that make the kind (owner-drawn, auto check box, ...)
    std::wstring text;
    int x, y, w, h;
    int slack = 0; // a drop-down's list may be this much shorter than its template
};

INT_PTR CALLBACK inertProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// Pixels back to dialog units: the template's units are a quarter of the
// average character width and an eighth of the font's height.
struct Units {
    explicit Units(HWND dialog)
    {
        RECT base{0, 0, 4, 8};
        MapDialogRect(dialog, &base);
        x = base.right;
        y = base.bottom;
    }
    int toX(int pixels) const { return MulDiv(pixels, 4, x); }
    int toY(int pixels) const { return MulDiv(pixels, 8, y); }
    int x, y;
};

std::vector<Control> layOut(HWND dialog)
{
    const Units units(dialog);
    std::vector<Control> found;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t kind[64] = {};
        GetClassNameW(child, kind, 64);
        RECT r;
        GetWindowRect(child, &r);
        int height = r.bottom - r.top;
        int slack = 0;
        DWORD style = DWORD(GetWindowLongW(child, GWL_STYLE));
        if (std::wstring(kind) == L"ComboBox") {
            // The template's height includes the dropped list, a window of
            // its own below the field. Its scroll bar comes and goes with
            // the entries, so the template's WS_VSCROLL is not seen here.
            COMBOBOXINFO parts{};
            parts.cbSize = sizeof parts;
            GetComboBoxInfo(child, &parts);
            RECT list;
            GetWindowRect(parts.hwndList, &list);
            height = list.bottom - r.top;
            // Without CBS_NOINTEGRALHEIGHT the list shows whole rows only.
            slack = units.toY(int(SendMessageW(child, CB_GETITEMHEIGHT, 0, 0))) + 1;
        }
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        found.push_back({GetDlgCtrlID(child) == 0xFFFF ? -1 : GetDlgCtrlID(child), kind,
                         style, WindowTextW(child), units.toX(r.left),
                         units.toY(r.top), units.toX(r.right - r.left), units.toY(height), slack});
    }
    return found;
}

void expectTemplate(int templateId, int width, int height, const std::wstring& caption,
                    const std::vector<Control>& table, const std::vector<int>& tabOrder)
{
    const HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr,
                                           inertProc, 0);
    ASSERT_NE(dialog, nullptr);
    const Units units(dialog);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(units.toX(client.right), width);
    EXPECT_EQ(units.toY(client.bottom), height);
    EXPECT_EQ(WindowTextW(dialog), caption);

    const std::vector<Control> found = layOut(dialog);
    ASSERT_EQ(found.size(), table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "control " << i << ", id " << table[i].id);
        const Control& want = table[i];
        const Control& got = found[i];
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.kind, want.kind);
        EXPECT_EQ(got.style & want.style, want.style);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(std::vector<int>({got.x, got.y, got.w}), std::vector<int>({want.x, want.y, want.w}));
        EXPECT_LE(got.h, want.h);
        EXPECT_GE(got.h, want.h - got.slack);
    }

    std::vector<int> order;
    const HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND at = first; at && order.size() <= tabOrder.size(); at = GetNextDlgTabItem(dialog, at, FALSE)) {
        order.push_back(GetDlgCtrlID(at));
        if (GetNextDlgTabItem(dialog, at, FALSE) == first)
            break;
    }
    EXPECT_EQ(order, tabOrder);
    DestroyWindow(dialog);
}

constexpr DWORD kDropDown = CBS_DROPDOWN | CBS_SORT | WS_TABSTOP;
constexpr DWORD kImage = BS_OWNERDRAW | WS_TABSTOP;

TEST(Layout, MainWindow)
{
    expectTemplate(IDD_KOBPACK_DIALOG, 361, 33, L"Kob Mod Quick Pack 1.5",
                   {{1005, L"Button", kImage, L"Pack Level", 96, 4, 47, 18},
                    {1004, L"ComboBox", kDropDown, L"", 7, 4, 85, 56},
                    {1006, L"ComboBox", kDropDown, L"", 188, 4, 81, 64},
                    {1007, L"Button", kImage, L"Pack Folder", 273, 4, 48, 18},
                    {1008, L"Static", SS_LEFTNOWORDWRAP | WS_GROUP, L"Ready", 145, 23, 59, 8},
                    {1009, L"Button", kImage, L"All", 147, 4, 26, 12},
                    {1010, L"Button", kImage, L"All", 325, 4, 26, 12},
                    {1012, L"Button", WS_TABSTOP, L"?", 341, 19, 13, 12},
                    {-1, L"Static", WS_GROUP, L"|\n|", 178, 4, 8, 15},
                    {1015, L"Button", BS_AUTOCHECKBOX | WS_TABSTOP, L"Compress", 7, 21, 47, 10},
                    {1014, L"Button", WS_TABSTOP, L"T", 326, 19, 13, 12},
                    {1025, L"Button", WS_TABSTOP, L"", 317, 24, 7, 8}},
                   {1005, 1004, 1006, 1007, 1009, 1010, 1012, 1015, 1014, 1025});
}

TEST(Layout, MainWindowFrameAndEdges)
{
    const HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_KOBPACK_DIALOG), nullptr,
                                           inertProc, 0);
    ASSERT_NE(dialog, nullptr);
    const LONG style = GetWindowLongW(dialog, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_CAPTION | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              WS_SYSMENU | WS_CAPTION);
    EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW), WS_EX_TOOLWINDOW | WS_EX_APPWINDOW);
    for (int sunken : {1012, 1014, 1025})
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, sunken), GWL_EXSTYLE) & WS_EX_STATICEDGE) << sunken;
    // The fields do not scroll sideways: typing stops where they are full.
    for (int list : {1004, 1006})
        EXPECT_FALSE(GetWindowLongW(GetDlgItem(dialog, list), GWL_STYLE) & CBS_AUTOHSCROLL) << list;
    DestroyWindow(dialog);
}

TEST(Layout, ProgressDialog)
{
    expectTemplate(IDD_PACK_PROGRESS, 265, 54, L"",
                   {{1016, L"Static", SS_LEFT, L"Status:", 7, 7, 251, 8},
                    // The bar takes the template's WS_BORDER off itself and draws its own frame.
                    {1017, L"msctls_progress32", PBS_SMOOTH, L"", 7, 22, 251, 6},
                    {1018, L"Static", SS_LEFT, L"Status: 2", 7, 35, 149, 8},
                    {2, L"Button", WS_TABSTOP, L"Cancel", 208, 33, 50, 14}},
                   {2});
}

TEST(Layout, QuickLaunchDialog)
{
    expectTemplate(IDD_QUICK_LAUNCH, 214, 110, L"Quick Launch Settings",
                   {{1, L"Button", BS_DEFPUSHBUTTON | WS_TABSTOP, L"OK", 157, 7, 50, 14},
                    {2, L"Button", WS_TABSTOP, L"Cancel", 157, 24, 50, 14},
                    {-1, L"Static", SS_LEFT, L"Gameplay Mode:", 7, 44, 54, 8},
                    {1023, L"ComboBox", kDropDown, L"", 7, 17, 127, 86},
                    {-1, L"Static", SS_LEFT, L"Map:", 7, 7, 17, 8},
                    {1024, L"ComboBox", kDropDown, L"", 7, 55, 95, 48},
                    {1026, L"Button", BS_AUTOCHECKBOX | WS_TABSTOP, L"Use Debug Exe", 141, 93, 66, 10}},
                   {1, 2, 1023, 1024, 1026});
}

} // namespace

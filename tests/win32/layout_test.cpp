// Each dialog template as the dialog manager lays it out: every control's
// id, class, styles, text, place and size in dialog units (its window
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
    DWORD style;        // bits that must be set (owner-drawn, auto check box, a group's start, ...)
    std::wstring text;
    int x, y, w, h;
    DWORD exStyle = 0;  // extended bits that must be set (the sunken edge)
    DWORD without = 0;  // bits that must not be set
};

INT_PTR CALLBACK inertProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Checks the window style and the controls of template `id`; `frame` holds
// the caption bits that must be set out of WS_CAPTION, WS_SYSMENU,
// WS_MINIMIZEBOX, WS_MAXIMIZEBOX and WS_THICKFRAME.
void expectTemplate(int id, int width, int height, const std::wstring& caption, DWORD frame, DWORD exFrame,
                    const std::vector<Control>& table, const std::vector<int>& tabOrder)
{
    const HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, inertProc, 0);
    ASSERT_NE(dialog, nullptr);
    // Dialog units: a quarter of the font's average character width, an eighth of its height.
    RECT base{0, 0, 4, 8};
    MapDialogRect(dialog, &base);
    const auto toX = [&](LONG pixels) { return MulDiv(pixels, 4, base.right); };
    const auto toY = [&](LONG pixels) { return MulDiv(pixels, 8, base.bottom); };
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(std::vector<int>({toX(client.right), toY(client.bottom)}), std::vector<int>({width, height}));
    EXPECT_EQ(WindowTextW(dialog), caption);
    EXPECT_EQ(DWORD(GetWindowLongW(dialog, GWL_STYLE))
                  & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              frame);
    EXPECT_EQ(DWORD(GetWindowLongW(dialog, GWL_EXSTYLE)) & exFrame, exFrame);

    size_t i = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++i) {
        ASSERT_LT(i, table.size());
        const Control& want = table[i];
        SCOPED_TRACE(testing::Message() << "control " << i << ", id " << want.id);
        wchar_t kind[64] = {};
        GetClassNameW(child, kind, 64);
        const DWORD style = GetWindowLongW(child, GWL_STYLE);
        RECT r;
        GetWindowRect(child, &r);
        LONG bottom = r.bottom;
        int slack = 0;
        if (want.kind == L"ComboBox") {
            // The height includes the dropped list, which shows whole rows only; its
            // scroll bar comes and goes with the entries, so WS_VSCROLL is not seen.
            COMBOBOXINFO parts{};
            parts.cbSize = sizeof parts;
            GetComboBoxInfo(child, &parts);
            RECT list;
            GetWindowRect(parts.hwndList, &list);
            bottom = list.bottom;
            slack = toY(LONG(SendMessageW(child, CB_GETITEMHEIGHT, 0, 0))) + 1;
        }
        const int h = toY(bottom - r.top);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        const DWORD exStyle = GetWindowLongW(child, GWL_EXSTYLE);
        EXPECT_EQ(std::tuple(GetDlgCtrlID(child) == 0xFFFF ? -1 : GetDlgCtrlID(child), std::wstring(kind), WindowTextW(child)),
                  std::tuple(want.id, want.kind, want.text));
        EXPECT_EQ(std::tuple(style & want.style, style & want.without, exStyle & want.exStyle), std::tuple(want.style, 0u, want.exStyle));
        EXPECT_EQ(std::vector<int>({toX(r.left), toY(r.top), toX(r.right - r.left)}), std::vector<int>({want.x, want.y, want.w}));
        EXPECT_LE(h, want.h);
        EXPECT_GE(h, want.h - slack);
    }
    EXPECT_EQ(i, table.size());

    // Tab goes round the tab stops in template order and back to the first.
    std::vector<int> order;
    for (HWND at = GetNextDlgTabItem(dialog, nullptr, FALSE); order.size() <= tabOrder.size();
         at = GetNextDlgTabItem(dialog, at, FALSE))
        order.push_back(GetDlgCtrlID(at));
    EXPECT_EQ(order.back(), tabOrder.front());
    order.pop_back();
    EXPECT_EQ(order, tabOrder);
    DestroyWindow(dialog);
}

constexpr DWORD kDropDown = CBS_DROPDOWN | CBS_SORT | WS_TABSTOP;
constexpr DWORD kImage = BS_OWNERDRAW | WS_TABSTOP;
constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;

TEST(Layout, MainWindow)
{
    // A close box only, a tool-window caption that keeps its taskbar entry;
    // fields that do not scroll sideways; sunken edges on the plain buttons.
    expectTemplate(IDD_KOBPACK_DIALOG, 361, 33, L"Kob Mod Quick Pack 1.5", WS_CAPTION | WS_SYSMENU,
                   WS_EX_TOOLWINDOW | WS_EX_APPWINDOW,
                   {{1005, L"Button", kImage, L"Pack Level", 96, 4, 47, 18},
                    {1004, L"ComboBox", kDropDown, L"", 7, 4, 85, 56, 0, CBS_AUTOHSCROLL},
                    {1006, L"ComboBox", kDropDown, L"", 188, 4, 81, 64, 0, CBS_AUTOHSCROLL},
                    {1007, L"Button", kImage, L"Pack Folder", 273, 4, 48, 18},
                    {1008, L"Static", SS_LEFTNOWORDWRAP | WS_GROUP, L"Ready", 145, 23, 59, 8},
                    {1009, L"Button", kImage, L"All", 147, 4, 26, 12},
                    {1010, L"Button", kImage, L"All", 325, 4, 26, 12},
                    {1012, L"Button", kPush, L"?", 341, 19, 13, 12, WS_EX_STATICEDGE},
                    {-1, L"Static", WS_GROUP, L"|\n|", 178, 4, 8, 15},
                    {1015, L"Button", kCheck, L"Compress", 7, 21, 47, 10},
                    {1014, L"Button", kPush, L"T", 326, 19, 13, 12, WS_EX_STATICEDGE},
                    {1025, L"Button", kPush, L"", 317, 24, 7, 8, WS_EX_STATICEDGE}},
                   {1005, 1004, 1006, 1007, 1009, 1010, 1012, 1015, 1014, 1025});
}

TEST(Layout, ProgressAndQuickLaunchDialogs)
{
    // The bar takes the template's WS_BORDER off itself and draws its own frame.
    expectTemplate(IDD_PACK_PROGRESS, 265, 54, L"", WS_CAPTION | WS_SYSMENU, 0,
                   {{1016, L"Static", SS_LEFT, L"Status:", 7, 7, 251, 8},
                    {1017, L"msctls_progress32", PBS_SMOOTH, L"", 7, 22, 251, 6},
                    {1018, L"Static", SS_LEFT, L"Status: 2", 7, 35, 149, 8},
                    {2, L"Button", kPush, L"Cancel", 208, 33, 50, 14}},
                   {2});
    expectTemplate(IDD_QUICK_LAUNCH, 214, 110, L"Quick Launch Settings", WS_CAPTION | WS_SYSMENU, 0,
                   {{1, L"Button", BS_DEFPUSHBUTTON | WS_TABSTOP, L"OK", 157, 7, 50, 14},
                    {2, L"Button", kPush, L"Cancel", 157, 24, 50, 14},
                    {-1, L"Static", SS_LEFT, L"Gameplay Mode:", 7, 44, 54, 8},
                    {1023, L"ComboBox", kDropDown, L"", 7, 17, 127, 86},
                    {-1, L"Static", SS_LEFT, L"Map:", 7, 7, 17, 8},
                    {1024, L"ComboBox", kDropDown, L"", 7, 55, 95, 48},
                    {1026, L"Button", kCheck, L"Use Debug Exe", 141, 93, 66, 10}},
                   {1, 2, 1023, 1024, 1026});
}

} // namespace

// Takes a picture of each dialog of KobPack.exe as the system draws it, into
// the folder given as the only argument: windows-main.bmp,
// windows-progress.bmp, windows-quicklaunch.bmp, windows-help.bmp and
// windows-archive.bmp (the archive window over the Objects.kob it packed). Run it
// in a mod's Archives folder with "Objects" holding enough to pack for a
// moment (scripts/windows-pictures.sh sets one up, runs it under Wine on a
// virtual display and turns the pictures into PNG files in docs/).

#include "win32/ArchiveWnd.h"
#include "win32/DialogHooks.h"
#include "win32/KobPackDlg.h"
#include "win32/PackProgressDlg.h"
#include "win32/WideText.h"
#include "win32/resource.h"

#include "game/Launcher.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring g_folder;

struct NoLauncher : Launcher {
    LaunchResult Start(const std::string&, const std::string&, const std::string&) override
    {
        return {true, {}};
    }
};

// Moves the window where nothing else lies, lets it draw itself, then copies
// it into a 24-bit .bmp file.
void capture(HWND window, const wchar_t* name, int top)
{
    SetWindowPos(window, HWND_TOP, 0, top, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SendMessageW(window, WM_NCACTIVATE, TRUE, 0); // the caption as the active window's
    RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    for (const DWORD end = GetTickCount() + 400; GetTickCount() < end; Sleep(20))
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageW(&message);
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    // The window's own surface, frame included: what it drew, whether or not
    // the display has shown it yet.
    const HDC screen = GetWindowDC(window);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD rowBytes = DWORD((width * 3 + 3) & ~3), size = rowBytes * DWORD(height);
    BITMAPFILEHEADER file{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                          DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    std::ofstream out(std::filesystem::path(g_folder) / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(window, screen);
}

// Each dialog is pictured once it shows, then closed.
void CALLBACK pictureQuickLaunch(HWND dialog, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(dialog, timer);
    capture(dialog, L"windows-quicklaunch.bmp", 400);
    PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
}

void CALLBACK pictureProgress(HWND dialog, UINT, UINT_PTR timer, DWORD)
{
    if (!IsWindowVisible(dialog))
        return; // shown once the modal loop is first idle: try again then
    KillTimer(dialog, timer);
    capture(dialog, L"windows-progress.bmp", 200);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: KobPack-render-dialogs FOLDER\n");
        return 2;
    }
    g_folder = argv[1];
    SetDialogOpenedHook([](HWND dialog, int id) {
        if (id == IDD_QUICK_LAUNCH)
            SetTimer(dialog, 1, 200, pictureQuickLaunch);
    });
    // The progress dialog is pictured once its first file shows.
    bool pictured = false;
    SetProgressTrace([&](HWND dialog, int control, const std::wstring&) {
        if (control == IDC_PROGRESS_STATUS && !pictured) {
            pictured = true;
            SetTimer(dialog, 1, 1000, pictureProgress);
        }
    });
    SetMessageBoxHook([](HWND, const std::wstring&, const std::wstring&, UINT) { return IDOK; });

    NoLauncher launcher;
    CKobPackDlg dialog(launcher);
    const HWND window = dialog.Create();
    if (!window)
        return 1;
    capture(window, L"windows-main.bmp", 0);
    SendDlgItemMessageW(window, IDC_COMPRESS, BM_CLICK, 0, 0);
    SendDlgItemMessageW(window, IDC_ALL_FOLDERS, BM_CLICK, 0, 0);
    SendDlgItemMessageW(window, IDC_RESET_QUICK_LAUNCH, BM_CLICK, 0, 0);
    DestroyWindow(window);
    CArchiveWnd archive;
    if (archive.Open("Objects.kob") && archive.Create()) {
        capture(archive.m_hWnd, L"windows-archive.bmp", 0);
        DestroyWindow(archive.m_hWnd);
    }
    return 0;
}

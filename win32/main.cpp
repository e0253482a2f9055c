// KobPack.exe [DIR]: the window tool for Windows. It works in the mod's
// Archives folder: DIR, else the folder it is started in, else the one the
// user picks.
// KobPack.exe ARCHIVE.kob...: a window that looks into each archive (what
// Explorer starts for a .kob made to open with KobPack).

#include "app/WindowStart.h"
#include "app/WindowTexts.h"
#include "win32/ArchiveWnd.h"
#include "win32/DialogHooks.h"
#include "win32/KobPackDlg.h"
#include "win32/ProcessLauncher.h"
#include "win32/WideText.h"
#include "win32/WorkFolder.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The program's arguments as code-page bytes, the program's name left out.
std::vector<std::string> Arguments()
{
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; words && i < count; ++i)
        arguments.push_back(Narrow(words[i]));
    LocalFree(words);
    return arguments;
}

// One window for each archive that opens (a file that does not says why in
// a box of its own), until the last is closed. Returns the exit status.
int LookIntoArchives(const std::vector<std::string>& paths)
{
    std::vector<std::unique_ptr<CArchiveWnd>> windows;
    size_t open = 0;
    for (const std::string& path : paths) {
        auto window = std::make_unique<CArchiveWnd>();
        if (!window->Open(path) || !window->Create())
            continue;
        window->m_onClosed = [&open] {
            if (--open == 0)
                PostQuitMessage(0);
        };
        ShowWindow(window->m_hWnd, SW_SHOW);
        ++open;
        windows.push_back(std::move(window));
    }
    if (open == 0)
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        bool handled = false;
        for (const auto& window : windows)
            if (!handled && window->m_hWnd)
                handled = IsDialogMessageW(window->m_hWnd, &message);
        if (!handled) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return windows.size() == paths.size() ? 0 : 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const auto errorBox = [](const std::string& text) {
        ShowMessageBox(nullptr, Widen(text), Widen(kErrorCaption), MB_OK | MB_ICONERROR);
    };
    const auto usageBox = [&errorBox](const std::string& text) { errorBox("KobPack [DIR | ARCHIVE.kob...]: " + text); };
    return RunWindowProgram(Arguments(), {LookIntoArchives, AskForArchivesFolder, AskUseFolderAnyway, errorBox,
                                          usageBox, [] {
                                              ProcessLauncher launcher;
                                              CKobPackDlg(launcher).DoModal();
                                          }});
}

// KobPack.exe: the window tool for Windows. It works in the mod's Archives
// folder, the folder it is started in, else the one the user picks.

#include "pack/MessageSink.h"
#include "win32/KobPackDlg.h"
#include "win32/ProcessLauncher.h"
#include "win32/WorkFolder.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    if (!EnterWorkFolder())
        return 0;
    // The pack job's messages are kept per batch by the window and shown in
    // one box after it; anything said outside a batch is dropped.
    MessageSink sink;
    InstallMessageSink(&sink);
    ProcessLauncher launcher;
    CKobPackDlg window(launcher);
    window.DoModal();
    InstallMessageSink(nullptr);
    return 0;
}

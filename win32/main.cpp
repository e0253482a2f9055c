// KobPack.exe: the window tool for Windows. It works in the mod's Archives
// folder: the folder it is started in, else the one the user picks.

#include "app/WindowTexts.h"
#include "pack/MessageSink.h"
#include "win32/DialogHooks.h"
#include "win32/KobPackDlg.h"
#include "win32/ProcessLauncher.h"
#include "win32/WideText.h"
#include "win32/WorkFolder.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const WorkFolderResult start = EnterWorkFolder("", AskForArchivesFolder, AskUseFolderAnyway);
    if (start.outcome == WorkFolderOutcome::Failed) {
        ShowMessageBox(nullptr, Widen(start.message), Widen(kErrorCaption), MB_OK | MB_ICONERROR);
        return 1;
    }
    if (start.outcome != WorkFolderOutcome::Entered)
        return 0;
    // The window keeps each batch's problems and shows them in one box after
    // it; anything said outside a batch is dropped.
    MessageSink sink;
    InstallMessageSink(&sink);
    ProcessLauncher launcher;
    CKobPackDlg window(launcher);
    window.DoModal();
    InstallMessageSink(nullptr);
    return 0;
}

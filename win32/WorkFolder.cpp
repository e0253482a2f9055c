#include "win32/WorkFolder.h"

#include "game/ArchivesFolder.h"
#include "game/Discovery.h"
#include "win32/DialogHooks.h"
#include "win32/WideText.h"

#include <shobjidl.h>

namespace {

constexpr const wchar_t* kCaption = L"Kob Mod Quick Pack 1.5";

bool nothingToPackHere()
{
    const Game game = DetectGame();
    return ListLevels(game).empty() && ListFolders(game).empty();
}

// Keeps the current folder unless the user wants it although it is no
// Archives folder.
bool wantedHere()
{
    return IsArchivesFolder(".") || AskUseFolderAnyway(Widen(NotArchivesFolderText(".")) + L". Use it anyway?");
}

} // namespace

std::wstring AskForArchivesFolder()
{
    std::wstring chosen;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
        return chosen;
    IFileDialog* dialog = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
        FILEOPENDIALOGOPTIONS options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        dialog->SetTitle(L"Choose your mod's Archives folder");
        IShellItem* item = nullptr;
        if (SUCCEEDED(dialog->Show(nullptr)) && SUCCEEDED(dialog->GetResult(&item))) {
            wchar_t* path = nullptr;
            if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                chosen = path;
                CoTaskMemFree(path);
            }
            item->Release();
        }
        dialog->Release();
    }
    CoUninitialize();
    return chosen;
}

bool AskUseFolderAnyway(const std::wstring& question)
{
    return ShowMessageBox(nullptr, question, kCaption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool EnterWorkFolder()
{
    if (!nothingToPackHere())
        return wantedHere();
    for (;;) {
        const std::wstring chosen = AskForArchivesFolder();
        if (chosen.empty())
            return false;
        wchar_t previous[MAX_PATH * 4];
        const DWORD kept = GetCurrentDirectoryW(MAX_PATH * 4, previous);
        if (!SetCurrentDirectoryW(chosen.c_str())) {
            ShowMessageBox(nullptr, L"Unable to open the folder " + chosen, L"ERROR!", MB_OK | MB_ICONERROR);
            return false;
        }
        if (wantedHere())
            return true;
        if (kept)
            SetCurrentDirectoryW(previous);
    }
}

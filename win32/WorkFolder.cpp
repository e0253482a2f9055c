#include "win32/WorkFolder.h"

#include "app/WindowTexts.h"
#include "win32/DialogHooks.h"
#include "win32/WideText.h"

#include <shobjidl.h>

std::string AskForArchivesFolder()
{
    return AskForFolder(kChooseArchivesTitle);
}

std::string AskForFolder(const std::string& title)
{
    std::wstring chosen;
    const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    IFileDialog* dialog = nullptr;
    if (comReady
        && SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
        FILEOPENDIALOGOPTIONS options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        dialog->SetTitle(Widen(title).c_str());
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
    if (comReady)
        CoUninitialize();
    return Narrow(chosen);
}

bool AskUseFolderAnyway(const std::string& question)
{
    return ShowMessageBox(nullptr, Widen(question), Widen(kMainWindowCaption),
                          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2)
        == IDYES;
}

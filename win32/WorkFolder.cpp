#include "win32/WorkFolder.h"

#include "app/WindowTexts.h"
#include "win32/DialogHooks.h"
#include "win32/WideText.h"

#include <shobjidl.h>

namespace {
constexpr DWORD kChooserReasonId = 1;
}

std::string AskForArchivesFolder(const std::string& why)
{
    return AskForFolder(kChooseArchivesTitle, why);
}

std::string AskForFolder(const std::string& title, const std::string& why)
{
    std::wstring chosen;
    const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    IFileDialog* dialog = nullptr;
    if (comReady
        && SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
        FILEOPENDIALOGOPTIONS options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        // The reason is a line of the dialog; a dialog without room for
        // one carries it in its title.
        IFileDialogCustomize* custom = nullptr;
        if (why.empty()) {
            dialog->SetTitle(Widen(title).c_str());
        } else if (SUCCEEDED(dialog->QueryInterface(IID_PPV_ARGS(&custom)))) {
            custom->AddText(kChooserReasonId, Widen(why).c_str());
            custom->Release();
            dialog->SetTitle(Widen(title).c_str());
        } else {
            dialog->SetTitle(Widen(title + ": " + why).c_str());
        }
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

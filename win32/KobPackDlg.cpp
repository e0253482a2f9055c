#include "win32/KobPackDlg.h"

#include "app/WindowTexts.h"
#include "win32/DialogBinding.h"
#include "win32/DialogHooks.h"
#include "win32/DialogPlacement.h"
#include "win32/PackProgressDlg.h"
#include "win32/QuickLaunchDlg.h"
#include "win32/WideText.h"
#include "win32/resource.h"

namespace {

void fillList(HWND list, const std::vector<std::string>& names)
{
    // In the core's order, which the field's own sorting would not change.
    for (const std::string& name : names)
        SendMessageW(list, CB_INSERTSTRING, WPARAM(-1), LPARAM(Widen(name).c_str()));
}

} // namespace

CKobPackDlg::CKobPackDlg(Launcher& launcher)
    : m_launcher(launcher)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    m_hIcon = HICON(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                               GetSystemMetrics(SM_CYICON), 0));
    m_hSmallIcon = HICON(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

CKobPackDlg::~CKobPackDlg()
{
    if (m_hIcon)
        DestroyIcon(m_hIcon);
    if (m_hSmallIcon)
        DestroyIcon(m_hSmallIcon);
}

INT_PTR CKobPackDlg::DoModal()
{
    m_modal = true;
    return RunDialog(IDD_KOBPACK_DIALOG, nullptr, *this);
}

HWND CKobPackDlg::Create()
{
    m_modal = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_KOBPACK_DIALOG), nullptr,
                              BoundDialogProc<CKobPackDlg>, LPARAM(this));
}

INT_PTR CKobPackDlg::HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_DRAWITEM:
        if (CBitmapButton* button = ButtonFor(int(wParam))) {
            button->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_DPICHANGED: // moved to a monitor of another scale: the images for it
        loadButtonImages(HIWORD(wParam));
        InvalidateRect(m_hWnd, nullptr, TRUE);
        return FALSE; // the system scales the dialog itself

    case WM_NCDESTROY:
        SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        m_hWnd = nullptr;
        return FALSE;
    }
    return FALSE;
}

CBitmapButton* CKobPackDlg::ButtonFor(int id)
{
    switch (id) {
    case IDC_PACK_LEVEL: return &m_packLevelButton;
    case IDC_PACK_FOLDER: return &m_packFolderButton;
    case IDC_ALL_LEVELS: return &m_allLevelsButton;
    case IDC_ALL_FOLDERS: return &m_allFoldersButton;
    }
    return nullptr;
}

BOOL CKobPackDlg::OnInitDialog(HWND dialog)
{
    m_hWnd = dialog;
    SendMessageW(dialog, WM_SETICON, ICON_BIG, LPARAM(m_hIcon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, LPARAM(m_hSmallIcon));

    m_logic.Discover();
    for (WindowList which : {WindowList::Levels, WindowList::Folders}) {
        fillList(list(which), m_logic.entries(which));
        select(which, InitialSelection(m_logic.entries(which)));
    }

    loadButtonImages(DialogDpi(dialog));
    setStatus(kStatusReady);
    CentreOnOwner(dialog);
    NotifyDialogOpened(dialog, IDD_KOBPACK_DIALOG);
    return TRUE; // the focus goes to the first control in tab order
}

void CKobPackDlg::loadButtonImages(UINT dpi)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    m_packLevelButton.LoadBitmaps(instance, IDB_PACK_LEVEL, IDB_PACK_LEVEL_PRESSED, IDB_PACK_LEVEL, dpi);
    m_packFolderButton.LoadBitmaps(instance, IDB_PACK_FOLDER, IDB_PACK_FOLDER_PRESSED, IDB_PACK_FOLDER, dpi);
    m_allLevelsButton.LoadBitmaps(instance, IDB_ALL, IDB_ALL_PRESSED, IDB_ALL, dpi);
    m_allFoldersButton.LoadBitmaps(instance, IDB_ALL, IDB_ALL_PRESSED, IDB_ALL, dpi);
}

void CKobPackDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_PACK_FOLDER: m_logic.Press(PackButton::PackFolder); break;
    case IDC_PACK_LEVEL: m_logic.Press(PackButton::PackLevel); break;
    case IDC_ALL_LEVELS: m_logic.Press(PackButton::AllLevels); break;
    case IDC_ALL_FOLDERS: m_logic.Press(PackButton::AllFolders); break;
    case IDC_HELP_BUTTON: OnHelpButton(); break;
    case IDC_QUICK_LAUNCH: QuickLaunch(); break;
    case IDC_RESET_QUICK_LAUNCH: ResetQuickLaunch(); break;
    // Enter outside a push button and Esc close the window, as the dialog
    // manager has them.
    case IDOK:
    case IDCANCEL: OnClose(); break;
    }
}

void CKobPackDlg::OnClose()
{
    if (m_logic.RequestClose())
        closeWindow();
}

void CKobPackDlg::closeWindow()
{
    if (m_modal)
        EndDialog(m_hWnd, IDCANCEL);
    else
        DestroyWindow(m_hWnd);
}

HWND CKobPackDlg::list(WindowList which) const
{
    return item(which == WindowList::Levels ? IDC_LEVEL_LIST : IDC_FOLDER_LIST);
}

std::string CKobPackDlg::fieldText(WindowList which) const
{
    return WindowBytes(list(which));
}

int CKobPackDlg::selectedIndex(WindowList which) const
{
    return int(SendMessageW(list(which), CB_GETCURSEL, 0, 0));
}

void CKobPackDlg::select(WindowList which, int index)
{
    // CB_SETCURSEL with -1 empties the field too.
    SendMessageW(list(which), CB_SETCURSEL, WPARAM(index), 0);
}

bool CKobPackDlg::compressChecked() const
{
    return IsDlgButtonChecked(m_hWnd, IDC_COMPRESS) == BST_CHECKED;
}

void CKobPackDlg::setStatus(const char* text)
{
    SetWindowBytes(item(IDC_STATUS), text);
}

void CKobPackDlg::runBatch(const std::vector<std::string>& names, bool compress, kob::BatchReport& report)
{
    CPackProgressDlg progress(names, compress, report, m_packContext);
    m_progress = &progress;
    progress.DoModal(m_hWnd);
    m_progress = nullptr;
}

void CKobPackDlg::cancelBatch()
{
    if (m_progress)
        m_progress->OnCancel();
}

void CKobPackDlg::showProblems(const char* caption, const std::string& text)
{
    ShowMessageBox(m_hWnd, Widen(text), Widen(caption), MB_OK | MB_ICONWARNING);
}

void CKobPackDlg::OnHelpButton()
{
    ShowMessageBox(m_hWnd, Widen(kHelpText), Widen(kHelpCaption), MB_OK | MB_ICONQUESTION);
}

void CKobPackDlg::QuickLaunch()
{
    RunQuickLaunch(m_hWnd, m_logic.game(), m_logic.entries(WindowList::Levels), m_launcher, false);
}

void CKobPackDlg::ResetQuickLaunch()
{
    RunQuickLaunch(m_hWnd, m_logic.game(), m_logic.entries(WindowList::Levels), m_launcher, true);
}

#include "win32/KobPackDlg.h"

#include "app/PackPlan.h"
#include "game/Discovery.h"
#include "pack/PackJob.h"
#include "win32/DialogHooks.h"
#include "win32/HelpText.h"
#include "win32/PackRunner.h"
#include "win32/QuickLaunchDlg.h"
#include "win32/WideText.h"
#include "win32/resource.h"

namespace {

void fillList(HWND list, const std::vector<std::string>& names)
{
    // The list sorts itself (CBS_SORT), without regard to case.
    for (const std::string& name : names)
        SendMessageW(list, CB_ADDSTRING, 0, LPARAM(Widen(name).c_str()));
}

std::string entryAt(HWND list, int index)
{
    const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, WPARAM(index), 0);
    if (length == CB_ERR)
        return {};
    std::wstring text(size_t(length) + 1, L'\0');
    text.resize(size_t(SendMessageW(list, CB_GETLBTEXT, WPARAM(index), LPARAM(text.data()))));
    return Narrow(text);
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
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_KOBPACK_DIALOG), nullptr, DialogProc,
                           LPARAM(this));
}

HWND CKobPackDlg::Create()
{
    m_modal = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_KOBPACK_DIALOG), nullptr, DialogProc,
                              LPARAM(this));
}

INT_PTR CALLBACK CKobPackDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return reinterpret_cast<CKobPackDlg*>(lParam)->OnInitDialog(dialog);
    }
    auto* self = reinterpret_cast<CKobPackDlg*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CKobPackDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
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
        OnClose(IDCANCEL);
        return TRUE;
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
    UpdateData(false);
    SendMessageW(dialog, WM_SETICON, ICON_BIG, LPARAM(m_hIcon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, LPARAM(m_hSmallIcon));

    m_game = Game::None;
    m_game = DetectGame();
    fillList(item(IDC_LEVEL_LIST), ListLevels(m_game));
    fillList(item(IDC_FOLDER_LIST), ListFolders(m_game));
    // An empty list stays without selection and its field stays empty.
    for (int list : {IDC_LEVEL_LIST, IDC_FOLDER_LIST})
        if (SendMessageW(item(list), CB_GETCOUNT, 0, 0) > 0)
            SendMessageW(item(list), CB_SETCURSEL, 0, 0);

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    m_packLevelButton.LoadBitmaps(instance, IDB_PACK_LEVEL, IDB_PACK_LEVEL_PRESSED, IDB_PACK_LEVEL);
    m_packFolderButton.LoadBitmaps(instance, IDB_PACK_FOLDER, IDB_PACK_FOLDER_PRESSED, IDB_PACK_FOLDER);
    m_allLevelsButton.LoadBitmaps(instance, IDB_ALL, IDB_ALL_PRESSED, IDB_ALL);
    m_allFoldersButton.LoadBitmaps(instance, IDB_ALL, IDB_ALL_PRESSED, IDB_ALL);

    SetDlgItemTextW(dialog, IDC_STATUS, L"Ready");
    NotifyDialogOpened(dialog, IDD_KOBPACK_DIALOG);
    return TRUE; // the focus goes to the first control in tab order
}

void CKobPackDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_PACK_FOLDER: OnPackFolder(); break;
    case IDC_PACK_LEVEL: OnPackLevel(); break;
    case IDC_ALL_LEVELS: OnAllLevels(); break;
    case IDC_ALL_FOLDERS: OnAllFolders(); break;
    case IDC_HELP_BUTTON: OnHelpButton(); break;
    case IDC_COMPRESS: OnCompress(); break;
    case IDC_QUICK_LAUNCH: QuickLaunch(); break;
    case IDC_RESET_QUICK_LAUNCH: ResetQuickLaunch(); break;
    // Enter outside a push button and Esc close the window, as the dialog
    // manager has them.
    case IDOK:
    case IDCANCEL: OnClose(id); break;
    }
}

void CKobPackDlg::OnClose(int result)
{
    if (m_packing) {
        // The window goes once the batch has ended; the job stops at its next
        // check and the previous archive stays.
        g_cancelPack.store(1);
        m_closeAfterBatch = result;
        return;
    }
    if (m_modal)
        EndDialog(m_hWnd, result);
    else
        DestroyWindow(m_hWnd);
}

void CKobPackDlg::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_folderName = WindowBytes(item(IDC_FOLDER_LIST));
        m_levelName = WindowBytes(item(IDC_LEVEL_LIST));
        m_compress = IsDlgButtonChecked(m_hWnd, IDC_COMPRESS) == BST_CHECKED ? 1 : 0;
    } else {
        SetWindowBytes(item(IDC_FOLDER_LIST), m_folderName);
        SetWindowBytes(item(IDC_LEVEL_LIST), m_levelName);
        CheckDlgButton(m_hWnd, IDC_COMPRESS, m_compress ? BST_CHECKED : BST_UNCHECKED);
    }
}

std::vector<std::string> CKobPackDlg::entries(int listId) const
{
    std::vector<std::string> names;
    const LRESULT count = SendMessageW(item(listId), CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
        names.push_back(entryAt(item(listId), i));
    return names;
}

int CKobPackDlg::selection(int listId) const
{
    return int(SendMessageW(item(listId), CB_GETCURSEL, 0, 0));
}

void CKobPackDlg::reselect(int listId, int index)
{
    // CB_SETCURSEL with -1 clears the field too.
    SendMessageW(item(listId), CB_SETCURSEL, WPARAM(index), 0);
}

void CKobPackDlg::Pack(const PackChoice& choice)
{
    const PackPlan plan = PlanPack(m_game, choice);
    MakeDirectories(plan.folders);
    m_packing = true;
    PackList(m_hWnd, item(IDC_STATUS), plan.names(), m_compress);
    m_packing = false;
    std::string refused;
    for (const std::string& text : plan.refused)
        refused += (refused.empty() ? "" : "\n") + text;
    ShowPackProblems(m_hWnd, refused);
    if (m_closeAfterBatch >= 0)
        OnClose(m_closeAfterBatch);
}

void CKobPackDlg::OnPackFolder()
{
    UpdateData(true);
    Pack({{m_folderName}, {}});
}

void CKobPackDlg::OnPackLevel()
{
    UpdateData(true);
    Pack({{}, {m_levelName}});
}

void CKobPackDlg::OnAllLevels()
{
    // The controls are not read: m_compress mirrors the box since its last click.
    const int levelIndex = selection(IDC_LEVEL_LIST);
    const int folderIndex = selection(IDC_FOLDER_LIST);
    Pack({{}, entries(IDC_LEVEL_LIST)});
    if (!m_hWnd)
        return;
    reselect(IDC_LEVEL_LIST, levelIndex);
    reselect(IDC_FOLDER_LIST, folderIndex);
}

void CKobPackDlg::OnAllFolders()
{
    if (m_allFoldersBusy == 1)
        return;
    m_allFoldersBusy = 1;
    const int levelIndex = selection(IDC_LEVEL_LIST);
    const int folderIndex = selection(IDC_FOLDER_LIST);
    Pack({entries(IDC_FOLDER_LIST), {}});
    m_allFoldersBusy = 0;
    if (!m_hWnd)
        return;
    reselect(IDC_LEVEL_LIST, levelIndex);
    reselect(IDC_FOLDER_LIST, folderIndex);
}

void CKobPackDlg::OnHelpButton()
{
    ShowMessageBox(m_hWnd, Widen(kHelpText), L"Help", MB_OK | MB_ICONQUESTION);
}

void CKobPackDlg::OnCompress()
{
    UpdateData(true);
}

void CKobPackDlg::QuickLaunch()
{
    RunQuickLaunch(m_hWnd, m_game, entries(IDC_LEVEL_LIST), m_launcher, false);
}

void CKobPackDlg::ResetQuickLaunch()
{
    RunQuickLaunch(m_hWnd, m_game, entries(IDC_LEVEL_LIST), m_launcher, true);
}

#include "win32/ArchiveWnd.h"

#include "app/ArchiveWindowLogic.h"
#include "win32/DialogBinding.h"
#include "win32/DialogHooks.h"
#include "win32/WideText.h"
#include "win32/WorkFolder.h"
#include "win32/resource.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

namespace {

// wParam: nothing; lParam: the update to run, a const std::function<void()>*.
constexpr UINT kApplyUpdate = WM_APP + 1;
// Posted by the worker as its last act.
constexpr UINT kExtractDone = WM_APP + 2;

// The pack's progress dialog (template 143) standing over the archive window
// while an extract runs on its worker. Each line the worker shows (paced by
// ProgressPacer) waits until drawn, so what is on screen is what is in hand;
// Cancel, Esc and the close box only ask the worker to stop, and the
// worker's last act closes it.
class CExtractProgressDlg {
public:
    CExtractProgressDlg(const ArchiveReader& reader, const std::vector<size_t>& chosen, const std::string& directory,
                        const std::function<void(size_t, HWND)>& onProgress)
        : m_reader(reader), m_chosen(chosen), m_directory(directory), m_onProgress(onProgress)
    {
    }

    ExtractOutcome DoModal(HWND owner)
    {
        RunDialog(IDD_PACK_PROGRESS, owner, *this);
        if (m_worker.joinable())
            m_worker.join(); // it posted the close as its last act
        return m_outcome;
    }

    BOOL OnInitDialog(HWND dialog)
    {
        m_hWnd = dialog;
        SetWindowBytes(dialog, kExtractCaption);
        SetDlgItemTextW(dialog, IDC_PROGRESS_STATUS, L"");
        SetDlgItemTextW(dialog, IDC_PROGRESS_STATUS2, L"");
        SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, LPARAM(m_chosen.size()));
        m_worker = std::thread([this] {
            ProgressPacer pacer;
            m_outcome = ExtractEntries(
                m_reader, m_chosen, m_directory,
                [&](size_t done, const std::string& name) {
                    if (!pacer.due())
                        return;
                    const std::function<void()> update = [&] { show(done, name); };
                    SendMessageW(m_hWnd, kApplyUpdate, 0, LPARAM(&update));
                },
                [this] { return m_stop.load() != 0; });
            PostMessageW(m_hWnd, kExtractDone, 0, 0);
        });
        NotifyDialogOpened(dialog, IDD_PACK_PROGRESS);
        return TRUE;
    }

    INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case kApplyUpdate:
            (*reinterpret_cast<const std::function<void()>*>(lParam))();
            return TRUE;
        case kExtractDone:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                m_stop.store(1);
                EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
            }
            return TRUE;
        }
        return FALSE;
    }

private:
    void show(size_t done, const std::string& name)
    {
        SetWindowBytes(GetDlgItem(m_hWnd, IDC_PROGRESS_STATUS), ExtractProgressText(done, m_chosen.size(), name));
        SendDlgItemMessageW(m_hWnd, IDC_PROGRESS_BAR, PBM_SETPOS, WPARAM(done), 0);
        if (m_onProgress)
            m_onProgress(done, m_hWnd);
    }

    const ArchiveReader& m_reader;
    const std::vector<size_t>& m_chosen;
    const std::string& m_directory;
    const std::function<void(size_t, HWND)>& m_onProgress;
    HWND m_hWnd = nullptr;
    std::atomic<int> m_stop{0};
    std::thread m_worker;
    ExtractOutcome m_outcome;
};

} // namespace

CArchiveWnd::CArchiveWnd() : m_chooseFolder([](const std::string& title) { return AskForFolder(title); }) {}

bool CArchiveWnd::Open(const std::string& path)
{
    WindowBox failure;
    if (!OpenListing(path, m_listing, failure)) {
        showBox(failure);
        return false;
    }
    m_path = path;
    m_listing.sort(static_cast<ArchiveColumn>(m_sortColumn), m_descending);
    if (m_hWnd)
        showRows();
    return true;
}

HWND CArchiveWnd::Create()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ARCHIVE), nullptr,
                              BoundDialogProc<CArchiveWnd>, LPARAM(this));
}

BOOL CArchiveWnd::OnInitDialog(HWND dialog)
{
    m_hWnd = dialog;
    const HWND list = GetDlgItem(dialog, IDC_ARCHIVE_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    const int widths[kArchiveColumnCount] = {176, 46, 46, 46}; // dialog units
    for (int i = 0; i < kArchiveColumnCount; ++i) {
        RECT width{0, 0, widths[i], 0};
        MapDialogRect(dialog, &width);
        const auto column = static_cast<ArchiveColumn>(i);
        std::wstring title = Widen(ArchiveColumnTitle(column));
        LVCOLUMNW entry{};
        entry.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        entry.fmt = IsNumberColumn(column) ? LVCFMT_RIGHT : LVCFMT_LEFT;
        entry.cx = width.right;
        entry.pszText = title.data();
        SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(i), LPARAM(&entry));
    }
    SetDlgItemTextW(dialog, IDC_ARCHIVE_TOTALS, L"");
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, LPARAM(icon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, LPARAM(icon));
    if (!m_path.empty())
        showRows();
    NotifyDialogOpened(dialog, IDD_ARCHIVE);
    return TRUE;
}

void CArchiveWnd::showRows()
{
    SetWindowBytes(m_hWnd, ArchiveWindowCaption(m_path));
    const HWND list = GetDlgItem(m_hWnd, IDC_ARCHIVE_LIST);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemCountEx(list, int(m_listing.rowCount()), 0);
    InvalidateRect(list, nullptr, FALSE);
    SetWindowBytes(GetDlgItem(m_hWnd, IDC_ARCHIVE_TOTALS), m_listing.totalsText());
}

INT_PTR CArchiveWnd::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ARCHIVE_FILTER:
            if (HIWORD(wParam) == EN_CHANGE) {
                m_listing.filter(WindowBytes(GetDlgItem(dialog, IDC_ARCHIVE_FILTER)));
                showRows();
            }
            return TRUE;
        case IDC_ARCHIVE_EXTRACT: OnExtract(); return TRUE;
        case IDC_ARCHIVE_VERIFY: OnVerify(false); return TRUE;
        case IDC_ARCHIVE_VERIFY_AGAINST: OnVerify(true); return TRUE;
        case IDCANCEL: DestroyWindow(dialog); return TRUE; // Esc and the close box
        }
        return FALSE;
    case WM_NOTIFY:
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, OnNotify(*reinterpret_cast<const NMHDR*>(lParam)));
        return TRUE;
    case WM_DESTROY:
        m_hWnd = nullptr;
        if (m_onClosed)
            m_onClosed();
        return FALSE;
    }
    return FALSE;
}

LRESULT CArchiveWnd::OnNotify(const NMHDR& header)
{
    if (header.idFrom != IDC_ARCHIVE_LIST)
        return 0;
    if (header.code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
        if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && size_t(item.iItem) < m_listing.rowCount()
            && item.iSubItem >= 0 && item.iSubItem < kArchiveColumnCount && item.cchTextMax > 0) {
            const std::wstring text =
                Widen(m_listing.cell(size_t(item.iItem), static_cast<ArchiveColumn>(item.iSubItem)));
            lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
        }
    } else if (header.code == LVN_COLUMNCLICK) {
        const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
        m_descending = column == m_sortColumn && !m_descending;
        m_sortColumn = column;
        m_listing.sort(static_cast<ArchiveColumn>(column), m_descending);
        showRows();
    }
    return 0;
}

void CArchiveWnd::showBox(const WindowBox& shown)
{
    ShowMessageBox(m_hWnd, Widen(shown.text), Widen(shown.caption),
                   MB_OK | (shown.problem ? MB_ICONWARNING : MB_ICONINFORMATION));
}

void CArchiveWnd::OnExtract()
{
    std::vector<size_t> rows;
    const HWND list = GetDlgItem(m_hWnd, IDC_ARCHIVE_LIST);
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(list, row, LVNI_SELECTED))
        rows.push_back(size_t(row));
    const std::vector<size_t> chosen = m_listing.entriesOf(rows);
    const std::string directory = m_chooseFolder(kChooseExtractFolder);
    if (directory.empty())
        return;
    ArchiveReader reader;
    std::string error;
    if (!ReopenArchive(m_path, m_listing.entries(), reader, error)) {
        showBox({true, kArchiveErrorCaption, error});
        return;
    }
    CExtractProgressDlg progress(reader, chosen, directory, m_onProgress);
    const ExtractOutcome outcome = progress.DoModal(m_hWnd);
    showBox(ExtractBox(outcome, chosen.size(), directory));
}

void CArchiveWnd::OnVerify(bool against)
{
    std::string folder;
    if (against) {
        folder = m_chooseFolder(kChooseModFolder);
        if (folder.empty())
            return;
    }
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const WindowBox box = VerifyBox(m_path, m_listing.entries(), folder);
    SetCursor(previous);
    showBox(box);
}

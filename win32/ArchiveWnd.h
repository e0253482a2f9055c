#pragma once
// The window (template 145) that looks into one archive: its entries in a
// virtual list view, sortable by each column and narrowed by a filter, the
// totals below, and Extract... and Verify. It draws and forwards; what it
// lists and says is app/ArchiveListing.h's and app/ArchiveWindowLogic.h's.

#include "app/ArchiveListing.h"
#include "app/ArchiveWindowLogic.h"

#include <windows.h>

#include <functional>
#include <string>

class CArchiveWnd {
public:
    // Asks for a folder under the given title; "" when the user gives none.
    // A seam for tests; the system's folder chooser by default.
    using FolderChooser = std::function<std::string(const std::string& title)>;

    CArchiveWnd();
    // Reads the archive's index. False, after a box saying why, when the
    // file is no readable archive.
    bool Open(const std::string& path);
    // Creates the window, not yet shown; nullptr when it cannot.
    HWND Create();

    FolderChooser m_chooseFolder;
    // Called as the extract's progress dialog shows entry `done` (from 0),
    // while the worker waits: a seam for tests that cancel at a chosen entry.
    std::function<void(size_t done, HWND progress)> m_onProgress;
    // Called when the window is gone (the program ends with its last window).
    std::function<void()> m_onClosed;
    HWND m_hWnd = nullptr;

    void OnExtract();
    void OnVerify(bool against);

    // Called through BoundDialogProc.
    BOOL OnInitDialog(HWND dialog);
    INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT OnNotify(const NMHDR& header);
    void showRows();
    void showBox(const WindowBox& shown);

    std::string m_path;
    ArchiveListing m_listing;
    int m_sortColumn = 0;
    bool m_descending = false;
};

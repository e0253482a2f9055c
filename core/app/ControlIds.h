#pragma once
// The item numbers of the windows' controls, the same in both windows: the
// Win32 dialog templates (win32/KobPack.rc reads this file through
// resource.h, so it holds nothing but #defines) and the Qt widgets, which
// carry them as their "controlId" property.

// OK and Cancel, the dialog manager's own numbers (IDOK and IDCANCEL).
#define IDC_OK_BUTTON 1
#define IDC_CANCEL_BUTTON 2

// Main window
#define IDC_LEVEL_LIST 1004
#define IDC_PACK_LEVEL 1005
#define IDC_FOLDER_LIST 1006
#define IDC_PACK_FOLDER 1007
#define IDC_STATUS 1008
#define IDC_ALL_LEVELS 1009
#define IDC_ALL_FOLDERS 1010
#define IDC_HELP_BUTTON 1012
#define IDC_QUICK_LAUNCH 1014
#define IDC_COMPRESS 1015
#define IDC_RESET_QUICK_LAUNCH 1025

// Progress dialog (the archive window's extract uses it too); its Cancel is
// IDC_CANCEL_BUTTON
#define IDC_PROGRESS_STATUS 1016
#define IDC_PROGRESS_BAR 1017
#define IDC_PROGRESS_STATUS2 1018

// Quick-launch dialog; OK and Cancel as above
#define IDC_MAP_COMBO 1023
#define IDC_GPM_COMBO 1024
#define IDC_USE_DEBUG 1026

// Archive window
#define IDC_ARCHIVE_FILTER 1030
#define IDC_ARCHIVE_LIST 1031
#define IDC_ARCHIVE_TOTALS 1032
#define IDC_ARCHIVE_EXTRACT 1033
#define IDC_ARCHIVE_VERIFY 1034
#define IDC_ARCHIVE_VERIFY_AGAINST 1035

// A label that no code reaches
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

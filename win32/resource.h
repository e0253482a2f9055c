#pragma once
// Numbers of the dialog templates, their controls, the button images and the
// icon in KobPack.rc, shared by the resource script and the dialog code.

#define IDR_MAINFRAME 128

#define IDD_KOBPACK_DIALOG 102
#define IDD_PACK_PROGRESS 143
#define IDD_QUICK_LAUNCH 144
#define IDD_ARCHIVE 145

#define IDB_PACK_FOLDER 135
#define IDB_PACK_LEVEL 136
#define IDB_ALL 139
#define IDB_ALL_PRESSED 140
#define IDB_PACK_LEVEL_PRESSED 141
#define IDB_PACK_FOLDER_PRESSED 142
// Each image + IDB_SCALE_STEP is drawn for 125 %, + 2 steps for 150 %, + 3 for 200 %.
#define IDB_SCALE_STEP 1000

// Main window (102)
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

// Progress dialog (143); its Cancel is IDCANCEL
#define IDC_PROGRESS_STATUS 1016
#define IDC_PROGRESS_BAR 1017
#define IDC_PROGRESS_STATUS2 1018

// Quick-launch dialog (144); OK and Cancel are IDOK and IDCANCEL
#define IDC_MAP_COMBO 1023
#define IDC_GPM_COMBO 1024
#define IDC_USE_DEBUG 1026

// Archive window (145); its extract's progress dialog is template 143
#define IDC_ARCHIVE_FILTER 1030
#define IDC_ARCHIVE_LIST 1031
#define IDC_ARCHIVE_TOTALS 1032
#define IDC_ARCHIVE_EXTRACT 1033
#define IDC_ARCHIVE_VERIFY 1034
#define IDC_ARCHIVE_VERIFY_AGAINST 1035

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

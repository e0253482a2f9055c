#pragma once
// Numbers of the dialog templates, the button images and the icon in
// KobPack.rc, shared by the resource script and the dialog code.

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

// The controls' numbers, shared with the Qt window
#include "app/ControlIds.h"

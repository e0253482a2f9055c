#pragma once
// Where a dialog opens: centred on the window that owns it (the progress and
// quick-launch dialogs over the main window), or on the screen's work area
// for one without an owner, and always whole on that screen.

#include <windows.h>

void CentreOnOwner(HWND dialog);

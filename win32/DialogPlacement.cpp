#include "win32/DialogPlacement.h"

#include <algorithm>

void CentreOnOwner(HWND dialog)
{
    const HWND owner = GetWindow(dialog, GW_OWNER);
    const bool onOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(onOwner ? owner : dialog, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT work = monitor.rcWork;
    RECT around = work;
    if (onOwner)
        GetWindowRect(owner, &around);
    RECT box{};
    GetWindowRect(dialog, &box);
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    // Centred, then moved inside the work area; its top-left corner stays on it.
    LONG x = (around.left + around.right - width) / 2, y = (around.top + around.bottom - height) / 2;
    x = std::max(work.left, std::min(x, work.right - width));
    y = std::max(work.top, std::min(y, work.bottom - height));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

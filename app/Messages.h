// Window messages of the main program.
#pragma once

#include <windows.h>

// Notification-area icon to frame: lParam is the mouse message.
inline constexpr UINT WM_TRAYICON = WM_USER + 5;
// Shortcut bar to frame: wParam slot code, lParam item index.
inline constexpr UINT WM_BARCLICK = WM_USER + 13;
// Messages routed to the same handler as WM_BARCLICK; nothing sends them.
inline constexpr UINT kBarClickAliases[] = {0x486, 0x47B, 0x47C, 0x47D};

// Administrator rights on demand, the frame's side: the system's shield
// beside the commands that need the rights, and the restart of the program
// with them (the "runas" verb, which raises the system's consent prompt).
#pragma once

#include <windows.h>

#include "framework/Art.h"

namespace shell {

using afx::UniqueIcon;

// The commands that write machine-wide settings: optimisation, USB write
// protection, system scan and clean-up.
bool NeedsAdministrator(UINT command);

// The question asked before such a command runs without the rights.
inline constexpr wchar_t kElevateQuestion[] = L"此功能需要管理员权限。是否以管理员身份重新启动 Dravon？";
// Shown when the restart failed for another reason than the user declining,
// before the system's own words.
inline constexpr wchar_t kElevateFailed[] = L"无法以管理员身份重新启动 Dravon。";
// The title of a shielded command's tool tip.
inline constexpr wchar_t kShieldTipTitle[] = L"需要管理员权限";

// The system's shield at the small-icon size: SHGetStockIconInfo where the
// system has it (Windows Vista and later), else the shield of user32.
UniqueIcon LoadShieldIcon();

// Starts this program again with the "runas" verb, in the same working
// folder (the sounds are found relative to it). The new instance is
// elevated, so it does not inherit a standard user forced on this one.
// 0 when it started; otherwise the Win32 error (ERROR_CANCELLED: the user
// declined the consent prompt).
DWORD RestartElevated(HWND owner);

}  // namespace shell

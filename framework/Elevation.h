// Administrator rights on demand: the system's shield beside what needs the
// rights, the question asked before it runs without them, and the restart
// of the program with them (the "runas" verb, which raises the system's
// consent prompt). The frame's commands and Tunara's restore button share it.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/Art.h"

namespace afx {

// The question asked before such a command runs without the rights.
inline constexpr wchar_t kElevateQuestion[] = L"此功能需要管理员权限。是否以管理员身份重新启动 Dravon？";
// Shown when the restart failed for another reason than the user declining,
// before the system's own words.
inline constexpr wchar_t kElevateFailed[] = L"无法以管理员身份重新启动 Dravon。";
// The title of a shielded command's tool tip.
inline constexpr wchar_t kShieldTipTitle[] = L"需要管理员权限";

// The system's shield at the small-icon size: SHGetStockIconInfo where the
// system has it (Windows Vista and later), else the shield of user32. At
// another `size` (a small icon at another DPI), user32's shield made at it.
UniqueIcon LoadShieldIcon(int size = 0);

// Starts this program again with the "runas" verb, in the same working
// folder (the sounds are found relative to it). The new instance is
// elevated, so it does not inherit a standard user forced on this one.
// 0 when it started; otherwise the Win32 error (ERROR_CANCELLED: the user
// declined the consent prompt).
DWORD RestartElevated(HWND owner);

// What the user chose when asked for the rights (kElevateQuestion, Yes, No
// or Cancel): go on without them (No), or stop, having restarted the
// program with them (Yes, and the restart started) or not (Cancel, or a
// restart that failed, whose reason was shown after kElevateFailed unless
// the user declined the consent prompt).
enum class RightsChoice { GoOn, Restarted, Stop };
using AskFn = std::function<int(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)>;
using RestartFn = std::function<DWORD()>;
RightsChoice AskForRights(HWND owner, const wchar_t* caption, const AskFn& ask,
                          const RestartFn& restart);

}  // namespace afx

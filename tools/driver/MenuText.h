// A menu as the driver prints it, one line per item, two blanks of indent
// per level: shared by driver.exe (menus of its own process) and
// driverhook.dll (menus read inside another process).
#pragma once

#include <windows.h>

#include <string>

inline void AppendMenuText(HMENU menu, int depth, std::wstring& out) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_STATE;
    info.dwTypeData = text;
    info.cch = 255;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    out.append(static_cast<size_t>(depth) * 2, L' ');
    if (info.fType & MFT_SEPARATOR) {
      out += L"menu separator\n";
    } else if (info.hSubMenu) {
      out += L"menu popup \"" + std::wstring(text) + L"\"\n";
      AppendMenuText(info.hSubMenu, depth + 1, out);
    } else {
      out += L"menu item " + std::to_wstring(info.wID) + L" \"" + text + L"\"" +
             ((info.fState & MFS_GRAYED) ? L" grayed" : L"") + L"\n";
    }
  }
}

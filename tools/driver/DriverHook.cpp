// driverhook.dll: reads a window's menu inside the window's own process.
// Wine keeps menus in the process that made them, so the driver cannot walk
// another program's menu; it hooks the window's thread with this library
// and posts it a request, and the hook sends the menu back as text with
// WM_COPYDATA.
#include <windows.h>

#include <string>

namespace {

void DumpMenu(HMENU menu, int depth, std::wstring& out) {
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
      DumpMenu(info.hSubMenu, depth + 1, out);
    } else {
      out += L"menu item " + std::to_wstring(info.wID) + L" \"" + text + L"\"" +
             ((info.fState & MFS_GRAYED) ? L" grayed" : L"") + L"\n";
    }
  }
}

}  // namespace

// WH_GETMESSAGE hook. The request is the registered message
// "DravonDriverMenuRequest" posted to the window, wParam = the driver's
// window that receives the answer.
extern "C" __declspec(dllexport) LRESULT CALLBACK DriverGetMsgProc(int code, WPARAM removed, LPARAM lParam) {
  static const UINT request = RegisterWindowMessageW(L"DravonDriverMenuRequest");
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && removed == PM_REMOVE && msg->message == request) {
    try {
      std::wstring text;
      if (HMENU menu = GetMenu(msg->hwnd)) DumpMenu(menu, 0, text);
      COPYDATASTRUCT data{0x4D454E55 /* 'MENU' */, static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                          text.data()};
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(reinterpret_cast<HWND>(msg->wParam), WM_COPYDATA, reinterpret_cast<WPARAM>(msg->hwnd),
                          reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &ignored);
    } catch (...) {
      // never throw into the hooked program
    }
    msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, removed, lParam);
}

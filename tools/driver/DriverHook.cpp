// driverhook.dll: reads a window's menu inside the window's own process.
// Wine keeps menus in the process that made them, so the driver cannot walk
// another program's menu; it hooks the window's thread with this library
// and posts it a request, and the hook sends the menu back as text with
// WM_COPYDATA.
#include <windows.h>

#include <string>

#include "MenuText.h"

// WH_GETMESSAGE hook. The request is the registered message
// "DravonDriverMenuRequest" posted to the window, wParam = the driver's
// window that receives the answer.
extern "C" __declspec(dllexport) LRESULT CALLBACK DriverGetMsgProc(int code, WPARAM removed, LPARAM lParam) {
  static const UINT request = RegisterWindowMessageW(L"DravonDriverMenuRequest");
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && removed == PM_REMOVE && msg->message == request) {
    try {
      std::wstring text;
      if (HMENU menu = GetMenu(msg->hwnd)) AppendMenuText(menu, 0, text);
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

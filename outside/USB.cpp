// USB.dll stand-in: the outside library of USB write protection. It only
// shows, modally, that the program reached it.
#include <windows.h>

extern "C" int UsbProtect() {
  MessageBoxW(GetActiveWindow(),
              L"U盘读写保护由外部库 USB 完成。\n\n"
              L"这是它的替身：它不改变任何 U 盘的读写状态。",
              L"USB功能", MB_OK | MB_ICONINFORMATION);
  return 0;
}

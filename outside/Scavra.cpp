// Scavra.dll stand-in: the outside library of the system scan and junk
// clean-up. It only shows, modally, that the program reached it.
#include <windows.h>

extern "C" int ScavraRun() {
  MessageBoxW(GetActiveWindow(),
              L"系统扫描与垃圾清理由外部库 Scavra 完成。\n\n"
              L"这是它的替身：它不扫描，也不删除任何文件。",
              L"系统扫描", MB_OK | MB_ICONINFORMATION);
  return 0;
}

#include "platform/ThreadName.h"

#include <windows.h>

#include <string>

namespace platform {

void NameThisThread(const char* name) {
  // Not in every kernel32 (Windows 10 1607 and later), so looked up.
  using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  static const auto set = reinterpret_cast<SetDescription>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
  if (set == nullptr) return;
  const std::wstring wide(name, name + std::char_traits<char>::length(name));
  set(GetCurrentThread(), wide.c_str());
}

}  // namespace platform

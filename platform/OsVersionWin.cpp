#include "platform/OsVersion.h"

#include <windows.h>

#include "platform/TextWin.h"

namespace platform {

// GetVersionEx answers a program whose manifest lists no later system with
// 6.2 on every Windows from 8.1 on; ntdll's RtlGetVersion is not shimmed.
// GetVersionEx remains for systems without it.
std::optional<OsVersion> QueryOsVersion() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  bool ok = false;
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    auto query = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    ok = query && query(&info) == 0;
  }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!ok) ok = GetVersionExW(&info) != FALSE;
#pragma GCC diagnostic pop
  if (!ok) return std::nullopt;
  return OsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                   info.dwPlatformId, Narrow(info.szCSDVersion)};
}

}  // namespace platform

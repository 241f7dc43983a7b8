#include <windows.h>

#include <cwchar>

#include "platform/DiskSpace.h"
#include "platform/TextWin.h"

namespace platform {

bool QueryDiskSpace(const std::string& root, DiskSpaceHalves& out) {
  const std::wstring wide = Widen(root);
  // Every supported Windows has the extended query; the cluster-count query
  // of older systems overflows on volumes above 2 GB.
  ULARGE_INTEGER available{}, total{}, totalFree{};
  if (!GetDiskFreeSpaceExW(wide.empty() ? nullptr : wide.c_str(), &available, &total,
                           &totalFree)) {
    wchar_t trace[80];
    std::swprintf(trace, 80, L"Error with GetDiskFreeSpaceEx (%ld)\n",
                  static_cast<long>(GetLastError()));
    OutputDebugStringW(trace);
    return false;
  }
  out.freeLow = available.LowPart;
  out.freeHigh = available.HighPart;
  out.totalLow = total.LowPart;
  out.totalHigh = total.HighPart;
  return true;
}

}  // namespace platform

#include "framework/Trace.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>

namespace afx {

void Trace(const wchar_t* format, ...) {
  wchar_t text[1024];
  va_list args;
  va_start(args, format);
  int n = std::vswprintf(text, sizeof text / sizeof text[0], format, args);
  va_end(args);
  // A text longer than the buffer is cut, not lost.
  if (n < 0) text[sizeof text / sizeof text[0] - 1] = L'\0';
  OutputDebugStringW(text);
}

}  // namespace afx

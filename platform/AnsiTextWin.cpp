// The whole text goes through the code page at once, not byte by byte: in a
// double-byte code page (936, 932, ...) a trail byte may be an ASCII letter
// that belongs to the character before it. Standalone printable ASCII reads
// as itself in every ANSI code page.
#include "platform/AnsiText.h"

#include <windows.h>

#include "platform/TextWin.h"

namespace platform {

std::string AnsiBytesToUtf8(std::string_view bytes) {
  if (IsPrintableAscii(bytes)) return std::string(bytes);
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), n);
  return Narrow(wide);
}

}  // namespace platform

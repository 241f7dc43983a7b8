#include "platform/TextWin.h"

#include <windows.h>

namespace platform {

std::wstring Widen(std::string_view utf8) {
  std::wstring out;
  if (utf8.empty()) return out;
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (n <= 0) return out;
  out.resize(static_cast<std::size_t>(n));
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
  return out;
}

void NarrowInto(std::wstring_view wide, std::string& out) {
  out.clear();
  if (wide.empty()) return;
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return;
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
}

std::string Narrow(std::wstring_view wide) {
  std::string out;
  NarrowInto(wide, out);
  return out;
}

}  // namespace platform

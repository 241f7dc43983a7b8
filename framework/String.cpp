#include "framework/String.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

#include "framework/Module.h"

bool CString::LoadString(UINT id, HINSTANCE module) {
  if (!module) module = AfxGetResourceHandle();
  const wchar_t* p = nullptr;
  // With a zero buffer size the call returns a pointer into the resource itself.
  int n = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&p), 0);
  if (n <= 0 || !p) {
    s_.clear();
    return false;
  }
  s_.assign(p, static_cast<size_t>(n));
  return true;
}

void CString::Format(const wchar_t* format, ...) {
  // Grow until the text fits; vswprintf reports truncation as a negative count.
  std::vector<wchar_t> buf(256);
  for (;;) {
    va_list args;
    va_start(args, format);
    int n = std::vswprintf(buf.data(), buf.size(), format, args);
    va_end(args);
    if (n >= 0) {
      s_.assign(buf.data(), static_cast<size_t>(n));
      return;
    }
    if (buf.size() >= (1u << 20)) {
      s_.clear();
      return;
    }
    buf.resize(buf.size() * 4);
  }
}

CString CString::Mid(int first) const {
  if (first >= GetLength()) return CString();
  return CString(s_.substr(static_cast<size_t>(first < 0 ? 0 : first)));
}

int CString::Find(wchar_t c, int start) const {
  auto i = s_.find(c, static_cast<size_t>(start < 0 ? 0 : start));
  return i == std::wstring::npos ? -1 : static_cast<int>(i);
}

int CString::ReverseFind(wchar_t c) const {
  auto i = s_.rfind(c);
  return i == std::wstring::npos ? -1 : static_cast<int>(i);
}

CString ExtractSubString(const CString& full, int index, wchar_t sep) {
  const std::wstring& s = full.str();
  size_t begin = 0;
  for (int i = 0; i < index; ++i) {
    size_t next = s.find(sep, begin);
    if (next == std::wstring::npos) return CString();
    begin = next + 1;
  }
  size_t end = s.find(sep, begin);
  return CString(s.substr(begin, end == std::wstring::npos ? std::wstring::npos : end - begin));
}

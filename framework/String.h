// CString: the framework's text, UTF-16 as the W functions take it, with
// conversions to and from the UTF-8 that portable code holds.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/TextWin.h"

class CString {
 public:
  CString() = default;
  CString(const wchar_t* text) : s_(text ? text : L"") {}
  CString(std::wstring text) : s_(std::move(text)) {}
  CString(std::wstring_view text) : s_(text) {}
  static CString FromUtf8(std::string_view utf8) { return CString(platform::Widen(utf8)); }

  // Loads string table entry `id` of `module` (the resource module when null).
  // Returns false, leaving the text empty, when there is no such string.
  bool LoadString(UINT id, HINSTANCE module = nullptr);
  void Format(const wchar_t* format, ...);

  const wchar_t* c_str() const { return s_.c_str(); }
  operator const wchar_t*() const { return s_.c_str(); }
  const std::wstring& str() const { return s_; }
  std::string ToUtf8() const { return platform::Narrow(s_); }
  int GetLength() const { return static_cast<int>(s_.size()); }
  bool IsEmpty() const { return s_.empty(); }
  void Empty() { s_.clear(); }
  wchar_t operator[](int i) const { return s_[static_cast<size_t>(i)]; }
  CString Left(int n) const { return CString(s_.substr(0, static_cast<size_t>(n))); }
  CString Mid(int first) const;
  int Find(wchar_t c, int start = 0) const;
  int ReverseFind(wchar_t c) const;

  CString& operator+=(const CString& o) { s_ += o.s_; return *this; }
  CString& operator+=(const wchar_t* o) { s_ += o; return *this; }
  CString& operator+=(wchar_t c) { s_ += c; return *this; }
  friend CString operator+(CString a, const CString& b) { return a += b; }
  friend CString operator+(CString a, const wchar_t* b) { return a += b; }
  friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
  friend bool operator==(const CString& a, const wchar_t* b) { return a.s_ == b; }

 private:
  std::wstring s_;
};

// Field `index` of a "\n"-separated resource string (the frame title is field 0).
CString ExtractSubString(const CString& full, int index, wchar_t sep = L'\n');

// A folder tree made for one test under the Windows temp folder, removed
// afterwards (links first, so that removal never follows them).
#pragma once

#include <windows.h>

#include <string>

#include "platform/TextWin.h"

namespace diskview::test {

class WinTempTree {
 public:
  WinTempTree();
  ~WinTempTree();
  WinTempTree(const WinTempTree&) = delete;
  WinTempTree& operator=(const WinTempTree&) = delete;

  // Root path with a trailing backslash.
  const std::wstring& Root() const { return root_; }
  std::string RootUtf8() const { return platform::Narrow(root_); }

  // Paths are relative to the root; parents must exist. Long paths are
  // created through the "\\?\" form.
  bool Folder(const std::wstring& relative);
  bool File(const std::wstring& relative, std::uint64_t bytes, DWORD attributes = 0);
  std::wstring Full(const std::wstring& relative) const;

 private:
  std::wstring root_;
};

// Makes `link` (an absolute path) a junction, a mount-point reparse point,
// to the folder `target`. False where the system makes none.
bool MakeJunction(const std::wstring& link, const std::wstring& target);

}  // namespace diskview::test

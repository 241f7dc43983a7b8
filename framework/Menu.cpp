#include "framework/Menu.h"

#include <vector>

#include "framework/Module.h"

bool CMenu::LoadMenu(UINT id, HINSTANCE module) {
  DestroyMenu();
  if (!module) module = AfxGetResourceHandle();
  h_ = ::LoadMenuW(module, MAKEINTRESOURCEW(id));
  owned_ = h_ != nullptr;
  return h_ != nullptr;
}

CMenu CMenu::GetSubMenu(int pos) const {
  return CMenu(h_ ? ::GetSubMenu(h_, pos) : nullptr, false);
}

void CMenu::DestroyMenu() {
  if (h_ && owned_) ::DestroyMenu(h_);
  h_ = nullptr;
  owned_ = false;
}

CString CMenu::GetMenuString(UINT item, UINT flags) const {
  int n = ::GetMenuStringW(h_, item, nullptr, 0, flags);
  if (n <= 0) return CString();
  std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
  ::GetMenuStringW(h_, item, buf.data(), n + 1, flags);
  return CString(std::wstring(buf.data(), static_cast<size_t>(n)));
}

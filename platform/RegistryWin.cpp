#include "platform/RegistryWin.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/TextWin.h"

namespace platform {
namespace {

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::Users: return HKEY_USERS;
  }
  return HKEY_LOCAL_MACHINE;
}

bool IsPredefined(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
         key == HKEY_USERS;
}

HKEY ToHkey(Registry::Key key) { return reinterpret_cast<HKEY>(key); }
Registry::Key FromHkey(HKEY key) { return reinterpret_cast<Registry::Key>(key); }

// Value names for the A functions, in the ANSI code page.
std::string Ansi(std::string_view utf8) {
  std::wstring wide = Widen(utf8);
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

long RegistryWin::Open(RegRoot root, std::string_view path, Access access, Key& out) {
  out = 0;
  std::wstring wpath = Widen(path);
  HKEY key = nullptr;
  LSTATUS rc = access == Access::ReadWrite
                   ? RegOpenKeyW(RootKey(root), wpath.c_str(), &key)
                   : RegOpenKeyExW(RootKey(root), wpath.c_str(), 0, KEY_READ, &key);
  if (rc == ERROR_SUCCESS) out = FromHkey(key);
  return rc;
}

long RegistryWin::Create(RegRoot root, std::string_view path, Key& out) {
  out = 0;
  std::wstring wpath = Widen(path);
  HKEY key = nullptr;
  LSTATUS rc = RegCreateKeyW(RootKey(root), wpath.c_str(), &key);
  if (rc == ERROR_SUCCESS) out = FromHkey(key);
  return rc;
}

long RegistryWin::QueryRaw(Key key, std::string_view name, std::size_t maxBytes, RegValue& out) {
  out = {};
  std::string aname = Ansi(name);
  DWORD type = REG_NONE;
  DWORD need = 0;
  LSTATUS rc = RegQueryValueExA(ToHkey(key), aname.c_str(), nullptr, &type, nullptr, &need);
  if (rc != ERROR_SUCCESS) return rc;
  // The bound is a limit, not a size to allocate: a caller may pass a huge
  // one. The probed size never undercounts, so the value fits when it can.
  DWORD size = static_cast<DWORD>(std::min<std::size_t>(maxBytes, need));
  std::vector<std::uint8_t> buffer(size == 0 ? 1 : size);
  rc = RegQueryValueExA(ToHkey(key), aname.c_str(), nullptr, &type, buffer.data(), &size);
  if (rc != ERROR_SUCCESS) return rc;
  buffer.resize(size);
  out.type = type;
  out.data = std::move(buffer);
  return kRegOk;
}

long RegistryWin::QueryText(Key key, std::string_view name, std::size_t maxChars,
                            std::uint32_t& type, std::string& out) {
  out.clear();
  std::wstring wname = Widen(name);
  DWORD t = REG_NONE;
  DWORD size = 0;
  LSTATUS rc = RegQueryValueExW(ToHkey(key), wname.c_str(), nullptr, &t, nullptr, &size);
  if (rc != ERROR_SUCCESS) return rc;
  type = t;
  if (!IsText(t)) return kRegOk;
  // As a caller's buffer of maxChars units would: a longer value does not fit.
  if (size / sizeof(wchar_t) > maxChars) return kRegMoreData;
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  rc = RegQueryValueExW(ToHkey(key), wname.c_str(), nullptr, &t,
                        reinterpret_cast<BYTE*>(text.data()), &size);
  if (rc != ERROR_SUCCESS) return rc;
  type = t;
  text.resize(size / sizeof(wchar_t));
  if (t == REG_MULTI_SZ) {
    while (!text.empty() && text.back() == L'\0') text.pop_back();
  } else if (auto nul = text.find(L'\0'); nul != std::wstring::npos) {
    text.resize(nul);
  }
  out = Narrow(std::wstring_view(text.data(), text.size()));
  return kRegOk;
}

long RegistryWin::Set(Key key, std::string_view name, std::uint32_t type, const void* data,
                      std::size_t size) {
  if (size > std::numeric_limits<DWORD>::max()) return ERROR_INVALID_PARAMETER;
  std::string aname = Ansi(name);
  // For a text type the system looks at the byte after the data and, if it
  // is zero, stores a terminator the caller did not ask for. Hand it a copy
  // ending in a non-zero guard: the value gets exactly these bytes, and
  // nothing past the caller's buffer is read.
  std::vector<BYTE> copy(size + 1, 0xFF);
  if (size != 0) std::memcpy(copy.data(), data, size);
  return RegSetValueExA(ToHkey(key), aname.c_str(), 0, type, copy.data(), static_cast<DWORD>(size));
}

long RegistryWin::DeleteValue(Key key, std::string_view name) {
  return RegDeleteValueA(ToHkey(key), Ansi(name).c_str());
}

long RegistryWin::DeleteEmptyKey(RegRoot root, std::string_view path) {
  std::wstring wpath = Widen(path);
  while (!wpath.empty() && wpath.back() == L'\\') wpath.pop_back();
  if (wpath.empty()) return ERROR_INVALID_PARAMETER;  // never a root
  HKEY key = nullptr;
  LSTATUS rc = RegOpenKeyExW(RootKey(root), wpath.c_str(), 0, KEY_READ, &key);
  if (rc != ERROR_SUCCESS) return rc;
  DWORD subkeys = 0, values = 0;
  rc = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                        nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return rc;
  // RegDeleteKey would take the values with it.
  if (subkeys != 0 || values != 0) return kRegNotEmpty;
  return RegDeleteKeyW(RootKey(root), wpath.c_str());
}

void RegistryWin::Close(Key key) {
  // RegOpenKey with an empty path hands back the root itself: not ours to close.
  HKEY hkey = ToHkey(key);
  if (hkey && !IsPredefined(hkey)) RegCloseKey(hkey);
}

}  // namespace platform

// A test fixture that redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of
// this process to scratch keys, so tests use the real registry without
// touching the prefix's own system values (which other tests may look at).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dravon_test {

class ScratchRegistry : public ::testing::Test {
 protected:
  using Bytes = std::vector<std::uint8_t>;

  explicit ScratchRegistry(const wchar_t* name)
      : scratch_(std::wstring(L"Software\\DravonTests\\") + name) {}

  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch_.c_str());
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_CURRENT_USER, (scratch_ + L"\\HKLM").c_str(), &lm_));
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_CURRENT_USER, (scratch_ + L"\\HKCU").c_str(), &cu_));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, lm_));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, cu_));
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (lm_) RegCloseKey(lm_);
    if (cu_) RegCloseKey(cu_);
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\DravonTests");  // only when empty
  }

  // What is stored in the scratch machine key, read with the W function.
  Bytes StoredW(const wchar_t* key, const wchar_t* name, DWORD* type = nullptr) {
    HKEY h = nullptr;
    Bytes data;
    if (RegOpenKeyExW(lm_, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return data;
    DWORD size = 0, t = 0;
    if (RegQueryValueExW(h, name, nullptr, &t, nullptr, &size) == ERROR_SUCCESS) {
      data.resize(size);
      RegQueryValueExW(h, name, nullptr, &t, data.data(), &size);
      data.resize(size);
    }
    if (type) *type = t;
    RegCloseKey(h);
    return data;
  }
  // What a value holds as the A functions read it (the view the tweaks
  // write with: a REG_SZ "1" is one byte), under a scratch root: lm_ or cu_.
  // Empty, with type REG_NONE, when the key or value is missing.
  static Bytes StoredA(HKEY root, const std::wstring& key, const std::string& name,
                       DWORD* type = nullptr) {
    HKEY h = nullptr;
    Bytes data;
    DWORD t = REG_NONE;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
      DWORD size = 0;
      if (RegQueryValueExA(h, name.c_str(), nullptr, &t, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size);
        RegQueryValueExA(h, name.c_str(), nullptr, &t, data.data(), &size);
        data.resize(size);
      } else {
        t = REG_NONE;
      }
      RegCloseKey(h);
    }
    if (type) *type = t;
    return data;
  }
  void MakeKey(const wchar_t* key) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_LOCAL_MACHINE, key, &h));
    RegCloseKey(h);
  }
  void PutW(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_LOCAL_MACHINE, key, &h));
    RegSetValueExW(h, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(h);
  }
  void PutTextW(const wchar_t* key, const wchar_t* name, const std::wstring& text,
                DWORD type = REG_SZ) {
    PutW(key, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  HKEY lm_ = nullptr;
  HKEY cu_ = nullptr;

 private:
  std::wstring scratch_;
};

}  // namespace dravon_test

// The Win32 registry against the real (Wine's) registry: what is stored is
// checked with the W functions directly, beside what the interface reads.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/RegistryWin.h"

namespace {

using platform::Registry;
using platform::RegistryWin;
using platform::RegRoot;
using platform::RegValue;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kBase = "Software\\DravonTests\\RegistryWin";
constexpr const wchar_t* kBaseW = L"Software\\DravonTests\\RegistryWin";

// What is really stored, read past the interface.
struct Stored {
  DWORD type = REG_NONE;
  Bytes data;
  LSTATUS rc = ERROR_FILE_NOT_FOUND;
};

Stored ReadW(const std::wstring& subkey, const wchar_t* name) {
  Stored s;
  HKEY key = nullptr;
  std::wstring path = std::wstring(kBaseW) + (subkey.empty() ? L"" : L"\\" + subkey);
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return s;
  DWORD size = 0;
  s.rc = RegQueryValueExW(key, name, nullptr, &s.type, nullptr, &size);
  if (s.rc == ERROR_SUCCESS) {
    s.data.resize(size);
    s.rc = RegQueryValueExW(key, name, nullptr, &s.type, s.data.data(), &size);
    s.data.resize(size);
  }
  RegCloseKey(key);
  return s;
}

// The A read may add a terminator where there is room for one; what counts
// for the callers is the text before the first NUL and nothing after it.
std::string UpToNul(const Bytes& data) {
  std::string text(data.begin(), data.end());
  std::size_t nul = text.find('\0');
  if (nul == std::string::npos) return text;
  EXPECT_EQ(std::string::npos, text.find_first_not_of('\0', nul)) << "bytes after the NUL";
  return text.substr(0, nul);
}

class RegistryWinTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBaseW); }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kBaseW);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\DravonTests");  // only when empty
  }

  Registry::Key CreateBase(const std::string& sub = "") {
    Registry::Key k = 0;
    EXPECT_EQ(0, reg.Create(RegRoot::CurrentUser, std::string(kBase) + sub, k));
    return k;
  }

  RegistryWin reg;
};

TEST_F(RegistryWinTest, OpenNeedsTheKeyCreateMakesParents) {
  Registry::Key k = 123;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            reg.Open(RegRoot::CurrentUser, std::string(kBase) + "\\A\\B", Registry::Access::Read, k));
  EXPECT_EQ(0u, k);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg.Open(RegRoot::CurrentUser, std::string(kBase) + "\\A\\B",
                                           Registry::Access::ReadWrite, k));
  ASSERT_EQ(0, reg.Create(RegRoot::CurrentUser, std::string(kBase) + "\\A\\B", k));
  reg.Close(k);
  // A trailing backslash names the same key, in both open modes.
  for (auto access : {Registry::Access::Read, Registry::Access::ReadWrite}) {
    ASSERT_EQ(0, reg.Open(RegRoot::CurrentUser, std::string(kBase) + "\\A\\B\\", access, k));
    reg.Close(k);
  }
  ASSERT_EQ(0, reg.Create(RegRoot::CurrentUser, std::string(kBase) + "\\A\\B\\", k));
  reg.Close(k);
}

TEST_F(RegistryWinTest, WritesExactBytes) {
  Registry::Key k = CreateBase();
  ASSERT_EQ(0, reg.Set(k, "Text", platform::kRegSz, "1", 1));
  const std::uint8_t dword[4] = {244, 1, 0, 0};
  ASSERT_EQ(0, reg.Set(k, "Number", platform::kRegDword, dword, 4));

  // One character, no terminator, as stored ...
  Stored text = ReadW(L"", L"Text");
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), text.type);
  EXPECT_EQ(Bytes({'1', 0}), text.data);  // one UTF-16 unit
  Stored number = ReadW(L"", L"Number");
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), number.type);
  EXPECT_EQ(Bytes({244, 1, 0, 0}), number.data);

  // ... and as the raw read sees it.
  RegValue v;
  ASSERT_EQ(0, reg.QueryRaw(k, "Text", 255, v));
  EXPECT_EQ(platform::kRegSz, v.type);
  EXPECT_EQ("1", UpToNul(v.data));
  ASSERT_EQ(0, reg.QueryRaw(k, "number", 80, v));  // names ignore case
  EXPECT_EQ(platform::kRegDword, v.type);
  EXPECT_EQ(Bytes({244, 1, 0, 0}), v.data);
  reg.Close(k);
}

TEST_F(RegistryWinTest, RawReadIsBoundedAndMissingValuesFail) {
  Registry::Key k = CreateBase();
  Bytes big(81, 7);
  ASSERT_EQ(0, reg.Set(k, "Big", platform::kRegBinary, big.data(), big.size()));
  RegValue v;
  EXPECT_EQ(platform::kRegMoreData, reg.QueryRaw(k, "Big", 80, v));
  EXPECT_TRUE(v.data.empty());
  ASSERT_EQ(0, reg.QueryRaw(k, "Big", 81, v));
  EXPECT_EQ(big, v.data);
  EXPECT_EQ(platform::kRegFileNotFound, reg.QueryRaw(k, "Absent", 80, v));
  // A bound far beyond the value is only a limit.
  ASSERT_EQ(0, reg.QueryRaw(k, "Big", static_cast<std::size_t>(-1), v));
  EXPECT_EQ(big, v.data);
  // A text written with its terminator comes back with it.
  ASSERT_EQ(0, reg.Set(k, "Y", platform::kRegSz, "Y", 2));
  ASSERT_EQ(0, reg.QueryRaw(k, "Y", 80, v));
  EXPECT_EQ(Bytes({'Y', 0}), v.data);
  reg.Close(k);
}

TEST_F(RegistryWinTest, EmptyNameIsTheDefaultValue) {
  Registry::Key k = CreateBase("\\AlwaysUnloadDLL");
  ASSERT_EQ(0, reg.Set(k, "", platform::kRegSz, "1", 1));
  reg.Close(k);
  Stored s = ReadW(L"AlwaysUnloadDLL", nullptr);
  EXPECT_EQ(ERROR_SUCCESS, s.rc);
  EXPECT_EQ(Bytes({'1', 0}), s.data);
  ASSERT_EQ(0, reg.Open(RegRoot::CurrentUser, std::string(kBase) + "\\AlwaysUnloadDLL\\",
                        Registry::Access::ReadWrite, k));
  RegValue v;
  ASSERT_EQ(0, reg.QueryRaw(k, "", 255, v));
  EXPECT_EQ("1", UpToNul(v.data));
  reg.Close(k);
}

TEST_F(RegistryWinTest, RemovesValuesAndOnlyEmptyKeys) {
  Registry::Key k = CreateBase("\\Leaf");
  ASSERT_EQ(0, reg.Set(k, "v", platform::kRegDword, "\1\0\0\0", 4));
  EXPECT_EQ(0, reg.DeleteValue(k, "v"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg.DeleteValue(k, "v"));
  ASSERT_EQ(0, reg.Set(k, "w", platform::kRegDword, "\1\0\0\0", 4));
  reg.Close(k);
  // The parent holds a subkey, the leaf a value: both stay, values and all.
  EXPECT_EQ(platform::kRegNotEmpty, reg.DeleteEmptyKey(RegRoot::CurrentUser, kBase));
  EXPECT_EQ(platform::kRegNotEmpty, reg.DeleteEmptyKey(RegRoot::CurrentUser, std::string(kBase) + "\\Leaf"));
  EXPECT_EQ(ERROR_SUCCESS, ReadW(L"Leaf", L"w").rc);
  ASSERT_EQ(0, reg.Open(RegRoot::CurrentUser, std::string(kBase) + "\\Leaf", Registry::Access::ReadWrite, k));
  EXPECT_EQ(0, reg.DeleteValue(k, "w"));
  reg.Close(k);
  EXPECT_EQ(0, reg.DeleteEmptyKey(RegRoot::CurrentUser, std::string(kBase) + "\\Leaf\\"));
  EXPECT_NE(0, reg.Open(RegRoot::CurrentUser, std::string(kBase) + "\\Leaf", Registry::Access::Read, k));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg.DeleteEmptyKey(RegRoot::CurrentUser, std::string(kBase) + "\\Leaf"));
}

TEST_F(RegistryWinTest, TextIsReadAsUnicode) {
  Registry::Key k = CreateBase();
  HKEY h = reinterpret_cast<HKEY>(k);
  const wchar_t name[] = L"Microsoft Windows XP 专业版";
  RegSetValueExW(h, L"ProductName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), sizeof name);
  const wchar_t multi[] = L"BIOS 1.0\0Ünï\0\0";
  RegSetValueExW(h, L"Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi);
  DWORD n = 7;
  RegSetValueExW(h, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);

  std::uint32_t type = 0;
  std::string text;
  ASSERT_EQ(0, reg.QueryText(k, "ProductName", 100, type, text));
  EXPECT_EQ(platform::kRegSz, type);
  EXPECT_EQ("Microsoft Windows XP 专业版", text);
  ASSERT_EQ(0, reg.QueryText(k, "Multi", 300, type, text));
  EXPECT_EQ(platform::kRegMultiSz, type);
  EXPECT_EQ(std::string("BIOS 1.0\0Ünï", 14), text);
  // The bound counts UTF-16 units with the terminator, as a buffer would.
  EXPECT_EQ(platform::kRegMoreData, reg.QueryText(k, "ProductName", 24, type, text));
  EXPECT_EQ("", text);
  EXPECT_EQ(0, reg.QueryText(k, "ProductName", 25, type, text));
  ASSERT_EQ(0, reg.QueryText(k, "Number", 100, type, text));
  EXPECT_EQ(platform::kRegDword, type);
  EXPECT_EQ("", text);
  EXPECT_EQ(platform::kRegFileNotFound, reg.QueryText(k, "Absent", 100, type, text));
  reg.Close(k);
}

TEST_F(RegistryWinTest, UnicodeKeyPathsNameTheRightKey) {
  Registry::Key k = CreateBase("\\中文");
  reg.Close(k);
  HKEY h = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kBaseW) + L"\\中文").c_str(),
                                         0, KEY_READ, &h));
  if (h) RegCloseKey(h);
}

}  // namespace

// The skin value and the library keys against Wine's real registry: exact
// type and length of what is written, and how what is stored is read.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/Settings.h"
#include "platform/RegistryRights.h"
#include "platform/RegistryWin.h"
#include "tests/win/common/ScratchRegistry.h"

namespace {

const char kScratch[] = "Software\\Dravon Tests\\";

shell::SettingsPlace Scratch() { return {platform::RegRoot::CurrentUser, kScratch}; }
platform::RegistryWin g_registry;

void ClearScratch() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Dravon Tests"); }

struct Raw {
  LONG status;
  DWORD type;
  std::vector<BYTE> data;
};

Raw QueryRaw(const char* key, const char* value) {
  Raw r{ERROR_FILE_NOT_FOUND, REG_NONE, {}};
  HKEY h;
  r.status = RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kScratch) + key).c_str(), 0, KEY_READ, &h);
  if (r.status != ERROR_SUCCESS) return r;
  DWORD size = 0;
  r.status = RegQueryValueExA(h, value, nullptr, &r.type, nullptr, &size);
  r.data.resize(size);
  if (r.status == ERROR_SUCCESS && size) {
    r.status = RegQueryValueExA(h, value, nullptr, &r.type, r.data.data(), &size);
    r.data.resize(size);
  }
  RegCloseKey(h);
  return r;
}

void PutSkinBytes(const void* bytes, DWORD size, DWORD type = REG_SZ) {
  HKEY h;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, (std::string(kScratch) + "SOFTWARE\\Tarvik\\SKIN").c_str(), &h),
            ERROR_SUCCESS);
  RegSetValueExA(h, "Skin", 0, type, static_cast<const BYTE*>(bytes), size);
  RegCloseKey(h);
}

}  // namespace

TEST(SkinSetting, IsWrittenAsOneCharacterWithoutTerminator) {
  ClearScratch();
  shell::WriteSkinSetting(g_registry, Scratch(), true);
  Raw one = QueryRaw("SOFTWARE\\Tarvik\\SKIN", "Skin");
  ASSERT_EQ(one.status, ERROR_SUCCESS);
  EXPECT_EQ(one.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(one.data, std::vector<BYTE>{'1'});

  shell::WriteSkinSetting(g_registry, Scratch(), false);
  Raw zero = QueryRaw("SOFTWARE\\Tarvik\\SKIN", "Skin");
  EXPECT_EQ(zero.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(zero.data, std::vector<BYTE>{'0'});
  ClearScratch();
}

TEST(SkinSetting, ReadsBackWhatWasWrittenAndWhatOthersStored) {
  ClearScratch();
  EXPECT_EQ(shell::ReadSkinSetting(g_registry, Scratch()), 0);  // no key
  shell::WriteSkinSetting(g_registry, Scratch(), true);
  EXPECT_EQ(shell::ReadSkinSetting(g_registry, Scratch()), 1);
  shell::WriteSkinSetting(g_registry, Scratch(), false);
  EXPECT_EQ(shell::ReadSkinSetting(g_registry, Scratch()), 0);

  PutSkinBytes("01", 3);
  EXPECT_EQ(shell::ReadSkinSetting(g_registry, Scratch()), 1);
  PutSkinBytes("1abc", 4);  // no terminator stored
  EXPECT_EQ(shell::ReadSkinSetting(g_registry, Scratch()), 1);
  PutSkinBytes("2", 2);
  EXPECT_EQ(shell::ReadSkinSetting(g_registry, Scratch()), 2);
  // Longer than the 255 characters read: fails to read, so no skin.
  std::string huge(400, '1');
  PutSkinBytes(huge.c_str(), static_cast<DWORD>(huge.size() + 1));
  EXPECT_EQ(shell::ReadSkinSetting(g_registry, Scratch()), 0);
  ClearScratch();
}

TEST(LibraryKeys, AreCreatedWithoutValuesAndKeepWhatIsThere) {
  ClearScratch();
  shell::CreateLibraryKeys(g_registry, Scratch());
  for (const char* k : {"SOFTWARE\\Tarvik\\HD", "SOFTWARE\\Tarvik\\CD", "SOFTWARE\\Tarvik\\CDROM"}) {
    HKEY h;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kScratch) + k).c_str(), 0, KEY_READ, &h),
              ERROR_SUCCESS)
        << k;
    DWORD values = 99;
    RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    EXPECT_EQ(values, 0u) << k;
    RegCloseKey(h);
  }
  // A second start keeps the levels the optimisation library stored.
  HKEY h;
  RegCreateKeyA(HKEY_CURRENT_USER, (std::string(kScratch) + "SOFTWARE\\Tarvik\\HD").c_str(), &h);
  RegSetValueExA(h, "IoPage", 0, REG_SZ, reinterpret_cast<const BYTE*>("3"), 2);
  RegCloseKey(h);
  Raw before = QueryRaw("SOFTWARE\\Tarvik\\HD", "IoPage");
  shell::CreateLibraryKeys(g_registry, Scratch());
  Raw after = QueryRaw("SOFTWARE\\Tarvik\\HD", "IoPage");
  EXPECT_EQ(after.status, ERROR_SUCCESS);
  EXPECT_EQ(after.data, before.data);
  ClearScratch();
}

namespace {
class MachineSettings : public dravon_test::ScratchRegistry {
 protected:
  MachineSettings() : ScratchRegistry(L"MachineSettings") {}
  bool Exists(const wchar_t* key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(lm_, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
  }
};
}  // namespace

// The machine's keys as the program meets them: a start without the rights
// makes none of them and changes no skin; the first start with them does.
TEST_F(MachineSettings, OnlyAStartWithTheRightsMakesTheLibraryKeys) {
  const shell::SettingsPlace machine{platform::RegRoot::LocalMachine, ""};
  const wchar_t* keys[] = {L"SOFTWARE\\Tarvik\\HD", L"SOFTWARE\\Tarvik\\CD", L"SOFTWARE\\Tarvik\\CDROM"};
  platform::RightsRegistry standardUser(g_registry, true);
  shell::CreateLibraryKeys(standardUser, machine);
  shell::WriteSkinSetting(standardUser, machine, true);
  for (const wchar_t* key : keys) EXPECT_FALSE(Exists(key));
  EXPECT_FALSE(Exists(L"SOFTWARE\\Tarvik\\SKIN"));

  platform::RightsRegistry administrator(g_registry, false);
  shell::CreateLibraryKeys(administrator, machine);
  for (const wchar_t* key : keys) EXPECT_TRUE(Exists(key));
  // Once they are there, a standard user's start reads them as they are.
  shell::WriteSkinSetting(administrator, machine, true);
  shell::WriteSkinSetting(standardUser, machine, false);
  EXPECT_EQ(1, shell::ReadSkinSetting(standardUser, machine));
}

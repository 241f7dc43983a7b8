// The page models over the real registry, in scratch machine and user roots.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/RegistryRights.h"
#include "platform/RegistryWin.h"
#include "tests/win/common/ScratchRegistry.h"
#include "tunara/PageModels.h"

namespace tunara {
namespace {

class TweakPagesWin : public dravon_test::ScratchRegistry {
 protected:
  TweakPagesWin() : ScratchRegistry(L"TweakPages") {}
  platform::RegistryWin reg_;
};

TEST_F(TweakPagesWin, ScratchRootsStandInForTheMachine) {
  MakeKey(L"SOFTWARE\\Tarvik\\HD");
  HKEY h = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(lm_, L"SOFTWARE\\Tarvik\\HD", 0, KEY_READ, &h));
  if (h) RegCloseKey(h);
}

TEST_F(TweakPagesWin, DiskQuotaKeyIsCreatedByTheClick) {
  TweakPageModel page(PageId::Disk, reg_);
  page.Start();
  EXPECT_FALSE(page.Box(29014)->checked);
  EXPECT_EQ("未启用", page.Box(29014)->statusText);
  ASSERT_TRUE(page.Click(29014));
  EXPECT_EQ("已启用", page.Box(29014)->statusText);
  DWORD type = 0;
  EXPECT_EQ(Bytes({1, 0, 0, 0}),
            StoredW(L"Software\\Policies\\Microsoft\\Windows NT\\DiskQuota", L"Enable", &type));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);

  TweakPageModel again(PageId::Disk, reg_);
  again.Start();
  EXPECT_TRUE(again.Box(29014)->checked);
  // A plain-open row whose key is missing fails and creates nothing.
  again.Click(29016);
  EXPECT_EQ("优化错误!", again.Box(29016)->statusText);
  HKEY h = nullptr;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(lm_, L"SYSTEM\\ControlSet001\\Control\\Class", 0,
                                         KEY_READ, &h));
}

TEST_F(TweakPagesWin, TextRowsWriteOneCharacterAndReadBack) {
  const wchar_t* cdrom = L"SYSTEM\\CurrentControlSet\\Services\\Cdrom";
  const wchar_t one[] = L"1";  // as a registry editor stores it, terminated
  PutW(cdrom, L"AutoRun", REG_SZ, one, sizeof one);
  TweakPageModel page(PageId::Cdrom, reg_);
  page.Start();
  EXPECT_FALSE(page.Box(29002)->checked);
  EXPECT_EQ("未启用", page.Box(29002)->statusText);
  page.Click(29002);
  EXPECT_EQ("已启用", page.Box(29002)->statusText);
  DWORD type = 0;
  EXPECT_EQ(Bytes({'0', 0}), StoredW(cdrom, L"AutoRun", &type));  // one unit, no terminator
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);

  TweakPageModel again(PageId::Cdrom, reg_);
  again.Start();
  EXPECT_TRUE(again.Box(29002)->checked);
  // The burning switch is read from the current user's scratch root.
  EXPECT_FALSE(again.Box(29004)->checked);
}

TEST_F(TweakPagesWin, RawBytesDecideAgainstStoredTypes) {
  const wchar_t* atapi = L"SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters";
  const wchar_t* session = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  DWORD one = 1, ten = 10;
  PutW(atapi, L"EnableBigLba", REG_DWORD, &one, 4);
  const wchar_t text[] = L"1";
  PutW(session, L"ProtectionMode", REG_SZ, text, sizeof text);
  PutW(session, L"AutoChkTimeOut", REG_DWORD, &ten, 4);
  TweakPageModel page(PageId::Disk, reg_);
  page.Start();
  EXPECT_FALSE(page.Box(29002)->checked);  // DWORD 1 is not the text "1"
  EXPECT_FALSE(page.Box(29006)->checked);  // the text "1" is not the byte 1
  EXPECT_EQ(2, page.Level(29020)->sliderPos);
  EXPECT_EQ("自动检测等待时间10秒", page.Level(29020)->text);
  page.ReleaseSlider(29020, 5);
  EXPECT_EQ(Bytes({40, 0, 0, 0}), StoredW(session, L"AutoChkTimeOut"));
}

TEST_F(TweakPagesWin, OwnRecordKeysAreMadeByTheWriteWhenTheRightsAllow) {
  const wchar_t* memory = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
  MakeKey(memory);
  // A standard user cannot make the missing key: nothing changes.
  platform::RightsRegistry standardUser(reg_, true);
  TweakPageModel denied(PageId::Memory, standardUser);
  denied.Start();
  denied.ReleaseSlider(29024, 3);
  EXPECT_EQ("优化错误!", denied.Level(29024)->text);
  EXPECT_EQ(1, denied.Level(29024)->sliderPos);
  EXPECT_TRUE(StoredW(memory, L"IoPageLockLimit").empty());
  HKEY h = nullptr;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(lm_, L"SOFTWARE\\Tarvik\\HD", 0, KEY_READ, &h));

  // With the rights the write makes it.
  TweakPageModel page(PageId::Memory, reg_);
  page.Start();
  page.ReleaseSlider(29024, 3);
  EXPECT_EQ("          1G内存的磁盘缓冲值", page.Level(29024)->text);
  EXPECT_EQ(Bytes({3, 0, 0, 0}), StoredW(L"SOFTWARE\\Tarvik\\HD", L"IoPage"));
  EXPECT_EQ(Bytes({0xA0, 0x86, 0x01, 0x00}), StoredW(memory, L"IoPageLockLimit"));

  TweakPageModel again(PageId::Memory, reg_);
  again.Start();
  EXPECT_EQ(3, again.Level(29024)->sliderPos);
  EXPECT_EQ("     当前为1G内存的磁盘缓冲值", again.Level(29024)->text);
}

}  // namespace
}  // namespace tunara

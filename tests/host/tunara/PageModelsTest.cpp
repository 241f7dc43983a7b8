// Level controls and the four pages as their dialogs will show them.
#include <gtest/gtest.h>

#include <map>

#include "platform/RegistryMemory.h"
#include "tunara/PageModels.h"

namespace tunara {
namespace {

using platform::RegRoot;
using Bytes = std::vector<std::uint8_t>;

constexpr RegRoot kLM = RegRoot::LocalMachine;
constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kMemory =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
constexpr const char* kPrefetchKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";
constexpr const char* kCdfs = "SYSTEM\\CurrentControlSet\\Control\\FileSystem\\CDFS";
constexpr const char* kFileSystem = "SYSTEM\\CurrentControlSet\\Control\\FileSystem";
constexpr const char* kLanman = "SYSTEM\\CurrentControlSet\\Services\\LanmanWorkstation\\Parameters";
constexpr const char* kCdrom = "SYSTEM\\CurrentControlSet\\Services\\Cdrom";
constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

Bytes Dword(std::uint32_t n) {
  return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
          static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
}

Bytes Stored(const platform::RegistryMemory& reg, const char* key, const char* name) {
  const platform::RegValue* v = reg.Find(kLM, key, name);
  return v ? v->data : Bytes{};
}

// The keys the main program creates at start-up, and the system keys.
void MakeKeys(platform::RegistryMemory& reg) {
  for (const char* key : {"SOFTWARE\\Tarvik\\HD", "SOFTWARE\\Tarvik\\CD", "SOFTWARE\\Tarvik\\CDROM",
                          kSessionManager, kMemory, kPrefetchKey, kCdfs, kFileSystem, kLanman,
                          kCdrom, kWinlogon}) {
    platform::Registry::Key k = 0;
    reg.Create(kLM, key, k);
    reg.Close(k);
  }
}

TweakPageModel Started(PageId page, platform::Registry& reg, const DriveTypeQuery& q = {}) {
  TweakPageModel model(page, reg);
  model.Start(q);
  return model;
}

// ---- Hard-disk page -------------------------------------------------------

TEST(DiskPage, WaitTimeLevelAtStart) {
  struct Case { std::uint32_t stored; int pos; const char* text; };
  for (Case c : {Case{10, 2, "自动检测等待时间10秒"}, Case{40, 5, "自动检测等待时间40秒"},
                 Case{1, 1, "自动检测等待时间1秒"}, Case{0, 1, ""}, Case{5, 1, ""}}) {
    platform::RegistryMemory reg;
    reg.PutDword(kLM, kSessionManager, "AutoChkTimeOut", c.stored);
    TweakPageModel page = Started(PageId::Disk, reg);
    const LevelState& slider = *page.Level(29020);
    EXPECT_EQ(c.pos, slider.sliderPos) << c.stored;
    EXPECT_EQ(c.text, slider.text) << c.stored;
    EXPECT_EQ(29001, slider.textBox);
    EXPECT_EQ(5, slider.SliderMax());
    // The wait-time box is never read.
    EXPECT_FALSE(page.Box(29018)->checked);
    EXPECT_EQ("", page.Box(29018)->statusText);
  }
}

TEST(DiskPage, SliderAndWaitTimeBoxShareTheValue) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  TweakPageModel page = Started(PageId::Disk, reg);
  EXPECT_TRUE(page.ReleaseSlider(29020, 5));
  EXPECT_EQ(Dword(40), Stored(reg, kSessionManager, "AutoChkTimeOut"));
  EXPECT_EQ("自动检测等待时间40秒", page.Level(29020)->text);
  EXPECT_TRUE(page.Click(29018));
  EXPECT_EQ(Dword(0), Stored(reg, kSessionManager, "AutoChkTimeOut"));
  EXPECT_EQ(5, page.Level(29020)->sliderPos);  // the slider does not follow
  EXPECT_EQ("自动检测等待时间40秒", page.Level(29020)->text);
  // A position without a row writes nothing.
  EXPECT_TRUE(page.ReleaseSlider(29020, 6));
  EXPECT_EQ(Dword(0), Stored(reg, kSessionManager, "AutoChkTimeOut"));
  EXPECT_FALSE(page.ReleaseSlider(29024, 1));  // not a slider of this page
}

TEST(DiskPage, WaitTimeWriteFailureShowsError) {
  platform::RegistryMemory reg;  // no Session Manager key
  TweakPageModel page = Started(PageId::Disk, reg);
  page.ReleaseSlider(29020, 2);
  EXPECT_EQ("优化错误!", page.Level(29020)->text);
  EXPECT_EQ(1, page.Level(29020)->sliderPos);  // nothing stored: back to 1
}

TEST(DiskPage, MissingValuesDecideByTheirTest) {
  platform::RegistryMemory reg;
  TweakPageModel page = Started(PageId::Disk, reg);
  // Number-text sees 0, single-byte and "Y" fail, DWORD = 0 passes.
  EXPECT_FALSE(page.Box(29002)->checked);
  EXPECT_EQ("未优化", page.Box(29002)->statusText);
  EXPECT_TRUE(page.Box(29008)->checked);  // UtilizeNtCaching missing
  EXPECT_EQ("已优化", page.Box(29008)->statusText);
  EXPECT_TRUE(page.Box(29012)->checked);  // forceguest missing
  EXPECT_FALSE(page.Box(29010)->checked);
  EXPECT_FALSE(page.Box(29014)->checked);
  EXPECT_EQ("未启用", page.Box(29014)->statusText);
  EXPECT_EQ("禁用UDMA66模式", page.Box(29016)->statusText);
}

TEST(DiskPage, StoredTypesDecideTheStartState) {
  platform::RegistryMemory reg;
  reg.PutDword(kLM, "SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters", "EnableBigLba", 1);
  reg.PutText(kLM, "SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction", "Enable", "Y");
  reg.PutText(kLM, kSessionManager, "ProtectionMode", "1");
  TweakPageModel page = Started(PageId::Disk, reg);
  EXPECT_FALSE(page.Box(29002)->checked);  // a DWORD 1 is not the text "1"
  EXPECT_TRUE(page.Box(29010)->checked);
  EXPECT_FALSE(page.Box(29006)->checked);  // the text "1" is not the byte 1
}

TEST(DiskPage, TwoClickedBoxesBothWriteTheirOnData) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  reg.PutDword(kLM, kLanman, "UtilizeNtCaching", 1);
  TweakPageModel page = Started(PageId::Disk, reg);
  ASSERT_FALSE(page.Box(29006)->checked);
  ASSERT_FALSE(page.Box(29008)->checked);
  page.Click(29006);
  page.Click(29008);
  EXPECT_TRUE(page.Box(29006)->checked);
  EXPECT_TRUE(page.Box(29008)->checked);
  EXPECT_EQ(Dword(1), Stored(reg, kSessionManager, "ProtectionMode"));
  EXPECT_EQ(Dword(0), Stored(reg, kLanman, "UtilizeNtCaching"));
  EXPECT_FALSE(page.Click(29020));  // the slider is not a box
}

// ---- Memory page ----------------------------------------------------------

TEST(MemoryPage, DiskBufferComesFromTheOwnRecordOnly) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  reg.PutDword(kLM, kMemory, "IoPageLockLimit", 100000);
  TweakPageModel page = Started(PageId::Memory, reg);
  EXPECT_EQ(1, page.Level(29024)->sliderPos);
  EXPECT_EQ("", page.Level(29024)->text);

  reg.PutDword(kLM, "SOFTWARE\\Tarvik\\HD", "IoPage", 4);
  page = Started(PageId::Memory, reg);
  EXPECT_EQ(4, page.Level(29024)->sliderPos);
  EXPECT_EQ("     当前为2G内存的磁盘缓冲值", page.Level(29024)->text);
}

TEST(MemoryPage, DiskBufferReleaseWritesRecordThenLimit) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  TweakPageModel page = Started(PageId::Memory, reg);
  page.ReleaseSlider(29024, 3);
  EXPECT_EQ(Dword(3), Stored(reg, "SOFTWARE\\Tarvik\\HD", "IoPage"));
  EXPECT_EQ(Dword(100000), Stored(reg, kMemory, "IoPageLockLimit"));
  EXPECT_EQ("          1G内存的磁盘缓冲值", page.Level(29024)->text);
}

TEST(MemoryPage, AMissingOwnRecordKeyIsMadeByTheWrite) {
  platform::RegistryMemory reg;
  reg.PutDword(kLM, kMemory, "IoPageLockLimit", 10000);
  TweakPageModel page = Started(PageId::Memory, reg);
  page.ReleaseSlider(29024, 5);
  EXPECT_EQ("          4G内存的磁盘缓冲值", page.Level(29024)->text);
  EXPECT_EQ(Dword(5), Stored(reg, "SOFTWARE\\Tarvik\\HD", "IoPage"));
  EXPECT_EQ(Dword(400000), Stored(reg, kMemory, "IoPageLockLimit"));
}

TEST(MemoryPage, AFailedSystemWritePutsTheRecordAndTheThumbBack) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  reg.PutDword(kLM, "SOFTWARE\\Tarvik\\HD", "IoPage", 2);
  reg.PutDword(kLM, kMemory, "IoPageLockLimit", 40000);
  reg.DenyWrites(kLM, kMemory);
  TweakPageModel page = Started(PageId::Memory, reg);
  page.ReleaseSlider(29024, 5);
  EXPECT_EQ("优化错误!", page.Level(29024)->text);
  EXPECT_EQ(2, page.Level(29024)->sliderPos);
  EXPECT_EQ(Dword(2), Stored(reg, "SOFTWARE\\Tarvik\\HD", "IoPage"));
  EXPECT_EQ(Dword(40000), Stored(reg, kMemory, "IoPageLockLimit"));
  // A record that was missing reads as missing again: no level, thumb at 1.
  platform::RegistryMemory fresh;
  fresh.DenyWrites(kLM, kCdfs);
  TweakPageModel cdrom = Started(PageId::Cdrom, fresh);
  cdrom.ReleaseSlider(29020, 7);
  EXPECT_EQ(1, cdrom.Level(29020)->sliderPos);
  EXPECT_EQ("优化错误!", cdrom.Level(29020)->text);
  EXPECT_EQ(nullptr, ReadStartLevel(fresh, CdSpeedLevels()));
  EXPECT_EQ(0u, fresh.OpenKeyCount());
}

TEST(MemoryPage, ADeniedRecordWriteLeavesTheSystemValueAlone) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  reg.PutDword(kLM, "SOFTWARE\\Tarvik\\HD", "IoPage", 3);
  reg.DenyWrites(kLM, "SOFTWARE\\Tarvik\\HD");
  TweakPageModel page = Started(PageId::Memory, reg);
  page.ReleaseSlider(29024, 1);
  EXPECT_EQ("优化错误!", page.Level(29024)->text);
  EXPECT_EQ(3, page.Level(29024)->sliderPos);
  EXPECT_TRUE(Stored(reg, kMemory, "IoPageLockLimit").empty());
}

TEST(MemoryPage, PrefetchListShowsTextWithoutSelecting) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  reg.PutDword(kLM, kPrefetchKey, "EnablePrefetcher", 3);
  TweakPageModel page = Started(PageId::Memory, reg);
  const LevelState& list = *page.Level(29021);
  EXPECT_EQ("3-前两者皆预读(推荐使用)", list.text);
  EXPECT_EQ(-1, list.listSelection);
  EXPECT_EQ(" 1-预读应用程序", list.control->rows[0].itemText);
  EXPECT_EQ("3-前两者皆预读(推荐使用)", list.control->rows[2].itemText);

  EXPECT_TRUE(page.SelectListItem(29021, 1));
  EXPECT_EQ(Dword(2), Stored(reg, kPrefetchKey, "EnablePrefetcher"));
  EXPECT_EQ("2-启动预读", page.Level(29021)->text);
  EXPECT_EQ(1, page.Level(29021)->listSelection);
}

TEST(MemoryPage, StartReadsTheFirstHardwareValueAndTheMendedName) {
  platform::RegistryMemory reg;
  const char* bios = "SYSTEM\\CurrentControlSet\\Services\\Vxd\\BIOS";
  reg.PutDword(kLM, bios, "CPUPriority", 1);
  reg.PutDword(kLM, bios, "PCIConcur", 0);  // only the first is tested
  reg.PutDword(kLM, kMemory, "ClearPageFileAtShutdown", 1);
  reg.PutDword(kLM, kMemory, "clearpagefilestshutdown", 0);
  TweakPageModel page = Started(PageId::Memory, reg);
  EXPECT_TRUE(page.Box(29008)->checked);
  EXPECT_TRUE(page.Box(29002)->checked);
  EXPECT_EQ(29026, page.Box(29002)->status);
  page.Click(29008);
  EXPECT_EQ("未优化", page.Box(29008)->statusText);
  EXPECT_EQ(Dword(0), Stored(reg, bios, "AGPConcur"));
}

TEST(MemoryPage, UnloadDllUsesTheDefaultValue) {
  platform::RegistryMemory reg;
  const char* key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AlwaysUnloadDLL";
  reg.PutText(kLM, key, "", "1");
  TweakPageModel page = Started(PageId::Memory, reg);
  EXPECT_TRUE(page.Box(29006)->checked);
  page.Click(29006);
  EXPECT_EQ(Bytes{'0'}, Stored(reg, key, ""));
}

// ---- CD-ROM page ----------------------------------------------------------

TEST(CdromPage, SpeedLevels) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  reg.PutDword(kLM, "SOFTWARE\\Tarvik\\CDROM", "EnablePrefetcher", 3);
  TweakPageModel page = Started(PageId::Cdrom, reg);
  EXPECT_EQ(3, page.Level(29020)->sliderPos);
  EXPECT_EQ("     16倍速", page.Level(29020)->text);
  EXPECT_EQ(29025, page.Level(29020)->textBox);
  EXPECT_EQ(8, page.Level(29020)->SliderMax());

  page.ReleaseSlider(29020, 7);
  EXPECT_EQ(Dword(2048), Stored(reg, kCdfs, "Prefetch"));
  EXPECT_EQ(Dword(7), Stored(reg, "SOFTWARE\\Tarvik\\CDROM", "EnablePrefetcher"));
  EXPECT_EQ("40倍速(慎用)", page.Level(29020)->text);
  page.ReleaseSlider(29020, 8);
  EXPECT_EQ(Dword(2048), Stored(reg, kCdfs, "Prefetch"));
  EXPECT_EQ(Dword(8), Stored(reg, "SOFTWARE\\Tarvik\\CDROM", "EnablePrefetcher"));
  EXPECT_EQ("48倍速(慎用)", page.Level(29020)->text);
  page = Started(PageId::Cdrom, reg);
  EXPECT_EQ(8, page.Level(29020)->sliderPos);
  EXPECT_EQ("     48倍速", page.Level(29020)->text);
}

TEST(CdromPage, CacheLevels) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  reg.PutDword(kLM, "SOFTWARE\\Tarvik\\CD", "EnCDFS", 9);
  TweakPageModel page = Started(PageId::Cdrom, reg);
  EXPECT_EQ(1, page.Level(29024)->sliderPos);
  EXPECT_EQ("", page.Level(29024)->text);
  page.ReleaseSlider(29024, 3);
  EXPECT_EQ(Dword(2476), Stored(reg, kCdfs, "CacheSize"));
  EXPECT_EQ("更大", page.Level(29024)->text);
  page = Started(PageId::Cdrom, reg);
  EXPECT_EQ(3, page.Level(29024)->sliderPos);
  EXPECT_EQ("更大", page.Level(29024)->text);
}

TEST(CdromPage, AutoRunIsCheckedWhenItsTextIsZero) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  TweakPageModel page = Started(PageId::Cdrom, reg);
  EXPECT_TRUE(page.Box(29002)->checked);  // missing: number-text sees 0
  EXPECT_EQ("已启用", page.Box(29002)->statusText);

  reg.PutText(kLM, kCdrom, "AutoRun", "1");
  page = Started(PageId::Cdrom, reg);
  EXPECT_FALSE(page.Box(29002)->checked);
  EXPECT_EQ("未启用", page.Box(29002)->statusText);
  page.Click(29002);
  EXPECT_EQ(Bytes{'0'}, Stored(reg, kCdrom, "AutoRun"));
  EXPECT_EQ("已启用", page.Box(29002)->statusText);
}

TEST(CdromPage, AccessRightsTextsAndCurrentUserRow) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  TweakPageModel page = Started(PageId::Cdrom, reg);
  EXPECT_EQ("可以被域中的所理员所使用", page.Box(29006)->statusText);
  EXPECT_EQ("域中所有管理员访问权限", page.Box(29008)->statusText);
  EXPECT_EQ("已启用", page.Box(29004)->statusText);
  EXPECT_EQ(29009, page.Box(29004)->status);
  page.Click(29006);
  EXPECT_EQ("仅本地登录用户访问权限", page.Box(29006)->statusText);
  EXPECT_EQ(Bytes{'1'}, Stored(reg, kWinlogon, "allocatecdroms"));
  page.Click(29006);
  EXPECT_EQ("域中所有管理员访问权限", page.Box(29006)->statusText);

  // The burning switch lives under the current user.
  reg.PutDword(RegRoot::CurrentUser,
               "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoCDBurning", 1);
  page = Started(PageId::Cdrom, reg);
  EXPECT_TRUE(page.Box(29004)->checked);
  EXPECT_EQ("已关闭", page.Box(29004)->statusText);
}

// ---- NTFS page ------------------------------------------------------------

TEST(NtfsPage, MftZoneUnderFileSystem) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  reg.PutDword(kLM, kFileSystem, "NtfsMftZoneReservation", 2);
  TweakPageModel page = Started(PageId::Ntfs, reg);
  EXPECT_EQ("中等:MFT占整个卷的25%", page.Level(29021)->text);
  EXPECT_EQ(-1, page.Level(29021)->listSelection);
  page.SelectListItem(29021, 3);
  EXPECT_EQ(Dword(4), Stored(reg, kFileSystem, "NtfsMftZoneReservation"));
  EXPECT_EQ("最大:MFT占整个卷的50%", page.Level(29021)->text);
  EXPECT_FALSE(reg.Find(kLM, "SYSTEM\\CurrentControlSet\\Control", "NtfsMftZoneReservation"));
  EXPECT_EQ("最小:MFT占整个卷的12.5%（默认）", page.Level(29021)->control->rows[0].itemText);
}

TEST(NtfsPage, AFailedListWriteSelectsWhatTheRegistryHolds) {
  platform::RegistryMemory reg;
  TweakPageModel page = Started(PageId::Ntfs, reg);
  EXPECT_EQ("", page.Level(29021)->text);
  page.SelectListItem(29021, 0);  // no FileSystem key
  EXPECT_EQ("优化错误!", page.Level(29021)->text);
  EXPECT_EQ(-1, page.Level(29021)->listSelection);
  reg.PutDword(kLM, kFileSystem, "NtfsMftZoneReservation", 2);
  reg.DenyWrites(kLM, kFileSystem);
  page.SelectListItem(29021, 3);
  EXPECT_EQ("优化错误!", page.Level(29021)->text);
  EXPECT_EQ(1, page.Level(29021)->listSelection);  // value 2 is the second item
}

TEST(NtfsPage, RadioButtonTogglesBetweenOneAnd500) {
  for (auto [stored, checked] : {std::pair<int, bool>{1, true}, {500, false}, {-1, false}}) {
    platform::RegistryMemory reg;
    MakeKeys(reg);
    if (stored >= 0) reg.PutDword(kLM, kFileSystem, "ContigFileAllocSize", stored);
    TweakPageModel page = Started(PageId::Ntfs, reg);
    EXPECT_EQ(checked, page.Box(29023)->checked) << stored;
    EXPECT_EQ(checked ? "已优化" : "未优化", page.Box(29023)->statusText);
  }
  platform::RegistryMemory reg;
  MakeKeys(reg);
  TweakPageModel page = Started(PageId::Ntfs, reg);
  page.Click(29023);
  EXPECT_EQ(Dword(1), Stored(reg, kFileSystem, "ContigFileAllocSize"));
  page.Click(29023);
  EXPECT_EQ(Dword(500), Stored(reg, kFileSystem, "ContigFileAllocSize"));
  EXPECT_EQ("未优化", page.Box(29023)->statusText);
}

TEST(NtfsPage, CacheValueHasOppositeSensesOnTwoPages) {
  platform::RegistryMemory reg;
  MakeKeys(reg);
  EXPECT_TRUE(Started(PageId::Disk, reg).Box(29008)->checked);
  TweakPageModel ntfs = Started(PageId::Ntfs, reg);
  EXPECT_FALSE(ntfs.Box(29006)->checked);
  EXPECT_EQ("禁止缓存", ntfs.Box(29006)->statusText);
  ntfs.Click(29006);
  EXPECT_EQ(Dword(1), Stored(reg, kLanman, "UtilizeNtCaching"));
  EXPECT_FALSE(Started(PageId::Disk, reg).Box(29008)->checked);
}

TEST(NtfsPage, CdromLocationIsTheLastOfAToJ) {
  auto drives = [](std::map<char, unsigned> types) {
    return [types](std::string_view root) {
      auto it = types.find(root[0]);
      return it == types.end() ? 1u : it->second;
    };
  };
  platform::RegistryMemory reg;
  EXPECT_EQ(" G:\\ 盘 ", Started(PageId::Ntfs, reg, drives({{'E', 5}, {'G', 5}, {'C', 3}}))
                              .CdromLocation());
  EXPECT_EQ("", Started(PageId::Ntfs, reg, drives({{'K', 5}})).CdromLocation());
  EXPECT_EQ(" J:\\ 盘 ", CdromLocationText(drives({{'J', 5}})));
  // Everything the dialog has to put into static texts and text boxes.
  reg.PutDword(kLM, kFileSystem, "NtfsMftZoneReservation", 1);
  reg.PutDword(kLM, kFileSystem, "NtfsDisable8dot3NameCreation", 1);
  auto texts = Started(PageId::Ntfs, reg, drives({{'D', 5}})).ControlTexts();
  using Text = std::pair<std::uint16_t, std::string>;
  EXPECT_EQ((std::vector<Text>{{29003, "未优化"}, {29005, "保存上次更新的时间"}, {29007, "不允许"},
                               {29009, "禁止缓存"}, {29001, "最小:MFT占整个卷的12.5%（默认）"},
                               {29030, " D:\\ 盘 "}}),
            texts);

  std::string asked;
  CdromLocationText([&](std::string_view root) {
    asked += root;
    return 0u;
  });
  EXPECT_EQ("A:\\B:\\C:\\D:\\E:\\F:\\G:\\H:\\I:\\J:\\", asked);
}

}  // namespace
}  // namespace tunara

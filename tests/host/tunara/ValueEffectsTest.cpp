// Which Windows reads which value, the rows that tell so, and the
// last-access row on the values Windows 10 keeps there itself.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/RegistryMemory.h"
#include "tunara/LevelTables.h"
#include "tunara/PageModels.h"
#include "tunara/TweakMechanism.h"
#include "tunara/ValueEffects.h"

namespace tunara {
namespace {

using platform::OsVersion;
using platform::RegRoot;

const OsVersion kXp{5, 1, 2600, 2, "Service Pack 3"};
const OsVersion kSeven{6, 1, 7601, 2, "Service Pack 1"};
const OsVersion kTen1709{10, 0, 16299, 2, ""};
const OsVersion kTen1803{10, 0, 17134, 2, ""};
const OsVersion kEleven{10, 0, 22631, 2, ""};

constexpr PageId kPages[] = {PageId::Disk, PageId::Memory, PageId::Cdrom, PageId::Ntfs};
constexpr const char* kFileSystem = "SYSTEM\\CurrentControlSet\\Control\\FileSystem";

bool Reads(const OsVersion& v, RegRoot root, std::string_view key, std::string_view value) {
  return ReadsValue(v, FindValueEffect(root, key, value));
}

TEST(ValueEffects, EveryValueThePagesWriteHasExactlyOneEntry) {
  std::set<const ValueEffect*> used;
  auto expectEntry = [&](RegRoot root, std::string_view key, std::string_view value) {
    const ValueEffect* effect = FindValueEffect(root, key, value);
    EXPECT_NE(nullptr, effect) << key << " " << value;
    used.insert(effect);
  };
  for (PageId page : kPages) {
    for (const TweakOption& row : TweakOptions(page))
      for (std::string_view value : row.Values()) expectEntry(row.root, row.key, value);
    for (const LevelControl* level : LevelControls(page))
      expectEntry(level->root, level->systemKey, level->systemValue);
  }
  // No entry for a value nothing writes, none twice.
  EXPECT_EQ(ValueEffects().size(), used.size());
  for (const ValueEffect& a : ValueEffects()) {
    for (const ValueEffect& b : ValueEffects()) {
      if (&a == &b) continue;
      EXPECT_FALSE(a.root == b.root && SameKey(a.key, b.key) && SameName(a.value, b.value)) << a.value;
    }
  }
  // Every value some release ignores names who read it.
  for (const ValueEffect& e : ValueEffects()) EXPECT_EQ(e.lastReader.has_value(), !e.readBy.empty()) << e.value;
}

TEST(ValueEffects, AnswersByRelease) {
  const char* atapi = "SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters";
  const char* memory = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
  const char* cdfs = "system\\currentcontrolset\\control\\filesystem\\cdfs\\";  // as Windows compares
  // XP's IDE driver reads the big-disk switch; no later release does.
  EXPECT_TRUE(Reads(kXp, RegRoot::LocalMachine, atapi, "EnableBigLba"));
  for (const OsVersion& v : {kSeven, kTen1709, kTen1803, kEleven})
    EXPECT_FALSE(Reads(v, RegRoot::LocalMachine, atapi, "EnableBigLba")) << v.major << "." << v.build;
  // Windows 9x and 2000 values: none of these reads them.
  for (const OsVersion& v : {kXp, kSeven, kTen1709, kTen1803, kEleven}) {
    EXPECT_FALSE(Reads(v, RegRoot::LocalMachine, memory, "IoPageLockLimit"));
    EXPECT_FALSE(Reads(v, RegRoot::LocalMachine, cdfs, "CacheSize"));
    EXPECT_FALSE(Reads(v, RegRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Vxd\\BIOS", "FastDRAM"));
    // Read by every one of them.
    EXPECT_TRUE(Reads(v, RegRoot::LocalMachine, kFileSystem, "NtfsDisableLastAccessUpdate"));
    EXPECT_TRUE(Reads(v, RegRoot::LocalMachine, memory, "ClearPageFileAtShutdown"));
    EXPECT_TRUE(Reads(v, RegRoot::CurrentUser,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoCDBurning"));
  }
  // Windows 2000 still read the disk buffer, XP x64 the big-disk switch.
  EXPECT_TRUE(Reads(OsVersion{5, 0, 2195, 2, ""}, RegRoot::LocalMachine, memory, "IoPageLockLimit"));
  EXPECT_TRUE(Reads(OsVersion{5, 2, 3790, 2, ""}, RegRoot::LocalMachine, atapi, "EnableBigLba"));
  // The same value under the other root is another value.
  EXPECT_EQ(nullptr, FindValueEffect(RegRoot::CurrentUser, memory, "IoPageLockLimit"));
  // An unknown release hides nothing.
  EXPECT_TRUE(ReadsValue(std::nullopt, FindValueEffect(RegRoot::LocalMachine, memory, "IoPageLockLimit")));
}

TEST(ValueEffects, RowsWithoutEffectShowItAndWriteNothing) {
  platform::RegistryMemory reg;
  reg.PutDword(RegRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Vxd\\BIOS", "CPUPriority", 1);
  reg.PutDword(RegRoot::LocalMachine, "SOFTWARE\\Tarvik\\HD", "IoPage", 3);
  reg.PutDword(RegRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
               "LargeSystemCache", 1);
  TweakPageModel memory(PageId::Memory, reg, kTen1803);
  memory.Start();
  const CheckBoxState& hardware = *memory.Box(29008);
  EXPECT_FALSE(hardware.honoured);
  EXPECT_EQ(kNoEffectText, hardware.statusText);
  EXPECT_EQ("仅 Windows 95/98/Me 有效", hardware.readBy);
  EXPECT_TRUE(hardware.checked) << "the mark shows what is stored";
  const LevelState& buffer = *memory.Level(29024);
  EXPECT_FALSE(buffer.honoured);
  EXPECT_EQ(3, buffer.sliderPos);
  EXPECT_EQ(kNoEffectText, buffer.text);
  EXPECT_EQ("仅 Windows 2000 及更早版本有效", buffer.readBy);
  // A row with effect is as it always was.
  const CheckBoxState& cache = *memory.Box(29004);
  EXPECT_TRUE(cache.honoured);
  EXPECT_EQ("已优化", cache.statusText);
  // Messages that reach a disabled row change nothing.
  EXPECT_TRUE(memory.Click(29008));
  EXPECT_TRUE(memory.ReleaseSlider(29024, 5));
  EXPECT_EQ(3, reg.Find(RegRoot::LocalMachine, "SOFTWARE\\Tarvik\\HD", "IoPage")->data[0]);
  EXPECT_EQ(nullptr, reg.Find(RegRoot::LocalMachine,
                              "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
                              "IoPageLockLimit"));
  EXPECT_EQ(kNoEffectText, memory.Box(29008)->statusText);

  // On XP the big-disk row has its effect; without a version every row has.
  TweakPageModel xpDisk(PageId::Disk, reg, kXp);
  xpDisk.Start();
  EXPECT_TRUE(xpDisk.Box(29002)->honoured);
  EXPECT_EQ("未优化", xpDisk.Box(29002)->statusText);
  TweakPageModel unknown(PageId::Memory, reg);
  unknown.Start();
  for (const CheckBoxState& box : unknown.CheckBoxes()) EXPECT_TRUE(box.honoured) << box.box;
  for (const LevelState& level : unknown.Levels()) EXPECT_TRUE(level.honoured) << level.id;
}

TEST(LastAccessRow, ReadsTheSystemManagedValueByItsLowBit) {
  const TweakOption& row = *FindTweakOption(PageId::Ntfs, 29002);
  struct Case {
    std::optional<std::uint32_t> stored;
    bool checked;
  };
  for (Case c : {Case{0u, false}, Case{1u, true}, Case{0x80000002u, false}, Case{0x80000003u, true},
                 Case{std::nullopt, false}, Case{0x80000000u, false}, Case{0x80000001u, true},
                 Case{2u, false}}) {
    platform::RegistryMemory reg;
    reg.PutDword(RegRoot::LocalMachine, kFileSystem, "Other", 0);
    if (c.stored) reg.PutDword(RegRoot::LocalMachine, kFileSystem, "NtfsDisableLastAccessUpdate", *c.stored);
    TweakPageModel page(PageId::Ntfs, reg, kTen1803);
    page.Start();
    const CheckBoxState& box = *page.Box(29002);
    EXPECT_EQ(c.checked, box.checked) << std::hex << c.stored.value_or(0xdead);
    EXPECT_EQ(c.checked ? "不保存上次更新的时间" : "保存上次更新的时间", box.statusText);
    // A click writes the value a user sets, 1 or 0.
    ClickOption(reg, row, box.checked);
    EXPECT_EQ(std::vector<std::uint8_t>({c.checked ? std::uint8_t{0} : std::uint8_t{1}, 0, 0, 0}),
              reg.Find(RegRoot::LocalMachine, kFileSystem, "NtfsDisableLastAccessUpdate")->data);
  }
}

}  // namespace
}  // namespace tunara

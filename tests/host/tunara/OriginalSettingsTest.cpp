// The way back: originals kept once before the first change, and put back
// exactly, or kept when they cannot be.
#include <gtest/gtest.h>

#include "platform/RegistryMemory.h"
#include "platform/RegistryRights.h"
#include "res/tunara/resource.h"
#include "tests/host/tunara/TunaraTestSupport.h"
#include "tunara/LevelTables.h"
#include "tunara/OriginalSettings.h"
#include "tunara/TweakMechanism.h"

namespace tunara {
namespace {

using platform::kRegBinary;
using platform::kRegDword;
using platform::kRegSz;
using platform::RegRoot;
using Bytes = std::vector<std::uint8_t>;

constexpr RegRoot kLM = RegRoot::LocalMachine;
constexpr const char* kLsa = "SYSTEM\\CurrentControlSet\\Control\\Lsa";
constexpr const char* kMemory = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kQuota = "Software\\Policies\\Microsoft\\Windows NT\\DiskQuota";

const platform::RegValue* Record(const platform::RegistryMemory& reg, RegRoot root, const char* key,
                                 const char* value) {
  return reg.Find(kLM, kOriginalsKey, OriginalRecordName(root, key, value));
}

TEST(OriginalRecords, NamesAndDataCannotBeConfused) {
  // Root, key and value each show; the first double backslash ends the key.
  EXPECT_EQ("HKLM\\SYSTEM\\Lsa\\\\forceguest", OriginalRecordName(kLM, "SYSTEM\\Lsa\\", "forceguest"));
  EXPECT_EQ("HKCU\\A\\\\B\\C", OriginalRecordName(RegRoot::CurrentUser, "A", "B\\C"));
  EXPECT_NE(OriginalRecordName(kLM, "A\\B", "C"), OriginalRecordName(kLM, "A", "B\\C"));
  EXPECT_EQ("HKLM\\A\\\\", OriginalRecordName(kLM, "A", ""));  // a key's default value
  // Absent and empty differ; what goes in comes out.
  ValueState absent;
  absent.missingKeys = 2;
  ValueState empty;
  empty.present = true;
  empty.value.type = kRegSz;
  EXPECT_NE(EncodeState(absent), EncodeState(empty));
  for (const ValueState& s : {absent, empty}) {
    const auto back = DecodeState(EncodeState(s));
    ASSERT_TRUE(back);
    EXPECT_EQ(s.present, back->present);
    EXPECT_EQ(s.missingKeys, back->missingKeys);
    EXPECT_EQ(s.value.type, back->value.type);
    EXPECT_EQ(s.value.data, back->value.data);
  }
  EXPECT_FALSE(DecodeState(Bytes{}));
  EXPECT_FALSE(DecodeState(Bytes{0, 0, 0, 0, 0, 9}));  // absent has no data
  EXPECT_FALSE(DecodeState(Bytes{2, 4, 0, 0, 0}));
}

TEST(OriginalRecords, AreMadeOnceBeforeTheFirstChangeAndNeverOverwritten) {
  platform::RegistryMemory reg;
  reg.PutDword(kLM, kLsa, "forceguest", 7);
  const TweakOption& guest = *FindTweakOption(PageId::Disk, 29012);
  EXPECT_FALSE(HasOriginals(reg));
  ClickOption(reg, guest, false);  // writes 0
  ClickOption(reg, guest, true);   // writes 1
  ClickOption(reg, guest, false);
  const platform::RegValue* record = Record(reg, kLM, kLsa, "forceguest");
  ASSERT_TRUE(record);
  EXPECT_EQ(kRegBinary, record->type);
  EXPECT_EQ(Bytes({1, 4, 0, 0, 0, 7, 0, 0, 0}), record->data) << "the DWORD 7 that was there first";
  EXPECT_TRUE(HasOriginals(reg));
  // A level keeps both of its values, the own record as well.
  reg.PutDword(kLM, "SOFTWARE\\Tarvik\\HD", "IoPage", 2);
  reg.PutDword(kLM, kMemory, "Other", 0);
  ASSERT_TRUE(ApplyLevel(reg, DiskBufferLevels(), 4));
  ASSERT_TRUE(ApplyLevel(reg, DiskBufferLevels(), 5));
  EXPECT_EQ(Bytes({1, 4, 0, 0, 0, 2, 0, 0, 0}), Record(reg, kLM, "SOFTWARE\\Tarvik\\HD", "IoPage")->data);
  EXPECT_EQ(Bytes({0, 0, 0, 0, 0}), Record(reg, kLM, kMemory, "IoPageLockLimit")->data);
  EXPECT_EQ(0u, reg.OpenKeyCount());
}

TEST(OriginalRecords, ACreatedKeyIsCountedAndTakenAwayAgain) {
  platform::RegistryMemory reg;
  reg.Put(kLM, "Software\\Policies\\Microsoft", "", platform::kRegNone, {});
  ClickOption(reg, *FindTweakOption(PageId::Disk, 29014), false);  // makes "Windows NT\DiskQuota"
  EXPECT_EQ(Bytes({0, 2, 0, 0, 0}), Record(reg, kLM, kQuota, "Enable")->data);
  const RestoreResult result = RestoreOriginals(reg);
  EXPECT_EQ(1, result.restored);
  EXPECT_FALSE(reg.KeyExists(kLM, "Software\\Policies\\Microsoft\\Windows NT"));
  EXPECT_TRUE(reg.KeyExists(kLM, "Software\\Policies\\Microsoft")) << "a key that was there stays";
  EXPECT_FALSE(reg.KeyExists(kLM, kOriginalsKey)) << "nothing left on record";
}

TEST(OriginalRecords, RestorePutsBackEveryKindOfValueByteForByte) {
  platform::RegistryMemory reg;
  const Bytes binary{0, 0xFF, 0x80, 0};
  const Bytes text{'0', 0};  // a text with its terminator, as an editor stores it
  reg.Put(kLM, kLsa, "forceguest", kRegBinary, binary);                 // not even a DWORD
  reg.Put(kLM, kWinlogon, "allocatecdroms", kRegSz, text);
  reg.PutDword(kLM, kMemory, "LargeSystemCache", 0x12345678);
  reg.PutDword(kLM, kMemory, "Other", 1);                                // ClearPageFileAtShutdown absent
  reg.Put(kLM, kWinlogon, "allocatefloppies", kRegSz, {});              // present and empty
  const std::pair<PageId, std::uint16_t> boxes[] = {
      {PageId::Disk, 29012}, {PageId::Cdrom, 29006}, {PageId::Cdrom, 29008},
      {PageId::Memory, 29004}, {PageId::Memory, 29002}};
  for (auto [page, box] : boxes) {
    const TweakOption& row = *FindTweakOption(page, box);
    ClickOption(reg, row, ReadOptionState(reg, row));
    ClickOption(reg, row, !ReadOptionState(reg, row));  // and again: the record stays the first
  }
  const RestoreResult result = RestoreOriginals(reg);
  EXPECT_EQ(5, result.restored);
  EXPECT_TRUE(result.failed.empty());
  EXPECT_EQ("已恢复 5 项设置", RestoreResultText(result));
  EXPECT_EQ(kRegBinary, reg.Find(kLM, kLsa, "forceguest")->type);
  EXPECT_EQ(binary, reg.Find(kLM, kLsa, "forceguest")->data);
  EXPECT_EQ(text, reg.Find(kLM, kWinlogon, "allocatecdroms")->data);
  EXPECT_EQ(kRegSz, reg.Find(kLM, kWinlogon, "allocatefloppies")->type);
  EXPECT_EQ(Bytes{}, reg.Find(kLM, kWinlogon, "allocatefloppies")->data);
  EXPECT_EQ(Bytes({0x78, 0x56, 0x34, 0x12}), reg.Find(kLM, kMemory, "LargeSystemCache")->data);
  EXPECT_EQ(nullptr, reg.Find(kLM, kMemory, "ClearPageFileAtShutdown")) << "absent again";
  EXPECT_TRUE(reg.KeyExists(kLM, kMemory));
  EXPECT_FALSE(HasOriginals(reg));
  // Nothing on record: nothing to do.
  EXPECT_EQ("已恢复 0 项设置", RestoreResultText(RestoreOriginals(reg)));
}

TEST(OriginalRecords, AValueThatCannotBePutBackKeepsItsRecord) {
  FailingRegistry reg;
  reg.PutDword(kLM, kLsa, "forceguest", 1);
  reg.PutDword(kLM, kMemory, "LargeSystemCache", 0);
  ClickOption(reg, *FindTweakOption(PageId::Disk, 29012), false);
  ClickOption(reg, *FindTweakOption(PageId::Memory, 29004), false);
  reg.failNames = {"forceguest"};
  const RestoreResult result = RestoreOriginals(reg);
  EXPECT_EQ(1, result.restored);
  EXPECT_EQ(std::vector<std::string>{"forceguest"}, result.failed);
  EXPECT_EQ("已恢复 1 项设置，未能恢复：forceguest", RestoreResultText(result));
  EXPECT_TRUE(reg.Find(kLM, kOriginalsKey, OriginalRecordName(kLM, kLsa, "forceguest")));
  EXPECT_FALSE(reg.Find(kLM, kOriginalsKey, OriginalRecordName(kLM, kMemory, "LargeSystemCache")));
  EXPECT_EQ(Bytes({0, 0, 0, 0}), reg.Find(kLM, kMemory, "LargeSystemCache")->data);
  // Once it can, the next restore finishes the job.
  reg.failNames.clear();
  EXPECT_EQ(1, RestoreOriginals(reg).restored);
  EXPECT_EQ(Bytes({1, 0, 0, 0}), reg.Find(kLM, kLsa, "forceguest")->data);
  EXPECT_FALSE(HasOriginals(reg));
}

TEST(OriginalRecords, NoChangeIsMadeWithoutAWayBack) {
  // The records' key refuses writes: the value stays as it is.
  platform::RegistryMemory reg;
  reg.PutDword(kLM, kLsa, "forceguest", 1);
  reg.DenyWrites(kLM, kOriginalsKey);
  const ClickResult r = ClickOption(reg, *FindTweakOption(PageId::Disk, 29012), true);
  EXPECT_TRUE(r.writeFailed);
  EXPECT_EQ(Bytes({1, 0, 0, 0}), reg.Find(kLM, kLsa, "forceguest")->data);
  EXPECT_TRUE(ApplyLevel(reg, WaitTimeLevels(), 3)->writeFailed);
  // A click that fails for its own reasons leaves no record behind.
  platform::RegistryMemory other;
  ClickOption(other, *FindTweakOption(PageId::Disk, 29012), true);  // no Lsa key
  EXPECT_FALSE(HasOriginals(other));
  EXPECT_FALSE(other.KeyExists(kLM, kOriginalsKey));
}

TEST(OriginalRecords, AUsersOwnValueIsRecordedAndRestoredInTheirOwnKeys) {
  // A standard user may change "NoCDBurning" (HKCU): its record goes to the
  // user's own key, not to the machine's they cannot write.
  constexpr RegRoot kCU = RegRoot::CurrentUser;
  constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\";
  platform::RegistryMemory memory;
  memory.PutDword(kCU, kExplorer, "NoCDBurning", 0);
  platform::RightsRegistry reg(memory, /*standardUser=*/true);
  const ClickResult r = ClickOption(reg, *FindTweakOption(PageId::Cdrom, IDC_CD_NO_BURNING), false);
  EXPECT_FALSE(r.writeFailed);
  EXPECT_EQ(Bytes({1, 0, 0, 0}), memory.Find(kCU, kExplorer, "NoCDBurning")->data);
  EXPECT_TRUE(memory.Find(kCU, kOriginalsKey, OriginalRecordName(kCU, kExplorer, "NoCDBurning")));
  EXPECT_FALSE(memory.KeyExists(kLM, kOriginalsKey));
  ASSERT_TRUE(HasOriginals(reg));

  const RestoreResult restored = RestoreOriginals(reg);
  EXPECT_EQ(1, restored.restored);
  EXPECT_TRUE(restored.failed.empty());
  EXPECT_EQ(Bytes({0, 0, 0, 0}), memory.Find(kCU, kExplorer, "NoCDBurning")->data);
  EXPECT_FALSE(memory.KeyExists(kCU, kOriginalsKey));
  EXPECT_FALSE(HasOriginals(reg));
}

}  // namespace
}  // namespace tunara

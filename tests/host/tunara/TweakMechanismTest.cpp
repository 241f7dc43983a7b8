// State tests on raw bytes, and what a check-box click writes.
#include <gtest/gtest.h>

#include <set>

#include "platform/RegistryMemory.h"
#include "tests/host/tunara/TunaraTestSupport.h"
#include "tunara/OriginalSettings.h"
#include "tunara/TweakMechanism.h"

namespace tunara {
namespace {

using platform::kRegDword;
using platform::kRegSz;
using platform::RegRoot;
using Bytes = std::vector<std::uint8_t>;

RawValue Raw(std::initializer_list<std::uint8_t> bytes) { return Bytes(bytes); }
RawValue Text(std::string_view s) { return Bytes(s.begin(), s.end()); }

TEST(StateTestBytes, NumberTextFollowsAtoi) {
  EXPECT_TRUE(PassesNumberText(Text("1"), 1));
  EXPECT_TRUE(PassesNumberText(Text(" \t+1junk"), 1));
  EXPECT_TRUE(PassesNumberText(Text("-7"), -7));
  EXPECT_TRUE(PassesNumberText(Raw({'1', 0, '9'}), 1));  // stops at the NUL
  EXPECT_TRUE(PassesNumberText(Text("abc"), 0));
  EXPECT_TRUE(PassesNumberText(std::nullopt, 0));  // missing reads as empty text
  EXPECT_FALSE(PassesNumberText(std::nullopt, 1));
  // A DWORD 1 is the byte 1, not the digit: it converts to 0.
  EXPECT_FALSE(PassesNumberText(Raw({1, 0, 0, 0}), 1));
  EXPECT_TRUE(PassesNumberText(Raw({1, 0, 0, 0}), 0));
}

TEST(StateTestBytes, SingleByteNeedsExactlyOneByte) {
  EXPECT_TRUE(PassesSingleByte(Raw({1, 0, 0, 0}), 1));
  EXPECT_TRUE(PassesSingleByte(Raw({40, 0, 0, 0}), 40));
  EXPECT_FALSE(PassesSingleByte(Text("1"), 1));        // the byte is '1', code 49
  EXPECT_FALSE(PassesSingleByte(Raw({244, 1, 0, 0}), 1));  // 500
  EXPECT_FALSE(PassesSingleByte(Raw({1, 1, 0, 0}), 1));    // 257
  EXPECT_FALSE(PassesSingleByte(Raw({0, 0, 0, 0}), 0));    // nothing before the NUL
  EXPECT_FALSE(PassesSingleByte(std::nullopt, 1));
  EXPECT_TRUE(PassesSingleByte(Raw({7}), 7));  // no terminator at all
}

TEST(StateTestBytes, TextYAndDwordZero) {
  EXPECT_TRUE(PassesTextY(Raw({'Y', 0})));
  EXPECT_TRUE(PassesTextY(Text("Y")));
  EXPECT_FALSE(PassesTextY(Text("y")));
  EXPECT_FALSE(PassesTextY(Text("YES")));
  EXPECT_FALSE(PassesTextY(std::nullopt));

  EXPECT_TRUE(PassesDwordZero(std::nullopt));  // missing counts as 0
  EXPECT_TRUE(PassesDwordZero(Raw({0, 0, 0, 0})));
  EXPECT_FALSE(PassesDwordZero(Raw({0, 0, 0, 1})));
  EXPECT_FALSE(PassesDwordZero(Raw({'0', 0})));  // the text "0" is the number 48
}

TEST(StateTestRead, BuffersBoundWhatIsRead) {
  platform::RegistryMemory reg;
  const char* key = "SOFTWARE\\T";
  reg.Put(RegRoot::LocalMachine, key, "Long", kRegSz, Bytes(81, 1));
  reg.Put(RegRoot::LocalMachine, key, "Fits", platform::kRegBinary, Bytes{1, 0});
  // Longer than the 80-byte buffer: the single-byte test cannot pass.
  EXPECT_FALSE(ReadForTest(reg, StateTest::SingleByte, RegRoot::LocalMachine, key, "Long"));
  EXPECT_EQ(Bytes({1, 0}),
            *ReadForTest(reg, StateTest::SingleByte, RegRoot::LocalMachine, key, "Fits"));
  EXPECT_FALSE(ReadForTest(reg, StateTest::DwordZero, RegRoot::LocalMachine, "Missing", "x"));
  EXPECT_EQ(0u, reg.OpenKeyCount());
}

// ---- Clicks -------------------------------------------------------------

TEST(TweakClick, WritesExactBytesAndToggles) {
  platform::RegistryMemory reg;
  const TweakOption& bigLba = *FindTweakOption(PageId::Disk, 29002);
  reg.PutDword(RegRoot::LocalMachine, bigLba.key, "Other", 0);  // the key exists

  ClickResult on = ClickOption(reg, bigLba, false);
  EXPECT_TRUE(on.checked);
  EXPECT_EQ("已优化", on.statusText);
  const platform::RegValue* v = reg.Find(RegRoot::LocalMachine, bigLba.key, "EnableBigLba");
  ASSERT_TRUE(v);
  EXPECT_EQ(kRegSz, v->type);
  EXPECT_EQ(Bytes{'1'}, v->data);  // one byte, no terminator

  ClickResult off = ClickOption(reg, bigLba, true);
  EXPECT_FALSE(off.checked);
  EXPECT_EQ("未优化", off.statusText);
  EXPECT_EQ(Bytes{'0'}, reg.Find(RegRoot::LocalMachine, bigLba.key, "EnableBigLba")->data);

  const TweakOption& contig = *FindTweakOption(PageId::Ntfs, 29023);
  reg.PutDword(RegRoot::LocalMachine, contig.key, "Other", 0);
  ClickOption(reg, contig, true);
  v = reg.Find(RegRoot::LocalMachine, contig.key, "ContigFileAllocSize");
  EXPECT_EQ(kRegDword, v->type);
  EXPECT_EQ(Bytes({244, 1, 0, 0}), v->data);  // 500, little-endian
  EXPECT_EQ(0u, reg.OpenKeyCount());
}

TEST(TweakClick, WaitTimeBoxWritesZeroThenTenWithTheSameText) {
  platform::RegistryMemory reg;
  const TweakOption& box = *FindTweakOption(PageId::Disk, 29018);
  reg.PutDword(RegRoot::LocalMachine, box.key, "AutoChkTimeOut", 40);
  ClickResult first = ClickOption(reg, box, false);
  EXPECT_EQ(Bytes({0, 0, 0, 0}), reg.Find(RegRoot::LocalMachine, box.key, "AutoChkTimeOut")->data);
  ClickResult second = ClickOption(reg, box, first.checked);
  EXPECT_EQ(Bytes({10, 0, 0, 0}), reg.Find(RegRoot::LocalMachine, box.key, "AutoChkTimeOut")->data);
  EXPECT_EQ("已优化", first.statusText);
  EXPECT_EQ("已优化", second.statusText);
}

TEST(TweakClick, AFailedWriteShowsTheErrorAndTheMarkTheRegistryHolds) {
  platform::RegistryMemory reg;
  // Missing key: the hardware row reads unchecked whatever the box showed.
  const TweakOption& hardware = *FindTweakOption(PageId::Memory, 29008);
  for (bool before : {false, true}) {
    ClickResult r = ClickOption(reg, hardware, before);
    EXPECT_FALSE(r.checked) << before;
    EXPECT_TRUE(r.writeFailed);
    EXPECT_EQ("优化错误!", r.statusText);
  }
  EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, hardware.key));  // plain open creates nothing
  // A missing "AutoRun" reads as 0, which is checked: the failed uncheck leaves it so.
  const TweakOption& autoRun = *FindTweakOption(PageId::Cdrom, 29002);
  EXPECT_TRUE(ClickOption(reg, autoRun, true).checked);
  // A write denied on an existing key: the stored value decides the mark.
  const TweakOption& cache = *FindTweakOption(PageId::Memory, 29004);  // LargeSystemCache
  reg.PutDword(RegRoot::LocalMachine, cache.key, "LargeSystemCache", 1);
  reg.DenyWrites(RegRoot::LocalMachine, cache.key);
  ClickResult denied = ClickOption(reg, cache, true);
  EXPECT_TRUE(denied.checked);
  EXPECT_EQ("优化错误!", denied.statusText);
  EXPECT_EQ(Bytes({1, 0, 0, 0}), reg.Find(RegRoot::LocalMachine, cache.key, "LargeSystemCache")->data);
  // The row the page never reads keeps the mark it had.
  const TweakOption& wait = *FindTweakOption(PageId::Disk, 29018);
  reg.DenyWrites(RegRoot::LocalMachine, wait.key);
  EXPECT_TRUE(ClickOption(reg, wait, true).checked);
  EXPECT_FALSE(ClickOption(reg, wait, false).checked);
  EXPECT_EQ(0u, reg.OpenKeyCount());
}

// The writes a registry saw under the hardware key, without the records of
// the originals (which carry the root in their names).
std::vector<std::string> SystemWrites(const FailingRegistry& reg) {
  std::vector<std::string> out;
  for (const std::string& name : reg.setOrder)
    if (name.rfind("HKLM\\", 0) != 0) out.push_back(name);
  return out;
}

TEST(TweakClick, HardwareOptionWritesAllFourOrNone) {
  const TweakOption& hardware = *FindTweakOption(PageId::Memory, 29008);
  const char* names[] = {"CPUPriority", "PCIConcur", "FastDRAM", "AGPConcur"};
  {
    FailingRegistry reg;
    reg.PutDword(RegRoot::LocalMachine, hardware.key, "CPUPriority", 0);
    ClickResult on = ClickOption(reg, hardware, false);
    EXPECT_EQ("已优化", on.statusText);
    EXPECT_EQ(std::vector<std::string>(std::begin(names), std::end(names)), SystemWrites(reg));
    for (const char* name : names)
      EXPECT_EQ(Bytes({1, 0, 0, 0}), reg.Find(RegRoot::LocalMachine, hardware.key, name)->data);
    EXPECT_EQ("未优化", ClickOption(reg, hardware, true).statusText);
    for (const char* name : names)
      EXPECT_EQ(Bytes({0, 0, 0, 0}), reg.Find(RegRoot::LocalMachine, hardware.key, name)->data);
  }
  {
    // The third value fails: the error shows, the two written go back as
    // they were (one existed, one did not), the fourth is never written,
    // and the mark is what the registry holds.
    FailingRegistry reg;
    reg.PutDword(RegRoot::LocalMachine, hardware.key, "CPUPriority", 0);
    reg.failNames = {"FastDRAM"};
    ClickResult r = ClickOption(reg, hardware, false);
    EXPECT_EQ("优化错误!", r.statusText);
    EXPECT_TRUE(r.writeFailed);
    EXPECT_FALSE(r.checked);
    EXPECT_EQ(Bytes({0, 0, 0, 0}), reg.Find(RegRoot::LocalMachine, hardware.key, "CPUPriority")->data);
    EXPECT_EQ(nullptr, reg.Find(RegRoot::LocalMachine, hardware.key, "PCIConcur"));
    EXPECT_EQ(nullptr, reg.Find(RegRoot::LocalMachine, hardware.key, "AGPConcur"));
    EXPECT_EQ(0u, reg.OpenKeyCount());  // the key is closed on failure too
    // Nothing changed, so nothing is left to restore.
    EXPECT_FALSE(HasOriginals(reg));
    // The first value failing writes none of the others.
    reg.failNames = {"CPUPriority"};
    reg.setOrder.clear();
    EXPECT_EQ("优化错误!", ClickOption(reg, hardware, false).statusText);
    EXPECT_EQ(std::vector<std::string>{"CPUPriority"}, SystemWrites(reg));
  }
}

TEST(TweakClick, DiskQuotaCreatesItsKey) {
  platform::RegistryMemory reg;
  const TweakOption& quota = *FindTweakOption(PageId::Disk, 29014);
  EXPECT_FALSE(ReadOptionState(reg, quota));
  ClickResult r = ClickOption(reg, quota, false);
  EXPECT_EQ("已启用", r.statusText);
  EXPECT_TRUE(reg.KeyExists(RegRoot::LocalMachine, "Software\\Policies\\Microsoft\\Windows NT\\DiskQuota"));
  EXPECT_EQ(Bytes({1, 0, 0, 0}),
            reg.Find(RegRoot::LocalMachine, "Software\\Policies\\Microsoft\\Windows NT\\DiskQuota",
                     "Enable")
                ->data);
  EXPECT_TRUE(ReadOptionState(reg, quota));
  EXPECT_EQ("未启用", ClickOption(reg, quota, true).statusText);
}

// ---- The table ----------------------------------------------------------

TEST(TweakTable, BoxesAndLabelsAreDistinctPerPage) {
  for (PageId page : {PageId::Disk, PageId::Memory, PageId::Cdrom, PageId::Ntfs}) {
    std::set<std::uint16_t> ids;
    for (const TweakOption& o : TweakOptions(page)) {
      EXPECT_TRUE(ids.insert(o.box).second) << o.box;
      EXPECT_TRUE(ids.insert(o.status).second) << o.status;
      EXPECT_EQ(o.valueCount, o.Values().size());
      EXPECT_TRUE(o.type == kRegSz || o.type == kRegDword);
      // Text data only on text rows, and never with a terminator.
      EXPECT_EQ(o.type == kRegSz, !o.on.text.empty());
    }
  }
  EXPECT_EQ(9u, TweakOptions(PageId::Disk).size());
  EXPECT_EQ(4u, TweakOptions(PageId::Memory).size());
  EXPECT_EQ(4u, TweakOptions(PageId::Cdrom).size());
  EXPECT_EQ(4u, TweakOptions(PageId::Ntfs).size());
  EXPECT_EQ(29023, TweakOptions(PageId::Ntfs)[0].box);  // the radio button is read first
}

TEST(TweakTable, MendedPagingExecutiveIsADwordUnderMemoryManagement) {
  const TweakOption& executive = *FindTweakOption(PageId::Disk, 29004);
  const char* key = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
  platform::RegistryMemory reg;
  reg.PutDword(RegRoot::LocalMachine, key, "DisablePagingExecutive", 1);
  EXPECT_TRUE(ReadOptionState(reg, executive));
  ClickOption(reg, executive, true);
  EXPECT_EQ(Bytes({0, 0, 0, 0}),
            reg.Find(RegRoot::LocalMachine, key, "DisablePagingExecutive")->data);
}

}  // namespace
}  // namespace tunara

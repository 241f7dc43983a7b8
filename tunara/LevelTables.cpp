#include "tunara/LevelTables.h"

#include "res/tunara/resource.h"
#include "tunara/OriginalSettings.h"
#include "tunara/SystemKeys.h"
#include "tunara/TweakMechanism.h"

namespace tunara {
namespace {

using platform::Registry;
using platform::RegRoot;

constexpr LevelRow kWaitTimeRows[] = {
    {1, 1, {}, "自动检测等待时间1秒", "自动检测等待时间1秒"},
    {2, 10, {}, "自动检测等待时间10秒", "自动检测等待时间10秒"},
    {3, 20, {}, "自动检测等待时间20秒", "自动检测等待时间20秒"},
    {4, 30, {}, "自动检测等待时间30秒", "自动检测等待时间30秒"},
    {5, 40, {}, "自动检测等待时间40秒", "自动检测等待时间40秒"},
};

constexpr LevelRow kPrefetchRows[] = {
    {1, 1, " 1-预读应用程序", "1-预读应用程序", "1-预读应用程序"},
    {2, 2, " 2-启动预读", "2-启动预读", "2-启动预读"},
    {3, 3, "3-前两者皆预读(推荐使用)", "3-前两者皆预读(推荐使用)", "3-前两者皆预读(推荐使用)"},
};

// After a change the texts start with ten blanks, at page start with five.
constexpr LevelRow kDiskBufferRows[] = {
    {1, 10000, {}, "          256MB内存的磁盘缓冲值", "     当前为256MB内存的磁盘缓冲值"},
    {2, 40000, {}, "          512MB内存的磁盘缓冲值", "     当前为512MB内存的磁盘缓冲值"},
    {3, 100000, {}, "          1G内存的磁盘缓冲值", "     当前为1G内存的磁盘缓冲值"},
    {4, 200000, {}, "          2G内存的磁盘缓冲值", "     当前为2G内存的磁盘缓冲值"},
    {5, 400000, {}, "          4G内存的磁盘缓冲值", "     当前为4G内存的磁盘缓冲值"},
};

// The two fastest steps write the same value; only the own record tells
// them apart.
constexpr LevelRow kCdSpeedRows[] = {
    {1, 228, {}, "4倍速", "     4倍速"},
    {2, 448, {}, "8倍速", "     8倍速"},
    {3, 896, {}, "16倍速(推荐)", "     16倍速"},
    {4, 1344, {}, "24倍速(推荐)", "     24倍速"},
    {5, 1792, {}, "32倍速(推荐)", "     32倍速"},
    {6, 1872, {}, "36倍速(推荐)", "     36倍速"},
    {7, 2048, {}, "40倍速(慎用)", "     40倍速"},
    {8, 2048, {}, "48倍速(慎用)", "     48倍速"},
};

constexpr LevelRow kCdCacheRows[] = {
    {1, 619, {}, "系统默认", "系统默认"},
    {2, 1238, {}, "适中", "适中"},
    {3, 2476, {}, "更大", "更大"},
};

constexpr LevelRow kMftZoneRows[] = {
    {1, 1, "最小:MFT占整个卷的12.5%（默认）", "最小:MFT占整个卷的12.5%（默认）",
     "最小:MFT占整个卷的12.5%（默认）"},
    {2, 2, "中等:MFT占整个卷的25%", "中等:MFT占整个卷的25%", "中等:MFT占整个卷的25%"},
    {3, 3, "较大:MFT占整个卷的37.5%", "较大:MFT占整个卷的37.5%", "较大:MFT占整个卷的37.5%"},
    {4, 4, "最大:MFT占整个卷的50%", "最大:MFT占整个卷的50%", "最大:MFT占整个卷的50%"},
};

using keys::kCdfs;
using keys::kMemoryManagement;
using keys::kSessionManager;

constexpr LevelControl kWaitTime{
    IDC_DISK_WAIT_SLIDER, IDC_DISK_WAIT_TEXT, LevelKind::Slider, RegRoot::LocalMachine,
    kSessionManager, "AutoChkTimeOut", {}, {}, kWaitTimeRows};

constexpr LevelControl kPrefetch{
    IDC_MEM_PREFETCH_LIST, IDC_MEM_PREFETCH_TEXT, LevelKind::List, RegRoot::LocalMachine,
    keys::kPrefetchParameters, "EnablePrefetcher", {}, {}, kPrefetchRows};

constexpr LevelControl kDiskBuffer{
    IDC_MEM_BUFFER_SLIDER, IDC_MEM_BUFFER_TEXT, LevelKind::Slider, RegRoot::LocalMachine,
    kMemoryManagement, "IoPageLockLimit", kOwnHdKey, "IoPage", kDiskBufferRows};

constexpr LevelControl kCdSpeed{
    IDC_CD_SPEED_SLIDER, IDC_CD_SPEED_TEXT, LevelKind::Slider, RegRoot::LocalMachine, kCdfs,
    "Prefetch", kOwnCdromKey, "EnablePrefetcher", kCdSpeedRows};

constexpr LevelControl kCdCache{
    IDC_CD_CACHE_SLIDER, IDC_CD_CACHE_TEXT, LevelKind::Slider, RegRoot::LocalMachine, kCdfs,
    "CacheSize", kOwnCdKey, "EnCDFS", kCdCacheRows};

// Windows reads the reservation under FileSystem, beside the other NTFS
// values; written one level up it would change nothing.
constexpr LevelControl kMftZone{
    IDC_NTFS_MFT_LIST, IDC_NTFS_MFT_TEXT, LevelKind::List, RegRoot::LocalMachine,
    keys::kFileSystem, "NtfsMftZoneReservation", {}, {},
    kMftZoneRows};

constexpr const LevelControl* const kDiskLevels[] = {&kWaitTime};
constexpr const LevelControl* const kMemoryLevels[] = {&kDiskBuffer, &kPrefetch};
constexpr const LevelControl* const kCdromLevels[] = {&kCdSpeed, &kCdCache};
constexpr const LevelControl* const kNtfsLevels[] = {&kMftZone};

// Opens `key` for a write: an own record's key is made when it is missing.
long OpenForWrite(Registry& reg, RegRoot root, std::string_view key, bool create,
                  Registry::Key& out) {
  return create ? reg.Create(root, key, out) : reg.Open(root, key, Registry::Access::ReadWrite, out);
}

long WriteDword(Registry& reg, RegRoot root, std::string_view key, std::string_view value,
                std::uint32_t n, bool create = false) {
  Registry::Key k = 0;
  long rc = OpenForWrite(reg, root, key, create, k);
  if (rc != platform::kRegOk) return rc;
  platform::ScopedKey scoped(reg, k);
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                 static_cast<std::uint8_t>(n >> 16),
                                 static_cast<std::uint8_t>(n >> 24)};
  return reg.Set(k, value, platform::kRegDword, bytes, sizeof bytes);
}

// A value as it is stored now (nullopt: missing), to put back after a write
// that must not stand.
std::optional<platform::RegValue> ReadWhole(Registry& reg, RegRoot root, std::string_view key,
                                            std::string_view value) {
  Registry::Key k = 0;
  if (reg.Open(root, key, Registry::Access::Read, k) != platform::kRegOk) return std::nullopt;
  platform::ScopedKey scoped(reg, k);
  platform::RegValue v;
  if (reg.QueryRaw(k, value, 4096, v) != platform::kRegOk) return std::nullopt;
  return v;
}

// Puts back what ReadWhole read. A value that was missing becomes DWORD 0,
// which no level passes: it reads as missing did.
void PutBack(Registry& reg, RegRoot root, std::string_view key, std::string_view value,
             const std::optional<platform::RegValue>& was) {
  if (!was) {
    WriteDword(reg, root, key, value, 0);
    return;
  }
  Registry::Key k = 0;
  if (reg.Open(root, key, Registry::Access::ReadWrite, k) != platform::kRegOk) return;
  platform::ScopedKey scoped(reg, k);
  reg.Set(k, value, was->type, was->data.data(), was->data.size());
}

}  // namespace

const LevelControl& WaitTimeLevels() { return kWaitTime; }
const LevelControl& PrefetchLevels() { return kPrefetch; }
const LevelControl& DiskBufferLevels() { return kDiskBuffer; }
const LevelControl& CdSpeedLevels() { return kCdSpeed; }
const LevelControl& CdCacheLevels() { return kCdCache; }
const LevelControl& MftZoneLevels() { return kMftZone; }

std::span<const LevelControl* const> LevelControls(PageId page) {
  switch (page) {
    case PageId::Disk: return kDiskLevels;
    case PageId::Memory: return kMemoryLevels;
    case PageId::Cdrom: return kCdromLevels;
    case PageId::Ntfs: return kNtfsLevels;
  }
  return {};
}

const LevelRow* FindLevelRow(const LevelControl& control, int positionOrIndex) {
  const std::int64_t level = std::int64_t{positionOrIndex} + (control.kind == LevelKind::List ? 1 : 0);
  for (const LevelRow& row : control.rows)
    if (std::int64_t{row.level} == level) return &row;
  return nullptr;
}

const LevelRow* ReadStartLevel(Registry& reg, const LevelControl& control) {
  const bool own = control.HasOwnRecord();
  RawValue raw = ReadForTest(reg, StateTest::SingleByte, control.root,
                             own ? control.ownKey : control.systemKey,
                             own ? control.ownValue : control.systemValue);
  for (const LevelRow& row : control.rows)
    if (PassesStateTest(StateTest::SingleByte, own ? row.level : row.systemValue, raw)) return &row;
  return nullptr;
}

std::optional<LevelResult> ApplyLevel(Registry& reg, const LevelControl& control,
                                      int positionOrIndex) {
  const LevelRow* row = FindLevelRow(control, positionOrIndex);
  if (!row) return std::nullopt;
  const LevelResult failed{std::string(kTweakErrorText), true};
  OriginalKeeper keeper(reg);
  const auto fail = [&] {
    keeper.DropUnchanged();
    return failed;
  };
  if (!keeper.Keep({control.root, control.systemKey, control.systemValue})) return fail();
  if (control.HasOwnRecord()) {
    if (!keeper.Keep({control.root, control.ownKey, control.ownValue})) return fail();
    const auto was = ReadWhole(reg, control.root, control.ownKey, control.ownValue);
    if (WriteDword(reg, control.root, control.ownKey, control.ownValue, row->level, true) !=
        platform::kRegOk)
      return fail();
    // The record alone would show a level the system does not have.
    if (WriteDword(reg, control.root, control.systemKey, control.systemValue, row->systemValue) !=
        platform::kRegOk) {
      PutBack(reg, control.root, control.ownKey, control.ownValue, was);
      return fail();
    }
  } else if (WriteDword(reg, control.root, control.systemKey, control.systemValue,
                        row->systemValue) != platform::kRegOk) {
    return fail();
  }
  return LevelResult{std::string(row->changeText), false};
}

}  // namespace tunara

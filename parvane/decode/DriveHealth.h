// One drive's health as the health page shows it: what reading the drive
// gave (its SMART blocks or its NVMe health log, or why there are none), the
// verdict, and the page's rows. Pure functions; the page only puts the rows
// into its list.
//
// The verdict, worst first:
//   不良  the drive reports failing status (SMART RETURN STATUS); a
//         pre-failure attribute is at or below its non-zero threshold; the
//         NVMe critical warning has bit 0 (spare low), 2 (reliability
//         degraded) or 3 (read-only) set; or the NVMe available spare is
//         below its threshold.
//   警告  reallocated (05h), pending (C5h) or uncorrectable (C6h) sectors are
//         above 0; an old-age attribute is at or below its non-zero
//         threshold; the NVMe critical warning has bit 1 (temperature) or
//         bit 4 (volatile memory backup failed) set; percentage used is 90 %
//         or more; or NVMe media errors are above 0.
//   良好  otherwise.
//   未知  no health data could be read; the reason says why: 需要管理员权限
//         (only the read/write open was refused), 不支持 (the drive answered
//         without SMART), SMART 未启用, 数据无效 (the blocks failed their
//         checks), 无法读取 (the drive answered nothing).
// The verdict's text names every reason found, the worst first:
// "警告 (3 个待映射扇区)".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "parvane/decode/NvmeHealth.h"
#include "parvane/decode/PageRow.h"
#include "parvane/decode/Smart.h"

namespace parvane {

enum class HealthProtocol { None, Ata, Nvme };

// Why a drive has no health data.
enum class HealthGap { None, NeedsAdmin, NotSupported, Disabled, InvalidData, NoAnswer };

// What reading one drive gave.
struct DriveHealthReading {
  HealthProtocol protocol = HealthProtocol::None;
  std::string model;  // the drive's own bytes, blanks trimmed
  std::optional<SmartBlock> data;  // valid blocks only
  std::optional<SmartBlock> thresholds;
  SmartStatus status = SmartStatus::Unknown;
  std::optional<NvmeHealthLog> log;
  HealthGap gap = HealthGap::None;
};

enum class Verdict { Reading, Good, Caution, Bad, Unknown };

struct HealthVerdict {
  Verdict verdict = Verdict::Unknown;
  std::vector<std::string> reasons;  // the worst first
};

HealthVerdict AtaVerdict(const std::vector<SmartAttribute>& attributes, SmartStatus status);
HealthVerdict NvmeVerdict(const NvmeHealth& health);
HealthVerdict DriveVerdict(const DriveHealthReading& reading);

// "良好", "警告 (3 个待映射扇区，1 个重新分配扇区)", "未知 (不支持)".
std::string VerdictText(const HealthVerdict& verdict);

// 100 - percentage used, never below 0.
int NvmeLifeLeft(const NvmeHealth& health);

// One drive's rows: the heading "硬盘 N: <model>", the verdict, the
// readings, and for ATA the attribute table. `verdictRow` is the index of the
// verdict's row, whose text the page colours.
struct HealthRows {
  std::vector<PageRow> rows;
  std::size_t verdictRow = 1;
  Verdict verdict = Verdict::Reading;
};
HealthRows DriveHealthRows(int drive, const DriveHealthReading& reading);
// The heading and "正在读取…", until the drive answers.
HealthRows ReadingHealthRows(int drive);
// The page's one row when the machine shows no drive.
PageRow NoDriveRow();

// Images of the rows (bitmap 25007): the heading, the verdict by its class,
// every other row.
inline constexpr int kHeadingImage = 0;
inline constexpr int kRowImage = 1;
inline constexpr int kGoodImage = 2;
inline constexpr int kCautionImage = 4;
inline constexpr int kBadImage = 6;
inline constexpr int kUnknownImage = 9;

}  // namespace parvane

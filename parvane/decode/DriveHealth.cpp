#include "parvane/decode/DriveHealth.h"

#include <algorithm>
#include <cstdio>

#include "platform/AnsiText.h"

namespace parvane {
namespace {

constexpr const char* kNotReported = "未报告";
// Composite and sensor temperatures outside this range are no reading.
constexpr int kLowestKelvin = 173, kHighestKelvin = 473;

std::string Hex(unsigned value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

std::string AttributeLabel(const SmartAttribute& a) {
  return Hex(a.id, 2) + " " + SmartAttributeName(a.id);
}

// Reasons of one class, kept apart so that the worst come first.
struct Findings {
  std::vector<std::string> bad, caution;

  HealthVerdict Conclude() && {
    HealthVerdict v;
    v.verdict = !bad.empty() ? Verdict::Bad : !caution.empty() ? Verdict::Caution : Verdict::Good;
    v.reasons = std::move(bad);
    v.reasons.insert(v.reasons.end(), caution.begin(), caution.end());
    return v;
  }
};

std::string Count(std::uint64_t n, const char* what) { return std::to_string(n) + " 个" + what; }

std::string GapText(HealthGap gap) {
  switch (gap) {
    case HealthGap::NeedsAdmin: return "需要管理员权限";
    case HealthGap::NotSupported: return "不支持";
    case HealthGap::Disabled: return "SMART 未启用";
    case HealthGap::InvalidData: return "数据无效";
    case HealthGap::None:
    case HealthGap::NoAnswer: break;
  }
  return "无法读取";
}

std::string Celsius(int c) { return std::to_string(c) + " ℃"; }

std::string KelvinText(std::uint16_t kelvin) {
  if (kelvin == 0) return kNotReported;
  if (kelvin < kLowestKelvin || kelvin > kHighestKelvin) return "无效 (" + std::to_string(kelvin) + " K)";
  return Celsius(static_cast<int>(kelvin) - 273);
}

std::string Percent(int p) { return std::to_string(p) + " %"; }

// Bytes in the largest decimal unit reached, to two places, then exactly.
std::string BytesText(NvmeCounter units) {
  const std::optional<NvmeCounter> bytes = NvmeDataUnitBytes(units);
  if (!bytes) return CounterText(units) + " × 512000 字节";
  static constexpr struct {
    int power;
    const char* name;
  } kUnits[] = {{18, "EB"}, {15, "PB"}, {12, "TB"}, {9, "GB"}, {6, "MB"}};
  for (const auto& u : kUnits) {
    NvmeCounter size = 1;
    for (int i = 0; i < u.power; ++i) size *= 10;
    // The unit that the bytes reach once rounded: never "1000.00 GB".
    if (*bytes < size - size / 200) continue;
    // Hundredths of the unit, rounded half up.
    const NvmeCounter hundredths = *bytes / (size / 100) + (*bytes % (size / 100) >= size / 200 ? 1 : 0);
    const std::string cents = CounterText(hundredths % 100);
    return CounterText(hundredths / 100) + "." + (cents.size() < 2 ? "0" : "") + cents + " " + u.name + " (" +
           CounterText(*bytes) + " 字节)";
  }
  return CounterText(*bytes) + " 字节";
}

std::string WarningText(std::uint8_t warning) {
  if (warning == 0) return "无";
  static constexpr struct {
    std::uint8_t bit;
    const char* name;
  } kBits[] = {{kNvmeSpareLow, "备用空间不足"},   {kNvmeTemperature, "温度超出阈值"},
               {kNvmeReliability, "可靠性下降"},   {kNvmeReadOnly, "只读模式"},
               {kNvmeBackupFailed, "易失性存储备份失效"}};
  std::string names;
  std::uint8_t known = 0;
  for (const auto& b : kBits) {
    known |= b.bit;
    if (warning & b.bit) names += (names.empty() ? "" : "，") + std::string(b.name);
  }
  if (warning & ~known) names += (names.empty() ? "" : "，") + std::string("其他");
  return "0x" + Hex(warning, 2) + " (" + names + ")";
}

PageRow Row(const char* label, std::string value) { return {label, kRowImage, std::move(value)}; }

int VerdictImage(Verdict v) {
  switch (v) {
    case Verdict::Good: return kGoodImage;
    case Verdict::Caution: return kCautionImage;
    case Verdict::Bad: return kBadImage;
    case Verdict::Reading:
    case Verdict::Unknown: break;
  }
  return kUnknownImage;
}

HealthRows Start(int drive, const std::string& model, const char* kind, const HealthVerdict& verdict) {
  HealthRows out;
  std::string heading = "硬盘 " + std::to_string(drive) + ":";
  const std::string name = platform::AnsiBytesToUtf8(model);
  if (!name.empty()) heading += " " + name;
  out.rows.push_back({heading, kHeadingImage, std::string(kind)});
  out.rows.push_back({"健康状态:", VerdictImage(verdict.verdict), VerdictText(verdict)});
  out.verdictRow = 1;
  out.verdict = verdict.verdict;
  return out;
}

void AtaRows(HealthRows& out, const DriveHealthReading& r) {
  const auto attributes = DecodeSmartAttributes(*r.data, r.thresholds ? &*r.thresholds : nullptr);
  const SmartReadings s = ReadSmartAttributes(attributes);
  auto& rows = out.rows;
  rows.push_back(Row("温度:", s.celsius ? Celsius(*s.celsius) : kNotReported));
  if (s.powerOnHours) {
    rows.push_back(Row("通电时间:", std::to_string(*s.powerOnHours) + " 小时"));
  } else if (s.powerOnRaw) {
    rows.push_back(Row("通电时间:", "单位不明 (原始值 " + std::to_string(*s.powerOnRaw) + ")"));
  } else {
    rows.push_back(Row("通电时间:", kNotReported));
  }
  rows.push_back(Row("通电次数:", s.powerCycles ? std::to_string(*s.powerCycles) : kNotReported));
  const char* status = r.status == SmartStatus::Passing   ? "正常"
                       : r.status == SmartStatus::Failing ? "即将故障"
                                                          : "未知";
  rows.push_back(Row("SMART 状态:", status));
  rows.push_back({"ID 属性", kHeadingImage, std::string("当前 / 最差 / 阈值 / 原始值")});
  for (const SmartAttribute& a : attributes) {
    const std::string threshold = a.threshold ? std::to_string(*a.threshold) : "-";
    const int image = !a.AtThreshold() ? kRowImage : a.PreFailure() ? kBadImage : kCautionImage;
    char raw[16];
    std::snprintf(raw, sizeof raw, "%012llX", static_cast<unsigned long long>(a.raw));
    rows.push_back({AttributeLabel(a), image,
                    std::to_string(a.current) + " / " + std::to_string(a.worst) + " / " + threshold +
                        " / " + raw});
  }
}

void NvmeRows(HealthRows& out, const NvmeHealth& h) {
  auto& rows = out.rows;
  rows.push_back(Row("温度:", KelvinText(h.kelvin)));
  rows.push_back(Row("通电时间:", CounterText(h.powerOnHours) + " 小时"));
  rows.push_back(Row("通电次数:", CounterText(h.powerCycles)));
  rows.push_back(Row("剩余寿命:", Percent(NvmeLifeLeft(h))));
  rows.push_back(Row("不安全关机次数:", CounterText(h.unsafeShutdowns)));
  rows.push_back(Row("严重警告:", WarningText(h.criticalWarning)));
  rows.push_back(Row("可用备用空间:", Percent(h.availableSpare) + " (阈值 " + Percent(h.spareThreshold) + ")"));
  rows.push_back(Row("已用寿命:", Percent(h.percentageUsed)));
  rows.push_back(Row("读取数据量:", BytesText(h.dataUnitsRead)));
  rows.push_back(Row("写入数据量:", BytesText(h.dataUnitsWritten)));
  rows.push_back(Row("主机读取命令:", CounterText(h.hostReads)));
  rows.push_back(Row("主机写入命令:", CounterText(h.hostWrites)));
  rows.push_back(Row("控制器忙碌时间:", CounterText(h.busyMinutes) + " 分钟"));
  rows.push_back(Row("介质和数据完整性错误:", CounterText(h.mediaErrors)));
  rows.push_back(Row("错误日志条目:", CounterText(h.errorLogEntries)));
  rows.push_back(Row("警告温度时间:", std::to_string(h.warningTempMinutes) + " 分钟"));
  rows.push_back(Row("严重温度时间:", std::to_string(h.criticalTempMinutes) + " 分钟"));
  for (std::size_t i = 0; i < h.sensorKelvin.size(); ++i) {
    if (h.sensorKelvin[i] == 0) continue;
    const std::string label = "温度传感器 " + std::to_string(i + 1) + ":";
    rows.push_back({label, kRowImage, KelvinText(h.sensorKelvin[i])});
  }
}

}  // namespace

HealthVerdict AtaVerdict(const std::vector<SmartAttribute>& attributes, SmartStatus status) {
  Findings f;
  if (status == SmartStatus::Failing) f.bad.push_back("硬盘报告即将故障");
  for (const SmartAttribute& a : attributes) {
    if (a.AtThreshold()) (a.PreFailure() ? f.bad : f.caution).push_back(AttributeLabel(a) + " 已达阈值");
  }
  const SmartReadings s = ReadSmartAttributes(attributes);
  if (s.reallocated.value_or(0) > 0) f.caution.push_back(Count(*s.reallocated, "重新分配扇区"));
  if (s.pending.value_or(0) > 0) f.caution.push_back(Count(*s.pending, "待映射扇区"));
  if (s.uncorrectable.value_or(0) > 0) f.caution.push_back(Count(*s.uncorrectable, "无法校正的扇区"));
  return std::move(f).Conclude();
}

HealthVerdict NvmeVerdict(const NvmeHealth& h) {
  Findings f;
  const std::uint8_t w = h.criticalWarning;
  if (h.availableSpare < h.spareThreshold) {
    f.bad.push_back("可用备用空间 " + Percent(h.availableSpare) + " 低于阈值 " + Percent(h.spareThreshold));
  } else if (w & kNvmeSpareLow) {
    f.bad.push_back("可用备用空间低于阈值");
  }
  if (w & kNvmeReliability) f.bad.push_back("可靠性下降");
  if (w & kNvmeReadOnly) f.bad.push_back("已进入只读模式");
  if (w & kNvmeTemperature) f.caution.push_back("温度超出阈值");
  if (w & kNvmeBackupFailed) f.caution.push_back("易失性存储备份失效");
  if (h.percentageUsed >= 90) f.caution.push_back("已用寿命 " + Percent(h.percentageUsed));
  if (h.mediaErrors > 0) f.caution.push_back(CounterText(h.mediaErrors) + " 个介质错误");
  return std::move(f).Conclude();
}

HealthVerdict DriveVerdict(const DriveHealthReading& r) {
  if (r.protocol == HealthProtocol::Ata && r.data) {
    return AtaVerdict(DecodeSmartAttributes(*r.data, r.thresholds ? &*r.thresholds : nullptr), r.status);
  }
  if (r.protocol == HealthProtocol::Nvme && r.log) return NvmeVerdict(DecodeNvmeHealth(*r.log));
  return {Verdict::Unknown, {GapText(r.gap)}};
}

std::string VerdictText(const HealthVerdict& v) {
  std::string text;
  switch (v.verdict) {
    case Verdict::Reading: return "正在读取…";
    case Verdict::Good: text = "良好"; break;
    case Verdict::Caution: text = "警告"; break;
    case Verdict::Bad: text = "不良"; break;
    case Verdict::Unknown: text = "未知"; break;
  }
  if (v.reasons.empty()) return text;
  text += " (";
  for (std::size_t i = 0; i < v.reasons.size(); ++i) text += (i ? "，" : "") + v.reasons[i];
  return text + ")";
}

int NvmeLifeLeft(const NvmeHealth& h) { return std::max(0, 100 - static_cast<int>(h.percentageUsed)); }

HealthRows DriveHealthRows(int drive, const DriveHealthReading& r) {
  const HealthVerdict verdict = DriveVerdict(r);
  const bool ata = r.protocol == HealthProtocol::Ata && r.data;
  const bool nvme = r.protocol == HealthProtocol::Nvme && r.log;
  const char* kind = r.protocol == HealthProtocol::Ata ? "ATA" : r.protocol == HealthProtocol::Nvme ? "NVMe" : "";
  HealthRows out = Start(drive, r.model, kind, verdict);
  if (ata) AtaRows(out, r);
  if (nvme) NvmeRows(out, DecodeNvmeHealth(*r.log));
  return out;
}

HealthRows ReadingHealthRows(int drive) {
  return Start(drive, "", "", HealthVerdict{Verdict::Reading, {}});
}

PageRow NoDriveRow() { return {"硬盘:", kUnknownImage, std::string("未找到硬盘")}; }

}  // namespace parvane

#include "parvane/decode/Smart.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "parvane/decode/Bytes.h"
#include "parvane/decode/HexDump.h"

namespace parvane {
namespace {

// Where the driver reports its own error in the output record.
constexpr std::size_t kDriverErrorOffset = 4;
// The register record of RETURN STATUS: LBA mid and high.
constexpr std::size_t kStatusLbaMid = kSmartOutputDataOffset + 3;
constexpr std::size_t kStatusLbaHigh = kSmartOutputDataOffset + 4;

constexpr std::size_t kEntryOffset = 2;
constexpr std::size_t kEntrySize = 12;

struct NamedAttribute {
  std::uint8_t id;
  const char* name;
};

// The attributes a user meets on hard disks and SSDs. Several SSD makers
// give the ids above AAh meanings of their own; these are the common ones.
constexpr NamedAttribute kNames[] = {
    {0x01, "读取错误率"},
    {0x02, "吞吐性能"},
    {0x03, "主轴起转时间"},
    {0x04, "启动/停止次数"},
    {0x05, "重新分配扇区计数"},
    {0x06, "读取通道余量"},
    {0x07, "寻道错误率"},
    {0x08, "寻道性能"},
    {0x09, "通电时间"},
    {0x0A, "主轴起转重试次数"},
    {0x0B, "校准重试次数"},
    {0x0C, "通电次数"},
    {0x0D, "软件读取错误率"},
    {0x16, "氦气水平"},
    {0xAA, "可用保留空间"},
    {0xAB, "编程失败次数"},
    {0xAC, "擦除失败次数"},
    {0xAD, "平均擦写次数"},
    {0xAE, "意外断电次数"},
    {0xB1, "磨损平衡次数"},
    {0xB3, "已用保留块总数"},
    {0xB5, "编程失败总数"},
    {0xB6, "擦除失败总数"},
    {0xB7, "SATA 降速次数"},
    {0xB8, "端到端错误"},
    {0xBB, "报告的无法校正错误"},
    {0xBC, "命令超时"},
    {0xBD, "磁头高飞写入"},
    {0xBE, "气流温度"},
    {0xBF, "加速度错误率"},
    {0xC0, "断电磁头收回次数"},
    {0xC1, "磁头加载/卸载次数"},
    {0xC2, "温度"},
    {0xC3, "硬件 ECC 恢复"},
    {0xC4, "重新分配事件计数"},
    {0xC5, "待映射扇区数"},
    {0xC6, "无法校正的扇区数"},
    {0xC7, "UltraDMA CRC 错误计数"},
    {0xC8, "写入错误率"},
    {0xC9, "软读取错误率"},
    {0xCA, "数据地址标记错误"},
    {0xCB, "ECC 错误"},
    {0xDC, "盘片偏移"},
    {0xDD, "加速度错误率"},
    {0xDE, "磁头加载时间"},
    {0xDF, "加载重试次数"},
    {0xE0, "加载摩擦"},
    {0xE1, "主机写入量"},
    {0xE2, "负载介质磨损"},
    {0xE3, "负载读取比例"},
    {0xE4, "负载计时"},
    {0xE6, "磁头振幅"},
    {0xE7, "剩余寿命"},
    {0xE8, "可用保留空间"},
    {0xE9, "介质磨损指标"},
    {0xF0, "磁头飞行时间"},
    {0xF1, "主机写入总量"},
    {0xF2, "主机读取总量"},
    {0xF9, "闪存写入总量"},
    {0xFA, "读取错误重试率"},
    {0xFE, "自由落体保护"},
};

// A raw value's bytes from 0 to `count` - 1.
std::uint32_t LowBytes(std::uint64_t raw, int count) {
  return static_cast<std::uint32_t>(raw & ((std::uint64_t{1} << (8 * count)) - 1));
}

const SmartAttribute* Find(const std::vector<SmartAttribute>& attributes, std::uint8_t id) {
  auto it = std::find_if(attributes.begin(), attributes.end(),
                         [id](const SmartAttribute& a) { return a.id == id; });
  return it == attributes.end() ? nullptr : &*it;
}

std::optional<int> Celsius(const SmartAttribute* a) {
  if (!a) return std::nullopt;
  const int c = static_cast<int>(a->raw & 0xFF);
  if (c < 1 || c > 127) return std::nullopt;
  return c;
}

bool ValidWord(std::uint16_t w) { return w != 0 && w != 0xFFFF; }

}  // namespace

bool IsValidSmartBlock(const SmartBlock& block) {
  const auto& b = block.bytes;
  if (std::all_of(b.begin(), b.end(), [](std::uint8_t x) { return x == 0; })) return false;
  return std::accumulate(b.begin(), b.end(), 0u) % 256 == 0;
}

std::array<std::uint8_t, kSmartInputSize> SmartCommandInput(SmartFeature feature) {
  std::array<std::uint8_t, kSmartInputSize> in{};
  PutU32(in.data(), feature == SmartFeature::ReturnStatus ? 0 : 512);  // buffer size
  in[4] = static_cast<std::uint8_t>(feature);  // features
  in[5] = 1;                                   // sector count
  in[6] = 1;                                   // sector number
  in[7] = 0x4F;                                // LBA mid (cylinder low)
  in[8] = 0xC2;                                // LBA high (cylinder high)
  in[9] = 0xA0;                                // drive/head
  in[10] = kAtaSmart;                          // command
  return in;
}

std::optional<std::array<std::uint8_t, 512>> SmartOutputData(std::span<const std::uint8_t> out,
                                                             std::size_t returned) {
  constexpr std::size_t kEnd = kSmartOutputDataOffset + 512;
  if (out.size() < kEnd || returned < kEnd || out[kDriverErrorOffset] != 0) return std::nullopt;
  std::array<std::uint8_t, 512> data;
  std::memcpy(data.data(), out.data() + kSmartOutputDataOffset, 512);
  if (std::all_of(data.begin(), data.end(), [](std::uint8_t x) { return x == 0; })) return std::nullopt;
  return data;
}

std::optional<SmartBlock> SmartBlockFromOutput(std::span<const std::uint8_t> out, std::size_t returned) {
  auto data = SmartOutputData(out, returned);
  if (!data) return std::nullopt;
  SmartBlock block{*data};
  if (!IsValidSmartBlock(block)) return std::nullopt;
  return block;
}

std::optional<IdentifyData> IdentifyFromSmartAnswer(std::span<const std::uint8_t> out,
                                                     std::size_t returned) {
  auto data = SmartOutputData(out, returned);
  if (!data) return std::nullopt;
  IdentifyData block;
  block.bytes = *data;
  return block;
}

SmartStatus SmartStatusFromOutput(std::span<const std::uint8_t> out, std::size_t returned) {
  if (out.size() < kSmartStatusOutputSize || returned < kSmartStatusOutputSize ||
      out[kDriverErrorOffset] != 0)
    return SmartStatus::Unknown;
  const std::uint8_t mid = out[kStatusLbaMid], high = out[kStatusLbaHigh];
  if (mid == 0x4F && high == 0xC2) return SmartStatus::Passing;
  if (mid == 0xF4 && high == 0x2C) return SmartStatus::Failing;
  return SmartStatus::Unknown;
}

bool SmartAttribute::AtThreshold() const {
  return threshold && *threshold >= 0x01 && *threshold <= 0xFD && current >= 0x01 &&
         current <= 0xFD && current <= *threshold;
}

std::vector<SmartAttribute> DecodeSmartAttributes(const SmartBlock& data, const SmartBlock* thresholds) {
  std::vector<SmartAttribute> attributes;
  for (int i = 0; i < kSmartAttributeSlots; ++i) {
    const std::uint8_t* e = data.bytes.data() + kEntryOffset + kEntrySize * static_cast<std::size_t>(i);
    if (e[0] == 0) continue;
    SmartAttribute a;
    a.id = e[0];
    a.flags = GetU16(e + 1);
    a.current = e[3];
    a.worst = e[4];
    for (int b = 5; b >= 0; --b) a.raw = (a.raw << 8) | e[5 + b];
    if (thresholds) {
      for (int j = 0; j < kSmartAttributeSlots; ++j) {
        const std::uint8_t* t =
            thresholds->bytes.data() + kEntryOffset + kEntrySize * static_cast<std::size_t>(j);
        if (t[0] == a.id) {
          a.threshold = t[1];
          break;
        }
      }
    }
    attributes.push_back(a);
  }
  return attributes;
}

std::string SmartAttributeName(std::uint8_t id) {
  for (const NamedAttribute& n : kNames)
    if (n.id == id) return n.name;
  return "未知属性";
}

SmartReadings ReadSmartAttributes(const std::vector<SmartAttribute>& attributes) {
  SmartReadings r;
  r.celsius = Celsius(Find(attributes, 0xC2));
  if (!r.celsius) r.celsius = Celsius(Find(attributes, 0xBE));
  if (const SmartAttribute* a = Find(attributes, 0x09)) {
    const std::uint32_t hours = LowBytes(a->raw, 4);
    if (hours <= kMaxPowerOnHours) {
      r.powerOnHours = hours;
    } else {
      r.powerOnRaw = hours;
    }
  }
  if (const SmartAttribute* a = Find(attributes, 0x0C)) r.powerCycles = LowBytes(a->raw, 4);
  if (const SmartAttribute* a = Find(attributes, 0x05)) r.reallocated = LowBytes(a->raw, 2);
  if (const SmartAttribute* a = Find(attributes, 0xC5)) r.pending = LowBytes(a->raw, 2);
  if (const SmartAttribute* a = Find(attributes, 0xC6)) r.uncorrectable = LowBytes(a->raw, 2);
  return r;
}

bool IdentifySaysSmartSupported(const IdentifyData& block) {
  return ValidWord(block.Word(82)) && block.Bit(82, 0);
}

bool IdentifySaysSmartEnabled(const IdentifyData& block) {
  return ValidWord(block.Word(85)) && block.Bit(85, 0);
}

std::optional<SmartBlock> ParseSmartDump(std::string_view input) {
  SmartBlock block;
  if (!ParseByteDump(input, block.bytes)) return std::nullopt;
  return block;
}

}  // namespace parvane

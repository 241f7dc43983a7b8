#include "parvane/decode/IdentifyDecode.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/AnsiText.h"

namespace parvane {
namespace {

using Rule = std::function<std::string(const IdentifyData&)>;

// When a row gets a value at all.
enum class When { Always, Word53Bit2, Word53Bit0, Word80Valid };

struct RowDef {
  std::string label;
  int image;
  When when;
  Rule rule;
};

// A text field as the page shows it: the drive's bytes, read within the
// field, in the system's code page.
std::string DeviceText(const IdentifyData& b, IdentifyField field) {
  return platform::AnsiBytesToUtf8(IdentifyText(b, field));
}

std::string YesNo(bool b) { return b ? "Yes" : "No"; }

// The page formats: "%u" and "%d" of 32-bit values, "%I64d" of signed 64-bit.
std::string U32(std::uint32_t v) { return std::to_string(v); }
std::string I32(std::int32_t v) { return std::to_string(v); }
std::string I64(std::int64_t v) { return std::to_string(v); }

Rule Bit(int word, int bit) {
  return [=](const IdentifyData& b) { return YesNo(b.Bit(word, bit)); };
}
Rule NonZero(int word) {
  return [=](const IdentifyData& b) { return YesNo(b.Word(word) != 0); };
}
Rule Number(int word) {
  return [=](const IdentifyData& b) { return U32(b.Word(word)); };
}

std::uint32_t LbaSectors(const IdentifyData& b) {
  return static_cast<std::uint32_t>(b.Word(60)) | (static_cast<std::uint32_t>(b.Word(61)) << 16);
}
std::uint64_t Lba48Sectors(const IdentifyData& b) {
  std::uint64_t v = 0;
  for (int w = 103; w >= 100; --w) v = (v << 16) | b.Word(w);
  return v;
}
std::uint32_t ChsSectors(const IdentifyData& b) {
  return static_cast<std::uint32_t>(b.Word(57)) + static_cast<std::uint32_t>(b.Word(58)) * 65536u;
}

bool Applies(When when, const IdentifyData& b) {
  switch (when) {
    case When::Always: return true;
    case When::Word53Bit2: return b.Bit(53, 2);
    case When::Word53Bit0: return b.Bit(53, 0);
    case When::Word80Valid: return b.Word(80) != 0 && b.Word(80) != 0xFFFF;
  }
  return false;
}

const std::vector<RowDef>& DiskRowDefs() {
  static const std::vector<RowDef> defs = [] {
    std::vector<RowDef> s = {
        {"硬盘型号:", 0, When::Always,
         [](const IdentifyData& b) { return DeviceText(b, kModelField); }},
        {"序列号:", 1, When::Always,
         [](const IdentifyData& b) { return DeviceText(b, kSerialField); }},
        {"DMA模式0 (16.7Mb/s)  的支持:", 2, When::Word53Bit2, Bit(88, 0)},
        {"DMA模式1 (25MB/ s)    的支持:", 3, When::Word53Bit2, Bit(88, 1)},
        {"DMA模式2 (33Mb/ s)   的支持:", 5, When::Word53Bit2, Bit(88, 2)},
        {"DMA模式3 (44Mb/ s)   的支持:", 6, When::Word53Bit2, Bit(88, 3)},
        {"DMA模式4 (66Mb/ s)   的支持:", 7, When::Word53Bit2, Bit(88, 4)},
        {"DMA模式5 (100Mb/s)   的支持:", 8, When::Word53Bit2, Bit(88, 5)},
        {"DMA模式6 (133Mb/s)   的支持:", 9, When::Word53Bit2, Bit(88, 6)},
        {"DMA模式7 (166Mb/s)   的支持:", 10, When::Word53Bit2, Bit(88, 7)},
        {"驱动器缓冲区大小:", 11, When::Always,
         [](const IdentifyData& b) { return U32(static_cast<std::uint32_t>(b.Word(21)) * 512u); }},
        {"柱面数:", 1, When::Always,
         [](const IdentifyData& b) { return U32(b.Word(1)) + " 柱面"; }},
        {"磁头数:", 2, When::Always,
         [](const IdentifyData& b) { return U32(b.Word(3)) + " 磁头"; }},
        {"每磁道扇区数:", 3, When::Always,
         [](const IdentifyData& b) { return U32(b.Word(6)) + " 扇区"; }},
        {"总扇区:", 4, When::Always, [](const IdentifyData& b) { return U32(LbaSectors(b)); }},
        {"总大小:", 5, When::Always,
         [](const IdentifyData& b) {
           return I64(static_cast<std::int64_t>(LbaSectors(b)) * 512) + " bytes";
         }},
        {"48位lba支持的总扇区数:", 6, When::Always,
         [](const IdentifyData& b) {
           return I64(static_cast<std::int64_t>(Lba48Sectors(b))) + " lba总扇区";
         }},
        {"CHS可寻址的柱面数:", 7, When::Word53Bit0, Number(54)},
        {"CHS可寻址的磁头数:", 8, When::Word53Bit0, Number(55)},
        {"CHS可寻址每磁道扇区数", 9, When::Word53Bit0, Number(56)},
        {"CHS可寻址的扇区数低位字:", 10, When::Word53Bit0,
         [](const IdentifyData& b) { return U32(ChsSectors(b)); }},
        {"CHS可寻址的扇区数高位字", 11, When::Word53Bit0,
         [](const IdentifyData& b) {
           auto sectors = static_cast<std::int32_t>(ChsSectors(b));
           return I64(static_cast<std::int64_t>(sectors) * 512) + " bytes";
         }},
        {"支持高级PIO模式:", 1, When::Always,
         [](const IdentifyData& b) { return I32(b.Word(64) & 0xFF); }},
        {"DMA的支持:", 2, When::Always, Bit(49, 8)},
        {"LBA的支持:", 3, When::Always, Bit(49, 9)},
        {"IORDY可能被禁用:", 4, When::Always, Bit(49, 11)},
        {"重叠操作的支持:", 5, When::Always, Bit(49, 10)},
        {"Overlap operation supported:", 6, When::Always, Bit(49, 13)},
        {"支持命令队列:", 7, When::Always, Bit(49, 14)},
        {"交错的DMA支持:", 8, When::Always, Bit(49, 15)},
        {"48位LBA支持:", 9, When::Always, Bit(83, 10)},
        {"支持ATA-1版本:", 10, When::Word80Valid, Bit(80, 1)},
        {"        ATA-2版本:", 10, When::Word80Valid, Bit(80, 2)},
        {"        ATA-3版本:", 10, When::Word80Valid, Bit(80, 3)},
    };
    // ATA/ATAPI-4 to -14: word 80 bits 4 to 14, indented under ATA-1.
    static const char* const kAtapi[] = {
        "        ATA/ATAPI-4版本:",  "        ATA/ATAPI-5版本:",  "        ATA/ATAPI-6版本:",
        "        ATA/ATAPI-7版本:",  "        ATA/ATAPI-8版本:",  "        ATA/ATAPI-9版本:",
        "        ATA/ATAPI-10版本:", "        ATA/ATAPI-11版本:", "        ATA/ATAPI-12版本:",
        "        ATA/ATAPI-13版本:", "        ATA/ATAPI-14版本:"};
    for (int bit = 4; bit <= 14; ++bit)
      s.push_back({kAtapi[bit - 4], 10, When::Word80Valid, Bit(80, bit)});
    return s;
  }();
  return defs;
}

const std::vector<RowDef>& ModesRowDefs() {
  static const std::vector<RowDef> defs = [] {
    // Modes 1-7 are indented by 29 blanks to line up under mode 0.
    const std::string indent(29, ' ');
    std::vector<RowDef> s = {{"当前选定的Ultra DMA模式0:", 1, When::Always, Bit(88, 8)}};
    for (int m = 1; m <= 7; ++m)
      s.push_back({indent + "DMA模式" + std::to_string(m) + ":", m + 1, When::Always,
                   Bit(88, 8 + m)});
    std::vector<RowDef> rest = {
        {"多字节DMA模式0(4.17Mb/s)的支持:", 1, When::Always, Bit(63, 0)},
        {"多字节DMA模式1(13.3Mb/s)的支持:", 1, When::Always, Bit(63, 1)},
        {"多字节DMA模式2(16.7Mb/s)的支持:", 1, When::Always, Bit(63, 2)},
        {"多字节DMA选择模式0:", 2, When::Always, Bit(83, 3)},
        {"多字节DMA选择模式1:", 2, When::Always, Bit(83, 4)},
        {"多字节DMA选择模式2:", 2, When::Always, Bit(83, 5)},
        {"当前一次性可读写扇区数:", 3, When::Always,
         [](const IdentifyData& b) { return U32(b.Word(59) & 0xFF); }},
        {"已选择多扇区读写:", 4, When::Always, Bit(59, 8)},
        {"单字节DMA支持能力:", 5, When::Always, NonZero(62)},
        {"基本信息:", 6, When::Always, Number(0)},
        {"默认值:", 7, When::Always, Number(2)},
        {"保留值:", 8, When::Always, NonZero(4)},
        {"保留值:", 1, When::Always, NonZero(5)},
        {"厂家设定值:", 2, When::Always, Number(7)},
        {"缓冲类型:", 3, When::Always, NonZero(20)},
        {"ECC校验大小:", 4, When::Always, Number(22)},
        {"厂家设定值:", 5, When::Always, Number(47)},
        {"默认值：", 6, When::Always, NonZero(48)},
        {"保留值：:", 7, When::Always, Number(50)},
        {"PIO时序:", 8, When::Always, NonZero(51)},
        {"DMA时序:", 1, When::Always, NonZero(52)},
        {"是否有副版本:", 2, When::Always, NonZero(81)},
        {"默认值：", 3, When::Always, Number(84)},
        {"DMA时序:", 4, When::Always, Bit(83, 9)},
        {"是否支持biglba:", 5, When::Always, Bit(83, 10)},
    };
    s.insert(s.end(), rest.begin(), rest.end());
    return s;
  }();
  return defs;
}

std::vector<PageRow> Build(const std::vector<RowDef>& defs, const IdentifyData* block) {
  std::vector<PageRow> rows;
  rows.reserve(defs.size() + 2);
  for (const RowDef& def : defs) {
    PageRow row{def.label, def.image, std::nullopt};
    if (block && Applies(def.when, *block)) row.value = def.rule(*block);
    rows.push_back(std::move(row));
  }
  return rows;
}

// Every labelled row says the drive is not an ATA one.
void MarkNotForNvme(std::vector<PageRow>& rows) {
  for (PageRow& row : rows)
    if (!row.label.empty()) row.value = kNotForNvme;
}

std::vector<PageRow> Unreadable(std::vector<PageRow> rows) {
  rows.front().value = kDriveUnreadable;
  return rows;
}

}  // namespace

std::vector<PageRow> DiskPageRows(const IdentifyData* block) {
  std::vector<PageRow> rows = Build(DiskRowDefs(), block);
  rows.push_back({"", 0, std::nullopt});
  return rows;
}

std::vector<PageRow> DiskModesPageRows(const IdentifyData* block) {
  std::vector<PageRow> rows = Build(ModesRowDefs(), block);
  // Row 34 is inserted after the list's unlabelled row, so it ends the list.
  rows.push_back({"", 0, std::nullopt});
  PageRow last{"是否ATA软启动:", 3, std::nullopt};
  if (block) last.value = YesNo(block->Bit(49, 12));
  rows.push_back(std::move(last));
  return rows;
}

std::vector<PageRow> NvmeDiskPageRows(const NvmeIdentify& identify,
                                      const std::optional<DiskExtent>& disk) {
  std::vector<PageRow> rows = DiskPageRows(nullptr);
  const PageRow unlabelled = rows.back();
  rows.pop_back();
  MarkNotForNvme(rows);

  const NvmeController c = DecodeNvmeController(identify.controller);
  const NvmeCapacity cap = NvmeDriveCapacity(identify, disk);
  auto text = [](const std::string& bytes) { return platform::AnsiBytesToUtf8(bytes); };
  rows[0].value = text(c.model);
  rows[1].value = text(c.serial);
  // Sectors, bytes and the 48-bit count: the namespace's logical blocks;
  // empty when neither the namespace nor the disk tells.
  for (int r : {14, 15, 16}) rows[r].value.reset();
  if (cap.sectors) {
    rows[14].value = std::to_string(*cap.sectors);
    rows[16].value = std::to_string(*cap.sectors) + " lba总扇区";
  }
  if (cap.bytes) rows[15].value = std::to_string(*cap.bytes) + " bytes";

  char vendor[8];
  std::snprintf(vendor, sizeof vendor, "0x%04X", static_cast<unsigned>(c.vendorId));
  auto optional = [](std::string s) { return s.empty() ? std::nullopt : std::optional(s); };
  rows.push_back({"固件版本:", 1, text(c.firmware)});
  rows.push_back({"NVMe版本:", 2, NvmeVersionText(c.version)});
  rows.push_back({"PCI厂商ID:", 3, std::string(vendor)});
  rows.push_back({"命名空间数:", 4, std::to_string(c.namespaces)});
  rows.push_back({"警告温度:", 5, optional(KelvinAsCelsius(c.warningKelvin))});
  rows.push_back({"临界温度:", 6, optional(KelvinAsCelsius(c.criticalKelvin))});
  rows.push_back({"易失性写缓存:", 7, YesNo(c.volatileWriteCache)});
  rows.push_back(unlabelled);
  return rows;
}

std::vector<PageRow> NvmeDiskModesPageRows() {
  std::vector<PageRow> rows = DiskModesPageRows(nullptr);
  MarkNotForNvme(rows);
  return rows;
}

std::vector<PageRow> UnreadableDiskPageRows() { return Unreadable(DiskPageRows(nullptr)); }
std::vector<PageRow> UnreadableDiskModesPageRows() { return Unreadable(DiskModesPageRows(nullptr)); }

}  // namespace parvane

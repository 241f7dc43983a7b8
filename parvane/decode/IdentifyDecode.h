// The two hard-disk pages' rows, decoded from one repaired IDENTIFY block.
// Pure functions: the pages only put the rows into their lists. The model
// and serial texts are the drive's bytes, each read within its own field, in
// the system's code page (platform/AnsiText.h).
#pragma once

#include <optional>
#include <vector>

#include "parvane/decode/Identify.h"
#include "parvane/decode/NvmeIdentify.h"
#include "parvane/decode/PageRow.h"

namespace parvane {

// Every row of the disk page in list order: rows 0-44, then the list's
// unlabelled row (45). Without a block (the read failed) no row has a value.
std::vector<PageRow> DiskPageRows(const IdentifyData* block);
// Every row of the modes page in list order: rows 0-32, the unlabelled row
// (33), then row 34.
std::vector<PageRow> DiskModesPageRows(const IdentifyData* block);

inline std::vector<PageRow> DecodeDiskPage(const IdentifyData& block) {
  return DiskPageRows(&block);
}
inline std::vector<PageRow> DecodeDiskModesPage(const IdentifyData& block) {
  return DiskModesPageRows(&block);
}

// The value of every ATA-only row of an NVMe drive, and of the first row
// when the drive answered neither request.
inline constexpr const char* kNotForNvme = "不适用(NVMe)";
inline constexpr const char* kDriveUnreadable = "无法读取硬盘信息";

// An NVMe drive on the disk page: model, serial and capacity in their rows,
// every ATA-only row kNotForNvme, then the NVMe rows (firmware, version, PCI
// vendor, namespaces, temperatures, write cache) before the unlabelled row.
// The capacity comes from the namespace, else from the disk's extent.
std::vector<PageRow> NvmeDiskPageRows(const NvmeIdentify& identify,
                                      const std::optional<DiskExtent>& disk);
// The modes page has no row with an NVMe meaning.
std::vector<PageRow> NvmeDiskModesPageRows();

// The labels, the first row saying the drive could not be read.
std::vector<PageRow> UnreadableDiskPageRows();
std::vector<PageRow> UnreadableDiskModesPageRows();

}  // namespace parvane

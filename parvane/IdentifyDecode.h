// The two hard-disk pages' rows, decoded from one repaired IDENTIFY block.
// Pure functions: the pages only put the rows into their lists. The model
// and serial texts are the drive's bytes, each read within its own field, in
// the system's code page (platform/AnsiText.h).
#pragma once

#include <vector>

#include "parvane/Identify.h"
#include "parvane/PageRow.h"

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

}  // namespace parvane

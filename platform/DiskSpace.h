// Free and total bytes of a drive, as the disk overview shows them. The
// halves are kept as the view combines them (high * 4294967296 + low).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct DiskSpaceHalves {
  std::uint32_t freeLow = 0;   // bytes available to the caller
  std::uint32_t freeHigh = 0;
  std::uint32_t totalLow = 0;  // bytes of the volume
  std::uint32_t totalHigh = 0;
};

// True when the numbers were obtained for `root` (for example "C:\").
// Failures are traced to the debugger only.
bool QueryDiskSpace(const std::string& root, DiskSpaceHalves& out);

}  // namespace platform

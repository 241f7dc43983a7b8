#include <sys/statvfs.h>

#include "platform/DiskSpace.h"

namespace platform {

bool QueryDiskSpace(const std::string& root, DiskSpaceHalves& out) {
  struct statvfs vfs;
  if (statvfs(root.empty() ? "." : root.c_str(), &vfs) != 0) return false;
  std::uint64_t available = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  std::uint64_t total = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
  out.freeLow = static_cast<std::uint32_t>(available);
  out.freeHigh = static_cast<std::uint32_t>(available >> 32);
  out.totalLow = static_cast<std::uint32_t>(total);
  out.totalHigh = static_cast<std::uint32_t>(total >> 32);
  return true;
}

}  // namespace platform

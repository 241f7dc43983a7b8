// Reading a volume or an image file at byte offsets: what the scan's
// master-file-table engine reads an NTFS volume through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Exactly `size` bytes at `offset` into `out`; false when they cannot all
  // be read. One caller at a time.
  virtual bool ReadAt(std::uint64_t offset, void* out, std::size_t size) = 0;
};

// Opens a file or a device (on Windows "\\.\X:" for a volume) for reading,
// sharing it with every other user; nullptr when it cannot be opened.
std::unique_ptr<ByteSource> OpenByteSource(const std::string& path);

// On Windows: the device of the drive whose root `path` is ("D:\" or "D:"
// gives "\\.\D:"), or empty when `path` is not a drive root. Empty elsewhere.
std::string VolumeDeviceOf(const std::string& path);

// The volume of the drive root `path`, when its file system is "NTFS" and
// its device opens for reading (on Windows, administrator rights); nullptr
// otherwise, and always elsewhere.
std::unique_ptr<ByteSource> OpenNtfsVolume(const std::string& path);

}  // namespace platform

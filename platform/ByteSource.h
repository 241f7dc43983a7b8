// Reading a volume or an image file at byte offsets: what the scan's
// master-file-table engine reads an NTFS volume through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace platform {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Exactly `size` bytes at `offset` into `out`; false when they cannot all
  // be read. One caller at a time.
  virtual bool ReadAt(std::uint64_t offset, void* out, std::size_t size) = 0;
};

// Memory at a page boundary, not zeroed: what a read without the system's
// cache goes into.
inline constexpr std::size_t kPageBytes = 4096;
class PageBuffer {
 public:
  PageBuffer() = default;
  explicit PageBuffer(std::size_t size);
  std::uint8_t* data() const { return data_.get(); }
  std::size_t size() const { return size_; }

 private:
  struct Free {
    void operator()(std::uint8_t* bytes) const;
  };
  std::unique_ptr<std::uint8_t, Free> data_;
  std::size_t size_ = 0;
};

// A device read without the system's cache, as Windows reads a volume: the
// offset, the length and the memory of each read must be multiples of its
// alignment (kPageBytes covers every sector size in use); many devices take
// less, some refuse it.
class PageDevice {
 public:
  virtual ~PageDevice() = default;
  // Up to `size` bytes at `offset` into `into`, all three page-aligned; the
  // count read, short at the device's end or on an error.
  virtual std::size_t ReadPages(std::uint64_t offset, void* into, std::size_t size) = 0;
};

// A byte source over such a device that takes any request: one the device
// takes as it is goes straight into the caller's memory, any other through
// a page-aligned buffer holding the aligned span around it.
class PagedSource final : public ByteSource {
 public:
  explicit PagedSource(std::unique_ptr<PageDevice> device) : device_(std::move(device)) {}
  bool ReadAt(std::uint64_t offset, void* out, std::size_t size) override;
  // Bytes read straight into callers' memory so far.
  std::uint64_t StraightBytes() const { return straight_; }

 private:
  std::unique_ptr<PageDevice> device_;
  PageBuffer buffer_;
  std::uint64_t straight_ = 0;
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

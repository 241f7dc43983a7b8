#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/ByteSource.h"
#include "platform/TextWin.h"
#include "platform/UniqueHandle.h"

namespace platform {
namespace {

class FileSource final : public ByteSource {
 public:
  explicit FileSource(UniqueFile file) : file_(std::move(file)) {}

  // A volume handle reads whole sectors at sector offsets only: an aligned
  // request (the table's chunks) is read straight into `out`; any other,
  // through a buffer holding the aligned span around it.
  bool ReadAt(std::uint64_t offset, void* out, std::size_t size) override {
    if (offset % kAlign == 0 && size % kAlign == 0)
      return ReadSpan(offset, static_cast<char*>(out), size) == size;
    const std::uint64_t start = offset / kAlign * kAlign;
    const std::uint64_t end = (offset + size + kAlign - 1) / kAlign * kAlign;
    if (end < offset) return false;
    const auto span = static_cast<std::size_t>(end - start);
    if (buffer_.size() < span) buffer_.resize(span);
    if (ReadSpan(start, buffer_.data(), span) < offset - start + size) return false;
    std::memcpy(out, buffer_.data() + (offset - start), size);
    return true;
  }

 private:
  // Reads up to `size` bytes at `offset`; the count read, short at the end
  // of the file or on an error.
  std::size_t ReadSpan(std::uint64_t offset, char* into, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
      OVERLAPPED at{};
      const std::uint64_t where = offset + done;
      at.Offset = static_cast<DWORD>(where);
      at.OffsetHigh = static_cast<DWORD>(where >> 32);
      const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(file_.get(), into + done, ask, &got, &at) || got == 0) break;
      done += got;
    }
    return done;
  }

  static constexpr std::uint64_t kAlign = 4096;
  UniqueFile file_;
  std::vector<char> buffer_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenByteSource(const std::string& path) {
  UniqueFile file(CreateFileW(Widen(path.c_str()).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return nullptr;
  return std::make_unique<FileSource>(std::move(file));
}

std::string VolumeDeviceOf(const std::string& path) {
  const bool root = (path.size() == 2 || (path.size() == 3 && (path[2] == '\\' || path[2] == '/'))) &&
                    std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
  if (!root) return {};
  return std::string("\\\\.\\") + path[0] + ':';
}

std::unique_ptr<ByteSource> OpenNtfsVolume(const std::string& path) {
  const std::string device = VolumeDeviceOf(path);
  if (device.empty()) return nullptr;
  const wchar_t root[] = {static_cast<wchar_t>(path[0]), L':', L'\\', 0};
  // Only a local drive has a volume to open; asking a network drive for its
  // file system could wait on the network.
  const UINT type = GetDriveTypeW(root);
  if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) return nullptr;
  wchar_t system[MAX_PATH + 1] = {};
  if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH + 1))
    return nullptr;
  if (std::wcscmp(system, L"NTFS") != 0) return nullptr;
  return OpenByteSource(device);
}

}  // namespace platform

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cwchar>

#include "platform/ByteSource.h"
#include "platform/TextWin.h"
#include "platform/UniqueHandle.h"

namespace platform {
namespace {

// A file or device handle. A volume's is not cached: it reads whole sectors
// at sector offsets into memory aligned as its device asks (PagedSource
// sees to all three).
class FileDevice final : public PageDevice {
 public:
  explicit FileDevice(UniqueFile file) : file_(std::move(file)) {}

  std::size_t ReadPages(std::uint64_t offset, void* into, std::size_t size) override {
    auto* bytes = static_cast<char*>(into);
    std::size_t done = 0;
    while (done < size) {
      OVERLAPPED at{};
      const std::uint64_t where = offset + done;
      at.Offset = static_cast<DWORD>(where);
      at.OffsetHigh = static_cast<DWORD>(where >> 32);
      const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(file_.get(), bytes + done, ask, &got, &at) || got == 0) break;
      done += got;
    }
    return done;
  }

 private:
  UniqueFile file_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenByteSource(const std::string& path) {
  UniqueFile file(CreateFileW(Widen(path.c_str()).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return nullptr;
  return std::make_unique<PagedSource>(std::make_unique<FileDevice>(std::move(file)));
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

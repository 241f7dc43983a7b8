// The device layer as the pages see it: the few requests the information
// pages send to drives, behind an interface so the pages' texts can be built
// and tested from recorded buffers. Win32DeviceLayer (DeviceLayer_win.cpp)
// sends the real requests.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "parvane/decode/Identify.h"
#include "parvane/decode/NvmeIdentify.h"
#include "parvane/decode/StorageText.h"

namespace parvane {

// The device interface classes the pages enumerate.
enum class InterfaceClass { Disk, Cdrom };

// How a device is opened: with the access the pages always asked for (read
// and write; read for a volume), which a standard user is refused, or with
// no access rights, which still allows the storage queries.
enum class DeviceAccess { Full, QueryOnly };

// One opened device; closed when the object goes.
class StorageDevice {
 public:
  virtual ~StorageDevice() = default;
  // Media types request: on success the first entry's 24 bytes replace the
  // record; on failure the record is left as it was.
  virtual bool QueryDiskGeometry(GeometryRecord& record) = 0;
  // Device-property query into the buffer, whose length is its own size
  // field. On failure the buffer may hold anything the driver left.
  virtual bool QueryDeviceDescriptor(DescriptorBuffer& buffer) = 0;
};

class DeviceLayer {
 public:
  virtual ~DeviceLayer() = default;

  // The repaired IDENTIFY block of "\\.\PhysicalDrive<n>"; false (and a
  // zeroed block) when no request the drive answers succeeded.
  virtual bool IdentifyPhysicalDrive(int n, IdentifyData& block) = 0;
  // NVMe Identify Controller of "\\.\PhysicalDrive<n>" opened with `access`,
  // and Identify Namespace 1 when that answers too; false when the
  // controller gives no block.
  virtual bool IdentifyNvmeDrive(int n, DeviceAccess access, NvmeIdentify& identify) = 0;
  // The drive's length and logical sector size; nothing when unknown.
  virtual std::optional<DiskExtent> PhysicalDriveExtent(int n) = 0;
  // Paths of the present devices exposing the class, in enumeration order,
  // at most kMaxInterfacePaths, each whole.
  virtual std::vector<std::string> EnumDeviceInterfacePaths(InterfaceClass cls) = 0;
  // Opens an interface path; nothing when it fails.
  virtual std::unique_ptr<StorageDevice> OpenInterface(const std::string& path,
                                                       DeviceAccess access) = 0;

  // Drive letters: bit j of the mask is drive 'A' + j.
  virtual std::uint32_t LogicalDrives() = 0;
  virtual bool IsRemovableDrive(char letter) = 0;
  // Opens "\\?\X:"; nothing when it fails.
  virtual std::unique_ptr<StorageDevice> OpenVolume(char letter, DeviceAccess access) = 0;
};

inline constexpr std::size_t kMaxInterfacePaths = 16;

}  // namespace parvane

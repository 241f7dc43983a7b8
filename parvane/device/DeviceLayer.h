// The device layer as the pages see it: the few requests the information
// pages send to drives, behind an interface so the pages' texts can be built
// and tested from recorded buffers. Win32DeviceLayer (DeviceLayer_win.cpp)
// sends the real requests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "parvane/Identify.h"
#include "parvane/StorageText.h"

namespace parvane {

// The device interface classes the pages enumerate.
enum class InterfaceClass { Disk, Cdrom };

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
  // Paths of the present devices exposing the class, in enumeration order,
  // at most kMaxInterfacePaths, each whole.
  virtual std::vector<std::string> EnumDeviceInterfacePaths(InterfaceClass cls) = 0;
  // Opens an interface path for read and write; nothing when it fails.
  virtual std::unique_ptr<StorageDevice> OpenInterface(const std::string& path) = 0;

  // Drive letters: bit j of the mask is drive 'A' + j.
  virtual std::uint32_t LogicalDrives() = 0;
  virtual bool IsRemovableDrive(char letter) = 0;
  // Opens "\\?\X:" for reading; nothing when it fails.
  virtual std::unique_ptr<StorageDevice> OpenVolume(char letter) = 0;
};

inline constexpr std::size_t kMaxInterfacePaths = 16;

}  // namespace parvane

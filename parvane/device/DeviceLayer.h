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
#include "parvane/decode/NvmeHealth.h"
#include "parvane/decode/NvmeIdentify.h"
#include "parvane/decode/Smart.h"
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

// How one request to a physical drive ended: answered; answered with data
// that failed its checks (a wrong byte count, a driver error, an all-zero
// block, a wrong checksum); refused because the drive could not be opened
// with the access it needs (a standard user is refused read and write
// access); or failed in any other way (no such drive, a driver without the
// request, a drive that rejects the command).
enum class DriveAnswer { Answered, Invalid, Refused, Failed };

// The requests the health page sends to one physical drive, each opening
// the drive with the access it needs (kept open for the object's life). Made
// for a thread of its own: it holds nothing of the layer that made it, so it
// may outlive the layer and the dialog while a failing drive takes its time.
class DriveRequests {
 public:
  virtual ~DriveRequests() = default;
  // IDENTIFY through SMART_RCV_DRIVE_DATA (read and write access); the raw
  // block, its texts not yet repaired.
  virtual DriveAnswer SmartIdentify(IdentifyData& block) = 0;
  // IDENTIFY through the storage protocol query (no access rights).
  virtual bool ProtocolIdentify(IdentifyData& block) = 0;
  // SMART READ DATA or READ THRESHOLDS: a block that passed its checks.
  virtual DriveAnswer SmartRead(SmartFeature feature, SmartBlock& block) = 0;
  // SMART RETURN STATUS.
  virtual DriveAnswer SmartReturnStatus(SmartStatus& status) = 0;
  // NVMe Identify (controller, and namespace 1 where it answers) and the
  // SMART / Health Information log, through a handle opened with `access`.
  virtual DriveAnswer NvmeIdentifyDrive(DeviceAccess access, NvmeIdentify& identify) = 0;
  virtual DriveAnswer NvmeHealthInfo(DeviceAccess access, NvmeHealthLog& log) = 0;
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

  // The numbers n of the physical drives ("\\.\PhysicalDrive<n>") the
  // disk interface enumeration finds, ascending, each once, at most
  // kMaxInterfacePaths.
  virtual std::vector<int> PhysicalDriveNumbers() = 0;
  // The health page's requests to drive n, for a thread of its own.
  virtual std::unique_ptr<DriveRequests> OpenDriveRequests(int n) = 0;

  // Drive letters: bit j of the mask is drive 'A' + j.
  virtual std::uint32_t LogicalDrives() = 0;
  virtual bool IsRemovableDrive(char letter) = 0;
  // Opens "\\?\X:"; nothing when it fails.
  virtual std::unique_ptr<StorageDevice> OpenVolume(char letter, DeviceAccess access) = 0;
};

inline constexpr std::size_t kMaxInterfacePaths = 16;

}  // namespace parvane

// The Win32 device layer: the real requests behind DeviceLayer, and the
// single requests themselves for callers that already hold a handle.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "parvane/device/DeviceLayer.h"

namespace parvane {

// SMART_RCV_DRIVE_DATA with the 35-byte IDENTIFY input and 531-byte output
// records: true only for a whole answer without a driver error that is not
// all zeros. The block is always overwritten (zeros after a failure).
bool ReadIdentifyViaSmart(HANDLE disk, IdentifyData& block);

// SMART READ DATA or READ THRESHOLDS (SMART_RCV_DRIVE_DATA), the block
// checked as SmartBlockFromOutput does; SMART RETURN STATUS
// (SMART_SEND_DRIVE_COMMAND). A handle with read and write access.
DriveAnswer ReadSmartBlock(HANDLE disk, SmartFeature feature, SmartBlock& block);
DriveAnswer ReadSmartStatus(HANDLE disk, SmartStatus& status);

// The NVMe SMART / Health Information log through the storage protocol
// query: the controller's (global) log, else the device's.
DriveAnswer ReadNvmeHealth(HANDLE disk, NvmeHealthLog& log);

// The health requests of "\\.\PhysicalDrive<n>", for a thread of its own.
std::unique_ptr<DriveRequests> OpenDriveRequests(int n);

// IOCTL_STORAGE_QUERY_PROPERTY with the ATA IDENTIFY protocol query. Works on
// a handle opened with no access rights, so it needs no administrator.
bool ReadIdentifyViaProtocolQuery(HANDLE disk, IdentifyData& block);

// IOCTL_STORAGE_QUERY_PROPERTY with the NVMe Identify queries: the
// controller block, then namespace 1's (left out when it fails). Works on a
// handle opened with no access rights on most drivers.
bool ReadNvmeIdentify(HANDLE disk, NvmeIdentify& identify);

// IOCTL_DISK_GET_DRIVE_GEOMETRY_EX: the disk's length and sector size.
std::optional<DiskExtent> QueryDiskExtent(HANDLE disk);

// IOCTL_STORAGE_GET_MEDIA_TYPES_EX: on success the first entry (zeros when the
// answer has none) replaces the record; on failure it is left as it was.
bool QueryDiskGeometry(HANDLE device, GeometryRecord& record);

// IOCTL_STORAGE_QUERY_PROPERTY, device property, standard query; the output
// length is the buffer's own size field, never more than the buffer.
bool QueryDeviceDescriptor(HANDLE device, DescriptorBuffer& buffer);

// Present devices of the interface class, whole paths, at most 16.
std::vector<std::wstring> EnumDeviceInterfacePaths(const GUID& interfaceClass);

extern const GUID kDiskInterfaceClass;   // {53F56307-B6BF-11D0-94F2-00A0C91EFB8B}
extern const GUID kCdromInterfaceClass;  // {53F56308-B6BF-11D0-94F2-00A0C91EFB8B}

class Win32DeviceLayer final : public DeviceLayer {
 public:
  // SMART first; where it is refused (no administrator rights, or a driver
  // without it), the storage protocol query.
  bool IdentifyPhysicalDrive(int n, IdentifyData& block) override;
  bool IdentifyNvmeDrive(int n, DeviceAccess access, NvmeIdentify& identify) override;
  std::optional<DiskExtent> PhysicalDriveExtent(int n) override;
  std::vector<std::string> EnumDeviceInterfacePaths(InterfaceClass cls) override;
  // Each disk interface asked for its device number (no access rights).
  std::vector<int> PhysicalDriveNumbers() override;
  std::unique_ptr<DriveRequests> OpenDriveRequests(int n) override;
  std::unique_ptr<StorageDevice> OpenInterface(const std::string& path,
                                               DeviceAccess access) override;
  std::uint32_t LogicalDrives() override;
  bool IsRemovableDrive(char letter) override;
  std::unique_ptr<StorageDevice> OpenVolume(char letter, DeviceAccess access) override;
};

}  // namespace parvane

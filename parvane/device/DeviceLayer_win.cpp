#include "parvane/device/DeviceLayerWin.h"

#include <setupapi.h>
#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>

#include "parvane/device/HealthReading.h"
#include "platform/TextWin.h"
#include "platform/UniqueHandle.h"

namespace parvane {

const GUID kDiskInterfaceClass = {
    0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID kCdromInterfaceClass = {
    0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

namespace {

constexpr DWORD kSmartSendDriveCommand = 0x0007C084;
constexpr DWORD kSmartRcvDriveData = 0x0007C088;
constexpr DWORD kStorageGetDeviceNumber = 0x002D1080;
constexpr DWORD kStorageGetMediaTypesEx = 0x002D0C04;
constexpr DWORD kStorageQueryProperty = 0x002D1400;
constexpr DWORD kDiskGetDriveGeometryEx = 0x000700A0;
constexpr DWORD kDescriptorFieldsEnd = 32;

// A device information set (INVALID_HANDLE_VALUE for none).
struct DeviceInfoSetTraits {
  using Handle = HDEVINFO;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { SetupDiDestroyDeviceInfoList(h); }
};
using DeviceInfoSet = platform::UniqueHandle<DeviceInfoSetTraits>;

DWORD DiskAccess(DeviceAccess access) {
  return access == DeviceAccess::Full ? GENERIC_READ | GENERIC_WRITE : 0;
}

HANDLE OpenDevice(const std::wstring& name, DWORD access) {
  return CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

class Win32StorageDevice final : public StorageDevice {
 public:
  explicit Win32StorageDevice(HANDLE h) : handle_(h) {}
  bool QueryDiskGeometry(GeometryRecord& record) override {
    return parvane::QueryDiskGeometry(handle_.get(), record);
  }
  bool QueryDeviceDescriptor(DescriptorBuffer& buffer) override {
    return parvane::QueryDeviceDescriptor(handle_.get(), buffer);
  }

 private:
  platform::UniqueFile handle_;
};

std::wstring PhysicalDriveName(int n) { return L"\\\\.\\PhysicalDrive" + std::to_wstring(n); }

std::optional<NvmeIdentifyBlock> QueryNvme(HANDLE disk, const ProtocolRequest& request) {
  std::vector<std::uint8_t> buffer = ProtocolQuery(request);
  DWORD returned = 0;
  if (!DeviceIoControl(disk, kStorageQueryProperty, buffer.data(), static_cast<DWORD>(buffer.size()),
                       buffer.data(), static_cast<DWORD>(buffer.size()), &returned, nullptr))
    return std::nullopt;
  if (returned > buffer.size()) return std::nullopt;
  return NvmeBlockFromAnswer(std::span<const std::uint8_t>(buffer.data(), returned));
}

// One SMART request; false when the driver refused it. `returned` is what
// the driver says it wrote.
bool SendSmart(HANDLE disk, DWORD code, const std::array<std::uint8_t, kSmartInputSize>& input,
               std::span<std::uint8_t> out, DWORD& returned) {
  auto in = input;
  returned = 0;
  return DeviceIoControl(disk, code, in.data(), static_cast<DWORD>(in.size()), out.data(),
                         static_cast<DWORD>(out.size()), &returned, nullptr) != FALSE;
}

// The health page's requests to one drive. The two handles (read and write
// access; none) are opened when first needed and kept.
class Win32DriveRequests final : public DriveRequests {
 public:
  explicit Win32DriveRequests(int n) : name_(PhysicalDriveName(n)) {}

  DriveAnswer SmartIdentify(IdentifyData& block) override {
    HANDLE disk;
    const DriveAnswer open = Handle(DeviceAccess::Full, disk);
    if (open != DriveAnswer::Answered) return open;
    return ReadIdentifyViaSmart(disk, block) ? DriveAnswer::Answered : DriveAnswer::Invalid;
  }
  bool ProtocolIdentify(IdentifyData& block) override {
    HANDLE disk;
    return Handle(DeviceAccess::QueryOnly, disk) == DriveAnswer::Answered &&
           ReadIdentifyViaProtocolQuery(disk, block);
  }
  DriveAnswer SmartRead(SmartFeature feature, SmartBlock& block) override {
    HANDLE disk;
    const DriveAnswer open = Handle(DeviceAccess::Full, disk);
    return open != DriveAnswer::Answered ? open : ReadSmartBlock(disk, feature, block);
  }
  DriveAnswer SmartReturnStatus(SmartStatus& status) override {
    HANDLE disk;
    const DriveAnswer open = Handle(DeviceAccess::Full, disk);
    return open != DriveAnswer::Answered ? open : ReadSmartStatus(disk, status);
  }
  DriveAnswer NvmeIdentifyDrive(DeviceAccess access, NvmeIdentify& identify) override {
    HANDLE disk;
    const DriveAnswer open = Handle(access, disk);
    if (open != DriveAnswer::Answered) return open;
    return ReadNvmeIdentify(disk, identify) ? DriveAnswer::Answered : DriveAnswer::Failed;
  }
  DriveAnswer NvmeHealthInfo(DeviceAccess access, NvmeHealthLog& log) override {
    HANDLE disk;
    const DriveAnswer open = Handle(access, disk);
    return open != DriveAnswer::Answered ? open : ReadNvmeHealth(disk, log);
  }

 private:
  struct Slot {
    bool tried = false;
    bool refused = false;
    platform::UniqueFile file;
  };

  DriveAnswer Handle(DeviceAccess access, HANDLE& disk) {
    Slot& s = access == DeviceAccess::Full ? full_ : query_;
    if (!s.tried) {
      s.tried = true;
      s.file.reset(OpenDevice(name_, DiskAccess(access)));
      s.refused = !s.file.ok() && GetLastError() == ERROR_ACCESS_DENIED;
    }
    if (!s.file.ok()) return s.refused ? DriveAnswer::Refused : DriveAnswer::Failed;
    disk = s.file.get();
    return DriveAnswer::Answered;
  }

  std::wstring name_;
  Slot full_, query_;
};

std::unique_ptr<StorageDevice> OpenStorage(const std::wstring& name, DWORD access) {
  HANDLE h = OpenDevice(name, access);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32StorageDevice>(h);
}

}  // namespace

bool ReadIdentifyViaSmart(HANDLE disk, IdentifyData& block) {
  auto out = SmartIdentifyOutput();
  DWORD returned = 0;
  // Whatever the request's result, only a whole answer without a driver
  // error, and not all zeros, is a block.
  const bool sent = SendSmart(disk, kSmartRcvDriveData, SmartIdentifyInput(), out, returned);
  const auto answer = sent ? IdentifyFromSmartAnswer(out, returned) : std::nullopt;
  block = answer.value_or(IdentifyData{});
  return answer.has_value();
}

DriveAnswer ReadSmartBlock(HANDLE disk, SmartFeature feature, SmartBlock& block) {
  auto out = SmartIdentifyOutput();
  DWORD returned = 0;
  if (!SendSmart(disk, kSmartRcvDriveData, SmartCommandInput(feature), out, returned))
    return DriveAnswer::Failed;
  const auto answer = SmartBlockFromOutput(out, returned);
  if (!answer) return DriveAnswer::Invalid;
  block = *answer;
  return DriveAnswer::Answered;
}

DriveAnswer ReadSmartStatus(HANDLE disk, SmartStatus& status) {
  auto out = SmartIdentifyOutput();
  DWORD returned = 0;
  if (!SendSmart(disk, kSmartSendDriveCommand, SmartCommandInput(SmartFeature::ReturnStatus), out,
                 returned))
    return DriveAnswer::Failed;
  status = SmartStatusFromOutput(out, returned);
  return status == SmartStatus::Unknown ? DriveAnswer::Invalid : DriveAnswer::Answered;
}

DriveAnswer ReadNvmeHealth(HANDLE disk, NvmeHealthLog& log) {
  DriveAnswer result = DriveAnswer::Failed;
  for (std::uint32_t property : {kStorageAdapterProtocolSpecificProperty, kStorageDeviceProtocolSpecificProperty}) {
    std::vector<std::uint8_t> buffer = ProtocolQuery(NvmeHealthRequest(property));
    DWORD returned = 0;
    if (!DeviceIoControl(disk, kStorageQueryProperty, buffer.data(), static_cast<DWORD>(buffer.size()),
                         buffer.data(), static_cast<DWORD>(buffer.size()), &returned, nullptr))
      continue;
    const auto answer = returned <= buffer.size()
                            ? NvmeHealthFromAnswer(std::span<const std::uint8_t>(buffer.data(), returned))
                            : std::nullopt;
    if (answer) {
      log = *answer;
      return DriveAnswer::Answered;
    }
    result = DriveAnswer::Invalid;
  }
  return result;
}

std::unique_ptr<DriveRequests> OpenDriveRequests(int n) { return std::make_unique<Win32DriveRequests>(n); }

bool ReadIdentifyViaProtocolQuery(HANDLE disk, IdentifyData& block) {
  auto buffer = AtaIdentifyProtocolQuery();
  DWORD returned = 0;
  BOOL ok = DeviceIoControl(disk, kStorageQueryProperty, buffer.data(),
                            static_cast<DWORD>(buffer.size()), buffer.data(),
                            static_cast<DWORD>(buffer.size()), &returned, nullptr);
  block = {};
  if (!ok || returned < buffer.size()) return false;
  auto answer = IdentifyFromProtocolAnswer(buffer);
  if (!answer) return false;
  block = *answer;
  return true;
}

bool ReadNvmeIdentify(HANDLE disk, NvmeIdentify& identify) {
  auto controller = QueryNvme(disk, NvmeControllerRequest());
  if (!controller) return false;
  identify.controller = *controller;
  identify.ns = QueryNvme(disk, NvmeNamespaceRequest());
  return true;
}

std::optional<DiskExtent> QueryDiskExtent(HANDLE disk) {
  DISK_GEOMETRY_EX geometry{};
  DWORD returned = 0;
  if (!DeviceIoControl(disk, kDiskGetDriveGeometryEx, nullptr, 0, &geometry, sizeof geometry,
                       &returned, nullptr) ||
      returned < offsetof(DISK_GEOMETRY_EX, Data))
    return std::nullopt;
  return DiskExtent{static_cast<std::uint64_t>(geometry.DiskSize.QuadPart),
                    geometry.Geometry.BytesPerSector};
}

bool QueryDiskGeometry(HANDLE device, GeometryRecord& record) {
  MediaTypesBuffer out{};
  DWORD returned = 0;
  if (!DeviceIoControl(device, kStorageGetMediaTypesEx, nullptr, 0, out.data(),
                       static_cast<DWORD>(out.size()), &returned, nullptr))
    return false;
  // An answer without a media entry leaves the zeroed entry: this device
  // shows no geometry rather than the previous device's.
  record = GeometryFromMediaTypes(out);
  return true;
}

bool QueryDeviceDescriptor(HANDLE device, DescriptorBuffer& buffer) {
  auto query = DevicePropertyQuery();
  DWORD size = static_cast<DWORD>(buffer[4]) | (static_cast<DWORD>(buffer[5]) << 8) |
               (static_cast<DWORD>(buffer[6]) << 16) | (static_cast<DWORD>(buffer[7]) << 24);
  if (size > buffer.size()) size = static_cast<DWORD>(buffer.size());
  DWORD returned = 0;
  if (!DeviceIoControl(device, kStorageQueryProperty, query.data(),
                       static_cast<DWORD>(query.size()), buffer.data(), size, &returned,
                       nullptr))
    return false;
  // The answer must reach at least the fields the pages read (through the
  // bus type); a bare success says nothing about the device.
  return returned >= kDescriptorFieldsEnd;
}

std::vector<std::wstring> EnumDeviceInterfacePaths(const GUID& interfaceClass) {
  std::vector<std::wstring> paths;
  DeviceInfoSet set(SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr,
                                         DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  if (!set.ok()) return paths;
  for (DWORD i = 0; paths.size() < kMaxInterfacePaths; ++i) {
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &interfaceClass, i, &data)) break;
    // Ask for the size first so that no path is ever cut short.
    DWORD needed = 0;
    SetupDiGetDeviceInterfaceDetailW(set.get(), &data, nullptr, 0, &needed, nullptr);
    if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) break;
    std::vector<std::uint8_t> storage(needed + sizeof(WCHAR));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail, needed, nullptr, nullptr))
      break;
    const auto* first = detail->DevicePath;
    const auto* end = reinterpret_cast<const WCHAR*>(storage.data() + storage.size());
    const WCHAR* p = first;
    while (p < end && *p != L'\0') ++p;
    paths.emplace_back(first, p);
  }
  return paths;
}

bool Win32DeviceLayer::IdentifyPhysicalDrive(int n, IdentifyData& block) {
  Win32DriveRequests requests(n);
  return IdentifyAtaDrive(requests, block);
}

bool Win32DeviceLayer::IdentifyNvmeDrive(int n, DeviceAccess access, NvmeIdentify& identify) {
  platform::UniqueFile disk(OpenDevice(PhysicalDriveName(n), DiskAccess(access)));
  return disk.ok() && ReadNvmeIdentify(disk.get(), identify);
}

std::optional<DiskExtent> Win32DeviceLayer::PhysicalDriveExtent(int n) {
  platform::UniqueFile disk(OpenDevice(PhysicalDriveName(n), 0));
  if (!disk.ok()) return std::nullopt;
  return QueryDiskExtent(disk.get());
}

std::vector<std::string> Win32DeviceLayer::EnumDeviceInterfacePaths(InterfaceClass cls) {
  std::vector<std::string> out;
  for (const auto& path : parvane::EnumDeviceInterfacePaths(
           cls == InterfaceClass::Disk ? kDiskInterfaceClass : kCdromInterfaceClass))
    out.push_back(platform::Narrow(path));
  return out;
}

std::unique_ptr<StorageDevice> Win32DeviceLayer::OpenInterface(const std::string& path,
                                                               DeviceAccess access) {
  return OpenStorage(platform::Widen(path), DiskAccess(access));
}

std::vector<int> Win32DeviceLayer::PhysicalDriveNumbers() {
  std::vector<int> numbers;
  for (const auto& path : parvane::EnumDeviceInterfacePaths(kDiskInterfaceClass)) {
    platform::UniqueFile disk(OpenDevice(path, 0));
    if (!disk.ok()) continue;
    STORAGE_DEVICE_NUMBER number{};
    DWORD returned = 0;
    if (DeviceIoControl(disk.get(), kStorageGetDeviceNumber, nullptr, 0, &number, sizeof number,
                        &returned, nullptr) &&
        returned >= sizeof number && number.DeviceNumber <= 0x7FFFFFFF)
      numbers.push_back(static_cast<int>(number.DeviceNumber));
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

std::unique_ptr<DriveRequests> Win32DeviceLayer::OpenDriveRequests(int n) {
  return parvane::OpenDriveRequests(n);
}

std::uint32_t Win32DeviceLayer::LogicalDrives() { return GetLogicalDrives(); }

bool Win32DeviceLayer::IsRemovableDrive(char letter) {
  const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
  return GetDriveTypeW(root) == DRIVE_REMOVABLE;
}

std::unique_ptr<StorageDevice> Win32DeviceLayer::OpenVolume(char letter, DeviceAccess access) {
  std::wstring name = L"\\\\?\\";
  name += static_cast<wchar_t>(letter);
  name += L':';
  return OpenStorage(name, access == DeviceAccess::Full ? GENERIC_READ : 0);
}

}  // namespace parvane

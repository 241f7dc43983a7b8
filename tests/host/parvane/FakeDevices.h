// Recorded devices for the pages' tests: a device layer whose drives answer
// from records the test builds, and builders for the records a driver
// returns (geometry and storage descriptor).
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "parvane/decode/StorageText.h"
#include "parvane/device/DeviceLayer.h"

namespace parvane_test {

using parvane::DescriptorBuffer;
using parvane::DeviceAccess;
using parvane::DeviceLayer;
using parvane::DiskExtent;
using parvane::NvmeIdentify;
using parvane::GeometryRecord;
using parvane::IdentifyData;
using parvane::InterfaceClass;
using parvane::StorageDevice;

inline void PutU32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline GeometryRecord Geometry(std::uint64_t cylinders, std::uint32_t media,
                               std::uint32_t tracks, std::uint32_t sectors, std::uint32_t bytes) {
  GeometryRecord r{};
  PutU32(r.data(), static_cast<std::uint32_t>(cylinders));
  PutU32(r.data() + 4, static_cast<std::uint32_t>(cylinders >> 32));
  PutU32(r.data() + 8, media);
  PutU32(r.data() + 12, tracks);
  PutU32(r.data() + 16, sectors);
  PutU32(r.data() + 20, bytes);
  return r;
}

// A descriptor as a driver fills it: texts after the fixed part.
inline DescriptorBuffer Descriptor(std::uint32_t bus, bool removable, const char* vendor,
                                   const char* product, const char* revision, const char* serial) {
  DescriptorBuffer b = parvane::NewDescriptorBuffer();
  b[10] = removable ? 1 : 0;
  PutU32(b.data() + 28, bus);
  std::size_t at = 40;
  const char* texts[] = {vendor, product, revision, serial};
  for (int i = 0; i < 4; ++i) {
    if (!texts[i]) continue;
    PutU32(b.data() + 12 + 4 * i, static_cast<std::uint32_t>(at));
    std::memcpy(b.data() + at, texts[i], std::strlen(texts[i]) + 1);
    at += std::strlen(texts[i]) + 1;
  }
  return b;
}

// What one device answers: a failed query leaves the caller's record as it was.
struct FakeDevice {
  bool geometryOk = true;
  bool descriptorOk = true;
  GeometryRecord geometry{};
  DescriptorBuffer descriptor{};
  std::uint32_t answerSize = 120;
};

// Interface paths by class, drive letters by mask, and drive 0's IDENTIFY
// block (none: the request fails) or NVMe Identify data. A standard user is
// refused every open with full access.
class FakeLayer final : public DeviceLayer {
 public:
  std::map<std::string, FakeDevice> devices;  // by path or "X:"
  std::vector<std::string> disks, cdroms;
  std::uint32_t mask = 0;
  std::string removable;
  std::optional<IdentifyData> drive0;
  std::optional<NvmeIdentify> nvme0;
  std::optional<DeviceAccess> nvmeOnlyWith;  // the one access the NVMe queries work with
  std::optional<DiskExtent> extent0;
  bool standardUser = false;
  int identifyCalls = 0;
  std::vector<DeviceAccess> nvmeCalls;
  std::vector<std::pair<std::string, DeviceAccess>> opens;  // granted ones

  bool IdentifyPhysicalDrive(int n, IdentifyData& block) override {
    ++identifyCalls;
    block = n == 0 && drive0 ? *drive0 : IdentifyData{};
    return n == 0 && drive0.has_value();
  }
  bool IdentifyNvmeDrive(int n, DeviceAccess access, NvmeIdentify& identify) override {
    nvmeCalls.push_back(access);
    if (n != 0 || !nvme0 || (nvmeOnlyWith && *nvmeOnlyWith != access)) return false;
    identify = *nvme0;
    return true;
  }
  std::optional<DiskExtent> PhysicalDriveExtent(int n) override {
    return n == 0 ? extent0 : std::nullopt;
  }
  std::vector<std::string> EnumDeviceInterfacePaths(InterfaceClass cls) override {
    return cls == InterfaceClass::Disk ? disks : cdroms;
  }
  std::unique_ptr<StorageDevice> OpenInterface(const std::string& path,
                                               DeviceAccess access) override {
    return Open(path, access);
  }
  std::uint32_t LogicalDrives() override { return mask; }
  bool IsRemovableDrive(char letter) override {
    return removable.find(letter) != std::string::npos;
  }
  std::unique_ptr<StorageDevice> OpenVolume(char letter, DeviceAccess access) override {
    return Open(std::string(1, letter) + ":", access);
  }

 private:
  struct Dev final : StorageDevice {
    explicit Dev(const FakeDevice& d) : d_(d) {}
    bool QueryDiskGeometry(GeometryRecord& r) override {
      if (d_.geometryOk) r = d_.geometry;
      return d_.geometryOk;
    }
    // As a driver does: fills at most the length the size field asks for,
    // then stores its own answer's size there.
    bool QueryDeviceDescriptor(DescriptorBuffer& b) override {
      if (!d_.descriptorOk) return false;
      std::uint32_t asked = b[4] | (b[5] << 8) | (b[6] << 16) | (b[7] << 24);
      std::memcpy(b.data(), d_.descriptor.data(), std::min<std::size_t>(asked, b.size()));
      std::memcpy(b.data() + 4, &d_.answerSize, 4);
      return true;
    }
    FakeDevice d_;
  };
  std::unique_ptr<StorageDevice> Open(const std::string& key, DeviceAccess access) {
    auto it = devices.find(key);
    if (it == devices.end() || (standardUser && access == DeviceAccess::Full)) return nullptr;
    opens.emplace_back(key, access);
    return std::make_unique<Dev>(it->second);
  }
};

}  // namespace parvane_test

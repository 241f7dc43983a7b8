// Recorded devices for the pages' tests: a device layer whose drives answer
// from records the test builds, and builders for the records a driver
// returns (geometry and storage descriptor).
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
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

// Holds the requests of a drive that takes its time until the test opens
// it (at most a minute, so that a failed test still ends).
class Gate {
 public:
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  void Pass() {
    std::unique_lock lock(mutex_);
    opened_.wait_for(lock, std::chrono::minutes(1), [&] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

// A physical drive as the health page asks it: an ATA drive with its raw
// IDENTIFY block (texts as the drive sends them) and SMART answers, or an
// NVMe drive. A block that fails its checks is answered as invalid, as the
// Win32 side answers it.
struct FakeHealthDrive {
  std::optional<IdentifyData> ata;
  std::optional<parvane::SmartBlock> data, thresholds;
  parvane::SmartStatus status = parvane::SmartStatus::Unknown;
  std::optional<NvmeIdentify> nvme;
  std::optional<parvane::NvmeHealthLog> log;
  std::optional<DeviceAccess> nvmeOnlyWith;
  bool refusesFullAccess = false;  // as for a standard user
  std::shared_ptr<Gate> gate;      // every request waits for it
};

// The requests of one fake drive: a copy of it, so they may outlive the layer.
class FakeDriveRequests final : public parvane::DriveRequests {
 public:
  FakeDriveRequests(FakeHealthDrive drive, bool refused, std::shared_ptr<std::atomic<int>> live)
      : d_(std::move(drive)), refused_(refused), live_(std::move(live)) {
    ++*live_;
  }
  ~FakeDriveRequests() override { --*live_; }

  parvane::DriveAnswer SmartIdentify(IdentifyData& block) override {
    Wait();
    if (refused_) return Refused;
    if (!d_.ata) return Failed;
    block = *d_.ata;
    return Answered;
  }
  bool ProtocolIdentify(IdentifyData& block) override {
    Wait();
    if (d_.ata) block = *d_.ata;
    return d_.ata.has_value();
  }
  parvane::DriveAnswer SmartRead(parvane::SmartFeature feature, parvane::SmartBlock& block) override {
    Wait();
    if (refused_) return Refused;
    const auto& answer = feature == parvane::SmartFeature::ReadData ? d_.data : d_.thresholds;
    if (!d_.ata || !answer) return Failed;
    if (!parvane::IsValidSmartBlock(*answer)) return Invalid;
    block = *answer;
    return Answered;
  }
  parvane::DriveAnswer SmartReturnStatus(parvane::SmartStatus& status) override {
    Wait();
    if (refused_) return Refused;
    if (!d_.ata) return Failed;
    status = d_.status;
    return status == parvane::SmartStatus::Unknown ? Invalid : Answered;
  }
  parvane::DriveAnswer NvmeIdentifyDrive(DeviceAccess access, NvmeIdentify& identify) override {
    Wait();
    if (!Nvme(access)) return refused_ && access == DeviceAccess::Full ? Refused : Failed;
    if (!d_.nvme) return Failed;
    identify = *d_.nvme;
    return Answered;
  }
  parvane::DriveAnswer NvmeHealthInfo(DeviceAccess access, parvane::NvmeHealthLog& log) override {
    Wait();
    if (!Nvme(access)) return refused_ && access == DeviceAccess::Full ? Refused : Failed;
    if (!d_.log) return Failed;
    log = *d_.log;
    return Answered;
  }

 private:
  static constexpr auto Answered = parvane::DriveAnswer::Answered;
  static constexpr auto Invalid = parvane::DriveAnswer::Invalid;
  static constexpr auto Refused = parvane::DriveAnswer::Refused;
  static constexpr auto Failed = parvane::DriveAnswer::Failed;

  void Wait() {
    if (d_.gate) d_.gate->Pass();
  }
  bool Nvme(DeviceAccess access) const {
    if (refused_ && access == DeviceAccess::Full) return false;
    return !d_.nvmeOnlyWith || *d_.nvmeOnlyWith == access;
  }

  FakeHealthDrive d_;
  bool refused_;
  std::shared_ptr<std::atomic<int>> live_;
};

// Interface paths by class, drive letters by mask, and drive 0's IDENTIFY
// block (none: the request fails) or NVMe Identify data, and the physical
// drives the health page asks. A standard user is refused every device and
// volume open with full access; a health drive refuses it when it says so
// (FakeHealthDrive::refusesFullAccess).
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
  std::map<int, FakeHealthDrive> healthDrives;  // by drive number
  std::shared_ptr<std::atomic<int>> liveRequests = std::make_shared<std::atomic<int>>(0);

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
  std::vector<int> PhysicalDriveNumbers() override {
    std::vector<int> numbers;
    for (const auto& [n, drive] : healthDrives) numbers.push_back(n);
    return numbers;
  }
  std::unique_ptr<parvane::DriveRequests> OpenDriveRequests(int n) override {
    auto it = healthDrives.find(n);
    FakeHealthDrive drive = it == healthDrives.end() ? FakeHealthDrive{} : it->second;
    const bool refused = drive.refusesFullAccess;
    return std::make_unique<FakeDriveRequests>(std::move(drive), refused, liveRequests);
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

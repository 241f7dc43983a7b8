// The Win32 device layer and system facts under Wine. Wine has no disk
// drivers that answer the storage requests, so these tests hold the layer to
// its failure rules (empty results, zeroed blocks, records left alone) and
// accept a real answer where one comes.
#include <gtest/gtest.h>

#include <windows.h>

#include "parvane/SystemFactsWin.h"
#include <algorithm>

#include "parvane/device/DeviceLayerWin.h"
#include "parvane/device/HealthReading.h"
#include "parvane/device/StorageScan.h"
#include "platform/RegistryMemory.h"

using namespace parvane;

namespace {

// A handle to an ordinary file: every storage request on it fails.
class TempFile {
 public:
  TempFile() {
    wchar_t dir[MAX_PATH], name[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"pvt", 0, name);
    path_ = name;
    h_ = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                     FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  }
  ~TempFile() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  HANDLE get() const { return h_; }

 private:
  std::wstring path_;
  HANDLE h_;
};

bool AllZero(const IdentifyData& b) {
  for (auto byte : b.bytes)
    if (byte != 0) return false;
  return true;
}

TEST(Win32Requests, FailedIdentifyRequestsLeaveAZeroedBlock) {
  TempFile file;
  ASSERT_NE(INVALID_HANDLE_VALUE, file.get());
  IdentifyData block;
  block.bytes.fill(0xAA);
  EXPECT_FALSE(ReadIdentifyViaSmart(file.get(), block));
  EXPECT_TRUE(AllZero(block));
  block.bytes.fill(0xAA);
  EXPECT_FALSE(ReadIdentifyViaProtocolQuery(file.get(), block));
  EXPECT_TRUE(AllZero(block));
}

TEST(Win32Requests, FailedStorageQueriesLeaveTheGeometryRecordAlone) {
  TempFile file;
  GeometryRecord record;
  record.fill(0x5A);
  EXPECT_FALSE(QueryDiskGeometry(INVALID_HANDLE_VALUE, record));
  for (auto byte : record) EXPECT_EQ(0x5A, byte);
  DescriptorBuffer buffer = NewDescriptorBuffer();
  EXPECT_FALSE(QueryDeviceDescriptor(file.get(), buffer));
}

TEST(Win32Requests, AnsweredMediaTypesReplaceTheRecordEvenWithoutAnEntry) {
  // Whatever the handle answers, the record follows the request's own
  // result: a success without a media entry is a zero entry for this device,
  // not the previous device's geometry.
  TempFile file;
  MediaTypesBuffer probe{};
  DWORD returned = 0;
  const bool answered = DeviceIoControl(file.get(), 0x2D0C04, nullptr, 0, probe.data(),
                                        static_cast<DWORD>(probe.size()), &returned, nullptr);
  GeometryRecord record;
  record.fill(0x5A);
  EXPECT_EQ(answered, QueryDiskGeometry(file.get(), record));
  for (auto byte : record) EXPECT_EQ(answered ? 0 : 0x5A, byte);
}

TEST(Win32Requests, DescriptorQueryNeverAsksForMoreThanTheBuffer) {
  TempFile file;
  DescriptorBuffer buffer = NewDescriptorBuffer();
  buffer[5] = 0x7F;  // a size field far beyond the 551 bytes
  EXPECT_FALSE(QueryDeviceDescriptor(file.get(), buffer));
}

TEST(Win32DeviceLayer, EnumerationOfAClassWithoutDevicesIsEmpty) {
  const GUID nothing = {0x8A1C21D5, 0x31F4, 0x4C2E, {1, 2, 3, 4, 5, 6, 7, 8}};
  EXPECT_TRUE(EnumDeviceInterfacePaths(nothing).empty());
  Win32DeviceLayer layer;
  EXPECT_LE(layer.EnumDeviceInterfacePaths(InterfaceClass::Cdrom).size(), kMaxInterfacePaths);
  EXPECT_LE(layer.EnumDeviceInterfacePaths(InterfaceClass::Disk).size(), kMaxInterfacePaths);
}

TEST(Win32DeviceLayer, IdentifyGivesARepairedBlockOrAZeroedFailure) {
  Win32DeviceLayer layer;
  IdentifyData block;
  block.bytes.fill(0xAA);
  EXPECT_FALSE(layer.IdentifyPhysicalDrive(97, block));
  EXPECT_TRUE(AllZero(block));
  block.bytes.fill(0xAA);
  if (layer.IdentifyPhysicalDrive(0, block)) {
    EXPECT_FALSE(IdentifyText(block, kModelField).empty());
  } else {
    EXPECT_TRUE(AllZero(block));
  }
}

TEST(Win32DeviceLayer, PagesTextsAreBuiltWhateverTheDevicesAnswer) {
  Win32DeviceLayer layer;
  const std::string cd = CdromPageText(layer);
  EXPECT_TRUE(cd.empty() || cd.rfind("\r\r\n光驱接口:", 0) == 0);
  const std::string usb = UsbPageText(layer);
  const std::string none = "\r\n没有U盘\r\n";
  const bool endsNone = usb.size() >= none.size() && usb.substr(usb.size() - none.size()) == none;
  EXPECT_TRUE(endsNone || usb.find("\r\n 正在使用U盘:      ") != std::string::npos);
  EXPECT_EQ(nullptr, layer.OpenVolume('[', DeviceAccess::Full));
  EXPECT_EQ(nullptr, layer.OpenVolume('[', DeviceAccess::QueryOnly));
}

TEST(Win32DeviceLayer, NvmeIdentifyOfAFileOrAMissingDriveFails) {
  TempFile file;
  NvmeIdentify identify;
  identify.controller.bytes.fill(0xAA);
  EXPECT_FALSE(ReadNvmeIdentify(file.get(), identify));
  EXPECT_EQ(0xAA, identify.controller.bytes[0]) << "a failed request leaves the block alone";
  EXPECT_FALSE(QueryDiskExtent(file.get()));
  Win32DeviceLayer layer;
  for (DeviceAccess access : {DeviceAccess::QueryOnly, DeviceAccess::Full})
    EXPECT_FALSE(layer.IdentifyNvmeDrive(97, access, identify));
  EXPECT_FALSE(layer.PhysicalDriveExtent(97));
}

// The health requests against what Wine has: a file answers none of them,
// a missing drive opens neither way, and the drives the enumeration finds
// are each named once, in order.
TEST(Win32DeviceLayer, HealthRequestsFailSoundlyWhereNoDriveAnswers) {
  TempFile file;
  SmartBlock block;
  block.bytes.fill(0xAA);
  EXPECT_EQ(DriveAnswer::Failed, ReadSmartBlock(file.get(), SmartFeature::ReadData, block));
  EXPECT_EQ(0xAA, block.bytes[0]) << "a failed request leaves the block alone";
  SmartStatus status = SmartStatus::Passing;
  EXPECT_EQ(DriveAnswer::Failed, ReadSmartStatus(file.get(), status));
  NvmeHealthLog log;
  EXPECT_EQ(DriveAnswer::Failed, ReadNvmeHealth(file.get(), log));

  Win32DeviceLayer layer;
  const DriveHealthReading missing = ReadDriveHealth(*layer.OpenDriveRequests(97));
  EXPECT_EQ(HealthProtocol::None, missing.protocol);
  EXPECT_EQ(HealthGap::NoAnswer, missing.gap);

  const std::vector<int> drives = layer.PhysicalDriveNumbers();
  EXPECT_LE(drives.size(), kMaxInterfacePaths);
  EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end()));
  EXPECT_EQ(drives.end(), std::adjacent_find(drives.begin(), drives.end()));
}

TEST(Win32DeviceLayer, DriveLettersAreRemovableOnesFromTheMask) {
  Win32DeviceLayer layer;
  const std::uint32_t mask = layer.LogicalDrives();
  for (char c : FindUsbDriveLetters(layer)) {
    EXPECT_TRUE(mask & (1u << (c - 'A'))) << c;
    EXPECT_TRUE(layer.IsRemovableDrive(c)) << c;
  }
  EXPECT_FALSE(layer.IsRemovableDrive('C'));
}

TEST(SystemFacts, WindowsAnswersTheVersionEnvironmentAndNames) {
  SetEnvironmentVariableW(L"PARVANE_TEST_VAR", L"值");
  SystemFacts facts = QuerySystemFacts();
  ASSERT_TRUE(facts.version);
  EXPECT_EQ(2u, facts.version->platformId);
  EXPECT_TRUE(facts.ntFamily);
  EXPECT_EQ("值", facts.environment("PARVANE_TEST_VAR").value_or("-"));
  EXPECT_FALSE(facts.environment("PARVANE_SURELY_UNSET"));
  // Set but empty expands to nothing, as the system's own expansion does.
  SetEnvironmentVariableW(L"PARVANE_TEST_EMPTY", L"");
  EXPECT_EQ("", facts.environment("PARVANE_TEST_EMPTY").value_or("-"));
  ASSERT_TRUE(facts.computerName);
  EXPECT_FALSE(facts.computerName->empty());

  platform::RegistryMemory reg;
  auto rows = SystemDirsPageRows(reg, facts);
  EXPECT_EQ("TMP = " + facts.environment("TMP").value_or("%TMP%"), rows[8].value.value_or("-"));
  EXPECT_EQ(*facts.computerName, SystemInfoPageRows(reg, facts)[0].value.value_or("-"));
}

}  // namespace

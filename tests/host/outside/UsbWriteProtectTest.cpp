// USB write protection without a window: the policy value read and written
// through the registry seam, the policies of Windows that decide over it,
// the state line, which switch is enabled, the refusals, and the USB drives
// found through recorded devices.
#include <gtest/gtest.h>

#include "outside/usb/UsbDrives.h"
#include "outside/usb/WriteProtect.h"
#include "platform/RegistryMemory.h"
#include "tests/host/parvane/FakeDevices.h"

namespace {

using platform::RegRoot;
using usb::ProtectState;
using Kind = usb::ProtectState::Kind;
using Bytes = std::vector<std::uint8_t>;

constexpr RegRoot kLm = RegRoot::LocalMachine;

class WriteProtectValue : public ::testing::Test {
 protected:
  void Put(std::uint32_t type, Bytes data) {
    registry.Put(kLm, usb::kPolicyKey, usb::kPolicyValue, type, std::move(data));
  }
  const platform::RegValue* Stored() const {
    return registry.Find(kLm, usb::kPolicyKey, usb::kPolicyValue);
  }
  platform::RegistryMemory registry;
};

TEST_F(WriteProtectValue, MissingKeyOrValueReadsAsWritable) {
  EXPECT_EQ((ProtectState{Kind::Writable, 0}), usb::ReadProtectState(registry));
  registry.PutDword(kLm, usb::kPolicyKey, "Other", 1);
  EXPECT_EQ((ProtectState{Kind::Writable, 0}), usb::ReadProtectState(registry));
  EXPECT_EQ(0u, registry.OpenKeyCount());
}

TEST_F(WriteProtectValue, DwordZeroAndOneAreTheTwoStates) {
  Put(platform::kRegDword, {0, 0, 0, 0});
  EXPECT_EQ(Kind::Writable, usb::ReadProtectState(registry).kind);
  Put(platform::kRegDword, {1, 0, 0, 0});
  EXPECT_EQ(Kind::ReadOnly, usb::ReadProtectState(registry).kind);
  EXPECT_EQ(0u, registry.OpenKeyCount());
}

TEST_F(WriteProtectValue, AnyOtherNumberTypeOrLengthIsUnknown) {
  struct Case {
    std::uint32_t type;
    Bytes data;
    std::uint32_t raw;
  } cases[] = {
      {platform::kRegDword, {2, 0, 0, 0}, 2},
      {platform::kRegDword, {0, 0, 0, 0x80}, 0x80000000u},
      {platform::kRegSz, {'1', 0, 0, 0}, 49},  // "1" as the W functions store it
      {platform::kRegSz, {'1'}, 49},           // and as the A functions may
      {platform::kRegBinary, {1, 0, 0, 0}, 1},
      {11 /* REG_QWORD */, {1, 0, 0, 0, 0, 0, 0, 0}, 1},
      {platform::kRegDword, {1, 0}, 1},  // too short to be a DWORD
      {platform::kRegDword, {}, 0},
  };
  for (const Case& c : cases) {
    Put(c.type, c.data);
    EXPECT_EQ((ProtectState{Kind::Unknown, c.raw}), usb::ReadProtectState(registry))
        << "type " << c.type << ", " << c.data.size() << " bytes";
  }
}

TEST_F(WriteProtectValue, StateLines) {
  EXPECT_EQ("当前状态：可读写", usb::StateLine({Kind::Writable, 0}));
  EXPECT_EQ("当前状态：只读（写保护已开启）", usb::StateLine({Kind::ReadOnly, 1}));
  EXPECT_EQ("当前状态：未知 (值 49)", usb::StateLine({Kind::Unknown, 49}));
  EXPECT_EQ("当前状态：未知 (值 4294967295)", usb::StateLine({Kind::Unknown, 0xFFFFFFFFu}));
  EXPECT_EQ("设置失败 (错误 5)", usb::FailureLine(5));
}

TEST_F(WriteProtectValue, WritingCreatesTheKeyAndStoresExactlyFourBytes) {
  ASSERT_FALSE(registry.KeyExists(kLm, usb::kPolicyKey));
  EXPECT_EQ(0, usb::WriteProtectValue(registry, true));
  ASSERT_NE(nullptr, Stored());
  EXPECT_EQ(platform::kRegDword, Stored()->type);
  EXPECT_EQ((Bytes{1, 0, 0, 0}), Stored()->data);
  EXPECT_EQ(0, usb::WriteProtectValue(registry, false));
  EXPECT_EQ((Bytes{0, 0, 0, 0}), Stored()->data);
  EXPECT_EQ(0u, registry.OpenKeyCount());
}

TEST_F(WriteProtectValue, WritingReplacesAForeignTypeAndLeavesOtherValuesAlone) {
  Put(platform::kRegSz, {'1', 0, 0, 0});
  registry.PutText(kLm, usb::kPolicyKey, "Note", "kept");
  const Bytes noteBefore = registry.Find(kLm, usb::kPolicyKey, "Note")->data;
  EXPECT_EQ(0, usb::WriteProtectValue(registry, true));
  EXPECT_EQ(platform::kRegDword, Stored()->type);
  EXPECT_EQ((Bytes{1, 0, 0, 0}), Stored()->data);
  const platform::RegValue* note = registry.Find(kLm, usb::kPolicyKey, "Note");
  ASSERT_NE(nullptr, note);
  EXPECT_EQ(noteBefore, note->data);
}

TEST_F(WriteProtectValue, ADeniedWriteGivesItsErrorAndStoresNothing) {
  registry.PutDword(kLm, usb::kPolicyKey, usb::kPolicyValue, 0);
  registry.DenyWrites(kLm, usb::kPolicyKey);
  EXPECT_EQ(platform::kRegAccessDenied, usb::WriteProtectValue(registry, true));
  EXPECT_EQ((Bytes{0, 0, 0, 0}), Stored()->data);
  EXPECT_EQ(0u, registry.OpenKeyCount());
}

// --- the panel: what the dialog shows and what its switches do ---------------

class ProtectPanelTest : public WriteProtectValue {};

TEST_F(ProtectPanelTest, TheSwitchForTheCurrentStateIsDisabled) {
  usb::ProtectPanel missing(registry, true);
  EXPECT_EQ("当前状态：可读写", missing.View().stateLine);
  EXPECT_TRUE(missing.View().onEnabled);
  EXPECT_FALSE(missing.View().offEnabled);
  EXPECT_FALSE(missing.View().shield);
  EXPECT_EQ("", missing.View().message);

  Put(platform::kRegDword, {1, 0, 0, 0});
  usb::ProtectPanel on(registry, true);
  EXPECT_FALSE(on.View().onEnabled);
  EXPECT_TRUE(on.View().offEnabled);

  // Neither state is current: either switch mends it.
  Put(platform::kRegSz, {'1', 0, 0, 0});
  usb::ProtectPanel unknown(registry, true);
  EXPECT_EQ("当前状态：未知 (值 49)", unknown.View().stateLine);
  EXPECT_TRUE(unknown.View().onEnabled);
  EXPECT_TRUE(unknown.View().offEnabled);
}

TEST_F(ProtectPanelTest, ASwitchWritesSaysSoAndReadsTheStateBack) {
  usb::ProtectPanel panel(registry, true);
  panel.Switch(true);
  EXPECT_EQ((Bytes{1, 0, 0, 0}), Stored()->data);
  EXPECT_EQ("当前状态：只读（写保护已开启）", panel.View().stateLine);
  EXPECT_EQ(usb::kSuccessLine, panel.View().message);
  EXPECT_EQ("设置成功。请拔出并重新插入U盘，设置才会生效。", panel.View().message);
  EXPECT_FALSE(panel.View().onEnabled);
  EXPECT_TRUE(panel.View().offEnabled);
  panel.Switch(false);
  EXPECT_EQ((Bytes{0, 0, 0, 0}), Stored()->data);
  EXPECT_EQ("当前状态：可读写", panel.View().stateLine);
  EXPECT_TRUE(panel.View().onEnabled);
  EXPECT_FALSE(panel.View().offEnabled);
}

TEST_F(ProtectPanelTest, AFailedWriteIsNoSuccessAndTheStateIsReadAgain) {
  usb::ProtectPanel panel(registry, true);
  // Changed behind the dialog's back, then refused.
  registry.PutDword(kLm, usb::kPolicyKey, usb::kPolicyValue, 7);
  registry.DenyWrites(kLm, usb::kPolicyKey);
  panel.Switch(true);
  EXPECT_EQ("设置失败 (错误 5)", panel.View().message);
  EXPECT_EQ("当前状态：未知 (值 7)", panel.View().stateLine);
  EXPECT_TRUE(panel.View().onEnabled);
  EXPECT_TRUE(panel.View().offEnabled);
}

TEST_F(ProtectPanelTest, WithoutRightsTheSwitchesCarryTheShieldAndOnlyExplain) {
  usb::ProtectPanel panel(registry, false);
  EXPECT_TRUE(panel.View().shield);
  EXPECT_TRUE(panel.View().onEnabled);
  panel.Switch(true);
  EXPECT_EQ("需要管理员权限才能更改U盘写保护。", panel.View().message);
  EXPECT_FALSE(registry.KeyExists(kLm, usb::kPolicyKey));
  EXPECT_EQ("当前状态：可读写", panel.View().stateLine);
}

// --- the policies that decide over the value ------------------------------------

using usb::Policy;
constexpr RegRoot kCu = RegRoot::CurrentUser;

TEST_F(WriteProtectValue, ThePoliciesAreReadStrongestFirstAndNeverWritten) {
  EXPECT_EQ(Policy::None, usb::ReadPolicy(registry));
  // Off, or not a number, decides nothing.
  registry.PutDword(kLm, usb::kRemovableDisksPolicyKey, "Deny_Write", 0);
  registry.PutText(kCu, usb::kStoragePolicyKey, "Deny_All", "1");
  registry.Put(kLm, usb::kBitLockerPolicyKey, "RDVDenyWriteAccess", platform::kRegDword, {1, 0});
  EXPECT_EQ(Policy::None, usb::ReadPolicy(registry));

  registry.PutDword(kLm, usb::kBitLockerPolicyKey, "RDVDenyWriteAccess", 1);
  EXPECT_EQ(Policy::BitLockerDenyWrite, usb::ReadPolicy(registry));
  registry.PutDword(kCu, usb::kRemovableDisksPolicyKey, "Deny_Write", 1);
  EXPECT_EQ(Policy::DenyWrite, usb::ReadPolicy(registry));
  registry.PutDword(kCu, usb::kStoragePolicyKey, "Deny_All", 2);
  EXPECT_EQ(Policy::DenyAll, usb::ReadPolicy(registry));
  EXPECT_EQ(0u, registry.OpenKeyCount());
  // The user's policies do not reach the machine's keys.
  EXPECT_EQ(0u, registry.Find(kLm, usb::kRemovableDisksPolicyKey, "Deny_Write")->data[0]);
  EXPECT_EQ(nullptr, registry.Find(kLm, usb::kStoragePolicyKey, "Deny_All"));
}

TEST_F(ProtectPanelTest, APolicyMakesTheStateAndTheSwitchesSaySo) {
  registry.PutDword(kLm, usb::kRemovableDisksPolicyKey, "Deny_Write", 1);
  usb::ProtectPanel panel(registry, true);
  EXPECT_EQ("当前状态：只读（由组策略设置）", panel.View().stateLine);
  EXPECT_EQ("组策略“可移动磁盘: 拒绝写入权限”优先于写保护开关。", panel.View().message);
  // The switches follow the value, which they alone change.
  EXPECT_TRUE(panel.View().onEnabled);
  EXPECT_FALSE(panel.View().offEnabled);
  panel.Switch(true);
  EXPECT_EQ((Bytes{1, 0, 0, 0}), Stored()->data);
  EXPECT_EQ("当前状态：只读（由组策略设置）", panel.View().stateLine);
  EXPECT_EQ("设置成功，但组策略“可移动磁盘: 拒绝写入权限”优先，状态不变。", panel.View().message);
  EXPECT_FALSE(panel.View().onEnabled);
  EXPECT_TRUE(panel.View().offEnabled);
  EXPECT_EQ((Bytes{1, 0, 0, 0}),
            registry.Find(kLm, usb::kRemovableDisksPolicyKey, "Deny_Write")->data);

  EXPECT_EQ("当前状态：禁止读写（由组策略设置）", usb::StateLine({Kind::Writable, 0}, Policy::DenyAll));
  EXPECT_EQ("当前状态：只读（由 BitLocker 策略设置）",
            usb::StateLine({Kind::Unknown, 7}, Policy::BitLockerDenyWrite));
  EXPECT_EQ("组策略“所有可移动存储类: 拒绝所有权限”优先于写保护开关。",
            usb::PolicyNote(Policy::DenyAll));
  EXPECT_EQ("组策略“拒绝对不受 BitLocker 保护的可移动驱动器的写入权限”优先于写保护开关。",
            usb::PolicyNote(Policy::BitLockerDenyWrite));
}

// --- the drives ----------------------------------------------------------------

using parvane_test::Descriptor;
using parvane_test::FakeDevice;
using parvane_test::FakeLayer;

constexpr std::uint32_t kBusUsb = 7, kBusSd = 12, kBusSata = 11;

FakeDevice Volume(std::uint32_t bus, const char* vendor, const char* product) {
  FakeDevice d;
  d.descriptor = Descriptor(bus, true, vendor, product, "1.00", "0001");
  return d;
}

void AddDrive(FakeLayer& layer, char letter, bool removable, FakeDevice device) {
  layer.mask |= 1u << (letter - 'A');
  if (removable) layer.removable += letter;
  layer.devices[std::string(1, letter) + ":"] = device;
}

TEST(UsbDrives, RemovableUsbVolumesByLetterWithTheirModels) {
  FakeLayer layer;
  layer.standardUser = true;  // the query needs no access rights
  AddDrive(layer, 'C', false, Volume(kBusSata, "ATA", "Samsung SSD"));
  AddDrive(layer, 'G', true, Volume(kBusUsb, "SanDisk ", "Cruzer Blade    "));
  AddDrive(layer, 'E', true, Volume(kBusUsb, "Kingston", "DataTraveler 3.0"));
  AddDrive(layer, 'F', true, Volume(kBusSd, "Generic", "SD Card"));
  AddDrive(layer, 'H', false, Volume(kBusUsb, "WD", "Elements"));  // not removable
  FakeDevice silent = Volume(kBusUsb, "X", "Y");
  silent.descriptorOk = false;
  AddDrive(layer, 'K', true, silent);
  layer.mask |= 1u << ('M' - 'A');  // removable, but its volume does not open
  layer.removable += 'M';

  const std::vector<usb::UsbDrive> drives = usb::ListUsbDrives(layer);
  EXPECT_EQ((std::vector<usb::UsbDrive>{{'E', "Kingston DataTraveler 3.0"},
                                        {'G', "SanDisk Cruzer Blade"}}),
            drives);
  EXPECT_EQ("E:  Kingston DataTraveler 3.0\r\nG:  SanDisk Cruzer Blade", usb::DriveListText(drives));
}

TEST(UsbDrives, NamelessDrivesAndNone) {
  FakeLayer layer;
  AddDrive(layer, 'E', true, Volume(kBusUsb, nullptr, "   "));
  AddDrive(layer, 'F', true, Volume(kBusUsb, nullptr, "Flash Disk"));
  AddDrive(layer, 'Z', true, Volume(kBusUsb, "Vendor", nullptr));
  const std::vector<usb::UsbDrive> drives = usb::ListUsbDrives(layer);
  EXPECT_EQ("E:\r\nF:  Flash Disk\r\nZ:  Vendor", usb::DriveListText(drives));
  FakeLayer none;
  EXPECT_EQ("没有U盘", usb::DriveListText(usb::ListUsbDrives(none)));
}

}  // namespace

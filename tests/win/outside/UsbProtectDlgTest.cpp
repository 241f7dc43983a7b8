// The USB write-protection dialog in the test's own process, with the
// resources of the built USB.dll, made modeless and hidden: its state line
// over Wine's real registry (under scratch roots) and over the registry
// seam, with each policy that decides over the switch, its buttons clicked
// with button messages, the bytes they write, writes refused by a key's
// access list and by the seam, the administrator shield, the drive list
// from recorded devices (and from a volume that does not answer), and 200
// openings. Then the library's entry by ordinal, modal over a caller.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <sddl.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "outside/usb/UsbProtectDlg.h"
#include "platform/RegistryMemory.h"
#include "platform/RegistryWin.h"
#include "platform/TextWin.h"
#include "res/usb/resource.h"
#include "tests/host/parvane/FakeDevices.h"
#include "tests/win/common/GuiResources.h"
#include "tests/win/common/MonitorScale.h"
#include "tests/win/common/ModalProbe.h"
#include "tests/win/common/ScratchRegistry.h"
#include "tests/win/common/TextFit.h"
#include "tests/win/common/WindowPicture.h"
#include "tests/win/framework/TestPump.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const wchar_t kKey[] = L"SYSTEM\\CurrentControlSet\\Control\\StorageDevicePolicies";
const wchar_t kValue[] = L"WriteProtect";

std::wstring ItemText(HWND dialog, int id) {
  wchar_t text[512] = {};
  GetDlgItemTextW(dialog, id, text, 512);
  return text;
}
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
// The drive list once the drives have answered (within 10 s).
std::wstring Drives(HWND dialog) {
  const std::wstring listing = platform::Widen(CUsbProtectDlg::kListingDrivesLine);
  const ULONGLONG until = GetTickCount64() + 10000;
  while (ItemText(dialog, IDC_USB_DRIVES) == listing && GetTickCount64() < until) flush_events(20);
  return ItemText(dialog, IDC_USB_DRIVES);
}
// A click as the button reports it: BM_CLICK presses and releases it.
void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// The shield requests the dialog sends its buttons, seen on the way in.
std::vector<std::pair<int, LPARAM>> g_shields;
LRESULT CALLBACK RecordShield(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == BCM_SETSHIELD)
    g_shields.emplace_back(GetDlgCtrlID(call->hwnd), call->lParam);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class UsbProtectDialog : public dravon_test::ScratchRegistry {
 protected:
  UsbProtectDialog() : ScratchRegistry(L"UsbProtect") {}

  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    module_ = LoadLibraryW(L"USB.dll");
  }
  void SetUp() override {
    ScratchRegistry::SetUp();
    ASSERT_NE(module_, nullptr) << "USB.dll holds the template";
  }
  void TearDown() override {
    dialog_.reset();
    ScratchRegistry::TearDown();
  }

  HWND Open(platform::Registry& registry, bool elevated = true) {
    dialog_.reset();
    dialog_ = std::make_unique<afx::Window<CUsbProtectDlg>>(module_, nullptr, registry, devices_,
                                                           elevated);
    EXPECT_TRUE(dialog_->Create());
    return dialog_->m_hWnd;
  }
  HWND Open() { return Open(real_); }

  Bytes Stored(DWORD* type) { return StoredW(kKey, kValue, type); }

  static inline HMODULE module_ = nullptr;
  platform::RegistryWin real_;
  std::shared_ptr<parvane_test::FakeLayer> fake_ = std::make_shared<parvane_test::FakeLayer>();
  std::shared_ptr<parvane::DeviceLayer> devices_ = fake_;
  std::unique_ptr<afx::Window<CUsbProtectDlg>> dialog_;
};

TEST_F(UsbProtectDialog, OpensOnTheStateOfAMissingKey) {
  HWND dialog = Open();
  ASSERT_NE(nullptr, dialog);
  wchar_t caption[64] = {};
  GetWindowTextW(dialog, caption, 64);
  EXPECT_STREQ(L"U盘读写保护", caption);
  EXPECT_NE(nullptr, dialog_->GetIcon(true));
  EXPECT_EQ(L"当前状态：可读写", ItemText(dialog, IDC_USB_STATE));
  EXPECT_EQ(L"", ItemText(dialog, IDC_USB_MESSAGE));
  EXPECT_EQ(L"开启写保护", ItemText(dialog, IDC_USB_PROTECT_ON));
  EXPECT_EQ(L"关闭写保护", ItemText(dialog, IDC_USB_PROTECT_OFF));
  EXPECT_EQ(L"关闭", ItemText(dialog, IDCANCEL));
  EXPECT_TRUE(Enabled(dialog, IDC_USB_PROTECT_ON));
  EXPECT_FALSE(Enabled(dialog, IDC_USB_PROTECT_OFF));
  // Only looking creates nothing.
  HKEY key = nullptr;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(lm_, kKey, 0, KEY_READ, &key));
}

TEST_F(UsbProtectDialog, StateLinesOfTheStoredValues) {
  const DWORD zero = 0, one = 1, two = 2;
  PutW(kKey, kValue, REG_DWORD, &zero, 4);
  EXPECT_EQ(L"当前状态：可读写", ItemText(Open(), IDC_USB_STATE));
  PutW(kKey, kValue, REG_DWORD, &one, 4);
  HWND dialog = Open();
  EXPECT_EQ(L"当前状态：只读（写保护已开启）", ItemText(dialog, IDC_USB_STATE));
  EXPECT_FALSE(Enabled(dialog, IDC_USB_PROTECT_ON));
  EXPECT_TRUE(Enabled(dialog, IDC_USB_PROTECT_OFF));
  PutW(kKey, kValue, REG_DWORD, &two, 4);
  EXPECT_EQ(L"当前状态：未知 (值 2)", ItemText(Open(), IDC_USB_STATE));
  // A text "1", as a registry editor stores it: not the number the system reads.
  PutTextW(kKey, kValue, L"1");
  dialog = Open();
  EXPECT_EQ(L"当前状态：未知 (值 49)", ItemText(dialog, IDC_USB_STATE));
  EXPECT_TRUE(Enabled(dialog, IDC_USB_PROTECT_ON));
  EXPECT_TRUE(Enabled(dialog, IDC_USB_PROTECT_OFF));
}

TEST_F(UsbProtectDialog, ClicksWriteExactlyOneDwordAndShowTheNewState) {
  HWND dialog = Open();
  Click(dialog, IDC_USB_PROTECT_ON);
  DWORD type = REG_NONE;
  EXPECT_EQ((Bytes{1, 0, 0, 0}), Stored(&type));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ(L"当前状态：只读（写保护已开启）", ItemText(dialog, IDC_USB_STATE));
  EXPECT_EQ(L"设置成功。请拔出并重新插入U盘，设置才会生效。", ItemText(dialog, IDC_USB_MESSAGE));
  EXPECT_FALSE(Enabled(dialog, IDC_USB_PROTECT_ON));
  EXPECT_TRUE(Enabled(dialog, IDC_USB_PROTECT_OFF));

  Click(dialog, IDC_USB_PROTECT_OFF);
  EXPECT_EQ((Bytes{0, 0, 0, 0}), Stored(&type));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ(L"当前状态：可读写", ItemText(dialog, IDC_USB_STATE));
  EXPECT_TRUE(Enabled(dialog, IDC_USB_PROTECT_ON));
  EXPECT_FALSE(Enabled(dialog, IDC_USB_PROTECT_OFF));

  // The key holds that one value and nothing else.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(lm_, kKey, 0, KEY_READ, &key));
  DWORD values = 0, subkeys = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  EXPECT_EQ(1u, values);
  EXPECT_EQ(0u, subkeys);
}

TEST_F(UsbProtectDialog, ADeniedWriteShowsItsErrorAndTheStateReadAgain) {
  platform::RegistryMemory memory;
  HWND dialog = Open(memory);
  memory.PutDword(platform::RegRoot::LocalMachine, usb::kPolicyKey, usb::kPolicyValue, 1);
  memory.DenyWrites(platform::RegRoot::LocalMachine, usb::kPolicyKey);
  Click(dialog, IDC_USB_PROTECT_ON);
  EXPECT_EQ(L"设置失败 (错误 5)", ItemText(dialog, IDC_USB_MESSAGE));
  EXPECT_EQ(L"当前状态：只读（写保护已开启）", ItemText(dialog, IDC_USB_STATE));
  EXPECT_FALSE(Enabled(dialog, IDC_USB_PROTECT_ON));
  EXPECT_TRUE(Enabled(dialog, IDC_USB_PROTECT_OFF));
  EXPECT_EQ(0u, memory.OpenKeyCount());
}

// The key's access list as SDDL, set through a handle that may change it.
void SetKeyAccess(HKEY root, const wchar_t* path, const wchar_t* sddl) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(root, path, 0, WRITE_DAC, &key));
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd));
  LocalFree(sd);
  RegCloseKey(key);
}

TEST_F(UsbProtectDialog, AWriteTheRegistryRefusesIsReportedWithItsError) {
  const DWORD zero = 0;
  PutW(kKey, kValue, REG_DWORD, &zero, 4);
  SetKeyAccess(lm_, kKey, L"D:P(A;;KR;;;WD)");  // everyone may read, no one write
  HWND dialog = Open();
  Click(dialog, IDC_USB_PROTECT_ON);
  EXPECT_EQ(L"设置失败 (错误 5)", ItemText(dialog, IDC_USB_MESSAGE));
  EXPECT_EQ(L"当前状态：可读写", ItemText(dialog, IDC_USB_STATE));
  EXPECT_TRUE(Enabled(dialog, IDC_USB_PROTECT_ON));
  SetKeyAccess(lm_, kKey, L"D:P(A;;KA;;;WD)");  // so the scratch tree can go
  DWORD type = REG_NONE;
  EXPECT_EQ((Bytes{0, 0, 0, 0}), Stored(&type));
}

TEST_F(UsbProtectDialog, AStandardUserSeesTheShieldAndAClickOnlyExplains) {
  g_shields.clear();
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordShield, nullptr, GetCurrentThreadId());
  HWND dialog = Open(real_, false);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ((std::vector<std::pair<int, LPARAM>>{{IDC_USB_PROTECT_ON, TRUE}, {IDC_USB_PROTECT_OFF, TRUE}}),
            g_shields);
  Click(dialog, IDC_USB_PROTECT_ON);
  EXPECT_EQ(L"需要管理员权限才能更改U盘写保护。", ItemText(dialog, IDC_USB_MESSAGE));
  EXPECT_EQ(L"当前状态：可读写", ItemText(dialog, IDC_USB_STATE));
  HKEY key = nullptr;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(lm_, kKey, 0, KEY_READ, &key)) << "nothing written";

  g_shields.clear();
  hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordShield, nullptr, GetCurrentThreadId());
  Open(real_, true);
  UnhookWindowsHookEx(hook);
  EXPECT_TRUE(g_shields.empty()) << "no shield for an administrator";
}

void AddUsbDrive(parvane_test::FakeLayer& layer, char letter, const char* vendor, const char* product) {
  layer.mask |= 1u << (letter - 'A');
  layer.removable += letter;
  parvane_test::FakeDevice device;
  device.descriptor = parvane_test::Descriptor(7, true, vendor, product, "1.00", "0001");
  layer.devices[std::string(1, letter) + ":"] = device;
}

TEST_F(UsbProtectDialog, ListsTheAttachedDrivesWithAScrollBarOnlyWhenNeeded) {
  HWND dialog = Open();
  EXPECT_EQ(L"没有U盘", Drives(dialog));
  AddUsbDrive(*fake_, 'E', "Kingston", "DataTraveler 3.0");
  dialog = Open();
  EXPECT_EQ(L"E:  Kingston DataTraveler 3.0", Drives(dialog));
  HWND list = GetDlgItem(dialog, IDC_USB_DRIVES);
  EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL);
  EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & ES_READONLY);
  for (char letter = 'F'; letter <= 'N'; ++letter) AddUsbDrive(*fake_, letter, "Generic", "Flash Disk");
  dialog = Open();
  const std::wstring text = Drives(dialog);
  EXPECT_EQ(0u, text.find(L"E:  Kingston DataTraveler 3.0\r\nF:  Generic Flash Disk\r\n"));
  EXPECT_NE(std::wstring::npos, text.find(L"\r\nN:  Generic Flash Disk"));
  EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, IDC_USB_DRIVES), GWL_STYLE) & WS_VSCROLL);
}

// ---- display scale ------------------------------------------------------------

int IconWidthOf(HWND dialog) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    ICONINFO info{};
    auto icon = reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0));
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bm.bmWidth;
  }
  return 0;
}

TEST_F(UsbProtectDialog, AtEveryScaleItsIconIsTheScaledOneAndItsTextsFit) {
  for (char letter = 'E'; letter <= 'G'; ++letter) AddUsbDrive(*fake_, letter, "Generic", "Flash Disk");
  for (const int dpi : {120, 144, 192}) {
    SCOPED_TRACE(dpi);
    dravon_test::MonitorScale monitor(96);
    HWND dialog = Open(real_, false);
    Drives(dialog);
    const int iconAt96 = IconWidthOf(dialog);
    const LONG listStyle = GetWindowLongW(GetDlgItem(dialog, IDC_USB_DRIVES), GWL_STYLE) & WS_VSCROLL;
    for (const auto& o : dravon_test::OverflowingTexts(dialog, 96)) ADD_FAILURE() << "at 96: " << o;
    monitor.MoveTo(dialog, static_cast<UINT>(dpi));
    EXPECT_EQ(afx::SystemMetricForDpi(SM_CXICON, static_cast<UINT>(dpi)), IconWidthOf(dialog));
    for (const auto& o : dravon_test::OverflowingTexts(dialog, dpi)) ADD_FAILURE() << o;
    // Three lines fit the list at every scale, as at 96 DPI.
    EXPECT_EQ(listStyle, GetWindowLongW(GetDlgItem(dialog, IDC_USB_DRIVES), GWL_STYLE) & WS_VSCROLL);
    monitor.MoveTo(dialog, 96);
    EXPECT_EQ(iconAt96, IconWidthOf(dialog));
    dialog_.reset();
  }
}

TEST_F(UsbProtectDialog, TwoHundredChangesOfScaleLeaveNoObjectBehind) {
  AddUsbDrive(*fake_, 'E', "Kingston", "DataTraveler 3.0");
  dravon_test::MonitorScale monitor(96);
  HWND dialog = Open(real_, false);
  Drives(dialog);
  for (const UINT dpi : {120u, 192u}) {
    monitor.MoveTo(dialog, dpi);
    monitor.MoveTo(dialog, 96);
  }
  flush_events(20);
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  for (int i = 0; i < 100; ++i) {
    monitor.MoveTo(dialog, i % 2 ? 120 : 192);
    monitor.MoveTo(dialog, 96);
  }
  flush_events(20);
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_LE(std::abs(after.gdi - before.gdi), dravon_test::kGdiCacheSlack) << before.gdi << " " << after.gdi;
  EXPECT_EQ(after.user, before.user);
  dialog_.reset();
}

// Pictures for a person to look at (build/win/screenshots/usb-dpi*.bmp).
TEST_F(UsbProtectDialog, ShownAtOneAndAHalfAndTwiceTheScale) {
  for (char letter = 'E'; letter <= 'F'; ++letter) AddUsbDrive(*fake_, letter, "Generic", "Flash Disk");
  for (const int dpi : {144, 192}) {
    dravon_test::MonitorScale monitor(96);
    HWND dialog = Open(real_, false);
    Drives(dialog);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    monitor.MoveTo(dialog, static_cast<UINT>(dpi));
    flush_events(200);
    dravon_test::Save(dravon_test::Capture(dialog), (L"usb-dpi" + std::to_wstring(dpi) + L".bmp").c_str());
    dialog_.reset();
  }
}

TEST_F(UsbProtectDialog, OpenedAndClosedTwoHundredTimesLeavesNothingBehind) {
  AddUsbDrive(*fake_, 'E', "Kingston", "DataTraveler 3.0");
  for (int i = 0; i < 3; ++i) Open(real_, false);
  dialog_.reset();
  flush_events(50);
  const dravon_test::GuiCounts before = dravon_test::CurrentGuiCounts();
  ASSERT_GT(before.gdi, 0);
  for (int i = 0; i < 200; ++i) {
    HWND dialog = Open(real_, i % 2 == 0);
    ASSERT_NE(nullptr, dialog);
    if (i % 50 == 0) Drives(dialog);  // some with their list filled late
    Click(dialog, i % 4 < 2 ? IDC_USB_PROTECT_ON : IDC_USB_PROTECT_OFF);
  }
  dialog_.reset();
  flush_events(50);
  const dravon_test::GuiCounts after = dravon_test::CurrentGuiCounts();
  EXPECT_GE(after.gdi, before.gdi - dravon_test::kGdiCacheSlack);
  EXPECT_LE(after.gdi, before.gdi + dravon_test::kGdiCacheSlack);
  EXPECT_EQ(before.user, after.user);
}

// A removable volume that does not answer (a drive whose device hangs)
// until the test releases it: the dialog opens at once, says it is still
// looking, and fills the list when the volume answers; one closed before
// that is gone at once, and its answer, when it comes, reaches nothing.
class HangingVolume final : public parvane::DeviceLayer {
 public:
  HangingVolume(std::shared_ptr<parvane_test::FakeLayer> fake, HANDLE released)
      : fake_(std::move(fake)), released_(released) {}

  bool IdentifyPhysicalDrive(int n, parvane::IdentifyData& block) override {
    return fake_->IdentifyPhysicalDrive(n, block);
  }
  bool IdentifyNvmeDrive(int n, parvane::DeviceAccess access,
                         parvane::NvmeIdentify& identify) override {
    return fake_->IdentifyNvmeDrive(n, access, identify);
  }
  std::optional<parvane::DiskExtent> PhysicalDriveExtent(int n) override {
    return fake_->PhysicalDriveExtent(n);
  }
  std::vector<std::string> EnumDeviceInterfacePaths(parvane::InterfaceClass cls) override {
    return fake_->EnumDeviceInterfacePaths(cls);
  }
  std::unique_ptr<parvane::StorageDevice> OpenInterface(const std::string& path,
                                                        parvane::DeviceAccess access) override {
    return fake_->OpenInterface(path, access);
  }
  std::vector<int> PhysicalDriveNumbers() override { return fake_->PhysicalDriveNumbers(); }
  std::unique_ptr<parvane::DriveRequests> OpenDriveRequests(int n) override {
    return fake_->OpenDriveRequests(n);
  }
  std::uint32_t LogicalDrives() override { return fake_->LogicalDrives(); }
  bool IsRemovableDrive(char letter) override { return fake_->IsRemovableDrive(letter); }
  std::unique_ptr<parvane::StorageDevice> OpenVolume(char letter,
                                                     parvane::DeviceAccess access) override {
    // Half a minute at most: a dialog that waits fails rather than hangs.
    if (letter == 'F') WaitForSingleObject(released_, 30000);
    return fake_->OpenVolume(letter, access);
  }

 private:
  std::shared_ptr<parvane_test::FakeLayer> fake_;
  HANDLE released_;  // the test's
};

TEST_F(UsbProtectDialog, AVolumeThatDoesNotAnswerFillsTheListLater) {
  AddUsbDrive(*fake_, 'E', "Kingston", "DataTraveler 3.0");
  AddUsbDrive(*fake_, 'F', "Slow", "Stick");
  struct Event {
    HANDLE handle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~Event() {
      SetEvent(handle);  // nothing waits past the test
      CloseHandle(handle);
    }
  } first, second;
  devices_ = std::make_shared<HangingVolume>(fake_, first.handle);
  const ULONGLONG start = GetTickCount64();
  HWND dialog = Open();
  const ULONGLONG opened = GetTickCount64() - start;
  flush_events(100);
  EXPECT_EQ(platform::Widen(CUsbProtectDlg::kListingDrivesLine), ItemText(dialog, IDC_USB_DRIVES));
  EXPECT_EQ(L"当前状态：可读写", ItemText(dialog, IDC_USB_STATE));
  SetEvent(first.handle);
  EXPECT_EQ(L"E:  Kingston DataTraveler 3.0\r\nF:  Slow Stick", Drives(dialog));

  // Closed while the volume hangs: the answer that comes after reaches no one.
  devices_ = std::make_shared<HangingVolume>(fake_, second.handle);
  const std::weak_ptr<parvane::DeviceLayer> held = devices_;
  Open();
  devices_.reset();
  dialog_.reset();
  SetEvent(second.handle);
  const ULONGLONG until = GetTickCount64() + 10000;
  while (!held.expired() && GetTickCount64() < until) flush_events(20);
  EXPECT_TRUE(held.expired()) << "the listing thread ended and let go of the devices";
  std::printf("opened in %llu ms with a volume that does not answer\n", opened);
}

// --- the policies that decide over the switch ---------------------------------------

const wchar_t kStorage[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices";
const wchar_t kDisks[] =
    L"SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices\\"
    L"{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
const wchar_t kBitLocker[] = L"SYSTEM\\CurrentControlSet\\Policies\\Microsoft\\FVE";

// Each policy value, set under the machine's or the user's root, decides
// the state line whatever WriteProtect says; the switches still write
// WriteProtect alone and say the policy decides. The policies are never
// written.
TEST_F(UsbProtectDialog, EachPolicyValueDecidesTheStateAndTheSwitchesSaySo) {
  const struct {
    bool machine;
    const wchar_t* key;
    const wchar_t* value;
    const wchar_t* state;
    const wchar_t* policy;
  } cases[] = {
      {true, kStorage, L"Deny_All", L"当前状态：禁止读写（由组策略设置）", L"所有可移动存储类: 拒绝所有权限"},
      {false, kStorage, L"Deny_All", L"当前状态：禁止读写（由组策略设置）", L"所有可移动存储类: 拒绝所有权限"},
      {true, kDisks, L"Deny_Write", L"当前状态：只读（由组策略设置）", L"可移动磁盘: 拒绝写入权限"},
      {false, kDisks, L"Deny_Write", L"当前状态：只读（由组策略设置）", L"可移动磁盘: 拒绝写入权限"},
      {true, kBitLocker, L"RDVDenyWriteAccess", L"当前状态：只读（由 BitLocker 策略设置）",
       L"拒绝对不受 BitLocker 保护的可移动驱动器的写入权限"},
  };
  const DWORD one = 1, zero = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    SCOPED_TRACE(c.machine ? "machine" : "user");
    const HKEY root = c.machine ? lm_ : cu_;
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(root, c.key, c.value, REG_DWORD, &one, 4));
    PutW(kKey, kValue, REG_DWORD, &zero, 4);
    HWND dialog = Open();
    EXPECT_EQ(c.state, ItemText(dialog, IDC_USB_STATE));
    EXPECT_EQ(std::wstring(L"组策略“") + c.policy + L"”优先于写保护开关。",
              ItemText(dialog, IDC_USB_MESSAGE));
    EXPECT_TRUE(Enabled(dialog, IDC_USB_PROTECT_ON));
    Click(dialog, IDC_USB_PROTECT_ON);
    DWORD type = REG_NONE;
    EXPECT_EQ((Bytes{1, 0, 0, 0}), Stored(&type));
    EXPECT_EQ(c.state, ItemText(dialog, IDC_USB_STATE));
    EXPECT_EQ(std::wstring(L"设置成功，但组策略“") + c.policy + L"”优先，状态不变。",
              ItemText(dialog, IDC_USB_MESSAGE));
    EXPECT_FALSE(Enabled(dialog, IDC_USB_PROTECT_ON));
    // Read, never written.
    DWORD stored = 0, size = sizeof stored;
    EXPECT_EQ(ERROR_SUCCESS,
              RegGetValueW(root, c.key, c.value, RRF_RT_REG_DWORD, nullptr, &stored, &size));
    EXPECT_EQ(1u, stored);
    dialog_.reset();
    RegDeleteTreeW(root, L"SOFTWARE\\Policies");
    RegDeleteTreeW(root, L"SYSTEM\\CurrentControlSet\\Policies");
  }
  // A policy set to 0 decides nothing.
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(lm_, kDisks, L"Deny_Write", REG_DWORD, &zero, 4));
  HWND dialog = Open();
  EXPECT_EQ(L"当前状态：只读（写保护已开启）", ItemText(dialog, IDC_USB_STATE));
  EXPECT_EQ(L"", ItemText(dialog, IDC_USB_MESSAGE));
}

// --- the library's entry ------------------------------------------------------------

using Entry = int (*)();

class UsbEntry : public UsbProtectDialog {
 protected:
  // Calls ordinal 1 over a caller's window; `inspect` sees the dialog, which
  // "关闭" then closes.
  void Call(const dravon_test::WindowInspect& inspect) {
    auto entry = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(1))));
    ASSERT_NE(entry, nullptr);
    HWND frame = CreateWindowExW(0, L"STATIC", L"caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetActiveWindow(frame);
    bool seen = false;
    auto look = [&](HWND dialog) {
      seen = true;
      EXPECT_EQ(frame, GetWindow(dialog, GW_OWNER));
      EXPECT_FALSE(IsWindowEnabled(frame)) << "modal to its caller";
      inspect(dialog);
    };
    EXPECT_EQ(0, dravon_test::CallWithModalProbe(entry, dravon_test::WithCaption(L"U盘读写保护"),
                                                  look, dravon_test::kCancel));
    EXPECT_TRUE(seen);
    DestroyWindow(frame);
  }
};

TEST_F(UsbEntry, OrdinalOneSwitchesTheMachinesValueAndReturnsZero) {
  const DWORD one = 1;
  PutW(kKey, kValue, REG_DWORD, &one, 4);
  Call([&](HWND dialog) {
    EXPECT_EQ(L"当前状态：只读（写保护已开启）", ItemText(dialog, IDC_USB_STATE));
    Click(dialog, IDC_USB_PROTECT_OFF);
    EXPECT_EQ(L"当前状态：可读写", ItemText(dialog, IDC_USB_STATE));
    // The clicked button is disabled now: the keyboard goes on with "关闭".
    EXPECT_EQ(GetDlgItem(dialog, IDCANCEL), GetFocus());
  });
  DWORD type = REG_NONE;
  EXPECT_EQ((Bytes{0, 0, 0, 0}), Stored(&type));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
}

TEST_F(UsbEntry, AsAStandardUserItAsksForRights) {
  SetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", L"1");
  Call([&](HWND dialog) {
    Click(dialog, IDC_USB_PROTECT_ON);
    EXPECT_EQ(L"需要管理员权限才能更改U盘写保护。", ItemText(dialog, IDC_USB_MESSAGE));
  });
  SetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", nullptr);
  DWORD type = REG_NONE;
  EXPECT_TRUE(Stored(&type).empty());
}

}  // namespace

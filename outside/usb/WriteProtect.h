// The machine-wide write protection of USB storage: one REG_DWORD under
// HKLM that the storage stack reads when a device is attached (1: attached
// read-only; 0 or missing: writable). Policies of Windows can deny writing
// (or all access) to removable storage whatever that value says; the dialog
// tells the state they make, but switches only the value and never changes
// a policy. What the dialog shows and what a click on its buttons does,
// over the registry seam, so all of it can be tested without a window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"

namespace usb {

inline constexpr char kPolicyKey[] = "SYSTEM\\CurrentControlSet\\Control\\StorageDevicePolicies";
inline constexpr char kPolicyValue[] = "WriteProtect";

struct ProtectState {
  enum class Kind : std::uint8_t { Writable, ReadOnly, Unknown };
  Kind kind = Kind::Writable;
  // For Unknown: the value's first four bytes, little-endian, as a DWORD
  // read of it would see them (a REG_SZ "1" written as Unicode gives 49).
  std::uint32_t raw = 0;
  friend bool operator==(const ProtectState&, const ProtectState&) = default;
};

// Reads the value: a missing key or value is Writable; REG_DWORD 0 or 1 is
// Writable or ReadOnly; anything else (another number, type or length, or a
// key that cannot be read) is Unknown.
ProtectState ReadProtectState(platform::Registry& registry);

// Creates the key when missing and stores exactly REG_DWORD `on` (4 bytes),
// nothing else. The Win32 error number, 0 on success.
long WriteProtectValue(platform::Registry& registry, bool on);

// The policies that decide over the value, strongest first; each a
// REG_DWORD other than 0.
enum class Policy : std::uint8_t {
  None,
  // "Deny_All" under kStoragePolicyKey, the machine's or the user's: no
  // removable storage may be read or written.
  DenyAll,
  // "Deny_Write" under kRemovableDisksPolicyKey, the machine's or the
  // user's: removable disks are read-only.
  DenyWrite,
  // "RDVDenyWriteAccess" under kBitLockerPolicyKey (the machine's):
  // removable drives BitLocker does not protect are read-only.
  BitLockerDenyWrite,
};
inline constexpr char kStoragePolicyKey[] =
    "SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices";
inline constexpr char kRemovableDisksPolicyKey[] =
    "SOFTWARE\\Policies\\Microsoft\\Windows\\RemovableStorageDevices\\"
    "{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
inline constexpr char kBitLockerPolicyKey[] = "SYSTEM\\CurrentControlSet\\Policies\\Microsoft\\FVE";

// The strongest policy set, read only.
Policy ReadPolicy(platform::Registry& registry);

// The dialog's texts. With a policy set, the state line is the one it
// makes, whatever the value says.
std::string StateLine(const ProtectState& state, Policy policy = Policy::None);
// Under the state line while a policy decides: which one, and that the
// switches do not change what it makes.
std::string PolicyNote(Policy policy);
// After a switch that went through while a policy decides.
std::string OverriddenLine(Policy policy);
std::string FailureLine(long error);
extern const char kSuccessLine[];
extern const char kNeedsAdminLine[];

// What the dialog shows: the state line, which switch buttons are enabled
// (the one for the value's state is not; both are when it is unknown),
// whether they carry the administrator shield, and the line under them
// (from the start, the policy that decides, if any).
struct ProtectView {
  std::string stateLine;
  bool onEnabled = false;
  bool offEnabled = false;
  bool shield = false;
  std::string message;
};

// The dialog's logic: reads the state and the policies when made and after
// every switch.
class ProtectPanel {
 public:
  ProtectPanel(platform::Registry& registry, bool elevated);

  const ProtectView& View() const { return view_; }
  // A click on "开启写保护" (on) or "关闭写保护" (off). Without rights it only
  // says so; otherwise it writes, says whether that worked and reads back.
  void Switch(bool on);

 private:
  void Refresh();

  platform::Registry& registry_;
  bool elevated_;
  Policy policy_ = Policy::None;
  ProtectView view_;
};

}  // namespace usb

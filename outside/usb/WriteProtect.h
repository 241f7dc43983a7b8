// The machine-wide write protection of USB storage: one REG_DWORD under
// HKLM that the storage stack reads when a device is attached (1: attached
// read-only; 0 or missing: writable). What the dialog shows of it and what a
// click on its buttons does, over the registry seam, so all of it can be
// tested without a window.
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

// The dialog's texts.
std::string StateLine(const ProtectState& state);
std::string FailureLine(long error);
extern const char kSuccessLine[];
extern const char kNeedsAdminLine[];

// What the dialog shows: the state line, which switch buttons are enabled
// (the one for the current state is not; both are when it is unknown),
// whether they carry the administrator shield, and the line under them.
struct ProtectView {
  std::string stateLine;
  bool onEnabled = false;
  bool offEnabled = false;
  bool shield = false;
  std::string message;
};

// The dialog's logic: reads the state when made and after every switch.
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
  ProtectView view_;
};

}  // namespace usb

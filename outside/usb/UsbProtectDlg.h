// The USB write-protection dialog: the policy's state, the USB drives
// attached now, and the two switches. Its logic is usb::ProtectPanel; the
// dialog only shows the panel's view and passes clicks to it.
#pragma once

#include <optional>
#include <vector>

#include "framework/LibraryDialog.h"
#include "outside/usb/UsbDrives.h"
#include "outside/usb/WriteProtect.h"
#include "parvane/device/DeviceLayer.h"

class CUsbProtectDlg : public CLibraryDialog {
 public:
  // `elevated`: whether the process may write the machine's policy.
  CUsbProtectDlg(HINSTANCE module, HWND owner, platform::Registry& registry,
                 parvane::DeviceLayer& devices, bool elevated);

  bool OnInitDialog() override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void OnProtectOn() { Switch(true); }
  void OnProtectOff() { Switch(false); }
  void Switch(bool on);
  // Puts the panel's view on the controls.
  void ShowView();
  void ShowDrives(const std::vector<usb::UsbDrive>& drives);
  void SetItemText(int id, const std::string& utf8);

  platform::Registry& registry_;
  parvane::DeviceLayer& devices_;
  bool elevated_;
  std::optional<usb::ProtectPanel> panel_;  // made when the dialog opens
};

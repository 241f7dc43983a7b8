// The USB write-protection dialog: the policy's state, the USB drives
// attached now, and the two switches. Its logic is usb::ProtectPanel; the
// dialog only shows the panel's view and passes clicks to it. The drives
// are asked for off the user-interface thread (a volume can take long to
// answer, or never): the dialog opens at once and fills the list when the
// answer comes.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "framework/Controls.h"
#include "framework/LibraryDialog.h"
#include "framework/OffThreadCall.h"
#include "outside/usb/UsbDrives.h"
#include "outside/usb/WriteProtect.h"
#include "parvane/device/DeviceLayer.h"

class CUsbProtectDlg : public CLibraryDialog {
 public:
  // `elevated`: whether the process may write the machine's policy. The
  // device layer is shared with the thread that lists the drives, which
  // may outlive the dialog.
  CUsbProtectDlg(HINSTANCE module, HWND owner, platform::Registry& registry,
                 std::shared_ptr<parvane::DeviceLayer> devices, bool elevated);

  // Posted to the dialog when the drives' answer comes late.
  static constexpr UINT kMsgDrivesListed = WM_APP + 1;
  // In the list until the drives have answered.
  static constexpr char kListingDrivesLine[] = "正在查找U盘…";

  bool OnInitDialog() override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  using DrivesCall = OffThreadCall<std::vector<usb::UsbDrive>>;

  void OnProtectOn() { Switch(true); }
  void OnProtectOff() { Switch(false); }
  void Switch(bool on);
  // Puts the panel's view on the controls.
  void ShowView();
  LRESULT OnDrivesListed(WPARAM, LPARAM);
  void OnDestroy();
  void ShowDrives(const std::vector<usb::UsbDrive>& drives);
  // A scroll bar on the drives' list only when its lines do not all fit.
  void FitDrivesScrollBar();
  // The icon at the new DPI, and the drives' lines measured again in the
  // template's font made for it.
  void OnDpiChanged(UINT dpi) override;
  void SetItemText(int id, const std::string& utf8);

  platform::Registry& registry_;
  std::shared_ptr<parvane::DeviceLayer> devices_;
  std::shared_ptr<DrivesCall> drives_;
  bool elevated_;
  std::optional<usb::ProtectPanel> panel_;  // made when the dialog opens
  CStaticPictures pictures_;
};

#include "outside/usb/UsbProtectDlg.h"

#include <commctrl.h>

#include "framework/Routes.h"
#include "outside/usb/UsbDrives.h"
#include "platform/TextWin.h"
#include "res/usb/resource.h"

CUsbProtectDlg::CUsbProtectDlg(HINSTANCE module, HWND owner, platform::Registry& registry,
                               std::shared_ptr<parvane::DeviceLayer> devices, bool elevated)
    : CLibraryDialog(IDD_USB_PROTECT, IDI_USB_PROTECT, module, owner),
      registry_(registry),
      devices_(std::move(devices)),
      elevated_(elevated) {}

bool CUsbProtectDlg::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnCommand<&CUsbProtectDlg::OnProtectOn>(IDC_USB_PROTECT_ON),
      afx::OnCommand<&CUsbProtectDlg::OnProtectOff>(IDC_USB_PROTECT_OFF),
      afx::OnMessage<&CUsbProtectDlg::OnDrivesListed>(kMsgDrivesListed),
      afx::OnDestroy<&CUsbProtectDlg::OnDestroy>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CLibraryDialog::OnWndMsg(msg, wParam, lParam, result);
}

bool CUsbProtectDlg::OnInitDialog() {
  CLibraryDialog::OnInitDialog();
  pictures_.Adopt(m_hWnd, GetTemplateId(), GetResourceModule(), GetDpi());
  panel_.emplace(registry_, elevated_);
  // The thread holds the device layer, never the dialog.
  drives_ = DrivesCall::Start([devices = devices_] { return usb::ListUsbDrives(*devices); },
                              m_hWnd, kMsgDrivesListed, 0, 0);
  if (const auto drives = drives_->Answer()) {
    ShowDrives(*drives);
  } else {
    SetItemText(IDC_USB_DRIVES, kListingDrivesLine);
  }
  if (panel_->View().shield) {
    for (int id : {IDC_USB_PROTECT_ON, IDC_USB_PROTECT_OFF})
      ::SendDlgItemMessageW(m_hWnd, id, BCM_SETSHIELD, 0, TRUE);
  }
  ShowView();
  return true;
}

LRESULT CUsbProtectDlg::OnDrivesListed(WPARAM, LPARAM) {
  if (const auto drives = drives_ ? drives_->Answer() : std::nullopt) ShowDrives(*drives);
  return 0;
}

// A late answer then posts nothing to a window that may since have been
// given this one's handle.
void CUsbProtectDlg::OnDestroy() {
  if (drives_) drives_->Forget();
}

void CUsbProtectDlg::Switch(bool on) {
  panel_->Switch(on);
  ShowView();
}

void CUsbProtectDlg::ShowView() {
  const usb::ProtectView& view = panel_->View();
  SetItemText(IDC_USB_STATE, view.stateLine);
  SetItemText(IDC_USB_MESSAGE, view.message);
  ::EnableWindow(GetDlgItem(IDC_USB_PROTECT_ON), view.onEnabled);
  ::EnableWindow(GetDlgItem(IDC_USB_PROTECT_OFF), view.offEnabled);
  // The button just clicked may now be disabled: keyboard focus would be
  // left on nothing, so hand it to the close button.
  HWND focus = ::GetFocus();
  if (!focus || !::IsWindowEnabled(focus))
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDCANCEL)), TRUE);
}

void CUsbProtectDlg::OnDpiChanged(UINT dpi) {
  CLibraryDialog::OnDpiChanged(dpi);
  pictures_.ShowAt(dpi);
  FitDrivesScrollBar();
}

void CUsbProtectDlg::ShowDrives(const std::vector<usb::UsbDrive>& drives) {
  SetItemText(IDC_USB_DRIVES, usb::DriveListText(drives));
  FitDrivesScrollBar();
}

void CUsbProtectDlg::FitDrivesScrollBar() {
  HWND list = GetDlgItem(IDC_USB_DRIVES);
  const bool shown = (::GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL) != 0;
  const auto lines = static_cast<int>(::SendMessageW(list, EM_GETLINECOUNT, 0, 0));
  if (lines < 2) {
    if (shown) ::ShowScrollBar(list, SB_VERT, FALSE);
    return;
  }
  auto top = [list](int line) {
    const LRESULT first = ::SendMessageW(list, EM_LINEINDEX, line, 0);
    return static_cast<short>(HIWORD(::SendMessageW(list, EM_POSFROMCHAR, first, 0)));
  };
  RECT box{};
  ::SendMessageW(list, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&box));
  const int lineHeight = top(1) - top(0);
  // With the bar the lines wrap no differently (the list wraps no lines).
  const bool needed = top(lines - 1) + lineHeight > box.bottom;
  if (needed != shown) ::ShowScrollBar(list, SB_VERT, needed);
}

void CUsbProtectDlg::SetItemText(int id, const std::string& utf8) {
  ::SetDlgItemTextW(m_hWnd, id, platform::Widen(utf8).c_str());
}

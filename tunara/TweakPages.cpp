#include "tunara/TweakPages.h"

#include <mmsystem.h>

#include "platform/TextWin.h"
#include "res/tunara/resource.h"

using tunara::PageId;

CDiskTweakPage::CDiskTweakPage(HINSTANCE module, platform::Registry& reg,
                               const std::optional<platform::OsVersion>& version)
    : CTweakPage(IDD_DISK_PAGE, PageId::Disk, module, reg, version) {}

CMemoryTweakPage::CMemoryTweakPage(HINSTANCE module, platform::Registry& reg,
                                   const std::optional<platform::OsVersion>& version)
    : CTweakPage(IDD_MEMORY_PAGE, PageId::Memory, module, reg, version) {}

void CMemoryTweakPage::BeforeStart() { RaiseToTop(); }

void CMemoryTweakPage::AfterStart() {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_ABORTIFHUNG,
                        kBroadcastTimeoutMs, &ignored);
}

CCdromTweakPage::CCdromTweakPage(HINSTANCE module, platform::Registry& reg,
                                 const std::optional<platform::OsVersion>& version)
    : CTweakPage(IDD_CDROM_PAGE, PageId::Cdrom, module, reg, version) {}

bool CCdromTweakPage::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnCommand<&CCdromTweakPage::OnTrayOpen>(IDC_CD_TRAY_OPEN),
      afx::OnCommand<&CCdromTweakPage::OnTrayClose>(IDC_CD_TRAY_CLOSE),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CTweakPage::OnWndMsg(msg, wParam, lParam, result);
}

void CCdromTweakPage::OnTrayOpen() { SendTrayCommand(tunara::kTrayOpenCommand); }

void CCdromTweakPage::OnTrayClose() { SendTrayCommand(tunara::kTrayCloseCommand); }

void CCdromTweakPage::SendTrayCommand(std::string_view command) {
  // The default CD audio device; without a drive or a disc nothing happens.
  ::mciSendStringW(platform::Widen(command).c_str(), nullptr, 0, nullptr);
}

CNtfsTweakPage::CNtfsTweakPage(HINSTANCE module, platform::Registry& reg,
                               const std::optional<platform::OsVersion>& version)
    : CTweakPage(IDD_NTFS_PAGE, PageId::Ntfs, module, reg, version) {}

void CNtfsTweakPage::BeforeStart() { RaiseToTop(); }

tunara::DriveTypeQuery CNtfsTweakPage::DriveTypes() const {
  return [](std::string_view root) {
    return static_cast<unsigned>(::GetDriveTypeW(platform::Widen(root).c_str()));
  };
}

#include "tunara/TweakPages.h"

#include <mmsystem.h>

#include "platform/TextWin.h"
#include "res/tunara/resource.h"

using tunara::PageId;

CDiskTweakPage::CDiskTweakPage(HINSTANCE module, platform::Registry& reg)
    : CTweakPage(IDD_DISK_PAGE, PageId::Disk, module, reg) {}

CMemoryTweakPage::CMemoryTweakPage(HINSTANCE module, platform::Registry& reg)
    : CTweakPage(IDD_MEMORY_PAGE, PageId::Memory, module, reg) {}

void CMemoryTweakPage::BeforeStart() { RaiseToTop(); }

void CMemoryTweakPage::AfterStart() {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_ABORTIFHUNG,
                        kBroadcastTimeoutMs, &ignored);
}

CCdromTweakPage::CCdromTweakPage(HINSTANCE module, platform::Registry& reg)
    : CTweakPage(IDD_CDROM_PAGE, PageId::Cdrom, module, reg) {}

bool CCdromTweakPage::OnCmdMsg(UINT id, bool execute) {
  if (id != IDC_CD_TRAY_OPEN && id != IDC_CD_TRAY_CLOSE) return CTweakPage::OnCmdMsg(id, execute);
  if (execute) {
    // The default CD audio device; without a drive or a disc nothing happens.
    const std::wstring command = platform::Widen(id == IDC_CD_TRAY_OPEN ? tunara::kTrayOpenCommand
                                                                        : tunara::kTrayCloseCommand);
    ::mciSendStringW(command.c_str(), nullptr, 0, nullptr);
  }
  return true;
}

CNtfsTweakPage::CNtfsTweakPage(HINSTANCE module, platform::Registry& reg)
    : CTweakPage(IDD_NTFS_PAGE, PageId::Ntfs, module, reg) {}

void CNtfsTweakPage::BeforeStart() { RaiseToTop(); }

tunara::DriveTypeQuery CNtfsTweakPage::DriveTypes() const {
  return [](std::string_view root) {
    return static_cast<unsigned>(::GetDriveTypeW(platform::Widen(root).c_str()));
  };
}

#include "framework/Elevation.h"

#include <shellapi.h>

#include <string>
#include <vector>


namespace afx {

UniqueIcon LoadShieldIcon(int size) {
  constexpr UINT kShieldId = 32518;  // IDI_SHIELD
  if (size > 0 && size != ::GetSystemMetrics(SM_CXSMICON)) {
    // Not shared: the icon is made at the size, from the image nearest it.
    return UniqueIcon(static_cast<HICON>(
        ::LoadImageW(nullptr, MAKEINTRESOURCEW(kShieldId), IMAGE_ICON, size, size, 0)));
  }
  // Looked up at run time: Windows XP's shell32 has no stock icons.
  using StockIconInfo = HRESULT(WINAPI*)(SHSTOCKICONID, UINT, SHSTOCKICONINFO*);
  if (HMODULE shell = ::GetModuleHandleW(L"shell32.dll")) {
    const auto get = reinterpret_cast<StockIconInfo>(
        reinterpret_cast<void*>(::GetProcAddress(shell, "SHGetStockIconInfo")));
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof info;
    if (get && SUCCEEDED(get(SIID_SHIELD, SHGSI_ICON | SHGSI_SMALLICON, &info)) && info.hIcon) {
      return UniqueIcon(info.hIcon);
    }
  }
  // IDI_SHIELD, shared by user32: copied so that the caller owns what it gets.
  const int small = ::GetSystemMetrics(SM_CXSMICON);
  HANDLE shared =
      ::LoadImageW(nullptr, MAKEINTRESOURCEW(kShieldId), IMAGE_ICON, small, small, LR_SHARED);
  return UniqueIcon(shared ? ::CopyIcon(static_cast<HICON>(shared)) : nullptr);
}

DWORD RestartElevated(HWND owner) {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return ::GetLastError();
    if (n < path.size()) break;
    path.resize(path.size() * 2);
  }
  std::wstring folder(::GetCurrentDirectoryW(0, nullptr), L'\0');
  folder.resize(::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));

  // The standard user forced on this instance is not the new one's.
  wchar_t forced[8] = {};
  const bool wasForced = ::GetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", forced, 8) > 0;
  if (wasForced) ::SetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", nullptr);

  SHELLEXECUTEINFOW run{};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  run.hwnd = owner;
  run.lpVerb = L"runas";
  run.lpFile = path.data();
  run.lpDirectory = folder.c_str();
  run.nShow = SW_SHOWNORMAL;
  const DWORD result = ::ShellExecuteExW(&run) ? 0 : ::GetLastError();
  if (wasForced) ::SetEnvironmentVariableW(L"DRAVON_AS_STANDARD_USER", forced);
  return result;
}

RightsChoice AskForRights(HWND owner, const wchar_t* caption, const AskFn& ask,
                          const RestartFn& restart) {
  switch (ask(owner, kElevateQuestion, caption, MB_YESNOCANCEL)) {
    case IDNO:
      return RightsChoice::GoOn;  // what needs the rights fails honestly
    case IDYES:
      break;
    default:
      return RightsChoice::Stop;
  }
  const DWORD error = restart();
  if (error == 0) return RightsChoice::Restarted;
  if (error != ERROR_CANCELLED) {
    std::wstring text = kElevateFailed;
    wchar_t* reason = nullptr;
    if (::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                             FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr) &&
        reason) {
      text += L"\n\n";
      text += reason;
      ::LocalFree(reason);
    }
    ask(owner, text.c_str(), caption, MB_OK | MB_ICONERROR);
  }
  return RightsChoice::Stop;
}

}  // namespace afx

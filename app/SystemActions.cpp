#include "app/SystemActions.h"

#include "app/FolderShell.h"

#include <mmsystem.h>
#include <shellapi.h>

int Win32SystemActions::MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption,
                                   UINT type) {
  return ::MessageBoxW(owner, text, caption, type);
}

HANDLE Win32SystemActions::OpenProcessToken() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return nullptr;
  }
  return token;
}

bool Win32SystemActions::EnableShutdownPrivilege(HANDLE token) {
  TOKEN_PRIVILEGES tp{};
  LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid);
  tp.PrivilegeCount = 1;
  tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  SetLastError(0);
  AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
  // Success can still leave ERROR_NOT_ALL_ASSIGNED: the last error decides.
  return GetLastError() == 0;
}

void Win32SystemActions::CloseToken(HANDLE token) {
  if (token) CloseHandle(token);
}

bool Win32SystemActions::ExitSession(UINT flags) { return ExitWindowsEx(flags, 0) != FALSE; }

void Win32SystemActions::OpenUrl(HWND owner, const wchar_t* url) {
  ShellExecuteW(owner, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32SystemActions::PlaySoundFile(const wchar_t* path) { sndPlaySoundW(path, SND_ASYNC); }

void Win32SystemActions::OpenFolder(HWND owner, const wchar_t* path) {
  ShellExecuteW(owner, L"explore", path, nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32SystemActions::ShowFileInFolder(HWND owner, const wchar_t* path) {
  shell::ShowInFolder(owner, path);
}

bool Win32SystemActions::RecycleFolder(HWND owner, const wchar_t* path) {
  return shell::RecycleToBin(owner, path) == shell::RecycleResult::kDone;
}

bool Win32SystemActions::NotifyIcon(DWORD message, NOTIFYICONDATAW& data) {
  return Shell_NotifyIconW(message, &data) != FALSE;
}

void RunExitSequence(SystemActions& sys, HWND owner, const wchar_t* question, UINT exitFlags,
                     const wchar_t* appName) {
  if (sys.MessageBox(owner, question, L"工具", MB_YESNO) != IDYES) return;
  HANDLE token = sys.OpenProcessToken();
  if (!token) sys.MessageBox(owner, L"OpenProcessToken Error.", appName, MB_OK);
  // Without a token this step fails too and says so; the exit is still tried.
  if (!sys.EnableShutdownPrivilege(token)) {
    sys.MessageBox(owner, L"AdjustTokenPrivileges Error.", appName, MB_OK);
  }
  sys.CloseToken(token);
  if (!sys.ExitSession(exitFlags)) sys.MessageBox(owner, L"ExitWindowsEx Error.", appName, MB_OK);
}

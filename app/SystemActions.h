// What the frame asks of the system beyond its own windows: message boxes,
// the shut-down privilege, logging off or shutting down, the home page and
// sounds. The frame talks to it through this interface, so tests can check
// the log-off, restart and shut-down sequences without ending the session.
#pragma once

#include <windows.h>
#include <shellapi.h>

class SystemActions {
 public:
  virtual ~SystemActions() = default;
  virtual int MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
  // Opens this process's token for adjusting privileges and query; null on failure.
  virtual HANDLE OpenProcessToken() = 0;
  // Enables SeShutdownPrivilege; true when the system reports no error after it.
  virtual bool EnableShutdownPrivilege(HANDLE token) = 0;
  virtual void CloseToken(HANDLE token) = 0;
  virtual bool ExitSession(UINT flags) = 0;
  virtual void OpenUrl(HWND owner, const wchar_t* url) = 0;
  virtual void PlaySoundFile(const wchar_t* path) = 0;
  // Adds, changes or deletes a notification-area icon.
  virtual bool NotifyIcon(DWORD message, NOTIFYICONDATAW& data) = 0;
  // Shows a folder in Explorer.
  virtual void OpenFolder(HWND owner, const wchar_t* path) = 0;
  // Shows the folder of a file in Explorer with the file selected.
  virtual void ShowFileInFolder(HWND owner, const wchar_t* path) = 0;
  // Moves a folder to the Recycle Bin (shell::RecycleToBin); true when the
  // shell reports it done.
  virtual bool RecycleFolder(HWND owner, const wchar_t* path) = 0;
};

// The real system.
class Win32SystemActions final : public SystemActions {
 public:
  int MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;
  HANDLE OpenProcessToken() override;
  bool EnableShutdownPrivilege(HANDLE token) override;
  void CloseToken(HANDLE token) override;
  bool ExitSession(UINT flags) override;
  void OpenUrl(HWND owner, const wchar_t* url) override;
  void PlaySoundFile(const wchar_t* path) override;
  bool NotifyIcon(DWORD message, NOTIFYICONDATAW& data) override;
  void OpenFolder(HWND owner, const wchar_t* path) override;
  void ShowFileInFolder(HWND owner, const wchar_t* path) override;
  bool RecycleFolder(HWND owner, const wchar_t* path) override;
};

// Log off (EWX_LOGOFF), restart (EWX_REBOOT) or shut down (EWX_SHUTDOWN)
// after the user agrees to `question`. Each failing step is reported in a
// plain box captioned `appName`, and the sequence goes on.
void RunExitSequence(SystemActions& sys, HWND owner, const wchar_t* question, UINT exitFlags,
                     const wchar_t* appName);

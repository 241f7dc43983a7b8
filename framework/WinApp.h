// CWinApp: the application object. One exists per process (tests make their
// own); AfxWinMain runs InitInstance and then the message loop.
#pragma once

#include <windows.h>

#include "framework/Module.h"
#include "framework/Routes.h"
#include "framework/String.h"

class CWnd;

// Commands its main window does not take reach the application object's
// routes (its OnWndMsg).
class CWinApp : public CCmdTarget {
 public:
  explicit CWinApp(const wchar_t* appName = nullptr);
  ~CWinApp() override;

  // Return false to end the program without running the message loop.
  virtual bool InitInstance() { return true; }
  // The message loop: runs until WM_QUIT, returns its exit code.
  virtual int Run();
  virtual int ExitInstance() { return exitCode_; }
  // Accelerators and the like of the main window.
  virtual bool PreTranslateMessage(MSG& msg);
  // Called when the queue is empty (updates command states of control bars).
  virtual void OnIdle();

  // The profile: with a registry key, HKCU\Software\<key>\<app name>\<section>.
  void SetRegistryKey(const wchar_t* company) { registryKey_ = company; }
  const CString& GetRegistryKey() const { return registryKey_; }
  CString GetProfileString(const wchar_t* section, const wchar_t* entry,
                           const wchar_t* defaultValue = L"") const;
  HICON LoadIcon(UINT id) const;
  // A plain message box captioned with the application name.
  int MessageBox(const wchar_t* text, UINT type = MB_OK, HWND owner = nullptr) const;

  CString m_appName;
  CWnd* m_pMainWnd = nullptr;
  HINSTANCE m_hInstance = nullptr;

 private:
  CString registryKey_;
  int exitCode_ = 0;
};

CWinApp* AfxGetApp();

// Starts the application object: common controls, InitInstance, the loop.
int AfxWinMain(HINSTANCE instance);

#include "framework/WinApp.h"

#include <commctrl.h>

#include <vector>

#include "framework/Wnd.h"

namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp(const wchar_t* appName) {
  g_app = this;
  m_hInstance = AfxGetInstanceHandle();
  if (appName) {
    m_appName = appName;
  } else {
    // The framework's default name: the program file's name without extension.
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    CString file(std::wstring(path, n));
    file = file.Mid(file.ReverseFind(L'\\') + 1);
    int dot = file.ReverseFind(L'.');
    m_appName = dot >= 0 ? file.Left(dot) : file;
  }
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

bool CWinApp::PreTranslateMessage(MSG& msg) {
  // Offer the message to the window it is for and each of its parents.
  for (HWND w = msg.hwnd; w; w = ::GetParent(w)) {
    if (CWnd* wnd = CWnd::FromHandlePermanent(w); wnd && wnd->PreTranslateMessage(msg)) {
      return true;
    }
  }
  return false;
}

void CWinApp::OnIdle() {
  if (m_pMainWnd && m_pMainWnd->m_hWnd) {
    m_pMainWnd->SendMessage(WM_IDLEUPDATECMDUI);
  }
}

int CWinApp::Run() {
  MSG msg;
  bool idleDone = false;
  for (;;) {
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!idleDone) {
        OnIdle();
        idleDone = true;
      }
      ::WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) break;
    if (!PreTranslateMessage(msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    // Input and commands can change what is enabled: update at the next idle.
    if (msg.message != WM_PAINT && msg.message != WM_TIMER) idleDone = false;
  }
  exitCode_ = static_cast<int>(msg.wParam);
  return ExitInstance();
}

CString CWinApp::GetProfileString(const wchar_t* section, const wchar_t* entry,
                                  const wchar_t* defaultValue) const {
  if (registryKey_.IsEmpty()) {
    // Without a registry key the profile is the application's .INI file.
    wchar_t buf[4096];
    CString ini = m_appName + L".INI";
    ::GetPrivateProfileStringW(section, entry, defaultValue, buf, 4096, ini);
    return CString(buf);
  }
  CString path = CString(L"Software\\") + registryKey_ + L"\\" + m_appName + L"\\" + section;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return CString(defaultValue);
  }
  CString result(defaultValue);
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExW(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                           &size) == ERROR_SUCCESS) {
      // The stored text may or may not carry its terminator.
      result = CString(std::wstring(buf.data()));
    }
  }
  ::RegCloseKey(key);
  return result;
}

HICON CWinApp::LoadIcon(UINT id) const {
  return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
}

int CWinApp::MessageBox(const wchar_t* text, UINT type, HWND owner) const {
  if (!owner && m_pMainWnd) owner = m_pMainWnd->m_hWnd;
  return ::MessageBoxW(owner, text, m_appName, type);
}

int AfxWinMain(HINSTANCE instance) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = instance;
  AfxSetInstanceHandle(instance);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);
  if (!app->InitInstance()) {
    // A program that could not start still tidies up after itself.
    if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd) app->m_pMainWnd->DestroyWindow();
    return app->ExitInstance();
  }
  return app->Run();
}

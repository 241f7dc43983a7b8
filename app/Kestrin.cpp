#include "app/Kestrin.h"

#include <vector>

#include "app/BannerDlg.h"
#include "app/ShellRules.h"
#include "framework/Trace.h"
#include "platform/Rights.h"
#include "platform/TextWin.h"
#include "res/app/resource.h"

namespace {
constexpr wchar_t kAppName[] = L"Sorvane Pro";
constexpr wchar_t kProfileKey[] = L"Brantle Software";
}  // namespace

CKestrinApp::CKestrinApp()
    : CWinApp(nullptr),
      skin_(std::make_unique<CSkinLoader>(L"AppFace.dll")),
      registry_(systemRegistry_, platform::StandardUserForced()),
      system_(realSystem_) {
  m_appName = kAppName;
}

CKestrinApp::CKestrinApp(std::unique_ptr<CSkinLoader> skin, shell::SettingsPlace settings,
                         SystemActions& system)
    : CWinApp(nullptr),
      skin_(std::move(skin)),
      registry_(systemRegistry_, platform::StandardUserForced()),
      settings_(std::move(settings)),
      system_(system) {
  m_appName = kAppName;
}

CKestrinApp::~CKestrinApp() {
  frame_.reset();
  m_pMainWnd = nullptr;
}

std::string CKestrinApp::SkinFilePath() {
  // The program path can be longer than MAX_PATH: grow until it fits.
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) return shell::SkinFilePath(platform::Narrow(std::wstring_view(path.data(), n)));
    path.resize(path.size() * 2);
  }
}

void CKestrinApp::ApplySkin() {
  std::string path = SkinFilePath();
  skin_->Load(path.c_str(), 1, 0, nullptr, nullptr);
}

bool CKestrinApp::InitInstance() {
  if (shell::ReadSkinSetting(registry_, settings_) == 1) ApplySkin();
  // Three-dimensional control drawing is always on with common controls 6
  // (the program's manifest asks for them): nothing to turn on.
  SetRegistryKey(kProfileKey);
  HICON icon = LoadIcon(IDR_MAINFRAME);

  frame_ = std::make_unique<afx::Window<CMainFrame>>(libraries_, system_);
  m_pMainWnd = frame_.get();
  if (!frame_->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) {
    // No window to show: end the program instead of running a loop for nothing.
    afx::Trace(L"Failed to create the main window\n");
    m_pMainWnd = nullptr;
    frame_.reset();
    return false;
  }
  frame_->SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  frame_->ShowWindow(SW_SHOWNORMAL);
  frame_->UpdateWindow();
  frame_->InitialUpdate(true);
  // Without administrator rights this fails; the first start with them
  // makes the keys (and Tunara makes a missing one when it writes).
  shell::CreateLibraryKeys(registry_, settings_);
  return true;
}

int CKestrinApp::ExitInstance() {
  frame_.reset();
  m_pMainWnd = nullptr;
  return CWinApp::ExitInstance();
}

void CKestrinApp::OnAppAbout() {
  afx::Window<CAboutDlg> about;
  about.DoModal();
}

void CKestrinApp::OnSkinOne() {
  shell::WriteSkinSetting(registry_, settings_, true);
  ApplySkin();
}

void CKestrinApp::OnSkinTwo() { shell::WriteSkinSetting(registry_, settings_, false); }

bool CKestrinApp::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnCommand<&CKestrinApp::OnAppAbout>(ID_APP_ABOUT),
      afx::OnCommand<&CKestrinApp::OnSkinOne>(ID_SKIN_ONE),
      afx::OnCommand<&CKestrinApp::OnSkinTwo>(ID_SKIN_TWO),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result);
}

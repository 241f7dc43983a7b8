// CKestrinApp: the application object. It loads the skin engine when it is
// made, runs the start-up sequence, and handles the skin and About commands.
#pragma once

#include <windows.h>

#include <memory>

#include "app/LibraryEntries.h"
#include "app/MainFrm.h"
#include "app/Settings.h"
#include "app/SkinLoader.h"
#include "app/SystemActions.h"
#include "framework/WinApp.h"
#include "platform/RegistryRights.h"
#include "platform/RegistryWin.h"

class CKestrinApp : public CWinApp {
 public:
  CKestrinApp();
  // For tests: a skin loader of their own, and settings in a scratch key.
  CKestrinApp(std::unique_ptr<CSkinLoader> skin, shell::SettingsPlace settings,
              SystemActions& system);
  ~CKestrinApp() override;

  void SetLibraryEntries(const LibraryEntries& entries) { libraries_ = entries; }

  bool InitInstance() override;
  int ExitInstance() override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  CMainFrame* MainFrame() const { return frame_.get(); }
  CSkinLoader& SkinLoader() { return *skin_; }
  // The skin file beside the program.
  static std::string SkinFilePath();

 private:
  void OnAppAbout();
  void OnSkinOne();
  void OnSkinTwo();
  void ApplySkin();

  std::unique_ptr<CSkinLoader> skin_;
  platform::RegistryWin systemRegistry_;
  // What this process may write: without administrator rights the machine's
  // keys (the skin choice, the library keys) stay as they are.
  platform::RightsRegistry registry_;
  shell::SettingsPlace settings_;
  Win32SystemActions realSystem_;
  SystemActions& system_;
  LibraryEntries libraries_;
  std::unique_ptr<CMainFrame> frame_;
};

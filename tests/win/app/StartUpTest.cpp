// The skin loader's calls, and the start-up sequence of the application.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeSystem.h"
#include "TestPump.h"
#include "app/Kestrin.h"
#include "app/SkinLoader.h"
#include "platform/TextWin.h"
#include "res/app/resource.h"

namespace {

// The stand-in panes behind the frame's view and shortcut bar.
CKestrinView* ViewOf(CMainFrame* frame) { return frame->View(); }

struct SkinCall {
  bool pathNull, text2Null, text3Null;
  std::string path, text2, text3;
  int mode, type;
};
std::vector<SkinCall> g_skinCalls;

BOOL __cdecl FakeSkinStart(const char* path, const char* text2, int mode, int type,
                           const char* text3) {
  g_skinCalls.push_back({path == nullptr, text2 == nullptr, text3 == nullptr, path ? path : "",
                         text2 ? text2 : "", text3 ? text3 : "", mode, type});
  return TRUE;
}
BOOL __cdecl FakeSkinRemove() {
  ADD_FAILURE() << "SkinRemove is never called";
  return TRUE;
}

}  // namespace

TEST(SkinLoader, PassesCopiesOfTheTextsByMode) {
  g_skinCalls.clear();
  CSkinLoader skin(FakeSkinStart, FakeSkinRemove);
  ASSERT_TRUE(skin.IsReady());
  EXPECT_TRUE(skin.Load("C:\\app\\SKIN\\BluePinna.urf", 1, 0, nullptr, nullptr));
  EXPECT_TRUE(skin.Load("p", 2, 7, "ignored", "resource"));
  EXPECT_TRUE(skin.Load(nullptr, 1, 3, "x", "y"));
  ASSERT_EQ(g_skinCalls.size(), 3u);

  const SkinCall& one = g_skinCalls[0];
  EXPECT_EQ(one.path, "C:\\app\\SKIN\\BluePinna.urf");
  EXPECT_FALSE(one.text2Null);
  EXPECT_EQ(one.text2, "");
  EXPECT_EQ(one.mode, 1);
  EXPECT_EQ(one.type, 0);
  EXPECT_FALSE(one.text3Null);  // a null text becomes an empty one
  EXPECT_EQ(one.text3, "");

  const SkinCall& two = g_skinCalls[1];
  EXPECT_EQ(two.path, "p");
  EXPECT_EQ(two.text2, "resource");
  EXPECT_EQ(two.mode, 2);
  EXPECT_EQ(two.type, 7);
  EXPECT_TRUE(two.text3Null);

  const SkinCall& none = g_skinCalls[2];
  EXPECT_TRUE(none.pathNull && none.text2Null && none.text3Null);
  EXPECT_EQ(none.mode, 0);
  EXPECT_EQ(none.type, 0);
}

TEST(SkinLoader, CutsLongTextsAt255Bytes) {
  g_skinCalls.clear();
  CSkinLoader skin(FakeSkinStart, FakeSkinRemove);
  std::string longPath(300, 'a');
  skin.Load(longPath.c_str(), 1, 0, longPath.c_str(), nullptr);
  ASSERT_EQ(g_skinCalls.size(), 1u);
  EXPECT_EQ(g_skinCalls[0].path.size(), 255u);
  EXPECT_EQ(g_skinCalls[0].text3.size(), 255u);
}

TEST(SkinLoader, WithoutTheEngineNothingIsCalled) {
  CSkinLoader missing(L"NoSuchSkinEngine.dll");
  EXPECT_FALSE(missing.IsReady());
  EXPECT_FALSE(missing.Load("x", 1, 0, nullptr, nullptr));
  CSkinLoader halfReady(FakeSkinStart, nullptr);
  EXPECT_FALSE(halfReady.IsReady());
  // The stand-in engine beside the program has both entries.
  CSkinLoader real(L"AppFace.dll");
  EXPECT_TRUE(real.IsReady());
  EXPECT_NE(real.Library(), nullptr);
}

namespace {

const char kScratch[] = "Software\\Dravon Tests\\";

class StartUp : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Dravon Tests");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Brantle Software\\Sorvane Pro");
    g_skinCalls.clear();
    CMainFrame::s_bannerMs = 0;
  }
  void TearDown() override {
    app.reset();
    flush_events();
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Dravon Tests");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Brantle Software\\Sorvane Pro");
  }
  void MakeApp() {
    app = std::make_unique<CKestrinApp>(std::make_unique<CSkinLoader>(FakeSkinStart, FakeSkinRemove),
                                        shell::SettingsPlace{platform::RegRoot::CurrentUser, kScratch}, system);
  }
  void StoreSkin(const char* text) {
    HKEY h;
    RegCreateKeyA(HKEY_CURRENT_USER, (std::string(kScratch) + "SOFTWARE\\Tarvik\\SKIN").c_str(), &h);
    RegSetValueExA(h, "Skin", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(strlen(text)));
    RegCloseKey(h);
  }
  bool KeyExists(const char* key) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kScratch) + key).c_str(), 0, KEY_READ, &h)) {
      return false;
    }
    RegCloseKey(h);
    return true;
  }

  FakeSystem system;
  platform::RegistryWin registry;
  std::unique_ptr<CKestrinApp> app;
};

}  // namespace

TEST_F(StartUp, NamesTheProfileShowsTheFixedFrameAndMakesTheLibraryKeys) {
  MakeApp();
  EXPECT_EQ(app->m_appName, L"Sorvane Pro");
  ASSERT_TRUE(app->InitInstance());
  EXPECT_EQ(app->GetRegistryKey(), L"Brantle Software");
  CMainFrame* frame = app->MainFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(app->m_pMainWnd, frame);
  EXPECT_EQ(frame->GetWindowText(), L"Dravon   V1.3");
  EXPECT_TRUE(frame->IsWindowVisible());
  CRect r = frame->GetWindowRect();
  EXPECT_EQ(r.Width(), 700);
  EXPECT_EQ(r.Height(), 500);
  EXPECT_FALSE(frame->GetStyle() & WS_MAXIMIZEBOX);
  EXPECT_TRUE(frame->GetStyle() & WS_MINIMIZEBOX);
  EXPECT_FALSE(frame->GetExStyle() & WS_EX_CLIENTEDGE);
  EXPECT_NE(frame->SendMessage(WM_GETICON, ICON_BIG), 0);
  EXPECT_TRUE(frame->HasTrayIcon());
  const NOTIFYICONDATAW& tray = system.added;
  EXPECT_EQ(tray.hWnd, frame->m_hWnd);
  EXPECT_EQ(tray.uID, static_cast<UINT>(IDR_MAINFRAME));
  EXPECT_EQ(tray.uFlags, 7u);
  EXPECT_EQ(tray.uCallbackMessage, 0x405u);
  EXPECT_NE(tray.hIcon, nullptr);
  EXPECT_STREQ(tray.szTip, L"DravonV1.3");
  EXPECT_TRUE(KeyExists("SOFTWARE\\Tarvik\\HD"));
  EXPECT_TRUE(KeyExists("SOFTWARE\\Tarvik\\CD"));
  EXPECT_TRUE(KeyExists("SOFTWARE\\Tarvik\\CDROM"));
  // No skin stored: no skin applied.
  EXPECT_TRUE(g_skinCalls.empty());
}

TEST_F(StartUp, AppliesTheStoredSkinOnlyForOne) {
  StoreSkin("1");
  MakeApp();
  ASSERT_TRUE(app->InitInstance());
  ASSERT_EQ(g_skinCalls.size(), 1u);
  const std::string& path = g_skinCalls[0].path;
  const std::string suffix = "\\SKIN\\BluePinna.urf";
  ASSERT_GT(path.size(), suffix.size());
  EXPECT_EQ(path.substr(path.size() - suffix.size()), suffix);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string dir = platform::Narrow(self);
  dir.resize(dir.rfind('\\'));
  EXPECT_EQ(path, dir + suffix);
  EXPECT_EQ(g_skinCalls[0].mode, 1);
  EXPECT_EQ(g_skinCalls[0].type, 0);
  EXPECT_EQ(g_skinCalls[0].text2, "");
  app.reset();

  g_skinCalls.clear();
  StoreSkin("0");
  MakeApp();
  ASSERT_TRUE(app->InitInstance());
  EXPECT_TRUE(g_skinCalls.empty());
}

TEST_F(StartUp, ViewReopensTheLastFolderFromTheProfile) {
  HKEY h;
  ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\Brantle Software\\Sorvane Pro\\Settings", &h),
            ERROR_SUCCESS);
  const wchar_t value[] = L"D:\\资料";
  RegSetValueExW(h, L"DetailLastOpened", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 sizeof value);
  RegCloseKey(h);
  MakeApp();
  ASSERT_TRUE(app->InitInstance());
  CKestrinView* view = ViewOf(app->MainFrame());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->ScanSlot(), 1);
  EXPECT_EQ(view->RootFolder().GetName(), "D:\\资料");
}

TEST_F(StartUp, WithoutAStoredFolderSlotOneOpensTheEmptyPath) {
  MakeApp();
  ASSERT_TRUE(app->InitInstance());
  CKestrinView* view = ViewOf(app->MainFrame());
  EXPECT_EQ(view->ScanSlot(), 1);
  EXPECT_TRUE(view->RootFolder().GetName().empty());
}

TEST_F(StartUp, SkinCommandsStoreTheChoiceAndSkinOneAppliesIt) {
  MakeApp();
  ASSERT_TRUE(app->InitInstance());
  CMainFrame* frame = app->MainFrame();
  frame->SendMessage(WM_COMMAND, ID_SKIN_ONE);
  ASSERT_EQ(g_skinCalls.size(), 1u);
  EXPECT_EQ(shell::ReadSkinSetting(registry, {platform::RegRoot::CurrentUser, kScratch}), 1);
  frame->SendMessage(WM_COMMAND, ID_SKIN_TWO);
  EXPECT_EQ(g_skinCalls.size(), 1u);  // the running look stays
  EXPECT_EQ(shell::ReadSkinSetting(registry, {platform::RegRoot::CurrentUser, kScratch}), 0);
}

TEST_F(StartUp, ClosingTheFrameEndsTheProgramAndRemovesTheTrayIcon) {
  MakeApp();
  ASSERT_TRUE(app->InitInstance());
  CMainFrame* frame = app->MainFrame();
  HWND wnd = frame->m_hWnd;
  frame->PostMessage(WM_COMMAND, ID_APP_EXIT);
  EXPECT_EQ(app->Run(), 0);  // returns once the frame is gone
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(app->MainFrame(), nullptr);
  // The icon went with the window.
  ASSERT_FALSE(system.calls.empty());
  EXPECT_EQ(system.calls.back(), L"tray:delete");
}

TEST_F(StartUp, ARestartWithTheRightsEndsThisInstanceAsExitDoes) {
  MakeApp();
  ASSERT_TRUE(app->InitInstance());
  CMainFrame* frame = app->MainFrame();
  HWND wnd = frame->m_hWnd;
  int restarts = 0;
  frame->SetRightsCheck([] { return false; });
  frame->SetElevatedRestart([&restarts] {
    ++restarts;
    return DWORD{0};
  });
  system.answer = IDYES;
  frame->PostMessage(WM_COMMAND, ID_FUNC_OPTIMIZE);
  EXPECT_EQ(app->Run(), 0);  // returns once the frame is gone
  EXPECT_EQ(1, restarts);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(app->MainFrame(), nullptr);
  // No library ran, and the icon went with the window.
  ASSERT_FALSE(system.calls.empty());
  EXPECT_EQ(system.calls.back(), L"tray:delete");
  for (const std::wstring& call : system.calls) EXPECT_NE(call, L"sound:WAV\\start.wav");
}

TEST_F(StartUp, AFrameThatCannotBeCreatedEndsTheStartCleanly) {
  MakeApp();
  // Resources from a module that has none of ours: the toolbar cannot load.
  AfxSetResourceHandle(GetModuleHandleW(L"kernel32.dll"));
  bool started = app->InitInstance();
  AfxSetResourceHandle(nullptr);
  EXPECT_FALSE(started);
  EXPECT_EQ(app->m_pMainWnd, nullptr);
  EXPECT_EQ(app->MainFrame(), nullptr);
  // The icon added during creation went with the failed window.
  EXPECT_EQ(system.calls, (std::vector<std::wstring>{L"tray:add", L"tray:delete"}));
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

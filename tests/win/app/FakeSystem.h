// A SystemActions that records what the frame asks and answers as told.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/FolderShell.h"
#include "app/SystemActions.h"

class FakeSystem : public SystemActions {
 public:
  std::vector<std::wstring> calls;
  int answer = IDNO;
  // Runs while a question is up, as other messages run in its loop.
  std::function<void()> whileAsking;
  bool tokenOk = true;
  bool privilegeOk = true;
  bool exitOk = true;

  int MessageBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type) override {
    calls.push_back(L"box:" + std::wstring(text) + L"|" + caption + L"|" + std::to_wstring(type));
    // Questions get the answer told; plain reports their OK.
    const UINT buttons = type & MB_TYPEMASK;
    if (whileAsking && (buttons == MB_YESNO || buttons == MB_YESNOCANCEL)) whileAsking();
    return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? answer : IDOK;
  }
  HANDLE OpenProcessToken() override {
    calls.push_back(L"token");
    return tokenOk ? reinterpret_cast<HANDLE>(0x1234) : nullptr;
  }
  bool EnableShutdownPrivilege(HANDLE token) override {
    calls.push_back(token ? L"privilege" : L"privilege:none");
    return privilegeOk && token;
  }
  void CloseToken(HANDLE token) override {
    if (token) calls.push_back(L"close");
  }
  bool ExitSession(UINT flags) override {
    calls.push_back(L"exit:" + std::to_wstring(flags));
    return exitOk;
  }
  void OpenUrl(HWND, const wchar_t* url) override { calls.push_back(L"url:" + std::wstring(url)); }
  void PlaySoundFile(const wchar_t* path) override { calls.push_back(L"sound:" + std::wstring(path)); }
  bool NotifyIcon(DWORD message, NOTIFYICONDATAW& data) override {
    calls.push_back(message == NIM_ADD ? L"tray:add" : message == NIM_DELETE ? L"tray:delete" : L"tray:other");
    if (message == NIM_ADD) added = data;
    return true;
  }
  void OpenFolder(HWND, const wchar_t* path) override { calls.push_back(L"open:" + std::wstring(path)); }
  void ShowFileInFolder(HWND, const wchar_t* path) override {
    calls.push_back(L"select:" + std::wstring(path));
  }
  // Moves for real: tests name folders of their own scratch trees only.
  bool RecycleFolder(HWND owner, const wchar_t* path) override {
    calls.push_back(L"recycle:" + std::wstring(path));
    return shell::RecycleToBin(owner, path) == shell::RecycleResult::kDone;
  }
  NOTIFYICONDATAW added{};
};

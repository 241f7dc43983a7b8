// release_probe.exe: what the release tests ask Windows about the shipped
// files and about a running program. Output is UTF-8 on stdout.
//
//   release_probe version FILE            FILE's version record: "numbers" (file
//                                         and product, from the fixed part), then
//                                         one "Name text" line per string
//   release_probe hold-window TITLE ID    a top-level window TITLE with the
//                                         notification-area icon ID, which ignores
//                                         WM_CLOSE: a program that does not close,
//                                         for the uninstaller to end
//   release_probe tray-icon DESKTOP HWND ID
//                                         exit 0 while the notification-area icon
//                                         (HWND, ID) is shown on DESKTOP
//
// Exit 0 on success, 1 when the thing looked for is not there, 2 on bad usage.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/TextWin.h"

namespace {

void Print(const std::string& s) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

std::string Numbers(DWORD ms, DWORD ls) {
  char text[64];
  std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(ms)),
                static_cast<unsigned long>(LOWORD(ms)), static_cast<unsigned long>(HIWORD(ls)),
                static_cast<unsigned long>(LOWORD(ls)));
  return text;
}

int Version(const wchar_t* file) {
  DWORD size = GetFileVersionInfoSizeW(file, nullptr);
  if (size == 0) return 1;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(file, 0, size, block.data())) return 1;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return 1;
  Print("numbers " + Numbers(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + " " +
        Numbers(fixed->dwProductVersionMS, fixed->dwProductVersionLS) + "\n");
  WORD* lang = nullptr;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&lang), &length) ||
      length < 4) {
    return 1;
  }
  wchar_t table[32];
  std::swprintf(table, 32, L"\\StringFileInfo\\%04x%04x\\", lang[0], lang[1]);
  for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                              L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
    wchar_t* value = nullptr;
    std::wstring path = std::wstring(table) + name;
    if (VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) && value) {
      Print(platform::Narrow(name) + " " + platform::Narrow(value) + "\n");
    }
  }
  return 0;
}

LRESULT CALLBACK HoldProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE) return 0;  // the point: it will not close
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

int HoldWindow(const wchar_t* title, UINT id) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = HoldProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"ReleaseProbeHold";
  if (!RegisterClassW(&wc)) return 1;
  HWND wnd = CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                             nullptr, nullptr, wc.hInstance, nullptr);
  if (!wnd) return 1;
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = wnd;
  icon.uID = id;
  icon.uFlags = NIF_ICON | NIF_TIP;
  icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wcscpy(icon.szTip, L"release_probe");
  if (!Shell_NotifyIconW(NIM_ADD, &icon)) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

int TrayIcon(const wchar_t* desktop, HWND owner, UINT id) {
  // The notification area belongs to a desktop: ask the one the program runs on.
  HDESK desk = OpenDesktopW(desktop, 0, FALSE, GENERIC_ALL);
  if (!desk || !SetThreadDesktop(desk)) return 2;
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = owner;
  icon.uID = id;
  // Modifying nothing succeeds exactly when the icon is there.
  return Shell_NotifyIconW(NIM_MODIFY, &icon) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring cmd = argc > 1 ? argv[1] : L"";
  if (cmd == L"version" && argc == 3) return Version(argv[2]);
  if (cmd == L"hold-window" && argc == 4) return HoldWindow(argv[2], static_cast<UINT>(std::wcstoul(argv[3], nullptr, 10)));
  if (cmd == L"tray-icon" && argc == 5) {
    auto owner = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(argv[3], nullptr, 16)));
    return TrayIcon(argv[2], owner, static_cast<UINT>(std::wcstoul(argv[4], nullptr, 10)));
  }
  std::fputs("usage: release_probe version FILE | hold-window TITLE ID | tray-icon DESKTOP HWND ID\n", stderr);
  return 2;
}

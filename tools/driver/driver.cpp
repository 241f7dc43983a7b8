// driver.exe: a small console program that drives Dravon for the end-to-end
// tests and run.sh. It finds top-level windows by exact title, on this
// desktop or on any other desktop of the window station (the program runs
// inside a Wine virtual desktop), posts commands and clicks, and reads
// window facts and the registry. Output is UTF-8 on stdout.
//
//   driver wait-window TITLE MS        exit 0 once a visible window TITLE exists
//   driver wait-window-gone TITLE MS   exit 0 once no window TITLE exists
//   driver window-info TITLE           rect, client size, styles, class, menu
//                                      (another process's menu is read with
//                                      driverhook.dll, beside driver.exe)
//   driver children TITLE              child windows: id, class, rect in the
//                                      parent's client area, text
//   driver list-windows                every top-level window
//   driver hold-desktop                stays a user of the desktop until ended, so
//                                      that Wine's desktop process does not end
//                                      (a second after its last user) and start
//                                      again for every short-lived test program
//   driver post-command TITLE ID       post WM_COMMAND ID
//   driver send-command TITLE ID [MS]  send WM_COMMAND ID, waiting at most MS
//   driver post TITLE MSG WPARAM LPARAM post any message (numbers as in C: 0x112)
//   driver close TITLE                 post WM_CLOSE
//   driver click X Y [TITLE]           left click at screen point X, Y, as
//                                      button messages to the window a hit
//                                      test finds there (inside window TITLE)
//   driver double-click X Y TITLE      the same, twice, the second as a
//                                      double click
//   driver right-click X Y TITLE       a right click posted there (its
//                                      context menu follows)
//   driver pointer X Y                 moves the mouse pointer to screen point
//                                      X, Y (the system then sends the moves,
//                                      the rests and the leaving)
//   driver reg-query ROOT KEY VALUE    type and raw bytes (hex), as the ANSI
//                                      functions read them
//   driver reg-key-exists ROOT KEY     exit 0 when the key exists
//   driver reg-delete-key ROOT KEY     delete the key and its subkeys
//   driver reg-delete-value ROOT KEY VALUE
//                                      delete one value (exit 0 when it is
//                                      gone, also when it was not there)
//   driver tab-items TITLE ID          the tabs of tab control ID (a descendant
//                                      of window TITLE): index, selected, screen
//                                      rect, text, tab-separated
//   driver list-rows TITLE ID          the rows of list view ID: index, image,
//                                      each column's text, tab-separated
//   driver list-show TITLE ID ROW      scroll list view ID until row ROW shows
//   driver control-text TITLE ID       the whole text of control ID
//   driver set-text TITLE ID TEXT      sets the text of control ID (an edit
//                                      box the user would type in)
//   driver button-check TITLE ID       check state of button ID: 0, 1 or 2
//                                      (IDs name the shown control first:
//                                      tab pages may repeat each other's)
//   driver gui-counts TITLE            GDI and USER objects of TITLE's process
//   driver process-counts TITLE        threads and kernel handles of TITLE's process
//   driver ping TITLE [MS]             time of a WM_NULL round trip to TITLE
//                                      (exit 1 when none within MS, default 5000)
//   driver posted-input TITLE CMD N MS  N rounds of posted input to TITLE (command CMD
//                                      makes it topmost), each timed to being carried out
//                                      (exit 1 when one is not within MS)
//   driver child-rect TITLE CLASS N    screen rect of the Nth (from 0) descendant
//                                      of TITLE of window class CLASS (#ID: of
//                                      control id ID)
//   driver scan-bench TITLE X Y ID [MS] a click at X Y, then WM_NULL round trips
//                                      until list view ID selects its row 0:
//                                      the time taken and the longest trip
//   driver click-alternate TITLE X1 Y1 X2 Y2 N MS
//                                      N clicks, at X1 Y1 and X2 Y2 in turn, MS
//                                      apart, into TITLE; the most threads seen
//   driver repeat-dialog TITLE ID DIALOG N
//                                      N times: post command ID to TITLE, wait
//                                      for window DIALOG, close it, wait until
//                                      it is gone; prints the time taken
//
// ROOT is HKLM, HKCU, HKCR or HKU. Titles may carry \uXXXX escapes, for
// shells whose locale cannot pass Chinese text. Exit 0 on success, 1 when
// the thing looked for is not there or an action fails, 2 on bad usage.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "MenuText.h"
#include "ProcessFacts.h"
#include "RemoteControls.h"
#include "platform/TextWin.h"

namespace {

// ---- text -----------------------------------------------------------------

using platform::Narrow;

// An argument with its \uXXXX escapes expanded. Wine converts the command
// line from the Unix locale: in a UTF-8 locale Chinese text arrives intact,
// in the C locale it is lost, and only the escaped form gets through.
std::wstring Argument(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\\' && i + 5 < text.size() && text[i + 1] == L'u' &&
        std::all_of(text.begin() + i + 2, text.begin() + i + 6, [](wchar_t c) { return iswxdigit(c) != 0; })) {
      out += static_cast<wchar_t>(std::wcstoul(text.substr(i + 2, 4).c_str(), nullptr, 16));
      i += 5;
      continue;
    }
    out += text[i];
  }
  return out;
}

void Print(const std::string& s) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

void Error(const std::string& s) {
  DWORD written = 0;
  const std::string line = "driver: " + s + "\n";
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

std::wstring WindowText(HWND wnd) {
  wchar_t buffer[512] = {};
  // WM_GETTEXT with a time limit: a hung window must not hang the driver.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(wnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &length))
    return {};
  return buffer;
}

std::wstring ClassName(HWND wnd) {
  wchar_t buffer[256] = {};
  GetClassNameW(wnd, buffer, 256);
  return buffer;
}

// ---- finding windows across desktops -------------------------------------------

struct Found {
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM param) {
  reinterpret_cast<Found*>(param)->windows.push_back(wnd);
  return TRUE;
}

BOOL CALLBACK CollectDesktop(LPWSTR name, LPARAM param) {
  reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(name);
  return TRUE;
}

// Top-level windows of every desktop of this window station, this thread's
// desktop first.
std::vector<HWND> TopLevelWindows() {
  Found found;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
  std::vector<std::wstring> desktops;
  EnumDesktopsW(GetProcessWindowStation(), CollectDesktop, reinterpret_cast<LPARAM>(&desktops));
  for (const auto& name : desktops) {
    HDESK desk = OpenDesktopW(name.c_str(), 0, FALSE, DESKTOP_ENUMERATE | DESKTOP_READOBJECTS);
    if (!desk) continue;
    Found more;
    EnumDesktopWindows(desk, CollectWindow, reinterpret_cast<LPARAM>(&more));
    CloseDesktop(desk);
    for (HWND w : more.windows) {
      bool seen = false;
      for (HWND v : found.windows) seen = seen || v == w;
      if (!seen) found.windows.push_back(w);
    }
  }
  return found.windows;
}

// The style bit, not IsWindowVisible: Wine reports the windows of another
// desktop as hidden.
bool Visible(HWND w) { return (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0; }

HWND FindTitled(const std::wstring& title, bool visibleOnly) {
  for (HWND w : TopLevelWindows()) {
    if (visibleOnly && !Visible(w)) continue;
    if (WindowText(w) == title) return w;
  }
  return nullptr;
}

HWND RequireWindow(const std::wstring& title) {
  HWND w = FindTitled(title, false);
  if (!w) Error("no window titled \"" + Narrow(title) + "\"");
  return w;
}

// ---- commands -----------------------------------------------------------

int WaitWindow(const std::wstring& title, DWORD ms, bool gone) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    const bool present = FindTitled(title, !gone) != nullptr;
    if (present != gone) return 0;
    if (GetTickCount64() >= end) {
      Error(std::string(gone ? "still there: \"" : "did not appear: \"") + Narrow(title) + "\"");
      return 1;
    }
    Sleep(100);
  }
}

// Opens and closes a window by a command of its owner, `times` times over.
int RepeatDialog(HWND owner, UINT command, const std::wstring& dialog, int times) {
  const ULONGLONG start = GetTickCount64();
  for (int i = 0; i < times; ++i) {
    if (!PostMessageW(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0) || WaitWindow(dialog, 15000, false) != 0)
      return 1;
    HWND w = FindTitled(dialog, true);
    if (!w || !PostMessageW(w, WM_CLOSE, 0, 0) || WaitWindow(dialog, 15000, true) != 0) return 1;
  }
  Print(Format("cycles %d ms %llu\n", times, GetTickCount64() - start));
  return 0;
}

// Another process's menu, read by driverhook.dll inside that process (see
// there). Empty when the hook cannot be placed or does not answer.
std::wstring g_remoteMenu;
bool g_remoteMenuArrived = false;

LRESULT CALLBACK AnswerProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data->dwData == 0x4D454E55 && data->cbData >= sizeof(wchar_t)) {
      g_remoteMenu.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t) - 1);
      g_remoteMenuArrived = true;
    }
    return TRUE;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

std::optional<std::wstring> RemoteMenu(HWND w) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring hookPath(path);
  hookPath.resize(hookPath.find_last_of(L'\\') + 1);
  hookPath += L"driverhook.dll";
  HMODULE hookDll = LoadLibraryW(hookPath.c_str());
  if (!hookDll) return std::nullopt;
  auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hookDll, "DriverGetMsgProc")));
  const DWORD thread = GetWindowThreadProcessId(w, nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = AnswerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"DravonDriverAnswer";
  RegisterClassW(&wc);
  HWND answer = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  HHOOK hook = proc && answer ? SetWindowsHookExW(WH_GETMESSAGE, proc, hookDll, thread) : nullptr;
  std::optional<std::wstring> menu;
  if (hook) {
    PostMessageW(w, RegisterWindowMessageW(L"DravonDriverMenuRequest"), reinterpret_cast<WPARAM>(answer), 0);
    const ULONGLONG end = GetTickCount64() + 5000;
    while (!g_remoteMenuArrived && GetTickCount64() < end) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    UnhookWindowsHookEx(hook);
    if (g_remoteMenuArrived) menu = g_remoteMenu;
  }
  if (answer) DestroyWindow(answer);
  FreeLibrary(hookDll);
  return menu;
}

int WindowInfo(HWND w) {
  RECT r{}, c{};
  GetWindowRect(w, &r);
  GetClientRect(w, &c);
  Print("title \"" + Narrow(WindowText(w)) + "\"\n");
  Print("class \"" + Narrow(ClassName(w)) + "\"\n");
  Print(Format("rect %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom));
  Print(Format("size %ld %ld\n", r.right - r.left, r.bottom - r.top));
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  Print(Format("client %ld %ld\n", c.right, c.bottom));
  Print(Format("client-origin %ld %ld\n", origin.x, origin.y));
  Print(Format("style 0x%08lX\n", static_cast<unsigned long>(GetWindowLongW(w, GWL_STYLE))));
  Print(Format("exstyle 0x%08lX\n", static_cast<unsigned long>(GetWindowLongW(w, GWL_EXSTYLE))));
  Print(Format("visible %d\n", Visible(w) ? 1 : 0));
  Print(Format("topmost %d\n", (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0));
  HMENU menu = GetMenu(w);
  if (menu && GetMenuItemCount(menu) >= 0) {
    std::wstring text;
    AppendMenuText(menu, 0, text);
    Print(Narrow(text));
  } else if (menu) {
    const auto text = RemoteMenu(w);
    if (!text) {
      Error("cannot read the menu of another process");
      return 1;
    }
    Print(Narrow(*text));
  }
  return 0;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM top) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, reinterpret_cast<HWND>(top), reinterpret_cast<POINT*>(&r), 2);
  int depth = 0;
  for (HWND p = GetParent(child); p && p != reinterpret_cast<HWND>(top); p = GetParent(p)) ++depth;
  Print(std::string(static_cast<size_t>(depth) * 2, ' ') +
        Format("child %d \"", GetDlgCtrlID(child)) + Narrow(ClassName(child)) + "\"" +
        Format(" %ld %ld %ld %ld", r.left, r.top, r.right - r.left, r.bottom - r.top) +
        (Visible(child) ? " visible" : " hidden") + " \"" + Narrow(WindowText(child)) + "\"\n");
  return TRUE;
}

// A left click at screen point x, y, sent as button messages to the window
// a hit test finds under the point inside the target window (by default the
// uppermost visible top-level window there): input sent from here does not
// reach another Wine desktop. Where no window is, it is real input.
int Click(int x, int y, HWND target) {
  for (HWND w : TopLevelWindows()) {
    if (target) break;
    RECT r{};
    if (Visible(w) && GetWindowRect(w, &r) && PtInRect(&r, POINT{x, y}) && !WindowText(w).empty()) target = w;
  }
  if (!target) {
    if (!SetCursorPos(x, y)) return 1;
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, input, sizeof(INPUT)) == 2 ? 0 : 1;
  }
  return driver::PostClick(target, POINT{x, y}) ? 0 : 1;
}

bool ParseRoot(const std::wstring& name, HKEY* root) {
  if (name == L"HKLM" || name == L"HKEY_LOCAL_MACHINE") *root = HKEY_LOCAL_MACHINE;
  else if (name == L"HKCU" || name == L"HKEY_CURRENT_USER") *root = HKEY_CURRENT_USER;
  else if (name == L"HKCR" || name == L"HKEY_CLASSES_ROOT") *root = HKEY_CLASSES_ROOT;
  else if (name == L"HKU" || name == L"HKEY_USERS") *root = HKEY_USERS;
  else return false;
  return true;
}

const char* TypeName(DWORD type) {
  switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "REG_OTHER";
  }
}

// Type and bytes as RegQueryValueExA returns them: the program writes its
// values with the ANSI functions, so this is the view the checks compare.
int RegQuery(HKEY root, const std::wstring& key, const std::wstring& value) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) {
    Error("no key " + Narrow(key));
    return 1;
  }
  char name[512] = {};
  WideCharToMultiByte(CP_ACP, 0, value.c_str(), -1, name, sizeof name - 1, nullptr, nullptr);
  DWORD type = 0, size = 0;
  LONG rc = RegQueryValueExA(k, name, nullptr, &type, nullptr, &size);
  std::vector<BYTE> data(size + 1);
  if (rc == ERROR_SUCCESS) rc = RegQueryValueExA(k, name, nullptr, &type, data.data(), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) {
    Error("no value " + Narrow(value));
    return 1;
  }
  std::string hex;
  for (DWORD i = 0; i < size; ++i) hex += Format("%02x", data[i]);
  Print(Format("type %s\nlength %lu\nbytes %s\n", TypeName(type), static_cast<unsigned long>(size), hex.c_str()));
  return 0;
}

int RegDeleteValue(HKEY root, const std::wstring& key, const std::wstring& value) {
  HKEY k = nullptr;
  LONG rc = RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, &k);
  if (rc == ERROR_FILE_NOT_FOUND) return 0;
  if (rc != ERROR_SUCCESS) return 1;
  rc = RegDeleteValueW(k, value.c_str());
  RegCloseKey(k);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? 0 : 1;
}

int HoldDesktop() {
  // A message-only window makes this thread a user of the desktop.
  HWND w = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!w) return 1;
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  DestroyWindow(w);
  return 0;
}

// Control `id` (a descendant) of the window titled `title`, or null (said).
HWND RequireControl(const std::wstring& title, const std::wstring& id) {
  HWND w = RequireWindow(title);
  if (!w) return nullptr;
  HWND control = driver::FindDescendant(w, static_cast<int>(std::wcstol(id.c_str(), nullptr, 0)));
  if (!control) Error("no control " + Narrow(id));
  return control;
}

int Usage() {
  Error("usage: driver COMMAND ARGS (see the head of tools/driver/driver.cpp)");
  return 2;
}

int Run(const std::vector<std::wstring>& a) {
  if (a.empty()) return Usage();
  const std::wstring& cmd = a[0];
  const size_t n = a.size() - 1;
  auto number = [](const std::wstring& s) { return std::wcstol(s.c_str(), nullptr, 0); };

  if (cmd == L"wait-window" && n == 2) return WaitWindow(a[1], static_cast<DWORD>(number(a[2])), false);
  if (cmd == L"wait-window-gone" && n == 2) return WaitWindow(a[1], static_cast<DWORD>(number(a[2])), true);
  if (cmd == L"hold-desktop" && n == 0) return HoldDesktop();
  if (cmd == L"list-windows" && n == 0) {
    for (HWND w : TopLevelWindows()) {
      RECT r{};
      GetWindowRect(w, &r);
      Print(Format("%p %s %ld %ld %ld %ld \"", static_cast<void*>(w), Visible(w) ? "visible" : "hidden",
                   r.left, r.top, r.right - r.left, r.bottom - r.top) +
            Narrow(ClassName(w)) + "\" \"" + Narrow(WindowText(w)) + "\"\n");
    }
    return 0;
  }
  if (cmd == L"double-click" && n == 3) {
    HWND target = RequireWindow(a[3]);
    if (!target) return 1;
    return driver::PostClick(target, POINT{number(a[1]), number(a[2])}, true) ? 0 : 1;
  }
  if (cmd == L"right-click" && n == 3) {
    HWND target = RequireWindow(a[3]);
    if (!target) return 1;
    return driver::PostRightClick(target, POINT{number(a[1]), number(a[2])}) ? 0 : 1;
  }
  if (cmd == L"pointer" && n == 2) return SetCursorPos(number(a[1]), number(a[2])) ? 0 : 1;
  if (cmd == L"click" && (n == 2 || n == 3)) {
    HWND target = n == 3 ? RequireWindow(a[3]) : nullptr;
    if (n == 3 && !target) return 1;
    return Click(number(a[1]), number(a[2]), target);
  }
  if ((cmd == L"window-info" || cmd == L"children" || cmd == L"close") && n == 1) {
    HWND w = RequireWindow(a[1]);
    if (!w) return 1;
    if (cmd == L"window-info") return WindowInfo(w);
    if (cmd == L"children") {
      EnumChildWindows(w, PrintChild, reinterpret_cast<LPARAM>(w));
      return 0;
    }
    return PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (cmd == L"post-command" && n == 2) {
    HWND w = RequireWindow(a[1]);
    if (!w) return 1;
    return PostMessageW(w, WM_COMMAND, MAKEWPARAM(number(a[2]), 0), 0) ? 0 : 1;
  }
  if (cmd == L"post" && n == 4) {
    HWND w = RequireWindow(a[1]);
    if (!w) return 1;
    const auto value = [](const std::wstring& t) { return std::wcstoull(t.c_str(), nullptr, 0); };
    return PostMessageW(w, static_cast<UINT>(value(a[2])), static_cast<WPARAM>(value(a[3])),
                        static_cast<LPARAM>(value(a[4])))
               ? 0
               : 1;
  }
  if (cmd == L"send-command" && (n == 2 || n == 3)) {
    HWND w = RequireWindow(a[1]);
    if (!w) return 1;
    const UINT ms = n == 3 ? static_cast<UINT>(number(a[3])) : 5000;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(w, WM_COMMAND, MAKEWPARAM(number(a[2]), 0), 0, SMTO_NORMAL, ms, &result)) {
      Error("the command did not return in time");
      return 1;
    }
    return 0;
  }
  if (cmd == L"set-text" && n == 3) {
    HWND control = RequireControl(a[1], a[2]);
    if (!control) return 1;
    // A combo box's text is its edit box's (nested: ComboBoxEx, ComboBox, Edit).
    for (HWND inner = FindWindowExW(control, nullptr, nullptr, nullptr); inner;
         inner = FindWindowExW(inner, nullptr, nullptr, nullptr)) {
      if (ClassName(inner) == L"Edit") control = inner;
    }
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[3].c_str()), SMTO_NORMAL,
                               5000, &result) && result ? 0 : 1;
  }
  if ((cmd == L"tab-items" || cmd == L"list-rows" || cmd == L"control-text" || cmd == L"button-check") &&
      n == 2) {
    HWND control = RequireControl(a[1], a[2]);
    if (!control) return 1;
    if (cmd == L"tab-items") return driver::PrintTabItems(control);
    if (cmd == L"list-rows") return driver::PrintListRows(control);
    if (cmd == L"button-check") return driver::PrintButtonCheck(control);
    return driver::PrintControlText(control);
  }
  if (cmd == L"list-show" && n == 3) {
    HWND w = RequireWindow(a[1]);
    HWND list = w ? driver::FindDescendant(w, static_cast<int>(number(a[2]))) : nullptr;
    if (!list) return 1;
    return SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(number(a[3])), FALSE) ? 0 : 1;
  }
  if (cmd == L"gui-counts" && n == 1) {
    HWND w = RequireWindow(a[1]);
    return w ? driver::PrintGuiCounts(w, TopLevelWindows()) : 1;
  }
  if (cmd == L"process-counts" && n == 1) {
    HWND w = RequireWindow(a[1]);
    return w ? driver::PrintProcessCounts(w) : 1;
  }
  if (cmd == L"ping" && (n == 1 || n == 2)) {
    HWND w = RequireWindow(a[1]);
    return w ? driver::PrintRoundTrip(w, n == 2 ? static_cast<UINT>(number(a[2])) : 5000) : 1;
  }
  if (cmd == L"posted-input" && n == 4) {
    HWND w = RequireWindow(a[1]);
    return w ? driver::PrintPostedInput(w, static_cast<UINT>(number(a[2])),
                                        static_cast<int>(number(a[3])),
                                        static_cast<UINT>(number(a[4])))
             : 1;
  }
  if (cmd == L"child-rect" && n == 3) {
    HWND w = RequireWindow(a[1]);
    return w ? driver::PrintChildRect(w, a[2], static_cast<int>(number(a[3]))) : 1;
  }
  if (cmd == L"scan-bench" && (n == 4 || n == 5)) {
    HWND w = RequireWindow(a[1]);
    if (!w) return 1;
    HWND list = driver::FindDescendant(w, static_cast<int>(number(a[4])));
    if (!list) {
      Error("no control " + Narrow(a[4]));
      return 1;
    }
    return driver::MeasureScanAfterClick(w, POINT{number(a[2]), number(a[3])}, list,
                                         n == 5 ? static_cast<UINT>(number(a[5])) : 300000);
  }
  if (cmd == L"click-alternate" && n == 7) {
    HWND w = RequireWindow(a[1]);
    if (!w) return 1;
    const POINT first{number(a[2]), number(a[3])};
    const POINT second{number(a[4]), number(a[5])};
    return driver::ClickAlternately(w, first, second, static_cast<int>(number(a[6])),
                                    static_cast<UINT>(number(a[7])));
  }
  if (cmd == L"repeat-dialog" && n == 4) {
    HWND w = RequireWindow(a[1]);
    if (!w) return 1;
    return RepeatDialog(w, static_cast<UINT>(number(a[2])), a[3], static_cast<int>(number(a[4])));
  }
  if (cmd.rfind(L"reg-", 0) == 0 && n >= 2) {
    HKEY root{};
    if (!ParseRoot(a[1], &root)) return Usage();
    if (cmd == L"reg-query" && n == 3) return RegQuery(root, a[2], a[3]);
    if (cmd == L"reg-key-exists" && n == 2) {
      HKEY k = nullptr;
      if (RegOpenKeyExW(root, a[2].c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return 1;
      RegCloseKey(k);
      return 0;
    }
    if (cmd == L"reg-delete-value" && n == 3) return RegDeleteValue(root, a[2], a[3]);
    if (cmd == L"reg-delete-key" && n == 2) {
      const LONG rc = RegDeleteTreeW(root, a[2].c_str());
      if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
        RegDeleteKeyW(root, a[2].c_str());  // RegDeleteTree leaves the key itself
        return 0;
      }
      return 1;
    }
  }
  return Usage();
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(Argument(argv[i]));
  LocalFree(argv);
  return Run(args);
}

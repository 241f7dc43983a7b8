// The process's GDI and USER object counts, for leak tests: open and close a
// window many times and compare the counts before and after.
//
// Windows answers GetGuiResources. Wine's is a stub (it returns 0 and sets
// ERROR_CALL_NOT_IMPLEMENTED), so there the counts come from what Wine does
// keep: the GDI handle table the process environment block points to (one
// 24-byte entry per handle, a non-zero type byte at offset 14 for a live
// object, as on Windows) and the process's windows, top-level, child and
// message-only. Under Wine the USER count therefore leaves out menus, icons
// and cursors. The first use of many calls allocates objects once (font
// caches, stock objects), so warm up before taking the first count. The
// end-to-end driver counts a running program's objects the same way, from
// outside (GuiCountsOf).
#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dravon_test {

// GDI objects the system may still make once after a warm-up (Wine grows
// its cache of window DCs when two are in use at once, which depends on
// timing). A leak grows with every cycle, far past this.
inline constexpr long kGdiCacheSlack = 2;

struct GuiCounts {
  long gdi = 0;
  long user = 0;
  friend bool operator==(const GuiCounts&, const GuiCounts&) = default;
};

namespace gui_detail {

struct HandleEntry {
  std::uint64_t object;
  std::uint16_t processId;
  std::uint16_t count;
  std::uint16_t unique;
  std::uint8_t type;
  std::uint8_t flags;
  std::uint64_t user;
};
static_assert(sizeof(HandleEntry) == 24);
constexpr std::size_t kHandleTableOffset = 0xF8;  // PEB.GdiSharedHandleTable, x64
constexpr int kMaxHandles = 0x10000;

inline long CountLive(const HandleEntry* table) {
  long live = 0;
  for (int i = 0; i < kMaxHandles; ++i) live += table[i].type != 0;
  return live;
}

inline long CountGdiHandles() {
  auto* peb = reinterpret_cast<std::uint8_t*>(NtCurrentTeb()->ProcessEnvironmentBlock);
  auto* table = *reinterpret_cast<const HandleEntry* const*>(peb + kHandleTableOffset);
  return table ? CountLive(table) : -1;
}

// The same table of another process (opened with PROCESS_QUERY_INFORMATION
// and PROCESS_VM_READ), read through its environment block.
inline long CountGdiHandles(HANDLE process) {
  using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION info{};
  if (!query || query(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return -1;
  std::uint64_t table = 0;
  if (!ReadProcessMemory(process, static_cast<std::uint8_t*>(static_cast<void*>(info.PebBaseAddress)) + kHandleTableOffset,
                         &table, sizeof table, nullptr) ||
      table == 0)
    return -1;
  std::vector<HandleEntry> copy(kMaxHandles);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), copy.data(),
                         copy.size() * sizeof(HandleEntry), nullptr))
    return -1;
  return CountLive(copy.data());
}

inline BOOL CALLBACK CountChildren(HWND, LPARAM counter) {
  ++*reinterpret_cast<long*>(counter);
  return TRUE;
}

struct WindowTally {
  DWORD pid;
  long count;
};

inline BOOL CALLBACK CountTopLevel(HWND wnd, LPARAM param) {
  auto* tally = reinterpret_cast<WindowTally*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid != tally->pid) return TRUE;
  ++tally->count;
  EnumChildWindows(wnd, CountChildren, reinterpret_cast<LPARAM>(&tally->count));  // every descendant
  return TRUE;
}

inline BOOL CALLBACK NameChildren(HWND wnd, LPARAM names) {
  wchar_t cls[64] = {};
  GetClassNameW(wnd, cls, 64);
  auto* out = reinterpret_cast<std::wstring*>(names);
  *out += cls;
  *out += L' ';
  return TRUE;
}

inline BOOL CALLBACK NameTopLevel(HWND wnd, LPARAM names) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  NameChildren(wnd, names);
  EnumChildWindows(wnd, NameChildren, names);
  return TRUE;
}

// The windows of process `pid` among `topLevel` and the message-only
// windows, with all their descendants.
inline long CountWindows(DWORD pid, const std::vector<HWND>& topLevel) {
  WindowTally tally{pid, 0};
  for (HWND w : topLevel) CountTopLevel(w, reinterpret_cast<LPARAM>(&tally));
  for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
       w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) {
    CountTopLevel(w, reinterpret_cast<LPARAM>(&tally));
  }
  return tally.count;
}

inline BOOL CALLBACK CollectWindow(HWND wnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(wnd);
  return TRUE;
}

inline long CountWindows() {
  std::vector<HWND> topLevel;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&topLevel));
  return CountWindows(GetCurrentProcessId(), topLevel);
}

}  // namespace gui_detail

// The window classes of the process's windows, for a failure message.
inline std::string DescribeWindows() {
  std::wstring names;
  EnumWindows(gui_detail::NameTopLevel, reinterpret_cast<LPARAM>(&names));
  for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
       w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) {
    gui_detail::NameTopLevel(w, reinterpret_cast<LPARAM>(&names));
  }
  std::string out;
  for (wchar_t c : names) out += c < 128 ? static_cast<char>(c) : '?';
  return "windows: " + out;
}

// Another process's counts: `process` opened with PROCESS_QUERY_INFORMATION
// and PROCESS_VM_READ, its windows among `topLevel` (which may span desktops).
inline GuiCounts GuiCountsOf(HANDLE process, const std::vector<HWND>& topLevel) {
  GuiCounts c;
  SetLastError(0);
  c.gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
  c.user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
  if (c.gdi == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
    c.gdi = gui_detail::CountGdiHandles(process);
    c.user = gui_detail::CountWindows(GetProcessId(process), topLevel);
  }
  return c;
}

inline GuiCounts CurrentGuiCounts() {
  SetLastError(0);
  GuiCounts c;
  c.gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  c.user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  if (c.gdi == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
    c.gdi = gui_detail::CountGdiHandles();
    c.user = gui_detail::CountWindows();
  }
  return c;
}

}  // namespace dravon_test

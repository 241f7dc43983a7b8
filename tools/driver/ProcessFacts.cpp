#include "ProcessFacts.h"

#include "app/diskview/scan/FolderReadAhead.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <utility>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>

namespace driver {
namespace {

void Print(const char* format, long long value) {
  char line[128];
  std::snprintf(line, sizeof line, format, value);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(std::strlen(line)), &written,
            nullptr);
}

DWORD ProcessOf(HWND wnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  return pid;
}

// Where a thread began, as the system recorded it; 0 when it cannot say.
std::uintptr_t StartAddress(DWORD threadId) {
  using QueryThread = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<QueryThread>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
  constexpr int kThreadQuerySetWin32StartAddress = 9;
  HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
  std::uintptr_t start = 0;
  if (thread && query) {
    PVOID address = nullptr;
    if (query(thread, kThreadQuerySetWin32StartAddress, &address, sizeof address, nullptr) == 0) {
      start = reinterpret_cast<std::uintptr_t>(address);
    }
  }
  if (thread) CloseHandle(thread);
  return start;
}

// The name the thread gave itself, or "".
std::wstring ThreadName(DWORD threadId) {
  using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
  static const auto get = reinterpret_cast<GetDescription>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
  std::wstring name;
  HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId);
  PWSTR text = nullptr;
  if (thread && get && SUCCEEDED(get(thread, &text)) && text != nullptr) {
    name = text;
    LocalFree(text);
  }
  if (thread) CloseHandle(thread);
  return name;
}

// The name of the module of `pid` that holds `address`, or "?".
std::wstring ModuleAt(DWORD pid, std::uintptr_t address) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return L"?";
  MODULEENTRY32W module{};
  module.dwSize = sizeof module;
  std::wstring name = L"?";
  for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module)) {
    const auto base = reinterpret_cast<std::uintptr_t>(module.modBaseAddr);
    if (address >= base && address < base + module.modBaseSize) {
      name = module.szModule;
      break;
    }
  }
  CloseHandle(snapshot);
  return name;
}

// The process's threads, less those of the system's sound player (a
// click's sound is played by a thread of its own, which comes and goes as
// it pleases); with `names`, the module each began in.
int CountThreads(DWORD pid, std::wstring* names = nullptr) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != pid) continue;
    std::wstring module = ModuleAt(pid, StartAddress(entry.th32ThreadID));
    for (wchar_t& c : module) c = static_cast<wchar_t>(towlower(c));
    // A scan's reader threads begin in the C runtime too; they are shown
    // by their name, so that what is left there are the scan workers.
    const std::string reader = diskview::FolderReadAhead::kReaderThreadName;
    if (module == L"msvcrt.dll" && ThreadName(entry.th32ThreadID) ==
                                       std::wstring(reader.begin(), reader.end())) {
      module = L"scan-reader";
    }
    if (names) *names += module + L" ";
    if (module == L"winmm.dll" || module == L"mmdevapi.dll" || module == L"winealsa.drv" ||
        module == L"winepulse.drv")
      continue;
    ++count;
  }
  CloseHandle(snapshot);
  return count;
}

struct Search {
  const std::wstring* className;
  int index;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  bool match;
  if (!search->className->empty() && (*search->className)[0] == L'#') {
    match = GetDlgCtrlID(child) == std::wcstol(search->className->c_str() + 1, nullptr, 0);
  } else {
    wchar_t name[256] = {};
    GetClassNameW(child, name, 256);
    match = *search->className == name;
  }
  if (match && search->index-- == 0) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

// The deepest visible descendant of `parent` under screen point `at`, found
// as the system's own hit test finds it: children in Z order, each one's
// children before itself, and a window that answers WM_NCHITTEST with
// HTTRANSPARENT there (a group box, a static without SS_NOTIFY) passes the
// point to the windows behind it. ChildWindowFromPointEx would stop at a
// group box drawn around the very box to be clicked. Visibility is the
// style bit: IsWindowVisible answers no for windows of another Wine desktop.
HWND HitDescendant(HWND parent, POINT at) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    if ((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) == 0 || !GetWindowRect(child, &r) || !PtInRect(&r, at)) continue;
    if (HWND deeper = HitDescendant(child, at)) return deeper;
    DWORD_PTR hit = HTCLIENT;
    SendMessageTimeoutW(child, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y), SMTO_ABORTIFHUNG, 2000, &hit);
    if (static_cast<LRESULT>(hit) != HTTRANSPARENT) return child;
  }
  return nullptr;
}

}  // namespace

bool PostClick(HWND top, POINT screen, bool twice) {
  HWND hit = HitDescendant(top, screen);
  if (!hit) hit = top;
  POINT p = screen;
  ScreenToClient(hit, &p);
  const LPARAM at = MAKELPARAM(p.x, p.y);
  const bool clicked = PostMessageW(hit, WM_MOUSEMOVE, 0, at) &&
                       PostMessageW(hit, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
                       PostMessageW(hit, WM_LBUTTONUP, 0, at);
  if (!clicked || !twice) return clicked;
  return PostMessageW(hit, WM_LBUTTONDBLCLK, MK_LBUTTON, at) && PostMessageW(hit, WM_LBUTTONUP, 0, at);
}

bool PostRightClick(HWND top, POINT screen) {
  HWND hit = HitDescendant(top, screen);
  if (!hit) hit = top;
  POINT p = screen;
  ScreenToClient(hit, &p);
  const LPARAM at = MAKELPARAM(p.x, p.y);
  return PostMessageW(hit, WM_MOUSEMOVE, 0, at) && PostMessageW(hit, WM_RBUTTONDOWN, MK_RBUTTON, at) &&
         PostMessageW(hit, WM_RBUTTONUP, 0, at);
}

int PrintProcessCounts(HWND wnd) {
  const DWORD pid = ProcessOf(wnd);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
  DWORD handles = 0;
  const bool counted = process && GetProcessHandleCount(process, &handles);
  if (process) CloseHandle(process);
  std::wstring names;
  Print("threads %lld\n", CountThreads(pid, &names));
  std::string narrow(names.begin(), names.end());
  DWORD written = 0;
  const std::string line = "thread-starts " + narrow + "\n";
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  Print("handles %lld\n", counted ? static_cast<long long>(handles) : -1LL);
  return 0;
}

int PrintRoundTrip(HWND wnd, UINT limitMs) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  DWORD_PTR result = 0;
  const bool answered =
      SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, limitMs, &result) != 0;
  QueryPerformanceCounter(&end);
  Print("ms %lld\n", (end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
  return answered ? 0 : 1;
}

int PrintPostedInput(HWND top, UINT command, int rounds, UINT limitMs) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  auto topmost = [&] { return (GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  // Polls until `done`, at most limitMs; the milliseconds taken, or -1.
  auto waitFor = [&](bool wanted) -> long long {
    QueryPerformanceCounter(&start);
    for (;;) {
      QueryPerformanceCounter(&now);
      const long long ms = (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
      if (topmost() == wanted) return ms;
      if (ms > limitMs) return -1;
      Sleep(1);
    }
  };
  std::string line = "posted-ms";
  long long most = 0;
  bool all = true;
  for (int i = 0; i < rounds && all; ++i) {
    SetWindowPos(top, HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    const long long reset = waitFor(false);
    PostMessageW(top, WM_COMMAND, command, 0);
    const long long ms = waitFor(true);
    all = reset >= 0 && ms >= 0;
    const long long taken = all ? (reset > ms ? reset : ms) : static_cast<long long>(limitMs);
    most = taken > most ? taken : most;
    line += " " + std::to_string(taken);
  }
  // Leave it as it was found.
  SetWindowPos(top, HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  line += "\nmax-posted-ms " + std::to_string(most) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
  return all ? 0 : 1;
}

int PrintChildRect(HWND top, const std::wstring& className, int index) {
  Search search{&className, index, nullptr};
  EnumChildWindows(top, MatchChild, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return 1;
  RECT r{};
  GetWindowRect(search.found, &r);
  char line[128];
  std::snprintf(line, sizeof line, "rect %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(std::strlen(line)), &written,
            nullptr);
  return 0;
}

int ClickAlternately(HWND top, POINT a, POINT b, int count, UINT gapMs) {
  const DWORD pid = ProcessOf(top);
  std::wstring mostNames;
  int most = CountThreads(pid, &mostNames);
  int mostWorkers = 0;
  int done = 0;
  for (; done < count; ++done) {
    if (!PostClick(top, done % 2 == 0 ? a : b)) break;
    Sleep(gapMs);
    std::wstring names;
    const int now = CountThreads(pid, &names);
    if (now > most) {
      most = now;
      mostNames = names;
    }
    // The program's own threads start in the C runtime (std::thread): the
    // scan workers, and their readers, which CountThreads names apart.
    int workers = 0;
    for (std::size_t at = names.find(L"msvcrt.dll"); at != std::wstring::npos;
         at = names.find(L"msvcrt.dll", at + 1)) {
      ++workers;
    }
    if (workers > mostWorkers) mostWorkers = workers;
  }
  Print("clicks %lld\n", done);
  Print("max-threads %lld\n", most);
  Print("max-workers %lld\n", mostWorkers);
  const std::string line = "max-thread-starts " + std::string(mostNames.begin(), mostNames.end()) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  return done == count ? 0 : 1;
}

int MeasureScanAfterClick(HWND top, POINT click, HWND list, UINT limitMs) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  auto elapsedMs = [&] {
    QueryPerformanceCounter(&now);
    return (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
  };
  auto rootSelected = [&] {
    DWORD_PTR state = 0;
    return SendMessageTimeoutW(list, LVM_GETITEMSTATE, 0, LVIS_SELECTED, SMTO_NORMAL, 10000, &state) &&
           (state & LVIS_SELECTED) != 0;
  };
  QueryPerformanceCounter(&start);
  if (!PostClick(top, click)) return 1;
  // The last scan's root row goes first (the click empties the tree).
  bool emptied = false;
  long long longest = 0;
  long long longestAt = 0;  // the longest trip's start, Unix milliseconds
  long long trips = 0;
  long long filled = -1;
  // The wall clock, which a sampler on the host reads too (ui-stall-probe.py).
  auto unixMs = [] {
    FILETIME t;
    GetSystemTimePreciseAsFileTime(&t);
    const long long ticks = (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return ticks / 10000 - 11644473600000LL;
  };
  while (elapsedMs() < limitMs) {
    LARGE_INTEGER before, after;
    const long long sentAt = unixMs();
    QueryPerformanceCounter(&before);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(top, WM_NULL, 0, 0, SMTO_NORMAL, limitMs, &result);
    QueryPerformanceCounter(&after);
    ++trips;
    const long long trip = (after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart;
    if (trip > longest) {
      longest = trip;
      longestAt = sentAt;
    }
    const bool selected = rootSelected();
    if (!selected) emptied = true;
    if (emptied && selected) {
      filled = elapsedMs();
      break;
    }
    // Often enough to land in any stall of note, seldom enough not to slow
    // the scan down.
    Sleep(10);
  }
  Print("fill-ms %lld\n", filled);
  Print("max-stall-ms %lld\n", longest);
  Print("max-stall-at %lld\n", longestAt);
  Print("round-trips %lld\n", trips);
  return filled >= 0 ? 0 : 1;
}

}  // namespace driver

// Looks at a modal window from inside its own loop. A call that runs a modal
// dialog returns only once the dialog is gone, so the test arms a thread
// timer first: the modal loop dispatches it, the probe finds the window,
// hands it to an inspector and then closes it as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace dravon_test {

using WindowMatch = std::function<bool(HWND)>;
using WindowInspect = std::function<void(HWND)>;

// The message that ends the window once it has been inspected.
struct CloseBy {
  UINT message;
  WPARAM wParam;
};
inline constexpr CloseBy kCloseBox{WM_SYSCOMMAND, SC_CLOSE};
inline constexpr CloseBy kCancel{WM_COMMAND, IDCANCEL};
inline constexpr CloseBy kOk{WM_COMMAND, IDOK};

inline WindowMatch WithCaption(std::wstring caption) {
  return [caption = std::move(caption)](HWND wnd) {
    wchar_t text[256] = {};
    GetWindowTextW(wnd, text, 256);
    return caption == text;
  };
}

inline WindowMatch WithClass(std::wstring name) {
  return [name = std::move(name)](HWND wnd) {
    wchar_t text[256] = {};
    GetClassNameW(wnd, text, 256);
    return name == text;
  };
}

namespace modal_probe_detail {

struct Search {
  const WindowMatch* match;
  HWND found;
};

inline BOOL CALLBACK Visit(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(wnd) || !(*search->match)(wnd)) return TRUE;
  search->found = wnd;
  return FALSE;
}

}  // namespace modal_probe_detail

// The first visible top-level window of this thread that `match` accepts,
// or null.
inline HWND FindThreadWindow(const WindowMatch& match) {
  modal_probe_detail::Search search{&match, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), modal_probe_detail::Visit,
                    reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace modal_probe_detail {

struct Probe {
  const WindowMatch* match;
  const WindowInspect* inspect;
  CloseBy close;
  UINT_PTR timer;
};
// A timer procedure has no context of its own; one probe per thread at a time.
inline thread_local Probe* active = nullptr;

inline void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  Probe* probe = active;
  if (!probe || timer != probe->timer) return;
  HWND wnd = FindThreadWindow(*probe->match);
  if (!wnd) return;  // not shown yet
  KillTimer(nullptr, timer);
  probe->timer = 0;
  (*probe->inspect)(wnd);
  PostMessageW(wnd, probe->close.message, probe->close.wParam, 0);
}

}  // namespace modal_probe_detail

// Calls `run` and, from inside the modal loop it enters, hands the first
// visible window of this thread that `match` accepts to `inspect`, then
// closes it with `close`. Returns what `run` returns. A window that never
// appears is never inspected; the probe is disarmed when `run` returns.
template <typename Run>
auto CallWithModalProbe(Run&& run, const WindowMatch& match, const WindowInspect& inspect,
                        CloseBy close = kCloseBox) -> decltype(run()) {
  using modal_probe_detail::Probe;
  Probe probe{&match, &inspect, close, 0};
  struct Armed {
    Probe& probe;
    explicit Armed(Probe& p) : probe(p) {
      modal_probe_detail::active = &probe;
      probe.timer = SetTimer(nullptr, 0, 50, modal_probe_detail::Tick);
    }
    ~Armed() {
      if (probe.timer) KillTimer(nullptr, probe.timer);
      modal_probe_detail::active = nullptr;
    }
    Armed(const Armed&) = delete;
    Armed& operator=(const Armed&) = delete;
  } armed(probe);
  return run();
}

}  // namespace dravon_test

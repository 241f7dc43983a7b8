// Helpers for window tests under Wine.
#pragma once

#include <windows.h>

#include <functional>

// Handles every message already queued for this thread (and those they post),
// waiting at most `ms` for more to arrive.
inline void flush_events(DWORD ms = 50) {
  DWORD end = GetTickCount() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    DWORD now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
  }
}

// Handles messages until `ready` or ten seconds have passed.
inline bool wait_for(const std::function<bool()>& ready) {
  const DWORD end = GetTickCount() + 10000;
  while (!ready()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
    flush_events(5);
  }
  return true;
}

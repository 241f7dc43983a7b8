// A window of this thread run by a test's own window procedure, for tests
// that watch what arrives at a window. It ends with the object.
#pragma once

#include <windows.h>

namespace dravon_test {

class ProcWindow {
 public:
  // `parent` HWND_MESSAGE makes a message-only window, nullptr a top-level
  // one. The class is registered on first use; later registrations of the
  // same name fail harmlessly.
  ProcWindow(const wchar_t* className, WNDPROC proc, HWND parent, DWORD style = 0) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, className, L"", style, 0, 0, 10, 10, parent, nullptr, wc.hInstance,
                            nullptr);
  }
  ~ProcWindow() { DestroyWindow(hwnd_); }
  ProcWindow(const ProcWindow&) = delete;
  ProcWindow& operator=(const ProcWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

}  // namespace dravon_test

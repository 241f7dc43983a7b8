// The scan's notifications as Win32 messages: progress to the main window,
// completion to the disk tree's parent (the view), and the pump a stop runs
// while it waits for the worker.
#pragma once

#include <windows.h>

#include "app/diskview/scan/DiskScan.h"

namespace diskview {

class ScanNotifierWin final : public ScanNotifier {
 public:
  // Either window may be null; nothing is posted to a null window.
  ScanNotifierWin(HWND progressWindow = nullptr, HWND completionWindow = nullptr)
      : progress_(progressWindow), completion_(completionWindow) {}
  // Only while no worker runs: the worker reads them without a lock.
  void SetWindows(HWND progressWindow, HWND completionWindow) {
    progress_ = progressWindow;
    completion_ = completionWindow;
  }

  bool PostProgress(unsigned code, std::intptr_t value) override;
  bool PostCompletion(unsigned message) override;
  // Processes only the messages other threads have sent to this one (the
  // worker's row insertions); posted input stays queued until the wait ends.
  void PumpPendingMessages() override;

 private:
  HWND progress_;
  HWND completion_;
};

}  // namespace diskview

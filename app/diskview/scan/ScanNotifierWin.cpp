#include "app/diskview/scan/ScanNotifierWin.h"

#include "app/diskview/scan/ScanMessages.h"

namespace diskview {

bool ScanNotifierWin::PostProgress(unsigned code, std::intptr_t value) {
  return progress_ == nullptr || PostMessageW(progress_, WM_SCAN_PROGRESS, code, value);
}

bool ScanNotifierWin::PostCompletion(unsigned message) {
  return completion_ == nullptr || PostMessageW(completion_, message, 1, 0);
}

void ScanNotifierWin::PumpPendingMessages() {
  // Peeking with PM_QS_SENDMESSAGE runs every pending sent message and
  // removes nothing from the posted queue.
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace diskview

// The scan's window messages, as plain numbers so that portable code can name
// them (0x400 is WM_USER).
#pragma once

namespace diskview {

inline constexpr unsigned kWmUser = 0x400;

// Posted to the main window: a hook for a progress display.
inline constexpr unsigned WM_SCAN_PROGRESS = kWmUser + 102;
// Progress codes (wParam).
inline constexpr unsigned kScanProgressStart = 1;  // lParam MAKELPARAM(0, 20)
inline constexpr long kScanProgressStartParam = 0x140000;
inline constexpr unsigned kScanProgressStep = 2;
inline constexpr unsigned kScanProgressEnd = 3;

// Posted to the disk tree's parent when the scan for a slot completes
// (wParam 1, lParam 0).
inline constexpr unsigned WM_SCAN_DONE_1 = kWmUser + 133;
inline constexpr unsigned WM_SCAN_DONE_2 = kWmUser + 13;
inline constexpr unsigned WM_SCAN_DONE_3 = kWmUser + 3;
inline constexpr unsigned WM_SCAN_DONE_4 = kWmUser + 31;
inline constexpr unsigned WM_SCAN_DONE_5 = kWmUser + 32;

// The completion message of slot 1..5, or 0 for any other slot.
constexpr unsigned ScanDoneMessage(int slot) {
  constexpr unsigned kBySlot[] = {WM_SCAN_DONE_1, WM_SCAN_DONE_2, WM_SCAN_DONE_3, WM_SCAN_DONE_4,
                                  WM_SCAN_DONE_5};
  return slot >= 1 && slot <= 5 ? kBySlot[slot - 1] : 0;
}

// The slot whose completion message this is, or 0.
constexpr int SlotOfScanDone(unsigned message) {
  for (int slot = 1; slot <= 5; ++slot) {
    if (ScanDoneMessage(slot) == message) return slot;
  }
  return 0;
}

}  // namespace diskview

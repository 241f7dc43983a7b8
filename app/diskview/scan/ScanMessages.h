// The private window messages of the disk scan: what its worker posts to
// the main frame and to the disk tree's parent, and what the disk tree sends
// itself. Portable (no Win32 header), so the scan engine can name them.
// app/Messages.h includes this file: it stays the one list of every private
// message of the program, and checks their numbers there.
#pragma once

inline constexpr unsigned kWmUser = 0x400;  // WM_USER
inline constexpr unsigned kWmApp = 0x8000;  // WM_APP

// --- To the main frame ------------------------------------------------------

// The scan worker's progress (posted): wParam a code below, lParam a value.
inline constexpr unsigned WM_SCAN_PROGRESS = kWmUser + 102;
inline constexpr unsigned kScanProgressStart = 1;  // lParam MAKELPARAM(0, 20)
inline constexpr long kScanProgressStartParam = 0x140000;
inline constexpr unsigned kScanProgressStep = 2;    // lParam folders done
inline constexpr unsigned kScanProgressEnd = 3;

// --- To the view (the disk tree's parent) -------------------------------------

// A slot's scan completed (posted, wParam 1, lParam 0).
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

// --- To the disk tree control -------------------------------------------------

// From the control's own scan worker to the user-interface thread, which
// carries out the requests queued in the control, so the rows and the folder
// tree change together. Private to the control's class: from the application
// range, clear of the list view's own.
// Posted when queued row insertions wait (wParam 0: one batch), or sent when
// the worker must wait for them (wParam 1: all of them). No pointers travel.
inline constexpr unsigned WM_DISKTREE_INSERT_ROW = kWmApp + 1;
// A completed scan: redraw at once, then select the root row if none is.
inline constexpr unsigned WM_DISKTREE_REDRAW = kWmApp + 2;
inline constexpr unsigned WM_DISKTREE_SELECT_ROOT = kWmApp + 3;

// The program's private window messages, all in one table. Portable (no
// Win32 header), so the scan engine can name them too; kWmUser is WM_USER.
//
// Three windows receive them: the main frame, the disk overview view (the
// disk tree's parent) and the disk tree itself. Numbers need only differ
// among the messages of one window: WM_BARCLICK and WM_SCAN_DONE_2 share
// WM_USER+13 on purpose.
#pragma once

inline constexpr unsigned kWmUser = 0x400;
inline constexpr unsigned kWmApp = 0x8000;  // WM_APP

// --- To the main frame ------------------------------------------------------

// Notification-area icon: lParam is the mouse message.
inline constexpr unsigned WM_TRAYICON = kWmUser + 5;
// Shortcut bar: wParam the slot code, lParam the item index (sent).
inline constexpr unsigned WM_BARCLICK = kWmUser + 13;
// Routed to the same handler as WM_BARCLICK; nothing of ours sends them.
inline constexpr unsigned kBarClickAliases[] = {0x486, 0x47B, 0x47C, 0x47D};
// The scan worker's progress (posted): wParam a code below, lParam a value.
inline constexpr unsigned WM_SCAN_PROGRESS = kWmUser + 102;
inline constexpr unsigned kScanProgressStart = 1;  // lParam MAKELPARAM(0, 20)
inline constexpr long kScanProgressStartParam = 0x140000;
inline constexpr unsigned kScanProgressStep = 2;    // lParam folders done
inline constexpr unsigned kScanProgressEnd = 3;

// A drive's volume label read off this thread has come (posted): wParam the
// shortcut bar's item index. From the application range, as no Part names it.
inline constexpr unsigned WM_DRIVE_LABEL = kWmApp + 10;

// --- To the view --------------------------------------------------------------

// A slot's scan completed (posted, wParam 1, lParam 0).
inline constexpr unsigned WM_SCAN_DONE_1 = kWmUser + 133;
inline constexpr unsigned WM_SCAN_DONE_2 = kWmUser + 13;
inline constexpr unsigned WM_SCAN_DONE_3 = kWmUser + 3;
inline constexpr unsigned WM_SCAN_DONE_4 = kWmUser + 31;
inline constexpr unsigned WM_SCAN_DONE_5 = kWmUser + 32;
// A slot's drive-space query, made off this thread, has answered (posted):
// wParam the slot.
inline constexpr unsigned WM_DRIVE_SPACE = kWmApp + 11;
// From a pie chart (sent; lParam the chart's window): a slice was
// double-clicked (wParam its index), or the chart asks to go one folder up
// (wParam 0: a double click on the square outside the disc, or Backspace).
inline constexpr unsigned WM_PIE_OPEN_SLICE = kWmApp + 12;
inline constexpr unsigned WM_PIE_GO_UP = kWmApp + 13;

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

// --- The numbers, checked ---------------------------------------------------

namespace messages_detail {

template <unsigned N>
constexpr bool AllDifferent(const unsigned (&m)[N]) {
  for (unsigned i = 0; i < N; ++i) {
    for (unsigned j = i + 1; j < N; ++j) {
      if (m[i] == m[j]) return false;
    }
  }
  return true;
}

constexpr unsigned kToFrame[] = {WM_TRAYICON,         WM_BARCLICK,         WM_SCAN_PROGRESS,
                                 kBarClickAliases[0], kBarClickAliases[1], kBarClickAliases[2],
                                 kBarClickAliases[3], WM_DRIVE_LABEL};
constexpr unsigned kToView[] = {WM_SCAN_DONE_1, WM_SCAN_DONE_2, WM_SCAN_DONE_3, WM_SCAN_DONE_4,
                                WM_SCAN_DONE_5, WM_DRIVE_SPACE, WM_PIE_OPEN_SLICE, WM_PIE_GO_UP};
constexpr unsigned kToDiskTree[] = {WM_DISKTREE_INSERT_ROW, WM_DISKTREE_REDRAW,
                                    WM_DISKTREE_SELECT_ROOT};

}  // namespace messages_detail

static_assert(messages_detail::AllDifferent(messages_detail::kToFrame),
              "two messages to the frame share a number");
static_assert(messages_detail::AllDifferent(messages_detail::kToView),
              "two messages to the view share a number");
static_assert(messages_detail::AllDifferent(messages_detail::kToDiskTree),
              "two messages to the disk tree share a number");
static_assert(WM_TRAYICON == 0x405 && WM_BARCLICK == 0x40D && WM_SCAN_PROGRESS == 0x466);
static_assert(WM_SCAN_DONE_1 == 0x485 && WM_SCAN_DONE_2 == 0x40D && WM_SCAN_DONE_3 == 0x403 &&
              WM_SCAN_DONE_4 == 0x41F && WM_SCAN_DONE_5 == 0x420);
static_assert(WM_BARCLICK == WM_SCAN_DONE_2, "shared on purpose: they go to different windows");
static_assert(SlotOfScanDone(ScanDoneMessage(5)) == 5 && ScanDoneMessage(0) == 0);

// The program's private window messages, all listed here: the disk scan's
// own are in app/diskview/scan/ScanMessages.h (the scan engine names them
// without reaching up into the program) and come in with it. Portable (no
// Win32 header); kWmUser is WM_USER.
//
// Three windows receive them: the main frame, the disk overview view (the
// disk tree's parent) and the disk tree itself. Numbers need only differ
// among the messages of one window: WM_BARCLICK and WM_SCAN_DONE_2 share
// WM_USER+13 on purpose.
#pragma once

#include "app/diskview/scan/ScanMessages.h"
#include "app/diskview/PieMessages.h"

// --- To the main frame ------------------------------------------------------
// (and WM_SCAN_PROGRESS)

// Notification-area icon: lParam is the mouse message.
inline constexpr unsigned WM_TRAYICON = kWmUser + 5;
// Shortcut bar: wParam the slot code, lParam the item index (sent).
inline constexpr unsigned WM_BARCLICK = kWmUser + 13;
// Routed to the same handler as WM_BARCLICK; nothing of ours sends them.
inline constexpr unsigned kBarClickAliases[] = {0x486, 0x47B, 0x47C, 0x47D};

// A drive's volume label read off this thread has come (posted): wParam the
// shortcut bar's item index. From the application range: its number is our own.
inline constexpr unsigned WM_DRIVE_LABEL = kWmApp + 10;

// --- To the view --------------------------------------------------------------
// (and WM_SCAN_DONE_1 to WM_SCAN_DONE_5)

// A slot's drive-space query, made off this thread, has answered (posted):
// wParam the slot.
inline constexpr unsigned WM_DRIVE_SPACE = kWmApp + 11;
// (WM_PIE_OPEN_SLICE and WM_PIE_GO_UP, from a pie chart: app/diskview/PieMessages.h)

// --- To the disk tree control -------------------------------------------------
// (WM_DISKTREE_INSERT_ROW, WM_DISKTREE_REDRAW, WM_DISKTREE_SELECT_ROOT)

// --- To the file details window ----------------------------------------------

// The folder's file statistics, gathered off this thread, are in (posted).
inline constexpr unsigned WM_FILE_STATS_READY = kWmApp + 14;

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

// What the driver measures of a running program from outside: the threads
// and kernel handles of its process, how long its user-interface thread
// takes to answer, and where one of its windows lies on the screen.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

// "threads N" (not counting the system's sound player), "thread-starts"
// (the module each thread began in) and "handles N" of the process owning
// `wnd`.
int PrintProcessCounts(HWND wnd);
// "ms N": the time a WM_NULL sent to `wnd` takes to come back; exit 1 when
// it does not within `limitMs`.
int PrintRoundTrip(HWND wnd, UINT limitMs);
// How long posted input waits: `rounds` times, the window is made not
// topmost by a posted position change, then the menu command `command`
// (which makes it topmost) is posted, and the time until the window is
// topmost is taken. A sent message proves nothing here: a thread stuck in a
// wait that pumps only sent messages still answers it. Prints "posted-ms"
// and each round's milliseconds, then "max-posted-ms N"; exit 1 when a
// round is not carried out within `limitMs`.
int PrintPostedInput(HWND top, UINT command, int rounds, UINT limitMs);
// "rect LEFT TOP RIGHT BOTTOM" on the screen of the `index`-th (from 0)
// descendant of `top` whose class is `className` ("#ID": whose control id
// is ID), in the order EnumChildWindows visits them.
int PrintChildRect(HWND top, const std::wstring& className, int index);
// A left click at screen point `screen`: WM_MOUSEMOVE and the button
// messages posted to the deepest visible child of `top` under it. A double
// click follows the first click with WM_LBUTTONDBLCLK and its release, as
// a window whose class takes double clicks receives them.
bool PostClick(HWND top, POINT screen, bool twice = false);
// The same with the right button (the window's context menu follows).
bool PostRightClick(HWND top, POINT screen);
// `count` left clicks, posted as button messages to the deepest child
// under screen points a and b in turn, `gapMs` apart; after each the
// process's threads are counted. Prints "clicks N", "max-threads N" (as
// PrintProcessCounts counts them, with "max-thread-starts") and
// "max-workers N" (threads begun by the C runtime: the program's own).
int ClickAlternately(HWND top, POINT a, POINT b, int count, UINT gapMs);

// A click at `click`, then, until the list view `list` has a row 0 again
// and it is selected (the disk tree selects its root when a scan is
// complete), WM_NULL round trips to `top` one after another. Prints
// "fill-ms N" (click to completion), "max-stall-ms N" (the longest round
// trip) and "round-trips N"; exit 1 when no completion comes in `limitMs`.
int MeasureScanAfterClick(HWND top, POINT click, HWND list, UINT limitMs);

}  // namespace driver

// What the driver reads inside another process's windows: common controls
// answer their queries in the caller's memory, so the structures they fill
// are placed in the other process (VirtualAllocEx) and read back. Also the
// process's GDI and USER object counts, for leak checks of a running program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// The first shown descendant of `top` with control id `id` (pages of a
// tab control may repeat each other's ids), else the first hidden one, or
// null.
HWND FindDescendant(HWND top, int id);

// One line per tab: "tab INDEX SELECTED SCREEN-LEFT TOP RIGHT BOTTOM TEXT",
// fields separated by tabs; SELECTED is 1 for the selected tab.
int PrintTabItems(HWND tab);
// One line per row of a list view: "row INDEX IMAGE COLUMN0 COLUMN1 ...",
// separated by tabs.
int PrintListRows(HWND list);
// The control's whole text (WM_GETTEXT), as it stands.
int PrintControlText(HWND control);
// A button's check state (BM_GETCHECK): 0, 1 or 2.
int PrintButtonCheck(HWND button);
// "gdi N" and "user N" of the process owning `wnd`; its windows are found
// among `topLevel`.
int PrintGuiCounts(HWND wnd, const std::vector<HWND>& topLevel);

}  // namespace driver

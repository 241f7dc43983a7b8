// The private window messages a pie chart sends its parent, the view.
// app/Messages.h includes this file: it stays the one list of every private
// message of the program, and checks their numbers there.
#pragma once

#include "app/diskview/scan/ScanMessages.h"

// From a pie chart (sent; lParam the chart's window): a slice was
// double-clicked (wParam its index), or the chart asks to go one folder up
// (wParam 0: a double click on the square outside the disc, or Backspace).
inline constexpr unsigned WM_PIE_OPEN_SLICE = kWmApp + 12;
inline constexpr unsigned WM_PIE_GO_UP = kWmApp + 13;

// What the tests of the disk overview's controls share: a parent window of
// ours (owner drawing and cell requests reach a control through it),
// renders of a control into memory, and saving a render for a person to
// look at (a BMP in DRAVON_SCREENSHOTS, made into a PNG after the run).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Wnd.h"
#include "tests/win/common/Canvas.h"
#include "tests/win/framework/TestPump.h"

namespace diskview::test {

class TestParent : public CWnd {
 public:
  // A top-level window of `cx` by `cy`, hidden until shown.
  bool Make(int cx = 640, int cy = 480);
  // Shown and active, its painting done.
  void Show();
};

// The client area of `wnd` drawn into a canvas of its size (WM_PRINTCLIENT).
std::unique_ptr<dravon_test::Canvas> Render(const CWnd& wnd, bool erase = false);

// Writes the bitmap selected into `dc` as NAME.bmp into DRAVON_SCREENSHOTS,
// when that is set.
void SaveRender(HDC dc, const std::string& name);

// How many pixels of the rectangle have exactly `colour`.
int CountColour(HDC dc, const RECT& r, COLORREF colour);
// How many are within `tolerance` of `colour` in each channel: text, whose
// edges the font rasteriser blends with what lies below.
int CountNear(HDC dc, const RECT& r, COLORREF colour, int tolerance = 64);

}  // namespace diskview::test

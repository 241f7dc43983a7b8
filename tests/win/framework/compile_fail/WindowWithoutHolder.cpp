// A window object made without afx::Window (whose destructor ends the
// window while the whole object still sees it) must not compile.
// expect: to be of abstract type
#include "framework/Wnd.h"

class Plain : public CWnd {};

void Make() {
#ifdef DRAVON_COMPILE_OK
  afx::Window<Plain> w;
#else
  Plain w;
#endif
  w.CreateEx(0, nullptr, L"", WS_OVERLAPPEDWINDOW, CRect(), nullptr, 0);
}

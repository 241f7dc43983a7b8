// A window class cannot declare itself whole to escape afx::Window.
// expect: is private within this context
#include "framework/Wnd.h"

class Sly : public CWnd {
#ifndef DRAVON_COMPILE_OK
  void DeclaredAsAfxWindowOnly(CWnd::WholeObject) override {}
#endif
};

void Make() { afx::Window<Sly> w; }

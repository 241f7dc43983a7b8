// A list view's LVN_GETDISPINFOW handler declared with NMLISTVIEW (the code
// carries NMLVDISPINFOW) must not compile.
// expect: a notification handler takes the structure its code carries
#include "framework/Wnd.h"

class Grid : public CWnd {
 public:
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnReflectNotify<LVN_GETDISPINFOW, &Grid::OnGetDispInfo>(),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
  }

 private:
#ifdef DRAVON_COMPILE_OK
  LRESULT OnGetDispInfo(NMLVDISPINFOW&) { return 0; }
#else
  LRESULT OnGetDispInfo(NMLISTVIEW&) { return 0; }
#endif
};

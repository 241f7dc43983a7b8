// A parent's NM_RELEASEDCAPTURE handler declared with a slider's NMTRBTHUMBPOSCHANGING
// (the code carries only NMHDR) must not compile.
// expect: a notification handler takes the structure its code carries
#include "framework/Wnd.h"

class Page : public CWnd {
 public:
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnNotifyRange<NM_RELEASEDCAPTURE, &Page::OnReleasedCapture>(0, 0xFFFF),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
  }

 private:
#ifdef DRAVON_COMPILE_OK
  LRESULT OnReleasedCapture(UINT, NMHDR&) { return 0; }
#else
  LRESULT OnReleasedCapture(UINT, NMTRBTHUMBPOSCHANGING&) { return 0; }
#endif
};

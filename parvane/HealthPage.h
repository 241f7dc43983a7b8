// "  健康": the SMART or NVMe health of every physical drive (the seventh
// tab, last on the right), a list page laid out as the others. Each drive
// is a block of rows: its heading "硬盘 N: <model>", the verdict, the
// readings and, for ATA, the attribute table (parvane/decode/DriveHealth.h).
//
// Nothing is read from a drive on the user-interface thread: a failing
// drive can take tens of seconds to answer a SMART command. The drives are
// listed at once (the disk interfaces and their device numbers, which the
// storage driver answers as the USB page's queries, without the drive);
// each is then read on a thread of its own (framework/OffThreadCall.h)
// through requests that hold nothing of the dialog's, and its block says
// "正在读取…" until its answer is posted back. A page that ends first drops
// the answers still out, so closing the dialog never waits on a drive.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "framework/OffThreadCall.h"
#include "parvane/InfoPages.h"
#include "parvane/decode/DriveHealth.h"

class CHealthPage : public CListPage {
 public:
  // Posted to the page when drive `wParam` (its place on the page) answered.
  static constexpr UINT kAnswerMessage = WM_APP + 1;

  // The verdict's text colours.
  static constexpr COLORREF kGoodColour = RGB(0, 128, 0);
  static constexpr COLORREF kCautionColour = RGB(200, 120, 0);
  static constexpr COLORREF kBadColour = RGB(208, 0, 0);

  CHealthPage(HINSTANCE module, const parvane::InfoSources& sources);

  bool OnInitDialog() override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  // Drives whose answer has not been shown yet.
  int DrivesReading() const;
  // The colour of a verdict's text; CLR_DEFAULT for none.
  static COLORREF VerdictColour(parvane::Verdict verdict);

 private:
  using Reading = OffThreadCall<parvane::DriveHealthReading>;
  struct Drive {
    int number = 0;
    std::shared_ptr<Reading> call;
    int rows = 0;  // rows of its block on the page
    bool shown = false;
  };

  std::vector<parvane::PageRow> Rows() override;
  // A drive's block: a blank row (no image) before every drive but the first.
  parvane::HealthRows Block(std::size_t index, parvane::HealthRows rows) const;
  void Show(std::size_t index, const parvane::DriveHealthReading& reading);
  LRESULT OnAnswer(WPARAM index, LPARAM);
  LRESULT OnListDraw(NMCUSTOMDRAW& draw);
  void OnDestroy();

  std::vector<Drive> drives_;
};

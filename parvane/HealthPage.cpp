#include "parvane/HealthPage.h"

#include "parvane/device/HealthReading.h"
#include "res/parvane/resource.h"

using parvane::DriveHealthReading;
using parvane::HealthRows;
using parvane::PageRow;
using parvane::Verdict;

namespace {

// The page's pixel numbers: column 0 holds the headings "硬盘 N: <model>".
constexpr ListPageLayout kHealthLayout{IDD_HEALTH_PAGE, IDC_HEALTH_LIST, L"硬盘健康", 170, L"参数值"};

// A verdict row carries its verdict as item data (plus one: 0 is no verdict).
LPARAM VerdictData(Verdict v) { return static_cast<LPARAM>(v) + 1; }

}  // namespace

CHealthPage::CHealthPage(HINSTANCE module, const parvane::InfoSources& sources)
    : CListPage(kHealthLayout, module, sources) {}

std::vector<PageRow> CHealthPage::Rows() {
  std::vector<PageRow> rows;
  drives_.clear();
  for (int number : sources_.devices.PhysicalDriveNumbers()) {
    const std::size_t index = drives_.size();
    HealthRows block = Block(index, parvane::ReadingHealthRows(number));
    drives_.push_back({number, nullptr, static_cast<int>(block.rows.size()), false});
    rows.insert(rows.end(), block.rows.begin(), block.rows.end());
  }
  if (drives_.empty()) rows.push_back(parvane::NoDriveRow());
  rows.push_back({"", 0, std::nullopt});
  return rows;
}

bool CHealthPage::OnInitDialog() {
  CListPage::OnInitDialog();
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    // The requests go with the thread; nothing of the page's does.
    std::shared_ptr<parvane::DriveRequests> requests = sources_.devices.OpenDriveRequests(drives_[i].number);
    drives_[i].call = Reading::Start(
        [requests] {
          if (!requests) return DriveHealthReading{.gap = parvane::HealthGap::NoAnswer};
          return parvane::ReadDriveHealth(*requests);
        },
        m_hWnd, kAnswerMessage, static_cast<WPARAM>(i), 0, std::chrono::milliseconds(0));
  }
  // Answers that came before their call was started post nothing.
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    if (auto answer = drives_[i].call->Answer()) Show(i, *answer);
  }
  return true;
}

HealthRows CHealthPage::Block(std::size_t index, HealthRows rows) const {
  if (index > 0) {
    rows.rows.insert(rows.rows.begin(), PageRow{"", I_IMAGENONE, std::nullopt});
    ++rows.verdictRow;
  }
  return rows;
}

void CHealthPage::Show(std::size_t index, const DriveHealthReading& reading) {
  Drive& drive = drives_[index];
  if (drive.shown) return;
  drive.shown = true;
  int start = 0;
  for (std::size_t i = 0; i < index; ++i) start += drives_[i].rows;
  const HealthRows block = Block(index, parvane::DriveHealthRows(drive.number, reading));

  CListCtrl& list = List();
  list.SetRedraw(false);
  for (int i = 0; i < drive.rows; ++i) list.DeleteItem(start);
  for (std::size_t i = 0; i < block.rows.size(); ++i) InsertRow(start + static_cast<int>(i), block.rows[i]);
  list.SetItemData(start + static_cast<int>(block.verdictRow), VerdictData(block.verdict));
  drive.rows = static_cast<int>(block.rows.size());
  list.SetRedraw(true);
  list.Invalidate(true);
}

LRESULT CHealthPage::OnAnswer(WPARAM index, LPARAM) {
  // A window that took this page's place may hear a late post: the index
  // and the answer must both be this page's.
  if (index >= drives_.size() || !drives_[index].call) return 0;
  if (auto answer = drives_[index].call->Answer()) Show(index, *answer);
  return 0;
}

int CHealthPage::DrivesReading() const {
  int n = 0;
  for (const Drive& d : drives_) n += d.shown ? 0 : 1;
  return n;
}

COLORREF CHealthPage::VerdictColour(Verdict verdict) {
  switch (verdict) {
    case Verdict::Good: return kGoodColour;
    case Verdict::Caution: return kCautionColour;
    case Verdict::Bad: return kBadColour;
    case Verdict::Reading:
    case Verdict::Unknown: break;
  }
  return CLR_DEFAULT;
}

LRESULT CHealthPage::OnListDraw(NMCUSTOMDRAW& draw) {
  switch (draw.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      // A selected row keeps the selection's colours.
      return draw.lItemlParam != 0 && !(draw.uItemState & CDIS_SELECTED) ? CDRF_NOTIFYSUBITEMDRAW
                                                                         : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      auto& item = reinterpret_cast<NMLVCUSTOMDRAW&>(draw);
      const COLORREF colour =
          item.iSubItem == 1 ? VerdictColour(static_cast<Verdict>(draw.lItemlParam - 1)) : CLR_DEFAULT;
      item.clrText = colour == CLR_DEFAULT ? ::GetSysColor(COLOR_WINDOWTEXT) : colour;
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void CHealthPage::OnDestroy() {
  // Drives still answering are let go: their answers would post to a page
  // that is gone.
  for (Drive& d : drives_) {
    if (d.call) d.call->Forget();
  }
  DefWindowProc(WM_DESTROY, 0, 0);
}

bool CHealthPage::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnMessage<&CHealthPage::OnAnswer>(kAnswerMessage),
      afx::OnNotify<NM_CUSTOMDRAW, &CHealthPage::OnListDraw>(IDC_HEALTH_LIST),
      afx::OnDestroy<&CHealthPage::OnDestroy>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CListPage::OnWndMsg(msg, wParam, lParam, result);
}

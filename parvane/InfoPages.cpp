#include "parvane/InfoPages.h"

#include <algorithm>

#include "parvane/SystemRecord.h"
#include "parvane/device/StorageScan.h"
#include "platform/TextWin.h"
#include "res/parvane/resource.h"

using parvane::InfoSources;
using parvane::PageRow;

namespace {

constexpr ListPageLayout kSystemLayout{IDD_SYSTEM_PAGE, IDC_SYSTEM_LIST, L"操作系统", 245, L"系统信息"};
constexpr ListPageLayout kDirsLayout{IDD_FOLDERS_PAGE, IDC_FOLDERS_LIST, L"安装目录", 245, L"目录路径"};
constexpr ListPageLayout kDiskLayout{IDD_DISK_PAGE, IDC_DISK_LIST, L"硬盘参数", 245, L"参数值"};
constexpr ListPageLayout kModesLayout{IDD_DISK_MODES_PAGE, IDC_DISK_MODES_LIST, L"硬盘参数", 265,
                                      L"参数值"};

// The row bitmap is a strip of 16-pixel images; its last columns, short of
// a whole image, are left out.
constexpr int kRowImageSize = 16;
constexpr int kRowImageCount = 10;

}  // namespace

// ---- every page --------------------------------------------------------------

CInfoPage::CInfoPage(UINT templateId, UINT mainId, HINSTANCE module, const InfoSources& sources)
    : CDialog(templateId, nullptr, module), sources_(sources), mainId_(mainId) {}

bool CInfoPage::OnInitDialog() {
  pictures_.Adopt(m_hWnd, GetTemplateId(), GetResourceModule(), GetDpi());
  std::vector<HWND> controls;
  for (HWND c = ::GetWindow(m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) controls.push_back(c);
  fonts_.Follow(std::move(controls), GetDpi());
  return true;
}

void CInfoPage::OnDpiChanged(UINT dpi) {
  fonts_.ShowAt(dpi);
  pictures_.ShowAt(dpi);
}

void CInfoPage::FitInto(SIZE room) {
  SetWindowPos(nullptr, 0, 0, room.cx, room.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND control = GetDlgItem(static_cast<int>(mainId_));
  if (!control) return;
  if (madeDpi_ == 0) {
    ::GetWindowRect(control, &mainMade_);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&mainMade_), 2);
    madeDpi_ = GetDpi();
  }
  const int dpi = static_cast<int>(GetDpi());
  const auto scale = [&](int v) { return ::MulDiv(v, dpi, static_cast<int>(madeDpi_)); };
  const CRect r(scale(mainMade_.left), scale(mainMade_.top), scale(mainMade_.right), scale(mainMade_.bottom));
  const int right = std::min<int>(r.right, room.cx - Scale(kFitMargin));
  const int bottom = std::min<int>(r.bottom, room.cy - Scale(kFitMargin));
  ::SetWindowPos(control, nullptr, r.left, r.top, std::max<int>(right - r.left, 0),
                 std::max<int>(bottom - r.top, 0), SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- list pages -------------------------------------------------------------

CListPage::CListPage(const ListPageLayout& layout, HINSTANCE module, const InfoSources& sources)
    : CInfoPage(layout.templateId, layout.listId, module, sources), layout_(layout) {}

bool CListPage::OnInitDialog() {
  CInfoPage::OnInitDialog();
  if (!list_.SubclassDlgItem(layout_.listId, this)) return true;
  list_.SetExtendedStyle(list_.GetExtendedStyle() | kListStyles);

  MakeImages(GetDpi());
  list_.InsertColumn(0, layout_.keyCaption, LVCFMT_LEFT, Scale(layout_.keyWidth), kKeySubItem);
  list_.InsertColumn(1, layout_.valueCaption, LVCFMT_LEFT, Scale(kValueWidth), kValueSubItem);
  columnsDpi_ = GetDpi();

  const std::vector<PageRow> rows = Rows();
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) InsertRow(i, rows[static_cast<std::size_t>(i)]);
  return true;
}

void CListPage::MakeImages(UINT dpi) {
  // The list shares the images (LVS_SHAREIMAGELISTS): the old ones go once
  // it shows the new.
  CImageList images;
  if (!images.CreateFromBitmapForDpi(IDB_LIST_ROWS, kRowImageSize, kRowImageCount, kFirstMask, dpi,
                                     GetResourceModule()))
    return;
  images.AddFromResource(IDB_LIST_ROWS, kSecondMask, GetResourceModule(), dpi);
  list_.SetImageList(images.GetSafeHandle(), LVSIL_SMALL);
  images_.Attach(images.Detach());
}

void CListPage::OnDpiChanged(UINT dpi) {
  CInfoPage::OnDpiChanged(dpi);
  if (!list_.m_hWnd) return;
  MakeImages(dpi);
  list_.ScaleColumnWidths(columnsDpi_, dpi);
  columnsDpi_ = dpi;
}

void CListPage::InsertRow(int index, const PageRow& row) {
  list_.InsertItem(index, platform::Widen(row.label).c_str(), row.image);
  if (row.value) list_.SetItemText(index, 1, platform::Widen(*row.value).c_str());
}

CSystemInfoPage::CSystemInfoPage(HINSTANCE module, const InfoSources& sources)
    : CListPage(kSystemLayout, module, sources) {}

std::vector<PageRow> CSystemInfoPage::Rows() {
  return parvane::SystemInfoPageRows(sources_.registry, sources_.facts);
}

CSystemDirsPage::CSystemDirsPage(HINSTANCE module, const InfoSources& sources)
    : CListPage(kDirsLayout, module, sources) {}

std::vector<PageRow> CSystemDirsPage::Rows() {
  return parvane::SystemDirsPageRows(sources_.registry, sources_.facts);
}

CDiskPage::CDiskPage(HINSTANCE module, const InfoSources& sources)
    : CListPage(kDiskLayout, module, sources) {}

std::vector<PageRow> CDiskPage::Rows() { return parvane::DiskPageRows(sources_.devices); }

CDiskModesPage::CDiskModesPage(HINSTANCE module, const InfoSources& sources)
    : CListPage(kModesLayout, module, sources) {}

std::vector<PageRow> CDiskModesPage::Rows() { return parvane::DiskModesPageRows(sources_.devices); }

// ---- text pages -------------------------------------------------------------

CTextPage::CTextPage(UINT templateId, UINT editId, HINSTANCE module, const InfoSources& sources)
    : CInfoPage(templateId, editId, module, sources) {}

bool CTextPage::OnInitDialog() {
  CInfoPage::OnInitDialog();
  ::SetDlgItemTextW(m_hWnd, static_cast<int>(MainControlId()), platform::Widen(Text()).c_str());
  return true;
}

CCdromPage::CCdromPage(HINSTANCE module, const InfoSources& sources)
    : CTextPage(IDD_CDROM_PAGE, IDC_CDROM_TEXT, module, sources) {}

std::string CCdromPage::Text() { return parvane::CdromPageText(sources_.devices); }

CUsbPage::CUsbPage(HINSTANCE module, const InfoSources& sources)
    : CTextPage(IDD_USB_PAGE, IDC_USB_TEXT, module, sources) {}

std::string CUsbPage::Text() { return parvane::UsbPageText(sources_.devices); }

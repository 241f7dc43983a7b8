#include "app/FileDetailsDlg.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>

#include "app/FolderShell.h"
#include "app/Messages.h"
#include "app/diskview/scan/MyFolder.h"
#include "app/diskview/scan/SubtreeRescan.h"
#include "framework/Dpi.h"
#include "framework/Routes.h"
#include "platform/DirEnumWin.h"
#include "platform/TextWin.h"
#include "res/app/resource.h"

namespace {

constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressMs = 250;

CString Loaded(UINT id) {
  CString s;
  s.LoadString(id);
  return s;
}

// "a|b|c" resource texts: the columns of a list.
std::vector<std::wstring> Split(const CString& text) {
  std::vector<std::wstring> out;
  std::wstring all = text.c_str();
  std::size_t from = 0;
  for (;;) {
    const std::size_t bar = all.find(L'|', from);
    out.push_back(all.substr(from, bar == std::wstring::npos ? std::wstring::npos : bar - from));
    if (bar == std::wstring::npos) return out;
    from = bar + 1;
  }
}

// Minutes east of UTC now: the list and the export show local times.
std::int64_t UtcOffsetSeconds() {
  TIME_ZONE_INFORMATION zone{};
  const DWORD kind = GetTimeZoneInformation(&zone);
  LONG bias = zone.Bias;
  if (kind == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
  if (kind == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
  return -static_cast<std::int64_t>(bias) * 60;
}

std::string Share(std::uint64_t part, std::uint64_t whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%",
                whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0);
  return text;
}

std::string ItemText(HWND dialog, int id) {
  wchar_t text[256] = {};
  ::GetDlgItemTextW(dialog, id, text, 256);
  return platform::Narrow(text);
}

}  // namespace

CFileDetailsDlg::CFileDetailsDlg(SystemActions& system, std::string folder,
                                 diskview::ProtectedFolders folders, CWnd* parent)
    : CDialog(IDD_FILE_DETAILS, parent, GetModuleHandleW(nullptr)),
      system_(system),
      folder_(std::move(folder)),
      protected_(std::move(folders)) {}

CFileDetailsDlg::~CFileDetailsDlg() {
  if (gathering_) gathering_->stop = true;
  if (call_) call_->Forget();
}

std::wstring CFileDetailsDlg::FullPath(const diskview::FileRecord& file) const {
  std::string path = folder_;
  if (!file.folder.empty()) path = diskview::ChildPath(path, file.folder, '\\');
  return platform::Widen(diskview::ChildPath(path, file.name, '\\'));
}

bool CFileDetailsDlg::OnInitDialog() {
  const CString title = CString::FromUtf8(
      diskview::FillIn(Loaded(IDS_DETAILS_TITLE).ToUtf8(), {folder_}));
  SetWindowText(title);
  if (!files_.SubclassDlgItem(IDC_DETAILS_FILES, this) ||
      !types_list_.SubclassDlgItem(IDC_DETAILS_TYPES, this) ||
      !tabs_.SubclassDlgItem(IDC_DETAILS_TABS, this)) {
    return true;
  }
  PadTabs(GetDpi());
  tabs_.InsertItem(0, Loaded(IDS_DETAILS_TAB_FILES));
  tabs_.InsertItem(1, Loaded(IDS_DETAILS_TAB_TYPES));
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  files_.SetExtendedStyle(extended);
  types_list_.SetExtendedStyle(extended);
  const int fileWidths[] = {200, 90, 130, 200};
  const int fileFormats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_LEFT, LVCFMT_LEFT};
  int i = 0;
  for (const std::wstring& name : Split(Loaded(IDS_DETAILS_FILE_COLUMNS))) {
    files_.InsertColumn(i, name.c_str(), fileFormats[i % 4], afx::Scale(m_hWnd, fileWidths[i % 4]));
    ++i;
  }
  const int typeWidths[] = {160, 90, 110, 80};
  const int typeFormats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_RIGHT, LVCFMT_RIGHT};
  i = 0;
  for (const std::wstring& name : Split(Loaded(IDS_DETAILS_TYPE_COLUMNS))) {
    types_list_.InsertColumn(i, name.c_str(), typeFormats[i % 4], afx::Scale(m_hWnd, typeWidths[i % 4]));
    ++i;
  }
  columnsDpi_ = GetDpi();
  ShowTab(0);
  // A start size in 96-DPI pixels, scaled; the user may resize it.
  RECT r{0, 0, afx::Scale(m_hWnd, 720), afx::Scale(m_hWnd, 480)};
  SetWindowPos(nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();

  auto gathering = std::make_shared<Gathering>();
  gathering_ = gathering;
  const std::string folder = folder_;
  call_ = OffThreadCall<std::shared_ptr<diskview::FileStats>>::Start(
      [gathering, folder]() -> std::shared_ptr<diskview::FileStats> {
        platform::DirEnumWin dirs;
        auto stats = std::make_shared<diskview::FileStats>();
        if (!diskview::GatherFileStats(dirs, folder, gathering->stop, *stats, &gathering->seen)) {
          return nullptr;
        }
        return stats;
      },
      m_hWnd, WM_FILE_STATS_READY, 0, 0);
  if (call_->Answer()) {
    OnStatsReady(0, 0);
  } else {
    SetTimer(kProgressTimer, kProgressMs);
    ShowStatus();
  }
  return true;
}

void CFileDetailsDlg::OnTimer(UINT_PTR id) {
  if (id == kProgressTimer) ShowStatus();
}

void CFileDetailsDlg::ShowStatus() {
  std::string text;
  if (failed_) {
    text = Loaded(IDS_DETAILS_FAILED).ToUtf8();
  } else if (!gathered_) {
    text = diskview::FillIn(Loaded(IDS_DETAILS_GATHERING).ToUtf8(),
                            {std::to_string(gathering_ ? gathering_->seen.load() : 0)});
  } else {
    text = diskview::FillIn(Loaded(IDS_DETAILS_GATHERED).ToUtf8(),
                            {std::to_string(stats_->TotalFiles()),
                             diskview::FormatSize(static_cast<double>(stats_->TotalBytes()))});
  }
  ::SetDlgItemTextW(m_hWnd, IDC_DETAILS_STATUS, CString::FromUtf8(text));
}

LRESULT CFileDetailsDlg::OnStatsReady(WPARAM, LPARAM) {
  if (gathered_ || failed_ || !call_) return 0;
  const auto answer = call_->Answer();
  if (!answer) return 0;
  KillTimer(kProgressTimer);
  stats_ = *answer;
  if (!stats_) {
    failed_ = true;
  } else {
    gathered_ = true;
    largest_ = stats_->Largest();
    gone_.assign(largest_.size(), false);
    types_ = stats_->Types();
    shownTypes_.resize(types_.size());
    for (std::size_t i = 0; i < types_.size(); ++i) shownTypes_[i] = i;
    SortTypes(typeSort_, false);
    Refilter();
  }
  ShowStatus();
  return 0;
}

void CFileDetailsDlg::Refilter() {
  const std::string filter = ItemText(m_hWnd, IDC_DETAILS_FILTER);
  const std::string minText = ItemText(m_hWnd, IDC_DETAILS_MIN_SIZE);
  const std::uint64_t minBytes = minText.empty() ? 0 : std::strtoull(minText.c_str(), nullptr, 10) * 1024;
  shownFiles_.clear();
  for (std::size_t i = 0; i < largest_.size(); ++i) {
    if (gone_[i] || largest_[i].bytes < minBytes || !diskview::NameMatches(largest_[i].name, filter)) continue;
    shownFiles_.push_back(i);
  }
  SortFiles(fileSort_, false);
}

void CFileDetailsDlg::SortFiles(int column, bool toggle) {
  if (toggle) {
    fileDescending_ = column == fileSort_ ? !fileDescending_ : column == 1 || column == 2;
    fileSort_ = column;
  }
  const auto key = [&](std::size_t a, std::size_t b) {
    const diskview::FileRecord& x = largest_[a];
    const diskview::FileRecord& y = largest_[b];
    switch (fileSort_) {
      case 0: return x.name < y.name;
      case 2: return x.modified < y.modified;
      case 3: return x.folder < y.folder;
      default: return x.bytes < y.bytes;
    }
  };
  std::stable_sort(shownFiles_.begin(), shownFiles_.end(), [&](std::size_t a, std::size_t b) {
    return fileDescending_ ? key(b, a) : key(a, b);
  });
  files_.SendMessage(LVM_SETITEMCOUNT, shownFiles_.size(), LVSICF_NOSCROLL);
  files_.SetItemState(-1, 0, LVIS_SELECTED);
  files_.Invalidate(false);
}

void CFileDetailsDlg::SortTypes(int column, bool toggle) {
  if (toggle) {
    typeDescending_ = column == typeSort_ ? !typeDescending_ : column != 0;
    typeSort_ = column;
  }
  const auto key = [&](std::size_t a, std::size_t b) {
    const diskview::TypeRow& x = types_[a];
    const diskview::TypeRow& y = types_[b];
    switch (typeSort_) {
      case 0: return x.extension < y.extension;
      case 1: return x.files < y.files;
      default: return x.bytes < y.bytes;
    }
  };
  std::stable_sort(shownTypes_.begin(), shownTypes_.end(), [&](std::size_t a, std::size_t b) {
    return typeDescending_ ? key(b, a) : key(a, b);
  });
  types_list_.SendMessage(LVM_SETITEMCOUNT, shownTypes_.size(), LVSICF_NOSCROLL);
  types_list_.Invalidate(false);
}

LRESULT CFileDetailsDlg::OnGetDispInfo(NMHDR& header) {
  auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
  if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0) return 0;
  const auto row = static_cast<std::size_t>(info.item.iItem);
  std::string text;
  if (header.idFrom == IDC_DETAILS_FILES) {
    if (row >= shownFiles_.size()) return 0;
    const diskview::FileRecord& f = largest_[shownFiles_[row]];
    switch (info.item.iSubItem) {
      case 0: text = f.name; break;
      case 1: text = diskview::FormatSize(static_cast<double>(f.bytes)); break;
      case 2: text = diskview::DateTimeText(f.modified + UtcOffsetSeconds()); break;
      default: text = f.folder.empty() ? "." : f.folder; break;
    }
  } else {
    if (row >= shownTypes_.size() || !stats_) return 0;
    const diskview::TypeRow& t = types_[shownTypes_[row]];
    switch (info.item.iSubItem) {
      case 0: text = t.extension.empty() ? diskview::kNoExtensionText : "." + t.extension; break;
      case 1: text = std::to_string(t.files); break;
      case 2: text = diskview::FormatSize(static_cast<double>(t.bytes)); break;
      default: text = Share(t.bytes, stats_->TotalBytes()); break;
    }
  }
  cell_ = platform::Widen(text);
  info.item.pszText = cell_.data();
  return 0;
}

LRESULT CFileDetailsDlg::OnColumnClick(NMHDR& header) {
  const auto& list = reinterpret_cast<NMLISTVIEW&>(header);
  if (header.idFrom == IDC_DETAILS_FILES) {
    SortFiles(list.iSubItem, true);
  } else {
    SortTypes(list.iSubItem, true);
  }
  return 0;
}

LRESULT CFileDetailsDlg::OnDoubleClick(NMHDR&) {
  OnOpenFolder();
  return 0;
}

LRESULT CFileDetailsDlg::OnTabChange(NMHDR&) {
  ShowTab(tabs_.GetCurSel());
  return 0;
}

void CFileDetailsDlg::ShowTab(int tab) {
  const bool files = tab != 1;
  const int fileControls[] = {IDC_DETAILS_FILES,      IDC_DETAILS_FILTER, IDC_DETAILS_FILTER_LABEL,
                              IDC_DETAILS_MIN_SIZE,   IDC_DETAILS_MIN_LABEL, IDC_DETAILS_OPEN,
                              IDC_DETAILS_RECYCLE,    IDC_DETAILS_COPY};
  for (int id : fileControls) ::ShowWindow(GetDlgItem(id), files ? SW_SHOW : SW_HIDE);
  ::ShowWindow(GetDlgItem(IDC_DETAILS_TYPES), files ? SW_HIDE : SW_SHOW);
  if (tabs_.GetCurSel() != (files ? 0 : 1)) tabs_.SetCurSel(files ? 0 : 1);
}

void CFileDetailsDlg::OnSize(UINT, int, int) { Layout(); }

void CFileDetailsDlg::Layout() {
  if (!tabs_.m_hWnd) return;
  // The labels' background is taken from the tab at its new size.
  tabBrush_.DeleteObject();
  tabPicture_.DeleteObject();
  const CRect client = GetClientRect();
  const auto px = [&](int n) { return afx::Scale(m_hWnd, n); };
  const int m = px(8), buttonH = px(24), rowH = px(22), gap = px(6);
  const int bottom = client.bottom - m;
  // The buttons, right to left: close, export, copy, recycle, open.
  const struct {
    int id;
    int width;
  } buttons[] = {{IDCANCEL, 72}, {IDC_DETAILS_EXPORT, 96}, {IDC_DETAILS_COPY, 84},
                 {IDC_DETAILS_RECYCLE, 116}, {IDC_DETAILS_OPEN, 124}};
  int right = client.right - m;
  for (const auto& b : buttons) {
    const int w = px(b.width);
    ::MoveWindow(GetDlgItem(b.id), right - w, bottom - buttonH, w, buttonH, TRUE);
    right -= w + gap;
  }
  ::MoveWindow(GetDlgItem(IDC_DETAILS_STATUS), m, bottom - buttonH + px(4), std::max(0, right - m),
               buttonH - px(4), TRUE);
  const CRect tabRect(m, m, client.right - m, bottom - buttonH - gap);
  tabs_.MoveWindow(tabRect);
  RECT area = tabRect;
  tabs_.AdjustRect(false, area);
  // The filter row, then the files' list; the types' list fills the area.
  int x = area.left + px(2);
  const int y = area.top + px(4);
  const struct {
    int id;
    int width;
  } row[] = {{IDC_DETAILS_FILTER_LABEL, 70}, {IDC_DETAILS_FILTER, 180}, {IDC_DETAILS_MIN_LABEL, 74},
             {IDC_DETAILS_MIN_SIZE, 80}};
  for (const auto& c : row) {
    const bool label = c.id == IDC_DETAILS_FILTER_LABEL || c.id == IDC_DETAILS_MIN_LABEL;
    ::MoveWindow(GetDlgItem(c.id), x, y + (label ? px(4) : 0), px(c.width), label ? rowH - px(4) : rowH,
                 TRUE);
    x += px(c.width) + gap;
  }
  const int listTop = y + rowH + gap;
  files_.MoveWindow(CRect(area.left, listTop, area.right, area.bottom));
  types_list_.MoveWindow(CRect(area));
}

HBRUSH CFileDetailsDlg::OnCtlColor(HDC dc, HWND control, UINT type) {
  const int id = ::GetDlgCtrlID(control);
  if (type != CTLCOLOR_STATIC || !tabs_.m_hWnd || (id != IDC_DETAILS_FILTER_LABEL && id != IDC_DETAILS_MIN_LABEL)) {
    return nullptr;
  }
  if (!tabBrush_) {
    const CRect r = tabs_.GetClientRect();
    HDC screen = ::GetDC(tabs_.m_hWnd);
    HDC mem = ::CreateCompatibleDC(screen);
    if (mem && tabPicture_.CreateCompatibleBitmap(screen, r.Width(), r.Height())) {
      HGDIOBJ old = ::SelectObject(mem, tabPicture_);
      tabs_.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT | PRF_ERASEBKGND);
      ::SelectObject(mem, old);
      tabBrush_.Attach(::CreatePatternBrush(tabPicture_));
    }
    if (mem) ::DeleteDC(mem);
    ::ReleaseDC(tabs_.m_hWnd, screen);
    if (!tabBrush_) return nullptr;
  }
  // The pattern lines up with the tab where the label lies on it.
  POINT origin{0, 0};
  ::MapWindowPoints(control, tabs_.m_hWnd, &origin, 1);
  ::SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
  ::SetBkMode(dc, TRANSPARENT);
  return tabBrush_;
}

void CFileDetailsDlg::PadTabs(UINT dpi) {
  if (!tabs_.m_hWnd) return;
  const int dpiValue = static_cast<int>(dpi);
  tabs_.SendMessage(TCM_SETPADDING, 0, MAKELPARAM(geom::Scale(6, dpiValue), geom::Scale(3, dpiValue)));
  // The items are measured again with their font.
  tabs_.SendMessage(WM_SETFONT, static_cast<WPARAM>(tabs_.SendMessage(WM_GETFONT)), FALSE);
}

void CFileDetailsDlg::OnDpiChanged(UINT dpi) {
  CDialog::OnDpiChanged(dpi);
  PadTabs(dpi);
  files_.ScaleColumnWidths(columnsDpi_, dpi);
  types_list_.ScaleColumnWidths(columnsDpi_, dpi);
  columnsDpi_ = dpi;
  Layout();
}

void CFileDetailsDlg::OnGetMinMaxInfo(MINMAXINFO& info) {
  info.ptMinTrackSize.x = afx::Scale(m_hWnd, 640);
  info.ptMinTrackSize.y = afx::Scale(m_hWnd, 320);
}

void CFileDetailsDlg::OnFilterChange() {
  if (gathered_) Refilter();
}

std::vector<std::size_t> CFileDetailsDlg::SelectedFiles() const {
  std::vector<std::size_t> out;
  for (int i = files_.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = files_.GetNextItem(i, LVNI_SELECTED)) {
    if (static_cast<std::size_t>(i) < shownFiles_.size()) out.push_back(shownFiles_[static_cast<std::size_t>(i)]);
  }
  return out;
}

void CFileDetailsDlg::OnOpenFolder() {
  const std::vector<std::size_t> selected = SelectedFiles();
  if (selected.empty()) return;
  system_.ShowFileInFolder(m_hWnd, FullPath(largest_[selected.front()]).c_str());
}

void CFileDetailsDlg::OnCopy() {
  std::wstring text;
  for (std::size_t i : SelectedFiles()) {
    if (!text.empty()) text += L"\r\n";
    text += FullPath(largest_[i]);
  }
  if (!text.empty()) shell::CopyTextToClipboard(m_hWnd, text);
}

void CFileDetailsDlg::OnRecycle() {
  const std::vector<std::size_t> selected = SelectedFiles();
  if (selected.empty()) return;
  const CString caption = Loaded(IDS_RECYCLE_CAPTION);
  std::uint64_t bytes = 0;
  for (std::size_t i : selected) {
    const std::string path = platform::Narrow(FullPath(largest_[i]));
    if (diskview::CheckFolderDelete(path, protected_) != diskview::DeleteRefusal::kNone) {
      const CString text =
          CString::FromUtf8(diskview::FillIn(Loaded(IDS_RECYCLE_SYSTEM).ToUtf8(), {path}));
      system_.MessageBox(m_hWnd, text, caption, MB_OK | MB_ICONWARNING);
      return;
    }
    bytes += largest_[i].bytes;
  }
  const std::string name =
      selected.size() == 1
          ? largest_[selected.front()].name
          : diskview::FillIn(Loaded(IDS_RECYCLE_FILES).ToUtf8(),
                             {largest_[selected.front()].name, std::to_string(selected.size())});
  const CString question = CString::FromUtf8(diskview::FillIn(
      Loaded(IDS_RECYCLE_ASK).ToUtf8(),
      {name, diskview::FormatSize(static_cast<double>(bytes)), std::to_string(selected.size())}));
  if (system_.MessageBox(m_hWnd, question, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
    return;
  }
  for (std::size_t i : selected) {
    const std::wstring path = FullPath(largest_[i]);
    system_.RecycleFolder(m_hWnd, path.c_str());
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) gone_[i] = true;
  }
  Refilter();
}

bool CFileDetailsDlg::ExportTo(const std::wstring& path) const {
  if (!stats_) return false;
  std::vector<diskview::FileRecord> files;
  for (std::size_t i = 0; i < largest_.size(); ++i) {
    if (!gone_[i]) files.push_back(largest_[i]);
  }
  const std::string csv = diskview::FileStatsCsv(files, types_, stats_->TotalBytes(), UtcOffsetSeconds());
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, csv.data(), static_cast<DWORD>(csv.size()), &written, nullptr) &&
                  written == csv.size();
  ::CloseHandle(file);
  return ok;
}

void CFileDetailsDlg::OnExport() {
  if (!gathered_) return;
  std::wstring path = exportPath_;
  if (path.empty()) {
    wchar_t name[MAX_PATH * 4] = L"files.csv";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = L"CSV (*.csv)\0*.csv\0\0";
    ofn.lpstrFile = name;
    ofn.nMaxFile = static_cast<DWORD>(std::size(name));
    ofn.lpstrDefExt = L"csv";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!::GetSaveFileNameW(&ofn)) return;
    path = name;
  }
  if (!ExportTo(path)) {
    system_.MessageBox(m_hWnd, Loaded(IDS_DETAILS_FAILED), Loaded(IDS_DETAILS_TAB_FILES), MB_OK | MB_ICONWARNING);
  }
}

bool CFileDetailsDlg::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_DESTROY) {
    // The walk stops with the window; a late answer finds nobody.
    KillTimer(kProgressTimer);
    if (gathering_) gathering_->stop = true;
    if (call_) call_->Forget();
  }
  static constexpr afx::Route routes[] = {
      afx::OnSize<&CFileDetailsDlg::OnSize>(),
      afx::OnTimer<&CFileDetailsDlg::OnTimer>(),
      afx::OnGetMinMaxInfo<&CFileDetailsDlg::OnGetMinMaxInfo>(),
      afx::OnCtlColor<&CFileDetailsDlg::OnCtlColor>(),
      afx::OnMessage<&CFileDetailsDlg::OnStatsReady>(WM_FILE_STATS_READY),
      afx::OnNotify<LVN_GETDISPINFOW, &CFileDetailsDlg::OnGetDispInfo>(IDC_DETAILS_FILES),
      afx::OnNotify<LVN_GETDISPINFOW, &CFileDetailsDlg::OnGetDispInfo>(IDC_DETAILS_TYPES),
      afx::OnNotify<LVN_COLUMNCLICK, &CFileDetailsDlg::OnColumnClick>(IDC_DETAILS_FILES),
      afx::OnNotify<LVN_COLUMNCLICK, &CFileDetailsDlg::OnColumnClick>(IDC_DETAILS_TYPES),
      afx::OnNotify<NM_DBLCLK, &CFileDetailsDlg::OnDoubleClick>(IDC_DETAILS_FILES),
      afx::OnNotify<TCN_SELCHANGE, &CFileDetailsDlg::OnTabChange>(IDC_DETAILS_TABS),
      afx::OnControl<&CFileDetailsDlg::OnFilterChange>(IDC_DETAILS_FILTER, EN_CHANGE),
      afx::OnControl<&CFileDetailsDlg::OnFilterChange>(IDC_DETAILS_MIN_SIZE, EN_CHANGE),
      afx::OnCommand<&CFileDetailsDlg::OnOpenFolder>(IDC_DETAILS_OPEN),
      afx::OnCommand<&CFileDetailsDlg::OnRecycle>(IDC_DETAILS_RECYCLE),
      afx::OnCommand<&CFileDetailsDlg::OnCopy>(IDC_DETAILS_COPY),
      afx::OnCommand<&CFileDetailsDlg::OnExport>(IDC_DETAILS_EXPORT),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CDialog::OnWndMsg(msg, wParam, lParam, result);
}

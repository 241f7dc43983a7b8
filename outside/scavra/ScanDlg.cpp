#include "outside/scavra/ScanDlg.h"

#include <commctrl.h>
#include <objbase.h>

#include <ctime>

#include "app/diskview/scan/MyFolder.h"
#include "platform/DirEnumWin.h"
#include "platform/Rights.h"
#include "platform/TextWin.h"
#include "res/scavra/resource.h"

namespace scavra {
namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(250);
// The question's caption: the action asked about, and a title apart from
// the dialog's own.
constexpr wchar_t kConfirmCaption[] = L"清理";
constexpr char kNeedsAdmin[] = "需要管理员权限";

int CheckState(bool checked) { return checked ? 2 : 1; }

}  // namespace

std::uint64_t ScanDialog::Row::Files() const {
  return category->rule == Rule::RecycleBin ? bin.files : junk.files.size();
}

std::uint64_t ScanDialog::Row::Bytes() const {
  return category->rule == Rule::RecycleBin ? bin.bytes : junk.bytes;
}

ScanDialog::~ScanDialog() { StopWorker(); }

INT_PTR ScanDialog::Run(HWND owner) {
  return DialogBoxParamW(module_, MAKEINTRESOURCEW(IDD_SCAVRA_DIALOG), owner, Proc,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ScanDialog::Proc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<ScanDialog*>(lParam)->dialog_ = dialog;
  }
  auto* self = reinterpret_cast<ScanDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (self == nullptr) return FALSE;
  // No exception leaves a window procedure.
  try {
    return self->Handle(msg, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

INT_PTR ScanDialog::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      OnInit();
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_JUNK_LIST) return FALSE;
      if (header->code == LVN_ITEMCHANGING) {
        const BOOL refuse = OnItemChanging(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, refuse);
        return TRUE;
      }
      if (header->code == LVN_ITEMCHANGED) UpdateButtons();
      return FALSE;
    }
    case kMsgProgress: {
      std::string folder;
      {
        std::lock_guard lock(mutex_);
        folder = latestFolder_;
      }
      if (job_ != Job::None) SetText(IDC_PROGRESS_LINE, ScanningText(folder));
      return TRUE;
    }
    case kMsgDone:
      OnDone();
      return TRUE;
    case WM_DESTROY:
      StopWorker();
      return FALSE;
    default:
      return FALSE;
  }
}

void ScanDialog::OnInit() {
  list_ = GetDlgItem(dialog_, IDC_JUNK_LIST);
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  const struct {
    const wchar_t* title;
    int width;  // dialog units
    int format;
  } columns[] = {{L"类别", 130, LVCFMT_LEFT}, {L"文件数", 50, LVCFMT_RIGHT},
                 {L"大小", 76, LVCFMT_RIGHT}};
  for (int i = 0; i < 3; ++i) {
    RECT r{0, 0, columns[i].width, 1};
    MapDialogRect(dialog_, &r);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = columns[i].format;
    column.cx = r.right;
    column.pszText = const_cast<wchar_t*>(columns[i].title);
    SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  for (const Category& category : Categories()) {
    Row row;
    row.category = &category;
    rows_.push_back(std::move(row));
    const std::wstring name = platform::Widen(category.name);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(rows_.size() - 1);
    item.pszText = const_cast<wchar_t*>(name.c_str());
    SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    // Checked at first, but for the recycle bins: what a user threw away
    // on purpose is emptied only when asked.
    ListView_SetItemState(list_, item.iItem,
                          INDEXTOSTATEIMAGEMASK(CheckState(category.rule != Rule::RecycleBin)),
                          LVIS_STATEIMAGEMASK);
  }
  StartScan();
}

void ScanDialog::OnCommand(int id) {
  switch (id) {
    case IDC_SCAN:
      if (job_ == Job::None) StartScan();
      break;
    case IDC_CLEAN:
      if (job_ == Job::None) StartClean();
      break;
    case IDCANCEL:
      Close();
      break;
    default:
      break;
  }
}

// A row whose roots need rights this process lacks has no check box and
// gets none.
bool ScanDialog::OnItemChanging(const NMLISTVIEW& change) {
  if (change.iItem < 0 || static_cast<std::size_t>(change.iItem) >= rows_.size()) return false;
  if ((change.uChanged & LVIF_STATE) == 0) return false;
  const UINT image = change.uNewState & LVIS_STATEIMAGEMASK;
  return rows_[change.iItem].needsAdmin && image != 0;
}

bool ScanDialog::Checked(int row) const {
  return ((ListView_GetItemState(list_, row, LVIS_STATEIMAGEMASK) >> 12) & 0xF) == 2;
}

void ScanDialog::SetText(int id, const std::string& text) {
  SetDlgItemTextW(dialog_, id, platform::Widen(text).c_str());
}

// No exception ends the process from the worker: the job ends as if done
// (what it found or removed so far is kept) and the dialog hears of it.
template <class Body>
void ScanDialog::RunOnWorker(Body&& body) {
  try {
    body();
  } catch (...) {
    PostMessageW(dialog_, kMsgDone, 0, 0);
  }
}

Progress ScanDialog::WorkerProgress() {
  Progress progress;
  progress.stop = &stop_;
  progress.folder = [this](const std::string& folder) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex_);
    latestFolder_ = folder;
    if (now - lastPost_ >= kProgressInterval) {
      lastPost_ = now;
      PostMessageW(dialog_, kMsgProgress, 0, 0);
    }
  };
  return progress;
}

void ScanDialog::StartScan() {
  const bool elevated = platform::ProcessIsElevated();
  std::vector<Row> work;
  for (Row& row : rows_) {
    row.roots.clear();
    bool refused = false;
    for (Place place : row.category->places) {
      const std::string folder = PlaceFolder(place);
      if (folder.empty() || !FolderExists(folder)) continue;
      row.roots.push_back(folder);
      if (!FolderWritable(folder)) refused = true;
    }
    row.needsAdmin = !elevated && (row.category->machineWide || refused);
    Row copy;
    copy.category = row.category;
    copy.roots = row.roots;
    copy.needsAdmin = row.needsAdmin;
    work.push_back(std::move(copy));
  }
  job_ = Job::Scan;
  stop_ = false;
  UpdateButtons();
  SetText(IDC_PROGRESS_LINE, ScanningText(""));
  worker_ = std::thread([this, work = std::move(work)]() mutable {
    RunOnWorker([&] { ScanWork(std::move(work)); });
  });
}

void ScanDialog::ScanWork(std::vector<Row> rows) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const Progress progress = WorkerProgress();
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  platform::DirEnumWin dirs;
  for (Row& row : rows) {
    if (progress.Stopped()) break;
    if (row.category->rule == Rule::RecycleBin) {
      QueryRecycleBins(row.bin);
      continue;
    }
    for (std::size_t i = 0; i < row.roots.size(); ++i) {
      if (!FindJunk(dirs, row.roots[i], i, row.category->rule, now, progress, row.junk)) break;
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  {
    std::lock_guard lock(mutex_);
    scanned_ = std::move(rows);
  }
  PostMessageW(dialog_, kMsgDone, 0, 0);
}

void ScanDialog::StartClean() {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  std::vector<Row> work;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const Row& row = rows_[i];
    if (row.needsAdmin || !Checked(static_cast<int>(i)) || row.Files() == 0) continue;
    files += row.Files();
    bytes += row.Bytes();
    work.push_back(row);
  }
  if (work.empty()) return;
  const std::wstring question = platform::Widen(ConfirmText(files, bytes));
  if (MessageBoxW(dialog_, question.c_str(), kConfirmCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  job_ = Job::Clean;
  stop_ = false;
  UpdateButtons();
  SetText(IDC_SUMMARY_LINE, "");
  {
    std::lock_guard lock(mutex_);
    cleaned_ = CleanResult{};
  }
  worker_ = std::thread([this, work = std::move(work)]() mutable {
    RunOnWorker([&] { CleanWork(std::move(work)); });
  });
}

void ScanDialog::CleanWork(std::vector<Row> rows) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const Progress progress = WorkerProgress();
  RemoverWin remover;
  CleanResult total;
  for (const Row& row : rows) {
    if (progress.Stopped()) {
      total.stopped = true;
      break;
    }
    if (row.category->rule == Rule::RecycleBin) {
      // The shell removes the bins' contents as a whole.
      if (EmptyRecycleBins()) {
        total.files += row.bin.files;
        total.bytes += row.bin.bytes;
      }
      continue;
    }
    const CleanResult done = Clean(row.junk, row.roots, row.category->rule, '\\', remover, progress);
    total.files += done.files;
    total.bytes += done.bytes;
    total.skipped += done.skipped;
    total.stopped = total.stopped || done.stopped;
  }
  if (SUCCEEDED(com)) CoUninitialize();
  {
    std::lock_guard lock(mutex_);
    cleaned_ = total;
  }
  PostMessageW(dialog_, kMsgDone, 0, 0);
}

void ScanDialog::OnDone() {
  if (worker_.joinable()) worker_.join();
  const Job finished = job_;
  job_ = Job::None;
  if (finished == Job::Scan) {
    std::vector<Row> scanned;
    {
      std::lock_guard lock(mutex_);
      scanned = std::move(scanned_);
    }
    for (std::size_t i = 0; i < scanned.size() && i < rows_.size(); ++i) {
      rows_[i] = std::move(scanned[i]);
    }
    SetText(IDC_PROGRESS_LINE, "");
    FillList();
    UpdateButtons();
  } else if (finished == Job::Clean) {
    CleanResult result;
    {
      std::lock_guard lock(mutex_);
      result = cleaned_;
    }
    SetText(IDC_SUMMARY_LINE, SummaryText(result));
    StartScan();
  }
}

void ScanDialog::FillList() {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const Row& row = rows_[i];
    const int item = static_cast<int>(i);
    const std::wstring files = std::to_wstring(row.Files());
    const std::wstring size = platform::Widen(
        row.needsAdmin ? kNeedsAdmin : diskview::FormatSize(static_cast<double>(row.Bytes())));
    ListView_SetItemText(list_, item, 1, const_cast<wchar_t*>(files.c_str()));
    ListView_SetItemText(list_, item, 2, const_cast<wchar_t*>(size.c_str()));
    if (row.needsAdmin) {
      // Set directly: the refusal in OnItemChanging lets only "none" through.
      ListView_SetItemState(list_, item, INDEXTOSTATEIMAGEMASK(0), LVIS_STATEIMAGEMASK);
    } else if ((ListView_GetItemState(list_, item, LVIS_STATEIMAGEMASK) >> 12) == 0) {
      ListView_SetItemState(list_, item, INDEXTOSTATEIMAGEMASK(CheckState(false)),
                            LVIS_STATEIMAGEMASK);
    }
  }
}

void ScanDialog::UpdateButtons() {
  const bool idle = job_ == Job::None;
  bool anything = false;
  if (idle) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const Row& row = rows_[i];
      if (!row.needsAdmin && row.Files() > 0 && Checked(static_cast<int>(i))) anything = true;
    }
  }
  EnableWindow(GetDlgItem(dialog_, IDC_SCAN), idle);
  EnableWindow(GetDlgItem(dialog_, IDC_CLEAN), idle && anything);
}

void ScanDialog::StopWorker() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

void ScanDialog::Close() {
  StopWorker();
  job_ = Job::None;
  EndDialog(dialog_, IDCANCEL);
}

}  // namespace scavra

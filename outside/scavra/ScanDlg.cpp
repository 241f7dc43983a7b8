#include "outside/scavra/ScanDlg.h"

#include <commctrl.h>
#include <objbase.h>

#include <condition_variable>
#include <ctime>
#include <system_error>

#include "app/diskview/scan/MyFolder.h"
#include "platform/DirEnumWin.h"
#include "platform/DpiWin.h"
#include "platform/Rights.h"
#include "platform/TextWin.h"
#include "res/scavra/resource.h"

namespace scavra {
namespace {

// The progress line's refresh, and the look for a job's end should its
// message be lost.
constexpr UINT kTickMs = 250;
constexpr UINT_PTR kTickTimer = 1;
// The question's caption: the action asked about, and a title apart from
// the dialog's own.
constexpr wchar_t kConfirmCaption[] = L"清理";
constexpr char kNeedsAdmin[] = "需要管理员权限";

constexpr char kNoWorkerLine[] = "无法开始：系统拒绝了新线程。";

int CheckState(bool checked) { return checked ? 2 : 1; }

}  // namespace

const char kScanFailedLine[] = "扫描时出错，结果可能不完整。";
const char kCleanFailedLine[] = "清理时出错，已停止。";

std::string ScanSystem::PlaceFolder(Place place) { return scavra::PlaceFolder(place); }
bool ScanSystem::FolderExists(const std::string& folder) { return scavra::FolderExists(folder); }
bool ScanSystem::FolderWritable(const std::string& folder) {
  return scavra::FolderWritable(folder);
}
bool ScanSystem::QueryRecycleBins(BinFigures& out) { return scavra::QueryRecycleBins(out); }
bool ScanSystem::EmptyRecycleBins() { return scavra::EmptyRecycleBins(); }
std::unique_ptr<platform::DirEnumerator> ScanSystem::NewListing() {
  return std::make_unique<platform::DirEnumWin>();
}
std::unique_ptr<Remover> ScanSystem::NewRemover() { return std::make_unique<RemoverWin>(); }
bool ScanSystem::Post(HWND dialog, UINT message) {
  return PostMessageW(dialog, message, 0, 0) != FALSE;
}

struct ScanDialog::Work {
  Job job = Job::None;
  std::shared_ptr<ScanSystem> system;
  bool elevated = false;
  // Scan: the rows, filled as the worker finds their roots and junk.
  // Clean: the rows to clean. The dialog reads them once `finished`.
  std::vector<Row> rows;
  CleanResult cleaned;  // added to as files go
  std::atomic<bool> stop{false};

  std::mutex mutex;  // for the members below
  HWND dialog = nullptr;  // null once the dialog has let go
  std::string folder;     // the folder at hand
  bool finished = false;
  bool failed = false;
  bool started = false;  // the worker runs: it may be detached
  std::condition_variable startedChanged;

  Progress WorkerProgress() {
    Progress progress;
    progress.stop = &stop;
    progress.folder = [this](const std::string& at) {
      std::lock_guard lock(mutex);
      folder = at;
    };
    return progress;
  }
};

std::uint64_t ScanDialog::Row::Files() const {
  return category->rule == Rule::RecycleBin ? bin.files : junk.files.size();
}

std::uint64_t ScanDialog::Row::Bytes() const {
  return category->rule == Rule::RecycleBin ? bin.bytes : junk.bytes;
}

ScanDialog::~ScanDialog() { LetGo(); }

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
    case WM_TIMER:
      if (wParam == kTickTimer) OnTick();
      return TRUE;
    case kMsgDone:
      OnDone();
      return TRUE;
    case platform::dpi::kWmDpiChanged:
      OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return FALSE;  // and the dialog manager's own handling (its scaling under v2)
    case WM_DESTROY:
      LetGo();
      if (scaledFont_) {
        // The controls are ended after this: none may keep showing it.
        for (HWND c = GetWindow(dialog_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
          SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(templateFont_), FALSE);
        DeleteObject(scaledFont_);
        scaledFont_ = nullptr;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

void ScanDialog::OnInit() {
  list_ = GetDlgItem(dialog_, IDC_JUNK_LIST);
  dpi_ = templateDpi_ = platform::dpi::OfWindow(dialog_);
  templateFont_ = reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0));
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

void ScanDialog::OnDpiChanged(UINT dpi, const RECT& suggested) {
  if (dpi == 0 || dpi == dpi_) return;
  const auto scale = [&](LONG v) { return MulDiv(v, static_cast<int>(dpi), static_cast<int>(dpi_)); };
  if (!platform::dpi::SystemScalesForWindow(dialog_)) {
    HFONT font = templateFont_;
    HFONT made = nullptr;
    LOGFONTW lf{};
    if (dpi != templateDpi_ && templateFont_ && GetObjectW(templateFont_, sizeof lf, &lf)) {
      lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(dpi), static_cast<int>(templateDpi_));
      lf.lfWidth = MulDiv(lf.lfWidth, static_cast<int>(dpi), static_cast<int>(templateDpi_));
      if ((made = CreateFontIndirectW(&lf))) font = made;
    }
    for (HWND c = GetWindow(dialog_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      RECT r{};
      GetWindowRect(c, &r);
      MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
      SetWindowPos(c, nullptr, scale(r.left), scale(r.top), scale(r.right) - scale(r.left),
                   scale(r.bottom) - scale(r.top), SWP_NOZORDER | SWP_NOACTIVATE);
      if (font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (scaledFont_) DeleteObject(scaledFont_);
    scaledFont_ = made;
  }
  HWND header = ListView_GetHeader(list_);
  for (int i = 0; header && i < Header_GetItemCount(header); ++i)
    ListView_SetColumnWidth(list_, i, scale(ListView_GetColumnWidth(list_, i)));
  dpi_ = dpi;
  SetWindowPos(dialog_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(dialog_, nullptr, TRUE);
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

void ScanDialog::StartScan() {
  auto work = std::make_shared<Work>();
  work->job = Job::Scan;
  work->elevated = platform::ProcessIsElevated();
  for (const Row& row : rows_) {
    Row fresh;
    fresh.category = row.category;
    work->rows.push_back(std::move(fresh));
  }
  if (!StartWorker(std::move(work))) return;
  SetText(IDC_PROGRESS_LINE, ScanningText(""));
}

void ScanDialog::StartClean() {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  auto work = std::make_shared<Work>();
  work->job = Job::Clean;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const Row& row = rows_[i];
    if (row.needsAdmin || !Checked(static_cast<int>(i)) || row.Files() == 0) continue;
    files += row.Files();
    bytes += row.Bytes();
    work->rows.push_back(row);
  }
  if (work->rows.empty()) return;
  const std::wstring question = platform::Widen(ConfirmText(files, bytes));
  if (MessageBoxW(dialog_, question.c_str(), kConfirmCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  SetText(IDC_SUMMARY_LINE, "");
  StartWorker(std::move(work));
}

bool ScanDialog::StartWorker(std::shared_ptr<Work> work) {
  work->system = system_;
  work->dialog = dialog_;
  try {
    // The thread holds the job's state, never the dialog.
    worker_ = std::thread([work] { RunWorker(work); });
  } catch (const std::system_error&) {
    SetText(IDC_PROGRESS_LINE, kNoWorkerLine);
    return false;
  }
  job_ = work->job;
  work_ = std::move(work);
  SetTimer(dialog_, kTickTimer, kTickMs, nullptr);
  UpdateButtons();
  return true;
}

void ScanDialog::RunWorker(const std::shared_ptr<Work>& work) {
  {
    std::lock_guard lock(work->mutex);
    work->started = true;
  }
  work->startedChanged.notify_all();
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool failed = false;
  // No exception ends the process from the worker: the job ends with what
  // it found or removed so far, and says it failed.
  try {
    if (work->job == Job::Scan) {
      ScanWork(*work);
    } else {
      CleanWork(*work);
    }
  } catch (...) {
    failed = true;
  }
  if (SUCCEEDED(com)) CoUninitialize();
  std::lock_guard lock(work->mutex);
  work->finished = true;
  work->failed = failed;
  // Posted while the dialog cannot let go, so no other window that takes
  // its handle later receives it. A lost post is found by the timer.
  if (work->dialog != nullptr) work->system->Post(work->dialog, kMsgDone);
}

void ScanDialog::ScanWork(Work& work) {
  const Progress progress = work.WorkerProgress();
  ScanSystem& system = *work.system;
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  const std::unique_ptr<platform::DirEnumerator> dirs = system.NewListing();
  const std::unique_ptr<Remover> inspector = system.NewRemover();
  for (Row& row : work.rows) {
    if (progress.Stopped()) break;
    // Here rather than on the dialog's thread: a folder on a network drive
    // can take the network's time-outs to answer.
    bool refused = false;
    for (Place place : row.category->places) {
      const std::string folder = system.PlaceFolder(place);
      if (folder.empty() || !system.FolderExists(folder)) continue;
      row.roots.push_back(folder);
      if (!system.FolderWritable(folder)) refused = true;
    }
    row.needsAdmin = !work.elevated && (row.category->machineWide || refused);
    if (row.category->rule == Rule::RecycleBin) {
      system.QueryRecycleBins(row.bin);
      continue;
    }
    for (std::size_t i = 0; i < row.roots.size(); ++i) {
      if (!FindJunk(*dirs, *inspector, row.roots[i], i, row.category->rule, now, progress,
                    row.junk)) {
        break;
      }
    }
  }
}

void ScanDialog::CleanWork(Work& work) {
  const Progress progress = work.WorkerProgress();
  ScanSystem& system = *work.system;
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  const std::unique_ptr<Remover> remover = system.NewRemover();
  CleanResult& total = work.cleaned;
  for (const Row& row : work.rows) {
    if (progress.Stopped()) {
      total.stopped = true;
      break;
    }
    if (row.category->rule == Rule::RecycleBin) {
      // The shell removes the bins' contents as a whole.
      if (system.EmptyRecycleBins()) {
        total.files += row.bin.files;
        total.bytes += row.bin.bytes;
      }
      continue;
    }
    Clean(row.junk, row.roots, row.category->rule, now, '\\', *remover, progress, total);
  }
}

void ScanDialog::OnTick() {
  if (!work_) return;
  std::string folder;
  bool finished = false;
  {
    std::lock_guard lock(work_->mutex);
    folder = work_->folder;
    finished = work_->finished;
  }
  if (finished) {
    OnDone();
  } else if (!folder.empty()) {
    SetText(IDC_PROGRESS_LINE, ScanningText(folder));
  }
}

void ScanDialog::OnDone() {
  // A message of a job that the timer has ended already finds a newer one
  // still running, or none.
  if (!work_) return;
  {
    std::lock_guard lock(work_->mutex);
    if (!work_->finished) return;
  }
  KillTimer(dialog_, kTickTimer);
  if (worker_.joinable()) worker_.join();  // it only returns now
  const std::shared_ptr<Work> work = std::move(work_);
  job_ = Job::None;
  if (work->job == Job::Scan) {
    for (std::size_t i = 0; i < work->rows.size() && i < rows_.size(); ++i) {
      rows_[i] = std::move(work->rows[i]);
    }
    SetText(IDC_PROGRESS_LINE, work->failed ? kScanFailedLine : note_);
    note_.clear();
    FillList();
    UpdateButtons();
  } else {
    SetText(IDC_SUMMARY_LINE, SummaryText(work->cleaned));
    note_ = work->failed ? kCleanFailedLine : "";
    StartScan();
    if (job_ == Job::None) UpdateButtons();
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

void ScanDialog::LetGo() {
  if (!work_) return;
  work_->stop = true;
  bool finished = false;
  {
    // A thread detached before it has begun to run may start without its
    // argument under Wine's threads: wait the moment a start takes.
    std::unique_lock lock(work_->mutex);
    work_->startedChanged.wait(lock, [&] { return work_->started; });
    work_->dialog = nullptr;
    finished = work_->finished;
  }
  if (dialog_ != nullptr) KillTimer(dialog_, kTickTimer);
  // One still at work ends on its own; it holds everything it touches.
  if (worker_.joinable()) {
    if (finished) {
      worker_.join();
    } else {
      worker_.detach();
    }
  }
  work_.reset();
  job_ = Job::None;
}

void ScanDialog::Close() {
  LetGo();
  EndDialog(dialog_, IDCANCEL);
}

}  // namespace scavra

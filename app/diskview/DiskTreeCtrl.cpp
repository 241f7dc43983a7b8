#include "app/diskview/DiskTreeCtrl.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <vector>

#include "app/diskview/scan/ScanMessages.h"
#include "app/diskview/scan/ScanTrace.h"
#include "app/diskview/scan/ntfs/MftVolume.h"
#include "framework/Trace.h"
#include "platform/ByteSource.h"
#include "platform/TextWin.h"
#include "res/app/resource.h"

using diskview::CMyFolder;
using diskview::TreeItemInfo;

// The scan's rows. Calls from StartScan (user-interface thread) go straight
// to the control. The worker's insertions wait here in a queue and are
// carried out on the user-interface thread in batches, in the order the
// worker made them: the shown rows are always a prefix of the scan's rows,
// each under its right parent. A row the worker asks for is named by a ticket
// (its place in the scan's order) because its tree node does not exist yet;
// the messages carry nothing, so a stray or late one finds nothing to do.
//
// One message per batch instead of one send per row: under Wine a send to
// another thread costs about half a millisecond, more than listing the
// folder the row stands for. The worker gathers rows on its own side and
// hands them over a batch at a time (one lock, at most one post), posts a
// wake-up once rows wait, and sends (waits) only when the queue is full or
// when the scan has ended and the rows must be complete.
class CDiskTreeCtrl::RowSink final : public diskview::ScanRowSink {
 public:
  explicit RowSink(CDiskTreeCtrl& tree) : tree_(tree) {}

  // Before a worker starts: the window its requests go to.
  void SetWindow(HWND window) { window_ = window; }
  void SetQueueLimit(std::size_t rows) { limit_ = rows; }

  void DeleteAllRows() override {
    {
      // First: queued rows of a worker left behind must not be carried out
      // by the stop inside DeleteAll. No worker is inside the sink now.
      std::lock_guard lock(mutex_);
      queue_.clear();
      gathered_.clear();
      wakePosted_ = false;
    }
    tree_.DeleteAll();
    std::lock_guard lock(mutex_);
    nodes_.clear();
    nextTicket_ = 0;
    carriedOut_ = 0;
    carryOutTime_ = {};
  }
  // For the scan trace: rows carried out since the last DeleteAllRows and
  // the time this thread spent on them.
  std::size_t CarriedOut() const { return carriedOut_; }
  double CarryOutMs() const {
    return std::chrono::duration<double, std::milli>(carryOutTime_).count();
  }
  Row InsertRootRow(std::unique_ptr<TreeItemInfo> info) override {
    if (!tree_.InsertRootRow(std::move(info))) return 0;
    std::lock_guard lock(mutex_);
    nodes_.assign({nullptr, tree_.GetRootNode()});
    nextTicket_ = nodes_.size();
    return kRootTicket;
  }
  void ExpandRow(Row row) override {
    GridTreeNode* node = NodeOf(row);
    tree_.ExpandNode(node, tree_.NodeToIndex(node));
  }

  // The tickets and the gathered rows are the worker's alone while it runs
  // (the user-interface thread touches them only while no worker is inside
  // the sink).
  Row InsertChildRow(Row parent, std::unique_ptr<TreeItemInfo> info) override {
    // Deeper rows are made from the finished folders when they are opened
    // (MakeChildren); a scan's worth of them would cost more than its folders.
    if (parent != kRootTicket) return kMadeLater;
    const Row ticket = nextTicket_++;
    const auto now = std::chrono::steady_clock::now();
    if (gathered_.empty()) gatherStart_ = now;
    gathered_.push_back({parent, ticket, std::move(info)});
    if (gathered_.size() >= std::min(kHandOverRows, limit_) || now - gatherStart_ >= kBatchDelay) {
      HandOver();
    }
    return ticket;
  }
  void FlushRows() override {
    if (!gathered_.empty()) HandOver();
  }
  void RedrawNow() override {
    FlushRows();
    ::SendMessageW(window_, WM_DISKTREE_REDRAW, 0, 0);
  }
  void SelectRootIfNoneSelected() override { ::SendMessageW(window_, WM_DISKTREE_SELECT_ROOT, 0, 0); }

  // User-interface thread: carries out the queued insertions, all of them or
  // one batch (so that a long queue does not hold up input); says whether
  // some are left.
  bool CarryOut(bool all) {
    const auto start = std::chrono::steady_clock::now();
    struct Timed {
      std::chrono::steady_clock::time_point start;
      std::chrono::steady_clock::duration& spent;
      ~Timed() { spent += std::chrono::steady_clock::now() - start; }
    } timed{start, carryOutTime_};
    for (;;) {
      std::vector<Request> batch;
      {
        std::lock_guard lock(mutex_);
        const std::size_t n = all ? queue_.size() : std::min(queue_.size(), kRowsPerWake);
        batch.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
          batch.push_back(std::move(queue_.front()));
          queue_.pop_front();
        }
        if (queue_.empty()) wakePosted_ = false;
      }
      for (Request& request : batch) {
        // Below a parent that does not exist (its insertion failed) nothing
        // is added; the record is freed.
        GridTreeNode* parent = NodeOf(request.parent);
        GridTreeNode* made =
            parent ? tree_.InsertChildRow(parent, std::move(request.info), false) : nullptr;
        if (request.ticket >= nodes_.size()) nodes_.resize(request.ticket + 1, nullptr);
        nodes_[request.ticket] = made;
      }
      carriedOut_ += batch.size();
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return false;
      if (!all) return true;
    }
  }

 private:
  struct Request {
    Row parent;
    Row ticket;
    std::unique_ptr<TreeItemInfo> info;
  };
  static constexpr Row kRootTicket = 1;
  // The row of a folder below the root's children, and of everything below it.
  static constexpr Row kMadeLater = ~Row{0};
  // Rows the worker gathers before it hands them over, or how long the
  // first of them waits.
  static constexpr std::size_t kHandOverRows = 1024;
  static constexpr std::chrono::milliseconds kBatchDelay{15};
  static constexpr std::size_t kRowsPerWake = 2048;

  // Worker thread: the gathered rows join the queue.
  void HandOver() {
    bool wait = false;
    bool wake = false;
    {
      std::lock_guard lock(mutex_);
      for (Request& request : gathered_) queue_.push_back(std::move(request));
      if (queue_.size() >= limit_) {
        wait = true;
      } else if (!wakePosted_) {
        wakePosted_ = wake = true;
      }
    }
    gathered_.clear();
    if (wait) {
      ::SendMessageW(window_, WM_DISKTREE_INSERT_ROW, kCarryOutAll, 0);
    } else if (wake && !::PostMessageW(window_, WM_DISKTREE_INSERT_ROW, 0, 0)) {
      std::lock_guard lock(mutex_);
      wakePosted_ = false;  // a full queue: the next hand-over tries again
    }
  }

  // User-interface thread only (the worker never reads nodes_).
  GridTreeNode* NodeOf(Row ticket) const { return ticket < nodes_.size() ? nodes_[ticket] : nullptr; }

  CDiskTreeCtrl& tree_;
  HWND window_ = nullptr;
  std::mutex mutex_;
  std::deque<Request> queue_;
  bool wakePosted_ = false;
  std::vector<Request> gathered_;  // worker side, not yet handed over
  std::chrono::steady_clock::time_point gatherStart_;
  std::size_t limit_ = static_cast<std::size_t>(kDefaultRowQueue);
  Row nextTicket_ = 0;
  std::vector<GridTreeNode*> nodes_;  // by ticket
  std::size_t carriedOut_ = 0;
  std::chrono::steady_clock::duration carryOutTime_{};
};

CDiskTreeCtrl::CDiskTreeCtrl()
    : dirs_(std::make_shared<platform::DirEnumWin>()),
      rows_(std::make_unique<RowSink>(*this)),
      scan_(dirs_, *rows_, notifier_) {
  scan_.SetVolumeOpener(platform::OpenNtfsVolume);
}

CDiskTreeCtrl::~CDiskTreeCtrl() {
  // The window ended first (its WM_DESTROY stopped the scan while it could
  // still take the worker's last insertions); the worker ends before the
  // nodes and rows go.
  StopScan();
  scan_.WaitForWorker();
}

bool CDiskTreeCtrl::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnCreate<&CDiskTreeCtrl::OnCreate>(),
      afx::OnDestroy<&CDiskTreeCtrl::OnDestroy>(),
      afx::OnReflectNotify<LVN_GETDISPINFOW, &CDiskTreeCtrl::OnGetDispInfo>(),
      afx::OnMessage<&CDiskTreeCtrl::OnInsertRow>(WM_DISKTREE_INSERT_ROW),
      afx::OnMessage<&CDiskTreeCtrl::OnRedraw>(WM_DISKTREE_REDRAW),
      afx::OnMessage<&CDiskTreeCtrl::OnSelectRoot>(WM_DISKTREE_SELECT_ROOT),
  };
  return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
         CSuperGridCtrl::OnWndMsg(msg, wp, lp, result);
}

int CDiskTreeCtrl::OnCreate(CREATESTRUCTW& cs) {
  if (DefWindowProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) return -1;
  SetExtendedStyle(LVS_EX_GRIDLINES);
  MakeImages(GetDpi());
  for (int i = 0; i < 4; ++i) InsertColumn(i, kColumns[i], LVCFMT_CENTER, kColumnWidth);
  return 0;
}

void CDiskTreeCtrl::MakeImages(UINT dpi) {
  CImageList made;
  if (!made.CreateFromBitmapForDpi(IDB_TREE_IMAGES, kImageSize, 1, RGB(0x00, 0xFF, 0xFF), dpi)) return;
  // Shared, not owned by the list (LVS_SHAREIMAGELISTS): it outlives the
  // window, and the one it replaces goes only once the list has let go.
  SetImageList(made.GetSafeHandle(), LVSIL_SMALL);
  images_.Attach(made.Detach());
  int cx = 0;
  int cy = 0;
  if (images_.GetIconSize(cx, cy)) SetIconSize(cx, cy);
}

void CDiskTreeCtrl::OnDpiChanged(UINT dpi) {
  MakeImages(dpi);
  Invalidate();
}

void CDiskTreeCtrl::OnDestroy() {
  StopScan();
  DefWindowProc(WM_DESTROY, 0, 0);
}

void CDiskTreeCtrl::SetRootFolder(CMyFolder* root) {
  if (!scan_.IsScanning()) scan_.SetRoot(root);
}

void CDiskTreeCtrl::StartScan(int slot) {
  if (!m_hWnd || scan_.IsScanning() || !scan_.Root()) return;
  // The last worker may still be sending its final calls to the windows.
  scan_.EndWorker();
  notifier_.SetWindows(progressWindow_, GetParent());
  rows_->SetWindow(m_hWnd);
  scan_.StartScan(slot);
}

void CDiskTreeCtrl::StopScan() {
  scan_.StopScan();
  // The rows the worker asked for before it stopped: the partial tree keeps
  // them, as it keeps their folders.
  if (!scan_.IsScanning()) rows_->CarryOut(true);
}

void CDiskTreeCtrl::SetRowQueueLimit(int rows) {
  if (!scan_.IsScanning()) rows_->SetQueueLimit(rows < 1 ? 1 : static_cast<std::size_t>(rows));
}

void CDiskTreeCtrl::DeleteTree(bool selectedOnly) {
  // The worker holds nodes of the tree as the parents of its next rows.
  StopScan();
  CSuperGridCtrl::DeleteTree(selectedOnly);
}

LRESULT CDiskTreeCtrl::OnInsertRow(WPARAM all, LPARAM) {
  // The rest of a long queue goes in later batches, after other messages.
  if (rows_->CarryOut(all == kCarryOutAll) && m_hWnd) {
    ::PostMessageW(m_hWnd, WM_DISKTREE_INSERT_ROW, 0, 0);
  }
  return 0;
}

LRESULT CDiskTreeCtrl::OnRedraw(WPARAM, LPARAM) {
  rows_->CarryOut(true);  // the scan has ended: every row is there first
  diskview::ScanTrace::Mark("rows-inserted", static_cast<std::int64_t>(rows_->CarriedOut()));
  diskview::ScanTrace::Mark("rows-insert-ms", static_cast<std::int64_t>(rows_->CarryOutMs()));
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  diskview::ScanTrace::Mark("tree-redrawn");
  // Why a volume that opened had its folders walked rather than read from
  // its table, for a developer.
  const auto table = scan_.TableResult();
  if (table && *table != diskview::ntfs::LoadResult::kOk && scan_.Root()) {
    afx::Trace(L"Scan of %ls walked its folders: %ls\n",
               platform::Widen(scan_.Root()->GetName()).c_str(),
               platform::Widen(diskview::ntfs::LoadResultText(*table)).c_str());
  }
  return 0;
}

LRESULT CDiskTreeCtrl::OnSelectRoot(WPARAM, LPARAM) {
  if (GetNextItem(-1, LVNI_SELECTED) < 0) SelectNode(GetRootNode());
  diskview::ScanTrace::Mark("root-selected");
  return 0;
}

CMyFolder* CDiskTreeCtrl::FolderOf(const GridTreeNode* node) {
  const TreeItemInfo* info = InfoOf(node);
  return info ? info->folder : nullptr;
}

int CDiskTreeCtrl::GetIcon(const GridTreeNode* node) const {
  const CMyFolder* folder = FolderOf(node);
  if (folder && folder->IsFileGroup()) return kImageFileGroup;
  return node && node->IsCollapsed() ? kImageCollapsed : kImageExpanded;
}

bool CDiskTreeCtrl::HasUnmadeChildren(const GridTreeNode& node) const {
  // The root's rows come from the scan, even those a stop left unmade.
  if (!node.GetParent() || node.GetChildCount() > 0) return false;
  const CMyFolder* folder = FolderOf(&node);
  // A folder the worker still extends is not read.
  return folder && folder->IsFinished() && folder->GetChildCount() > 0;
}

void CDiskTreeCtrl::MakeChildren(GridTreeNode& node) {
  if (!HasUnmadeChildren(node)) return;
  const CMyFolder* folder = FolderOf(&node);
  for (int i = 0; i < folder->GetChildCount(); ++i) {
    auto info = std::make_unique<TreeItemInfo>();
    info->folder = folder->GetChild(i);
    InsertChildRow(&node, std::move(info), false);
  }
}

CMyFolder* CDiskTreeCtrl::GetSelectedFolder() const {
  return FolderOf(NodeAt(GetNextItem(-1, LVNI_SELECTED)));
}

LRESULT CDiskTreeCtrl::OnGetDispInfo(NMLVDISPINFOW& request) {
  LVITEMW& item = request.item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return 0;
  const GridTreeNode* node =
      item.lParam ? reinterpret_cast<const GridTreeNode*>(item.lParam) : NodeAt(item.iItem);
  const CMyFolder* folder = FolderOf(node);
  // While the worker extends a folder only its name is read (GetRowText).
  const std::wstring text = folder ? platform::Widen(folder->GetRowText(item.iSubItem)) : L"";
  ::lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
  return 0;
}

#include "app/diskview/DiskTreeCtrl.h"

#include <mutex>
#include <optional>

#include "app/Messages.h"
#include "framework/WinApp.h"
#include "platform/TextWin.h"
#include "res/app/resource.h"

using diskview::CMyFolder;
using diskview::TreeItemInfo;

// The scan's rows. Calls from StartScan (user-interface thread) go straight
// to the control. The worker's insertions are sent to the control's window
// and done there, whole, on the user-interface thread; the request itself
// waits here, so the message carries no pointer and a stray one (from
// another program) finds nothing to do.
class CDiskTreeCtrl::RowSink final : public diskview::ScanRowSink {
 public:
  explicit RowSink(CDiskTreeCtrl& tree) : tree_(tree) {}

  // Before a worker starts: the window its requests go to.
  void SetWindow(HWND window) { window_ = window; }

  void DeleteAllRows() override { tree_.DeleteAll(); }
  Row InsertRootRow(std::unique_ptr<TreeItemInfo> info) override {
    return tree_.InsertRootRow(std::move(info)) ? ToRow(tree_.GetRootNode()) : 0;
  }
  void ExpandRow(Row row) override {
    GridTreeNode* node = FromRow(row);
    tree_.ExpandNode(node, tree_.NodeToIndex(node));
  }

  Row InsertChildRow(Row parent, std::unique_ptr<TreeItemInfo> info) override {
    {
      std::lock_guard lock(mutex_);
      pending_.emplace(Request{FromRow(parent), std::move(info)});
    }
    ::SendMessageW(window_, WM_DISKTREE_INSERT_ROW, 0, 0);
    // Not taken when the window is gone: the record is freed here.
    std::lock_guard lock(mutex_);
    GridTreeNode* made = done_;
    done_ = nullptr;
    pending_.reset();
    return ToRow(made);
  }
  void RedrawNow() override { ::SendMessageW(window_, WM_DISKTREE_REDRAW, 0, 0); }
  void SelectRootIfNoneSelected() override { ::SendMessageW(window_, WM_DISKTREE_SELECT_ROOT, 0, 0); }

  // User-interface thread, inside the worker's send.
  void CarryOut() {
    std::lock_guard lock(mutex_);
    if (!pending_) return;
    Request request = std::move(*pending_);
    pending_.reset();
    // Below a parent that no longer exists (its insertion failed) nothing
    // is added.
    done_ = request.parent ? tree_.InsertChildRow(request.parent, std::move(request.info), false)
                           : nullptr;
  }

 private:
  struct Request {
    GridTreeNode* parent;
    std::unique_ptr<TreeItemInfo> info;
  };
  static Row ToRow(GridTreeNode* node) { return reinterpret_cast<Row>(node); }
  static GridTreeNode* FromRow(Row row) { return reinterpret_cast<GridTreeNode*>(row); }

  CDiskTreeCtrl& tree_;
  HWND window_ = nullptr;
  std::mutex mutex_;
  std::optional<Request> pending_;
  GridTreeNode* done_ = nullptr;
};

CDiskTreeCtrl::CDiskTreeCtrl()
    : rows_(std::make_unique<RowSink>(*this)), scan_(dirs_, *rows_, notifier_) {}

CDiskTreeCtrl::~CDiskTreeCtrl() {
  // The scan stops while the window can still take the worker's last
  // insertions, and before the nodes and rows go.
  StopScan();
  scan_.WaitForWorker();
  DestroyWindow();
}

bool CDiskTreeCtrl::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnCreate<&CDiskTreeCtrl::OnCreate>(),
      afx::OnDestroy<&CDiskTreeCtrl::OnDestroy>(),
      afx::OnReflectNotify<&CDiskTreeCtrl::OnGetDispInfo>(LVN_GETDISPINFOW),
      afx::OnMessage<&CDiskTreeCtrl::OnInsertRow>(WM_DISKTREE_INSERT_ROW),
      afx::OnMessage<&CDiskTreeCtrl::OnRedraw>(WM_DISKTREE_REDRAW),
      afx::OnMessage<&CDiskTreeCtrl::OnSelectRoot>(WM_DISKTREE_SELECT_ROOT),
  };
  return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
         CSuperGridCtrl::OnWndMsg(msg, wp, lp, result);
}

int CDiskTreeCtrl::OnCreate(CREATESTRUCTW&) {
  if (Default() == -1) return -1;
  SetExtendedStyle(LVS_EX_GRIDLINES);
  if (!images_.GetSafeHandle()) {
    images_.CreateFromBitmap(IDB_TREE_IMAGES, 16, 1, RGB(0x00, 0xFF, 0xFF));
  }
  // Shared, not owned by the list (LVS_SHAREIMAGELISTS): it outlives the window.
  SetImageList(images_.GetSafeHandle(), LVSIL_SMALL);
  int cx = 0;
  int cy = 0;
  if (images_.GetIconSize(cx, cy)) SetIconSize(cx, cy);
  for (int i = 0; i < 4; ++i) InsertColumn(i, kColumns[i], LVCFMT_CENTER, kColumnWidth);
  return 0;
}

void CDiskTreeCtrl::OnDestroy() {
  StopScan();
  Default();
}

void CDiskTreeCtrl::SetRootFolder(CMyFolder* root) {
  if (!scan_.IsScanning()) scan_.SetRoot(root);
}

void CDiskTreeCtrl::StartScan(int slot) {
  if (!m_hWnd || scan_.IsScanning() || !scan_.Root()) return;
  // The last worker may still be sending its final calls to the windows.
  scan_.WaitForWorker();
  CWinApp* app = AfxGetApp();
  HWND mainWindow = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
  notifier_.SetWindows(mainWindow, GetParent());
  rows_->SetWindow(m_hWnd);
  scan_.StartScan(slot);
}

void CDiskTreeCtrl::StopScan() { scan_.StopScan(); }

void CDiskTreeCtrl::DeleteTree(bool selectedOnly) {
  // The worker holds nodes of the tree as the parents of its next rows.
  StopScan();
  CSuperGridCtrl::DeleteTree(selectedOnly);
}

LRESULT CDiskTreeCtrl::OnInsertRow(WPARAM, LPARAM) {
  rows_->CarryOut();
  return 0;
}

LRESULT CDiskTreeCtrl::OnRedraw(WPARAM, LPARAM) {
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return 0;
}

LRESULT CDiskTreeCtrl::OnSelectRoot(WPARAM, LPARAM) {
  if (GetNextItem(-1, LVNI_SELECTED) < 0) SelectNode(GetRootNode());
  return 0;
}

CMyFolder* CDiskTreeCtrl::FolderOf(const GridTreeNode* node) {
  const TreeItemInfo* info = node ? node->GetInfo() : nullptr;
  return info ? info->folder : nullptr;
}

int CDiskTreeCtrl::GetIcon(const GridTreeNode* node) const {
  const CMyFolder* folder = FolderOf(node);
  if (folder && folder->IsFileGroup()) return kImageFileGroup;
  return node && node->IsCollapsed() ? kImageCollapsed : kImageExpanded;
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

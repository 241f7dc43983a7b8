#include "app/KestrinView.h"

#include "app/FileDetailsDlg.h"
#include "app/FolderShell.h"
#include "app/Messages.h"
#include "app/ShellRules.h"
#include "app/diskview/InfoLayout.h"
#include "app/diskview/PieChartLayout.h"
#include "app/diskview/StripLayout.h"
#include "app/diskview/scan/ScanTrace.h"
#include "app/diskview/scan/SubtreeRescan.h"
#include "framework/Art.h"
#include "framework/Dpi.h"
#include "framework/Menu.h"
#include "framework/WinApp.h"
#include "platform/DiskSpace.h"
#include "platform/TextWin.h"
#include "res/app/resource.h"

namespace {

constexpr wchar_t kClickSound[] = L"WAV\\Windows XP.wav";
constexpr wchar_t kPictureText[] = L"单文档创建静态文本控件";
constexpr wchar_t kButtonText[] = L"单文档按钮";

// The pictures by their place in pictures_.
struct PictureSpec {
  UINT bitmapId;
  geom::Rect at;
};
constexpr PictureSpec kPictures[3] = {{IDB_VIEW_PIE, layout::kViewPiePicture},
                                      {IDB_VIEW_TOP, layout::kViewTopPicture},
                                      {IDB_VIEW_BOTTOM, layout::kViewBottomPicture}};

}  // namespace

CKestrinView::CKestrinView(SystemActions& system)
    : system_(system),
      query_(platform::QueryDiskSpace),
      captions_{afx::Window<CCaptionStrip>{diskview::kPanelCaptions[0]},
                afx::Window<CCaptionStrip>{diskview::kPanelCaptions[1]},
                afx::Window<CCaptionStrip>{diskview::kPanelCaptions[2]},
                afx::Window<CCaptionStrip>{diskview::kPanelCaptions[3]},
                afx::Window<CCaptionStrip>{diskview::kPanelCaptions[4]}} {}

void CKestrinView::OnDestroy() {
  // Drive-space answers still out are dropped: their window is going.
  for (SpaceQuery& q : spaceQueries_) {
    if (q.call) q.call->Forget();
  }
  // The scan ends while the windows can still take its last insertions;
  // the children go next, before the members they draw with.
  tree_.StopScan();
  DefWindowProc(WM_DESTROY, 0, 0);
}

bool CKestrinView::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!CView::PreCreateWindow(cs)) return false;
  // The view draws no border of its own (the splitter draws the frame).
  cs.style &= ~WS_BORDER;
  cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
  return true;
}

CRect CKestrinView::Scaled(const geom::Rect& r) const {
  return CRect(geom::Scale(r, static_cast<int>(GetDpi())));
}

void CKestrinView::ShowPicture(int index) {
  CBitmap made;
  made.Attach(afx::LoadBitmapForDpi(kPictures[index].bitmapId, GetDpi()));
  CStatic& picture = pictures_[index];
  picture.MoveWindow(Scaled(kPictures[index].at));
  if (!made) return;
  // The static lets go of the old bitmap before it is deleted.
  picture.SetBitmap(made);
  pictureBitmaps_[index] = std::move(made);
}

void CKestrinView::FitButton(CBitmapButton& button, UINT bitmapId, geom::Point at) {
  button.LoadBitmapsForDpi(bitmapId, IDB_BUTTON_PRESSED, GetDpi());
  const int dpi = static_cast<int>(GetDpi());
  button.SetWindowPos(nullptr, geom::Scale(at.x, dpi), geom::Scale(at.y, dpi), 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  button.SizeToContent();
}

bool CKestrinView::CreatePicture(int index) {
  if (!pictures_[index].Create(kPictureText, WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE,
                               Scaled(kPictures[index].at), this, kPictureId)) {
    return false;
  }
  ShowPicture(index);
  return true;
}

bool CKestrinView::CreateButton(CBitmapButton& button, UINT id, UINT bitmapId, geom::Point at) {
  const CRect r(CPoint(at.x, at.y), CSize(layout::kViewButtonInitialSize.cx,
                                           layout::kViewButtonInitialSize.cy));
  if (!button.Create(kButtonText, WS_VISIBLE | BS_OWNERDRAW, r, this, id)) return false;
  FitButton(button, bitmapId, at);
  return true;
}

void CKestrinView::OnDpiChanged(UINT) {
  for (int i = 0; i < 3; ++i) ShowPicture(i);
  FitButton(homeButton_, IDB_BUTTON_HOME, layout::kViewHomeButtonAt);
  FitButton(exitButton_, IDB_BUTTON_EXIT, layout::kViewExitButtonAt);
  PlaceSlots();
}

int CKestrinView::OnCreate(CREATESTRUCTW& cs) {
  if (DefWindowProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) return -1;
  if (!CreatePicture(0) || !CreatePicture(1) || !CreatePicture(2)) return -1;
  if (!CreateButton(homeButton_, kHomeButtonId, IDB_BUTTON_HOME, layout::kViewHomeButtonAt) ||
      !CreateButton(exitButton_, kExitButtonId, IDB_BUTTON_EXIT, layout::kViewExitButtonAt)) {
    return -1;
  }
  // Never placed: it runs the scans and holds the selected folder unseen.
  if (!tree_.Create(WS_VISIBLE, CRect(), this, kDiskTreeId)) return -1;
  tree_.ModifyStyleEx(0, WS_EX_STATICEDGE | WS_EX_CLIENTEDGE);
  for (CPieChartCtrl& pie : pies_) {
    if (!pie.Create(WS_VISIBLE, CRect(), this, kPieId)) return -1;
  }
  for (CInfoCtrl& info : infos_) {
    if (!info.Create(WS_VISIBLE, CRect(), this, kInfoId)) return -1;
  }
  for (CCaptionStrip& caption : captions_) {
    if (!caption.Create(WS_VISIBLE, CRect(), this, kCaptionId)) return -1;
  }
  if (!legend_.Create(WS_VISIBLE, CRect(), this, kLegendId)) return -1;
  return 0;
}

void CKestrinView::PlaceSlots() {
  for (int i = 0; i < layout::kViewSlotCount; ++i) {
    const layout::ViewSlotRects& slot = layout::kViewSlots[i];
    captions_[i].MoveWindow(Scaled(slot.caption));
    pies_[i].MoveWindow(Scaled(slot.pie));
    infos_[i].MoveWindow(Scaled(slot.info));
  }
  legend_.MoveWindow(Scaled(layout::kViewLegend));
}

void CKestrinView::OnSize(UINT type, int cx, int cy) {
  DefWindowProc(WM_SIZE, type, MAKELPARAM(cx, cy));
  PlaceSlots();
}

void CKestrinView::OnDraw(CDC& dc) {
  const CRect client = GetClientRect();
  COffscreenDC offscreen(dc, client);
  offscreen.FillSolidRect(client, ::GetSysColor(COLOR_BTNFACE));
}

void CKestrinView::OnPrintClient(HDC dc, UINT) {
  CDC target(dc);
  OnDraw(target);
}

bool CKestrinView::StopForScanOf(int slot) {
  // A slot whose last scan is still blocked in its drive takes no second
  // one: threads would pile up behind a drive that does not answer.
  if (ShowIfHangs(slot)) return false;
  if (tree_.IsScanning()) {
    tree_.StopScan();
    // Left behind: that slot's drive did not answer.
    if (scanSlot_ != 0) ShowIfHangs(scanSlot_);
  }
  // A stopped rescan changes nothing: its slot keeps the chart it had.
  rescan_.reset();
  // A stopped scan completes nothing: its slot keeps an empty chart.
  ClearProgress();
  if (ShowIfHangs(slot)) {
    scanSlot_ = 0;
    return false;
  }
  return true;
}

void CKestrinView::OpenFolderInSlot(int slot, const CString& path) {
  if (slot < 1 || slot > layout::kViewSlotCount || !m_hWnd || !StopForScanOf(slot)) return;
  CPieChartCtrl& pie = Pie(slot);
  pie.RemoveAllSlices();
  pie.Invalidate(false);
  spaceQueries_[slot - 1].shown = false;
  // The scan empties the root: a slot still charting its tree keeps it.
  charts_.BeforeScan(slot);
  root_.AssignName(path.ToUtf8());
  tree_.SetRootFolder(&root_);
  tree_.StartScan(slot);
  // From here on only this slot's completion counts (one already queued
  // for an earlier scan would chart this scan's tree in the wrong slot).
  scanSlot_ = slot;
  ShowProgress();
  SetTimer(kProgressTimer, kProgressMs);
}

void CKestrinView::RestoreLastOpened() {
  CWinApp* app = AfxGetApp();
  const CString last =
      app ? app->GetProfileString(L"Settings", L"DetailLastOpened", L"") : CString();
  if (path_.IsEmpty()) OpenFolderInSlot(1, last);
}

void CKestrinView::ShowProgress() {
  if (scanSlot_ != 0 && !tree_.IsScanning()) {
    // A completion whose message never came (a full queue) is drawn here.
    if (tree_.ScanCompleted()) {
      OnScanDone(scanSlot_, 1);
    } else if (tree_.ScanWorkerEnded()) {
      rescan_.reset();
      ClearProgress();  // stopped or failed: nothing to draw
    }
    return;
  }
  if (scanSlot_ == 0) {
    ClearProgress();
    return;
  }
  const std::string text =
      diskview::ScanProgressText(tree_.ProgressFolders(), tree_.ProgressBytes());
  Pie(scanSlot_).SetStatusText(CString::FromUtf8(text));
}

bool CKestrinView::ShowIfHangs(int slot) {
  if (!tree_.SlotHangs(slot)) return false;
  Pie(slot).SetStatusText(CString::FromUtf8(kDriveHangsText));
  return true;
}

void CKestrinView::ClearProgress() {
  KillTimer(kProgressTimer);
  // A slot whose drive hangs keeps saying so.
  for (int slot = 1; slot <= layout::kViewSlotCount; ++slot) {
    if (!tree_.SlotHangs(slot)) Pie(slot).SetStatusText(CString());
  }
  pies_[kPieCount - 1].SetStatusText(CString());
}

void CKestrinView::OnTimer(UINT_PTR id) {
  if (id == kProgressTimer) ShowProgress();
}

void CKestrinView::OnScanDone(int slot, WPARAM flag) {
  // A completion queued before a newer scan started belongs to a tree that
  // is gone: the root now holds (or is filling with) another folder.
  if (slot != scanSlot_ || tree_.IsScanning()) return;
  if (rescan_ && rescan_->slot == slot) {
    OnRescanDone();
    return;
  }
  scanSlot_ = 0;
  diskview::ScanTrace::Mark("done-received", slot);
  ClearProgress();
  diskview::CMyFolder* selected = tree_.GetSelectedFolder();
  const diskview::ScanDonePlan plan = diskview::PlanScanDone(
      root_, selected, [&](const std::string& root, platform::DiskSpaceHalves& out) {
        return QuerySpace(slot, root, out, flag);
      });
  // After a completed scan the selected folder is the scanned root.
  diskview::ScanTrace::Mark("plan-made");
  charts_.Completed(slot, plan.chart ? selected : nullptr);
  ShowPlan(slot, plan, flag);
  charts_.Slot(slot).SetRootRows(FolderRows(slot));
  diskview::ScanTrace::Mark("slot-shown");
  diskview::ScanTrace::Arm();
}

std::vector<diskview::InfoLineUpdate> CKestrinView::FolderRows(int slot) {
  std::vector<diskview::InfoLineUpdate> rows;
  const diskview::InfoModel* model = Info(slot).Model();
  if (!model) return rows;
  for (const diskview::InfoLine& line : model->Group(2)) {
    if (line.key == diskview::kInfoFileSize || line.key == diskview::kInfoFileCount ||
        line.key == diskview::kInfoFolderCount) {
      rows.push_back({2, line.key, line.text, line.value});
    }
  }
  return rows;
}

void CKestrinView::ShowPlan(int slot, const diskview::ScanDonePlan& plan, WPARAM flag) {
  diskview::SlotChart& chart = charts_.Slot(slot);
  chart.SetSlices(plan.slices);
  CPieChartCtrl& pie = Pie(slot);
  pie.RemoveAllSlices();
  for (std::size_t i = 0; i < plan.slices.size(); ++i) {
    const diskview::PalettePair& colours = diskview::kSlicePalette[plan.slices[i].palette];
    pie.AddSlice(colours.colour, colours.textColour, plan.slices[i].angle);
    if (chart.Node() && i < plan.tips.size()) {
      pie.SetSliceTip(static_cast<int>(i), CString::FromUtf8(plan.tips[i]));
    }
  }
  pie.Invalidate(false);
  CInfoCtrl& info = Info(slot);
  for (const diskview::InfoLineUpdate& line : plan.lines) {
    // Without the flag only the chart and its counts are shown, not the
    // scanned path's own rows (group 2).
    if (flag == 0 && line.group == 2) continue;
    info.SetLine(line.key, CString::FromUtf8(line.text), line.value, line.group);
  }
  info.Refresh();
}

void CKestrinView::ShowCharted(int slot) {
  const diskview::SlotChart& chart = charts_.Slot(slot);
  diskview::CMyFolder* node = chart.Node();
  if (!node) return;
  // The scanned folder is charted as its scan did (a drive's rows asked
  // again); a folder below it as a completed scan of it would be.
  const diskview::ScanDonePlan plan =
      chart.AtRoot() ? diskview::PlanScanDone(
                           *chart.Root(), node,
                           [&](const std::string& root, platform::DiskSpaceHalves& out) {
                             return QuerySpace(slot, root, out, 1);
                           })
                     : diskview::PlanOpenedFolder(*node);
  ShowPlan(slot, plan, 1);
  if (!chart.AtRoot()) return;
  // Back at the scanned folder its own rows read as its scan left them
  // (a drive's scan sets none: those of a folder opened below it go).
  CInfoCtrl& info = Info(slot);
  for (const diskview::InfoLineUpdate& line : chart.RootRows()) {
    info.SetLine(line.key, CString::FromUtf8(line.text), line.value, line.group);
  }
  info.Refresh();
}

bool CKestrinView::StillCharted(int slot, const diskview::SlotChart::Mark& mark) {
  return WalkableSlotOf(reinterpret_cast<LPARAM>(Pie(slot).m_hWnd)) == slot && charts_.Slot(slot).Still(mark);
}

int CKestrinView::WalkableSlotOf(LPARAM pie) {
  for (int slot = 1; slot <= layout::kViewSlotCount; ++slot) {
    if (reinterpret_cast<HWND>(pie) != Pie(slot).m_hWnd) continue;
    // A scanning slot has nothing to walk yet.
    if (slot == scanSlot_ || charts_.Slot(slot).Empty()) return 0;
    return slot;
  }
  return 0;
}

LRESULT CKestrinView::OnPieOpenSlice(WPARAM slice, LPARAM pie) {
  const int slot = WalkableSlotOf(pie);
  if (slot == 0) return 0;
  diskview::SlotChart& chart = charts_.Slot(slot);
  // The remainder and the folder's own files open nothing.
  diskview::CMyFolder* folder = chart.FolderOfSlice(slice);
  if (folder && chart.Open(*folder)) ShowCharted(slot);
  return 0;
}

LRESULT CKestrinView::OnPieGoUp(WPARAM, LPARAM pie) {
  const int slot = WalkableSlotOf(pie);
  if (slot != 0 && charts_.Slot(slot).Up()) ShowCharted(slot);
  return 0;
}

bool CKestrinView::QuerySpace(int slot, const std::string& root, platform::DiskSpaceHalves& out,
                              WPARAM flag) {
  SpaceQuery& q = spaceQueries_[slot - 1];
  q.flag = flag;
  q.shown = true;
  // A query of the same drive still out answers for this completion too.
  const bool pending = q.call && q.root == root && !q.call->Answer();
  if (!pending) {
    if (q.call) q.call->Forget();
    q.root = root;
    q.call = OffThreadCall<SpaceAnswer>::Start(
        [query = query_, root]() -> SpaceAnswer {
          platform::DiskSpaceHalves space;
          if (query && query(root, space)) return space;
          return std::nullopt;
        },
        m_hWnd, WM_DRIVE_SPACE, static_cast<WPARAM>(slot), 0);
  }
  const std::optional<SpaceAnswer> answer = q.call->Answer();
  if (!answer || !*answer) return false;  // late answers come by WM_DRIVE_SPACE
  out = **answer;
  return true;
}

LRESULT CKestrinView::OnDriveSpace(WPARAM slot, LPARAM) {
  if (slot < 1 || slot > static_cast<WPARAM>(layout::kViewSlotCount)) return 0;
  const SpaceQuery& q = spaceQueries_[slot - 1];
  const std::optional<SpaceAnswer> answer = q.call ? q.call->Answer() : std::nullopt;
  // The slot has been opened again since.
  if (!answer || !q.shown) return 0;
  SetDriveLines(static_cast<int>(slot), answer->has_value(), answer->value_or(platform::DiskSpaceHalves{}),
                q.flag);
  return 0;
}

void CKestrinView::SetDriveLines(int slot, bool queried, const platform::DiskSpaceHalves& space,
                                 WPARAM flag) {
  // Without the flag the scanned path's own rows (group 2) are not shown.
  if (flag == 0) return;
  CInfoCtrl& info = Info(slot);
  for (const diskview::InfoLineUpdate& line : diskview::PlanDriveLines(queried, space)) {
    info.SetLine(line.key, CString::FromUtf8(line.text), line.value, line.group);
  }
  info.Refresh();
}

void CKestrinView::OnHomePage() {
  system_.OpenUrl(m_hWnd, CString::FromUtf8(shell::kHomePageUrl));
}

void CKestrinView::OnExit() {
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd && app->m_pMainWnd != this) app->m_pMainWnd->SendMessage(WM_CLOSE);
}

void CKestrinView::OnClose() { OnExit(); }

HWND CKestrinView::FrameWindow() const {
  // The first ancestor that is no child window.
  HWND owner = m_hWnd;
  while (owner && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
  return owner ? owner : m_hWnd;
}

void CKestrinView::OnContextMenu(HWND wnd, CPoint screen) {
  for (int slot = 1; slot <= layout::kViewSlotCount; ++slot) {
    CPieChartCtrl& pie = Pie(slot);
    if (wnd != pie.m_hWnd || WalkableSlotOf(reinterpret_cast<LPARAM>(wnd)) == 0) continue;
    const diskview::SlotChart& chart = charts_.Slot(slot);
    const CRect& square = pie.GetPieRect();
    if (screen.x == -1 && screen.y == -1) {
      // From the keyboard: the charted folder, at the middle of the disc.
      POINT middle{(square.left + square.right) / 2, (square.top + square.bottom) / 2};
      ::ClientToScreen(pie.m_hWnd, &middle);
      ShowFolderMenu(slot, chart.Node(), CPoint(middle.x, middle.y));
      return;
    }
    POINT client{screen.x, screen.y};
    ::ScreenToClient(pie.m_hWnd, &client);
    const int slice = pie.HitTest(CPoint(client.x, client.y));
    if (slice >= 0) {
      ShowFolderMenu(slot, chart.FolderOfSlice(static_cast<std::size_t>(slice)), screen);
      return;
    }
    if (square.PtInRect(client)) {
      ShowFolderMenu(slot, chart.Node(), screen);
      return;
    }
    break;
  }
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  const geom::Point at = layout::ContextMenuPoint(screen.ToGeom(), CPoint(origin).ToGeom(),
                                                     static_cast<int>(afx::DpiForWindow(m_hWnd)));
  CMenu menu;
  if (!menu.LoadMenu(IDR_MAINFRAME)) return;
  CMenu popup = menu.GetSubMenu(0);
  // The frame gets the commands.
  if (menuChooser_) {
    const UINT command = menuChooser_(popup.GetSafeHmenu(), POINT{at.x, at.y});
    if (command != 0) ::PostMessageW(FrameWindow(), WM_COMMAND, command, 0);
    return;
  }
  popup.TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, FrameWindow());
}

void CKestrinView::ShowFolderMenu(int slot, diskview::CMyFolder* folder, CPoint screen) {
  const diskview::SlotChart& chart = charts_.Slot(slot);
  const diskview::SlotChart::Mark charted = chart.MarkNow();
  std::vector<diskview::CMyFolder*> chain = charted.chain;
  if (folder && folder != chart.Node()) chain.push_back(folder);
  CMenu menu;
  if (!menu.LoadMenu(IDR_SLICE_MENU)) return;
  CMenu popup = menu.GetSubMenu(0);
  // The remainder and the folder's own files are no folder to delete; the
  // menu acts on the charted folder for them.
  if (!folder) popup.EnableMenuItem(ID_SLICE_RECYCLE, MF_BYCOMMAND | MF_GRAYED);
  const UINT command =
      menuChooser_ ? menuChooser_(popup.GetSafeHmenu(), POINT{screen.x, screen.y})
                   : static_cast<UINT>(popup.TrackPopupMenu(
                         TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, m_hWnd));
  if (command == 0 || (popup.GetMenuState(command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED))) return;
  // The menu's loop ran other messages: act only on the chart it was for.
  if (!StillCharted(slot, charted)) return;
  const std::wstring path = platform::Widen(diskview::ChainPath(chain, '\\'));
  switch (command) {
    case ID_SLICE_OPEN:
      system_.OpenFolder(FrameWindow(), path.c_str());
      break;
    case ID_SLICE_COPY_PATH:
      shell::CopyTextToClipboard(m_hWnd, path);
      break;
    case ID_SLICE_RESCAN:
      RescanFolder(slot, chain);
      break;
    case ID_SLICE_RECYCLE:
      RecycleFolder(slot, chain);
      break;
    case ID_SLICE_DETAILS:
      ShowFileDetails(slot, chain);
      break;
    default:
      break;
  }
}

int CKestrinView::BoxText(UINT id, const std::string& path, UINT type,
                          const std::vector<std::string>& more) {
  CString format, caption;
  format.LoadString(id);
  caption.LoadString(IDS_RECYCLE_CAPTION);
  std::vector<std::string> values{path};
  values.insert(values.end(), more.begin(), more.end());
  const CString text = CString::FromUtf8(diskview::FillIn(format.ToUtf8(), values));
  return system_.MessageBox(FrameWindow(), text, caption, type);
}

void CKestrinView::ShowFileDetails(int slot, const std::vector<diskview::CMyFolder*>& chain) {
  const std::string path = diskview::ChainPath(chain, '\\');
  if (!protected_) protected_ = shell::SystemProtectedFolders();
  if (detailsOpener_) {
    detailsOpener_(path);
    return;
  }
  const diskview::SlotChart::Mark charted = charts_.Slot(slot).MarkNow();
  // Owned by the application's main window, the frame.
  afx::Window<CFileDetailsDlg> dialog(system_, path, *protected_);
  dialog.DoModal();
  // Files moved to the Recycle Bin from it: the chart shows what went.
  if (dialog.MovedAny() && StillCharted(slot, charted)) RescanFolder(slot, chain);
}

void CKestrinView::RecycleFolder(int slot, std::vector<diskview::CMyFolder*> chain) {
  if (chain.empty()) return;
  const diskview::SlotChart::Mark charted = charts_.Slot(slot).MarkNow();
  const std::string path = diskview::ChainPath(chain, '\\');
  if (!protected_) protected_ = shell::SystemProtectedFolders();
  switch (diskview::CheckFolderDelete(path, *protected_)) {
    case diskview::DeleteRefusal::kDriveRoot:
      BoxText(IDS_RECYCLE_DRIVE_ROOT, path, MB_OK | MB_ICONWARNING);
      return;
    case diskview::DeleteRefusal::kSystemFolder:
      BoxText(IDS_RECYCLE_SYSTEM, path, MB_OK | MB_ICONWARNING);
      return;
    case diskview::DeleteRefusal::kProgramFolder:
      BoxText(IDS_RECYCLE_PROGRAM, path, MB_OK | MB_ICONWARNING);
      return;
    case diskview::DeleteRefusal::kNone:
      break;
  }
  const std::wstring wide = platform::Widen(path);
  if (!shell::VolumeHasRecycleBin(wide)) {
    BoxText(IDS_RECYCLE_NO_BIN, path, MB_OK | MB_ICONINFORMATION);
    return;
  }
  diskview::CMyFolder* target = chain.back();
  CString ask;
  ask.LoadString(IDS_RECYCLE_ASK);
  CString caption;
  caption.LoadString(IDS_RECYCLE_CAPTION);
  const CString question = CString::FromUtf8(diskview::FillIn(
      ask.ToUtf8(), {diskview::LastName(path), diskview::FormatSize(target->GetSize(true)),
                     std::to_string(target->CountFiles(true))}));
  if (system_.MessageBox(FrameWindow(), question, caption,
                         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
    return;
  }
  // The question's loop ran other messages: the answer was given for the
  // folder, size and count of this chart only, and a chart made since may
  // have freed the nodes in `chain`.
  if (!StillCharted(slot, charted)) return;
  if (!system_.RecycleFolder(FrameWindow(), wide.c_str()) &&
      ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) {
    BoxText(IDS_RECYCLE_FAILED, path, MB_OK | MB_ICONWARNING);
  }
  // So may the shell's progress window and the report.
  if (!StillCharted(slot, charted)) return;
  // The folder that held it is rescanned, so the chart shows what really
  // went; the scanned folder itself is rescanned (and found gone).
  diskview::SlotChart& chart = charts_.Slot(slot);
  if (chain.size() > 1) {
    if (chart.Node() == target) chart.Up();
    chain.pop_back();
  }
  RescanFolder(slot, std::move(chain));
}

void CKestrinView::RescanFolder(int slot, std::vector<diskview::CMyFolder*> chain) {
  if (slot < 1 || slot > layout::kViewSlotCount || chain.empty() || !m_hWnd ||
      !StopForScanOf(slot)) {
    return;
  }
  rescanRoot_.AssignName(diskview::ChainPath(chain, '\\'));
  diskview::CMyFolder* target = chain.back();
  chain.pop_back();
  rescan_ = Rescan{slot, target, std::move(chain)};
  scanSlot_ = slot;
  tree_.SetRootFolder(&rescanRoot_);
  tree_.StartScan(slot);
  ShowProgress();
  SetTimer(kProgressTimer, kProgressMs);
}

void CKestrinView::OnRescanDone() {
  scanSlot_ = 0;
  ClearProgress();
  const Rescan done = std::move(*rescan_);
  rescan_.reset();
  // The rows point into the fresh subtree, which now lives in a slot's
  // tree: they go, so none outlives it.
  tree_.DeleteAll();
  diskview::PutRescannedSubtree(done.above, *done.target, rescanRoot_);
  diskview::SlotChart& chart = charts_.Slot(done.slot);
  // A folder's scan set the scanned folder's own rows: they read as a new
  // scan of it would set them (a drive's set none).
  std::vector<diskview::InfoLineUpdate> rootRows;
  for (diskview::InfoLineUpdate& line : diskview::PlanScanDone(*chart.Root(), nullptr, {}).lines) {
    if (line.group == 2 && (line.key == diskview::kInfoFileSize ||
                            line.key == diskview::kInfoFileCount ||
                            line.key == diskview::kInfoFolderCount)) {
      rootRows.push_back(std::move(line));
    }
  }
  if (!rootRows.empty()) chart.SetRootRows(std::move(rootRows));
  ShowCharted(done.slot);
}

void CKestrinView::OnLButtonUp(UINT flags, CPoint point) {
  system_.PlaySoundFile(kClickSound);
  DefWindowProc(WM_LBUTTONUP, flags, MAKELPARAM(point.x, point.y));
}

bool CKestrinView::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnCreate<&CKestrinView::OnCreate>(),
      afx::OnDestroy<&CKestrinView::OnDestroy>(),
      afx::OnCommand<&CKestrinView::OnHomePage>(kHomeButtonId),
      afx::OnCommand<&CKestrinView::OnExit>(kExitButtonId),
      afx::OnCommandRange<&CKestrinView::OnPrint>(ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW),
      afx::OnSize<&CKestrinView::OnSize>(),
      afx::OnPrintClient<&CKestrinView::OnPrintClient>(),
      afx::OnClose<&CKestrinView::OnClose>(),
      afx::OnContextMenu<&CKestrinView::OnContextMenu>(),
      afx::OnLButtonUp<&CKestrinView::OnLButtonUp>(),
      afx::OnTimer<&CKestrinView::OnTimer>(),
      afx::OnMessage<&CKestrinView::OnScanDoneOf<1>>(WM_SCAN_DONE_1),
      afx::OnMessage<&CKestrinView::OnScanDoneOf<2>>(WM_SCAN_DONE_2),
      afx::OnMessage<&CKestrinView::OnScanDoneOf<3>>(WM_SCAN_DONE_3),
      afx::OnMessage<&CKestrinView::OnScanDoneOf<4>>(WM_SCAN_DONE_4),
      afx::OnMessage<&CKestrinView::OnScanDoneOf<5>>(WM_SCAN_DONE_5),
      afx::OnMessage<&CKestrinView::OnDriveSpace>(WM_DRIVE_SPACE),
      afx::OnMessage<&CKestrinView::OnPieOpenSlice>(WM_PIE_OPEN_SLICE),
      afx::OnMessage<&CKestrinView::OnPieGoUp>(WM_PIE_GO_UP),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CView::OnWndMsg(msg, wParam, lParam, result);
}

#include "app/MainFrm.h"

#include <optional>
#include <string>

#include "app/BannerDlg.h"
#include "app/Messages.h"
#include "app/OutBarLayout.h"
#include "app/ShellRules.h"
#include "framework/Menu.h"
#include "framework/Trace.h"
#include "framework/WinApp.h"
#include "platform/Rights.h"
#include "platform/TextWin.h"
#include "res/app/resource.h"

DWORD CMainFrame::s_bannerMs = 1000;

namespace {

constexpr int kFrameWidth = 700;
constexpr int kFrameHeight = 500;
constexpr int kBarColumnWidth = 100;  // the shortcut bar's column
constexpr wchar_t kStartSound[] = L"WAV\\start.wav";

// The commands that write machine-wide settings: optimisation, USB write
// protection, system scan and clean-up.
bool NeedsAdministrator(UINT command) {
  return command == ID_FUNC_OPTIMIZE || command == ID_FUNC_USB || command == ID_FUNC_SCAN;
}

}  // namespace

CMainFrame::CMainFrame(const LibraryEntries& libraries, SystemActions& system)
    : libraries_(libraries),
      system_(system),
      m_wndOutBar(system),
      isElevated_(platform::ProcessIsElevated),
      restart_([this] { return afx::RestartElevated(m_hWnd); }) {}

bool CMainFrame::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!CFrameWnd::PreCreateWindow(cs)) return false;
  cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
  cs.lpszClass = RegisterWndClass(0);
  // Made on the primary monitor, at the system's DPI.
  const int dpi = static_cast<int>(afx::SystemDpi());
  cs.cx = geom::Scale(690, dpi);
  cs.cy = geom::Scale(493, dpi);
  return cs.lpszClass != nullptr;
}

void CMainFrame::OnGetMinMaxInfo(MINMAXINFO& info) {
  DefWindowProc(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  const POINT fixed{Scale(kFrameWidth), Scale(kFrameHeight)};
  info.ptMinTrackSize = fixed;
  info.ptMaxTrackSize = fixed;
}

int CMainFrame::OnCreate(CREATESTRUCTW&) {
  CenterWindow();
  ShowBanner();
  ModifyStyle(WS_MAXIMIZEBOX, 0);
  AddTrayIcon();

  if (!m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST)) {
    return -1;
  }
  m_wndOutBar.Create(WS_VISIBLE, CRect(), &m_wndSplitter, m_wndSplitter.IdFromRowCol(0, 0), 0x260);
  m_wndOutBar.SetOwner(m_hWnd);
  m_wndOutBar.SetFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
  MakeDriveImages();
  m_wndOutBar.AppendFolder(L"HD", 0);
  AddDriveItems();
  m_wndOutBar.SelectItem(-1);
  m_wndSplitter.SetColumnInfo(0, Scale(kBarColumnWidth), 0);

  m_pView = std::make_unique<afx::Window<CKestrinView>>(system_);
  if (!m_pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER,
                       CRect(), &m_wndSplitter, m_wndSplitter.IdFromRowCol(0, 1))) {
    afx::Trace(L"Failed to create view window\n");
    return -1;
  }
  SetActiveView(m_pView.get());
  m_pView->DiskTree().SetProgressWindow(m_hWnd);

  if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, 0x50402834) ||
      !m_wndToolBar.LoadToolBar(IDR_MAINFRAME)) {
    afx::Trace(L"Failed to create toolbar\n");
    return -1;
  }
  m_wndToolBar.LoadButtonImages(48, IDB_TOOLBAR_TRUECOLOR, IDB_TOOLBAR_TRUECOLOR,
                                IDB_TOOLBAR_TRUECOLOR);
  DockControlBar(&m_wndToolBar);
  RefreshShields();
  return 0;
}

void CMainFrame::MakeDriveImages() {
  CImageList made;
  if (!made.CreateFromBitmapForDpi(IDB_DRIVE_IMAGES, 32, 0, RGB(255, 0, 255), GetDpi())) return;
  m_wndOutBar.AttachImageList(made.GetSafeHandle(), CGfxOutBarCtrl::kLargeIcons);
  m_largeImages.Attach(made.Detach());
}

int CMainFrame::ShieldSize() const { return afx::SystemMetricForDpi(SM_CXSMICON, GetDpi()); }

void CMainFrame::OnDpiChanged(UINT) {
  MakeDriveImages();
  m_wndOutBar.Invalidate();
  if (shield_) {
    afx::UniqueIcon old = std::move(shield_);
    shield_ = afx::LoadShieldIcon(ShieldSize());
    // The tips and menu items take the new one; the old goes after them.
    shielded_ = false;
    RefreshShields();
  }
  RecalcLayout();
}

void CMainFrame::RefreshShields() {
  const bool want = !isElevated_();
  if (want == shielded_) return;
  if (want && !shield_) shield_ = afx::LoadShieldIcon(ShieldSize());
  HMENU menu = ::GetMenu(m_hWnd);
  for (UINT id = ID_FUNC_INFO; id <= ID_FUNC_SCAN; ++id) {
    if (!NeedsAdministrator(id)) continue;
    // The frame draws the shield itself (OnDrawItem): a menu's own 32-bit
    // bitmaps are not blended with the item's background everywhere.
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    item.hbmpItem = want ? HBMMENU_CALLBACK : nullptr;
    if (menu) ::SetMenuItemInfoW(menu, id, FALSE, &item);
    m_wndToolBar.SetTipTitle(id, want ? shield_.get() : nullptr, want ? afx::kShieldTipTitle : L"");
  }
  if (menu) ::DrawMenuBar(m_hWnd);
  shielded_ = want;
}

void CMainFrame::ShowBanner() {
  afx::Window<CBannerDlg> banner;
  if (!banner.Create(this)) return;
  banner.ShowWindow(SW_SHOW);
  banner.UpdateWindow();
  // The one-second wait blocks this thread, as the start-up banner always has.
  ::Sleep(s_bannerMs);
  banner.DestroyWindow();
}

void CMainFrame::AddTrayIcon() {
  tray_.cbSize = sizeof tray_;
  tray_.hWnd = m_hWnd;
  tray_.uID = IDR_MAINFRAME;
  tray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  tray_.uCallbackMessage = WM_TRAYICON;
  tray_.hIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
  wcscpy(tray_.szTip, L"DravonV1.3");
  trayAdded_ = system_.NotifyIcon(NIM_ADD, tray_);
}

void CMainFrame::RemoveTrayIcon() {
  if (trayAdded_) system_.NotifyIcon(NIM_DELETE, tray_);
  trayAdded_ = false;
}

void CMainFrame::PostNcDestroy() {
  // A creation that failed ends here without WM_DESTROY: the icon goes too.
  RemoveTrayIcon();
  CFrameWnd::PostNcDestroy();
}

void CMainFrame::AddDriveItems() {
  struct Drive {
    CString root;
    std::shared_ptr<FactsCall> facts;
  };
  std::vector<Drive> drives;
  DWORD mask = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    CString root = CString::FromUtf8(shell::DriveRootFromBit(i));
    drives.push_back({root, ReadFacts(root, m_driveList.size() + drives.size(), true)});
  }
  // The reads run side by side: drives that hang cost the wait once.
  const auto until = std::chrono::steady_clock::now() + FactsCall::kQuickAnswer;
  for (Drive& d : drives) {
    d.facts->WaitUntil(until);
    const auto facts = d.facts->Answer();
    // A drive whose type does not come at once hangs: most likely a mapped
    // drive whose server is gone, so it is listed as one.
    const int image = facts ? shell::DriveImageIndex(facts->type.value_or(0)) : kHangingDriveImage;
    if (image >= 0) AddItemFor(d.root, image, d.facts);
  }
}

void CMainFrame::AddDriveItem(const CString& root, int image) {
  auto facts = ReadFacts(root, m_driveList.size(), false);
  facts->WaitUntil(std::chrono::steady_clock::now() + FactsCall::kQuickAnswer);
  AddItemFor(root, image, facts);
}

std::shared_ptr<CMainFrame::FactsCall> CMainFrame::ReadFacts(const CString& root,
                                                             std::size_t index, bool withType) {
  return FactsCall::Start(
      [path = std::wstring(static_cast<LPCWSTR>(root)), withType] {
        DriveFacts facts;
        // Under Wine the type asks the file system (statfs) too.
        if (withType) facts.type = ::GetDriveTypeW(path.c_str());
        wchar_t label[MAX_PATH + 1] = {};
        if (::GetVolumeInformationW(path.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                    nullptr, 0)) {
          facts.label = platform::Narrow(label);
        }
        return facts;
      },
      m_hWnd, WM_DRIVE_LABEL, static_cast<WPARAM>(index), 0, std::chrono::milliseconds(0));
}

void CMainFrame::AddItemFor(const CString& root, int image,
                            const std::shared_ptr<FactsCall>& facts) {
  m_driveList.push_back(root);
  m_driveFacts.push_back(facts);
  // Until the label comes, the text of a failed read: " (E:)".
  const auto answer = facts->Answer();
  const std::optional<std::string> label = answer ? answer->label : std::nullopt;
  CString caption = CString::FromUtf8(shell::DriveItemText(label, root.ToUtf8()));
  m_wndOutBar.AddItem(0, m_wndOutBar.GetItemCount(), caption, image, 0);
}

LRESULT CMainFrame::OnDriveLabel(WPARAM index, LPARAM) {
  if (index >= m_driveFacts.size()) return 0;
  const auto answer = m_driveFacts[index]->Answer();
  if (!answer) return 0;
  const int item = static_cast<int>(index);
  const int image = answer->type ? shell::DriveImageIndex(*answer->type) : -1;
  if (image >= 0 && image != m_wndOutBar.GetItemImage(item)) m_wndOutBar.SetItemImage(item, image);
  if (!answer->label) return 0;  // a failed read keeps its text
  const CString caption =
      CString::FromUtf8(shell::DriveItemText(answer->label, m_driveList[index].ToUtf8()));
  if (m_wndOutBar.GetItemText(item) != caption.str()) m_wndOutBar.SetItemText(item, caption);
  return 0;
}

void CMainFrame::InitialUpdate(bool restore) {
  if (restore && m_pView) m_pView->RestoreLastOpened();
}

LRESULT CMainFrame::OnBarClick(WPARAM code, LPARAM index) {
  if (index < 0 || static_cast<size_t>(index) >= m_driveList.size()) return 0;
  int slot = layout::SlotForBarCode(static_cast<int>(code));
  if (slot == 0 || !m_pView) return 0;
  std::string path = shell::WithTrailingBackslash(m_driveList[static_cast<size_t>(index)].ToUtf8());
  m_pView->OpenFolderInSlot(slot, CString::FromUtf8(path));
  return 0;
}

LRESULT CMainFrame::OnTrayIcon(WPARAM, LPARAM mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDOWN:
      OnMinimizeAndHide();
      break;
    case WM_LBUTTONDBLCLK:
      OnShowNormal();
      break;
    case WM_RBUTTONDOWN: {
      CMenu menu;
      if (!menu.LoadMenu(IDR_MAINFRAME)) break;
      CMenu popup = menu.GetSubMenu(0);
      for (unsigned id : shell::TrayMenuGreyedCommands({IsIconic(), IsWindowVisible()})) {
        popup.EnableMenuItem(id, MF_BYCOMMAND | MF_GRAYED | MF_DISABLED);
      }
      POINT at;
      ::GetCursorPos(&at);
      ::SetForegroundWindow(m_hWnd);
      popup.TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, m_hWnd);
      // Lets the menu close when the user clicks elsewhere.
      PostMessage(WM_NULL);
      break;
    }
    default:
      break;
  }
  return 0;
}

void CMainFrame::OnSysCommand(UINT command, CPoint at) {
  // The exact value: other forms of these commands go to the default.
  if (command == SC_MAXIMIZE) return;
  DefWindowProc(WM_SYSCOMMAND, command, MAKELPARAM(at.x, at.y));
  // Minimising shows the window (as an icon), so it is hidden afterwards,
  // leaving only the notification-area icon.
  if (command == SC_MINIMIZE) ShowWindow(SW_HIDE);
}

void CMainFrame::OnTopmost() {
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CMainFrame::OnShowNormal() { ShowWindow(SW_SHOWNORMAL); }

void CMainFrame::OnMinimizeAndHide() {
  ShowWindow(SW_SHOWMINIMIZED);
  ShowWindow(SW_HIDE);
}

void CMainFrame::OnHide() { ShowWindow(SW_HIDE); }

void CMainFrame::OnMeasureItem(int, MEASUREITEMSTRUCT& item) {
  if (item.CtlType != ODT_MENU || !NeedsAdministrator(item.itemID)) return;
  item.itemWidth = static_cast<UINT>(afx::SystemMetricForDpi(SM_CXSMICON, GetDpi()));
  item.itemHeight = static_cast<UINT>(afx::SystemMetricForDpi(SM_CYSMICON, GetDpi()));
}

void CMainFrame::OnDrawItem(int, DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_MENU || !shield_ || !NeedsAdministrator(item.itemID)) return;
  const int cx = afx::SystemMetricForDpi(SM_CXSMICON, GetDpi());
  const int cy = afx::SystemMetricForDpi(SM_CYSMICON, GetDpi());
  const RECT& r = item.rcItem;
  ::DrawIconEx(item.hDC, r.left, r.top + (r.bottom - r.top - cy) / 2, shield_.get(), cx, cy, 0,
               nullptr, DI_NORMAL);
}

bool CMainFrame::GoOnWithoutRights(UINT id) {
  if (!NeedsAdministrator(id) || isElevated_()) return true;
  const auto ask = [this](HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return system_.MessageBox(owner, text, caption, type);
  };
  switch (afx::AskForRights(m_hWnd, L"工具", ask, restart_)) {
    case afx::RightsChoice::GoOn: return true;
    case afx::RightsChoice::Restarted:
      // The new instance takes over: this one ends as the exit command ends
      // it, once this command is done.
      PostMessage(WM_COMMAND, ID_APP_EXIT);
      return false;
    case afx::RightsChoice::Stop: return false;
  }
  return false;
}

void CMainFrame::OnLibrary(UINT id) {
  if (!GoOnWithoutRights(id)) return;
  int (*entry)() = nullptr;
  switch (id) {
    case ID_FUNC_INFO: entry = libraries_.parvane; break;
    case ID_FUNC_OPTIMIZE: entry = libraries_.tunara; break;
    case ID_FUNC_USB: entry = libraries_.usb; break;
    case ID_FUNC_SCAN: entry = libraries_.scavra; break;
    default: break;
  }
  if (entry) entry();
  system_.PlaySoundFile(kStartSound);
}

void CMainFrame::OnExitWindows(UINT id) {
  const wchar_t* question = L"               是否注销？";
  UINT flags = EWX_LOGOFF;
  if (id == ID_SYSTEM_RESTART) {
    question = L"               是否重启？";
    flags = EWX_REBOOT;
  } else if (id == ID_SYSTEM_SHUTDOWN) {
    question = L"               是否关机？";
    flags = EWX_SHUTDOWN;
  }
  CWinApp* app = AfxGetApp();
  RunExitSequence(system_, m_hWnd, question, flags, app ? app->m_appName.c_str() : L"");
}

void CMainFrame::OnHomePage() {
  system_.OpenUrl(m_hWnd, CString::FromUtf8(shell::kHomePageUrl));
}

void CMainFrame::OnDestroy() {
  // Labels still out are dropped: their answers would post to a window gone.
  for (const auto& facts : m_driveFacts) facts->Forget();
  RemoveTrayIcon();
  DefWindowProc(WM_DESTROY, 0, 0);
}

bool CMainFrame::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnCreate<&CMainFrame::OnCreate>(),
      afx::OnDestroy<&CMainFrame::OnDestroy>(),
      afx::OnMeasureItem<&CMainFrame::OnMeasureItem>(),
      afx::OnDrawItem<&CMainFrame::OnDrawItem>(),
      afx::OnGetMinMaxInfo<&CMainFrame::OnGetMinMaxInfo>(),
      afx::OnSysCommand<&CMainFrame::OnSysCommand>(),
      afx::OnMessage<&CMainFrame::OnTrayIcon>(WM_TRAYICON),
      afx::OnMessage<&CMainFrame::OnBarClick>(WM_BARCLICK),
      afx::OnMessage<&CMainFrame::OnDriveLabel>(WM_DRIVE_LABEL),
      afx::OnMessage<&CMainFrame::OnBarClick>(kBarClickAliases[0]),
      afx::OnMessage<&CMainFrame::OnBarClick>(kBarClickAliases[1]),
      afx::OnCommand<&CMainFrame::OnTopmost>(ID_WINDOW_TOPMOST),
      afx::OnCommand<&CMainFrame::OnShowNormal>(ID_WINDOW_MAXIMIZE),
      afx::OnCommand<&CMainFrame::OnMinimizeAndHide>(ID_WINDOW_MINIMIZE),
      afx::OnCommand<&CMainFrame::OnHide>(ID_WINDOW_HIDE),
      afx::OnCommandRange<&CMainFrame::OnLibrary>(ID_FUNC_INFO, ID_FUNC_SCAN),
      afx::OnCommandRange<&CMainFrame::OnExitWindows>(ID_SYSTEM_LOGOFF, ID_SYSTEM_SHUTDOWN),
      afx::OnCommand<&CMainFrame::OnHomePage>(ID_HELP_HOMEPAGE),
      afx::OnMessage<&CMainFrame::OnBarClick>(kBarClickAliases[2]),
      afx::OnMessage<&CMainFrame::OnBarClick>(kBarClickAliases[3]),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CFrameWnd::OnWndMsg(msg, wParam, lParam, result);
}

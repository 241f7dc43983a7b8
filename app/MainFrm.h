// CMainFrame: the program's only top-level window, fixed at 700 x 500 (at
// 96 DPI; scaled to the monitor's, and again when it moves to another), with
// the menu, accelerators and toolbar, the notification-area icon, the drive
// list, and the window, library, system and help commands.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Elevation.h"
#include "app/GfxOutBarCtrl.h"
#include "app/GfxSplitterWnd.h"
#include "app/KestrinView.h"
#include "app/LibraryEntries.h"
#include "app/SystemActions.h"
#include "app/TrueColorToolBar.h"
#include "framework/FrameWnd.h"
#include "framework/ImageList.h"
#include "framework/OffThreadCall.h"
#include "framework/ToolBar.h"

class CMainFrame : public CFrameWnd {
 public:
  CMainFrame(const LibraryEntries& libraries, SystemActions& system);

  // Start-up restore: with `restore` set, the view reopens the last folder.
  void InitialUpdate(bool restore);
  // Adds one shortcut bar item per listed drive, in letter order. Types and
  // labels are read off this thread (a dead network drive takes the
  // network's time-outs): what is not there at once comes in later.
  void AddDriveItems();
  // Adds `root` (such as C:\) to the drive list and the shortcut bar.
  void AddDriveItem(const CString& root, int image);

  const std::vector<CString>& DriveList() const { return m_driveList; }
  // The shortcut bar in the splitter's left pane, and the view in the right.
  CGfxOutBarCtrl& ShortcutBar() { return m_wndOutBar; }
  CKestrinView* View() const { return m_pView.get(); }
  CTrueColorToolBar& ToolBar() { return m_wndToolBar; }
  bool HasTrayIcon() const { return trayAdded_; }

  // How long the start-up banner stays (tests shorten it).
  static DWORD s_bannerMs;

  // Administrator rights: whether this process holds them (by default
  // platform::ProcessIsElevated), and the restart that gets them (by
  // default afx::RestartElevated: 0 when the new instance started, else
  // the Win32 error, ERROR_CANCELLED when the user declined). Tests give
  // their own; RefreshShields shows a changed answer.
  void SetRightsCheck(std::function<bool()> isElevated) { isElevated_ = std::move(isElevated); }
  void SetElevatedRestart(std::function<DWORD()> restart) { restart_ = std::move(restart); }
  // Puts the shield on the menu items and tool tips of the commands that
  // need the rights when the process does not hold them; takes it off when
  // it does.
  void RefreshShields();
  bool ShowsShields() const { return shielded_; }

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  bool PreCreateWindow(CREATESTRUCTW& cs) override;
  void PostNcDestroy() override;

 private:
  int OnCreate(CREATESTRUCTW& cs);
  void OnDestroy();
  void OnGetMinMaxInfo(MINMAXINFO& info);
  void OnSysCommand(UINT command, CPoint);
  // WM_TRAYICON: lParam is the mouse message.
  LRESULT OnTrayIcon(WPARAM, LPARAM mouseMessage);
  // WM_BARCLICK: wParam the slot code, lParam the item index.
  LRESULT OnBarClick(WPARAM code, LPARAM index);
  // What the bar shows of a drive, read on a thread of its own.
  struct DriveFacts {
    std::optional<unsigned> type;  // GetDriveType, when asked
    std::optional<std::string> label;  // none: the read failed
  };
  using FactsCall = OffThreadCall<DriveFacts>;
  // The image of a drive whose type has not come at once: a mapped drive.
  static constexpr int kHangingDriveImage = 3;
  // Reads the facts of `root`, item `index`; they come by WM_DRIVE_LABEL.
  std::shared_ptr<FactsCall> ReadFacts(const CString& root, std::size_t index, bool withType);
  void AddItemFor(const CString& root, int image, const std::shared_ptr<FactsCall>& facts);
  // WM_DRIVE_LABEL: wParam the item index.
  LRESULT OnDriveLabel(WPARAM index, LPARAM);
  void ShowBanner();
  // The shortcut bar's drive images for the frame's DPI.
  void MakeDriveImages();
  // The shield's size beside a menu item at the frame's DPI.
  int ShieldSize() const;
  void OnDpiChanged(UINT dpi) override;
  void AddTrayIcon();
  void RemoveTrayIcon();

  void OnTopmost();
  void OnShowNormal();
  void OnMinimizeAndHide();
  void OnHide();
  void OnLibrary(UINT id);
  // The shield beside a menu item, measured and drawn by the frame.
  void OnMeasureItem(int, MEASUREITEMSTRUCT& item);
  void OnDrawItem(int, DRAWITEMSTRUCT& item);
  // Asks whether to restart with the rights before command `id` runs
  // without them; true when the command should go on as it is.
  bool GoOnWithoutRights(UINT id);
  void OnExitWindows(UINT id);
  void OnHomePage();

  const LibraryEntries libraries_;
  SystemActions& system_;

  afx::Window<CTrueColorToolBar> m_wndToolBar;
  afx::Window<CGfxSplitterWnd> m_wndSplitter;
  std::unique_ptr<CKestrinView> m_pView;
  afx::Window<CGfxOutBarCtrl> m_wndOutBar;
  CImageList m_largeImages;
  std::vector<CString> m_driveList;
  std::vector<std::shared_ptr<FactsCall>> m_driveFacts;  // by item, as m_driveList
  NOTIFYICONDATAW tray_{};
  bool trayAdded_ = false;

  std::function<bool()> isElevated_;
  std::function<DWORD()> restart_;
  afx::UniqueIcon shield_;  // beside the menu items and in the tool tips
  bool shielded_ = false;
};

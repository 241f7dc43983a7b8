// CGfxOutBarCtrl: the shortcut bar of the main window's left pane. A column
// of large icons with captions under a band of folders, two scroll arrows at
// fixed places, all drawn by the control itself, off-screen, in its own
// font, all at the DPI the bar is drawn at. A click on an item (press and release over the same item, tracked in
// a local message loop) sends WM_BARCLICK to the owner: wParam the item's
// slot code, lParam its index. The geometry is app/OutBarLayout.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/OutBarLayout.h"
#include "app/SystemActions.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"

class CGfxOutBarCtrl : public CWnd {
 public:
  // Option bits.
  static constexpr DWORD fSmallIcon = 0x1;      // small-icon view
  static constexpr DWORD fSelHighlight = 0x200;  // the clicked item stays highlighted
  // Image list kinds of AttachImageList.
  static constexpr int kSmallIcons = 1;
  static constexpr int kLargeIcons = 2;

  // Sounds go through `system`, which must outlive the control.
  explicit CGfxOutBarCtrl(SystemActions& system);

  bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, DWORD options);
  // Clears then sets option bits; with `swpFlags` the window is refreshed
  // by SetWindowPos with them (frame changes), else repainted.
  void ModifyStyleFlags(DWORD remove, DWORD add, UINT swpFlags = 0);
  DWORD GetFlag() const { return options_; }
  bool IsSmallIconView() const { return (options_ & fSmallIcon) != 0; }

  // The control's list of `kind` (not owned); returns the previous one, or
  // null (changing nothing) for an unknown kind.
  HIMAGELIST AttachImageList(HIMAGELIST list, int kind);
  // Returns the new folder's index.
  int AppendFolder(const wchar_t* name, DWORD data);
  // Inserts before `index`; an index out of range appends. An unknown
  // folder changes nothing.
  void AddItem(int folder, int index, const wchar_t* caption, int image, DWORD data);
  // Only with fSelHighlight: -1 for none, or an item of the shown folder.
  void SelectItem(int index);

  int GetFolderCount() const { return static_cast<int>(folders_.size()); }
  // Items of the shown folder.
  int GetItemCount() const;
  int GetSelectedItem() const { return selected_; }
  int GetFirstVisibleItem() const { return firstVisible_; }
  int GetShownFolder() const { return shownFolder_; }
  // Caption and image index of item `index` of the shown folder (empty and
  // -1 when there is no such item).
  std::wstring GetItemText(int index) const;
  // Change item `index` of the shown folder and redraw it.
  void SetItemText(int index, const wchar_t* caption);
  void SetItemImage(int index, int image);
  int GetItemImage(int index) const;
  // Item `index` of the shown folder in client pixels (empty when there is
  // no such item).
  CRect ItemRect(int index) const;
  // The item area below the folder band.
  CRect ItemAreaRect() const;
  // Its metrics at the DPI the bar is drawn at.
  layout::OutBarMetrics Metrics() const;

  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  struct Item {
    int image = -1;
    std::wstring caption;
    DWORD data = 0;
  };
  // Item `index` of the shown folder, or null.
  const Item* FindItem(int index) const;
  // The same, to be changed: the control is redrawn.
  Item* ItemToChange(int index);
  struct Folder {
    std::wstring name;
    DWORD data = 0;
    HIMAGELIST largeList = nullptr;  // its own lists; none: the control's
    HIMAGELIST smallList = nullptr;
    std::vector<Item> items;
  };

  int OnCreate(CREATESTRUCTW& cs);
  void OnDpiChanged(UINT dpi) override;
  void MakeFont(UINT dpi);
  void OnPaint();
  void OnPrintClient(HDC dc, UINT flags);
  void OnSize(UINT type, int cx, int cy);
  void OnLButtonDown(UINT flags, CPoint point);

  void Draw(CDC& dc);
  void DrawItem(CDC& dc, const Item& item, const CRect& bounds, bool selected) const;
  void DrawArrows(CDC& dc);
  // The list the shown folder's items take their images from.
  HIMAGELIST ImageList() const;
  // Sizes of the shown folder's items, icon and caption (MeasureItem).
  std::vector<geom::Size> MeasureItems() const;
  layout::OutBarHitState HitState() const;
  // Runs this thread's messages while the mouse is captured; true with the
  // release point when the left button came up, false when the capture
  // was lost first.
  bool TrackButton(CPoint& release);
  void OnItemPressed(int item);
  void OnArrowPressed(bool up);

  SystemActions& system_;
  COLORREF highlightColour_ = RGB(0, 150, 221);
  CFont font_;
  DWORD options_ = 0x3FC;
  bool upArrowShown_ = false;
  bool downArrowShown_ = false;
  CRect upArrow_;
  CRect downArrow_;
  int selected_ = -1;
  std::vector<Folder> folders_;
  int firstVisible_ = 0;
  int shownFolder_ = 0;
  HIMAGELIST largeList_ = nullptr;
  HIMAGELIST smallList_ = nullptr;
};

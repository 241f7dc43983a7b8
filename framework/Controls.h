// Thin objects over the standard and common controls: each is a CWnd routed
// through its own object (subclassed at creation, or bound to a template's
// control with SubclassDlgItem), with the few typed calls our windows use.
// A control made with Create has the window class of its kind; its parent
// gets its notifications (or the object, through reflected routes).
//
// A tab control that hosts dialog pages as its children needs
// WS_EX_CONTROLPARENT (CTabCtrl::HostPages) so Tab moves into the pages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/Art.h"
#include "framework/Gdi.h"
#include "framework/String.h"
#include "framework/Wnd.h"

// A control of window class `className` as a child of `parent`.
bool CreateControl(CWnd& control, const wchar_t* className, const wchar_t* text, DWORD style,
                   const RECT& rect, CWnd* parent, UINT id, DWORD exStyle = 0);

class CButton : public CWnd {
 public:
  bool Create(const wchar_t* text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(*this, WC_BUTTONW, text, style, rect, parent, id);
  }
  // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
  int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
  UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
  // The image the button shows (BS_BITMAP / BS_ICON); the caller keeps it.
  HBITMAP SetBitmap(HBITMAP bitmap) {
    return reinterpret_cast<HBITMAP>(
        SendMessage(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  }
  HICON SetButtonIcon(HICON icon) {
    return reinterpret_cast<HICON>(
        SendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
  }
};

// An owner-drawn push button that shows one bitmap, and another while it is
// pressed. It owns both; without a pressed bitmap the normal one stays.
class CBitmapButton : public CButton {
 public:
  // From the resource module when `module` is null; `pressed` 0 for none.
  bool LoadBitmaps(UINT normal, UINT pressed = 0, HINSTANCE module = nullptr);
  // The same, rendered for `dpi` (framework/Art.h).
  bool LoadBitmapsForDpi(UINT normal, UINT pressed, UINT dpi, HINSTANCE module = nullptr);
  // Sizes the window to the normal bitmap, keeping its place.
  void SizeToContent();
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void OnDrawItem(DRAWITEMSTRUCT& item);
  CBitmap normal_;
  CBitmap pressed_;
};

class CEdit : public CWnd {
 public:
  bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(*this, WC_EDITW, L"", style, rect, parent, id, WS_EX_CLIENTEDGE);
  }
  void SetReadOnly(bool readOnly = true) { SendMessage(EM_SETREADONLY, readOnly ? TRUE : FALSE); }
  void SetSel(int start, int end) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
  void ReplaceSel(const wchar_t* text) {
    SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
  }
  void LimitText(int chars) { SendMessage(EM_SETLIMITTEXT, static_cast<WPARAM>(chars)); }
  int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
};

class CStatic : public CWnd {
 public:
  bool Create(const wchar_t* text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(*this, WC_STATICW, text, style, rect, parent, id);
  }
  // The picture of an SS_ICON / SS_BITMAP static; the caller keeps it.
  HICON SetStaticIcon(HICON icon) {
    return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon)));
  }
  HBITMAP SetBitmap(HBITMAP bitmap) {
    return reinterpret_cast<HBITMAP>(
        SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  }
};

// The pictures of a dialog's template: its SS_BITMAP and SS_ICON statics.
// A static control does not free a bitmap it loaded itself (Wine never
// does; Windows documents no owner for it), so every opening of such a
// dialog would leave its pictures behind: Adopt hands them to this object,
// which frees them with itself; it must outlive the dialog's window.
//
// At 96 DPI the pictures stay as the dialog manager made them. At another
// DPI each is shown again from the art for it (framework/Art.h): a bitmap
// from its rendering for the DPI (the control takes its size), an icon at
// the system's icon size for the DPI, or, where the control sets the size
// (SS_REALSIZECONTROL), at the control's. The resource of each picture is
// read from the template, since a static keeps only the image.
class CStaticPictures {
 public:
  // Every picture static of `dialog`, made from template `templateId` of
  // `module` and not yet given other children, shown at `dpi`.
  void Adopt(HWND dialog, UINT templateId, HINSTANCE module, UINT dpi);
  // Every picture shown at `dpi` (after the controls were placed for it).
  void ShowAt(UINT dpi);
  int GetCount() const { return static_cast<int>(pictures_.size()); }

 private:
  struct Picture {
    HWND control = nullptr;
    UINT resource = 0;
    bool icon = false;
    CBitmap bitmap;                // the bitmap shown, ours
    afx::UniqueIcon ownIcon;       // an icon made for a DPI; the template's is shared
  };
  void Show(Picture& picture, UINT dpi);

  std::vector<Picture> pictures_;
  HINSTANCE module_ = nullptr;
  UINT dpi_ = 96;
};

// The fonts of a window's controls that no template gave them - in a
// dialog without a FONT statement the system font, a list view's own
// default - made again at each DPI from the font each first showed.
// (CDialog scales the fonts of a template itself.)
class CControlFonts {
 public:
  // The controls, the fonts they show now, and the DPI they are made for.
  void Follow(std::vector<HWND> controls, UINT dpi);
  // Every control shows its font at `dpi`: the one it showed at first, at
  // that first DPI.
  void ShowAt(UINT dpi);

 private:
  struct Shown {
    HWND control;
    HFONT original;  // null: the system font
  };
  std::vector<Shown> shown_;
  UINT dpi_ = 96;
  struct Made {
    HFONT original;
    CFont font;
  };
  std::vector<Made> made_;
};

class CSliderCtrl : public CWnd {
 public:
  bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(*this, TRACKBAR_CLASSW, nullptr, style, rect, parent, id);
  }
  void SetRange(int minimum, int maximum, bool redraw = false) {
    SendMessage(TBM_SETRANGEMIN, FALSE, minimum);
    SendMessage(TBM_SETRANGEMAX, redraw ? TRUE : FALSE, maximum);
  }
  int GetRangeMin() const { return static_cast<int>(SendMessage(TBM_GETRANGEMIN)); }
  int GetRangeMax() const { return static_cast<int>(SendMessage(TBM_GETRANGEMAX)); }
  int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
  void SetPos(int pos) { SendMessage(TBM_SETPOS, TRUE, pos); }
  void SetPageSize(int size) { SendMessage(TBM_SETPAGESIZE, 0, size); }
  void SetLineSize(int size) { SendMessage(TBM_SETLINESIZE, 0, size); }
  void SetTicFreq(int frequency) { SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(frequency)); }
  void ClearTics(bool redraw = false) { SendMessage(TBM_CLEARTICS, redraw ? TRUE : FALSE); }
};

class CComboBoxEx : public CWnd {
 public:
  bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(*this, WC_COMBOBOXEXW, nullptr, style, rect, parent, id);
  }
  // Inserts at `index` (-1: at the end); returns the new item's index or -1.
  int InsertItem(int index, const wchar_t* text, int image = -1, int selectedImage = -1);
  bool DeleteItem(int index) { return SendMessage(CBEM_DELETEITEM, static_cast<WPARAM>(index)) >= 0; }
  void ResetContent() { SendMessage(CB_RESETCONTENT); }
  int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
  int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
  int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
  CString GetItemText(int index) const;
  // The control does not own the list; returns the previous one.
  HIMAGELIST SetImageList(HIMAGELIST list) {
    return reinterpret_cast<HIMAGELIST>(SendMessage(CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list)));
  }
  HWND GetComboBoxCtrl() const { return reinterpret_cast<HWND>(SendMessage(CBEM_GETCOMBOCONTROL)); }
};

class CTabCtrl : public CWnd {
 public:
  bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(*this, WC_TABCONTROLW, nullptr, style, rect, parent, id);
  }
  // Inserts tab `text` at `index`; returns its index or -1.
  int InsertItem(int index, const wchar_t* text, int image = -1);
  // The same with the item's data (`image` -1: none).
  int InsertItem(int index, const wchar_t* text, int image, LPARAM data);
  // The item's data; 0 when it has none or there is no such item.
  LPARAM GetItemData(int index) const;
  bool DeleteAllItems() { return SendMessage(TCM_DELETEALLITEMS) != FALSE; }
  int GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
  CString GetItemText(int index) const;
  int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
  // Selects without the change notifications (as TCM_SETCURSEL does).
  int SetCurSel(int index) { return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(index))); }
  CRect GetItemRect(int index) const;
  // The display area for a window rectangle (`larger` false), or the window
  // rectangle for a display area (`larger` true).
  void AdjustRect(bool larger, RECT& r) const {
    SendMessage(TCM_ADJUSTRECT, larger ? TRUE : FALSE, reinterpret_cast<LPARAM>(&r));
  }
  // The tab under a client point, or -1.
  int HitTest(POINT p) const;
  HIMAGELIST SetImageList(HIMAGELIST list) {
    return reinterpret_cast<HIMAGELIST>(SendMessage(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list)));
  }
  // The tab with the focus: in button mode (TCS_BUTTONS) the arrow keys move
  // it without selecting.
  int GetCurFocus() const { return static_cast<int>(SendMessage(TCM_GETCURFOCUS)); }
  // Lets dialog keyboard navigation enter pages that are this control's children.
  void HostPages() { ModifyStyleEx(0, WS_EX_CONTROLPARENT); }
};

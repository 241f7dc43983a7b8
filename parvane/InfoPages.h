// The six pages of the information dialog: captionless child dialogs of its
// tab control, each with a left strip (icon, two caption lines, small icon)
// and one main control. Each page reads and fills in what it shows in its
// own initialisation, once.
//
// The four list pages share one layout: extended styles 0x171 added, the row
// images of bitmap 25007 twice (masked black, then 0x0FFFFF: indexes 10-19
// repeat 0-9), two left-aligned columns (sub-items 100 and 300), then the
// page's rows in list order, the unlabelled row among them, each value in
// column 1. The two text pages put one text into their edit control.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/ImageList.h"
#include "framework/ListCtrl.h"
#include "parvane/InfoSources.h"
#include "parvane/decode/PageRow.h"

// What every page shares: a template of this library and one main control,
// which is fitted into the room the tab control gives the page; its strip's
// icons and its texts at the page's DPI (the templates have no font: the
// system font, made again for a DPI it was not made for).
class CInfoPage : public CDialog {
 public:
  CInfoPage(UINT templateId, UINT mainId, HINSTANCE module, const parvane::InfoSources& sources);

  bool OnInitDialog() override;
  // Makes the page `room` in size and ends its main control inside it. The
  // controls keep their places in dialog units; a main control as large as
  // the template makes it would reach past the tab control's edge, its
  // scroll bars and last lines cut off. Again after a change of scale: the
  // main control as the template makes it at the new DPI, fitted again.
  void FitInto(SIZE room);
  UINT MainControlId() const { return mainId_; }

  static constexpr int kFitMargin = 2;  // 96-DPI pixels between the control and the room's edge

 protected:
  void OnDpiChanged(UINT dpi) override;

  const parvane::InfoSources& sources_;

 private:
  UINT mainId_;
  CStaticPictures pictures_;
  CControlFonts fonts_;
  // The main control as the template made it, and the DPI it was made at.
  CRect mainMade_;
  UINT madeDpi_ = 0;
};

// What differs between the list pages.
struct ListPageLayout {
  UINT templateId;
  UINT listId;
  const wchar_t* keyCaption;  // column 0
  int keyWidth;  // 96-DPI pixels
  const wchar_t* valueCaption;  // column 1, 300 pixels wide at 96 DPI
};

class CListPage : public CInfoPage {
 public:
  static constexpr DWORD kListStyles = LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP |
                                       LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE |
                                       LVS_EX_FLATSB;  // 0x171
  static constexpr int kValueWidth = 300;
  static constexpr int kKeySubItem = 100;
  static constexpr int kValueSubItem = 300;
  static constexpr COLORREF kFirstMask = RGB(0, 0, 0);
  static constexpr COLORREF kSecondMask = 0x0FFFFF;

  CListPage(const ListPageLayout& layout, HINSTANCE module, const parvane::InfoSources& sources);

  bool OnInitDialog() override;
  CListCtrl& List() { return list_; }

 protected:
  // The page's rows in list order.
  virtual std::vector<parvane::PageRow> Rows() = 0;
  // Row `index` with its label, image and value.
  void InsertRow(int index, const parvane::PageRow& row);
  // The row images and the columns at the new DPI (a column the user
  // widened keeps its share).
  void OnDpiChanged(UINT dpi) override;

 private:
  // The row images at `dpi`, given to the list.
  void MakeImages(UINT dpi);

  const ListPageLayout& layout_;
  UINT columnsDpi_ = 0;  // the DPI of the columns' widths
  afx::Window<CListCtrl> list_;
  CImageList images_;  // shared with the list (LVS_SHAREIMAGELISTS), outlives it
};

class CTextPage : public CInfoPage {
 public:
  CTextPage(UINT templateId, UINT editId, HINSTANCE module, const parvane::InfoSources& sources);

  bool OnInitDialog() override;

 protected:
  // The page's text, UTF-8.
  virtual std::string Text() = 0;
};

// "  系统": the operating system, its edition and registration (tab 1).
class CSystemInfoPage : public CListPage {
 public:
  CSystemInfoPage(HINSTANCE module, const parvane::InfoSources& sources);

 private:
  std::vector<parvane::PageRow> Rows() override;
};

// "  信息": system folders, the temporary folders and the BIOS (tab 2).
class CSystemDirsPage : public CListPage {
 public:
  CSystemDirsPage(HINSTANCE module, const parvane::InfoSources& sources);

 private:
  std::vector<parvane::PageRow> Rows() override;
};

// "  硬盘": the first hard disk's identity, geometry and features (tab 3).
class CDiskPage : public CListPage {
 public:
  CDiskPage(HINSTANCE module, const parvane::InfoSources& sources);

 private:
  std::vector<parvane::PageRow> Rows() override;
};

// "  信息": the first hard disk's transfer modes and further words (tab 4).
class CDiskModesPage : public CListPage {
 public:
  CDiskModesPage(HINSTANCE module, const parvane::InfoSources& sources);

 private:
  std::vector<parvane::PageRow> Rows() override;
};

// "  CDROM": one text block per CD/DVD drive (tab 5).
class CCdromPage : public CTextPage {
 public:
  CCdromPage(HINSTANCE module, const parvane::InfoSources& sources);

 private:
  std::string Text() override;
};

// "  USB": one block per disk, then the flash drives' letters (tab 6, the
// page the dialog opens on).
class CUsbPage : public CTextPage {
 public:
  CUsbPage(HINSTANCE module, const parvane::InfoSources& sources);

 private:
  std::string Text() override;
};

// How messages reach objects: commands once and only for commands, control
// notifications by their code, reflection to the control's own object, a
// dialog's object from the dialog's first message, typed parameters.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "FrameworkTestRes.h"
#include "TestPump.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/ListCtrl.h"
#include "framework/Wnd.h"
#include "tests/win/common/MessageSequence.h"

namespace {

using dravon_test::Expected;
using dravon_test::kLParam;
using dravon_test::kOptional;
using dravon_test::kWParam;
using dravon_test::MessageLog;
using dravon_test::SequenceIs;

HINSTANCE Self() { return GetModuleHandleW(nullptr); }

// The controls dialog, modeless, recording what reaches its object.
class ControlsDialog : public CDialog {
 public:
  ControlsDialog() : CDialog(IDD_TEST_CONTROLS, nullptr, Self()) {}

  MessageLog early{WM_NCCREATE, WM_CREATE, WM_SETFONT, WM_MEASUREITEM, WM_INITDIALOG};
  std::vector<UINT> commands;
  std::vector<UINT> notifications;
  std::vector<int> measured;
  std::vector<UINT> parentScrolls;
  int oks = 0;

  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    early.Add(msg, wp, lp);
    static constexpr afx::Route routes[] = {
        afx::OnControl<&ControlsDialog::OnEditChange>(IDC_TEST_EDIT, EN_CHANGE),
        afx::OnControl<&ControlsDialog::OnComboDropDown>(IDC_TEST_COMBO, CBN_DROPDOWN),
        afx::OnControlRange<&ControlsDialog::OnAnySelChange>(IDC_TEST_EDIT, IDC_TEST_COMBO,
                                                             CBN_SELCHANGE),
        afx::OnMeasureItem<&ControlsDialog::OnMeasureItem>(),
        afx::OnHScroll<&ControlsDialog::OnHScroll>(),
        afx::OnCommandRange<&ControlsDialog::OnCommand>(IDC_TEST_BUTTON, IDC_TEST_KEYLIST),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
           CDialog::OnWndMsg(msg, wp, lp, result);
  }
  void OnOK() override { ++oks; }

  HWND Item(int id) const { return GetDlgItem(id); }

 private:
  void OnCommand(UINT id) { commands.push_back(id); }
  void OnEditChange() { notifications.push_back(EN_CHANGE); }
  void OnComboDropDown() { notifications.push_back(CBN_DROPDOWN); }
  void OnAnySelChange(UINT id) { notifications.push_back(id); }
  void OnMeasureItem(int id, MEASUREITEMSTRUCT& mis) {
    measured.push_back(id);
    mis.itemHeight = 18;
  }
  void OnHScroll(UINT code, UINT, HWND) { parentScrolls.push_back(code); }
};

class DialogFixture : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dialog.Create()); }
  void TearDown() override {
    dialog.DestroyWindow();
    flush_events(10);
  }
  afx::Window<ControlsDialog> dialog;
};

// ---- commands ----------------------------------------------------------------

using Commands = DialogFixture;

TEST_F(Commands, AClickRunsTheDialogsCommandOnce) {
  SendMessageW(dialog.Item(IDC_TEST_BUTTON), BM_CLICK, 0, 0);
  flush_events(10);
  EXPECT_EQ(dialog.commands, std::vector<UINT>{IDC_TEST_BUTTON});
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(dialog.Item(IDOK)));
  EXPECT_EQ(dialog.oks, 1);
}

TEST_F(Commands, MenuAndAcceleratorCommandsRunWithoutAControl) {
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, 0), 0);  // menu
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_COMBO, 1), 0);   // accelerator
  EXPECT_EQ(dialog.commands, (std::vector<UINT>{IDC_TEST_BUTTON, IDC_TEST_COMBO}));
}

TEST_F(Commands, ControlNotificationsAreNotCommands) {
  HWND edit = dialog.Item(IDC_TEST_EDIT);
  HWND combo = dialog.Item(IDC_TEST_COMBO);
  SetFocus(edit);                                    // EN_SETFOCUS
  SetWindowTextW(edit, L"变");                       // EN_CHANGE
  SetFocus(combo);                                   // EN_KILLFOCUS, CBN_SETFOCUS
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"一"));
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);     // CBN_DROPDOWN
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);    // CBN_CLOSEUP
  SetFocus(dialog.Item(IDC_TEST_BUTTON));            // CBN_KILLFOCUS
  // A button's own focus notification and a list's selection (code 1, which
  // an accelerator also uses, but from a control).
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_SETFOCUS),
                     reinterpret_cast<LPARAM>(dialog.Item(IDC_TEST_BUTTON)));
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_COMBO, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
  flush_events(10);
  EXPECT_TRUE(dialog.commands.empty()) << dialog.commands.size() << " ran as commands";
  // Each notification reached the route for its code, and only that one.
  EXPECT_EQ(dialog.notifications,
            (std::vector<UINT>{EN_CHANGE, CBN_DROPDOWN, static_cast<UINT>(IDC_TEST_COMBO)}));
}

// ---- dialogs attach at their first message -----------------------------------

TEST(DialogAttachment, TheObjectSeesCreationFontAndMeasuringBeforeInitDialog) {
  afx::Window<ControlsDialog> dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_TRUE(SequenceIs(dialog.early, {
                                           {WM_NCCREATE},
                                           {WM_CREATE},
                                           {WM_SETFONT},
                                           {WM_MEASUREITEM, kWParam, IDC_TEST_OWNERLIST},
                                           {WM_INITDIALOG},
                                       }));
  EXPECT_EQ(dialog.measured, std::vector<int>{IDC_TEST_OWNERLIST});
  // The list box got the height the object gave it.
  EXPECT_EQ(SendMessageW(dialog.Item(IDC_TEST_OWNERLIST), LB_GETITEMHEIGHT, 0, 0), 18);
  dialog.DestroyWindow();
}

TEST(DialogAttachment, SubclassDlgItemBindsATemplatesControl) {
  afx::Window<ControlsDialog> dialog;
  ASSERT_TRUE(dialog.Create());
  afx::Window<CSliderCtrl> slider;
  ASSERT_TRUE(slider.SubclassDlgItem(IDC_TEST_SLIDER, &dialog));
  EXPECT_EQ(CWnd::FromHandlePermanent(dialog.Item(IDC_TEST_SLIDER)), &slider);
  slider.SetRange(0, 4);
  slider.SetPos(3);
  EXPECT_EQ(slider.GetPos(), 3);
  EXPECT_EQ(slider.GetRangeMax(), 4);
  afx::Window<CSliderCtrl> other;
  EXPECT_FALSE(other.SubclassDlgItem(IDC_TEST_SLIDER, &dialog)) << "already bound";
  EXPECT_FALSE(other.SubclassDlgItem(4242, &dialog)) << "no such control";
  dialog.DestroyWindow();
  EXPECT_EQ(slider.m_hWnd, nullptr);
}

// ---- reflection --------------------------------------------------------------

class ScrollingSlider : public CSliderCtrl {
 public:
  std::vector<UINT> codes;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnReflectHScroll<&ScrollingSlider::OnScroll>(),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
           CSliderCtrl::OnWndMsg(msg, wp, lp, result);
  }

 private:
  void OnScroll(UINT code, UINT) { codes.push_back(code); }
};

class OwnerList : public CWnd {
 public:
  MessageLog log;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnReflectDrawItem<&OwnerList::OnDraw>(),
        afx::OnReflectCompareItem<&OwnerList::OnCompare>(),
        afx::OnReflectDeleteItem<&OwnerList::OnDelete>(),
        afx::OnReflectCharToItem<&OwnerList::OnCharToItem>(),
        afx::OnReflectCtlColor<&OwnerList::OnColour>(),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
  }
  CBrush brush{RGB(1, 2, 3)};

 private:
  void OnDraw(DRAWITEMSTRUCT& dis) { log.Add(WM_DRAWITEM, dis.itemID, 0); }
  int OnCompare(COMPAREITEMSTRUCT& cis) {
    log.Add(WM_COMPAREITEM, 0, 0);
    return cis.itemData1 < cis.itemData2 ? -1 : cis.itemData1 > cis.itemData2 ? 1 : 0;
  }
  void OnDelete(DELETEITEMSTRUCT& dis) { log.Add(WM_DELETEITEM, dis.itemData, 0); }
  int OnCharToItem(UINT key, UINT) {
    log.Add(WM_CHARTOITEM, key, 0);
    return -2;
  }
  HBRUSH OnColour(HDC, UINT type) { return type == CTLCOLOR_LISTBOX ? brush.get() : nullptr; }
};

class KeyList : public CWnd {
 public:
  std::vector<UINT> keys;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnReflectVKeyToItem<&KeyList::OnVKey>(),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
  }

 private:
  int OnVKey(UINT key, UINT) {
    keys.push_back(key);
    return -1;
  }
};

using Reflection = DialogFixture;

TEST_F(Reflection, ASlidersScrollGoesToTheSliderNotItsParent) {
  afx::Window<ScrollingSlider> slider;
  ASSERT_TRUE(slider.SubclassDlgItem(IDC_TEST_SLIDER, &dialog));
  slider.SetRange(0, 10);
  slider.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
  slider.SendMessage(WM_KEYUP, VK_RIGHT, 0);
  EXPECT_EQ(slider.codes, (std::vector<UINT>{TB_LINEDOWN, TB_ENDTRACK}));
  EXPECT_TRUE(dialog.parentScrolls.empty());
  // A scroll bar that has no object of its own: the parent's route takes it.
  dialog.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0),
                     reinterpret_cast<LPARAM>(dialog.Item(IDC_TEST_SCROLL)));
  EXPECT_EQ(dialog.parentScrolls, std::vector<UINT>{SB_LINEDOWN});
}

TEST_F(Reflection, OwnerDrawnListItemsAreDrawnComparedAndDeletedByTheList) {
  afx::Window<OwnerList> list;
  ASSERT_TRUE(list.SubclassDlgItem(IDC_TEST_OWNERLIST, &dialog));
  HWND h = list.m_hWnd;
  // No strings: the sorted list asks its owner to compare the item data.
  SendMessageW(h, LB_ADDSTRING, 0, 30);
  SendMessageW(h, LB_ADDSTRING, 0, 10);
  SendMessageW(h, LB_ADDSTRING, 0, 20);
  EXPECT_EQ(SendMessageW(h, LB_GETITEMDATA, 0, 0), 10);
  EXPECT_GE(list.log.Count(WM_COMPAREITEM), 2);
  dialog.ShowWindow(SW_SHOWNA);
  dialog.UpdateWindow();
  flush_events(10);
  EXPECT_GE(list.log.Count(WM_DRAWITEM), 3);
  list.log.Clear();
  SendMessageW(h, LB_DELETESTRING, 0, 0);
  SendMessageW(h, WM_CHAR, 'x', 0);
  EXPECT_TRUE(SequenceIs(list.log, {{WM_DELETEITEM, kWParam, 10}, {WM_CHARTOITEM, kWParam, 'x'}}));
  // Colours: the list answers for itself; the dialog for what it declines.
  HDC dc = GetDC(h);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(dialog.SendMessage(WM_CTLCOLORLISTBOX,
                                                        reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(h))),
            list.brush.get());
  ReleaseDC(h, dc);
}

TEST_F(Reflection, AListsVirtualKeysGoToTheList) {
  afx::Window<KeyList> list;
  ASSERT_TRUE(list.SubclassDlgItem(IDC_TEST_KEYLIST, &dialog));
  SendMessageW(list.m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"甲"));
  SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(list.keys, std::vector<UINT>{VK_DOWN});
}

// A list view in a plain window: its notifications reflected to it first; a
// handler that declines lets the parent see the notification too.
class NotifyingList : public CListCtrl {
 public:
  int inserted = 0;
  int clicks = 0;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnReflectNotify<LVN_INSERTITEM, &NotifyingList::OnInserted>(),
        afx::OnReflectNotify<NM_CLICK, &NotifyingList::OnClick>(),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) ||
           CListCtrl::OnWndMsg(msg, wp, lp, result);
  }

 private:
  LRESULT OnInserted(NMLISTVIEW& nm) {
    inserted += nm.iItem + 1;
    return 0;
  }
  bool OnClick(NMHDR&) {
    ++clicks;
    return false;  // the parent may want it too
  }
};

class ListParent : public CWnd {
 public:
  std::vector<UINT> seen;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnNotify<LVN_INSERTITEM, &ListParent::OnInserted>(7),
        afx::OnNotify<NM_CLICK, &ListParent::OnClick>(7),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
  }

 private:
  LRESULT OnInserted(NMHDR& hdr) {
    seen.push_back(hdr.code);
    return 0;
  }
  LRESULT OnClick(NMHDR& hdr) {
    seen.push_back(hdr.code);
    return 0;
  }
};

TEST(NotifyReflection, TheListTakesItsOwnNotificationsFirst) {
  afx::Window<ListParent> parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"p", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200),
                              nullptr, 0));
  afx::Window<NotifyingList> list;
  ASSERT_TRUE(list.Create(WS_VISIBLE | LVS_REPORT, CRect(0, 0, 280, 180), &parent, 7));
  list.InsertColumn(0, L"名", LVCFMT_LEFT, 100);
  list.InsertItem(0, L"一");
  EXPECT_EQ(list.inserted, 1);
  NMITEMACTIVATE click{};
  click.hdr = {list.m_hWnd, 7, static_cast<UINT>(NM_CLICK)};
  parent.SendMessage(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(list.clicks, 1);
  // LVN_INSERTITEM was taken; NM_CLICK was declined and reached the parent.
  EXPECT_EQ(parent.seen, std::vector<UINT>{static_cast<UINT>(NM_CLICK)});
  parent.DestroyWindow();
}

// ---- typed parameters --------------------------------------------------------

class Typed : public CWnd {
 public:
  CPoint down{1, 1};
  UINT keyFlags = 0;
  int cx = -1, cy = -1;
  UINT sizeType = 99;
  UINT key = 0, repeat = 0;
  CPoint menuAt{1, 1};
  UINT_PTR timer = 0;
  UINT sysCommand = 0;
  MINMAXINFO minMax{};

  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static constexpr afx::Route routes[] = {
        afx::OnLButtonDown<&Typed::OnLButtonDown>(),
        afx::OnSize<&Typed::OnSize>(),
        afx::OnKeyDown<&Typed::OnKeyDown>(),
        afx::OnContextMenu<&Typed::OnContextMenu>(),
        afx::OnTimer<&Typed::OnTimer>(),
        afx::OnSysCommand<&Typed::OnSysCommand>(),
        afx::OnGetMinMaxInfo<&Typed::OnGetMinMaxInfo>(),
    };
    return afx::Dispatch(*this, routes, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
  }

 private:
  void OnLButtonDown(UINT flags, CPoint p) {
    keyFlags = flags;
    down = p;
  }
  void OnSize(UINT type, int w, int h) {
    sizeType = type;
    cx = w;
    cy = h;
  }
  void OnKeyDown(UINT k, UINT r, UINT) {
    key = k;
    repeat = r;
  }
  void OnContextMenu(HWND, CPoint p) { menuAt = p; }
  void OnTimer(UINT_PTR id) { timer = id; }
  void OnSysCommand(UINT command, CPoint) { sysCommand = command; }
  void OnGetMinMaxInfo(MINMAXINFO& info) {
    DefWindowProc(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));  // the system's values first
    minMax = info;
  }
};

TEST(TypedHandlers, ParametersAreUnpackedOnceWithSignedPoints) {
  afx::Window<Typed> w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, L"t", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0));
  // Created with a size: the default handling filled the track sizes.
  EXPECT_GT(w.minMax.ptMaxTrackSize.x, 0);
  w.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, -7));
  EXPECT_EQ(w.down, CPoint(-5, -7));
  EXPECT_EQ(w.keyFlags, static_cast<UINT>(MK_LBUTTON | MK_SHIFT));
  w.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480));
  EXPECT_EQ(w.sizeType, static_cast<UINT>(SIZE_RESTORED));
  EXPECT_EQ(w.cx, 640);
  EXPECT_EQ(w.cy, 480);
  w.SendMessage(WM_KEYDOWN, VK_F5, MAKELPARAM(3, 0x3F));
  EXPECT_EQ(w.key, static_cast<UINT>(VK_F5));
  EXPECT_EQ(w.repeat, 3u);
  // From the keyboard the menu point is (-1, -1).
  w.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.m_hWnd), MAKELPARAM(-1, -1));
  EXPECT_EQ(w.menuAt, CPoint(-1, -1));
  w.SendMessage(WM_TIMER, 17);
  EXPECT_EQ(w.timer, 17u);
  // The command as sent, low bits and all.
  w.SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE | 2, 0);
  EXPECT_EQ(w.sysCommand, static_cast<UINT>(SC_MAXIMIZE | 2));
  w.DestroyWindow();
}

}  // namespace

#include "tunara/TweakPage.h"

#include <commctrl.h>

#include "platform/TextWin.h"
#include "res/tunara/resource.h"

using tunara::CheckBoxState;
using tunara::LevelKind;
using tunara::LevelState;

namespace {

// The markers of the image lists: the bitmap twice, once with each mask.
constexpr int kLevelImageWidth = 16;
constexpr COLORREF kLevelMask = RGB(0, 0, 0);
constexpr COLORREF kLevelSecondMask = RGB(255, 255, 15);

void SetText(HWND dialog, int id, const std::string& utf8) {
  ::SetDlgItemTextW(dialog, id, platform::Widen(utf8).c_str());
}

}  // namespace

CTweakPage::CTweakPage(UINT templateId, tunara::PageId page, HINSTANCE module,
                       platform::Registry& reg, const std::optional<platform::OsVersion>& version)
    : CDialog(templateId, nullptr, module), model_(page, reg, version) {}

void CTweakPage::RaiseToTop() { SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

bool CTweakPage::OnInitDialog() {
  CDialog::OnInitDialog();
  pictures_.Adopt(m_hWnd, GetTemplateId(), GetResourceModule(), GetDpi());
  BeforeStart();
  PrepareLevels();
  model_.Start(DriveTypes());
  ShowModel();
  MarkRowsWithoutEffect();
  AfterStart();
  return true;
}

void CTweakPage::Reread() {
  model_.Start(DriveTypes());
  ShowModel();
}

void CTweakPage::ShowModel() {
  for (const CheckBoxState& box : model_.CheckBoxes()) {
    ::CheckDlgButton(m_hWnd, box.box, box.checked ? BST_CHECKED : BST_UNCHECKED);
  }
  for (const LevelState& level : model_.Levels()) {
    if (CSliderCtrl* slider = Slider(level.id)) slider->SetPos(level.sliderPos);
    if (CComboBoxEx* list = List(level.id)) list->SetCurSel(level.listSelection);
  }
  for (const auto& [id, text] : model_.ControlTexts()) SetText(m_hWnd, id, text);
}

void CTweakPage::MarkRowsWithoutEffect() {
  for (const CheckBoxState& box : model_.CheckBoxes()) {
    if (box.honoured) continue;
    ::EnableWindow(::GetDlgItem(m_hWnd, box.box), FALSE);
    AddTip({box.box, box.status}, box.readBy);
  }
  for (const LevelState& level : model_.Levels()) {
    if (level.honoured) continue;
    ::EnableWindow(::GetDlgItem(m_hWnd, level.id), FALSE);
    AddTip({level.id, level.textBox}, level.readBy);
  }
}

void CTweakPage::AddTip(std::initializer_list<UINT> ids, std::string_view text) {
  if (!tips_) {
    tips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, GetResourceModule(),
                              nullptr);
    if (!tips_) return;
  }
  // One tool over the row's controls, owned by the page: a disabled control
  // takes no mouse, so the page sees the pointer over it.
  for (UINT id : ids) {
    HWND control = ::GetDlgItem(m_hWnd, static_cast<int>(id));
    if (!control) continue;
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    const std::wstring wide = platform::Widen(text);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = m_hWnd;
    tool.uId = id;
    tool.rect = r;
    tool.lpszText = const_cast<wchar_t*>(wide.c_str());
    ::SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CTweakPage::PrepareLevels() {
  // Sliders count from 1 (the thumb starts there); lists show their
  // markers and items, none of them selected.
  for (const LevelState& level : model_.Levels()) {
    if (level.control->kind == LevelKind::Slider) {
      auto slider = std::make_unique<afx::Window<CSliderCtrl>>();
      if (!slider->SubclassDlgItem(level.id, this)) continue;
      slider->SetRange(1, level.SliderMax(), false);
      sliders_.push_back(std::move(slider));
      continue;
    }
    auto bound = std::make_unique<BoundList>();
    if (!bound->list.SubclassDlgItem(level.id, this)) continue;
    MakeImages(*bound, GetDpi());
    int index = 0;
    for (const tunara::LevelRow& row : level.control->rows) {
      bound->list.InsertItem(index, platform::Widen(row.itemText).c_str(), index, index);
      ++index;
    }
    lists_.push_back(std::move(bound));
  }
}

void CTweakPage::MakeImages(BoundList& bound, UINT dpi) {
  CImageList images;
  const HINSTANCE module = GetResourceModule();
  if (!images.CreateFromBitmapForDpi(IDB_LEVELS, kLevelImageWidth, 1, kLevelMask, dpi, module)) return;
  images.AddFromResource(IDB_LEVELS, kLevelSecondMask, module, dpi);
  // The list shows the new images before the old ones go.
  bound.list.SetImageList(images.GetSafeHandle());
  bound.images.Attach(images.Detach());
}

void CTweakPage::OnDpiChanged(UINT dpi) {
  pictures_.ShowAt(dpi);
  for (auto& bound : lists_) MakeImages(*bound, dpi);
}

void CTweakPage::ShowBox(const CheckBoxState& box) {
  ::CheckDlgButton(m_hWnd, box.box, box.checked ? BST_CHECKED : BST_UNCHECKED);
  SetText(m_hWnd, box.status, box.statusText);
}

void CTweakPage::ShowLevelText(const LevelState& level) {
  SetText(m_hWnd, level.textBox, level.text);
}

CSliderCtrl* CTweakPage::Slider(UINT id) {
  for (auto& slider : sliders_)
    if (static_cast<UINT>(slider->GetDlgCtrlID()) == id) return slider.get();
  return nullptr;
}

CComboBoxEx* CTweakPage::List(UINT id) {
  for (auto& bound : lists_)
    if (static_cast<UINT>(bound->list.GetDlgCtrlID()) == id) return &bound->list;
  return nullptr;
}

bool CTweakPage::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnDestroy<&CTweakPage::OnDestroy>(),
      afx::OnNotifyRange<NM_RELEASEDCAPTURE, &CTweakPage::OnReleasedCapture>(0, 0xFFFF),
      afx::OnControlRange<&CTweakPage::OnSelChange>(0, 0xFFFF, CBN_SELCHANGE),
      afx::OnCommandWhere<&CTweakPage::IsBox, &CTweakPage::OnBoxClick>(0, 0xFFFF),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CDialog::OnWndMsg(msg, wParam, lParam, result);
}

void CTweakPage::OnDestroy() {
  if (tips_) ::DestroyWindow(tips_);
  tips_ = nullptr;
  DefWindowProc(WM_DESTROY, 0, 0);
}

bool CTweakPage::IsBox(UINT id) const { return model_.Box(static_cast<std::uint16_t>(id)) != nullptr; }

void CTweakPage::OnBoxClick(UINT id) {
  const auto box = static_cast<std::uint16_t>(id);
  if (!model_.Click(box)) return;
  ShowBox(*model_.Box(box));
  Changed();
}

void CTweakPage::Changed() {
  if (onChange_) onChange_();
}

LRESULT CTweakPage::OnReleasedCapture(UINT id, NMHDR&) {
  CSliderCtrl* slider = Slider(id);
  if (slider && model_.ReleaseSlider(static_cast<std::uint16_t>(id), slider->GetPos())) {
    const LevelState& level = *model_.Level(static_cast<std::uint16_t>(id));
    slider->SetPos(level.sliderPos);  // moved back after a failed write
    ShowLevelText(level);
    Changed();
  }
  return 0;
}

void CTweakPage::OnSelChange(UINT id) {
  CComboBoxEx* list = List(id);
  if (list && model_.SelectListItem(static_cast<std::uint16_t>(id), list->GetCurSel())) {
    const LevelState& level = *model_.Level(static_cast<std::uint16_t>(id));
    if (list->GetCurSel() != level.listSelection) list->SetCurSel(level.listSelection);
    ShowLevelText(level);
    Changed();
  }
}

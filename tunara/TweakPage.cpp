#include "tunara/TweakPage.h"

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
                       platform::Registry& reg)
    : CDialog(templateId, nullptr, module), model_(page, reg) {}

void CTweakPage::RaiseToTop() { SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

bool CTweakPage::OnInitDialog() {
  CDialog::OnInitDialog();
  pictures_.Adopt(m_hWnd);
  BeforeStart();
  PrepareLevels();
  model_.Start(DriveTypes());
  for (const CheckBoxState& box : model_.CheckBoxes()) {
    ::CheckDlgButton(m_hWnd, box.box, box.checked ? BST_CHECKED : BST_UNCHECKED);
  }
  for (const LevelState& level : model_.Levels()) {
    if (CSliderCtrl* slider = Slider(level.id)) slider->SetPos(level.sliderPos);
    if (CComboBoxEx* list = List(level.id)) list->SetCurSel(level.listSelection);
  }
  for (const auto& [id, text] : model_.ControlTexts()) SetText(m_hWnd, id, text);
  AfterStart();
  return true;
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
    HINSTANCE module = GetResourceModule();
    if (bound->images.CreateFromBitmap(IDB_LEVELS, kLevelImageWidth, 1, kLevelMask, module)) {
      bound->images.AddFromResource(IDB_LEVELS, kLevelSecondMask, module);
      bound->list.SetImageList(bound->images.GetSafeHandle());
    }
    int index = 0;
    for (const tunara::LevelRow& row : level.control->rows) {
      bound->list.InsertItem(index, platform::Widen(row.itemText).c_str(), index, index);
      ++index;
    }
    lists_.push_back(std::move(bound));
  }
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
      afx::OnNotifyRange<NM_RELEASEDCAPTURE, &CTweakPage::OnReleasedCapture>(0, 0xFFFF),
      afx::OnControlRange<&CTweakPage::OnSelChange>(0, 0xFFFF, CBN_SELCHANGE),
      afx::OnCommandWhere<&CTweakPage::IsBox, &CTweakPage::OnBoxClick>(0, 0xFFFF),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CDialog::OnWndMsg(msg, wParam, lParam, result);
}

bool CTweakPage::IsBox(UINT id) const { return model_.Box(static_cast<std::uint16_t>(id)) != nullptr; }

void CTweakPage::OnBoxClick(UINT id) {
  const auto box = static_cast<std::uint16_t>(id);
  if (model_.Click(box)) ShowBox(*model_.Box(box));
}

LRESULT CTweakPage::OnReleasedCapture(UINT id, NMHDR&) {
  CSliderCtrl* slider = Slider(id);
  if (slider && model_.ReleaseSlider(static_cast<std::uint16_t>(id), slider->GetPos())) {
    const LevelState& level = *model_.Level(static_cast<std::uint16_t>(id));
    slider->SetPos(level.sliderPos);  // moved back after a failed write
    ShowLevelText(level);
  }
  return 0;
}

void CTweakPage::OnSelChange(UINT id) {
  CComboBoxEx* list = List(id);
  if (list && model_.SelectListItem(static_cast<std::uint16_t>(id), list->GetCurSel())) {
    const LevelState& level = *model_.Level(static_cast<std::uint16_t>(id));
    if (list->GetCurSel() != level.listSelection) list->SetCurSel(level.listSelection);
    ShowLevelText(level);
  }
}

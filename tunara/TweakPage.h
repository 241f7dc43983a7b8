// CTweakPage: one page of the optimisation dialog, a child dialog whose
// controls are bound to its page model by control ID. The model (the tweak
// and level tables) says which IDs are check boxes, sliders and lists and
// what each shows; the page only moves that into and out of the controls:
//  - at start: slider ranges, the lists' images and items, then the model's
//    start (every registry read of the page), then every mark and text;
//  - a check box's click (BN_CLICKED), a slider's release
//    (NM_RELEASEDCAPTURE; moving the thumb writes nothing) and a list's
//    change (CBN_SELCHANGE) go to the model, which writes the registry at
//    once, and the touched controls show the result.
// The four pages add only what is not in the tables (TweakPages.h).
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/ImageList.h"
#include "platform/OsVersion.h"
#include "platform/Registry.h"
#include "tunara/PageModels.h"

class CTweakPage : public CDialog {
 public:
  // `module` holds the template and the lists' bitmap; `reg` outlives the
  // page; `version` decides which rows have an effect (TweakPageModel).
  CTweakPage(UINT templateId, tunara::PageId page, HINSTANCE module, platform::Registry& reg,
             const std::optional<platform::OsVersion>& version);

  const tunara::TweakPageModel& Model() const { return model_; }
  // Reads the registry again, as at the page's start, and shows it.
  void Reread();
  // The tool tips of the rows without effect (null when there are none).
  HWND ToolTips() const { return tips_; }
  // Called after each click, slider release or list change has written.
  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

  bool OnInitDialog() override;
  bool OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  // Steps of the page's start that read nothing: before the controls are
  // prepared, and after they show the model.
  virtual void BeforeStart() {}
  virtual void AfterStart() {}
  // The drive types the page's start asks (none by default).
  virtual tunara::DriveTypeQuery DriveTypes() const { return {}; }
  // Moves the page to the top of its siblings.
  void RaiseToTop();

 private:
  // An image drop-down and the images it shows; the list goes first.
  struct BoundList {
    CImageList images;
    afx::Window<CComboBoxEx> list;
  };

  void OnDestroy();
  // The pictures and the lists' images at the new DPI (the template's
  // controls and fonts are the dialog's to scale).
  void OnDpiChanged(UINT dpi) override;
  // The markers of `bound` made for `dpi` and given to its list.
  void MakeImages(BoundList& bound, UINT dpi);
  LRESULT OnReleasedCapture(UINT id, NMHDR& header);
  void OnSelChange(UINT id);
  // A check box of the page's model: its click.
  bool IsBox(UINT id) const;
  void OnBoxClick(UINT id);
  void Changed();
  void PrepareLevels();
  // Every mark, position, selection and text as the model has them.
  void ShowModel();
  // Rows without effect: their controls disabled, their tool tips.
  void MarkRowsWithoutEffect();
  void AddTip(std::initializer_list<UINT> ids, std::string_view text);
  void ShowBox(const tunara::CheckBoxState& box);
  void ShowLevelText(const tunara::LevelState& level);
  CSliderCtrl* Slider(UINT id);
  CComboBoxEx* List(UINT id);

  tunara::TweakPageModel model_;
  CStaticPictures pictures_;
  std::vector<std::unique_ptr<CSliderCtrl>> sliders_;
  std::vector<std::unique_ptr<BoundList>> lists_;
  HWND tips_ = nullptr;  // owned: ended with the page
  std::function<void()> onChange_;
};

#include "tunara/PageModels.h"

#include "res/tunara/resource.h"

#include "tunara/TweakMechanism.h"
#include "tunara/ValueEffects.h"

namespace tunara {

std::string CdromLocationText(const DriveTypeQuery& driveType) {
  std::string text;
  if (!driveType) return text;
  std::string root = "A:\\";
  // Only A to J are looked at; each CD-ROM found replaces the one before.
  for (char letter = 'A'; letter <= 'J'; ++letter) {
    root[0] = letter;
    if (driveType(root) == kDriveCdrom) text = " " + root + " 盘 ";
  }
  return text;
}

namespace {

// Who read a value the running Windows ignores; empty when it reads it.
std::string_view IgnoredBy(const std::optional<platform::OsVersion>& version, platform::RegRoot root,
                           std::string_view key, std::string_view value) {
  const ValueEffect* effect = FindValueEffect(root, key, value);
  return ReadsValue(version, effect) ? std::string_view() : effect->readBy;
}

}  // namespace

TweakPageModel::TweakPageModel(PageId page, platform::Registry& reg,
                               std::optional<platform::OsVersion> version)
    : page_(page), reg_(&reg) {
  for (const TweakOption& option : TweakOptions(page)) {
    CheckBoxState box{option.box, option.status, false, {}, true, {}};
    for (std::string_view value : option.Values()) {
      const std::string_view by = IgnoredBy(version, option.root, option.key, value);
      if (!by.empty()) box = {option.box, option.status, false, {}, false, by};
    }
    boxes_.push_back(box);
  }
  for (const LevelControl* control : LevelControls(page)) {
    const std::string_view by =
        IgnoredBy(version, control->root, control->systemKey, control->systemValue);
    levels_.push_back({control, control->control, control->textBox, 1, -1, {}, by.empty(), by});
  }
}

void TweakPageModel::StartOptions() {
  auto options = TweakOptions(page_);
  for (std::size_t i = 0; i < options.size(); ++i) {
    const TweakOption& option = options[i];
    CheckBoxState& box = boxes_[i];
    if (option.test == StateTest::NotRead) {
      box.checked = false;
      box.statusText.clear();
      continue;
    }
    box.checked = ReadOptionState(*reg_, option);
    box.statusText = std::string(!box.honoured ? kNoEffectText
                                 : box.checked ? option.onText
                                               : option.StartOffText());
  }
}

void TweakPageModel::StartLevel(LevelState& level) {
  // A level that is missing or out of range leaves the thumb at 1 and the
  // box empty; a list's selection is never set from the registry.
  level.sliderPos = 1;
  level.listSelection = -1;
  level.text.clear();
  if (const LevelRow* row = ReadStartLevel(*reg_, *level.control)) {
    if (level.control->kind == LevelKind::Slider) level.sliderPos = static_cast<int>(row->level);
    level.text = std::string(row->startText);
  }
  if (!level.honoured) level.text = std::string(kNoEffectText);
}

void TweakPageModel::Start(const DriveTypeQuery& driveType) {
  // Each page's own order, as its dialog reads the registry.
  switch (page_) {
    case PageId::Disk:
    case PageId::Cdrom:
      StartOptions();
      for (LevelState& level : levels_) StartLevel(level);
      break;
    case PageId::Memory:
      StartLevel(*FindLevel(IDC_MEM_BUFFER_SLIDER, LevelKind::Slider));  // from "IoPage"
      StartOptions();
      StartLevel(*FindLevel(IDC_MEM_PREFETCH_LIST, LevelKind::List));
      break;
    case PageId::Ntfs:
      for (LevelState& level : levels_) StartLevel(level);
      StartOptions();
      cdromLocation_ = CdromLocationText(driveType);
      break;
  }
}

const CheckBoxState* TweakPageModel::Box(std::uint16_t box) const {
  for (const CheckBoxState& state : boxes_)
    if (state.box == box) return &state;
  return nullptr;
}

const LevelState* TweakPageModel::Level(std::uint16_t id) const {
  for (const LevelState& level : levels_)
    if (level.id == id) return &level;
  return nullptr;
}

LevelState* TweakPageModel::FindLevel(std::uint16_t id, LevelKind kind) {
  for (LevelState& level : levels_)
    if (level.id == id && level.control->kind == kind) return &level;
  return nullptr;
}

std::vector<std::pair<std::uint16_t, std::string>> TweakPageModel::ControlTexts() const {
  std::vector<std::pair<std::uint16_t, std::string>> texts;
  for (const CheckBoxState& box : boxes_) texts.emplace_back(box.status, box.statusText);
  for (const LevelState& level : levels_) texts.emplace_back(level.textBox, level.text);
  if (page_ == PageId::Ntfs) texts.emplace_back(IDC_NTFS_CDROM_DRIVE, cdromLocation_);
  return texts;
}

bool TweakPageModel::Click(std::uint16_t box) {
  auto options = TweakOptions(page_);
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (options[i].box != box) continue;
    if (!boxes_[i].honoured) return true;  // its control is disabled: nothing to write
    ClickResult result = ClickOption(*reg_, options[i], boxes_[i].checked);
    boxes_[i].checked = result.checked;
    boxes_[i].statusText = std::move(result.statusText);
    return true;
  }
  return false;
}

void TweakPageModel::ApplyToLevel(LevelState& level, int positionOrIndex) {
  auto result = ApplyLevel(*reg_, *level.control, positionOrIndex);
  if (!result) return;
  level.text = std::move(result->text);
  if (!result->writeFailed) return;
  // The control goes back to the level the registry holds, read as at the
  // page's start; with none, the thumb rests at 1 and the list selects nothing.
  const LevelRow* row = ReadStartLevel(*reg_, *level.control);
  if (level.control->kind == LevelKind::Slider) level.sliderPos = row ? static_cast<int>(row->level) : 1;
  else level.listSelection = row ? static_cast<int>(row->level) - 1 : -1;
}

bool TweakPageModel::ReleaseSlider(std::uint16_t slider, int position) {
  LevelState* level = FindLevel(slider, LevelKind::Slider);
  if (!level) return false;
  if (!level->honoured) return true;
  level->sliderPos = position;  // the thumb stays where it was let go
  ApplyToLevel(*level, position);
  return true;
}

bool TweakPageModel::SelectListItem(std::uint16_t list, int index) {
  LevelState* level = FindLevel(list, LevelKind::List);
  if (!level) return false;
  if (!level->honoured) return true;
  level->listSelection = index;
  ApplyToLevel(*level, index);
  return true;
}

}  // namespace tunara

// What each optimisation page shows, as plain data keyed by control ID, and
// what its controls do. A page dialog binds to this: after Start it copies
// every check mark, status text, slider position and text box into its
// controls; on a click, slider release or list change it calls the model and
// copies the touched control's state back.
//
// Windows-only steps of a page's start (moving the page to the top of the
// Z order, the WM_SETTINGCHANGE broadcast of the memory page, filling the
// image lists) read nothing from the registry, so the dialog does them
// around Start without changing what the page shows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/OsVersion.h"
#include "platform/Registry.h"
#include "tunara/LevelTables.h"
#include "tunara/TweakTable.h"

namespace tunara {

// A row or level whose values the running Windows ignores shows its state
// disabled, with kNoEffectText in its label and `readBy` as its tool tip.
struct CheckBoxState {
  std::uint16_t box;
  std::uint16_t status;
  bool checked = false;
  std::string statusText;
  bool honoured = true;
  std::string_view readBy;  // who read the values, when they are not honoured
};

struct LevelState {
  const LevelControl* control;
  std::uint16_t id;       // slider or list
  std::uint16_t textBox;
  int sliderPos = 1;      // sliders: the thumb, 1-based (ranges start at 1)
  int listSelection = -1;  // lists: the selected item, -1 for none
  std::string text;       // the text box beside the control
  bool honoured = true;
  std::string_view readBy;

  int SliderMax() const { return static_cast<int>(control->rows.size()); }
};

// Drive types as GetDriveType numbers them; the NTFS page looks for CD-ROMs.
inline constexpr unsigned kDriveCdrom = 5;
// Asked with a root path such as "D:\"; returns a drive type.
using DriveTypeQuery = std::function<unsigned(std::string_view root)>;

// The CD-ROM location text of the NTFS page: the last CD-ROM drive among
// A to J, as " D:\ 盘 "; empty when there is none.
std::string CdromLocationText(const DriveTypeQuery& driveType);

// Media control commands of the CD-ROM page's tray buttons.
inline constexpr std::string_view kTrayOpenCommand = "set cdaudio door open";
inline constexpr std::string_view kTrayCloseCommand = "set cdaudio door closed";

// Tab captions, left to right, each with three leading blanks.
inline constexpr std::string_view kPageTitles[] = {"   优化", "   加速", "   CDROM", "   NTFS"};

class TweakPageModel {
 public:
  // `version`: the running Windows, which decides the rows that have an
  // effect (nothing: the version is unknown, every row has one).
  TweakPageModel(PageId page, platform::Registry& reg,
                 std::optional<platform::OsVersion> version = std::nullopt);

  // The page's start: every row and level read in the page's order. The
  // NTFS page also asks the drive types of A to J (no query: no CD-ROM).
  void Start(const DriveTypeQuery& driveType = {});

  PageId page() const { return page_; }
  const std::vector<CheckBoxState>& CheckBoxes() const { return boxes_; }
  const std::vector<LevelState>& Levels() const { return levels_; }
  const CheckBoxState* Box(std::uint16_t box) const;
  const LevelState* Level(std::uint16_t id) const;
  // NTFS page: the text of its CD-ROM drive box.
  const std::string& CdromLocation() const { return cdromLocation_; }
  // Every text the page sets, by control: status labels, level text boxes
  // and (NTFS) the CD-ROM location, in that order.
  std::vector<std::pair<std::uint16_t, std::string>> ControlTexts() const;

  // A click on a box (or the NTFS radio button). False when the ID is not
  // one of this page's boxes. A failed write leaves the mark the registry
  // holds; a row without effect writes nothing.
  bool Click(std::uint16_t box);
  // A slider released at a position / a list selection changed. False when
  // the ID is not such a control of this page. When the write fails, the
  // thumb or selection goes back to the level the registry holds.
  bool ReleaseSlider(std::uint16_t slider, int position);
  bool SelectListItem(std::uint16_t list, int index);

 private:
  void StartOptions();
  void StartLevel(LevelState& level);
  void ApplyToLevel(LevelState& level, int positionOrIndex);
  LevelState* FindLevel(std::uint16_t id, LevelKind kind);

  PageId page_;
  platform::Registry* reg_;
  std::vector<CheckBoxState> boxes_;  // table order
  std::vector<LevelState> levels_;
  std::string cdromLocation_;
};

}  // namespace tunara

// The info control's rows (CInfoCtrl) and its paint plan, as data. Three
// groups of label/value rows; a row shows when it has a percentage or a text.
// Groups are painted top to bottom in the order 0, 2, 1.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "geometry/Dpi.h"
#include "geometry/Geometry.h"
#include "res/app/resource.h"

namespace diskview {

using geom::Colour;
using geom::Point;
using geom::Rect;
using geom::Size;

// Row keys: string-table identifiers that also give the rows' labels.
inline constexpr int kInfoPartition = IDS_INFO_PARTITION;
inline constexpr int kInfoSize = IDS_INFO_SIZE;
inline constexpr int kInfoUsed = IDS_INFO_USED;
inline constexpr int kInfoFileSize = IDS_INFO_FILESIZE;
inline constexpr int kInfoFileCount = IDS_INFO_FILES;
inline constexpr int kInfoFolderCount = IDS_INFO_FOLDERS;
inline constexpr int kInfoAllocated = IDS_INFO_ALLOCATED;
inline constexpr int kInfoEfficiency = IDS_INFO_EFFICIENCY;
// Words appended to counts.
inline constexpr int kInfoFilesWord = IDS_WORD_FILES;
inline constexpr int kInfoFoldersWord = IDS_WORD_FOLDERS;

// The program's strings for the keys above ("" for any other key): the
// string table's entries, for the portable plans (a Windows test checks
// that the two agree).
std::string InfoString(int key);

struct InfoLine {
  int key = 0;
  std::string label;  // the key's string followed by ":"
  int value = -1;     // -1: no percentage; else 0..100, shown as a bar
  std::string text;   // empty: no text
  bool Visible() const { return value != -1 || !text.empty(); }
};

class InfoModel {
 public:
  // The rows every control has, labels from `loadString` (InfoString by
  // default).
  explicit InfoModel(const std::function<std::string(int)>& loadString = InfoString);

  // Sets value and text of the first row of the group with this key; group
  // 0 or 1, any other number meaning group 2. Returns false (and changes
  // nothing) when the group has no such row.
  bool SetLine(int key, const std::string& text, int value, int group);
  const std::vector<InfoLine>& Group(int group) const { return groups_[GroupIndex(group)]; }

 private:
  static std::size_t GroupIndex(int group) { return group == 0 || group == 1 ? group : 2; }
  std::array<std::vector<InfoLine>, 3> groups_;
};

inline constexpr Colour kInfoFrameLight = 0x00FAFA;
inline constexpr Colour kInfoFrameDark = 0x00FACD;
inline constexpr Colour kInfoValueBack = 0x373200;
inline constexpr Colour kInfoValueText = 0xFFFFFF;
inline constexpr Colour kInfoBarText = 0xFF0000;
inline constexpr Colour kInfoGradientFrom = 0xFAFAFA;

// The bar colour of a percentage: below 65 %, below 75 %, below 90 %, from 90 %.
Colour PercentBarColour(double fraction);

struct GradientBand {
  Rect rect;
  Colour colour = 0;
};
// Ten vertical bands from `from` towards `to` (the last one a tenth short).
std::vector<GradientBand> PlanGradient(const Rect& g, Colour from, Colour to);

struct InfoRowPlan {
  bool percentage = false;
  Rect box;        // the row
  Rect labelRect;  // label: left-aligned, vertically centred, one line
  Rect valueRect;  // text row: filled kInfoValueBack, text white centred, sunken edge
  std::string label;
  std::string text;
  // Percentage rows: valueRect is filled black, then white; the bar is drawn
  // as a gradient, the caption centred at captionAt in black, a 3-D frame
  // (0x606060, 0xFFFFFF) on valueRect, the row's text centred in valueRect
  // in kInfoBarText, and a sunken edge on valueRect.
  int value = -1;
  Rect bar;
  Colour barColour = 0;
  std::vector<GradientBand> bands;
  std::string caption;
  Point captionAt;
};

struct InfoGroupPlan {
  int group = 0;
  std::vector<InfoRowPlan> rows;
  bool framed = false;
  Rect frame;  // etched edge, when framed
  int height = 0;
};

struct InfoPaintPlan {
  Rect client;  // filled with COLOR_ACTIVEBORDER, 3-D frame, sunken edge
  std::vector<InfoGroupPlan> groups;  // groups 0, 2, 1 in this order
};

// `measure` gives a text's extent in the control's font. The label part of a
// row is the label's width plus 4 pixels, at most half the row, so that both
// the label and the value show. Rows, gaps and frames are 96-DPI pixels
// scaled to `dpi`.
InfoPaintPlan PlanInfoPaint(const Rect& client, const InfoModel& model,
                            const std::function<Size(const std::string&)>& measure,
                            int dpi = geom::kBaseDpi);

}  // namespace diskview

// The skin file of the AppFace skin engine, and what its colours mean.
// Portable: bytes in, a complete skin out.
//
// Format: UTF-8 (or ASCII) text, one "key = value" a line, CR LF or LF.
// Blank lines and lines whose first non-blank character is ';' or '#' are
// comments. Keys are ASCII letters, matched without regard to case. A colour
// is "#RRGGBB" and nothing else on the line.
//
//   name                 the skin's name (optional, at most 64 bytes)
//   face                 window and dialog backgrounds, button faces   required
//   text                 text on the face                              required
//   caption              active caption (left end of its gradient)     required
//   captionText          active caption text                           required
//   highlight            selected items and menu items                 required
//   border               the frame around a window                     required
//   window               edit and list backgrounds           default: face lightened
//   windowText           text in edits and lists             default: text
//   captionEnd           right end of the active caption     default: caption lightened
//   inactiveCaption      inactive caption, left end          default: caption toward face
//   inactiveCaptionEnd   inactive caption, right end         default: inactiveCaption lightened
//   inactiveCaptionText  inactive caption text               default: captionText toward inactiveCaption
//   inactiveBorder       frame of an inactive window         default: border toward face
//   highlightText        text on highlight                   default: white or black, whichever reads
//   menu                 menu bar and popup menus            default: face lightened
//   menuText             menu text                           default: text
//   grayText             disabled text                       default: text toward face
//   edgeLight            brightest edge of raised things     default: face lightened much
//   edgeSoft             soft inner edge                     default: face lightened a little
//   edgeShadow           shadow edge                         default: face toward border
//   edgeDark             darkest edge                        default: face far toward border
//
// Unknown keys are ignored, whatever their value, so a newer file still
// loads. The file is malformed, and gives no skin at all, when a line is not
// a comment and has no '=', a key is empty, a known colour is not #RRGGBB, a
// known key is given twice, a required colour is missing, the text holds a
// NUL byte, or it is longer than 64 KiB.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace outside {

// A colour as 0x00BBGGRR, the Windows COLORREF layout.
using Colour = std::uint32_t;

// Every colour a skin gives, in the order of the keys above.
enum class Role : std::size_t {
  Face,
  Text,
  Caption,
  CaptionText,
  Highlight,
  Border,
  Window,
  WindowText,
  CaptionEnd,
  InactiveCaption,
  InactiveCaptionEnd,
  InactiveCaptionText,
  InactiveBorder,
  HighlightText,
  Menu,
  MenuText,
  GrayText,
  EdgeLight,
  EdgeSoft,
  EdgeShadow,
  EdgeDark,
};
inline constexpr std::size_t kRoleCount = static_cast<std::size_t>(Role::EdgeDark) + 1;

struct SkinFile {
  std::string name;
  std::array<Colour, kRoleCount> colours{};

  Colour operator[](Role role) const { return colours[static_cast<std::size_t>(role)]; }
};

// Longest text that can be a skin file.
inline constexpr std::size_t kMaxSkinFileBytes = 64 * 1024;

// The skin the text describes, every role filled (given or derived), or
// empty when the text is not a well-formed skin file.
std::optional<SkinFile> ParseSkinFile(std::string_view bytes);

// `percent` (0..100) of the way from `from` to `to`, channel by channel.
Colour Blend(Colour from, Colour to, int percent);

// The role that stands for the Windows system colour `index` (COLOR_BTNFACE
// and the rest, by number) while a skin is on; empty for the colours a skin
// leaves alone (the desktop, tooltips) and for numbers that are none.
std::optional<Role> RoleOfSystemColour(int index);

}  // namespace outside

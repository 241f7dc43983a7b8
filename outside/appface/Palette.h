// Palette: the GDI side of one skin. It owns one solid brush per colour role
// and the fonts the engine draws menus and captions with: the brushes and
// the fonts for the system DPI made when the skin starts, the fonts for
// another DPI when a window of that scale first needs them; all deleted
// with the palette, so nothing of a skin outlives it.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "outside/SkinFile.h"

namespace appface {

using outside::Role;

class Palette {
 public:
  explicit Palette(const outside::SkinFile& skin);
  ~Palette();
  Palette(const Palette&) = delete;
  Palette& operator=(const Palette&) = delete;

  // False when the system refused a brush or a font: such a palette is not used.
  bool Complete() const { return complete_; }
  const std::string& Name() const { return skin_.name; }

  COLORREF Colour(Role role) const { return skin_[role]; }
  HBRUSH Brush(Role role) const { return brushes_[static_cast<size_t>(role)]; }

  // What the system colour `index` is while this skin is on; empty (and
  // null) for the colours a skin leaves alone.
  std::optional<COLORREF> SystemColour(int index) const;
  HBRUSH SystemBrush(int index) const;

  // The system's menu and caption fonts at `dpi` (those of the system DPI
  // should the system refuse them).
  HFONT MenuFont(bool bold, UINT dpi) const {
    const Fonts& f = FontsFor(dpi);
    return bold ? f.menuBold : f.menu;
  }
  HFONT CaptionFont(bool small, UINT dpi) const {
    const Fonts& f = FontsFor(dpi);
    return small ? f.smallCaption : f.caption;
  }

 private:
  struct Fonts {
    UINT dpi = 0;
    HFONT menu = nullptr;
    HFONT menuBold = nullptr;
    HFONT caption = nullptr;
    HFONT smallCaption = nullptr;
  };
  static Fonts MakeFonts(UINT dpi);
  static void Free(const Fonts& fonts);
  const Fonts& FontsFor(UINT dpi) const;

  outside::SkinFile skin_;
  std::array<HBRUSH, outside::kRoleCount> brushes_{};
  // The system DPI's first; one set for each other DPI seen.
  mutable std::vector<Fonts> fonts_;
  bool complete_ = false;
};

}  // namespace appface

// Palette: the GDI side of one skin. It owns one solid brush per colour role
// and the fonts the engine draws menus and captions with, all made when the
// skin starts and deleted with the palette, so nothing of a skin outlives it.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

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

  HFONT MenuFont(bool bold) const { return bold ? menuBold_ : menu_; }
  HFONT CaptionFont(bool small) const { return small ? smallCaption_ : caption_; }

 private:
  outside::SkinFile skin_;
  std::array<HBRUSH, outside::kRoleCount> brushes_{};
  HFONT menu_ = nullptr;
  HFONT menuBold_ = nullptr;
  HFONT caption_ = nullptr;
  HFONT smallCaption_ = nullptr;
  bool complete_ = false;
};

}  // namespace appface

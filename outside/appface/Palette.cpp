#include "outside/appface/Palette.h"

#include "platform/DpiWin.h"

namespace appface {

Palette::Palette(const outside::SkinFile& skin) : skin_(skin) {
  bool ok = true;
  for (size_t i = 0; i < brushes_.size(); ++i) {
    brushes_[i] = CreateSolidBrush(skin_.colours[i]);
    ok = ok && brushes_[i];
  }
  const Fonts system = MakeFonts(platform::dpi::SystemDpi());
  fonts_.push_back(system);
  complete_ = ok && system.menu && system.menuBold && system.caption && system.smallCaption;
}

Palette::~Palette() {
  for (HBRUSH b : brushes_) {
    if (b) DeleteObject(b);
  }
  for (const Fonts& f : fonts_) Free(f);
}

Palette::Fonts Palette::MakeFonts(UINT dpi) {
  Fonts f;
  f.dpi = dpi;
  NONCLIENTMETRICSW metrics{};
  if (!platform::dpi::NonClientMetrics(metrics, dpi)) return f;
  f.menu = CreateFontIndirectW(&metrics.lfMenuFont);
  LOGFONTW bold = metrics.lfMenuFont;
  bold.lfWeight = bold.lfWeight + 300 > 1000 ? 1000 : bold.lfWeight + 300;
  f.menuBold = CreateFontIndirectW(&bold);
  f.caption = CreateFontIndirectW(&metrics.lfCaptionFont);
  f.smallCaption = CreateFontIndirectW(&metrics.lfSmCaptionFont);
  return f;
}

void Palette::Free(const Fonts& f) {
  for (HFONT font : {f.menu, f.menuBold, f.caption, f.smallCaption}) {
    if (font) DeleteObject(font);
  }
}

const Palette::Fonts& Palette::FontsFor(UINT dpi) const {
  for (const Fonts& f : fonts_) {
    if (f.dpi == dpi) return f;
  }
  const Fonts made = MakeFonts(dpi);
  if (!made.menu || !made.menuBold || !made.caption || !made.smallCaption) {
    Free(made);
    return fonts_.front();
  }
  fonts_.push_back(made);
  return fonts_.back();
}

std::optional<COLORREF> Palette::SystemColour(int index) const {
  const auto role = outside::RoleOfSystemColour(index);
  if (!role) return std::nullopt;
  return Colour(*role);
}

HBRUSH Palette::SystemBrush(int index) const {
  const auto role = outside::RoleOfSystemColour(index);
  return role ? Brush(*role) : nullptr;
}

}  // namespace appface

#include "outside/appface/Palette.h"

namespace appface {

Palette::Palette(const outside::SkinFile& skin) : skin_(skin) {
  bool ok = true;
  for (size_t i = 0; i < brushes_.size(); ++i) {
    brushes_[i] = CreateSolidBrush(skin_.colours[i]);
    ok = ok && brushes_[i];
  }
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    menu_ = CreateFontIndirectW(&metrics.lfMenuFont);
    LOGFONTW bold = metrics.lfMenuFont;
    bold.lfWeight = bold.lfWeight + 300 > 1000 ? 1000 : bold.lfWeight + 300;
    menuBold_ = CreateFontIndirectW(&bold);
    caption_ = CreateFontIndirectW(&metrics.lfCaptionFont);
    smallCaption_ = CreateFontIndirectW(&metrics.lfSmCaptionFont);
  }
  complete_ = ok && menu_ && menuBold_ && caption_ && smallCaption_;
}

Palette::~Palette() {
  for (HBRUSH b : brushes_) {
    if (b) DeleteObject(b);
  }
  for (HFONT f : {menu_, menuBold_, caption_, smallCaption_}) {
    if (f) DeleteObject(f);
  }
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

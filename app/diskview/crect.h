// The strips above the disk overview's result panels: static child windows
// of class PIE_CHART_RECT that draw a framed background in the active-border
// colour and texts in their own font. CStripWnd is what they share;
// CCaptionStrip writes one panel's heading ("C盘:" ...); the colour legend
// strip is CLegendStrip (cwnd.h). They hold no data and take no input.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Gdi.h"
#include "app/diskview/PanelWnd.h"
#include "geometry/Geometry.h"

// Create makes a child window of class PIE_CHART_RECT, painted directly.
class CStripWnd : public CPanelWnd {
 public:
  static constexpr const wchar_t* kClassName = L"PIE_CHART_RECT";

 protected:
  // Registers the window class (once per process) and makes the font.
  CStripWnd();
  // The client rectangle filled with COLOR_ACTIVEBORDER in a black frame.
  void DrawBackground(CDC& dc, const geom::Rect& r) const;
  // `text` with its top-left corner at `at`, in the strip's font and
  // COLOR_WINDOWTEXT, on a transparent background.
  void DrawText(CDC& dc, geom::Point at, const std::string& text) const;
  void OnDpiChanged(UINT dpi) override;

 private:
  CFont font_;
};

class CCaptionStrip : public CStripWnd {
 public:
  explicit CCaptionStrip(std::string caption) : caption_(std::move(caption)) {}
  const std::string& Caption() const { return caption_; }
  void Paint(CDC& dc) override;

 private:
  std::string caption_;
};

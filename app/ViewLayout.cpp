#include "app/ViewLayout.h"

namespace layout {

geom::Point ContextMenuPoint(geom::Point screen, geom::Point clientOrigin, int dpi) {
  const int inset = geom::Scale(5, dpi);
  if (screen.x == -1 && screen.y == -1) return {clientOrigin.x + inset, clientOrigin.y + inset};
  return screen;
}

}  // namespace layout

#include "app/ViewLayout.h"

namespace layout {

geom::Point ContextMenuPoint(geom::Point screen, geom::Point clientOrigin) {
  if (screen.x == -1 && screen.y == -1) return {clientOrigin.x + 5, clientOrigin.y + 5};
  return screen;
}

}  // namespace layout

#include "app/SplitterLayout.h"

namespace layout {

EtchedLine SplitterEtchedLine(const geom::Rect& client) {
  return {{client.left, client.top},
          {client.right - 1, client.top},
          {client.left, client.top + 1},
          {client.right - 1, client.top + 1}};
}

}  // namespace layout

// One row of an information page's two-column list, as the page binds it:
// the label of column 0, its image in the page image list, and the value of
// column 1 (none leaves the cell empty).
#pragma once

#include <optional>
#include <string>

namespace parvane {

struct PageRow {
  std::string label;
  int image = 0;
  std::optional<std::string> value;
};

}  // namespace parvane

// The main dialog's layout as its window grows.
#include "timecalc/dialog_layout.h"

#include <algorithm>

#include "res/resource.h"

namespace timecalc {

ControlPlace PlaceInGrownMainDialog(int controlId, ControlPlace inTemplate, int grownX,
                                    int grownY) {
  const int dx = std::max(grownX, 0);
  const int dy = std::max(grownY, 0);
  ControlPlace place = inTemplate;
  if (controlId == res::kIdcTimeEdit) {
    place.width += dx;
    place.height += dy;
  } else {
    place.x += dx;
  }
  return place;
}

}  // namespace timecalc

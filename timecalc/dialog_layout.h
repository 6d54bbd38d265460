// Where the main dialog's controls stand once its window is larger than its template, the same for
// both shells: the list takes all the new room, and the totals, their labels, the hint and the
// about button keep their places beside its right edge. A window never lays out smaller than its
// template, so no control ever comes closer to another than the template puts it.
#pragma once

namespace timecalc {

// A control's place in the dialog's client area, in pixels.
struct ControlPlace {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const ControlPlace&, const ControlPlace&) = default;
};

// The place of control `controlId` (a number of res/resource.h, -1 for a label) whose template
// place is `inTemplate`, in a client area `grownX` wider and `grownY` taller than the template's.
ControlPlace PlaceInGrownMainDialog(int controlId, ControlPlace inTemplate, int grownX, int grownY);

}  // namespace timecalc

// The parts of the FLTK back end that need no display: turning FLTK's key symbols
// and modifier bits into what the program speaks, and turning a window shape into
// the rectangles the X Shape extension takes.
#pragma once

#include <vector>

#include "platform/image.h"
#include "platform/system.h"

namespace platform::fltk {

// The Windows virtual-key code for an FLTK key symbol (Fl::event_key()); 0 for a key
// the program has no code for.
int VirtualKeyFromFltk(int flKey);

// Modifier keys and held mouse buttons from an FLTK event state (Fl::event_state()).
ShiftState ShiftFromFltk(int flState);

// The rectangles whose union is the shape, in client coordinates; right and bottom
// are exclusive and ew, eh size the corner ellipses. Empty for ShapeKind::None or
// for a shape without area. A round rectangle is given row band by row band, the
// pixels chosen exactly as the headless back end decides them, so that the tests
// and the desktop agree on which pixels belong to the window.
std::vector<Rect> ShapeRectangles(ShapeKind kind, int left, int top, int right, int bottom, int ew, int eh);

// Whether the pixel (x, y) lies in a round rectangle: outside the quarter ellipse of
// a corner is outside.
bool InRoundRect(int x, int y, int left, int top, int right, int bottom, int ew, int eh);

}  // namespace platform::fltk

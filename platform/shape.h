// Which pixels of a window belong to its shape. Both back ends ask this one place,
// so the tests' headless windows and the desktop's agree pixel for pixel.
#pragma once

#include <vector>

#include "platform/image.h"
#include "platform/system.h"

namespace platform {

// right and bottom are exclusive; ew, eh size the corner ellipses of a round
// rectangle, which like the window system's own ends one pixel further in (its
// last column and row are right - 2 and bottom - 2). ShapeKind::None is the whole window: true wherever 0 <= x < width.
bool InShape(ShapeKind kind, int left, int top, int right, int bottom, int ew, int eh, int x, int y);

// The rectangles whose union is the shape, as the X Shape extension takes them; a
// round rectangle comes row band by row band. Empty for ShapeKind::None or for a
// shape without area.
std::vector<Rect> ShapeRectangles(ShapeKind kind, int left, int top, int right, int bottom, int ew, int eh);

// The parts of area that none of rects covers, as rectangles that do not overlap:
// where a window paints black around what it shows.
std::vector<Rect> OutsideOf(Rect area, const std::vector<Rect>& rects);

}  // namespace platform

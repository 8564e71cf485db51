// Screen modes and the main window's placement and shape. The skin is drawn for a
// 1024 x 768 window; smaller screens see only its core (or, at 800 x 600, an 800-pixel
// strip around it) and larger ones get the whole window centred with round corners.
#pragma once

#include "platform/system.h"

namespace regwin {

struct Placement {
    int left = 0, top = 0, width = 1024, height = 768;
};

struct Shape {
    platform::ShapeKind kind = platform::ShapeKind::None;
    int left = 0, top = 0, right = 0, bottom = 0, ellipseW = 0, ellipseH = 0;
};

// 800, 801, 1024 or 1025 from the screen size.
int ChooseScreenMode(int screenW, int screenH);
Placement PlaceFor(int mode, int screenW, int screenH);
bool StaysOnTop(int mode);
// Whether the window, as placed, covers the screen (is it, or is larger and hangs
// over its edges): then it asks the window manager for the whole screen, which
// compositors that place windows themselves and taskbars that stay on top would
// otherwise take from it.
bool CoversScreen(int mode);
Shape ShapeFor(int mode);

// Applies the placement (and the black background) to the window.
void PlaceMainWindow(platform::Window& w, int mode, int screenW, int screenH);
// Gives the window its shape; false when the window system refused it.
bool SetWindowShape(platform::Window& w, const Shape& s);
void ReleaseWindowShape();

}  // namespace regwin

#include "app/Regwinu.h"

namespace regwin {
int ChooseScreenMode(int w, int h) {
    if (w == 800 && h == 600) return 800;
    if (w < 1024 || h < 768) return 801;
    if (w == 1024 && h == 768) return 1024;
    return 1025;
}

Placement PlaceFor(int mode, int w, int h) {
    Placement p;
    switch (mode) {
    case 800:
        p.left = -246;
        p.top = -113;
        p.width = 1052;
        break;
    case 801:
        // C++ division truncates toward zero, as the placement rule wants.
        p.left = (w - 745) / 2 - 273;
        p.top = (h - 600) / 2 - 113;
        break;
    case 1024:
        p.left = 0;
        p.top = 0;
        break;
    default:
        p.left = (w - 1024) / 2;
        p.top = (h - 768) / 2;
        break;
    }
    return p;
}

bool StaysOnTop(int mode) { return mode == 800 || mode == 1024; }

// The 1024 x 768 window is the screen exactly; at 800 x 600, and on the other small
// screens, it is larger than the screen and hangs over its edges, which desktops
// that place windows themselves do not allow. Covering the screen, it stays where it
// is put: the window system shows the part the screen holds. Only the centred window
// of a large screen is an ordinary one.
bool CoversScreen(int mode) { return mode != 1025; }

Shape ShapeFor(int mode) {
    using platform::ShapeKind;
    switch (mode) {
    case 800: return {ShapeKind::Rectangle, 246, 113, 1046, 713, 0, 0};
    case 801: return {ShapeKind::Rectangle, 273, 113, 1018, 713, 0, 0};
    case 1025: return {ShapeKind::RoundRectangle, 0, 0, 1025, 769, 15, 15};
    default: return {};
    }
}

void PlaceMainWindow(platform::Window& w, int mode, int screenW, int screenH) {
    Placement p = PlaceFor(mode, screenW, screenH);
    w.SetBounds(p.left, p.top, p.width, p.height);
    w.SetBackground({0, 0, 0});
}

bool SetWindowShape(platform::Window& w, const Shape& s) {
    if (s.kind == platform::ShapeKind::None) return true;
    try {
        return w.SetShape(s.kind, s.left, s.top, s.right, s.bottom, s.ellipseW, s.ellipseH);
    } catch (...) {
        // The caller reports a shape that could not be set by its result.
        return false;
    }
}

// The window owns its shape and lets go of it with the window; nothing is left to
// release here, but shutdown keeps its step so the order of release stays as it is.
void ReleaseWindowShape() {}

}  // namespace regwin

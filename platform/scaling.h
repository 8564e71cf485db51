// Whole-number enlargement of the program's pixels on dense screens. The program
// lays out and draws in its own pixels (the 1024 x 768 main window, the dialogs'
// controls); on a screen of twice or three times the usual density a window system
// shows each of them as a square of f x f device pixels, so that the bitmap fonts
// stay sharp and the window keeps its size to the eye, and it hands the program its
// screen size and its input divided by f. The program never hears of f. Choosing f
// and the arithmetic between the two kinds of pixel are the same for every system
// that scales, and live here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"

namespace platform {

// What the desktop and the user say about the density, as found at start-up.
struct ScaleHints {
    int xftDpi = 0;                  // Xft.dpi of the X resources; 0 when not given
    const char* gdkScale = nullptr;  // GDK_SCALE, nullptr when unset
    const char* forced = nullptr;    // VEMI_SCALE, nullptr when unset
};

inline constexpr int kMaxScale = 8;

// A factor written as a whole number ("2"); 0 for anything else: empty, not a
// number, with something after it, below 1 or above kMaxScale.
int ParseScale(const char* text);

// Xft.dpi from the text of the X resource database (the root window's
// RESOURCE_MANAGER, lines of "name:\tvalue"), rounded down; 0 when it is absent or
// not a positive number.
int XftDpiFromResources(const std::string& database);

// The factor for a device screen of deviceW x deviceH: VEMI_SCALE when it is a whole
// number (1 turns scaling off), else GDK_SCALE when it is one, else Xft.dpi / 96
// rounded down, else 1; then, since the menu's window must fit, the largest factor
// up to that one for which the screen holds 1024f x 768f, and at least 1.
int ChooseScale(const ScaleHints& hints, int deviceW, int deviceH);

// The program pixel that device pixel d shows, d counted from where program pixel 0
// begins: rounded towards minus infinity, so that the f device pixels of a program
// pixel, and only they, give it, also left of or above the origin.
inline int ToProgram(int d, int f) { return d >= 0 ? d / f : -((-d + f - 1) / f); }

// n RGB pixels, each written f times in a row: n * f * 3 bytes into out.
void EnlargeRow(const uint8_t* rgb, int n, int f, uint8_t* out);

// The part r of src (cut to it) enlarged f times, pixel for pixel.
Image Enlarged(const Image& src, Rect r, int f);

// Rectangles of program pixels as device pixels: every side times f, then moved by
// (dx, dy) device pixels.
std::vector<Rect> EnlargedRects(const std::vector<Rect>& rects, int f, int dx = 0, int dy = 0);

// Where a window of the program lies on a device screen.
struct DeviceFrame {
    Rect window;                  // the system's window, in device pixels of the screen
    int originX = 0, originY = 0; // where the client area's pixel (0, 0) begins in it
};

// The frame of a window whose client area has the given bounds (program pixels, on
// the screen). A window that covers the screen (fillsScreen) is the whole device
// screen at its origin whatever its bounds: the part of its client area the screen
// shows is drawn into it where it would have been, and what hangs over the screen's
// edges is simply not drawn. Desktops that place windows themselves (Wayland
// compositors) move a window that hangs over an edge; one that is the screen they
// leave where it is. Any other window is its bounds times f.
DeviceFrame FrameOf(Rect bounds, bool fillsScreen, int deviceW, int deviceH, int f);

}  // namespace platform

// The Windows back end's windows as the system sees them, for the back end's own
// tests.
#pragma once

#include <windows.h>

#include "platform/image.h"
#include "platform/system.h"

namespace platform::win32 {

// The native window behind one of the program's windows; nullptr for a window of
// another back end.
HWND NativeWindow(const Window& w);

// The cursor that a window with this cursor number shows: a picture installed with
// RegisterCursor, otherwise one of the system's own (negative numbers in the
// program's usual numbering, 25 the hand, 0 the arrow). nullptr only for -1, which
// hides the cursor.
HCURSOR CursorFor(const System& sys, int number);

// Draws the w x h rectangle at (sx, sy) of a 24-bit picture (R, G, B rows top-down,
// as the frame buffers hold them) onto a device context at (x, y), as the blue,
// green, red rows padded to 4 bytes that the system takes.
void BlitImage(HDC dc, int x, int y, const Image& picture, int sx, int sy, int w, int h);

}  // namespace platform::win32

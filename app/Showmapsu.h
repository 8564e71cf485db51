// The main window's fixed layout: the hit-testable rectangles and the other fixed
// places, all in client pixels of the 1024 x 768 window.
#pragma once

#include <cstdint>
#include <string>

namespace showmaps {

struct LayoutRect {
    int16_t x, y, w, h;
    // Both edges count: a rectangle covers w + 1 by h + 1 pixels.
    bool Contains(int px, int py) const { return x <= px && px <= x + w && y <= py && py <= y + h; }
};

// Rectangle of a hit id (1-10, 21-24, 31, 32, 41, 42); nullptr for any other id.
const LayoutRect* RectOf(int id);

// 1-10, then 21-24, then 31 and 32; 0 when the point is in none of them.
int HitTest(int x, int y);
// Hint ids: 1-5 the action buttons, 6 the list area, 7 the description, 8 the screenshot.
int HintHitTest(int x, int y);
// 41 the list area, 42 the description area, 0 elsewhere.
int WheelHitTest(int x, int y);

// Texts of the hints 1 to 8 (Windows-1250); "" for 0.
const std::string& HintText(int hintId);

}  // namespace showmaps

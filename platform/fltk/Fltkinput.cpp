#include "platform/fltk/Fltkinput.h"

#include <FL/Enumerations.H>

#include <algorithm>

namespace platform::fltk {

int VirtualKeyFromFltk(int k) {
    if (k >= 'a' && k <= 'z') return k - 'a' + 'A';
    if (k >= 'A' && k <= 'Z') return k;
    if (k >= '0' && k <= '9') return k;
    if (k >= FL_F + 1 && k <= FL_F + 24) return 112 + (k - FL_F - 1);
    if (k >= FL_KP + '0' && k <= FL_KP + '9') return 96 + (k - FL_KP - '0');
    switch (k) {
    case ' ': return kVkSpace;
    case FL_Enter:
    case FL_KP_Enter: return kVkReturn;
    case FL_Escape: return kVkEscape;
    case FL_BackSpace: return kVkBack;
    case FL_Tab: return kVkTab;
    case FL_Shift_L:
    case FL_Shift_R: return kVkShift;
    case FL_Control_L:
    case FL_Control_R: return kVkControl;
    case FL_Alt_L:
    case FL_Alt_R: return kVkMenu;
    case FL_Page_Up: return kVkPrior;
    case FL_Page_Down: return kVkNext;
    case FL_End: return kVkEnd;
    case FL_Home: return kVkHome;
    case FL_Left: return kVkLeft;
    case FL_Up: return kVkUp;
    case FL_Right: return kVkRight;
    case FL_Down: return kVkDown;
    case FL_Insert: return 45;
    case FL_Delete: return 46;
    case FL_Pause: return 19;
    case FL_Caps_Lock: return 20;
    case FL_Print: return 44;
    case FL_Menu: return 93;
    case FL_Num_Lock: return 144;
    case FL_Scroll_Lock: return 145;
    case FL_KP + '*': return 106;
    case FL_KP + '+': return 107;
    case FL_KP + '-': return 109;
    case FL_KP + '.': return 110;
    case FL_KP + '/': return 111;
    // The punctuation keys of a US layout, by their Windows codes.
    case ';': return 186;
    case '=': return 187;
    case ',': return 188;
    case '-': return 189;
    case '.': return 190;
    case '/': return 191;
    case '`': return 192;
    case '[': return 219;
    case '\\': return 220;
    case ']': return 221;
    case '\'': return 222;
    default: return 0;
    }
}

ShiftState ShiftFromFltk(int st) {
    ShiftState s;
    s.shift = (st & FL_SHIFT) != 0;
    s.ctrl = (st & FL_CTRL) != 0;
    s.alt = (st & FL_ALT) != 0;
    s.left = (st & FL_BUTTON1) != 0;
    s.middle = (st & FL_BUTTON2) != 0;
    s.right = (st & FL_BUTTON3) != 0;
    return s;
}

bool InRoundRect(int x, int y, int left, int top, int right, int bottom, int ew, int eh) {
    if (x < left || x >= right || y < top || y >= bottom) return false;
    double rx = ew / 2.0, ry = eh / 2.0;
    if (rx <= 0 || ry <= 0) return true;
    // The pixel's centre against the ellipse of the nearest corner; between the
    // corners the centre itself stands in for it, which is always inside.
    double cx = x < left + rx ? left + rx : (x >= right - rx ? right - rx : x + 0.5);
    double cy = y < top + ry ? top + ry : (y >= bottom - ry ? bottom - ry : y + 0.5);
    double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

std::vector<Rect> ShapeRectangles(ShapeKind kind, int left, int top, int right, int bottom, int ew, int eh) {
    std::vector<Rect> out;
    if (kind == ShapeKind::None || right <= left || bottom <= top) return out;
    if (kind == ShapeKind::Rectangle || ew <= 0 || eh <= 0) {
        out.push_back({left, top, right - left, bottom - top});
        return out;
    }
    // Each row is one run (the shape is convex); rows with the same run form one band.
    for (int y = top; y < bottom; ++y) {
        int from = left;
        while (from < right && !InRoundRect(from, y, left, top, right, bottom, ew, eh)) ++from;
        if (from == right) continue;
        int to = right;
        while (to > from && !InRoundRect(to - 1, y, left, top, right, bottom, ew, eh)) --to;
        if (!out.empty()) {
            Rect& last = out.back();
            if (last.x == from && last.w == to - from && last.y + last.h == y) {
                ++last.h;
                continue;
            }
        }
        out.push_back({from, y, to - from, 1});
    }
    return out;
}

}  // namespace platform::fltk

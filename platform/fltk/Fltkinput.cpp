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

}  // namespace platform::fltk

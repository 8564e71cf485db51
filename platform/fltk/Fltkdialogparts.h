// The parts of the desktop's dialog controls that need no display: the edges of the
// classic look, where a control sits and what colour it stands on, the lines of a
// folder list, the fill of a progress bar, menu texts shown as written, where the
// Enter key goes and how the four buttons of the replace question are laid out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/image.h"

namespace platform::fltk {

// The colours of the classic dialog look.
inline constexpr Rgb kHighlight{255, 255, 255};
inline constexpr Rgb kLightEdge{223, 223, 223};
inline constexpr Rgb kShadow{128, 128, 128};
inline constexpr Rgb kDarkShadow{64, 64, 64};
inline constexpr Rgb kFieldColor{255, 255, 255};
inline constexpr Rgb kProgressBlue{10, 36, 106};

// One horizontal or vertical line, both ends included.
struct EdgeLine {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    Rgb color;
};

// The one-pixel bevels of a panel in r: the outer one along the edge, the inner one
// just inside it (raised: light top and left, shadow bottom and right; lowered the
// other way round). The top and left lines stop one pixel short of the far corner,
// which the bottom and right lines own. inside gets what is left for the panel's
// colour. Lines are given in drawing order.
std::vector<EdgeLine> BevelLines(Rect r, Bevel outer, Bevel inner, Rect* inside);

// The two-pixel edges of buttons and fields (outer ring, then inner ring; each with
// its top and left sides, then its bottom and right ones): raised for a button,
// pressed for a button held down, sunken for fields, lists and check boxes.
enum class Edge { Raised, Sunken, Pressed };
std::vector<EdgeLine> EdgeLines(Rect r, Edge e, Rect* inside);

// Where a part of a box drawn f times larger lies on the device. part is in the
// box's own pixels, counted on a box of (w / f) x (h / f) at (0, 0); box is the box
// in device pixels. Pixels in the far half of the box count from its far edges, so
// that the edges of a box whose size is not a multiple of f (one of FLTK's own
// parts) still lie on its edges; a part across the middle takes the pixels between.
// With f = 1, simply part moved to the box.
Rect ScaledPart(Rect part, Rect box, int f);

// The colour a control is drawn on: its own, else that of the nearest panel with a
// colour, else the button face.
Rgb BackgroundOf(const Control& c);

// Where a control lies in its window's client area: its bounds moved by those of
// every panel it sits in.
Rect WindowBounds(const Control& c);

// A folder list's rows as the list shows them.
struct FolderLine {
    std::string text;  // UTF-8
    int indent = 0;    // pixels from the list's left edge
    bool open = false; // drawn as an open folder
};
inline constexpr int kFolderIndent = 12;
std::vector<FolderLine> FolderLines(const std::vector<FolderRow>& rows);
// The row of the open folder (the deepest one on the way down), -1 when none.
int OpenFolderRow(const std::vector<FolderRow>& rows);

// Width of a progress bar's filled part in a trough inner pixels wide.
int ProgressFill(int inner, int percent);

// A text (Windows-1250) as the UTF-8 label of an FLTK menu item that shows it as
// written: menus read a single '&' as the mark of a shortcut letter.
std::string LiteralLabel(const std::string& cp1250);

// A text (Windows-1250) as the UTF-8 line of an FLTK browser that shows it as
// written: a browser reads an '@' at the start of a line as a formatting code, and
// "@." before it says there is none.
std::string LiteralBrowserLine(const std::string& cp1250);

// Where the Enter key of a dialog goes: a folder list with the focus opens its row
// itself; a button with the focus is pressed, as is the default button otherwise.
struct EnterRoute {
    Control* press = nullptr;  // the button to press
    bool toFocus = false;      // leave the key to the focused control
};
EnterRoute RouteEnter(const std::vector<std::unique_ptr<Control>>& controls, Control* focused);

// The buttons of a message box in a row, left to right from x 0 in the order given:
// every button at least minWidth wide and wide enough for its text plus padding.
struct ButtonSlot {
    int x = 0, w = 0;
};
std::vector<ButtonSlot> LayOutButtons(const std::vector<int>& textWidths, int minWidth, int padding, int gap);

// What the screen shows of a window at bounds (screen coordinates) with the given
// shape (client rectangles; none for the whole window): the box around the shape
// on the screen, cut to the screen. The whole screen when nothing of it shows.
Rect VisiblePart(Rect bounds, const std::vector<Rect>& shape, int screenW, int screenH);
// A w x h window centred on area, moved back onto the screen where it would hang
// over an edge (its top-left corner first, where it is larger than the screen).
Rect CentredIn(Rect area, int w, int h, int screenW, int screenH);

}  // namespace platform::fltk

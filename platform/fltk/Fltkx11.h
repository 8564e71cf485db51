// What FLTK does not offer and the menu needs of X11 directly: window shapes,
// the stay-on-top state, placing a window where FLTK would not (off the screen's
// edges), and telling whether a window manager runs. Kept apart so that the X
// headers (whose macros such as None clash with the program's names) stay here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/image.h"

class Fl_Window;

namespace platform::fltk {

// Opens the display for FLTK; throws std::runtime_error when there is none.
void OpenDisplay();
// The screen's size in device pixels.
int ScreenWidthPx();
int ScreenHeightPx();
void FlushDisplay();
// The X resource database as the desktop left it on the root window when the
// display was opened (Xft.dpi and the like); empty when there is none.
std::string ResourceDatabase();

// True when an EWMH window manager announces itself on the root window.
bool WindowManagerRunning();

// The requests that show a window go out as one batch while one of these lives:
// WindowManagerRunning asks the server only once (a manager that came or went in
// between would not see them any differently), and the window's state list is
// read once and then changed as this batch last wrote it. Saves round trips in
// the moments after a window is mapped, when the manager keeps the server busy.
class ShowingBatch {
public:
    ShowingBatch();
    ~ShowingBatch();
    ShowingBatch(const ShowingBatch&) = delete;
    ShowingBatch& operator=(const ShowingBatch&) = delete;
};

// Asks for (or drops) the stay-on-top state of a shown window. justMapped: the
// window was mapped in this same batch of requests, so the state is also written
// as the window's own property, which a manager that has not read it yet takes
// as the initial state. Without a manager the window is simply raised.
void SetStayOnTop(Fl_Window* w, bool on, bool justMapped);

// FLTK keeps borderless windows out of the taskbar; the menu's main window must be
// there to be brought back after it was minimised.
void ShowInTaskbar(Fl_Window* w, bool justMapped);

// Makes a shown window the modal dialog of owner: the window manager keeps it above
// its owner and sends the owner's activation to it.
void SetModalOwner(Fl_Window* w, Fl_Window* owner, bool justMapped);

// Makes a shown window a dialog for the window manager: a fixed frame whose title
// bar offers only the close box (no minimise, maximise or resize), kept above its
// owner when there is one. Leaves the requests in the output buffer, so that they
// reach the server together with the window's mapping.
void SetDialogFrame(Fl_Window* w, Fl_Window* owner);

// Draws w x h pixels of 24-bit RGB rows (stride bytes apart) at (x, y) of the
// window FLTK is drawing, within its clip, every pixel as a square of scale x scale.
// Does the conversion for the usual true-colour screen of 32-bit pixels itself, in
// bands that stay in the cache, which costs a fraction of FLTK's general one; false
// (nothing drawn) for any other screen, which then takes FLTK's way.
bool PutRgbRows(const unsigned char* rgb, size_t stride, int x, int y, int w, int h, int scale = 1);
// The conversion: n pixels of R, G, B bytes into n little-endian words 0x00RRGGBB.
void RgbToXrgb(const unsigned char* rgb, unsigned char* out, int n);
// The same with every word written scale times: n * scale words.
void RgbToXrgbEnlarged(const unsigned char* rgb, unsigned char* out, int n, int scale);

// Puts a shown window's top-left corner at (x, y), which may be off the screen.
void MoveWindowTo(Fl_Window* w, int x, int y);

// Gives a shown window the union of rects as its shape (drawing and mouse input);
// whole = true takes the shape away. False when the server has no Shape extension.
bool ApplyShape(Fl_Window* w, const std::vector<Rect>& rects, bool whole);

}  // namespace platform::fltk

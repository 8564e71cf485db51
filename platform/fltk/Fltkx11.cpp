#include "platform/fltk/Fltkx11.h"

#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <climits>
#include <iterator>
#include <stdexcept>

namespace platform::fltk {
namespace {

// The window named by a WINDOW-typed property, or 0.
::Window WindowProperty(Display* d, ::Window w, Atom prop) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ::Window result = 0;
    if (XGetWindowProperty(d, w, prop, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success) {
        if (type == XA_WINDOW && format == 32 && count == 1 && data) result = *reinterpret_cast<::Window*>(data);
    }
    if (data) XFree(data);
    return result;
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

// The atoms that FLTK asks for one by one as it takes the display, and those of the
// window manager's protocol that the menu uses. Asked for together, in one round
// trip, when the display opens; Xlib keeps the answers, so that asking for one
// later costs no round trip of its own: some forty at FLTK's start, and those right
// after a window was mapped, when the window manager keeps the server busy. A name
// that FLTK no longer uses costs nothing but its place in the request.
const char* const kAtomNames[] = {
    "WM_DELETE_WINDOW", "WM_PROTOCOLS", "_MOTIF_WM_HINTS", "TARGETS", "CLIPBOARD", "TIMESTAMP",
    "PRIMARY_TIMESTAMP", "CLIPBOARD_TIMESTAMP", "XdndAware", "XdndSelection", "XdndEnter", "XdndTypeList",
    "XdndPosition", "XdndLeave", "XdndDrop", "XdndStatus", "XdndActionCopy", "XdndFinished", "text/uri-list",
    "text/plain;charset=UTF-8", "text/plain;charset=utf-8", "text/plain", "TEXT", "COMPOUND_TEXT", "UTF8_STRING",
    "image/bmp", "image/png", "INCR", "_NET_WM_PID", "_NET_WM_NAME", "_NET_WM_ICON_NAME", "_NET_WM_STATE_FULLSCREEN",
    "_NET_WM_FULLSCREEN_MONITORS", "_NET_WORKAREA", "_NET_WM_ICON", "_NET_ACTIVE_WINDOW", "WM_LOCALE_NAME",
    "_NET_SUPPORTING_WM_CHECK", "_NET_WM_STATE", "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR",
    "_NET_WM_STATE_MODAL", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG"};

// While a ShowingBatch lives: the manager's answer (-1 not asked yet), and the
// state list last written to a window.
int g_heldAnswer = -1;
int g_batches = 0;
::Window g_heldWindow = 0;
std::vector<Atom> g_heldStates;

}  // namespace

ShowingBatch::ShowingBatch() { ++g_batches; }

ShowingBatch::~ShowingBatch() {
    if (--g_batches == 0) {
        g_heldAnswer = -1;
        g_heldWindow = 0;
        g_heldStates.clear();
    }
}

void OpenDisplay() {
    if (fl_display) return;
    Display* d = XOpenDisplay(nullptr);
    // FLTK would end the process itself; the program wants to say why first.
    if (!d) throw std::runtime_error("cannot open the X display");
    Atom atoms[std::size(kAtomNames)];
    XInternAtoms(d, const_cast<char**>(kAtomNames), static_cast<int>(std::size(kAtomNames)), False, atoms);
    fl_open_display(d);
    // A held key repeats as presses only, as the program knows it: without this
    // X sends a release before every repeated press, and the diagnostic panel,
    // which goes away at the first release, would flicker.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(d, True, &supported);
}

std::string ResourceDatabase() {
    const char* db = fl_display ? XResourceManagerString(fl_display) : nullptr;
    return db ? db : "";
}

int ScreenWidthPx() { return DisplayWidth(fl_display, fl_screen); }
int ScreenHeightPx() { return DisplayHeight(fl_display, fl_screen); }
void FlushDisplay() {
    if (fl_display) XFlush(fl_display);
}

bool WindowManagerRunning() {
    if (g_batches > 0 && g_heldAnswer >= 0) return g_heldAnswer == 1;
    Display* d = fl_display;
    Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    ::Window root = DefaultRootWindow(d);
    ::Window child = WindowProperty(d, root, check);
    bool running = false;
    if (child) {
        // A manager that died leaves the root property behind; its check window is
        // then gone, which must not raise an error that ends the program. Reading a
        // property waits for its answer, and the server answers in order: the
        // errors of everything sent before have been handled by then, and this
        // read's own error arrives before the call returns, so the handler catches
        // exactly this one.
        auto old = XSetErrorHandler(IgnoreErrors);
        ::Window self = WindowProperty(d, child, check);
        XSetErrorHandler(old);
        running = self == child;
    }
    if (g_batches > 0) g_heldAnswer = running ? 1 : 0;
    return running;
}

namespace {

// Adds or removes one _NET_WM_STATE entry of a shown window.
void ChangeWindowState(Fl_Window* win, const char* name, bool on, bool justMapped) {
    Display* d = fl_display;
    ::Window w = fl_xid(win);
    if (!w) return;
    Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    Atom atom = XInternAtom(d, name, False);
    bool wm = WindowManagerRunning();
    if (justMapped || !wm) {
        // The property as FLTK left it (or as this batch wrote it a moment ago),
        // with this one state added or taken out.
        std::vector<Atom> atoms;
        if (g_batches > 0 && g_heldWindow == w) {
            for (Atom a : g_heldStates)
                if (a != atom) atoms.push_back(a);
        } else {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(d, w, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
                data && type == XA_ATOM && format == 32) {
                auto* list = reinterpret_cast<Atom*>(data);
                for (unsigned long i = 0; i < count; ++i)
                    if (list[i] != atom) atoms.push_back(list[i]);
            }
            if (data) XFree(data);
        }
        if (on) atoms.push_back(atom);
        XChangeProperty(d, w, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(atoms.data()),
                        static_cast<int>(atoms.size()));
        if (g_batches > 0) {
            g_heldWindow = w;
            g_heldStates = atoms;
        }
    }
    if (wm) {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = w;
        ev.xclient.message_type = state;
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = on ? 1 : 0;  // _NET_WM_STATE_ADD or _REMOVE
        ev.xclient.data.l[1] = static_cast<long>(atom);
        ev.xclient.data.l[2] = 0;
        ev.xclient.data.l[3] = 1;  // from an application
        XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
    }
    XFlush(d);
}

}  // namespace

void SetStayOnTop(Fl_Window* win, bool on, bool justMapped) {
    ChangeWindowState(win, "_NET_WM_STATE_ABOVE", on, justMapped);
    if (on && !WindowManagerRunning() && fl_xid(win)) {
        XRaiseWindow(fl_display, fl_xid(win));
        XFlush(fl_display);
    }
}

void ShowInTaskbar(Fl_Window* win, bool justMapped) { ChangeWindowState(win, "_NET_WM_STATE_SKIP_TASKBAR", false, justMapped); }

void SetModalOwner(Fl_Window* win, Fl_Window* owner, bool justMapped) {
    ::Window w = fl_xid(win), o = owner ? fl_xid(owner) : 0;
    if (!w || !o) return;
    XSetTransientForHint(fl_display, w, o);
    ChangeWindowState(win, "_NET_WM_STATE_MODAL", true, justMapped);
}

void SetDialogFrame(Fl_Window* win, Fl_Window* owner) {
    Display* d = fl_display;
    ::Window w = fl_xid(win);
    if (!w) return;
    Atom type = XInternAtom(d, "_NET_WM_WINDOW_TYPE", False);
    Atom dialog = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(d, w, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&dialog), 1);
    // The Motif hints every manager still reads: flags (functions and decorations
    // given), functions (move and close), decorations (border, title, window menu).
    // FLTK writes its own, which leave minimising in, whenever the size changes.
    enum : long { kFunctions = 1, kDecorations = 2, kFuncMove = 4, kFuncClose = 32 };
    enum : long { kDecorBorder = 2, kDecorTitle = 8, kDecorMenu = 16 };
    long hints[5] = {kFunctions | kDecorations, kFuncMove | kFuncClose, kDecorBorder | kDecorTitle | kDecorMenu, 0, 0};
    Atom motif = XInternAtom(d, "_MOTIF_WM_HINTS", False);
    XChangeProperty(d, w, motif, motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(hints), 5);
    if (owner && fl_xid(owner)) XSetTransientForHint(d, w, fl_xid(owner));
}

namespace {

// True when the screen's pixels are 32-bit words holding 8 bits each of red, green
// and blue, as on practically every desktop; asked once, the visual stays.
bool PlainTrueColour() {
    static int plain = -1;
    if (plain >= 0) return plain == 1;
    plain = 0;
    const XVisualInfo* v = fl_visual;
    if (!fl_display || !v || v->c_class != TrueColor || v->depth != 24 || v->red_mask != 0xFF0000 ||
        v->green_mask != 0x00FF00 || v->blue_mask != 0x0000FF)
        return false;
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(fl_display, &count);
    for (int i = 0; formats && i < count; ++i)
        if (formats[i].depth == 24 && formats[i].bits_per_pixel == 32) plain = 1;
    if (formats) XFree(formats);
    return plain == 1;
}

}  // namespace

void RgbToXrgb(const unsigned char* rgb, unsigned char* out, int n) {
    int i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Four bytes from a pixel on (its R, G, B and the next one's R), turned
        // around and shifted, are the word 0x00RRGGBB. The last pixel has no next
        // one to read into, so it goes the plain way below.
        for (; i + 1 < n; ++i) {
            uint32_t v;
            std::memcpy(&v, rgb + 3 * static_cast<size_t>(i), 4);
            const uint32_t word = __builtin_bswap32(v) >> 8;
            std::memcpy(out + 4 * static_cast<size_t>(i), &word, 4);
        }
    }
    for (; i < n; ++i) {
        const unsigned char* s = rgb + 3 * static_cast<size_t>(i);
        unsigned char* d = out + 4 * static_cast<size_t>(i);
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        d[3] = 0;
    }
}

void RgbToXrgbEnlarged(const unsigned char* rgb, unsigned char* out, int n, int scale) {
    if (scale <= 1) {
        RgbToXrgb(rgb, out, n);
        return;
    }
    for (int i = 0; i < n; ++i) {
        const unsigned char* s = rgb + 3 * static_cast<size_t>(i);
        const uint32_t word = static_cast<uint32_t>(s[0]) << 16 | static_cast<uint32_t>(s[1]) << 8 | s[2];
        unsigned char bytes[4] = {static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
                                  static_cast<unsigned char>(word >> 16), 0};
        for (int k = 0; k < scale; ++k) std::memcpy(out + 4 * (static_cast<size_t>(i) * scale + k), bytes, 4);
    }
}

bool PutRgbRows(const unsigned char* rgb, size_t stride, int x, int y, int w, int h, int scale) {
    if (w <= 0 || h <= 0) return true;
    if (!fl_window || !fl_gc || !PlainTrueColour()) return false;
    scale = std::max(1, scale);
    // Bands of about 64 rows of the screen: converted while the rows are in the
    // cache, and no buffer the size of the window kept for the whole run. An
    // enlarged row is converted once and copied for the rows below it.
    const int kBand = std::max(1, 64 / scale);
    const int dw = w * scale;
    const size_t line = static_cast<size_t>(dw) * 4;
    static std::vector<unsigned char> band;
    band.resize(line * scale * std::min(h, kBand));
    XImage img{};
    img.width = dw;
    img.format = ZPixmap;
    img.data = reinterpret_cast<char*>(band.data());
    // The bytes of a pixel as a little-endian word 0x00RRGGBB; Xlib swaps them for
    // a server of the other byte order.
    img.byte_order = LSBFirst;
    img.bitmap_unit = 32;
    img.bitmap_bit_order = LSBFirst;
    img.bitmap_pad = 32;
    img.depth = 24;
    img.bytes_per_line = dw * 4;
    img.bits_per_pixel = 32;
    img.red_mask = 0xFF0000;
    img.green_mask = 0x00FF00;
    img.blue_mask = 0x0000FF;
    for (int top = 0; top < h; top += kBand) {
        const int rows = std::min(kBand, h - top);
        img.height = rows * scale;
        if (!XInitImage(&img)) return top > 0;
        for (int r = 0; r < rows; ++r) {
            unsigned char* first = band.data() + static_cast<size_t>(r) * scale * line;
            RgbToXrgbEnlarged(rgb + static_cast<size_t>(top + r) * stride, first, w, scale);
            for (int k = 1; k < scale; ++k) std::memcpy(first + k * line, first, line);
        }
        XPutImage(fl_display, fl_window, fl_gc, &img, 0, 0, x, y + top * scale, static_cast<unsigned>(dw),
                  static_cast<unsigned>(rows * scale));
    }
    return true;
}

void MoveWindowTo(Fl_Window* win, int x, int y) {
    ::Window w = fl_xid(win);
    if (!w) return;
    XMoveWindow(fl_display, w, x, y);
    XFlush(fl_display);
}

bool ApplyShape(Fl_Window* win, const std::vector<Rect>& rects, bool whole) {
    Display* d = fl_display;
    ::Window w = fl_xid(win);
    if (!w) return false;
    int event = 0, error = 0;
    if (!XShapeQueryExtension(d, &event, &error)) return false;
    if (whole) {
        XShapeCombineMask(d, w, ShapeBounding, 0, 0, None, ShapeSet);
    } else {
        std::vector<XRectangle> xr;
        for (const Rect& r : rects) {
            if (r.Empty()) continue;
            // X rectangles are 16-bit; the menu's shapes are far inside that.
            if (r.x < SHRT_MIN || r.y < SHRT_MIN || r.x > SHRT_MAX || r.y > SHRT_MAX) continue;
            xr.push_back({static_cast<short>(r.x), static_cast<short>(r.y), static_cast<unsigned short>(std::min(r.w, 65535)),
                          static_cast<unsigned short>(std::min(r.h, 65535))});
        }
        // An empty list is a legitimate shape: nothing of the window shows.
        XShapeCombineRectangles(d, w, ShapeBounding, 0, 0, xr.data(), static_cast<int>(xr.size()), ShapeSet, Unsorted);
    }
    XFlush(d);
    return true;
}

}  // namespace platform::fltk

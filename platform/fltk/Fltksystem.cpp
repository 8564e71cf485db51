#include "platform/fltk/Fltksystem.h"

#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <time.h>
// fl_draw.H brings Xlib in, whose None macro would eat the program's enumerators.
#ifdef None
#undef None
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <map>
#include <random>
#include <stdexcept>

#include "platform/fltk/Fltkcontrols.h"
#include "platform/fltk/Fltkdialogparts.h"
#include "platform/fltk/Fltkfirstpaint.h"
#include "platform/fltk/Fltkheap.h"
#include "platform/fltk/Fltkinput.h"
#include "platform/shape.h"
#include "platform/fltk/Fltkx11.h"
#include "platform/opener.h"
#include "platform/scaling.h"
#include "platform/text.h"

namespace platform::fltk {
namespace {

class FltkSystem;
class FltkWindow;

// The one system object; FLTK's callbacks are plain functions and find it here.
FltkSystem* g_sys = nullptr;

// The X window behind a platform window: it shows the frame buffer, or for a dialog
// its controls' widgets on the button face.
class CanvasWindow : public Fl_Window {
public:
    CanvasWindow(FltkWindow& owner, int w, int h) : Fl_Window(0, 0, w, h), owner_(owner) { end(); }
    void draw() override;
    FltkWindow& Owner() const { return owner_; }

private:
    FltkWindow& owner_;
};

class FltkWindow : public WindowBase {
public:
    FltkWindow(FltkSystem& sys, const WindowStyle& style);
    ~FltkWindow() override;

    void SetBounds(int left, int top, int width, int height) override;
    void SetStayOnTop(bool on) override;
    void SetFullScreen(bool on) override;
    bool SetShape(ShapeKind kind, int left, int top, int right, int bottom, int ew, int eh) override;
    void SetTitle(const std::string& title) override;
    void SetBackground(Rgb c) override;
    void Show() override;
    void Hide() override;
    void ShowModal() override;
    void BeginModal() override;
    void EndModal() override;
    void SetCursor(int number) override;
    void SetOverlay(const OverlayPanel& panel) override;

    // --- the back end's side ---
    void PaintNow();
    // Hands the canvas's new damage to FLTK, which draws it at the next flush.
    void QueueDamage();
    void Draw(int flDamage);
    // After any draw: a cursor still to be given to a window just shown is given now.
    void AfterDraw();
    void ApplyCursor();
    void SetIconLabel(const std::string& utf8);
    void Iconize();
    void Deiconify();
    bool Hiding() const { return hiding_; }
    Fl_Window* Native() const { return win_.get(); }
    bool IsDialog() const { return dialog_; }
    // The part of the screen the window shows: the box around its shape, on the screen.
    Rect SeenOnScreen() const;
    // The client pixel under a point of the X window (device pixels, relative to it).
    int ClientX(int windowX) const { return ToProgram(windowX - frame_.originX, scale_); }
    int ClientY(int windowY) const { return ToProgram(windowY - frame_.originY, scale_); }
    // Enter in a dialog: presses the focused or default button; false when the key
    // belongs to the focused widget.
    bool PressEnter() { return controls_->Enter(Controls()); }
    void NoticePictures() { controls_->NoticePictures(); }
    bool iconified = false;

protected:
    void AttachControl(Control& c) override { controls_->Attach(c); }

private:
    void AfterShow(bool justMapped);
    // Before the window is mapped: the full-screen state as the owner asked for it.
    void AskFullScreen();
    // Gives the X window the place and size of the client area's bounds on the
    // device screen; a window that covers the screen keeps the screen's.
    void PlaceNative();
    bool CoversScreen() const { return fullScreen_ && !dialog_; }
    bool ApplyOwnShape();
    static void ReshapeThunk(void* w) {
        auto* self = static_cast<FltkWindow*>(w);
        if (self->win_->shown()) self->ApplyOwnShape();
    }
    void PutCanvas(Rect r);
    void PutCanvasPart(Rect r);
    void DrawOverlay();
    // The window a dialog stays above: the one it blocks, else the first one shown.
    Fl_Window* DialogOwner() const;

    FltkSystem& sys_;
    const int scale_;
    DeviceFrame frame_;
    bool dialog_ = false;
    bool centred_ = false;
    std::unique_ptr<CanvasWindow> win_;
    std::unique_ptr<ControlWidgets> controls_;
    ShapeKind shapeKind_ = ShapeKind::None;
    std::vector<Rect> shape_;
    std::string label_, iconLabel_;
    std::vector<Rect> pending_;  // canvas rectangles FLTK still has to show
    bool painted_ = false;  // the owner has painted the canvas at least once
    bool hiding_ = false;
    FltkWindow* modalOwner_ = nullptr;  // while shown modally: the window it blocks
    bool cursorPending_ = false;  // shown, and its cursor waits for its first picture
    std::string overlayText_;  // UTF-8
};

struct CursorPicture {
    std::vector<unsigned char> rgba;
    std::unique_ptr<Fl_RGB_Image> image;
    int hotX = 0, hotY = 0;
};

struct Timer {
    double seconds = 0.001;
    std::function<void()> proc;
};

class FltkSystem : public System {
public:
    FltkSystem(int argc, char** argv);
    ~FltkSystem() override;

    void SetAppTitle(const std::string& title) override;
    void SetAppIcon(const std::vector<IconPicture>& pictures) override;
    void Run(Window& mainWindow) override;
    void ProcessMessages() override { Fl::check(); }
    void Terminate() override { terminated_ = true; }
    bool Terminated() const override { return terminated_; }
    void MinimizeApp() override;
    void RestoreApp() override;
    bool AppMinimized() const override { return minimized_; }
    int ScreenWidth() const override { return ScreenWidthPx() / scale_; }
    int ScreenHeight() const override { return ScreenHeightPx() / scale_; }
    int ScaleFactor() const override { return scale_; }
    uint32_t TickCount() const override;
    Date Today() const override;
    uint32_t Random(uint32_t range) override;
    unsigned SetTimer(unsigned ms, std::function<void()> proc) override;
    void KillTimer(unsigned id) override;
    int MessageBox(const std::string& text, const std::string& caption, MsgKind kind, MsgButtons buttons) override;
    std::unique_ptr<Window> CreateWindow(const WindowStyle& style) override;
    bool RegisterCursor(int number, const Image& picture, const Image& mask, int hotX, int hotY) override;
    int ShellExecute(const std::string& file, const std::string& params, const std::string& hostDir) override {
        return OpenWithDesktop(file, params, hostDir);
    }

    // --- for the windows and FLTK's callbacks ---
    void Forget(FltkWindow* w);
    void PushModal(FltkWindow* w) { modal_.push_back(w); }
    void PopModal(FltkWindow* w) { modal_.erase(std::remove(modal_.begin(), modal_.end(), w), modal_.end()); }
    // The window a new modal window blocks: the modal window open now, or else the
    // first window on the screen.
    FltkWindow* ModalOwnerFor(FltkWindow* w) const {
        if (!modal_.empty()) return modal_.back();
        for (FltkWindow* o : windows_)
            if (o != w && o->Visible()) return o;
        return nullptr;
    }
    const CursorPicture* FindCursor(int number) const {
        auto it = cursors_.find(number);
        return it == cursors_.end() ? nullptr : it->second.get();
    }
    const std::string& IconLabel() const { return appTitleUtf8_; }
    // Where a w x h window goes to stand centred on what the screen shows of owner,
    // or on the screen when there is none (or the program is minimised).
    Rect CentredOnOwner(const FltkWindow* owner, int w, int h) const;
    // Runs the pending paints and shows every window's new damage.
    void Pump();
    int Dispatch(int event, Fl_Window* w);
    void FireTimer(unsigned id, void* data);
    void ReportError(const char* what);

private:
    void Input(int event, FltkWindow& w);
    int DialogInput(int event, FltkWindow& w, Fl_Window* window);
    // The event as the program's hook sees it; false for one the program has no
    // words for (a key without a virtual-key code, a button it does not know).
    bool MakeInputEvent(int event, FltkWindow& w, InputEvent& ev, int& steps);
    void NoticeIconified();
    bool DialogOpen() const;

    int scale_ = 1;
    bool terminated_ = false;
    bool minimized_ = false;
    bool painting_ = false;
    std::string appTitle_, appTitleUtf8_;
    std::vector<FltkWindow*> windows_;
    std::vector<FltkWindow*> modal_;
    std::map<int, std::unique_ptr<CursorPicture>> cursors_;
    std::map<unsigned, std::shared_ptr<Timer>> timers_;
    unsigned nextTimer_ = 1;
    std::mt19937 random_;
};

// ---------------------------------------------------------------------------
// FLTK's entry points

int DispatchThunk(int event, Fl_Window* w) { return g_sys ? g_sys->Dispatch(event, w) : Fl::handle_(event, w); }

void CheckThunk(void*) {
    if (g_sys) g_sys->Pump();
}

void TimerThunk(void* data) {
    if (g_sys) g_sys->FireTimer(static_cast<unsigned>(reinterpret_cast<uintptr_t>(data)), data);
}

void CloseThunk(Fl_Widget* w, void*) {
    // FLTK closes a window on Escape when no widget takes the key; a dialog of the
    // program closes only through its close box and its own buttons.
    if (Fl::event() == FL_SHORTCUT || Fl::event() == FL_KEYBOARD) return;
    if (auto* cw = dynamic_cast<CanvasWindow*>(w)) cw->Owner().Close();
}

void CanvasWindow::draw() {
    if (owner_.IsDialog())
        Fl_Window::draw();
    else
        owner_.Draw(damage());
    owner_.AfterDraw();
}

// ---------------------------------------------------------------------------
// FltkWindow

FltkWindow::FltkWindow(FltkSystem& sys, const WindowStyle& style)
    : WindowBase(style.stayOnTop), sys_(sys), scale_(sys.ScaleFactor()), dialog_(style.dialog), centred_(style.centred) {
    win_ = std::make_unique<CanvasWindow>(*this, std::max(1, style.width), std::max(1, style.height));
    if (dialog_) {
        // Framed whatever the style says, of a size the user cannot change.
        win_->color(fl_rgb_color(kButtonFace.r, kButtonFace.g, kButtonFace.b));
        win_->resizable(nullptr);
    } else {
        if (style.borderless) win_->border(0);
        win_->color(FL_BLACK);
    }
    win_->callback(CloseThunk);
    controls_ = std::make_unique<ControlWidgets>(*win_, [&sys](const char* what) { sys.ReportError(what); });
    SetTitle(style.title);
    SetIconLabel(sys.IconLabel());
    SetBounds(0, 0, style.width, style.height);
}

FltkWindow::~FltkWindow() {
    Fl::remove_timeout(ReshapeThunk, this);
    DropControls();
    sys_.PopModal(this);
    sys_.Forget(this);
    hiding_ = true;
    controls_.reset();
    win_.reset();
}

void FltkWindow::SetBounds(int left, int top, int width, int height) {
    if (KeepBounds(left, top, width, height)) pending_.clear();
    PlaceNative();
}

void FltkWindow::SetFullScreen(bool on) {
    if (on == fullScreen_) return;
    fullScreen_ = on;
    PlaceNative();
}

void FltkWindow::PlaceNative() {
    const DeviceFrame old = frame_;
    frame_ = FrameOf({left_, top_, width_, height_}, CoversScreen(), ScreenWidthPx(), ScreenHeightPx(), scale_);
    const Rect& r = frame_.window;
    win_->resize(r.x, r.y, std::max(1, r.w), std::max(1, r.h));
    if (dialog_) win_->size_range(win_->w(), win_->h(), win_->w(), win_->h());
    if (!win_->shown()) return;
    // FLTK moves a shown window only when it believes the position changed, and
    // it may still hold the place it clamped the window to; say it to X directly.
    MoveWindowTo(win_.get(), r.x, r.y);
    // FLTK writes its own frame hints again with the new size.
    if (dialog_) SetDialogFrame(win_.get(), DialogOwner());
    // A window that covers the screen stays where it is: a move is its picture
    // moving inside it, shape and all. The X server draws only within the shape,
    // while a compositor that shows the window whole (Xwayland's) goes on showing
    // what was drawn outside it: the picture where it was. So the shape takes in
    // both places until the next draw has painted the old one black and the
    // server has passed that on, a moment after the last move.
    if (old.originX != frame_.originX || old.originY != frame_.originY) {
        if (shapeKind_ != ShapeKind::None) {
            std::vector<Rect> both = EnlargedRects(shape_, scale_, old.originX, old.originY);
            const std::vector<Rect> now = EnlargedRects(shape_, scale_, frame_.originX, frame_.originY);
            both.insert(both.end(), now.begin(), now.end());
            ApplyShape(win_.get(), both, false);
            Fl::remove_timeout(ReshapeThunk, this);
            Fl::add_timeout(0.1, ReshapeThunk, this);
        }
        win_->damage(FL_DAMAGE_ALL);
    }
    FlushDisplay();
}

bool FltkWindow::ApplyOwnShape() {
    return ApplyShape(win_.get(), EnlargedRects(shape_, scale_, frame_.originX, frame_.originY), shapeKind_ == ShapeKind::None);
}

Rect FltkWindow::SeenOnScreen() const {
    static const std::vector<Rect> kWhole;
    return VisiblePart({left_, top_, width_, height_}, shapeKind_ == ShapeKind::None ? kWhole : shape_, sys_.ScreenWidth(),
                       sys_.ScreenHeight());
}

Fl_Window* FltkWindow::DialogOwner() const {
    FltkWindow* o = modalOwner_ ? modalOwner_ : sys_.ModalOwnerFor(const_cast<FltkWindow*>(this));
    return o && o != this ? o->Native() : nullptr;
}

void FltkWindow::SetStayOnTop(bool on) {
    stayOnTop_ = on;
    if (win_->shown() && !win_->fullscreen_active()) fltk::SetStayOnTop(win_.get(), on, false);
}

bool FltkWindow::SetShape(ShapeKind kind, int left, int top, int right, int bottom, int ew, int eh) {
    shapeKind_ = kind;
    shape_ = ShapeRectangles(kind, left, top, right, bottom, ew, eh);
    if (!win_->shown()) return true;
    return ApplyOwnShape();
}

void FltkWindow::SetTitle(const std::string& title) {
    label_ = Cp1250ToUtf8(title);
    win_->copy_label(label_.c_str());
}

void FltkWindow::SetIconLabel(const std::string& utf8) {
    iconLabel_ = utf8;
    win_->iconlabel(iconLabel_.empty() ? nullptr : iconLabel_.c_str());
}

void FltkWindow::SetBackground(Rgb c) {
    win_->color(fl_rgb_color(c.r, c.g, c.b));
    if (win_->shown()) win_->redraw();
}

void FltkWindow::Show() {
    if (visible_) {
        if (win_->shown()) win_->show();  // raises it
        return;
    }
    visible_ = true;
    if (centred_) {
        // On the window it belongs to, which on a large screen or a small one is not
        // where the screen's middle is.
        const FltkWindow* owner = modalOwner_ ? modalOwner_ : sys_.ModalOwnerFor(this);
        const Rect r = sys_.CentredOnOwner(owner == this ? nullptr : owner, width_, height_);
        SetBounds(r.x, r.y, width_, height_);
    }
    // The owner places and sizes the window as it appears, before it is mapped.
    if (handler_) handler_->OnShow();
    if (!visible_) return;
    controls_->GoLive();
    AskFullScreen();
    win_->show();
    AfterShow(true);
    paintPending_ = true;
}

void FltkWindow::AskFullScreen() {
    if (win_->shown()) return;
    // A manager reads the state list once, when it takes the window on, so the
    // full-screen state must be in it before the window is mapped; FLTK writes it
    // there for a window flagged full-screen. Without a manager FLTK would instead
    // make the window one that the manager never sees and take the keyboard for it;
    // nobody would move the window then anyway, so the flag stays off.
    bool want = CoversScreen() && WindowManagerRunning();
    const Rect& r = frame_.window;
    if (want && !win_->fullscreen_active())
        win_->fullscreen();
    else if (!want && win_->fullscreen_active())
        win_->fullscreen_off(r.x, r.y, std::max(1, r.w), std::max(1, r.h));
}

void FltkWindow::AfterShow(bool justMapped) {
    ShowingBatch batch;
    // A dialog is told to the window manager as one, above the window it belongs
    // to, before anything sends the request that maps it: a manager reads a frame's
    // buttons once, when it takes the window on.
    if (dialog_) SetDialogFrame(win_.get(), DialogOwner());
    // FLTK keeps a new window on the screen; the menu's windows may hang over its
    // edges, so the place is set again now that the window exists.
    MoveWindowTo(win_.get(), frame_.window.x, frame_.window.y);
    if (shapeKind_ != ShapeKind::None) ApplyOwnShape();
    if (justMapped && !dialog_) ShowInTaskbar(win_.get(), true);
    // A full-screen window is above every other, docks and taskbars included, as
    // long as it is the one in use; asking to be kept on top as well puts it, with
    // some managers, among the windows kept on top, which lie below their taskbar.
    if (stayOnTop_ && !win_->fullscreen_active()) fltk::SetStayOnTop(win_.get(), true, justMapped);
    // A window manager may put a window that fills the screen above all others
    // once it is clicked; knowing the modal window as that window's dialog, it
    // keeps the dialog above it and gives it the focus instead.
    if (modalOwner_) SetModalOwner(win_.get(), modalOwner_->Native(), justMapped);
    // A window just mapped gets its cursor with its first picture: making even the
    // arrow loads it from the desktop's cursor theme, which would hold the picture
    // up by up to a millisecond, and until the picture is there the pointer has
    // nothing of the window to be over.
    if (justMapped)
        cursorPending_ = true;
    else
        ApplyCursor();
    FlushDisplay();
}

void FltkWindow::AfterDraw() {
    if (!cursorPending_) return;
    cursorPending_ = false;
    ApplyCursor();
}

void FltkWindow::Hide() {
    visible_ = false;
    iconified = false;
    if (win_->shown()) {
        hiding_ = true;
        win_->hide();
        hiding_ = false;
    }
}

void FltkWindow::Iconize() {
    if (win_->shown()) win_->iconize();
}

void FltkWindow::Deiconify() {
    if (!win_->shown()) return;
    win_->show();
    AfterShow(false);
}

void FltkWindow::ShowModal() {
    modalOwner_ = sys_.ModalOwnerFor(this);
    sys_.PushModal(this);
    Show();
    while (visible_ && !sys_.Terminated()) Fl::wait(1.0);
    sys_.PopModal(this);
    modalOwner_ = nullptr;
}

void FltkWindow::BeginModal() {
    modalOwner_ = sys_.ModalOwnerFor(this);
    sys_.PushModal(this);
    Show();
}

void FltkWindow::EndModal() {
    Hide();
    sys_.PopModal(this);
    modalOwner_ = nullptr;
}

void FltkWindow::SetCursor(int number) {
    cursor_ = number;
    cursorPending_ = false;
    ApplyCursor();
}

void FltkWindow::ApplyCursor() {
    if (!win_->shown()) return;
    if (const CursorPicture* c = sys_.FindCursor(cursor_)) {
        win_->cursor(c->image.get(), c->hotX, c->hotY);
        return;
    }
    // The window system's own cursors, by the program's numbers.
    Fl_Cursor fc = FL_CURSOR_DEFAULT;
    switch (cursor_) {
    case kCursorHourglass:
    case -19: fc = FL_CURSOR_WAIT; break;
    case kCursorHand:
    case -21: fc = FL_CURSOR_HAND; break;
    case -2: fc = FL_CURSOR_ARROW; break;
    case -3: fc = FL_CURSOR_CROSS; break;
    case -4: fc = FL_CURSOR_INSERT; break;
    case -20: fc = FL_CURSOR_HELP; break;
    case -22: fc = FL_CURSOR_MOVE; break;
    default: break;
    }
    win_->cursor(fc);
}

void FltkWindow::SetOverlay(const OverlayPanel& panel) {
    Rect old{overlay_.x, overlay_.y, overlay_.w, overlay_.h};
    bool wasVisible = overlay_.visible;
    overlay_ = panel;
    overlayText_ = Cp1250ToUtf8(panel.text);
    if (!win_->shown()) return;
    // Where the panel was, the canvas shows again; where it is, it is drawn anew.
    if (wasVisible) pending_.push_back(old);
    if (panel.visible) pending_.push_back({panel.x, panel.y, panel.w, panel.h});
    if (!pending_.empty()) win_->damage(FL_DAMAGE_USER1);
}

void FltkWindow::PaintNow() {
    paintPending_ = false;
    if (visible_ && handler_) {
        handler_->OnPaint();
        painted_ = true;
    }
}

void FltkWindow::QueueDamage() {
    std::vector<Rect> d = canvas_.TakeDamage();
    // A dialog shows its controls, not the canvas.
    if (dialog_) return;
    // A window that is not on the screen gets everything with its first expose.
    if (d.empty() || !win_->shown()) return;
    pending_.insert(pending_.end(), d.begin(), d.end());
    if (pending_.size() > 64) {
        Rect all = pending_[0];
        for (const Rect& r : pending_) all = Union(all, r);
        pending_.assign(1, all);
    }
    win_->damage(FL_DAMAGE_USER1);
}

void FltkWindow::PutCanvas(Rect r) {
    r = Intersect(r, {0, 0, canvas_.Width(), canvas_.Height()});
    if (r.Empty()) return;
    // Nothing outside the shape is drawn: a compositor that shows the window whole
    // (Xwayland's do) would show it, and where the picture of a window that covers
    // the screen has moved, what it showed before.
    if (shapeKind_ != ShapeKind::None) {
        for (const Rect& part : shape_) PutCanvasPart(Intersect(r, part));
        return;
    }
    PutCanvasPart(r);
}

void FltkWindow::PutCanvasPart(Rect r) {
    if (r.Empty()) return;
    const unsigned char* first = canvas_.Row(r.y) + static_cast<size_t>(r.x) * 3;
    const size_t stride = static_cast<size_t>(canvas_.Width()) * 3;
    const int x = frame_.originX + r.x * scale_, y = frame_.originY + r.y * scale_;
    if (PutRgbRows(first, stride, x, y, r.w, r.h, scale_)) return;
    if (scale_ == 1) {
        fl_draw_image(first, x, y, r.w, r.h, 3, static_cast<int>(stride));
        return;
    }
    const Image big = Enlarged(canvas_, r, scale_);
    if (!big.Empty()) fl_draw_image(big.Row(0), x, y, big.Width(), big.Height(), 3, big.Width() * 3);
}

void FltkWindow::Draw(int flDamage) {
    const Rect all{0, 0, canvas_.Width(), canvas_.Height()};
    // When the whole canvas changed (the first paint, a full repaint), one transfer
    // of it is all this draw sends: the other changes and the exposed parts lie in it.
    const bool allChanged = std::any_of(pending_.begin(), pending_.end(), [&](const Rect& r) {
        return r.x <= 0 && r.y <= 0 && r.x + r.w >= all.w && r.y + r.h >= all.h;
    });
    // For the start-up benchmark: does this draw put the owner's whole picture up?
    const bool whole = painted_ && FirstPaintWatched() && ((flDamage & ~FL_DAMAGE_USER1) != 0 || allChanged);
    // The damaged rectangles are drawn whatever region an expose set for clipping.
    if (!pending_.empty()) {
        fl_push_no_clip();
        if (allChanged)
            PutCanvas(all);
        else
            for (const Rect& r : pending_) PutCanvas(r);
        fl_pop_clip();
        pending_.clear();
    }
    if (flDamage & ~FL_DAMAGE_USER1) {
        if (!allChanged) PutCanvas(all);
        // Where the window is larger than its canvas (made so by the window
        // manager, or covering the screen), and outside its shape, it shows black.
        fl_color(FL_BLACK);
        const std::vector<Rect> shown =
            shapeKind_ != ShapeKind::None ? shape_ : std::vector<Rect>{{0, 0, canvas_.Width(), canvas_.Height()}};
        for (const Rect& r : OutsideOf({0, 0, win_->w(), win_->h()}, EnlargedRects(shown, scale_, frame_.originX, frame_.originY)))
            fl_rectf(r.x, r.y, r.w, r.h);
    }
    if (overlay_.visible) DrawOverlay();
    if (whole) ReportFirstPaint(win_.get());
}

void FltkWindow::DrawOverlay() {
    const OverlayPanel& p = overlay_;
    if (p.w <= 0 || p.h <= 0) return;
    const int s = scale_;
    const int x = frame_.originX + p.x * s, y = frame_.originY + p.y * s, w = p.w * s, h = p.h * s;
    fl_push_no_clip();
    fl_push_clip(x, y, w, h);
    fl_color(FL_BLACK);
    fl_rectf(x, y, w, h);
    // A lowered bevel: the shadow along the top and left, the light along the
    // bottom and right.
    fl_color(fl_rgb_color(128, 128, 128));
    fl_rectf(x, y, w, s);
    fl_rectf(x, y, s, h);
    fl_color(FL_WHITE);
    fl_rectf(x, y + h - s, w, s);
    fl_rectf(x + w - s, y, s, h);
    fl_font(FL_HELVETICA, 11 * s);
    fl_draw(overlayText_.c_str(), x + 8 * s, y + 8 * s + fl_height() - fl_descent());
    fl_pop_clip();
    fl_pop_clip();
}

// ---------------------------------------------------------------------------
// FltkSystem

namespace {

// The generator only picks banners and the like, so the clock is seed enough.
// std::random_device is avoided on purpose: the runtime linked into the shipped
// program draws its entropy through a C library call (arc4random) that only the
// newest desktops have, and the program would not start on the others.
uint32_t ClockSeed() {
    const uint64_t ns = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
                        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return static_cast<uint32_t>(ns ^ (ns >> 32));
}

// FLTK reads its global options (visible focus, dragging text, tooltips, ...) from
// preference files the first time a widget asks for one, and writes those files
// back: ~/.fltk/fltk.org/fltk.prefs, and for the administrator /etc/fltk as well.
// A program started from a disc must leave nothing behind, so the options are
// marked as read before any widget asks, and keep FLTK's own defaults. The flag is
// private to Fl; an explicit instantiation may name it, and hands its address out
// through a friend function.
struct OptionsReadFlag {
    using Type = unsigned char*;
    friend Type AddressOf(OptionsReadFlag);
};
template <typename Tag, typename Tag::Type Address>
struct StaticAddress {
    friend typename Tag::Type AddressOf(Tag) { return Address; }
};
template struct StaticAddress<OptionsReadFlag, &Fl::options_read_>;

void KeepOptionsFromPreferenceFiles() {
    *AddressOf(OptionsReadFlag{}) = 1;
    Fl::option(Fl::OPTION_ARROW_FOCUS, false);
    Fl::option(Fl::OPTION_VISIBLE_FOCUS, true);
    Fl::option(Fl::OPTION_DND_TEXT, true);
    Fl::option(Fl::OPTION_SHOW_TOOLTIPS, true);
    Fl::option(Fl::OPTION_FNFC_USES_GTK, true);
}

}  // namespace

FltkSystem::FltkSystem(int /*argc*/, char** /*argv*/) : random_(ClockSeed()) {
    if (g_sys) throw std::logic_error("only one window system per process");
    PrepareHeap();
    KeepOptionsFromPreferenceFiles();
    OpenDisplay();
    Fl::visual(FL_RGB);
    // Desktops group a program's windows, and find its icon and launcher, by the
    // window class; one fixed name, whatever the disc calls the file (VEMI32 on a
    // disc burnt in capitals) or wherever it is started from. FLTK gives the class
    // its capital: "vemi32", "Vemi32".
    Fl_Window::default_xclass("vemi32");
    // On a dense screen every window is shown enlarged by a whole factor: what the
    // desktop says of its density, or VEMI_SCALE.
    ScaleHints hints;
    hints.xftDpi = XftDpiFromResources(ResourceDatabase());
    hints.gdkScale = std::getenv("GDK_SCALE");
    hints.forced = std::getenv("VEMI_SCALE");
    scale_ = ChooseScale(hints, ScreenWidthPx(), ScreenHeightPx());
    RegisterDialogLook(scale_);
    g_sys = this;
    Fl::event_dispatch(DispatchThunk);
    Fl::add_check(CheckThunk);
}

FltkSystem::~FltkSystem() {
    for (auto& [id, t] : timers_) Fl::remove_timeout(TimerThunk, reinterpret_cast<void*>(static_cast<uintptr_t>(id)));
    timers_.clear();
    Fl::remove_check(CheckThunk);
    Fl::event_dispatch(nullptr);
    g_sys = nullptr;
}

void FltkSystem::SetAppTitle(const std::string& title) {
    appTitle_ = title;
    appTitleUtf8_ = Cp1250ToUtf8(title);
    for (FltkWindow* w : windows_) w->SetIconLabel(appTitleUtf8_);
}

void FltkSystem::SetAppIcon(const std::vector<IconPicture>& pictures) {
    // FLTK copies the pictures: into every window made from now on, and into the
    // ones there are.
    std::vector<std::unique_ptr<Fl_RGB_Image>> images;
    std::vector<const Fl_RGB_Image*> list;
    for (const IconPicture& p : pictures) {
        if (p.size <= 0 || p.rgba.size() != static_cast<size_t>(p.size) * p.size * 4) continue;
        images.push_back(std::make_unique<Fl_RGB_Image>(p.rgba.data(), p.size, p.size, 4));
        list.push_back(images.back().get());
    }
    const int n = static_cast<int>(list.size());
    Fl_Window::default_icons(list.data(), n);
    for (FltkWindow* w : windows_) w->Native()->icons(list.data(), n);
    FlushDisplay();
}

Rect FltkSystem::CentredOnOwner(const FltkWindow* owner, int w, int h) const {
    const int sw = ScreenWidth(), sh = ScreenHeight();
    const Rect area = owner && owner->Visible() && !minimized_ ? owner->SeenOnScreen() : Rect{0, 0, sw, sh};
    return CentredIn(area, w, h, sw, sh);
}

void FltkSystem::Run(Window& mainWindow) {
    if (!mainWindow.Visible()) mainWindow.Show();
    while (!terminated_ && mainWindow.Visible()) Fl::wait(1.0);
}

void FltkSystem::MinimizeApp() {
    if (minimized_) return;
    minimized_ = true;
    for (FltkWindow* w : std::vector<FltkWindow*>(windows_))
        if (w->Visible()) {
            w->iconified = true;
            w->Iconize();
        }
    FlushDisplay();
    if (onMinimize) onMinimize();
}

void FltkSystem::RestoreApp() {
    if (!minimized_) return;
    minimized_ = false;
    for (FltkWindow* w : std::vector<FltkWindow*>(windows_))
        if (w->Visible() && w->iconified) {
            w->iconified = false;
            w->Deiconify();
        }
    if (onRestore) onRestore();
    for (FltkWindow* w : windows_)
        if (w->Visible()) w->Invalidate();
    Pump();
}

void FltkSystem::NoticeIconified() {
    if (minimized_) return;
    minimized_ = true;
    if (onMinimize) onMinimize();
}

uint32_t FltkSystem::TickCount() const {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

Date FltkSystem::Today() const {
    time_t now = time(nullptr);
    struct tm t{};
    localtime_r(&now, &t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday};
}

uint32_t FltkSystem::Random(uint32_t range) {
    if (range == 0) return 0;
    return std::uniform_int_distribution<uint32_t>(0, range - 1)(random_);
}

unsigned FltkSystem::SetTimer(unsigned ms, std::function<void()> proc) {
    unsigned id = nextTimer_++;
    if (nextTimer_ == 0) nextTimer_ = 1;
    auto t = std::make_shared<Timer>();
    t->seconds = std::max(1u, ms) / 1000.0;
    t->proc = std::move(proc);
    timers_[id] = t;
    Fl::add_timeout(t->seconds, TimerThunk, reinterpret_cast<void*>(static_cast<uintptr_t>(id)));
    return id;
}

void FltkSystem::KillTimer(unsigned id) {
    if (timers_.erase(id)) Fl::remove_timeout(TimerThunk, reinterpret_cast<void*>(static_cast<uintptr_t>(id)));
}

void FltkSystem::FireTimer(unsigned id, void* data) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    std::shared_ptr<Timer> t = it->second;  // the procedure may kill its own timer
    Fl::repeat_timeout(t->seconds, TimerThunk, data);
    try {
        t->proc();
    } catch (const std::exception& e) {
        ReportError(e.what());
    }
    Pump();
}

void FltkSystem::ReportError(const char* what) { MessageBox(what ? what : "", appTitle_, MsgKind::Error, MsgButtons::Ok); }

int FltkSystem::MessageBox(const std::string& text, const std::string& caption, MsgKind kind, MsgButtons buttons) {
    std::string body = Cp1250ToUtf8(text);
    std::string title = Cp1250ToUtf8(caption.empty() ? appTitle_ : caption);
    Pump();
    // The boxes are the program's own rather than FLTK's, which has three buttons
    // at most and lays its boxes out at one size only. Enter answers the first
    // button; Escape and the close box answer as Windows does: "Nie" to a yes-or-no
    // question, "Anuluj" where there is one, "OK" where it is all there is.
    BoxQuestion q{body, title, 0, {}, kIdOk};
    switch (kind) {
    case MsgKind::Information: q.icon = 'i'; break;
    case MsgKind::Error: q.icon = '!'; break;
    case MsgKind::Question: q.icon = '?'; break;
    case MsgKind::Plain: break;
    }
    switch (buttons) {
    case MsgButtons::Ok: q.buttons = {{"OK", kIdOk}}; break;
    case MsgButtons::YesNo:
        q.buttons = {{"Tak", kIdYes}, {"Nie", kIdNo}};
        q.closeResult = kIdNo;
        break;
    case MsgButtons::YesAllNoCancel:
        q.buttons = {{"Tak", kIdYes}, {"Tak na wszystkie", kIdYesAll}, {"Nie", kIdNo}, {"Anuluj", kIdCancel}};
        q.closeResult = kIdCancel;
        break;
    }
    // On what the screen shows of the window it belongs to, and above the menu's
    // windows that stay on top.
    FltkWindow* owner = ModalOwnerFor(nullptr);
    return AskBox(q, [this, owner](int w, int h) { return CentredOnOwner(owner, w, h); }, [owner](Fl_Window& box) {
        fltk::SetStayOnTop(&box, true, true);
        if (owner) SetModalOwner(&box, owner->Native(), true);
        FlushDisplay();
    });
}

std::unique_ptr<Window> FltkSystem::CreateWindow(const WindowStyle& style) {
    auto w = std::make_unique<FltkWindow>(*this, style);
    windows_.push_back(w.get());
    return w;
}

void FltkSystem::Forget(FltkWindow* w) { windows_.erase(std::remove(windows_.begin(), windows_.end(), w), windows_.end()); }

bool FltkSystem::RegisterCursor(int number, const Image& picture, const Image& mask, int hotX, int hotY) {
    if (picture.Empty()) return false;
    auto c = std::make_unique<CursorPicture>();
    // The cursor is enlarged with everything else.
    const int f = scale_;
    int w = picture.Width(), h = picture.Height();
    bool useMask = mask.Width() == w && mask.Height() == h;
    c->rgba.resize(static_cast<size_t>(w) * h * 4 * f * f);
    for (int y = 0; y < h * f; ++y)
        for (int x = 0; x < w * f; ++x) {
            Rgb p = picture.Pixel(x / f, y / f);
            Rgb m = useMask ? mask.Pixel(x / f, y / f) : Rgb{255, 255, 255};
            unsigned char* o = &c->rgba[(static_cast<size_t>(y) * w * f + x) * 4];
            o[0] = p.r, o[1] = p.g, o[2] = p.b;
            o[3] = (m.r + m.g + m.b) >= 3 * 128 ? 255 : 0;
        }
    c->image = std::make_unique<Fl_RGB_Image>(c->rgba.data(), w * f, h * f, 4);
    c->hotX = std::clamp(hotX, 0, w - 1) * f;
    c->hotY = std::clamp(hotY, 0, h - 1) * f;
    cursors_[number] = std::move(c);
    for (FltkWindow* win : windows_)
        if (win->Cursor() == number) win->ApplyCursor();
    return true;
}

void FltkSystem::Pump() {
    if (!painting_) {
        painting_ = true;
        for (int round = 0; round < 4; ++round) {
            bool any = false;
            for (FltkWindow* w : std::vector<FltkWindow*>(windows_))
                if (w->PaintPending() && w->Visible() && !minimized_) {
                    any = true;
                    // As with any handler, an error while painting is shown and the
                    // program goes on.
                    try {
                        w->PaintNow();
                    } catch (const std::exception& e) {
                        ReportError(e.what());
                    }
                }
            if (!any) break;
        }
        painting_ = false;
    }
    for (FltkWindow* w : windows_) {
        if (w->IsDialog() && w->Visible()) w->NoticePictures();
        w->QueueDamage();
    }
    Fl::flush();
}

bool FltkSystem::DialogOpen() const {
    Fl_Window* m = Fl::modal();
    return m && !dynamic_cast<CanvasWindow*>(m);
}

int FltkSystem::Dispatch(int event, Fl_Window* window) {
    auto* cw = dynamic_cast<CanvasWindow*>(window);
    if (!cw) return Fl::handle_(event, window);
    FltkWindow& w = cw->Owner();
    try {
        switch (event) {
        case FL_PUSH:
        case FL_RELEASE:
        case FL_MOVE:
        case FL_DRAG:
        case FL_MOUSEWHEEL:
        case FL_KEYBOARD:
        case FL_KEYUP:
            if (w.IsDialog()) return DialogInput(event, w, window);
            Input(event, w);
            Pump();
            return 1;
        case FL_CLOSE:
            if (!DialogOpen() && (modal_.empty() || modal_.back() == &w)) w.Close();
            Pump();
            return 1;
        case FL_HIDE:
            // Unmapped while the program still shows it: the window manager
            // minimised it.
            if (w.Visible() && !w.Hiding()) {
                w.iconified = true;
                NoticeIconified();
            }
            break;
        case FL_SHOW:
            if (w.iconified) {
                w.iconified = false;
                if (minimized_) RestoreApp();
            }
            break;
        default: break;
        }
    } catch (const std::exception& e) {
        ReportError(e.what());
        // A dialog's input must not reach its widgets a second time.
        if (w.IsDialog()) return 1;
    }
    return Fl::handle_(event, window);
}

bool FltkSystem::MakeInputEvent(int event, FltkWindow& w, InputEvent& ev, int& steps) {
    ev = InputEvent{};
    ev.target = &w;
    ev.screenX = ToProgram(Fl::event_x_root(), scale_);
    ev.screenY = ToProgram(Fl::event_y_root(), scale_);
    ev.shift = ShiftFromFltk(Fl::event_state());
    auto setHeld = [&](Button b, bool down) {
        if (b == Button::Left) ev.shift.left = down;
        if (b == Button::Right) ev.shift.right = down;
        if (b == Button::Middle) ev.shift.middle = down;
    };
    auto button = [] {
        switch (Fl::event_button()) {
        case FL_LEFT_MOUSE: return Button::Left;
        case FL_MIDDLE_MOUSE: return Button::Middle;
        case FL_RIGHT_MOUSE: return Button::Right;
        default: return Button::None;
        }
    };
    steps = 1;
    switch (event) {
    case FL_PUSH:
        ev.type = EventType::MouseDown;
        ev.button = button();
        if (ev.button == Button::None) return false;
        setHeld(ev.button, true);
        // Without a window manager a minimised window stays on the screen; a
        // press on it is the user taking it back.
        if (minimized_) RestoreApp();
        break;
    case FL_RELEASE:
        ev.type = EventType::MouseUp;
        ev.button = button();
        if (ev.button == Button::None) return false;
        setHeld(ev.button, false);
        break;
    case FL_MOVE:
    case FL_DRAG: ev.type = EventType::MouseMove; break;
    case FL_MOUSEWHEEL:
        if (Fl::event_dy() == 0) return false;
        ev.type = EventType::Wheel;
        ev.wheel = Fl::event_dy() < 0 ? 1 : -1;  // FLTK counts downwards
        steps = std::min(std::abs(Fl::event_dy()), 16);
        break;
    case FL_KEYBOARD:
    case FL_KEYUP: {
        ev.type = event == FL_KEYBOARD ? EventType::KeyDown : EventType::KeyUp;
        ev.key = VirtualKeyFromFltk(Fl::event_key());
        if (ev.key == 0) return false;
        // X reports the modifiers as they were before this key; the program
        // expects them as they are after it.
        bool down = event == FL_KEYBOARD;
        if (ev.key == kVkShift) ev.shift.shift = down;
        if (ev.key == kVkControl) ev.shift.ctrl = down;
        if (ev.key == kVkMenu) ev.shift.alt = down;
        break;
    }
    default: return false;
    }
    return true;
}

void FltkSystem::Input(int event, FltkWindow& w) {
    InputEvent ev;
    int steps = 1;
    if (!MakeInputEvent(event, w, ev, steps)) return;
    // While one of FLTK's own boxes is open the menu's windows rest, and the box's
    // loop, like the system's, passes nothing through the program's hook.
    if (DialogOpen()) return;
    int cx = w.ClientX(Fl::event_x()), cy = w.ClientY(Fl::event_y());
    for (int i = 0; i < steps; ++i) {
        if (Hooked(ev)) continue;
        // A modal window takes all input; the others see only the hook.
        if (!modal_.empty() && modal_.back() != &w) continue;
        w.Deliver(ev, cx, cy);
    }
}

int FltkSystem::DialogInput(int event, FltkWindow& w, Fl_Window* window) {
    // FLTK's own boxes and an open drop-down list hold the input themselves.
    if (DialogOpen() || Fl::grab()) return Fl::handle_(event, window);
    InputEvent ev;
    int steps = 1;
    // The hook sees what the program has words for; typed letters without a key
    // code of their own (the Polish ones) go straight to the widgets.
    if (MakeInputEvent(event, w, ev, steps) && Hooked(ev)) {
        Pump();
        return 1;
    }
    // A modal window above this one takes all input.
    if ((!modal_.empty() && modal_.back() != &w) || !w.Visible()) {
        Pump();
        return 1;
    }
    if (event == FL_KEYBOARD && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter) && w.PressEnter()) {
        Pump();
        return 1;
    }
    int used = Fl::handle_(event, window);
    Pump();
    return used;
}

}  // namespace

}  // namespace platform::fltk

std::unique_ptr<platform::System> CreateFltkSystem(int argc, char** argv) {
    return std::make_unique<platform::fltk::FltkSystem>(argc, argv);
}

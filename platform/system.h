// Everything the program asks of the window system: the application and its message
// loop, windows, input, timers, the clock, message boxes, cursors and the shell.
// The logic talks only to these types; each window system implements them in a
// folder of its own beside this file, and the build picks one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/image.h"
#include "platform/resources.h"

namespace platform {

enum class Button { None = 0, Left = 1, Right = 2, Middle = 3 };

struct ShiftState {
    bool shift = false, ctrl = false, alt = false;
    bool left = false, right = false, middle = false;  // mouse buttons held
};

// Windows virtual-key codes: the program's key handling is written in them and each
// back end translates its own key symbols.
enum VirtualKey : int {
    kVkBack = 8, kVkTab = 9, kVkReturn = 13, kVkShift = 16, kVkControl = 17, kVkMenu = 18,
    kVkEscape = 27, kVkSpace = 32, kVkPrior = 33, kVkNext = 34, kVkEnd = 35, kVkHome = 36,
    kVkLeft = 37, kVkUp = 38, kVkRight = 39, kVkDown = 40,
};

// Cursor numbers of the program's cursor table.
enum CursorNumber : int { kCursorDefault = 0, kCursorHourglass = -11, kCursorHand = 25 };

class Window;

enum class EventType { MouseDown, MouseUp, MouseMove, Wheel, KeyDown, KeyUp };

// One input message as the message hook sees it, before it reaches any window.
struct InputEvent {
    EventType type = EventType::MouseMove;
    Button button = Button::None;
    bool doubleClick = false;
    int screenX = 0, screenY = 0;
    int wheel = 0;  // +1 one notch up (away from the user), -1 down
    int key = 0;    // virtual-key code
    ShiftState shift;
    Window* target = nullptr;
};

// What a window tells its owner. Coordinates are client coordinates.
class WindowHandler {
public:
    virtual ~WindowHandler() = default;
    virtual void OnPaint() {}
    virtual void OnShow() {}
    virtual void OnMouseDown(Button, ShiftState, int /*x*/, int /*y*/) {}
    virtual void OnMouseUp(Button, ShiftState, int /*x*/, int /*y*/) {}
    virtual void OnMouseMove(ShiftState, int /*x*/, int /*y*/) {}
    // delta > 0 is up. Returns handled.
    virtual bool OnMouseWheel(int /*delta*/, ShiftState, int /*screenX*/, int /*screenY*/) { return false; }
    virtual void OnKeyDown(int /*key*/, ShiftState) {}
    virtual void OnKeyUp(int /*key*/, ShiftState) {}
    virtual bool OnCloseQuery() { return true; }
    virtual void OnClose() {}
};

struct WindowStyle {
    bool borderless = true;
    bool stayOnTop = false;
    std::string title;  // Windows-1250
    int width = 640, height = 480;
    // A dialog: a fixed-size frame whose title bar offers only the close box, the
    // button-face background, and ordinary controls (AddControl) instead of a
    // frame buffer of the program's own.
    bool dialog = false;
    // Centred on the screen whenever it is shown.
    bool centred = false;
};

enum class ShapeKind { None, Rectangle, RoundRectangle };

// A black panel with a one-line label laid over a window's client area; the
// diagnostic panel is one.
struct OverlayPanel {
    bool visible = false;
    int x = 0, y = 0, w = 0, h = 0;
    std::string text;  // Windows-1250
};

class Window {
public:
    virtual ~Window() = default;
    virtual void SetHandler(WindowHandler* h) = 0;
    // Client size and the window's position on the screen; positions may be negative.
    virtual void SetBounds(int left, int top, int width, int height) = 0;
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetStayOnTop(bool on) = 0;
    virtual bool StayOnTop() const = 0;
    // Asks the window manager to treat the window as covering the whole screen: at
    // the screen's origin, above docks and taskbars. For a window whose bounds are
    // the screen's, or larger and hanging over its edges (which desktops that place
    // windows themselves would not allow): the back end then shows the window
    // through one the size of the screen, with the same picture where the bounds put
    // it, and the input at the same client coordinates. Takes effect when the window
    // is next shown.
    virtual void SetFullScreen(bool on) = 0;
    virtual bool FullScreen() const = 0;
    // Outside the shape the window neither draws nor takes the mouse. right and
    // bottom are exclusive; ew, eh size the corner ellipses of a round rectangle.
    virtual bool SetShape(ShapeKind kind, int left, int top, int right, int bottom, int ew = 0, int eh = 0) = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetBackground(Rgb c) = 0;
    // The client area's frame buffer. Drawing on it records damage; the back end
    // shows the damaged rectangles when control returns to the message loop.
    virtual Image& Canvas() = 0;
    // Asks for a full paint (OnPaint) from the message loop.
    virtual void Invalidate() = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool Visible() const = 0;
    // Shows the window and runs a nested message loop until it is closed.
    virtual void ShowModal() = 0;
    // Shows the window as the one that takes all input, as ShowModal does, but
    // returns at once: the caller goes on with a long job, hands the loop its
    // messages now and then (ProcessMessages) and ends with EndModal, which hides
    // the window and gives input back. A progress window with a cancel button.
    virtual void BeginModal() = 0;
    virtual void EndModal() = 0;
    // Asks OnCloseQuery, then hides the window and calls OnClose.
    virtual void Close() = 0;
    virtual void SetCursor(int number) = 0;
    virtual int Cursor() const = 0;
    virtual void SetOverlay(const OverlayPanel& panel) = 0;
    virtual const OverlayPanel& Overlay() const = 0;
    // The system's own handle of the window (an HWND on Windows), for the host's
    // shell calls that open windows of their own on the program's behalf (the
    // folder copy's progress and questions) and must know whom they belong to, or
    // they open behind the program's windows that stay on top. nullptr when the
    // window system has none to give.
    virtual void* NativeHandle() const { return nullptr; }
    void ScreenToClient(int& x, int& y) const {
        x -= Left();
        y -= Top();
    }

    // Controls of a dialog window, owned by the window. parent is a panel of this
    // window or nullptr for the client area. Add the controls in the order they lie
    // on top of each other: a later control is drawn above an earlier one.
    Control& AddControl(ControlKind kind, Control* parent, const std::string& name) {
        controls_.push_back(std::make_unique<Control>(kind, parent, name));
        Control& c = *controls_.back();
        AttachControl(c);
        return c;
    }
    const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
    Control* FindControl(const std::string& name) const {
        for (auto& c : controls_)
            if (c->Name() == name) return c.get();
        return nullptr;
    }

protected:
    // The back end gives a new control its peer.
    virtual void AttachControl(Control& c) = 0;
    // Controls go before the back end's own parts, which their peers refer to.
    void DropControls() { controls_.clear(); }

private:
    std::vector<std::unique_ptr<Control>> controls_;
};

// What every back end's window keeps alike: the handler, the client area's bounds
// and its frame buffer, stay-on-top, visibility, the cursor number and the overlay
// panel; the closing sequence; and the hand-over of an input event to the handler.
// A back end adds what its system needs, shows this state and turns its system's
// events into calls of Deliver.
class WindowBase : public Window {
public:
    void SetHandler(WindowHandler* h) override { handler_ = h; }
    WindowHandler* Handler() const { return handler_; }
    int Left() const override { return left_; }
    int Top() const override { return top_; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool StayOnTop() const override { return stayOnTop_; }
    // A system that places windows itself, where they are asked to be, keeps the
    // request and nothing else.
    void SetFullScreen(bool on) override { fullScreen_ = on; }
    bool FullScreen() const override { return fullScreen_; }
    Image& Canvas() override { return canvas_; }
    void Invalidate() override { paintPending_ = true; }
    bool Visible() const override { return visible_; }
    int Cursor() const override { return cursor_; }
    const OverlayPanel& Overlay() const override { return overlay_; }
    bool PaintPending() const { return paintPending_; }
    // Asks OnCloseQuery, hides the window, then tells OnClose.
    void Close() override;
    // Hands one input event to the handler, at client coordinates for the mouse.
    // A hidden window or one without a handler takes nothing. Returns what the
    // handler says of a wheel notch (handled or not), true for everything else.
    bool Deliver(const InputEvent& ev, int clientX, int clientY);

protected:
    explicit WindowBase(bool stayOnTop) : stayOnTop_(stayOnTop) {}
    // Keeps the new bounds. A new size gives the canvas that size (tracking damage)
    // and asks for a full paint; true then.
    bool KeepBounds(int left, int top, int width, int height);
    // Between the hiding and OnClose, for a back end that notes closings.
    virtual void Closing() {}

    WindowHandler* handler_ = nullptr;
    int left_ = 0, top_ = 0, width_ = -1, height_ = -1;
    bool stayOnTop_ = false;
    bool fullScreen_ = false;
    bool visible_ = false;
    bool paintPending_ = false;
    int cursor_ = kCursorDefault;
    OverlayPanel overlay_;
    Image canvas_;
};

enum class MsgKind { Plain, Information, Error, Question };
// YesAllNoCancel asks before replacing a file: "Tak", "Tak na wszystkie", "Nie", "Anuluj".
enum class MsgButtons { Ok, YesNo, YesAllNoCancel };
enum MsgResult : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7, kIdYesAll = 100 };

struct Date {
    int year = 2000, month = 1, day = 1;
};

class System {
public:
    virtual ~System() = default;

    // The application.
    virtual void SetAppTitle(const std::string& title) = 0;
    // The program's icon for the desktop's taskbar and window frames, at several
    // sizes: every window carries it, those made before the call too. A system that
    // takes the icon from the program file has nothing to do.
    virtual void SetAppIcon(const std::vector<IconPicture>& /*pictures*/) {}
    // Runs the message loop until the main window closes or Terminate is called.
    virtual void Run(Window& mainWindow) = 0;
    virtual void ProcessMessages() = 0;
    virtual void Terminate() = 0;
    virtual bool Terminated() const = 0;
    virtual void MinimizeApp() = 0;
    virtual void RestoreApp() = 0;
    virtual bool AppMinimized() const = 0;
    std::function<void()> onMinimize, onRestore;
    // Sees every input event before it is dispatched; returning true swallows it.
    std::function<bool(const InputEvent&)> messageHook;
    // The first stop of every input event: true when the hook swallowed it.
    bool Hooked(const InputEvent& ev) const { return messageHook && messageHook(ev); }

    // In the program's pixels: on a dense screen that the back end enlarges, the
    // device's size divided by the factor.
    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;
    // How many device pixels one of the program's pixels is on each side: the back
    // end shows every window, and takes every input, at that factor; 1 where it does
    // not enlarge (or the system does it itself).
    virtual int ScaleFactor() const { return 1; }

    // Milliseconds since some start; wraps like a 32-bit tick count.
    virtual uint32_t TickCount() const = 0;
    virtual Date Today() const = 0;
    virtual uint32_t Random(uint32_t range) = 0;  // 0 .. range-1

    // Window-less timers: proc runs from the message loop every ms milliseconds until
    // the timer is killed. The identifier returned is never 0.
    virtual unsigned SetTimer(unsigned ms, std::function<void()> proc) = 0;
    virtual void KillTimer(unsigned id) = 0;

    // Texts in Windows-1250. Returns kIdOk, kIdYes, kIdYesAll, kIdNo or kIdCancel;
    // closing the box answers kIdNo to a Yes/No question and kIdCancel otherwise.
    virtual int MessageBox(const std::string& text, const std::string& caption, MsgKind kind,
                           MsgButtons buttons = MsgButtons::Ok) = 0;

    virtual std::unique_ptr<Window> CreateWindow(const WindowStyle& style) = 0;

    // Installs a cursor picture under a number of the cursor table; mask white where
    // the cursor is opaque.
    virtual bool RegisterCursor(int number, const Image& picture, const Image& mask, int hotX, int hotY) = 0;

    // The shell's "open": file is a host path or an address. Returns a value greater
    // than 32 on success and 32 or less on failure, as the program expects.
    virtual int ShellExecute(const std::string& file, const std::string& params, const std::string& hostDir) = 0;

    // The embedded movie player; this build has none.
    virtual bool IsFlashInstalled() const { return false; }
    virtual uint32_t FlashVersion() const { return 0; }
};

// The one system object of the process, installed by the program's entry point or a test.
System& Sys();
void SetSystem(System* s);
bool HasSystem();

}  // namespace platform

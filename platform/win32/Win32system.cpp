#include "platform/win32/Win32system.h"

#include <windows.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <random>
#include <stdexcept>
#include <vector>

#include "platform/opener.h"
#include "platform/win32/Win32firstpaint.h"
#include "platform/win32/Win32native.h"
#include "platform/win32/Win32controls.h"
// The system's headers name their A and W functions through macros; these three
// are also the names of the program's own calls.
#undef CreateWindow
#undef MessageBox
#undef ShellExecute

namespace platform::win32 {
namespace {

const wchar_t kCanvasClass[] = L"VemiCanvasWindow";
const wchar_t kDialogClass[] = L"VemiDialogWindow";

class Win32System;
class Win32Window;

// The one system object; the window procedure and the timer procedure are plain
// functions and find it here.
Win32System* g_sys = nullptr;

// The program's texts are Windows-1250; the system takes UTF-16.
std::wstring WideCp1250(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(1250, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(1250, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

ShiftState MouseShift(WPARAM wp) {
    ShiftState s;
    s.shift = (wp & MK_SHIFT) != 0;
    s.ctrl = (wp & MK_CONTROL) != 0;
    s.alt = GetKeyState(VK_MENU) < 0;
    s.left = (wp & MK_LBUTTON) != 0;
    s.right = (wp & MK_RBUTTON) != 0;
    s.middle = (wp & MK_MBUTTON) != 0;
    return s;
}

ShiftState KeyShift() {
    ShiftState s;
    s.shift = GetKeyState(VK_SHIFT) < 0;
    s.ctrl = GetKeyState(VK_CONTROL) < 0;
    s.alt = GetKeyState(VK_MENU) < 0;
    s.left = GetKeyState(VK_LBUTTON) < 0;
    s.right = GetKeyState(VK_RBUTTON) < 0;
    s.middle = GetKeyState(VK_MBUTTON) < 0;
    return s;
}

bool IsMouseMessage(UINT m) {
    switch (m) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE: case WM_MOUSEWHEEL:
        return true;
    default: return false;
    }
}

bool IsKeyMessage(UINT m) { return m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP; }

// Posted to a window that has just stopped being the active one.
const UINT kFreePointerMessage = WM_APP + 1;

bool UnderWine() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version");
    }();
    return wine;
}

// Wine takes the pointer for a window that covers the whole screen (the menu) while
// that window is the active one: its X display grabs the pointer. The grab outlives
// the activation, and a window the window manager frames in front of the menu (the
// wizard, the about box, a message box, the shell's question) then never sees a
// click on its frame: its close box does nothing, while Alt+F4 works. Once another
// window is active the grab is given up; wine takes it again when the menu is
// active and clicked. Wine keeps a grab for the whole screen when asked to free
// the pointer, so the pointer is first held to one pixel less (on the side it is
// not at), which replaces the grab, and then freed, which ends it.
void FreeWinesPointerGrab() {
    if (!UnderWine()) return;
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    RECT all{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    POINT p{};
    GetCursorPos(&p);
    if (p.x >= all.right - 1)
        ++all.left;
    else
        --all.right;
    ClipCursor(&all);
    ClipCursor(nullptr);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
VOID CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);

// ---------------------------------------------------------------------------

class Win32Window : public WindowBase {
public:
    Win32Window(Win32System& sys, const WindowStyle& style, HWND owner);
    ~Win32Window() override;

    void SetBounds(int left, int top, int width, int height) override;
    void SetStayOnTop(bool on) override;
    bool SetShape(ShapeKind kind, int left, int top, int right, int bottom, int ew, int eh) override;
    void SetTitle(const std::string& title) override;
    void SetBackground(Rgb c) override { background_ = c; }
    void Invalidate() override;
    void Show() override;
    void Hide() override;
    void ShowModal() override;
    void BeginModal() override;
    void EndModal() override;
    void SetCursor(int number) override;
    void SetOverlay(const OverlayPanel& panel) override;
    void* NativeHandle() const override { return hwnd_; }

    // --- the back end's side ---
    HWND Hwnd() const { return hwnd_; }
    bool IsDialog() const { return dialog_; }
    LRESULT Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Hands the canvas's new damage to the system as the window's invalid region.
    void FlushDamage();
    // Enter in a dialog: presses the focused or default button; false when the key
    // belongs to the focused control.
    bool PressEnter();
    void ApplyCursor();
    void SetHwnd(HWND h) { hwnd_ = h; }

protected:
    void AttachControl(Control& c) override;

private:
    void Paint();
    void DrawOverlay(HDC dc);
    void Mouse(UINT msg, WPARAM wp, LPARAM lp);
    void Key(UINT msg, WPARAM wp);
    bool TakesInput() const;
    DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)); }
    DWORD ExStyle() const { return static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)); }
    // The outer rectangle of the window whose client area is the given one.
    RECT Outer(int left, int top, int width, int height) const;
    void Guard(const std::function<void()>& f);

    Win32System& sys_;
    bool dialog_ = false;
    bool centred_ = false;
    HWND hwnd_ = nullptr;
    std::unique_ptr<DialogControls> controls_;
    bool moving_ = false;  // our own SetWindowPos: its WM_MOVE says nothing new
    Rgb background_;
    HFONT overlayFont_ = nullptr;
    int wheelRest_ = 0;  // wheel movement short of a whole notch
};

struct Modal {
    Win32Window* window;
    std::vector<HWND> disabled;  // the windows it took the input from
    // It was one of them itself, for a modal window further out (the about box
    // opened from the wizard), and takes input only while it runs.
    bool wasDisabled = false;
};

class Win32System : public System {
public:
    explicit Win32System(HINSTANCE instance);
    ~Win32System() override;

    void SetAppTitle(const std::string& title) override { appTitle_ = title; }
    void Run(Window& mainWindow) override;
    void ProcessMessages() override;
    void Terminate() override;
    bool Terminated() const override { return terminated_; }
    void MinimizeApp() override;
    void RestoreApp() override;
    bool AppMinimized() const override { return minimized_; }
    int ScreenWidth() const override { return GetSystemMetrics(SM_CXSCREEN); }
    int ScreenHeight() const override { return GetSystemMetrics(SM_CYSCREEN); }
    uint32_t TickCount() const override { return GetTickCount(); }
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

    // --- for the windows and the system's callbacks ---
    HINSTANCE Instance() const { return instance_; }
    void Forget(Win32Window* w);
    // Runs the loop until goOn says no or the program ends.
    void Loop(const std::function<bool()>& goOn);
    // Shows every window's new damage and runs the paints that are due.
    void Pump();
    void BlockFor(Win32Window* w);
    void Unblock(Win32Window* w);
    bool IsTopModal(const Win32Window* w) const { return modal_.empty() || modal_.back().window == w; }
    HCURSOR Cursor(int number) const;
    void FireTimer(UINT_PTR id);
    void ReportError(const char* what);
    // The main window was minimised or brought back by the user (the task bar).
    void NoticeMinimized(Win32Window* w);
    void NoticeRestored(Win32Window* w);
    bool IsMain(const Win32Window* w) const { return Main() == w; }
    void WindowBack(Win32Window* w);

private:
    Win32Window* Main() const;
    void Handle(MSG& msg);
    Win32Window* Owning(HWND hwnd) const;
    bool MakeInputEvent(const MSG& msg, Win32Window& w, InputEvent& ev) const;
    HWND BoxOwner() const;

    HINSTANCE instance_;
    bool terminated_ = false;
    bool minimized_ = false;
    bool pumping_ = false;
    std::string appTitle_;
    std::vector<Win32Window*> windows_;  // in the order they were made
    Window* runWindow_ = nullptr;
    std::vector<Modal> modal_;
    std::map<int, HCURSOR> cursors_;
    std::map<UINT_PTR, std::shared_ptr<std::function<void()>>> timers_;
    std::mt19937 random_;
};

// ---------------------------------------------------------------------------
// Win32Window

Win32Window::Win32Window(Win32System& sys, const WindowStyle& style, HWND owner)
    : WindowBase(style.stayOnTop), sys_(sys), dialog_(style.dialog), centred_(style.centred) {
    DWORD ws = WS_CLIPCHILDREN;
    DWORD ex = 0;
    if (dialog_) {
        // A frame of fixed size whose title bar holds only the close box.
        ws |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
        ex |= WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    } else if (style.borderless) {
        ws |= WS_POPUP;
        // The application's own window takes the task bar's minimise and restore.
        if (!owner) ws |= WS_SYSMENU | WS_MINIMIZEBOX;
    } else {
        ws |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    }
    if (stayOnTop_) ex |= WS_EX_TOPMOST;
    const std::wstring title = WideCp1250(style.title);
    CreateWindowExW(ex, dialog_ ? kDialogClass : kCanvasClass, title.c_str(), ws, 0, 0, 1, 1, owner, nullptr,
                    sys.Instance(), this);
    if (!hwnd_) throw std::runtime_error("cannot create a window: error " + std::to_string(GetLastError()));
    overlayFont_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    if (dialog_) controls_ = std::make_unique<DialogControls>(hwnd_, [&sys](const char* what) { sys.ReportError(what); });
    SetBounds(0, 0, style.width, style.height);
}

Win32Window::~Win32Window() {
    DropControls();
    sys_.Unblock(this);
    sys_.Forget(this);
    controls_.reset();
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (overlayFont_) DeleteObject(overlayFont_);
}

void Win32Window::AttachControl([[maybe_unused]] Control& c) {
    if (controls_) controls_->Attach(c);
}

bool Win32Window::PressEnter() {
    if (controls_) return controls_->PressEnter(Controls());
    return false;
}

RECT Win32Window::Outer(int left, int top, int width, int height) const {
    RECT rc{left, top, left + std::max(0, width), top + std::max(0, height)};
    if (hwnd_) AdjustWindowRectEx(&rc, Style(), FALSE, ExStyle());
    return rc;
}

void Win32Window::SetBounds(int left, int top, int width, int height) {
    KeepBounds(left, top, width, height);
    if (!hwnd_) return;
    const RECT rc = Outer(left, top, width, height);
    moving_ = true;
    SetWindowPos(hwnd_, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
    moving_ = false;
    if (paintPending_ && visible_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32Window::SetStayOnTop(bool on) {
    stayOnTop_ = on;
    if (hwnd_)
        SetWindowPos(hwnd_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool Win32Window::SetShape(ShapeKind kind, int left, int top, int right, int bottom, int ew, int eh) {
    if (!hwnd_) return false;
    HRGN rgn = nullptr;
    if (kind == ShapeKind::Rectangle)
        rgn = CreateRectRgn(left, top, right, bottom);
    else if (kind == ShapeKind::RoundRectangle)
        rgn = CreateRoundRectRgn(left, top, right, bottom, ew, eh);
    if (kind != ShapeKind::None && !rgn) return false;
    // The window owns the region from here on; only a region it refused is ours
    // to delete.
    if (!SetWindowRgn(hwnd_, rgn, TRUE)) {
        if (rgn) DeleteObject(rgn);
        return false;
    }
    return true;
}

void Win32Window::SetTitle(const std::string& title) {
    if (hwnd_) SetWindowTextW(hwnd_, WideCp1250(title).c_str());
}

void Win32Window::Invalidate() {
    paintPending_ = true;
    if (hwnd_ && visible_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32Window::Show() {
    if (!hwnd_) return;
    if (visible_) {
        SetWindowPos(hwnd_, stayOnTop_ ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return;
    }
    visible_ = true;
    if (centred_) {
        // The whole window, frame and all, in the middle of the screen.
        const RECT o = Outer(0, 0, width_, height_);
        const int ow = o.right - o.left, oh = o.bottom - o.top;
        SetBounds((sys_.ScreenWidth() - ow) / 2 - o.left, (sys_.ScreenHeight() - oh) / 2 - o.top, width_, height_);
    }
    // The owner places and sizes the window as it appears, before it is shown.
    if (handler_) Guard([&] { handler_->OnShow(); });
    if (!visible_ || !hwnd_) return;
    paintPending_ = true;
    ShowWindow(hwnd_, SW_SHOW);
    if (stayOnTop_) SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd_);
    if (controls_)
        if (HWND f = controls_->InitialFocus()) SetFocus(f);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32Window::Hide() {
    if (!visible_) return;
    visible_ = false;
    // The windows a modal window blocked take input again before it goes, so that
    // the system hands the activation back to them and not to another program.
    sys_.Unblock(this);
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void Win32Window::ShowModal() {
    sys_.BlockFor(this);
    Show();
    sys_.Loop([this] { return visible_; });
    sys_.Unblock(this);
}

void Win32Window::BeginModal() {
    sys_.BlockFor(this);
    Show();
    sys_.Pump();
}

void Win32Window::EndModal() {
    Hide();
    sys_.Unblock(this);
}

void Win32Window::SetCursor(int number) {
    cursor_ = number;
    ApplyCursor();
}

void Win32Window::ApplyCursor() {
    if (!hwnd_) return;
    // Only while the pointer is over this window's client area (or held by it).
    POINT p;
    if (!GetCursorPos(&p)) return;
    if (GetCapture() != hwnd_) {
        if (WindowFromPoint(p) != hwnd_) return;
        ::ScreenToClient(hwnd_, &p);
        RECT rc;
        GetClientRect(hwnd_, &rc);
        if (!PtInRect(&rc, p)) return;
    }
    ::SetCursor(sys_.Cursor(cursor_));
}

void Win32Window::SetOverlay(const OverlayPanel& panel) {
    const OverlayPanel old = overlay_;
    overlay_ = panel;
    if (!hwnd_) return;
    // Where the panel was the canvas shows again; where it is, it is drawn anew.
    if (old.visible) {
        RECT r{old.x, old.y, old.x + old.w, old.y + old.h};
        InvalidateRect(hwnd_, &r, FALSE);
    }
    if (panel.visible) {
        RECT r{panel.x, panel.y, panel.x + panel.w, panel.y + panel.h};
        InvalidateRect(hwnd_, &r, FALSE);
    }
}

void Win32Window::FlushDamage() {
    std::vector<Rect> d = canvas_.TakeDamage();
    // A dialog shows its controls, not the canvas; a hidden window gets everything
    // with its first paint.
    if (dialog_ || !hwnd_ || !visible_) return;
    for (const Rect& r : d) {
        RECT rc{r.x, r.y, r.x + r.w, r.y + r.h};
        InvalidateRect(hwnd_, &rc, FALSE);
    }
}

void Win32Window::Guard(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        sys_.ReportError(e.what());
    } catch (...) {
        sys_.ReportError("unknown error");
    }
}

void Win32Window::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (!dc) return;
    bool whole = false;
    if (paintPending_ && visible_ && handler_) {
        paintPending_ = false;
        Guard([&] { handler_->OnPaint(); });
        whole = true;
    }
    paintPending_ = false;
    if (!hwnd_) return;
    if (dialog_) {
        EndPaint(hwnd_, &ps);
        return;
    }
    // What the paint drew inside the rectangle being painted goes up now; anything
    // outside it comes with the next paint.
    for (const Rect& r : canvas_.TakeDamage()) {
        const RECT rc{r.x, r.y, r.x + r.w, r.y + r.h};
        if (rc.left < ps.rcPaint.left || rc.top < ps.rcPaint.top || rc.right > ps.rcPaint.right || rc.bottom > ps.rcPaint.bottom)
            InvalidateRect(hwnd_, &rc, FALSE);
    }
    const Rect area = Intersect({static_cast<int>(ps.rcPaint.left), static_cast<int>(ps.rcPaint.top),
                                 static_cast<int>(ps.rcPaint.right - ps.rcPaint.left),
                                 static_cast<int>(ps.rcPaint.bottom - ps.rcPaint.top)},
                                {0, 0, canvas_.Width(), canvas_.Height()});
    if (!area.Empty()) BlitImage(dc, area.x, area.y, canvas_, area.x, area.y, area.w, area.h);
    // A window larger than its canvas shows black beyond it.
    RECT client;
    GetClientRect(hwnd_, &client);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    if (client.right > canvas_.Width()) {
        RECT r{canvas_.Width(), 0, client.right, client.bottom};
        FillRect(dc, &r, black);
    }
    if (client.bottom > canvas_.Height()) {
        RECT r{0, canvas_.Height(), client.right, client.bottom};
        FillRect(dc, &r, black);
    }
    if (overlay_.visible) DrawOverlay(dc);
    EndPaint(hwnd_, &ps);
    if (whole && visible_ && FirstPaintWatched()) ReportFirstPaint();
}

void Win32Window::DrawOverlay(HDC dc) {
    const OverlayPanel& p = overlay_;
    if (p.w <= 0 || p.h <= 0) return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, p.x, p.y, p.x + p.w, p.y + p.h);
    RECT r{p.x, p.y, p.x + p.w, p.y + p.h};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // A lowered bevel: the shadow along the top and left, the light along the
    // bottom and right.
    HPEN shadow = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    HPEN light = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HGDIOBJ oldPen = SelectObject(dc, shadow);
    MoveToEx(dc, p.x, p.y + p.h - 1, nullptr);
    LineTo(dc, p.x, p.y);
    LineTo(dc, p.x + p.w, p.y);
    SelectObject(dc, light);
    MoveToEx(dc, p.x, p.y + p.h - 1, nullptr);
    LineTo(dc, p.x + p.w - 1, p.y + p.h - 1);
    LineTo(dc, p.x + p.w - 1, p.y - 1);
    SelectObject(dc, oldPen);
    DeleteObject(shadow);
    DeleteObject(light);
    const std::wstring text = WideCp1250(p.text);
    if (overlayFont_) SelectObject(dc, overlayFont_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutW(dc, p.x + 8, p.y + 8, text.c_str(), static_cast<int>(text.size()));
    RestoreDC(dc, saved);
}

bool Win32Window::TakesInput() const { return visible_ && sys_.IsTopModal(this); }

void Win32Window::Mouse(UINT msg, WPARAM wp, LPARAM lp) {
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    const ShiftState s = MouseShift(wp);
    Button b = Button::None;
    bool down = false, up = false;
    switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: b = Button::Left, down = true; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: b = Button::Right, down = true; break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: b = Button::Middle, down = true; break;
    case WM_LBUTTONUP: b = Button::Left, up = true; break;
    case WM_RBUTTONUP: b = Button::Right, up = true; break;
    case WM_MBUTTONUP: b = Button::Middle, up = true; break;
    default: break;
    }
    // While a button is held the window keeps the mouse, wherever the pointer goes:
    // a drag of the window or of a scroll bar's thumb goes on outside it.
    if (down) SetCapture(hwnd_);
    if (up && !s.left && !s.right && !s.middle && GetCapture() == hwnd_) ReleaseCapture();
    if (!TakesInput()) return;
    InputEvent ev;
    ev.type = down ? EventType::MouseDown : up ? EventType::MouseUp : EventType::MouseMove;
    ev.button = b;
    ev.shift = s;
    ev.target = this;
    Guard([&] { Deliver(ev, x, y); });
}

void Win32Window::Key(UINT msg, WPARAM wp) {
    if (!TakesInput()) return;
    InputEvent ev;
    ev.type = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN ? EventType::KeyDown : EventType::KeyUp;
    ev.key = static_cast<int>(wp);
    ev.shift = KeyShift();
    ev.target = this;
    Guard([&] { Deliver(ev, 0, 0); });
}

LRESULT Win32Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (controls_) {
        LRESULT result = 0;
        if (controls_->HandleMessage(msg, wp, lp, result)) return result;
    }
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        if (dialog_) {
            RECT rc;
            GetClientRect(hwnd_, &rc);
            HBRUSH face = CreateSolidBrush(RGB(kButtonFace.r, kButtonFace.g, kButtonFace.b));
            FillRect(reinterpret_cast<HDC>(wp), &rc, face);
            DeleteObject(face);
        }
        // A canvas window's paint covers everything.
        return 1;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
        Mouse(msg, wp, lp);
        return 0;
    case WM_MOUSEWHEEL: {
        if (!handler_ || !TakesInput()) return 0;
        wheelRest_ += GET_WHEEL_DELTA_WPARAM(wp);
        const int steps = std::clamp(wheelRest_ / WHEEL_DELTA, -16, 16);
        wheelRest_ -= steps * WHEEL_DELTA;
        InputEvent ev;
        ev.type = EventType::Wheel;
        ev.wheel = steps > 0 ? 1 : -1;
        ev.screenX = GET_X_LPARAM(lp);
        ev.screenY = GET_Y_LPARAM(lp);
        ev.shift = MouseShift(GET_KEYSTATE_WPARAM(wp));
        ev.target = this;
        bool handled = true;
        Guard([&] {
            for (int i = 0; i < std::abs(steps); ++i) handled = Deliver(ev, 0, 0) && handled;
        });
        if (!handled) break;
        return 0;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
        Key(msg, wp);
        return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        Key(msg, wp);
        // Alt+F4 still closes the window; the menu bar the system would look for
        // with Alt is not there.
        if (wp == VK_F4) break;
        return 0;
    case WM_SYSCHAR:
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wp) == hwnd_ && LOWORD(lp) == HTCLIENT) {
            ::SetCursor(sys_.Cursor(cursor_));
            return TRUE;
        }
        break;
    case WM_CLOSE:
        // A window blocked by a modal one is not closed behind its back.
        if (sys_.IsTopModal(this)) Guard([&] { Close(); });
        return 0;
    case WM_MOVE:
        if (!moving_ && !IsIconic(hwnd_)) {
            // The user moved a framed window: its client area is where it now is.
            POINT p{0, 0};
            ClientToScreen(hwnd_, &p);
            left_ = p.x;
            top_ = p.y;
        }
        break;
    case WM_SIZE:
        if (wp == SIZE_MINIMIZED)
            sys_.NoticeMinimized(this);
        else if (wp == SIZE_RESTORED || wp == SIZE_MAXIMIZED)
            sys_.NoticeRestored(this);
        break;
    case WM_GETMINMAXINFO: {
        // The program sizes its windows itself, larger than the screen too (the
        // 800 x 600 arrangement is a window 1052 pixels wide).
        auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
        mm->ptMaxTrackSize.x = std::max<LONG>(mm->ptMaxTrackSize.x, 16384);
        mm->ptMaxTrackSize.y = std::max<LONG>(mm->ptMaxTrackSize.y, 16384);
        mm->ptMinTrackSize.x = 0;
        mm->ptMinTrackSize.y = 0;
        return 0;
    }
    case WM_ACTIVATE:
        // Wine may hold the pointer for this window (FreeWinesPointerGrab); it is
        // let go once the activation has gone over to the other one.
        if (LOWORD(wp) == WA_INACTIVE) PostMessageW(hwnd_, kFreePointerMessage, 0, 0);
        if (LOWORD(wp) != WA_INACTIVE && controls_) {
            HWND focus = GetFocus();
            if (!focus || !IsChild(hwnd_, focus))
                if (HWND f = controls_->InitialFocus()) SetFocus(f);
            return 0;
        }
        break;
    case kFreePointerMessage:
        if (GetForegroundWindow() != hwnd_) FreeWinesPointerGrab();
        return 0;
    case WM_NCLBUTTONDBLCLK:
        // A second click on the close box soon after the first (the owner said no,
        // or a question was answered "Nie") is a double click, which the caption
        // ignores; it is a click on the close box all the same.
        if (wp == HTCLOSE) return DefWindowProcW(hwnd, WM_NCLBUTTONDOWN, wp, lp);
        break;
    case WM_NCDESTROY:
        // The system destroyed it (its owner went first); the object outlives it.
        hwnd_ = nullptr;
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* w = static_cast<Win32Window*>(cs->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
        if (w) w->SetHwnd(hwnd);
    }
    auto* w = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        const LRESULT r = w->Proc(hwnd, msg, wp, lp);
        if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return r;
    } catch (...) {
        // Handlers' errors are reported where they are called (Guard); what
        // reaches here came from the back end's own drawing or bookkeeping, and an
        // exception must never unwind through the system's code that called us.
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

// ---------------------------------------------------------------------------
// Win32System

Win32System::Win32System(HINSTANCE instance) : instance_(instance ? instance : GetModuleHandleW(nullptr)) {
    if (g_sys) throw std::logic_error("only one window system per process");
    LARGE_INTEGER qpc{};
    QueryPerformanceCounter(&qpc);
    random_.seed(static_cast<uint32_t>(GetTickCount() ^ qpc.LowPart ^ qpc.HighPart ^ GetCurrentProcessId()));
    // The program's icon (resource 1 of the executable) for the task bar and the
    // frames; the tests have none and get the system's.
    HICON icon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hIcon = icon;
    wc.hCursor = nullptr;  // WM_SETCURSOR sets the window's own
    wc.lpszClassName = kCanvasClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("cannot register the window class");
    wc.lpszClassName = kDialogClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("cannot register the dialog class");
    g_sys = this;
}

Win32System::~Win32System() {
    for (auto& [id, t] : timers_) ::KillTimer(nullptr, id);
    timers_.clear();
    for (auto& [n, c] : cursors_) DestroyCursor(c);
    cursors_.clear();
    g_sys = nullptr;
}

Win32Window* Win32System::Main() const {
    if (auto* w = dynamic_cast<Win32Window*>(runWindow_))
        if (std::find(windows_.begin(), windows_.end(), w) != windows_.end()) return w;
    return windows_.empty() ? nullptr : windows_.front();
}

void Win32System::Forget(Win32Window* w) {
    windows_.erase(std::remove(windows_.begin(), windows_.end(), w), windows_.end());
    if (runWindow_ == w) runWindow_ = nullptr;
}

Win32Window* Win32System::Owning(HWND hwnd) const {
    if (!hwnd) return nullptr;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    for (Win32Window* w : windows_)
        if (w->Hwnd() == root) return w;
    return nullptr;
}

void Win32System::Run(Window& mainWindow) {
    runWindow_ = &mainWindow;
    if (!terminated_ && !mainWindow.Visible()) mainWindow.Show();
    Loop([&mainWindow] { return mainWindow.Visible(); });
}

void Win32System::Loop(const std::function<bool()>& goOn) {
    MSG msg;
    while (!terminated_ && goOn()) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Pump();
            if (terminated_ || !goOn()) break;
            // Paints are generated when the queue is empty; wait only when none is due.
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        Handle(msg);
    }
    Pump();
}

void Win32System::ProcessMessages() {
    MSG msg;
    while (!terminated_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        Handle(msg);
    }
    Pump();
}

void Win32System::Terminate() {
    terminated_ = true;
    // Wakes a loop that waits for messages.
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

bool Win32System::MakeInputEvent(const MSG& msg, Win32Window& w, InputEvent& ev) const {
    ev = InputEvent{};
    ev.target = &w;
    if (IsMouseMessage(msg.message)) {
        POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        if (msg.message == WM_MOUSEWHEEL) {
            const int delta = GET_WHEEL_DELTA_WPARAM(msg.wParam);
            if (delta == 0) return false;
            ev.type = EventType::Wheel;
            ev.wheel = delta > 0 ? 1 : -1;
            ev.shift = MouseShift(GET_KEYSTATE_WPARAM(msg.wParam));
        } else {
            ClientToScreen(msg.hwnd, &p);
            ev.shift = MouseShift(msg.wParam);
            switch (msg.message) {
            case WM_LBUTTONDBLCLK: ev.doubleClick = true; [[fallthrough]];
            case WM_LBUTTONDOWN: ev.type = EventType::MouseDown, ev.button = Button::Left; break;
            case WM_RBUTTONDBLCLK: ev.doubleClick = true; [[fallthrough]];
            case WM_RBUTTONDOWN: ev.type = EventType::MouseDown, ev.button = Button::Right; break;
            case WM_MBUTTONDBLCLK: ev.doubleClick = true; [[fallthrough]];
            case WM_MBUTTONDOWN: ev.type = EventType::MouseDown, ev.button = Button::Middle; break;
            case WM_LBUTTONUP: ev.type = EventType::MouseUp, ev.button = Button::Left; break;
            case WM_RBUTTONUP: ev.type = EventType::MouseUp, ev.button = Button::Right; break;
            case WM_MBUTTONUP: ev.type = EventType::MouseUp, ev.button = Button::Middle; break;
            default: ev.type = EventType::MouseMove; break;
            }
        }
        ev.screenX = p.x;
        ev.screenY = p.y;
        return true;
    }
    if (IsKeyMessage(msg.message)) {
        ev.type = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN ? EventType::KeyDown : EventType::KeyUp;
        ev.key = static_cast<int>(msg.wParam);
        ev.shift = KeyShift();
        POINT p;
        if (GetCursorPos(&p)) ev.screenX = p.x, ev.screenY = p.y;
        return true;
    }
    return false;
}

void Win32System::Handle(MSG& msg) {
    Win32Window* w = Owning(msg.hwnd);
    if (w && (IsMouseMessage(msg.message) || IsKeyMessage(msg.message))) {
        // Every input message passes the program's hook before any window sees it.
        InputEvent ev;
        if (messageHook && MakeInputEvent(msg, *w, ev)) {
            bool swallowed = false;
            try {
                swallowed = Hooked(ev);
            } catch (const std::exception& e) {
                ReportError(e.what());
                swallowed = true;
            }
            if (swallowed) {
                Pump();
                return;
            }
        }
        if (w->IsDialog() && msg.message == WM_KEYDOWN) {
            if (msg.wParam == VK_RETURN && w->PressEnter()) {
                Pump();
                return;
            }
            // Tab walks the dialog's controls.
            if (msg.wParam == VK_TAB && msg.hwnd != w->Hwnd()) {
                HWND next = GetNextDlgTabItem(w->Hwnd(), GetFocus(), GetKeyState(VK_SHIFT) < 0);
                if (next) SetFocus(next);
                return;
            }
        }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    Pump();
}

void Win32System::Pump() {
    if (pumping_) return;
    pumping_ = true;
    for (Win32Window* w : std::vector<Win32Window*>(windows_)) {
        if (std::find(windows_.begin(), windows_.end(), w) == windows_.end()) continue;
        w->FlushDamage();
        // A minimised application paints when it comes back.
        if (!minimized_ && w->Visible() && w->Hwnd()) UpdateWindow(w->Hwnd());
    }
    pumping_ = false;
}

void Win32System::BlockFor(Win32Window* w) {
    Unblock(w);
    Modal m{w, {}};
    for (Win32Window* o : windows_)
        if (o != w && o->Hwnd() && IsWindowEnabled(o->Hwnd())) {
            EnableWindow(o->Hwnd(), FALSE);
            m.disabled.push_back(o->Hwnd());
        }
    // A window that an outer modal one blocked (every window of the program is
    // made before the first is shown) would take neither a click nor its close
    // box: the system and the window manager leave a disabled window alone.
    if (w->Hwnd() && !IsWindowEnabled(w->Hwnd())) {
        m.wasDisabled = true;
        EnableWindow(w->Hwnd(), TRUE);
    }
    modal_.push_back(std::move(m));
}

void Win32System::Unblock(Win32Window* w) {
    for (auto it = modal_.begin(); it != modal_.end(); ++it)
        if (it->window == w) {
            for (HWND h : it->disabled)
                if (IsWindow(h)) EnableWindow(h, TRUE);
            if (it->wasDisabled && w->Hwnd()) EnableWindow(w->Hwnd(), FALSE);
            modal_.erase(it);
            return;
        }
}

void Win32System::MinimizeApp() {
    if (minimized_) return;
    minimized_ = true;
    if (Win32Window* m = Main(); m && m->Hwnd()) {
        // The other windows belong to the main one and go with it.
        ShowOwnedPopups(m->Hwnd(), FALSE);
        ShowWindow(m->Hwnd(), SW_MINIMIZE);
    }
    if (onMinimize) onMinimize();
}

void Win32System::RestoreApp() {
    if (!minimized_) return;
    minimized_ = false;
    if (Win32Window* m = Main(); m && m->Hwnd()) {
        ShowWindow(m->Hwnd(), SW_RESTORE);
        ShowOwnedPopups(m->Hwnd(), TRUE);
    }
    WindowBack(nullptr);
}

void Win32System::WindowBack(Win32Window*) {
    if (onRestore) onRestore();
    for (Win32Window* w : windows_)
        if (w->Visible()) w->Invalidate();
    Pump();
}

void Win32System::NoticeMinimized(Win32Window* w) {
    if (!IsMain(w) || minimized_) return;
    minimized_ = true;
    ShowOwnedPopups(w->Hwnd(), FALSE);
    if (onMinimize) onMinimize();
}

void Win32System::NoticeRestored(Win32Window* w) {
    if (!IsMain(w) || !minimized_) return;
    minimized_ = false;
    ShowOwnedPopups(w->Hwnd(), TRUE);
    WindowBack(w);
}

Date Win32System::Today() const {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay};
}

uint32_t Win32System::Random(uint32_t range) {
    if (range == 0) return 0;
    return std::uniform_int_distribution<uint32_t>(0, range - 1)(random_);
}

VOID CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_sys) g_sys->FireTimer(id);
}

unsigned Win32System::SetTimer(unsigned ms, std::function<void()> proc) {
    // The system picks the identifier of a window-less timer, never 0, and one
    // that fits the program's unsigned.
    for (int tries = 0; tries < 8; ++tries) {
        const UINT_PTR id = ::SetTimer(nullptr, 0, std::max(1u, ms), TimerProc);
        if (id == 0) break;
        if (id > 0xFFFFFFFFu || timers_.count(id)) {
            ::KillTimer(nullptr, id);
            continue;
        }
        timers_[id] = std::make_shared<std::function<void()>>(std::move(proc));
        return static_cast<unsigned>(id);
    }
    throw std::runtime_error("no timer left: error " + std::to_string(GetLastError()));
}

void Win32System::KillTimer(unsigned id) {
    if (timers_.erase(id)) ::KillTimer(nullptr, id);
}

void Win32System::FireTimer(UINT_PTR id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    std::shared_ptr<std::function<void()>> proc = it->second;  // the procedure may kill its own timer
    try {
        (*proc)();
    } catch (const std::exception& e) {
        ReportError(e.what());
    }
    Pump();
}

void Win32System::ReportError(const char* what) { MessageBox(what ? what : "", appTitle_, MsgKind::Error, MsgButtons::Ok); }

HWND Win32System::BoxOwner() const {
    // The window that takes input now: the innermost modal one, else the main window.
    if (!modal_.empty() && modal_.back().window->Visible()) return modal_.back().window->Hwnd();
    Win32Window* m = Main();
    if (m && m->Visible() && !minimized_) return m->Hwnd();
    return nullptr;
}

int Win32System::MessageBox(const std::string& text, const std::string& caption, MsgKind kind, MsgButtons buttons) {
    Pump();
    const std::wstring body = WideCp1250(text);
    const std::wstring title = WideCp1250(caption.empty() ? appTitle_ : caption);
    HWND owner = BoxOwner();
    // Above the menu's windows that stay on top, or it would open behind them.
    bool topmost = false;
    for (Win32Window* w : windows_)
        if (w->Visible() && w->StayOnTop()) topmost = true;
    if (buttons == MsgButtons::YesAllNoCancel) {
        return AskYesAllNoCancel(owner, body, title, topmost);
    }
    UINT flags = buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK;
    switch (kind) {
    case MsgKind::Information: flags |= MB_ICONINFORMATION; break;
    case MsgKind::Error: flags |= MB_ICONERROR; break;
    case MsgKind::Question: flags |= MB_ICONQUESTION; break;
    case MsgKind::Plain: break;
    }
    if (topmost) flags |= MB_TOPMOST;
    if (!owner) flags |= MB_TASKMODAL;
    flags |= MB_SETFOREGROUND;
    const int r = MessageBoxW(owner, body.c_str(), title.c_str(), flags);
    if (buttons == MsgButtons::YesNo) return r == IDYES ? kIdYes : kIdNo;
    return kIdOk;
}

std::unique_ptr<Window> Win32System::CreateWindow(const WindowStyle& style) {
    // The first window is the application's; the others belong to it, so they stay
    // above it, leave the task bar to it and go and come back with it.
    HWND owner = nullptr;
    if (Win32Window* m = Main()) owner = m->Hwnd();
    auto w = std::make_unique<Win32Window>(*this, style, owner);
    windows_.push_back(w.get());
    return w;
}

bool Win32System::RegisterCursor(int number, const Image& picture, const Image& mask, int hotX, int hotY) {
    if (picture.Empty()) return false;
    const int w = picture.Width(), h = picture.Height();
    const bool useMask = mask.Width() == w && mask.Height() == h;
    auto opaque = [&](int x, int y) {
        if (!useMask) return true;
        const Rgb m = mask.Pixel(x, y);
        return m.r + m.g + m.b >= 3 * 128;
    };
    // The colour picture as 32-bit rows (alpha 255 where opaque, black and clear
    // elsewhere), and the monochrome AND mask (1 where the screen shows through),
    // whose rows are padded to 16 bits.
    BITMAPV5HEADER bi{};
    bi.bV5Size = sizeof bi;
    bi.bV5Width = w;
    bi.bV5Height = -h;
    bi.bV5Planes = 1;
    bi.bV5BitCount = 32;
    bi.bV5Compression = BI_BITFIELDS;
    bi.bV5RedMask = 0x00FF0000;
    bi.bV5GreenMask = 0x0000FF00;
    bi.bV5BlueMask = 0x000000FF;
    bi.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!color || !bits) return false;
    auto* px = static_cast<uint32_t*>(bits);
    const int maskStride = ((w + 15) / 16) * 2;
    std::vector<uint8_t> andBits(static_cast<size_t>(maskStride) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb p = picture.Pixel(x, y);
            const bool on = opaque(x, y);
            px[static_cast<size_t>(y) * w + x] =
                on ? (0xFF000000u | (uint32_t{p.r} << 16) | (uint32_t{p.g} << 8) | p.b) : 0u;
            if (!on) andBits[static_cast<size_t>(y) * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    HBITMAP andMask = CreateBitmap(w, h, 1, 1, andBits.data());
    if (!andMask) {
        DeleteObject(color);
        return false;
    }
    ICONINFO ii{};
    ii.fIcon = FALSE;
    ii.xHotspot = static_cast<DWORD>(std::clamp(hotX, 0, w - 1));
    ii.yHotspot = static_cast<DWORD>(std::clamp(hotY, 0, h - 1));
    ii.hbmMask = andMask;
    ii.hbmColor = color;
    HCURSOR c = reinterpret_cast<HCURSOR>(CreateIconIndirect(&ii));
    DeleteObject(andMask);
    DeleteObject(color);
    if (!c) return false;
    auto old = cursors_.find(number);
    if (old != cursors_.end()) DestroyCursor(old->second);
    cursors_[number] = c;
    for (Win32Window* win : windows_)
        if (win->Cursor() == number) win->ApplyCursor();
    return true;
}

HCURSOR Win32System::Cursor(int number) const {
    auto it = cursors_.find(number);
    if (it != cursors_.end()) return it->second;
    // The system's own, by the program's numbers for them.
    const wchar_t* id = IDC_ARROW;
    switch (number) {
    case -1: return nullptr;
    case -3: id = IDC_CROSS; break;
    case -4: id = IDC_IBEAM; break;
    case -6: id = IDC_SIZENESW; break;
    case -7: id = IDC_SIZENS; break;
    case -8: id = IDC_SIZENWSE; break;
    case -9: id = IDC_SIZEWE; break;
    case -10: id = IDC_UPARROW; break;
    case kCursorHourglass: id = IDC_WAIT; break;
    case -18: id = IDC_NO; break;
    case -19: id = IDC_APPSTARTING; break;
    case -20: id = IDC_HELP; break;
    case kCursorHand:
    case -21: id = IDC_HAND; break;
    case -22: id = IDC_SIZEALL; break;
    default: break;
    }
    return LoadCursorW(nullptr, id);
}

}  // namespace

std::unique_ptr<System> CreateWin32System() { return std::make_unique<Win32System>(nullptr); }

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> out;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return out;
    for (int i = 1; i < argc; ++i) {
        const int len = static_cast<int>(wcslen(argv[i]));
        const int n = WideCharToMultiByte(1250, 0, argv[i], len, nullptr, 0, "?", nullptr);
        std::string a(static_cast<size_t>(std::max(n, 0)), '\0');
        if (n > 0) WideCharToMultiByte(1250, 0, argv[i], len, a.data(), n, "?", nullptr);
        out.push_back(std::move(a));
    }
    LocalFree(argv);
    return out;
}

HWND NativeWindow(const Window& w) {
    auto* ww = dynamic_cast<const Win32Window*>(&w);
    return ww ? ww->Hwnd() : nullptr;
}

HCURSOR CursorFor(const System& sys, int number) {
    auto* s = dynamic_cast<const Win32System*>(&sys);
    return s ? s->Cursor(number) : nullptr;
}

void BlitImage(HDC dc, int x, int y, const Image& picture, int sx, int sy, int w, int h) {
    const Rect r = Intersect({sx, sy, w, h}, {0, 0, picture.Width(), picture.Height()});
    if (r.Empty()) return;
    x += r.x - sx;
    y += r.y - sy;
    // 24-bit device-independent rows are blue, green, red and padded to 4 bytes.
    const size_t stride = (static_cast<size_t>(r.w) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> rows(stride * static_cast<size_t>(r.h));
    for (int row = 0; row < r.h; ++row) {
        const uint8_t* s = picture.Row(r.y + row) + static_cast<size_t>(r.x) * 3;
        uint8_t* d = rows.data() + stride * static_cast<size_t>(row);
        for (int i = 0; i < r.w; ++i, s += 3, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = r.w;
    bi.bmiHeader.biHeight = -r.h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(r.w), static_cast<DWORD>(r.h), 0, 0, 0, static_cast<UINT>(r.h),
                      rows.data(), &bi, DIB_RGB_COLORS);
}

}  // namespace platform::win32

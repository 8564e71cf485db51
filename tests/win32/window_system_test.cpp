// The Windows back end of the window system on the system's own windows: the
// shapes as regions, the frame buffer's blit, the message loop with its timers,
// hook and modal windows, the close box, minimising, cursors and message boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/Abtu.h"
#include "install/Vemiinstu.h"
#include "platform/paths.h"
#include "platform/shape.h"
#include "platform/text.h"
#include "platform/win32/Win32native.h"
#include "platform/win32/Win32system.h"
#include <shellapi.h>
#undef CreateWindow
#undef MessageBox

#include "win32_test_support.h"

using namespace platform;

namespace {

// Counts what a window tells its owner, and lets a test act in the middle of it.
struct Recorder : WindowHandler {
    int paints = 0, shows = 0, closes = 0;
    std::vector<std::string> input;
    std::function<void()> onPaint;
    std::function<void(int)> onKey;
    void OnPaint() override {
        ++paints;
        if (onPaint) onPaint();
    }
    void OnShow() override { ++shows; }
    void OnMouseDown(Button b, ShiftState s, int x, int y) override {
        input.push_back("down " + std::to_string(static_cast<int>(b)) + " " + std::to_string(x) + " " + std::to_string(y) +
                        (s.left ? " L" : ""));
    }
    void OnMouseUp(Button b, ShiftState, int x, int y) override {
        input.push_back("up " + std::to_string(static_cast<int>(b)) + " " + std::to_string(x) + " " + std::to_string(y));
    }
    void OnMouseMove(ShiftState, int x, int y) override { input.push_back("move " + std::to_string(x) + " " + std::to_string(y)); }
    bool OnMouseWheel(int delta, ShiftState, int sx, int sy) override {
        input.push_back("wheel " + std::to_string(delta) + " " + std::to_string(sx) + " " + std::to_string(sy));
        return true;
    }
    void OnKeyDown(int key, ShiftState) override {
        input.push_back("key " + std::to_string(key));
        if (onKey) onKey(key);
    }
    void OnClose() override { ++closes; }
};

class WindowSystem : public testing::Test {
protected:
    void SetUp() override { sys = win32::CreateWin32System(); }
    void TearDown() override { sys.reset(); }

    std::unique_ptr<Window> Make(int w, int h, bool onTop = false) {
        WindowStyle st;
        st.width = w;
        st.height = h;
        st.stayOnTop = onTop;
        return sys->CreateWindow(st);
    }

    // Runs the loop for a while: the queue's messages, the paints and the timers.
    void Spin(int ms) {
        const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
        while (static_cast<int>(end - GetTickCount()) > 0) {
            sys->ProcessMessages();
            Sleep(5);
        }
        sys->ProcessMessages();
    }

    // Runs the loop until what the system was asked for has happened, or two
    // seconds have gone: a busy machine answers late, not never.
    template <class Done>
    void SpinUntil(Done done) {
        const DWORD end = GetTickCount() + 2000;
        while (!done() && static_cast<int>(end - GetTickCount()) > 0) Spin(10);
    }

    std::unique_ptr<System> sys;
};

// Whether each pixel of a w x h window lies in the rectangles.
std::vector<bool> Covered(const std::vector<Rect>& rects, int w, int h) {
    std::vector<bool> c(static_cast<size_t>(w) * h, false);
    for (const Rect& r : rects)
        for (int y = std::max(0, r.y); y < std::min(h, r.y + r.h); ++y)
            for (int x = std::max(0, r.x); x < std::min(w, r.x + r.w); ++x) c[static_cast<size_t>(y) * w + x] = true;
    return c;
}

TEST_F(WindowSystem, TheProgramsShapesAreTheRegionsTheSystemMakesPixelForPixel) {
    // The four arrangements of the main window: the 800 x 600 strip of a window 1052
    // wide, the core alone, the whole window, the whole window with round corners.
    struct Case {
        ShapeKind kind;
        int w, l, t, r, b, ew, eh;
    };
    const Case cases[] = {
        {ShapeKind::Rectangle, 1052, 246, 113, 1046, 713, 0, 0},
        {ShapeKind::Rectangle, 1024, 273, 113, 1018, 713, 0, 0},
        {ShapeKind::RoundRectangle, 1024, 0, 0, 1025, 769, 15, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.l) + "," + std::to_string(c.t) + "," + std::to_string(c.r) + "," + std::to_string(c.b));
        auto win = Make(c.w, 768);
        ASSERT_TRUE(win->SetShape(c.kind, c.l, c.t, c.r, c.b, c.ew, c.eh));
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(GetWindowRgn(win32::NativeWindow(*win), rgn), ERROR);
        const std::vector<bool> ours = Covered(ShapeRectangles(c.kind, c.l, c.t, c.r, c.b, c.ew, c.eh), c.w, 768);
        int mismatches = 0;
        for (int y = 0; y < 768; ++y)
            for (int x = 0; x < c.w; ++x)
                if ((PtInRegion(rgn, x, y) != FALSE) != ours[static_cast<size_t>(y) * c.w + x] && ++mismatches <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " in the system's region: " << PtInRegion(rgn, x, y);
        EXPECT_EQ(mismatches, 0);
        DeleteObject(rgn);
    }
    // The round window: the corner pixels are cut, the edges' middles kept, and the
    // region is exactly the window, the last row and column included.
    auto round = Make(1024, 768);
    round->SetShape(ShapeKind::RoundRectangle, 0, 0, 1025, 769, 15, 15);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    GetWindowRgn(win32::NativeWindow(*round), rgn);
    RECT box;
    GetRgnBox(rgn, &box);
    EXPECT_EQ(box.right, 1024);
    EXPECT_EQ(box.bottom, 768);
    EXPECT_FALSE(PtInRegion(rgn, 0, 0));
    EXPECT_FALSE(PtInRegion(rgn, 1023, 767));
    EXPECT_TRUE(PtInRegion(rgn, 1023, 384));
    EXPECT_TRUE(PtInRegion(rgn, 512, 767));
    DeleteObject(rgn);
    // No shape: the whole rectangular window, without a region.
    round->SetShape(ShapeKind::None, 0, 0, 0, 0);
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(win32::NativeWindow(*round), none), ERROR);
    DeleteObject(none);
}

// Reads a 32-bit DIB section's pixel as R, G, B.
Rgb DibPixel(const uint32_t* bits, int w, int x, int y) {
    const uint32_t p = bits[static_cast<size_t>(y) * w + x];
    return {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)};
}

TEST(WindowSystemBlit, FrameBufferRowsReachTheDeviceInTheirColoursAtTheirPlaces) {
    // Widths whose rows of three bytes are not a multiple of four, so each row's
    // padding counts, and a part of the picture placed elsewhere.
    for (int w : {37, 38, 39, 40}) {
        SCOPED_TRACE(w);
        Image pic(w, 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < w; ++x)
                pic.SetPixel(x, y, {static_cast<uint8_t>(x * 6), static_cast<uint8_t>(y * 50), static_cast<uint8_t>(255 - x)});
        const int dw = 64, dh = 16;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = dw;
        bi.bmiHeader.biHeight = -dh;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_TRUE(dib && bits);
        HGDIOBJ old = SelectObject(dc, dib);
        std::fill_n(static_cast<uint32_t*>(bits), dw * dh, 0x00123456u);
        // The whole picture at (2, 3), then its part (10, 1) 5 x 3 at (50, 10).
        win32::BlitImage(dc, 2, 3, pic, 0, 0, w, 5);
        win32::BlitImage(dc, 50, 10, pic, 10, 1, 5, 3);
        GdiFlush();
        const auto* px = static_cast<const uint32_t*>(bits);
        int wrong = 0;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < w; ++x)
                if (DibPixel(px, dw, x + 2, y + 3) != pic.Pixel(x, y) && ++wrong <= 3) ADD_FAILURE() << x << "," << y;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                if (DibPixel(px, dw, 50 + x, 10 + y) != pic.Pixel(10 + x, 1 + y) && ++wrong <= 6) ADD_FAILURE() << "part " << x << "," << y;
        EXPECT_EQ(wrong, 0);
        // Nothing beyond: the pixel after each row and the row below are as they were.
        EXPECT_EQ(px[static_cast<size_t>(3) * dw + 2 + w], 0x00123456u);
        EXPECT_EQ(px[static_cast<size_t>(8) * dw + 2], 0x00123456u);
        EXPECT_EQ(px[static_cast<size_t>(10) * dw + 55], 0x00123456u);
        // A part reaching past the picture is cut at its edge.
        win32::BlitImage(dc, 0, 12, pic, w - 2, 4, 10, 3);
        GdiFlush();
        EXPECT_EQ(DibPixel(px, dw, 0, 12), pic.Pixel(w - 2, 4));
        EXPECT_EQ(px[static_cast<size_t>(12) * dw + 2], 0x00123456u);
        EXPECT_EQ(px[static_cast<size_t>(13) * dw + 0], 0x00123456u);
        SelectObject(dc, old);
        DeleteObject(dib);
        DeleteDC(dc);
    }
}

TEST_F(WindowSystem, PaintsComeFromTheLoopOncePerInvalidate) {
    auto win = Make(120, 80);
    Recorder r;
    win->SetHandler(&r);
    r.onPaint = [&] { win->Canvas().Fill({0, 0, 120, 80}, {10, 20, 30}); };
    EXPECT_EQ(r.paints, 0) << "nothing is painted before the window shows";
    win->Show();
    EXPECT_EQ(r.shows, 1);
    Spin(50);
    EXPECT_EQ(r.paints, 1);
    // Drawing on the canvas shows what changed; it asks the owner for nothing.
    win->Canvas().Fill({5, 5, 10, 10}, {200, 0, 0});
    Spin(30);
    EXPECT_EQ(r.paints, 1);
    win->Invalidate();
    win->Invalidate();
    Spin(30);
    EXPECT_EQ(r.paints, 2);
    // A hidden window is not painted; it paints when it shows again.
    win->Hide();
    win->Invalidate();
    Spin(30);
    EXPECT_EQ(r.paints, 2);
    win->Show();
    Spin(30);
    EXPECT_EQ(r.paints, 3);
    EXPECT_EQ(r.shows, 2);
}

TEST_F(WindowSystem, TimersFireFromTheLoopWithTheirOwnIdentifiersUntilKilled) {
    int a = 0, b = 0;
    const unsigned ta = sys->SetTimer(10, [&] { ++a; });
    unsigned tb = 0;
    tb = sys->SetTimer(15, [&] {
        // A timer may end itself from its own procedure.
        if (++b == 3) sys->KillTimer(tb);
    });
    EXPECT_NE(ta, 0u);
    EXPECT_NE(tb, 0u);
    EXPECT_NE(ta, tb);
    Spin(300);
    EXPECT_GE(a, 3);
    EXPECT_EQ(b, 3);
    sys->KillTimer(ta);
    const int seen = a;
    Spin(100);
    EXPECT_EQ(a, seen);
    // Killing an unknown or killed timer does nothing.
    sys->KillTimer(ta);
    sys->KillTimer(12345);
}

TEST_F(WindowSystem, EveryInputMessagePassesTheHookBeforeTheWindow) {
    auto win = Make(200, 150);
    win->SetBounds(-30, 40, 200, 150);
    Recorder r;
    win->SetHandler(&r);
    win->Show();
    Spin(20);
    std::vector<InputEvent> seen;
    bool swallow = false;
    sys->messageHook = [&](const InputEvent& ev) {
        seen.push_back(ev);
        return swallow;
    };
    HWND h = win32::NativeWindow(*win);
    PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(11, 21));
    PostMessageW(h, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), MAKELPARAM(50, 60));
    Spin(30);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].type, EventType::MouseDown);
    EXPECT_EQ(seen[0].button, Button::Left);
    EXPECT_EQ(seen[0].screenX, -30 + 10);  // the window's place plus the client point
    EXPECT_EQ(seen[0].screenY, 40 + 20);
    EXPECT_EQ(seen[0].target, win.get());
    EXPECT_TRUE(seen[0].shift.left);
    EXPECT_EQ(seen[1].type, EventType::MouseUp);
    EXPECT_EQ(seen[2].type, EventType::KeyDown);
    EXPECT_EQ(seen[2].key, kVkDown);
    EXPECT_EQ(seen[3].type, EventType::Wheel);
    EXPECT_EQ(seen[3].wheel, 1);
    EXPECT_EQ(seen[3].screenX, 50);  // the wheel's point is a screen point already
    // What the hook lets pass reaches the window, in client coordinates; two notches
    // of the wheel are two steps.
    EXPECT_EQ(r.input, (std::vector<std::string>{"down 1 10 20 L", "up 1 11 21", "key 40", "wheel 1 50 60", "wheel 1 50 60"}));

    // What it swallows reaches nobody.
    swallow = true;
    r.input.clear();
    seen.clear();
    PostMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 2));
    PostMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
    PostMessageW(h, WM_KEYUP, 'A', 0);
    Spin(30);
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_TRUE(r.input.empty());

    // A second press soon after is the system's double click, still a press.
    swallow = false;
    seen.clear();
    PostMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(7, 8));
    Spin(20);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].type, EventType::MouseDown);
    EXPECT_TRUE(seen[0].doubleClick);
    EXPECT_EQ(r.input, (std::vector<std::string>{"down 1 7 8 L"}));
}

TEST_F(WindowSystem, AModalWindowRunsItsOwnLoopUntilItHidesAndHoldsTheOthersInput) {
    auto main = Make(300, 200);
    Recorder mainInput;
    main->SetHandler(&mainInput);
    main->Show();
    auto modal = Make(100, 100, true);
    Recorder modalInput;
    modal->SetHandler(&modalInput);
    HWND mh = win32::NativeWindow(*main);
    int ticks = 0;
    bool mainEnabledDuring = true;
    std::vector<InputEvent> hooked;
    sys->messageHook = [&](const InputEvent& ev) {
        hooked.push_back(ev);
        return false;
    };
    const unsigned t = sys->SetTimer(10, [&] {
        ++ticks;
        if (ticks == 2) {
            mainEnabledDuring = IsWindowEnabled(mh) != FALSE;
            // Input meant for the window behind still passes the hook, but stops there.
            PostMessageW(mh, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageW(win32::NativeWindow(*modal), WM_KEYDOWN, VK_ESCAPE, 0);
        }
        if (ticks == 5) modal->Hide();
    });
    modal->ShowModal();
    sys->KillTimer(t);
    EXPECT_EQ(ticks, 5) << "the modal loop ran the timers and ended when the window hid";
    EXPECT_FALSE(mainEnabledDuring);
    EXPECT_TRUE(IsWindowEnabled(mh)) << "the window behind takes input again";
    // (Moves the system makes up as windows come and go under the pointer aside.)
    auto drop = [](std::vector<std::string> v) {
        v.erase(std::remove_if(v.begin(), v.end(), [](const std::string& s) { return s.rfind("move", 0) == 0; }), v.end());
        return v;
    };
    EXPECT_TRUE(drop(mainInput.input).empty());
    EXPECT_EQ(drop(modalInput.input), (std::vector<std::string>{"key 27"}));
    EXPECT_EQ(std::count_if(hooked.begin(), hooked.end(), [](const InputEvent& e) { return e.type != EventType::MouseMove; }), 2);
    EXPECT_GE(modalInput.paints, 1);

    // A modal window begun and ended around a long job, which hands the loop its
    // messages now and then.
    modal->BeginModal();
    EXPECT_TRUE(modal->Visible());
    EXPECT_FALSE(IsWindowEnabled(mh));
    mainInput.input.clear();
    PostMessageW(mh, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    sys->ProcessMessages();
    EXPECT_TRUE(drop(mainInput.input).empty());
    modal->EndModal();
    EXPECT_FALSE(modal->Visible());
    EXPECT_TRUE(IsWindowEnabled(mh));
    PostMessageW(mh, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    sys->ProcessMessages();
    EXPECT_EQ(drop(mainInput.input), (std::vector<std::string>{"down 1 5 5 L"}));
}

TEST_F(WindowSystem, TheCloseBoxAsksTheOwnerAndTheMainLoopEndsWithTheMainWindow) {
    auto main = Make(300, 200);
    struct Refusing : Recorder {
        bool allow = false;
        bool OnCloseQuery() override { return allow; }
    } r;
    main->SetHandler(&r);
    HWND h = win32::NativeWindow(*main);
    int ticks = 0;
    const unsigned t = sys->SetTimer(10, [&] {
        ++ticks;
        if (ticks == 2) PostMessageW(h, WM_CLOSE, 0, 0);  // refused: the loop goes on
        if (ticks == 4) {
            r.allow = true;
            PostMessageW(h, WM_CLOSE, 0, 0);
        }
    });
    sys->Run(*main);
    sys->KillTimer(t);
    EXPECT_EQ(ticks, 4);
    EXPECT_EQ(r.closes, 1);
    EXPECT_FALSE(main->Visible());
    EXPECT_FALSE(IsWindowVisible(h));

    // Terminate ends the loop as well, and a loop started after it returns at once.
    main->Show();
    const unsigned t2 = sys->SetTimer(10, [&] { sys->Terminate(); });
    sys->Run(*main);
    sys->KillTimer(t2);
    EXPECT_TRUE(sys->Terminated());
    EXPECT_TRUE(main->Visible());
}

// Where the system's own hit test puts a window's close box on its caption: the
// screen rectangle, empty when the caption has none.
RECT CloseBoxOf(HWND h) {
    RECT box{0, 0, 0, 0}, outer;
    GetWindowRect(h, &outer);
    POINT client{0, 0};
    ClientToScreen(h, &client);
    for (int y = outer.top; y < client.y; ++y)
        for (int x = outer.left; x < outer.right; ++x) {
            if (SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(x, y)) != HTCLOSE) continue;
            if (IsRectEmpty(&box)) box = {x, y, x + 1, y + 1};
            box.left = std::min<LONG>(box.left, x), box.right = std::max<LONG>(box.right, x + 1);
            box.top = std::min<LONG>(box.top, y), box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
}

// The user clicks the middle of a screen rectangle: the pointer goes there and the
// left button goes down and up, through the system's input queue.
void ClickAt(const RECT& r) {
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
}

void PressAltF4() {
    INPUT in[4] = {};
    const WORD keys[4] = {VK_MENU, VK_F4, VK_F4, VK_MENU};
    for (int i = 0; i < 4; ++i) {
        in[i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = keys[i];
        in[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, in, sizeof(INPUT));
}

// A full-screen window that stays on top, as the menu is.
WindowStyle MenuStyle() {
    WindowStyle st;
    st.stayOnTop = true;
    st.width = GetSystemMetrics(SM_CXSCREEN);
    st.height = GetSystemMetrics(SM_CYSCREEN);
    return st;
}

TEST_F(WindowSystem, AModalDialogsCloseBoxAsksItsOwnerAsAltF4DoesAndARefusalKeepsItOpen) {
    auto menu = sys->CreateWindow(MenuStyle());
    menu->Show();
    WindowStyle ds;
    ds.dialog = true;
    ds.borderless = false;
    ds.stayOnTop = true;
    ds.centred = true;
    ds.width = 300;
    ds.height = 200;
    auto dlg = sys->CreateWindow(ds);
    struct Asked : Recorder {
        int queries = 0;
        bool allow = false;
        bool OnCloseQuery() override {
            ++queries;
            return allow;
        }
    } r;
    dlg->SetHandler(&r);
    const HWND d = win32::NativeWindow(*dlg);
    RECT box{};
    // The user, from a timer that the dialog's own loop runs: the close command of
    // the window menu, a click on the close box, Alt+F4, each refused; then a click
    // on the close box that is allowed. Each step waits until the one before has
    // asked (input sent to the system arrives when it arrives on a busy machine),
    // and notes the number of questions and whether the dialog is still there.
    std::vector<std::string> after;
    int tick = 0, step = 0;
    const auto note = [&] { after.push_back(std::to_string(r.queries) + (dlg->Visible() && IsWindowVisible(d) ? " open" : " closed")); };
    const unsigned t = sys->SetTimer(40, [&] {
        if (++tick == 250) dlg->Hide();  // never hang
        switch (step) {
        case 0:
            box = CloseBoxOf(d);
            SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
            step = 1;
            break;
        case 1:
            if (r.queries < 1) break;
            note();
            ClickAt(box);
            step = 2;
            break;
        case 2:
            if (r.queries < 2) break;
            note();
            PressAltF4();
            step = 3;
            break;
        case 3:
            if (r.queries < 3) break;
            note();
            r.allow = true;
            ClickAt(box);
            step = 4;
            break;
        default: break;
        }
    });
    dlg->ShowModal();
    sys->KillTimer(t);
    ASSERT_FALSE(IsRectEmpty(&box)) << "the dialog's caption has no close box";
    EXPECT_EQ(after, (std::vector<std::string>{"1 open", "2 open", "3 open"}));
    EXPECT_EQ(r.queries, 4);
    EXPECT_EQ(r.closes, 1);
    EXPECT_LT(tick, 250) << "the allowed click on the close box did not close the dialog";
    EXPECT_FALSE(IsWindowVisible(d));
    EXPECT_TRUE(IsWindowEnabled(win32::NativeWindow(*menu))) << "the menu takes input again";
}

TEST_F(WindowSystem, MinimisingTheApplicationTellsTheProgramBothWaysAndRepaintsAfter) {
    auto main = Make(300, 200);
    Recorder r;
    main->SetHandler(&r);
    main->Show();
    Spin(30);
    int minimized = 0, restored = 0;
    sys->onMinimize = [&] { ++minimized; };
    sys->onRestore = [&] { ++restored; };
    HWND h = win32::NativeWindow(*main);
    sys->MinimizeApp();
    SpinUntil([&] { return IsIconic(h) && minimized > 0; });
    EXPECT_TRUE(sys->AppMinimized());
    EXPECT_TRUE(IsIconic(h));
    EXPECT_EQ(minimized, 1);
    sys->MinimizeApp();
    EXPECT_EQ(minimized, 1) << "once";
    const int paints = r.paints;
    sys->RestoreApp();
    SpinUntil([&] { return !IsIconic(h) && restored > 0 && r.paints > paints; });
    EXPECT_FALSE(IsIconic(h));
    EXPECT_EQ(restored, 1);
    EXPECT_GT(r.paints, paints) << "the whole window is painted anew";

    // The user does the same through the task bar.
    ShowWindow(h, SW_MINIMIZE);
    SpinUntil([&] { return minimized > 1; });
    EXPECT_TRUE(sys->AppMinimized());
    EXPECT_EQ(minimized, 2);
    ShowWindow(h, SW_RESTORE);
    SpinUntil([&] { return restored > 1; });
    EXPECT_FALSE(sys->AppMinimized());
    EXPECT_EQ(restored, 2);
}

TEST_F(WindowSystem, WindowsArePlacedAnywhereWithTheirStyleAndTitle) {
    // The 800 x 600 arrangement: a window wider than the screen, above and left of it.
    auto main = Make(1052, 768, true);
    main->SetBounds(-246, -113, 1052, 768);
    HWND h = win32::NativeWindow(*main);
    RECT rc;
    GetWindowRect(h, &rc);
    EXPECT_EQ(rc.left, -246);
    EXPECT_EQ(rc.top, -113);
    EXPECT_EQ(rc.right - rc.left, 1052);
    EXPECT_EQ(rc.bottom - rc.top, 768);
    EXPECT_EQ(main->Left(), -246);
    const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    main->SetStayOnTop(false);
    EXPECT_FALSE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(main->StayOnTop());

    // Titles are Windows-1250 in the program and reach the system as they read.
    main->SetTitle(Utf8ToCp1250("Zażółć gęślą jaźń"));
    wchar_t title[64] = {};
    GetWindowTextW(h, title, 64);
    EXPECT_EQ(std::wstring(title), L"Za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105 ja\u017A\u0144");

    // A dialog: a frame with only the close box, the client area exactly as asked,
    // centred on the screen as a whole, belonging to the first window.
    WindowStyle ds;
    ds.dialog = true;
    ds.borderless = false;
    ds.centred = true;
    ds.stayOnTop = true;
    ds.width = 487;
    ds.height = 361;
    auto dlg = sys->CreateWindow(ds);
    dlg->Show();
    HWND d = win32::NativeWindow(*dlg);
    const LONG_PTR dstyle = GetWindowLongPtrW(d, GWL_STYLE);
    EXPECT_EQ(dstyle & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(dstyle & WS_SYSMENU);
    EXPECT_FALSE(dstyle & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongPtrW(d, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(d, GW_OWNER), h);
    GetClientRect(d, &rc);
    EXPECT_EQ(rc.right, 487);
    EXPECT_EQ(rc.bottom, 361);
    GetWindowRect(d, &rc);
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_LE(std::abs((rc.left + rc.right) - sw), 1);
    EXPECT_LE(std::abs((rc.top + rc.bottom) - sh), 1);
    POINT origin{0, 0};
    ClientToScreen(d, &origin);
    EXPECT_EQ(dlg->Left(), origin.x);
    EXPECT_EQ(dlg->Top(), origin.y);
}

TEST_F(WindowSystem, CursorsByNumberAndTheHandInstalledFromItsPicture) {
    EXPECT_EQ(win32::CursorFor(*sys, kCursorDefault), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(win32::CursorFor(*sys, kCursorHourglass), LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(win32::CursorFor(*sys, -4), LoadCursorW(nullptr, IDC_IBEAM));
    EXPECT_EQ(win32::CursorFor(*sys, -1), nullptr);
    // Until the program installs its hand, 25 is the system's.
    EXPECT_EQ(win32::CursorFor(*sys, kCursorHand), LoadCursorW(nullptr, IDC_HAND));

    Image pic(32, 32), mask(32, 32);
    pic.FillAll({255, 255, 255});
    mask.Fill({4, 2, 10, 20}, {255, 255, 255});  // opaque only there
    ASSERT_TRUE(sys->RegisterCursor(kCursorHand, pic, mask, 7, 3));
    HCURSOR hand = win32::CursorFor(*sys, kCursorHand);
    ASSERT_NE(hand, nullptr);
    EXPECT_NE(hand, LoadCursorW(nullptr, IDC_HAND));
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(hand, &ii));
    EXPECT_FALSE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 7u);
    EXPECT_EQ(ii.yHotspot, 3u);
    // The AND mask lets the screen through everywhere but the opaque part.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, ii.hbmMask);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 13, 21), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 14, 5), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 5, 22), RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    // A hot spot outside the picture is kept on it; an empty picture is refused.
    ASSERT_TRUE(sys->RegisterCursor(26, pic, mask, 99, -5));
    ASSERT_TRUE(GetIconInfo(win32::CursorFor(*sys, 26), &ii));
    EXPECT_EQ(ii.xHotspot, 31u);
    EXPECT_EQ(ii.yHotspot, 0u);
    DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    EXPECT_FALSE(sys->RegisterCursor(27, Image(), Image(), 0, 0));
    EXPECT_EQ(win32::CursorFor(*sys, 27), LoadCursorW(nullptr, IDC_ARROW));
}

// The message box open on this thread now, if any.
HWND OpenBox() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM out) CALLBACK -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            if (std::wstring(cls) == L"#32770" && IsWindowVisible(w)) {
                *reinterpret_cast<HWND*>(out) = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Every text of a box's static controls, one after another.
std::wstring BoxTexts(HWND box) {
    std::wstring all;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[16] = {}, text[256] = {};
        GetClassNameW(c, cls, 16);
        GetWindowTextW(c, text, 256);
        if (_wcsicmp(cls, L"Static") == 0) all += text;
    }
    return all;
}

TEST_F(WindowSystem, MessageBoxesSpeakPolishTakeTheTitleAndAnswer) {
    sys->SetAppTitle("VEMI32");
    auto main = Make(300, 200, true);
    main->Show();
    Spin(20);
    // The test plays the user from a timer, which the box's own loop runs.
    std::wstring caption, texts;
    LONG_PTR ex = 0;
    HWND owner = nullptr;
    WPARAM answer = IDYES;
    const unsigned t = sys->SetTimer(20, [&] {
        HWND box = OpenBox();
        if (!box) return;
        wchar_t c[128] = {};
        GetWindowTextW(box, c, 128);
        caption = c;
        texts = BoxTexts(box);
        ex = GetWindowLongPtrW(box, GWL_EXSTYLE);
        owner = GetWindow(box, GW_OWNER);
        PostMessageW(box, WM_COMMAND, answer, 0);
    });
    EXPECT_EQ(sys->MessageBox(Utf8ToCp1250("Nie można uruchomić pliku:\n\nD:\\Gry\\łódź.exe"), "", MsgKind::Information), kIdOk);
    EXPECT_EQ(caption, L"VEMI32") << "an empty caption is the application's title";
    EXPECT_NE(texts.find(L"Nie mo\u017Cna uruchomi\u0107 pliku:"), std::wstring::npos);
    EXPECT_NE(texts.find(L"\u0142\u00F3d\u017A.exe"), std::wstring::npos);
    EXPECT_TRUE(ex & WS_EX_TOPMOST) << "above the window that stays on top";
    EXPECT_EQ(owner, win32::NativeWindow(*main));

    answer = IDNO;
    EXPECT_EQ(sys->MessageBox(Utf8ToCp1250("Czy na pewno?"), Utf8ToCp1250("Zmień rozdzielczość ekranu"), MsgKind::Question,
                              MsgButtons::YesNo),
              kIdNo);
    EXPECT_EQ(caption, L"Zmie\u0144 rozdzielczo\u015B\u0107 ekranu");
    answer = IDYES;
    EXPECT_EQ(sys->MessageBox("?", "x", MsgKind::Question, MsgButtons::YesNo), kIdYes);
    sys->KillTimer(t);
}

TEST_F(WindowSystem, TheWizardsCloseBoxAsksItsQuestionAndTheAboutBoxsClosesIt) {
    SetSystem(sys.get());
    testsupport::TempDir tmp;
    Drives().Map('C', tmp.path());
    auto desk = std::make_unique<testsupport::DesktopSandbox>(tmp / "desktop");
    auto menu = sys->CreateWindow(MenuStyle());
    menu->Show();
    {
        TINST_FRM wizard;
        TABT_FRM about;
        wizard.ProgramFolderName = "Gra";
        wizard.StartWizard(WizardMode::InstallWithShortcut);
        const HWND w = win32::NativeWindow(wizard.Window()), a = win32::NativeWindow(about.Window());
        // The user clicks the close box and answers "Nie"; opens the about box (as
        // its button does, from the wizard's loop) and closes it with its close box;
        // clicks the wizard's close box again and answers "Tak". A timer that every
        // loop runs, the question's and the about box's own too, plays it.
        std::vector<std::wstring> questions;
        std::vector<bool> openAfterNo, aboutTakesInput;
        bool aboutClosed = false;
        int phase = 0, tick = 0;
        const unsigned t = sys->SetTimer(40, [&] {
            ++tick;
            HWND box = OpenBox();
            if (phase == 0 && tick > 2) {
                ClickAt(CloseBoxOf(w));
                phase = 1;
            } else if ((phase == 1 || phase == 5) && box) {
                questions.push_back(BoxTexts(box));
                PostMessageW(box, WM_COMMAND, phase == 1 ? IDNO : IDYES, 0);
                ++phase;
            } else if (phase == 2 && !box) {
                openAfterNo.push_back(IsWindowVisible(w) != FALSE);
                phase = 3;
                about.ShowModal();
                aboutClosed = !IsWindowVisible(a);
                ClickAt(CloseBoxOf(w));
                phase = 5;
            } else if (phase == 3 && IsWindowVisible(a)) {
                aboutTakesInput.push_back(IsWindowEnabled(a) != FALSE);
                ClickAt(CloseBoxOf(a));
                phase = 4;
            }
            if (tick == 200) {  // never hang
                if (box) PostMessageW(box, WM_COMMAND, IDYES, 0);
                about.Window().Hide();
                wizard.Window().Hide();
            }
        });
        wizard.ShowModal();
        sys->KillTimer(t);
        EXPECT_LT(tick, 200) << "the user's part did not come to its end";
        EXPECT_EQ(openAfterNo, std::vector<bool>{true}) << "\"Nie\" keeps the wizard";
        // The about box has nothing to ask: its close box closes it, without "OK".
        EXPECT_EQ(aboutTakesInput, std::vector<bool>{true}) << "the about box in front of the wizard takes input";
        EXPECT_TRUE(aboutClosed);
        EXPECT_NE(about.ModalResult, kIdOk);
        EXPECT_FALSE(IsWindowVisible(w));
        const std::wstring asked = wintest::Wide(Cp1250ToUtf8(wizard.CancelText));
        ASSERT_EQ(questions.size(), 2u) << "the close box asked " << questions.size() << " times";
        EXPECT_NE(questions[0].find(asked), std::wstring::npos);
        EXPECT_NE(questions[1].find(asked), std::wstring::npos);
    }
    SetSystem(nullptr);
    desk.reset();
    Drives().Unmap('C');
}

TEST(MenuProgram, TheDiscsProgramCarriesItsIconAndManifest) {
    // What autorun.inf names ("vemi32.exe,0") and what Windows reads at start.
    const std::wstring exe = L"" VEMI_BINARY_DIR L"/sample-disc/disc/vemi32.exe";
    HMODULE m = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(m, nullptr) << GetLastError();
    EXPECT_NE(FindResourceW(m, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
    HRSRC manifest = FindResourceW(m, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(m, manifest)));
    const std::string xml(text, SizeofResource(m, manifest));
    // Unaware of the display's scaling: Windows enlarges the menu as a whole.
    EXPECT_NE(xml.find(">false</dpiAware>"), std::string::npos);
    EXPECT_NE(xml.find(">unaware</dpiAwareness>"), std::string::npos);
    EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    // Icons of every size the icon file has, the largest 64 pixels.
    HICON large = nullptr;
    EXPECT_EQ(ExtractIconExW(exe.c_str(), -1, nullptr, nullptr, 0), 1u);
    ExtractIconExW(exe.c_str(), 0, &large, nullptr, 1);
    ASSERT_NE(large, nullptr);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(large, &ii));
    BITMAP bm{};
    GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXICON));
    DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    DestroyIcon(large);
    FreeLibrary(m);
}

}  // namespace

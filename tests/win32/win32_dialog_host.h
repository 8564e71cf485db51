// A dialog window for the tests of the Win32 dialog controls: a platform::Window over
// a plain top-level HWND that does for the controls what the window system's dialog
// does and no more. Its procedure offers every message to the controls first, its
// loop gives Enter to them before dispatching it, and its close box asks the
// handler. The rest of a test's system may stay headless.
#pragma once

// Before windows.h, whose macros would rename the window system's CreateWindow and
// MessageBox.
#include "platform/system.h"

#include "platform/win32/Win32controls.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/text.h"
#include "win32_test_support.h"

namespace wintest {

inline std::wstring Text(HWND h) {
    wchar_t buf[1024] = {};
    GetWindowTextW(h, buf, 1024);
    return buf;
}

inline std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> out;
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM lp) CALLBACK -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

// The colour a window shows at a client point, read from the screen.
inline platform::Rgb PixelOf(HWND h, int x, int y) {
    HDC dc = GetDC(h);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(h, dc);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

class TestDialog : public platform::Window {
public:
    explicit TestDialog(const platform::WindowStyle& s) : width_(s.width), height_(s.height) {
        static const ATOM cls = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            wc.lpszClassName = L"VemiTestDialog";
            return RegisterClassExW(&wc);
        }();
        (void)cls;
        RECT r{0, 0, s.width, s.height};
        AdjustWindowRectEx(&r, kStyle, FALSE, 0);
        hwnd_ = CreateWindowExW(s.stayOnTop ? WS_EX_TOPMOST : 0, L"VemiTestDialog", Wide(platform::Cp1250ToUtf8(s.title)).c_str(),
                                kStyle, 20, 20, r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        controls_ = std::make_unique<platform::win32::DialogControls>(hwnd_, [this](const char* e) { errors.push_back(e); });
    }
    static platform::WindowStyle Style(int w = 502, int h = 354) {
        platform::WindowStyle s;
        s.borderless = false;
        s.dialog = true;
        s.width = w;
        s.height = h;
        return s;
    }
    ~TestDialog() override {
        // The controls go first, then their windows, then the dialog.
        DropControls();
        controls_.reset();
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        Pump();
    }

    void SetHandler(platform::WindowHandler* h) override { handler_ = h; }
    void SetBounds(int, int, int w, int h) override { width_ = w, height_ = h; }
    int Left() const override { return 0; }
    int Top() const override { return 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetStayOnTop(bool) override {}
    bool StayOnTop() const override { return true; }
    void SetFullScreen(bool) override {}
    bool FullScreen() const override { return false; }
    bool SetShape(platform::ShapeKind, int, int, int, int, int, int) override { return false; }
    void SetTitle(const std::string& t) override { SetWindowTextW(hwnd_, Wide(platform::Cp1250ToUtf8(t)).c_str()); }
    void SetBackground(platform::Rgb) override {}
    platform::Image& Canvas() override { return canvas_; }
    void Invalidate() override {}
    void Show() override {
        ShowWindow(hwnd_, SW_SHOW);
        if (HWND f = controls_->InitialFocus()) SetFocus(f);
        UpdateWindow(hwnd_);
        Pump();
    }
    void Hide() override { ShowWindow(hwnd_, SW_HIDE); }
    bool Visible() const override { return IsWindowVisible(hwnd_) != FALSE; }
    void ShowModal() override {
        Show();
        ++modalRuns;
        while (Visible()) {
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT) == WAIT_TIMEOUT) {
                ADD_FAILURE() << "the modal window was left open";
                Hide();
                break;
            }
            Pump();
        }
    }
    void BeginModal() override { Show(); }
    void EndModal() override { Hide(); }
    void Close() override {
        if (handler_ && !handler_->OnCloseQuery()) return;
        Hide();
        if (handler_) handler_->OnClose();
    }
    void SetCursor(int) override {}
    int Cursor() const override { return 0; }
    void SetOverlay(const platform::OverlayPanel& p) override { overlay_ = p; }
    const platform::OverlayPanel& Overlay() const override { return overlay_; }

    // --- for the tests ---
    HWND Hwnd() const { return hwnd_; }
    HWND Of(const platform::Control* c) const { return windows_.at(c); }
    HWND Of(const platform::Control& c) const { return windows_.at(&c); }
    platform::Control& Add(platform::ControlKind kind, platform::Control* parent, const std::string& name) {
        return AddControl(kind, parent, name);
    }
    bool PressEnter() { return controls_->PressEnter(Controls()); }
    HWND InitialFocus() const { return controls_->InitialFocus(); }

    // The loop: Enter goes to the controls of the dialog it was typed in first.
    static void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_KEYDOWN && m.wParam == VK_RETURN) {
                HWND root = GetAncestor(m.hwnd, GA_ROOT);
                auto* w = root ? reinterpret_cast<TestDialog*>(GetWindowLongPtrW(root, GWLP_USERDATA)) : nullptr;
                if (w && w->PressEnter()) continue;
            }
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    // The user clicks (or double-clicks) at a client point of a control's window.
    static void Click(HWND h, int x, int y, bool twice = false) {
        const LPARAM at = MAKELPARAM(x, y);
        SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(h, WM_LBUTTONUP, 0, at);
        if (twice) {
            SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            SendMessageW(h, WM_LBUTTONUP, 0, at);
        }
        Pump();
    }

    std::vector<std::string> errors;
    int modalRuns = 0;

protected:
    void AttachControl(platform::Control& c) override {
        // The control's window is the one that was not there before.
        std::vector<HWND> before = Descendants(hwnd_);
        controls_->Attach(c);
        std::set<HWND> old(before.begin(), before.end());
        for (HWND h : Descendants(hwnd_))
            if (!old.count(h) && GetParent(h) == (c.Parent() ? windows_.at(c.Parent()) : hwnd_)) windows_[&c] = h;
    }

private:
    static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<TestDialog*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        LRESULT r = 0;
        if (self && self->controls_ && self->controls_->HandleMessage(m, wp, lp, r)) return r;
        if (self && m == WM_CLOSE) {
            self->Close();
            return 0;
        }
        return DefWindowProcW(h, m, wp, lp);
    }

    HWND hwnd_ = nullptr;
    std::unique_ptr<platform::win32::DialogControls> controls_;
    std::map<const platform::Control*, HWND> windows_;
    platform::WindowHandler* handler_ = nullptr;
    int width_, height_;
    platform::Image canvas_;
    platform::OverlayPanel overlay_;
};

}  // namespace wintest

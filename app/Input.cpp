// Mouse, wheel and keys on the main window, and the message hook over the banners.
#include "app/Mainu.h"
#include "app/Showmapsu.h"
#include "widgets/Showimagesu.h"

using platform::Button;
using platform::ShiftState;
using platform::Sys;

namespace {
// The diagnostic chord: Ctrl + Shift + Alt + D.
constexpr int kDiagnosticKey = 'D';
}  // namespace

bool TMN_FRM::IsDoublePress() {
    uint32_t now = Sys().TickCount();
    bool dbl = static_cast<uint32_t>(now - lastPressTime) < 300;
    lastPressTime = now;
    return dbl;
}

void TMN_FRM::FormMouseDown(Button, ShiftState s, int x, int y) {
    Application& app = App();
    if (inputReady && s.left && !busy) {
        programList.Click(x, y, IsDoublePress());
        listScrollBar.MouseDown(x, y);
        if (app.entryKind == kKindProgram) descScrollBar.MouseDown(x, y);
        if ((ScreenMode == 801 || ScreenMode == 1025) && 0 <= x && x <= 960 && 109 <= y && y <= 132) {
            dragging = true;
            grabX = x;
            grabY = y;
        }
    }
    if (inputReady) {
        if (!busy) pressId = showmaps::HitTest(x, y);
        app.leftBanners.MouseDown(x, y);
        app.topBanners.MouseDown(x, y);
    }
}

void TMN_FRM::FormMouseUp(Button, ShiftState, int x, int y) {
    if (inputReady) {
        if (!busy && showmaps::HitTest(x, y) == pressId) Guard([&] { DispatchAction(x, y); });
        // The window may be gone (the close button) or busy elsewhere; the bars only
        // need to hear that the button is up.
        if (MN_FRM == this) {
            listScrollBar.MouseUp();
            if (App().entryKind == kKindProgram) descScrollBar.MouseUp();
        }
    }
    dragging = false;
}

void TMN_FRM::SetCursorFor(int id, int x, int y) {
    Application& app = App();
    bool hand = false;
    if (id >= 1 && id <= 10) {
        hand = app.buttonState[id] == 2;
    } else if (id >= 21 && id <= 24) {
        hand = true;
    } else if (id == 31) {
        hand = app.entryKind == kKindProgram && (app.buttonState[11] == 2 || defaultScreenshotShown);
    } else if (id == 32) {
        hand = app.entryKind == kKindProgram && app.buttonState[12] == 2 && x <= linkWidth + 759;
    } else {
        hand = listScrollBar.HitTest(x, y) || descScrollBar.HitTest(x, y) || programList.IsOverText(x, y) ||
               app.leftBanners.IsHot(x, y) || app.topBanners.IsHot(x, y);
    }
    window_->SetCursor(hand ? platform::kCursorHand : platform::kCursorDefault);
}

void TMN_FRM::FormMouseMove(ShiftState, int x, int y) {
    if (!inputReady) return;
    Application& app = App();
    listScrollBar.MouseMove(x, y);
    if (app.entryKind == kKindProgram) descScrollBar.MouseMove(x, y);
    if (!busy) {
        previousHoverId = hoverId;
        hoverId = showmaps::HitTest(x, y);
        SetCursorFor(hoverId, x, y);
        ApplyHover(hoverId, previousHoverId);
    }
    if ((ScreenMode == 801 || ScreenMode == 1025) && dragging) {
        // Where the window's corner must go for the grabbed point to stay under the pointer.
        int left = window_->Left() + x - grabX;
        int top = window_->Top() + y - grabY;
        const int sw = Sys().ScreenWidth(), sh = Sys().ScreenHeight();
        const int w = window_->Width(), h = window_->Height();
        if (left < -750) left = -750;
        if (ScreenMode == 801) {
            if (w + left + 1 > sw + 600) left = sw - w + 601;
            if (top < -113) top = -113;
        } else {
            if (w + left + 1 > sw + 886) left = sw - w + 887;
            if (top < -111) top = -111;
        }
        if (h + top + 1 > sh + 600) top = sh - h + 601;
        window_->SetBounds(left, top, w, h);
    }
    ShowHoverHint(x, y);
    app.leftBanners.MouseMove(x, y);
    app.topBanners.MouseMove(x, y);
}

bool TMN_FRM::OnMouseWheel(int delta, ShiftState, int sx, int sy) {
    Guard([&] { FormMouseWheel(delta > 0, sx, sy); });
    return true;
}

bool TMN_FRM::FormMouseWheel(bool up, int screenX, int screenY) {
    if (inputReady) {
        int x = screenX, y = screenY;
        window_->ScreenToClient(x, y);
        int id = showmaps::WheelHitTest(x, y);
        if (id == 41) {
            up ? listScrollBar.LineUp() : listScrollBar.LineDown();
        } else if (id == 42 && App().entryKind == kKindProgram) {
            up ? descScrollBar.LineUp() : descScrollBar.LineDown();
        }
    }
    return true;
}

void TMN_FRM::FormKeyDown(int key, ShiftState s) {
    if (!inputReady) return;
    if (s.ctrl && s.shift && s.alt && key == kDiagnosticKey) {
        platform::OverlayPanel p = window_->Overlay();
        p.visible = true;
        window_->SetOverlay(p);
    }
    if (!busy) programList.Key(key);
}

void TMN_FRM::FormKeyUp(int, ShiftState) {
    if (window_->Overlay().visible) {
        platform::OverlayPanel p = window_->Overlay();
        p.visible = false;
        window_->SetOverlay(p);
    }
}

bool TMN_FRM::RouteBannerMouse(const platform::InputEvent& ev) {
    using platform::EventType;
    if (IMG_FRM && IMG_FRM->Visible()) return false;
    if (ev.type == EventType::KeyDown || ev.type == EventType::KeyUp) return false;
    int px = ev.screenX, py = ev.screenY;
    window_->ScreenToClient(px, py);
    const bool inLeft = 7 < px && px < 262 && 136 < py && py < 736;
    const bool inTop = 7 < px && px < 1017 && 7 < py && py < 107;
    const bool inLowerLeft = 7 < px && px < 262 && 661 < py && py < 761;
    if (!(inLeft || inTop || inLowerLeft)) return false;
    ShiftState none;
    if (ev.type == EventType::MouseDown && ev.button == Button::Left)
        FormMouseDown(Button::Left, none, px, py);
    else if (ev.type == EventType::MouseUp && ev.button == Button::Left)
        FormMouseUp(Button::Left, none, px, py);
    else if (ev.type == EventType::MouseMove)
        FormMouseMove(none, px, py);
    return true;
}

void TMN_FRM::OnAppMinimize() {
    App().leftBanners.StopMovies();
    App().topBanners.StopMovies();
}

void TMN_FRM::OnAppRestore() {
    App().leftBanners.PlayMovies();
    App().topBanners.PlayMovies();
    // Whatever the window showed was dropped while it was away; paint it anew.
    window_->Invalidate();
}

void TMN_FRM::MinimiseWindow() {
    inputReady = false;
    Sys().MinimizeApp();
}

void TMN_FRM::OpenPictureViewer() {
    const CurrentProgram& cp = App().current;
    if (cp.pictureCount <= 0 || cp.pictures[0].empty() || !IMG_FRM) return;
    try {
        int old = window_->Cursor();
        window_->SetCursor(platform::kCursorHourglass);
        IMG_FRM->LoadPicture(cp.largePictureFolder + cp.pictures[0]);
        std::vector<std::string> names(cp.pictures.begin(), cp.pictures.begin() + cp.pictureCount);
        IMG_FRM->SetPictures(cp.largePictureFolder, names);
        window_->SetCursor(old);
        IMG_FRM->ShowModal();
    } catch (...) {
        // Nothing to tell the user: the viewer simply does not open.
    }
}

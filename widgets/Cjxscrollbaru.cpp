#include "widgets/Cjxscrollbaru.h"

#include <algorithm>
#include <cstdint>

#include "platform/bmp.h"
#include "platform/system.h"

using platform::Image;
using platform::RasterOp;

JXScrollBarCore::JXScrollBarCore(JXBarClassState& cls, void (*upProc)(), void (*downProc)(), int track,
                                 int downArrowTop)
    : trackLength(track), cls_(cls), upProc_(upProc), downProc_(downProc), track_(track), downArrowTop_(downArrowTop) {}

int JXScrollBarCore::Load(platform::MemoryStream& stream) {
    int rc = 0;
    for (Image& img : images) {
        if (!platform::ReadBmp(stream, img)) {
            // The rest of the stream belongs to whoever reads after us and is
            // useless anyway once one picture broke, so stop here.
            rc = 1;
            break;
        }
    }
    compose = images[kBackground].Clone();
    return rc;
}

void JXScrollBarCore::Init(int l, int t, int mn, int mx, Image* s) {
    cls_.callback = nullptr;
    min = mn;
    max = mx;
    position = mn;
    cls_.upTimerActive = cls_.downTimerActive = false;
    cls_.upTimerId = cls_.downTimerId = 0;
    hotPart = kPartNone;
    dragging = false;
    surface = s;
    enabled = (mn != mx);
    trackLength = track_;
    UpdateThumb();
    left = l;
    top = t;
    width = images[kBackground].Width();
    height = images[kBackground].Height();
}

void JXScrollBarCore::SetCallback(JXScrollCallback cb) { cls_.callback = cb; }

void JXScrollBarCore::UpdateThumb() {
    if (!enabled || max == min) {
        thumbOffset = 0;
        return;
    }
    // 64-bit so that a long list times the track length cannot overflow.
    thumbOffset = static_cast<int>(int64_t(position - min) * trackLength / (int64_t(max) - min));
}

bool JXScrollBarCore::ApplyRange(int newMax, int newPosition) {
    if (newMax < min) return false;
    max = newMax;
    enabled = (min != max);
    position = newPosition > max ? min : newPosition;
    UpdateThumb();
    return true;
}

void JXScrollBarCore::Step(int delta) {
    if (!enabled) return;
    if ((position > min && delta < 0) || (position < max && delta > 0))
        position = std::clamp(position + delta, min, max);
    UpdateThumb();
    Redraw();
}

int JXScrollBarCore::PartAt(int x, int y) const {
    const int dx = x - left, dy = y - top;
    if (!(0 < dx && dx < width && 0 < dy && dy < height)) return -1;
    if (dx > kPartWidth - 1) return kPartNone;
    // Tested in this order: where parts overlap, the arrows win over the thumb.
    if (dy <= kArrowHeight - 1) return kPartUp;
    if (dy >= downArrowTop_ && dy <= downArrowTop_ + kArrowHeight - 1) return kPartDown;
    if (dy >= thumbOffset + kThumbTop && dy <= thumbOffset + kThumbTop + kThumbHeight - 1) return kPartThumb;
    return kPartNone;
}

void JXScrollBarCore::Notify(int code, int value, int delta) {
    if (cls_.callback) cls_.callback(code, value, delta);
}

void JXScrollBarCore::Tick(JXBarClassState& cls, int code) {
    if (cls.callback) cls.callback(code, 0, code == 1 ? -1 : +1);
}

void JXScrollBarCore::StopTimer(bool up) {
    bool& active = up ? cls_.upTimerActive : cls_.downTimerActive;
    if (!active) return;
    if (platform::HasSystem()) platform::Sys().KillTimer(up ? cls_.upTimerId : cls_.downTimerId);
    active = false;
}

void JXScrollBarCore::StartRepeat(bool up) {
    // A press without a release in between (the release went to another window)
    // must not leave an earlier repeat running with nobody to stop it.
    StopTimer(true);
    StopTimer(false);
    if (!platform::HasSystem()) return;
    unsigned id = platform::Sys().SetTimer(kRepeatMs, up ? upProc_ : downProc_);
    if (up) {
        cls_.upTimerId = id;
        cls_.upTimerActive = true;
    } else {
        cls_.downTimerId = id;
        cls_.downTimerActive = true;
    }
}

void JXScrollBarCore::MouseDown(int x, int y) {
    if (!enabled) return;
    const int part = PartAt(x, y);
    if (part == kPartUp) {
        if (!dragging) {
            Notify(1, 0, -1);
            StartRepeat(true);
        }
    } else if (part == kPartDown) {
        if (!dragging) {
            Notify(2, 0, +1);
            StartRepeat(false);
        }
    } else if (part == kPartThumb) {
        dragging = true;
    }
    Redraw();
}

void JXScrollBarCore::MouseUp() {
    dragging = false;
    if (cls_.upTimerActive)
        StopTimer(true);
    else if (cls_.downTimerActive)
        StopTimer(false);
}

void JXScrollBarCore::MouseMove(int x, int y) {
    if (!enabled) return;
    if (dragging) {
        // The pointer holds the thumb 20 pixels below its top; the thumb stays
        // within the track wherever the pointer goes.
        const int t = std::clamp(y - top - 5, kThumbTop, trackLength + kThumbTop) - kThumbTop;
        thumbOffset = t;
        const int old = position;
        position = min + static_cast<int>((int64_t(max) - min) * t / trackLength);
        if (position != old) Notify(3, position, position - old);
        hotPart = kPartThumb;
        Redraw();
        return;
    }
    const int part = std::max(PartAt(x, y), static_cast<int>(kPartNone));
    if (part != hotPart) {
        hotPart = part;
        Redraw();
    }
}

void JXScrollBarCore::LineUp() {
    if (!enabled || dragging) return;
    Notify(1, 0, -1);
    hotPart = kPartNone;
    Redraw();
}

void JXScrollBarCore::LineDown() {
    if (!enabled || dragging) return;
    Notify(2, 0, +1);
    hotPart = kPartNone;
    Redraw();
}

bool JXScrollBarCore::HitTest(int x, int y) const {
    if (!enabled) return false;
    const int part = PartAt(x, y);
    return part == kPartUp || part == kPartDown || part == kPartThumb;
}

void JXScrollBarCore::Redraw() {
    const Image& bg = images[kBackground];
    if (compose.Width() != bg.Width() || compose.Height() != bg.Height()) compose.Create(bg.Width(), bg.Height());
    compose.CopyRect(0, 0, bg.Width(), bg.Height(), bg, 0, 0, RasterOp::Copy);
    if (enabled) {
        auto put = [this](const Image& img, int y) {
            compose.CopyRect(0, y, img.Width(), img.Height(), img, 0, 0, RasterOp::Copy);
        };
        put(images[kThumb], thumbOffset + kThumbTop);
        switch (hotPart) {
        case kPartUp: put(images[kUpHot], 0); break;
        case kPartDown: put(images[kDownHot], downArrowTop_); break;
        case kPartThumb: put(images[kThumbHot], thumbOffset + kThumbTop); break;
        default: break;
        }
    }
    if (surface) surface->CopyRect(left, top, width, height, compose, 0, 0, RasterOp::Copy);
}

void JXScrollBarCore::Free() {
    for (Image& img : images) img.Reset();
    compose.Reset();
}

// ---------------------------------------------------------------------------

JXBarClassState CJXScrollBar::classState;

CJXScrollBar::CJXScrollBar()
    : JXScrollBarCore(classState, &CJXScrollBar::UpTimerProc, &CJXScrollBar::DownTimerProc, kTrackLength,
                      kDownArrowTop) {}

void CJXScrollBar::UpTimerProc() { Tick(classState, 1); }
void CJXScrollBar::DownTimerProc() { Tick(classState, 2); }

void CJXScrollBar::SetRange(int newMax, int newPosition) {
    if (ApplyRange(newMax, newPosition)) Redraw();
}

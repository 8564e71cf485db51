// The skinned vertical scroll bars of the main window. Both bars are one design:
// JXScrollBarCore does the work, and each bar class adds its own track length, the
// place of its down arrow, its range setter and its class-wide state (the owner
// callback and the two auto-repeat timers), which the window-less timer procedures
// reach without an object.
#pragma once

#include "platform/image.h"
#include "platform/stream.h"

// code 1: one line up (value 0, delta -1); code 2: one line down (value 0, delta +1);
// code 3: the thumb was dragged (value = new position, delta = new - old).
using JXScrollCallback = void (*)(int code, int value, int delta);

// What a bar class keeps once for the class rather than per object.
struct JXBarClassState {
    JXScrollCallback callback = nullptr;
    unsigned upTimerId = 0;
    bool upTimerActive = false;
    unsigned downTimerId = 0;
    bool downTimerActive = false;
};

class JXScrollBarCore {
public:
    enum Part { kPartNone = 0, kPartUp = 1, kPartDown = 2, kPartThumb = 3 };
    enum Picture {
        kBackground = 0,   // track and both arrows in their normal look
        kUnused2 = 1,      // read with the others, never drawn
        kUpHot = 2,
        kUnused4 = 3,      // read with the others, never drawn
        kDownHot = 4,
        kThumb = 5,
        kThumbHot = 6,
    };
    // Arrows and thumb are this wide and tall; the thumb's top sits 15 pixels below
    // its offset, right under the up arrow.
    static constexpr int kPartWidth = 12;
    static constexpr int kArrowHeight = 16;
    static constexpr int kThumbTop = 15;
    static constexpr int kThumbHeight = 12;
    static constexpr unsigned kRepeatMs = 50;

    JXScrollBarCore(const JXScrollBarCore&) = delete;
    JXScrollBarCore& operator=(const JXScrollBarCore&) = delete;

    // Reads the seven pictures back to back; 0, or 1 when one of them is missing or bad.
    int Load(platform::MemoryStream& stream);
    void Init(int left, int top, int min, int max, platform::Image* surface);
    void SetCallback(JXScrollCallback cb);
    void Step(int delta);
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    void MouseUp();
    void LineUp();
    void LineDown();
    bool HitTest(int x, int y) const;
    void Redraw();
    void Free();

    // The part under a surface point: -1 outside the bar, kPartNone on the track.
    int PartAt(int x, int y) const;
    int DownArrowTop() const { return downArrowTop_; }

    platform::Image images[7];
    platform::Image compose;
    platform::Image* surface = nullptr;
    int left = 0, top = 0, width = 0, height = 0;
    int trackLength = 0;
    int thumbOffset = 0;
    int min = 0, max = 0, position = 0;
    bool enabled = false;
    int hotPart = kPartNone;
    bool dragging = false;

protected:
    JXScrollBarCore(JXBarClassState& cls, void (*upProc)(), void (*downProc)(), int trackLength, int downArrowTop);
    ~JXScrollBarCore() = default;

    // The common part of both range setters; false when max < min left all alone.
    bool ApplyRange(int newMax, int newPosition);
    void UpdateThumb();
    // One tick of an arrow's repeat, shared by the timer procedures of both classes.
    static void Tick(JXBarClassState& cls, int code);

private:
    void Notify(int code, int value, int delta);
    void StartRepeat(bool up);
    void StopTimer(bool up);

    JXBarClassState& cls_;
    void (*upProc_)();
    void (*downProc_)();
    int track_;
    int downArrowTop_;
};

// The bar beside the program list.
class CJXScrollBar : public JXScrollBarCore {
public:
    static constexpr int kTrackLength = 500;
    static constexpr int kDownArrowTop = 526;

    CJXScrollBar();
    // Ignored when max < min; a position past max falls back to min. Repaints.
    void SetRange(int max, int position);

    static JXBarClassState classState;

private:
    static void UpTimerProc();
    static void DownTimerProc();
};

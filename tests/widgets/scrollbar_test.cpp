#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/bmp.h"
#include "platform/headless/headless.h"
#include "widgets/Cjxscrollbaru.h"
#include "widgets/Cjxtextscrbaru.h"
#include "widget_test_fonts.h"

using platform::Image;
using platform::Rgb;

namespace {

using Call = std::tuple<int, int, int>;
using Calls = std::vector<Call>;
Calls g_calls, g_otherCalls;
JXScrollBarCore* g_owner = nullptr;

void Record(int code, int value, int delta) { g_calls.emplace_back(code, value, delta); }
void RecordOther(int code, int value, int delta) { g_otherCalls.emplace_back(code, value, delta); }
// An owner as the main window is one: it answers the arrows by stepping the bar.
void OwnerSteps(int code, int value, int delta) {
    Record(code, value, delta);
    if (code != 3) g_owner->Step(delta);
}

// The seven pictures in stream order; 2 and 4 are never drawn.
const Rgb kColours[7] = {{10, 20, 30}, {200, 0, 0}, {0, 255, 0}, {200, 0, 200}, {0, 0, 255}, {100, 100, 100}, {250, 250, 0}};
const Rgb kBg = kColours[0], kUpHot = kColours[2], kDownHot = kColours[4], kThumb = kColours[5], kThumbHot = kColours[6];
const Rgb kMarker{7, 7, 7};
constexpr int kLeft = 20, kTop = 30;

std::vector<Image> Pictures(int height) {
    std::vector<Image> v;
    for (int i = 0; i < 7; ++i) v.push_back(wtest::Solid(12, i == 0 ? height : i >= 5 ? 12 : 16, kColours[i]));
    return v;
}

class ScrollBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetSystem(&sys);
        g_calls.clear();
        g_otherCalls.clear();
        surface = wtest::Solid(120, 600, kMarker);
    }
    void TearDown() override { platform::SetSystem(nullptr); }
    void Dress(JXScrollBarCore& bar, int height, int min = 0, int max = 10, int left = kLeft) {
        auto pics = Pictures(height);
        for (int i = 0; i < 7; ++i) bar.images[i] = std::move(pics[i]);
        bar.Init(left, kTop, min, max, &surface);
    }
    // A pixel of the bar, relative to its top-left corner.
    Rgb At(int dx, int dy) const { return surface.Pixel(kLeft + dx, kTop + dy); }

    platform::HeadlessSystem sys;
    Image surface;
};

TEST_F(ScrollBarTest, DragMapsPointerToPositionAndReportsOnlyChanges) {
    CJXScrollBar bar;
    Dress(bar, 544);
    bar.SetCallback(Record);
    bar.MouseDown(kLeft + 5, kTop + 20);  // the thumb covers 15..26
    EXPECT_TRUE(bar.dragging);
    EXPECT_EQ(sys.ActiveTimers(), 0u);

    // The pointer holds the thumb 20 pixels below its top, so t = dy - 20.
    const struct { int t, position; } steps[] = {{0, 0}, {50, 1}, {499, 9}, {500, 10}, {500, 10}};
    for (auto s : steps) {
        bar.MouseMove(kLeft + 5, kTop + 20 + s.t);
        EXPECT_EQ(bar.thumbOffset, s.t);
        EXPECT_EQ(bar.position, s.position) << "t = " << s.t;
    }
    EXPECT_EQ(g_calls, (Calls{{3, 1, 1}, {3, 9, 8}, {3, 10, 1}}));
    EXPECT_EQ(At(5, 514), kBg);
    EXPECT_EQ(At(5, 515), kThumbHot);

    // Far above the bar the thumb pins at the top, far below at the bottom; x does
    // not matter during a drag.
    bar.MouseMove(kLeft + 5, -200);
    EXPECT_EQ(bar.thumbOffset, 0);
    EXPECT_EQ(g_calls.back(), Call(3, 0, -10));
    bar.MouseMove(500, 5000);
    EXPECT_EQ(bar.thumbOffset, 500);
    EXPECT_EQ(bar.position, 10);

    bar.MouseUp();
    EXPECT_FALSE(bar.dragging);
    bar.MouseMove(kLeft + 5, kTop + 300);
    EXPECT_EQ(bar.position, 10);
}

TEST_F(ScrollBarTest, ArrowRepeatsEvery50msUntilReleasedAnywhere) {
    CJXScrollBar bar;
    Dress(bar, 544);
    g_owner = &bar;
    bar.SetCallback(OwnerSteps);
    bar.SetRange(10, 2);

    bar.MouseDown(kLeft + 5, kTop + 5);
    EXPECT_EQ(g_calls.size(), 1u);  // the first step comes with the press
    EXPECT_EQ(sys.ActiveTimers(), 1u);
    EXPECT_TRUE(CJXScrollBar::classState.upTimerActive);
    sys.Advance(49);
    EXPECT_EQ(g_calls.size(), 1u);
    sys.Advance(1);
    EXPECT_EQ(bar.position, 0);
    // At min the owner's Step no longer moves the bar, but the calls go on, also
    // with the pointer elsewhere.
    bar.MouseMove(110, 590);
    sys.Advance(150);
    EXPECT_EQ(g_calls.size(), 5u);
    EXPECT_EQ(bar.position, 0);
    bar.MouseUp();
    EXPECT_EQ(sys.ActiveTimers(), 0u);
    EXPECT_FALSE(CJXScrollBar::classState.upTimerActive);
    sys.Advance(500);
    EXPECT_EQ(g_calls, Calls(5, {1, 0, -1}));

    // The down arrow (526..541) the same way, stopping at max.
    g_calls.clear();
    bar.MouseDown(kLeft + 5, kTop + 541);
    sys.Advance(12 * 50);
    EXPECT_EQ(g_calls, Calls(13, {2, 0, 1}));
    EXPECT_EQ(bar.position, 10);
    bar.MouseUp();
    EXPECT_EQ(sys.ActiveTimers(), 0u);

    // During a drag the arrows and the wheel are ignored.
    g_calls.clear();
    bar.SetRange(10, 5);
    bar.MouseDown(kLeft + 5, kTop + 250 + 20);
    ASSERT_TRUE(bar.dragging);
    bar.MouseDown(kLeft + 5, kTop + 5);
    bar.LineUp();
    bar.LineDown();
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(sys.ActiveTimers(), 0u);
    bar.MouseUp();

    // A wheel notch reports a line and clears the highlight.
    bar.MouseMove(kLeft + 5, kTop + 5);
    bar.LineDown();
    EXPECT_EQ(g_calls, (Calls{{2, 0, 1}}));
    EXPECT_EQ(bar.hotPart, JXScrollBarCore::kPartNone);
    EXPECT_EQ(At(5, 5), kBg);
}

TEST_F(ScrollBarTest, DisabledBarIgnoresEverythingButTheRelease) {
    CJXScrollBar bar;
    Dress(bar, 544);
    bar.SetCallback(Record);
    bar.MouseMove(kLeft + 5, kTop + 5);
    bar.MouseDown(kLeft + 5, kTop + 5);
    ASSERT_EQ(sys.ActiveTimers(), 1u);

    bar.SetRange(0, 0);
    EXPECT_FALSE(bar.enabled);
    for (int dy = 0; dy <= 26; ++dy) EXPECT_EQ(At(5, dy), kBg) << dy;  // no thumb, no highlight

    g_calls.clear();
    bar.MouseDown(kLeft + 5, kTop + 530);
    bar.MouseDown(kLeft + 5, kTop + 20);
    bar.MouseMove(kLeft + 5, kTop + 300);
    bar.LineUp();
    bar.LineDown();
    EXPECT_TRUE(g_calls.empty());
    EXPECT_FALSE(bar.dragging);
    EXPECT_EQ(bar.hotPart, JXScrollBarCore::kPartUp);
    EXPECT_FALSE(bar.HitTest(kLeft + 5, kTop + 5));
    surface.FillAll(kMarker);
    bar.Step(1);
    EXPECT_EQ(At(5, 5), kMarker);

    // The repeat started before still ticks, and the release still stops it.
    sys.Advance(50);
    EXPECT_EQ(g_calls, (Calls{{1, 0, -1}}));
    bar.MouseUp();
    EXPECT_EQ(sys.ActiveTimers(), 0u);
}

TEST_F(ScrollBarTest, SetRangeAndStep) {
    CJXScrollBar bar;
    Dress(bar, 544);
    EXPECT_EQ(At(5, 5), kMarker);  // Init does not paint
    bar.SetRange(20, 25);          // a position past max falls back to min
    EXPECT_EQ(bar.max, 20);
    EXPECT_EQ(bar.position, 0);
    bar.SetRange(20, 10);
    EXPECT_EQ(bar.thumbOffset, 250);
    EXPECT_EQ(At(5, 264), kBg);
    EXPECT_EQ(At(5, 265), kThumb);
    EXPECT_EQ(At(5, 276), kThumb);
    EXPECT_EQ(At(5, 277), kBg);

    // max below min changes nothing and paints nothing.
    Dress(bar, 544, 5, 10);
    surface.FillAll(kMarker);
    bar.SetRange(4, 7);
    EXPECT_EQ(bar.max, 10);
    EXPECT_EQ(bar.position, 5);
    EXPECT_EQ(At(5, 5), kMarker);

    bar.SetRange(8, 8);
    EXPECT_EQ(bar.thumbOffset, 500);
    bar.Step(1);  // already at max; repaints all the same
    EXPECT_EQ(bar.position, 8);
    surface.FillAll(kMarker);
    bar.Step(-1);
    EXPECT_EQ(bar.position, 7);
    EXPECT_EQ(bar.thumbOffset, 2 * 500 / 3);
    EXPECT_EQ(At(5, 5), kBg);
}

TEST_F(ScrollBarTest, TextBarRangeGeometryAndItsOwnCallback) {
    CJXTextScrBar bar;
    Dress(bar, 246);
    bar.SetCallback(Record);
    bar.SetRange(20, 4, false);
    EXPECT_EQ(bar.thumbOffset, 40);  // 4 * 202 / 20, truncated
    EXPECT_EQ(At(5, 55), kMarker);   // not painted when not asked
    bar.Redraw();
    EXPECT_EQ(At(5, 55), kThumb);

    // A negative max counts as 0, and 3 is past that max, so the position is min.
    bar.SetRange(-5, 3, true);
    EXPECT_EQ(bar.max, 0);
    EXPECT_FALSE(bar.enabled);
    EXPECT_EQ(bar.position, 0);
    EXPECT_EQ(At(5, 55), kBg);

    // The list bar's callback and timers are its class's own.
    CJXScrollBar listBar;
    Dress(listBar, 544, 0, 5, kLeft + 40);
    listBar.SetCallback(RecordOther);
    bar.SetRange(10, 0, true);
    bar.MouseDown(kLeft + 5, kTop + 227);  // just above the down arrow: track
    bar.MouseDown(kLeft + 5, kTop + 228);
    bar.MouseUp();
    bar.MouseDown(kLeft + 5, kTop + 243);
    EXPECT_EQ(g_calls, (Calls{{2, 0, 1}, {2, 0, 1}}));
    EXPECT_TRUE(g_otherCalls.empty());
    EXPECT_EQ(At(5, 228), kBg);  // a press does not highlight; a move does
    bar.MouseMove(kLeft + 5, kTop + 230);
    EXPECT_EQ(At(5, 243), kDownHot);
    listBar.MouseDown(kLeft + 45, kTop + 5);
    EXPECT_EQ(g_otherCalls, (Calls{{1, 0, -1}}));
    EXPECT_TRUE(CJXTextScrBar::classState.downTimerActive);
    EXPECT_TRUE(CJXScrollBar::classState.upTimerActive);
    listBar.MouseUp();
    bar.MouseUp();
    EXPECT_EQ(sys.ActiveTimers(), 0u);

    // Init clears the callback of its own class only.
    listBar.Init(kLeft + 40, kTop, 0, 5, &surface);
    listBar.MouseDown(kLeft + 45, kTop + 5);
    listBar.MouseUp();
    bar.MouseDown(kLeft + 5, kTop + 5);
    bar.MouseUp();
    EXPECT_EQ(g_otherCalls.size(), 1u);
    EXPECT_EQ(g_calls.back(), Call(1, 0, -1));
}

TEST_F(ScrollBarTest, HitTestHoverAndTrackPresses) {
    CJXScrollBar bar;
    Dress(bar, 544);
    bar.SetCallback(Record);
    bar.SetRange(10, 5);  // thumb at 265..276
    const struct { int dx, dy; bool hit; } probes[] = {
        {5, 0, false},   {0, 5, false},   {12, 5, false},  {5, 544, false}, {5, 1, true},    {11, 15, true},
        {5, 16, false},  {5, 264, false}, {5, 265, true},  {5, 276, true},  {5, 277, false}, {5, 525, false},
        {5, 526, true},  {5, 541, true},  {5, 542, false},
    };
    for (auto p : probes) EXPECT_EQ(bar.HitTest(kLeft + p.dx, kTop + p.dy), p.hit) << p.dx << "," << p.dy;

    bar.MouseMove(kLeft + 5, kTop + 5);
    EXPECT_EQ(At(11, 15), kUpHot);
    bar.MouseMove(kLeft + 5, kTop + 270);
    EXPECT_EQ(At(5, 270), kThumbHot);
    EXPECT_EQ(At(5, 5), kBg);
    bar.MouseMove(kLeft + 5, kTop + 530);
    EXPECT_EQ(At(5, 530), kDownHot);
    EXPECT_EQ(At(5, 270), kThumb);
    // Within the same part nothing is repainted; the track and outside are no part.
    surface.FillAll(kMarker);
    bar.MouseMove(kLeft + 6, kTop + 531);
    EXPECT_EQ(At(5, 5), kMarker);
    bar.MouseMove(kLeft + 5, kTop + 100);
    EXPECT_EQ(At(5, 530), kBg);
    bar.MouseMove(kLeft + 5, kTop + 5);
    bar.MouseMove(0, 0);
    EXPECT_EQ(bar.hotPart, JXScrollBarCore::kPartNone);
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            ASSERT_TRUE(surface.Pixel(x, y) != kColours[1] && surface.Pixel(x, y) != kColours[3]);

    // A press on the track or outside only repaints.
    surface.FillAll(kMarker);
    bar.MouseDown(kLeft + 5, kTop + 100);
    bar.MouseDown(kLeft + 40, kTop + 5);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_FALSE(bar.dragging);
    EXPECT_EQ(sys.ActiveTimers(), 0u);
    EXPECT_EQ(At(5, 100), kBg);
}

TEST_F(ScrollBarTest, LoadReadsSevenPicturesBackToBack) {
    platform::MemoryStream s;
    std::vector<size_t> ends;
    for (const Image& img : Pictures(544)) {
        auto bytes = platform::EncodeBmp24(img);
        s.Write(bytes.data(), bytes.size());
        ends.push_back(s.Size());
    }
    s.Write("Z", 1);  // whatever the stream holds after the bar's pictures
    s.Seek(0);
    CJXScrollBar bar;
    EXPECT_EQ(bar.Load(s), 0);
    EXPECT_EQ(s.Position(), ends.back());
    EXPECT_EQ(bar.images[6].Pixel(3, 3), kThumbHot);
    EXPECT_EQ(bar.compose.Pixel(5, 500), kBg);
    bar.Init(kLeft, kTop, 0, 10, &surface);
    EXPECT_EQ(bar.height, 544);

    // A stream that ends inside the fourth picture, or holds none, is a failure.
    platform::MemoryStream cut(std::vector<uint8_t>(s.Bytes().begin(), s.Bytes().begin() + long(ends[2] + 40)));
    CJXTextScrBar textBar;
    EXPECT_EQ(textBar.Load(cut), 1);
    platform::MemoryStream junk(std::vector<uint8_t>(100, 0x42));
    EXPECT_EQ(textBar.Load(junk), 1);
}

}  // namespace

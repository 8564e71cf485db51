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
std::vector<Call> g_calls;
std::vector<Call> g_otherCalls;
JXScrollBarCore* g_owner = nullptr;

void Record(int code, int value, int delta) { g_calls.emplace_back(code, value, delta); }
void RecordOther(int code, int value, int delta) { g_otherCalls.emplace_back(code, value, delta); }
// An owner as the main window is one: it answers the arrows by stepping the bar.
void OwnerSteps(int code, int value, int delta) {
    Record(code, value, delta);
    if (code != 3) g_owner->Step(delta);
}

const Rgb kBg{10, 20, 30};
const Rgb kUnused2{200, 0, 0};
const Rgb kUpHot{0, 255, 0};
const Rgb kUnused4{200, 0, 200};
const Rgb kDownHot{0, 0, 255};
const Rgb kThumb{100, 100, 100};
const Rgb kThumbHot{250, 250, 0};
const Rgb kMarker{7, 7, 7};

constexpr int kLeft = 20, kTop = 30;

std::vector<Image> Pictures(int height) {
    std::vector<Image> v;
    v.push_back(wtest::Solid(12, height, kBg));
    v.push_back(wtest::Solid(12, 16, kUnused2));
    v.push_back(wtest::Solid(12, 16, kUpHot));
    v.push_back(wtest::Solid(12, 16, kUnused4));
    v.push_back(wtest::Solid(12, 16, kDownHot));
    v.push_back(wtest::Solid(12, 12, kThumb));
    v.push_back(wtest::Solid(12, 12, kThumbHot));
    return v;
}

class ScrollBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetSystem(&sys);
        g_calls.clear();
        g_otherCalls.clear();
        surface.Create(120, 600);
        surface.FillAll(kMarker);
    }
    void TearDown() override {
        g_owner = nullptr;
        platform::SetSystem(nullptr);
    }
    static void Dress(JXScrollBarCore& bar, int height) {
        auto pics = Pictures(height);
        for (int i = 0; i < 7; ++i) bar.images[i] = std::move(pics[i]);
        bar.compose = bar.images[0].Clone();
    }
    // A pixel of the bar, relative to its top-left corner.
    Rgb At(int dx, int dy) const { return surface.Pixel(kLeft + dx, kTop + dy); }
    bool SurfaceShows(Rgb c) const {
        for (int y = 0; y < surface.Height(); ++y)
            for (int x = 0; x < surface.Width(); ++x)
                if (surface.Pixel(x, y) == c) return true;
        return false;
    }

    platform::HeadlessSystem sys;
    Image surface;
};

TEST_F(ScrollBarTest, DragMapsPointerToPositionAndReportsOnlyChanges) {
    CJXScrollBar bar;
    Dress(bar, 544);
    bar.Init(kLeft, kTop, 0, 10, &surface);
    bar.SetCallback(Record);
    bar.Redraw();
    EXPECT_EQ(At(5, 15), kThumb);
    EXPECT_EQ(At(5, 26), kThumb);
    EXPECT_EQ(At(5, 27), kBg);

    // Grab the thumb 5 pixels below its top: the pointer then sits where t = 0 puts it.
    bar.MouseDown(kLeft + 5, kTop + 20);
    EXPECT_TRUE(bar.dragging);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(sys.ActiveTimers(), 0u);

    // The pointer holds the thumb 20 pixels below its top, so t = dy - 20.
    const struct { int t, position; } steps[] = {{0, 0}, {50, 1}, {499, 9}, {500, 10}};
    for (auto s : steps) {
        bar.MouseMove(kLeft + 5, kTop + 20 + s.t);
        EXPECT_EQ(bar.thumbOffset, s.t);
        EXPECT_EQ(bar.position, s.position) << "t = " << s.t;
    }
    // t = 0 left the position at 0, so only three moves were reported.
    EXPECT_EQ(g_calls, (std::vector<Call>{{3, 1, 1}, {3, 9, 8}, {3, 10, 1}}));
    EXPECT_EQ(bar.hotPart, JXScrollBarCore::kPartThumb);
    EXPECT_EQ(At(5, 515), kThumbHot);
    EXPECT_EQ(At(5, 526), kThumbHot);

    bar.MouseMove(kLeft + 5, kTop + 520);
    EXPECT_EQ(g_calls.size(), 3u);

    // Far above the bar the thumb stays at the top, far below at the bottom, and
    // the pointer's x does not matter during a drag.
    bar.MouseMove(kLeft + 5, -200);
    EXPECT_EQ(bar.thumbOffset, 0);
    EXPECT_EQ(bar.position, 0);
    EXPECT_EQ(g_calls.back(), Call(3, 0, -10));
    bar.MouseMove(kLeft + 5, 5000);
    EXPECT_EQ(bar.thumbOffset, 500);
    EXPECT_EQ(bar.position, 10);
    bar.MouseMove(500, kTop + 70);
    EXPECT_EQ(bar.position, 1);

    bar.MouseUp();
    EXPECT_FALSE(bar.dragging);
    bar.MouseMove(kLeft + 5, kTop + 300);
    EXPECT_EQ(bar.position, 1);

    // A range that does not start at 0 maps t onto min + (max - min) * t / track.
    bar.Init(kLeft, kTop, 5, 15, &surface);
    bar.MouseDown(kLeft + 5, kTop + 20);
    bar.MouseMove(kLeft + 5, kTop + 20 + 250);
    EXPECT_EQ(bar.position, 10);
}

TEST_F(ScrollBarTest, ArrowRepeatsEvery50msUntilReleasedAnywhere) {
    CJXScrollBar bar;
    Dress(bar, 544);
    bar.Init(kLeft, kTop, 0, 10, &surface);
    g_owner = &bar;
    bar.SetCallback(OwnerSteps);
    bar.SetRange(10, 2);

    bar.MouseDown(kLeft + 5, kTop + 5);
    ASSERT_EQ(g_calls.size(), 1u);  // the first step comes with the press
    EXPECT_EQ(bar.position, 1);
    EXPECT_EQ(sys.ActiveTimers(), 1u);
    EXPECT_TRUE(CJXScrollBar::classState.upTimerActive);
    EXPECT_NE(CJXScrollBar::classState.upTimerId, 0u);

    sys.Advance(49);
    EXPECT_EQ(g_calls.size(), 1u);
    sys.Advance(1);
    EXPECT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(bar.position, 0);
    // At min the owner's Step no longer moves the bar, but the repeat goes on.
    sys.Advance(50);
    EXPECT_EQ(g_calls.size(), 3u);
    EXPECT_EQ(bar.position, 0);
    sys.Advance(100);
    EXPECT_EQ(g_calls.size(), 5u);
    // Leaving the bar does not stop it; only the release does.
    bar.MouseMove(110, 590);
    sys.Advance(50);
    EXPECT_EQ(g_calls.size(), 6u);
    bar.MouseUp();
    EXPECT_EQ(sys.ActiveTimers(), 0u);
    EXPECT_FALSE(CJXScrollBar::classState.upTimerActive);
    sys.Advance(500);
    EXPECT_EQ(g_calls.size(), 6u);
    for (const Call& c : g_calls) EXPECT_EQ(c, Call(1, 0, -1));

    // The down arrow lies at 526..541 and repeats the same way, stopping at max.
    g_calls.clear();
    bar.MouseDown(kLeft + 5, kTop + 541);
    EXPECT_EQ(g_calls, (std::vector<Call>{{2, 0, 1}}));
    EXPECT_TRUE(CJXScrollBar::classState.downTimerActive);
    sys.Advance(12 * 50);
    EXPECT_EQ(g_calls.size(), 13u);
    EXPECT_EQ(bar.position, 10);
    EXPECT_EQ(bar.thumbOffset, 500);
    bar.MouseUp();
    EXPECT_EQ(sys.ActiveTimers(), 0u);

    // During a drag the arrows and the wheel are ignored.
    g_calls.clear();
    bar.SetRange(10, 5);
    bar.MouseDown(kLeft + 5, kTop + 250 + 20);
    ASSERT_TRUE(bar.dragging);
    bar.MouseDown(kLeft + 5, kTop + 5);
    bar.MouseDown(kLeft + 5, kTop + 530);
    bar.LineUp();
    bar.LineDown();
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(sys.ActiveTimers(), 0u);
    bar.MouseUp();

    // A wheel notch reports a line and clears the highlight.
    bar.MouseMove(kLeft + 5, kTop + 5);
    ASSERT_EQ(bar.hotPart, JXScrollBarCore::kPartUp);
    bar.LineDown();
    EXPECT_EQ(g_calls, (std::vector<Call>{{2, 0, 1}}));
    EXPECT_EQ(bar.hotPart, JXScrollBarCore::kPartNone);
    EXPECT_EQ(bar.position, 6);
    EXPECT_EQ(At(5, 5), kBg);
}

TEST_F(ScrollBarTest, DisabledBarIgnoresEverythingButTheRelease) {
    CJXScrollBar bar;
    Dress(bar, 544);
    bar.Init(kLeft, kTop, 0, 10, &surface);
    bar.SetCallback(Record);
    bar.MouseMove(kLeft + 5, kTop + 5);
    bar.MouseDown(kLeft + 5, kTop + 5);
    ASSERT_EQ(sys.ActiveTimers(), 1u);

    bar.SetRange(0, 0);
    EXPECT_FALSE(bar.enabled);
    EXPECT_EQ(bar.thumbOffset, 0);
    for (int dy = 15; dy <= 26; ++dy) EXPECT_EQ(At(5, dy), kBg) << dy;
    EXPECT_EQ(At(5, 5), kBg);  // no highlight either

    g_calls.clear();
    bar.MouseDown(kLeft + 5, kTop + 530);
    bar.MouseDown(kLeft + 5, kTop + 20);
    EXPECT_FALSE(bar.dragging);
    bar.MouseMove(kLeft + 5, kTop + 300);
    EXPECT_EQ(bar.hotPart, JXScrollBarCore::kPartUp);
    bar.LineUp();
    bar.LineDown();
    EXPECT_TRUE(g_calls.empty());
    EXPECT_FALSE(bar.HitTest(kLeft + 5, kTop + 5));
    surface.FillAll(kMarker);
    bar.Step(1);
    EXPECT_EQ(bar.position, 0);
    EXPECT_EQ(At(5, 5), kMarker);

    // The repeat started before the bar was disabled still ticks, and the release
    // still stops it.
    sys.Advance(50);
    EXPECT_EQ(g_calls, (std::vector<Call>{{1, 0, -1}}));
    bar.MouseUp();
    EXPECT_EQ(sys.ActiveTimers(), 0u);
    EXPECT_FALSE(CJXScrollBar::classState.upTimerActive);
}

TEST_F(ScrollBarTest, SetRangeEdgeCases) {
    CJXScrollBar bar;
    Dress(bar, 544);
    bar.Init(kLeft, kTop, 0, 10, &surface);
    EXPECT_EQ(surface.Pixel(kLeft + 5, kTop + 5), kMarker);  // Init does not paint

    bar.SetRange(20, 25);  // a position past max falls back to min
    EXPECT_EQ(bar.max, 20);
    EXPECT_EQ(bar.position, 0);
    EXPECT_TRUE(bar.enabled);

    bar.SetRange(20, 10);
    EXPECT_EQ(bar.thumbOffset, 250);
    EXPECT_EQ(At(5, 264), kBg);
    EXPECT_EQ(At(5, 265), kThumb);
    EXPECT_EQ(At(5, 276), kThumb);
    EXPECT_EQ(At(5, 277), kBg);

    bar.SetRange(20, 20);  // the position may equal max
    EXPECT_EQ(bar.position, 20);
    EXPECT_EQ(bar.thumbOffset, 500);

    // max below min changes nothing and paints nothing.
    bar.Init(kLeft, kTop, 5, 10, &surface);
    bar.Redraw();
    surface.FillAll(kMarker);
    bar.SetRange(4, 7);
    EXPECT_EQ(bar.max, 10);
    EXPECT_EQ(bar.position, 5);
    EXPECT_TRUE(bar.enabled);
    EXPECT_EQ(At(5, 5), kMarker);

    bar.SetRange(5, 5);
    EXPECT_FALSE(bar.enabled);
    EXPECT_EQ(At(5, 20), kBg);

    bar.SetRange(8, 8);
    EXPECT_TRUE(bar.enabled);
    EXPECT_EQ(bar.thumbOffset, 500);

    // Step moves within the range only and repaints even when it did not move.
    bar.Step(1);
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
    bar.Init(kLeft, kTop, 0, 10, &surface);
    bar.SetCallback(Record);
    EXPECT_EQ(bar.trackLength, 202);
    EXPECT_EQ(bar.height, 246);

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
    bar.SetRange(10, -4, false);
    EXPECT_EQ(bar.position, 0);
    EXPECT_TRUE(bar.enabled);

    // The list bar's callback is a different one: each class keeps its own.
    CJXScrollBar listBar;
    Dress(listBar, 544);
    listBar.Init(kLeft + 40, kTop, 0, 5, &surface);
    listBar.SetCallback(RecordOther);

    bar.MouseDown(kLeft + 5, kTop + 227);  // just above the down arrow: track
    EXPECT_TRUE(g_calls.empty());
    bar.MouseDown(kLeft + 5, kTop + 228);
    bar.MouseUp();
    bar.MouseDown(kLeft + 5, kTop + 243);
    bar.MouseUp();
    EXPECT_EQ(g_calls, (std::vector<Call>{{2, 0, 1}, {2, 0, 1}}));
    EXPECT_TRUE(g_otherCalls.empty());
    bar.MouseMove(kLeft + 5, kTop + 230);
    EXPECT_EQ(At(5, 228), kDownHot);
    EXPECT_EQ(At(5, 243), kDownHot);

    listBar.MouseDown(kLeft + 45, kTop + 5);
    EXPECT_EQ(g_otherCalls, (std::vector<Call>{{1, 0, -1}}));
    EXPECT_EQ(g_calls.size(), 2u);
    // The two classes' repeats are separate timers, and each release stops its own.
    EXPECT_TRUE(CJXScrollBar::classState.upTimerActive);
    EXPECT_FALSE(CJXTextScrBar::classState.upTimerActive);
    listBar.MouseUp();
    EXPECT_EQ(sys.ActiveTimers(), 0u);

    // Init clears the class-wide callback, of its own class only.
    listBar.Init(kLeft + 40, kTop, 0, 5, &surface);
    listBar.MouseDown(kLeft + 45, kTop + 5);
    listBar.MouseUp();
    EXPECT_EQ(g_otherCalls.size(), 1u);
    bar.MouseDown(kLeft + 5, kTop + 5);
    bar.MouseUp();
    EXPECT_EQ(g_calls.back(), Call(1, 0, -1));
}

TEST_F(ScrollBarTest, HitTestHoverAndTrackPresses) {
    CJXScrollBar bar;
    Dress(bar, 544);
    bar.Init(kLeft, kTop, 0, 10, &surface);
    bar.SetCallback(Record);
    bar.SetRange(10, 5);  // thumb at 265..276
    auto hit = [&](int dx, int dy) { return bar.HitTest(kLeft + dx, kTop + dy); };
    EXPECT_FALSE(hit(5, 0));   // the edges are outside
    EXPECT_FALSE(hit(0, 5));
    EXPECT_FALSE(hit(12, 5));
    EXPECT_FALSE(hit(5, 544));
    EXPECT_TRUE(hit(5, 1));
    EXPECT_TRUE(hit(11, 15));
    EXPECT_FALSE(hit(5, 16));
    EXPECT_FALSE(hit(5, 264));
    EXPECT_TRUE(hit(5, 265));
    EXPECT_TRUE(hit(5, 276));
    EXPECT_FALSE(hit(5, 277));
    EXPECT_FALSE(hit(5, 525));
    EXPECT_TRUE(hit(5, 526));
    EXPECT_TRUE(hit(5, 541));
    EXPECT_FALSE(hit(5, 542));

    // The thumb at the top overlaps the up arrow's last row, and the arrow wins.
    bar.SetRange(10, 0);
    EXPECT_EQ(bar.PartAt(kLeft + 5, kTop + 15), JXScrollBarCore::kPartUp);
    EXPECT_EQ(bar.PartAt(kLeft + 5, kTop + 16), JXScrollBarCore::kPartThumb);
    bar.SetRange(10, 5);

    bar.MouseMove(kLeft + 5, kTop + 5);
    EXPECT_EQ(bar.hotPart, JXScrollBarCore::kPartUp);
    EXPECT_EQ(At(1, 0), kUpHot);
    EXPECT_EQ(At(11, 15), kUpHot);
    bar.MouseMove(kLeft + 5, kTop + 270);
    EXPECT_EQ(bar.hotPart, JXScrollBarCore::kPartThumb);
    EXPECT_EQ(At(5, 270), kThumbHot);
    EXPECT_EQ(At(5, 5), kBg);
    bar.MouseMove(kLeft + 5, kTop + 530);
    EXPECT_EQ(At(5, 530), kDownHot);
    EXPECT_EQ(At(5, 270), kThumb);
    EXPECT_FALSE(SurfaceShows(kUnused2));
    EXPECT_FALSE(SurfaceShows(kUnused4));

    // Moving within the same part does not repaint; moving to the track does.
    surface.FillAll(kMarker);
    bar.MouseMove(kLeft + 6, kTop + 531);
    EXPECT_EQ(At(5, 5), kMarker);
    bar.MouseMove(kLeft + 5, kTop + 100);
    EXPECT_EQ(bar.hotPart, JXScrollBarCore::kPartNone);
    EXPECT_EQ(At(5, 530), kBg);
    bar.MouseMove(kLeft + 5, kTop + 5);
    bar.MouseMove(0, 0);  // outside counts as no part
    EXPECT_EQ(bar.hotPart, JXScrollBarCore::kPartNone);

    // A press on the track does nothing but repaint.
    surface.FillAll(kMarker);
    bar.MouseDown(kLeft + 5, kTop + 100);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_FALSE(bar.dragging);
    EXPECT_EQ(sys.ActiveTimers(), 0u);
    EXPECT_EQ(bar.position, 5);
    EXPECT_EQ(At(5, 100), kBg);
    // So does a press outside the bar.
    surface.FillAll(kMarker);
    bar.MouseDown(kLeft + 40, kTop + 5);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(At(5, 100), kBg);
}

TEST_F(ScrollBarTest, LoadReadsSevenPicturesBackToBack) {
    platform::MemoryStream s;
    auto pics = Pictures(544);
    std::vector<size_t> ends;
    for (const Image& img : pics) {
        auto bytes = platform::EncodeBmp24(img);
        s.Write(bytes.data(), bytes.size());
        ends.push_back(s.Size());
    }
    const uint8_t next = 0x5A;  // whatever the stream holds after the bar's pictures
    s.Write(&next, 1);
    s.Seek(0);

    CJXScrollBar bar;
    EXPECT_EQ(bar.Load(s), 0);
    EXPECT_EQ(s.Position(), ends.back());
    EXPECT_EQ(bar.images[JXScrollBarCore::kThumbHot].Pixel(3, 3), kThumbHot);
    EXPECT_EQ(bar.images[JXScrollBarCore::kUnused4].Pixel(3, 3), kUnused4);
    EXPECT_EQ(bar.compose.Width(), 12);
    EXPECT_EQ(bar.compose.Pixel(5, 500), kBg);
    bar.Init(kLeft, kTop, 0, 10, &surface);
    EXPECT_EQ(bar.width, 12);
    EXPECT_EQ(bar.height, 544);

    // A stream that ends inside the fourth picture is a failure.
    std::vector<uint8_t> cut(s.Bytes().begin(), s.Bytes().begin() + static_cast<long>(ends[2] + 40));
    platform::MemoryStream shortStream(cut);
    CJXTextScrBar textBar;
    EXPECT_EQ(textBar.Load(shortStream), 1);
    EXPECT_EQ(textBar.images[2].Pixel(1, 1), kUpHot);
    platform::MemoryStream junk(std::vector<uint8_t>(100, 0x42));
    EXPECT_EQ(textBar.Load(junk), 1);
    bar.Free();
    EXPECT_TRUE(bar.images[0].Empty());
}

}  // namespace

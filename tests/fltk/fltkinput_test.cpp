#include <FL/Enumerations.H>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/fltk/Fltkinput.h"
#include "platform/shape.h"
#include "platform/headless/headless.h"

using namespace platform;
using namespace platform::fltk;

TEST(FltkInput, KeysBecomeTheVirtualKeyCodesTheProgramUses) {
    // Letters are upper-case codes whatever the shift state; digits are themselves.
    EXPECT_EQ(VirtualKeyFromFltk('a'), 'A');
    EXPECT_EQ(VirtualKeyFromFltk('z'), 'Z');
    EXPECT_EQ(VirtualKeyFromFltk('0'), '0');
    EXPECT_EQ(VirtualKeyFromFltk('9'), '9');
    EXPECT_EQ(VirtualKeyFromFltk(FL_Enter), 13);
    EXPECT_EQ(VirtualKeyFromFltk(FL_KP_Enter), 13);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Escape), 27);
    EXPECT_EQ(VirtualKeyFromFltk(' '), 32);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Page_Up), 33);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Page_Down), 34);
    EXPECT_EQ(VirtualKeyFromFltk(FL_End), 35);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Home), 36);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Left), 37);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Up), 38);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Right), 39);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Down), 40);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Shift_R), 16);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Control_L), 17);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Alt_L), 18);
    EXPECT_EQ(VirtualKeyFromFltk(FL_F + 1), 112);
    EXPECT_EQ(VirtualKeyFromFltk(FL_F + 12), 123);
    EXPECT_EQ(VirtualKeyFromFltk(FL_KP + '7'), 103);
    EXPECT_EQ(VirtualKeyFromFltk(FL_Delete), 46);
    // Keys without a code are dropped rather than passed as something else.
    EXPECT_EQ(VirtualKeyFromFltk(FL_Button + 1), 0);
    EXPECT_EQ(VirtualKeyFromFltk(0x1234), 0);
}

TEST(FltkInput, ShiftStateCarriesModifiersAndHeldButtonsSeparately) {
    ShiftState s = ShiftFromFltk(FL_CTRL | FL_ALT | FL_BUTTON3);
    EXPECT_FALSE(s.shift);
    EXPECT_TRUE(s.ctrl);
    EXPECT_TRUE(s.alt);
    EXPECT_FALSE(s.left);
    EXPECT_FALSE(s.middle);
    EXPECT_TRUE(s.right);
    s = ShiftFromFltk(FL_SHIFT | FL_BUTTON1 | FL_BUTTON2 | FL_CAPS_LOCK | FL_NUM_LOCK);
    EXPECT_TRUE(s.shift);
    EXPECT_FALSE(s.ctrl);
    EXPECT_FALSE(s.alt);
    EXPECT_TRUE(s.left);
    EXPECT_TRUE(s.middle);
    EXPECT_FALSE(s.right);
}

namespace {

// Which pixels of a w x h window the rectangles cover (each at most once).
std::vector<int> Coverage(const std::vector<Rect>& rects, int w, int h) {
    std::vector<int> c(static_cast<size_t>(w) * h, 0);
    for (const Rect& r : rects)
        for (int y = std::max(0, r.y); y < std::min(h, r.y + r.h); ++y)
            for (int x = std::max(0, r.x); x < std::min(w, r.x + r.w); ++x) ++c[static_cast<size_t>(y) * w + x];
    return c;
}

// The rectangles handed to the X Shape extension must cover exactly the pixels that
// belong to the shape (which the headless windows of the program's tests use), each
// pixel once.
void ExpectSameAsHeadless(ShapeKind kind, int w, int h, int l, int t, int r, int b, int ew, int eh) {
    SCOPED_TRACE(testing::Message() << "shape " << l << "," << t << "," << r << "," << b << " corners " << ew << "x" << eh);
    HeadlessSystem sys(1280, 1024);
    auto win = sys.CreateWindow({true, false, "", w, h});
    auto& hw = static_cast<HeadlessWindow&>(*win);
    hw.SetShape(kind, l, t, r, b, ew, eh);
    std::vector<Rect> rects = ShapeRectangles(kind, l, t, r, b, ew, eh);
    std::vector<int> c = Coverage(rects, w, h);
    int mismatches = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int covered = c[static_cast<size_t>(y) * w + x];
            ASSERT_LE(covered, 1) << "pixel " << x << "," << y << " covered twice";
            if ((covered == 1) != hw.InShape(x, y) && ++mismatches < 5) ADD_FAILURE() << "pixel " << x << "," << y;
        }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace

TEST(FltkInput, ShapeRectanglesCoverExactlyTheShapesPixels) {
    // The centred window on a large screen: 1025 x 769 with 15 x 15 corners.
    ExpectSameAsHeadless(ShapeKind::RoundRectangle, 1024, 768, 0, 0, 1025, 769, 15, 15);
    std::vector<Rect> r = ShapeRectangles(ShapeKind::RoundRectangle, 0, 0, 1025, 769, 15, 15);
    // The straight middle part is one band, the corners a few rows each.
    ASSERT_GE(r.size(), 3u);
    EXPECT_LE(r.size(), 20u);
    EXPECT_EQ(r.front().y, 0);
    EXPECT_GT(r.front().x, 0);  // the very corner pixel is outside
    bool middleBand = false;
    for (const Rect& b : r)
        if (b.x == 0 && b.w == 1024 && b.y <= 384 && b.y + b.h > 384) middleBand = b.h > 700;
    EXPECT_TRUE(middleBand);

    // Odd, uneven and oversized corners; a shape offset inside the window.
    ExpectSameAsHeadless(ShapeKind::RoundRectangle, 120, 90, 0, 0, 120, 90, 7, 31);
    ExpectSameAsHeadless(ShapeKind::RoundRectangle, 120, 90, 10, 5, 110, 80, 200, 200);
    ExpectSameAsHeadless(ShapeKind::RoundRectangle, 60, 40, 3, 2, 50, 30, 1, 1);
}

TEST(FltkInput, RectangleAndEmptyShapes) {
    ExpectSameAsHeadless(ShapeKind::Rectangle, 1052, 768, 246, 113, 1046, 713, 0, 0);
    EXPECT_EQ(ShapeRectangles(ShapeKind::Rectangle, 273, 113, 1018, 713, 0, 0), (std::vector<Rect>{{273, 113, 745, 600}}));
    // Round corners of no size are a plain rectangle, one pixel short on the right
    // and at the bottom like every round one; the program's round shape is the
    // whole 1024 x 768 window.
    EXPECT_EQ(ShapeRectangles(ShapeKind::RoundRectangle, 0, 0, 10, 10, 0, 15), (std::vector<Rect>{{0, 0, 9, 9}}));
    std::vector<Rect> window = ShapeRectangles(ShapeKind::RoundRectangle, 0, 0, 1025, 769, 15, 15);
    EXPECT_EQ(window.back().y + window.back().h, 768);
    int right = 0;
    for (const Rect& b : window) right = std::max(right, b.x + b.w);
    EXPECT_EQ(right, 1024);
    EXPECT_TRUE(ShapeRectangles(ShapeKind::None, 0, 0, 10, 10, 0, 0).empty());
    EXPECT_TRUE(ShapeRectangles(ShapeKind::Rectangle, 10, 0, 10, 10, 0, 0).empty());
    EXPECT_TRUE(ShapeRectangles(ShapeKind::RoundRectangle, 0, 10, 10, 5, 4, 4).empty());
}

// The arithmetic of showing the program's pixels enlarged on a dense screen: the
// words the desktop and the user give for the factor, the enlarged pictures, the
// way back from a device pixel to the program's, and where a window goes.
#include <gtest/gtest.h>

#include <string>

#include "platform/scaling.h"

using namespace platform;

TEST(Scaling, AFactorIsAWholeNumberFromOneToTheLargestOrNothing) {
    const struct {
        const char* text;
        int factor;
    } cases[] = {
        {"1", 1}, {"2", 2}, {"3", 3}, {" 2 ", 2}, {"8", 8}, {"9", 0}, {"0", 0}, {"-2", 0}, {"2.5", 0}, {"2x", 0},
        {"", 0},  {"x", 0}, {"99999999999999999999", 0}, {"002", 2}, {nullptr, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseScale(c.text), c.factor) << (c.text ? c.text : "(unset)");
}

TEST(Scaling, XftDpiIsFoundAmongTheDesktopsResources) {
    const struct {
        const char* db;
        int dpi;
    } cases[] = {
        {"Xft.dpi:\t192\n", 192},
        {"Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", 144},
        {"Xft.dpi: 192.0", 192},
        {"  Xft.dpi :  120\n", 120},
        {"Xft.dpi:\t96\nXft.dpi:\t288\n", 288},  // the last one written counts
        {"Xft.dpix:\t192\n", 0},
        {"Emacs.Xft.dpi:\t192\n", 0},
        {"Xft.dpi:\n", 0},
        {"Xft.dpi:\t-96\n", 0},
        {"Xft.dpi:\tmany\n", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(XftDpiFromResources(c.db), c.dpi) << c.db;
}

TEST(Scaling, APictureIsEnlargedPixelForPixel) {
    Image src(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) src.SetPixel(x, y, {static_cast<uint8_t>(10 * x), static_cast<uint8_t>(100 + y), 7});
    for (int f : {1, 2, 3}) {
        SCOPED_TRACE(f);
        // A part of it: the right two columns.
        const Image big = Enlarged(src, {1, 0, 5, 2}, f);
        ASSERT_EQ(big.Width(), 2 * f);
        ASSERT_EQ(big.Height(), 2 * f);
        for (int y = 0; y < big.Height(); ++y)
            for (int x = 0; x < big.Width(); ++x) ASSERT_EQ(big.Pixel(x, y), src.Pixel(1 + x / f, y / f)) << x << "," << y;
    }
    EXPECT_TRUE(Enlarged(src, {5, 5, 2, 2}, 2).Empty());
}

TEST(Scaling, EveryDevicePixelGoesBackToTheProgramPixelItShows) {
    for (int f = 1; f <= 3; ++f)
        for (int d = -10; d <= 10; ++d) {
            const int p = ToProgram(d, f);
            EXPECT_LE(p * f, d) << d << " at " << f;
            EXPECT_GT((p + 1) * f, d) << d << " at " << f;
        }
    EXPECT_EQ(ToProgram(-1, 2), -1);
    EXPECT_EQ(ToProgram(1001, 2), 500);
    const std::vector<Rect> r = EnlargedRects({{1, 2, 3, 4}}, 2, -5, 7);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], (Rect{-3, 11, 6, 8}));
}

TEST(Scaling, AWindowThatCoversTheScreenIsTheScreenAndShowsWhereItsBoundsPutIt) {
    const struct {
        Rect bounds;
        bool covers;
        int dw, dh, f;
        Rect window;
        int ox, oy;
        // a device pixel of the window and the client pixel it shows
        int dx, dy, cx, cy;
    } cases[] = {
        // the 800 x 600 strip: the screen's corner shows the client's (246, 113)
        {{-246, -113, 1052, 768}, true, 800, 600, 1, {0, 0, 800, 600}, -246, -113, 0, 0, 246, 113},
        // the core of a 1000 x 700 screen
        {{-146, -63, 1024, 768}, true, 1000, 700, 1, {0, 0, 1000, 700}, -146, -63, 127, 50, 273, 113},
        // a dense 1024 x 768 screen
        {{0, 0, 1024, 768}, true, 2048, 1536, 2, {0, 0, 2048, 1536}, 0, 0, 1011, 243, 505, 121},
        // the centred window of a large screen, ordinary and at twice the size
        {{128, 128, 1024, 768}, false, 1280, 1024, 1, {128, 128, 1024, 768}, 0, 0, 10, 10, 10, 10},
        {{64, 48, 1024, 768}, false, 2304, 1728, 2, {128, 96, 2048, 1536}, 0, 0, 3, 2, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bounds.x << "," << c.bounds.y << " at " << c.f);
        const DeviceFrame d = FrameOf(c.bounds, c.covers, c.dw, c.dh, c.f);
        EXPECT_EQ(d.window, c.window);
        EXPECT_EQ(d.originX, c.ox);
        EXPECT_EQ(d.originY, c.oy);
        EXPECT_EQ(ToProgram(c.dx - d.originX, c.f), c.cx);
        EXPECT_EQ(ToProgram(c.dy - d.originY, c.f), c.cy);
    }
}

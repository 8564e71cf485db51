// What lies around a window's shape: every pixel of the area is either in the
// shape or in exactly one of the rectangles around it.
#include <gtest/gtest.h>

#include "platform/shape.h"

using namespace platform;

TEST(Shape, WhatLiesOutsideIsEveryOtherPixelOnce) {
    const Rect area{2, 3, 40, 30};
    const std::vector<std::vector<Rect>> shapes = {
        {},                    // nothing: all of it
        {{10, 10, 5, 5}},      // one rectangle inside
        {{-5, -5, 100, 100}},  // one covering it all
        ShapeRectangles(ShapeKind::RoundRectangle, 0, 0, 30, 25, 15, 15),  // the bands of a round one
        {{5, 5, 10, 10}, {10, 10, 10, 10}, {30, 0, 20, 8}},              // overlapping, hanging over
    };
    for (size_t k = 0; k < shapes.size(); ++k) {
        SCOPED_TRACE(k);
        std::vector<int> count(static_cast<size_t>(area.w * area.h), 0);
        auto mark = [&](const Rect& r, int by) {
            const Rect c = Intersect(r, area);
            for (int y = c.y; y < c.y + c.h; ++y)
                for (int x = c.x; x < c.x + c.w; ++x) {
                    int& n = count[static_cast<size_t>((y - area.y) * area.w + (x - area.x))];
                    n = by == 1 ? 1 : n + by;  // the shape marks once however often it covers
                }
        };
        for (const Rect& r : shapes[k]) mark(r, 1);
        const std::vector<Rect> outside = OutsideOf(area, shapes[k]);
        for (const Rect& r : outside) {
            EXPECT_EQ(Intersect(r, area), r) << "outside the area";
            mark(r, 10);
        }
        for (int y = 0; y < area.h; ++y)
            for (int x = 0; x < area.w; ++x) {
                const int n = count[static_cast<size_t>(y * area.w + x)];
                ASSERT_TRUE(n == 1 || n == 10) << x << "," << y << " is covered " << n;
            }
    }
    EXPECT_TRUE(OutsideOf({0, 0, 10, 10}, {{0, 0, 10, 10}}).empty());
    EXPECT_EQ(OutsideOf({0, 0, 10, 10}, {}), (std::vector<Rect>{{0, 0, 10, 10}}));
}

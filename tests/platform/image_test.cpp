#include <gtest/gtest.h>

#include "platform/image.h"

using platform::Image;
using platform::RasterOp;
using platform::Rgb;

TEST(Image, RasterOperationsCombineAsTheFontCompositeNeeds) {
    Image bg(4, 1), mask(4, 1), glyph(4, 1), a(4, 1), b(4, 1);
    bg.FillAll({10, 20, 30});
    glyph.FillAll({200, 100, 50});
    mask.SetPixel(1, 0, {255, 255, 255});
    mask.SetPixel(2, 0, {255, 255, 255});
    a.CopyRect(0, 0, 4, 1, bg, 0, 0, RasterOp::Copy);
    b.CopyRect(0, 0, 4, 1, mask, 0, 0, RasterOp::NotCopy);
    a.CopyRect(0, 0, 4, 1, b, 0, 0, RasterOp::And);
    b.CopyRect(0, 0, 4, 1, glyph, 0, 0, RasterOp::Copy);
    b.CopyRect(0, 0, 4, 1, mask, 0, 0, RasterOp::And);
    a.CopyRect(0, 0, 4, 1, b, 0, 0, RasterOp::Or);
    EXPECT_EQ(a.Pixel(0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(a.Pixel(1, 0), (Rgb{200, 100, 50}));
    EXPECT_EQ(a.Pixel(2, 0), (Rgb{200, 100, 50}));
    EXPECT_EQ(a.Pixel(3, 0), (Rgb{10, 20, 30}));
}

TEST(Image, AMaskedCopyGivesWhatTheFourOperationsGiveThroughAWorkImage) {
    // Noise in all three pictures, and places that hang over every edge of each.
    auto noise = [](int w, int h, unsigned seed) {
        Image img(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w * 3; ++x) img.Row(y)[x] = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
        return img;
    };
    const Image src = noise(9, 7, 1), mask = noise(11, 6, 2), surface = noise(8, 8, 3);
    for (int dx : {-4, -1, 0, 3, 6})
        for (int dy : {-3, 0, 2, 7})
            for (int sx : {-2, 0, 4})
                for (int mx : {-1, 0, 5})
                    for (int sy : {-1, 0, 3}) {
                        const int w = 6, h = 5, my = sy + 1;
                        // The composite as the font draws without a shortcut: the
                        // surface's part into a black work image, then the four
                        // operations, then the work image back.
                        Image a(w, h), b(w, h), expected = surface.Clone();
                        a.CopyRect(0, 0, w, h, surface, dx, dy, RasterOp::Copy);
                        b.FillAll({255, 255, 255});
                        b.CopyRect(0, 0, w, h, mask, mx, my, RasterOp::Copy);
                        Image notMask(w, h);
                        notMask.CopyRect(0, 0, w, h, b, 0, 0, RasterOp::NotCopy);
                        a.CopyRect(0, 0, w, h, notMask, 0, 0, RasterOp::And);
                        Image g(w, h);
                        g.CopyRect(0, 0, w, h, src, sx, sy, RasterOp::Copy);
                        g.CopyRect(0, 0, w, h, b, 0, 0, RasterOp::And);
                        a.CopyRect(0, 0, w, h, g, 0, 0, RasterOp::Or);
                        // Only where all three pictures have pixels does anything change.
                        for (int y = 0; y < h; ++y)
                            for (int x = 0; x < w; ++x) {
                                const bool inside = sx + x >= 0 && sx + x < src.Width() && sy + y >= 0 &&
                                                    sy + y < src.Height() && mx + x >= 0 && mx + x < mask.Width() &&
                                                    my + y >= 0 && my + y < mask.Height();
                                if (inside) expected.SetPixel(dx + x, dy + y, a.Pixel(x, y));
                            }
                        Image got = surface.Clone();
                        got.TrackDamage(true);
                        got.CopyRectMasked(dx, dy, w, h, src, sx, sy, mask, mx, my);
                        for (int y = 0; y < got.Height(); ++y)
                            for (int x = 0; x < got.Width(); ++x)
                                ASSERT_EQ(got.Pixel(x, y), expected.Pixel(x, y))
                                    << "pixel " << x << "," << y << " for " << dx << "," << dy << " " << sx << "," << sy
                                    << " " << mx << "," << my;
                        // The damage is the part that was written, within the surface.
                        for (const platform::Rect& r : got.Damage()) {
                            EXPECT_GE(r.x, 0);
                            EXPECT_GE(r.y, 0);
                            EXPECT_LE(r.x + r.w, got.Width());
                            EXPECT_LE(r.y + r.h, got.Height());
                        }
                    }
}

TEST(Image, CreatingAgainClearsWhatThePictureHeld) {
    Image img(6, 4);
    img.FillAll({9, 8, 7});
    ASSERT_TRUE(img.Create(6, 4));  // the same size: the memory is kept, and cleared
    EXPECT_EQ(img.Pixel(5, 3), (Rgb{0, 0, 0}));
    img.FillAll({9, 8, 7});
    ASSERT_TRUE(img.Create(3, 2));
    EXPECT_EQ(img.Pixel(2, 1), (Rgb{0, 0, 0}));
    // Uncleared: the size changes, every pixel is there to be written.
    ASSERT_TRUE(img.CreateUncleared(20, 10));
    EXPECT_EQ(img.Width(), 20);
    img.Fill({0, 0, 20, 10}, {1, 2, 3});
    EXPECT_EQ(img.Pixel(19, 9), (Rgb{1, 2, 3}));
    EXPECT_FALSE(img.CreateUncleared(Image::kMaxSide + 1, 1));
    EXPECT_TRUE(img.Empty());
}

TEST(Image, CopiesClipOnBothSides) {
    Image src(3, 3), dst(4, 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) src.SetPixel(x, y, {uint8_t(x * 10 + y), 0, 0});
    dst.FillAll({1, 1, 1});
    // Source starts left of and above the source image; destination runs past the edge.
    dst.CopyRect(2, 2, 5, 5, src, -1, -1, RasterOp::Copy);
    EXPECT_EQ(dst.Pixel(2, 2), (Rgb{1, 1, 1}));  // came from (-1,-1): nothing copied
    EXPECT_EQ(dst.Pixel(3, 3), (Rgb{0, 0, 0}));  // src (0,0)
    EXPECT_EQ(dst.Pixel(1, 1), (Rgb{1, 1, 1}));
    dst.FillAll({1, 1, 1});
    dst.CopyRect(-1, -2, 3, 3, src, 0, 0, RasterOp::Copy);
    EXPECT_EQ(dst.Pixel(0, 0), (Rgb{12, 0, 0}));  // src (1,2)
    EXPECT_EQ(dst.Pixel(1, 0), (Rgb{22, 0, 0}));
    EXPECT_EQ(dst.Pixel(0, 1), (Rgb{1, 1, 1}));
}

TEST(Image, LineLeavesOutItsEndPointAndFillsClip) {
    Image img(10, 3);
    img.Line(1, 1, 5, 1, {255, 0, 0});
    EXPECT_EQ(img.Pixel(1, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(img.Pixel(4, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(img.Pixel(5, 1), (Rgb{0, 0, 0}));
    img.Fill({8, -5, 100, 100}, {0, 9, 0});
    EXPECT_EQ(img.Pixel(9, 2), (Rgb{0, 9, 0}));
    EXPECT_EQ(img.Pixel(7, 2), (Rgb{0, 0, 0}));
}

TEST(Image, AbsurdSizesAreRefusedAndDamageIsRecorded) {
    Image img;
    EXPECT_FALSE(img.Create(100000, 100000));
    EXPECT_TRUE(img.Empty());
    EXPECT_FALSE(img.Create(-1, 5));
    Image fb(100, 100);
    fb.TrackDamage(true);
    fb.Fill({10, 10, 5, 5}, {1, 2, 3});
    fb.Fill({12, 12, 5, 5}, {1, 2, 3});
    fb.Fill({80, 80, 200, 5}, {1, 2, 3});
    auto d = fb.TakeDamage();
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0], (platform::Rect{10, 10, 7, 7}));
    EXPECT_EQ(d[1], (platform::Rect{80, 80, 20, 5}));
    EXPECT_TRUE(fb.Damage().empty());
}

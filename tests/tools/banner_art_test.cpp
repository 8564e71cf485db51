// The banner pictures against the places the banner modules give them.
#include <gtest/gtest.h>

#include "tools/lib/banners.h"

namespace {

using platform::Image;
using platform::Rect;
using platform::Rgb;

TEST(BannerArt, PicturesFillTheirModulePlacesExactly) {
    const art::SkinPalette pal = art::DefaultPalette();
    const auto& slots = art::BannerSlots();
    ASSERT_EQ(slots.size(), 7u);
    // The left column is stacked without gaps over its 600 pixels; the top row has
    // 5-pixel gaps between its three banners and ends at the module's right edge.
    int y = art::kLeftBanners.y;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(slots[i].place.x, art::kLeftBanners.x);
        EXPECT_EQ(slots[i].place.y, y) << slots[i].name;
        EXPECT_EQ(slots[i].place.w, art::kLeftBanners.w);
        y += slots[i].place.h;
    }
    EXPECT_EQ(y, art::kLeftBanners.y + art::kLeftBanners.h);
    const int rowX[] = {0, 130, 885}, rowW[] = {125, 750, 125};
    for (int i = 4; i < 7; ++i) {
        EXPECT_EQ(slots[i].place.x - art::kTopBanners.x, rowX[i - 4]) << slots[i].name;
        EXPECT_EQ(slots[i].place.w, rowW[i - 4]) << slots[i].name;
        EXPECT_EQ(slots[i].place.y, art::kTopBanners.y);
        EXPECT_EQ(slots[i].place.h, art::kTopBanners.h);
    }
    for (int n = 1; n <= 7; ++n) {
        Image pic = art::DrawBanner(n, pal);
        EXPECT_EQ(pic.Width(), slots[n - 1].place.w) << n;
        EXPECT_EQ(pic.Height(), slots[n - 1].place.h) << n;
        EXPECT_EQ(std::string(slots[n - 1].name), "banner" + std::to_string(n));
    }
    EXPECT_TRUE(art::DrawBanner(0, pal).Empty());
    EXPECT_TRUE(art::DrawBanner(8, pal).Empty());
}

TEST(BannerArt, PlacedBannersCoverTheirPlacesAndNothingElse) {
    const art::SkinPalette pal = art::DefaultPalette();
    const Rgb mark{1, 2, 3};
    Image window(art::kSkinWidth, art::kSkinHeight);
    window.FillAll(mark);
    Image movie(750, 100);
    movie.FillAll({200, 100, 50});
    art::PlaceBanners(window, pal, &movie);
    // The stand-in picture goes where banner6 belongs, the others are drawn afresh.
    const Rect six = art::BannerSlots()[5].place;
    EXPECT_EQ(window.Pixel(six.x, six.y), (Rgb{200, 100, 50}));
    EXPECT_EQ(window.Pixel(six.x + six.w - 1, six.y + six.h - 1), (Rgb{200, 100, 50}));
    Image three = art::DrawBanner(3, pal);
    const Rect r3 = art::BannerSlots()[2].place;
    for (int y = 0; y < r3.h; y += 7)
        for (int x = 0; x < r3.w; x += 5) ASSERT_EQ(window.Pixel(r3.x + x, r3.y + y), three.Pixel(x, y)) << x << "," << y;
    // The gaps of the top row and everything outside the two modules stay untouched.
    for (int gx : {art::kTopBanners.x + 125, art::kTopBanners.x + 129, art::kTopBanners.x + 880, art::kTopBanners.x + 884})
        EXPECT_EQ(window.Pixel(gx, 50), mark) << gx;
    EXPECT_EQ(window.Pixel(6, 136), mark);
    EXPECT_EQ(window.Pixel(262, 136), mark);
    EXPECT_EQ(window.Pixel(7, 736), mark);
    EXPECT_EQ(window.Pixel(500, 400), mark);
}

}  // namespace

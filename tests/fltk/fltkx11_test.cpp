#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/fltk/Fltkx11.h"

using platform::fltk::RgbToXrgb;
using platform::fltk::RgbToXrgbEnlarged;

TEST(FltkX11, PixelsBecomeWordsOfRedGreenBlueInTheOrderTheServerIsTold) {
    // Every length up to a few pixels, so that the last pixel, which is converted
    // apart from the others, is met at every place; and values that tell the three
    // bytes apart.
    for (int n = 1; n <= 9; ++n) {
        std::vector<uint8_t> rgb(3 * n);
        for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(17 * i + 3);
        // A marker after the row: the conversion must neither read it into a pixel
        // nor write past its n words.
        std::vector<uint8_t> out(4 * n + 4, 0xEE);
        RgbToXrgb(rgb.data(), out.data(), n);
        for (int p = 0; p < n; ++p) {
            SCOPED_TRACE(testing::Message() << n << " pixels, pixel " << p);
            EXPECT_EQ(out[4 * p + 0], rgb[3 * p + 2]);  // blue in the lowest byte
            EXPECT_EQ(out[4 * p + 1], rgb[3 * p + 1]);
            EXPECT_EQ(out[4 * p + 2], rgb[3 * p + 0]);
            EXPECT_EQ(out[4 * p + 3], 0);
        }
        for (int k = 0; k < 4; ++k) EXPECT_EQ(out[4 * n + k], 0xEE);
    }
}

TEST(FltkX11, AnEnlargedRowRepeatsEveryWord) {
    for (int scale = 1; scale <= 3; ++scale)
        for (int n = 1; n <= 5; ++n) {
            SCOPED_TRACE(testing::Message() << n << " pixels at " << scale);
            std::vector<uint8_t> rgb(3 * n);
            for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(29 * i + 5);
            std::vector<uint8_t> plain(4 * n);
            RgbToXrgb(rgb.data(), plain.data(), n);
            std::vector<uint8_t> out(4 * n * scale + 4, 0xEE);
            RgbToXrgbEnlarged(rgb.data(), out.data(), n, scale);
            for (int p = 0; p < n * scale; ++p)
                for (int k = 0; k < 4; ++k) ASSERT_EQ(out[4 * p + k], plain[4 * (p / scale) + k]) << p;
            for (int k = 0; k < 4; ++k) EXPECT_EQ(out[4 * n * scale + k], 0xEE);
        }
}

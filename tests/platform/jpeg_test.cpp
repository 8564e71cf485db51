#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#ifndef _WIN32
#include <jpeglib.h>
#endif

#include "platform/jpeg.h"
#include "support/test_support.h"

using platform::DecodeJpeg;
using platform::Image;
using platform::Rgb;

namespace {

Image Gradient(int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.SetPixel(x, y, {uint8_t(x * 255 / (w - 1)), uint8_t(y * 255 / (h - 1)), 96});
    return img;
}

#ifndef _WIN32
// Encodes raw samples with another colour space than the wrapper writes. (The
// Windows build has no libjpeg to write them with; its tests read grey and CMYK
// files that the native build wrote.)
std::vector<uint8_t> EncodeRaw(int w, int h, int components, J_COLOR_SPACE space, const std::vector<uint8_t>& samples) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long len = 0;
    jpeg_mem_dest(&c, &buf, &len);
    c.image_width = w, c.image_height = h, c.input_components = components, c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + c.next_scanline * w * components);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> out(buf, buf + len);
    std::free(buf);
    return out;
}
#endif

}  // namespace

TEST(Jpeg, EncodeThenDecodeKeepsThePicture) {
    Image src = Gradient(64, 48);
    auto data = platform::EncodeJpeg(src, 90);
    ASSERT_GT(data.size(), 100u);
    EXPECT_EQ(data[0], 0xFF);
    EXPECT_EQ(data[1], 0xD8);
    Image img;
    std::string error;
    ASSERT_TRUE(DecodeJpeg(data.data(), data.size(), img, &error)) << error;
    ASSERT_EQ(img.Width(), 64);
    ASSERT_EQ(img.Height(), 48);
    long total = 0;
    int worst = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            Rgb a = src.Pixel(x, y), b = img.Pixel(x, y);
            for (int d : {a.r - b.r, a.g - b.g, a.b - b.b}) {
                total += std::abs(d);
                worst = std::max(worst, std::abs(d));
            }
        }
    // A smooth gradient at quality 90 loses very little.
    EXPECT_LT(double(total) / (64 * 48 * 3), 2.0);
    EXPECT_LE(worst, 16);
    // Lower quality is smaller (wine's encoder ignores the quality; Windows' own
    // does not); an empty picture gives no file.
    if (!testsupport::UnderWine()) {
        EXPECT_LT(platform::EncodeJpeg(Gradient(64, 48), 10).size(), data.size());
    }
    EXPECT_TRUE(platform::EncodeJpeg(Image()).empty());

    // The same through a host file; a missing file fails with a reason.
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "a.jpg", data);
    Image fromFile;
    ASSERT_TRUE(platform::LoadJpegFile(dir / "a.jpg", fromFile, &error)) << error;
    EXPECT_EQ(fromFile.Pixel(10, 10), img.Pixel(10, 10));
    EXPECT_FALSE(platform::LoadJpegFile(dir / "missing.jpg", fromFile, &error));
    EXPECT_FALSE(error.empty());
}

#ifndef _WIN32
TEST(Jpeg, GreyBecomesRgbAndCmykIsRefused) {
    std::vector<uint8_t> grey(16 * 8);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = uint8_t(i % 16 * 16);
    auto data = EncodeRaw(16, 8, 1, JCS_GRAYSCALE, grey);
    Image img;
    std::string error;
    ASSERT_TRUE(DecodeJpeg(data.data(), data.size(), img, &error)) << error;
    ASSERT_EQ(img.Width(), 16);
    for (int x : {0, 7, 15}) {
        Rgb p = img.Pixel(x, 3);
        EXPECT_EQ(p.r, p.g);
        EXPECT_EQ(p.g, p.b);
        EXPECT_NEAR(p.r, x * 16, 12) << x;
    }

    std::vector<uint8_t> cmyk(8 * 8 * 4, 128);
    data = EncodeRaw(8, 8, 4, JCS_CMYK, cmyk);
    Image kept = Image(3, 2);
    EXPECT_FALSE(DecodeJpeg(data.data(), data.size(), kept, &error));
    EXPECT_NE(error.find("CMYK"), std::string::npos) << error;
    EXPECT_EQ(kept.Width(), 3);  // a failure leaves the image as it was
}
#endif

TEST(Jpeg, DamagedDataFailsCleanly) {
    auto good = platform::EncodeJpeg(Gradient(40, 40), 80);
    Image img(5, 5);
    img.FillAll({1, 2, 3});
    std::string error;

    // Cut anywhere: in the headers, in the scan, just before the end marker.
    for (size_t n : {size_t{2}, size_t{100}, good.size() / 2, good.size() - 2}) {
        EXPECT_FALSE(DecodeJpeg(good.data(), n, img, &error)) << n;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(DecodeJpeg(good.data(), 0, img, &error));
    EXPECT_FALSE(DecodeJpeg(nullptr, 10, img, &error));

    std::mt19937 rng(7);
    std::vector<uint8_t> noise(3000);
    for (auto& b : noise) b = uint8_t(rng());
    EXPECT_FALSE(DecodeJpeg(noise.data(), noise.size(), img, &error));
    // Noise behind a real header: the scan is garbage.
    std::vector<uint8_t> mixed(good.begin(), good.begin() + good.size() / 3);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    EXPECT_FALSE(DecodeJpeg(mixed.data(), mixed.size(), img, &error));

    // A header that claims a picture far larger than its data is refused up front.
    std::vector<uint8_t> huge = good;
    for (size_t i = 2; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {  // start of frame: height, width at +5
            huge[i + 5] = 0x3E, huge[i + 6] = 0x80, huge[i + 7] = 0x3E, huge[i + 8] = 0x80;
            break;
        }
    EXPECT_FALSE(DecodeJpeg(huge.data(), huge.size(), img, &error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;

    // None of the failures touched the image.
    EXPECT_EQ(img.Width(), 5);
    EXPECT_EQ(img.Pixel(4, 4), (Rgb{1, 2, 3}));
}

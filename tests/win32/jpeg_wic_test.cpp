// JPEG through the system's imaging component against libjpeg: the same files,
// the same pictures within what two correct decoders may differ by, and the same
// refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/bmp.h"
#include "platform/hostfile.h"
#include "platform/jpeg.h"
#include "platform/paths.h"
#include "win32_test_support.h"

using platform::Image;

namespace {

#ifdef VEMI_JPEG_REFS
const std::string kRefs = VEMI_JPEG_REFS;
#else
const std::string kRefs;
#endif

struct Difference {
    double mean = 0;  // over every channel of every pixel
    int worst = 0;
    double lumaMean = 0;  // of the brightness alone
    int lumaWorst = 0;
};

int Luma(const uint8_t* p) { return (77 * p[0] + 150 * p[1] + 29 * p[2] + 128) >> 8; }

Difference Compare(const Image& a, const Image& b) {
    Difference d;
    long total = 0, lumaTotal = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const uint8_t *p = a.Row(y) + 3 * x, *q = b.Row(y) + 3 * x;
            for (int c = 0; c < 3; ++c) {
                const int e = std::abs(p[c] - q[c]);
                total += e;
                d.worst = std::max(d.worst, e);
            }
            const int l = std::abs(Luma(p) - Luma(q));
            lumaTotal += l;
            d.lumaWorst = std::max(d.lumaWorst, l);
        }
    const double pixels = double(a.Width()) * a.Height();
    d.mean = double(total) / (pixels * 3);
    d.lumaMean = double(lumaTotal) / pixels;
    return d;
}

}  // namespace

TEST(WicJpeg, DecodesWhatLibjpegDecodesAlike) {
    if (kRefs.empty()) GTEST_SKIP() << "no JPEG references: configure with VEMI_HOST_JPEG_REFS";
    int compared = 0;
    for (const std::string& name : platform::HostListNames(kRefs)) {
        if (platform::ExtractFileExt(name) != ".jpg" || name.rfind("refused-", 0) == 0) continue;
        SCOPED_TRACE(name);
        const std::string stem = name.substr(0, name.size() - 4);
        std::vector<uint8_t> jpeg, bmp;
        ASSERT_TRUE(platform::HostReadFile(kRefs + "/" + name, jpeg));
        ASSERT_TRUE(platform::HostReadFile(kRefs + "/" + stem + ".bmp", bmp));
        platform::MemoryStream bmpStream(bmp);
        Image expected, fromMemory, fromFile;
        ASSERT_TRUE(platform::ReadBmp(bmpStream, expected));
        std::string why;
        ASSERT_TRUE(platform::DecodeJpeg(jpeg.data(), jpeg.size(), fromMemory, &why)) << why;
        ASSERT_TRUE(platform::LoadJpegFile(kRefs + "/" + name, fromFile, &why)) << why;
        ASSERT_EQ(fromMemory.Width(), expected.Width());
        ASSERT_EQ(fromMemory.Height(), expected.Height());
        EXPECT_EQ(Compare(fromMemory, fromFile).worst, 0);
        // Brightness must come out all but equal. Colour, stored at half resolution
        // in most files, is brought back to full size a little differently by each
        // decoder (wine's and libjpeg's differ by up to 80 at a hard colour edge),
        // so it is held only on average. A picture one row off fails both by far,
        // which the shifted reference shows on this very file.
        const Difference d = Compare(fromMemory, expected);
        EXPECT_LE(d.lumaMean, 1.0);
        EXPECT_LE(d.lumaWorst, 32);
        EXPECT_LE(d.mean, 6.0);
        Image shifted(expected.Width(), expected.Height());
        shifted.CopyRect(0, 1, expected.Width(), expected.Height() - 1, expected, 0, 0, platform::RasterOp::Copy);
        shifted.CopyRect(0, 0, expected.Width(), 1, expected, 0, 0, platform::RasterOp::Copy);
        const Difference off = Compare(fromMemory, shifted);
        EXPECT_GT(off.lumaMean, 4.0);
        EXPECT_GT(off.lumaWorst, 64);
        // Cut short, the same file is a failure, never a half-grey picture.
        Image untouched(2, 2);
        EXPECT_FALSE(platform::DecodeJpeg(jpeg.data(), jpeg.size() * 3 / 4, untouched, &why));
        EXPECT_EQ(untouched.Width(), 2);
        ++compared;
    }
    EXPECT_EQ(compared, 9);

    std::vector<uint8_t> cmyk;
    ASSERT_TRUE(platform::HostReadFile(kRefs + "/refused-cmyk.jpg", cmyk));
    Image img;
    std::string why;
    EXPECT_FALSE(platform::DecodeJpeg(cmyk.data(), cmyk.size(), img, &why));
    EXPECT_NE(why.find("CMYK"), std::string::npos) << why;
}

TEST(WicJpeg, GreyPicturesComeOutGrey) {
    if (kRefs.empty()) GTEST_SKIP() << "no JPEG references: configure with VEMI_HOST_JPEG_REFS";
    Image img;
    ASSERT_TRUE(platform::LoadJpegFile(kRefs + "/greyscale.jpg", img));
    int coloured = 0;
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            const platform::Rgb p = img.Pixel(x, y);
            coloured += p.r != p.g || p.g != p.b;
        }
    EXPECT_EQ(coloured, 0);
}

TEST(WicJpeg, EncodedPicturesReadBackAndFilesWithPolishNamesLoad) {
    Image src(48, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) src.SetPixel(x, y, {uint8_t(x * 5), uint8_t(y * 7), uint8_t(200 - x * 2)});
    const std::vector<uint8_t> data = platform::EncodeJpeg(src, 95);
    ASSERT_GT(data.size(), 100u);
    Image back;
    ASSERT_TRUE(platform::DecodeJpeg(data.data(), data.size(), back));
    const Difference d = Compare(src, back);
    EXPECT_LE(d.mean, 3.0);
    // Blue stays blue: a swapped channel order would show at once.
    EXPECT_GT(back.Pixel(2, 2).b, 150);
    EXPECT_LT(back.Pixel(2, 2).r, 40);

    testsupport::TempDir tmp;
    const std::string name = tmp / "Zrzut ekranu – łąka.jpg";
    ASSERT_TRUE(platform::HostWriteFile(name, data.data(), data.size()));
    Image loaded;
    std::string why;
    ASSERT_TRUE(platform::LoadJpegFile(name, loaded, &why)) << why;
    EXPECT_EQ(Compare(loaded, back).worst, 0);
    EXPECT_FALSE(platform::LoadJpegFile(tmp / "brak.jpg", loaded, &why));
    EXPECT_NE(why.find("brak.jpg"), std::string::npos);
    EXPECT_FALSE(platform::LoadJpegFile(tmp.path(), loaded, &why));  // a folder
}

TEST(WicJpeg, OtherPictureFormatsAreNotJpeg) {
    // WIC would read a BMP or a PNG happily; the JPEG call must not.
    Image img(4, 4);
    img.FillAll({10, 20, 30});
    const std::vector<uint8_t> bmp = platform::EncodeBmp24(img);
    Image out;
    std::string why;
    EXPECT_FALSE(platform::DecodeJpeg(bmp.data(), bmp.size(), out, &why));
    EXPECT_TRUE(out.Empty());
    // Markers that lie about their length, a scan before any frame, no end marker.
    const std::vector<uint8_t> good = platform::EncodeJpeg(img, 90);
    std::vector<uint8_t> bad = good;
    bad[4] = 0xFF, bad[5] = 0xFF;  // the first segment claims 64 KiB
    EXPECT_FALSE(platform::DecodeJpeg(bad.data(), bad.size(), out, &why));
    const uint8_t scanFirst[] = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02, 0x12, 0x34, 0xFF, 0xD9};
    EXPECT_FALSE(platform::DecodeJpeg(scanFirst, sizeof scanFirst, out, &why));
    EXPECT_FALSE(platform::DecodeJpeg(good.data(), good.size() - 2, out, &why));
    EXPECT_TRUE(platform::DecodeJpeg(good.data(), good.size(), out, &why)) << why;
}

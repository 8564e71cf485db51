#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#include <wincodec.h>
#else
#include <png.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/bmp.h"
#include "support/test_support.h"

using platform::Image;
using platform::MemoryStream;
using platform::ReadBmp;
using platform::Rgb;
namespace fs = std::filesystem;

namespace {

std::string Suite() { return testsupport::DataDir() + "/bmpsuite"; }

#ifdef _WIN32
// Debian has no libpng for mingw; the system's imaging component reads PNG too.
bool LoadPng(const std::string& path, Image& out) {
    bool ok = false;
    const bool comInit = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    std::wstring wide = testsupport::U8Path(path).wstring();
    UINT w = 0, h = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&w, &h)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom)) &&
        out.Create(static_cast<int>(w), static_cast<int>(h))) {
        // 32-bit BGRA is what every WIC converts any PNG to, wine's included.
        std::vector<uint8_t> bgra(size_t{w} * h * 4);
        ok = SUCCEEDED(converter->CopyPixels(nullptr, w * 4, static_cast<UINT>(bgra.size()), bgra.data()));
        for (UINT y = 0; ok && y < h; ++y)
            for (UINT x = 0; x < w; ++x) {
                const uint8_t* p = &bgra[(size_t{y} * w + x) * 4];
                out.SetPixel(static_cast<int>(x), static_cast<int>(y), {p[2], p[1], p[0]});
            }
    }
    for (IUnknown* u : {static_cast<IUnknown*>(converter), static_cast<IUnknown*>(frame), static_cast<IUnknown*>(decoder),
                        static_cast<IUnknown*>(factory)})
        if (u) u->Release();
    if (comInit) CoUninitialize();
    return ok;
}
#else
bool LoadPng(const std::string& path, Image& out) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    if (!out.Create(static_cast<int>(png.width), static_cast<int>(png.height))) return false;
    bool ok = png_image_finish_read(&png, nullptr, out.Row(0), 0, nullptr) != 0;
    png_image_free(&png);
    return ok;
}
#endif

// Number of pixels where a channel differs by more than tol, the first one described
// in *where. The references of the 8-bit files were saved with a palette rounded
// slightly differently (0x2A where the files hold 0x2B), hence a tolerance of one.
int Differences(const Image& a, const Image& b, std::string* where, int tol = 0) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) {
        *where = "sizes differ";
        return -1;
    }
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            Rgb p = a.Pixel(x, y), q = b.Pixel(x, y);
            if (std::abs(p.r - q.r) <= tol && std::abs(p.g - q.g) <= tol && std::abs(p.b - q.b) <= tol) continue;
            if (!n++)
                *where = "(" + std::to_string(x) + "," + std::to_string(y) + "): " + std::to_string(p.r) + " " +
                         std::to_string(p.g) + " " + std::to_string(p.b) + " vs " + std::to_string(q.r) + " " +
                         std::to_string(q.g) + " " + std::to_string(q.b);
        }
    return n;
}

std::vector<std::string> Files(const std::string& dir, const std::string& ext) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ext) out.push_back(e.path().stem().string());
    std::sort(out.begin(), out.end());
    return out;
}

// A hand-made BMP file; fields left at -1 are filled in consistently.
struct Bmp {
    int headerSize = 40;
    int32_t width = 1, height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    std::vector<uint32_t> masks;  // written right after a 40-byte header
    std::vector<Rgb> palette;
    uint32_t clrUsed = 0;
    size_t gap = 0;  // bytes between the colour table and the pixel data
    int64_t offBits = -1, sizeImage = -1;
    std::vector<uint8_t> pixels;

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> v;
        auto u16 = [&](uint32_t x) { v.push_back(x & 0xFF), v.push_back((x >> 8) & 0xFF); };
        auto u32 = [&](uint32_t x) { u16(x & 0xFFFF), u16(x >> 16); };
        const size_t entry = headerSize == 12 ? 3 : 4;
        const size_t off = 14 + headerSize + masks.size() * 4 + palette.size() * entry + gap;
        v.push_back('B'), v.push_back('M');
        u32(static_cast<uint32_t>(off + pixels.size()));
        u32(0);
        u32(offBits >= 0 ? static_cast<uint32_t>(offBits) : static_cast<uint32_t>(off));
        u32(headerSize);
        if (headerSize == 12) {
            u16(width), u16(height), u16(1), u16(bits);
        } else {
            u32(width), u32(height), u16(1), u16(bits), u32(compression);
            u32(sizeImage >= 0 ? static_cast<uint32_t>(sizeImage) : static_cast<uint32_t>(pixels.size()));
            u32(2835), u32(2835), u32(clrUsed), u32(0);
            v.resize(14 + headerSize, 0);
        }
        for (uint32_t m : masks) u32(m);
        for (Rgb c : palette) {
            v.push_back(c.b), v.push_back(c.g), v.push_back(c.r);
            if (entry == 4) v.push_back(0);
        }
        v.resize(v.size() + gap, 0xEE);
        v.insert(v.end(), pixels.begin(), pixels.end());
        return v;
    }
};

bool Read(const std::vector<uint8_t>& bytes, Image& img, std::string* error = nullptr, size_t* pos = nullptr) {
    MemoryStream s(bytes);
    bool ok = ReadBmp(s, img, error);
    if (pos) *pos = s.Position();
    return ok;
}

Image Pattern(int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.SetPixel(x, y, {uint8_t(x * 37 + y), uint8_t(y * 53 + 7), uint8_t(x ^ y * 11)});
    return img;
}

}  // namespace

TEST(BmpSuite, GoodImagesDecodeToTheirReferenceRenderings) {
    // Files without a reference of their own hold the same picture as another one,
    // stored differently (RLE, top-down, other headers, masks, spare palettes).
    const std::map<std::string, std::string> sameAs = {
        {"pal1wb", "pal1"},   {"pal4rle", "pal4"},     {"pal8-0", "pal8"},     {"pal8os2", "pal8"},
        {"pal8rle", "pal8"},  {"pal8topdown", "pal8"}, {"pal8v4", "pal8"},     {"pal8v5", "pal8"},
        {"rgb24pal", "rgb24"}, {"rgb32", "rgb24"},     {"rgb32bf", "rgb24"},   {"rgb16-565pal", "rgb16-565"},
        {"pal8nonsquare", "pal8nonsquare-e"}};
    const auto names = Files(Suite() + "/g", ".bmp");
    ASSERT_GE(names.size(), 20u);
    int compared = 0;
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        auto bytes = testsupport::ReadFile(Suite() + "/g/" + name + ".bmp");
        Image img;
        std::string error;
        size_t pos = 0;
        ASSERT_TRUE(Read(bytes, img, &error, &pos)) << error;
        // Nothing follows the pixel data in these files, so the reader must stop at the end.
        EXPECT_EQ(pos, bytes.size());
        std::string ref = sameAs.count(name) ? sameAs.at(name) : name;
        std::string png = Suite() + "/html/" + ref + ".png";
        if (!fs::exists(png)) continue;
        Image expected;
        ASSERT_TRUE(LoadPng(png, expected));
        std::string where;
        EXPECT_EQ(Differences(img, expected, &where, 1), 0) << where;
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

TEST(BmpSuite, BadImagesAreRefusedOrReadSensibly) {
    // Merely odd files that decode: the pixel density and the file-size field play no
    // part in reading a picture from a stream (its end follows from the info header),
    // and indices past a short colour table are drawn black.
    const std::set<std::string> readable = {"baddens1", "baddens2", "badfilesize", "pal8badindex"};
    const auto names = Files(Suite() + "/b", ".bmp");
    ASSERT_GE(names.size(), 10u);
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        auto bytes = testsupport::ReadFile(Suite() + "/b/" + name + ".bmp");
        Image img;
        std::string error;
        bool ok = Read(bytes, img, &error);
        EXPECT_EQ(ok, readable.count(name) == 1) << error;
        if (!ok) {
            EXPECT_FALSE(error.empty());
            EXPECT_TRUE(img.Empty());
        } else {
            // Even at one bit per pixel a file cannot describe more than 8 pixels a byte.
            EXPECT_LE(int64_t(img.Width()) * img.Height(), int64_t(bytes.size()) * 8);
        }
    }

    // pal8badindex: a table of 101 colours; larger indices must come out black.
    auto bytes = testsupport::ReadFile(Suite() + "/b/pal8badindex.bmp");
    Image img;
    ASSERT_TRUE(Read(bytes, img));
    const uint32_t off = bytes[10] | bytes[11] << 8, w = img.Width(), h = img.Height(), row = (w + 3) & ~3u;
    int beyond = 0, within = 0;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t idx = bytes[off + y * row + x];
            const uint8_t* e = &bytes[54 + idx * 4];
            Rgb got = img.Pixel(x, h - 1 - y);
            if (idx >= 101) {
                ++beyond;
                EXPECT_EQ(got, Rgb{}) << x << "," << y;
            } else {
                ++within;
                EXPECT_EQ(got, (Rgb{e[2], e[1], e[0]})) << x << "," << y;
            }
        }
    EXPECT_GT(beyond, 0);
    EXPECT_GT(within, 0);
}

TEST(BmpSuite, QuestionableImagesNeverCrash) {
    for (const auto& name : Files(Suite() + "/q", ".bmp")) {
        SCOPED_TRACE(name);
        auto bytes = testsupport::ReadFile(Suite() + "/q/" + name + ".bmp");
        Image img;
        std::string error;
        size_t pos = 0;
        if (Read(bytes, img, &error, &pos)) {
            EXPECT_LE(pos, bytes.size());
            EXPECT_LE(int64_t(img.Width()) * img.Height(), int64_t(bytes.size()) * 8);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    // Of these the picture is known: a gap before the pixels, a colour table longer than
    // the depth needs, an OS/2 table cut short by bfOffBits, masks in a 52-byte header,
    // masks in another order, alpha bytes that a 24-bit reader ignores.
    const std::map<std::string, std::string> sameAs = {
        {"pal8offs", "pal8"},     {"pal8oversizepal", "pal8"}, {"pal8os2sp", "pal8"},
        {"rgb24largepal", "rgb24"}, {"rgb32h52", "rgb24"},     {"rgb32bf-xbgr", "rgb24"},
        {"rgb32fakealpha", "rgb24"}};
    for (const auto& [name, ref] : sameAs) {
        SCOPED_TRACE(name);
        Image img, expected;
        std::string error;
        ASSERT_TRUE(Read(testsupport::ReadFile(Suite() + "/q/" + name + ".bmp"), img, &error)) << error;
        ASSERT_TRUE(LoadPng(Suite() + "/html/" + ref + ".png", expected));
        std::string where;
        EXPECT_EQ(Differences(img, expected, &where, 1), 0) << where;
    }
}

TEST(Bmp, PicturesBackToBackEndExactlyAtTheirBoundaries) {
    Image a = Pattern(5, 3), b = Pattern(2, 7);
    // The middle one has a colour table and a gap before its pixels (rows of 4 bytes).
    Bmp pal;
    pal.width = 3, pal.height = 2, pal.bits = 8, pal.gap = 6;
    pal.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    pal.pixels = {0, 1, 2, 0, 2, 1, 0, 0};
    auto first = platform::EncodeBmp24(a), second = pal.Bytes(), third = platform::EncodeBmp24(b);
    std::vector<uint8_t> all = first;
    all.insert(all.end(), second.begin(), second.end());
    all.insert(all.end(), third.begin(), third.end());

    MemoryStream s(all);
    Image img;
    std::string where;
    ASSERT_TRUE(ReadBmp(s, img));
    EXPECT_EQ(s.Position(), first.size());
    EXPECT_EQ(Differences(img, a, &where), 0) << where;
    ASSERT_TRUE(ReadBmp(s, img));
    EXPECT_EQ(s.Position(), first.size() + second.size());
    EXPECT_EQ(img.Pixel(0, 0), (Rgb{0, 0, 255}));  // top row is the second one stored
    EXPECT_EQ(img.Pixel(2, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(img.Pixel(1, 1), (Rgb{0, 255, 0}));
    ASSERT_TRUE(ReadBmp(s, img));
    EXPECT_TRUE(s.AtEnd());
    EXPECT_EQ(Differences(img, b, &where), 0) << where;

    // The second picture cut short: the first still reads, the second fails.
    for (size_t cut : {size_t{1}, size_t{20}, second.size() - 1}) {
        std::vector<uint8_t> shortened(all.begin(), all.begin() + first.size() + cut);
        MemoryStream t(shortened);
        std::string error;
        EXPECT_TRUE(ReadBmp(t, img));
        EXPECT_EQ(t.Position(), first.size());
        EXPECT_FALSE(ReadBmp(t, img, &error)) << cut;
        EXPECT_TRUE(img.Empty());
        EXPECT_FALSE(error.empty());
    }
}

TEST(Bmp, ReadWhereTheBytesLieItTellsTheLengthOfTheFileImage) {
    Image src = Pattern(7, 5);
    std::vector<uint8_t> bytes = platform::EncodeBmp24(src);
    const size_t length = bytes.size();
    bytes.insert(bytes.end(), {'B', 'M', 1, 2, 3});  // the next record begins
    Image back;
    size_t used = 0;
    ASSERT_TRUE(platform::ReadBmp(bytes.data(), bytes.size(), back, nullptr, &used));
    EXPECT_EQ(used, length);
    std::string where;
    EXPECT_EQ(Differences(back, src, &where), 0) << where;
    // Cut short: refused, and the picture left empty.
    std::string why;
    EXPECT_FALSE(platform::ReadBmp(bytes.data(), length - 1, back, &why));
    EXPECT_TRUE(back.Empty());
    EXPECT_FALSE(why.empty());
}

TEST(Bmp, Encode24RoundTripsAndPadsRows) {
    for (int w = 1; w <= 5; ++w) {
        SCOPED_TRACE(w);
        Image src = Pattern(w, 3);
        auto bytes = platform::EncodeBmp24(src);
        const size_t row = (w * 3 + 3) / 4 * 4;
        ASSERT_EQ(bytes.size(), 54 + row * 3);
        EXPECT_EQ(bytes[2] | bytes[3] << 8, int(bytes.size()));
        EXPECT_EQ(bytes[10], 54);
        // Bottom-up, blue first: the first stored pixel is the bottom-left one.
        Rgb bl = src.Pixel(0, 2);
        EXPECT_EQ(bytes[54], bl.b);
        EXPECT_EQ(bytes[56], bl.r);
        Image back;
        size_t pos = 0;
        ASSERT_TRUE(Read(bytes, back, nullptr, &pos));
        EXPECT_EQ(pos, bytes.size());
        std::string where;
        EXPECT_EQ(Differences(back, src, &where), 0) << where;
    }
    EXPECT_TRUE(platform::EncodeBmp24(Image()).empty());
}

TEST(Bmp, RunLengthEscapes) {
    // RLE8, 4 x 3. Bottom row: an absolute run of 3 (odd, so padded), a run of one 4,
    // end of line. Then a delta of 2 right and 1 up skips the middle row into the top
    // row, one pixel, end of bitmap. Everything skipped stays black.
    Bmp r8;
    r8.width = 4, r8.height = 3, r8.bits = 8, r8.compression = 1;
    r8.palette.resize(16);  // fewer than 256: the table ends where the pixels begin
    for (int i = 0; i < 16; ++i) r8.palette[i] = {uint8_t(i * 15), uint8_t(i), 1};
    r8.pixels = {0, 3, 6, 7, 5, 0, 1, 4, 0, 0, 0, 2, 2, 1, 1, 3, 0, 1};
    Image img;
    std::string error;
    size_t pos = 0;
    auto bytes = r8.Bytes();
    ASSERT_TRUE(Read(bytes, img, &error, &pos)) << error;
    EXPECT_EQ(pos, bytes.size());
    auto pal = [&](int i) { return r8.palette[i]; };
    EXPECT_EQ(img.Pixel(0, 2), pal(6));
    EXPECT_EQ(img.Pixel(1, 2), pal(7));
    EXPECT_EQ(img.Pixel(2, 2), pal(5));
    EXPECT_EQ(img.Pixel(3, 2), pal(4));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(img.Pixel(x, 1), Rgb{}) << x;
    EXPECT_EQ(img.Pixel(1, 0), Rgb{});
    EXPECT_EQ(img.Pixel(2, 0), pal(3));
    EXPECT_EQ(img.Pixel(3, 0), Rgb{});

    // RLE4: a run alternates the two nibbles; an absolute run of 5 nibbles fills
    // 3 bytes and is padded to 4.
    Bmp r4 = r8;
    r4.bits = 4, r4.compression = 2, r4.width = 8, r4.height = 1;
    r4.pixels = {3, 0x12, 0, 5, 0x45, 0x67, 0x80, 0x00, 0, 1};
    ASSERT_TRUE(Read(r4.Bytes(), img, &error)) << error;
    const int want[8] = {1, 2, 1, 4, 5, 6, 7, 8};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(img.Pixel(x, 0), pal(want[x])) << x;

    // Without a size field the data runs to its end mark, and the next picture follows.
    Bmp unsized = r8;
    unsized.sizeImage = 0;
    auto one = unsized.Bytes(), two = platform::EncodeBmp24(Pattern(1, 1));
    one.insert(one.end(), two.begin(), two.end());
    MemoryStream s(one);
    ASSERT_TRUE(ReadBmp(s, img, &error)) << error;
    EXPECT_EQ(s.Position(), one.size() - two.size());
    EXPECT_TRUE(ReadBmp(s, img));
    unsized.pixels.resize(unsized.pixels.size() - 2);  // no end mark: where would it stop?
    EXPECT_FALSE(Read(unsized.Bytes(), img, &error));

    // Runs that leave the row or the picture are damage.
    Bmp wide = r8;
    wide.pixels = {5, 1, 0, 1};
    EXPECT_FALSE(Read(wide.Bytes(), img, &error));
    Bmp tall = r8;
    tall.pixels = {0, 0, 0, 0, 0, 0, 1, 1, 0, 1};
    EXPECT_FALSE(Read(tall.Bytes(), img, &error));
    Bmp cut = r8;
    cut.pixels = {0, 5, 1, 2};  // absolute run of 5 with 2 bytes left
    EXPECT_FALSE(Read(cut.Bytes(), img, &error));
}

TEST(Bmp, MasksTablesAndOrientation) {
    Image img;
    std::string error;
    // 16 bits 5-6-5 with the masks after a 40-byte header; full channels reach 255.
    Bmp b16;
    b16.width = 4, b16.bits = 16, b16.compression = 3;
    b16.masks = {0xF800, 0x07E0, 0x001F};
    b16.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF};
    ASSERT_TRUE(Read(b16.Bytes(), img, &error)) << error;
    EXPECT_EQ(img.Pixel(0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(img.Pixel(1, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(img.Pixel(2, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(img.Pixel(3, 0), (Rgb{255, 255, 255}));
    // 32 bits with red in the low byte; a mask with a hole is refused.
    Bmp b32;
    b32.bits = 32, b32.compression = 3;
    b32.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    b32.pixels = {10, 20, 30, 40};
    ASSERT_TRUE(Read(b32.Bytes(), img, &error)) << error;
    EXPECT_EQ(img.Pixel(0, 0), (Rgb{10, 20, 30}));
    b32.masks[1] = 0x0000F0F0;
    EXPECT_FALSE(Read(b32.Bytes(), img, &error));
    // Plain 16 bits are 5-5-5.
    Bmp rgb555;
    rgb555.bits = 16;
    rgb555.pixels = {0xE0, 0x03, 0, 0};
    ASSERT_TRUE(Read(rgb555.Bytes(), img, &error)) << error;
    EXPECT_EQ(img.Pixel(0, 0), (Rgb{0, 255, 0}));

    // A short table: two colours given, indices 2 and 255 are black.
    Bmp shortTable;
    shortTable.width = 4, shortTable.bits = 8, shortTable.clrUsed = 2;
    shortTable.palette = {{9, 8, 7}, {1, 2, 3}};
    shortTable.pixels = {1, 0, 2, 255};
    ASSERT_TRUE(Read(shortTable.Bytes(), img, &error)) << error;
    EXPECT_EQ(img.Pixel(0, 0), (Rgb{1, 2, 3}));
    EXPECT_EQ(img.Pixel(1, 0), (Rgb{9, 8, 7}));
    EXPECT_EQ(img.Pixel(2, 0), Rgb{});
    EXPECT_EQ(img.Pixel(3, 0), Rgb{});
    // A stated count that runs past the pixel offset is a contradiction.
    shortTable.clrUsed = 3;
    EXPECT_FALSE(Read(shortTable.Bytes(), img, &error));

    // The core header: 3-byte entries, a 4-bit table cut short by bfOffBits, top row last.
    Bmp core;
    core.headerSize = 12, core.width = 3, core.height = 2, core.bits = 4;
    core.palette = {{50, 60, 70}, {80, 90, 100}};
    core.pixels = {0x01, 0xF0, 0, 0, 0x10, 0x00, 0, 0};
    ASSERT_TRUE(Read(core.Bytes(), img, &error)) << error;
    EXPECT_EQ(img.Pixel(0, 1), (Rgb{50, 60, 70}));
    EXPECT_EQ(img.Pixel(1, 1), (Rgb{80, 90, 100}));
    EXPECT_EQ(img.Pixel(2, 1), Rgb{});  // index 15, not in the table
    EXPECT_EQ(img.Pixel(0, 0), (Rgb{80, 90, 100}));

    // 1 bit, top-down: the first stored row is the top one.
    Bmp mono;
    mono.width = 10, mono.height = -2, mono.bits = 1;
    mono.palette = {{0, 0, 0}, {255, 255, 255}};
    mono.pixels = {0x80, 0x40, 0, 0, 0x00, 0x00, 0, 0};
    ASSERT_TRUE(Read(mono.Bytes(), img, &error)) << error;
    EXPECT_EQ(img.Height(), 2);
    EXPECT_EQ(img.Pixel(0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(img.Pixel(1, 0), Rgb{});
    EXPECT_EQ(img.Pixel(9, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(img.Pixel(0, 1), Rgb{});
}

TEST(Bmp, SizesAreNeverTrusted) {
    Image img;
    std::string error;
    Bmp ok;
    ok.width = 2, ok.height = 2, ok.pixels.assign(16, 0x40);
    ASSERT_TRUE(Read(ok.Bytes(), img, &error)) << error;

    // A larger size field is consumed whole (the stream continues after it)...
    Bmp padded = ok;
    padded.pixels.resize(20, 0);
    size_t pos = 0;
    ASSERT_TRUE(Read(padded.Bytes(), img, &error, &pos)) << error;
    EXPECT_EQ(pos, padded.Bytes().size());
    // ...a smaller one would leave rows in the next record.
    Bmp small = ok;
    small.sizeImage = 12;
    EXPECT_FALSE(Read(small.Bytes(), img, &error));

    struct Case {
        const char* what;
        Bmp bmp;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, auto change) {
        Bmp b = ok;
        change(b);
        cases.push_back({what, b});
    };
    add("huge, with the bytes absent", [](Bmp& b) { b.width = 16000, b.height = 4000; });
    add("past the image limit", [](Bmp& b) { b.width = 20000, b.height = 1; });
    add("most negative height", [](Bmp& b) { b.height = INT32_MIN; });
    add("zero width", [](Bmp& b) { b.width = 0; });
    add("size field past the stream", [](Bmp& b) { b.sizeImage = 0x7FFFFFFF; });
    add("offset past the stream", [](Bmp& b) { b.offBits = 100000; });
    add("offset inside the header", [](Bmp& b) { b.offBits = 30; });
    add("vast colour count", [](Bmp& b) { b.bits = 8, b.clrUsed = 0xFFFFFFFF; });
    add("RLE larger than its data", [](Bmp& b) {
        b.bits = 8, b.compression = 1, b.width = 16000, b.height = 4000, b.pixels = {0, 1};
    });
    add("RLE8 at 4 bits", [](Bmp& b) { b.bits = 4, b.compression = 1; });
    add("bit fields at 24 bits", [](Bmp& b) { b.compression = 3; });
    add("embedded PNG", [](Bmp& b) { b.compression = 5; });
    for (const auto& c : cases) {
        EXPECT_FALSE(Read(c.bmp.Bytes(), img, &error)) << c.what;
        EXPECT_TRUE(img.Empty()) << c.what;
    }

    // Every prefix of a good file fails cleanly, and so does a missing signature.
    auto bytes = ok.Bytes();
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(Read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n), img)) << n;
    bytes[1] = 'A';
    EXPECT_FALSE(Read(bytes, img, &error));
}

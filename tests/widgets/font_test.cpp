// The bitmap font read from hand-built records: every byte of the record is made
// here, so each test knows exactly what the font holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/bmp.h"
#include "platform/image.h"
#include "platform/stream.h"
#include "widgets/Cjxfontfileu.h"

using platform::Image;
using platform::MemoryStream;
using platform::Rgb;

namespace {

constexpr Rgb kSurface{0x20, 0x40, 0x60};
constexpr Rgb kWhite{255, 255, 255};

// A font record under construction. Glyph g is painted in a colour of its own
// (red = 100 + g, green = 7 * g) with its cell background a different colour, so
// a pixel tells which glyph and which part of its cell was drawn.
struct Record {
    uint16_t version = 258;
    int cellW = 8, cellH = 4, glyphs = 8;  // the pictures hold this many cells
    uint8_t header[64] = {};
    uint8_t map[256];
    uint16_t width[256] = {}, height[256] = {};
    uint16_t joinLeft[256] = {}, joinRight[256] = {};
    Image glyph, mask;

    Record(uint16_t v, int cw, int ch) : version(v), cellW(cw), cellH(ch) {
        for (int c = 0; c < 256; ++c) map[c] = static_cast<uint8_t>(c % glyphs);
        glyph.Create(cellW * glyphs, cellH);
        mask.Create(cellW * glyphs, cellH);
        glyph.FillAll({1, 2, 3});
        for (int g = 0; g < glyphs; ++g) SetGlyph(g, cw, ch);
    }
    static Rgb Ink(int g) { return {static_cast<uint8_t>(100 + g), static_cast<uint8_t>(7 * g), 9}; }
    static Rgb Paper(int g) { return {static_cast<uint8_t>(200 + g), 50, 50}; }
    // Ink in the left column and the top row of the glyph's rectangle, paper in the rest.
    void SetGlyph(int g, int w, int h) {
        width[g] = static_cast<uint16_t>(w);
        height[g] = static_cast<uint16_t>(h);
        for (int y = 0; y < cellH; ++y)
            for (int x = 0; x < cellW; ++x) {
                bool ink = x < w && y < h && (x == 0 || y == 0);
                glyph.SetPixel(g * cellW + x, y, ink ? Ink(g) : Paper(g));
                mask.SetPixel(g * cellW + x, y, ink ? kWhite : Rgb{});
            }
    }
    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out(header, header + 64);
        auto put16 = [&](size_t at, unsigned v) {
            out[at] = static_cast<uint8_t>(v);
            out[at + 1] = static_cast<uint8_t>(v >> 8);
        };
        put16(14, version);
        put16(18, static_cast<unsigned>(cellW));
        put16(20, static_cast<unsigned>(cellH));
        out.insert(out.end(), map, map + 256);
        for (int g = 0; g < 256; ++g) {
            uint8_t b[4] = {uint8_t(width[g]), uint8_t(width[g] >> 8), uint8_t(height[g]), uint8_t(height[g] >> 8)};
            out.insert(out.end(), b, b + 4);
        }
        if (version >= 258)
            for (int g = 0; g < 256; ++g) {
                uint8_t b[4] = {uint8_t(joinLeft[g]), uint8_t(joinLeft[g] >> 8), uint8_t(joinRight[g]), uint8_t(joinRight[g] >> 8)};
                out.insert(out.end(), b, b + 4);
            }
        auto g = platform::EncodeBmp24(glyph);
        out.insert(out.end(), g.begin(), g.end());
        if (version >= 257) {
            auto m = platform::EncodeBmp24(mask);
            out.insert(out.end(), m.begin(), m.end());
        }
        return out;
    }
};

int LoadFrom(CJXFontFile& f, const std::vector<uint8_t>& bytes) {
    MemoryStream s(bytes);
    return f.Load(s);
}

// A surface where every pixel differs, so any change shows.
Image Patterned(int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.SetPixel(x, y, {uint8_t(x * 5 + 1), uint8_t(y * 9 + 2), uint8_t(x ^ y)});
    return img;
}

bool SamePixels(const Image& a, const Image& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (!(a.Pixel(x, y) == b.Pixel(x, y))) return false;
    return true;
}

// The first column, from the left, in which the surface differs from the reference.
int FirstChangedColumn(const Image& drawn, const Image& before, int from = 0) {
    for (int x = from; x < drawn.Width(); ++x)
        for (int y = 0; y < drawn.Height(); ++y)
            if (!(drawn.Pixel(x, y) == before.Pixel(x, y))) return x;
    return -1;
}

}  // namespace

TEST(FontFile, OpaqueFontCopiesTheWholeGlyphRectangleBackgroundIncluded) {
    Record r(256, 6, 4);
    r.SetGlyph(3, 4, 3);
    r.map[static_cast<uint8_t>('A')] = 3;
    CJXFontFile f;
    ASSERT_EQ(LoadFrom(f, r.Bytes()), 0);
    Image s(20, 10);
    s.FillAll(kSurface);
    f.DrawChar(s, 5, 2, 'A');
    EXPECT_EQ(s.Pixel(5, 2), Record::Ink(3));
    EXPECT_EQ(s.Pixel(8, 2), Record::Ink(3));     // top row, last column of the glyph
    EXPECT_EQ(s.Pixel(6, 3), Record::Paper(3));   // the glyph's background is copied too
    EXPECT_EQ(s.Pixel(8, 4), Record::Paper(3));
    EXPECT_EQ(s.Pixel(9, 2), kSurface);           // width 4: column 9 is outside
    EXPECT_EQ(s.Pixel(5, 5), kSurface);           // height 3: row 5 is outside
    EXPECT_EQ(s.Pixel(4, 2), kSurface);
}

TEST(FontFile, MaskedFontChangesOnlyWhereTheMaskIsSet) {
    Record r(257, 6, 4);
    r.map[static_cast<uint8_t>('A')] = 2;
    // One grey mask pixel: the composite is bitwise, (surface AND NOT mask) OR (glyph AND mask).
    r.mask.SetPixel(2 * 6 + 1, 0, {0x0F, 0xF0, 0x3C});
    CJXFontFile f;
    ASSERT_EQ(LoadFrom(f, r.Bytes()), 0);
    const Image before = Patterned(20, 10);
    Image s = before.Clone();
    f.DrawChar(s, 3, 1, 'A');
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            int gx = x - 3, gy = y - 1;
            bool inside = gx >= 0 && gx < 6 && gy >= 0 && gy < 4;
            bool ink = inside && (gx == 0 || gy == 0) && !(gx == 1 && gy == 0);
            if (inside && gx == 1 && gy == 0) continue;
            EXPECT_EQ(s.Pixel(x, y), ink ? Record::Ink(2) : before.Pixel(x, y)) << x << "," << y;
        }
    Rgb bg = before.Pixel(4, 1), ink = Record::Ink(2);
    Rgb mix{uint8_t((bg.r & ~0x0F) | (ink.r & 0x0F)), uint8_t((bg.g & ~0xF0) | (ink.g & 0xF0)),
            uint8_t((bg.b & ~0x3C) | (ink.b & 0x3C))};
    EXPECT_EQ(s.Pixel(4, 1), mix);
}

TEST(FontFile, GlyphsOverTheSurfaceEdgeAreCut) {
    for (uint16_t version : {256, 257}) {
        Record r(version, 6, 4);
        r.map[static_cast<uint8_t>('a')] = 1;
        CJXFontFile f;
        ASSERT_EQ(LoadFrom(f, r.Bytes()), 0);
        const Image before = Patterned(10, 10);
        Image s = before.Clone();
        // Up and left: the ink (left column, top row) falls outside; what is left
        // is paper, which only the opaque font copies.
        f.DrawChar(s, -1, -1, 'a');
        EXPECT_EQ(s.Pixel(0, 0), version == 256 ? Record::Paper(1) : before.Pixel(0, 0)) << version;
        EXPECT_EQ(s.Pixel(5, 0), before.Pixel(5, 0)) << version;
        f.DrawChar(s, 8, 8, 'a');
        EXPECT_EQ(s.Pixel(8, 8), Record::Ink(1)) << version;
        EXPECT_EQ(s.Pixel(9, 8), Record::Ink(1)) << version;
        EXPECT_EQ(s.Pixel(8, 9), Record::Ink(1)) << version;
        EXPECT_EQ(s.Pixel(9, 9), version == 256 ? Record::Paper(1) : before.Pixel(9, 9)) << version;
        EXPECT_EQ(s.Pixel(7, 7), before.Pixel(7, 7)) << version;
    }
}

TEST(FontFile, GlyphsComeFromTheirOwnCellThroughTheCharMap) {
    Record r(257, 5, 3);
    r.map[static_cast<uint8_t>('x')] = 4;
    r.map[static_cast<uint8_t>('y')] = 4;
    r.map[static_cast<uint8_t>('z')] = 5;
    CJXFontFile f;
    ASSERT_EQ(LoadFrom(f, r.Bytes()), 0);
    Image a = Patterned(12, 6), b = Patterned(12, 6), c = Patterned(12, 6);
    f.DrawChar(a, 2, 1, 'x');
    f.DrawChar(b, 2, 1, 'y');
    f.DrawChar(c, 2, 1, 'z');
    EXPECT_TRUE(SamePixels(a, b));
    EXPECT_FALSE(SamePixels(a, c));
    EXPECT_EQ(a.Pixel(2, 1), Record::Ink(4));
    EXPECT_EQ(c.Pixel(2, 1), Record::Ink(5));
}

TEST(FontFile, WidthsFollowThePairRule) {
    Record r(258, 8, 4);
    r.SetGlyph(1, 5, 4);
    r.SetGlyph(2, 6, 4);
    r.map[static_cast<uint8_t>('a')] = 1;
    r.map[static_cast<uint8_t>('b')] = 2;
    CJXFontFile f;
    ASSERT_EQ(LoadFrom(f, r.Bytes()), 0);
    EXPECT_EQ(f.TextWidth("ab"), 13);
    EXPECT_EQ(f.TextWidthKerned("ab"), 12);
    EXPECT_EQ(f.TextWidth("a"), 6);
    EXPECT_EQ(f.TextWidthKerned("a"), 5);
    EXPECT_EQ(f.TextWidth(""), 0);
    EXPECT_EQ(f.TextWidthKerned(""), 0);

    // Joined only when the left glyph joins right and the right glyph joins left,
    // and only by the value 1.
    r.joinRight[1] = 1;
    r.joinLeft[2] = 1;
    CJXFontFile joined;
    ASSERT_EQ(LoadFrom(joined, r.Bytes()), 0);
    EXPECT_EQ(joined.TextWidthKerned("ab"), 11);
    EXPECT_EQ(joined.TextWidthKerned("ba"), 12);
    EXPECT_EQ(joined.TextWidth("ab"), 13);  // the plain width never joins
    EXPECT_EQ(joined.TextWidthKerned("aba"), 5 + 6 + 5 + 1);

    r.joinLeft[2] = 2;
    CJXFontFile two;
    ASSERT_EQ(LoadFrom(two, r.Bytes()), 0);
    EXPECT_EQ(two.TextWidthKerned("ab"), 12);
}

TEST(FontFile, KernedDrawingDropsTheGapOfJoinedPairsOnly) {
    Record r(258, 8, 4);
    r.SetGlyph(1, 5, 4);
    r.SetGlyph(2, 6, 4);
    r.map[static_cast<uint8_t>('a')] = 1;
    r.map[static_cast<uint8_t>('b')] = 2;
    r.joinRight[1] = 1;
    r.joinLeft[2] = 1;
    CJXFontFile f;
    ASSERT_EQ(LoadFrom(f, r.Bytes()), 0);
    Image before(40, 6);
    before.FillAll(kSurface);
    Image kerned = before.Clone(), plain = before.Clone();
    f.DrawTextKerned(kerned, 2, 1, "aba");
    f.DrawText(plain, 2, 1, "aba");
    // Each glyph's left column is ink, so the first changed column after each glyph
    // is where the next one starts.
    EXPECT_EQ(kerned.Pixel(2, 2), Record::Ink(1));
    EXPECT_EQ(kerned.Pixel(7, 2), Record::Ink(2));   // 2 + 5, joined
    EXPECT_EQ(kerned.Pixel(14, 2), Record::Ink(1));  // 7 + 6 + 1, not joined
    EXPECT_EQ(plain.Pixel(8, 2), Record::Ink(2));    // 2 + 5 + 1
    EXPECT_EQ(plain.Pixel(15, 2), Record::Ink(1));
    EXPECT_EQ(FirstChangedColumn(kerned, before, 19), -1);
}

TEST(FontFile, FontsWithoutPairTablePlaceKernedTextLikePlainText) {
    for (uint16_t version : {256, 257}) {
        Record r(version, 8, 4);
        r.SetGlyph(1, 5, 4);
        r.SetGlyph(2, 6, 4);
        r.map[static_cast<uint8_t>('a')] = 1;
        r.map[static_cast<uint8_t>('b')] = 2;
        r.joinLeft[2] = r.joinRight[1] = 1;  // not written: these versions carry no table
        CJXFontFile f;
        ASSERT_EQ(LoadFrom(f, r.Bytes()), 0) << version;
        EXPECT_EQ(f.TextWidthKerned("abab"), f.TextWidth("abab") - 1) << version;
        Image a = Patterned(40, 6), b = Patterned(40, 6);
        f.DrawTextKerned(a, 1, 1, "abab");
        f.DrawText(b, 1, 1, "abab");
        EXPECT_TRUE(SamePixels(a, b)) << version;
    }
}

TEST(FontFile, EmptyAndZeroWidthGlyphsDrawNothingButStillAdvance) {
    Record r(257, 6, 4);
    r.SetGlyph(1, 4, 4);
    r.SetGlyph(0, 0, 4);
    r.map[static_cast<uint8_t>('a')] = 1;
    r.map[8] = 0;
    CJXFontFile f;
    ASSERT_EQ(LoadFrom(f, r.Bytes()), 0);
    const Image before = Patterned(30, 6);
    Image s = before.Clone();
    f.DrawText(s, 0, 0, "");
    f.DrawTextKerned(s, 0, 0, "");
    f.DrawChar(s, 3, 1, 8);
    EXPECT_TRUE(SamePixels(s, before));

    f.DrawText(s, 2, 1, std::string("a\x08" "a"));
    EXPECT_EQ(FirstChangedColumn(s, before), 2);
    EXPECT_EQ(FirstChangedColumn(s, before, 6), 8);  // 2 + 4 + 1, then 0 + 1 for the empty glyph
    EXPECT_EQ(f.TextWidth(std::string("a\x08" "a")), 5 + 1 + 5);
    EXPECT_EQ(f.TextWidthKerned(std::string("a\x08" "a")), 4 + 1 + 0 + 1 + 4);
}

TEST(FontFile, VersionsBelow256DrawNothing) {
    Record r(255, 6, 4);
    r.SetGlyph(1, 4, 4);
    r.map[static_cast<uint8_t>('a')] = 1;
    CJXFontFile f;
    ASSERT_EQ(LoadFrom(f, r.Bytes()), 0);
    const Image before = Patterned(20, 6);
    Image s = before.Clone();
    f.DrawText(s, 0, 0, "aa");
    EXPECT_TRUE(SamePixels(s, before));
    EXPECT_EQ(f.TextWidth("aa"), 10);
}

TEST(FontFile, LoadReportsBrokenPicturesAndKeepsWhatItRead) {
    Record r(258, 6, 4);
    r.map[static_cast<uint8_t>('q')] = 5;
    std::vector<uint8_t> good = r.Bytes();
    const size_t tables = 64 + 256 + 1024 + 1024;

    std::vector<uint8_t> broken = good;
    broken[tables] = 'X';  // "BM" becomes "XM"
    CJXFontFile a;
    EXPECT_EQ(LoadFrom(a, broken), 1);
    EXPECT_EQ(a.version, 258);
    EXPECT_EQ(a.charMap[static_cast<uint8_t>('q')], 5);

    // The stream ends inside the mask picture.
    CJXFontFile b;
    EXPECT_EQ(LoadFrom(b, std::vector<uint8_t>(good.begin(), good.end() - 10)), 1);
    // A 257 record without its mask at all.
    Record m(257, 6, 4);
    std::vector<uint8_t> noMask = m.Bytes();
    noMask.resize(64 + 256 + 1024 + platform::EncodeBmp24(m.glyph).size());
    CJXFontFile c;
    EXPECT_EQ(LoadFrom(c, noMask), 1);
    CJXFontFile d;
    EXPECT_EQ(LoadFrom(d, {}), 1);
}

TEST(FontFile, ShortReadsLeaveEarlierValuesInPlace) {
    Record first(258, 6, 4);
    first.SetGlyph(3, 2, 4);
    first.SetGlyph(1, 0x0102, 4);
    CJXFontFile f;
    ASSERT_EQ(LoadFrom(f, first.Bytes()), 0);
    ASSERT_EQ(f.charMap[40], 40 % 8);

    Record second(257, 9, 5);
    for (uint8_t& m : second.map) m = 7;
    std::vector<uint8_t> cut = second.Bytes();
    cut.resize(64 + 36);  // header and the first 36 entries of the map
    EXPECT_EQ(LoadFrom(f, cut), 1);
    EXPECT_EQ(f.version, 257);
    EXPECT_EQ(f.cellWidth, 9);
    EXPECT_EQ(f.charMap[35], 7);
    EXPECT_EQ(f.charMap[36], 36 % 8);          // not supplied: as before
    EXPECT_EQ(f.glyphMetrics[3].width, 2);     // the metrics were not reached at all
    EXPECT_EQ(f.pairFlags[3].joinLeft, 0);

    // Metrics that run out half way keep the rest of the earlier table, to the byte.
    CJXFontFile g;
    ASSERT_EQ(LoadFrom(g, first.Bytes()), 0);
    Record third(256, 6, 4);
    third.SetGlyph(0, 300, 4);
    third.SetGlyph(1, 9, 4);
    std::vector<uint8_t> half = third.Bytes();
    half.resize(64 + 256 + 5);  // glyph 0 whole, the low byte of glyph 1's width
    EXPECT_EQ(LoadFrom(g, half), 1);
    EXPECT_EQ(g.glyphMetrics[0].width, 300);
    EXPECT_EQ(g.glyphMetrics[1].width, 0x0109);  // low byte new, high byte as before
    EXPECT_EQ(g.glyphMetrics[1].height, 4);      // as before
    EXPECT_EQ(g.glyphMetrics[3].width, 2);

    CJXFontFile fresh;
    EXPECT_EQ(LoadFrom(fresh, std::vector<uint8_t>(cut.begin(), cut.begin() + 16)), 1);
    EXPECT_EQ(fresh.version, 257);   // bytes 14 and 15 were there
    EXPECT_EQ(fresh.cellWidth, 0);   // byte 18 was not
    EXPECT_EQ(fresh.charMap[0], 0);
}

TEST(FontFile, AHugeCellInATinyRecordCostsNoMemory) {
    // A damaged header may claim cells of thousands of pixels; the work images
    // never need to be larger than the glyph picture the record really holds.
    Record r(257, 4, 3);
    r.SetGlyph(1, 4, 3);
    r.map[static_cast<uint8_t>('a')] = 1;
    std::vector<uint8_t> bytes = r.Bytes();
    bytes[18] = 0x40;  // cellWidth 8000
    bytes[19] = 0x1F;
    bytes[20] = 0x40;  // cellHeight 8000
    bytes[21] = 0x1F;
    CJXFontFile f;
    EXPECT_EQ(LoadFrom(f, bytes), 0);
    EXPECT_EQ(f.cellWidth, 8000);
    EXPECT_LE(f.workA.Width(), f.glyphImage.Width());
    EXPECT_LE(f.workA.Height(), f.glyphImage.Height());
    EXPECT_LE(f.workB.Width(), f.glyphImage.Width());
    EXPECT_LE(f.workB.Height(), f.glyphImage.Height());
    // Glyph 0 stands where it always did; glyph 1 would start far outside the picture.
    Image s = Patterned(10, 5);
    f.DrawText(s, 1, 1, std::string("\x00" "a", 2));
    EXPECT_EQ(s.Pixel(1, 1), Record::Ink(0));
}

TEST(FontFile, GlyphsBeyondThePicturesLeaveTheSurfaceAlone) {
    // The pictures hold 8 cells; a map entry pointing past them draws nothing, also
    // right after a glyph that filled the work images.
    Record r(257, 10, 3);
    r.map[static_cast<uint8_t>('a')] = 1;
    r.map[static_cast<uint8_t>('z')] = 9;
    r.width[9] = 5;
    r.height[9] = 3;
    r.map[static_cast<uint8_t>('y')] = 7;
    r.width[7] = 10;
    CJXFontFile f;
    ASSERT_EQ(LoadFrom(f, r.Bytes()), 0);
    const Image before = Patterned(20, 5);
    Image s = before.Clone();
    f.DrawChar(s, 0, 0, 'a');
    Image afterA = s.Clone();
    f.DrawChar(s, 0, 0, 'z');
    EXPECT_TRUE(SamePixels(s, afterA));
    // A mask picture narrower than the glyph picture cuts the glyph too.
    Record m(257, 10, 3);
    m.map[static_cast<uint8_t>('y')] = 7;
    m.mask.Create(75, 3);
    m.mask.FillAll(kWhite);
    CJXFontFile n;
    ASSERT_EQ(LoadFrom(n, m.Bytes()), 0);
    Image t = before.Clone();
    n.DrawChar(t, 0, 0, 'y');
    EXPECT_EQ(t.Pixel(4, 1), Record::Paper(7));
    EXPECT_EQ(t.Pixel(5, 1), before.Pixel(5, 1));
}

TEST(FontFile, ElevenRecordsAreReadToTheExactEndOfTheStream) {
    std::vector<uint8_t> stream;
    std::vector<size_t> ends;
    const uint16_t versions[] = {258, 258, 258, 258, 258, 257, 256, 258, 258, 258, 258};
    for (int i = 0; i < 11; ++i) {
        Record r(versions[i], 4 + i, 3 + i % 4);
        r.header[0] = static_cast<uint8_t>('A' + i);
        auto b = r.Bytes();
        stream.insert(stream.end(), b.begin(), b.end());
        ends.push_back(stream.size());
    }
    MemoryStream s(stream);
    CJXFontFile fonts[11];
    for (int i = 0; i < 11; ++i) {
        ASSERT_EQ(fonts[i].Load(s), 0) << i;
        EXPECT_EQ(s.Position(), ends[i]) << i;
        EXPECT_EQ(fonts[i].header[0], 'A' + i);
        EXPECT_EQ(fonts[i].cellWidth, 4 + i);
        EXPECT_EQ(fonts[i].workA.Width(), 4 + i);
    }
    EXPECT_EQ(s.Position(), s.Size());
    for (CJXFontFile& f : fonts) EXPECT_EQ(f.Unload(), 0);
    EXPECT_TRUE(fonts[0].glyphImage.Empty());
}

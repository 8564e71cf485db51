#include "widgets/Cjxfontfileu.h"

#include <algorithm>

#include "platform/bmp.h"
#include "platform/bytes.h"

using platform::Image;
using platform::RasterOp;

namespace {

// Short reads are not errors: bytes the stream does not supply keep the value they had.
void ReadInto(platform::MemoryStream& s, uint8_t* dst, size_t n) { s.Read(dst, n); }

// A table of 256 entries of two 16-bit numbers. The entries' present values are laid
// out first, so that the bytes a short stream cannot supply keep them.
template <class Entry>
void ReadTable(platform::MemoryStream& s, Entry (&table)[256], uint16_t Entry::*first, uint16_t Entry::*second) {
    uint8_t buf[1024];
    for (int g = 0; g < 256; ++g) {
        platform::StoreLE16(buf + g * 4, table[g].*first);
        platform::StoreLE16(buf + g * 4 + 2, table[g].*second);
    }
    ReadInto(s, buf, sizeof buf);
    for (int g = 0; g < 256; ++g) {
        table[g].*first = platform::LoadLE16(buf + g * 4);
        table[g].*second = platform::LoadLE16(buf + g * 4 + 2);
    }
}
}  // namespace

int CJXFontFile::Load(platform::MemoryStream& stream) {
    // The header arrives in three reads, as the record was written.
    ReadInto(stream, header, 8);
    ReadInto(stream, header + 8, 8);
    ReadInto(stream, header + 16, 48);
    version = platform::LoadLE16(header + 14);
    cellWidth = platform::LoadLE16(header + 18);
    cellHeight = platform::LoadLE16(header + 20);

    ReadInto(stream, charMap, 256);
    ReadTable(stream, glyphMetrics, &JXGlyphMetric::width, &JXGlyphMetric::height);
    if (version >= 258) ReadTable(stream, pairFlags, &JXPairFlag::joinLeft, &JXPairFlag::joinRight);

    if (!platform::ReadBmp(stream, glyphImage)) return 1;
    if (version >= 257 && !platform::ReadBmp(stream, maskImage)) return 1;
    // The work images are sized once here so that drawing never allocates. A glyph
    // never takes more from the pictures than they hold, so the work images need not
    // be larger than the glyph picture: a damaged header asking for huge cells then
    // costs nothing.
    const int workW = std::min<int>(cellWidth, glyphImage.Width());
    const int workH = std::min<int>(cellHeight, glyphImage.Height());
    if (!workA.Create(workW, workH) || !workB.Create(workW, workH)) return 1;
    return 0;
}

int CJXFontFile::Unload() {
    glyphImage.Reset();
    maskImage.Reset();
    workA.Reset();
    workB.Reset();
    return 0;
}

void CJXFontFile::DrawChar(Image& surface, int x, int y, uint8_t ch) {
    if (version < 256) return;
    const int g = charMap[ch];
    int w = glyphMetrics[g].width, h = glyphMetrics[g].height;
    if (w <= 0 || h <= 0) return;
    const int gx = g * cellWidth;
    if (version == 256) {
        surface.CopyRect(x, y, w, h, glyphImage, gx, 0);
        return;
    }
    // The work images are one cell big; a glyph larger than its cell is cut to it,
    // and so is one that runs past the end of the glyph or mask picture (a damaged
    // record): the work images would otherwise keep the previous glyph there.
    w = std::min({w, workA.Width(), glyphImage.Width() - gx, maskImage.Width() - gx});
    h = std::min({h, workA.Height(), glyphImage.Height(), maskImage.Height()});
    if (w <= 0 || h <= 0) return;
    // Onto a surface that takes plain copies the glyph goes through its mask in one
    // pass; only the part on the surface changes, exactly as with the work images.
    if (surface.CopyMode() == RasterOp::Copy) {
        surface.CopyRectMasked(x, y, w, h, glyphImage, gx, 0, maskImage, gx, 0);
        return;
    }
    // Start from black so that parts of the cell the surface cannot supply (a glyph
    // hanging over the surface's edge) composite against something defined.
    workA.Fill({0, 0, w, h}, {});
    workA.CopyRect(0, 0, w, h, surface, x, y, RasterOp::Copy);
    workB.CopyRect(0, 0, w, h, maskImage, gx, 0, RasterOp::NotCopy);
    workA.CopyRect(0, 0, w, h, workB, 0, 0, RasterOp::And);
    workB.CopyRect(0, 0, w, h, glyphImage, gx, 0, RasterOp::Copy);
    workB.CopyRect(0, 0, w, h, maskImage, gx, 0, RasterOp::And);
    workA.CopyRect(0, 0, w, h, workB, 0, 0, RasterOp::Or);
    surface.CopyRect(x, y, w, h, workA, 0, 0);
}

void CJXFontFile::DrawText(Image& surface, int x, int y, std::string_view text) {
    for (char c : text) {
        uint8_t ch = static_cast<uint8_t>(c);
        DrawChar(surface, x, y, ch);
        x += glyphMetrics[charMap[ch]].width + 1;
    }
}

namespace {
bool Joined(const CJXFontFile& f, uint8_t left, uint8_t right) {
    return f.pairFlags[f.charMap[left]].joinRight == 1 && f.pairFlags[f.charMap[right]].joinLeft == 1;
}
}  // namespace

void CJXFontFile::DrawTextKerned(Image& surface, int x, int y, std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t ch = static_cast<uint8_t>(text[i]);
        DrawChar(surface, x, y, ch);
        if (i + 1 < text.size()) {
            x += glyphMetrics[charMap[ch]].width;
            if (!Joined(*this, ch, static_cast<uint8_t>(text[i + 1]))) x += 1;
        }
    }
}

int CJXFontFile::TextWidth(std::string_view text) const {
    int w = 0;
    for (char c : text) w += glyphMetrics[charMap[static_cast<uint8_t>(c)]].width + 1;
    return w;
}

int CJXFontFile::TextWidthKerned(std::string_view text) const {
    int w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t ch = static_cast<uint8_t>(text[i]);
        w += glyphMetrics[charMap[ch]].width;
        if (i + 1 < text.size() && !Joined(*this, ch, static_cast<uint8_t>(text[i + 1]))) w += 1;
    }
    return w;
}

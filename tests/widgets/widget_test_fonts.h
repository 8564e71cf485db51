// Bitmap fonts and pictures made in memory for the widget tests. Every glyph is a
// solid block whose colour names the font and the glyph (red = the font's tag,
// green = glyph index, blue = 200), so a single pixel tells what was drawn there.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/bmp.h"
#include "platform/image.h"
#include "platform/stream.h"
#include "widgets/Cjxfontfileu.h"

namespace wtest {

constexpr int kCellWidth = 48;

inline platform::Rgb GlyphColour(int tag, int glyph) {
    return {static_cast<uint8_t>(tag), static_cast<uint8_t>(glyph), 200};
}

// A masked font (version 257) whose glyphs are all `width` wide, except those listed
// in `special` as (character, width).
inline void MakeFont(CJXFontFile& f, int tag, int width, int height,
                     std::initializer_list<std::pair<int, int>> special = {}) {
    f.version = 257;
    f.cellWidth = kCellWidth;
    f.cellHeight = static_cast<uint16_t>(height);
    for (int c = 0; c < 256; ++c) {
        f.charMap[c] = static_cast<uint8_t>(c);
        f.glyphMetrics[c] = {static_cast<uint16_t>(width), static_cast<uint16_t>(height)};
        f.pairFlags[c] = {};
    }
    for (auto [c, w] : special) f.glyphMetrics[c].width = static_cast<uint16_t>(w);
    f.glyphImage.Create(256 * kCellWidth, height);
    f.maskImage.Create(256 * kCellWidth, height);
    for (int g = 0; g < 256; ++g) {
        platform::Rect r{g * kCellWidth, 0, f.glyphMetrics[g].width, height};
        f.glyphImage.Fill(r, GlyphColour(tag, g));
        f.maskImage.Fill(r, {255, 255, 255});
    }
    f.workA.Create(kCellWidth, height);
    f.workB.Create(kCellWidth, height);
}

// The font as a record of the font stream: header, character map, metrics, then the
// glyph and mask pictures as BMP files.
inline void AppendFontRecord(platform::MemoryStream& s, const CJXFontFile& f) {
    uint8_t header[64] = {};
    header[14] = static_cast<uint8_t>(f.version);
    header[15] = static_cast<uint8_t>(f.version >> 8);
    header[18] = static_cast<uint8_t>(f.cellWidth);
    header[19] = static_cast<uint8_t>(f.cellWidth >> 8);
    header[20] = static_cast<uint8_t>(f.cellHeight);
    header[21] = static_cast<uint8_t>(f.cellHeight >> 8);
    s.Write(header, sizeof header);
    s.Write(f.charMap, 256);
    for (const JXGlyphMetric& m : f.glyphMetrics) {
        uint8_t b[4] = {static_cast<uint8_t>(m.width), static_cast<uint8_t>(m.width >> 8),
                        static_cast<uint8_t>(m.height), static_cast<uint8_t>(m.height >> 8)};
        s.Write(b, 4);
    }
    auto glyphs = platform::EncodeBmp24(f.glyphImage);
    auto mask = platform::EncodeBmp24(f.maskImage);
    s.Write(glyphs.data(), glyphs.size());
    s.Write(mask.data(), mask.size());
}

inline platform::Image Solid(int w, int h, platform::Rgb c) {
    platform::Image img(w, h);
    img.FillAll(c);
    return img;
}

}  // namespace wtest

// The bitmap font: one record of the font stream. A font has no colour, size or
// style: its glyph image carries finished colours, so every look of text is a font
// object of its own.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/image.h"
#include "platform/stream.h"

struct JXGlyphMetric {
    uint16_t width = 0, height = 0;
};

struct JXPairFlag {
    uint16_t joinLeft = 0, joinRight = 0;
};

class CJXFontFile {
public:
    // Header bytes 0..63 as read; the named fields below are decoded from it.
    uint8_t header[64] = {};
    uint16_t version = 0;
    uint16_t cellWidth = 0;
    uint16_t cellHeight = 0;
    uint8_t charMap[256] = {};
    JXGlyphMetric glyphMetrics[256] = {};
    JXPairFlag pairFlags[256] = {};
    platform::Image glyphImage, maskImage, workA, workB;

    // Reads one font record from the stream's position; 0 on success, 1 on failure.
    int Load(platform::MemoryStream& stream);
    int Unload();

    void DrawChar(platform::Image& surface, int x, int y, uint8_t ch);
    void DrawText(platform::Image& surface, int x, int y, std::string_view text);
    void DrawTextKerned(platform::Image& surface, int x, int y, std::string_view text);
    int TextWidth(std::string_view text) const;
    int TextWidthKerned(std::string_view text) const;
};

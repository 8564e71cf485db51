// Compiles bitmap-font records (the format CJXFontFile reads) from TrueType fonts
// with FreeType, for the disc's font stream and for skin captions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"

namespace tool {

struct FontSpec {
    std::string ttfPath;          // host path of the TrueType file
    int pixelSize = 12;           // FreeType pixel size (em height)
    platform::Rgb ink{255, 255, 255};
    platform::Rgb background{0, 0, 0};  // anti-aliased edges are blended against it
    uint16_t version = 258;       // 256 opaque, 257 masked, 258 masked with pair table
    bool treeLines = false;       // draw the tree-line pictures at codes 161..172
    platform::Rgb lineColour{0x86, 0x89, 0x95};  // colour of those pictures
};

// One complete font record; throws std::runtime_error with a readable message when
// the font cannot be read.
std::vector<uint8_t> CompileFont(const FontSpec& spec);

// The eleven roles of the menu's font stream, in stream order: title, count, link
// caption, description regular, description bold, two spare, list program, list
// group, selected program, selected group. fontDir is where the TrueType files are
// (DejaVu, from fonts-dejavu-core: /usr/share/fonts/truetype/dejavu).
std::vector<FontSpec> MenuFontRoles(const std::string& fontDir = "/usr/share/fonts/truetype/dejavu");
const char* MenuFontRoleName(int index);  // "title", "count", ...

}  // namespace tool

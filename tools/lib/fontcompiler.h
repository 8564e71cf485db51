// Compiles bitmap-font records (the format CJXFontFile reads) from TrueType fonts
// with FreeType, for the disc's font stream and for skin captions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"

namespace tool {

struct FontRecipe {
    std::string ttfPath;          // host path of the TrueType file
    int pixelSize = 12;           // FreeType pixel size (em height)
    platform::Rgb ink{255, 255, 255};
    platform::Rgb background{0, 0, 0};  // anti-aliased edges are blended against it
    uint16_t version = 258;       // 256 opaque, 257 masked, 258 masked with pair table
    bool treeLines = false;       // draw the tree-line pictures at codes 161..172
    platform::Rgb lineColour{0x86, 0x89, 0x95};  // colour of those pictures
    // Cell height in pixels; 0 takes the font's own line height (ascender plus
    // descender). A larger value pads evenly above and below, which is how the list
    // fonts fill their 17-pixel rows so that tree lines join from row to row.
    int cellHeight = 0;
};

// One complete font record; throws std::runtime_error with a readable message when
// the font cannot be read.
std::vector<uint8_t> CompileFont(const FontRecipe& recipe);

// The eleven roles of the menu's font stream, in stream order: title, count, link
// caption, description regular, description bold, two spare, list program, list
// group, selected program, selected group. fontDir is where the TrueType files are
// (DejaVu, from fonts-dejavu-core: /usr/share/fonts/truetype/dejavu).
std::vector<FontRecipe> MenuFontRoles(const std::string& fontDir = "/usr/share/fonts/truetype/dejavu");
const char* MenuFontRoleName(int index);  // "title", "count", ...

// The whole font stream of the menu: the eleven roles compiled back to back.
std::vector<uint8_t> CompileMenuFontStream(const std::string& fontDir = "/usr/share/fonts/truetype/dejavu");

// A picture for people to look at: every record of a font stream draws a Polish
// pangram (and its number and role name) on the navy panel colour; when the stream
// has the list's four fonts, a few list rows with tree lines follow. Throws
// std::runtime_error when a record cannot be loaded.
platform::Image RenderFontSample(const std::vector<uint8_t>& stream);

// Where the tree-line pictures put their open/close box, in pixels from the left
// edge of a group variant's glyph (which the list draws 6 pixels left of the
// program variants): columns kBoxLeft..kBoxRight, so that inside a list column it
// sits at 8..14, where the list takes a press as a click on the box.
constexpr int kTreeBoxLeft = 3;
constexpr int kTreeBoxRight = 9;

}  // namespace tool

#include "tools/lib/fontcompiler.h"

#if VEMI_HAVE_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "platform/bmp.h"
#include "platform/bytes.h"
#include "platform/text.h"

namespace tool {
namespace {

using platform::Image;
using platform::Rgb;

#if VEMI_HAVE_FREETYPE

// A pixel counts as ink for the mask from this coverage up. Fainter fringes are
// left to the surface: against navy they would be navy anyway.
constexpr int kMaskThreshold = 9;
// A glyph's edge column counts as touched by ink from this coverage up (a third).
constexpr int kEdgeThreshold = 85;

constexpr int kRecordHeader = 64;

class FtLibrary {
public:
    FtLibrary() {
        if (FT_Init_FreeType(&lib_)) throw std::runtime_error("FreeType cannot start");
    }
    ~FtLibrary() { FT_Done_FreeType(lib_); }
    FtLibrary(const FtLibrary&) = delete;
    FtLibrary& operator=(const FtLibrary&) = delete;
    FT_Library get() const { return lib_; }

private:
    FT_Library lib_ = nullptr;
};

class FtFace {
public:
    FtFace(FT_Library lib, const std::string& path) {
        if (FT_New_Face(lib, path.c_str(), 0, &face_)) throw std::runtime_error("cannot read the font " + path);
    }
    ~FtFace() { FT_Done_Face(face_); }
    FtFace(const FtFace&) = delete;
    FtFace& operator=(const FtFace&) = delete;
    FT_Face get() const { return face_; }

private:
    FT_Face face_ = nullptr;
};

// The Unicode code point of one Windows-1250 byte; 0 for control codes and for the
// bytes the code page leaves undefined, which get a blank glyph.
uint32_t CodePoint(uint8_t byte) {
    if (byte < 0x20 || byte == 0x7F) return 0;
    std::string u = platform::Cp1250ToUtf8(std::string(1, static_cast<char>(byte)));
    if (u.empty() || (u == "?" && byte != '?')) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(u.data());
    if (p[0] < 0x80) return p[0];
    if ((p[0] & 0xE0) == 0xC0 && u.size() >= 2) return ((p[0] & 0x1Fu) << 6) | (p[1] & 0x3Fu);
    if ((p[0] & 0xF0) == 0xE0 && u.size() >= 3) return ((p[0] & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
    return 0;
}

// Anti-aliased edges are mixed in linear light: mixing the stored sRGB values
// straight makes light text on a dark panel look thin and grey.
class Blender {
public:
    Blender(Rgb ink, Rgb background) {
        for (int c = 0; c < 256; ++c) {
            auto lin = [](uint8_t v) {
                double s = v / 255.0;
                return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
            };
            auto enc = [](double l) {
                double s = l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
                return static_cast<uint8_t>(std::clamp(static_cast<int>(std::lround(s * 255.0)), 0, 255));
            };
            double a = c / 255.0;
            lut_[c] = {enc(lin(background.r) * (1 - a) + lin(ink.r) * a), enc(lin(background.g) * (1 - a) + lin(ink.g) * a),
                       enc(lin(background.b) * (1 - a) + lin(ink.b) * a)};
        }
    }
    Rgb operator()(int coverage) const { return lut_[std::clamp(coverage, 0, 255)]; }

private:
    std::array<Rgb, 256> lut_{};
};

// One glyph while the font is being put together: finished colours, a binary mask
// and the coverage that decides the pair flags.
struct Cell {
    int width = 0;
    std::vector<Rgb> pixels;
    std::vector<uint8_t> mask;      // 1 where the glyph is drawn
    std::vector<uint8_t> coverage;  // 0..255
    void Resize(int w, int h, Rgb background) {
        width = w;
        pixels.assign(static_cast<size_t>(w) * h, background);
        mask.assign(static_cast<size_t>(w) * h, 0);
        coverage.assign(static_cast<size_t>(w) * h, 0);
    }
};

struct LineMetrics {
    int ascent = 0, descent = 0;  // pixels above and below the baseline
    int cellHeight = 0;
    int baseline = 0;  // row of the baseline inside the cell
};

LineMetrics MeasureLines(FT_Face face, int wantedHeight) {
    LineMetrics m;
    m.ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    m.descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    int natural = m.ascent + m.descent;
    m.cellHeight = wantedHeight > 0 ? wantedHeight : natural;
    m.baseline = (m.cellHeight - natural) / 2 + m.ascent;
    return m;
}

// Renders one character. The cell is the glyph's advance wide, widened when the
// ink reaches outside it; ink left of the pen position (a negative bearing) moves
// the whole glyph right, since nothing can be drawn left of where the font is asked
// to draw.
void RenderGlyph(FT_Face face, uint32_t cp, const LineMetrics& lm, const Blender& blend, Rgb background, Cell& cell) {
    cell.Resize(0, lm.cellHeight, background);
    if (cp == 0) return;
    FT_UInt index = FT_Get_Char_Index(face, cp);
    if (index == 0) return;
    // The auto-hinter snaps stems in both directions: at 11 pixels that is the
    // difference between crisp strokes and a grey blur.
    if (FT_Load_Glyph(face, index, FT_LOAD_FORCE_AUTOHINT | FT_LOAD_TARGET_NORMAL)) return;
    FT_GlyphSlot slot = face->glyph;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL)) return;
    const FT_Bitmap& bm = slot->bitmap;
    const int advance = static_cast<int>((slot->advance.x + 32) >> 6);
    const int bw = static_cast<int>(bm.width), bh = static_cast<int>(bm.rows);
    const int shift = std::max(0, -slot->bitmap_left);
    const int left = slot->bitmap_left + shift;
    int width = std::max(advance + shift, bw > 0 ? left + bw : 0);
    cell.Resize(std::max(width, 0), lm.cellHeight, background);
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || bw == 0 || bh == 0) return;
    const int top = lm.baseline - slot->bitmap_top;
    for (int r = 0; r < bh; ++r) {
        int y = top + r;
        if (y < 0 || y >= lm.cellHeight) continue;  // accents taller than the line are cut
        const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(r) * bm.pitch;
        for (int c = 0; c < bw; ++c) {
            int x = left + c;
            int v = src[c];
            if (bm.num_grays != 256 && bm.num_grays > 1) v = v * 255 / (bm.num_grays - 1);
            size_t i = static_cast<size_t>(y) * cell.width + x;
            cell.coverage[i] = static_cast<uint8_t>(v);
            cell.pixels[i] = blend(v);
            cell.mask[i] = v >= kMaskThreshold;
        }
    }
}

// The tree-line pictures of the program list, drawn in place of ten rarely used
// symbols. Program variants have their line in column 0, which the list puts at
// 11 pixels into a column; group variants are drawn 6 pixels further left and have
// the open/close box centred on that same line, so the lines of a group and of the
// programs beside it meet.
class TreeArtist {
public:
    TreeArtist(Cell& cell, int height, Rgb line, Rgb sign, Rgb background)
        : cell_(cell), h_(height), line_(line), sign_(sign), background_(background) {}

    enum Vertical { kUpAndDown, kUpOnly, kDownOnly, kNone };

    void Program(Vertical v, bool branch) {
        cell_.Resize(branch ? kBranchEnd + 1 : 1, h_, background_);
        const int mid = Mid();
        VLine(0, v == kDownOnly ? mid : 0, v == kUpOnly ? mid : h_ - 1);
        if (branch) HLine(mid, 1, kBranchEnd);
    }

    void Group(Vertical v, bool open) {
        cell_.Resize(kGroupStubEnd + 1, h_, background_);
        const int mid = Mid(), cx = (kTreeBoxLeft + kTreeBoxRight) / 2;
        const int r = (kTreeBoxRight - kTreeBoxLeft) / 2;
        if (v == kUpAndDown || v == kUpOnly) VLine(cx, 0, mid - r - 1);
        if (v == kUpAndDown || v == kDownOnly) VLine(cx, mid + r + 1, h_ - 1);
        // The box: a frame in the line colour, the panel colour inside, the sign in
        // the font's ink so that it lights up with the selected row.
        for (int y = mid - r; y <= mid + r; ++y)
            for (int x = kTreeBoxLeft; x <= kTreeBoxRight; ++x) {
                bool frame = y == mid - r || y == mid + r || x == kTreeBoxLeft || x == kTreeBoxRight;
                Put(x, y, frame ? line_ : background_);
            }
        HLine(mid, cx - r + 2, cx + r - 2, sign_);
        if (!open) VLine(cx, mid - r + 2, mid + r - 2, sign_);
        HLine(mid, kTreeBoxRight + 1, kGroupStubEnd);
    }

private:
    static constexpr int kBranchEnd = 9;       // the branch ends 3 pixels before the text
    static constexpr int kGroupStubEnd = 15;   // likewise for a group's text
    int Mid() const { return (h_ - 1) / 2; }
    void Put(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= cell_.width || y >= h_) return;
        size_t i = static_cast<size_t>(y) * cell_.width + x;
        cell_.pixels[i] = c;
        cell_.mask[i] = 1;
        cell_.coverage[i] = 255;
    }
    void VLine(int x, int y0, int y1) { VLine(x, y0, y1, line_); }
    void VLine(int x, int y0, int y1, Rgb c) {
        for (int y = y0; y <= y1; ++y) Put(x, y, c);
    }
    void HLine(int y, int x0, int x1) { HLine(y, x0, x1, line_); }
    void HLine(int y, int x0, int x1, Rgb c) {
        for (int x = x0; x <= x1; ++x) Put(x, y, c);
    }

    Cell& cell_;
    int h_;
    Rgb line_, sign_, background_;
};

void DrawTreeLines(std::array<Cell, 256>& cells, int height, const FontRecipe& want) {
    auto art = [&](int code) { return TreeArtist(cells[code], height, want.lineColour, want.ink, want.background); };
    using V = TreeArtist::Vertical;
    art(169).Program(V::kUpAndDown, false);  // line passing by
    art(170).Program(V::kUpAndDown, true);   // branch, more below
    art(171).Program(V::kUpOnly, true);      // branch of the last item
    art(172).Program(V::kDownOnly, true);    // branch of the very first item
    art(161).Group(V::kDownOnly, false);
    art(162).Group(V::kDownOnly, true);
    art(164).Group(V::kUpAndDown, false);
    art(166).Group(V::kUpAndDown, true);
    art(167).Group(V::kUpOnly, false);
    art(168).Group(V::kUpOnly, true);
}

bool ColumnTouched(const Cell& cell, int x, int height) {
    for (int y = 0; y < height; ++y)
        if (cell.coverage[static_cast<size_t>(y) * cell.width + x] >= kEdgeThreshold) return true;
    return false;
}


}  // namespace

std::vector<uint8_t> CompileFont(const FontRecipe& want) {
    if (want.version < 256) throw std::invalid_argument("a font record needs version 256 or more");
    if (want.pixelSize < 4 || want.pixelSize > 200) throw std::invalid_argument("pixel size out of range (4..200)");
    if (want.cellHeight < 0 || want.cellHeight > 400) throw std::invalid_argument("cell height out of range");
    FtLibrary lib;
    FtFace face(lib.get(), want.ttfPath);
    if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(want.pixelSize)))
        throw std::runtime_error("the font " + want.ttfPath + " has no size " + std::to_string(want.pixelSize));
    const LineMetrics lm = MeasureLines(face.get(), want.cellHeight);
    if (lm.cellHeight <= 0) throw std::runtime_error("the font " + want.ttfPath + " has no line height");

    Blender blend(want.ink, want.background);
    std::array<Cell, 256> cells;
    for (int code = 0; code < 256; ++code)
        RenderGlyph(face.get(), CodePoint(static_cast<uint8_t>(code)), lm, blend, want.background, cells[code]);
    if (want.treeLines) DrawTreeLines(cells, lm.cellHeight, want);
    // The list draws the end-of-paragraph mark as an ordinary character; it must
    // leave no trace.
    cells[8].Resize(0, lm.cellHeight, want.background);

    int cellWidth = 1;
    for (const Cell& c : cells) cellWidth = std::max(cellWidth, c.width);
    if (static_cast<int64_t>(cellWidth) * 256 > Image::kMaxSide)
        throw std::runtime_error("glyphs too wide for one picture row (pixel size too large)");

    Image glyphs(cellWidth * 256, lm.cellHeight), mask(cellWidth * 256, lm.cellHeight);
    glyphs.FillAll(want.background);
    for (int g = 0; g < 256; ++g) {
        const Cell& c = cells[g];
        for (int y = 0; y < lm.cellHeight; ++y)
            for (int x = 0; x < c.width; ++x) {
                size_t i = static_cast<size_t>(y) * c.width + x;
                glyphs.SetPixel(g * cellWidth + x, y, c.pixels[i]);
                if (c.mask[i]) mask.SetPixel(g * cellWidth + x, y, {255, 255, 255});
            }
    }

    std::vector<uint8_t> out(kRecordHeader + 256 + 1024, 0);
    // The reserved header bytes say what the record is and how it was made, for
    // whoever opens a font stream in a hex viewer.
    std::memcpy(out.data(), "JXFONT", 6);
    platform::StoreLE16(out, 6, static_cast<unsigned>(want.pixelSize));
    platform::StoreLE16(out, 8, static_cast<unsigned>(lm.ascent));
    platform::StoreLE16(out, 10, static_cast<unsigned>(lm.descent));
    platform::StoreLE16(out, 12, static_cast<unsigned>(lm.baseline));
    platform::StoreLE16(out, 14, want.version);
    platform::StoreLE16(out, 18, static_cast<unsigned>(cellWidth));
    platform::StoreLE16(out, 20, static_cast<unsigned>(lm.cellHeight));
    std::string name = std::string(face.get()->family_name ? face.get()->family_name : "") + " " +
                       (face.get()->style_name ? face.get()->style_name : "") + " " + std::to_string(want.pixelSize) + "px";
    std::memcpy(out.data() + 22, name.data(), std::min<size_t>(name.size(), 41));

    for (int code = 0; code < 256; ++code) out[kRecordHeader + code] = static_cast<uint8_t>(code);
    for (int g = 0; g < 256; ++g) {
        platform::StoreLE16(out, kRecordHeader + 256 + g * 4, static_cast<unsigned>(cells[g].width));
        platform::StoreLE16(out, kRecordHeader + 256 + g * 4 + 2, static_cast<unsigned>(lm.cellHeight));
    }
    if (want.version >= 258) {
        // Every cell is the glyph's full advance, so the drawing code's 1-pixel gap
        // would space the text a pixel wider than the font means it. Where both
        // facing edges are blank the pair is joined and the font's own spacing
        // stands; where either glyph's ink reaches the facing edge the gap stays, so
        // neighbouring strokes never run into each other. A glyph without width
        // joins on both sides, costing nothing.
        std::vector<uint8_t> pairs(1024, 0);
        for (int g = 0; g < 256; ++g) {
            const Cell& c = cells[g];
            bool left = c.width == 0 || !ColumnTouched(c, 0, lm.cellHeight);
            bool right = c.width == 0 || !ColumnTouched(c, c.width - 1, lm.cellHeight);
            platform::StoreLE16(pairs, g * 4, left ? 1 : 0);
            platform::StoreLE16(pairs, g * 4 + 2, right ? 1 : 0);
        }
        out.insert(out.end(), pairs.begin(), pairs.end());
    }
    std::vector<uint8_t> bmp = platform::EncodeBmp24(glyphs);
    out.insert(out.end(), bmp.begin(), bmp.end());
    if (want.version >= 257) {
        bmp = platform::EncodeBmp24(mask);
        out.insert(out.end(), bmp.begin(), bmp.end());
    }
    return out;
}

#else

}  // namespace

// The Windows build of the tool has no FreeType, so no TrueType font to read.
std::vector<uint8_t> CompileFont(const FontRecipe& want) {
    throw std::runtime_error("cannot compile " + want.ttfPath + ": this build of vemi-disc has no FreeType");
}

#endif

std::vector<FontRecipe> MenuFontRoles(const std::string& fontDir) {
    const std::string regular = fontDir + "/DejaVuSans.ttf";
    const std::string bold = fontDir + "/DejaVuSans-Bold.ttf";
    const Rgb navy{0x10, 0x13, 0x22};
    auto role = [&](const std::string& file, int size, Rgb ink) {
        FontRecipe s;
        s.ttfPath = file;
        s.pixelSize = size;
        s.ink = ink;
        s.background = navy;
        return s;
    };
    // The list's fonts fill its 17-pixel rows exactly, so the tree lines run on
    // from row to row.
    auto listRole = [&](const std::string& file, Rgb ink) {
        FontRecipe s = role(file, 11, ink);
        s.treeLines = true;
        s.cellHeight = 17;
        return s;
    };
    return {
        role(bold, 15, {0xEE, 0xF1, 0xF7}),         // title
        role(regular, 11, {0x9A, 0xA5, 0xC2}),      // count and status strip
        role(regular, 11, {0x86, 0xA6, 0xE4}),      // link caption: the link blue, lifted for the dark panel
        role(regular, 11, {0xD2, 0xD6, 0xDF}),      // description
        role(bold, 11, {0xFF, 0xFF, 0xFF}),         // description, bold paragraphs
        role(regular, 10, {0xB4, 0xBA, 0xC8}),      // spare
        role(bold, 13, {0xE0, 0xE4, 0xEC}),         // spare
        listRole(regular, {0xCF, 0xD3, 0xDC}),      // list: program
        listRole(bold, {0x8F, 0xBC, 0xFF}),         // list: group
        listRole(regular, {0xFF, 0xD8, 0x4D}),      // list: selected program
        listRole(bold, {0xFF, 0xA0, 0x3C}),         // list: selected group
    };
}

const char* MenuFontRoleName(int index) {
    static const char* const names[] = {"title",        "count",         "link",       "description", "description-bold",
                                        "spare-1",      "spare-2",       "list-program", "list-group",  "list-selected-program",
                                        "list-selected-group"};
    if (index < 0 || index >= static_cast<int>(std::size(names))) return "";
    return names[index];
}

std::vector<uint8_t> CompileMenuFontStream(const std::string& fontDir) {
    std::vector<uint8_t> stream;
    for (const FontRecipe& s : MenuFontRoles(fontDir)) {
        std::vector<uint8_t> r = CompileFont(s);
        stream.insert(stream.end(), r.begin(), r.end());
    }
    return stream;
}

}  // namespace tool

#include "tools/lib/paint.h"

#if VEMI_HAVE_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

#include <algorithm>
#include <cmath>
#include <numbers>
#include <map>
#include <stdexcept>
#include <utility>

namespace art {

using platform::Image;
using platform::Rect;
using platform::Rgb;

namespace {

uint8_t Clamp8(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
    return {Clamp8(a.r + (b.r - a.r) * t), Clamp8(a.g + (b.g - a.g) * t), Clamp8(a.b + (b.b - a.b) * t)};
}
Rgb Lighten(Rgb c, double t) { return Mix(c, {255, 255, 255}, t); }
Rgb Darken(Rgb c, double t) { return Mix(c, {0, 0, 0}, t); }
Rgb Grey(Rgb c) {
    uint8_t y = Clamp8(0.299 * c.r + 0.587 * c.g + 0.114 * c.b);
    return {y, y, y};
}

void BlendPixel(Image& img, int x, int y, Rgb c, double alpha) {
    if (x < 0 || y < 0 || x >= img.Width() || y >= img.Height() || alpha <= 0) return;
    uint8_t* p = img.Row(y) + x * 3;
    if (alpha >= 1) {
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
        return;
    }
    p[0] = Clamp8(p[0] + (c.r - p[0]) * alpha);
    p[1] = Clamp8(p[1] + (c.g - p[1]) * alpha);
    p[2] = Clamp8(p[2] + (c.b - p[2]) * alpha);
}

void FillRect(Image& img, Rect r, Rgb c, double alpha) {
    Rect k = platform::Intersect(r, {0, 0, img.Width(), img.Height()});
    if (k.Empty()) return;
    if (alpha >= 1) {
        img.Fill(k, c);
        return;
    }
    for (int y = k.y; y < k.y + k.h; ++y)
        for (int x = k.x; x < k.x + k.w; ++x) BlendPixel(img, x, y, c, alpha);
}

void GradientV(Image& img, Rect r, Rgb top, Rgb bottom) {
    for (int i = 0; i < r.h; ++i)
        FillRect(img, {r.x, r.y + i, r.w, 1}, Mix(top, bottom, r.h > 1 ? double(i) / (r.h - 1) : 0));
}

void GradientH(Image& img, Rect r, Rgb left, Rgb right) {
    for (int i = 0; i < r.w; ++i)
        FillRect(img, {r.x + i, r.y, 1, r.h}, Mix(left, right, r.w > 1 ? double(i) / (r.w - 1) : 0));
}

void FrameRect(Image& img, Rect r, Rgb c, double alpha) {
    if (r.Empty()) return;
    FillRect(img, {r.x, r.y, r.w, 1}, c, alpha);
    if (r.h > 1) FillRect(img, {r.x, r.y + r.h - 1, r.w, 1}, c, alpha);
    if (r.h > 2) {
        FillRect(img, {r.x, r.y + 1, 1, r.h - 2}, c, alpha);
        if (r.w > 1) FillRect(img, {r.x + r.w - 1, r.y + 1, 1, r.h - 2}, c, alpha);
    }
}

void FillPolygon(Image& img, const std::vector<std::vector<PointF>>& contours, Rgb c, double alpha) {
    // Coverage by sub-scanlines: each pixel row is cut by kSub horizontal sample
    // lines; along each line the inside spans are exact, so edges get fractional
    // coverage both ways at little cost.
    constexpr int kSub = 5;
    double minY = 1e9, maxY = -1e9, minX = 1e9, maxX = -1e9;
    for (const auto& ct : contours)
        for (const auto& p : ct) {
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
        }
    if (minY > maxY) return;
    int y0 = std::max(0, static_cast<int>(std::floor(minY)));
    int y1 = std::min(img.Height() - 1, static_cast<int>(std::ceil(maxY)));
    int x0 = std::max(0, static_cast<int>(std::floor(minX)));
    int x1 = std::min(img.Width() - 1, static_cast<int>(std::ceil(maxX)));
    if (y0 > y1 || x0 > x1) return;
    std::vector<double> cover(static_cast<size_t>(x1 - x0 + 2));
    std::vector<std::pair<double, int>> cross;
    for (int y = y0; y <= y1; ++y) {
        std::fill(cover.begin(), cover.end(), 0.0);
        bool any = false;
        for (int s = 0; s < kSub; ++s) {
            double sy = y + (s + 0.5) / kSub;
            cross.clear();
            for (const auto& ct : contours) {
                size_t n = ct.size();
                for (size_t i = 0; i < n; ++i) {
                    const PointF& a = ct[i];
                    const PointF& b = ct[(i + 1) % n];
                    if (a.y == b.y) continue;
                    bool up = a.y < b.y;
                    double lo = up ? a.y : b.y, hi = up ? b.y : a.y;
                    if (sy < lo || sy >= hi) continue;
                    double t = (sy - a.y) / (b.y - a.y);
                    cross.emplace_back(a.x + t * (b.x - a.x), up ? 1 : -1);
                }
            }
            if (cross.size() < 2) continue;
            std::sort(cross.begin(), cross.end());
            int winding = 0;
            for (size_t i = 0; i + 1 < cross.size(); ++i) {
                winding += cross[i].second;
                if (winding == 0) continue;
                double sx0 = std::max(cross[i].first, double(x0));
                double sx1 = std::min(cross[i + 1].first, double(x1 + 1));
                if (sx1 <= sx0) continue;
                any = true;
                int ia = static_cast<int>(std::floor(sx0)), ib = static_cast<int>(std::floor(sx1));
                if (ia == ib) {
                    cover[ia - x0] += (sx1 - sx0) / kSub;
                } else {
                    cover[ia - x0] += (ia + 1 - sx0) / kSub;
                    for (int x = ia + 1; x < ib; ++x) cover[x - x0] += 1.0 / kSub;
                    if (ib <= x1) cover[ib - x0] += (sx1 - ib) / kSub;
                }
            }
        }
        if (!any) continue;
        for (int x = x0; x <= x1; ++x) {
            double a = std::min(1.0, cover[x - x0]);
            if (a > 0.002) BlendPixel(img, x, y, c, a * alpha);
        }
    }
}

void FillPolygon(Image& img, const std::vector<PointF>& contour, Rgb c, double alpha) {
    FillPolygon(img, std::vector<std::vector<PointF>>{contour}, c, alpha);
}

std::vector<PointF> RoundRectPath(double x, double y, double w, double h, double radius) {
    radius = std::max(0.0, std::min({radius, w / 2, h / 2}));
    std::vector<PointF> p;
    if (radius <= 0) return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    const int seg = 8;
    auto arc = [&](double cx, double cy, double a0) {
        for (int i = 0; i <= seg; ++i) {
            double a = a0 + (std::numbers::pi / 2) * i / seg;
            p.push_back({cx + radius * std::cos(a), cy + radius * std::sin(a)});
        }
    };
    arc(x + w - radius, y + radius, -std::numbers::pi / 2);
    arc(x + w - radius, y + h - radius, 0);
    arc(x + radius, y + h - radius, std::numbers::pi / 2);
    arc(x + radius, y + radius, std::numbers::pi);
    return p;
}

std::vector<PointF> EllipsePath(double cx, double cy, double rx, double ry, int segments) {
    std::vector<PointF> p;
    for (int i = 0; i < segments; ++i) {
        double a = 2 * std::numbers::pi * i / segments;
        p.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
    return p;
}

void FillRoundRect(Image& img, double x, double y, double w, double h, double radius, Rgb c, double alpha) {
    FillPolygon(img, RoundRectPath(x, y, w, h, radius), c, alpha);
}

void StrokeRoundRect(Image& img, double x, double y, double w, double h, double radius, double thickness, Rgb c,
                     double alpha) {
    auto outer = RoundRectPath(x, y, w, h, radius);
    auto inner = RoundRectPath(x + thickness, y + thickness, w - 2 * thickness, h - 2 * thickness,
                               std::max(0.0, radius - thickness));
    std::reverse(inner.begin(), inner.end());
    FillPolygon(img, {outer, inner}, c, alpha);
}

void FillEllipse(Image& img, double cx, double cy, double rx, double ry, Rgb c, double alpha) {
    FillPolygon(img, EllipsePath(cx, cy, rx, ry, std::max(24, static_cast<int>(std::max(rx, ry) * 2))), c, alpha);
}

void StrokeEllipse(Image& img, double cx, double cy, double rx, double ry, double thickness, Rgb c, double alpha) {
    int seg = std::max(24, static_cast<int>(std::max(rx, ry) * 2));
    auto outer = EllipsePath(cx, cy, rx, ry, seg);
    auto inner = EllipsePath(cx, cy, std::max(0.0, rx - thickness), std::max(0.0, ry - thickness), seg);
    std::reverse(inner.begin(), inner.end());
    FillPolygon(img, {outer, inner}, c, alpha);
}

void StrokeLine(Image& img, PointF a, PointF b, double thickness, Rgb c, double alpha) {
    double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
    if (len == 0) return;
    double nx = -dy / len * thickness / 2, ny = dx / len * thickness / 2;
    FillPolygon(img, std::vector<PointF>{{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}},
                c, alpha);
}

Image Crop(const Image& src, Rect r) {
    Image out(r.w, r.h);
    out.CopyRect(0, 0, r.w, r.h, src, r.x, r.y, platform::RasterOp::Copy);
    return out;
}

Image Downscale(const Image& src, int w, int h) {
    Image out(w, h);
    if (out.Empty() || src.Empty()) return out;
    double fx = double(src.Width()) / w, fy = double(src.Height()) / h;
    for (int y = 0; y < h; ++y) {
        int sy0 = static_cast<int>(y * fy), sy1 = std::max(sy0 + 1, static_cast<int>((y + 1) * fy));
        sy1 = std::min(sy1, src.Height());
        for (int x = 0; x < w; ++x) {
            int sx0 = static_cast<int>(x * fx), sx1 = std::max(sx0 + 1, static_cast<int>((x + 1) * fx));
            sx1 = std::min(sx1, src.Width());
            long sr = 0, sg = 0, sb = 0, n = 0;
            for (int yy = sy0; yy < sy1; ++yy) {
                const uint8_t* p = src.Row(yy) + sx0 * 3;
                for (int xx = sx0; xx < sx1; ++xx, p += 3) {
                    sr += p[0];
                    sg += p[1];
                    sb += p[2];
                    ++n;
                }
            }
            uint8_t* q = out.Row(y) + x * 3;
            q[0] = static_cast<uint8_t>(sr / n);
            q[1] = static_cast<uint8_t>(sg / n);
            q[2] = static_cast<uint8_t>(sb / n);
        }
    }
    return out;
}

// ---- text ----

#if VEMI_HAVE_FREETYPE

namespace {

FT_Library Library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l)) throw std::runtime_error("FreeType cannot start");
        return l;
    }();
    return lib;
}

// Decodes one UTF-8 sequence; a malformed byte comes back as itself.
char32_t NextCodePoint(std::string_view s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i++]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : extra == 1 ? c & 0x1F : c;
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return c;
        cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return cp;
}

}  // namespace

struct TextFace::Impl {
    FT_Face face = nullptr;
    int ascent = 0, descent = 0;
};

TextFace::TextFace(const std::string& ttfPath, int pixelSize) : impl_(std::make_unique<Impl>()) {
    if (FT_New_Face(Library(), ttfPath.c_str(), 0, &impl_->face))
        throw std::runtime_error("cannot open the font " + ttfPath);
    FT_Set_Pixel_Sizes(impl_->face, 0, static_cast<FT_UInt>(pixelSize));
    impl_->ascent = static_cast<int>((impl_->face->size->metrics.ascender + 63) >> 6);
    impl_->descent = static_cast<int>((-impl_->face->size->metrics.descender + 63) >> 6);
}

TextFace::~TextFace() {
    if (impl_ && impl_->face) FT_Done_Face(impl_->face);
}

int TextFace::Ascent() const { return impl_->ascent; }
int TextFace::Descent() const { return impl_->descent; }

int TextFace::Measure(std::string_view utf8) const {
    FT_Face f = impl_->face;
    long pen = 0;
    FT_UInt prev = 0;
    for (size_t i = 0; i < utf8.size();) {
        FT_UInt g = FT_Get_Char_Index(f, NextCodePoint(utf8, i));
        if (prev && g && FT_HAS_KERNING(f)) {
            FT_Vector k;
            if (!FT_Get_Kerning(f, prev, g, FT_KERNING_DEFAULT, &k)) pen += k.x;
        }
        if (!FT_Load_Glyph(f, g, FT_LOAD_DEFAULT)) pen += f->glyph->advance.x;
        prev = g;
    }
    return static_cast<int>((pen + 63) >> 6);
}

int TextFace::Draw(Image& img, int x, int y, std::string_view utf8, Rgb c, double alpha) const {
    FT_Face f = impl_->face;
    long pen = static_cast<long>(x) << 6;
    int baseline = y + impl_->ascent;
    FT_UInt prev = 0;
    for (size_t i = 0; i < utf8.size();) {
        FT_UInt g = FT_Get_Char_Index(f, NextCodePoint(utf8, i));
        if (prev && g && FT_HAS_KERNING(f)) {
            FT_Vector k;
            if (!FT_Get_Kerning(f, prev, g, FT_KERNING_DEFAULT, &k)) pen += k.x;
        }
        prev = g;
        if (FT_Load_Glyph(f, g, FT_LOAD_RENDER)) continue;
        const FT_GlyphSlot s = f->glyph;
        const FT_Bitmap& bm = s->bitmap;
        int gx = static_cast<int>((pen + 32) >> 6) + s->bitmap_left;
        int gy = baseline - s->bitmap_top;
        for (unsigned r = 0; r < bm.rows; ++r)
            for (unsigned col = 0; col < bm.width; ++col) {
                uint8_t a = bm.buffer[r * bm.pitch + col];
                if (a) BlendPixel(img, gx + static_cast<int>(col), gy + static_cast<int>(r), c, alpha * a / 255.0);
            }
        pen += s->advance.x;
    }
    return static_cast<int>((pen + 63) >> 6);
}

#else

// The Windows build of the tool has no FreeType: text cannot be drawn there, and
// whatever asks for a face learns why.
struct TextFace::Impl {};

TextFace::TextFace(const std::string& ttfPath, int) {
    throw std::runtime_error("cannot draw with " + ttfPath + ": this build of vemi-disc has no FreeType");
}

TextFace::~TextFace() = default;
int TextFace::Ascent() const { return 0; }
int TextFace::Descent() const { return 0; }
int TextFace::Measure(std::string_view) const { return 0; }
int TextFace::Draw(Image&, int x, int, std::string_view, Rgb, double) const { return x; }

#endif

void TextFace::DrawCentred(Image& img, Rect r, std::string_view utf8, Rgb c, double alpha) const {
    int w = Measure(utf8);
    // Centre on the x-height band rather than the full line box: captions then sit
    // visually in the middle of buttons and tabs.
    int h = LineHeight();
    Draw(img, r.x + (r.w - w) / 2, r.y + (r.h - h) / 2 + (Descent() > 2 ? 1 : 0), utf8, c, alpha);
}

void TextFace::DrawFitted(Image& img, int x, int y, int maxWidth, std::string_view utf8, Rgb c, double alpha) const {
    if (Measure(utf8) <= maxWidth) {
        Draw(img, x, y, utf8, c, alpha);
        return;
    }
    std::string s(utf8);
    while (!s.empty()) {
        // Drop one whole UTF-8 character from the end.
        size_t n = s.size() - 1;
        while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
        s.resize(n);
        if (Measure(s + "...") <= maxWidth) break;
    }
    Draw(img, x, y, s + "...", c, alpha);
}

std::string FontPath(const char* file) { return std::string("/usr/share/fonts/truetype/dejavu/") + file; }

const TextFace& Face(const char* file, int pixelSize) {
    static std::map<std::pair<std::string, int>, std::unique_ptr<TextFace>> cache;
    auto key = std::make_pair(std::string(file), pixelSize);
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, std::make_unique<TextFace>(FontPath(file), pixelSize)).first;
    return *it->second;
}

}  // namespace art

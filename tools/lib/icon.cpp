#include "tools/lib/icon.h"

#include <algorithm>
#include <cmath>

#include "tools/lib/paint.h"

namespace art {

using platform::Image;
using platform::Rect;
using platform::Rgb;
namespace {

void Put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The shapes of the icon, drawn twice: once in colour on black and once in white
// on black, which gives every pixel's coverage; the colour is then taken back out
// of its blend with the black.
template <typename Paint>
void DrawShapes(Image& img, double s, Paint colour) {
    const double c = s / 2.0;
    const double outer = s * 0.47, label = s * 0.30, hub = s * 0.13, hole = s * 0.06;
    // The disc's silver face, a little lighter towards the top left.
    FillEllipse(img, c, c, outer, outer, colour(Rgb{0xB8, 0xBC, 0xC8}));
    FillEllipse(img, c - s * 0.05, c - s * 0.05, outer * 0.82, outer * 0.82, colour(Rgb{0xD4, 0xD8, 0xE2}), 0.6);
    // The rainbow glint that a pressed disc shows in the light.
    std::vector<PointF> glint = {{c, c}};
    for (int i = 0; i <= 8; ++i) {
        const double a = (-25.0 - 35.0 * i / 8) * 3.14159265358979 / 180.0;
        glint.push_back({c + outer * 0.97 * std::cos(a), c + outer * 0.97 * std::sin(a)});
    }
    FillPolygon(img, glint, colour(Rgb{0x6F, 0x9F, 0xE8}), 0.45);
    // The navy label with the link blue around it, the clear hub, the hole.
    FillEllipse(img, c, c, label, label, colour(Rgb{0x49, 0x67, 0xA3}));
    FillEllipse(img, c, c, label - std::max(1.0, s * 0.035), label - std::max(1.0, s * 0.035), colour(Rgb{0x10, 0x13, 0x22}));
    FillEllipse(img, c, c, hub, hub, colour(Rgb{0x86, 0x89, 0x95}));
    if (s >= 24) StrokeEllipse(img, c, c, outer, outer, std::max(1.0, s / 48.0), colour(Rgb{0x86, 0x89, 0x95}));
    (void)hole;
}

}  // namespace

std::vector<int> IconSizes() { return {16, 24, 32, 48, 64}; }

IconPicture DrawProgramIcon(int size) {
    // Drawn four times as large and reduced, for smooth edges at the small sizes.
    const int big = size * 4;
    Image colour(big, big), cover(big, big);
    DrawShapes(colour, big, [](Rgb c) { return c; });
    DrawShapes(cover, big, [](Rgb) { return Rgb{255, 255, 255}; });
    // The hole in the middle is clear: the desktop shows through it.
    const double c = big / 2.0, hole = big * 0.06;
    FillEllipse(colour, c, c, hole, hole, Rgb{0, 0, 0});
    FillEllipse(cover, c, c, hole, hole, Rgb{0, 0, 0});
    const Image small = Downscale(colour, size, size);
    const Image alpha = Downscale(cover, size, size);
    IconPicture pic;
    pic.size = size;
    pic.rgba.resize(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const Rgb p = small.Pixel(x, y);
            const int a = alpha.Pixel(x, y).r;
            uint8_t* o = &pic.rgba[(static_cast<size_t>(y) * size + x) * 4];
            auto unblend = [a](int v) { return a == 0 ? 0 : std::min(255, (v * 255 + a / 2) / a); };
            o[0] = static_cast<uint8_t>(unblend(p.r));
            o[1] = static_cast<uint8_t>(unblend(p.g));
            o[2] = static_cast<uint8_t>(unblend(p.b));
            o[3] = static_cast<uint8_t>(a);
        }
    return pic;
}

std::vector<uint8_t> EncodeIco(const std::vector<IconPicture>& pictures) {
    std::vector<std::vector<uint8_t>> images;
    for (const IconPicture& p : pictures) {
        const int s = p.size;
        const size_t maskStride = static_cast<size_t>((s + 31) / 32) * 4;
        std::vector<uint8_t> img;
        // The picture's header: its height counts the colour rows and the mask's.
        Put32(img, 40);
        Put32(img, static_cast<uint32_t>(s));
        Put32(img, static_cast<uint32_t>(s * 2));
        Put16(img, 1);
        Put16(img, 32);
        Put32(img, 0);
        Put32(img, static_cast<uint32_t>(static_cast<size_t>(s) * s * 4 + maskStride * s));
        for (int i = 0; i < 4; ++i) Put32(img, 0);
        // Colour rows bottom-up as blue, green, red, alpha.
        for (int y = s - 1; y >= 0; --y)
            for (int x = 0; x < s; ++x) {
                const uint8_t* q = &p.rgba[(static_cast<size_t>(y) * s + x) * 4];
                img.insert(img.end(), {q[2], q[1], q[0], q[3]});
            }
        // The AND mask, bottom-up too: 1 where the desktop shows through.
        for (int y = s - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < s; ++x)
                if (p.rgba[(static_cast<size_t>(y) * s + x) * 4 + 3] < 128) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            img.insert(img.end(), row.begin(), row.end());
        }
        images.push_back(std::move(img));
    }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // an icon, not a cursor
    Put16(out, static_cast<unsigned>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int s = pictures[i].size;
        out.push_back(static_cast<uint8_t>(s >= 256 ? 0 : s));
        out.push_back(static_cast<uint8_t>(s >= 256 ? 0 : s));
        out.push_back(0);  // no palette
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, static_cast<uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& img : images) out.insert(out.end(), img.begin(), img.end());
    return out;
}

}  // namespace art

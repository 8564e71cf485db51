#include "tools/lib/banners.h"

#include <algorithm>
#include <cmath>

#include "tools/lib/paint.h"

namespace art {

using platform::Image;
using platform::Rect;
using platform::Rgb;

namespace {

const TextFace& Sans(int px) { return Face("DejaVuSans.ttf", px); }
const TextFace& SansBold(int px) { return Face("DejaVuSans-Bold.ttf", px); }
const TextFace& Cond(int px) { return Face("DejaVuSansCondensed.ttf", px); }
const TextFace& CondBold(int px) { return Face("DejaVuSansCondensed-Bold.ttf", px); }

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
// The cover's colours, so the banners read as the same magazine.
constexpr Rgb kMastRed{0xE0, 0x2A, 0x2A};
constexpr Rgb kMastRedDark{0xA8, 0x16, 0x1E};
constexpr Rgb kYellow{0xFF, 0xD5, 0x1E};
constexpr Rgb kCoverBlue{0x14, 0x2E, 0x7A};
constexpr Rgb kCoverPurple{0x52, 0x16, 0x6E};
constexpr Rgb kTeal{0x1E, 0xC8, 0xD2};

// Centre of a text line horizontally in [x, x + w).
int CentreX(const TextFace& f, int x, int w, const char* text) { return x + (w - f.Measure(text)) / 2; }

// A rounded call-to-action button with its caption and a chevron after it.
void Pill(Image& img, Rect r, const char* text, const TextFace& f, Rgb fill, Rgb ink) {
    const double radius = r.h / 2.0;
    FillRoundRect(img, r.x, r.y + 1, r.w, r.h, radius, kBlack, 0.35);  // a shadow underneath
    FillRoundRect(img, r.x, r.y, r.w, r.h, radius, fill);
    FillRoundRect(img, r.x + 2, r.y + 1, r.w - 4, r.h / 2.0 - 1, radius - 2, kWhite, 0.14);
    StrokeRoundRect(img, r.x, r.y, r.w, r.h, radius, 1, Lighten(fill, 0.35), 0.8);
    const int chevron = 8;
    int tw = f.Measure(text) + chevron + 5;
    int x = r.x + (r.w - tw) / 2;
    int y = r.y + (r.h - f.LineHeight()) / 2 + 1;
    int end = f.Draw(img, x, y, text, ink);
    double cy = r.y + r.h / 2.0, cx = end + 5;
    StrokeLine(img, {cx, cy - 3.5}, {cx + 3.5, cy}, 1.6, ink);
    StrokeLine(img, {cx + 3.5, cy}, {cx, cy + 3.5}, 1.6, ink);
}

// The yellow ribbon of the documents that only the digital edition carries.
void DigitalOnlyRibbon(Image& img, int y) {
    const char* text = "+ TYLKO W WERSJI CYFROWEJ +";
    const TextFace& f = CondBold(10);
    int w = f.Measure(text) + 16;
    FillRoundRect(img, 10, y, w, 15, 3, kYellow);
    f.Draw(img, 18, y + (15 - f.LineHeight()) / 2 + 1, text, kMastRedDark);
}

// A sheet of paper with a folded corner.
void Sheet(Image& img, double x, double y, double w, double h, Rgb paper, Rgb edge) {
    const double fold = std::min(w, h) * 0.16;
    FillPolygon(img, std::vector<PointF>{{x + 2, y + 3}, {x + w + 2, y + 3}, {x + w + 2, y + h + 3}, {x + 2, y + h + 3}}, kBlack, 0.3);
    FillPolygon(img, std::vector<PointF>{{x, y}, {x + w - fold, y}, {x + w, y + fold}, {x + w, y + h}, {x, y + h}}, paper);
    FillPolygon(img, std::vector<PointF>{{x + w - fold, y}, {x + w - fold, y + fold}, {x + w, y + fold}}, Darken(paper, 0.18));
    StrokeLine(img, {x, y + h}, {x + w, y + h}, 1, edge, 0.6);
    StrokeLine(img, {x + w, y + fold}, {x + w, y + h}, 1, edge, 0.6);
}

// Grey lines standing for text on a page.
void TextLines(Image& img, int x, int y, int w, int lines, int step, Rgb c, double alpha) {
    for (int i = 0; i < lines; ++i) FillRect(img, {x, y + i * step, i % 4 == 3 ? w * 2 / 3 : w, 2}, c, alpha);
}

// A small check mark in front of a list line.
void Check(Image& img, double x, double cy, Rgb c) {
    StrokeLine(img, {x, cy}, {x + 3, cy + 3}, 2, c);
    StrokeLine(img, {x + 3, cy + 3}, {x + 9, cy - 4}, 2, c);
}

// A disc with rainbow tracks, as on the cover.
void Disc(Image& img, double cx, double cy, double r) {
    static const Rgb kRainbow[] = {{0xFF, 0x5C, 0x8A}, {0xFF, 0xB1, 0x3B}, {0xF7, 0xF0, 0x52}, {0x5E, 0xE0, 0x8B},
                                   {0x4C, 0xC3, 0xFF}, {0x8A, 0x7C, 0xFF}};
    FillEllipse(img, cx, cy, r, r, {0xD8, 0xDE, 0xEA});
    const int rings = std::clamp(static_cast<int>(r / 3), 2, 6);
    for (int i = 0; i < rings; ++i) {
        double rr = r * (0.92 - 0.55 * i / rings);
        StrokeEllipse(img, cx, cy, rr, rr, std::max(1.0, r / 12), kRainbow[i], 0.4);
    }
    FillEllipse(img, cx, cy, r * 0.27, r * 0.27, {0x9A, 0xA2, 0xB4});
    FillEllipse(img, cx, cy, r * 0.11, r * 0.11, kCoverBlue);
    FillEllipse(img, cx - r * 0.35, cy - r * 0.42, r * 0.35, r * 0.14, kWhite, 0.3);
}

// The panel of the left column: the page colour with a faint light from the top.
void ColumnBackground(Image& img, const SkinPalette& pal) {
    GradientV(img, {0, 0, img.Width(), img.Height()}, Mix(pal.panel, pal.linkDark, 0.45), pal.panel);
    FillEllipse(img, img.Width() * 0.85, 0, img.Width() * 0.6, img.Height() * 0.45, pal.link, 0.08);
}

// A divider at the foot of a column banner, so the four read as separate boxes.
void Divider(Image& img, const SkinPalette& pal) {
    FillRect(img, {0, img.Height() - 1, img.Width(), 1}, kBlack, 0.55);
    FillRect(img, {0, 0, img.Width(), 1}, pal.frame, 0.18);
}

// ---- the left column ----

Image Header(const SkinPalette& pal) {
    Image img(255, 44);
    ColumnBackground(img, pal);
    // The masthead block.
    GradientV(img, {0, 0, 78, 44}, kMastRed, kMastRedDark);
    FillPolygon(img, std::vector<PointF>{{78, 0}, {88, 0}, {78, 44}}, kMastRedDark);
    const TextFace& mast = SansBold(22);
    mast.Draw(img, CentreX(mast, 0, 80, "VEMI") + 1, 4, "VEMI", kBlack, 0.35);
    mast.Draw(img, CentreX(mast, 0, 80, "VEMI"), 3, "VEMI", kWhite);
    CondBold(9).Draw(img, CentreX(CondBold(9), 0, 80, "MAGAZYN"), 29, "MAGAZYN", {0xFF, 0xE0, 0xD8});
    SansBold(15).Draw(img, 96, 4, "Na płycie", pal.text);
    Sans(10).Draw(img, 97, 25, "numer 12/2007  ·  DVD", pal.textDim);
    Disc(img, 231, 22, 15);
    Divider(img, pal);
    return img;
}

Image Guide(const SkinPalette& pal) {
    Image img(255, 255);
    ColumnBackground(img, pal);
    DigitalOnlyRibbon(img, 9);
    // A guide of several pages: two behind, the cover in front.
    Sheet(img, 26, 42, 66, 88, {0xB9, 0xC6, 0xD8}, pal.frame);
    Sheet(img, 20, 38, 66, 88, {0xD6, 0xDD, 0xE8}, pal.frame);
    Sheet(img, 14, 34, 66, 88, {0xF4, 0xF6, 0xFA}, pal.frame);
    FillRect(img, {14, 34, 56, 20}, kCoverBlue);
    CondBold(9).DrawCentred(img, {14, 34, 56, 20}, "PORADNIK", kWhite);
    FillEllipse(img, 47, 75, 15, 15, kTeal, 0.85);
    FillPolygon(img, std::vector<PointF>{{41, 67}, {55, 75}, {41, 83}}, kWhite);
    TextLines(img, 20, 96, 52, 5, 5, {0x6A, 0x72, 0x86}, 0.7);
    FillRoundRect(img, 56, 108, 28, 16, 3, kMastRed);
    CondBold(10).DrawCentred(img, {56, 108, 28, 16}, "PDF", kWhite);

    SansBold(22).Draw(img, 100, 34, "Poradnik", kWhite);
    CondBold(15).Draw(img, 101, 62, "Windows", kYellow);
    CondBold(15).Draw(img, 101, 80, "bez tajemnic", kYellow);
    Sans(11).Draw(img, 101, 102, "30 porad", pal.text);
    Sans(11).Draw(img, 101, 116, "dla każdego", pal.text);

    const char* points[] = {"szybszy start systemu", "kopie zapasowe bez kłopotu", "porządek na dysku"};
    for (int i = 0; i < 3; ++i) {
        int y = 142 + 17 * i;
        Check(img, 16, y + 7, kTeal);
        Sans(11).Draw(img, 32, y, points[i], pal.text);
    }
    Sans(10).Draw(img, 16, 196, "64 strony  ·  PDF  ·  3,8 MB", pal.textDim);
    Pill(img, {14, 218, 227, 26}, "Otwórz Poradnik.pdf", SansBold(12), pal.link, kWhite);
    Divider(img, pal);
    return img;
}

// One page of the catalogue: a grid of small screenshots with lines under each.
void CataloguePage(Image& img, int x, int y, int w, int h, int seed) {
    static const Rgb kShots[] = {{0x3D, 0x86, 0xE0}, {0x5C, 0xC8, 0x5A}, {0xF2, 0x9A, 0x2E},
                                 {0x8A, 0x7C, 0xFF}, {0xFF, 0x5C, 0x8A}, {0x22, 0xB0, 0xA6}};
    FillRect(img, {x, y, w, h}, {0xF4, 0xF6, 0xFA});
    const int cellW = (w - 12) / 2, cellH = (h - 12) / 2;
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col) {
            int cx = x + 4 + col * (cellW + 4), cy = y + 4 + row * (cellH + 4);
            Rgb shot = kShots[(seed + row * 2 + col) % 6];
            GradientV(img, {cx, cy, cellW, cellH - 12}, Lighten(shot, 0.25), Darken(shot, 0.2));
            FillRect(img, {cx, cy, cellW, 3}, {0x2A, 0x30, 0x48});  // the window's caption bar
            FillRect(img, {cx + 3, cy + 7, cellW / 2, cellH / 4}, kWhite, 0.35);
            TextLines(img, cx, cy + cellH - 9, cellW, 2, 4, {0x6A, 0x72, 0x86}, 0.65);
        }
}

Image Catalogue(const SkinPalette& pal) {
    Image img(255, 265);
    ColumnBackground(img, pal);
    DigitalOnlyRibbon(img, 9);
    SansBold(22).Draw(img, 14, 30, "Katalog", kWhite);
    Sans(12).Draw(img, 15, 58, "programów z tej płyty", pal.text);
    FillRoundRect(img, 200, 34, 40, 18, 3, kMastRed);
    CondBold(11).DrawCentred(img, {200, 34, 40, 18}, "PDF", kWhite);

    // The catalogue opened in the middle.
    const Rect spread{16, 84, 223, 100};
    FillRect(img, {spread.x + 3, spread.y + 4, spread.w, spread.h}, kBlack, 0.35);
    CataloguePage(img, spread.x, spread.y, spread.w / 2, spread.h, 0);
    CataloguePage(img, spread.x + spread.w / 2, spread.y, spread.w - spread.w / 2, spread.h, 3);
    for (int i = 0; i < 6; ++i) FillRect(img, {spread.x + spread.w / 2 - 3 + i, spread.y, 1, spread.h}, kBlack, 0.05 + 0.04 * (i < 3 ? i : 5 - i));
    FrameRect(img, spread, pal.frame, 0.5);

    Sans(11).Draw(img, 15, 194, "opisy, zrzuty ekranów i wymagania", pal.text);
    Sans(11).Draw(img, 15, 209, "wszystkich programów w jednym pliku", pal.text);
    Pill(img, {14, 230, 227, 26}, "Otwórz Katalog.pdf", SansBold(12), pal.link, kWhite);
    Divider(img, pal);
    return img;
}

Image Footer(const SkinPalette& pal) {
    Image img(255, 36);
    GradientV(img, {0, 0, 255, 36}, pal.panel, Mix(pal.panel, pal.linkDark, 0.5));
    FillRect(img, {0, 0, 255, 1}, pal.frame, 0.3);
    // A help sign.
    FillEllipse(img, 19, 18, 11, 11, pal.link);
    StrokeEllipse(img, 19, 18, 11, 11, 1, Lighten(pal.link, 0.4));
    SansBold(14).DrawCentred(img, {8, 7, 22, 22}, "?", kWhite);
    SansBold(11).Draw(img, 38, 3, "Płyta nie działa?", pal.text);
    Sans(10).Draw(img, 38, 19, "napisz: plyta@vemi.example.pl", Lighten(pal.link, 0.45));
    return img;
}

// ---- the top row ----

// An advertiser's box: a thin light edge inside a dark one.
void AdFrame(Image& img) {
    FrameRect(img, {0, 0, img.Width(), img.Height()}, kBlack, 0.45);
    FrameRect(img, {1, 1, img.Width() - 2, img.Height() - 2}, kWhite, 0.18);
}

Image Shop(const SkinPalette& pal) {
    Image img(125, 100);
    GradientV(img, {0, 0, 125, 100}, {0xF5, 0x7A, 0x22}, {0xC4, 0x26, 0x1A});
    FillEllipse(img, 110, 10, 50, 40, kWhite, 0.08);
    const TextFace& name = CondBold(19);
    name.Draw(img, CentreX(name, 0, 125, "PIKSEL") + 1, 1, "PIKSEL", kBlack, 0.3);
    name.Draw(img, CentreX(name, 0, 125, "PIKSEL"), 0, "PIKSEL", kWhite);
    Cond(10).Draw(img, CentreX(Cond(10), 0, 125, "sklep komputerowy"), 21, "sklep komputerowy", {0xFF, 0xE8, 0xD0});
    // A laptop.
    const double lx = 40, ly = 36;
    FillRoundRect(img, lx, ly, 45, 26, 2, {0x22, 0x26, 0x34});
    GradientV(img, {static_cast<int>(lx) + 3, static_cast<int>(ly) + 3, 39, 20}, {0x4C, 0xC3, 0xFF}, {0x2E, 0x5E, 0xC0});
    FillPolygon(img, std::vector<PointF>{{lx + 5, ly + 22}, {lx + 20, ly + 9}, {lx + 27, ly + 16}, {lx + 33, ly + 11}, {lx + 42, ly + 22}},
                kWhite, 0.3);
    FillPolygon(img, std::vector<PointF>{{lx - 6, ly + 27}, {lx + 51, ly + 27}, {lx + 47, ly + 31}, {lx - 2, ly + 31}}, {0xC8, 0xCC, 0xD6});
    FillRect(img, {static_cast<int>(lx) + 17, static_cast<int>(ly) + 27, 11, 1}, {0x80, 0x86, 0x94});
    const TextFace& price = CondBold(11);
    int x = CentreX(price, 0, 125, "Laptopy od 1999 zł");
    price.Draw(img, x, 68, "Laptopy od ", kWhite);
    price.Draw(img, x + price.Measure("Laptopy od "), 68, "1999 zł", kYellow);
    Pill(img, {14, 85, 97, 12}, "Zobacz ofertę", CondBold(10), kCoverBlue, kWhite);
    AdFrame(img);
    (void)pal;
    return img;
}

Image Hosting(const SkinPalette& pal) {
    Image img(125, 100);
    GradientV(img, {0, 0, 125, 100}, {0x16, 0x9A, 0x84}, {0x0B, 0x3E, 0x4E});
    const TextFace& name = CondBold(16);
    int x = CentreX(name, 0, 125, "HOSTING PRO");
    int end = name.Draw(img, x, 2, "HOSTING ", kWhite);
    name.Draw(img, end, 2, "PRO", kYellow);
    // A server rack with three units.
    for (int i = 0; i < 3; ++i) {
        double y = 27 + i * 13;
        FillRoundRect(img, 10, y, 44, 11, 2, {0x1C, 0x24, 0x30});
        StrokeRoundRect(img, 10, y, 44, 11, 2, 1, {0x5A, 0x66, 0x78});
        for (int k = 0; k < 4; ++k) FillRect(img, {16 + 5 * k, static_cast<int>(y) + 4, 3, 3}, {0x3A, 0x46, 0x58});
        FillEllipse(img, 44, y + 5.5, 1.8, 1.8, {0x4C, 0xE0, 0x6A});
        FillEllipse(img, 49, y + 5.5, 1.8, 1.8, i == 1 ? Rgb{0xF2, 0x9A, 0x2E} : Rgb{0x4C, 0xE0, 0x6A});
    }
    CondBold(18).Draw(img, 62, 24, "2 GB", kWhite);
    Cond(11).Draw(img, 63, 45, "+ domena", {0xC8, 0xF0, 0xE8});
    Cond(11).Draw(img, 63, 56, "gratis", {0xC8, 0xF0, 0xE8});
    const TextFace& price = CondBold(12);
    price.Draw(img, CentreX(price, 0, 125, "od 9 zł / mies."), 70, "od 9 zł / mies.", kYellow);
    Pill(img, {26, 86, 73, 12}, "Sprawdź", CondBold(10), kMastRed, kWhite);
    AdFrame(img);
    (void)pal;
    return img;
}

Image Subscription(const SkinPalette& pal) {
    Image img(750, 100);
    GradientH(img, {0, 0, 750, 100}, kCoverBlue, kCoverPurple);
    for (int i = 0; i < 9; ++i) StrokeLine(img, {120.0 + i * 70, 100}, {220.0 + i * 70, 0}, 18, kWhite, 0.035);
    FillEllipse(img, 700, 20, 120, 70, {0xF0, 0x5A, 0x28}, 0.25);
    // Three issues fanned out.
    for (int i = 0; i < 3; ++i) {
        double x = 14 + i * 24, y = 18 - i * 5;
        Rgb body[] = {{0x1E, 0xC8, 0xD2}, {0xF5, 0xC8, 0x2A}, {0x3D, 0x86, 0xE0}};
        FillRect(img, {static_cast<int>(x) + 3, static_cast<int>(y) + 3, 56, 74}, kBlack, 0.35);
        GradientV(img, {static_cast<int>(x), static_cast<int>(y), 56, 74}, body[i], Darken(body[i], 0.45));
        FillRect(img, {static_cast<int>(x), static_cast<int>(y), 56, 15}, kMastRed);
        CondBold(12).Draw(img, static_cast<int>(x) + 4, static_cast<int>(y) + 1, "VEMI", kWhite);
        TextLines(img, static_cast<int>(x) + 5, static_cast<int>(y) + 22, 30, 3, 5, kWhite, 0.6);
        Disc(img, x + 38, y + 52, 12);
        FrameRect(img, {static_cast<int>(x), static_cast<int>(y), 56, 74}, kWhite, 0.5);
    }
    SansBold(30).Draw(img, 146, 8, "Prenumerata", kWhite);
    Sans(15).Draw(img, 148, 48, "12 numerów z płytą DVD taniej o 25%", {0xCF, 0xE4, 0xFF});
    Sans(11).Draw(img, 148, 72, "co miesiąc prosto do Twojej skrzynki, bez brakujących numerów", pal.textDim);
    // The saving on a round sticker.
    const double sx = 545, sy = 44;
    FillEllipse(img, sx + 2, sy + 3, 33, 33, kBlack, 0.3);
    FillEllipse(img, sx, sy, 33, 33, kYellow);
    StrokeEllipse(img, sx, sy, 29, 29, 1.2, {0xC8, 0x3A, 0x10}, 0.7);
    CondBold(19).DrawCentred(img, {static_cast<int>(sx) - 33, static_cast<int>(sy) - 16, 66, 26}, "-25%", {0xC8, 0x1E, 0x1E});
    CondBold(10).DrawCentred(img, {static_cast<int>(sx) - 33, static_cast<int>(sy) + 8, 66, 14}, "taniej", {0x6A, 0x12, 0x12});
    Pill(img, {600, 33, 134, 30}, "Zamów teraz", SansBold(14), kMastRed, kWhite);
    AdFrame(img);
    return img;
}

}  // namespace

const std::vector<BannerSlot>& BannerSlots() {
    static const std::vector<BannerSlot> slots = {
        {"banner1", {7, 136, 255, 44}},  {"banner2", {7, 180, 255, 255}}, {"banner3", {7, 435, 255, 265}},
        {"banner4", {7, 700, 255, 36}},  {"banner5", {7, 7, 125, 100}},   {"banner6", {137, 7, 750, 100}},
        {"banner7", {892, 7, 125, 100}},
    };
    return slots;
}

Image DrawBanner(int number, const SkinPalette& pal) {
    switch (number) {
        case 1: return Header(pal);
        case 2: return Guide(pal);
        case 3: return Catalogue(pal);
        case 4: return Footer(pal);
        case 5: return Shop(pal);
        case 6: return Subscription(pal);
        case 7: return Hosting(pal);
        default: return Image();
    }
}

void PlaceBanners(Image& window, const SkinPalette& pal, const Image* movie) {
    for (size_t i = 0; i < BannerSlots().size(); ++i) {
        const BannerSlot& s = BannerSlots()[i];
        if (i == 5 && movie && !movie->Empty()) {
            window.CopyRect(s.place.x, s.place.y, s.place.w, s.place.h, *movie, 0, 0, platform::RasterOp::Copy);
            continue;
        }
        Image pic = DrawBanner(static_cast<int>(i) + 1, pal);
        window.CopyRect(s.place.x, s.place.y, s.place.w, s.place.h, pic, 0, 0, platform::RasterOp::Copy);
    }
}

}  // namespace art

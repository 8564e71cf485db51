#include "tools/lib/artwork.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/lib/fontcompiler.h"
#include "tools/lib/paint.h"

namespace art {

using platform::Image;
using platform::Rect;
using platform::Rgb;

namespace {

const TextFace& Sans(int px) { return Face("DejaVuSans.ttf", px); }
const TextFace& SansBold(int px) { return Face("DejaVuSans-Bold.ttf", px); }
const TextFace& CondBold(int px) { return Face("DejaVuSansCondensed-Bold.ttf", px); }

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// The hit rectangles, as the main window tests them.
struct IdRect {
    int id;
    Rect r;
};
constexpr IdRect kLayout[] = {
    {1, {757, 349, 42, 34}},   {2, {810, 348, 39, 33}},   {3, {860, 347, 43, 36}},  {4, {916, 350, 40, 32}},
    {5, {966, 348, 42, 35}},   {6, {964, 115, 25, 13}},   {7, {993, 115, 25, 13}},  {8, {276, 694, 105, 16}},
    {9, {441, 694, 118, 18}},  {10, {617, 695, 125, 16}}, {21, {271, 743, 74, 18}}, {22, {363, 742, 115, 20}},
    {23, {494, 743, 105, 19}}, {24, {616, 743, 129, 18}}, {31, {756, 141, 256, 192}}, {32, {756, 652, 256, 16}},
};

// A panel sunk into the body: solid inside (text is drawn there), one frame line
// around it and a faint shadow line above.
void Well(Image& img, Rect inner, Rgb fill, const SkinPalette& pal) {
    FillRect(img, inner, fill);
    FrameRect(img, {inner.x - 1, inner.y - 1, inner.w + 2, inner.h + 2}, pal.frame, 0.55);
    FillRect(img, {inner.x - 1, inner.y - 2, inner.w + 2, 1}, kBlack, 0.25);
}

// ---- scroll bars ----

Rgb TrackColour(const SkinPalette& pal) { return Darken(pal.panel, 0.25); }

void DrawTrack(Image& img, int height, const SkinPalette& pal) {
    FillRect(img, {0, 0, 12, height}, TrackColour(pal));
    FillRect(img, {0, 0, 1, height}, pal.frame, 0.22);
    FillRect(img, {11, 0, 1, height}, pal.frame, 0.22);
    // A groove down the middle of the track, so a bar without a thumb still reads as one.
    FillRect(img, {5, 18, 2, height - 36}, kBlack, 0.35);
    FillRect(img, {7, 18, 1, height - 36}, pal.frame, 0.12);
}

enum class PartLook { Normal, Pressed, Lit };

void DrawArrow(Image& img, int top, bool up, PartLook look, const SkinPalette& pal) {
    FillRect(img, {0, top, 12, 16}, TrackColour(pal));
    Rgb fill = look == PartLook::Lit ? pal.link : look == PartLook::Pressed ? Darken(pal.linkDark, 0.35) : pal.linkDark;
    Rgb edge = look == PartLook::Lit ? Lighten(pal.link, 0.35) : Mix(pal.linkDark, pal.frame, 0.45);
    FillRoundRect(img, 0.5, top + 0.5, 11, 15, 2.5, fill);
    StrokeRoundRect(img, 0.5, top + 0.5, 11, 15, 2.5, 1, edge, look == PartLook::Pressed ? 0.5 : 0.9);
    Rgb glyph = look == PartLook::Lit ? kWhite : look == PartLook::Pressed ? pal.textDim : pal.text;
    double cy = top + 8 + (look == PartLook::Pressed ? 1 : 0);
    double dir = up ? -1 : 1;
    FillPolygon(img, std::vector<PointF>{{6, cy + 2.6 * dir}, {2.6, cy - 1.8 * dir}, {9.4, cy - 1.8 * dir}}, glyph);
}

void DrawThumb(Image& img, int top, bool lit, const SkinPalette& pal) {
    FillRect(img, {0, top, 12, 12}, TrackColour(pal));
    Rgb fill = lit ? pal.link : Mix(pal.linkDark, pal.link, 0.35);
    FillRoundRect(img, 0.5, top + 0.5, 11, 11, 3, fill);
    StrokeRoundRect(img, 0.5, top + 0.5, 11, 11, 3, 1, lit ? Lighten(pal.link, 0.45) : Mix(fill, pal.frame, 0.5));
    Rgb grip = lit ? kWhite : pal.text;
    for (int i = 0; i < 3; ++i) FillRect(img, {3, top + 3 + 2 * i, 6, 1}, grip, lit ? 0.9 : 0.6);
}

Image BarBackground(int height, const SkinPalette& pal) {
    Image img(12, height);
    DrawTrack(img, height, pal);
    DrawArrow(img, 0, true, PartLook::Normal, pal);
    DrawArrow(img, height - 16, false, PartLook::Normal, pal);
    return img;
}

// ---- buttons ----

struct IconStyle {
    double alpha = 1;   // the whole icon's opacity
    double light = 0;   // towards white: the lit look
    bool grey = false;  // the inactive look
};

Rgb Tone(Rgb c, const IconStyle& s) {
    if (s.grey) c = Mix(Grey(c), {0x50, 0x55, 0x66}, 0.35);
    return Lighten(c, s.light);
}

// A soft round light behind a hovered icon.
void Glow(Image& img, double cx, double cy, double r, Rgb c) {
    for (int i = 8; i >= 1; --i) FillEllipse(img, cx, cy, r * i / 8.0, r * i / 8.0 * 0.82, c, 0.06);
}

void IconRun(Image& img, double cx, double cy, const IconStyle& s) {
    Rgb green = Tone({0x3F, 0xB0, 0x5E}, s), dark = Tone({0x1E, 0x6B, 0x36}, s);
    FillEllipse(img, cx, cy + 0.5, 13, 13, Darken(dark, 0.3), 0.6 * s.alpha);
    FillEllipse(img, cx, cy, 13, 13, green, s.alpha);
    FillEllipse(img, cx - 2, cy - 4, 9, 6, kWhite, 0.18 * s.alpha);
    StrokeEllipse(img, cx, cy, 13, 13, 1.2, dark, s.alpha);
    FillPolygon(img, std::vector<PointF>{{cx - 4, cy - 7}, {cx + 7.5, cy}, {cx - 4, cy + 7}}, Tone(kWhite, s), s.alpha);
}

void IconInstall(Image& img, double cx, double cy, const IconStyle& s) {
    Rgb body = Tone({0xB8, 0xBF, 0xCC}, s), edge = Tone({0x5A, 0x61, 0x70}, s);
    Rgb orange = Tone({0xF2, 0x9A, 0x2E}, s), led = Tone({0x4C, 0xE0, 0x6A}, s);
    // the hard disk
    FillRoundRect(img, cx - 13, cy + 3, 26, 11, 2.5, body, s.alpha);
    GradientV(img, {static_cast<int>(cx - 12), static_cast<int>(cy + 9), 24, 4}, body, Darken(body, 0.2));
    StrokeRoundRect(img, cx - 13, cy + 3, 26, 11, 2.5, 1, edge, s.alpha);
    FillEllipse(img, cx + 8.5, cy + 8.5, 1.6, 1.6, led, s.alpha);
    for (int i = 0; i < 4; ++i) FillRect(img, {static_cast<int>(cx - 9 + 3 * i), static_cast<int>(cy + 7), 2, 3}, edge, 0.6 * s.alpha);
    // the arrow into it
    std::vector<PointF> arrow{{cx - 3.5, cy - 15}, {cx + 3.5, cy - 15}, {cx + 3.5, cy - 6}, {cx + 8, cy - 6},
                              {cx, cy + 2},        {cx - 8, cy - 6},    {cx - 3.5, cy - 6}};
    FillPolygon(img, arrow, orange, s.alpha);
    FillRect(img, {static_cast<int>(cx - 2), static_cast<int>(cy - 14), 2, 8}, kWhite, 0.35 * s.alpha);
}

void Page(Image& img, double x, double y, double w, double h, Rgb paper, Rgb edge, double alpha) {
    double fold = 5;
    std::vector<PointF> p{{x, y}, {x + w - fold, y}, {x + w, y + fold}, {x + w, y + h}, {x, y + h}};
    FillPolygon(img, p, paper, alpha);
    FillPolygon(img, std::vector<PointF>{{x + w - fold, y}, {x + w - fold, y + fold}, {x + w, y + fold}}, Darken(paper, 0.2), alpha);
    StrokeLine(img, {x, y}, {x + w - fold, y}, 1, edge, alpha);
    StrokeLine(img, {x + w - fold, y}, {x + w, y + fold}, 1, edge, alpha);
    StrokeLine(img, {x + w, y + fold}, {x + w, y + h}, 1, edge, alpha);
    StrokeLine(img, {x, y + h}, {x + w, y + h}, 1, edge, alpha);
    StrokeLine(img, {x, y}, {x, y + h}, 1, edge, alpha);
}

void IconInfo(Image& img, double cx, double cy, const IconStyle& s) {
    Rgb paper = Tone({0xF2, 0xF4, 0xF8}, s), edge = Tone({0x6A, 0x72, 0x86}, s), blue = Tone({0x3D, 0x86, 0xE0}, s);
    Page(img, cx - 12, cy - 15, 19, 25, paper, edge, s.alpha);
    for (int i = 0; i < 5; ++i)
        FillRect(img, {static_cast<int>(cx - 9), static_cast<int>(cy - 9 + 3.5 * i), i == 4 ? 7 : 12, 1}, edge, 0.7 * s.alpha);
    FillEllipse(img, cx + 6, cy + 6, 8.5, 8.5, blue, s.alpha);
    StrokeEllipse(img, cx + 6, cy + 6, 8.5, 8.5, 1, Darken(blue, 0.35), s.alpha);
    Rgb white = Tone(kWhite, s);
    FillEllipse(img, cx + 6, cy + 1.6, 1.5, 1.5, white, s.alpha);
    FillRoundRect(img, cx + 4.8, cy + 4.2, 2.4, 7, 0.8, white, s.alpha);
}

void IconCopy(Image& img, double cx, double cy, const IconStyle& s) {
    Rgb back = Tone({0xB9, 0xC6, 0xD8}, s), front = Tone({0xF2, 0xF4, 0xF8}, s), edge = Tone({0x5E, 0x68, 0x7C}, s);
    Rgb teal = Tone({0x22, 0xB0, 0xA6}, s);
    Page(img, cx - 13, cy - 15, 17, 22, back, edge, s.alpha);
    Page(img, cx - 5, cy - 8, 17, 22, front, edge, s.alpha);
    // the arrow from the back page onto the front one
    std::vector<PointF> arrow{{cx - 9, cy + 2}, {cx - 1, cy + 2}, {cx - 1, cy - 2}, {cx + 6, cy + 4.5},
                              {cx - 1, cy + 11}, {cx - 1, cy + 7}, {cx - 9, cy + 7}};
    FillPolygon(img, arrow, teal, s.alpha);
    StrokeLine(img, {cx - 9, cy + 2}, {cx - 1, cy + 2}, 0.8, Darken(teal, 0.4), s.alpha);
}

void IconBrowse(Image& img, double cx, double cy, const IconStyle& s) {
    Rgb folder = Tone({0xF0, 0xC2, 0x4A}, s), folderDark = Tone({0xC0, 0x8C, 0x22}, s);
    Rgb lens = Tone({0x9C, 0xD0, 0xF5}, s), rim = Tone({0x2E, 0x44, 0x66}, s);
    FillPolygon(img, std::vector<PointF>{{cx - 15, cy - 11}, {cx - 6, cy - 11}, {cx - 3, cy - 8}, {cx + 12, cy - 8},
                                         {cx + 12, cy + 11}, {cx - 15, cy + 11}},
                folderDark, s.alpha);
    FillPolygon(img, std::vector<PointF>{{cx - 15, cy - 4}, {cx + 12, cy - 4}, {cx + 12, cy + 11}, {cx - 15, cy + 11}}, folder,
                s.alpha);
    FillRect(img, {static_cast<int>(cx - 14), static_cast<int>(cy - 3), 25, 1}, kWhite, 0.35 * s.alpha);
    // the magnifier over the folder's corner
    StrokeLine(img, {cx + 8, cy + 7}, {cx + 14, cy + 14}, 3.2, rim, s.alpha);
    FillEllipse(img, cx + 4, cy + 3, 7, 7, lens, 0.85 * s.alpha);
    FillEllipse(img, cx + 2.5, cy + 1.5, 3, 2.2, kWhite, 0.5 * s.alpha);
    StrokeEllipse(img, cx + 4, cy + 3, 7, 7, 1.8, rim, s.alpha);
}

void DrawActionFace(Image& img, Rect r, int id, int state, const SkinPalette& pal) {
    double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0;
    IconStyle s;
    if (state == 1) {
        s.grey = true;
        s.alpha = 0.38;
    } else if (state == 3) {
        s.light = 0.18;
        Glow(img, cx, cy, std::min(r.w, r.h) * 0.62, Lighten(pal.link, 0.3));
    }
    switch (id) {
        case 1: IconRun(img, cx, cy, s); break;
        case 2: IconInstall(img, cx, cy, s); break;
        case 3: IconInfo(img, cx, cy, s); break;
        case 4: IconCopy(img, cx, cy, s); break;
        case 5: IconBrowse(img, cx, cy, s); break;
    }
}

void DrawTitleButtonFace(Image& img, Rect r, int id, int state, const SkinPalette& pal) {
    Rgb fill, edge, glyph;
    if (state == 1) {
        fill = Mix(pal.panel, pal.linkDark, 0.3);
        edge = Mix(pal.panel, pal.frame, 0.3);
        glyph = pal.textDim;
    } else if (state == 3) {
        fill = id == 7 ? Rgb{0xC8, 0x3A, 0x3A} : pal.link;
        edge = Lighten(fill, 0.4);
        glyph = kWhite;
    } else {
        fill = pal.linkDark;
        edge = Mix(pal.linkDark, pal.frame, 0.5);
        glyph = pal.text;
    }
    FillRect(img, r, pal.titleWell);
    FillRoundRect(img, r.x + 0.5, r.y + 0.5, r.w - 1, r.h - 1, 3, fill);
    StrokeRoundRect(img, r.x + 0.5, r.y + 0.5, r.w - 1, r.h - 1, 3, 1, edge);
    double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0;
    if (id == 6) {
        FillRect(img, {static_cast<int>(cx - 4.5), static_cast<int>(cy + 2), 9, 2}, glyph);
    } else {
        StrokeLine(img, {cx - 3.5, cy - 3.5}, {cx + 3.5, cy + 3.5}, 1.6, glyph);
        StrokeLine(img, {cx - 3.5, cy + 3.5}, {cx + 3.5, cy - 3.5}, 1.6, glyph);
    }
}

// Texts are written here in UTF-8; the skins are pictures, so nothing is converted.
const char* TabCaption(int id) {
    switch (id) {
        case 8: return "Grupy zwinięte";
        case 9: return "Grupy rozwinięte";
        default: return "Alfabetycznie";
    }
}

// The biggest caption size at which text plus icon fit the width.
int FitSize(const char* text, int room, int largest, int smallest) {
    for (int px = largest; px > smallest; --px)
        if (Sans(px).Measure(text) <= room) return px;
    return smallest;
}

constexpr int kTabIcon = 9, kTabGap = 5;

// One caption size for all three tabs, the largest at which each fits its own tab.
int TabCaptionSize() {
    int px = 11;
    for (int id = 8; id <= 10; ++id)
        px = std::min(px, FitSize(TabCaption(id), LayoutRect(id).w - kTabIcon - kTabGap - 10, 11, 8));
    return px;
}

void DrawTabFace(Image& img, Rect r, int id, int state, const SkinPalette& pal) {
    Rgb fill, edge, ink;
    if (state == 1) {
        fill = Mix(pal.bodyBottom, pal.panel, 0.5);
        edge = Mix(pal.bodyBottom, pal.frame, 0.25);
        ink = Mix(pal.textDim, pal.panel, 0.4);
    } else if (state == 3) {
        fill = pal.link;
        edge = Lighten(pal.link, 0.45);
        ink = kWhite;
    } else {
        fill = Mix(pal.panel, pal.linkDark, 0.55);
        edge = Mix(pal.linkDark, pal.frame, 0.45);
        ink = pal.text;
    }
    FillRoundRect(img, r.x + 0.5, r.y + 0.5, r.w - 1, r.h - 1, 4, fill);
    StrokeRoundRect(img, r.x + 0.5, r.y + 0.5, r.w - 1, r.h - 1, 4, 1, edge);
    if (state != 1) FillRect(img, {r.x + 4, r.y + 1, r.w - 8, 1}, kWhite, 0.12);
    const char* text = TabCaption(id);
    const TextFace& f = Sans(TabCaptionSize());
    int tw = f.Measure(text);
    int x = r.x + (r.w - (kTabIcon + kTabGap + tw)) / 2;
    double cy = r.y + r.h / 2.0;
    if (id == 8) {  // closed groups: a triangle pointing right
        FillPolygon(img, std::vector<PointF>{{x + 2.0, cy - 4}, {x + 7.5, cy}, {x + 2.0, cy + 4}}, ink);
    } else if (id == 9) {  // open groups: pointing down
        FillPolygon(img, std::vector<PointF>{{x + 0.5, cy - 2.5}, {x + 8.5, cy - 2.5}, {x + 4.5, cy + 3}}, ink);
    } else {  // alphabetical: sorted lines
        for (int i = 0; i < 3; ++i) FillRect(img, {x, static_cast<int>(cy) - 4 + 3 * i, 9 - 3 * i, 2}, ink);
    }
    f.Draw(img, x + kTabIcon + kTabGap, r.y + (r.h - f.LineHeight()) / 2 + (r.h % 2 ? 0 : 1) - 1, text, ink);
}

void DrawButtonFace(Image& img, Rect r, int id, int state, const SkinPalette& pal) {
    if (id >= 1 && id <= 5) DrawActionFace(img, r, id, state, pal);
    else if (id == 6 || id == 7) DrawTitleButtonFace(img, r, id, state, pal);
    else if (id >= 8 && id <= 10) DrawTabFace(img, r, id, state, pal);
}

// ---- bottom links ----

void LinkIcon(Image& img, int id, double x, double cy, Rgb c) {
    switch (id) {
        case 21:  // a globe
            StrokeEllipse(img, x + 5, cy, 5, 5, 1.1, c);
            StrokeEllipse(img, x + 5, cy, 2.2, 5, 1, c);
            FillRect(img, {static_cast<int>(x), static_cast<int>(cy), 10, 1}, c);
            break;
        case 22:  // an envelope
            StrokeRoundRect(img, x, cy - 4, 11, 8, 1, 1, c);
            StrokeLine(img, {x + 0.5, cy - 3.5}, {x + 5.5, cy + 0.5}, 1, c);
            StrokeLine(img, {x + 10.5, cy - 3.5}, {x + 5.5, cy + 0.5}, 1, c);
            break;
        case 23:  // an open magazine
            StrokeLine(img, {x, cy - 3}, {x + 5, cy - 2}, 1, c);
            StrokeLine(img, {x + 5, cy - 2}, {x + 10, cy - 3}, 1, c);
            StrokeLine(img, {x, cy + 4}, {x + 5, cy + 5}, 1, c);
            StrokeLine(img, {x + 5, cy + 5}, {x + 10, cy + 4}, 1, c);
            StrokeLine(img, {x, cy - 3}, {x, cy + 4}, 1, c);
            StrokeLine(img, {x + 10, cy - 3}, {x + 10, cy + 4}, 1, c);
            StrokeLine(img, {x + 5, cy - 2}, {x + 5, cy + 5}, 1, c);
            break;
        default:  // a download arrow
            FillRect(img, {static_cast<int>(x + 4), static_cast<int>(cy - 5), 2, 6}, c);
            FillPolygon(img, std::vector<PointF>{{x + 1, cy}, {x + 9, cy}, {x + 5, cy + 4}}, c);
            FillRect(img, {static_cast<int>(x), static_cast<int>(cy + 5), 10, 1}, c);
            break;
    }
}

const char* LinkCaption(int id) {
    switch (id) {
        case 21: return "Wydawca";
        case 22: return "Napisz do nas";
        case 23: return "Magazyn";
        default: return "Pliki FTP";
    }
}

void DrawBottomLinks(Image& img, const SkinPalette& pal) {
    Rgb ink = Lighten(pal.link, 0.38);
    for (int id = 21; id <= 24; ++id) {
        Rect r = LayoutRect(id);
        const char* text = LinkCaption(id);
        const TextFace& f = Sans(FitSize(text, r.w - 18, 12, 9));
        double cy = r.y + r.h / 2.0;
        LinkIcon(img, id, r.x + 2, cy, ink);
        int tx = r.x + 17, ty = r.y + (r.h - f.LineHeight()) / 2;
        int end = f.Draw(img, tx, ty, text, ink);
        FillRect(img, {tx, ty + f.Ascent() + 2, end - tx, 1}, pal.link, 0.8);
    }
    // Dots between the links.
    for (int x : {354, 486, 607}) FillEllipse(img, x, 752, 1.6, 1.6, pal.textDim, 0.8);
    const TextFace& small = Sans(10);
    const char* note = "Płyta CD/DVD magazynu VEMI";
    small.Draw(img, 1014 - small.Measure(note), 747, note, pal.textDim);
}

// ---- the skin ----

// The body of the window: a dark ramp with a soft light from the top right.
void DrawBody(Image& img, const SkinPalette& pal) {
    for (int y = 0; y < kSkinHeight; ++y) {
        double t = double(y) / (kSkinHeight - 1);
        Rgb base = Mix(pal.bodyTop, pal.bodyBottom, t);
        uint8_t* p = img.Row(y);
        for (int x = 0; x < kSkinWidth; ++x, p += 3) {
            double dx = (x - 900) / 700.0, dy = (y + 120) / 600.0;
            double light = std::max(0.0, 1 - (dx * dx + dy * dy)) * 0.09;
            Rgb c = Lighten(base, light);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    }
    FrameRect(img, {0, 0, kSkinWidth, kSkinHeight}, pal.frame, 0.55);
    FrameRect(img, {1, 1, kSkinWidth - 2, kSkinHeight - 2}, kBlack, 0.4);
}

void DrawWordmark(Image& img, const SkinPalette& pal) {
    // Beneath the right-hand column, where both skins show the same thing.
    const TextFace& big = SansBold(26);
    const char* mark = "VEMI";
    int w = big.Measure(mark);
    int x = 1012 - w - 74, y = 677;
    big.Draw(img, x + 1, y + 1, mark, kBlack, 0.5);
    big.Draw(img, x, y, mark, Lighten(pal.link, 0.3));
    FillRect(img, {x + w + 8, y + 6, 1, 22}, pal.frame, 0.5);
    const TextFace& small = SansBold(10);
    small.Draw(img, x + w + 16, y + 4, "CD / DVD", pal.text);
    Sans(10).Draw(img, x + w + 16, y + 17, "start menu", pal.textDim);
}

void DrawButtonBand(Image& img, const SkinPalette& pal) {
    Rect band{749, 341, 270, 50};
    GradientV(img, band, Mix(pal.bodyTop, pal.linkDark, 0.45), Mix(pal.bodyBottom, pal.panel, 0.4));
    FillRect(img, {band.x, band.y, band.w, 1}, pal.frame, 0.45);
    FillRect(img, {band.x, band.y + 1, band.w, 1}, kWhite, 0.06);
    FillRect(img, {band.x, band.y + band.h - 1, band.w, 1}, kBlack, 0.45);
}

// Everything both skins share; program = true leaves the right-hand column ready
// for the program panel.
Image DrawBase(const SkinPalette& pal, bool program) {
    Image img(kSkinWidth, kSkinHeight);
    DrawBody(img, pal);

    // Banner areas: plain panels that the banner modules cover.
    Well(img, kTopBanners, pal.panel, pal);
    Well(img, {7, 136, 255, 625}, pal.panel, pal);

    // Title strip with the catalogue title left to the program.
    Well(img, {268, 109, 751, 23}, pal.titleWell, pal);
    FillRect(img, {955, 112, 1, 17}, pal.frame, 0.35);

    // The program list with its bar.
    Well(img, {274, 138, 470, 554}, pal.listWell, pal);
    FillRect(img, {721, 140, 1, 550}, pal.frame, 0.3);
    img.DrawImage(kListBarX, kListBarY, BarBackground(kListBarHeight, pal));

    // Status strip: hints on the left, the program count right-aligned at x 745.
    Well(img, {268, 717, 751, 21}, pal.statusWell, pal);
    FillRect(img, {830, 720, 1, 15}, pal.frame, 0.3);

    DrawBottomLinks(img, pal);
    DrawWordmark(img, pal);

    // The right-hand column.
    FrameRect(img, {748, 133, 272, 538}, pal.frame, 0.55);
    GradientV(img, {749, 134, 270, 536}, Mix(pal.bodyTop, pal.panel, 0.35), Mix(pal.bodyBottom, pal.panel, 0.5));
    if (program) {
        Well(img, kScreenshotFrame, pal.panel, pal);
        // A faint picture sign in the empty frame.
        double cx = 884, cy = 237;
        StrokeRoundRect(img, cx - 22, cy - 16, 44, 32, 3, 1.5, pal.frame, 0.16);
        FillPolygon(img, std::vector<PointF>{{cx - 18, cy + 12}, {cx - 6, cy - 2}, {cx + 2, cy + 6}, {cx + 8, cy}, {cx + 18, cy + 12}},
                    pal.frame, 0.14);
        FillEllipse(img, cx + 10, cy - 8, 3.5, 3.5, pal.frame, 0.16);
        Well(img, {754, 398, 261, 248}, pal.descWell, pal);
        FillRect(img, {996, 400, 1, 244}, pal.frame, 0.28);
        img.DrawImage(kTextBarX, kTextBarY, BarBackground(kTextBarHeight, pal));
        Well(img, kLinkStrip, pal.linkWell, pal);
    }
    DrawButtonBand(img, pal);
    return img;
}

void AddStaticFaces(Image& img, const SkinPalette& pal, bool actions) {
    for (int id = actions ? 1 : 6; id <= 10; ++id) DrawButtonFace(img, LayoutRect(id), id, 2, pal);
}

// ---- the cover ----

void DrawCover(Image& img, Rect r, const SkinPalette& pal) {
    Image c(r.w, r.h);
    const int W = r.w, H = r.h;
    // Background: a deep blue that warms towards the foot.
    GradientV(c, {0, 0, W, H}, {0x14, 0x2E, 0x7A}, {0x52, 0x16, 0x6E});
    // Colourful shapes behind the cover lines.
    FillEllipse(c, W * 0.95, 150, 120, 120, {0xF0, 0x5A, 0x28}, 0.55);
    FillEllipse(c, W * 0.15, 420, 95, 95, {0x1E, 0xC8, 0xD2}, 0.35);
    FillEllipse(c, W * 0.82, 470, 70, 70, {0xF5, 0xC8, 0x2A}, 0.4);
    for (int i = 0; i < 6; ++i)
        StrokeLine(c, {-20.0 + i * 22, double(H)}, {W * 0.9 + i * 22, 260.0}, 7, kWhite, 0.05);
    // A disc, half out of the frame.
    double dx = 200, dy = 150, R = 62;
    FillEllipse(c, dx, dy, R, R, {0xD8, 0xDE, 0xEA});
    for (int i = 0; i < 7; ++i) {
        static const Rgb kRainbow[] = {{0xFF, 0x5C, 0x8A}, {0xFF, 0xB1, 0x3B}, {0xF7, 0xF0, 0x52}, {0x5E, 0xE0, 0x8B},
                                       {0x4C, 0xC3, 0xFF}, {0x8A, 0x7C, 0xFF}, {0xE0, 0x6C, 0xFF}};
        StrokeEllipse(c, dx, dy, R - 4 - i * 5, R - 4 - i * 5, 4, kRainbow[i], 0.35);
    }
    FillEllipse(c, dx, dy, 16, 16, {0x9A, 0xA2, 0xB4});
    FillEllipse(c, dx, dy, 7, 7, {0x14, 0x2E, 0x7A});
    FillEllipse(c, dx - 22, dy - 26, 22, 9, kWhite, 0.25);

    // Masthead.
    FillRect(c, {0, 0, W, 74}, {0xE0, 0x2A, 0x2A});
    GradientV(c, {0, 60, W, 14}, {0xE0, 0x2A, 0x2A}, {0xA8, 0x16, 0x1E});
    const TextFace& mast = SansBold(58);
    mast.Draw(c, 12, 0, "VEMI", kWhite);
    const TextFace& tag = CondBold(10);
    tag.Draw(c, 14, 58, "MAGAZYN  KOMPUTEROWY", {0xFF, 0xE0, 0xD8});
    FillRoundRect(c, W - 74, 8, 64, 40, 4, {0xFF, 0xD5, 0x1E});
    CondBold(11).DrawCentred(c, {W - 74, 10, 64, 16}, "NUMER", {0x6A, 0x12, 0x12});
    CondBold(16).DrawCentred(c, {W - 74, 25, 64, 20}, "12/2007", {0x6A, 0x12, 0x12});
    FillRoundRect(c, W - 64, 52, 44, 16, 8, {0x14, 0x2E, 0x7A});
    CondBold(10).DrawCentred(c, {W - 64, 52, 44, 16}, "+ DVD", kWhite);

    // Cover lines above the band.
    CondBold(24).Draw(c, 12, 92, "PEŁNE", {0xFF, 0xD5, 0x1E});
    CondBold(24).Draw(c, 12, 118, "WERSJE", {0xFF, 0xD5, 0x1E});
    Sans(12).Draw(c, 13, 150, "programy, gry", kWhite);
    Sans(12).Draw(c, 13, 166, "i narzędzia na płycie", kWhite);

    // Cover lines below the band.
    int y = 268;
    FillRoundRect(c, 10, y, 120, 20, 3, {0xFF, 0x3C, 0x6E});
    CondBold(12).DrawCentred(c, {10, y, 120, 20}, "WIELKI TEST", kWhite);
    CondBold(22).Draw(c, 12, y + 26, "12 edytorów", kWhite);
    CondBold(22).Draw(c, 12, y + 50, "zdjęć", kWhite);
    Sans(11).Draw(c, 13, y + 78, "Który najlepiej poprawi", {0xCF, 0xE4, 0xFF});
    Sans(11).Draw(c, 13, y + 92, "Twoje fotografie?", {0xCF, 0xE4, 0xFF});
    FillRect(c, {12, y + 116, W - 24, 1}, kWhite, 0.35);
    CondBold(15).Draw(c, 12, y + 124, "Bezpieczny Internet", {0x7C, 0xF0, 0xC8});
    Sans(11).Draw(c, 13, y + 144, "zapory, antywirusy, kopie", {0xE0, 0xE6, 0xF0});
    CondBold(15).Draw(c, 12, y + 166, "Windows bez tajemnic", {0xFF, 0xB8, 0x4A});
    Sans(11).Draw(c, 13, y + 186, "30 porad dla każdego", {0xE0, 0xE6, 0xF0});

    // A round sticker.
    double sx = W - 52, sy = y + 62;
    FillEllipse(c, sx, sy, 40, 40, {0xFF, 0xD5, 0x1E});
    StrokeEllipse(c, sx, sy, 36, 36, 1.2, {0xC8, 0x3A, 0x10}, 0.7);
    CondBold(24).DrawCentred(c, {static_cast<int>(sx - 40), static_cast<int>(sy - 22), 80, 28}, "40", {0xC8, 0x1E, 0x1E});
    CondBold(10).DrawCentred(c, {static_cast<int>(sx - 40), static_cast<int>(sy + 2), 80, 14}, "programów", {0x6A, 0x12, 0x12});

    // Price and bar code at the foot.
    FillRect(c, {W - 66, H - 40, 56, 30}, kWhite);
    for (int i = 0; i < 26; ++i) {
        int bw = (i * 7 % 3) + 1;
        FillRect(c, {W - 63 + i * 2, H - 37, bw == 3 ? 1 : bw, 19}, kBlack);
    }
    Sans(7).Draw(c, W - 62, H - 18, "5 901234 12071", kBlack);
    Sans(10).Draw(c, 12, H - 26, "Cena 14,90 zł (w tym 7% VAT)", {0xE8, 0xE0, 0xF4});

    img.CopyRect(r.x, r.y, r.w, r.h, c, 0, 0, platform::RasterOp::Copy);
    (void)pal;
}

}  // namespace

SkinPalette DefaultPalette() { return SkinPalette{}; }

SkinPalette PaletteFromFonts(const std::vector<tool::FontRecipe>& roles) {
    SkinPalette p;
    if (roles.size() >= 8) {
        p.titleWell = roles[0].background;
        p.statusWell = roles[1].background;
        p.linkWell = roles[2].background;
        p.descWell = roles[3].background;
        p.listWell = roles[7].background;
    }
    return p;
}

Rect LayoutRect(int id) {
    for (const auto& e : kLayout)
        if (e.id == id) return e.r;
    return {};
}

Image DrawCoverSkin(const SkinPalette& pal) {
    Image img = DrawBase(pal, false);
    DrawCover(img, {749, 134, 270, 536}, pal);
    // The band the action buttons sit on when an entry without description is shown
    // over the cover: the same as in the program skin, so they blend in.
    DrawButtonBand(img, pal);
    // On the cover the band is edged in the masthead's colours, so it reads as a
    // ribbon across the page; the edges lie outside every button's rectangle.
    FillRect(img, {749, 341, 270, 2}, {0xFF, 0xD5, 0x1E});
    FillRect(img, {749, 389, 270, 2}, {0xE0, 0x2A, 0x2A});
    AddStaticFaces(img, pal, false);
    return img;
}

Image DrawProgramSkin(const SkinPalette& pal) {
    Image img = DrawBase(pal, true);
    AddStaticFaces(img, pal, true);
    return img;
}

Image DrawUpdateNotice(const SkinPalette& pal) {
    Image img(kNoticeRect.w, kNoticeRect.h);
    const int W = img.Width(), H = img.Height();
    GradientV(img, {0, 0, W, H}, Mix(pal.link, kWhite, 0.12), pal.linkDark);
    FillRect(img, {0, 0, W, 1}, Lighten(pal.link, 0.5));
    FillRect(img, {0, H - 1, W, 1}, Darken(pal.linkDark, 0.5));
    // A globe on the left.
    double cx = 20, cy = H / 2.0;
    FillEllipse(img, cx, cy, 11, 11, {0x2E, 0x8E, 0xE0});
    FillPolygon(img, std::vector<PointF>{{cx - 6, cy - 7}, {cx + 1, cy - 9}, {cx + 3, cy - 3}, {cx - 2, cy + 1}, {cx - 8, cy - 1}},
                {0x5C, 0xC8, 0x5A});
    FillPolygon(img, std::vector<PointF>{{cx + 2, cy + 2}, {cx + 8, cy + 1}, {cx + 6, cy + 8}, {cx + 1, cy + 8}}, {0x5C, 0xC8, 0x5A});
    StrokeEllipse(img, cx, cy, 11, 11, 1.2, kWhite, 0.85);
    const TextFace& f = SansBold(13);
    f.Draw(img, 40, 3, "Strona WWW programu", kWhite);
    Sans(10).Draw(img, 41, 19, "kliknij, aby otworzyć w przeglądarce", Lighten(pal.link, 0.6));
    // An arrow on the right that says "go there".
    FillPolygon(img, std::vector<PointF>{{W - 24.0, cy - 7}, {W - 12.0, cy}, {W - 24.0, cy + 7}}, kWhite, 0.9);
    FillRect(img, {W - 34, static_cast<int>(cy) - 2, 12, 4}, kWhite, 0.9);
    return img;
}

HandCursor DrawHandCursor() {
    // The hand is drawn large and smooth, then cut to a two-level shape: the cursor
    // has a binary mask, so grey edges would only look dirty.
    Image cover(32, 32);
    cover.FillAll(kBlack);
    FillRoundRect(cover, 9.5, 1, 5.5, 17, 2.75, kWhite);    // the pointing finger
    FillRoundRect(cover, 15, 8, 5, 11, 2.5, kWhite);        // middle
    FillRoundRect(cover, 20, 9.5, 4.8, 10.5, 2.4, kWhite);  // ring
    FillRoundRect(cover, 24.8, 11, 4.4, 9.5, 2.2, kWhite);  // little
    FillRoundRect(cover, 8, 14, 21.2, 13, 4, kWhite);       // palm
    FillRoundRect(cover, 10.5, 25, 16.5, 6, 1.5, kWhite);   // wrist
    StrokeLine(cover, {4.2, 15.5}, {10.5, 22.5}, 5, kWhite); // thumb
    FillEllipse(cover, 4.6, 15.8, 2.5, 2.5, kWhite);
    bool inside[32][32];
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) inside[y][x] = cover.Pixel(x, y).r >= 128;
    HandCursor hc;
    hc.picture.Create(32, 32);
    hc.mask.Create(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            bool edge = false;
            if (!inside[y][x])
                for (int dy = -1; dy <= 1 && !edge; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int nx = x + dx, ny = y + dy;
                        if (nx >= 0 && ny >= 0 && nx < 32 && ny < 32 && inside[ny][nx]) {
                            edge = true;
                            break;
                        }
                    }
            if (inside[y][x]) hc.picture.SetPixel(x, y, kWhite);
            if (inside[y][x] || edge) hc.mask.SetPixel(x, y, kWhite);
        }
    // Creases between the folded fingers and a shade along the palm's side.
    auto crease = [&](int x, int y0, int y1) {
        for (int y = y0; y <= y1; ++y)
            if (inside[y][x]) hc.picture.SetPixel(x, y, kBlack);
    };
    crease(15, 9, 16);
    crease(20, 11, 17);
    crease(24, 12, 18);
    for (int y = 18; y < 26; ++y)
        if (inside[y][27]) hc.picture.SetPixel(27, y, {0xC0, 0xC4, 0xCC});
    // The hot spot is the top of the pointing finger's outline.
    hc.hotX = 12;
    hc.hotY = 0;
    for (int y = 0; y < 32; ++y)
        if (hc.mask.Pixel(hc.hotX, y) == kWhite) {
            hc.hotY = y;
            break;
        }
    return hc;
}

std::vector<Image> DrawButtonPictures(const SkinPalette& pal) {
    // Each picture is the program skin's own background at the button's place with
    // the button drawn over it in the given look.
    Image base = DrawBase(pal, true);
    std::vector<Image> out;
    for (int state = 1; state <= 3; ++state)
        for (int id = 1; id <= 10; ++id) {
            Rect r = LayoutRect(id);
            Image pic = Crop(base, r);
            DrawButtonFace(pic, {0, 0, r.w, r.h}, id, state, pal);
            out.push_back(std::move(pic));
        }
    return out;
}

std::vector<Image> DrawScrollBarPictures(const SkinPalette& pal, int height) {
    std::vector<Image> out;
    out.push_back(BarBackground(height, pal));
    auto arrow = [&](bool up, PartLook look) {
        Image img(12, 16);
        DrawArrow(img, 0, up, look, pal);
        return img;
    };
    auto thumb = [&](bool lit) {
        Image img(12, 12);
        DrawThumb(img, 0, lit, pal);
        return img;
    };
    out.push_back(arrow(true, PartLook::Pressed));
    out.push_back(arrow(true, PartLook::Lit));
    out.push_back(arrow(false, PartLook::Pressed));
    out.push_back(arrow(false, PartLook::Lit));
    out.push_back(thumb(false));
    out.push_back(thumb(true));
    return out;
}

}  // namespace art

namespace art {

Image DrawInstallerPicture() {
    // A disc above a hard disk with an arrow between them: what the wizard does, at
    // the size of a page header's corner, on the header band's white.
    Image img(30, 30);
    img.FillAll(kWhite);
    const Rgb navy{10, 36, 106}, steel{0x6E, 0x76, 0x88};
    // The drive: a rounded box with a light front and a green lamp.
    FillRoundRect(img, 2, 19, 26, 9, 2, steel);
    FillRoundRect(img, 3, 20, 24, 5, 1.5, {0xC8, 0xCC, 0xD6});
    FillRect(img, {22, 25, 3, 2}, {0x3C, 0xC0, 0x50});
    // The disc: a silver ring with a rainbow sheen and the hole.
    FillEllipse(img, 10, 8.5, 7.5, 7.5, {0xB8, 0xBE, 0xCC});
    FillEllipse(img, 10, 8.5, 6.2, 6.2, {0xE4, 0xE8, 0xF0});
    FillPolygon(img, std::vector<PointF>{{10, 8.5}, {16, 5}, {16.5, 9}}, {0x9E, 0xC8, 0xF0}, 0.8);
    FillPolygon(img, std::vector<PointF>{{10, 8.5}, {5, 12.5}, {7.5, 14.5}}, {0xF0, 0xD8, 0x90}, 0.8);
    StrokeEllipse(img, 10, 8.5, 7.5, 7.5, 1, steel);
    FillEllipse(img, 10, 8.5, 1.8, 1.8, kWhite);
    StrokeEllipse(img, 10, 8.5, 2.2, 2.2, 0.8, steel);
    // The arrow from the disc down into the drive.
    FillRect(img, {21, 3, 4, 9}, navy);
    FillPolygon(img, std::vector<PointF>{{18, 11}, {28, 11}, {23, 17}}, navy);
    return img;
}

}  // namespace art

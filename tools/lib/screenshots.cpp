#include "tools/lib/screenshots.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "tools/lib/paint.h"

namespace art {

using platform::Image;
using platform::Rect;
using platform::Rgb;

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kInk{0x22, 0x26, 0x30};
constexpr Rgb kFace{0xEE, 0xEF, 0xF2};   // window background
constexpr Rgb kShade{0xB8, 0xBC, 0xC6};  // separators

struct SceneName {
    Scene scene;
    const char* name;
};
constexpr SceneName kScenes[] = {
    {Scene::Editor, "editor"},   {Scene::Spreadsheet, "spreadsheet"}, {Scene::Paint, "paint"},
    {Scene::Browser, "browser"}, {Scene::Player, "player"},           {Scene::Files, "files"},
    {Scene::Monitor, "monitor"}, {Scene::Platformer, "platformer"},   {Scene::Puzzle, "puzzle"},
    {Scene::Shooter, "shooter"},
};

// A small deterministic generator: the same sources always give the same disc.
class Rng {
public:
    explicit Rng(uint32_t seed) : s_(seed ? seed : 0x9E3779B9u) {}
    uint32_t Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); }
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }

private:
    uint32_t s_;
};

const Rgb kAccents[] = {{0x2F, 0x6D, 0xC4}, {0x2E, 0x8B, 0x57}, {0xB0, 0x3A, 0x48}, {0x6A, 0x4C, 0xB0},
                        {0xD0, 0x7A, 0x1E}, {0x1F, 0x8F, 0x9C}, {0x44, 0x55, 0x6E}};

struct Ctx {
    Image& img;
    int W, H;
    double u;
    Rng rng;
    Rgb accent;
    std::string title;

    int S(double v) const { return static_cast<int>(std::lround(v * u)); }
    const TextFace& Text(double px) const { return Face("DejaVuSans.ttf", std::max(6, S(px))); }
    const TextFace& Bold(double px) const { return Face("DejaVuSans-Bold.ttf", std::max(6, S(px))); }
};

const char* const kParagraphs[] = {
    "Program pozwala szybko przygotować dokument, uporządkować notatki i wydrukować je w kilku kopiach. "
    "Wszystkie zmiany są zapisywane automatycznie, a historia wersji pozwala wrócić do każdego wcześniejszego stanu.",
    "W nowej wersji poprawiono sprawdzanie pisowni, dodano eksport do formatu PDF oraz obsługę szablonów. "
    "Okno ustawień zostało przebudowane, dzięki czemu najważniejsze opcje są zawsze pod ręką.",
    "Zespół redakcyjny przetestował aplikację na kilku komputerach z różnymi wersjami systemu. "
    "Działała stabilnie i szybko nawet przy dużych plikach, zajmując niewiele pamięci.",
    "Przed instalacją warto zamknąć inne programy. Po pierwszym uruchomieniu kreator zapyta o język "
    "i folder na dokumenty, a potem pokaże krótki przewodnik po najważniejszych funkcjach.",
};

// Word-wraps text into the rectangle's width; returns the y after the last line.
int Paragraph(Image& img, const TextFace& f, Rect r, const std::string& text, Rgb c, double leading = 1.35) {
    int y = r.y, lh = static_cast<int>(f.LineHeight() * leading);
    std::string line;
    size_t i = 0;
    while (i <= text.size()) {
        size_t j = text.find(' ', i);
        if (j == std::string::npos) j = text.size();
        std::string word = text.substr(i, j - i);
        std::string tryLine = line.empty() ? word : line + " " + word;
        if (!line.empty() && f.Measure(tryLine) > r.w) {
            if (y + lh > r.y + r.h) return y;
            f.Draw(img, r.x, y, line, c);
            y += lh;
            line = word;
        } else {
            line = tryLine;
        }
        i = j + 1;
    }
    if (!line.empty() && y + lh <= r.y + r.h) {
        f.Draw(img, r.x, y, line, c);
        y += lh;
    }
    return y;
}

// A small toolbar glyph; kind picks one of a handful of familiar shapes.
void ToolGlyph(Image& img, double x, double y, double s, int kind, Rgb c) {
    switch (kind % 8) {
        case 0:  // new page
            FillRect(img, {int(x + s * .22), int(y + s * .12), int(s * .5), int(s * .76)}, kWhite);
            FrameRect(img, {int(x + s * .22), int(y + s * .12), int(s * .5), int(s * .76)}, Darken(c, .3));
            break;
        case 1:  // folder
            FillRoundRect(img, x + s * .12, y + s * .28, s * .76, s * .56, s * .06, {0xE8, 0xB9, 0x3C});
            FillRect(img, {int(x + s * .12), int(y + s * .22), int(s * .3), int(s * .1)}, {0xC9, 0x96, 0x22});
            break;
        case 2:  // disk
            FillRoundRect(img, x + s * .16, y + s * .16, s * .68, s * .68, s * .08, c);
            FillRect(img, {int(x + s * .3), int(y + s * .16), int(s * .4), int(s * .24)}, kWhite);
            break;
        case 3:  // printer
            FillRect(img, {int(x + s * .3), int(y + s * .14), int(s * .4), int(s * .3)}, kWhite);
            FillRoundRect(img, x + s * .12, y + s * .38, s * .76, s * .34, s * .06, Darken(kShade, .35));
            break;
        case 4:  // undo arrow
            StrokeEllipse(img, x + s * .5, y + s * .55, s * .28, s * .24, s * .1, c);
            FillPolygon(img, std::vector<PointF>{{x + s * .12, y + s * .5}, {x + s * .34, y + s * .32}, {x + s * .36, y + s * .6}}, c);
            break;
        case 5:  // magnifier
            StrokeEllipse(img, x + s * .42, y + s * .42, s * .24, s * .24, s * .09, c);
            StrokeLine(img, {x + s * .6, y + s * .6}, {x + s * .84, y + s * .84}, s * .12, c);
            break;
        case 6:  // bold letter
            Face("DejaVuSans-Bold.ttf", std::max(6, int(s * .62))).DrawCentred(img, {int(x), int(y), int(s), int(s)}, "B", c);
            break;
        default:  // scissors-like cross
            StrokeLine(img, {x + s * .25, y + s * .2}, {x + s * .75, y + s * .8}, s * .09, c);
            StrokeLine(img, {x + s * .75, y + s * .2}, {x + s * .25, y + s * .8}, s * .09, c);
            FillEllipse(img, x + s * .28, y + s * .78, s * .1, s * .1, c);
            FillEllipse(img, x + s * .72, y + s * .78, s * .1, s * .1, c);
            break;
    }
}

// Title bar, menu, optional toolbar and status bar of a program window; returns
// what is left for the window's own content.
Rect Window(Ctx& c, Rect r, const std::vector<const char*>& menu, int toolButtons, const char* status, bool dark = false) {
    Image& img = c.img;
    Rgb face = dark ? Rgb{0x2A, 0x2D, 0x35} : kFace;
    Rgb ink = dark ? Rgb{0xD8, 0xDC, 0xE4} : kInk;
    FillRect(img, r, face);
    int th = c.S(26);
    GradientV(img, {r.x, r.y, r.w, th}, Lighten(c.accent, .18), Darken(c.accent, .15));
    FillRect(img, {r.x, r.y + th - 1, r.w, 1}, Darken(c.accent, .45));
    // the program's own little icon
    FillRoundRect(img, r.x + c.S(6), r.y + c.S(5), c.S(16), c.S(16), c.S(3), Lighten(c.accent, .55));
    FillEllipse(img, r.x + c.S(14), r.y + c.S(13), c.S(4.5), c.S(4.5), c.accent);
    c.Bold(12).Draw(img, r.x + c.S(28), r.y + (th - c.Bold(12).LineHeight()) / 2, c.title, kWhite);
    for (int i = 0; i < 3; ++i) {
        double bx = r.x + r.w - c.S(26) * (3 - i) - c.S(4), by = r.y + c.S(4), bs = c.S(22) - 2, bh = c.S(18);
        Rgb fill = i == 2 ? Rgb{0xC8, 0x44, 0x3C} : Lighten(c.accent, .25);
        FillRoundRect(img, bx, by, bs, bh, c.S(3), fill);
        double cx = bx + bs / 2, cy = by + bh / 2, g = c.S(4);
        if (i == 0) FillRect(img, {int(cx - g), int(cy + g - 2), int(2 * g), std::max(2, c.S(2))}, kWhite);
        if (i == 1) StrokeRoundRect(img, cx - g, cy - g, 2 * g, 2 * g, 0, std::max(1.0, c.u * 1.4), kWhite);
        if (i == 2) {
            StrokeLine(img, {cx - g, cy - g}, {cx + g, cy + g}, std::max(1.2, c.u * 1.6), kWhite);
            StrokeLine(img, {cx - g, cy + g}, {cx + g, cy - g}, std::max(1.2, c.u * 1.6), kWhite);
        }
    }
    int y = r.y + th;
    if (!menu.empty()) {
        int mh = c.S(21);
        FillRect(img, {r.x, y, r.w, mh}, Lighten(face, dark ? .04 : .4));
        int x = r.x + c.S(8);
        for (const char* m : menu) x = c.Text(11).Draw(img, x, y + (mh - c.Text(11).LineHeight()) / 2, m, ink) + c.S(16);
        y += mh;
        FillRect(img, {r.x, y - 1, r.w, 1}, dark ? Rgb{0x3A, 0x3E, 0x48} : kShade);
    }
    if (toolButtons > 0) {
        int tb = c.S(32);
        GradientV(img, {r.x, y, r.w, tb}, Lighten(face, dark ? .05 : .5), face);
        int x = r.x + c.S(6);
        for (int i = 0; i < toolButtons; ++i) {
            if (i == 4 || i == 8) {
                FillRect(img, {x + c.S(2), y + c.S(6), 1, tb - c.S(12)}, kShade);
                x += c.S(8);
            }
            ToolGlyph(img, x, y + c.S(4), c.S(24), i, i % 3 == 2 ? c.accent : Darken(c.accent, .2));
            x += c.S(28);
        }
        y += tb;
        FillRect(img, {r.x, y - 1, r.w, 1}, dark ? Rgb{0x3A, 0x3E, 0x48} : kShade);
    }
    int bottom = r.y + r.h;
    if (status) {
        int sh = c.S(21);
        bottom -= sh;
        FillRect(img, {r.x, bottom, r.w, sh}, Darken(face, .04));
        FillRect(img, {r.x, bottom, r.w, 1}, dark ? Rgb{0x3A, 0x3E, 0x48} : kShade);
        c.Text(10).Draw(img, r.x + c.S(8), bottom + (sh - c.Text(10).LineHeight()) / 2, status, dark ? ink : Darken(kShade, .5));
    }
    return {r.x, y, r.w, bottom - y};
}

void Desktop(Ctx& c) {
    GradientV(c.img, {0, 0, c.W, c.H}, {0x3A, 0x6E, 0xA8}, {0x18, 0x2C, 0x52});
    FillEllipse(c.img, c.W * .8, c.H * .25, c.W * .35, c.W * .35, kWhite, .06);
    int tb = c.S(30);
    GradientV(c.img, {0, c.H - tb, c.W, tb}, {0x2A, 0x30, 0x3E}, {0x16, 0x1A, 0x22});
    FillRoundRect(c.img, c.S(4), c.H - tb + c.S(3), c.S(70), tb - c.S(6), c.S(4), {0x3F, 0x9E, 0x4C});
    c.Bold(11).DrawCentred(c.img, {c.S(4), c.H - tb + c.S(3), c.S(70), tb - c.S(6)}, "Start", kWhite);
    FillRoundRect(c.img, c.S(84), c.H - tb + c.S(3), c.S(160), tb - c.S(6), c.S(3), {0x44, 0x4C, 0x60});
    c.Text(10).Draw(c.img, c.S(92), c.H - tb + c.S(9), c.title, kWhite);
    c.Text(10).Draw(c.img, c.W - c.S(44), c.H - tb + c.S(9), "14:27", kWhite);
}

// ---- scenes ----

void SceneEditor(Ctx& c) {
    Rect client = Window(c, {0, 0, c.W, c.H}, {"Plik", "Edycja", "Widok", "Wstaw", "Format", "Narzędzia", "Pomoc"}, 11,
                         "Strona 1 z 3   Słowa: 612   Język: polski");
    int rh = c.S(20);
    FillRect(c.img, {client.x, client.y, client.w, rh}, {0xF8, 0xF8, 0xF8});
    FillRect(c.img, {client.x, client.y + client.h - 1, client.w, 1}, kShade);
    FillRect(c.img, {client.x, client.y + rh, client.w, client.h - rh}, {0x9C, 0xA2, 0xAE});
    int pw = std::min(static_cast<int>(c.W * .66), c.S(620)), px = (c.W - pw) / 2;
    for (int x = 0; x < pw; x += c.S(10))
        FillRect(c.img, {px + x, client.y + rh - (x % c.S(50) == 0 ? c.S(8) : c.S(4)), 1, c.S(8)}, Darken(kShade, .4));
    int top = client.y + rh + c.S(14);
    FillRect(c.img, {px + c.S(4), top + c.S(4), pw, client.h}, kBlack, .25);
    FillRect(c.img, {px, top, pw, client.y + client.h - top}, kWhite);
    int m = c.S(56), y = top + c.S(48);
    c.Bold(20).Draw(c.img, px + m, y, "Sprawozdanie kwartalne", c.accent);
    y += c.Bold(20).LineHeight() + c.S(6);
    c.Text(12).Draw(c.img, px + m, y, "Dział sprzedaży, październik – grudzień 2007", Darken(kShade, .45));
    y += c.S(30);
    Rect text{px + m, y, pw - 2 * m, client.y + client.h - y - c.S(8)};
    const int first = c.rng.Int(0, 3);
    for (int i = 0; i < 4 && text.h > 0; ++i) {
        int ny = Paragraph(c.img, c.Text(12), text, kParagraphs[(first + i) % 4], kInk);
        text.h -= ny - text.y + c.S(10);
        text.y = ny + c.S(10);
        if (i == 1 && text.h > c.S(120)) {
            // A chart pasted into the document.
            Rect box{text.x, text.y, text.w / 2, c.S(110)};
            FrameRect(c.img, box, kShade);
            for (int b = 0; b < 6; ++b) {
                int bh = c.S(20 + c.rng.Int(10, 70));
                FillRect(c.img, {box.x + c.S(14) + b * (box.w - c.S(20)) / 6, box.y + box.h - c.S(8) - bh, (box.w - c.S(20)) / 6 - c.S(6), bh},
                         b % 2 ? c.accent : Lighten(c.accent, .45));
            }
            c.Text(10).Draw(c.img, box.x + box.w + c.S(12), box.y + c.S(10), "Rys. 1. Sprzedaż w kolejnych", Darken(kShade, .45));
            c.Text(10).Draw(c.img, box.x + box.w + c.S(12), box.y + c.S(24), "miesiącach (tys. zł)", Darken(kShade, .45));
            text.y += box.h + c.S(14);
            text.h -= box.h + c.S(14);
        }
    }
}

void SceneSpreadsheet(Ctx& c) {
    Rect client = Window(c, {0, 0, c.W, c.H}, {"Plik", "Edycja", "Widok", "Wstaw", "Dane", "Okno", "Pomoc"}, 10, "Gotowy      Suma = 48 215");
    int fh = c.S(24);
    FillRect(c.img, {client.x, client.y, client.w, fh}, kWhite);
    FrameRect(c.img, {client.x + c.S(4), client.y + c.S(3), c.S(50), fh - c.S(6)}, kShade);
    c.Text(11).Draw(c.img, client.x + c.S(10), client.y + c.S(5), "B14", kInk);
    c.Bold(11).Draw(c.img, client.x + c.S(64), client.y + c.S(5), "fx", c.accent);
    c.Text(11).Draw(c.img, client.x + c.S(86), client.y + c.S(5), "=SUMA(B2:B13)", kInk);
    int gy = client.y + fh, rowH = c.S(19), headW = c.S(34), colW = c.S(78);
    int tabs = c.S(22);
    int gridBottom = client.y + client.h - tabs;
    FillRect(c.img, {client.x, gy, client.w, gridBottom - gy}, kWhite);
    FillRect(c.img, {client.x, gy, client.w, rowH}, {0xE4, 0xE6, 0xEA});
    FillRect(c.img, {client.x, gy, headW, gridBottom - gy}, {0xE4, 0xE6, 0xEA});
    static const char* const kMonths[] = {"Styczeń", "Luty",     "Marzec",   "Kwiecień", "Maj",      "Czerwiec",
                                          "Lipiec",  "Sierpień", "Wrzesień", "Październik", "Listopad", "Grudzień"};
    static const char* const kHeads[] = {"Miesiąc", "Sprzedaż", "Koszty", "Zysk", "Udział %"};
    for (int col = 0; headW + col * colW < client.w; ++col) {
        int x = client.x + headW + col * colW;
        FillRect(c.img, {x, gy, 1, gridBottom - gy}, {0xD4, 0xD7, 0xDD});
        std::string letter(1, static_cast<char>('A' + col));
        c.Text(10).DrawCentred(c.img, {x, gy, colW, rowH}, letter, kInk);
    }
    int row = 0;
    for (int y = gy + rowH; y < gridBottom; y += rowH, ++row) {
        FillRect(c.img, {client.x, y, client.w, 1}, {0xD4, 0xD7, 0xDD});
        c.Text(10).DrawCentred(c.img, {client.x, y, headW, rowH}, std::to_string(row + 1), kInk);
        int tx = client.x + headW + c.S(4), ty = y + (rowH - c.Text(10).LineHeight()) / 2;
        if (row == 0) {
            for (int k = 0; k < 5; ++k) c.Bold(10).Draw(c.img, tx + k * colW, ty, kHeads[k], kInk);
        } else if (row <= 12) {
            c.Text(10).Draw(c.img, tx, ty, kMonths[row - 1], kInk);
            int sale = 2800 + c.rng.Int(0, 2400), cost = 1500 + c.rng.Int(0, 1200);
            for (int k = 1; k < 5; ++k) {
                int v = k == 1 ? sale : k == 2 ? cost : k == 3 ? sale - cost : (sale - cost) * 100 / sale;
                std::string s = std::to_string(v);
                c.Text(10).Draw(c.img, tx + k * colW + colW - c.S(10) - c.Text(10).Measure(s), ty, s, kInk);
            }
        } else if (row == 13) {
            FillRect(c.img, {client.x + headW + 1, y + 1, 4 * colW, rowH - 1}, Lighten(c.accent, .8));
            c.Bold(10).Draw(c.img, tx, ty, "Razem", kInk);
            c.Bold(10).Draw(c.img, tx + colW + c.S(14), ty, "48 215", kInk);
            FrameRect(c.img, {client.x + headW + colW, y, colW + 1, rowH + 1}, c.accent);
            FrameRect(c.img, {client.x + headW + colW + 1, y + 1, colW - 1, rowH - 1}, c.accent);
        }
    }
    // The chart floats over the right part of the sheet.
    Rect ch{client.x + headW + 5 * colW + c.S(20), gy + rowH * 2, 0, 0};
    ch.w = client.x + client.w - ch.x - c.S(24);
    ch.h = std::min(gridBottom - ch.y - c.S(20), c.S(300));
    if (ch.w > c.S(160)) {
        FillRect(c.img, {ch.x + c.S(3), ch.y + c.S(3), ch.w, ch.h}, kBlack, .2);
        FillRect(c.img, ch, kWhite);
        FrameRect(c.img, ch, Darken(kShade, .3));
        c.Bold(12).Draw(c.img, ch.x + c.S(14), ch.y + c.S(10), "Sprzedaż i koszty 2007", kInk);
        Rect plot{ch.x + c.S(40), ch.y + c.S(40), ch.w - c.S(60), ch.h - c.S(70)};
        for (int i = 0; i <= 4; ++i) FillRect(c.img, {plot.x, plot.y + plot.h * i / 4, plot.w, 1}, {0xE0, 0xE2, 0xE6});
        double bw = plot.w / 12.0;
        std::vector<PointF> line;
        for (int m = 0; m < 12; ++m) {
            int h1 = static_cast<int>(plot.h * (0.45 + 0.45 * c.rng.Unit()));
            FillRect(c.img, {int(plot.x + m * bw + bw * .15), plot.y + plot.h - h1, int(bw * .7), h1}, c.accent);
            line.push_back({plot.x + m * bw + bw / 2, plot.y + plot.h * (0.35 + 0.3 * c.rng.Unit())});
        }
        for (size_t i = 0; i + 1 < line.size(); ++i) StrokeLine(c.img, line[i], line[i + 1], c.S(2.2), {0xE0, 0x80, 0x20});
        for (const auto& p : line) FillEllipse(c.img, p.x, p.y, c.S(3), c.S(3), {0xE0, 0x80, 0x20});
        FillRect(c.img, {plot.x, plot.y + plot.h, plot.w, 1}, kInk);
    }
    int ty = gridBottom;
    FillRect(c.img, {client.x, ty, client.w, tabs}, kFace);
    int x = client.x + c.S(40);
    for (int t = 0; t < 3; ++t) {
        std::string name = "Arkusz" + std::to_string(t + 1);
        int w = c.Text(10).Measure(name) + c.S(20);
        FillRect(c.img, {x, ty, w, tabs - c.S(3)}, t == 0 ? kWhite : Darken(kFace, .05));
        FrameRect(c.img, {x, ty - 1, w, tabs - c.S(2)}, kShade);
        c.Text(10).DrawCentred(c.img, {x, ty, w, tabs - c.S(3)}, name, kInk);
        x += w + c.S(2);
    }
}

void Landscape(Ctx& c, Rect r, Rgb skyTop, Rgb skyBottom, bool sun) {
    Image& img = c.img;
    GradientV(img, {r.x, r.y, r.w, r.h * 2 / 3}, skyTop, skyBottom);
    if (sun) FillEllipse(img, r.x + r.w * .72, r.y + r.h * .32, r.h * .1, r.h * .1, {0xFF, 0xE8, 0x9A});
    for (int layer = 0; layer < 3; ++layer) {
        std::vector<PointF> hill{{double(r.x), double(r.y + r.h)}};
        double base = r.y + r.h * (0.45 + 0.12 * layer);
        for (int i = 0; i <= 12; ++i)
            hill.push_back({r.x + r.w * i / 12.0, base - r.h * 0.12 * c.rng.Unit() - (i % 3 == 1 ? r.h * 0.06 : 0)});
        hill.push_back({double(r.x + r.w), double(r.y + r.h)});
        Rgb col = Mix(Mix(skyBottom, {0x20, 0x3A, 0x4A}, 0.5 + 0.2 * layer), {0x1A, 0x50, 0x30}, layer * 0.3);
        FillPolygon(img, hill, col);
    }
}

void ScenePaint(Ctx& c) {
    Rect client = Window(c, {0, 0, c.W, c.H}, {"Plik", "Edycja", "Obraz", "Warstwy", "Filtry", "Okno", "Pomoc"}, 9,
                         "obraz1.png  1024 × 768  powiększenie 66%");
    int tw = c.S(56), pw = c.S(180);
    FillRect(c.img, {client.x, client.y, tw, client.h}, Darken(kFace, .03));
    for (int i = 0; i < 12; ++i) {
        int bx = client.x + c.S(4) + (i % 2) * c.S(25), by = client.y + c.S(6) + (i / 2) * c.S(25);
        if (i == 3) FillRoundRect(c.img, bx, by, c.S(23), c.S(23), c.S(3), Lighten(c.accent, .6));
        double s = c.S(23);
        switch (i % 6) {
            case 0: StrokeLine(c.img, {bx + s * .25, by + s * .75}, {bx + s * .75, by + s * .25}, c.S(2), kInk); break;
            case 1: FillEllipse(c.img, bx + s / 2, by + s / 2, s * .25, s * .25, c.accent); break;
            case 2: StrokeRoundRect(c.img, bx + s * .2, by + s * .25, s * .6, s * .5, 0, c.S(1.5), kInk); break;
            case 3: StrokeEllipse(c.img, bx + s / 2, by + s / 2, s * .3, s * .22, c.S(1.5), kInk); break;
            case 4: Face("DejaVuSerif-Bold.ttf", std::max(6, c.S(14))).DrawCentred(c.img, {bx, by, int(s), int(s)}, "T", kInk); break;
            default: FillRect(c.img, {int(bx + s * .25), int(by + s * .35), int(s * .5), int(s * .3)}, {0xE8, 0x8C, 0xA0}); break;
        }
    }
    FillRoundRect(c.img, client.x + c.S(8), client.y + c.S(170), c.S(22), c.S(22), 2, c.accent);
    FillRoundRect(c.img, client.x + c.S(20), client.y + c.S(182), c.S(22), c.S(22), 2, {0xF2, 0xD0, 0x40});
    Rect area{client.x + tw, client.y, client.w - tw - pw, client.h};
    FillRect(c.img, area, {0x6A, 0x6E, 0x78});
    Rect canvas{area.x + c.S(20), area.y + c.S(20), area.w - c.S(40), area.h - c.S(40)};
    FillRect(c.img, {canvas.x + c.S(4), canvas.y + c.S(4), canvas.w, canvas.h}, kBlack, .3);
    Landscape(c, canvas, {0x5E, 0x9E, 0xE0}, {0xF8, 0xC8, 0x8A}, true);
    // a little house and a few brush strokes
    double hx = canvas.x + canvas.w * .22, hy = canvas.y + canvas.h * .72, hs = canvas.h * .16;
    FillRect(c.img, {int(hx), int(hy - hs), int(hs * 1.3), int(hs)}, {0xF4, 0xEC, 0xDC});
    FillPolygon(c.img, std::vector<PointF>{{hx - hs * .15, hy - hs}, {hx + hs * .65, hy - hs * 1.7}, {hx + hs * 1.45, hy - hs}},
                {0xB8, 0x3A, 0x2E});
    FillRect(c.img, {int(hx + hs * .5), int(hy - hs * .55), int(hs * .3), int(hs * .55)}, {0x6A, 0x40, 0x24});
    for (int s = 0; s < 3; ++s) {
        PointF p{canvas.x + canvas.w * (0.5 + 0.1 * s), canvas.y + canvas.h * (0.8 + 0.05 * s)};
        Rgb col = s == 0 ? Rgb{0xE8, 0x3C, 0x6A} : s == 1 ? Rgb{0xF0, 0xC0, 0x30} : Rgb{0x30, 0xB0, 0xE0};
        for (int k = 0; k < 20; ++k) {
            PointF q{p.x + canvas.w * .015, p.y + std::sin(k * .6 + s) * canvas.h * .01};
            StrokeLine(c.img, p, q, c.S(5), col);
            FillEllipse(c.img, q.x, q.y, c.S(2.5), c.S(2.5), col);
            p = q;
        }
    }
    FrameRect(c.img, {int(canvas.x + canvas.w * .55), int(canvas.y + canvas.h * .12), int(canvas.w * .25), int(canvas.h * .25)}, kWhite);
    Rect panel{client.x + client.w - pw, client.y, pw, client.h};
    FillRect(c.img, panel, kFace);
    FillRect(c.img, {panel.x, panel.y, 1, panel.h}, kShade);
    c.Bold(11).Draw(c.img, panel.x + c.S(10), panel.y + c.S(8), "Warstwy", kInk);
    const char* layers[] = {"Dom", "Pociągnięcia pędzla", "Wzgórza", "Tło"};
    for (int i = 0; i < 4; ++i) {
        int ly = panel.y + c.S(30) + i * c.S(34);
        if (i == 1) FillRect(c.img, {panel.x + c.S(4), ly, pw - c.S(8), c.S(32)}, Lighten(c.accent, .65));
        GradientV(c.img, {panel.x + c.S(10), ly + c.S(4), c.S(32), c.S(24)}, {0x5E, 0x9E, 0xE0}, {0x3A, 0x70, 0x40});
        c.Text(10).Draw(c.img, panel.x + c.S(50), ly + c.S(9), layers[i], kInk);
    }
    int sy = panel.y + c.S(180);
    c.Bold(11).Draw(c.img, panel.x + c.S(10), sy, "Próbki", kInk);
    for (int i = 0; i < 24; ++i) {
        double hue = i / 24.0;
        Rgb col{uint8_t(127 + 127 * std::sin(6.28 * hue)), uint8_t(127 + 127 * std::sin(6.28 * hue + 2.1)),
                uint8_t(127 + 127 * std::sin(6.28 * hue + 4.2))};
        FillRect(c.img, {panel.x + c.S(10) + (i % 6) * c.S(26), sy + c.S(22) + (i / 6) * c.S(26), c.S(22), c.S(22)}, col);
    }
}

void SceneBrowser(Ctx& c) {
    Rect client = Window(c, {0, 0, c.W, c.H}, {"Plik", "Edycja", "Widok", "Historia", "Zakładki", "Narzędzia", "Pomoc"}, 0,
                         "Zakończono");
    int bar = c.S(34);
    GradientV(c.img, {client.x, client.y, client.w, bar}, Lighten(kFace, .5), kFace);
    for (int i = 0; i < 3; ++i)
        FillEllipse(c.img, client.x + c.S(18) + i * c.S(30), client.y + bar / 2.0, c.S(11), c.S(11), i == 0 ? c.accent : Lighten(c.accent, .4));
    Rect addr{client.x + c.S(110), client.y + c.S(6), client.w - c.S(180), bar - c.S(12)};
    FillRoundRect(c.img, addr.x, addr.y, addr.w, addr.h, c.S(4), kWhite);
    StrokeRoundRect(c.img, addr.x, addr.y, addr.w, addr.h, c.S(4), 1, kShade);
    c.Text(11).Draw(c.img, addr.x + c.S(10), addr.y + (addr.h - c.Text(11).LineHeight()) / 2, "http://www.wiadomosci.example.pl/technologie/", kInk);
    Rect page{client.x, client.y + bar, client.w, client.h - bar};
    FillRect(c.img, page, kWhite);
    int hh = c.S(70);
    GradientH(c.img, {page.x, page.y, page.w, hh}, c.accent, Darken(c.accent, .35));
    c.Bold(26).Draw(c.img, page.x + c.S(30), page.y + c.S(14), "Portal Wiadomości", kWhite);
    c.Text(11).Draw(c.img, page.x + page.w - c.S(220), page.y + c.S(26), "czwartek, 6 grudnia 2007", Lighten(c.accent, .7));
    int ny = page.y + hh;
    FillRect(c.img, {page.x, ny, page.w, c.S(28)}, {0xF0, 0xF2, 0xF6});
    int x = page.x + c.S(30);
    for (const char* item : {"Kraj", "Świat", "Technologie", "Nauka", "Sport", "Kultura", "Pogoda"})
        x = c.Bold(11).Draw(c.img, x, ny + c.S(7), item, std::string(item) == "Technologie" ? c.accent : kInk) + c.S(24);
    int y = ny + c.S(46), side = std::max(c.S(200), page.w / 4);
    Rect main{page.x + c.S(30), y, page.w - side - c.S(90), page.y + page.h - y};
    c.Bold(20).Draw(c.img, main.x, y, "Nowe procesory trafiły do sklepów", kInk);
    y += c.S(36);
    Rect photo{main.x, y, main.w / 2 - c.S(10), c.S(150)};
    Landscape(c, photo, {0x30, 0x50, 0x90}, {0xC0, 0x80, 0xC0}, false);
    Paragraph(c.img, c.Text(12), {photo.x + photo.w + c.S(20), y, main.w - photo.w - c.S(20), photo.h}, kParagraphs[2], kInk);
    y += photo.h + c.S(20);
    for (int i = 0; y < main.y + main.h - c.S(30); ++i) {
        c.Bold(14).Draw(c.img, main.x, y, i % 2 ? "Tanieje szybki Internet" : "Pięć sposobów na porządek w plikach", c.accent);
        y = Paragraph(c.img, c.Text(12), {main.x, y + c.S(24), main.w, main.y + main.h - y - c.S(24)}, kParagraphs[(i + 1) % 4], kInk) +
            c.S(16);
    }
    Rect sb{page.x + page.w - side - c.S(30), ny + c.S(46), side, 0};
    for (int box = 0; box < 3; ++box) {
        int bh = c.S(150);
        if (sb.y + bh > page.y + page.h) break;
        FillRect(c.img, {sb.x, sb.y, sb.w, bh}, {0xF4, 0xF6, 0xFA});
        FillRect(c.img, {sb.x, sb.y, sb.w, c.S(26)}, box == 1 ? Rgb{0xE0, 0x80, 0x20} : c.accent);
        c.Bold(11).Draw(c.img, sb.x + c.S(10), sb.y + c.S(6), box == 0 ? "Najczęściej czytane" : box == 1 ? "Pogoda" : "Polecamy", kWhite);
        for (int l = 0; l < 5; ++l) {
            FillRect(c.img, {sb.x + c.S(10), sb.y + c.S(40) + l * c.S(21), c.S(4), c.S(4)}, c.accent);
            FillRect(c.img, {sb.x + c.S(20), sb.y + c.S(38) + l * c.S(21), sb.w - c.S(40 + 20 * (l % 3)), c.S(7)}, {0xC8, 0xCC, 0xD4});
        }
        sb.y += bh + c.S(16);
    }
}

void ScenePlayer(Ctx& c) {
    Rect client = Window(c, {0, 0, c.W, c.H}, {"Plik", "Odtwarzanie", "Widok", "Pomoc"}, 0, nullptr, true);
    int pl = std::max(c.S(200), client.w / 4), ctrl = c.S(70);
    Rect video{client.x, client.y, client.w - pl, client.h - ctrl};
    FillRect(c.img, video, kBlack);
    Rect frame{video.x, video.y + video.h / 10, video.w, video.h * 8 / 10};
    Landscape(c, frame, {0x3A, 0x22, 0x6A}, {0xF0, 0x8A, 0x4A}, true);
    for (int i = 0; i < 10; ++i)
        FillRect(c.img, {frame.x + frame.w / 5 + c.rng.Int(0, frame.w / 2), frame.y + frame.h * 9 / 10 + i * c.S(3), c.S(40 + c.rng.Int(0, 60)), 1},
                 {0xFF, 0xD0, 0x90}, .5);
    Rect bar{client.x, client.y + client.h - ctrl, client.w - pl, ctrl};
    GradientV(c.img, bar, {0x34, 0x37, 0x40}, {0x20, 0x22, 0x28});
    int sx = bar.x + c.S(70), sw = bar.w - c.S(150), syy = bar.y + c.S(14);
    FillRoundRect(c.img, sx, syy, sw, c.S(6), c.S(3), {0x50, 0x54, 0x60});
    FillRoundRect(c.img, sx, syy, sw * 0.36, c.S(6), c.S(3), Lighten(c.accent, .3));
    FillEllipse(c.img, sx + sw * 0.36, syy + c.S(3), c.S(6), c.S(6), kWhite);
    c.Text(10).Draw(c.img, bar.x + c.S(12), syy - c.S(4), "01:24", {0xD0, 0xD4, 0xDC});
    c.Text(10).Draw(c.img, sx + sw + c.S(12), syy - c.S(4), "03:57", {0xD0, 0xD4, 0xDC});
    double cy = bar.y + c.S(46), cx = bar.x + bar.w / 2.0;
    FillEllipse(c.img, cx, cy, c.S(16), c.S(16), Lighten(c.accent, .2));
    FillRect(c.img, {int(cx - c.S(6)), int(cy - c.S(7)), c.S(4), c.S(14)}, kWhite);
    FillRect(c.img, {int(cx + c.S(2)), int(cy - c.S(7)), c.S(4), c.S(14)}, kWhite);
    for (int side = -1; side <= 1; side += 2) {
        double bx = cx + side * c.S(42);
        FillEllipse(c.img, bx, cy, c.S(12), c.S(12), {0x48, 0x4C, 0x58});
        FillPolygon(c.img, std::vector<PointF>{{bx - side * c.S(5), cy - c.S(6)}, {bx + side * c.S(5), cy}, {bx - side * c.S(5), cy + c.S(6)}}, kWhite);
    }
    for (int i = 0; i < 8; ++i)
        FillRect(c.img, {bar.x + bar.w - c.S(100) + i * c.S(10), int(cy + c.S(8) - c.S(2 + 2 * i)), c.S(6), c.S(2 + 2 * i)},
                 i < 5 ? Lighten(c.accent, .3) : Rgb{0x50, 0x54, 0x60});
    Rect list{client.x + client.w - pl, client.y, pl, client.h};
    FillRect(c.img, list, {0x24, 0x26, 0x2E});
    FillRect(c.img, {list.x, list.y, 1, list.h}, {0x3A, 0x3E, 0x48});
    c.Bold(11).Draw(c.img, list.x + c.S(10), list.y + c.S(8), "Lista odtwarzania", {0xD8, 0xDC, 0xE4});
    const char* songs[] = {"Poranek nad jeziorem", "Miejskie światła", "Droga na północ", "Deszczowy wieczór",
                           "Taniec cieni",         "Ostatni pociąg",   "Zimowy sen",      "Powroty"};
    for (int i = 0; list.y + c.S(34) + (i + 1) * c.S(24) < list.y + list.h; ++i) {
        int ry = list.y + c.S(34) + i * c.S(24);
        if (i == 2) FillRect(c.img, {list.x + 1, ry, list.w - 1, c.S(24)}, Darken(c.accent, .2));
        std::string t = std::to_string(i + 1) + ". " + songs[i % 8];
        c.Text(10).DrawFitted(c.img, list.x + c.S(10), ry + c.S(5), list.w - c.S(64), t, i == 2 ? kWhite : Rgb{0xB8, 0xBE, 0xCA});
        std::string d = "0" + std::to_string(2 + (i * 7) % 5) + ":" + std::to_string(10 + (i * 13) % 49);
        c.Text(10).Draw(c.img, list.x + list.w - c.S(44), ry + c.S(5), d, {0x90, 0x96, 0xA4});
    }
}

void FileIcon(Image& img, double x, double y, double s, int kind) {
    if (kind == 0) {
        FillRoundRect(img, x, y + s * .2, s, s * .7, s * .08, {0xE8, 0xB9, 0x3C});
        FillRect(img, {int(x), int(y + s * .12), int(s * .45), int(s * .15)}, {0xC9, 0x96, 0x22});
        return;
    }
    static const Rgb kTypes[] = {{0x2F, 0x6D, 0xC4}, {0x2E, 0x8B, 0x57}, {0xC0, 0x3A, 0x30}, {0x8A, 0x5A, 0xC0}};
    FillRect(img, {int(x + s * .15), int(y), int(s * .7), int(s)}, kWhite);
    FrameRect(img, {int(x + s * .15), int(y), int(s * .7), int(s)}, {0x80, 0x86, 0x94});
    FillRect(img, {int(x + s * .15), int(y + s * .6), int(s * .7), int(s * .3)}, kTypes[kind % 4]);
}

void SceneFiles(Ctx& c) {
    Rect client = Window(c, {0, 0, c.W, c.H}, {"Plik", "Polecenia", "Narzędzia", "Ulubione", "Opcje", "Pomoc"}, 0,
                         "Zaznaczono 1 plik, 2 418 432 bajtów");
    int tb = c.S(62);
    GradientV(c.img, {client.x, client.y, client.w, tb}, Lighten(kFace, .6), kFace);
    const char* actions[] = {"Dodaj", "Wypakuj", "Testuj", "Kopiuj", "Usuń", "Info"};
    for (int i = 0; i < 6; ++i) {
        double bx = client.x + c.S(12) + i * c.S(66), by = client.y + c.S(6);
        Rgb col = i == 0 ? Rgb{0x2E, 0x9B, 0x4E} : i == 1 ? c.accent : i == 4 ? Rgb{0xC8, 0x3A, 0x30} : Darken(c.accent, .1);
        FillRoundRect(c.img, bx + c.S(14), by, c.S(30), c.S(30), c.S(6), col);
        FillRect(c.img, {int(bx + c.S(24)), int(by + c.S(8)), c.S(10), c.S(14)}, kWhite, .85);
        c.Text(10).DrawCentred(c.img, {int(bx), int(by + c.S(32)), c.S(58), c.S(16)}, actions[i], kInk);
    }
    int py = client.y + tb;
    FillRect(c.img, {client.x, py, client.w, c.S(26)}, kFace);
    FillRoundRect(c.img, client.x + c.S(8), py + c.S(3), client.w - c.S(16), c.S(20), c.S(3), kWhite);
    c.Text(11).Draw(c.img, client.x + c.S(16), py + c.S(5), "C:\\Dokumenty\\Projekty\\strona-www.zip\\", kInk);
    int ly = py + c.S(28), rh = c.S(22);
    const int cols[] = {0, 46, 62, 80};  // per cent of the width
    const char* heads[] = {"Nazwa", "Rozmiar", "Typ", "Zmodyfikowany"};
    FillRect(c.img, {client.x, ly, client.w, rh}, {0xE6, 0xE8, 0xEC});
    for (int k = 0; k < 4; ++k) {
        int x = client.x + client.w * cols[k] / 100;
        if (k) FillRect(c.img, {x, ly + c.S(3), 1, rh - c.S(6)}, kShade);
        c.Text(10).Draw(c.img, x + c.S(8), ly + c.S(4), heads[k], kInk);
    }
    const char* names[] = {"grafika",        "style",         "skrypty",       "index.html",   "kontakt.html", "galeria.html",
                           "o-nas.html",     "logo.png",      "tlo.jpg",       "menu.js",      "formularz.php", "README.txt",
                           "mapa-strony.xml", "favicon.ico",  "zdjecie-01.jpg", "zdjecie-02.jpg", "zdjecie-03.jpg", "cennik.pdf"};
    int row = 0;
    for (int y = ly + rh; y + rh <= client.y + client.h; y += rh, ++row) {
        const char* n = names[row % 18];
        bool dir = row % 18 < 3, sel = row == 7;
        if (sel) FillRect(c.img, {client.x, y, client.w, rh}, Lighten(c.accent, .55));
        else if (row % 2) FillRect(c.img, {client.x, y, client.w, rh}, {0xF5, 0xF7, 0xFA});
        else FillRect(c.img, {client.x, y, client.w, rh}, kWhite);
        FileIcon(c.img, client.x + c.S(8), y + c.S(3), c.S(16), dir ? 0 : 1 + row % 4);
        int ty = y + (rh - c.Text(10).LineHeight()) / 2;
        c.Text(10).Draw(c.img, client.x + c.S(30), ty, n, kInk);
        std::string size = dir ? "" : std::to_string(2 + (row * 37) % 900) + " KB";
        c.Text(10).Draw(c.img, client.x + client.w * cols[1] / 100 + c.S(8), ty, size, kInk);
        c.Text(10).Draw(c.img, client.x + client.w * cols[2] / 100 + c.S(8), ty, dir ? "Folder" : "Plik", kInk);
        std::string date = "2007-1" + std::to_string(row % 2) + "-" + std::to_string(10 + row % 18) + " 1" + std::to_string(row % 10) + ":4" +
                           std::to_string(row % 7);
        c.Text(10).Draw(c.img, client.x + client.w * cols[3] / 100 + c.S(8), ty, date, kInk);
    }
}

void SceneMonitor(Ctx& c) {
    Desktop(c);
    Rect win{c.W / 12, c.H / 14, c.W * 10 / 12, c.H * 12 / 14 - c.S(30)};
    FillRect(c.img, {win.x + c.S(6), win.y + c.S(6), win.w, win.h}, kBlack, .35);
    Rect client = Window(c, win, {"Plik", "Widok", "Narzędzia", "Pomoc"}, 0, "Ostatni pomiar: 14:27:05");
    int tw = c.S(170);
    FillRect(c.img, {client.x, client.y, tw, client.h}, kWhite);
    FillRect(c.img, {client.x + tw, client.y, 1, client.h}, kShade);
    const char* tree[] = {"Komputer", "Procesor", "Pamięć", "Dyski", "Karta graficzna", "Sieć", "Dźwięk", "Temperatury", "Zasilanie"};
    for (int i = 0; i < 9; ++i) {
        int y = client.y + c.S(10) + i * c.S(22), x = client.x + c.S(i ? 26 : 10);
        if (i == 1) FillRect(c.img, {client.x + 1, y - c.S(2), tw - 2, c.S(20)}, Lighten(c.accent, .6));
        FillRoundRect(c.img, x, y, c.S(14), c.S(14), c.S(2), i ? kAccents[i % 7] : Darken(kShade, .3));
        c.Text(11).Draw(c.img, x + c.S(20), y, tree[i], kInk);
    }
    Rect main{client.x + tw + c.S(16), client.y + c.S(14), client.w - tw - c.S(32), client.h - c.S(28)};
    c.Bold(14).Draw(c.img, main.x, main.y, "Procesor – obciążenie i temperatura", kInk);
    int gy = main.y + c.S(34), gr = std::min(c.S(48), main.w / 8);
    const char* gnames[] = {"Rdzeń 1", "Rdzeń 2", "Temperatura"};
    const int vals[] = {37 + c.rng.Int(0, 20), 12 + c.rng.Int(0, 30), 48};
    for (int g = 0; g < 3; ++g) {
        double cx = main.x + gr + c.S(10) + g * (2 * gr + c.S(40)), cy = gy + gr;
        StrokeEllipse(c.img, cx, cy, gr, gr, c.S(9), {0xE2, 0xE5, 0xEA});
        std::vector<PointF> arc;
        double a0 = -std::numbers::pi / 2, a1 = a0 + 2 * std::numbers::pi * vals[g] / 100.0;
        for (int k = 0; k <= 40; ++k) {
            double a = a0 + (a1 - a0) * k / 40;
            arc.push_back({cx + gr * std::cos(a), cy + gr * std::sin(a)});
        }
        for (int k = 40; k >= 0; --k) {
            double a = a0 + (a1 - a0) * k / 40;
            arc.push_back({cx + (gr - c.S(9)) * std::cos(a), cy + (gr - c.S(9)) * std::sin(a)});
        }
        FillPolygon(c.img, arc, g == 2 ? Rgb{0xE0, 0x80, 0x20} : c.accent);
        std::string v = std::to_string(vals[g]) + (g == 2 ? "°C" : "%");
        c.Bold(14).DrawCentred(c.img, {int(cx - gr), int(cy - gr), 2 * gr, 2 * gr}, v, kInk);
        c.Text(10).DrawCentred(c.img, {int(cx - gr), int(cy + gr + c.S(4)), 2 * gr, c.S(16)}, gnames[g], Darken(kShade, .45));
    }
    Rect graph{main.x, gy + 2 * gr + c.S(36), main.w, std::max(c.S(80), main.h / 3)};
    FillRect(c.img, graph, {0x14, 0x1E, 0x18});
    for (int x = 0; x < graph.w; x += c.S(20)) FillRect(c.img, {graph.x + x, graph.y, 1, graph.h}, {0x1E, 0x3A, 0x26});
    for (int y = 0; y < graph.h; y += c.S(20)) FillRect(c.img, {graph.x, graph.y + y, graph.w, 1}, {0x1E, 0x3A, 0x26});
    for (int s = 0; s < 2; ++s) {
        PointF prev{double(graph.x), graph.y + graph.h * .6};
        double v = 0.5;
        for (int x = c.S(6); x < graph.w; x += c.S(6)) {
            v = std::clamp(v + (c.rng.Unit() - .5) * .25, 0.08, 0.92);
            PointF p{double(graph.x + x), graph.y + graph.h * (1 - v * (s ? .6 : 1))};
            StrokeLine(c.img, prev, p, c.S(1.6), s ? Rgb{0xF0, 0xC0, 0x40} : Rgb{0x50, 0xF0, 0x70});
            prev = p;
        }
    }
    int dy = graph.y + graph.h + c.S(20);
    const char* disks[] = {"C:  34,2 GB wolne z 80 GB", "D:  112 GB wolne ze 160 GB", "E:  płyta DVD"};
    for (int d = 0; d < 3 && dy + c.S(40) < main.y + main.h; ++d, dy += c.S(40)) {
        c.Text(11).Draw(c.img, main.x, dy, disks[d], kInk);
        FillRect(c.img, {main.x, dy + c.S(18), main.w / 2, c.S(12)}, {0xE2, 0xE5, 0xEA});
        FillRect(c.img, {main.x, dy + c.S(18), main.w / 2 * (d == 0 ? 57 : d == 1 ? 30 : 100) / 100, c.S(12)}, d == 2 ? kShade : c.accent);
    }
}

void HudText(Ctx& c, int x, int y, const std::string& s, Rgb col, double px = 16) {
    const TextFace& f = c.Bold(px);
    f.Draw(c.img, x + c.S(2), y + c.S(2), s, kBlack, .6);
    f.Draw(c.img, x, y, s, col);
}

void ScenePlatformer(Ctx& c) {
    Image& img = c.img;
    double hue = c.rng.Unit();
    Rgb top = Mix({0x4A, 0x9E, 0xF0}, {0x7A, 0x5A, 0xD0}, hue), bottom = {0xC8, 0xEC, 0xFF};
    GradientV(img, {0, 0, c.W, c.H}, top, bottom);
    FillEllipse(img, c.W * .82, c.H * .16, c.S(40), c.S(40), {0xFF, 0xF0, 0x90});
    for (int i = 0; i < 5; ++i) {
        double x = c.rng.Unit() * c.W, y = c.H * (.1 + .25 * c.rng.Unit());
        for (int k = 0; k < 4; ++k) FillEllipse(img, x + k * c.S(22), y - (k % 2) * c.S(10), c.S(26), c.S(18), kWhite, .9);
    }
    for (int layer = 0; layer < 2; ++layer) {
        std::vector<PointF> hill{{0, double(c.H)}};
        for (int i = 0; i <= 16; ++i)
            hill.push_back({c.W * i / 16.0, c.H * (.55 + .1 * layer) - c.H * .12 * std::fabs(std::sin(i * .9 + layer + hue * 5))});
        hill.push_back({double(c.W), double(c.H)});
        FillPolygon(img, hill, layer ? Rgb{0x4C, 0xA8, 0x50} : Rgb{0x8C, 0xC8, 0x9A});
    }
    int tile = c.S(40), ground = c.H - tile * 2;
    for (int x = 0; x < c.W; x += tile) {
        if (x / tile % 9 == 5) continue;  // a gap to jump over
        FillRect(img, {x, ground, tile, c.H - ground}, {0xA0, 0x62, 0x30});
        FillRect(img, {x, ground, tile, c.S(10)}, {0x5C, 0xC0, 0x3C});
        FrameRect(img, {x, ground + c.S(10), tile, tile}, {0x7A, 0x44, 0x1E});
        FrameRect(img, {x, ground + c.S(10) + tile, tile, tile}, {0x7A, 0x44, 0x1E});
    }
    for (int p = 0; p < 3; ++p) {
        int px = c.W * (2 + 3 * p) / 11, py = ground - tile * (2 + p % 2 * 2);
        for (int k = 0; k < 3; ++k) {
            FillRect(img, {px + k * tile, py, tile, tile / 2}, {0xD8, 0x8A, 0x3A});
            FrameRect(img, {px + k * tile, py, tile, tile / 2}, {0x8A, 0x4E, 0x1C});
        }
        for (int k = 0; k < 3; ++k) {
            FillEllipse(img, px + k * tile + tile / 2.0, py - tile * .6, c.S(9), c.S(11), {0xFF, 0xD0, 0x20});
            FillEllipse(img, px + k * tile + tile / 2.0 - c.S(2), py - tile * .6 - c.S(3), c.S(3), c.S(4), kWhite, .7);
        }
    }
    // The hero.
    double hx = c.W * .3, hy = ground;
    FillRoundRect(img, hx - c.S(12), hy - c.S(44), c.S(24), c.S(30), c.S(6), {0xE0, 0x3A, 0x30});
    FillEllipse(img, hx, hy - c.S(54), c.S(13), c.S(13), {0xF8, 0xD0, 0xA8});
    FillRect(img, {int(hx - c.S(14)), int(hy - c.S(66)), c.S(28), c.S(7)}, {0x2A, 0x50, 0xC0});
    FillEllipse(img, hx + c.S(5), hy - c.S(55), c.S(2.5), c.S(3), kBlack);
    FillRect(img, {int(hx - c.S(11)), int(hy - c.S(14)), c.S(9), c.S(14)}, {0x2A, 0x50, 0xC0});
    FillRect(img, {int(hx + c.S(2)), int(hy - c.S(14)), c.S(9), c.S(14)}, {0x2A, 0x50, 0xC0});
    // An enemy.
    double ex = c.W * .62;
    FillEllipse(img, ex, ground - c.S(16), c.S(20), c.S(16), {0x8A, 0x4A, 0xC0});
    FillEllipse(img, ex - c.S(7), ground - c.S(20), c.S(4), c.S(5), kWhite);
    FillEllipse(img, ex + c.S(7), ground - c.S(20), c.S(4), c.S(5), kWhite);
    FillEllipse(img, ex - c.S(6), ground - c.S(19), c.S(2), c.S(2.5), kBlack);
    FillEllipse(img, ex + c.S(8), ground - c.S(19), c.S(2), c.S(2.5), kBlack);
    HudText(c, c.S(20), c.S(14), "WYNIK  012450", kWhite);
    HudText(c, c.W / 2 - c.S(60), c.S(14), "ŚWIAT 1-4", kWhite);
    HudText(c, c.W - c.S(140), c.S(14), "CZAS  287", kWhite);
    FillEllipse(c.img, c.S(30), c.S(52), c.S(8), c.S(10), {0xFF, 0xD0, 0x20});
    HudText(c, c.S(46), c.S(42), "× 27", kWhite, 14);
}

void ScenePuzzle(Ctx& c) {
    Image& img = c.img;
    GradientV(img, {0, 0, c.W, c.H}, {0x2A, 0x14, 0x50}, {0x0E, 0x24, 0x4A});
    for (int i = 0; i < 9; ++i)
        FillEllipse(img, c.rng.Unit() * c.W, c.rng.Unit() * c.H, c.S(30 + c.rng.Int(0, 80)), c.S(30 + c.rng.Int(0, 80)), kWhite, .04);
    int n = 8, cell = std::min((c.H - c.S(80)) / n, (c.W * 6 / 10) / n);
    int pw = std::min(c.S(200), c.W / 4);
    Rect board{(c.W - n * cell - pw - c.S(40)) / 2, (c.H - n * cell) / 2, n * cell, n * cell};
    FillRoundRect(img, board.x - c.S(10), board.y - c.S(10), board.w + c.S(20), board.h + c.S(20), c.S(12), kBlack, .35);
    static const Rgb kGems[] = {{0xE8, 0x30, 0x40}, {0x30, 0xB0, 0xF0}, {0x40, 0xD0, 0x60}, {0xF0, 0xC0, 0x20}, {0xB0, 0x50, 0xE0}, {0xF0, 0x80, 0x20}};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double cx = board.x + x * cell + cell / 2.0, cy = board.y + y * cell + cell / 2.0, r = cell * .36;
            if ((x + y) % 2) FillRect(img, {board.x + x * cell, board.y + y * cell, cell, cell}, kWhite, .05);
            int k = c.rng.Int(0, 5);
            Rgb g = kGems[k];
            if (k % 3 == 0) FillEllipse(img, cx, cy, r, r, g);
            else if (k % 3 == 1)
                FillPolygon(img, std::vector<PointF>{{cx, cy - r}, {cx + r, cy}, {cx, cy + r}, {cx - r, cy}}, g);
            else FillRoundRect(img, cx - r * .85, cy - r * .85, r * 1.7, r * 1.7, r * .3, g);
            FillEllipse(img, cx - r * .3, cy - r * .35, r * .32, r * .2, kWhite, .55);
            if (x == 3 && y == 4) StrokeRoundRect(img, cx - cell / 2.0 + 2, cy - cell / 2.0 + 2, cell - 4, cell - 4, c.S(5), c.S(2.5), kWhite);
        }
    int px = board.x + board.w + c.S(40);
    {
        FillRoundRect(img, px, board.y, pw, c.S(190), c.S(10), kBlack, .35);
        HudText(c, px + c.S(16), board.y + c.S(14), "PUNKTY", {0xC8, 0xB8, 0xF0}, 12);
        HudText(c, px + c.S(16), board.y + c.S(34), "24 680", kWhite, 22);
        HudText(c, px + c.S(16), board.y + c.S(74), "RUCHY", {0xC8, 0xB8, 0xF0}, 12);
        HudText(c, px + c.S(16), board.y + c.S(94), "17", kWhite, 22);
        HudText(c, px + c.S(16), board.y + c.S(134), "POZIOM 12", {0xC8, 0xB8, 0xF0}, 12);
        FillRoundRect(img, px + c.S(16), board.y + c.S(156), pw - c.S(32), c.S(12), c.S(6), kBlack, .5);
        FillRoundRect(img, px + c.S(16), board.y + c.S(156), (pw - c.S(32)) * .64, c.S(12), c.S(6), {0x40, 0xD0, 0x60});
        for (int b = 0; b < 2; ++b) {
            int by = board.y + c.S(220) + b * c.S(46);
            FillRoundRect(img, px, by, pw, c.S(36), c.S(18), b ? Rgb{0x50, 0x40, 0x90} : Rgb{0xF0, 0x90, 0x20});
            c.Bold(13).DrawCentred(img, {px, by, pw, c.S(36)}, b ? "Menu" : "Podpowiedź", kWhite);
        }
    }
}

void SceneShooter(Ctx& c) {
    Image& img = c.img;
    GradientV(img, {0, 0, c.W, c.H}, {0x02, 0x04, 0x12}, {0x10, 0x0A, 0x2A});
    for (int i = 0; i < c.W * c.H / 2500; ++i) {
        double b = c.rng.Unit();
        FillEllipse(img, c.rng.Unit() * c.W, c.rng.Unit() * c.H, .6 + b * 1.2 * c.u, .6 + b * 1.2 * c.u, kWhite, .3 + .7 * b);
    }
    double pr = c.H * .22;
    FillEllipse(img, c.W * .78, c.H * .28, pr, pr, {0x3A, 0x6A, 0xB0});
    for (int k = 1; k < 8; ++k)
        FillEllipse(img, c.W * .78 - pr * .05 * k, c.H * .28 - pr * .05 * k, pr * (1 - .1 * k), pr * (1 - .1 * k), {0x8A, 0xC0, 0xF0}, .1);
    StrokeEllipse(img, c.W * .78, c.H * .28, pr * 1.7, pr * .35, c.S(4), {0xD0, 0xB8, 0x90}, .7);
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < 7; ++k) {
            double ex = c.W * (.2 + .1 * k) + (row % 2) * c.S(20), ey = c.H * (.12 + .09 * row);
            Rgb col = row == 0 ? Rgb{0xF0, 0x40, 0x60} : row == 1 ? Rgb{0xF0, 0xB0, 0x30} : Rgb{0x50, 0xE0, 0x90};
            FillPolygon(img, std::vector<PointF>{{ex - c.S(14), ey - c.S(6)}, {ex + c.S(14), ey - c.S(6)}, {ex + c.S(8), ey + c.S(8)}, {ex, ey + c.S(12)}, {ex - c.S(8), ey + c.S(8)}}, col);
            FillEllipse(img, ex, ey - c.S(1), c.S(4), c.S(3), kWhite, .8);
        }
    double sx = c.W * .45, sy = c.H * .82;
    FillPolygon(img, std::vector<PointF>{{sx, sy - c.S(30)}, {sx + c.S(22), sy + c.S(16)}, {sx, sy + c.S(8)}, {sx - c.S(22), sy + c.S(16)}}, {0xD8, 0xE0, 0xF0});
    FillPolygon(img, std::vector<PointF>{{sx, sy - c.S(12)}, {sx + c.S(6), sy + c.S(4)}, {sx - c.S(6), sy + c.S(4)}}, {0x40, 0x90, 0xE0});
    FillEllipse(img, sx, sy + c.S(18), c.S(6), c.S(10), {0xFF, 0x90, 0x20}, .8);
    for (int s = 0; s < 4; ++s) StrokeLine(img, {sx, sy - c.S(40) - s * c.S(60)}, {sx, sy - c.S(62) - s * c.S(60)}, c.S(3), {0x80, 0xF0, 0xFF});
    double bx = c.W * .4, by = c.H * .21;
    for (int k = 5; k >= 1; --k) FillEllipse(img, bx, by, c.S(6 * k), c.S(6 * k), k % 2 ? Rgb{0xFF, 0xC0, 0x30} : Rgb{0xFF, 0x60, 0x20}, .35);
    HudText(c, c.S(20), c.S(14), "WYNIK 00384200", {0x80, 0xF0, 0xFF});
    HudText(c, c.W - c.S(150), c.S(14), "FALA 7", {0xFF, 0xC0, 0x30});
    FillRect(img, {c.S(20), c.H - c.S(30), c.S(160), c.S(12)}, kWhite, .2);
    FillRect(img, {c.S(20), c.H - c.S(30), c.S(110), c.S(12)}, {0x50, 0xE0, 0x90});
    HudText(c, c.S(190), c.H - c.S(36), "OSŁONA", kWhite, 12);
}

void Draw(const ScreenshotRecipe& recipe, Image& img) {
    Ctx c{img, img.Width(), img.Height(), std::clamp(img.Height() / 620.0, 0.8, 1.4), Rng(recipe.seed * 2654435761u + 7),
          kAccents[recipe.seed % 7], recipe.title};
    switch (recipe.scene) {
        case Scene::Editor: SceneEditor(c); break;
        case Scene::Spreadsheet: SceneSpreadsheet(c); break;
        case Scene::Paint: ScenePaint(c); break;
        case Scene::Browser: SceneBrowser(c); break;
        case Scene::Player: ScenePlayer(c); break;
        case Scene::Files: SceneFiles(c); break;
        case Scene::Monitor: SceneMonitor(c); break;
        case Scene::Platformer: ScenePlatformer(c); break;
        case Scene::Puzzle: ScenePuzzle(c); break;
        case Scene::Shooter: SceneShooter(c); break;
    }
}

}  // namespace

bool SceneFromName(std::string_view name, Scene& scene) {
    for (const auto& s : kScenes)
        if (name == s.name) {
            scene = s.scene;
            return true;
        }
    return false;
}

std::vector<std::string> SceneNames() {
    std::vector<std::string> out;
    for (const auto& s : kScenes) out.push_back(s.name);
    return out;
}

Image DrawScreenshot(const ScreenshotRecipe& recipe, int w, int h) {
    if (w <= 0 || h <= 0) return Image();
    // Thumbnails are made the way a person makes them: a real-sized capture,
    // reduced. A picture no smaller than 640 on its long side is drawn directly.
    int k = std::max(w, h) >= 640 ? 1 : (640 + std::max(w, h) - 1) / std::max(w, h);
    Image big(w * k, h * k);
    Draw(recipe, big);
    return k == 1 ? std::move(big) : Downscale(big, w, h);
}

Image DrawGenericPreview(int w, int h) {
    int k = std::max(w, h) >= 640 ? 1 : (640 + std::max(w, h) - 1) / std::max(w, h);
    Image img(w * k, h * k);
    const int W = img.Width(), H = img.Height();
    const double u = H / 600.0;
    GradientV(img, {0, 0, W, H}, {0x16, 0x1C, 0x34}, {0x0A, 0x0C, 0x18});
    for (int i = 0; i < 12; ++i) StrokeLine(img, {-100.0 + i * W / 10.0, double(H)}, {W * .3 + i * W / 10.0, 0}, 18 * u, kWhite, .025);
    double cx = W * .34, cy = H * .5, R = H * .34;
    FillEllipse(img, cx + 6 * u, cy + 8 * u, R, R, kBlack, .4);
    FillEllipse(img, cx, cy, R, R, {0xD4, 0xDA, 0xE6});
    static const Rgb kRainbow[] = {{0xFF, 0x5C, 0x8A}, {0xFF, 0xB1, 0x3B}, {0xF7, 0xF0, 0x52}, {0x5E, 0xE0, 0x8B},
                                   {0x4C, 0xC3, 0xFF}, {0x8A, 0x7C, 0xFF}, {0xE0, 0x6C, 0xFF}};
    for (int i = 0; i < 7; ++i) StrokeEllipse(img, cx, cy, R * (.95 - .08 * i), R * (.95 - .08 * i), R * .07, kRainbow[i], .3);
    FillEllipse(img, cx, cy, R * .28, R * .28, {0x9A, 0xA2, 0xB4});
    FillEllipse(img, cx, cy, R * .12, R * .12, {0x12, 0x16, 0x2A});
    FillEllipse(img, cx - R * .35, cy - R * .45, R * .35, R * .14, kWhite, .25);
    int tx = static_cast<int>(W * .62);
    Face("DejaVuSans-Bold.ttf", std::max(8, int(78 * u))).Draw(img, tx, int(H * .26), "VEMI", {0xE8, 0xEC, 0xF6});
    Face("DejaVuSans-Bold.ttf", std::max(6, int(26 * u))).Draw(img, tx + int(4 * u), int(H * .44), "12/2007", {0xFF, 0xD5, 0x1E});
    Face("DejaVuSans.ttf", std::max(6, int(17 * u))).Draw(img, tx + int(4 * u), int(H * .54), "płyta CD/DVD", {0xB8, 0xC0, 0xD4});
    Face("DejaVuSans.ttf", std::max(6, int(13 * u))).Draw(img, tx + int(4 * u), int(H * .66), "ten program nie ma", {0x86, 0x8C, 0xA0});
    Face("DejaVuSans.ttf", std::max(6, int(13 * u))).Draw(img, tx + int(4 * u), int(H * .66 + 19 * u), "własnych ilustracji", {0x86, 0x8C, 0xA0});
    return k == 1 ? std::move(img) : Downscale(img, w, h);
}

}  // namespace art

// The drawn artwork against what the menu does with it, and the catalogue source
// reader against the faults a disc editor makes.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <tuple>

#include "platform/text.h"
#include "tools/lib/artwork.h"
#include "tools/lib/discbuilder.h"
#include "tools/lib/discsource.h"
#include "tools/lib/fontcompiler.h"
#include "tools/lib/ndtwriter.h"
#include "tools/lib/paint.h"
#include "tools/lib/screenshots.h"

namespace {

using platform::Image;
using platform::Rect;
using platform::Rgb;

double Brightness(const Image& img) {
    double sum = 0;
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            Rgb p = img.Pixel(x, y);
            sum += p.r + p.g + p.b;
        }
    return sum / (3.0 * img.Width() * img.Height());
}

// The first pixel of r (in image coordinates) that differs from c, as text; empty when none.
std::string FirstOther(const Image& img, Rect r, Rgb c) {
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            if (img.Pixel(x, y) != c) return std::to_string(x) + "," + std::to_string(y);
    return "";
}

bool SameAt(const Image& big, Rect r, const Image& small) {
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x)
            if (big.Pixel(r.x + x, r.y + y) != small.Pixel(x, y)) return false;
    return true;
}

class Artwork : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        pal_ = art::PaletteFromFonts(tool::MenuFontRoles());
        cover_ = new Image(art::DrawCoverSkin(pal_));
        program_ = new Image(art::DrawProgramSkin(pal_));
    }
    static void TearDownTestSuite() {
        delete cover_;
        delete program_;
    }
    static art::SkinPalette pal_;
    static Image* cover_;
    static Image* program_;
};
art::SkinPalette Artwork::pal_;
Image* Artwork::cover_ = nullptr;
Image* Artwork::program_ = nullptr;

TEST_F(Artwork, SkinsShareEverythingButTheRightHandColumn) {
    ASSERT_EQ(cover_->Width(), 1024);
    ASSERT_EQ(cover_->Height(), 768);
    ASSERT_EQ(program_->Width(), 1024);
    ASSERT_EQ(program_->Height(), 768);
    // The menu swaps only the column (748, 133, 273, 538) when the entry kind changes,
    // so everything outside it must be the same in both skins.
    const Rect col = art::kRightPanel;
    int differentInside = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) {
            bool inside = x >= col.x && x < col.x + col.w && y >= col.y && y < col.y + col.h;
            bool same = cover_->Pixel(x, y) == program_->Pixel(x, y);
            if (!inside) ASSERT_TRUE(same) << "skins differ at " << x << "," << y;
            else differentInside += !same;
        }
    EXPECT_GT(differentInside, col.w * col.h / 2);
}

TEST_F(Artwork, TextAreasAreTheColoursTheFontsWereSmoothedAgainst) {
    const std::vector<tool::FontRecipe> roles = tool::MenuFontRoles();
    for (const Image* skin : {cover_, program_}) {
        // Title centred on x 270..745 at y 113, in font 1; count and hints in font 2.
        EXPECT_EQ(FirstOther(*skin, {270, 113, 476, roles[0].pixelSize + 3}, roles[0].background), "");
        EXPECT_EQ(FirstOther(*skin, art::kStatusStrip, roles[1].background), "");
        // The list draws its rows over the cover skin's list rectangle.
        EXPECT_EQ(FirstOther(*skin, art::kListArea, roles[7].background), "");
        // Banner areas are plain panels.
        EXPECT_EQ(FirstOther(*skin, art::kTopBanners, pal_.panel), "");
        EXPECT_EQ(FirstOther(*skin, art::kLeftBanners, pal_.panel), "");
    }
    // The program skin's description lines (16 of 15 pixels) and link strip.
    EXPECT_EQ(FirstOther(*program_, {758, 402, 237, 240}, roles[3].background), "");
    EXPECT_EQ(FirstOther(*program_, art::kLinkStrip, roles[2].background), "");
}

TEST_F(Artwork, ButtonPicturesMatchTheSkinsAndShowTheirStates) {
    std::vector<Image> pics = art::DrawButtonPictures(pal_);
    ASSERT_EQ(pics.size(), 30u);
    for (int id = 1; id <= 10; ++id) {
        Rect r = art::LayoutRect(id);
        const Image& inactive = pics[id - 1];
        const Image& normal = pics[10 + id - 1];
        const Image& lit = pics[20 + id - 1];
        for (const Image* p : {&inactive, &normal, &lit}) {
            EXPECT_EQ(p->Width(), r.w) << "button " << id;
            EXPECT_EQ(p->Height(), r.h) << "button " << id;
        }
        // The normal look is the skin's own: drawing it changes nothing on screen.
        EXPECT_TRUE(SameAt(*program_, r, normal)) << "button " << id;
        if (id >= 6) {
            EXPECT_TRUE(SameAt(*cover_, r, normal)) << "button " << id;
        }
        EXPECT_LT(Brightness(inactive), Brightness(normal) - 1) << "button " << id << " is not dimmed";
        EXPECT_GT(Brightness(lit), Brightness(normal) + 1) << "button " << id << " is not lit";
    }
}

TEST_F(Artwork, ScrollBarPicturesFitTheBarGeometry) {
    for (int height : {art::kListBarHeight, art::kTextBarHeight}) {
        std::vector<Image> p = art::DrawScrollBarPictures(pal_, height);
        ASSERT_EQ(p.size(), 7u);
        EXPECT_EQ(p[0].Width(), 12);
        EXPECT_EQ(p[0].Height(), height);
        for (int i : {1, 2, 3, 4}) {
            EXPECT_EQ(p[i].Width(), 12);
            EXPECT_EQ(p[i].Height(), 16);
        }
        for (int i : {5, 6}) {
            EXPECT_EQ(p[i].Width(), 12);
            EXPECT_EQ(p[i].Height(), 12);
        }
        // The lit pictures differ from the background they are drawn over, and the
        // thumb stands out from the track it moves on.
        EXPECT_FALSE(SameAt(p[0], {0, 0, 12, 16}, p[2]));
        EXPECT_FALSE(SameAt(p[0], {0, height - 16, 12, 16}, p[4]));
        EXPECT_GT(Brightness(p[6]), Brightness(p[5]));
        EXPECT_GT(Brightness(p[5]), Brightness(art::Crop(p[0], {0, height / 2, 12, 12})) + 10);
        // Both skins show the bar's background where the bar stands.
        int x = height == art::kListBarHeight ? art::kListBarX : art::kTextBarX;
        int y = height == art::kListBarHeight ? art::kListBarY : art::kTextBarY;
        EXPECT_TRUE(SameAt(*program_, {x, y, 12, height}, p[0]));
    }
}

TEST(ArtworkPieces, CursorNoticeAndScreenshots) {
    art::HandCursor hand = art::DrawHandCursor();
    ASSERT_EQ(hand.picture.Width(), 32);
    ASSERT_EQ(hand.mask.Height(), 32);
    const Rgb white{255, 255, 255}, black{0, 0, 0};
    EXPECT_EQ(hand.mask.Pixel(hand.hotX, hand.hotY), white);
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            Rgb m = hand.mask.Pixel(x, y);
            ASSERT_TRUE(m == white || m == black) << "the mask is two-level";
            if (m == black) {
                ASSERT_EQ(hand.picture.Pixel(x, y), black) << x << "," << y;
            }
            opaque += m == white;
            // Nothing of the hand lies above the hot spot: it is the fingertip.
            if (y < hand.hotY) {
                ASSERT_EQ(m, black);
            }
        }
    EXPECT_GT(opaque, 150);
    EXPECT_LT(opaque, 700);

    Image notice = art::DrawUpdateNotice(art::DefaultPalette());
    EXPECT_EQ(notice.Width(), 271);
    EXPECT_EQ(notice.Height(), 34);

    art::ScreenshotRecipe recipe;
    recipe.title = "Test";
    for (const std::string& name : art::SceneNames()) {
        ASSERT_TRUE(art::SceneFromName(name, recipe.scene)) << name;
        for (auto [w, h] : {std::pair{300, 100}, {200, 150}, name == "editor" ? std::pair{1600, 1200} : std::pair{640, 480}}) {
            Image img = art::DrawScreenshot(recipe, w, h);
            ASSERT_EQ(img.Width(), w) << name;
            ASSERT_EQ(img.Height(), h) << name;
            // A picture, not a plain fill: smoothed shapes and text give many colours.
            std::set<std::tuple<int, int, int>> colours;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    Rgb p = img.Pixel(x, y);
                    colours.insert({p.r, p.g, p.b});
                }
            EXPECT_GT(colours.size(), 100u) << name << " " << w << "x" << h;
        }
    }
    EXPECT_FALSE(art::SceneFromName("movie", recipe.scene));
}

TEST(PaintHelpers, PolygonCoverageIsExactOnPixelBoundariesAndSmoothBetween) {
    Image img(10, 10);
    // A square on pixel edges fills exactly its pixels.
    art::FillPolygon(img, std::vector<art::PointF>{{2, 2}, {5, 2}, {5, 5}, {2, 5}}, {200, 100, 50});
    EXPECT_EQ(img.Pixel(2, 2), (Rgb{200, 100, 50}));
    EXPECT_EQ(img.Pixel(4, 4), (Rgb{200, 100, 50}));
    EXPECT_EQ(img.Pixel(5, 4), (Rgb{0, 0, 0}));
    EXPECT_EQ(img.Pixel(1, 3), (Rgb{0, 0, 0}));
    // Half a pixel covered gives half the colour.
    Image half(4, 4);
    art::FillPolygon(half, std::vector<art::PointF>{{0, 0}, {1.5, 0}, {1.5, 4}, {0, 4}}, {200, 200, 200});
    EXPECT_NEAR(half.Pixel(1, 1).r, 100, 2);
    // A hole cut by a reversed contour stays empty.
    Image ring(20, 20);
    art::StrokeRoundRect(ring, 2, 2, 16, 16, 0, 3, {255, 255, 255});
    EXPECT_EQ(ring.Pixel(10, 10), (Rgb{0, 0, 0}));
    EXPECT_EQ(ring.Pixel(3, 10), (Rgb{255, 255, 255}));
    // Shapes partly or wholly outside the image are clipped, not a fault.
    art::FillEllipse(ring, -5, -5, 20, 20, {1, 2, 3});
    art::FillEllipse(ring, 500, 500, 10, 10, {1, 2, 3});
    EXPECT_EQ(ring.Pixel(0, 0), (Rgb{1, 2, 3}));
}

// ---- the catalogue source ----

std::string Src(const std::string& records) {
    return "line1: 7\ntitle: VEMI\ntitle: DVD\ntitle: 12/2007\ntitle: koniec\n" + records;
}

std::string ErrorOf(const std::string& text) {
    try {
        tool::ParseCatalogueSource(text);
    } catch (const tool::SourceError& e) {
        return e.what();
    }
    return "";
}

TEST(CatalogueSource, FieldsLevelsAndContinuations) {
    tool::CatalogueSource s = tool::ParseCatalogueSource(Src(
        "# comment\n"
        "+ group: Gry\n"
        "++ program: Żółw\n"
        "folder: Gry\\Zolw.zip\n"
        "pictures: a.jpg,,b.jpg,\n"
        "text: first part\n"
        "  second part\n"
        "web: http://x.example.com\n"
        "about1: Wersja: 2\n"
        "+++ group: deeper\n"
        "+ program: Top\n"
        "type: 12\n"));
    ASSERT_EQ(s.records.size(), 4u);
    const auto& p = s.records[1];
    EXPECT_EQ(p.level, 1);
    EXPECT_EQ(p.fields[0], "Żółw");
    EXPECT_EQ(p.fields[1], "Gry\\Zolw.zip");
    EXPECT_EQ(p.fields[4], "a.jpg,,b.jpg,");
    EXPECT_EQ(p.fields[9], "first part second part");
    EXPECT_EQ(p.fields[11], "http://x.example.com");
    EXPECT_EQ(p.fields[7], "Wersja: 2");
    EXPECT_EQ(p.fields[14], "11");
    EXPECT_EQ(s.records[0].fields[14], "1");
    EXPECT_EQ(s.records[2].level, 2);
    EXPECT_EQ(s.records[3].fields[14], "12");

    std::vector<std::string> lines = tool::MainCatalogueLines(s);
    ASSERT_EQ(lines.size(), 11u + 16 * 4);
    EXPECT_EQ(lines[1], "7");
    EXPECT_EQ(lines[5], "4");
    EXPECT_EQ(lines[9], "12/2007");
    const int rec1 = 11 + 16;
    EXPECT_EQ(lines[rec1 + 0], "\xAF\xF3\xB3w");  // Żółw in Windows-1250
    EXPECT_EQ(lines[rec1 + 13], "1");
    EXPECT_EQ(lines[rec1 + 14], "11");
    EXPECT_EQ(lines[rec1 + 12], "");
}

TEST(CatalogueSource, AlphabeticalListSortsUpperCasedBytesAndDropsGroups) {
    tool::CatalogueSource s = tool::ParseCatalogueSource(Src(
        "+ group: Wszystko\n"
        "++ program: żaba\n"
        "++ program: Zebra\n"
        "++ group: Podgrupa\n"
        "+++ program: ala\n"
        "+++ program: Ala\n"
        "++ program: Ćma\n"));
    std::vector<std::string> lines = tool::AlphabeticalCatalogueLines(s);
    ASSERT_EQ(lines.size(), 11u + 16 * 5);
    EXPECT_EQ(lines[5], "5");
    std::vector<std::string> names;
    for (int r = 0; r < 5; ++r) {
        names.push_back(platform::Cp1250ToUtf8(lines[11 + 16 * r]));
        EXPECT_EQ(lines[11 + 16 * r + 13], "0");
    }
    // Upper-cased Windows-1250 bytes: A (0x41) < Z (0x5A) < Ż (0xAF) < Ć (0xC6);
    // equal keys keep their source order.
    EXPECT_EQ(names, (std::vector<std::string>{"ala", "Ala", "Zebra", "żaba", "Ćma"}));
}

TEST(CatalogueSource, FaultsNameTheirLine) {
    EXPECT_NE(ErrorOf(Src("+ group: A\n+++ program: B\n")).find("line 7"), std::string::npos);
    EXPECT_NE(ErrorOf(Src("+ program: A\ncolour: red\n")).find("line 7: unknown key \"colour\""), std::string::npos);
    EXPECT_NE(ErrorOf(Src("+ program: A\nrun: a\nrun: b\n")).find("line 8"), std::string::npos);
    EXPECT_NE(ErrorOf(Src("+ program: A\nweb: x\nbold: y\n")).find("line 8"), std::string::npos);
    EXPECT_NE(ErrorOf(Src("+ thing: A\n")).find("unknown kind"), std::string::npos);
    EXPECT_NE(ErrorOf(Src("+ program:\n")).find("without a name"), std::string::npos);
    EXPECT_NE(ErrorOf(Src("++++++++++ program: A\n")).find("0 to 7"), std::string::npos);
    EXPECT_NE(ErrorOf(Src("+ program: A\n\n   dangling\n")).find("continues nothing"), std::string::npos);
    EXPECT_NE(ErrorOf(Src("+ program: 日本\n")).find("Windows-1250"), std::string::npos);
    EXPECT_NE(ErrorOf(Src("+ program: A\ntext: ok\n  ø\n")).find("Windows-1250"), std::string::npos);
    EXPECT_NE(ErrorOf("title: a\ntitle: b\n+ program: A\n").find("four title lines"), std::string::npos);
    EXPECT_NE(ErrorOf(Src("title: fifth\n")).find("more than four"), std::string::npos);
    EXPECT_NE(ErrorOf(Src("+ program: A\nrun\n")).find("key: value"), std::string::npos);
    EXPECT_EQ(ErrorOf(Src("")), "");
}

TEST(CatalogueSource, WhatTheReaderAcceptsCanBeStored) {
    // Characters and lengths a catalogue line cannot hold are refused at their line,
    // not met later when the catalogue is written.
    const std::string longText(4096, 'x');
    const struct {
        std::string records, fault;
    } cases[] = {
        {"+ program: A\ntext: a" + std::string(1, '\0') + "b\n", "line 7"},
        {"+ program: A\ntext: a\rb\n", "line 7"},
        {"+ program: A" + std::string(1, '\0') + "\n", "line 6"},
        {"line0: V\rX\n", "line 1"},
        {"+ program: A\nrun: a\n\n+ program: B\ntext: " + longText + "\n", "line 9"},
        {"+ program: A\ntext: " + longText.substr(0, 2100) + "\n  " + longText.substr(0, 2100) + "\n", "line 6"},
        {"+ program: A\ntext: a\r\n  b \r\r\n", ""},
        {"+ program: A\ntext: " + longText.substr(0, 2000) + "\n", ""},
    };
    for (const auto& c : cases) {
        const std::string text = c.records.substr(0, 5) == "line0" ? c.records + Src("") : Src(c.records);
        const std::string error = ErrorOf(text);
        if (c.fault.empty()) {
            EXPECT_EQ(error, "") << c.records.substr(0, 40);
            const tool::CatalogueSource s = tool::ParseCatalogueSource(text);
            EXPECT_NO_THROW(tool::WriteCatalogue(tool::MainCatalogueLines(s)));
            EXPECT_NO_THROW(tool::WriteCatalogue(tool::AlphabeticalCatalogueLines(s)));
        } else {
            EXPECT_NE(error.find(c.fault + ":"), std::string::npos) << c.records.substr(0, 40) << " -> " << error;
        }
    }
}

TEST(PictureList, NamesAreFileNamesAndSizesAreChecked) {
    auto errorOf = [](const std::string& text) -> std::string {
        try {
            tool::ParsePictureList(text);
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "";
    };
    const struct {
        std::string line, fault;
    } cases[] = {
        {"a.jpg paint 16x16 4096x4096 Okno", ""},
        {"a.jpg paint 15x16 800x600 Okno", "WxH"},
        {"a.jpg paint 256x192 800x600x2 Okno", "WxH"},
        {"a.jpg movie 256x192 800x600 Okno", "movie"},
        {"a\\b.jpg paint 256x192 800x600 Okno", "plain file name"},
        {"..  paint 256x192 800x600 Okno", "plain file name"},
        {". paint 256x192 800x600 Okno", "plain file name"},
        {"a" + std::string(1, '\0') + "b.jpg paint 256x192 800x600 Okno", "plain file name"},
        {"a\x01.jpg paint 256x192 800x600 Okno", "plain file name"},
    };
    for (const auto& c : cases) {
        const std::string error = errorOf("# pictures\n" + c.line + "\n");
        if (c.fault.empty()) {
            EXPECT_EQ(error, "");
        } else {
            EXPECT_NE(error.find("screenshots.txt line 2:"), std::string::npos) << error;
            EXPECT_NE(error.find(c.fault), std::string::npos) << error;
        }
    }
    EXPECT_NE(errorOf("a.jpg paint 16x16 16x16 A\na.jpg paint 16x16 16x16 B\n").find("line 2"), std::string::npos);
}

TEST(PictureStreamImages, FortyFourInStreamOrder) {
    std::vector<Image> all = tool::PictureStreamImages();
    ASSERT_EQ(all.size(), 44u);
    EXPECT_EQ(all[30].Height(), 542);
    EXPECT_EQ(all[37].Height(), 244);
    EXPECT_EQ(all[9].Width(), 125);   // state 1 of the last tab
    EXPECT_EQ(all[29].Width(), 125);  // state 3 of the last tab
}

}  // namespace

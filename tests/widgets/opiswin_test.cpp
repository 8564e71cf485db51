#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "widgets/Cjxopiswinu.h"
#include "widgets/Cjxtextscrbaru.h"
#include "widget_test_fonts.h"

using platform::Image;
using platform::Rgb;
using Lines = std::vector<std::string>;

namespace {

constexpr int kLeft = 30, kTop = 40, kWidth = 240, kHeight = 250, kPerPage = 16;
constexpr int kNormal = 60, kBold = 90;  // font tags
const Rgb kPanelSkin{9, 8, 7};
const Rgb kCorner{1, 1, 1};
const Rgb kOther{50, 50, 50};

class OpisWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetSystem(&sys);
        surface = wtest::Solid(400, 400, kOther);
        surface.Fill({kLeft, kTop, kWidth, kHeight}, kPanelSkin);
        surface.SetPixel(kLeft + kWidth - 1, kTop + kHeight - 1, kCorner);
        // Normal glyphs advance 6 pixels, bold ones 15; '@' is wider than any line.
        wtest::MakeFont(win.fonts[0], kNormal, 5, 15, {{'@', 40}});
        wtest::MakeFont(win.fonts[1], kBold, 14, 15, {{'@', 40}});
    }
    void TearDown() override { platform::SetSystem(nullptr); }
    void Setup(int maxLineWidth) {
        win.Init(kLeft, kTop, kWidth, kHeight, kPerPage, &surface, maxLineWidth, &surface);
    }
    // n one-line paragraphs "P0", "P1", ...
    void Fill(int n) {
        std::vector<std::string> ps;
        for (int i = 0; i < n; ++i) ps.push_back("P" + std::to_string(i));
        ASSERT_EQ(win.AddParagraphs(ps), n);
    }
    Rgb Page(int x, int y) const { return win.Offscreen().Pixel(x, y); }

    platform::HeadlessSystem sys;
    Image surface;
    CJXOpisWin win;
};

TEST_F(OpisWinTest, BoldParagraphIsWrappedWithBoldWidthsAndDrawnWithoutItsMark) {
    Setup(237);
    // 16 bold characters measure 16 * 15 - 1 = 239 > 237: the break comes at the
    // 16th character, back at the space after "z".
    EXPECT_EQ(win.AddParagraphs({"#B#Zgodny z Windows Vista"}), 2);
    EXPECT_EQ(win.Lines(), (Lines{"#B#Zgodny z", "#B#Windows Vista\x08"}));
    // In the normal font the same words fit on one line.
    EXPECT_EQ(win.AddParagraphs({"Zgodny z Windows Vista"}), 3);
    EXPECT_EQ(win.Lines()[2], "Zgodny z Windows Vista\x08");
    EXPECT_EQ(win.LineHeight(), 15);

    win.Paint();
    EXPECT_EQ(Page(0, 0), wtest::GlyphColour(kBold, 'Z'));
    EXPECT_EQ(Page(15, 0), wtest::GlyphColour(kBold, 'g'));
    EXPECT_EQ(Page(0, 15), wtest::GlyphColour(kBold, 'W'));
    // The paragraph-end mark is drawn through the character map like any glyph.
    EXPECT_EQ(Page(13 * 15, 15), wtest::GlyphColour(kBold, 8));
    EXPECT_EQ(Page(0, 30), wtest::GlyphColour(kNormal, 'Z'));
    EXPECT_EQ(Page(22 * 6, 30), wtest::GlyphColour(kNormal, 8));
    // The page lands on the surface at the panel's place.
    EXPECT_EQ(surface.Pixel(kLeft, kTop), wtest::GlyphColour(kBold, 'Z'));
    EXPECT_EQ(surface.Pixel(kLeft + 13 * 15, kTop + 15), wtest::GlyphColour(kBold, 8));
}

TEST_F(OpisWinTest, MarkAnywhereButTheStartIsText) {
    Setup(237);
    win.AddParagraphs({"ab #B#cd"});
    EXPECT_EQ(win.Lines(), (Lines{"ab #B#cd\x08"}));
    win.Paint();
    EXPECT_EQ(Page(0, 0), wtest::GlyphColour(kNormal, 'a'));
    EXPECT_EQ(Page(18, 0), wtest::GlyphColour(kNormal, '#'));
    EXPECT_EQ(Page(24, 0), wtest::GlyphColour(kNormal, 'B'));
}

TEST_F(OpisWinTest, WrappingBreaksTrimsAndOverflows) {
    Setup(29);  // five normal characters measure 29
    // No space: cut between characters, the overflowing one starts the next line.
    win.AddParagraphs({"abcdefghijkl"});
    EXPECT_EQ(win.Lines(), (Lines{"abcde", "fghij", "kl\x08"}));

    // Two spaces at a break: neither line keeps one at its ends. A space in the
    // first position is no place to break, so " fghij" is cut before the "j".
    win.Clear();
    win.AddParagraphs({"abcde  fghijk"});
    EXPECT_EQ(win.Lines(), (Lines{"abcde", "fghi", "jk\x08"}));
    win.Clear();
    win.AddParagraphs({"abc  defgh"});
    EXPECT_EQ(win.Lines(), (Lines{"abc", "defgh\x08"}));

    // A glyph wider than a line: an empty line, then the glyph alone.
    win.Clear();
    win.AddParagraphs({"@b"});
    EXPECT_EQ(win.Lines(), (Lines{"", "@", "b\x08"}));
    win.Clear();
    win.AddParagraphs({"#B#@"});
    EXPECT_EQ(win.Lines(), (Lines{"#B#", "#B#@\x08"}));

    // Empty paragraphs store nothing, a spacer stores the mark alone, and control
    // characters count as blanks for trimming.
    win.Clear();
    EXPECT_EQ(win.AddParagraphs({"", " ", "\tab\x01"}), 2);
    EXPECT_EQ(win.Lines(), (Lines{"\x08", "ab\x08"}));
    EXPECT_EQ(win.AddParagraphs({"c"}), 3);  // the count runs on until Clear
}

TEST_F(OpisWinTest, PagingAgainstSixteenLines) {
    Setup(237);
    CJXTextScrBar bar;
    bar.Init(0, 0, 0, 10, nullptr);

    Fill(10);
    win.SetTop(5, false);
    EXPECT_EQ(win.TopLine(), 0);
    win.SetTop(-1, false);
    EXPECT_EQ(win.TopLine(), 0);
    win.ScrollDown(1);
    EXPECT_EQ(win.TopLine(), 0);
    bar.SetRange(win.LineCount() - kPerPage, 0, true);
    EXPECT_FALSE(bar.enabled);

    win.Clear();
    Fill(40);
    bar.SetRange(win.LineCount() - kPerPage, 0, true);
    EXPECT_TRUE(bar.enabled);
    EXPECT_EQ(bar.max, 24);
    win.SetTop(30, false);
    EXPECT_EQ(win.TopLine(), 24);
    win.SetTop(23, false);
    win.ScrollDown(1);
    EXPECT_EQ(win.TopLine(), 24);
    win.ScrollDown(1);
    EXPECT_EQ(win.TopLine(), 24);
    win.SetTop(0, false);
    win.ScrollUp(1);
    EXPECT_EQ(win.TopLine(), 0);
    win.SetTop(10, false);
    win.ScrollUp(2);
    EXPECT_EQ(win.TopLine(), 8);
    win.ScrollDown(3);
    EXPECT_EQ(win.TopLine(), 11);
    EXPECT_EQ(Page(6, 0), wtest::GlyphColour(kNormal, '1'));  // "P11" on top
    win.ScrollUp(20);
    EXPECT_EQ(win.TopLine(), 0);
    win.ScrollDown(100);
    EXPECT_EQ(win.TopLine(), 24);

    // Clear keeps the first line where it was.
    win.Clear();
    EXPECT_EQ(win.LineCount(), 0);
    EXPECT_EQ(win.TopLine(), 24);
}

TEST_F(OpisWinTest, PageShowsLinesOverTheSnapshotTakenAtInit) {
    Setup(237);
    // The snapshot is taken once; later drawing on the source does not reach it.
    surface.FillAll(kOther);
    Fill(16);
    win.Paint();
    EXPECT_EQ(win.LineHeight(), 15);
    EXPECT_EQ(Page(0, 0), wtest::GlyphColour(kNormal, 'P'));
    EXPECT_EQ(Page(0, 239), wtest::GlyphColour(kNormal, 'P'));  // last row of line 15
    for (int y = 240; y < kHeight; ++y) EXPECT_EQ(Page(0, y), kPanelSkin) << y;
    EXPECT_EQ(Page(5, 0), kPanelSkin);
    EXPECT_EQ(Page(kWidth - 1, kHeight - 1), kCorner);
    EXPECT_EQ(surface.Pixel(kLeft + kWidth - 1, kTop + kHeight - 1), kCorner);
    EXPECT_EQ(surface.Pixel(kLeft + kWidth, kTop), kOther);

    // Fewer lines than a page: the rest is background.
    win.Clear();
    Fill(3);
    win.Paint();
    EXPECT_EQ(Page(0, 30), wtest::GlyphColour(kNormal, 'P'));
    EXPECT_EQ(Page(0, 45), kPanelSkin);

    // Without a source the panel is black.
    CJXOpisWin dark;
    dark.Init(0, 0, 20, 20, 4, nullptr, 100, nullptr);
    EXPECT_EQ(dark.Background().Pixel(10, 10), (Rgb{0, 0, 0}));
    EXPECT_EQ(dark.LineHeight(), 5);
}

TEST_F(OpisWinTest, LinesPastTheTextShowEndOfFile) {
    Setup(237);
    Fill(40);
    win.SetTop(24, false);
    win.Clear();
    Fill(3);  // the owner forgot to move back to the top
    win.Paint();
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Page(0, row * 15), wtest::GlyphColour(kNormal, '/')) << row;
        EXPECT_EQ(Page(12, row * 15), wtest::GlyphColour(kNormal, 'E')) << row;
    }
    EXPECT_EQ(Page(0, 45), kPanelSkin);
    win.SetTop(0, true);
    EXPECT_EQ(Page(6, 0), wtest::GlyphColour(kNormal, '0'));
    EXPECT_EQ(Page(6, 30), wtest::GlyphColour(kNormal, '2'));
}

TEST_F(OpisWinTest, LoadFontsReadsNormalThenBold) {
    platform::MemoryStream s;
    CJXFontFile normal, bold;
    wtest::MakeFont(normal, 33, 4, 9);
    wtest::MakeFont(bold, 66, 6, 9);
    wtest::AppendFontRecord(s, normal);
    wtest::AppendFontRecord(s, bold);
    s.Seek(0);
    CJXOpisWin fresh;
    fresh.LoadFonts(s);
    EXPECT_TRUE(s.AtEnd());
    EXPECT_EQ(fresh.fonts[0].TextWidthKerned("ab"), 9);
    EXPECT_EQ(fresh.fonts[1].TextWidthKerned("ab"), 13);
    fresh.Init(0, 0, 50, 30, 2, nullptr, 50, nullptr);
    fresh.Free();
    EXPECT_TRUE(fresh.fonts[1].glyphImage.Empty());
    EXPECT_TRUE(fresh.Offscreen().Empty());
}

}  // namespace

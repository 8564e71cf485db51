#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <tuple>
#include <vector>

#include "platform/fltk/Fltkdialogparts.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace platform;
using namespace platform::fltk;

namespace {

// Paints the lines the way the desktop draws them, onto a grey picture.
Image Paint(const std::vector<EdgeLine>& lines, int w, int h) {
    Image img(w, h);
    img.FillAll({1, 2, 3});
    for (const EdgeLine& l : lines) {
        EXPECT_TRUE(l.x0 == l.x1 || l.y0 == l.y1) << "lines are horizontal or vertical";
        img.Fill({l.x0, l.y0, l.x1 - l.x0 + 1, l.y1 - l.y0 + 1}, l.color);
    }
    return img;
}

const Rgb kUntouched{1, 2, 3};

// A picture's pixels that must have the given colours.
struct Look {
    const char* what;
    std::vector<EdgeLine> lines;
    int w, h;
    std::vector<std::tuple<int, int, Rgb>> pixels;
};

void ExpectLooks(const std::vector<Look>& looks) {
    for (const Look& look : looks) {
        const Image img = Paint(look.lines, look.w, look.h);
        for (const auto& [x, y, color] : look.pixels) EXPECT_EQ(img.Pixel(x, y), color) << look.what << " at " << x << "," << y;
    }
}

}  // namespace

TEST(DialogLook, PanelBevelsAreOnePixelLightAndShadowEdges) {
    Rect raised, both, rule, none;
    ExpectLooks({
        // Raised: light along the top and left, shadow along the bottom and right;
        // the far corners belong to the shadow.
        {"raised", BevelLines({0, 0, 10, 6}, Bevel::Raised, Bevel::None, &raised), 10, 6,
         {{0, 0, kHighlight}, {5, 0, kHighlight}, {0, 3, kHighlight}, {9, 0, kShadow}, {0, 5, kShadow},
          {9, 5, kShadow}, {5, 5, kShadow}, {1, 1, kUntouched}}},
        // Lowered is the other way round.
        {"lowered", BevelLines({0, 0, 10, 6}, Bevel::Lowered, Bevel::None, nullptr), 10, 6,
         {{0, 0, kShadow}, {9, 5, kHighlight}, {4, 5, kHighlight}}},
        // The header band: a lowered outer and a raised inner bevel, one inside the other.
        {"header band", BevelLines({0, 0, 10, 6}, Bevel::Lowered, Bevel::Raised, &both), 10, 6,
         {{0, 0, kShadow}, {1, 1, kHighlight}, {8, 4, kShadow}, {9, 5, kHighlight}, {2, 2, kUntouched}}},
        // A panel two pixels high with a lowered outer bevel is an etched rule: a
        // grey line over a white one, with nothing left for the panel's colour.
        {"rule", BevelLines({0, 0, 20, 2}, Bevel::Lowered, Bevel::None, &rule), 20, 2,
         {{0, 0, kShadow}, {10, 0, kShadow}, {18, 0, kShadow}, {0, 1, kHighlight}, {10, 1, kHighlight}, {18, 1, kHighlight}}},
        // The lines follow the panel's place in the window.
        {"moved", BevelLines({3, 4, 5, 3}, Bevel::Raised, Bevel::None, nullptr), 10, 8,
         {{2, 4, kUntouched}, {3, 4, kHighlight}, {7, 6, kShadow}, {8, 7, kUntouched}}},
        // Degenerate sizes draw nothing outside themselves.
        {"dot", BevelLines({1, 1, 1, 1}, Bevel::Raised, Bevel::None, nullptr), 3, 3,
         {{1, 1, kShadow}, {0, 0, kUntouched}, {2, 2, kUntouched}}},
    });
    EXPECT_EQ(raised, (Rect{1, 1, 8, 4}));
    EXPECT_EQ(both, (Rect{2, 2, 6, 2}));
    EXPECT_TRUE(rule.Empty());
    // Without bevels nothing is drawn and the colour fills everything.
    EXPECT_TRUE(BevelLines({3, 4, 10, 6}, Bevel::None, Bevel::None, &none).empty());
    EXPECT_EQ(none, (Rect{3, 4, 10, 6}));
    EXPECT_TRUE(BevelLines({0, 0, 0, 5}, Bevel::Raised, Bevel::Raised, nullptr).empty());
}

TEST(DialogLook, ButtonsStandOutFieldsSinkInAndAPressedButtonFlattens) {
    Rect inside;
    ExpectLooks({
        {"button", EdgeLines({0, 0, 8, 8}, Edge::Raised, &inside), 8, 8,
         {{0, 0, kHighlight}, {7, 7, kDarkShadow}, {1, 1, kLightEdge}, {6, 6, kShadow}}},
        {"field", EdgeLines({0, 0, 8, 8}, Edge::Sunken, nullptr), 8, 8,
         {{0, 0, kShadow}, {7, 7, kHighlight}, {1, 1, kDarkShadow}, {6, 6, kLightEdge}, {3, 3, kUntouched}}},
        {"pressed", EdgeLines({0, 0, 8, 8}, Edge::Pressed, nullptr), 8, 8,
         {{0, 0, kDarkShadow}, {7, 7, kDarkShadow}, {1, 1, kShadow}, {6, 6, kShadow}}},
    });
    EXPECT_EQ(inside, (Rect{2, 2, 4, 4}));
}

TEST(DialogLook, AnEnlargedEdgeIsTheSmallOnePixelForPixelAndKeepsToTheEdgesOfAnOddSizedBox) {
    // Lines of an 8 x 8 button, drawn twice as large into a box at (5, 3).
    auto paint = [](const std::vector<EdgeLine>& lines, Rect box, int f) {
        Image img(box.x + box.w + 2, box.y + box.h + 2);
        img.FillAll(kUntouched);
        for (const EdgeLine& l : lines) img.Fill(ScaledPart({l.x0, l.y0, l.x1 - l.x0 + 1, l.y1 - l.y0 + 1}, box, f), l.color);
        return img;
    };
    Rect inside;
    const std::vector<EdgeLine> lines = EdgeLines({0, 0, 8, 8}, Edge::Raised, &inside);
    const Image small = Paint(lines, 8, 8);
    const Image big = paint(lines, {5, 3, 16, 16}, 2);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(big.Pixel(5 + x, 3 + y), small.Pixel(x / 2, y / 2)) << x << "," << y;
    EXPECT_EQ(big.Pixel(4, 3), kUntouched);
    EXPECT_EQ(big.Pixel(21, 19), kUntouched);
    EXPECT_EQ(ScaledPart(inside, {5, 3, 16, 16}, 2), (Rect{9, 7, 8, 8}));
    // One of FLTK's own parts, 17 pixels: the far rings still end on its far edges,
    // the pixel left over lies in the middle.
    const Image odd = paint(lines, {0, 0, 17, 17}, 2);
    EXPECT_EQ(odd.Pixel(1, 1), kHighlight);
    EXPECT_EQ(odd.Pixel(2, 2), kLightEdge);
    EXPECT_EQ(odd.Pixel(16, 16), kDarkShadow);
    EXPECT_EQ(odd.Pixel(15, 15), kDarkShadow);
    EXPECT_EQ(odd.Pixel(14, 14), kShadow);
    EXPECT_EQ(odd.Pixel(13, 13), kShadow);
    EXPECT_EQ(odd.Pixel(8, 8), kUntouched);
    EXPECT_EQ(odd.Pixel(17, 17), kUntouched);
    // At the program's own size a part is simply moved to the box.
    EXPECT_EQ(ScaledPart({1, 2, 3, 4}, {10, 20, 8, 8}, 1), (Rect{11, 22, 3, 4}));
}

TEST(DialogLook, ControlsSitInTheirPanelsAndStandOnTheirColour) {
    Control page(ControlKind::Panel, nullptr, "CPN1");
    page.SetBounds(10, 20, 300, 200);
    Control header(ControlKind::Panel, &page, "HDR");
    header.SetBounds(5, 6, 100, 49);
    header.SetColor({255, 255, 255});
    Control title(ControlKind::Label, &header, "LBT1");
    title.SetBounds(24, 16, 0, 0);
    Control text(ControlKind::Label, &page, "LBS1");
    text.SetBounds(40, 68, 0, 0);

    EXPECT_EQ(WindowBounds(page), (Rect{10, 20, 300, 200}));
    EXPECT_EQ(WindowBounds(title).x, 10 + 5 + 24);
    EXPECT_EQ(WindowBounds(title).y, 20 + 6 + 16);
    EXPECT_EQ(WindowBounds(text).x, 50);

    // The label in the white header stands on white; the one on the page on the
    // button face; a colour of its own wins.
    EXPECT_EQ(BackgroundOf(title), (Rgb{255, 255, 255}));
    EXPECT_EQ(BackgroundOf(text), kButtonFace);
    title.SetColor({1, 2, 3});
    EXPECT_EQ(BackgroundOf(title), (Rgb{1, 2, 3}));
}

TEST(DialogLook, FolderRowsBecomeIndentedLinesWithTheOpenFolderChosen) {
    testsupport::TempDir tmp;
    namespace fs = std::filesystem;
    fs::create_directories(fs::path(tmp.path()) / "Gry" / u8"Łamigłówki" / "Stare");
    fs::create_directories(fs::path(tmp.path()) / "Gry" / "alfa");
    fs::create_directories(fs::path(tmp.path()) / "Gry" / ".ukryty");
    fs::create_directories(fs::path(tmp.path()) / "Narzedzia");
    Drives().Map('C', tmp.path());

    std::vector<FolderRow> rows = FolderRowsFor(Utf8ToCp1250("C:\\Gry\\Łamigłówki"));
    std::vector<FolderLine> lines = FolderLines(rows);
    Drives().Unmap('C');

    // The drive, each folder on the way down, then the open folder's subfolders.
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "C:\\");
    EXPECT_EQ(lines[1].text, "Gry");
    EXPECT_EQ(lines[2].text, "Łamigłówki");
    EXPECT_EQ(lines[3].text, "Stare");
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].indent, static_cast<int>(i) * kFolderIndent) << i;
    EXPECT_TRUE(lines[0].open && lines[1].open && lines[2].open);
    EXPECT_FALSE(lines[3].open);
    // The open folder is the deepest open row, not the first one.
    EXPECT_EQ(OpenFolderRow(rows), 2);

    // One level up: the siblings are listed, closed, at the same indentation;
    // hidden folders stay out.
    Drives().Map('C', tmp.path());
    rows = FolderRowsFor("C:\\Gry");
    Drives().Unmap('C');
    lines = FolderLines(rows);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2].text, "alfa");
    EXPECT_EQ(lines[3].text, "Łamigłówki");
    EXPECT_EQ(lines[2].indent, lines[3].indent);
    EXPECT_FALSE(lines[2].open || lines[3].open);
    EXPECT_EQ(OpenFolderRow(rows), 1);

    EXPECT_EQ(OpenFolderRow({}), -1);
    EXPECT_TRUE(FolderLines({}).empty());
}

TEST(DialogLook, ProgressFillsItsTroughInProportionWithinBounds) {
    EXPECT_EQ(ProgressFill(413, 0), 0);
    EXPECT_EQ(ProgressFill(413, 100), 413);
    EXPECT_EQ(ProgressFill(413, 50), 207);
    EXPECT_EQ(ProgressFill(400, 25), 100);
    EXPECT_EQ(ProgressFill(413, 150), 413);
    EXPECT_EQ(ProgressFill(413, -5), 0);
    EXPECT_EQ(ProgressFill(0, 50), 0);
    EXPECT_EQ(ProgressFill(-3, 50), 0);
}

TEST(DialogLook, MenuTextsShowAmpersandsAndPolishLettersAsWritten) {
    EXPECT_EQ(LiteralLabel("C:"), "C:");
    EXPECT_EQ(LiteralLabel("Tom & Jerry && co"), "Tom && Jerry &&&& co");
    EXPECT_EQ(LiteralLabel(Utf8ToCp1250("Łódź & Żółw")), "Łódź && Żółw");
    EXPECT_EQ(LiteralLabel(""), "");
}

TEST(DialogLook, BrowserLinesShowALeadingAtSignAsWritten) {
    // FLTK would read "@b" as bold and "@-" as a rule; "@." stops that.
    EXPECT_EQ(LiteralBrowserLine("@bGry"), "@.@bGry");
    EXPECT_EQ(LiteralBrowserLine("@"), "@.@");
    EXPECT_EQ(LiteralBrowserLine("Gry @ Zabawy"), "Gry @ Zabawy");
    EXPECT_EQ(LiteralBrowserLine(""), "");
    EXPECT_EQ(LiteralBrowserLine(Utf8ToCp1250("Żółw")), "Żółw");
}

TEST(DialogLook, EnterPressesTheFocusedOrTheShowingDefaultButton) {
    std::vector<std::unique_ptr<Control>> controls;
    auto add = [&](ControlKind k, Control* parent, const char* name) -> Control& {
        controls.push_back(std::make_unique<Control>(k, parent, name));
        return *controls.back();
    };
    Control& page1 = add(ControlKind::Panel, nullptr, "CPN1");
    Control& edit = add(ControlKind::Edit, &page1, "DED");
    Control& folders = add(ControlKind::FolderList, &page1, "DLB");
    Control& about = add(ControlKind::Button, &page1, "ABT_BTN");
    Control& next1 = add(ControlKind::Button, &page1, "DFLD_GO_BTN");
    next1.SetDefault(true);
    Control& page2 = add(ControlKind::Panel, nullptr, "CPN2");
    Control& next2 = add(ControlKind::Button, &page2, "SFLD_GO_BTN");
    next2.SetDefault(true);
    Control& check = add(ControlKind::CheckBox, &page2, "ALL_CB");
    page2.SetVisible(false);

    // In an edit field or with nothing focused: the default button of the page
    // that shows, not the one on the hidden page.
    EXPECT_EQ(RouteEnter(controls, &edit).press, &next1);
    EXPECT_EQ(RouteEnter(controls, nullptr).press, &next1);
    // A focused button is pressed itself.
    EXPECT_EQ(RouteEnter(controls, &about).press, &about);
    // The folder list opens its row itself.
    EnterRoute r = RouteEnter(controls, &folders);
    EXPECT_EQ(r.press, nullptr);
    EXPECT_TRUE(r.toFocus);

    // The next page: its own default button.
    page1.SetVisible(false);
    page2.SetVisible(true);
    EXPECT_EQ(RouteEnter(controls, &check).press, &next2);
    // A disabled default button is not pressed, nor a focused disabled one; the key
    // then stays with the focused control.
    next2.SetEnabled(false);
    r = RouteEnter(controls, &check);
    EXPECT_EQ(r.press, nullptr);
    EXPECT_TRUE(r.toFocus);
    EXPECT_EQ(RouteEnter(controls, &next2).press, nullptr);
}

TEST(DialogLook, MessageButtonsLineUpAtLeastMinimumWidth) {
    std::vector<ButtonSlot> slots = LayOutButtons({22, 110, 20, 40}, 90, 20, 10);
    ASSERT_EQ(slots.size(), 4u);
    EXPECT_EQ(slots[0].x, 0);
    EXPECT_EQ(slots[0].w, 90);
    EXPECT_EQ(slots[1].w, 130);  // "Tak na wszystkie" is wider than the minimum
    for (size_t i = 1; i < slots.size(); ++i) EXPECT_EQ(slots[i].x, slots[i - 1].x + slots[i - 1].w + 10) << i;
    EXPECT_TRUE(LayOutButtons({}, 90, 20, 10).empty());
}

namespace {

TEST(DialogPlace, BoxesStandCentredOnWhatTheScreenShowsOfTheirOwner) {
    // The menu filling a 1024 x 768 screen, and centred on a larger one.
    EXPECT_EQ(CentredIn(VisiblePart({0, 0, 1024, 768}, {}, 1024, 768), 400, 300, 1024, 768), (Rect{312, 234, 400, 300}));
    EXPECT_EQ(CentredIn(VisiblePart({128, 128, 1024, 768}, {}, 1280, 1024), 400, 300, 1280, 1024),
              (Rect{440, 362, 400, 300}));
    // Only the core shows, at (127, 50) of a 1000 x 700 screen.
    const Rect core = VisiblePart({-146, -63, 1024, 768}, {{273, 113, 745, 600}}, 1000, 700);
    EXPECT_EQ(core, (Rect{127, 50, 745, 600}));
    EXPECT_EQ(CentredIn(core, 300, 200, 1000, 700), (Rect{349, 250, 300, 200}));
    // The strip that fills an 800 x 600 screen; a shape of several rectangles counts
    // by the box around them.
    EXPECT_EQ(VisiblePart({-246, -113, 1052, 768}, {{246, 113, 800, 600}}, 800, 600), (Rect{0, 0, 800, 600}));
    EXPECT_EQ(VisiblePart({0, 0, 100, 100}, {{10, 10, 10, 10}, {50, 60, 20, 20}}, 800, 600), (Rect{10, 10, 60, 70}));
    // A window off the screen leaves the screen's middle.
    EXPECT_EQ(VisiblePart({2000, 0, 100, 100}, {}, 800, 600), (Rect{0, 0, 800, 600}));
    // A box that would hang over an edge is moved back; one larger than the screen
    // keeps its top-left corner on it.
    EXPECT_EQ(CentredIn({900, 0, 100, 100}, 300, 200, 1024, 768), (Rect{724, 0, 300, 200}));
    EXPECT_EQ(CentredIn({0, 0, 800, 600}, 900, 700, 800, 600), (Rect{0, 0, 900, 700}));
}

}  // namespace

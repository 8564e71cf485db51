// The main window as a user meets it: selecting programs, hovering buttons, the wheel,
// the three list views and the diagnostic chord.
#include <filesystem>

#include "app/Showmapsu.h"
#include "menu_fixture.h"
#include "platform/text.h"

using platform::W;

using namespace menutest;
using platform::Rgb;

namespace {
constexpr Rgb kRed{220, 30, 30};

std::vector<Record> Catalogue() {
    std::vector<Record> r;
    r.push_back(Group("Grafika"));
    Record a = Prog("Malarz");
    a.f[4] = "malarz1.jpg,malarz2.jpg";
    a.f[10] = "www.malarz.example.pl";
    a.f[11] = "http://malarz.example.pl";
    std::string longText;
    for (int i = 0; i < 60; ++i) longText += "Zdanie numer " + std::to_string(i) + " opisu programu. ";
    a.f[9] = longText;
    r.push_back(a);
    Record b = Prog("Ramka");
    b.f[5] = "VISTA_OK";
    b.f[11] = "Nowość: wersja 2";
    r.push_back(b);
    r.push_back(Group("Narzędzia"));
    for (int i = 0; i < 40; ++i) r.push_back(Prog("Narzędzie " + std::to_string(i)));
    return r;
}

bool RegionEquals(const platform::Image& a, int ax, int ay, const platform::Image& b, int bx, int by, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (a.Pixel(ax + x, ay + y) != b.Pixel(bx + x, by + y)) return false;
    return true;
}

bool Near(Rgb a, Rgb b, int tol = 24) {
    return std::abs(a.r - b.r) <= tol && std::abs(a.g - b.g) <= tol && std::abs(a.b - b.b) <= tol;
}
}  // namespace

class ViewTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        MakeDisc(Catalogue());
        WriteJpeg(disc_ + "/CDInst/JPS/malarz1.jpg", 200, 150, kRed);
    }
};

TEST_F(ViewTest, SelectingAProgramShowsItsScreenshotLinkAndDescription) {
    ASSERT_TRUE(Start());
    // The first program is selected at start-up; select the second, then go back.
    ClickRow(2);
    EXPECT_EQ(App().selectedRecord, 2);
    ClickRow(1);
    EXPECT_EQ(App().selectedRecord, 1);
    platform::Image& c = Canvas();
    // 200 x 150 is centred at (28, 21) of the 256 x 192 box over the restored background.
    EXPECT_TRUE(Near(c.Pixel(756 + 28, 141 + 21), kRed));
    EXPECT_TRUE(Near(c.Pixel(756 + 225, 141 + 160), kRed));  // clear of the blurred edge and of the notice below y 305
    EXPECT_FALSE(Near(c.Pixel(756 + 230, 141 + 100), kRed));
    EXPECT_FALSE(Near(c.Pixel(756 + 25, 141 + 100), kRed));
    EXPECT_EQ(c.Pixel(756 + 10, 141 + 10), Frm().composedBuffer.Pixel(756 + 10, 141 + 10));
    // The link is underlined in the two blues, as wide as its text.
    int w = Frm().linkWidth;
    EXPECT_GT(w, 20);
    EXPECT_EQ(c.Pixel(753 + 5, 650 + 15), (Rgb{0x49, 0x67, 0xA3}));
    EXPECT_EQ(c.Pixel(753 + w + 5, 650 + 16), (Rgb{0x3B, 0x4D, 0x74}));
    EXPECT_NE(c.Pixel(753 + w + 6, 650 + 15), (Rgb{0x49, 0x67, 0xA3}));
    // A web address puts the notice over the foot of the screenshot box.
    EXPECT_TRUE(RegionEquals(c, 748, 305, Frm().updateNotice, 0, 0, 271, 34));
    // The description panel holds text and the long description enables its bar.
    EXPECT_FALSE(RegionEquals(c, 758, 402, Frm().programBuffer, 758, 402, 237, 250));
    EXPECT_GT(App().opisWin.LineCount(), 16);
    EXPECT_EQ(App().buttonState[11], 2);
    EXPECT_EQ(App().buttonState[12], 2);
    EXPECT_EQ(App().current.webAddress, "http://malarz.example.pl");

    // A program without pictures shows the disc's generic screenshot and no notice.
    ClickRow(2);
    EXPECT_TRUE(Frm().defaultScreenshotShown);
    EXPECT_TRUE(RegionEquals(c, 748, 305, Frm().programBuffer, 748, 305, 8, 34));
    EXPECT_TRUE(App().current.webAddress.empty());
    EXPECT_EQ(App().buttonState[3], 1);  // VISTA_OK: no information file
}

TEST_F(ViewTest, ARepaintShowsTheScreenshotAsTheDiscHasItNow) {
    ASSERT_TRUE(Start());
    platform::Image& c = Canvas();
    EXPECT_TRUE(Near(c.Pixel(756 + 128, 141 + 96), kRed));
    Frm().PaintWindow();
    EXPECT_TRUE(Near(c.Pixel(756 + 128, 141 + 96), kRed));
    // Another picture in the same file: the next paint shows it.
    const Rgb blue{20, 20, 220};
    WriteJpeg(disc_ + "/CDInst/JPS/malarz1.jpg", 256, 192, blue);
    Frm().PaintWindow();
    EXPECT_TRUE(Near(c.Pixel(756 + 128, 141 + 96), blue));
    EXPECT_TRUE(Near(c.Pixel(756 + 2, 141 + 2), blue));
    // Gone from the disc: the box shows the background, as for any missing picture.
    std::filesystem::remove(disc_ + "/CDInst/JPS/malarz1.jpg");
    Frm().PaintWindow();
    EXPECT_EQ(c.Pixel(756 + 128, 141 + 96), Frm().composedBuffer.Pixel(756 + 128, 141 + 96));
}

TEST_F(ViewTest, HoveringAnActiveButtonLightsItAndShowsTheHandButNotAnInactiveOne) {
    ASSERT_TRUE(Start());
    ClickRow(1);
    const auto* r1 = showmaps::RectOf(1);
    sys_->MouseMove(Main(), r1->x + 10, r1->y + 10);
    EXPECT_EQ(Main().Cursor(), platform::kCursorHand);
    EXPECT_TRUE(RegionEquals(Canvas(), r1->x, r1->y, Frm().buttonBitmaps[3][1], 0, 0, r1->w, r1->h));
    EXPECT_EQ(Frm().statusKey, 1);
    // Straight on to the inactive install button: button 1 back to normal, 2 stays dim.
    const auto* r2 = showmaps::RectOf(2);
    sys_->MouseMove(Main(), r2->x + 10, r2->y + 10);
    EXPECT_EQ(Main().Cursor(), platform::kCursorDefault);
    EXPECT_TRUE(RegionEquals(Canvas(), r1->x, r1->y, Frm().buttonBitmaps[2][1], 0, 0, r1->w, r1->h));
    EXPECT_TRUE(RegionEquals(Canvas(), r2->x, r2->y, Frm().buttonBitmaps[1][2], 0, 0, r2->w, r2->h));
    // The hint follows the area, whatever the button's state.
    EXPECT_EQ(Frm().statusKey, 2);
    // Over the list's text the hand shows too; over empty track it does not.
    sys_->MouseMove(Main(), 280 + 24 + 15 + 5, RowY(1));
    EXPECT_EQ(Main().Cursor(), platform::kCursorHand);
    EXPECT_EQ(Frm().statusKey, 6);
}

TEST_F(ViewTest, PressOnOneButtonAndReleaseOnAnotherDoesNothing) {
    ASSERT_TRUE(Start());
    ClickRow(1);
    sys_->ClearRecords();
    const auto* r1 = showmaps::RectOf(1);
    const auto* r5 = showmaps::RectOf(5);
    sys_->MouseDown(Main(), r1->x + 5, r1->y + 5);
    sys_->MouseUp(Main(), r5->x + 5, r5->y + 5);
    EXPECT_TRUE(sys_->ShellRequests().empty());
    // Pressed outside everything and released on an active button: nothing either.
    sys_->MouseDown(Main(), 600, 50 + 700);
    sys_->MouseUp(Main(), r1->x + 5, r1->y + 5);
    EXPECT_TRUE(sys_->ShellRequests().empty());
    // The same button under press and release acts, with the right button too.
    sys_->MouseDown(Main(), r1->x + 5, r1->y + 5, platform::Button::Right);
    sys_->MouseUp(Main(), r1->x + 6, r1->y + 6, platform::Button::Right);
    EXPECT_EQ(sys_->ShellRequests().size(), 1u);
}

TEST_F(ViewTest, TheWheelScrollsTheDescriptionOnlyForPrograms) {
    ASSERT_TRUE(Start());
    ClickRow(1);
    ASSERT_EQ(App().opisWin.TopLine(), 0);
    sys_->Wheel(Main(), 850, 500, -1);
    EXPECT_EQ(App().opisWin.TopLine(), 1);
    sys_->Wheel(Main(), 850, 500, +1);
    EXPECT_EQ(App().opisWin.TopLine(), 0);
    // A group row: kind 10, the description does not move.
    ClickRow(0, 0);
    EXPECT_EQ(App().entryKind, 10);
    sys_->Wheel(Main(), 850, 500, -1);
    EXPECT_EQ(App().opisWin.TopLine(), 0);
    // Over the list the wheel scrolls the list.
    sys_->Wheel(Main(), 400, 300, -1);
    EXPECT_EQ(Frm().programList.TopRow(), 1);
}

TEST_F(ViewTest, TheThreeListViews) {
    std::vector<Record> alpha = {Prog("Archiwizer", 0), Prog("Malarz", 0), Prog("Zegar", 0)};
    MakeDisc(Catalogue(), &alpha);
    ASSERT_TRUE(Start());
    auto tab = [&](int id) {
        const auto* r = showmaps::RectOf(id);
        ClickAt(r->x + 5, r->y + 5);
    };
    tab(8);  // groups collapsed: only the two groups show, the first row selected
    EXPECT_EQ(Frm().programList.VisibleCount(), 2);
    EXPECT_EQ(App().selectedRecord, 0);
    EXPECT_EQ(App().entryKind, 10);
    tab(9);  // groups expanded: everything, the first program selected
    EXPECT_EQ(Frm().programList.VisibleCount(), 44);
    EXPECT_EQ(App().selectedRecord, 1);
    tab(10);  // the alphabetical catalogue
    EXPECT_EQ(Frm().programList.VisibleCount(), 3);
    EXPECT_EQ(App().workCatalogue.GetField(0, 0), "Archiwizer");
    // The title and the count still describe the main catalogue.
    EXPECT_EQ(App().issueCode, "VEMI-12-2007");
}

TEST_F(ViewTest, TheDiagnosticChordShowsThePanelUntilAKeyIsReleased) {
    ASSERT_TRUE(Start());
    platform::ShiftState chord;
    chord.ctrl = chord.shift = chord.alt = true;
    EXPECT_FALSE(Main().Overlay().visible);
    sys_->KeyDown(Main(), 'D', chord);
    EXPECT_TRUE(Main().Overlay().visible);
    EXPECT_EQ(Main().Overlay().text, "FlashVersion = not installed");
    EXPECT_EQ(Main().Overlay().x, 280);
    EXPECT_EQ(Main().Overlay().y, 143);
    sys_->KeyUp(Main(), 'D');
    EXPECT_FALSE(Main().Overlay().visible);
    // Without all three modifiers the letter only reaches the list.
    platform::ShiftState two;
    two.ctrl = two.alt = true;
    sys_->KeyDown(Main(), 'D', two);
    EXPECT_FALSE(Main().Overlay().visible);
}

TEST_F(ViewTest, ArrowKeysWalkTheListAndEnterClosesAGroup) {
    ASSERT_TRUE(Start());
    ASSERT_EQ(App().selectedRecord, 1);
    sys_->KeyDown(Main(), platform::kVkDown);
    EXPECT_EQ(App().selectedRecord, 2);
    sys_->KeyDown(Main(), platform::kVkUp);
    sys_->KeyDown(Main(), platform::kVkUp);
    EXPECT_EQ(App().selectedRecord, 0);
    sys_->KeyDown(Main(), platform::kVkReturn);
    EXPECT_EQ(Frm().programList.VisibleCount(), 42);
}

TEST_F(ViewTest, ADoublePressOnAGroupOpensOrClosesIt) {
    ASSERT_TRUE(Start());
    const int before = Frm().programList.VisibleCount();
    sys_->Advance(1000);
    sys_->Click(Main(), 280 + 30, RowY(3));
    sys_->Advance(299);
    sys_->Click(Main(), 280 + 30, RowY(3));
    EXPECT_EQ(Frm().programList.VisibleCount(), before - 40);
    sys_->Advance(300);
    sys_->Click(Main(), 280 + 30, RowY(3));
    EXPECT_EQ(Frm().programList.VisibleCount(), before - 40);  // 300 ms: two single presses
}

TEST_F(ViewTest, DraggingTheTitleStripMovesTheWindowWithinItsLimits) {
    ASSERT_TRUE(Start(1000, 700));  // mode 801
    sys_->MouseDown(Main(), 500, 120);
    EXPECT_TRUE(Frm().dragging);
    sys_->MouseMove(Main(), 500 + 5000, 120);
    EXPECT_EQ(Main().Left(), 577);
    sys_->MouseMove(Main(), 500, 120 - 5000);
    EXPECT_EQ(Main().Top(), -113);
    sys_->MouseMove(Main(), 500, 120 + 5000);
    EXPECT_EQ(Main().Top(), 533);
    sys_->MouseUp(Main(), 500, 120);
    EXPECT_FALSE(Frm().dragging);
    Stop();
    ASSERT_TRUE(Start(1024, 768));  // mode 1024: the window never moves
    sys_->MouseDown(Main(), 500, 120);
    EXPECT_FALSE(Frm().dragging);
}

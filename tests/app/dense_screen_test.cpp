// The menu on dense screens and on screens smaller than its window: which factor
// the desktop's words give and which screen mode follows, and, on the headless back
// end, what the device screen shows of the window and where its clicks land.
#include "app/Regwinu.h"
#include "menu_fixture.h"
#include "platform/scaling.h"

using namespace menutest;
using platform::Image;
using platform::Rect;

TEST(ScaleChoice, TheDesktopsDensityAndTheUsersWordGiveTheFactorAndTheModeFollowsTheScreenDividedByIt) {
    const struct {
        int dpi;
        const char *gdk, *forced;
        int w, h;
        int factor, mode;
    } cases[] = {
        {0, nullptr, nullptr, 1024, 768, 1, 1024},     // nothing said
        {96, nullptr, nullptr, 1920, 1080, 1, 1025},   // the usual density
        {192, nullptr, nullptr, 2048, 1536, 2, 1024},  // twice it: a 1024 x 768 screen to the program
        {191, nullptr, nullptr, 2048, 1536, 1, 1025},  // rounded down
        {144, nullptr, nullptr, 2880, 1800, 1, 1025},  // one and a half: 1
        {288, nullptr, nullptr, 3072, 2304, 3, 1024},
        {288, nullptr, nullptr, 2560, 1600, 2, 1025},  // 3 does not fit, 2 does
        {192, nullptr, nullptr, 3840, 2160, 2, 1025},
        {192, nullptr, nullptr, 1920, 1080, 1, 1025},  // 2 would need 2048 x 1536
        {192, nullptr, nullptr, 2048, 1535, 1, 1025},
        {192, nullptr, nullptr, 800, 600, 1, 800},
        {192, nullptr, nullptr, 1000, 700, 1, 801},
        {96, "2", nullptr, 2048, 1536, 2, 1024},       // GDK_SCALE where it is set
        {192, "1", nullptr, 2048, 1536, 1, 1025},
        {192, "two", nullptr, 2048, 1536, 2, 1024},    // a GDK_SCALE that is no number says nothing
        {192, nullptr, "1", 2048, 1536, 1, 1025},      // VEMI_SCALE=1 turns it off
        {0, "1", "2", 2048, 1536, 2, 1024},            // VEMI_SCALE over the desktop
        {192, nullptr, "3", 2048, 1536, 2, 1024},      // too large for the screen: the largest that fits
        {0, nullptr, "2", 1024, 768, 1, 1024},
        {192, nullptr, "0", 2048, 1536, 2, 1024},      // not a factor: the desktop's word stands
        {192, nullptr, "", 2048, 1536, 2, 1024},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "dpi " << c.dpi << " GDK_SCALE " << (c.gdk ? c.gdk : "-") << " VEMI_SCALE "
                                        << (c.forced ? c.forced : "-") << " " << c.w << "x" << c.h);
        const int f = platform::ChooseScale({c.dpi, c.gdk, c.forced}, c.w, c.h);
        EXPECT_EQ(f, c.factor);
        EXPECT_EQ(regwin::ChooseScreenMode(c.w / f, c.h / f), c.mode);
    }
}

namespace {
std::vector<Record> SmallCatalogue() {
    return {Group("Grafika"), Prog("Malarz"), Prog("Ramka"), Group("Narzędzia"), Prog("Archiwizer")};
}
// The middle of list row v's text (a program one level down), in client pixels.
int RowX() { return 280 + 24 + 15 + 10; }
}  // namespace

class DenseScreenTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        MakeDisc(SmallCatalogue());
    }
    // What the device shows of the main window, against its canvas: the canvas's
    // part at (cx, cy), every pixel f x f.
    void ExpectShows(const Image& shown, int cx, int cy, int f) {
        const Image& canvas = Main().Picture();
        for (int y = 0; y < shown.Height(); ++y)
            for (int x = 0; x < shown.Width(); ++x)
                if (shown.Pixel(x, y) != canvas.Pixel(cx + x / f, cy + y / f)) {
                    ADD_FAILURE() << "device pixel " << x << "," << y;
                    return;
                }
    }
};

TEST_F(DenseScreenTest, AtTwiceTheDensityEveryPixelIsASquareAndAClickReachesThePixelItShows) {
    deviceScale_ = 2;
    ASSERT_TRUE(Start(1024, 768));
    EXPECT_EQ(Frm().ScreenMode, 1024);
    EXPECT_EQ(sys_->FrameOf(Main()).window, (Rect{0, 0, 2048, 1536}));
    const Image shown = sys_->DevicePicture(Main());
    ASSERT_EQ(shown.Width(), 2048);
    ASSERT_EQ(shown.Height(), 1536);
    ExpectShows(shown, 0, 0, 2);
    // Any of the four device pixels of a row's pixel selects that row.
    for (auto [row, dx, dy] : {std::tuple{2, 0, 1}, std::tuple{4, 1, 1}, std::tuple{1, 1, 0}}) {
        sys_->Advance(400);
        sys_->DeviceClick(Main(), 2 * RowX() + dx, 2 * RowY(row) + dy);
        EXPECT_EQ(App().selectedRecord, row);
    }
}

TEST_F(DenseScreenTest, OnSmallScreensTheWindowIsTheScreenAndShowsThePartItShowedHangingOverTheEdges) {
    const struct {
        int w, h, mode, left, top;
    } cases[] = {{800, 600, 800, -246, -113}, {1000, 700, 801, -146, -63}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        ASSERT_TRUE(Start(c.w, c.h));
        EXPECT_EQ(Frm().ScreenMode, c.mode);
        EXPECT_EQ(Main().Left(), c.left);
        const platform::DeviceFrame f = sys_->FrameOf(Main());
        EXPECT_EQ(f.window, (Rect{0, 0, c.w, c.h}));
        ExpectShows(sys_->DevicePicture(Main()), -c.left, -c.top, 1);
        sys_->Advance(400);
        sys_->DeviceClick(Main(), RowX() + c.left, RowY(2) + c.top);
        EXPECT_EQ(App().selectedRecord, 2);
        Stop();
    }
    // A large screen's window is an ordinary one, where its bounds are.
    ASSERT_TRUE(Start(1280, 1024));
    EXPECT_EQ(sys_->FrameOf(Main()).window, (Rect{128, 128, 1024, 768}));
}

// Start-up of the whole menu on the headless back end: screen modes, the disc checks,
// the resource archives and their fallback.
#include <filesystem>

#include "app/Showmapsu.h"
#include "install/Zipreaderu.h"
#include "menu_fixture.h"
#include "platform/jpeg.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "platform/text.h"

using platform::W;

using namespace menutest;
using platform::ShapeKind;

namespace {
std::vector<Record> SmallCatalogue() {
    return {Group("Grafika"), Prog("Malarz"), Prog("Ramka"), Group("Narzędzia"), Prog("Archiwizer")};
}
}  // namespace

TEST_F(MenuTest, EachScreenModePlacesAndShapesTheWindow) {
    MakeDisc(SmallCatalogue());
    struct Case {
        int sw, sh, mode, left, top, width;
        bool onTop;
        ShapeKind shape;
        int l, t, r, b;
    } cases[] = {
        {800, 600, 800, -246, -113, 1052, true, ShapeKind::Rectangle, 246, 113, 1046, 713},
        {1000, 700, 801, -146, -63, 1024, false, ShapeKind::Rectangle, 273, 113, 1018, 713},
        {1024, 768, 1024, 0, 0, 1024, true, ShapeKind::None, 0, 0, 0, 0},
        {1280, 1024, 1025, 128, 128, 1024, false, ShapeKind::RoundRectangle, 0, 0, 1025, 769},
        {1152, 864, 1025, 64, 48, 1024, false, ShapeKind::RoundRectangle, 0, 0, 1025, 769},
        {1024, 600, 801, -134, -113, 1024, false, ShapeKind::Rectangle, 273, 113, 1018, 713},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh));
        ASSERT_TRUE(Start(c.sw, c.sh));
        EXPECT_EQ(Frm().ScreenMode, c.mode);
        EXPECT_EQ(Main().Left(), c.left);
        EXPECT_EQ(Main().Top(), c.top);
        EXPECT_EQ(Main().Width(), c.width);
        EXPECT_EQ(Main().Height(), 768);
        EXPECT_EQ(Main().StayOnTop(), c.onTop);
        EXPECT_EQ(Main().FullScreen(), c.mode != 1025);
        EXPECT_TRUE(Main().Borderless());
        EXPECT_TRUE(Main().Visible());
        EXPECT_EQ(Main().Title(), "VEMI32");
        EXPECT_EQ(sys_->AppTitle(), "VEMI32");
        const auto& s = Main().CurrentShape();
        EXPECT_EQ(s.kind, c.shape);
        if (c.shape != ShapeKind::None) {
            EXPECT_EQ(s.left, c.l);
            EXPECT_EQ(s.top, c.t);
            EXPECT_EQ(s.right, c.r);
            EXPECT_EQ(s.bottom, c.b);
        }
        if (c.shape == ShapeKind::RoundRectangle) {
            EXPECT_EQ(s.ew, 15);
            EXPECT_EQ(s.eh, 15);
            EXPECT_FALSE(Main().InShape(0, 0));  // the corner is cut off
            EXPECT_TRUE(Main().InShape(512, 384));
        }
        // Only the whole-window modes carry banners; the small modes draw the frame.
        bool banners = c.mode == 1024 || c.mode == 1025;
        EXPECT_EQ(App().leftBanners.Empty(), !banners);
        EXPECT_EQ(App().topBanners.Empty(), !banners);
        if (c.mode == 800 || c.mode == 801) {
            EXPECT_EQ(Frm().coverBuffer.Pixel(500, 113), (platform::Rgb{0x86, 0x89, 0x95}));
        }
        if (c.mode == 800) {
            EXPECT_EQ(Frm().programBuffer.Pixel(250, 400), (platform::Rgb{0, 0, 0}));
        }
        EXPECT_TRUE(sys_->Messages().empty());
        Stop();
    }
}

TEST_F(MenuTest, TooSmallAScreenIsRefusedWithItsMessage) {
    MakeDisc(SmallCatalogue());
    for (auto [w, h] : {std::pair{799, 600}, std::pair{800, 599}}) {
        EXPECT_FALSE(Start(w, h));
        ASSERT_EQ(sys_->Messages().size(), 1u);
        EXPECT_EQ(sys_->Messages()[0].text, W("Program wymaga minimum trybu 800 x 600 (zalecane 1024 x 768)!"));
        EXPECT_EQ(sys_->Messages()[0].caption, W("Zmień rozdzielczość ekranu"));
        EXPECT_TRUE(sys_->Windows().empty());
        Stop();
    }
    EXPECT_TRUE(Start(800, 600));
}

TEST_F(MenuTest, AMissingCatalogueIsADiskReadError) {
    MakeDisc(SmallCatalogue());
    std::filesystem::remove(disc_ + "/CDInst/Dat/mains.ndt");
    EXPECT_FALSE(Start());
    ASSERT_EQ(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].text, "DISK READ ERROR");
    EXPECT_EQ(sys_->Messages()[0].caption, "DISK READ ERROR");
    EXPECT_TRUE(sys_->Terminated());
    Stop();

    MakeDisc(SmallCatalogue());
    std::filesystem::remove(disc_ + "/CDInst/Dat/main.ndt");
    EXPECT_FALSE(Start());
    ASSERT_EQ(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].text, "DISK READ ERROR");
}

TEST_F(MenuTest, TheFirstProgramIsSelectedAndTheTitleAndCountAreDrawn) {
    MakeDisc(SmallCatalogue());
    ASSERT_TRUE(Start());
    EXPECT_EQ(App().selectedRecord, 1);
    EXPECT_EQ(App().entryKind, 11);
    EXPECT_EQ(App().issueCode, "VEMI-12-2007");
    EXPECT_TRUE(Frm().inputReady);
    // The program's icon from its resources, for the desktop's taskbar.
    bool icon32 = false;
    for (const auto& p : sys_->AppIcon()) icon32 |= p.size == 32 && p.rgba.size() == 32u * 32 * 4;
    EXPECT_TRUE(icon32);
    // The title and the count are ink on the buffers, not on the skins.
    platform::Image cover, program;
    ASSERT_TRUE(platform::LoadResourceImage("JPEG", "TLO_IM1", cover));
    ASSERT_TRUE(platform::LoadResourceImage("JPEG", "TLO_IM2", program));
    int changed = 0;
    for (int x = 300; x < 720; ++x)
        for (int y = 113; y < 125; ++y) changed += Frm().coverBuffer.Pixel(x, y) != cover.Pixel(x, y);
    EXPECT_GT(changed, 50);
    changed = 0;
    for (int x = 600; x < 745; ++x)
        for (int y = 720; y < 732; ++y) changed += Frm().programBuffer.Pixel(x, y) != program.Pixel(x, y);
    EXPECT_GT(changed, 20);
    EXPECT_TRUE(sys_->CursorRegistered(platform::kCursorHand));
}

TEST_F(MenuTest, TheSkinsDecodedWhileTheArchivesUnpackAreTheProgramsOwnPictures) {
    // They are decoded on a thread of their own; what arrives must be each skin
    // whole, on its own buffer, and only skin: the buffers are the skins but for
    // the title and the count. Skins of the window's size are their buffers and are
    // not kept beside them.
    MakeDisc(SmallCatalogue());
    ASSERT_TRUE(Start());
    platform::Image cover, program;
    ASSERT_TRUE(platform::LoadResourceImage("JPEG", "TLO_IM1", cover));
    ASSERT_TRUE(platform::LoadResourceImage("JPEG", "TLO_IM2", program));
    ASSERT_EQ(cover.Width(), 1024);
    ASSERT_EQ(cover.Height(), 768);
    EXPECT_TRUE(Frm().skinCover.Empty());
    EXPECT_TRUE(Frm().skinProgram.Empty());
    int coverDiffers = 0, programDiffers = 0;
    for (int y = 0; y < cover.Height(); ++y) {
        if ((y >= 113 && y < 135) || (y >= 720 && y < 740)) continue;  // title and count
        for (int x = 0; x < cover.Width(); ++x) {
            coverDiffers += Frm().coverBuffer.Pixel(x, y) != cover.Pixel(x, y);
            programDiffers += Frm().programBuffer.Pixel(x, y) != program.Pixel(x, y);
        }
    }
    EXPECT_EQ(coverDiffers, 0);
    EXPECT_EQ(programDiffers, 0);
    EXPECT_FALSE(cover.Pixel(512, 400) == program.Pixel(512, 400) && cover.Pixel(900, 200) == program.Pixel(900, 200));
}

TEST_F(MenuTest, BuffersAreBlackWhereASkinDoesNotReach) {
    // A cover skin smaller than the window and a program skin that cannot be
    // decoded: the buffers are black but for what the skin and the ink cover.
    platform::Image small(100, 50);
    small.FillAll({200, 30, 40});
    const std::vector<uint8_t> smallJpeg = platform::EncodeJpeg(small, 100);
    const std::vector<uint8_t> damaged = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'};
    const platform::ResourceEntry skins[] = {{"JPEG", "TLO_IM1", smallJpeg.data(), smallJpeg.size()},
                                             {"JPEG", "TLO_IM2", damaged.data(), damaged.size()}};
    platform::RegisterResources(skins, std::size(skins));
    MakeDisc(SmallCatalogue());
    // Memory that held pictures before, so that a buffer left uncleared shows.
    {
        std::vector<std::vector<uint8_t>> used;
        for (int i = 0; i < 8; ++i) used.emplace_back(1024 * 768 * 3, uint8_t{0x5A});
    }
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frm().skinCover.Width(), 100);
    EXPECT_TRUE(Frm().skinProgram.Empty());
    const platform::Rgb black{0, 0, 0};
    int wrong = 0;
    for (int y = 0; y < 768; ++y) {
        if ((y >= 113 && y < 135) || (y >= 720 && y < 740)) continue;  // title and count
        for (int x = 0; x < 1024; ++x) {
            const platform::Rgb want = x < 100 && y < 50 ? Frm().skinCover.Pixel(x, y) : black;
            wrong += Frm().coverBuffer.Pixel(x, y) != want;
            wrong += Frm().programBuffer.Pixel(x, y) != black;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_NE(Frm().coverBuffer.Pixel(50, 25), black);
    // The list's background is the cover's part under the list: black here.
    EXPECT_EQ(Frm().listBackground.Pixel(10, 10), black);
    Stop();
}

TEST_F(MenuTest, APlainFontFileStandsInForAMissingArchive) {
    MakeDisc(SmallCatalogue());
    ASSERT_TRUE(Start());
    platform::Image withArchive = Frm().composedBuffer.Clone();
    Stop();
    // Take the member out of the archive with the program's own reader, then drop the archive.
    {
        platform::DriveTable& d = platform::Drives();
        d.Map('D', disc_);
        TJXZipReader zip;
        zip.SetFileName("D:\\CDInst\\Prg\\fdata.jxz");
        zip.OpenArchive(0);
        platform::MemoryStream s;
        zip.ExtractToStream("fdata.jxs", s);
        zip.CloseArchive();
        testsupport::WriteFile(disc_ + "/CDInst/Prg/fdata.jxs", s.Bytes());
        std::filesystem::remove(disc_ + "/CDInst/Prg/fdata.jxz");
    }
    ASSERT_TRUE(Start());
    int differing = 0;
    for (int y = 100; y < 768; y += 3)
        for (int x = 250; x < 1024; x += 3) differing += Frm().composedBuffer.Pixel(x, y) != withArchive.Pixel(x, y);
    EXPECT_EQ(differing, 0);
    Stop();
    // Neither archive nor plain file: start-up goes on with the fonts missing.
    std::filesystem::remove(disc_ + "/CDInst/Prg/fdata.jxs");
    ASSERT_TRUE(Start());
    EXPECT_EQ(App().selectedRecord, 1);
}

TEST_F(MenuTest, ACatalogueFaultIsReportedAndTheProgramGoesOn) {
    auto records = SmallCatalogue();
    records[2].f[14] = "jedenaście";  // not a number
    MakeDisc(records);
    EXPECT_TRUE(Start());
    ASSERT_FALSE(sys_->Messages().empty());
    EXPECT_EQ(sys_->Messages()[0].kind, platform::MsgKind::Error);
}

TEST_F(MenuTest, ACatalogueFaultMetLaterIsReportedAndTheMenuGoesOn) {
    auto second = SmallCatalogue();
    second[1].f[13] = "x";  // the alphabetical list is damaged
    MakeDisc(SmallCatalogue(), &second);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(sys_->Messages().empty());
    const auto* tab10 = showmaps::RectOf(10);
    ClickAt(tab10->x + 5, tab10->y + 5);
    ASSERT_EQ(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].kind, platform::MsgKind::Error);
    EXPECT_NE(sys_->Messages()[0].text.find("not a valid integer"), std::string::npos);
    // The menu still answers: the grouped view comes back whole.
    const auto* tab9 = showmaps::RectOf(9);
    ClickAt(tab9->x + 5, tab9->y + 5);
    EXPECT_EQ(Frm().programList.VisibleCount(), 5);
    EXPECT_EQ(App().selectedRecord, 1);
    EXPECT_EQ(sys_->Messages().size(), 1u);
}

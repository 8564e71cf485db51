// The banner modules: a module of the test's own for the pointer, drawing and
// loading rules, and the two modules of the whole menu on the headless back end
// for expiry, "/NOFLASH", the movie player's version, hints and the message hook.
#include <filesystem>

#include "menu_fixture.h"
#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "promotion/Cjxmultiadvmoduleu.h"
#include "platform/text.h"

using platform::W;

using namespace menutest;
using platform::Image;
using platform::Rgb;

namespace {

// What the callbacks and the fake movie player were asked to do.
struct Record {
    std::vector<std::string> opened, run, events;
    std::vector<std::pair<std::string, int>> hints;
    std::vector<int32_t> backgrounds;
    std::vector<uint8_t> movie;
    platform::Rect bounds;
    int cursor = -99;
    bool visible = false;
    int players = 0;
};
Record g;

void OnOpen(const std::string& t) { g.opened.push_back(t); }
void OnRun(const std::string& t) { g.run.push_back(t); }
void OnHint(const std::string& t, int index) { g.hints.push_back({t, index}); }

class FakePlayer : public TFlashPlayerControl {
public:
    void SetBounds(int l, int t, int w, int h) override { g.bounds = {l, t, w, h}; }
    void SetCursor(int n) override { g.cursor = n; }
    void SetVisible(bool on) override { g.visible = on; }
    void PutBackgroundColor(int32_t c) override { g.backgrounds.push_back(c); }
    void PutMovieFromStream(platform::MemoryStream& s) override {
        g.movie.resize(s.Size() - s.Position());
        s.Read(g.movie.data(), g.movie.size());
    }
    void Play() override { g.events.push_back("play"); }
    void Stop() override { g.events.push_back("stop"); }
};

void InstallPlayer() {
    SetFlashPlayerFactory([] {
        ++g.players;
        return std::unique_ptr<TFlashPlayerControl>(std::make_unique<FakePlayer>());
    });
}

Image Solid(int w, int h, Rgb c) {
    Image img(w, h);
    img.FillAll(c);
    return img;
}

// Resources of the test's own, kept alive while registered; later tables are
// searched first, so they stand in for the program's.
class TestResources {
public:
    void AddBytes(const char* type, const std::string& name, std::vector<uint8_t> bytes) {
        items_.push_back({type, name, std::move(bytes)});
    }
    void AddPicture(const char* type, const std::string& name, const Image& img) {
        AddBytes(type, name, std::string(type) == "JPEG" ? platform::EncodeJpeg(img, 100) : platform::EncodeBmp24(img));
    }
    void Register() {
        for (const Item& i : items_) entries_.push_back({i.type, i.name.c_str(), i.data.data(), i.data.size()});
        platform::RegisterResources(entries_.data(), entries_.size());
    }

private:
    struct Item {
        const char* type;
        std::string name;
        std::vector<uint8_t> data;
    };
    std::vector<Item> items_;
    std::vector<platform::ResourceEntry> entries_;
};

// A module of the test's own, with the recording callbacks.
class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        g = Record();
        platform::SetSystem(&sys_);
    }
    void TearDown() override {
        SetFlashPlayerFactory(nullptr);
        platform::ClearResources();
        platform::SetSystem(nullptr);
    }
    void Prepare(CJXMultiAdvModule& m, int left, int top, int w, int h) {
        m.Init(left, top, w, h, &canvas_);
        m.SetOpenCallback(OnOpen);
        m.SetRunCallback(OnRun);
        m.SetHintCallback(OnHint);
    }
    platform::HeadlessSystem sys_;
    Image canvas_{300, 200};
};

TEST_F(ModuleTest, EveryBannerUnderThePointerIsClickedAndHoveredInListOrder) {
    CJXMultiAdvModule m;
    Prepare(m, 10, 20, 200, 100);
    m.AddBanner(0, 0, 50, 50, 1, "a", 3, "D:\\A.PDF", "", 0);
    m.AddBanner(25, 25, 50, 50, 1, "b", 1, "http://b.example.pl", "Strona B", 0);
    const int base = m.IndexBase();
    EXPECT_GE(base, 0);
    EXPECT_LT(base, 256);
    // (35, 45) in the window is (25, 25) in the module: inside both.
    m.MouseDown(35, 45);
    EXPECT_EQ(g.run, std::vector<std::string>{"D:\\A.PDF"});
    EXPECT_EQ(g.opened, std::vector<std::string>{"http://b.example.pl"});
    m.MouseMove(35, 45);
    ASSERT_EQ(g.hints.size(), 2u);
    EXPECT_EQ(g.hints[0], (std::pair<std::string, int>{"D:\\A.PDF", base}));  // no hint of its own: the target
    EXPECT_EQ(g.hints[1], (std::pair<std::string, int>{"Strona B", base + 1}));
    // Right and bottom edges are outside: (50, 25), (25, 50) and (50, 50) in the
    // module are only the second banner's.
    g = Record();
    m.MouseDown(60, 45);
    m.MouseDown(35, 70);
    m.MouseDown(60, 70);
    EXPECT_TRUE(g.run.empty());
    EXPECT_EQ(g.opened.size(), 3u);
    // The module's own left and top edges are inside, the point before them is not.
    g = Record();
    m.MouseDown(10, 20);
    m.MouseDown(9, 20);
    m.MouseDown(10, 19);
    EXPECT_EQ(g.run.size(), 1u);
    EXPECT_TRUE(g.opened.empty());
}

TEST_F(ModuleTest, HotAreasFollowTheFirstBitmapBannerUnderThePointer) {
    CJXMultiAdvModule m;
    EXPECT_FALSE(m.IsHot(5, 5));  // empty: ignores the pointer
    Prepare(m, 0, 0, 300, 100);
    m.AddBanner(0, 0, 40, 40, 1, "n", 0, "", "", 0);                   // no target
    m.AddBanner(0, 0, 80, 80, 1, "w", 1, "www.example.pl", "", 0);     // under the first
    m.AddBanner(100, 0, 40, 40, 1, "e", 3, "", "", 0);                 // a file, but none given
    m.AddBanner(150, 0, 40, 40, 1, "o", 2, "x", "", 0);                // a kind nothing opens
    m.AddBanner(200, 0, 40, 40, 2, "p", 1, "www.example.pl", "", 0);   // picture in place of a movie
    m.AddBanner(250, 0, 40, 40, 2, "q", 1, "", "", 0);
    EXPECT_FALSE(m.IsHot(10, 10)) << "the first banner decides, not any";
    EXPECT_TRUE(m.IsHot(60, 60));
    EXPECT_TRUE(m.IsHot(110, 10));
    EXPECT_TRUE(m.IsHot(160, 10));
    EXPECT_TRUE(m.IsHot(210, 10));
    EXPECT_FALSE(m.IsHot(260, 10));
    EXPECT_FALSE(m.IsHot(95, 10));
    // A hand, yet nothing to do: the file banner has no target, the other kind opens nothing.
    m.MouseDown(110, 10);
    m.MouseDown(160, 10);
    EXPECT_TRUE(g.run.empty() && g.opened.empty());
    m.MouseMove(110, 10);
    EXPECT_TRUE(g.hints.empty());
    m.MouseMove(160, 10);
    EXPECT_EQ(g.hints.size(), 1u);  // it still has a hint: its target
}

TEST_F(ModuleTest, ExpiryEndsWithTheMonthAndSilencesOnlyWebAddresses) {
    struct Case {
        platform::Date today;
        bool expired;
    } cases[] = {{{2008, 3, 31}, false}, {{2008, 4, 1}, true}, {{2009, 1, 1}, true}, {{2007, 12, 31}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.today.year) + "-" + std::to_string(c.today.month));
        sys_.SetToday(c.today);
        CJXMultiAdvModule m;
        m.SetExpiry(2008, 3);
        EXPECT_EQ(m.Expired(), c.expired);
        Prepare(m, 0, 0, 300, 100);
        m.AddBanner(0, 0, 50, 50, 1, "w", 1, "www.example.pl", "", 0);
        m.AddBanner(50, 0, 50, 50, 1, "f", 3, "D:\\X.PDF", "Otwórz", 0);
        m.AddBanner(100, 0, 50, 50, 2, "p", 1, "www.example.pl", "", 0);
        g = Record();
        for (int x : {10, 60, 110}) {
            m.MouseDown(x, 10);
            m.MouseMove(x, 10);
        }
        EXPECT_EQ(g.opened.size(), c.expired ? 0u : 2u);
        EXPECT_EQ(g.run, std::vector<std::string>{"D:\\X.PDF"});
        EXPECT_EQ(g.hints.size(), c.expired ? 1u : 3u);
        EXPECT_EQ(m.IsHot(10, 10), !c.expired);
        EXPECT_TRUE(m.IsHot(60, 10));
        EXPECT_TRUE(m.IsHot(110, 10)) << "the picture keeps its hand after the campaign";
    }
}

TEST_F(ModuleTest, DrawingPutsThePicturesOverThePanelColour) {
    TestResources res;
    res.AddPicture("BMP", "red", Solid(40, 30, {200, 0, 0}));
    res.AddPicture("BMP", "green", Solid(40, 30, {0, 200, 0}));
    res.AddPicture("JPEG", "S_movie", Solid(40, 30, {0, 0, 255}));  // larger than its banner
    res.AddBytes("BMP", "broken", {'B', 'M', 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0});
    res.Register();
    canvas_.FillAll({1, 2, 3});
    CJXMultiAdvModule m;
    Prepare(m, 10, 20, 150, 60);
    m.Draw();
    EXPECT_EQ(canvas_.Pixel(10, 20), (Rgb{1, 2, 3})) << "an empty module draws nothing";
    // The picture is added first yet stays on top: it stands for a child window.
    m.AddBanner(50, 10, 30, 20, 2, "movie", 0, "", "", 0);
    m.AddBanner(0, 0, 40, 30, 1, "red", 0, "", "", 0);
    m.AddBanner(20, 10, 40, 30, 1, "green", 0, "", "", 0);  // over part of red
    m.AddBanner(100, 0, 40, 30, 1, "broken", 0, "", "", 0);
    m.AddBanner(100, 30, 40, 30, 1, "missing", 0, "", "", 0);
    m.StartAll();
    m.Draw();
    EXPECT_EQ(canvas_.Pixel(10, 20), (Rgb{200, 0, 0}));
    EXPECT_EQ(canvas_.Pixel(29, 29), (Rgb{200, 0, 0}));
    EXPECT_EQ(canvas_.Pixel(30, 30), (Rgb{0, 200, 0}));
    Rgb movie = canvas_.Pixel(60, 30);
    EXPECT_LT(movie.r, 20);
    EXPECT_GT(movie.b, 235);
    EXPECT_EQ(canvas_.Pixel(89, 49), canvas_.Pixel(60, 30));
    // The picture is cut to its banner.
    EXPECT_EQ(canvas_.Pixel(90, 35), kPanelColour);
    EXPECT_EQ(canvas_.Pixel(75, 50), kPanelColour);
    // Where no picture reached, damaged and missing ones included: the panel colour,
    // up to the module's edges and not beyond.
    for (auto [x, y] : {std::pair{110, 25}, std::pair{115, 65}, std::pair{159, 79}, std::pair{95, 22}})
        EXPECT_EQ(canvas_.Pixel(x, y), kPanelColour) << x << "," << y;
    EXPECT_EQ(canvas_.Pixel(160, 50), (Rgb{1, 2, 3}));
    EXPECT_EQ(canvas_.Pixel(50, 80), (Rgb{1, 2, 3}));
    EXPECT_FALSE(m.Banners()[3]->hasBitmap);
}

TEST_F(ModuleTest, AMovieBannerPlaysInThePlayerWhenOneOfTheVersionCanBeMade) {
    TestResources res;
    res.AddBytes("FLASH", "film", {'F', 'W', 'S', 7, 1, 2, 3});
    res.AddPicture("JPEG", "S_film", Solid(60, 40, {0, 0, 255}));
    res.Register();
    struct Case {
        uint32_t version;
        bool player, noFlash, movie;
    } cases[] = {
        {7u << 24, true, false, true},   // the oldest version that will do
        {6u << 24, true, false, false},  // too old
        {9u << 24, false, false, false}, // a new one, but no player to host it: this build
        {9u << 24, true, true, false},   // "/NOFLASH"
        {0, true, false, false},         // none installed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version >> 24);
        g = Record();
        sys_.SetFlashVersion(c.version);
        c.player ? InstallPlayer() : SetFlashPlayerFactory(nullptr);
        CJXMultiAdvModule m;
        if (c.noFlash) m.SetNoFlash();
        Prepare(m, 5, 7, 100, 60);
        m.AddBanner(10, 10, 60, 40, 2, "film", 1, "www.example.pl", "", 7);
        m.StartAll();
        canvas_.FillAll({1, 2, 3});
        m.Draw();
        const CJXAdvMod& b = *m.Banners()[0];
        EXPECT_EQ(b.movie != nullptr, c.movie);
        EXPECT_EQ(b.noFlash, !c.movie);
        EXPECT_EQ(b.pictureShown, !c.movie);
        Rgb at = canvas_.Pixel(40, 40);
        if (c.movie) {
            EXPECT_EQ(at, kPanelColour) << "the movie shows itself; the module only keeps its place";
            EXPECT_EQ(g.bounds, (platform::Rect{15, 17, 60, 40}));
            EXPECT_EQ(g.backgrounds, (std::vector<int32_t>{0x101322, -1}));
            EXPECT_TRUE(g.visible);
            EXPECT_EQ(g.movie, (std::vector<uint8_t>{'F', 'W', 'S', 7, 1, 2, 3}));
            EXPECT_EQ(g.cursor, platform::kCursorHand);
            EXPECT_FALSE(m.IsHot(40, 40)) << "the player shows its own cursor";
        } else {
            EXPECT_GT(at.b, 235);
            EXPECT_TRUE(m.IsHot(40, 40));
        }
        m.StopMovies();
        m.PlayMovies();
        EXPECT_EQ(g.events, c.movie ? (std::vector<std::string>{"stop", "play"}) : std::vector<std::string>{});
    }
    // A player that cannot be made, and one made after the campaign ended.
    sys_.SetFlashVersion(9u << 24);
    SetFlashPlayerFactory([]() -> std::unique_ptr<TFlashPlayerControl> { throw std::runtime_error("refused"); });
    CJXMultiAdvModule refused;
    Prepare(refused, 0, 0, 100, 60);
    refused.AddBanner(0, 0, 60, 40, 2, "film", 1, "www.example.pl", "", 7);
    EXPECT_TRUE(refused.Banners()[0]->noFlash);
    InstallPlayer();
    sys_.SetToday({2008, 4, 1});
    CJXMultiAdvModule late;
    late.SetExpiry(2008, 3);
    Prepare(late, 0, 0, 100, 60);
    late.AddBanner(0, 0, 60, 40, 2, "film", 1, "www.example.pl", "", 7);
    EXPECT_NE(late.Banners()[0]->movie, nullptr);
    EXPECT_EQ(g.cursor, platform::kCursorDefault);
}

// ---- the whole menu ----

class BannerMenuTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        g = Record();
        MakeDisc({Group("Grafika"), Prog("Malarz"), Prog("Ramka")});
        std::filesystem::create_directories(disc_ + "/+ TYLKO W WERSJI CYFROWEJ +");
        testsupport::WriteFile(disc_ + "/+ TYLKO W WERSJI CYFROWEJ +/Poradnik.pdf", std::string("%PDF-1.4\n"));
        testsupport::WriteFile(disc_ + "/+ TYLKO W WERSJI CYFROWEJ +/Katalog.pdf", std::string("%PDF-1.4\n"));
    }
    void TearDown() override {
        MenuTest::TearDown();
        SetFlashPlayerFactory(nullptr);
    }
    // Start-up with the date and the movie player chosen before the program starts.
    void StartAt(platform::Date today, std::vector<std::string> args = {}, uint32_t flash = 0, int w = 1024, int h = 768) {
        sys_ = std::make_unique<platform::HeadlessSystem>(w, h);
        sys_->SetToday(today);
        sys_->SetFlashVersion(flash);
        platform::SetSystem(sys_.get());
        platform::Drives().Map('D', disc_);
        platform::Drives().Map('C', tmp_->path() + "/home");
        program_ = std::make_unique<Program>(std::move(args));
        ASSERT_TRUE(program_->Start());
        sys_->Pump();
        sys_->ClearRecords();
    }
    void Press(int x, int y, platform::Button b = platform::Button::Left) {
        sys_->Advance(400);
        sys_->MouseDown(Main(), x, y, b);
    }
    void Release(int x, int y, platform::Button b = platform::Button::Left) { sys_->MouseUp(Main(), x, y, b); }
    Image StatusStrip() {
        Image s(550, 16);
        s.CopyRect(0, 0, 550, 16, Canvas(), 275, 720, platform::RasterOp::Copy);
        return s;
    }
    static bool Same(const Image& a, const Image& b) {
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
        return true;
    }
    std::string Pdf(const char* name) { return disc_ + "/+ TYLKO W WERSJI CYFROWEJ +/" + name; }

    // Window points inside the banners.
    static constexpr int kT1x = 60, kT2x = 500, kT3x = 950, kTy = 50;
    static constexpr int kLx = 100, kL1y = 150, kL2y = 300, kL3y = 500, kL4y = 720;
};

TEST_F(BannerMenuTest, WholeWindowModesShowTheBannerPicturesAtTheirPlaces) {
    for (auto [w, h] : {std::pair{1024, 768}, std::pair{1280, 1024}}) {
        SCOPED_TRACE(w);
        StartAt({2008, 1, 15});
        ASSERT_EQ(App().leftBanners.Banners().size(), 4u);
        ASSERT_EQ(App().topBanners.Banners().size(), 3u);
        struct Place {
            const char* type;
            const char* name;
            int x, y;
        } places[] = {{"BMP", "banner1", 7, 136},  {"BMP", "banner2", 7, 180},    {"BMP", "banner3", 7, 435},
                      {"BMP", "banner4", 7, 700},  {"BMP", "banner5", 7, 7},      {"JPEG", "S_banner6", 137, 7},
                      {"BMP", "banner7", 892, 7}};
        for (const Place& p : places) {
            Image pic;
            ASSERT_TRUE(platform::LoadResourceImage(p.type, p.name, pic)) << p.name;
            Image shown(pic.Width(), pic.Height());
            shown.CopyRect(0, 0, pic.Width(), pic.Height(), Canvas(), p.x, p.y, platform::RasterOp::Copy);
            EXPECT_TRUE(Same(shown, pic)) << p.name;
        }
        // The gaps of the top row are the panel colour from top to bottom.
        for (int x : {132, 136, 887, 891})
            for (int y : {7, 50, 106}) EXPECT_EQ(Canvas().Pixel(x, y), kPanelColour) << x << "," << y;
        // Indexes count on from each module's own base.
        for (const auto* m : {&App().leftBanners, &App().topBanners})
            for (size_t i = 0; i < m->Banners().size(); ++i) EXPECT_EQ(m->Banners()[i]->index, m->IndexBase() + static_cast<int>(i));
        Stop();
    }
}

TEST_F(BannerMenuTest, SmallModesHaveNoBannersToDrawOrClick) {
    for (auto [w, h] : {std::pair{800, 600}, std::pair{1000, 700}}) {
        SCOPED_TRACE(w);
        StartAt({2008, 1, 15}, {}, 0, w, h);
        EXPECT_TRUE(App().leftBanners.Banners().empty());
        EXPECT_TRUE(App().topBanners.Banners().empty());
        Image pic, shown(125, 100);
        ASSERT_TRUE(platform::LoadResourceImage("BMP", "banner5", pic));
        shown.CopyRect(0, 0, 125, 100, Canvas(), 7, 7, platform::RasterOp::Copy);
        EXPECT_FALSE(Same(shown, pic));
        Press(kT1x, kTy);
        Press(kLx, kL2y);
        EXPECT_TRUE(sys_->ShellRequests().empty());
        Stop();
    }
}

TEST_F(BannerMenuTest, BeforeTheEndOfMarch2008AddressesOpenOnThePress) {
    StartAt({2008, 3, 31});
    Press(kT1x, kTy);
    ASSERT_EQ(sys_->ShellRequests().size(), 1u) << "on the press, before any release";
    EXPECT_EQ(sys_->ShellRequests()[0].file, "http://www.sklep-komputerowy.example.pl");
    Release(kT1x, kTy);
    EXPECT_EQ(sys_->ShellRequests().size(), 1u);
    sys_->RestoreApp();
    Press(kT2x, kTy);
    Press(kT3x, kTy);
    ASSERT_EQ(sys_->ShellRequests().size(), 2u) << "the menu was minimised by the first open";
    sys_->RestoreApp();
    Press(kT3x, kTy);
    ASSERT_EQ(sys_->ShellRequests().size(), 3u);
    EXPECT_EQ(sys_->ShellRequests()[1].file, "http://prenumerata.wydawnictwo-vemi.example.pl");
    EXPECT_EQ(sys_->ShellRequests()[2].file, "http://www.hosting-pro.example.pl");
    sys_->RestoreApp();
    // The header, the footer and the gaps lead nowhere; other buttons are swallowed.
    Press(kLx, kL1y);
    Press(kLx, kL4y);
    Press(134, kTy);
    Press(kT1x, kTy, platform::Button::Right);
    Press(kT1x, kTy, platform::Button::Middle);
    EXPECT_EQ(sys_->ShellRequests().size(), 3u);
    for (int x : {kT1x, kT2x, kT3x}) {
        sys_->MouseMove(Main(), x, kTy);
        EXPECT_EQ(Main().Cursor(), platform::kCursorHand) << x;
    }
    for (int y : {kL1y, kL4y}) {
        sys_->MouseMove(Main(), kLx, y);
        EXPECT_EQ(Main().Cursor(), platform::kCursorDefault) << y;
    }
}

TEST_F(BannerMenuTest, AfterMarch2008OnlyTheDocumentsStillOpen) {
    StartAt({2008, 4, 1});
    EXPECT_TRUE(App().leftBanners.Expired());
    EXPECT_TRUE(App().topBanners.Expired());
    const Image blank = StatusStrip();
    for (int x : {kT1x, kT2x, kT3x}) {
        Press(x, kTy);
        sys_->MouseMove(Main(), x, kTy);
        EXPECT_EQ(Frm().statusKey, 0) << x;
        EXPECT_TRUE(Same(StatusStrip(), blank)) << x;
        // The picture standing in for the movie keeps its hand.
        EXPECT_EQ(Main().Cursor(), x == kT2x ? platform::kCursorHand : platform::kCursorDefault) << x;
    }
    EXPECT_TRUE(sys_->ShellRequests().empty());
    const char* docs[] = {"Poradnik.pdf", "Katalog.pdf"};
    const int ys[] = {kL2y, kL3y};
    for (int i = 0; i < 2; ++i) {
        sys_->MouseMove(Main(), kLx, ys[i]);
        EXPECT_EQ(Main().Cursor(), platform::kCursorHand);
        EXPECT_EQ(Frm().statusKey, App().leftBanners.IndexBase() + 1 + i + 50);
        // The strip shows the banner's own hint, as the status line draws it.
        Image hinted = StatusStrip();
        Frm().ShowStatusText(W("Otwórz ") + docs[i]);
        EXPECT_TRUE(Same(StatusStrip(), hinted));
        EXPECT_FALSE(Same(hinted, blank));
        Press(kLx, ys[i]);
        ASSERT_EQ(sys_->ShellRequests().size(), static_cast<size_t>(i + 1));
        EXPECT_EQ(sys_->ShellRequests()[i].file, Pdf(docs[i]));
        EXPECT_EQ(sys_->ShellRequests()[i].dir, disc_ + "/+ TYLKO W WERSJI CYFROWEJ +");
        sys_->RestoreApp();
    }
}

TEST_F(BannerMenuTest, AnAddressBannerHintsWithItsAddressAndEqualKeysAreNotRedrawn) {
    StartAt({2008, 1, 15});
    const Image blank = StatusStrip();
    sys_->MouseMove(Main(), kT3x, kTy);
    EXPECT_EQ(Frm().statusKey, App().topBanners.IndexBase() + 2 + 50);
    Image hinted = StatusStrip();
    Frm().ShowStatusText("http://www.hosting-pro.example.pl");
    EXPECT_TRUE(Same(StatusStrip(), hinted));
    // The key is the index plus 50: a banner of another module with the same index
    // leaves the strip as it is, a different index redraws it.
    Frm().ShowStatusText("");
    Frm().statusKey = 0;
    Frm().ShowBannerHint("Pierwszy", 7);
    const Image first = StatusStrip();
    EXPECT_FALSE(Same(first, blank));
    Frm().ShowBannerHint("Drugi", 7);
    EXPECT_TRUE(Same(StatusStrip(), first));
    EXPECT_EQ(Frm().statusKey, 57);
    Frm().ShowBannerHint("Drugi", 8);
    EXPECT_FALSE(Same(StatusStrip(), first));
    EXPECT_EQ(Frm().statusKey, 58);
}

TEST_F(BannerMenuTest, NoFlashAsTheFirstArgumentInAnyCaseAndAnOldPlayerGiveThePicture) {
    InstallPlayer();
    Image picture;
    ASSERT_TRUE(platform::LoadResourceImage("JPEG", "S_banner6", picture));
    struct Case {
        std::vector<std::string> args;
        uint32_t flash;
        bool movie;
    } cases[] = {
        {{}, 9u << 24, true},
        {{"/noflash"}, 9u << 24, false},
        {{"/NoFlash", "x"}, 9u << 24, false},
        {{"x", "/NOFLASH"}, 9u << 24, true},
        {{"/NOFLASHX"}, 9u << 24, true},
        {{}, 7u << 24, true},
        {{}, 6u << 24, false},
        {{}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.args.empty() ? std::string("-") : c.args[0]) + " " + std::to_string(c.flash >> 24));
        g = Record();
        StartAt({2008, 1, 15}, c.args, c.flash);
        const CJXAdvMod& six = *App().topBanners.Banners()[1];
        EXPECT_EQ(six.movie != nullptr, c.movie);
        EXPECT_EQ(g.players, c.movie ? 1 : 0);
        EXPECT_EQ(Canvas().Pixel(137 + 300, 7 + 50), c.movie ? kPanelColour : picture.Pixel(300, 50));
        if (c.movie) {
            EXPECT_EQ(g.bounds, (platform::Rect{137, 7, 750, 100}));
            // Away from the desktop the movie halts, and goes on when the menu is back.
            Frm().MinimiseWindow();
            sys_->RestoreApp();
            EXPECT_EQ(g.events, (std::vector<std::string>{"stop", "play"}));
        }
        Stop();
    }
}

}  // namespace

#include "app/Mainu.h"
#include "catalogue/Discpaths.h"

#include <stdexcept>

#include "app/Regwinu.h"
#include "install/Abtu.h"
#include "install/Vemiinstu.h"
#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "platform/text.h"
#include "widgets/Showimagesu.h"

using platform::W;

using platform::Sys;

TMN_FRM* MN_FRM = nullptr;

namespace {
Application* g_app = nullptr;

// Plain callbacks for the banners: they reach the one main window.
void BannerOpen(const std::string& t) {
    if (MN_FRM) MN_FRM->OpenAddress(t);
}
void BannerRun(const std::string& t) {
    if (MN_FRM) MN_FRM->RunFullPath(t);
}
void BannerHint(const std::string& t, int index) {
    if (MN_FRM) MN_FRM->ShowBannerHint(t, index);
}

}  // namespace

void TMN_FRM::ReportError(const std::exception& e) { Sys().MessageBox(e.what(), "VEMI32", platform::MsgKind::Error); }

Application& App() {
    if (!g_app) throw std::logic_error("the application objects do not exist");
    return *g_app;
}
void SetApp(Application* a) { g_app = a; }

TMN_FRM::TMN_FRM(const std::vector<std::string>& args) : args_(args) {
    MN_FRM = this;
    platform::WindowStyle style;
    style.borderless = true;
    style.title = "VEMI32";
    style.width = 1024;
    style.height = 768;
    window_ = Sys().CreateWindow(style);
    window_->SetHandler(this);
    try {
        FormCreate();
    } catch (const std::exception& e) {
        // A catalogue fault ends start-up here; the window comes up with what was
        // built so far and the error is reported the standard way.
        ReportError(e);
    }
}

TMN_FRM::~TMN_FRM() {
    // A start-up that ended early leaves the skins' decoder running; it ends by itself.
    if (skinDecoder_.joinable()) skinDecoder_.join();
    if (!released_) ReleaseMainWindow();
    window_->SetHandler(nullptr);
    if (MN_FRM == this) MN_FRM = nullptr;
}

std::string TMN_FRM::GetDiscRoot() {
    // The folder of the running program as a Windows path. When the disc is mapped
    // somewhere else (the program is not on drive D:), the disc is the root of D:.
    std::string root = "D:";
    if (auto folder = platform::Drives().ToWindows(platform::ExecutableFolder()); folder && (*folder)[0] == 'D')
        root = *folder;
    if (!root.empty() && root.back() == '\\') root.pop_back();
    return platform::UpperCp1250(root);
}

void TMN_FRM::FormCreate() {
    platform::OverlayPanel diag;
    diag.x = 280;
    diag.y = 143;
    diag.w = 441;
    diag.h = 33;
    diag.visible = false;
    window_->SetOverlay(diag);

    Application& app = App();
    app.discRoot = GetDiscRoot();
    if (!platform::FileExists(discpaths::OnDisc(app.discRoot, discpaths::kMainCatalogueTested)) ||
        !platform::FileExists(discpaths::OnDisc(app.discRoot, discpaths::kSecondCatalogueTested))) {
        Sys().MessageBox("DISK READ ERROR", "DISK READ ERROR", platform::MsgKind::Plain);
        showWanted_ = false;
        Sys().Terminate();
        return;
    }
    inputReady = false;
    auto& sys = Sys();
    sys.messageHook = [this](const platform::InputEvent& ev) { return RouteBannerMouse(ev); };
    sys.onMinimize = [this] { OnAppMinimize(); };
    sys.onRestore = [this] { OnAppRestore(); };

    // The skins are decoded while the archives are unpacked; PrepareSkins waits.
    DecodeSkinsAhead();
    platform::MemoryStream fonts, pictures;
    const std::string resources = discpaths::OnDisc(app.discRoot, discpaths::kResourceFolder);
    LoadResourceArchive(resources, std::string(discpaths::kFontArchive), std::string(discpaths::kFontMember), fonts);
    LoadResourceArchive(resources, std::string(discpaths::kPictureArchive), std::string(discpaths::kPictureMember), pictures);
    fontStream_ = &fonts;
    pictureStream_ = &pictures;
    struct StreamsGone {
        TMN_FRM* w;
        ~StreamsGone() { w->fontStream_ = w->pictureStream_ = nullptr; }
    } gone{this};
    InitMainWindow();
    LoadCatalogue();
    // The streams are dropped here: everything that reads them has read them.
}

bool TMN_FRM::LoadResourceArchive(const std::string& folder, const std::string& archive, const std::string& member,
                                  platform::MemoryStream& out) {
    return ::LoadResourceArchive(UZF, folder, archive, member, out);
}

void TMN_FRM::InitMainWindow() {
    Application& app = App();
    auto& sys = Sys();
    // 1, 2: caption and the initial state of the view and of the input.
    window_->SetTitle("VEMI32");
    app.entryKind = kKindProgram;
    app.selectedRecord = -1;
    defaultScreenshotShown = false;
    dragging = false;
    lastPressTime = 0;
    hoverId = previousHoverId = 0;
    statusKey = 0;
    // 3, 4, 5: screen mode, placement, top-most, shape.
    ScreenMode = regwin::ChooseScreenMode(sys.ScreenWidth(), sys.ScreenHeight());
    regwin::PlaceMainWindow(*window_, ScreenMode, sys.ScreenWidth(), sys.ScreenHeight());
    window_->SetStayOnTop(regwin::StaysOnTop(ScreenMode));
    window_->SetFullScreen(regwin::CoversScreen(ScreenMode));
    regwin::SetWindowShape(*window_, regwin::ShapeFor(ScreenMode));
    // 6: buffers and skins.
    InitBackBuffers();
    PrepareSkins();
    // 7: title, count and link-caption fonts.
    titleFont.Load(*fontStream_);
    countFont.Load(*fontStream_);
    linkFont.Load(*fontStream_);
    // 8: the hand cursor.
    {
        platform::Image pic, mask;
        if (platform::LoadResourceImage("CURSOR", "RACZKA", pic) && platform::LoadResourceImage("CURSOR", "RACZKA_MASK", mask)) {
            int hx = 0, hy = 0;
            if (const platform::ResourceEntry* h = platform::FindResource("CURSOR", "RACZKA_HOTSPOT"); h && h->size >= 2)
                hx = h->data[0], hy = h->data[1];
            sys.RegisterCursor(platform::kCursorHand, pic, mask, hx, hy);
        }
    }
    // 9, 10, 11: button pictures and states; buttons draw on the window itself.
    LoadButtonBitmaps(*pictureStream_);
    ResetButtonStates();
    // 12: the description area.
    InitInfoArea(*fontStream_);
    // 13: the banners' campaign ends with March 2008.
    app.leftBanners.SetExpiry(2008, 3);
    app.topBanners.SetExpiry(2008, 3);
    // 14: the spare fonts are read to bring the stream to the list's fonts.
    spareFont1.Load(*fontStream_);
    spareFont2.Load(*fontStream_);
    // 15: "/NOFLASH" as the first argument.
    if (!args_.empty() && platform::UpperCp1250(args_[0]) == "/NOFLASH") {
        app.leftBanners.SetNoFlash();
        app.topBanners.SetNoFlash();
    }
    // 16, 17: the banner column and row; banners only where they can be seen.
    const bool banners = ScreenMode == 1024 || ScreenMode == 1025;
    app.leftBanners.Init(7, 136, 255, 600, &Canvas());
    app.leftBanners.SetOpenCallback(BannerOpen);
    app.leftBanners.SetHintCallback(BannerHint);
    app.leftBanners.SetRunCallback(BannerRun);
    if (banners) {
        const std::string docs = discpaths::OnDisc(app.discRoot, discpaths::kDocumentFolder);
        const std::string guide(discpaths::kBannerDocuments[0]), catalogue(discpaths::kBannerDocuments[1]);
        app.leftBanners.AddBanner(0, 0, 255, 44, 1, "banner1", 0, "", "", 0);
        app.leftBanners.AddBanner(0, 44, 255, 255, 1, "banner2", 3, docs + guide, W("Otwórz ") + guide, 0);
        app.leftBanners.AddBanner(0, 299, 255, 265, 1, "banner3", 3, docs + catalogue, W("Otwórz ") + catalogue, 0);
        app.leftBanners.AddBanner(0, 564, 255, 36, 1, "banner4", 0, "", "", 0);
        app.leftBanners.StartAll();
    }
    app.topBanners.Init(7, 7, 1010, 100, &Canvas());
    app.topBanners.SetOpenCallback(BannerOpen);
    app.topBanners.SetHintCallback(BannerHint);
    app.topBanners.SetRunCallback(BannerRun);
    if (banners) {
        app.topBanners.AddBanner(0, 0, 125, 100, 1, "banner5", 1, "http://www.sklep-komputerowy.example.pl", "", 0);
        app.topBanners.AddBanner(130, 0, 750, 100, 2, "banner6", 1, "http://prenumerata.wydawnictwo-vemi.example.pl", "", 7);
        app.topBanners.AddBanner(885, 0, 125, 100, 1, "banner7", 1, "http://www.hosting-pro.example.pl", "", 0);
        app.topBanners.StartAll();
    }
    // 18: the diagnostic label.
    platform::OverlayPanel diag = window_->Overlay();
    diag.text.clear();
    try {
        if (sys.IsFlashInstalled())
            diag.text = "FlashVersion = " + std::to_string(sys.FlashVersion() >> 24);
        else
            diag.text = "FlashVersion = not installed";
    } catch (...) {
        // The label is diagnostics for the disc's makers; a player that cannot even
        // say its version leaves it empty rather than stop the start.
    }
    window_->SetOverlay(diag);
}

void TMN_FRM::ReleaseMainWindow() {
    released_ = true;
    // The program is ending: a step that fails must not keep the later ones from
    // freeing what they hold, and there is nobody left to tell.
    auto quiet = [](auto&& f) {
        try {
            f();
        } catch (...) {
        }
    };
    quiet([&] { programList.UnloadFonts(); });
    quiet([&] { programList.Free(); });
    quiet([&] { listScrollBar.Free(); });
    quiet([&] { descScrollBar.Free(); });
    quiet([&] { FreeViewResources(); });
    quiet([&] { spareFont1.Unload(); });
    quiet([&] { spareFont2.Unload(); });
    if (g_app) {
        quiet([&] { g_app->leftBanners.FreeBitmap(); });
        quiet([&] { g_app->topBanners.FreeBitmap(); });
    }
    regwin::ReleaseWindowShape();
}

void TMN_FRM::OnClose() {
    // Closing the main window ends the run.
    Sys().Terminate();
}

Program::Program(std::vector<std::string> args) : args_(std::move(args)) {}

Program::~Program() {
    about_.reset();
    installer_.reset();
    if (mainWindow_) {
        mainWindow_->IMG_FRM.reset();
        mainWindow_.reset();
    }
    auto& sys = Sys();
    sys.messageHook = nullptr;
    sys.onMinimize = nullptr;
    sys.onRestore = nullptr;
    SetApp(nullptr);
    app_.reset();
}

bool Program::Start() {
    auto& sys = Sys();
    app_ = std::make_unique<Application>();
    SetApp(app_.get());
    if (sys.ScreenWidth() < 800 || sys.ScreenHeight() < 600) {
        sys.MessageBox(W("Program wymaga minimum trybu 800 x 600 (zalecane 1024 x 768)!"),
                       W("Zmień rozdzielczość ekranu"), platform::MsgKind::Plain);
        return false;
    }
    sys.SetAppTitle("VEMI32");
    sys.SetAppIcon(platform::LoadResourceIcon("VEMI32"));
    mainWindow_ = std::make_unique<TMN_FRM>(args_);
    mainWindow_->IMG_FRM = std::make_unique<TIMG_FRM>();
    installer_ = std::make_unique<TINST_FRM>();
    about_ = std::make_unique<TABT_FRM>();
    if (!mainWindow_->ShowWanted() || sys.Terminated()) return false;
    mainWindow_->Window().Show();
    return true;
}

void Program::Run() {
    try {
        Sys().Run(mainWindow_->Window());
    } catch (...) {
        // An error that escapes the loop ends the program quietly.
    }
}

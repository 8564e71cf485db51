// The main window TMN_FRM: start-up, the catalogue model, painting, input and the
// actions behind its buttons. One instance, MN_FRM, for the whole run.
#pragma once

#include <array>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Appstate.h"
#include "install/Zipreaderu.h"
#include "platform/image.h"
#include "platform/stream.h"
#include "platform/system.h"
#include "widgets/Cjxfontfileu.h"
#include "widgets/Cjxscrollbaru.h"
#include "widgets/Cjxtextscrbaru.h"
#include "widgets/Cjxtreeboxu.h"

class TIMG_FRM;
class TINST_FRM;
class TABT_FRM;

// Gives a flag its final value however the scope is left, an error included: an
// error met while showing a selection or painting must not leave the window deaf to
// the user.
class FlagScope {
public:
    FlagScope(bool& flag, bool atEnd) : flag_(flag), atEnd_(atEnd) {}
    ~FlagScope() { flag_ = atEnd_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool atEnd_;
};

class TMN_FRM : public platform::WindowHandler {
public:
    // Creating the window runs FormCreate, which runs the whole start-up.
    TMN_FRM(const std::vector<std::string>& args);
    ~TMN_FRM() override;

    platform::Window& Window() { return *window_; }
    platform::Image& Canvas() { return window_->Canvas(); }
    // False when start-up ended early (missing catalogue): the window is not shown.
    bool ShowWanted() const { return showWanted_; }

    // --- start-up ---
    void FormCreate();
    void InitMainWindow();
    void ReleaseMainWindow();
    static std::string GetDiscRoot();
    // Fills a stream from a member of a resource archive, or from the plain member
    // file beside it; false when neither could be read (the stream is then empty).
    bool LoadResourceArchive(const std::string& folder, const std::string& archive, const std::string& member,
                             platform::MemoryStream& out);

    // --- catalogue model ---
    void LoadCatalogue();
    void DecodeCatalogue(CJXNdt4File& raw);
    void FillProgramList(bool expanded);
    int FirstProgram();
    void UpdateEntryKind(int r);
    void SelectRecord(int r);
    void ParsePictureList(int r);
    void ResetButtonStates();
    void ShowListVariant(int button);
    static std::string IssueCodeFrom(const std::string& titleLine2);

    // --- painting ---
    void InitBackBuffers();
    // Starts decoding the two skins, and painting them on back buffers of their
    // own, on a thread of their own, so that it runs while the resource archives are
    // unpacked and the fonts are read. PrepareSkins takes the program skin and
    // FinishCoverSkin, at the start of LoadCatalogue, the cover (or each does the
    // work itself when nothing was started).
    void DecodeSkinsAhead();
    void PrepareSkins();
    void FinishCoverSkin();
    int LoadButtonBitmaps(platform::MemoryStream& pictures);
    void InitInfoArea(platform::MemoryStream& fonts);
    void DrawButton(int id, int state);
    void DrawActionButtons();
    void ApplyHover(int newId, int oldId);
    void ShowSelection(int record);
    void ShowProgramInfo(int record);
    void DrawPicture();
    void DrawLinkLine(int record);
    void ShowStatusText(const std::string& text);
    void ShowHoverHint(int x, int y);
    void ShowBannerHint(const std::string& text, int index);
    void PaintWindow();
    void FreeViewResources();
    std::vector<std::string> DescriptionLines(int record);

    // --- input ---
    // Every handler runs guarded: an error that escapes one (a damaged catalogue met
    // while showing a selection) is shown in the standard error box and the program
    // goes on.
    void OnPaint() override {
        Guard([&] { PaintWindow(); });
    }
    void OnMouseDown(platform::Button b, platform::ShiftState s, int x, int y) override {
        Guard([&] { FormMouseDown(b, s, x, y); });
    }
    void OnMouseUp(platform::Button b, platform::ShiftState s, int x, int y) override {
        Guard([&] { FormMouseUp(b, s, x, y); });
    }
    void OnMouseMove(platform::ShiftState s, int x, int y) override {
        Guard([&] { FormMouseMove(s, x, y); });
    }
    bool OnMouseWheel(int delta, platform::ShiftState s, int sx, int sy) override;
    void OnKeyDown(int key, platform::ShiftState s) override {
        Guard([&] { FormKeyDown(key, s); });
    }
    void OnKeyUp(int key, platform::ShiftState s) override {
        Guard([&] { FormKeyUp(key, s); });
    }
    void OnClose() override;
    template <class F>
    void Guard(F&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            ReportError(e);
        }
    }
    static void ReportError(const std::exception& e);

    void FormMouseDown(platform::Button b, platform::ShiftState s, int x, int y);
    void FormMouseUp(platform::Button b, platform::ShiftState s, int x, int y);
    void FormMouseMove(platform::ShiftState s, int x, int y);
    bool FormMouseWheel(bool up, int screenX, int screenY);
    void FormKeyDown(int key, platform::ShiftState s);
    void FormKeyUp(int key, platform::ShiftState s);
    bool RouteBannerMouse(const platform::InputEvent& ev);
    void OnAppMinimize();
    void OnAppRestore();
    void MinimiseWindow();
    bool IsDoublePress();
    void SetCursorFor(int id, int x, int y);
    void OpenPictureViewer();

    // --- actions ---
    void DispatchAction(int x, int y);
    void OpenAddress(const std::string& address);
    void RunFullPath(const std::string& path);
    void RunProgramFile(const std::string& folder, const std::string& fileName);
    int ShellOpen(const std::string& path);
    void OpenInfoFile(const std::string& path);
    void BrowseFolder(const std::string& path);
    void CopyProgramFolder(const std::string& programPath);
    void InstallFromArchive(const std::string& archivePath, const std::string& setupFile, const std::string& runFile);
    static std::string MakeFolderName(const std::string& text);
    void ShowInfoMessage(const std::string& text);
    // The shell's "open" on a Windows path or an address; > 32 on success.
    int ShellExecuteOpen(const std::string& file, const std::string& dir);

    // --- state a test may read ---
    int ScreenMode = 1024;
    int hoverId = 0, previousHoverId = 0, pressId = 0;
    uint32_t lastPressTime = 0;
    bool dragging = false;
    int grabX = 0, grabY = 0;
    bool inputReady = false, busy = false;
    int statusKey = 0;
    int linkWidth = 0;
    bool defaultScreenshotShown = false;
    bool showWanted_ = true;
    std::vector<std::string> args_;

    // Buffers and pictures.
    platform::Image coverBuffer, programBuffer, composedBuffer, listBackground;
    platform::Image statusStrip, linkStrip, pictureBitmap;
    // The skins as decoded; one of exactly the window's size becomes its buffer and
    // is not kept here as well.
    platform::Image skinCover, skinProgram, updateNotice;
    std::array<std::array<platform::Image, 11>, 4> buttonBitmaps;  // [state 1..3][id 1..10]
    CJXFontFile titleFont, countFont, linkFont, spareFont1, spareFont2;
    CJXTreeBox programList;
    CJXScrollBar listScrollBar;
    CJXTextScrBar descScrollBar;
    TJXZipReader UZF;
    std::unique_ptr<TIMG_FRM> IMG_FRM;

private:
    struct Skin {
        platform::Image picture, buffer;
    };
    void TakeSkin(std::future<Skin>& ahead, const char* name, platform::Image& skin, platform::Image& buffer);
    void FrameBuffer(platform::Image& buffer);
    std::future<Skin> programAhead_, coverAhead_;
    std::thread skinDecoder_;
    bool coverFinished_ = false;
    std::unique_ptr<platform::Window> window_;
    platform::MemoryStream* fontStream_ = nullptr;
    platform::MemoryStream* pictureStream_ = nullptr;
    bool released_ = false;
    std::string lastPaintError_;
};

extern TMN_FRM* MN_FRM;

// Runs the program on the installed window system: the screen test, the title, the
// windows, the message loop. Exit code 0 in every case.
class Program {
public:
    explicit Program(std::vector<std::string> args);
    ~Program();
    // Up to the message loop; false when the program is to end right away.
    bool Start();
    void Run();
    TMN_FRM* MainWindow() { return mainWindow_.get(); }

private:
    std::vector<std::string> args_;
    std::unique_ptr<Application> app_;
    std::unique_ptr<TMN_FRM> mainWindow_;
    // The installer wizard and its about box, made after the main window and the
    // picture viewer and gone before them.
    std::unique_ptr<TINST_FRM> installer_;
    std::unique_ptr<TABT_FRM> about_;
};

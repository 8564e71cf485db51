// Painting the main window: the off-screen buffers, skins, buttons, the right-hand
// program block, the status strip and the full repaint.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "app/Mainu.h"
#include "catalogue/Discpaths.h"
#include "app/Showmapsu.h"
#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "platform/text.h"

using platform::W;

using platform::Image;
using platform::RasterOp;
using platform::Rgb;

namespace {
constexpr Rgb kFrameGrey{0x86, 0x89, 0x95};
constexpr Rgb kLinkBlue{0x49, 0x67, 0xA3};
constexpr Rgb kLinkShadow{0x3B, 0x4D, 0x74};

// The screenshot decoded last, by its file. Start-up shows the first program's
// screenshot when it selects it and again in the first paint, and every repaint
// shows it once more: reading and decoding it anew cost more than the rest of the
// program block. A file that changed in size or time, or went, is read again.
struct DecodedFile {
    std::string host;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    Image picture;
};

DecodedFile& LastScreenshot() {
    static DecodedFile last;
    return last;
}

// Loads a JPEG named by a disc path.
bool LoadDiscJpeg(const std::string& winPath, Image& img) {
    auto host = platform::Drives().ToHost(winPath);
    if (!host) return false;
    std::error_code sizeError, timeError;
    const std::uintmax_t size = std::filesystem::file_size(*host, sizeError);
    const auto time = std::filesystem::last_write_time(*host, timeError);
    const bool known = !sizeError && !timeError;
    DecodedFile& last = LastScreenshot();
    if (known && !last.picture.Empty() && last.host == *host && last.size == size && last.time == time) {
        img = last.picture.Clone();
        return true;
    }
    if (!platform::LoadJpegFile(*host, img)) return false;
    if (known) last = {*host, size, time, img.Clone()};
    return true;
}
}  // namespace

void TMN_FRM::InitBackBuffers() {
    // Black pictures. Three of them PrepareSkins, which always comes next, paints
    // whole (a skin of the window's size, or black where there is none, and the
    // composed picture as a copy), so their memory is not cleared twice. The list's
    // background is only ever read as the list's rectangle, so it is no larger.
    coverBuffer.CreateUncleared(1024, 768);
    programBuffer.CreateUncleared(1024, 768);
    composedBuffer.CreateUncleared(1024, 768);
    listBackground.Create(439, 544);
}

namespace {
// A back buffer of the window's size with its skin on it, black where the skin does
// not reach. A skin of exactly that size becomes the buffer itself: nothing reads a
// skin once it is on its buffer, so it is not kept twice.
void PutSkin(Image& skin, Image& buffer) {
    if (skin.Width() == 1024 && skin.Height() == 768) {
        buffer = std::move(skin);
        skin.Reset();
        return;
    }
    if (buffer.Width() != 1024 || buffer.Height() != 768) buffer.CreateUncleared(1024, 768);
    buffer.FillAll({0, 0, 0});
    buffer.DrawImage(0, 0, skin);
}
}  // namespace

void TMN_FRM::DecodeSkinsAhead() {
    // The skins are the program's own resources: decoding them, and putting them on
    // back buffers of their own, needs nothing of the disc and touches nothing the
    // window thread uses, only the resource table, which stays as it is while the
    // program runs. The program skin comes first: PrepareSkins needs it for the
    // composed picture, which the description's panel takes its background from;
    // the cover only LoadCatalogue needs, for the list and the title. A thread that
    // cannot be started leaves the work to those two.
    std::promise<Skin> program, cover;
    programAhead_ = program.get_future();
    coverAhead_ = cover.get_future();
    try {
        skinDecoder_ = std::thread([program = std::move(program), cover = std::move(cover)]() mutable {
            auto decode = [](const char* name, std::promise<Skin>& to) {
                try {
                    Skin s;
                    platform::LoadResourceImage("JPEG", name, s.picture);
                    PutSkin(s.picture, s.buffer);
                    to.set_value(std::move(s));
                } catch (...) {
                    to.set_exception(std::current_exception());
                }
            };
            decode("TLO_IM2", program);
            decode("TLO_IM1", cover);
        });
    } catch (const std::system_error&) {
        programAhead_ = {};
        coverAhead_ = {};
    }
}

void TMN_FRM::TakeSkin(std::future<Skin>& ahead, const char* name, Image& skin, Image& buffer) {
    if (ahead.valid()) {
        try {
            Skin s = ahead.get();
            skin = std::move(s.picture);
            buffer = std::move(s.buffer);
            return;
        } catch (const std::exception&) {
        }
    }
    platform::LoadResourceImage("JPEG", name, skin);
    PutSkin(skin, buffer);
}

// What the small screen modes draw on a back buffer over its skin.
void TMN_FRM::FrameBuffer(Image& b) {
    if (ScreenMode == 800) {
        b.Fill({246, 113, 28, 600}, {0, 0, 0});
        b.Fill({1018, 113, 28, 600}, {0, 0, 0});
    }
    if (ScreenMode == 800 || ScreenMode == 801) {
        b.Line(273, 113, 1017, 113, kFrameGrey);
        b.Line(1017, 113, 1017, 712, kFrameGrey);
        b.Line(1017, 712, 273, 712, kFrameGrey);
        b.Line(273, 712, 273, 113, kFrameGrey);
    }
}

void TMN_FRM::PrepareSkins() {
    TakeSkin(programAhead_, "TLO_IM2", skinProgram, programBuffer);
    platform::LoadResourceImage("BMP", "NWFTPIM", updateNotice);
    FrameBuffer(programBuffer);
    composedBuffer.CopyRect(0, 0, 1024, 768, programBuffer, 0, 0, RasterOp::Copy);
    // The cover's half waits for LoadCatalogue, the first to need it, so that the
    // decoder has the fonts, buttons and banners' time to finish it.
}

void TMN_FRM::FinishCoverSkin() {
    if (coverFinished_) return;
    coverFinished_ = true;
    TakeSkin(coverAhead_, "TLO_IM1", skinCover, coverBuffer);
    if (skinDecoder_.joinable()) skinDecoder_.join();
    FrameBuffer(coverBuffer);
    listBackground.CopyRect(0, 0, 439, 544, coverBuffer, 280, 143, RasterOp::Copy);
}

int TMN_FRM::LoadButtonBitmaps(platform::MemoryStream& pictures) {
    for (int state = 1; state <= 3; ++state)
        for (int id = 1; id <= 10; ++id)
            if (!platform::ReadBmp(pictures, buttonBitmaps[state][id])) return 1;
    return 0;
}

void TMN_FRM::InitInfoArea(platform::MemoryStream& fonts) {
    CJXOpisWin& d = App().opisWin;
    d.LoadFonts(fonts);
    d.Init(758, 402, 237, 250, 16, &Canvas(), 237, &composedBuffer);
    statusStrip.Create(550, 16);
    linkStrip.Create(262, 20);
    pictureBitmap.Create(256, 192);
}

void TMN_FRM::DrawButton(int id, int state) {
    if (id < 1 || id > 10 || state < 1 || state > 3) return;
    const showmaps::LayoutRect* r = showmaps::RectOf(id);
    Canvas().CopyRect(r->x, r->y, r->w, r->h, buttonBitmaps[state][id], 0, 0, RasterOp::Copy);
}

void TMN_FRM::DrawActionButtons() {
    for (int n = 1; n <= 5; ++n) DrawButton(n, App().buttonState[n]);
}

void TMN_FRM::ApplyHover(int newId, int oldId) {
    if (newId == oldId) return;
    auto& st = App().buttonState;
    if (oldId >= 1 && oldId <= 10 && st[oldId] == 2) DrawButton(oldId, 2);
    if (newId >= 1 && newId <= 10 && st[newId] == 2) DrawButton(newId, 3);
}

void TMN_FRM::ShowSelection(int record) {
    FlagScope busyUntilDone(busy, false);
    Application& app = App();
    listScrollBar.SetRange(programList.MaxTop(), programList.TopRow());
    // The list answers -1 for a row it does not have (Down on an empty list, a view
    // with no entries): nothing is selected then, and no record is read.
    const bool none = record < 0 || record >= app.workCatalogue.recordCount;
    if (none) record = -1;
    app.selectedRecord = record;
    const int oldKind = app.entryKind;
    UpdateEntryKind(record);
    const int kind = app.entryKind;
    if (kind != oldKind) {
        busy = true;
        composedBuffer.CopyRect(0, 0, 1024, 768, kind == kKindProgram ? programBuffer : coverBuffer, 0, 0, RasterOp::Copy);
        // The right-hand panel: the program skin when a program arrives, the cover
        // when a plain entry follows a program (or nothing follows anything); an
        // entry without description coming from a plain entry gets the program panel
        // so that its buttons sit on it.
        if (kind == kKindProgram || (kind == kKindNoDescription && oldKind == kKindOther))
            Canvas().CopyRect(748, 133, 273, 538, programBuffer, 748, 133, RasterOp::Copy);
        else if (kind == kKindOther && (oldKind == kKindProgram || none))
            Canvas().CopyRect(748, 133, 273, 538, coverBuffer, 748, 133, RasterOp::Copy);
    }
    SelectRecord(record);
    if (kind == kKindProgram || kind == kKindNoDescription) DrawActionButtons();
    if (kind == kKindProgram) ShowProgramInfo(record);
}

std::vector<std::string> TMN_FRM::DescriptionLines(int record) {
    CJXNdt4File& work = App().workCatalogue;
    std::vector<std::string> lines;
    if (platform::StartsWith(work.GetField(record, 5), "VISTA_OK")) {
        lines.push_back("#B#Zgodny z Windows Vista");
        lines.push_back(" ");
    }
    lines.push_back("#B#" + work.GetField(record, 8));
    lines.push_back(work.GetField(record, 7));
    lines.push_back(work.GetField(record, 6));
    const std::string f11 = work.GetField(record, 11);
    if (!f11.empty() && !platform::StartsWith(f11, "http")) {
        lines.push_back(" ");
        lines.push_back("#B#" + f11);
    }
    lines.push_back(" ");
    lines.push_back(work.GetField(record, 9));
    return lines;
}

void TMN_FRM::ShowProgramInfo(int record) {
    Canvas().CopyRect(748, 305, 271, 34, programBuffer, 748, 305, RasterOp::Copy);
    DrawPicture();
    DrawLinkLine(record);
    CJXOpisWin& d = App().opisWin;
    d.Clear();
    std::vector<std::string> lines = DescriptionLines(record);
    if (platform::StartsWith(App().workCatalogue.GetField(record, 11), "http"))
        Canvas().DrawImage(748, 305, updateNotice);
    int n = d.AddParagraphs(lines);
    d.SetTop(0, false);
    descScrollBar.SetRange(n - 16, 0, true);
    d.Paint();
}

void TMN_FRM::DrawPicture() {
    const CurrentProgram& cp = App().current;
    defaultScreenshotShown = false;
    Image pic;
    if (cp.pictureCount > 0 && !cp.pictures[0].empty()) {
        // A missing or damaged screenshot leaves the area as it was.
        if (!LoadDiscJpeg(cp.smallPictureFolder + cp.pictures[0], pic)) return;
        pictureBitmap.CopyRect(0, 0, 256, 192, composedBuffer, 756, 141, RasterOp::Copy);
        int w = std::min(pic.Width(), 256), h = std::min(pic.Height(), 192);
        pictureBitmap.CopyRect((256 - w) / 2, (192 - h) / 2, w, h, pic, 0, 0, RasterOp::Copy);
        Canvas().CopyRect(756, 141, 256, 192, pictureBitmap, 0, 0, RasterOp::Copy);
        return;
    }
    const std::string generic = discpaths::OnDisc(App().discRoot, discpaths::kDefaultSmallPicture);
    if (platform::FileExists(generic)) {
        if (!LoadDiscJpeg(generic, pic)) return;
        pictureBitmap.DrawImage(0, 0, pic);
        Canvas().CopyRect(756, 141, 256, 192, pictureBitmap, 0, 0, RasterOp::Copy);
        defaultScreenshotShown = true;
        return;
    }
    pictureBitmap.CopyRect(0, 0, 256, 192, composedBuffer, 756, 141, RasterOp::Copy);
    Canvas().CopyRect(756, 141, 256, 192, pictureBitmap, 0, 0, RasterOp::Copy);
}

void TMN_FRM::DrawLinkLine(int record) {
    linkStrip.CopyRect(0, 0, 262, 20, composedBuffer, 753, 650, RasterOp::Copy);
    std::string t = App().workCatalogue.GetField(record, 10);
    if (!t.empty()) {
        bool cut = false;
        while (!t.empty() && linkFont.TextWidthKerned(t) > 242) {
            t.pop_back();
            cut = true;
        }
        if (cut) t += "...";
        linkWidth = linkFont.TextWidthKerned(t);
        linkFont.DrawTextKerned(linkStrip, 5, 2, t);
        linkStrip.Line(5, 15, linkWidth + 6, 15, kLinkBlue);
        linkStrip.Line(5, 16, linkWidth + 6, 16, kLinkShadow);
    }
    Canvas().CopyRect(753, 650, 262, 20, linkStrip, 0, 0, RasterOp::Copy);
}

void TMN_FRM::ShowStatusText(const std::string& text) {
    statusStrip.CopyRect(0, 0, 550, 16, coverBuffer, 275, 720, RasterOp::Copy);
    if (!text.empty()) countFont.DrawTextKerned(statusStrip, 0, 0, text);
    Canvas().CopyRect(275, 720, 550, 16, statusStrip, 0, 0, RasterOp::Copy);
}

void TMN_FRM::ShowHoverHint(int x, int y) {
    int id = showmaps::HintHitTest(x, y);
    if (id == statusKey) return;
    ShowStatusText(showmaps::HintText(id));
    statusKey = id;
}

void TMN_FRM::ShowBannerHint(const std::string& text, int index) {
    int key = index + 50;
    if (key == statusKey) return;
    ShowStatusText(text);
    statusKey = key;
}

void TMN_FRM::PaintWindow() {
    Application& app = App();
    inputReady = false;
    FlagScope readyWhenPainted(inputReady, true);
    // Each part is painted even when one before it failed. A failure is reported
    // once, not at every paint: a box over the window brings the next paint.
    std::string error;
    auto part = [&](auto&& paint) {
        try {
            paint();
        } catch (const std::exception& e) {
            if (error.empty()) error = e.what();
        }
    };
    part([&] {
        Canvas().SetCopyMode(RasterOp::Copy);
        Canvas().CopyRect(0, 0, 1024, 768, composedBuffer, 0, 0, RasterOp::Copy);
        programList.Repaint();
        listScrollBar.Redraw();
        if (app.entryKind == kKindProgram) {
            descScrollBar.Redraw();
            app.opisWin.Paint();
        }
    });
    part([&] {
        if (app.selectedRecord != -1) {
            SelectRecord(app.selectedRecord);
            if (app.entryKind == kKindProgram || app.entryKind == kKindNoDescription) DrawActionButtons();
            if (app.entryKind == kKindProgram) ShowProgramInfo(app.selectedRecord);
        }
    });
    part([&] {
        ApplyHover(hoverId, 0);
        app.leftBanners.Draw();
        app.topBanners.Draw();
    });
    if (error.empty()) {
        lastPaintError_.clear();
    } else if (error != lastPaintError_) {
        lastPaintError_ = error;
        ReportError(std::runtime_error(error));
    }
}

void TMN_FRM::FreeViewResources() {
    for (Image* i : {&coverBuffer, &programBuffer, &composedBuffer, &listBackground, &statusStrip, &linkStrip,
                     &pictureBitmap, &skinCover, &skinProgram, &updateNotice})
        i->Reset();
    titleFont.Unload();
    countFont.Unload();
    linkFont.Unload();
    for (auto& st : buttonBitmaps)
        for (auto& b : st) b.Reset();
    App().opisWin.Free();
}

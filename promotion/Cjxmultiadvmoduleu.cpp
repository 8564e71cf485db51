#include "promotion/Cjxmultiadvmoduleu.h"

#include <stdexcept>

#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "platform/resources.h"

namespace {
TFlashPlayerFactory& FlashPlayerFactory() {
    static TFlashPlayerFactory factory;
    return factory;
}
}  // namespace

void SetFlashPlayerFactory(TFlashPlayerFactory f) { FlashPlayerFactory() = std::move(f); }

void CJXAdvMod::Setup(int modLeft, int modTop, int bx, int by, int w, int h, int k, const std::string& resource,
                      int tk, const std::string& t, const std::string& hi) {
    moduleLeft = modLeft;
    moduleTop = modTop;
    x = bx;
    y = by;
    width = w;
    height = h;
    kind = k;
    targetKind = tk;
    target = t;
    hint = hi.empty() ? t : hi;
    resourceName = resource;
    if (kind == 2 && !noFlash) {
        try {
            if (FlashPlayerFactory()) movie = FlashPlayerFactory()();
            if (!movie) throw std::runtime_error("no movie player");
            movie->SetBounds(modLeft + x, modTop + y, width, height);
            movie->PutBackgroundColor(kPanelColourValue);
            movie->SetCursor(!target.empty() && !expired ? platform::kCursorHand : platform::kCursorDefault);
        } catch (...) {
            // No player to be had: the banner shows its picture, and nobody is told.
            movie.reset();
            noFlash = true;
        }
    }
}

void CJXAdvMod::Load() {
    try {
        if (kind == 1)
            hasBitmap = platform::LoadResourceImage("BMP", resourceName, bitmap);
        else if (kind == 2 && movie) {
            movie->SetVisible(true);
            movie->PutBackgroundColor(-1);
            const platform::ResourceEntry* r = platform::FindResource("FLASH", resourceName);
            if (!r) return;
            platform::MemoryStream s(std::vector<uint8_t>(r->data, r->data + r->size));
            movie->PutMovieFromStream(s);
        } else if (kind == 2) {
            pictureShown = platform::LoadResourceImage("JPEG", "S_" + resourceName, picture);
        }
    } catch (...) {
        // A banner that cannot be loaded stays blank in the panel colour.
    }
}

void CJXAdvMod::Stop() {
    try {
        if (movie) movie->Stop();
    } catch (...) {
        // A player that fails to stop leaves its banner as it was; nothing for the user.
    }
}

void CJXAdvMod::Play() {
    try {
        if (movie) movie->Play();
    } catch (...) {
        // A player that fails to play leaves the banner's picture showing.
    }
}

void CJXAdvMod::DrawInto(platform::Image& canvas) {
    if (kind == 1 && hasBitmap) canvas.CopyRect(x, y, bitmap.Width(), bitmap.Height(), bitmap, 0, 0, platform::RasterOp::Copy);
    if (kind == 2 && pictureShown) canvas.CopyRect(x, y, width, height, picture, 0, 0, platform::RasterOp::Copy);
}

bool CJXAdvMod::Contains(int px, int py) const { return x <= px && px < x + width && y <= py && py < y + height; }

void CJXAdvMod::Click() {
    if (target.empty()) return;
    if (targetKind == 1) {
        if (!expired && openCallback) openCallback(target);
    } else if (targetKind == 3) {
        if (runCallback) runCallback(target);
    }
}

void CJXAdvMod::Hover() {
    if (hint.empty()) return;
    if (targetKind == 1 && expired) return;
    if (hintCallback) hintCallback(hint, index);
}

CJXMultiAdvModule::CJXMultiAdvModule() {
    indexBase_ = platform::HasSystem() ? static_cast<int>(platform::Sys().Random(256)) : 0;
}

void CJXMultiAdvModule::SetExpiry(int year, int month) {
    platform::Date d = platform::Sys().Today();
    expired_ = d.year > year || (d.year == year && d.month > month);
}

void CJXMultiAdvModule::Init(int left, int top, int width, int height, platform::Image* canvas) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    canvas_ = canvas;
    bitmap_.Create(width, height);
    bitmap_.FillAll(kPanelColour);
}

void CJXMultiAdvModule::AddBanner(int x, int y, int w, int h, int kind, const std::string& resource, int targetKind,
                                  const std::string& target, const std::string& hint, int minFlashVersion) {
    empty_ = false;
    auto b = std::make_unique<CJXAdvMod>();
    auto& sys = platform::Sys();
    if (sys.IsFlashInstalled()) {
        b->flashVersion = sys.FlashVersion() >> 24;
        b->noFlash = false;
    } else {
        b->noFlash = true;
    }
    if (noFlash_) b->noFlash = true;
    if (minFlashVersion > 0 && static_cast<uint32_t>(minFlashVersion) > b->flashVersion) b->noFlash = true;
    if (expired_) b->expired = true;
    b->Setup(left_, top_, x, y, w, h, kind, resource, targetKind, target, hint);
    b->openCallback = open_;
    b->hintCallback = hint_;
    b->runCallback = run_;
    b->index = indexBase_ + static_cast<int>(banners_.size());
    banners_.push_back(std::move(b));
}

void CJXMultiAdvModule::StartAll() {
    if (empty_) return;
    for (auto& b : banners_) b->Load();
}

void CJXMultiAdvModule::StopMovies() {
    if (empty_) return;
    for (auto& b : banners_)
        if (b->kind == 2 && !b->noFlash) b->Stop();
}

void CJXMultiAdvModule::PlayMovies() {
    if (empty_) return;
    for (auto& b : banners_)
        if (b->kind == 2 && !b->noFlash) b->Play();
}

void CJXMultiAdvModule::Draw() {
    if (empty_ || !canvas_) return;
    bitmap_.FillAll(kPanelColour);
    for (auto& b : banners_)
        if (b->kind == 1) b->DrawInto(bitmap_);
    // Picture stand-ins for movies are drawn here too, as there is no child window to
    // show them; drawn last, because a child window would sit over every bitmap.
    for (auto& b : banners_)
        if (b->kind == 2) b->DrawInto(bitmap_);
    canvas_->CopyRect(left_, top_, width_, height_, bitmap_, 0, 0, platform::RasterOp::Copy);
}

bool CJXMultiAdvModule::IsHot(int px, int py) const {
    if (empty_) return false;
    int x = px - left_, y = py - top_;
    for (auto& b : banners_) {
        if (!b->Contains(x, y)) continue;
        if (b->kind == 2) {
            // The picture that stands in for a movie shows the hand whenever it leads
            // somewhere, expired or not.
            if (b->noFlash) return !b->target.empty();
            continue;
        }
        if (b->targetKind == 1) return !expired_;
        if (b->targetKind == 0) return false;
        return true;
    }
    return false;
}

void CJXMultiAdvModule::MouseDown(int px, int py) {
    if (empty_) return;
    for (auto& b : banners_)
        if (b->Contains(px - left_, py - top_)) b->Click();
}

void CJXMultiAdvModule::MouseMove(int px, int py) {
    if (empty_) return;
    for (auto& b : banners_)
        if (b->Contains(px - left_, py - top_)) b->Hover();
}

// The banner modules of the main window: a column on the left and a row on top, each
// an ordered list of banners (bitmaps from the program's resources, or a movie with a
// picture in its place when no player is there) that open addresses or files and show
// hints while the pointer is over them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/stream.h"
#include "platform/system.h"

using JXTextCallback = void (*)(const std::string& text);
using JXHintCallback = void (*)(const std::string& text, int index);

// The panel colour behind banners and panels.
inline constexpr platform::Rgb kPanelColour{0x10, 0x13, 0x22};

// The embedded movie player a movie banner sits in: a child control over the main
// window. This build carries no player; a host that has one installs a maker with
// SetFlashPlayerFactory. Without a maker, or when making one fails, a movie banner
// shows its picture instead.
class TFlashPlayerControl {
public:
    virtual ~TFlashPlayerControl() = default;
    virtual void SetBounds(int left, int top, int width, int height) = 0;  // main-window coordinates
    virtual void SetCursor(int number) = 0;
    virtual void SetVisible(bool on) = 0;
    // 0xRRGGBB shown where the movie draws nothing; -1 leaves the colour to the movie.
    virtual void PutBackgroundColor(int32_t colour) = 0;
    // Takes the whole movie from s, positioned at its start.
    virtual void PutMovieFromStream(platform::MemoryStream& s) = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
};
using TFlashPlayerFactory = std::function<std::unique_ptr<TFlashPlayerControl>()>;
void SetFlashPlayerFactory(TFlashPlayerFactory f);

// The panel colour as the movie player takes it.
inline constexpr int32_t kPanelColourValue = 0x101322;

class CJXAdvMod {
public:
    int moduleLeft = 0, moduleTop = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int kind = 0;        // 1 bitmap, 2 movie
    int targetKind = 0;  // 0 none, 1 web address, 3 file on the disc
    std::string target, hint, resourceName;
    platform::Image bitmap;
    bool hasBitmap = false;
    std::unique_ptr<TFlashPlayerControl> movie;  // kind 2 with a player
    bool pictureShown = false;  // kind 2 without a player: its picture stands in
    platform::Image picture;
    JXTextCallback openCallback = nullptr;
    JXHintCallback hintCallback = nullptr;
    JXTextCallback runCallback = nullptr;
    bool noFlash = false;
    uint32_t flashVersion = 0;
    bool expired = false;
    int index = 0;

    void Setup(int modLeft, int modTop, int x, int y, int w, int h, int kind, const std::string& resource,
               int targetKind, const std::string& target, const std::string& hint);
    void Load();
    void Stop();
    void Play();
    void DrawInto(platform::Image& canvas);
    bool Contains(int px, int py) const;  // px, py relative to the module
    void Click();
    void Hover();
};

class CJXMultiAdvModule {
public:
    CJXMultiAdvModule();

    void SetExpiry(int year, int month);
    void SetNoFlash() { noFlash_ = true; }
    void Init(int left, int top, int width, int height, platform::Image* canvas);
    void SetOpenCallback(JXTextCallback f) { open_ = f; }
    void SetHintCallback(JXHintCallback f) { hint_ = f; }
    void SetRunCallback(JXTextCallback f) { run_ = f; }
    void AddBanner(int x, int y, int w, int h, int kind, const std::string& resource, int targetKind,
                   const std::string& target, const std::string& hint, int minFlashVersion);
    void StartAll();
    void StopMovies();
    void PlayMovies();
    void Draw();
    bool IsHot(int x, int y) const;
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    void FreeBitmap() { bitmap_.Reset(); }

    bool Empty() const { return empty_; }
    bool Expired() const { return expired_; }
    bool NoFlash() const { return noFlash_; }
    int IndexBase() const { return indexBase_; }
    const std::vector<std::unique_ptr<CJXAdvMod>>& Banners() const { return banners_; }

private:
    platform::Image* canvas_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    platform::Image bitmap_;
    JXTextCallback open_ = nullptr;
    JXHintCallback hint_ = nullptr;
    JXTextCallback run_ = nullptr;
    std::vector<std::unique_ptr<CJXAdvMod>> banners_;
    bool noFlash_ = false;
    bool empty_ = true;
    bool expired_ = false;
    int indexBase_ = 0;
};

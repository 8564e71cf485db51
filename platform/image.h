// The 24-bit image that every widget assembles its picture in. An image is also a
// drawing surface: rectangles can be copied between images with the four raster
// operations, filled, drawn with lines. The main window's client area is an image
// too (a frame buffer) that records which rectangles changed, so the back end can
// show just those.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace platform {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool Empty() const { return w <= 0 || h <= 0; }
    bool operator==(const Rect&) const = default;
};

Rect Intersect(const Rect& a, const Rect& b);
Rect Union(const Rect& a, const Rect& b);

// SRCCOPY, NOTSRCCOPY, SRCAND, SRCPAINT: the only raster operations the program uses.
enum class RasterOp { Copy, NotCopy, And, Or };

// An allocator whose elements made without a value are left as the memory holds
// them: pixels that a decoder writes all of need not be cleared first.
template <class T>
struct UnclearedAllocator : std::allocator<T> {
    using std::allocator<T>::allocator;
    template <class U>
    struct rebind {
        using other = UnclearedAllocator<U>;
    };
    template <class U>
    void construct(U* p) {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

class Image {
public:
    // Images larger than this on a side are refused rather than allocated: nothing the
    // program shows comes near it, and a damaged header must not cost gigabytes.
    static constexpr int kMaxSide = 16384;
    static constexpr int64_t kMaxPixels = 64LL * 1024 * 1024;

    Image() = default;
    Image(int w, int h);  // black; an impossible size gives an empty image
    Image(Image&& o) noexcept;
    Image& operator=(Image&& o) noexcept;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Resizes to w x h, all black. False (and an empty image) for a size out of range.
    bool Create(int w, int h);
    // The same without clearing: the pixels hold whatever the memory held. For the
    // one who writes every pixel right away (a decoder, a whole-picture copy).
    bool CreateUncleared(int w, int h);
    void Reset();  // back to 0 x 0
    Image Clone() const;

    int Width() const { return w_; }
    int Height() const { return h_; }
    bool Empty() const { return w_ <= 0 || h_ <= 0; }

    // Pixels are stored top-down, 3 bytes per pixel in the order R, G, B.
    uint8_t* Row(int y) { return data_.data() + static_cast<size_t>(y) * w_ * 3; }
    const uint8_t* Row(int y) const { return data_.data() + static_cast<size_t>(y) * w_ * 3; }
    Rgb Pixel(int x, int y) const;  // black outside the image
    void SetPixel(int x, int y, Rgb c);

    // The copy mode is what DrawImage and the mode-taking CopyRect use for transfers
    // onto this surface.
    void SetCopyMode(RasterOp op) { mode_ = op; }
    RasterOp CopyMode() const { return mode_; }

    // Copies the w x h rectangle at (sx, sy) of src to (dx, dy) of this image with op.
    // Clipped against both images; src may be this image only when the rectangles
    // do not overlap.
    void CopyRect(int dx, int dy, int w, int h, const Image& src, int sx, int sy, RasterOp op);
    void CopyRect(int dx, int dy, int w, int h, const Image& src, int sx, int sy) {
        CopyRect(dx, dy, w, h, src, sx, sy, mode_);
    }
    // Copies the w x h rectangle at (sx, sy) of src through the same rectangle at
    // (mx, my) of mask: where a mask byte has a bit set the source's bit is taken,
    // elsewhere this image keeps its own, (this AND NOT mask) OR (src AND mask).
    // In one pass it gives what the four raster operations give one after another
    // through a work image. Clipped against all three images.
    void CopyRectMasked(int dx, int dy, int w, int h, const Image& src, int sx, int sy, const Image& mask, int mx, int my);
    // The whole of src at (x, y), with this surface's copy mode.
    void DrawImage(int x, int y, const Image& src) { CopyRect(x, y, src.w_, src.h_, src, 0, 0, mode_); }
    void Fill(Rect r, Rgb c);
    void FillAll(Rgb c) { Fill({0, 0, w_, h_}, c); }
    // A 1-pixel solid line from (x0, y0) towards (x1, y1); the end point is not drawn.
    void Line(int x0, int y0, int x1, int y1, Rgb c);

    // Damage tracking for frame buffers: while on, every drawing call adds the
    // rectangle it touched.
    void TrackDamage(bool on) { track_ = on; damage_.clear(); }
    const std::vector<Rect>& Damage() const { return damage_; }
    std::vector<Rect> TakeDamage();
    void MarkDamaged(Rect r);

private:
    int w_ = 0, h_ = 0;
    std::vector<uint8_t, UnclearedAllocator<uint8_t>> data_;
    RasterOp mode_ = RasterOp::Copy;
    bool track_ = false;
    std::vector<Rect> damage_;
};

}  // namespace platform

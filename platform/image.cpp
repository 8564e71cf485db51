#include "platform/image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform {

Rect Intersect(const Rect& a, const Rect& b) {
    int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    int x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
    if (x1 <= x0 || y1 <= y0) return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect Union(const Rect& a, const Rect& b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
    return {x0, y0, x1 - x0, y1 - y0};
}

Image::Image(int w, int h) { Create(w, h); }

Image::Image(Image&& o) noexcept
    : w_(o.w_), h_(o.h_), data_(std::move(o.data_)), mode_(o.mode_), track_(o.track_), damage_(std::move(o.damage_)) {
    o.w_ = o.h_ = 0;
}

Image& Image::operator=(Image&& o) noexcept {
    if (this != &o) {
        w_ = o.w_;
        h_ = o.h_;
        data_ = std::move(o.data_);
        mode_ = o.mode_;
        track_ = o.track_;
        damage_ = std::move(o.damage_);
        o.w_ = o.h_ = 0;
    }
    return *this;
}

bool Image::Create(int w, int h) {
    if (!CreateUncleared(w, h)) return false;
    std::fill(data_.begin(), data_.end(), uint8_t{0});
    return true;
}

bool Image::CreateUncleared(int w, int h) {
    if (w < 0 || h < 0 || w > kMaxSide || h > kMaxSide || int64_t(w) * h > kMaxPixels) {
        Reset();
        return false;
    }
    w_ = w;
    h_ = h;
    const size_t n = static_cast<size_t>(w) * h * 3;
    // Growing from empty: what was there need not be carried over.
    if (n > data_.capacity()) data_.clear();
    data_.resize(n);
    MarkDamaged({0, 0, w, h});
    return true;
}

void Image::Reset() {
    w_ = h_ = 0;
    data_.clear();
    data_.shrink_to_fit();
}

Image Image::Clone() const {
    Image c;
    c.w_ = w_;
    c.h_ = h_;
    c.data_ = data_;
    c.mode_ = mode_;
    return c;
}

Rgb Image::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return {};
    const uint8_t* p = Row(y) + x * 3;
    return {p[0], p[1], p[2]};
}

void Image::SetPixel(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    uint8_t* p = Row(y) + x * 3;
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    MarkDamaged({x, y, 1, 1});
}

void Image::CopyRect(int dx, int dy, int w, int h, const Image& src, int sx, int sy, RasterOp op) {
    if (w <= 0 || h <= 0) return;
    // Clip against the source, shifting the destination along.
    if (sx < 0) { dx -= sx; w += sx; sx = 0; }
    if (sy < 0) { dy -= sy; h += sy; sy = 0; }
    w = std::min(w, src.w_ - sx);
    h = std::min(h, src.h_ - sy);
    // Then against this image.
    if (dx < 0) { sx -= dx; w += dx; dx = 0; }
    if (dy < 0) { sy -= dy; h += dy; dy = 0; }
    w = std::min(w, w_ - dx);
    h = std::min(h, h_ - dy);
    if (w <= 0 || h <= 0) return;
    const size_t n = static_cast<size_t>(w) * 3;
    for (int row = 0; row < h; ++row) {
        const uint8_t* s = src.Row(sy + row) + sx * 3;
        uint8_t* d = Row(dy + row) + dx * 3;
        switch (op) {
        case RasterOp::Copy:
            std::memmove(d, s, n);
            break;
        case RasterOp::NotCopy:
            for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(~s[i]);
            break;
        case RasterOp::And:
            for (size_t i = 0; i < n; ++i) d[i] &= s[i];
            break;
        case RasterOp::Or:
            for (size_t i = 0; i < n; ++i) d[i] |= s[i];
            break;
        }
    }
    MarkDamaged({dx, dy, w, h});
}

void Image::CopyRectMasked(int dx, int dy, int w, int h, const Image& src, int sx, int sy, const Image& mask, int mx,
                           int my) {
    if (w <= 0 || h <= 0) return;
    // Clip against the source and the mask, moving the other two rectangles along.
    auto clipStart = [&](int& s, int& d, int& o, int& len) {
        if (s < 0) {
            d -= s;
            o -= s;
            len += s;
            s = 0;
        }
    };
    clipStart(sx, dx, mx, w);
    clipStart(sy, dy, my, h);
    clipStart(mx, dx, sx, w);
    clipStart(my, dy, sy, h);
    clipStart(dx, sx, mx, w);
    clipStart(dy, sy, my, h);
    w = std::min({w, src.w_ - sx, mask.w_ - mx, w_ - dx});
    h = std::min({h, src.h_ - sy, mask.h_ - my, h_ - dy});
    if (w <= 0 || h <= 0) return;
    const size_t n = static_cast<size_t>(w) * 3;
    for (int row = 0; row < h; ++row) {
        const uint8_t* s = src.Row(sy + row) + sx * 3;
        const uint8_t* m = mask.Row(my + row) + mx * 3;
        uint8_t* d = Row(dy + row) + dx * 3;
        for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>((d[i] & ~m[i]) | (s[i] & m[i]));
    }
    MarkDamaged({dx, dy, w, h});
}

void Image::Fill(Rect r, Rgb c) {
    r = Intersect(r, {0, 0, w_, h_});
    if (r.Empty()) return;
    for (int y = r.y; y < r.y + r.h; ++y) {
        uint8_t* p = Row(y) + r.x * 3;
        for (int x = 0; x < r.w; ++x, p += 3) {
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    }
    MarkDamaged(r);
}

void Image::Line(int x0, int y0, int x1, int y1, Rgb c) {
    // Bresenham, stopping before the end point as GDI's LineTo does.
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    bool track = track_;
    track_ = false;
    while (!(x == x1 && y == y1)) {
        SetPixel(x, y, c);
        int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
    track_ = track;
    MarkDamaged({std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1});
}

void Image::MarkDamaged(Rect r) {
    if (!track_) return;
    r = Intersect(r, {0, 0, w_, h_});
    if (r.Empty()) return;
    // Keep the list short: a frame buffer gets many small updates per event, and
    // merging overlapping ones costs less than painting them twice.
    for (auto& d : damage_) {
        if (!Intersect(d, r).Empty()) {
            d = Union(d, r);
            return;
        }
    }
    if (damage_.size() >= 32) {
        damage_[0] = Union(damage_[0], r);
        return;
    }
    damage_.push_back(r);
}

std::vector<Rect> Image::TakeDamage() {
    std::vector<Rect> d;
    d.swap(damage_);
    return d;
}

}  // namespace platform

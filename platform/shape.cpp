#include "platform/shape.h"

#include <algorithm>

namespace platform {

namespace {
// A rounded rectangle ends one pixel short of its right and bottom coordinates, as
// the region the window system makes of the same numbers does: the shape (0, 0)
// to (1025, 769) is exactly the 1024 x 768 window, with all four corners rounded.
bool InRoundRect(int x, int y, int left, int top, int right, int bottom, int ew, int eh) {
    --right;
    --bottom;
    if (x < left || x >= right || y < top || y >= bottom) return false;
    double rx = ew / 2.0, ry = eh / 2.0;
    if (rx <= 0 || ry <= 0) return true;
    // The pixel's centre against the ellipse of the nearest corner; between the
    // corners the centre itself stands in for it, which is always inside.
    double cx = x < left + rx ? left + rx : (x >= right - rx ? right - rx : x + 0.5);
    double cy = y < top + ry ? top + ry : (y >= bottom - ry ? bottom - ry : y + 0.5);
    double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

}  // namespace

bool InShape(ShapeKind kind, int left, int top, int right, int bottom, int ew, int eh, int x, int y) {
    switch (kind) {
    case ShapeKind::None:
        return true;
    case ShapeKind::Rectangle:
        return x >= left && x < right && y >= top && y < bottom;
    case ShapeKind::RoundRectangle:
        return InRoundRect(x, y, left, top, right, bottom, ew, eh);
    }
    return true;
}

std::vector<Rect> ShapeRectangles(ShapeKind kind, int left, int top, int right, int bottom, int ew, int eh) {
    std::vector<Rect> out;
    if (kind == ShapeKind::None) return out;
    if (kind == ShapeKind::RoundRectangle) {
        // See InRoundRect: the last column and row are not part of it.
        if (ew <= 0 || eh <= 0) {
            if (right - 1 > left && bottom - 1 > top) out.push_back({left, top, right - 1 - left, bottom - 1 - top});
            return out;
        }
    } else {
        if (right > left && bottom > top) out.push_back({left, top, right - left, bottom - top});
        return out;
    }
    if (right <= left || bottom <= top) return out;
    // Each row is one run (the shape is convex); rows with the same run form one band.
    for (int y = top; y < bottom; ++y) {
        int from = left;
        while (from < right && !InRoundRect(from, y, left, top, right, bottom, ew, eh)) ++from;
        if (from == right) continue;
        int to = right;
        while (to > from && !InRoundRect(to - 1, y, left, top, right, bottom, ew, eh)) --to;
        if (!out.empty()) {
            Rect& last = out.back();
            if (last.x == from && last.w == to - from && last.y + last.h == y) {
                ++last.h;
                continue;
            }
        }
        out.push_back({from, y, to - from, 1});
    }
    return out;
}

std::vector<Rect> OutsideOf(Rect area, const std::vector<Rect>& rects) {
    std::vector<Rect> out;
    if (area.Empty()) return out;
    std::vector<Rect> in;
    for (const Rect& r : rects) {
        const Rect c = Intersect(r, area);
        if (!c.Empty()) in.push_back(c);
    }
    // Slabs between the rectangles' top and bottom edges; in each, the gaps between
    // the runs that cross it.
    std::vector<int> ys{area.y, area.y + area.h};
    for (const Rect& r : in) ys.insert(ys.end(), {r.y, r.y + r.h});
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        const int y0 = ys[i], y1 = ys[i + 1];
        std::vector<std::pair<int, int>> runs;
        for (const Rect& r : in)
            if (r.y <= y0 && r.y + r.h >= y1) runs.push_back({r.x, r.x + r.w});
        std::sort(runs.begin(), runs.end());
        int x = area.x;
        for (const auto& [from, to] : runs) {
            if (from > x) out.push_back({x, y0, from - x, y1 - y0});
            x = std::max(x, to);
        }
        if (x < area.x + area.w) out.push_back({x, y0, area.x + area.w - x, y1 - y0});
    }
    return out;
}

}  // namespace platform

#include "platform/scaling.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform {

int ParseScale(const char* text) {
    if (!text) return 0;
    int value = 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    const char* digits = p;
    // Held below a bound on the way: a long number is out of range anyway, and must
    // not overflow.
    while (*p >= '0' && *p <= '9') value = std::min(value * 10 + (*p++ - '0'), 1000);
    if (p == digits) return 0;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p) return 0;
    return value >= 1 && value <= kMaxScale ? value : 0;
}

int XftDpiFromResources(const std::string& db) {
    static const char kName[] = "Xft.dpi";
    size_t pos = 0;
    int found = 0;
    while (pos < db.size()) {
        size_t end = db.find('\n', pos);
        if (end == std::string::npos) end = db.size();
        std::string line = db.substr(pos, end - pos);
        pos = end + 1;
        size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos || line.compare(i, sizeof kName - 1, kName) != 0) continue;
        i += sizeof kName - 1;
        i = line.find_first_not_of(" \t", i);
        if (i == std::string::npos || line[i] != ':') continue;
        // "192", "192.0", "144.5": the whole part is what counts.
        const char* v = line.c_str() + i + 1;
        char* stop = nullptr;
        double dpi = std::strtod(v, &stop);
        if (stop == v || !(dpi >= 1.0) || dpi > 100000.0) continue;
        // The last one written wins, as it does in the database itself.
        found = static_cast<int>(dpi);
    }
    return found;
}

int ChooseScale(const ScaleHints& hints, int deviceW, int deviceH) {
    int f = ParseScale(hints.forced);
    if (f == 0) f = ParseScale(hints.gdkScale);
    if (f == 0 && hints.xftDpi > 0) f = std::clamp(hints.xftDpi / 96, 1, kMaxScale);
    if (f == 0) f = 1;
    while (f > 1 && (deviceW < 1024 * f || deviceH < 768 * f)) --f;
    return f;
}

void EnlargeRow(const uint8_t* rgb, int n, int f, uint8_t* out) {
    if (f == 1) {
        std::memcpy(out, rgb, static_cast<size_t>(n) * 3);
        return;
    }
    for (int i = 0; i < n; ++i, rgb += 3)
        for (int k = 0; k < f; ++k, out += 3) {
            out[0] = rgb[0];
            out[1] = rgb[1];
            out[2] = rgb[2];
        }
}

Image Enlarged(const Image& src, Rect r, int f) {
    r = Intersect(r, {0, 0, src.Width(), src.Height()});
    Image out;
    if (r.Empty() || f < 1 || !out.CreateUncleared(r.w * f, r.h * f)) return out;
    for (int y = 0; y < r.h; ++y) {
        uint8_t* first = out.Row(y * f);
        EnlargeRow(src.Row(r.y + y) + static_cast<size_t>(r.x) * 3, r.w, f, first);
        for (int k = 1; k < f; ++k) std::memcpy(out.Row(y * f + k), first, static_cast<size_t>(out.Width()) * 3);
    }
    return out;
}

std::vector<Rect> EnlargedRects(const std::vector<Rect>& rects, int f, int dx, int dy) {
    std::vector<Rect> out;
    out.reserve(rects.size());
    for (const Rect& r : rects) out.push_back({dx + r.x * f, dy + r.y * f, r.w * f, r.h * f});
    return out;
}

DeviceFrame FrameOf(Rect bounds, bool fillsScreen, int deviceW, int deviceH, int f) {
    DeviceFrame d;
    if (fillsScreen) {
        d.window = {0, 0, deviceW, deviceH};
        d.originX = bounds.x * f;
        d.originY = bounds.y * f;
    } else {
        d.window = {bounds.x * f, bounds.y * f, bounds.w * f, bounds.h * f};
    }
    return d;
}

}  // namespace platform

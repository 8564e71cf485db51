#include "platform/fltk/Fltkdialogparts.h"

#include <algorithm>

#include "platform/text.h"

namespace platform::fltk {

namespace {

// One frame along the edge of r, which then shrinks by the frame's pixel.
void AddFrame(std::vector<EdgeLine>& out, Rect& r, Rgb tl, Rgb br) {
    if (r.w > 0 && r.h > 0) {
        int right = r.x + r.w - 1, bottom = r.y + r.h - 1;
        if (r.h > 1) out.push_back({r.x, r.y, r.x, bottom - 1, tl});
        if (r.w > 1) out.push_back({r.x, r.y, right - 1, r.y, tl});
        out.push_back({right, r.y, right, bottom, br});
        out.push_back({r.x, bottom, right, bottom, br});
    }
    r = {r.x + 1, r.y + 1, std::max(0, r.w - 2), std::max(0, r.h - 2)};
}

void AddBevel(std::vector<EdgeLine>& out, Rect& r, Bevel b) {
    if (b == Bevel::Raised) AddFrame(out, r, kHighlight, kShadow);
    if (b == Bevel::Lowered) AddFrame(out, r, kShadow, kHighlight);
}

}  // namespace

std::vector<EdgeLine> BevelLines(Rect r, Bevel outer, Bevel inner, Rect* inside) {
    std::vector<EdgeLine> lines;
    AddBevel(lines, r, outer);
    AddBevel(lines, r, inner);
    if (inside) *inside = r;
    return lines;
}

std::vector<EdgeLine> EdgeLines(Rect r, Edge e, Rect* inside) {
    std::vector<EdgeLine> lines;
    switch (e) {
    case Edge::Raised:
        AddFrame(lines, r, kHighlight, kDarkShadow);
        AddFrame(lines, r, kLightEdge, kShadow);
        break;
    case Edge::Sunken:
        AddFrame(lines, r, kShadow, kHighlight);
        AddFrame(lines, r, kDarkShadow, kLightEdge);
        break;
    case Edge::Pressed:
        AddFrame(lines, r, kDarkShadow, kDarkShadow);
        AddFrame(lines, r, kShadow, kShadow);
        break;
    }
    if (inside) *inside = r;
    return lines;
}

Rgb BackgroundOf(const Control& c) {
    for (const Control* p = &c; p; p = p->Parent())
        if (p->HasColor()) return p->Color();
    return kButtonFace;
}

Rect WindowBounds(const Control& c) {
    Rect r = c.Bounds();
    for (const Control* p = c.Parent(); p; p = p->Parent()) {
        r.x += p->Bounds().x;
        r.y += p->Bounds().y;
    }
    return r;
}

std::vector<FolderLine> FolderLines(const std::vector<FolderRow>& rows) {
    std::vector<FolderLine> lines;
    lines.reserve(rows.size());
    for (const FolderRow& r : rows) lines.push_back({Cp1250ToUtf8(r.name), std::max(0, r.level) * kFolderIndent, r.open});
    return lines;
}

int OpenFolderRow(const std::vector<FolderRow>& rows) {
    int open = -1;
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].open) open = static_cast<int>(i);
    return open;
}

int ProgressFill(int inner, int percent) {
    if (inner <= 0) return 0;
    percent = std::clamp(percent, 0, 100);
    return (inner * percent + 50) / 100;
}

std::string LiteralLabel(const std::string& cp1250) {
    std::string utf8 = Cp1250ToUtf8(cp1250), out;
    out.reserve(utf8.size());
    for (char ch : utf8) {
        out += ch;
        if (ch == '&') out += '&';
    }
    return out;
}

std::string LiteralBrowserLine(const std::string& cp1250) {
    std::string utf8 = Cp1250ToUtf8(cp1250);
    return !utf8.empty() && utf8[0] == '@' ? "@." + utf8 : utf8;
}

EnterRoute RouteEnter(const std::vector<std::unique_ptr<Control>>& controls, Control* focused) {
    if (focused && focused->Kind() == ControlKind::FolderList) return {nullptr, true};
    if (focused && focused->Kind() == ControlKind::Button && focused->Showing() && focused->Enabled()) return {focused, false};
    if (Control* d = FindDefaultButton(controls)) return {d, false};
    return {nullptr, true};
}

std::vector<ButtonSlot> LayOutButtons(const std::vector<int>& textWidths, int minWidth, int padding, int gap) {
    std::vector<ButtonSlot> slots;
    int x = 0;
    for (int tw : textWidths) {
        int w = std::max(minWidth, tw + padding);
        slots.push_back({x, w});
        x += w + gap;
    }
    return slots;
}

namespace {

// The first device pixel of pixel u of a box n device pixels long, at origin.
int ScaledStart(int u, int origin, int n, int f) {
    const int units = n / f;
    return u <= units / 2 ? origin + u * f : origin + n - (units - u) * f;
}

}  // namespace

Rect ScaledPart(Rect part, Rect box, int f) {
    f = std::max(1, f);
    const int x0 = ScaledStart(part.x, box.x, box.w, f), y0 = ScaledStart(part.y, box.y, box.h, f);
    if (part.Empty()) return {x0, y0, 0, 0};
    const int x1 = ScaledStart(part.x + part.w - 1, box.x, box.w, f) + f;
    const int y1 = ScaledStart(part.y + part.h - 1, box.y, box.h, f) + f;
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect VisiblePart(Rect bounds, const std::vector<Rect>& shape, int screenW, int screenH) {
    Rect box{0, 0, bounds.w, bounds.h};
    if (!shape.empty()) {
        box = {};
        for (const Rect& r : shape) box = box.Empty() ? r : Union(box, r);
    }
    box.x += bounds.x;
    box.y += bounds.y;
    const Rect screen{0, 0, screenW, screenH};
    Rect seen = Intersect(box, screen);
    return seen.Empty() ? screen : seen;
}

Rect CentredIn(Rect area, int w, int h, int screenW, int screenH) {
    int x = area.x + (area.w - w) / 2, y = area.y + (area.h - h) / 2;
    x = std::max(0, std::min(x, screenW - w));
    y = std::max(0, std::min(y, screenH - h));
    return {x, y, w, h};
}

}  // namespace platform::fltk

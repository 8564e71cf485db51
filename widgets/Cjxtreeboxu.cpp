#include "widgets/Cjxtreeboxu.h"

#include <algorithm>

using platform::Image;
using platform::RasterOp;

namespace {
// Tree-line glyphs of the list fonts. The group variants carry the open/close box
// and stand 6 pixels further left than the program variants.
constexpr uint8_t kGlyphPassBy = 169;
struct BranchGlyphs {
    uint8_t open, closed, program;
};
constexpr BranchGlyphs kBranch[5] = {
    {0, 0, 0},           // 0: nothing
    {169, 169, 169},     // 1: only passing by, drawn apart below
    {166, 164, 170},     // 2: more of this level below
    {168, 167, 171},     // 3: last of this level
    {162, 161, 172},     // 4: very first item of the list
};
}  // namespace

void CJXTreeBox::LoadFonts(platform::MemoryStream& stream) {
    // A font that fails to load leaves its text blank; the list works on regardless.
    for (CJXFontFile& f : fonts) f.Load(stream);
}

void CJXTreeBox::UnloadFonts() {
    for (CJXFontFile& f : fonts) f.Unload();
}

void CJXTreeBox::Init(int left, int top, int width, int height, int rows, Image* surface) {
    callback_ = nullptr;
    collapseDescendants = false;
    surface_ = surface;
    background_ = surface;  // until the owner hands over the skin
    selectedRow_ = -1;
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    // A list without rows makes no sense; one row keeps the arithmetic defined.
    rows_ = std::max(rows, 1);
    rowHeight_ = height_ / rows_;
    topRow_ = 0;
    visibleCount_ = 0;
    offscreen_.Create(width_, height_);
    entries_.clear();
    if (!records_) records_ = std::make_unique<JXTreeItem[]>(kMaxItems);
    ResetRecords();
    // Sized once for the largest list so that rebuilding never allocates.
    visible_.clear();
    visible_.reserve(kMaxItems);
    regions_.clear();
    regions_.reserve(kMaxItems);
    dirty_ = false;
}

void CJXTreeBox::Free() {
    offscreen_.Reset();
    entries_.clear();
    entries_.shrink_to_fit();
    records_.reset();
    recordsTaken_ = 0;
    visible_ = {};
    regions_ = {};
    visibleCount_ = 0;
    selectedRow_ = -1;
    topRow_ = 0;
    dirty_ = false;
}

void CJXTreeBox::ResetRecords() {
    if (records_)
        for (int i = 0; i < kMaxItems; ++i) records_[i] = JXTreeItem{};
    recordsTaken_ = 0;
}

int CJXTreeBox::TakeRecord() {
    // Records are freed only all together by Clear, so the first free one is always
    // the one right after those already taken.
    if (!records_ || recordsTaken_ >= kMaxItems) return -1;
    records_[recordsTaken_] = JXTreeItem{};
    return recordsTaken_++;
}

void CJXTreeBox::Clear() {
    selectedRow_ = -1;
    topRow_ = 0;
    visibleCount_ = 0;
    ResetRecords();
    entries_.clear();
    visible_.clear();
    regions_.clear();
    dirty_ = false;
}

int CJXTreeBox::AddRoot(std::string_view text) {
    // A full table is checked before anything is touched, so a refused item leaves
    // the existing tree lines as they were.
    if (!records_ || recordsTaken_ >= kMaxItems) return 1;
    for (size_t i = 0; i < entries_.size(); ++i) {
        JXTreeItem& it = ItemAt(static_cast<int>(i));
        it.lines[0] = it.depth > 0 ? 1 : 2;
    }
    if (!entries_.empty()) ItemAt(0).lines[0] = 4;
    const int rec = TakeRecord();
    JXTreeItem& item = records_[rec];
    item.lines[0] = 3;
    item.depth = 0;
    item.kind = kProgram;  // becomes a group with its first child
    item.expanded = 1;
    entries_.push_back({std::string(text), rec});
    dirty_ = true;
    return 0;
}

int CJXTreeBox::AddChild(int parentIndex, std::string_view text, bool expanded) {
    if (parentIndex < 0 || entries_.empty() || parentIndex >= ItemCount()) return 1;
    if (!records_ || recordsTaken_ >= kMaxItems) return 1;
    JXTreeItem& parent = ItemAt(parentIndex);
    const int d = parent.depth;
    // Eight columns of tree lines: the deepest level cannot have children.
    if (d >= kMaxDepth) return 1;
    parent.kind = kGroup;
    parent.expanded = expanded ? 1 : 0;
    const uint8_t p = parent.lines[d];

    // The new item goes after the parent's existing descendants; the earlier
    // children now have a sibling below them, and their own descendants see a line
    // passing by in that column.
    int pos = parentIndex + 1;
    for (; pos < ItemCount(); ++pos) {
        JXTreeItem& it = ItemAt(pos);
        if (it.depth <= d) break;
        it.lines[d + 1] = it.depth == d + 1 ? 2 : 1;
    }

    const int rec = TakeRecord();
    JXTreeItem& item = records_[rec];
    // Unless the parent is the last of its level, a line runs past on its left.
    const uint8_t pass = (p == 1 || p == 2 || p == 4) ? 1 : 0;
    for (int c = 0; c <= d; ++c) item.lines[c] = pass;
    item.lines[d + 1] = 3;
    item.depth = static_cast<uint8_t>(d + 1);
    item.kind = kProgram;
    item.expanded = 0;
    entries_.insert(entries_.begin() + pos, Entry{std::string(text), rec});
    dirty_ = true;
    return 0;
}

void CJXTreeBox::Rebuild() {
    visible_.clear();
    regions_.clear();
    int limit = 0;
    for (int i = 0; i < ItemCount(); ++i) {
        const JXTreeItem& it = ItemAt(i);
        if (it.depth > limit) continue;  // inside a closed group
        visible_.push_back(i);
        const CJXFontFile& f = fonts[it.depth == 0 ? kFontGroup : kFontProgram];
        regions_.push_back({it.depth * kIndent, f.TextWidth(entries_[i].text) + 20});
        limit = it.depth + ((it.kind == kGroup && it.expanded) ? 1 : 0);
    }
    visibleCount_ = static_cast<int>(visible_.size());
    dirty_ = false;
}

int CJXTreeBox::VisibleCount() {
    EnsureVisible();
    return visibleCount_;
}

int CJXTreeBox::VisibleItem(int v) {
    EnsureVisible();
    return (v >= 0 && v < visibleCount_) ? visible_[v] : -1;
}

JXRowRegion CJXTreeBox::Region(int v) {
    EnsureVisible();
    return (v >= 0 && v < visibleCount_) ? regions_[v] : JXRowRegion{};
}

void CJXTreeBox::DrawRow(int v, int windowRow) {
    const JXTreeItem& it = ItemAt(visible_[v]);
    const int y = windowRow * rowHeight_;
    const bool selected = (v == selectedRow_);
    const bool group = it.kind == kGroup;
    CJXFontFile& lineFont = fonts[selected ? kFontSelProgram : kFontProgram];

    for (int c = 0; c <= it.depth && c < 8; ++c) {
        const uint8_t code = it.lines[c];
        if (code == 0 || code > 4) continue;
        char ch;
        int x;
        if (code == 1) {
            ch = static_cast<char>(kGlyphPassBy);
            x = c * kIndent + 11;
        } else {
            const BranchGlyphs& g = kBranch[code];
            ch = static_cast<char>(group ? (it.expanded ? g.open : g.closed) : g.program);
            x = c * kIndent + (group ? 5 : 11);
        }
        lineFont.DrawText(offscreen_, x, y, std::string_view(&ch, 1));
    }

    const bool bigGroup = group && it.depth <= 1;
    const int textFont = selected ? (bigGroup ? kFontSelGroup : kFontSelProgram) : (bigGroup ? kFontGroup : kFontProgram);
    fonts[textFont].DrawTextKerned(offscreen_, 24 + it.depth * kIndent, y, entries_[visible_[v]].text);
}

void CJXTreeBox::Repaint() {
    Rebuild();
    if (background_) offscreen_.CopyRect(0, 0, width_, height_, *background_, 0, 0, RasterOp::Copy);
    for (int i = 0; i < visibleCount_ && i < rows_; ++i) {
        const int v = topRow_ + i;
        if (v < 0 || v >= visibleCount_) break;
        DrawRow(v, i);
    }
    if (surface_) {
        surface_->SetCopyMode(RasterOp::Copy);
        surface_->CopyRect(left_, top_, width_, height_, offscreen_, 0, 0, RasterOp::Copy);
    }
}

int CJXTreeBox::RowAt(int x, int y) {
    EnsureVisible();
    const int dx = x - left_, dy = y - top_;
    if (!(0 < dx && dx < width_ && 0 < dy && dy < height_)) return -1;
    if (rowHeight_ <= 0) return -1;
    const int r = std::min(dy / rowHeight_, rows_ - 1);
    const int v = r + topRow_;
    return (v >= 0 && v < visibleCount_) ? v : -1;
}

bool CJXTreeBox::OnBox(int v, int dx) const {
    const JXTreeItem& it = records_[entries_[visible_[v]].record];
    const int d = it.depth;
    return it.kind == kGroup && d * kIndent < dx && dx < d * kIndent + 14;
}

bool CJXTreeBox::IsOverText(int x, int y) {
    const int v = RowAt(x, y);
    if (v < 0) return false;
    const int dx = x - left_;
    const JXRowRegion& r = regions_[v];
    return r.x < dx && dx < r.x + r.w;
}

void CJXTreeBox::Select(int v) {
    selectedRow_ = v;
    if (callback_) callback_(VisibleItem(v));
}

void CJXTreeBox::CloseGroup(int listIndex) {
    JXTreeItem& group = ItemAt(listIndex);
    if (collapseDescendants) {
        for (int j = listIndex + 1; j < ItemCount() && ItemAt(j).depth > group.depth; ++j) ItemAt(j).expanded = 0;
    }
    group.expanded = 0;
}

void CJXTreeBox::Toggle(int v) {
    selectedRow_ = v;
    EnsureVisible();
    if (v < 0 || v >= visibleCount_) return;
    const int index = visible_[v];
    JXTreeItem& it = ItemAt(index);
    if (it.kind != kGroup) return;

    int shift = 0;
    if (!it.expanded) {
        it.expanded = 1;
        Rebuild();
        int c = 0;
        for (int r = v + 1; r < visibleCount_ && ItemAt(visible_[r]).depth > it.depth; ++r) ++c;
        if (c >= rows_) {
            shift = v - topRow_;  // too many to show: the group goes to the top
        } else {
            const int s = v + c - topRow_;
            shift = s < rows_ ? 0 : s - rows_ + 1;  // the last child lands on the last row
        }
    } else {
        CloseGroup(index);
        Rebuild();
        const int remaining = visibleCount_ - topRow_;
        // Pull the list down so the window does not end in empty rows, but never
        // above the first row.
        shift = remaining >= rows_ ? 0 : -std::min(rows_ - remaining, topRow_);
    }
    topRow_ += shift;
}

void CJXTreeBox::Click(int x, int y, bool toggle) {
    const int v = RowAt(x, y);
    if (v < 0) return;
    if (toggle || OnBox(v, x - left_)) Toggle(v);
    // The owner's callback may fail on a damaged entry; the list still shows the
    // row the user chose.
    try {
        Select(v);
    } catch (...) {
        Repaint();
        throw;
    }
    Repaint();
}

void CJXTreeBox::Key(int code) {
    EnsureVisible();
    if (code != 13 && code != 38 && code != 40) return;
    // Keep the selection in the window; the owner hears it again once the view has
    // moved, so it can read the new first row (tell = true).
    auto keepInWindow = [&](bool tell) {
        const int s = selectedRow_;
        if (s < 0) return;
        if (s >= topRow_ + rows_)
            topRow_ = s - rows_ + 1;
        else if (s < topRow_)
            topRow_ = s;
        else
            return;
        if (tell) Select(s);
    };
    // The owner's callback may fail on a damaged entry; the list still shows the
    // row the user chose, in the window.
    try {
        const int s = selectedRow_;
        if (code == 13) {
            if (s >= 0 && s < visibleCount_) {
                Toggle(s);
                Select(s);
            }
        } else if (code == 38) {
            if (s > 0 && s < visibleCount_) Select(s - 1);
        } else if (s >= 0 && s < visibleCount_ - 1) {
            Select(s + 1);
        } else if (s == -1) {
            Select(0);
        }
        keepInWindow(true);
    } catch (...) {
        keepInWindow(false);
        Repaint();
        throw;
    }
    Repaint();
}

void CJXTreeBox::ScrollUp() {
    if (topRow_ > 0) --topRow_;
    Repaint();
}

void CJXTreeBox::ScrollDown() {
    EnsureVisible();
    if (visibleCount_ - topRow_ > rows_) ++topRow_;
    Repaint();
}

int CJXTreeBox::MaxTop() {
    Rebuild();
    return std::max(visibleCount_ - rows_, 0);
}

void CJXTreeBox::SetTop(int row) {
    const int m = MaxTop();
    topRow_ = std::clamp(row, 0, m);
    Repaint();
}

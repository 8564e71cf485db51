// The program list: a custom-drawn tree of groups and programs with tree lines and
// open/close boxes, painted with four bitmap fonts over a skin background and copied
// to the window in one piece. The owner scrolls it through the list scroll bar and
// hears about every selection through a plain callback that carries the item's
// index in the list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image.h"
#include "platform/stream.h"
#include "widgets/Cjxfontfileu.h"

// One item's drawing data. Items live in a fixed table so that inserting into the
// middle of the list never moves them; the list of texts only refers to them.
struct JXTreeItem {
    // Tree-line code per column: 0 nothing, 1 vertical line passing by, 2 branch with
    // more of that level below, 3 branch of the last of its level, 4 branch of the
    // very first item of the list.
    uint8_t lines[8] = {};
    uint8_t depth = 0;
    uint8_t kind = 11;      // 10 group, 11 program
    uint8_t expanded = 0;   // 1 open
};

struct JXRowRegion {
    int x = 0, w = 0;
};

using JXTreeCallback = void (*)(int listIndex);

class CJXTreeBox {
public:
    static constexpr int kMaxItems = 8191;
    static constexpr int kMaxDepth = 7;
    static constexpr uint8_t kGroup = 10;
    static constexpr uint8_t kProgram = 11;
    // A level of the tree is indented this far.
    static constexpr int kIndent = 15;
    enum FontIndex { kFontProgram = 0, kFontGroup = 1, kFontSelProgram = 2, kFontSelGroup = 3 };

    CJXTreeBox() = default;
    CJXTreeBox(const CJXTreeBox&) = delete;
    CJXTreeBox& operator=(const CJXTreeBox&) = delete;

    void LoadFonts(platform::MemoryStream& stream);
    void UnloadFonts();
    void Init(int left, int top, int width, int height, int rows, platform::Image* surface);
    void SetCallback(JXTreeCallback cb) { callback_ = cb; }
    void SetBackground(platform::Image* bg) { background_ = bg; }
    void Free();

    int AddRoot(std::string_view text);
    int AddChild(int parentIndex, std::string_view text, bool expanded);
    void Clear();

    void Select(int v);
    void Toggle(int v);
    void Click(int x, int y, bool toggle);
    void Key(int code);
    void ScrollUp();
    void ScrollDown();
    void SetTop(int row);
    int TopRow() const { return topRow_; }
    int MaxTop();
    bool IsOverText(int x, int y);
    void Repaint();

    // Read-only views for the owner and for checks.
    int ItemCount() const { return static_cast<int>(entries_.size()); }
    const JXTreeItem& Item(int listIndex) const { return records_[entries_[listIndex].record]; }
    const std::string& Text(int listIndex) const { return entries_[listIndex].text; }
    int VisibleCount();
    int VisibleItem(int v);  // list index shown in visible row v, -1 for none
    JXRowRegion Region(int v);
    int SelectedRow() const { return selectedRow_; }
    int Rows() const { return rows_; }
    int RowHeight() const { return rowHeight_; }
    // Visible row under a surface point, -1 for none.
    int RowAt(int x, int y);
    const platform::Image& Offscreen() const { return offscreen_; }

    CJXFontFile fonts[4];
    // Closing a group also closes the groups inside it.
    bool collapseDescendants = false;

private:
    struct Entry {
        std::string text;
        int record;
    };
    JXTreeItem& ItemAt(int listIndex) { return records_[entries_[listIndex].record]; }
    int TakeRecord();
    void ResetRecords();
    void Rebuild();
    void EnsureVisible() {
        if (dirty_) Rebuild();
    }
    void DrawRow(int v, int windowRow);
    bool OnBox(int v, int x) const;
    void CloseGroup(int listIndex);

    int left_ = 0, top_ = 0, width_ = 0, height_ = 0, rows_ = 1, rowHeight_ = 0;
    platform::Image* surface_ = nullptr;
    platform::Image* background_ = nullptr;
    platform::Image offscreen_;
    JXTreeCallback callback_ = nullptr;

    std::unique_ptr<JXTreeItem[]> records_;
    int recordsTaken_ = 0;
    std::vector<Entry> entries_;  // the list of texts, in display order

    std::vector<int> visible_;
    std::vector<JXRowRegion> regions_;
    int visibleCount_ = 0;
    bool dirty_ = false;
    int topRow_ = 0;
    int selectedRow_ = -1;
};

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/headless.h"
#include "widgets/Cjxtreeboxu.h"
#include "widget_test_fonts.h"

using platform::Image;
using platform::Rgb;

namespace {

// The main window's geometry: 544 pixels, 32 rows of 17.
constexpr int kLeft = 10, kTop = 20, kWidth = 200, kHeight = 544, kRows = 32;
const Rgb kSkin{1, 2, 3}, kSkinCorner{4, 5, 6}, kMarker{7, 7, 7};
// Font tags (red channel of every glyph): program, group, selected program, selected group.
constexpr int kTag[4] = {40, 80, 120, 160};

CJXTreeBox* g_tree = nullptr;
// Each selection as (list index, first row at the moment of the call).
using Selections = std::vector<std::pair<int, int>>;
Selections g_selections;
void RecordSelection(int listIndex) { g_selections.emplace_back(listIndex, g_tree->TopRow()); }

class TreeBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetSystem(&sys);
        g_selections.clear();
        g_tree = &tree;
        surface = wtest::Solid(300, 600, kMarker);
        skin = wtest::Solid(kWidth, kHeight, kSkin);
        skin.SetPixel(kWidth - 1, kHeight - 1, kSkinCorner);
        // Groups measure wider than programs, so a region measured with the wrong
        // font shows.
        for (int i = 0; i < 4; ++i) wtest::MakeFont(tree.fonts[i], kTag[i], i % 2 ? 7 : 5, 10);
        tree.Init(kLeft, kTop, kWidth, kHeight, kRows, &surface);
        tree.SetCallback(RecordSelection);
        tree.SetBackground(&skin);
    }
    void TearDown() override { platform::SetSystem(nullptr); }
    // n top-level groups "G0".. with `programs` programs each ("Gi.j"), except
    // group `big`, which gets `bigPrograms`.
    void Groups(int n, int programs, bool open, int big = -1, int bigPrograms = 0) {
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(tree.AddRoot("G" + std::to_string(i)), 0);
            const int g = tree.ItemCount() - 1;
            for (int j = 0; j < (i == big ? bigPrograms : programs); ++j)
                ASSERT_EQ(tree.AddChild(g, "G" + std::to_string(i) + "." + std::to_string(j), open), 0);
        }
    }
    // Tree-line codes of an item, columns 0 to its depth.
    std::vector<int> Codes(int index) const {
        const JXTreeItem& it = tree.Item(index);
        return std::vector<int>(it.lines, it.lines + it.depth + 1);
    }
    Rgb At(int dx, int dy) const { return surface.Pixel(kLeft + dx, kTop + dy); }
    static Rgb Glyph(int font, int ch) { return wtest::GlyphColour(kTag[font], ch); }

    platform::HeadlessSystem sys;
    Image surface, skin;
    CJXTreeBox tree;
};

using V = std::vector<int>;

TEST_F(TreeBoxTest, TreeLineCodesFollowTheShapeOfTheList) {
    tree.AddRoot("A");
    EXPECT_EQ(Codes(0), V{3});
    tree.AddRoot("B");
    EXPECT_EQ(Codes(0), V{4});
    EXPECT_EQ(Codes(1), V{3});
    tree.AddRoot("C");
    EXPECT_EQ(Codes(1), V{2});
    EXPECT_EQ(Codes(2), V{3});

    tree.Clear();
    tree.AddRoot("G1");
    tree.AddRoot("G2");
    ASSERT_EQ(tree.AddChild(0, "P1", true), 0);
    EXPECT_EQ(tree.Text(1), "P1");  // right before the second group
    EXPECT_EQ(Codes(1), (V{1, 3}));
    EXPECT_EQ(tree.Item(0).kind, CJXTreeBox::kGroup);
    ASSERT_EQ(tree.AddChild(0, "P2", false), 0);
    EXPECT_EQ(tree.Text(2), "P2");
    EXPECT_EQ(Codes(1), (V{1, 2}));  // P1 is no longer the last of its group
    EXPECT_EQ(Codes(2), (V{1, 3}));
    EXPECT_EQ(tree.Item(0).expanded, 0);  // the latest flag wins
    ASSERT_EQ(tree.AddChild(3, "Q1", true), 0);
    EXPECT_EQ(Codes(4), (V{0, 3}));  // in the last group nothing passes by

    // Another group at the end: the old last group and its programs continue.
    tree.AddRoot("G3");
    EXPECT_EQ(Codes(3), V{2});
    EXPECT_EQ(Codes(4), (V{1, 3}));

    // A program that takes a child becomes a group; a later child of G1 goes after
    // that grandchild, which then sees G1's branch pass by.
    ASSERT_EQ(tree.AddChild(1, "X", true), 0);
    EXPECT_EQ(Codes(2), (V{1, 1, 3}));
    ASSERT_EQ(tree.AddChild(0, "P3", true), 0);
    EXPECT_EQ(tree.Text(4), "P3");
    EXPECT_EQ(Codes(3), (V{1, 2}));
    EXPECT_EQ(Codes(2), (V{1, 1, 3}));
    EXPECT_EQ(Codes(4), (V{1, 3}));
}

TEST_F(TreeBoxTest, AddingRefusesBadParentsTheEighthLevelAndAFullTable) {
    EXPECT_EQ(tree.AddChild(0, "x", true), 1);
    tree.AddRoot("R");
    EXPECT_EQ(tree.AddChild(-1, "x", true), 1);
    EXPECT_EQ(tree.AddChild(1, "x", true), 1);
    for (int i = 0; i < 7; ++i) ASSERT_EQ(tree.AddChild(i, "d", true), 0);
    EXPECT_EQ(tree.Item(7).depth, 7);
    EXPECT_EQ(tree.AddChild(7, "too deep", true), 1);
    EXPECT_EQ(tree.ItemCount(), 8);
    EXPECT_EQ(tree.Item(7).kind, CJXTreeBox::kProgram);

    tree.Clear();
    for (int i = 0; i < CJXTreeBox::kMaxItems; ++i) ASSERT_EQ(tree.AddRoot("x"), 0) << i;
    EXPECT_EQ(tree.AddRoot("one too many"), 1);
    EXPECT_EQ(tree.AddChild(0, "child", true), 1);
    EXPECT_EQ(tree.ItemCount(), 8191);
    EXPECT_EQ(Codes(8190), V{3});  // the refused root left the last one the last
    EXPECT_EQ(tree.Item(0).kind, CJXTreeBox::kProgram);

    // Clear frees every record, and reused records come back clean.
    tree.Clear();
    EXPECT_EQ(tree.AddRoot("again"), 0);
    EXPECT_EQ(tree.AddChild(0, "child", true), 0);
    EXPECT_EQ(Codes(0), V{3});
    EXPECT_EQ(Codes(1), (V{0, 3}));
    EXPECT_EQ(tree.Item(1).lines[2], 0);
}

TEST_F(TreeBoxTest, VisibleRowsRegionsAndHits) {
    tree.AddRoot("Abc");
    tree.AddChild(0, "Pq", false);
    tree.AddRoot("De");
    tree.AddChild(2, "Xy", true);
    tree.AddChild(2, "Zz", true);
    ASSERT_EQ(tree.VisibleCount(), 4);  // Pq hides in its closed group
    EXPECT_EQ(tree.VisibleItem(1), 2);
    // Top-level rows measure with the group font (7 + 1 a character), the others
    // with the program font (5 + 1), plus 20.
    EXPECT_EQ(tree.Region(0).w, 3 * 8 + 20);
    EXPECT_EQ(tree.Region(2).x, 15);
    EXPECT_EQ(tree.Region(2).w, 2 * 6 + 20);
    const int row2 = kTop + 2 * 17 + 5;
    EXPECT_TRUE(tree.IsOverText(kLeft + 43, kTop + 5));
    EXPECT_FALSE(tree.IsOverText(kLeft + 44, kTop + 5));
    EXPECT_FALSE(tree.IsOverText(kLeft + 15, row2));
    EXPECT_TRUE(tree.IsOverText(kLeft + 16, row2));
    EXPECT_FALSE(tree.IsOverText(kLeft + 47, row2));
    EXPECT_FALSE(tree.IsOverText(kLeft + 5, kTop + 4 * 17 + 5));  // below the last row

    // A click below the last row or outside the list changes nothing, paints nothing.
    tree.Click(kLeft + 5, kTop + 4 * 17 + 5, true);
    tree.Click(kLeft - 5, kTop + 5, true);
    EXPECT_TRUE(g_selections.empty());
    EXPECT_EQ(tree.SelectedRow(), -1);
    EXPECT_EQ(At(5, 5), kMarker);

    tree.Clear();
    Groups(40, 0, false);
    EXPECT_EQ(tree.RowHeight(), 17);
    EXPECT_EQ(tree.RowAt(kLeft + 5, kTop + 543), 31);
    EXPECT_EQ(tree.RowAt(kLeft + 5, kTop + 0), -1);
    EXPECT_EQ(tree.RowAt(kLeft + 5, kTop + 544), -1);
    EXPECT_EQ(tree.RowAt(kLeft + 0, kTop + 5), -1);
    EXPECT_EQ(tree.RowAt(kLeft + 200, kTop + 5), -1);
    EXPECT_EQ(tree.RowAt(kLeft + 5, kTop + 17), 1);
    tree.SetTop(8);
    EXPECT_EQ(tree.RowAt(kLeft + 5, kTop + 543), 39);

    // The pixels left over below the last row belong to the last row.
    tree.Init(kLeft, kTop, kWidth, 550, kRows, &surface);
    Groups(40, 0, false);
    EXPECT_EQ(tree.RowAt(kLeft + 5, kTop + 549), 31);
}

TEST_F(TreeBoxTest, OpeningAndClosingGroupsMovesTheView) {
    // 40 programs do not fit into 32 rows: the group goes to the first row.
    Groups(20, 1, false, 5, 40);
    tree.Toggle(5);
    EXPECT_EQ(tree.TopRow(), 5);
    EXPECT_EQ(tree.SelectedRow(), 5);
    EXPECT_EQ(tree.VisibleCount(), 60);
    EXPECT_TRUE(g_selections.empty());  // Toggle does not report
    // Exactly a window full of programs counts as not fitting either.
    tree.Clear();
    Groups(20, 1, false, 7, 32);
    tree.Toggle(7);
    EXPECT_EQ(tree.TopRow(), 7);

    // A group of 3 on the last window row: its last program lands on the last row.
    tree.Clear();
    Groups(40, 3, false);
    tree.SetTop(5);
    tree.Toggle(36);
    EXPECT_EQ(tree.TopRow(), 8);
    EXPECT_EQ(tree.Text(tree.VisibleItem(8 + 31)), "G36.2");
    // One that fits where it is moves nothing, and neither does closing it.
    tree.SetTop(0);
    tree.Toggle(0);
    EXPECT_EQ(tree.TopRow(), 0);
    tree.Toggle(0);
    EXPECT_EQ(tree.TopRow(), 0);

    // Closing near the end of a scrolled list pulls it down by the rows that would
    // stay empty...
    tree.Clear();
    Groups(40, 3, false);
    tree.Toggle(39);
    EXPECT_EQ(tree.TopRow(), 11);
    tree.Toggle(39);
    EXPECT_EQ(tree.TopRow(), 8);
    // ... but never above the first row.
    tree.Clear();
    Groups(5, 1, false, 4, 40);
    tree.Toggle(4);
    EXPECT_EQ(tree.TopRow(), 4);
    tree.Toggle(4);
    EXPECT_EQ(tree.TopRow(), 0);

    // A program row only becomes the selected row.
    tree.Toggle(0);
    ASSERT_EQ(tree.VisibleCount(), 6);
    tree.Toggle(1);
    EXPECT_EQ(tree.SelectedRow(), 1);
    EXPECT_EQ(tree.VisibleCount(), 6);
    EXPECT_EQ(tree.TopRow(), 0);
}

TEST_F(TreeBoxTest, ClosingCanCloseTheGroupsInside) {
    tree.AddRoot("G");
    tree.AddChild(0, "S", true);
    tree.AddChild(1, "P", true);
    tree.AddRoot("H");
    tree.AddChild(3, "Q", true);
    ASSERT_EQ(tree.VisibleCount(), 5);
    // Without the flag the inner group keeps its state.
    tree.Toggle(0);
    EXPECT_EQ(tree.VisibleCount(), 3);
    tree.Toggle(0);
    EXPECT_EQ(tree.VisibleCount(), 5);

    tree.collapseDescendants = true;
    tree.Toggle(0);
    EXPECT_EQ(tree.Item(1).expanded, 0);
    EXPECT_EQ(tree.Item(3).expanded, 1);  // the next group is not inside G
    tree.Toggle(0);
    EXPECT_EQ(tree.VisibleCount(), 4);  // G, S closed, H, Q
}

TEST_F(TreeBoxTest, KeysSelectAndKeepTheSelectionInView) {
    Groups(40, 0, false);
    tree.Key(platform::kVkDown);  // nothing selected: the first row
    tree.Key(platform::kVkUp);    // already at the top: nothing
    EXPECT_EQ(tree.SelectedRow(), 0);
    EXPECT_EQ(g_selections, (Selections{{0, 0}}));

    // Down from the last window row scrolls one row, and the owner hears the new
    // row twice, the second time with the view already moved.
    tree.Select(31);
    g_selections.clear();
    tree.Key(platform::kVkDown);
    EXPECT_EQ(tree.TopRow(), 1);
    EXPECT_EQ(g_selections, (Selections{{32, 0}, {32, 1}}));
    g_selections.clear();
    tree.Key(platform::kVkUp);
    EXPECT_EQ(g_selections, (Selections{{31, 1}}));
    // Up above the first window row scrolls the other way.
    tree.SetTop(5);
    tree.Select(5);
    g_selections.clear();
    tree.Key(platform::kVkUp);
    EXPECT_EQ(g_selections, (Selections{{4, 5}, {4, 4}}));
    // Down on the very last row stays there.
    tree.SetTop(8);
    tree.Select(39);
    g_selections.clear();
    tree.Key(platform::kVkDown);
    EXPECT_EQ(tree.SelectedRow(), 39);
    // Other keys do nothing at all, not even paint.
    surface.FillAll(kMarker);
    tree.Key(platform::kVkLeft);
    EXPECT_TRUE(g_selections.empty());
    EXPECT_EQ(At(5, 5), kMarker);

    // Up and Enter without a selection only repaint.
    tree.Clear();
    Groups(3, 2, true);
    tree.Key(platform::kVkUp);
    tree.Key(platform::kVkReturn);
    EXPECT_TRUE(g_selections.empty());
    EXPECT_EQ(tree.VisibleCount(), 9);
    EXPECT_EQ(At(5, 5), Glyph(0, 162));
    // Enter on a program re-selects it; on a group it toggles and selects. The
    // owner hears list indices, not visible rows.
    tree.Select(1);
    tree.Key(platform::kVkReturn);
    EXPECT_EQ(tree.VisibleCount(), 9);
    tree.Select(3);
    tree.Key(platform::kVkReturn);
    EXPECT_EQ(tree.VisibleCount(), 7);
    tree.Key(platform::kVkDown);
    EXPECT_EQ(g_selections, (Selections{{1, 0}, {1, 0}, {3, 0}, {3, 0}, {6, 0}}));
}

TEST_F(TreeBoxTest, ScrollingStaysWithinTheRows) {
    Groups(40, 0, false);
    EXPECT_EQ(tree.MaxTop(), 8);
    tree.SetTop(100);
    EXPECT_EQ(tree.TopRow(), 8);
    tree.SetTop(-3);
    EXPECT_EQ(tree.TopRow(), 0);
    tree.SetTop(3);
    tree.ScrollUp();
    EXPECT_EQ(tree.TopRow(), 2);
    for (int i = 0; i < 10; ++i) tree.ScrollDown();
    EXPECT_EQ(tree.TopRow(), 8);
    // "G8" in the first row; groups without programs are set like programs.
    EXPECT_EQ(At(30, 0), Glyph(0, '8'));
    // Scrolling repaints even when the view cannot move.
    tree.SetTop(0);
    surface.FillAll(kMarker);
    tree.ScrollUp();
    EXPECT_EQ(At(30, 0), Glyph(0, '0'));

    tree.Clear();
    Groups(5, 0, false);
    tree.SetTop(3);
    tree.ScrollDown();
    EXPECT_EQ(tree.TopRow(), 0);
}

TEST_F(TreeBoxTest, ClickSelectsAndTheBoxOrDoubleClickToggles) {
    tree.AddRoot("G0");
    tree.AddChild(0, "P", false);
    tree.AddRoot("G1");
    tree.AddChild(2, "S", true);
    tree.AddChild(3, "T", true);
    ASSERT_EQ(tree.VisibleCount(), 4);  // G0, G1, S, T
    auto rowY = [](int row) { return kTop + row * 17 + 8; };

    tree.Click(kLeft + 14, rowY(0), false);  // just right of the box
    EXPECT_EQ(tree.VisibleCount(), 4);
    tree.Click(kLeft + 13, rowY(0), false);
    EXPECT_EQ(tree.VisibleCount(), 5);  // G0, P, G1, S, T
    EXPECT_EQ(At(5, 0), Glyph(2, 162));  // repainted, selected, with the open box
    // The box of a group one level down is 15 pixels further right.
    tree.Click(kLeft + 15, rowY(3), false);
    tree.Click(kLeft + 29, rowY(3), false);
    EXPECT_EQ(tree.VisibleCount(), 5);
    tree.Click(kLeft + 28, rowY(3), false);
    EXPECT_EQ(tree.VisibleCount(), 4);
    // A double click toggles anywhere on the row; on a program it only selects.
    tree.Click(kLeft + 100, rowY(1), true);
    EXPECT_EQ(tree.VisibleCount(), 4);
    tree.Click(kLeft + 100, rowY(2), true);
    EXPECT_EQ(tree.VisibleCount(), 3);
    EXPECT_EQ(g_selections, (Selections{{0, 0}, {0, 0}, {3, 0}, {3, 0}, {3, 0}, {1, 0}, {2, 0}}));
}

TEST_F(TreeBoxTest, AFailingOwnerStillLeavesTheChosenRowShownAndInView) {
    Groups(40, 0, false);
    tree.SetCallback([](int) { throw std::runtime_error("damaged entry"); });
    auto rowY = [](int row) { return kTop + row * 17 + 8; };
    surface.FillAll(kMarker);
    EXPECT_THROW(tree.Click(kLeft + 100, rowY(2), false), std::runtime_error);
    EXPECT_EQ(tree.SelectedRow(), 2);
    EXPECT_EQ(At(30, 2 * 17), Glyph(2, '2'));  // painted, in the selected font

    // Down from the last window row: the view still follows the selection.
    tree.SetTop(0);
    tree.SetCallback(nullptr);
    tree.Select(31);
    tree.SetCallback([](int) { throw std::runtime_error("damaged entry"); });
    EXPECT_THROW(tree.Key(platform::kVkDown), std::runtime_error);
    EXPECT_EQ(tree.SelectedRow(), 32);
    EXPECT_EQ(tree.TopRow(), 1);
    EXPECT_EQ(At(30, 31 * 17), Glyph(2, '3'));  // "G32" on the last window row
}

TEST_F(TreeBoxTest, RepaintDrawsRowsInTheirFontsOverTheSkin) {
    tree.AddRoot("Ab");
    tree.AddChild(0, "Xy", false);
    tree.AddRoot("Cd");
    tree.AddChild(2, "Ef", true);
    tree.AddChild(3, "Gh", false);  // Ef: a closed group one level down
    tree.Select(1);
    surface.SetCopyMode(platform::RasterOp::And);
    tree.Repaint();
    EXPECT_EQ(surface.CopyMode(), platform::RasterOp::Copy);

    // Row 0: the closed first group: box 161 at x 5 in the line font, the name in
    // the group font from x 24 (7 wide plus the gap).
    EXPECT_EQ(At(4, 0), kSkin);
    EXPECT_EQ(At(9, 9), Glyph(0, 161));
    EXPECT_EQ(At(24, 0), Glyph(1, 'A'));
    EXPECT_EQ(At(32, 0), Glyph(1, 'b'));
    // Row 1, selected: the open last group's box 168 in the selected line font, the
    // name in the selected group font.
    EXPECT_EQ(At(5, 17), Glyph(2, 168));
    EXPECT_EQ(At(30, 26), Glyph(3, 'C'));
    EXPECT_EQ(At(31, 26), kSkin);
    EXPECT_EQ(At(24, 27), kSkin);
    // Row 2: nothing in column 0, the closed box 167 at 15 + 5, the name of a
    // depth-1 group in the group font at 24 + 15.
    EXPECT_EQ(At(11, 34), kSkin);
    EXPECT_EQ(At(20, 34), Glyph(0, 167));
    EXPECT_EQ(At(39, 34), Glyph(1, 'E'));
    // Below the rows only the skin, taken from its (0, 0); nothing outside the list.
    EXPECT_EQ(At(24, 51), kSkin);
    EXPECT_EQ(At(kWidth - 1, kHeight - 1), kSkinCorner);
    EXPECT_EQ(At(-1, 0), kMarker);
    EXPECT_EQ(At(kWidth, 0), kMarker);

    tree.Select(2);
    tree.Repaint();
    EXPECT_EQ(At(5, 17), Glyph(0, 168));
    EXPECT_EQ(At(24, 17), Glyph(1, 'C'));
    EXPECT_EQ(At(20, 34), Glyph(2, 167));
    EXPECT_EQ(At(39, 34), Glyph(3, 'E'));

    // The first group opened: its program shows a line passing by (169 at 11) and
    // the program branch (171 at 15 + 11) in the line font, the name in the
    // program font.
    tree.Toggle(0);
    tree.Repaint();
    EXPECT_EQ(At(5, 0), Glyph(2, 162));
    EXPECT_EQ(At(10, 17), kSkin);
    EXPECT_EQ(At(11, 17), Glyph(0, 169));
    EXPECT_EQ(At(26, 17), Glyph(0, 171));
    EXPECT_EQ(At(39, 17), Glyph(0, 'X'));
    tree.Clear();
    tree.Repaint();
    EXPECT_EQ(At(5, 0), kSkin);
}

TEST_F(TreeBoxTest, LoadFontsReadsFourRecordsInOrder) {
    platform::MemoryStream s;
    CJXFontFile sources[4];
    for (int i = 0; i < 4; ++i) {
        wtest::MakeFont(sources[i], 11 * (i + 1), 4 + i, 8);
        wtest::AppendFontRecord(s, sources[i]);
    }
    s.Seek(0);
    CJXTreeBox fresh;
    fresh.LoadFonts(s);
    EXPECT_TRUE(s.AtEnd());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(fresh.fonts[i].glyphImage.Pixel('a' * wtest::kCellWidth, 0), wtest::GlyphColour(11 * (i + 1), 'a'));
}

}  // namespace

#include <gtest/gtest.h>

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
const Rgb kSkin{1, 2, 3};
const Rgb kSkinCorner{4, 5, 6};
const Rgb kMarker{7, 7, 7};
// Font tags (red channel of every glyph): program, group, selected program, selected group.
constexpr int kTag[4] = {40, 80, 120, 160};

CJXTreeBox* g_tree = nullptr;
// Each selection as (list index, first row at the moment of the call).
std::vector<std::pair<int, int>> g_selections;
void RecordSelection(int listIndex) { g_selections.emplace_back(listIndex, g_tree ? g_tree->TopRow() : -99); }

class TreeBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetSystem(&sys);
        g_selections.clear();
        g_tree = &tree;
        surface.Create(300, 600);
        surface.FillAll(kMarker);
        skin = wtest::Solid(kWidth, kHeight, kSkin);
        skin.SetPixel(kWidth - 1, kHeight - 1, kSkinCorner);
        // Groups measure wider than programs, so a region measured with the wrong
        // font shows.
        wtest::MakeFont(tree.fonts[0], kTag[0], 5, 10);
        wtest::MakeFont(tree.fonts[1], kTag[1], 7, 10);
        wtest::MakeFont(tree.fonts[2], kTag[2], 5, 10);
        wtest::MakeFont(tree.fonts[3], kTag[3], 7, 10);
        tree.Init(kLeft, kTop, kWidth, kHeight, kRows, &surface);
        tree.SetCallback(RecordSelection);
        tree.SetBackground(&skin);
    }
    void TearDown() override {
        g_tree = nullptr;
        platform::SetSystem(nullptr);
    }
    // n top-level groups "G0".. with the given number of programs each ("Gi.j").
    void Groups(int n, int programs, bool open, int bigGroup = -1, int bigPrograms = 0) {
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(tree.AddRoot("G" + std::to_string(i)), 0);
            const int g = tree.ItemCount() - 1;
            const int count = i == bigGroup ? bigPrograms : programs;
            for (int j = 0; j < count; ++j)
                ASSERT_EQ(tree.AddChild(g, "G" + std::to_string(i) + "." + std::to_string(j), open), 0);
        }
    }
    int Code(int index, int column) const { return tree.Item(index).lines[column]; }
    // Surface pixel at a point of the list.
    Rgb At(int dx, int dy) const { return surface.Pixel(kLeft + dx, kTop + dy); }
    static Rgb Glyph(int font, int ch) { return wtest::GlyphColour(kTag[font], ch); }

    platform::HeadlessSystem sys;
    Image surface;
    Image skin;
    CJXTreeBox tree;
};

TEST_F(TreeBoxTest, TreeLineCodesFollowTheShapeOfTheList) {
    tree.AddRoot("A");
    EXPECT_EQ(Code(0, 0), 3);
    tree.AddRoot("B");
    EXPECT_EQ(Code(0, 0), 4);
    EXPECT_EQ(Code(1, 0), 3);
    tree.AddRoot("C");
    EXPECT_EQ(Code(0, 0), 4);
    EXPECT_EQ(Code(1, 0), 2);
    EXPECT_EQ(Code(2, 0), 3);
    EXPECT_EQ(tree.Item(0).kind, CJXTreeBox::kProgram);  // no children yet

    tree.Clear();
    tree.AddRoot("G1");
    tree.AddRoot("G2");
    ASSERT_EQ(tree.AddChild(0, "P1", true), 0);
    ASSERT_EQ(tree.ItemCount(), 3);
    EXPECT_EQ(tree.Text(1), "P1");  // right before the second group
    EXPECT_EQ(tree.Text(2), "G2");
    EXPECT_EQ(Code(1, 0), 1);
    EXPECT_EQ(Code(1, 1), 3);
    EXPECT_EQ(tree.Item(1).depth, 1);
    EXPECT_EQ(tree.Item(0).kind, CJXTreeBox::kGroup);
    EXPECT_EQ(tree.Item(0).expanded, 1);

    ASSERT_EQ(tree.AddChild(0, "P2", false), 0);
    EXPECT_EQ(tree.Text(2), "P2");
    EXPECT_EQ(Code(1, 1), 2);  // P1 is no longer the last of its group
    EXPECT_EQ(Code(2, 0), 1);
    EXPECT_EQ(Code(2, 1), 3);
    EXPECT_EQ(tree.Item(0).expanded, 0);  // the latest flag wins

    // Programs of the last group have no line passing by on their left.
    ASSERT_EQ(tree.AddChild(3, "Q1", true), 0);
    EXPECT_EQ(tree.Text(4), "Q1");
    EXPECT_EQ(Code(4, 0), 0);
    EXPECT_EQ(Code(4, 1), 3);

    // Another group at the end: the old last group and its programs continue.
    tree.AddRoot("G3");
    EXPECT_EQ(Code(0, 0), 4);
    EXPECT_EQ(Code(3, 0), 2);
    EXPECT_EQ(Code(4, 0), 1);
    EXPECT_EQ(Code(5, 0), 3);
    EXPECT_EQ(Code(1, 0), 1);

    // A program that takes a child becomes a group one level down; the child sees
    // lines passing by in every column up to its parent's, since P1 is not the last.
    ASSERT_EQ(tree.AddChild(1, "X", true), 0);
    EXPECT_EQ(tree.Text(2), "X");
    EXPECT_EQ(tree.Item(1).kind, CJXTreeBox::kGroup);
    EXPECT_EQ(tree.Item(2).depth, 2);
    EXPECT_EQ(Code(2, 0), 1);
    EXPECT_EQ(Code(2, 1), 1);
    EXPECT_EQ(Code(2, 2), 3);
    // A second child of G1 goes after X too, and X sees G1's branch pass by.
    ASSERT_EQ(tree.AddChild(0, "P3", true), 0);
    EXPECT_EQ(tree.Text(4), "P3");
    EXPECT_EQ(Code(3, 1), 2);  // P2
    EXPECT_EQ(Code(2, 1), 1);  // X
}

TEST_F(TreeBoxTest, AddChildRefusesBadParentsAndTheEighthLevel) {
    EXPECT_EQ(tree.AddChild(0, "x", true), 1);
    tree.AddRoot("R");
    EXPECT_EQ(tree.AddChild(-1, "x", true), 1);
    EXPECT_EQ(tree.AddChild(1, "x", true), 1);
    EXPECT_EQ(tree.ItemCount(), 1);
    EXPECT_EQ(tree.Item(0).kind, CJXTreeBox::kProgram);

    for (int i = 0; i < 7; ++i) ASSERT_EQ(tree.AddChild(i, "d" + std::to_string(i + 1), true), 0);
    EXPECT_EQ(tree.Item(7).depth, 7);
    EXPECT_EQ(Code(7, 7), 3);
    EXPECT_EQ(tree.AddChild(7, "too deep", true), 1);
    EXPECT_EQ(tree.ItemCount(), 8);
    EXPECT_EQ(tree.Item(7).kind, CJXTreeBox::kProgram);
    EXPECT_EQ(tree.VisibleCount(), 8);
}

TEST_F(TreeBoxTest, TableHolds8191ItemsUntilCleared) {
    for (int i = 0; i < CJXTreeBox::kMaxItems; ++i) ASSERT_EQ(tree.AddRoot("x"), 0) << i;
    EXPECT_EQ(tree.AddRoot("one too many"), 1);
    EXPECT_EQ(tree.AddChild(0, "child", true), 1);
    EXPECT_EQ(tree.ItemCount(), 8191);
    // The refused items leave the last group the last one.
    EXPECT_EQ(Code(8190, 0), 3);
    EXPECT_EQ(tree.Item(0).kind, CJXTreeBox::kProgram);

    tree.Clear();
    EXPECT_EQ(tree.ItemCount(), 0);
    EXPECT_EQ(tree.VisibleCount(), 0);
    EXPECT_EQ(tree.AddRoot("again"), 0);
    EXPECT_EQ(tree.AddChild(0, "child", true), 0);
    // Reused records come back clean: nothing left over from the full list.
    EXPECT_EQ(Code(0, 0), 3);
    EXPECT_EQ(Code(1, 0), 0);
    EXPECT_EQ(Code(1, 1), 3);
    EXPECT_EQ(Code(1, 2), 0);
}

TEST_F(TreeBoxTest, VisibleRowsRegionsAndHits) {
    tree.AddRoot("Abc");
    tree.AddChild(0, "Pq", false);
    tree.AddRoot("De");
    tree.AddChild(2, "Xy", true);
    tree.AddChild(2, "Zz", true);
    ASSERT_EQ(tree.VisibleCount(), 4);  // Pq hides in its closed group
    EXPECT_EQ(tree.VisibleItem(0), 0);
    EXPECT_EQ(tree.VisibleItem(1), 2);
    EXPECT_EQ(tree.VisibleItem(2), 3);
    EXPECT_EQ(tree.VisibleItem(4), -1);
    // Top-level rows are measured with the group font (7 + 1 per character),
    // the others with the program font (5 + 1), plus 20.
    EXPECT_EQ(tree.Region(0).x, 0);
    EXPECT_EQ(tree.Region(0).w, 3 * 8 + 20);
    EXPECT_EQ(tree.Region(2).x, 15);
    EXPECT_EQ(tree.Region(2).w, 2 * 6 + 20);

    const int row2 = 2 * 17 + 5;
    EXPECT_TRUE(tree.IsOverText(kLeft + 1, kTop + 5));
    EXPECT_TRUE(tree.IsOverText(kLeft + 43, kTop + 5));
    EXPECT_FALSE(tree.IsOverText(kLeft + 44, kTop + 5));
    EXPECT_FALSE(tree.IsOverText(kLeft + 15, kTop + row2));
    EXPECT_TRUE(tree.IsOverText(kLeft + 16, kTop + row2));
    EXPECT_TRUE(tree.IsOverText(kLeft + 46, kTop + row2));
    EXPECT_FALSE(tree.IsOverText(kLeft + 47, kTop + row2));
    EXPECT_FALSE(tree.IsOverText(kLeft + 5, kTop + 4 * 17 + 5));  // below the last row

    // A click below the last row or outside the list changes nothing, paints nothing.
    tree.Click(kLeft + 5, kTop + 4 * 17 + 5, true);
    tree.Click(kLeft - 5, kTop + 5, true);
    tree.Click(kLeft + 5, kTop + kHeight, true);
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
    EXPECT_EQ(tree.RowAt(kLeft + 199, kTop + 5), 0);
    EXPECT_EQ(tree.RowAt(kLeft + 200, kTop + 5), -1);
    EXPECT_EQ(tree.RowAt(kLeft + 5, kTop + 16), 0);
    EXPECT_EQ(tree.RowAt(kLeft + 5, kTop + 17), 1);
    tree.SetTop(8);
    EXPECT_EQ(tree.RowAt(kLeft + 5, kTop + 543), 39);
    EXPECT_EQ(tree.RowAt(kLeft + 5, kTop + 17), 9);

    // The pixels left over below the last row belong to the last row.
    tree.Init(kLeft, kTop, kWidth, 550, kRows, &surface);
    Groups(40, 0, false);
    EXPECT_EQ(tree.RowHeight(), 17);
    EXPECT_EQ(tree.RowAt(kLeft + 5, kTop + 549), 31);
}

TEST_F(TreeBoxTest, OpeningAndClosingGroupsMovesTheView) {
    // 40 programs do not fit into 32 rows: the group goes to the first row.
    Groups(20, 1, false, 5, 40);
    tree.Repaint();
    tree.Toggle(5);
    EXPECT_EQ(tree.TopRow(), 5);
    EXPECT_EQ(tree.SelectedRow(), 5);
    EXPECT_EQ(tree.VisibleCount(), 60);
    EXPECT_TRUE(g_selections.empty());  // Toggle does not report

    // A group of 3 on the last window row: its last program lands on the last row.
    tree.Clear();
    Groups(40, 3, false);
    tree.SetTop(5);
    ASSERT_EQ(tree.TopRow(), 5);
    tree.Toggle(36);
    EXPECT_EQ(tree.TopRow(), 8);
    EXPECT_EQ(tree.Text(tree.VisibleItem(8 + 31)), "G36.2");

    // A group that fits where it is does not move the view; closing it when the
    // rest still fills the window neither.
    tree.SetTop(0);
    tree.Toggle(0);
    EXPECT_EQ(tree.TopRow(), 0);
    EXPECT_EQ(tree.VisibleCount(), 46);  // G36 is still open
    tree.Toggle(0);
    EXPECT_EQ(tree.TopRow(), 0);

    // Closing near the end of a scrolled list pulls the list down by the rows that
    // would stay empty.
    tree.Clear();
    Groups(40, 3, false);
    tree.Toggle(39);
    EXPECT_EQ(tree.TopRow(), 11);
    EXPECT_EQ(tree.MaxTop(), 11);
    tree.Toggle(39);
    EXPECT_EQ(tree.VisibleCount(), 40);
    EXPECT_EQ(tree.TopRow(), 8);

    // ... but never above the first row.
    tree.Clear();
    Groups(5, 1, false, 4, 40);
    tree.Toggle(4);
    EXPECT_EQ(tree.TopRow(), 4);
    tree.Toggle(4);
    EXPECT_EQ(tree.TopRow(), 0);

    // A program row only becomes the selected row.
    tree.Toggle(1);
    tree.Toggle(1);
    EXPECT_EQ(tree.SelectedRow(), 1);
    EXPECT_EQ(tree.VisibleCount(), 5);
    EXPECT_EQ(tree.TopRow(), 0);
}

TEST_F(TreeBoxTest, ClosingCanCloseTheGroupsInside) {
    tree.AddRoot("G");
    tree.AddChild(0, "S", true);
    tree.AddChild(1, "P", true);
    tree.AddRoot("H");
    tree.AddChild(3, "Q", true);
    ASSERT_EQ(tree.VisibleCount(), 5);

    // Without the flag the inner group keeps its state across closing and opening.
    tree.Toggle(0);
    EXPECT_EQ(tree.VisibleCount(), 3);
    EXPECT_EQ(tree.Item(1).expanded, 1);
    tree.Toggle(0);
    EXPECT_EQ(tree.VisibleCount(), 5);

    tree.collapseDescendants = true;
    tree.Toggle(0);
    EXPECT_EQ(tree.VisibleCount(), 3);  // G, H, Q
    EXPECT_EQ(tree.Item(1).expanded, 0);
    EXPECT_EQ(tree.Item(3).expanded, 1);  // the next group is not inside G
    tree.Toggle(0);
    EXPECT_EQ(tree.VisibleCount(), 4);  // S comes back closed
    EXPECT_EQ(tree.VisibleItem(1), 1);
    EXPECT_EQ(tree.VisibleItem(2), 3);

    // A collapse from inside stops at the first item that is not deeper.
    tree.Toggle(1);
    EXPECT_EQ(tree.VisibleCount(), 5);
    tree.Toggle(1);
    EXPECT_EQ(tree.Item(0).expanded, 1);
    EXPECT_EQ(tree.VisibleCount(), 4);
}

TEST_F(TreeBoxTest, KeysSelectAndKeepTheSelectionInView) {
    Groups(40, 0, false);
    tree.Repaint();

    tree.Key(platform::kVkDown);  // nothing selected: the first row
    EXPECT_EQ(tree.SelectedRow(), 0);
    EXPECT_EQ(g_selections, (std::vector<std::pair<int, int>>{{0, 0}}));
    tree.Key(platform::kVkUp);  // already at the top
    EXPECT_EQ(tree.SelectedRow(), 0);
    EXPECT_EQ(g_selections.size(), 1u);

    // Down from the last window row scrolls one row, and the owner hears the new
    // row twice, the second time with the view already moved.
    tree.Select(31);
    g_selections.clear();
    tree.Key(platform::kVkDown);
    EXPECT_EQ(tree.SelectedRow(), 32);
    EXPECT_EQ(tree.TopRow(), 1);
    EXPECT_EQ(g_selections, (std::vector<std::pair<int, int>>{{32, 0}, {32, 1}}));
    g_selections.clear();
    tree.Key(platform::kVkUp);
    EXPECT_EQ(g_selections, (std::vector<std::pair<int, int>>{{31, 1}}));

    // Up above the first window row scrolls the other way.
    tree.SetTop(5);
    tree.Select(5);
    g_selections.clear();
    tree.Key(platform::kVkUp);
    EXPECT_EQ(tree.TopRow(), 4);
    EXPECT_EQ(g_selections, (std::vector<std::pair<int, int>>{{4, 5}, {4, 4}}));

    // Down on the very last row stays there.
    tree.SetTop(8);
    tree.Select(39);
    g_selections.clear();
    tree.Key(platform::kVkDown);
    EXPECT_EQ(tree.SelectedRow(), 39);
    EXPECT_TRUE(g_selections.empty());

    // Other keys do nothing at all, not even paint.
    surface.FillAll(kMarker);
    tree.Key(platform::kVkLeft);
    tree.Key(platform::kVkNext);
    EXPECT_TRUE(g_selections.empty());
    EXPECT_EQ(At(5, 5), kMarker);

    // Up and Enter without a selection only repaint.
    tree.Clear();
    Groups(3, 2, true);
    tree.Key(platform::kVkUp);
    tree.Key(platform::kVkReturn);
    EXPECT_TRUE(g_selections.empty());
    EXPECT_EQ(tree.VisibleCount(), 9);
    EXPECT_EQ(At(5, 5), Glyph(0, 162));  // repainted: first group's open box

    // Enter on a program re-selects it; on a group it toggles and selects.
    tree.Select(1);
    g_selections.clear();
    tree.Key(platform::kVkReturn);
    EXPECT_EQ(g_selections, (std::vector<std::pair<int, int>>{{1, 0}}));
    EXPECT_EQ(tree.VisibleCount(), 9);
    tree.Select(3);
    g_selections.clear();
    tree.Key(platform::kVkReturn);
    EXPECT_EQ(tree.VisibleCount(), 7);
    EXPECT_EQ(g_selections, (std::vector<std::pair<int, int>>{{3, 0}}));
    EXPECT_EQ(tree.SelectedRow(), 3);
    // The reported number is the list index, not the visible row.
    tree.Key(platform::kVkDown);
    EXPECT_EQ(g_selections.back(), std::make_pair(6, 0));
}

TEST_F(TreeBoxTest, ScrollingStaysWithinTheRows) {
    Groups(40, 0, false);
    EXPECT_EQ(tree.MaxTop(), 8);
    tree.SetTop(100);
    EXPECT_EQ(tree.TopRow(), 8);
    tree.SetTop(-3);
    EXPECT_EQ(tree.TopRow(), 0);
    tree.SetTop(3);
    EXPECT_EQ(tree.TopRow(), 3);
    tree.ScrollUp();
    EXPECT_EQ(tree.TopRow(), 2);
    for (int i = 0; i < 10; ++i) tree.ScrollDown();
    EXPECT_EQ(tree.TopRow(), 8);
    // "G8" in the first row; groups without programs are set like programs.
    EXPECT_EQ(At(30, 0), Glyph(0, '8'));
    // Scrolling repaints even when the view cannot move.
    surface.FillAll(kMarker);
    tree.ScrollDown();
    EXPECT_EQ(tree.TopRow(), 8);
    EXPECT_NE(At(5, 5), kMarker);
    tree.SetTop(0);
    surface.FillAll(kMarker);
    tree.ScrollUp();
    EXPECT_EQ(tree.TopRow(), 0);
    EXPECT_NE(At(5, 5), kMarker);

    tree.Clear();
    Groups(5, 0, false);
    EXPECT_EQ(tree.MaxTop(), 0);
    tree.SetTop(3);
    EXPECT_EQ(tree.TopRow(), 0);
    tree.ScrollDown();
    EXPECT_EQ(tree.TopRow(), 0);
}

TEST_F(TreeBoxTest, ClickSelectsAndTheBoxOrDoubleClickToggles) {
    tree.AddRoot("G0");
    tree.AddChild(0, "P", false);
    tree.AddRoot("G1");
    tree.AddChild(2, "S", true);
    tree.AddChild(3, "T", true);
    tree.Repaint();
    ASSERT_EQ(tree.VisibleCount(), 4);  // G0, G1, S, T
    auto rowY = [](int row) { return kTop + row * 17 + 8; };

    tree.Click(kLeft + 50, rowY(0), false);
    EXPECT_EQ(tree.VisibleCount(), 4);
    EXPECT_EQ(tree.SelectedRow(), 0);
    tree.Click(kLeft + 14, rowY(0), false);  // just right of the box
    EXPECT_EQ(tree.VisibleCount(), 4);
    tree.Click(kLeft + 13, rowY(0), false);
    EXPECT_EQ(tree.VisibleCount(), 5);  // G0, P, G1, S, T
    EXPECT_EQ(At(5, 0), Glyph(2, 162));  // repainted, selected, with the open box

    // The box of a group one level down is 15 pixels further right.
    tree.Click(kLeft + 15, rowY(3), false);
    EXPECT_EQ(tree.VisibleCount(), 5);
    tree.Click(kLeft + 29, rowY(3), false);
    EXPECT_EQ(tree.VisibleCount(), 5);
    tree.Click(kLeft + 28, rowY(3), false);
    EXPECT_EQ(tree.VisibleCount(), 4);

    // A double click toggles anywhere on the row; on a program it only selects.
    tree.Click(kLeft + 100, rowY(1), true);
    EXPECT_EQ(tree.VisibleCount(), 4);
    tree.Click(kLeft + 100, rowY(2), true);
    EXPECT_EQ(tree.VisibleCount(), 3);
    EXPECT_EQ(g_selections, (std::vector<std::pair<int, int>>{
                                {0, 0}, {0, 0}, {0, 0}, {3, 0}, {3, 0}, {3, 0}, {1, 0}, {2, 0}}));
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

    // Row 0: closed first group, unselected: box 161 at x 5 in the line font,
    // the name in the group font from x 24 on (7 wide plus the gap).
    EXPECT_EQ(At(4, 0), kSkin);
    EXPECT_EQ(At(5, 0), Glyph(0, 161));
    EXPECT_EQ(At(9, 9), Glyph(0, 161));
    EXPECT_EQ(At(24, 0), Glyph(1, 'A'));
    EXPECT_EQ(At(32, 0), Glyph(1, 'b'));
    EXPECT_EQ(At(24, 10), kSkin);
    // Row 1 is selected: the open last group's box 168 in the selected line font,
    // its name in the selected group font.
    EXPECT_EQ(At(5, 17), Glyph(2, 168));
    EXPECT_EQ(At(24, 17), Glyph(3, 'C'));
    EXPECT_EQ(At(30, 26), Glyph(3, 'C'));
    EXPECT_EQ(At(31, 26), kSkin);
    EXPECT_EQ(At(24, 27), kSkin);
    // Row 2: a closed group of depth 1 in the last group: nothing in column 0, its
    // box 167 at 15 + 5, the name in the group font at 24 + 15.
    EXPECT_EQ(At(11, 34), kSkin);
    EXPECT_EQ(At(20, 34), Glyph(0, 167));
    EXPECT_EQ(At(39, 34), Glyph(1, 'E'));
    // Below the rows only the skin, whose rectangle starts at its (0, 0).
    EXPECT_EQ(At(24, 51), kSkin);
    EXPECT_EQ(At(kWidth - 1, kHeight - 1), kSkinCorner);
    EXPECT_EQ(surface.Pixel(kLeft - 1, kTop), kMarker);
    EXPECT_EQ(surface.Pixel(kLeft + kWidth, kTop), kMarker);

    // Selecting the inner group moves the selected fonts there.
    tree.Select(2);
    tree.Repaint();
    EXPECT_EQ(At(5, 17), Glyph(0, 168));
    EXPECT_EQ(At(24, 17), Glyph(1, 'C'));
    EXPECT_EQ(At(20, 34), Glyph(2, 167));
    EXPECT_EQ(At(39, 34), Glyph(3, 'E'));

    // Open the first group: its program shows a line passing by (169 at 11) and the
    // program branch (171 at 15 + 11), both in the line font, the name in the
    // program font; a depth-2 item of a closed branch stays hidden.
    tree.Toggle(0);
    tree.Repaint();
    EXPECT_EQ(tree.VisibleCount(), 4);
    EXPECT_EQ(At(5, 0), Glyph(2, 162));  // row 0 is now selected (Toggle)
    EXPECT_EQ(At(11, 17), Glyph(0, 169));
    EXPECT_EQ(At(10, 17), kSkin);
    EXPECT_EQ(At(26, 17), Glyph(0, 171));
    EXPECT_EQ(At(39, 17), Glyph(0, 'X'));
    EXPECT_EQ(At(5, 34), Glyph(0, 168));
    // Cleared: only the skin.
    tree.Clear();
    tree.Repaint();
    EXPECT_EQ(At(5, 0), kSkin);
    EXPECT_EQ(tree.SelectedRow(), -1);
    EXPECT_EQ(tree.TopRow(), 0);
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
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(fresh.fonts[i].glyphMetrics['a'].width, 4 + i);
        EXPECT_EQ(fresh.fonts[i].glyphImage.Pixel('a' * wtest::kCellWidth, 0), wtest::GlyphColour(11 * (i + 1), 'a'));
    }
    fresh.UnloadFonts();
    EXPECT_TRUE(fresh.fonts[3].glyphImage.Empty());
}

}  // namespace

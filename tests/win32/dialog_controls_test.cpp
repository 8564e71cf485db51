// The dialog controls as real Win32 controls: a plain top-level window stands in for
// the dialog and offers every message to the controls first, as the window system's
// dialog does; what a user sees is read back from the windows and what a user does
// goes in as the windows' own messages.
#include <gtest/gtest.h>

#include "win32_dialog_host.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <tuple>

#include "platform/text.h"

namespace {

using platform::Bevel;
using platform::Control;
using platform::ControlKind;
using platform::Rect;
using platform::Rgb;
using platform::W;
using platform::win32::AskYesAllNoCancel;
using platform::win32::DialogControls;

void Pump() { wintest::TestDialog::Pump(); }

using wintest::PixelOf;
using wintest::Text;

// The dialog, of the size of the installer's.
class Host : public wintest::TestDialog {
public:
    Host() : TestDialog(Style()) {}
};

Rect WindowBounds(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

LONG Style(HWND h) { return GetWindowLongW(h, GWL_STYLE); }

TEST(DialogControls, TextsShowPolishLettersAndAmpersandsAsWritten) {
    Host host;
    Control& label = host.Add(ControlKind::Label, nullptr, "LAB");
    label.SetBounds(10, 10, 0, 16);
    label.SetText(W("Zażółć gęślą jaźń: C:\\Gry & Zabawy"));
    Control& button = host.Add(ControlKind::Button, nullptr, "OK_BTN");
    button.SetBounds(10, 40, 75, 25);
    button.SetText("&OK");
    Control& check = host.Add(ControlKind::CheckBox, nullptr, "CB");
    check.SetBounds(10, 70, 300, 20);
    check.SetText(W("utwórz skrót dostępny dla wszystkich użytkowników"));
    host.Show();

    EXPECT_EQ(Text(host.Of(label)), L"Zażółć gęślą jaźń: C:\\Gry & Zabawy");
    // A label shows "&" itself; a button keeps it as the mark of its shortcut letter.
    EXPECT_TRUE(Style(host.Of(label)) & SS_NOPREFIX);
    EXPECT_EQ(Text(host.Of(button)), L"&OK");
    EXPECT_EQ(Text(host.Of(check)), L"utwórz skrót dostępny dla wszystkich użytkowników");
    EXPECT_EQ(GetWindowLongW(host.Of(check), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);

    label.SetText(W("Łódź"));
    EXPECT_EQ(Text(host.Of(label)), L"Łódź");
}

TEST(DialogControls, LabelsSizeToTheirTextUnlessFixed) {
    Host host;
    Control& label = host.Add(ControlKind::Label, nullptr, "LAB");
    label.SetBounds(40, 68, 0, 16);
    label.SetFont(13);
    label.SetText("Kopiowanie");
    Control& fixed = host.Add(ControlKind::Label, nullptr, "FN_LAB");
    fixed.SetAutoSize(false);
    fixed.SetBounds(40, 88, 417, 16);
    fixed.SetFont(13);
    fixed.SetText(std::string(300, 'x'));
    host.Show();

    HWND h = host.Of(label);
    HDC dc = GetDC(h);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    SIZE sz{};
    GetTextExtentPoint32W(dc, L"Kopiowanie", 10, &sz);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    ReleaseDC(h, dc);
    Rect r = WindowBounds(h);
    EXPECT_EQ(r.x, 40);
    EXPECT_EQ(r.y, 68);
    EXPECT_EQ(r.w, sz.cx);
    EXPECT_EQ(r.h, tm.tmHeight);
    label.SetText("Kopiowanie plików, dłuższy tekst");
    EXPECT_GT(WindowBounds(h).w, sz.cx);
    label.SetText("");
    EXPECT_EQ(WindowBounds(h).w, 0);

    // A fixed label keeps its bounds and clips a long text on one line.
    EXPECT_EQ(WindowBounds(host.Of(fixed)), (Rect{40, 88, 417, 16}));
    EXPECT_EQ(Style(host.Of(fixed)) & SS_TYPEMASK, SS_LEFTNOWORDWRAP);
}

TEST(DialogControls, FontsHaveTheAskedCharacterHeightAndWeight) {
    Host host;
    Control& title = host.Add(ControlKind::Label, nullptr, "TITLE");
    title.SetBounds(24, 16, 0, 14);
    title.SetFont(11, true);
    title.SetText(W("Wybierz folder w menu Start..."));
    Control& edit = host.Add(ControlKind::Edit, nullptr, "DED");
    edit.SetBounds(40, 88, 417, 24);
    edit.SetFont(13);

    for (auto [c, height, bold] : {std::tuple{&title, 11, true}, std::tuple{&edit, 13, false}}) {
        HWND h = host.Of(*c);
        auto font = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr) << c->Name();
        LOGFONTW lf{};
        GetObjectW(font, sizeof(lf), &lf);
        EXPECT_EQ(lf.lfHeight, -height) << c->Name();
        EXPECT_EQ(lf.lfWeight >= FW_BOLD, bold) << c->Name();
        HDC dc = GetDC(h);
        SelectObject(dc, font);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        ReleaseDC(h, dc);
        // The character height is the cell without its internal leading.
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, height) << c->Name();
    }
}

TEST(DialogControls, HiddenPagesHideTheirControlsAndPanelsHoldChildrenInTheirCoordinates) {
    Host host;
    Control& page1 = host.Add(ControlKind::Panel, nullptr, "CPN1");
    page1.SetBounds(0, 0, 505, 361);
    Control& band = host.Add(ControlKind::Panel, &page1, "CPN1_HDR");
    band.SetBounds(0, 0, 505, 49);
    Control& title = host.Add(ControlKind::Label, &band, "CPN1_TITLE");
    title.SetBounds(24, 16, 0, 14);
    title.SetText("Instalacja...");
    Control& edit = host.Add(ControlKind::Edit, &page1, "DED");
    edit.SetBounds(40, 88, 417, 24);
    Control& page2 = host.Add(ControlKind::Panel, nullptr, "CPN2");
    page2.SetBounds(0, 0, 505, 361);
    page2.SetVisible(false);
    Control& list = host.Add(ControlKind::List, &page2, "FLB");
    list.SetBounds(40, 115, 417, 148);
    host.Show();

    EXPECT_EQ(GetParent(host.Of(title)), host.Of(band));
    EXPECT_EQ(GetParent(host.Of(band)), host.Of(page1));
    EXPECT_EQ(WindowBounds(host.Of(edit)), (Rect{40, 88, 417, 24}));
    EXPECT_EQ(WindowBounds(host.Of(title)).x, 24);
    EXPECT_TRUE(IsWindowVisible(host.Of(title)));
    EXPECT_TRUE(IsWindowVisible(host.Of(edit)));
    EXPECT_FALSE(IsWindowVisible(host.Of(list)));

    page1.SetVisible(false);
    page2.SetVisible(true);
    EXPECT_FALSE(IsWindowVisible(host.Of(title)));
    EXPECT_FALSE(IsWindowVisible(host.Of(edit)));
    EXPECT_TRUE(IsWindowVisible(host.Of(list)));
    // The page on show is the one the user reaches at that point.
    POINT p{100, 150};
    EXPECT_EQ(ChildWindowFromPointEx(host.Hwnd(), p, CWP_SKIPINVISIBLE), host.Of(page2));

    // A control of its own hidden, and disabled.
    list.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(host.Of(list)));
    list.SetVisible(true);
    list.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(host.Of(list)));

    // A panel that moves takes its controls along.
    band.SetBounds(0, 10, 505, 49);
    RECT r{};
    GetWindowRect(host.Of(title), &r);
    MapWindowPoints(HWND_DESKTOP, host.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.top, 26);
}

TEST(DialogControls, LaterControlsLieAboveEarlierOnesTheyOverlap) {
    Host host;
    Control& under = host.Add(ControlKind::Label, nullptr, "UNDER");
    under.SetAutoSize(false);
    under.SetBounds(10, 10, 100, 20);
    Control& first = host.Add(ControlKind::Button, nullptr, "FIRST");
    first.SetBounds(10, 100, 75, 25);
    Control& over = host.Add(ControlKind::Label, nullptr, "OVER");
    over.SetAutoSize(false);
    over.SetBounds(50, 15, 100, 20);
    Control& second = host.Add(ControlKind::Button, nullptr, "SECOND");
    second.SetBounds(100, 100, 75, 25);
    host.Show();

    POINT both{60, 20}, onlyUnder{20, 20};
    EXPECT_EQ(ChildWindowFromPointEx(host.Hwnd(), both, CWP_ALL), host.Of(over));
    EXPECT_EQ(ChildWindowFromPointEx(host.Hwnd(), onlyUnder, CWP_ALL), host.Of(under));
    // Controls that do not overlap keep the order they were made in: the Tab key
    // goes from the first button to the second.
    EXPECT_EQ(GetNextDlgTabItem(host.Hwnd(), host.Of(first), FALSE), host.Of(second));

    // Moving the earlier one onto the later one does not lift it above.
    under.SetBounds(40, 10, 100, 20);
    EXPECT_EQ(ChildWindowFromPointEx(host.Hwnd(), both, CWP_ALL), host.Of(over));
}

TEST(DialogControls, ClicksReachButtonsAndCheckBoxesAndErrorsAreReported) {
    Host host;
    Control& page = host.Add(ControlKind::Panel, nullptr, "CPN1");
    page.SetBounds(0, 0, 505, 361);
    Control& band = host.Add(ControlKind::Panel, &page, "BAND");
    band.SetBounds(0, 0, 505, 60);
    Control& inner = host.Add(ControlKind::Button, &band, "INNER");
    inner.SetBounds(10, 10, 75, 25);
    Control& ok = host.Add(ControlKind::Button, &page, "OK");
    ok.SetBounds(416, 320, 75, 25);
    Control& check = host.Add(ControlKind::CheckBox, &page, "ALL_CB");
    check.SetBounds(40, 266, 417, 20);
    check.SetText("wszyscy");
    check.SetChecked(true);
    int innerClicks = 0, okClicks = 0, checkClicks = 0;
    inner.onClick = [&] { ++innerClicks; };
    ok.onClick = [&] { ++okClicks; };
    check.onClick = [&] { ++checkClicks; };
    host.Show();

    // A button two panels deep reports to the dialog through both.
    SendMessageW(host.Of(inner), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(innerClicks, 1);
    SendMessageW(host.Of(ok), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(okClicks, 1);

    EXPECT_EQ(SendMessageW(host.Of(check), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(host.Of(check), BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(check.Checked());
    EXPECT_EQ(checkClicks, 1);
    EXPECT_EQ(SendMessageW(host.Of(check), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    check.SetChecked(true);
    EXPECT_EQ(SendMessageW(host.Of(check), BM_GETCHECK, 0, 0), BST_CHECKED);

    // A disabled button takes no click.
    ok.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(host.Of(ok)));
    SendMessageW(host.Of(ok), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(okClicks, 1);

    // What escapes the program's handler is reported; the dialog goes on.
    inner.onClick = [] { throw std::runtime_error("Brak dysku w stacji."); };
    SendMessageW(host.Of(inner), BM_CLICK, 0, 0);
    Pump();
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], "Brak dysku w stacji.");
    EXPECT_TRUE(IsWindow(host.Of(inner)));
}

TEST(DialogControls, TypingReachesTheEditFieldAsWindows1250) {
    Host host;
    Control& edit = host.Add(ControlKind::Edit, nullptr, "FED");
    edit.SetBounds(40, 88, 417, 24);
    edit.SetFont(13);
    int changes = 0;
    edit.onChange = [&] { ++changes; };
    host.Show();
    HWND h = host.Of(edit);
    EXPECT_TRUE(Style(h) & ES_AUTOHSCROLL);

    SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Gry\\Łamigłówki Żółwia"));
    EXPECT_EQ(edit.Text(), W("Gry\\Łamigłówki Żółwia"));
    EXPECT_EQ(changes, 1);

    // The program's own change shows in the field and is not taken for typing.
    edit.SetText(W("Programy\\Ćma"));
    EXPECT_EQ(Text(h), L"Programy\\Ćma");
    EXPECT_EQ(changes, 1);

    // Letters Windows-1250 has not are kept as the program keeps them.
    SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Gra \u65e5\u672c"));
    EXPECT_EQ(edit.Text(), "Gra ??");
    EXPECT_EQ(Text(h), L"Gra ??");

    // Keys typed into the field.
    SetFocus(h);
    SendMessageW(h, EM_SETSEL, 0, -1);
    for (wchar_t ch : std::wstring(L"Żaba")) SendMessageW(h, WM_CHAR, ch, 1);
    EXPECT_EQ(edit.Text(), W("Żaba"));
}

TEST(DialogControls, ListRowsChosenWithTheMouseReachTheControl) {
    Host host;
    Control& list = host.Add(ControlKind::List, nullptr, "FLB");
    list.SetBounds(40, 115, 417, 148);
    list.SetFont(13);
    list.SetSorted(true);
    for (const char* g : {"Zima", "akcesoria", "Łódź", "Gry"}) list.AddItem(W(g));
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    host.Show();
    HWND h = host.Of(list);

    ASSERT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 4);
    std::vector<std::wstring> shown;
    for (int i = 0; i < 4; ++i) {
        wchar_t buf[64] = {};
        SendMessageW(h, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
        shown.push_back(buf);
    }
    // In the control's order: the window's own sorting is not used.
    std::vector<std::wstring> want;
    for (const std::string& s : list.Items()) want.push_back(wintest::Wide(platform::Cp1250ToUtf8(s)));
    EXPECT_EQ(shown, want);

    RECT row{};
    SendMessageW(h, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
    host.Click(h, row.left + 5, (row.top + row.bottom) / 2);
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_EQ(clicks, 1);

    list.SetItemIndex(0);
    EXPECT_EQ(SendMessageW(h, LB_GETCURSEL, 0, 0), 0);
    list.DeleteItem(0);
    EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(h, LB_GETCURSEL, 0, 0), LB_ERR);
}

class FolderListTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Ala", "Żółw", "Gry & Zabawy", ".ukryty"})
            std::filesystem::create_directories(std::filesystem::u8path(drive.tmp.path() + "/" + name + "/w"));
        DLB = &host.Add(ControlKind::FolderList, nullptr, "DLB");
        DLB->SetBounds(40, 115, 417, 139);
        DLB->SetFont(13);
        DLB->onChange = [this] { ++opened; };
        DCB = &host.Add(ControlKind::DriveList, nullptr, "DCB");
        DCB->SetBounds(40, 257, 417, 22);
        DCB->SetFont(13);
        DLB->SetDirectory("C:\\");
        DCB->BindFolderList(DLB);
        host.Show();
    }
    std::vector<std::wstring> Rows() {
        std::vector<std::wstring> rows;
        HWND h = host.Of(*DLB);
        for (int i = 0; i < SendMessageW(h, LB_GETCOUNT, 0, 0); ++i) {
            wchar_t buf[MAX_PATH] = {};
            SendMessageW(h, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
            rows.push_back(buf);
        }
        return rows;
    }
    int RowOf(const std::wstring& name) {
        std::vector<std::wstring> rows = Rows();
        auto it = std::find(rows.begin(), rows.end(), name);
        return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
    }
    void ChooseDrive(char letter) {
        HWND h = host.Of(*DCB);
        const int n = static_cast<int>(SendMessageW(h, CB_GETCOUNT, 0, 0));
        int want = -1;
        for (int i = 0; i < n; ++i) {
            wchar_t buf[16] = {};
            SendMessageW(h, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
            if (buf[0] == letter) want = i;
        }
        ASSERT_GE(want, 0) << letter;
        // The user types the drive's letter into the closed list.
        SetFocus(h);
        SendMessageW(h, WM_CHAR, static_cast<WPARAM>(letter), 1);
        EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), want);
        Pump();
    }

    wintest::DriveFolder drive;  // T:
    Host host;
    Control *DLB = nullptr, *DCB = nullptr;
    int opened = 0;
};

TEST_F(FolderListTest, ChoosingADriveOpensItsFoldersAndADoubleClickOpensOne) {
    HWND list = host.Of(*DLB), combo = host.Of(*DCB);
    EXPECT_EQ(GetWindowLongW(combo, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_TRUE(Style(list) & LBS_OWNERDRAWFIXED);
    // The closed drive list is as high as the control.
    EXPECT_EQ(WindowBounds(combo).h, 22);

    ChooseDrive('T');
    EXPECT_EQ(DLB->Directory(), "T:\\");
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"T:\\", L"Ala", L"Gry & Zabawy", L"Żółw"}));
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);  // the open folder

    RECT row{};
    SendMessageW(list, LB_GETITEMRECT, RowOf(L"Żółw"), reinterpret_cast<LPARAM>(&row));
    host.Click(list, row.left + 40, (row.top + row.bottom) / 2, true);
    EXPECT_EQ(DLB->Directory(), W("T:\\Żółw"));
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"T:\\", L"Żółw", L"w"}));
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);

    // Rows are indented by level; the open folders are drawn open. The list draws
    // them itself: the row of "w" is indented two levels, past the drive's glyph.
    UpdateWindow(list);
    SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
    const int mid = (row.top + row.bottom) / 2;
    const Rgb folder{255, 255, 128};
    EXPECT_EQ(PixelOf(list, row.left + 4 + 2 * 12 + 6, mid), folder);
    EXPECT_NE(PixelOf(list, row.left + 4 + 6, mid), folder);

    // A single click only chooses a row; Enter on the list opens it.
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    host.Click(list, row.left + 40, (row.top + row.bottom) / 2);
    EXPECT_EQ(DLB->Directory(), W("T:\\Żółw"));
    SetFocus(list);
    EXPECT_FALSE(host.PressEnter());
    SendMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(DLB->Directory(), "T:\\");
    EXPECT_EQ(opened, 3);

    // Enter in the closed drive list presses the dialog's default button; in the
    // open one it takes the drive.
    Control& ok = host.Add(ControlKind::Button, nullptr, "OK");
    ok.SetBounds(416, 320, 75, 25);
    ok.SetDefault(true);
    int pressed = 0;
    ok.onClick = [&] { ++pressed; };
    SetFocus(combo);
    EXPECT_TRUE(host.PressEnter());
    EXPECT_EQ(pressed, 1);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_FALSE(host.PressEnter());
    EXPECT_EQ(pressed, 1);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST(DialogControls, MemoProgressBarAndTheirLooks) {
    Host host;
    Control& memo = host.Add(ControlKind::Memo, nullptr, "INFO_MO");
    memo.SetBounds(40, 88, 417, 193);
    memo.SetColor(platform::kButtonFace);
    for (const char* line : {"Folder docelowy:", "   C:\\Gry\\Łódź", "", "Skrót do programu będzie dostępny dla"}) memo.AddItem(W(line));
    Control& bar = host.Add(ControlKind::ProgressBar, nullptr, "PB");
    bar.SetBounds(40, 290, 417, 16);
    host.Show();

    HWND m = host.Of(memo);
    EXPECT_EQ(Text(m), L"Folder docelowy:\r\n   C:\\Gry\\Łódź\r\n\r\nSkrót do programu będzie dostępny dla");
    const LONG style = Style(m);
    EXPECT_TRUE((style & ES_MULTILINE) && (style & ES_READONLY) && (style & WS_VSCROLL) && (style & WS_HSCROLL));
    EXPECT_EQ(SendMessageW(m, EM_GETLINECOUNT, 0, 0), 4);
    // The memo stands on the colour the program gave it.
    HDC dc = GetDC(m);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(host.Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m)));
    ReleaseDC(m, dc);
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectW(brush, sizeof(lb), &lb));
    EXPECT_EQ(lb.lbColor, RGB(212, 208, 200));
    memo.Clear();
    EXPECT_EQ(Text(m), L"");

    HWND p = host.Of(bar);
    PBRANGE range{};
    SendMessageW(p, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
    bar.SetPosition(42);
    EXPECT_EQ(SendMessageW(p, PBM_GETPOS, 0, 0), 42);
    bar.SetPosition(100);
    EXPECT_EQ(SendMessageW(p, PBM_GETPOS, 0, 0), 100);
    bar.SetPosition(0);
    EXPECT_EQ(SendMessageW(p, PBM_GETPOS, 0, 0), 0);
}

TEST(DialogControls, PicturesReachTheScreenAtOnceOnRepaint) {
    Host host;
    Control& band = host.Add(ControlKind::Panel, nullptr, "BAND");
    band.SetBounds(0, 0, 200, 60);
    band.SetColor({255, 255, 255});
    Control& pic = host.Add(ControlKind::Picture, &band, "XPBIM");
    pic.SetBounds(10, 10, 50, 16);
    pic.Picture().Create(40, 16);
    pic.Picture().FillAll({10, 36, 106});
    pic.Picture().SetPixel(3, 2, {200, 10, 20});
    host.Show();
    HWND h = host.Of(pic);

    EXPECT_EQ(PixelOf(h, 0, 0), (Rgb{10, 36, 106}));
    EXPECT_EQ(PixelOf(h, 3, 2), (Rgb{200, 10, 20}));
    // Past the picture's width the control shows the panel's colour.
    EXPECT_EQ(PixelOf(h, 45, 5), (Rgb{255, 255, 255}));

    // The animated bar draws a frame and asks for it to show before going on: no
    // message loop runs in between.
    pic.Picture().FillAll({212, 208, 200});
    pic.Picture().SetPixel(7, 7, {0, 0, 0});
    pic.Repaint();
    EXPECT_EQ(PixelOf(h, 0, 0), (Rgb{212, 208, 200}));
    EXPECT_EQ(PixelOf(h, 7, 7), (Rgb{0, 0, 0}));
}

TEST(DialogControls, PanelsDrawTheirColourAndClassicBevels) {
    Host host;
    Control& raised = host.Add(ControlKind::Panel, nullptr, "RAISED");
    raised.SetBounds(10, 10, 40, 20);
    raised.SetColor({10, 20, 30});
    raised.SetBevels(Bevel::Raised, Bevel::None);
    Control& band = host.Add(ControlKind::Panel, nullptr, "BAND");
    band.SetBounds(60, 10, 40, 20);
    band.SetColor({255, 255, 255});
    band.SetBevels(Bevel::Lowered, Bevel::Raised);
    Control& rule = host.Add(ControlKind::Panel, nullptr, "RULE");
    rule.SetBounds(0, 296, 505, 2);
    rule.SetBevels(Bevel::Lowered, Bevel::None);
    Control& label = host.Add(ControlKind::Label, &band, "ON_BAND");
    label.SetAutoSize(false);
    label.SetBounds(3, 3, 30, 14);
    label.SetText("x");
    host.Show();

    const Rgb white{255, 255, 255}, grey{128, 128, 128}, face{212, 208, 200};
    HWND r = host.Of(raised);
    EXPECT_EQ(PixelOf(r, 0, 0), white);
    EXPECT_EQ(PixelOf(r, 0, 18), white);
    EXPECT_EQ(PixelOf(r, 39, 19), grey);
    EXPECT_EQ(PixelOf(r, 39, 0), grey);  // the far corners belong to the shadow
    EXPECT_EQ(PixelOf(r, 5, 5), (Rgb{10, 20, 30}));

    // Lowered outside, raised inside.
    HWND b = host.Of(band);
    EXPECT_EQ(PixelOf(b, 0, 0), grey);
    EXPECT_EQ(PixelOf(b, 39, 19), white);
    EXPECT_EQ(PixelOf(b, 1, 1), white);
    EXPECT_EQ(PixelOf(b, 38, 18), grey);
    EXPECT_EQ(PixelOf(b, 30, 15), white);

    // Two pixels high and lowered: an etched rule.
    HWND e = host.Of(rule);
    EXPECT_EQ(PixelOf(e, 100, 0), grey);
    EXPECT_EQ(PixelOf(e, 100, 1), white);

    // Colour changes show.
    raised.SetColor(face);
    UpdateWindow(r);
    EXPECT_EQ(PixelOf(r, 5, 5), face);

    // A label on the band stands on the band's white: the band asks the dialog.
    HWND l = host.Of(label);
    HDC dc = GetDC(l);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(b, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(l)));
    ReleaseDC(l, dc);
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectW(brush, sizeof(lb), &lb));
    EXPECT_EQ(lb.lbColor, RGB(255, 255, 255));
    EXPECT_EQ(PixelOf(l, 25, 7), white);
    // The band's new colour shows behind its label too.
    band.SetColor({200, 0, 0});
    Pump();
    EXPECT_EQ(PixelOf(b, 36, 15), (Rgb{200, 0, 0}));
    EXPECT_EQ(PixelOf(l, 25, 7), (Rgb{200, 0, 0}));
}

// The wizard's way through its pages: Enter presses the focused or default button,
// and the focus follows the pages.
class PagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        list = &host.Add(ControlKind::List, nullptr, "OUTSIDE");
        list->SetBounds(0, 330, 30, 20);
        page1 = &Page("CPN1");
        edit1 = &host.Add(ControlKind::Edit, page1, "DED");
        edit1->SetBounds(40, 88, 417, 24);
        back1 = &Button(page1, "ABT_BTN", 16, false);
        go1 = &Button(page1, "DFLD_GO_BTN", 328, true);
        page2 = &Page("CPN2");
        back2 = &Button(page2, "SFLD_BCK_BTN", 248, false);
        go2 = &Button(page2, "SFLD_GO_BTN", 328, true);
        page3 = &Page("CPN5");
        check3 = &host.Add(ControlKind::CheckBox, page3, "RUN_NOW_CB");
        check3->SetBounds(40, 96, 417, 20);
        ok3 = &Button(page3, "EXIT_BTN", 416, false);
        page2->SetVisible(false);
        page3->SetVisible(false);
        go1->onClick = [this] {
            page1->SetVisible(false);
            page2->SetVisible(true);
        };
        go2->onClick = [this] {
            page2->SetVisible(false);
            page3->SetVisible(true);
        };
        back2->onClick = [this] {
            page2->SetVisible(false);
            page1->SetVisible(true);
        };
        ok3->onClick = [this] { ++finished; };
        host.Show();
    }
    Control& Page(const char* name) {
        Control& p = host.Add(ControlKind::Panel, nullptr, name);
        p.SetBounds(0, 0, 505, 320);
        return p;
    }
    Control& Button(Control* page, const char* name, int x, bool def) {
        Control& b = host.Add(ControlKind::Button, page, name);
        b.SetBounds(x, 280, 75, 25);
        b.SetText(name);
        b.SetDefault(def);
        return b;
    }
    HWND Focus() const { return GetFocus(); }

    Host host;
    Control *list, *page1, *edit1, *back1, *go1, *page2, *back2, *go2, *page3, *check3, *ok3;
    int finished = 0;
};

TEST_F(PagesTest, EnterGoesOnThroughThePagesAndTheFocusFollowsThem) {
    // The dialog's first focus: the first edit field of what shows.
    EXPECT_EQ(host.InitialFocus(), host.Of(*edit1));
    EXPECT_EQ(Style(host.Of(*go1)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(Style(host.Of(*back1)) & BS_TYPEMASK, BS_PUSHBUTTON);
    SetFocus(host.Of(*edit1));

    // Enter in the edit field presses the page's default button.
    EXPECT_TRUE(host.PressEnter());
    EXPECT_TRUE(page2->Visible());
    // The focus went with page 1: page 2 has no edit field, so its default button.
    EXPECT_EQ(Focus(), host.Of(*go2));

    // A focused button other than the default one is the one Enter presses.
    SetFocus(host.Of(*back2));
    EXPECT_TRUE(host.PressEnter());
    EXPECT_TRUE(page1->Visible());
    EXPECT_EQ(Focus(), host.Of(*edit1));

    // A click on "Dalej >" with the mouse moves on, and Enter then goes on again.
    SendMessageW(host.Of(*go1), BM_CLICK, 0, 0);
    Pump();
    ASSERT_TRUE(page2->Visible());
    EXPECT_EQ(Focus(), host.Of(*go2));
    EXPECT_TRUE(host.PressEnter());
    ASSERT_TRUE(page3->Visible());
    // No edit field and no default button: its first button.
    EXPECT_EQ(Focus(), host.Of(*ok3));
    EXPECT_TRUE(host.PressEnter());
    EXPECT_EQ(finished, 1);

    // With the check box focused there is no default button to press.
    SetFocus(host.Of(*check3));
    EXPECT_FALSE(host.PressEnter());
    EXPECT_EQ(finished, 1);

    // A focus the user put outside the pages stays where it is.
    page3->SetVisible(false);
    SetFocus(host.Of(*list));
    page1->SetVisible(true);
    EXPECT_EQ(Focus(), host.Of(*list));
}

// The question asked before a file is replaced, answered by a user who comes along
// once it is on the screen.
struct Answerer {
    static inline std::function<void(HWND)> act;
    static inline std::vector<std::wstring> buttons;
    static inline bool topmost = false;
    static inline std::wstring text, title;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND dlg = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND h, LPARAM lp) CALLBACK -> BOOL {
                wchar_t cls[32] = {};
                GetClassNameW(h, cls, 32);
                if (std::wstring(cls) == L"#32770" && IsWindowVisible(h)) *reinterpret_cast<HWND*>(lp) = h;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&dlg));
        if (!dlg) return;
        KillTimer(nullptr, id);
        buttons.clear();
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t cls[32] = {};
            GetClassNameW(c, cls, 32);
            if (_wcsicmp(cls, L"Button") == 0) buttons.push_back(Text(c));
            else if (Text(c).size()) text = Text(c);
        }
        title = Text(dlg);
        topmost = (GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        act(dlg);
    }
    static int Ask(bool top, std::function<void(HWND)> what) {
        act = std::move(what);
        buttons.clear();
        SetTimer(nullptr, 0, 20, Tick);
        return AskYesAllNoCancel(nullptr, L"Plik C:\\Gry\\Żółw.exe już istnieje.\nZastąpić go?", L"Kopiowanie", top);
    }
    static HWND ButtonOf(HWND dlg, const wchar_t* label) {
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (Text(c) == label) return c;
        return nullptr;
    }
};

TEST(ReplaceQuestion, FourButtonsAnswerAndEscapeOrTheCloseBoxCancel) {
    int r = Answerer::Ask(true, [](HWND dlg) { SendMessageW(Answerer::ButtonOf(dlg, L"Tak na wszystkie"), BM_CLICK, 0, 0); });
    EXPECT_EQ(r, platform::kIdYesAll);
    EXPECT_EQ(Answerer::buttons, (std::vector<std::wstring>{L"Tak", L"Tak na wszystkie", L"Nie", L"Anuluj"}));
    EXPECT_EQ(Answerer::text, L"Plik C:\\Gry\\Żółw.exe już istnieje.\nZastąpić go?");
    EXPECT_EQ(Answerer::title, L"Kopiowanie");
    EXPECT_TRUE(Answerer::topmost);

    EXPECT_EQ(Answerer::Ask(false, [](HWND dlg) { SendMessageW(Answerer::ButtonOf(dlg, L"Nie"), BM_CLICK, 0, 0); }), platform::kIdNo);
    EXPECT_FALSE(Answerer::topmost);
    EXPECT_EQ(Answerer::Ask(false, [](HWND dlg) { SendMessageW(Answerer::ButtonOf(dlg, L"Anuluj"), BM_CLICK, 0, 0); }),
              platform::kIdCancel);
    EXPECT_EQ(Answerer::Ask(false, [](HWND dlg) { SendMessageW(Answerer::ButtonOf(dlg, L"Tak"), BM_CLICK, 0, 0); }), platform::kIdYes);
    // Enter takes "Tak", Escape and the close box "Anuluj".
    EXPECT_EQ(Answerer::Ask(false, [](HWND) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }), platform::kIdYes);
    EXPECT_EQ(Answerer::Ask(false, [](HWND) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }), platform::kIdCancel);
    EXPECT_EQ(Answerer::Ask(false, [](HWND dlg) { PostMessageW(dlg, WM_CLOSE, 0, 0); }), platform::kIdCancel);
}

}  // namespace

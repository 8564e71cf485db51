// The menu on catalogues that are damaged or odd: it reports what it cannot read,
// keeps answering the user, and never shows one entry's details under another's name.
#include "app/Showmapsu.h"
#include "install/Vemiinstu.h"
#include "menu_fixture.h"
#include "platform/text.h"
#include "widgets/Showimagesu.h"

using platform::W;

using namespace menutest;

namespace {
const showmaps::LayoutRect& R(int id) { return *showmaps::RectOf(id); }
}  // namespace

class DamagedCatalogueTest : public MenuTest {
protected:
    void Press(int id) { ClickAt(R(id).x + 5, R(id).y + 5); }
};

TEST_F(DamagedCatalogueTest, AnErrorWhileShowingAnEntryLeavesTheMenuAnswering) {
    // The alphabetical catalogue holds an entry without description whose type is
    // not a number; it is met only when the user selects it.
    std::vector<Record> main = {Group("Programy"), Prog("Malarz"), Prog("Zegar")};
    std::vector<Record> alpha = {Group("Programy"), Prog("Malarz"), Prog("Zepsuty"), Prog("Zegar")};
    alpha[2].f[9] = "^";
    alpha[2].f[14] = "program";
    MakeDisc(main, &alpha);
    ASSERT_TRUE(Start());
    Press(10);
    ASSERT_TRUE(sys_->Messages().empty());
    ASSERT_EQ(App().selectedRecord, 1);

    ClickRow(2);
    ASSERT_FALSE(sys_->Messages().empty());
    EXPECT_EQ(sys_->Messages()[0].kind, platform::MsgKind::Error);
    EXPECT_NE(sys_->Messages()[0].text.find("program"), std::string::npos) << sys_->Messages()[0].text;
    EXPECT_FALSE(Frm().busy);
    EXPECT_TRUE(Frm().inputReady);
    // Repainting with the damaged entry selected tells about it once at most, and
    // leaves the window taking input.
    const size_t boxes = sys_->Messages().size();
    for (int i = 0; i < 3; ++i) {
        Main().Invalidate();
        sys_->Pump();
    }
    EXPECT_LE(sys_->Messages().size(), boxes + 1);
    EXPECT_TRUE(Frm().inputReady);

    // Another row can be chosen and shows its own entry.
    ClickRow(3);
    EXPECT_EQ(App().selectedRecord, 3);
    EXPECT_EQ(App().entryKind, 11);
    EXPECT_EQ(App().current.programPath, "D:\\PROGRAMY\\Zegar");
    // The keys work as well.
    sys_->KeyDown(Main(), platform::kVkUp);
    EXPECT_EQ(App().selectedRecord, 2);
    sys_->KeyDown(Main(), platform::kVkUp);
    EXPECT_EQ(App().selectedRecord, 1);
    // And the user can leave.
    Press(7);
    EXPECT_TRUE(sys_->Terminated());
    EXPECT_FALSE(Main().Visible());
}

TEST_F(DamagedCatalogueTest, EveryRecordKeepsItsOwnRowWhateverItsLevel) {
    std::vector<Record> r = {Group("Grafika"), Prog("Malarz"), Prog("Głęboki", 9), Prog("Ramka"),
                             Group("Narzędzia"), Prog("Zegar"), Prog("Ujemny", -3), Prog("Ostatni"),
                             Prog("Za głęboki", 127)};
    MakeDisc(r);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(sys_->Messages().empty());

    CJXTreeBox& list = Frm().programList;
    ASSERT_EQ(list.ItemCount(), static_cast<int>(r.size()));
    ASSERT_EQ(list.VisibleCount(), static_cast<int>(r.size()));
    for (int i = 0; i < list.ItemCount(); ++i) {
        EXPECT_EQ(list.Text(i), platform::Utf8ToCp1250(r[i].f[0])) << i;
        EXPECT_EQ(list.VisibleItem(i), i);
        EXPECT_LE(list.Item(i).depth, 7);
    }
    // Too deep a level goes one below the entry before it; below zero it is a top entry.
    EXPECT_EQ(list.Item(2).depth, 2);
    EXPECT_EQ(list.Item(1).kind, 10);  // "Malarz" now holds "Głęboki"
    EXPECT_EQ(list.Item(6).depth, 0);
    EXPECT_EQ(list.Item(7).depth, 1);
    EXPECT_EQ(list.Item(8).depth, 2);

    // Each row shows the details of the entry it names.
    for (int row : {3, 5, 7, 8, 2}) {
        ClickRow(row, list.Item(row).depth);
        EXPECT_EQ(App().selectedRecord, row);
        EXPECT_EQ(App().current.programPath, "D:\\PROGRAMY\\" + platform::Utf8ToCp1250(r[row].f[0])) << row;
        auto lines = Frm().DescriptionLines(row);
        EXPECT_EQ(lines.back(), platform::Utf8ToCp1250(r[row].f[9])) << row;
    }
    // Closing the first group hides exactly its own entries.
    ClickRow(0, 0);
    sys_->KeyDown(Main(), platform::kVkReturn);
    EXPECT_EQ(list.VisibleCount(), static_cast<int>(r.size()) - 3);
    EXPECT_EQ(list.VisibleItem(1), 4);
}

TEST_F(DamagedCatalogueTest, AnEmptyListSelectsNothingAndReadsNoRecord) {
    MakeDisc({});
    ASSERT_TRUE(Start());
    EXPECT_TRUE(sys_->Messages().empty()) << sys_->Messages()[0].text;
    EXPECT_EQ(App().selectedRecord, -1);
    EXPECT_EQ(App().entryKind, 10);
    // Down on the empty list, as a user would try.
    sys_->KeyDown(Main(), platform::kVkDown);
    sys_->KeyDown(Main(), platform::kVkReturn);
    EXPECT_TRUE(sys_->Messages().empty()) << sys_->Messages()[0].text;
    EXPECT_EQ(App().selectedRecord, -1);
    EXPECT_EQ(App().entryKind, 10);
    // Nothing is selected: the cover panel shows and no action button acts.
    EXPECT_EQ(Canvas().Pixel(800, 200), Frm().coverBuffer.Pixel(800, 200));
    for (int id : {1, 2, 3, 4, 5, 31, 32}) Press(id);
    EXPECT_TRUE(sys_->ShellRequests().empty());
    EXPECT_EQ(static_cast<platform::HeadlessWindow&>(INST_FRM->Window()).ModalRuns(), 0);
    EXPECT_TRUE(sys_->Messages().empty());
    // A full repaint changes nothing of that.
    Main().Invalidate();
    sys_->Pump();
    EXPECT_TRUE(sys_->Messages().empty());
    EXPECT_EQ(App().buttonState[1], 1);
}

TEST_F(DamagedCatalogueTest, AnEmptyAlphabeticalListDropsTheProgramShownBefore) {
    std::vector<Record> main = {Group("Programy"), Prog("Malarz")};
    main[1].f[4] = "m1.jpg";
    main[1].f[10] = "www.malarz.example.pl";
    std::vector<Record> none;
    MakeDisc(main, &none);
    ASSERT_TRUE(Start());
    ASSERT_EQ(App().selectedRecord, 1);
    ASSERT_EQ(App().buttonState[1], 2);

    Press(10);
    EXPECT_TRUE(sys_->Messages().empty()) << sys_->Messages()[0].text;
    EXPECT_EQ(App().selectedRecord, -1);
    EXPECT_EQ(App().entryKind, 10);
    for (int i : {1, 2, 3, 4, 5, 11, 12}) EXPECT_EQ(App().buttonState[i], 1) << i;
    EXPECT_EQ(Canvas().Pixel(800, 200), Frm().coverBuffer.Pixel(800, 200));
    sys_->ClearRecords();
    for (int id : {1, 2, 3, 4, 5, 31, 32}) Press(id);
    EXPECT_TRUE(sys_->ShellRequests().empty());
    EXPECT_FALSE(Frm().IMG_FRM->Visible());
    // Back to the grouped view: the program is there again.
    Press(9);
    EXPECT_EQ(App().selectedRecord, 1);
    EXPECT_EQ(App().entryKind, 11);
}

TEST_F(DamagedCatalogueTest, AddressesWithoutSchemeGetTheOneTheirNameImplies) {
    std::vector<Record> r = {Group("Programy")};
    const char* links[] = {"ftp.example.pl", "FTP.Example.pl/pub", "www.example.pl", "ftp://ftp.example.pl/x",
                           "ftpserwer.example.pl", "redakcja@example.pl"};
    for (const char* l : links) {
        Record p = Prog(std::string("Łącze ") + l);
        p.f[10] = l;
        r.push_back(p);
    }
    MakeDisc(r);
    ASSERT_TRUE(Start());
    sys_->ClearRecords();
    const char* expected[] = {"ftp://ftp.example.pl",   "ftp://FTP.Example.pl/pub", "http://www.example.pl",
                              "ftp://ftp.example.pl/x", "ftpserwer.example.pl",     "mailto:redakcja@example.pl"};
    for (int i = 0; i < 6; ++i) {
        ClickRow(i + 1);
        ClickAt(756 + 3, 652 + 5);  // the link line
        ASSERT_EQ(sys_->ShellRequests().size(), static_cast<size_t>(i + 1));
        EXPECT_EQ(sys_->ShellRequests().back().file, expected[i]);
        sys_->RestoreApp();
    }
    // A failure names the address as it was handed to the desktop.
    sys_->SetShellResult([](const platform::RecordedShell&) { return 2; });
    ClickRow(1);
    ClickAt(756 + 3, 652 + 5);
    ASSERT_EQ(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].text, W("Łączenie z adresem:\n\n") + "ftp://ftp.example.pl");
}

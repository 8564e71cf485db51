// The dialog controls' own rules, on the headless back end: what the user may do to
// a hidden or disabled control, sorted lists, the folder list and its drive list,
// the default button, modality and the close box.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/controls.h"
#include "platform/headless/headless.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        sys_ = std::make_unique<HeadlessSystem>(800, 600);
        SetSystem(sys_.get());
        WindowStyle style;
        style.borderless = false;
        style.dialog = true;
        style.centred = true;
        style.width = 300;
        style.height = 200;
        window_ = sys_->CreateWindow(style);
    }
    void TearDown() override {
        window_.reset();
        SetSystem(nullptr);
    }
    HeadlessWindow& Win() { return static_cast<HeadlessWindow&>(*window_); }
    Control& Add(ControlKind k, Control* parent = nullptr, const std::string& name = "") {
        return window_->AddControl(k, parent, name);
    }

    std::unique_ptr<HeadlessSystem> sys_;
    std::unique_ptr<Window> window_;
};

TEST_F(ControlsTest, HiddenOrDisabledControlsIgnoreTheUserAndPanelsHideTheirChildren) {
    Control& page = Add(ControlKind::Panel);
    Control& button = Add(ControlKind::Button, &page, "OK");
    Control& check = Add(ControlKind::CheckBox, &page);
    Control& edit = Add(ControlKind::Edit, &page);
    int clicks = 0, changes = 0;
    button.onClick = [&] { ++clicks; };
    edit.onChange = [&] { ++changes; };
    window_->Show();
    EXPECT_EQ(window_->FindControl("OK"), &button);
    EXPECT_TRUE(sys_->Press(button));
    EXPECT_TRUE(sys_->Press(check));
    EXPECT_TRUE(check.Checked());
    EXPECT_TRUE(sys_->Type(edit, "abc"));
    EXPECT_EQ(edit.Text(), "abc");
    page.SetVisible(false);
    EXPECT_TRUE(button.Visible());
    EXPECT_FALSE(button.Showing());
    EXPECT_FALSE(sys_->Press(button));
    EXPECT_FALSE(sys_->Press(check));
    EXPECT_FALSE(sys_->Type(edit, "x"));
    page.SetVisible(true);
    button.SetEnabled(false);
    EXPECT_FALSE(sys_->Press(button));
    EXPECT_FALSE(sys_->Press(edit));  // an edit field is not pressed
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(check.Checked());
    EXPECT_EQ(edit.Text(), "abc");
}

TEST_F(ControlsTest, SortedListsIgnoreCaseAndKeepTheSelectionOnItsItem) {
    Control& list = Add(ControlKind::List);
    list.AddItem("beta");
    list.AddItem(W("Żaba"));
    list.AddItem("Alfa");
    list.SetSorted(true);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"Alfa", "beta", W("Żaba")}));
    list.SetItemIndex(1);
    list.AddItem("ALFA");  // equal ignoring case: after the one already there
    list.AddItem("Gamma");
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"Alfa", "ALFA", "beta", "Gamma", W("Żaba")}));
    EXPECT_EQ(list.Item(list.ItemIndex()), "beta");
    list.DeleteItem(0);
    EXPECT_EQ(list.Item(list.ItemIndex()), "beta");
    list.DeleteItem(list.ItemIndex());
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Item(42), "");
    int chosen = -1;
    list.onClick = [&] { chosen = list.ItemIndex(); };
    window_->Show();
    EXPECT_FALSE(sys_->Select(list, 9));
    EXPECT_TRUE(sys_->Select(list, 2));
    EXPECT_EQ(chosen, 2);
}

TEST_F(ControlsTest, SortedListsFollowThePolishAlphabetIgnoringCase) {
    // Signs before digits before letters; each Polish letter after its plain one;
    // a letter of another language with its plain one, after it when all else is equal.
    const std::vector<std::string> sorted = {
        "_x",   "2048", "Ala",    W("ąki"),         "cyfry",   W("Ćwiczenia"), "Echo",     "Eclair",
        W("Éclair"), W("Ęta"), "lotto", W("Łamigłówki"), "Nowy",    W("Ńa"),       "ola",      W("Ósemki"),
        "Szachy", W("Śmieci"), "zebra", W("Źródła"),     W("Żółw"),
    };
    Control& list = Add(ControlKind::List);
    list.SetSorted(true);
    for (size_t i = 0; i < sorted.size(); ++i) list.AddItem(sorted[(i * 8) % sorted.size()]);  // 8 and 21 share no factor
    EXPECT_EQ(list.Items(), sorted);
    Control& later = Add(ControlKind::List);
    for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) later.AddItem(*it);
    later.SetSorted(true);
    EXPECT_EQ(later.Items(), sorted);
}

TEST_F(ControlsTest, FolderListShowsTheWayDownAndOpensWhatTheUserPicks) {
    testsupport::TempDir tmp;
    fs::create_directories(tmp / "a/Beta");
    fs::create_directories(tmp / "a/alfa");
    fs::create_directories(tmp / "a/.ukryty");
    testsupport::WriteFile(tmp / "a/plik.txt", std::string("x"));
    fs::create_directories(tmp / "d");
    Drives().Map('C', tmp.path());
    Drives().Map('E', tmp / "d");
    Control& folders = Add(ControlKind::FolderList);
    Control& drives = Add(ControlKind::DriveList);
    drives.BindFolderList(&folders);
    int changes = 0;
    folders.onChange = [&] { ++changes; };
    folders.SetDirectory("C:\\A\\");  // found ignoring case, shown as asked
    EXPECT_EQ(folders.Directory(), "C:\\A");
    ASSERT_EQ(folders.Rows().size(), 4u);
    EXPECT_EQ(folders.Rows()[0].path, "C:\\");
    EXPECT_TRUE(folders.Rows()[1].open);
    EXPECT_EQ(folders.Rows()[1].level, 1);
    EXPECT_EQ(folders.Rows()[2].name, "alfa");
    EXPECT_EQ(folders.Rows()[3].name, "Beta");
    EXPECT_EQ(folders.Rows()[3].path, "C:\\A\\Beta");
    EXPECT_EQ(folders.Rows()[3].level, 2);
    EXPECT_FALSE(folders.Rows()[3].open);
    EXPECT_EQ(changes, 0);  // setting it is not the user's doing
    window_->Show();
    EXPECT_TRUE(sys_->OpenFolder(folders, 3));
    EXPECT_EQ(folders.Directory(), "C:\\A\\Beta");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(sys_->OpenFolder(folders, 0));
    EXPECT_EQ(folders.Directory(), "C:\\");
    // The drive list offers the drive table's drives and opens the chosen one.
    drives.FillDrives();
    std::vector<std::string> items = drives.Items();
    auto e = std::find(items.begin(), items.end(), "E:");
    ASSERT_NE(e, items.end());
    EXPECT_EQ(drives.Item(drives.ItemIndex()), "C:");
    EXPECT_TRUE(sys_->Select(drives, static_cast<int>(e - items.begin())));
    EXPECT_EQ(folders.Directory(), "E:\\");
    EXPECT_EQ(changes, 3);
    Drives().Unmap('E');
}

TEST_F(ControlsTest, EnterPressesTheShowingDefaultButtonAndModalWindowsTakeInputAlone) {
    Control& page1 = Add(ControlKind::Panel);
    Control& page2 = Add(ControlKind::Panel);
    Control& next1 = Add(ControlKind::Button, &page1);
    Control& next2 = Add(ControlKind::Button, &page2);
    next1.SetDefault(true);
    next2.SetDefault(true);
    int one = 0, two = 0;
    next1.onClick = [&] { ++one; };
    next2.onClick = [&] { ++two; };
    page2.SetVisible(false);
    WindowStyle plain;
    auto other = sys_->CreateWindow(plain);
    other->Show();
    sys_->onModal = [&](HeadlessWindow& w) {
        EXPECT_EQ(&w, &Win());
        EXPECT_EQ(w.Left(), (800 - 300) / 2);  // centred
        sys_->KeyDown(Win(), kVkReturn);
        page1.SetVisible(false);
        page2.SetVisible(true);
        sys_->KeyDown(Win(), kVkReturn);
        // The other window rests while this one is modal.
        Control& foreign = other->AddControl(ControlKind::Button, nullptr, "x");
        EXPECT_FALSE(sys_->Press(foreign));
        sys_->CloseBox(Win());
    };
    window_->ShowModal();
    EXPECT_EQ(one, 1);
    EXPECT_EQ(two, 1);
    EXPECT_TRUE(Win().Closed());
    EXPECT_EQ(Win().Changes(page2), 2);
}

}  // namespace

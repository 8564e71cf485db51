// The installer wizard and its about box on the real Win32 controls. The window
// system's dialog is stood in for by a small window of the test's own over a plain
// HWND (the rest of the system stays headless: message boxes answered from a
// script, shell requests recorded); the user's clicks, keys and typing go in as the
// controls' own window messages.
#include <gtest/gtest.h>

// Before windows.h, whose macros would rename the window system's CreateWindow and
// MessageBox.
#include "install/Abtu.h"
#include "install/Vemiinstu.h"
#include "platform/headless/headless.h"

#include "win32_dialog_host.h"

#include <commctrl.h>

#include <filesystem>

#include "platform/paths.h"
#include "tools/lib/zipwriter.h"

// The headless system's own member of that name is overridden below.
#undef CreateWindow

namespace {

namespace fs = std::filesystem;
using platform::Control;
using platform::W;

using wintest::TestDialog;
using wintest::Text;

// The headless system with dialogs of real windows; handing the loop its messages
// in the middle of a job hands them to the real loop too.
class DialogSystem : public platform::HeadlessSystem {
public:
    std::unique_ptr<platform::Window> CreateWindow(const platform::WindowStyle& style) override {
        if (style.dialog) return std::make_unique<TestDialog>(style);
        return HeadlessSystem::CreateWindow(style);
    }
    void ProcessMessages() override {
        TestDialog::Pump();
        HeadlessSystem::ProcessMessages();
    }
};

class WizardOnWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = tmp_ / "home";
        disc_ = tmp_ / "disc";
        fs::create_directories(testsupport::U8Path(home_));
        fs::create_directories(testsupport::U8Path(disc_ + "/PROGRAMY"));
        platform::SetSystem(&sys_);
        platform::Drives().Map('C', home_);
        platform::Drives().Map('D', disc_);
        // The Start-menu folders below the test's folder are reached through Z:.
        platform::Drives().Map('Z', tmp_.path().substr(0, 2) + "\\");
        desk_ = std::make_unique<testsupport::DesktopSandbox>(tmp_ / "desktop");
        wizard_ = std::make_unique<TINST_FRM>();
        about_ = std::make_unique<TABT_FRM>();
    }
    void TearDown() override {
        about_.reset();
        wizard_.reset();
        platform::SetSystem(nullptr);
        desk_.reset();
        platform::Drives().Unmap('C');
        platform::Drives().Unmap('D');
        platform::Drives().Unmap('Z');
    }
    TINST_FRM& F() { return *wizard_; }
    TestDialog& Win() { return static_cast<TestDialog&>(F().Window()); }
    HWND Of(const Control* c) { return Win().Of(c); }
    bool Shows(const Control* c) { return IsWindowVisible(Of(c)) != FALSE; }
    void Pump() { TestDialog::Pump(); }
    // The user presses Enter wherever the focus is.
    void Enter() {
        HWND to = GetFocus() ? GetFocus() : Win().Hwnd();
        PostMessageW(to, WM_KEYDOWN, VK_RETURN, 0);
        Pump();
    }
    void Click(const Control* c) {
        SendMessageW(Of(c), BM_CLICK, 0, 0);
        Pump();
    }
    void ClickRow(const Control* list, int row, bool twice = false) {
        RECT r{};
        ASSERT_NE(SendMessageW(Of(list), LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r)), LB_ERR);
        const LPARAM at = MAKELPARAM(r.left + 40, (r.top + r.bottom) / 2);
        SendMessageW(Of(list), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(Of(list), WM_LBUTTONUP, 0, at);
        if (twice) {
            SendMessageW(Of(list), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            SendMessageW(Of(list), WM_LBUTTONUP, 0, at);
        }
        Pump();
    }
    std::vector<std::wstring> Rows(const Control* list) {
        std::vector<std::wstring> rows;
        for (int i = 0; i < SendMessageW(Of(list), LB_GETCOUNT, 0, 0); ++i) {
            wchar_t buf[MAX_PATH] = {};
            SendMessageW(Of(list), LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
            rows.push_back(buf);
        }
        return rows;
    }
    void MakeArchive() {
        tool::ZipWriter z(disc_ + "/PROGRAMY/GRA.ZIP");
        z.Add("prog.exe", std::string("MZ program"));
        z.Add(platform::Cp1250ToOem852(W("pomoc/czytaj mnie.txt")), std::string("tekst pomocy"));
        z.Finish();
        F().ArchivePath = "D:\\PROGRAMY\\GRA.ZIP";
        F().ProgramFolderName = "Gra";
        F().IssueFolder = "VEMI-12-2007";
        F().DefaultMenuGroup = "VEMI-12-2007";
        F().ShortcutName = W("Gra łamigłówka");
        F().RunFile = "prog.exe";
    }

    testsupport::TempDir tmp_;
    std::string home_, disc_;
    DialogSystem sys_;
    std::unique_ptr<testsupport::DesktopSandbox> desk_;
    std::unique_ptr<TINST_FRM> wizard_;
    std::unique_ptr<TABT_FRM> about_;
};

TEST_F(WizardOnWin32, ModeOneGoesThroughItsPagesWithEnterTypingAndClicks) {
    MakeArchive();
    fs::create_directories(testsupport::U8Path(desk_->UserApplications() + "/Gry"));
    fs::create_directories(testsupport::U8Path(desk_->CommonApplications() + "/Akcesoria"));
    F().StartWizard(WizardMode::InstallWithShortcut);
    Win().Show();
    Pump();

    // The first page as the user meets it: the proposed folder in the focused field.
    EXPECT_TRUE(Shows(F().DED));
    EXPECT_FALSE(Shows(F().FED));
    EXPECT_EQ(Text(Of(F().LBT1)), L"Wybierz folder docelowy do instalacji programu...");
    EXPECT_EQ(Text(Of(F().DED)), L"C:\\VEMI-12-2007\\Gra");
    EXPECT_EQ(GetFocus(), Of(F().DED));
    ASSERT_FALSE(Rows(F().DLB).empty());
    EXPECT_EQ(Rows(F().DLB)[0], L"C:\\");
    EXPECT_EQ(Text(Of(F().DCB)), L"C:");

    Enter();
    ASSERT_TRUE(Shows(F().FED));
    EXPECT_FALSE(Shows(F().DED));
    EXPECT_EQ(GetFocus(), Of(F().FED));
    EXPECT_EQ(Rows(F().FLB), (std::vector<std::wstring>{L"Akcesoria", L"Gry"}));
    EXPECT_EQ(Text(Of(F().FED)), L"VEMI-12-2007");
    ClickRow(F().FLB, 1);
    EXPECT_EQ(Text(Of(F().FED)), L"Gry");
    SendMessageW(Of(F().FED), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Moje gry"));
    Click(F().ALL_CB);
    EXPECT_FALSE(F().ALL_CB->Checked());

    Enter();
    ASSERT_TRUE(Shows(F().INFO_MO));
    EXPECT_EQ(Text(Of(F().INFO_MO)),
              L"Folder docelowy:\r\n   C:\\VEMI-12-2007\\Gra\r\n\r\nFolder w menu Start:\r\n   Moje gry\r\n\r\n"
              L"Skrót do programu nie będzie dostępny\r\ndla innych użytkowników tego komputera.");
    EXPECT_EQ(GetFocus(), Of(F().INST_GO_BTN));

    Enter();
    ASSERT_TRUE(Shows(F().EXIT_BTN));
    EXPECT_EQ(Text(Of(F().SC_LAB1)), L"Moje gry");
    EXPECT_EQ(Text(Of(F().SC_LAB2)), L"Gra łamigłówka");
    EXPECT_EQ(SendMessageW(Of(F().PB), PBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(Text(Of(F().FN_LABX)), L"czytaj mnie.txt");
    EXPECT_TRUE(fs::exists(testsupport::U8Path(home_ + "/VEMI-12-2007/Gra/prog.exe")));
    EXPECT_TRUE(fs::exists(testsupport::U8Path(home_ + "/VEMI-12-2007/Gra/pomoc/czytaj mnie.txt")));
    EXPECT_TRUE(fs::exists(testsupport::U8Path(desk_->UserApplications() + "/Moje gry/Gra łamigłówka.lnk")));

    Click(F().RUN_NOW_CB);
    Click(F().EXIT_BTN);
    EXPECT_FALSE(Win().Visible());
    EXPECT_TRUE(sys_.ShellRequests().empty());
    EXPECT_TRUE(sys_.Messages().empty());
    EXPECT_TRUE(Win().errors.empty());
}

TEST_F(WizardOnWin32, ChoosingADriveAndAFolderProposesThem) {
    fs::create_directories(testsupport::U8Path(disc_ + "/GRY/Łamigłówki"));
    F().ProgramFolderName = "Gra";
    F().StartWizard(WizardMode::CopyFolder);
    Win().Show();
    Pump();
    EXPECT_EQ(Text(Of(F().DED)), L"C:\\VEMI - kopie programów\\Gra");
    EXPECT_FALSE(Shows(F().ABT_BTN));

    SetFocus(Of(F().DCB));
    SendMessageW(Of(F().DCB), WM_CHAR, L'd', 1);
    Pump();
    EXPECT_EQ(F().DLB->Directory(), "D:\\");
    EXPECT_EQ(Text(Of(F().DED)), L"D:\\Gra");
    EXPECT_EQ(Rows(F().DLB), (std::vector<std::wstring>{L"D:\\", L"GRY", L"PROGRAMY"}));

    ClickRow(F().DLB, 1, true);
    ClickRow(F().DLB, 2, true);
    EXPECT_EQ(Text(Of(F().DED)), L"D:\\GRY\\Łamigłówki\\Gra");
    // Typed over, the field keeps what the user typed.
    SendMessageW(Of(F().DED), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\Kopia"));
    EXPECT_EQ(F().DED->Text(), "C:\\Kopia");

    // Mode 3 leaves without a question.
    PostMessageW(Win().Hwnd(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(Win().Visible());
    EXPECT_TRUE(sys_.Messages().empty());
}

TEST_F(WizardOnWin32, AboutBoxRunsModallyAndEnterClosesIt) {
    F().StartWizard(WizardMode::InstallWithShortcut);
    Win().Show();
    Pump();
    auto& about = static_cast<TestDialog&>(about_->Window());
    EXPECT_EQ(Text(about.Of(about_->LB1)), L"VEMI CD/DVD Instalator 1.0.");
    EXPECT_EQ(Text(about.Of(about_->OK_BTN)), L"&OK");

    // Enter, typed once the box is up, reaches its OK button through its own loop.
    PostMessageW(about.Of(about_->OK_BTN), WM_KEYDOWN, VK_RETURN, 0);
    Click(F().ABT_BTN);
    EXPECT_EQ(about.modalRuns, 1);
    EXPECT_FALSE(about.Visible());
    EXPECT_EQ(about_->ModalResult, platform::kIdOk);
    EXPECT_TRUE(Shows(F().DED));

    // Its close box ends it too.
    PostMessageW(about.Hwnd(), WM_CLOSE, 0, 0);
    Click(F().ABT_BTN);
    EXPECT_EQ(about.modalRuns, 2);
    EXPECT_FALSE(about.Visible());
    EXPECT_TRUE(Win().Visible());

    // "Anuluj" asks first; "Nie" keeps the wizard, "Tak" closes it.
    sys_.ScriptAnswers({platform::kIdNo, platform::kIdYes});
    Click(F().DFLD_EXIT_BTN);
    EXPECT_TRUE(Win().Visible());
    Click(F().DFLD_EXIT_BTN);
    EXPECT_FALSE(Win().Visible());
    ASSERT_EQ(sys_.Messages().size(), 2u);
    EXPECT_EQ(sys_.Messages()[0].text, W("Na pewno przerwać instalację..."));
}

}  // namespace

// The installer wizard on the headless back end, driven through its buttons, keys,
// lists and close box as a user drives it: every mode through its pages, the back
// buttons, the proposed folders and groups, the summary, unpacking with its bars and
// its cancel, the copy with the clearing of read-only attributes, and every failure
// the user must be told about.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "install/Abtu.h"
#include "install/Vemiinstu.h"
#include "platform/headless/headless.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "tools/lib/zipwriter.h"

namespace fs = std::filesystem;
using platform::Control;
using platform::HeadlessWindow;
using platform::W;

namespace {

constexpr WizardMode kInstall = WizardMode::InstallWithShortcut, kUnpack = WizardMode::UnpackForSetup,
                     kCopy = WizardMode::CopyFolder;

std::vector<uint8_t> Bytes(size_t n, uint32_t seed) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        b[i] = static_cast<uint8_t>(seed >> 16);
    }
    return b;
}

// A member kept as it is, not deflated.
tool::ZipMemberOptions Stored() {
    tool::ZipMemberOptions o;
    o.method = 0;
    return o;
}

std::string Text(const std::string& host) {
    std::vector<uint8_t> b = testsupport::ReadFile(host);
    return std::string(b.begin(), b.end());
}

bool Writable(const std::string& host) {
    struct stat st;
    return ::lstat(host.c_str(), &st) == 0 && (st.st_mode & S_IWUSR);
}

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        tmp_ = std::make_unique<testsupport::TempDir>();
        home_ = tmp_->path() + "/home";
        disc_ = tmp_->path() + "/disc";
        fs::create_directories(home_);
        fs::create_directories(disc_ + "/PROGRAMY");
        sys_ = std::make_unique<platform::HeadlessSystem>(1024, 768);
        platform::SetSystem(sys_.get());
        platform::Drives().Map('C', home_);
        platform::Drives().Map('D', disc_);
        platform::Drives().Map('Z', "/");
        desk_ = std::make_unique<testsupport::DesktopSandbox>(home_ + "/desktop");
        wizard_ = std::make_unique<TINST_FRM>();
        about_ = std::make_unique<TABT_FRM>();
        sys_->onModal = [this](HeadlessWindow& w) {
            if (&w == &Win() && script_) script_();
            if (&w == &static_cast<HeadlessWindow&>(about_->Window()) && aboutScript_) aboutScript_();
        };
    }
    void TearDown() override {
        about_.reset();
        wizard_.reset();
        platform::SetSystem(nullptr);
        sys_.reset();
        desk_.reset();
        platform::Drives().Unmap('C');
        platform::Drives().Unmap('D');
        tmp_.reset();
    }
    HeadlessWindow& Win() { return static_cast<HeadlessWindow&>(wizard_->Window()); }
    TINST_FRM& F() { return *wizard_; }
    std::string Page() {
        Control* p = F().VisiblePage();
        return p ? p->Name() : "closed";
    }
    bool Press(Control* c) { return sys_->Press(*c); }
    void Enter() { sys_->KeyDown(Win(), platform::kVkReturn); }
    void CloseBox() { sys_->CloseBox(Win()); }

    // A program archive on the disc: two small files, one in a subfolder, and an
    // optional big one between them.
    std::string MakeArchive(const std::string& name, size_t bigSize = 0) {
        tool::ZipWriter z(disc_ + "/PROGRAMY/" + name);
        z.Add("prog.exe", std::string("MZ program"));
        if (bigSize) z.Add("data/big.bin", Bytes(bigSize, 7), Stored());
        z.Add(platform::Cp1250ToOem852(W("pomoc/czytaj mnie.txt")), std::string("tekst pomocy"));
        z.Finish();
        return "D:\\PROGRAMY\\" + name;
    }
    void PrepareInstall(const std::string& archive) {
        F().ArchivePath = archive;
        F().ProgramFolderName = "Gra";
        F().IssueFolder = "VEMI-12-2007";
        F().DefaultMenuGroup = "VEMI-12-2007";
        F().ShortcutName = "Gra";
        F().RunFile = "prog.exe";
    }
    // Runs the wizard modally; script drives it while it is shown.
    void Run(WizardMode mode, std::function<void()> script) {
        script_ = std::move(script);
        F().StartWizard(mode);
        F().ShowModal();
        script_ = nullptr;
    }
    std::string UserApps() { return desk_->UserApplications(); }
    std::string CommonApps() { return desk_->CommonApplications(); }

    std::unique_ptr<testsupport::TempDir> tmp_;
    std::string home_, disc_;
    std::unique_ptr<platform::HeadlessSystem> sys_;
    std::unique_ptr<TINST_FRM> wizard_;
    std::unique_ptr<TABT_FRM> about_;
    std::function<void()> script_, aboutScript_;
    std::unique_ptr<testsupport::DesktopSandbox> desk_;
};

TEST_F(WizardTest, ModeOneInstallsThroughEveryPageWithBackButtonsAndEnter) {
    const std::string archive = MakeArchive("GRA.ZIP");
    PrepareInstall(archive);
    // Groups in both Start menus: one shared, one that differs only in case, a
    // dot-folder and a file that are no groups.
    fs::create_directories(UserApps() + "/Gry");
    fs::create_directories(UserApps() + "/Narzędzia");
    fs::create_directories(UserApps() + "/.ukryta");
    testsupport::WriteFile(UserApps() + "/plik.desktop", std::string("x"));
    fs::create_directories(CommonApps() + "/Gry");
    fs::create_directories(CommonApps() + "/gry");
    fs::create_directories(CommonApps() + "/Akcesoria");
    F().ALL_CB->SetChecked(false);
    Run(kInstall, [&] {
        EXPECT_EQ(Page(), "CPN1");
        EXPECT_TRUE(Win().Visible());
        EXPECT_EQ(F().LBT1->Text(), W("Wybierz folder docelowy do instalacji programu..."));
        EXPECT_EQ(F().DED->Text(), "C:\\VEMI-12-2007\\Gra");
        EXPECT_EQ(F().DLB->Directory(), "C:\\");
        Enter();
        EXPECT_EQ(Page(), "CPN2");
        // Sorted ignoring case, "Gry" once although both menus have it; "gry" is
        // another folder and stays (which of the two comes first is the file
        // system's order).
        std::vector<std::string> groups = F().FLB->Items();
        ASSERT_EQ(groups.size(), 4u);
        EXPECT_EQ(groups[0], "Akcesoria");
        EXPECT_TRUE((groups[1] == "gry" && groups[2] == "Gry") || (groups[1] == "Gry" && groups[2] == "gry"));
        EXPECT_EQ(groups[3], W("Narzędzia"));
        EXPECT_EQ(F().FED->Text(), "VEMI-12-2007");
        EXPECT_TRUE(sys_->Select(*F().FLB, groups[1] == "Gry" ? 1 : 2));
        EXPECT_EQ(F().FED->Text(), "Gry");
        Press(F().SFLD_BCK_BTN);
        EXPECT_EQ(Page(), "CPN1");
        Enter();
        EXPECT_EQ(F().FED->Text(), "VEMI-12-2007");  // the proposal comes back
        sys_->Type(*F().FED, "Moje gry");
        Enter();
        EXPECT_EQ(Page(), "CPN3");
        EXPECT_EQ(F().INFO_MO->Items(),
                  (std::vector<std::string>{"Folder docelowy:", "   C:\\VEMI-12-2007\\Gra", "", "Folder w menu Start:",
                                            "   Moje gry", "", W("Skrót do programu nie będzie dostępny"),
                                            W("dla innych użytkowników tego komputera.")}));
        Press(F().INST_BCK_BTN);
        EXPECT_EQ(Page(), "CPN2");
        Press(F().SFLD_GO_BTN);
        EXPECT_EQ(Page(), "CPN3");
        EXPECT_FALSE(Press(F().DFLD_GO_BTN));  // a hidden page's button does nothing
        Enter();
        EXPECT_EQ(Page(), "CPN5");
        EXPECT_EQ(F().SC_LAB1->Text(), "Moje gry");
        EXPECT_EQ(F().SC_LAB2->Text(), "Gra");
        EXPECT_EQ(F().PB->Position(), 100);
        EXPECT_EQ(F().PBX->Position(), 100);
        EXPECT_TRUE(F().CSC_LAB->Visible());
        Press(F().EXIT_BTN);
        EXPECT_FALSE(Win().Visible());
    });
    EXPECT_EQ(Text(home_ + "/VEMI-12-2007/Gra/prog.exe"), "MZ program");
    EXPECT_EQ(Text(home_ + "/VEMI-12-2007/Gra/pomoc/czytaj mnie.txt"), "tekst pomocy");
    EXPECT_TRUE(fs::exists(UserApps() + "/Moje gry/Gra.desktop"));
    EXPECT_FALSE(fs::exists(CommonApps() + "/Moje gry"));
    // "Uruchom teraz" was ticked: the program starts in its own folder.
    ASSERT_EQ(sys_->ShellRequests().size(), 1u);
    EXPECT_EQ(sys_->ShellRequests()[0].file, home_ + "/VEMI-12-2007/Gra/prog.exe");
    EXPECT_EQ(sys_->ShellRequests()[0].dir, home_ + "/VEMI-12-2007/Gra");
    EXPECT_TRUE(sys_->Messages().empty());
}

TEST_F(WizardTest, TypedGroupLosesForbiddenCharactersButIsShownAsTyped) {
    PrepareInstall(MakeArchive("GRA.ZIP"));
    F().ALL_CB->SetChecked(true);
    F().RUN_NOW_CB->SetChecked(false);
    const std::string typed = W("Gry: \"nowe\\stare\" żółw");
    Run(kInstall, [&] {
        Enter();
        sys_->Type(*F().FED, typed);
        Enter();
        EXPECT_EQ(F().INFO_MO->Item(6), W("Skrót do programu będzie dostępny dla"));
        EXPECT_EQ(F().INFO_MO->Item(7), W("wszystkich użytkowników tego komputera."));
        Enter();
        EXPECT_EQ(Page(), "CPN5");
        EXPECT_EQ(F().SC_LAB1->Text(), typed);
        CloseBox();  // closing CPN5 starts nothing
        EXPECT_FALSE(Win().Visible());
    });
    // One level below the all-users folder, without the backslash, colon and quotes.
    const std::string group = CommonApps() + "/" + platform::Cp1250ToUtf8(W("Gry nowestare żółw"));
    EXPECT_TRUE(fs::is_directory(group)) << group;
    EXPECT_TRUE(fs::exists(group + "/Gra.desktop"));
    EXPECT_TRUE(sys_->ShellRequests().empty());
}

TEST_F(WizardTest, ShortcutAndGroupNamesAreOnePlainNameInTheMenu) {
    PrepareInstall(MakeArchive("GRA.ZIP"));
    F().ALL_CB->SetChecked(false);
    F().RUN_NOW_CB->SetChecked(false);
    struct Case {
        std::string shortcut, group, file;  // the file below the user's menu folder
    };
    const Case cases[] = {
        {"..", "Gry", "Gry/Program"},
        {".", "Gry", "Gry/Program"},
        {W("€ ."), "Gry", "Gry/Program"},  // nothing of it may stand in a name
        {"Gra. .", "Gry..", "Gry/Gra"},     // the dots and blanks Windows drops
        {"Gra", "..", "Gra"},               // no group: the menu folder itself
        {"Gra", ".", "Gra"},
        {"Gra", "\\..\\", "Gra"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shortcut + " in " + c.group);
        fs::remove_all(UserApps());
        F().ShortcutName = c.shortcut;
        Run(kInstall, [&] {
            Enter();
            sys_->Type(*F().FED, c.group);
            Enter();
            Enter();
            EXPECT_EQ(Page(), "CPN5");
            EXPECT_TRUE(F().SC_LAB2->Showing());
            Press(F().EXIT_BTN);
        });
        EXPECT_TRUE(fs::exists(UserApps() + "/" + c.file + ".desktop"));
        for (const auto& e : fs::recursive_directory_iterator(UserApps()))
            EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
        EXPECT_TRUE(sys_->Messages().empty());
        sys_->ClearRecords();
    }
}

TEST_F(WizardTest, ATypedFolderThatClimbsAboveItselfIsRefused) {
    PrepareInstall(MakeArchive("GRA.ZIP"));
    F().SetupFile = "prog.exe";
    F().CopySource = "D:\\PROGRAMY";
    for (const char* typed : {"C:\\VEMI-12-2007\\..", "C:\\Gry/../..", "C:\\Gry\\. .\\x"})
        for (WizardMode mode : {kInstall, kUnpack, kCopy}) {
            SCOPED_TRACE(typed);
            sys_->ClearRecords();
            Run(mode, [&] {
                sys_->Type(*F().DED, typed);
                const std::string page = mode == kInstall ? "CPN3" : "CPN1";
                while (Page() != page) Enter();
                Enter();
                EXPECT_EQ(Page(), page);
                sys_->ScriptAnswers({platform::kIdYes});
                CloseBox();
            });
            ASSERT_GE(sys_->Messages().size(), 1u);
            EXPECT_EQ(sys_->Messages()[0].text, W("Nie można utworzyć folderu.\nSprawdź, czy nazwa jest prawidłowa."));
        }
    EXPECT_FALSE(fs::exists(home_ + "/prog.exe"));
    EXPECT_FALSE(fs::exists(home_ + "/GRA.ZIP"));
    // ".." inside a name is only a name.
    Run(kUnpack, [&] {
        sys_->Type(*F().DED, "C:\\Gra..x\\..y");
        Enter();
        EXPECT_EQ(Page(), "CPN6");
        CloseBox();
    });
    EXPECT_TRUE(fs::exists(home_ + "/Gra..x/..y/prog.exe"));
}

TEST_F(WizardTest, AllUsersIsOfferedOnlyWhereTheirMenuCanBeWritten) {
    PrepareInstall(MakeArchive("GRA.ZIP"));
    F().RUN_NOW_CB->SetChecked(false);
    // The all-users folders cannot be made: a file stands where one of them would go.
    testsupport::WriteFile(tmp_->path() + "/plik", std::string("x"));
    auto blocked = std::make_unique<testsupport::ScopedEnv>("VEMI_COMMON_MENUS", (tmp_->path() + "/plik/menus").c_str());
    EXPECT_TRUE(F().ALL_CB->Checked());  // as the window was made
    Run(kInstall, [&] {
        Enter();
        EXPECT_FALSE(F().ALL_CB->Checked());
        EXPECT_FALSE(F().ALL_CB->Enabled());
        EXPECT_FALSE(Press(F().ALL_CB));
        Enter();
        EXPECT_EQ(F().INFO_MO->Item(6), W("Skrót do programu nie będzie dostępny"));
        Enter();
        EXPECT_EQ(Page(), "CPN5");
        EXPECT_TRUE(F().SC_LAB2->Showing());
        Press(F().EXIT_BTN);
    });
    EXPECT_TRUE(fs::exists(UserApps() + "/VEMI-12-2007/Gra.desktop"));
    EXPECT_TRUE(sys_->Messages().empty());
    // Where they can be written the box is offered again.
    blocked.reset();
    Run(kInstall, [&] {
        Enter();
        EXPECT_TRUE(F().ALL_CB->Enabled());
        EXPECT_TRUE(Press(F().ALL_CB));
        EXPECT_TRUE(F().ALL_CB->Checked());
        Enter();
        Enter();
        Press(F().EXIT_BTN);
    });
    EXPECT_TRUE(fs::exists(CommonApps() + "/VEMI-12-2007/Gra.desktop"));
}

TEST_F(WizardTest, GroupsAreListedInThePolishAlphabet) {
    PrepareInstall(MakeArchive("GRA.ZIP"));
    const std::vector<std::string> sorted = {"Cyfry", W("Ćwiczenia"), "lotto", W("Łamigłówki"), "Zabawy", W("żółw")};
    for (const std::string& g : sorted) fs::create_directories(UserApps() + "/" + platform::Cp1250ToUtf8(g));
    Run(kInstall, [&] {
        Enter();
        EXPECT_EQ(F().FLB->Items(), sorted);
        sys_->ScriptAnswers({platform::kIdYes});
        CloseBox();
    });
}

TEST_F(WizardTest, TheLastPageSaysWhenTheMenuNeedsWineForAWindowsProgram) {
    const std::string bin = tmp_->path() + "/bin";
    fs::create_directories(bin);
    struct Case {
        std::string runFile;
        bool wine, told;
    };
    for (const Case& c : {Case{"prog.exe", false, true}, Case{"prog.exe", true, false}, Case{"^", false, false}}) {
        SCOPED_TRACE(c.runFile + (c.wine ? " with wine" : " without wine"));
        fs::remove(bin + "/wine");
        if (c.wine) {
            testsupport::WriteFile(bin + "/wine", std::string("#!/bin/sh\n"));
            fs::permissions(bin + "/wine", fs::perms::owner_all);
        }
        testsupport::ScopedEnv path("PATH", bin.c_str());
        PrepareInstall(MakeArchive("GRA.ZIP"));
        F().RunFile = c.runFile;
        Run(kInstall, [&] {
            Enter();
            Enter();
            Enter();
            EXPECT_EQ(Page(), "CPN5");
            EXPECT_EQ(F().WINE_LAB->Showing(), c.told);
            EXPECT_EQ(F().WINE_LAB->Text(), W("Uwaga: do uruchomienia programu z menu potrzebny jest wine."));
            CloseBox();
        });
    }
}

TEST_F(WizardTest, ChoosingAFolderOrADriveProposesItWithTheProgramFolder) {
    PrepareInstall(MakeArchive("GRA.ZIP"));
    fs::create_directories(home_ + "/Programy/Stare");
    fs::create_directories(home_ + "/.cache");
    Run(kInstall, [&] {
        // The list shows the drive and its folders; hidden ones are left out.
        const auto& rows = F().DLB->Rows();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].name, "C:\\");
        std::vector<std::string> names;
        for (const auto& r : rows) names.push_back(r.name);
        EXPECT_EQ(std::count(names.begin(), names.end(), ".cache"), 0);
        int programy = static_cast<int>(std::find(names.begin(), names.end(), "Programy") - names.begin());
        ASSERT_LT(programy, static_cast<int>(names.size()));
        EXPECT_TRUE(sys_->OpenFolder(*F().DLB, programy));
        EXPECT_EQ(F().DED->Text(), "C:\\Programy\\Gra");
        sys_->Type(*F().DED, "C:\\Inny\\Gra");
        // Picking the drive's root again: one backslash, never two.
        int c = -1;
        for (int i = 0; i < F().DCB->Count(); ++i)
            if (F().DCB->Item(i) == "C:") c = i;
        ASSERT_GE(c, 0);
        EXPECT_EQ(F().DCB->ItemIndex(), c);
        EXPECT_TRUE(sys_->Select(*F().DCB, c));
        EXPECT_EQ(F().DLB->Directory(), "C:\\");
        EXPECT_EQ(F().DED->Text(), "C:\\Gra");
        // Another drive of the table opens at its root.
        int d = -1;
        for (int i = 0; i < F().DCB->Count(); ++i)
            if (F().DCB->Item(i) == "D:") d = i;
        ASSERT_GE(d, 0);
        sys_->Select(*F().DCB, d);
        EXPECT_EQ(F().DED->Text(), "D:\\Gra");
        sys_->ScriptAnswers({platform::kIdYes});
        Press(F().DFLD_EXIT_BTN);
        EXPECT_FALSE(Win().Visible());
    });
}

TEST_F(WizardTest, ModeTwoMakesTheTemporaryFolderAtOnceAndStartsTheSetupFromIt) {
    F().ArchivePath = MakeArchive("SETUP.ZIP");
    F().ProgramFolderName = "Edytor";
    F().SetupFile = "prog.exe";
    // Cancelled right away, the temporary folder is there all the same.
    Run(kUnpack, [&] {
        EXPECT_TRUE(fs::is_directory(home_ + "/Wersje_instalacyjne"));
        EXPECT_EQ(F().DED->Text(), "C:\\Wersje_instalacyjne\\Edytor");
        EXPECT_EQ(F().LBT1->Text(), W("Wybierz folder TYMCZASOWY do rozpakowania archiwum..."));
        EXPECT_TRUE(F().ABT_BTN->Visible());
        sys_->ScriptAnswers({platform::kIdNo, platform::kIdYes});
        CloseBox();
        EXPECT_EQ(Page(), "CPN1");  // "Nie" keeps the wizard
        CloseBox();
        EXPECT_FALSE(Win().Visible());
    });
    ASSERT_EQ(sys_->Messages().size(), 2u);
    EXPECT_EQ(sys_->Messages()[0].text, W("Na pewno przerwać dekompresję..."));
    EXPECT_EQ(sys_->Messages()[0].kind, platform::MsgKind::Question);
    sys_->ClearRecords();
    fs::remove_all(home_ + "/Wersje_instalacyjne");
    Run(kUnpack, [&] {
        Enter();  // Dalej > unpacks at once
        EXPECT_EQ(Page(), "CPN6");
        EXPECT_EQ(F().TFLD_LAB->Text(), "C:\\Wersje_instalacyjne\\Edytor");
        Press(F().EXIT2_BTN);
        EXPECT_FALSE(Win().Visible());
    });
    EXPECT_EQ(Text(home_ + "/Wersje_instalacyjne/Edytor/prog.exe"), "MZ program");
    ASSERT_EQ(sys_->ShellRequests().size(), 1u);
    EXPECT_EQ(sys_->ShellRequests()[0].file, home_ + "/Wersje_instalacyjne/Edytor/prog.exe");
    EXPECT_EQ(sys_->ShellRequests()[0].dir, home_ + "/Wersje_instalacyjne/Edytor");
    // The close box on CPN6 leaves the setup program alone.
    sys_->ClearRecords();
    Run(kUnpack, [&] {
        Enter();
        EXPECT_EQ(Page(), "CPN6");
        CloseBox();
        EXPECT_FALSE(Win().Visible());
    });
    EXPECT_TRUE(sys_->ShellRequests().empty());
    EXPECT_TRUE(sys_->Messages().empty());
}

TEST_F(WizardTest, CloseBoxAndCancelAskOnTheFirstPagesOfModesOneAndTwo) {
    PrepareInstall(MakeArchive("GRA.ZIP"));
    for (const char* page : {"CPN1", "CPN2", "CPN3"})
        for (bool closeBox : {false, true}) {
            sys_->ClearRecords();
            Run(kInstall, [&] {
                while (Page() != page) Enter();
                Control* cancel = Page() == "CPN1" ? F().DFLD_EXIT_BTN : Page() == "CPN2" ? F().SFLD_EXIT_BTN : F().INST_EXIT_BTN;
                sys_->ScriptAnswers({platform::kIdNo});
                closeBox ? CloseBox() : (void)Press(cancel);
                EXPECT_EQ(Page(), page);
                sys_->ScriptAnswers({platform::kIdYes});
                closeBox ? CloseBox() : (void)Press(cancel);
                EXPECT_FALSE(Win().Visible()) << page;
            });
            ASSERT_EQ(sys_->Messages().size(), 2u);
            EXPECT_EQ(sys_->Messages()[1].text, W("Na pewno przerwać instalację..."));
        }
    EXPECT_FALSE(fs::exists(home_ + "/VEMI-12-2007"));
}

TEST_F(WizardTest, FolderThatCannotBeMadeKeepsThePageAndSaysSo) {
    PrepareInstall(MakeArchive("GRA.ZIP"));
    testsupport::WriteFile(home_ + "/plik", std::string("x"));  // a file where a folder should go
    Run(kInstall, [&] {
        sys_->Type(*F().DED, "C:\\plik\\Gra");
        Enter();
        Enter();
        Enter();
        EXPECT_EQ(Page(), "CPN3");
        sys_->Type(*F().DED, "Q:\\Gra");  // no such drive (typed before, shown now)
        Enter();
        EXPECT_EQ(Page(), "CPN3");
        sys_->ScriptAnswers({platform::kIdYes});
        CloseBox();
    });
    ASSERT_GE(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].text, W("Nie można utworzyć folderu.\nSprawdź, czy nazwa jest prawidłowa."));
    EXPECT_EQ(sys_->Messages()[0].kind, platform::MsgKind::Error);
    sys_->ClearRecords();
    F().ArchivePath = MakeArchive("SETUP.ZIP");
    F().SetupFile = "prog.exe";
    Run(kUnpack, [&] {
        sys_->Type(*F().DED, "C:\\plik\\x");
        Enter();
        EXPECT_EQ(Page(), "CPN1");
        sys_->ScriptAnswers({platform::kIdYes});
        CloseBox();
    });
    EXPECT_EQ(sys_->Messages()[0].kind, platform::MsgKind::Error);
    sys_->ClearRecords();
    F().CopySource = "D:\\PROGRAMY";
    Run(kCopy, [&] {
        sys_->Type(*F().DED, "C:\\plik\\x");
        Enter();
        EXPECT_EQ(Page(), "CPN1");
        CloseBox();
    });
    EXPECT_EQ(sys_->Messages()[0].text, W("Nie można utworzyć folderu.\nSprawdź, czy nazwa jest prawidłowa."));
}

TEST_F(WizardTest, CancelDuringALargeExtractionRemovesThePartlyWrittenFileAndCloses) {
    PrepareInstall(MakeArchive("DUZY.ZIP", 6u << 20));
    int pumps = 0;
    sys_->onProcessMessages = [&] {
        ++pumps;
        // Time passes while the big file is unpacked: the window gets its messages
        // mid-file, and that is where the user presses "Anuluj".
        sys_->Advance(60);
        if (F().FN_LABX->Text() == "big.bin" && F().PBX->Position() > 30 && !F().CancelRequested) {
            EXPECT_TRUE(fs::exists(home_ + "/VEMI-12-2007/Gra/data/big.bin"));
            sys_->ScriptAnswers({platform::kIdNo, platform::kIdYes});
            Press(F().ICU_BTN);
            EXPECT_FALSE(F().CancelRequested);
            Press(F().ICU_BTN);
            EXPECT_TRUE(F().CancelRequested);
        }
    };
    Run(kInstall, [&] {
        Enter();
        Enter();
        Enter();
        EXPECT_FALSE(Win().Visible());
    });
    EXPECT_GT(pumps, 2);
    EXPECT_TRUE(F().CancelRequested);
    EXPECT_EQ(Text(home_ + "/VEMI-12-2007/Gra/prog.exe"), "MZ program");
    EXPECT_FALSE(fs::exists(home_ + "/VEMI-12-2007/Gra/data/big.bin"));
    EXPECT_FALSE(fs::exists(home_ + "/VEMI-12-2007/Gra/pomoc"));
    EXPECT_FALSE(fs::exists(UserApps() + "/VEMI-12-2007"));
    EXPECT_FALSE(fs::exists(CommonApps() + "/VEMI-12-2007"));
    ASSERT_EQ(sys_->Messages().size(), 2u);
    EXPECT_EQ(sys_->Messages()[1].text, W("Na pewno przerwać instalację..."));
    EXPECT_TRUE(sys_->ShellRequests().empty());
}

TEST_F(WizardTest, CloseBoxDuringAnExtractionStopsItOnceConfirmed) {
    F().ArchivePath = MakeArchive("DUZY.ZIP", 3u << 20);
    F().ProgramFolderName = "Edytor";
    F().SetupFile = "prog.exe";
    sys_->onProcessMessages = [&] {
        sys_->Advance(60);
        if (F().FN_LABX->Text() == "big.bin" && !F().CancelRequested) {
            sys_->ScriptAnswers({platform::kIdYes});
            CloseBox();
            EXPECT_TRUE(Win().Visible());  // stays until the extraction has stopped
        }
    };
    Run(kUnpack, [&] {
        Enter();
        EXPECT_FALSE(Win().Visible());
    });
    EXPECT_FALSE(fs::exists(home_ + "/Wersje_instalacyjne/Edytor/data/big.bin"));
    EXPECT_TRUE(sys_->ShellRequests().empty());
}

TEST_F(WizardTest, MessagesAreHandledOncePerFileNotForEveryPieceOfIt) {
    PrepareInstall(MakeArchive("DUZY.ZIP", 5u << 20));
    int pumps = 0;
    sys_->onProcessMessages = [&] { ++pumps; };  // the clock stands still
    Run(kInstall, [&] {
        Enter();
        Enter();
        const int labelDraws = Win().Repaints(*F().FN_LAB);
        Enter();
        EXPECT_EQ(Page(), "CPN5");
        // Three members: the start of each, the page before and the two steps after.
        EXPECT_EQ(pumps, 3 + 3);
        EXPECT_EQ(Win().Repaints(*F().FN_LAB) - labelDraws, 3);
        EXPECT_EQ(F().FN_LABX->Text(), W("czytaj mnie.txt"));
        EXPECT_EQ(F().FN_LAB->Text(), W("C:\\VEMI-12-2007\\Gra\\pomoc\\czytaj mnie.txt"));
        Press(F().EXIT_BTN);
    });
}

TEST_F(WizardTest, FailedExtractionIsToldAndMakesNoShortcut) {
    // Through the pages and "Zainstaluj": the failure brings the user back to the
    // summary, which the close box then leaves.
    auto installFailsBackToTheSummary = [&] {
        Run(kInstall, [&] {
            Enter();
            Enter();
            Enter();
            EXPECT_EQ(Page(), "CPN3");
            sys_->ScriptAnswers({platform::kIdYes});
            CloseBox();
        });
    };

    // A missing archive.
    PrepareInstall("D:\\PROGRAMY\\BRAK.ZIP");
    installFailsBackToTheSummary();
    ASSERT_GE(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(sys_->Messages()[0].text, W("Nie można otworzyć archiwum:\n\nD:\\PROGRAMY\\BRAK.ZIP\n\nPowód: Nie znaleziono archiwum."));
    EXPECT_FALSE(fs::exists(UserApps() + "/VEMI-12-2007"));
    EXPECT_FALSE(fs::exists(CommonApps() + "/VEMI-12-2007"));

    // A damaged member after a good one: the good one stays, the box names the
    // damaged one and the archive.
    sys_->ClearRecords();
    {
        tool::ZipWriter z;
        z.Add("prog.exe", std::string("MZ program"));
        z.Add("zepsuty.dat", Bytes(4000, 3), Stored());
        std::vector<uint8_t> bytes = z.Finish();
        bytes[z.Members()[1].dataOffset + 100] ^= 0x55;
        testsupport::WriteFile(disc_ + "/PROGRAMY/ZEPSUTY.ZIP", bytes);
    }
    PrepareInstall("D:\\PROGRAMY\\ZEPSUTY.ZIP");
    installFailsBackToTheSummary();
    ASSERT_GE(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].text, W("Nie można rozpakować pliku:\n\nzepsuty.dat\n\nz archiwum:\n\nD:\\PROGRAMY\\ZEPSUTY.ZIP"
                                            "\n\nPowód: Plik w archiwum jest uszkodzony."));
    EXPECT_EQ(Text(home_ + "/VEMI-12-2007/Gra/prog.exe"), "MZ program");
    EXPECT_FALSE(fs::exists(home_ + "/VEMI-12-2007/Gra/zepsuty.dat"));
    EXPECT_FALSE(fs::exists(UserApps() + "/VEMI-12-2007"));

    // A member whose name would climb out of the target folder: refused and told,
    // nothing written outside.
    sys_->ClearRecords();
    {
        tool::ZipWriter z;
        z.Add("../../uciekinier.txt", std::string("x"));
        testsupport::WriteFile(disc_ + "/PROGRAMY/ZLY.ZIP", z.Finish());
    }
    F().ArchivePath = "D:\\PROGRAMY\\ZLY.ZIP";
    F().SetupFile = "setup.exe";
    Run(kUnpack, [&] {
        Enter();
        EXPECT_EQ(Page(), "CPN1");
        sys_->ScriptAnswers({platform::kIdYes});
        CloseBox();
    });
    ASSERT_GE(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].text, W("Nie można rozpakować pliku:\n\n..\\..\\uciekinier.txt\n\nz archiwum:\n\nD:\\PROGRAMY\\ZLY.ZIP"
                                            "\n\nPowód: Plik ma w archiwum niedozwoloną nazwę."));
    EXPECT_FALSE(fs::exists(home_ + "/uciekinier.txt"));
    EXPECT_FALSE(fs::exists(tmp_->path() + "/uciekinier.txt"));
    EXPECT_TRUE(sys_->ShellRequests().empty());
}

TEST_F(WizardTest, AnArchiveThatHoldsANameTwiceIsRefusedWithAReasonInPolish) {
    auto installFails = [&](const std::string& archive) {
        sys_->ClearRecords();
        PrepareInstall(archive);
        Run(kInstall, [&] {
            Enter();
            Enter();
            Enter();
            EXPECT_EQ(Page(), "CPN3");
            sys_->ScriptAnswers({platform::kIdYes});
            CloseBox();
        });
        EXPECT_FALSE(fs::exists(home_ + "/VEMI-12-2007/Gra/prog.exe"));
        EXPECT_FALSE(fs::exists(UserApps() + "/VEMI-12-2007"));
        EXPECT_FALSE(fs::exists(CommonApps() + "/VEMI-12-2007"));
    };
    // The same name in two letter cases: nothing is unpacked, not even the members
    // before them.
    {
        tool::ZipWriter z;
        z.Add("prog.exe", std::string("MZ program"));
        z.Add("dane/plik.txt", std::string("first"));
        z.Add("DANE/PLIK.TXT", std::string("second"));
        testsupport::WriteFile(disc_ + "/PROGRAMY/DWA.ZIP", z.Finish());
    }
    installFails("D:\\PROGRAMY\\DWA.ZIP");
    ASSERT_GE(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(sys_->Messages()[0].text, W("Nie można rozpakować pliku:\n\nDANE\\PLIK.TXT\n\nz archiwum:\n\nD:\\PROGRAMY\\DWA.ZIP"
                                            "\n\nPowód: Archiwum zawiera dwa pliki o tej samej nazwie."));

    // A name cut by a zero byte is named whole, and so is the reason.
    {
        tool::ZipWriter z;
        z.Add("prog.exe", std::string("MZ program"));
        z.Add(std::string("a\0b.txt", 7), std::string("cut"));
        testsupport::WriteFile(disc_ + "/PROGRAMY/ZERO.ZIP", z.Finish());
    }
    installFails("D:\\PROGRAMY\\ZERO.ZIP");
    ASSERT_GE(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].text, W("Nie można rozpakować pliku:\n\na?b.txt\n\nz archiwum:\n\nD:\\PROGRAMY\\ZERO.ZIP"
                                            "\n\nPowód: Plik ma w archiwum niedozwoloną nazwę."));
}

TEST_F(WizardTest, ShortcutThatCannotBeMadeIsNotAnnounced) {
    PrepareInstall(MakeArchive("GRA.ZIP"));
    F().ALL_CB->SetChecked(false);
    // The user's menu folder is a file: no group can be made in it.
    fs::create_directories(fs::path(UserApps()).parent_path());
    testsupport::WriteFile(UserApps(), std::string("x"));
    Run(kInstall, [&] {
        Enter();
        Enter();
        Enter();
        EXPECT_EQ(Page(), "CPN5");
        EXPECT_EQ(F().CPN5_LB1->Text(), W("Program został zainstalowany."));
        EXPECT_EQ(F().CPN5_LB2->Text(), W("Nie udało się utworzyć skrótu w menu Start."));
        EXPECT_EQ(F().SC_LAB1->Text(), "C:\\VEMI-12-2007\\Gra");
        EXPECT_FALSE(F().SC_LAB2->Showing());
        F().RUN_NOW_CB->SetChecked(false);
        Press(F().EXIT_BTN);
    });
    ASSERT_EQ(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(Text(home_ + "/VEMI-12-2007/Gra/prog.exe"), "MZ program");
    // The next use that succeeds announces its shortcut again.
    fs::remove(UserApps());
    sys_->ClearRecords();
    Run(kInstall, [&] {
        Enter();
        Enter();
        Enter();
        EXPECT_EQ(F().CPN5_LB3->Text(), W("a następnie z grupy:"));
        EXPECT_TRUE(F().SC_LAB2->Showing());
        Press(F().EXIT_BTN);
    });
    EXPECT_TRUE(sys_->Messages().empty());
}

TEST_F(WizardTest, EmptyOrCaretRunFileMakesTheFolderTheShortcutAndTheStart) {
    for (const char* run : {"", "^"}) {
        PrepareInstall(MakeArchive("GRA.ZIP"));
        F().RunFile = run;
        F().ALL_CB->SetChecked(false);
        F().RUN_NOW_CB->SetChecked(true);
        sys_->ClearRecords();
        Run(kInstall, [&] {
            Enter();
            Enter();
            Enter();
            Press(F().EXIT_BTN);
        });
        ASSERT_EQ(sys_->ShellRequests().size(), 1u) << run;
        // The folder opens: "^" names it alone, an empty name leaves its separator.
        const std::string& f = sys_->ShellRequests()[0].file;
        EXPECT_TRUE(f == home_ + "/VEMI-12-2007/Gra" || f == home_ + "/VEMI-12-2007/Gra/") << f;
        std::string entry = Text(UserApps() + "/VEMI-12-2007/Gra.desktop");
        EXPECT_NE(entry.find(home_ + "/VEMI-12-2007/Gra"), std::string::npos);
        EXPECT_EQ(entry.find("prog.exe"), std::string::npos);
    }
}

TEST_F(WizardTest, ModeThreeCopiesAndClearsReadOnlyWhileTheBarMoves) {
    const std::string src = disc_ + "/PROGRAMY/Edytor";
    fs::create_directories(src + "/pomoc");
    fs::create_directories(src + "/.ukryty");
    testsupport::WriteFile(src + "/edytor.exe", std::string("MZ edytor"));
    testsupport::WriteFile(src + "/pomoc/opis.txt", std::string("opis"));
    testsupport::WriteFile(src + "/.ukryty/tajny.txt", std::string("t"));
    chmod((src + "/edytor.exe").c_str(), 0444);
    chmod((src + "/pomoc/opis.txt").c_str(), 0444);
    chmod((src + "/.ukryty/tajny.txt").c_str(), 0444);
    chmod((src + "/pomoc").c_str(), 0555);
    // Names the program's code page cannot spell, and a real "?", are cleared too.
    const char* const oddNames[] = {"pyt?.txt", "日本.txt", "鳥/巣.txt"};
    for (const char* n : oddNames) {
        testsupport::WriteFile(src + "/" + n, std::string("x"));
        chmod((src + "/" + n).c_str(), 0444);
    }
    chmod((src + "/鳥").c_str(), 0555);
    F().CopySource = "D:\\PROGRAMY\\Edytor";
    F().ProgramFolderName = "Edytor";
    int frames = 0;
    bool asked = false;
    sys_->onProcessMessages = [&] {
        if (Page() == "CPN7A") {
            sys_->Advance(100);  // the animation timer runs while attributes are cleared
            frames = F().AnimationStep;
            // "Anuluj" asks, but the clearing runs to its end whatever the answer.
            if (!asked) {
                asked = true;
                sys_->ScriptAnswers({platform::kIdYes});
                EXPECT_TRUE(Press(F().BitBtn2));
            }
        }
    };
    Run(kCopy, [&] {
        EXPECT_FALSE(F().ABT_BTN->Visible());
        EXPECT_FALSE(F().PB->Visible());
        EXPECT_FALSE(F().ICU_BTN->Visible());
        EXPECT_EQ(F().DED->Text(), W("C:\\VEMI - kopie programów\\Edytor"));
        Enter();
        EXPECT_EQ(Page(), "CPN7");
        EXPECT_EQ(F().CFLD_LAB->Text(), W("C:\\VEMI - kopie programów\\Edytor"));
        Press(F().EXIT3_BTN);
        EXPECT_FALSE(Win().Visible());
    });
    chmod((src + "/pomoc").c_str(), 0755);
    const std::string dst = home_ + "/" + platform::Cp1250ToUtf8(W("VEMI - kopie programów")) + "/Edytor";
    EXPECT_EQ(Text(dst + "/edytor.exe"), "MZ edytor");
    EXPECT_TRUE(Writable(dst + "/edytor.exe"));
    EXPECT_TRUE(Writable(dst + "/pomoc"));
    EXPECT_TRUE(Writable(dst + "/pomoc/opis.txt"));
    for (const char* n : oddNames) EXPECT_TRUE(Writable(dst + "/" + n)) << n;
    EXPECT_TRUE(Writable(dst + "/鳥"));
    chmod((src + "/鳥").c_str(), 0755);
    // Below a folder whose name begins with a dot, attributes stay as they came.
    EXPECT_FALSE(Writable(dst + "/.ukryty/tajny.txt"));
    EXPECT_GT(frames, 0);
    EXPECT_EQ(sys_->ActiveTimers(), 0u);
    ASSERT_EQ(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].text, W("Na pewno przerwać kopiowanie..."));
}

TEST_F(WizardTest, ModeThreeClosesWithoutAQuestionAndFailsToTheInterruptedPage) {
    F().CopySource = "D:\\PROGRAMY\\Brak";
    F().ProgramFolderName = "Brak";
    Run(kCopy, [&] {
        Press(F().DFLD_EXIT_BTN);
        EXPECT_FALSE(Win().Visible());
    });
    Run(kCopy, [&] {
        CloseBox();
        EXPECT_FALSE(Win().Visible());
    });
    EXPECT_TRUE(sys_->Messages().empty());
    // A source that cannot be entered is a failed copy.
    Run(kCopy, [&] {
        Enter();
        EXPECT_EQ(Page(), "CPN8");
        Press(F().BitBtn1);
        EXPECT_FALSE(Win().Visible());
    });
    // CPN7 and CPN8 close with their close box too.
    Run(kCopy, [&] {
        Enter();
        CloseBox();
        EXPECT_FALSE(Win().Visible());
    });
}

TEST_F(WizardTest, AnimatedBarFramesPixelForPixel) {
    const platform::Rgb face = platform::kButtonFace, grey{128, 128, 128}, white{255, 255, 255},
                        block{10, 36, 106};
    const platform::Image& img = F().XPBIM->Picture();
    ASSERT_EQ(img.Width(), 417);
    ASSERT_EQ(img.Height(), 16);
    for (int tick = 0; tick < 5; ++tick) {
        const int step = tick % 4;
        EXPECT_EQ(F().AnimationStep, step);
        F().XPBTMTimer();
        // Border: grey top and left edges, white bottom and right ones; the top
        // right corner stays grey.
        EXPECT_EQ(img.Pixel(200, 0), grey);
        EXPECT_EQ(img.Pixel(0, 8), step == 3 ? block : grey);
        EXPECT_EQ(img.Pixel(0, 1), grey);
        EXPECT_EQ(img.Pixel(0, 15), white);
        EXPECT_EQ(img.Pixel(200, 15), white);
        // Blocks are only clipped by the picture: one covers the right edge at step 2.
        EXPECT_EQ(img.Pixel(416, 8), step == 2 ? block : white);
        EXPECT_EQ(img.Pixel(416, 0), grey);
        // Blocks 8 wide every 20 pixels, starting at 2 + 5 * step, rows 2 to 13.
        for (int x = 1; x < 416; ++x) {
            const int rel = ((x - 2 - 5 * step) % 20 + 20) % 20;
            const platform::Rgb want = rel < 8 ? block : face;
            ASSERT_EQ(img.Pixel(x, 7), want) << "tick " << tick << " x " << x;
            ASSERT_EQ(img.Pixel(x, 2), want) << "tick " << tick << " x " << x;
            ASSERT_EQ(img.Pixel(x, 13), want) << "tick " << tick << " x " << x;
            ASSERT_EQ(img.Pixel(x, 1), x == 0 ? grey : face) << "tick " << tick << " x " << x;
        }
    }
    EXPECT_EQ(F().AnimationStep, 1);
    EXPECT_GE(Win().Repaints(*F().XPBIM), 5);
}

TEST_F(WizardTest, AboutBoxOpensFromTheFirstPageAndClosesWithItsButton) {
    PrepareInstall(MakeArchive("GRA.ZIP"));
    int shown = 0;
    aboutScript_ = [&] {
        ++shown;
        HeadlessWindow& box = static_cast<HeadlessWindow&>(about_->Window());
        EXPECT_EQ(box.Title(), "VEMI CD/DVD Instalator");
        EXPECT_EQ(about_->LB1->Text(), "VEMI CD/DVD Instalator 1.0.");
        EXPECT_FALSE(Press(F().DFLD_GO_BTN));  // the wizard rests meanwhile
        sys_->KeyDown(box, platform::kVkReturn);
        EXPECT_FALSE(box.Visible());
    };
    Run(kInstall, [&] {
        Press(F().ABT_BTN);
        EXPECT_EQ(Page(), "CPN1");
        EXPECT_EQ(about_->ModalResult, platform::kIdOk);
        sys_->ScriptAnswers({platform::kIdYes});
        CloseBox();
    });
    EXPECT_EQ(shown, 1);
}

TEST_F(WizardTest, ChecksGroupsAndListKeepWhatThePreviousUseLeft) {
    PrepareInstall(MakeArchive("GRA.ZIP"));
    fs::create_directories(UserApps() + "/Gry");
    Run(kInstall, [&] {
        Enter();
        sys_->Press(*F().ALL_CB);
        EXPECT_FALSE(F().ALL_CB->Checked());
        sys_->Type(*F().FED, "Inna");
        sys_->ScriptAnswers({platform::kIdYes});
        CloseBox();
    });
    F().ProgramFolderName = "Druga";
    Run(kInstall, [&] {
        EXPECT_EQ(Page(), "CPN1");
        EXPECT_FALSE(F().ALL_CB->Checked());
        EXPECT_EQ(F().FED->Text(), "Inna");
        EXPECT_EQ(F().FLB->Count(), 1);
        EXPECT_EQ(F().DED->Text(), "C:\\VEMI-12-2007\\Druga");
        sys_->ScriptAnswers({platform::kIdYes});
        CloseBox();
    });
}

}  // namespace

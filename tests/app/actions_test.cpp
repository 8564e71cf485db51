// What each area of the main window does when pressed and released on it, with the
// desktop's answers recorded by the headless back end.
#include <filesystem>

#include "app/Showmapsu.h"
#include "install/Vemiinstu.h"
#include "tools/lib/zipwriter.h"
#include "menu_fixture.h"
#include "platform/paths.h"
#include "widgets/Showimagesu.h"
#include "platform/text.h"

using platform::W;

using namespace menutest;
using platform::Rgb;

namespace {
std::vector<Record> Catalogue() {
    std::vector<Record> r;
    r.push_back(Group("Programy"));
    Record a = Prog("Malarz");  // 1
    a.f[4] = "m1.jpg,m2.jpg,m3.jpg";
    a.f[10] = "www.malarz.example.pl";
    a.f[11] = "http://malarz.example.pl";
    r.push_back(a);
    Record b = Prog("Archiwum");  // 2: ZIP, installs with a shortcut
    b.f[1] = "PROGRAMY\\ARCH.ZIP";
    b.f[3] = "arch.exe";
    r.push_back(b);
    Record c = Prog("Instalator");  // 3: ZIP with its own setup
    c.f[1] = "PROGRAMY\\SETUP.Zip";
    c.f[2] = "setup.exe";
    r.push_back(c);
    Record d = Prog("Bez pliku");  // 4: nothing to run, "^"
    d.f[3] = "^";
    r.push_back(d);
    Record e = Prog("Strona");  // 5: the run field is an address
    e.f[3] = "HTTP://www.strona.example.pl";
    e.f[10] = "redakcja@strona.example.pl";
    r.push_back(e);
    Record f = Prog("Nazwa: \"cudzysłów\" / 'ukośnik'");  // 6
    f.f[2] = "setup.sh";
    r.push_back(f);
    Record g = Prog("..");  // 7: a name that is no folder name of its own
    g.f[1] = "PROGRAMY\\KROPKI.ZIP";
    g.f[3] = "gra.exe";
    r.push_back(g);
    return r;
}

const showmaps::LayoutRect& R(int id) { return *showmaps::RectOf(id); }
std::string Host(const std::string& win) { return *platform::Drives().ToHost(win); }
}  // namespace

class ActionTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        MakeDisc(Catalogue());
        WriteJpeg(disc_ + "/CDInst/JPS/m1.jpg", 256, 192, {20, 200, 20});
        WriteJpeg(disc_ + "/CDInst/JPG/m1.jpg", 800, 600, {200, 20, 20});
        WriteJpeg(disc_ + "/CDInst/JPG/m3.jpg", 1600, 1200, {20, 20, 200});
        std::filesystem::create_directories(disc_ + "/PROGRAMY/Malarz");
        testsupport::WriteFile(disc_ + "/PROGRAMY/Malarz/start.sh", std::string("#!/bin/sh\n"));
        ASSERT_TRUE(Start());
        sys_->ClearRecords();
    }
    void Press(int id, int dx = 5, int dy = 5) { ClickAt(R(id).x + dx, R(id).y + dy); }
    void Select(int record) { ClickRow(record); }
    // After a successful launch the menu is minimised; bring it back as a user would.
    void Back() { sys_->RestoreApp(); }
};

TEST_F(ActionTest, RunStartsTheProgramFromItsFolderAndMinimises) {
    Select(1);
    Press(1);
    ASSERT_EQ(sys_->ShellRequests().size(), 1u);
    EXPECT_EQ(sys_->ShellRequests()[0].file, disc_ + "/PROGRAMY/Malarz/start.sh");
    EXPECT_EQ(sys_->ShellRequests()[0].dir, disc_ + "/PROGRAMY/Malarz");
    EXPECT_EQ(sys_->MinimizeCount(), 1);
    EXPECT_TRUE(sys_->Messages().empty());
}

TEST_F(ActionTest, AFailedLaunchSaysSoAndDoesNotMinimise) {
    sys_->SetShellResult([](const platform::RecordedShell&) { return 2; });
    Select(1);
    Press(1);
    ASSERT_EQ(sys_->Messages().size(), 1u);
    EXPECT_EQ(sys_->Messages()[0].text, W("Nie można uruchomić pliku:\n\n") + "D:\\PROGRAMY\\Malarz\\start.sh");
    EXPECT_EQ(sys_->Messages()[0].kind, platform::MsgKind::Information);
    EXPECT_EQ(sys_->MinimizeCount(), 0);
    Press(3);  // the information file
    ASSERT_EQ(sys_->Messages().size(), 2u);
    EXPECT_EQ(sys_->Messages()[1].text, W("Nie można uruchomić pliku:\n\n") + "D:\\CDINST\\TXT\\info.txt");
    Press(5);  // the folder
    ASSERT_EQ(sys_->Messages().size(), 3u);
    EXPECT_EQ(sys_->Messages()[2].text, W("Nie można otworzyć folderu:\n\n") + "D:\\PROGRAMY\\Malarz");
    Press(21);  // an address
    ASSERT_EQ(sys_->Messages().size(), 4u);
    EXPECT_EQ(sys_->Messages()[3].text, W("Łączenie z adresem:\n\n") + "http://www.wydawnictwo-vemi.pl");
    EXPECT_EQ(sys_->MinimizeCount(), 0);
}

TEST_F(ActionTest, TheCaretAndAddressRulesOfTheRunButton) {
    Select(4);  // "^": the folder opens instead
    Press(1);
    ASSERT_EQ(sys_->ShellRequests().size(), 1u);
    EXPECT_EQ(sys_->ShellRequests()[0].file, disc_ + "/PROGRAMY/Bez pliku");
    Back();
    Select(5);  // an address in the run field, in capitals
    Press(1);
    ASSERT_EQ(sys_->ShellRequests().size(), 2u);
    EXPECT_EQ(sys_->ShellRequests()[1].file, "HTTP://www.strona.example.pl");
    Back();
    // The link line of this entry is an e-mail address: it gets "mailto:".
    ClickAt(756 + 3, 652 + 5);
    ASSERT_EQ(sys_->ShellRequests().size(), 3u);
    EXPECT_EQ(sys_->ShellRequests()[2].file, "mailto:redakcja@strona.example.pl");
}

TEST_F(ActionTest, ArchivesInstallThroughTheWizardAndBrowseTheirFolder) {
    platform::HeadlessWindow& wizard = static_cast<platform::HeadlessWindow&>(INST_FRM->Window());
    Select(2);
    EXPECT_EQ(App().buttonState[1], 1);
    EXPECT_EQ(App().buttonState[2], 2);
    Press(1);  // inactive: nothing
    EXPECT_TRUE(sys_->ShellRequests().empty());
    Press(2);
    EXPECT_EQ(wizard.ModalRuns(), 1);
    EXPECT_EQ(INST_FRM->Mode, WizardMode::InstallWithShortcut);
    EXPECT_EQ(INST_FRM->ArchivePath, "D:\\PROGRAMY\\ARCH.ZIP");
    EXPECT_EQ(INST_FRM->IssueFolder, "VEMI-12-2007");
    EXPECT_EQ(INST_FRM->DefaultMenuGroup, "VEMI-12-2007");
    EXPECT_EQ(INST_FRM->ShortcutName, "Archiwum");
    EXPECT_EQ(INST_FRM->RunFile, "arch.exe");
    EXPECT_EQ(INST_FRM->DED->Text(), "C:\\VEMI-12-2007\\Archiwum");
    EXPECT_EQ(sys_->MinimizeCount(), 0);  // the wizard opens over the menu
    Press(5);  // browsing an archive opens the folder that holds it
    ASSERT_EQ(sys_->ShellRequests().size(), 1u);
    EXPECT_EQ(sys_->ShellRequests()[0].file, Host("D:\\PROGRAMY\\"));
    Back();
    Press(4);
    EXPECT_EQ(wizard.ModalRuns(), 2);
    EXPECT_EQ(INST_FRM->Mode, WizardMode::CopyFolder);
    EXPECT_EQ(INST_FRM->CopySource, "D:\\PROGRAMY");
    EXPECT_EQ(INST_FRM->DED->Text(), W("C:\\VEMI - kopie programów\\Archiwum"));
    Select(3);
    Press(2);
    EXPECT_EQ(INST_FRM->Mode, WizardMode::UnpackForSetup);
    EXPECT_EQ(INST_FRM->SetupFile, "setup.exe");
    EXPECT_EQ(INST_FRM->DED->Text(), "C:\\Wersje_instalacyjne\\Instalator");
    // A setup file outside an archive runs from the disc; the name becomes a folder name.
    Select(6);
    Press(2);
    ASSERT_EQ(sys_->ShellRequests().size(), 2u);
    EXPECT_EQ(sys_->ShellRequests()[1].file, Host("D:\\PROGRAMY\\" + App().workCatalogue.GetField(6, 0) + "\\setup.sh"));
    Back();
    Press(4);
    EXPECT_EQ(INST_FRM->ProgramFolderName, W("Nazwa_ _cudzysłów_ _ _ukośnik_"));
    EXPECT_EQ(wizard.ModalRuns(), 4);
}

TEST_F(ActionTest, InstallAndCopyFromTheMenuGoThroughTheWizardToTheHardDisk) {
    {
        tool::ZipWriter z(disc_ + "/PROGRAMY/ARCH.ZIP");
        z.Add("arch.exe", std::string("MZ archiwum"));
        z.Add("dane/plik.txt", std::string("dane"));
        z.Finish();
    }
    platform::HeadlessWindow& wizard = static_cast<platform::HeadlessWindow&>(INST_FRM->Window());
    int pagesSeen = 0;
    sys_->onModal = [&](platform::HeadlessWindow& w) {
        if (&w != &wizard) return;
        // While the wizard is open the menu takes no input.
        sys_->Click(Main(), R(7).x + 5, R(7).y + 5);
        EXPECT_TRUE(Main().Visible());
        // Enter through the pages, OK at the end.
        for (int i = 0; i < 5 && INST_FRM->VisiblePage() != INST_FRM->CPN5; ++i, ++pagesSeen)
            sys_->KeyDown(wizard, platform::kVkReturn);
        sys_->Press(*INST_FRM->EXIT_BTN);
    };
    Select(2);
    Press(2);
    EXPECT_EQ(pagesSeen, 3);
    EXPECT_FALSE(wizard.Visible());
    const std::string home = tmp_->path() + "/home";
    EXPECT_EQ(testsupport::ReadFile(home + "/VEMI-12-2007/Archiwum/arch.exe"),
              std::vector<uint8_t>({'M', 'Z', ' ', 'a', 'r', 'c', 'h', 'i', 'w', 'u', 'm'}));
    EXPECT_TRUE(std::filesystem::exists(desk_->CommonApplications() + "/VEMI-12-2007/Archiwum" + testsupport::kShortcutExtension));
    ASSERT_EQ(sys_->ShellRequests().size(), 1u);
    EXPECT_EQ(sys_->ShellRequests()[0].file, home + "/VEMI-12-2007/Archiwum/arch.exe");
    EXPECT_TRUE(Main().Visible());
    EXPECT_EQ(sys_->MinimizeCount(), 0);

    // The copy button copies the folder that holds the archive.
    sys_->onModal = [&](platform::HeadlessWindow& w) {
        if (&w != &wizard) return;
        sys_->KeyDown(wizard, platform::kVkReturn);
        EXPECT_EQ(INST_FRM->VisiblePage(), INST_FRM->CPN7);
        sys_->Press(*INST_FRM->EXIT3_BTN);
    };
    Press(4);
    EXPECT_EQ(testsupport::ReadFile(home + "/" + platform::Cp1250ToUtf8(W("VEMI - kopie programów")) + "/Archiwum/ARCH.ZIP"),
              testsupport::ReadFile(disc_ + "/PROGRAMY/ARCH.ZIP"));
    EXPECT_TRUE(sys_->Messages().empty());
}

TEST_F(ActionTest, MakeFolderNameGivesOnePlainNameInsideTheFolderAbove) {
    const std::string polish = W("Zażółć <gęślą> jaźń?*");
    const std::pair<std::string, std::string> cases[] = {
        {"a/b\\c|d:e\"f'g", "a_b_c_d_e_f_g"},  // the six characters, one for one
        {polish, polish},                       // everything else stays
        {"..", "Program"},                      // never the folder above, nor this one
        {".", "Program"},
        {"", "Program"},
        {" . . ", "Program"},
        {"../..", ".._"},                       // separators gone, the dots Windows drops too
        {"Gra 2.0...", "Gra 2.0"},              // trailing dots and blanks: Windows drops them
        {"Gra  ", "Gra"},
        {" Gra", " Gra"},
        {"...Gra", "...Gra"},
    };
    for (const auto& [name, folder] : cases) EXPECT_EQ(TMN_FRM::MakeFolderName(name), folder) << name;
}

TEST_F(ActionTest, AProgramNamedDotDotInstallsIntoAFolderOfItsOwn) {
    const std::string home = tmp_->path() + "/home";
    testsupport::WriteFile(home + "/.bashrc", std::string("moje ustawienia"));
    {
        tool::ZipWriter z(disc_ + "/PROGRAMY/KROPKI.ZIP");
        z.Add("gra.exe", std::string("MZ gra"));
        z.Add(".bashrc", std::string("obce ustawienia"));
        z.Finish();
    }
    platform::HeadlessWindow& wizard = static_cast<platform::HeadlessWindow&>(INST_FRM->Window());
    sys_->onModal = [&](platform::HeadlessWindow& w) {
        if (&w != &wizard) return;
        EXPECT_EQ(INST_FRM->DED->Text(), "C:\\VEMI-12-2007\\Program");
        for (int i = 0; i < 3; ++i) sys_->KeyDown(wizard, platform::kVkReturn);
        EXPECT_EQ(INST_FRM->VisiblePage(), INST_FRM->CPN5);
        INST_FRM->RUN_NOW_CB->SetChecked(false);
        sys_->Press(*INST_FRM->EXIT_BTN);
    };
    Select(7);
    Press(2);
    auto text = [](const std::string& host) {
        std::vector<uint8_t> b = testsupport::ReadFile(host);
        return std::string(b.begin(), b.end());
    };
    EXPECT_EQ(text(home + "/.bashrc"), "moje ustawienia");
    EXPECT_EQ(text(home + "/VEMI-12-2007/Program/.bashrc"), "obce ustawienia");
    const std::string group = desk_->CommonApplications() + "/VEMI-12-2007";
    EXPECT_TRUE(std::filesystem::exists(group + "/Program" + testsupport::kShortcutExtension));
    for (const auto& e : std::filesystem::directory_iterator(group))
        EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
    EXPECT_TRUE(sys_->Messages().empty());
}

TEST_F(ActionTest, FixedLinksAndTheMinimiseButton) {
    const char* expected[] = {"http://www.wydawnictwo-vemi.pl", "mailto:redakcja@vemi-magazyn.pl",
                              "http://www.vemi-magazyn.pl", "http://www.vemi-magazyn.pl/ftp"};
    for (int id = 21; id <= 24; ++id) {
        Press(id);
        ASSERT_EQ(sys_->ShellRequests().size(), static_cast<size_t>(id - 20));
        EXPECT_EQ(sys_->ShellRequests().back().file, expected[id - 21]);
        Back();
    }
    EXPECT_EQ(sys_->MinimizeCount(), 4);
    EXPECT_TRUE(Frm().inputReady);
    Press(6);
    EXPECT_EQ(sys_->MinimizeCount(), 5);
    EXPECT_FALSE(Frm().inputReady);
}

TEST_F(ActionTest, TheLinkLineActsOnlyOnItsText) {
    Select(1);
    const int w = Frm().linkWidth;
    ClickAt(759 + w + 1, 652 + 5);
    EXPECT_TRUE(sys_->ShellRequests().empty());
    ClickAt(759 + w, 652 + 5);
    ASSERT_EQ(sys_->ShellRequests().size(), 1u);
    EXPECT_EQ(sys_->ShellRequests()[0].file, "http://www.malarz.example.pl");
}

TEST_F(ActionTest, TheScreenshotOpensTheWebAddressBelow305AndTheViewerAbove) {
    Select(1);
    ClickAt(800, 320);
    ASSERT_EQ(sys_->ShellRequests().size(), 1u);
    EXPECT_EQ(sys_->ShellRequests()[0].file, "http://malarz.example.pl");
    sys_->RestoreApp();

    std::vector<std::pair<int, int>> shown;  // where each picture's colour was found
    std::vector<Rgb> colours;
    sys_->onModal = [&](platform::HeadlessWindow& w) {
        auto look = [&] {
            colours.push_back(w.Canvas().Pixel(w.Width() / 2, w.Height() / 2));
            shown.push_back({w.Width(), w.Height()});
        };
        look();
        // 800 x 600 on 1024 x 768 sits at (112, 84) on black.
        EXPECT_EQ(w.Canvas().Pixel(111, 84), (Rgb{0, 0, 0}));
        EXPECT_GT(w.Canvas().Pixel(112, 84).r, 150);
        EXPECT_TRUE(w.StayOnTop());
        EXPECT_TRUE(w.FullScreen());
        sys_->Click(w, 10, 10);  // second picture is missing: the first stays
        look();
        sys_->Click(w, 10, 10);  // third: 1600 x 1200 from the corner
        look();
        EXPECT_GT(w.Canvas().Pixel(0, 0).b, 150);
        sys_->Click(w, 10, 10);  // the last click closes
        EXPECT_FALSE(w.Visible());
    };
    ClickAt(800, 200);
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_EQ(shown[0], (std::pair{1024, 768}));
    EXPECT_GT(colours[0].r, 150);
    EXPECT_GT(colours[1].r, 150);
    EXPECT_GT(colours[2].b, 150);
    EXPECT_EQ(sys_->ShellRequests().size(), 1u);
}

TEST_F(ActionTest, TheGenericScreenshotOpensTheLargeGenericPicture) {
    Select(4);  // no pictures: the disc's generic preview is shown
    ASSERT_TRUE(Frm().defaultScreenshotShown);
    int modal = 0;
    sys_->onModal = [&](platform::HeadlessWindow& w) {
        ++modal;
        EXPECT_EQ(Frm().IMG_FRM->count, 1);
        EXPECT_EQ(Frm().IMG_FRM->folder, "D:\\CDINST\\PRG\\");
        sys_->KeyDown(w, platform::kVkEscape);  // the keyboard way out
        EXPECT_FALSE(w.Visible());
    };
    ClickAt(800, 200);
    EXPECT_EQ(modal, 1);
    EXPECT_EQ(App().current.pictures[0], "RLARGE.JPG");
}

TEST_F(ActionTest, LeavingStartsTheExitProgramAndClosesTheWindow) {
    testsupport::WriteFile(disc_ + "/Outro.exe", std::string("#!/bin/sh\n"));
    Press(7);
    ASSERT_EQ(sys_->ShellRequests().size(), 1u);
    EXPECT_EQ(sys_->ShellRequests()[0].file, disc_ + "/Outro.exe");
    EXPECT_EQ(sys_->ShellRequests()[0].dir, disc_);
    EXPECT_TRUE(sys_->Terminated());
    EXPECT_FALSE(Main().Visible());
}

TEST_F(ActionTest, LeavingWithoutAnExitProgramJustCloses) {
    Press(7);
    EXPECT_TRUE(sys_->ShellRequests().empty());
    EXPECT_TRUE(sys_->Terminated());
}

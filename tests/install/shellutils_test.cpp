#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "install/Jxshellutils.h"
#include "platform/filecopy.h"
#include "platform/headless/headless.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using platform::HeadlessSystem;
using platform::HeadlessWindow;
using testsupport::ScopedEnv;

namespace {

std::string W(const std::string& utf8) { return platform::Utf8ToCp1250(utf8); }

std::string ReadText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// A Windows path for a host path below a drive's folder.
std::string WinPath(const std::string& drive, const std::string& rest) {
    std::string s = drive;
    for (char c : W(rest)) s += c == '/' ? '\\' : c;
    return s;
}

void MakeProgram(const std::string& path) {
    testsupport::WriteFile(path, "#!/bin/sh\nexit 0\n");
    chmod(path.c_str(), 0755);
}

struct timespec MTime(const std::string& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st.st_mtim;
}

void SetMTime(const std::string& path, time_t sec, long nsec) {
    struct timespec t[2] = {{sec, nsec}, {sec, nsec}};
    utimensat(AT_FDCWD, path.c_str(), t, AT_SYMLINK_NOFOLLOW);
}

bool Writable(const std::string& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st.st_mode & S_IWUSR;
}

// Names of files left half-written anywhere below a folder.
std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> out;
    for (auto& p : fs::recursive_directory_iterator(folder))
        if (p.path().filename().string().rfind(".vemi-", 0) == 0) out.push_back(p.path().string());
    return out;
}

// The home folder is drive C: and the desktop's folders live in it; the all-users
// ones are redirected into the test's own folder. D: holds the source of copies.
class ShellUtils : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = tmp_ / "home";
        common_ = tmp_ / "common";
        disc_ = tmp_ / "disc";
        fs::create_directories(home_);
        fs::create_directories(disc_);
        env_.push_back(std::make_unique<ScopedEnv>("XDG_DATA_HOME", (home_ + "/.local/share").c_str()));
        env_.push_back(std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", (home_ + "/.config").c_str()));
        env_.push_back(std::make_unique<ScopedEnv>("VEMI_COMMON_PROGRAMS", (common_ + "/share/applications").c_str()));
        env_.push_back(std::make_unique<ScopedEnv>("VEMI_COMMON_MENUS", (common_ + "/xdg/menus/applications-merged").c_str()));
        platform::Drives().Map('C', home_);
        platform::Drives().Map('D', disc_);
        platform::Drives().Map('Z', "/");
        platform::SetSystem(&sys_);
    }
    void TearDown() override {
        platform::SetSystem(nullptr);
        for (char d : {'C', 'D', 'Z'}) platform::Drives().Unmap(d);
        env_.clear();
    }

    std::string UserApps() const { return home_ + "/.local/share/applications"; }
    std::string CommonApps() const { return common_ + "/share/applications"; }

    // Runs the copy the way the wizard does: from inside its own modal window.
    int Copy(const std::string& source, const std::string& dest) {
        platform::WindowStyle style;
        style.borderless = false;
        style.dialog = true;
        style.title = W("VEMI CD/DVD Instalator");
        auto wizard = sys_.CreateWindow(style);
        wizard_ = static_cast<HeadlessWindow*>(wizard.get());
        int result = -1;
        sys_.onModal = [&](HeadlessWindow& w) {
            result = ShellCopyFolder(&w, source, dest);
            afterCopyWizardTakesInput_ = sys_.TakesInput(w);
            w.Close();
        };
        wizard->ShowModal();
        sys_.onModal = nullptr;
        wizard_ = nullptr;
        return result;
    }

    HeadlessWindow* Progress() const {
        for (HeadlessWindow* w : sys_.Windows())
            if (w->Title() == "Kopiowanie...") return w;
        return nullptr;
    }

    testsupport::TempDir tmp_;
    std::string home_, common_, disc_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
    HeadlessSystem sys_;
    HeadlessWindow* wizard_ = nullptr;
    bool afterCopyWizardTakesInput_ = false;
};

}  // namespace

TEST_F(ShellUtils, ProgramsFoldersAreWindowsPathsThroughTheDriveTable) {
    EXPECT_EQ(UserProgramsFolder(), "C:\\.local\\share\\applications");
    EXPECT_EQ(CommonProgramsFolder(), WinPath("Z:", CommonApps()));
    // A home folder that Windows-1250 cannot spell gives no folder rather than a
    // "?" path that leads elsewhere.
    ScopedEnv data("XDG_DATA_HOME", (tmp_ / "日本").c_str());
    platform::Drives().Map('C', tmp_.path());
    EXPECT_EQ(UserProgramsFolder(), "");
    std::vector<std::string> list;
    EXPECT_EQ(ListUserGroups(list), 0);
    EXPECT_FALSE(CreateShortcut("C:\\x.txt", "Gry", "Gra", false));
    {
        ScopedEnv noData("XDG_DATA_HOME", nullptr), noHome("HOME", nullptr);
        EXPECT_EQ(UserProgramsFolder(), "");
    }
    // Outside every mapped drive there is no Windows path at all.
    platform::Drives().Map('C', home_);
    platform::Drives().Unmap('Z');
    EXPECT_EQ(CommonProgramsFolder(), "");
    EXPECT_EQ(ListCommonGroups(list), 0);
    EXPECT_TRUE(list.empty());
}

TEST_F(ShellUtils, GroupListingsNameFoldersOnlyInTheFileSystemsOrder) {
    for (const char* d : {"Gry", ".ukryty", "Łódź i okolice", "日本", "~tylda", " spacja", "Inne.desktop"})
        fs::create_directories(UserApps() + "/" + d);
    testsupport::WriteFile(UserApps() + "/plik.txt", "x");
    testsupport::WriteFile(UserApps() + "/Gra.desktop", "x");
    fs::create_directory_symlink(UserApps() + "/Gry", UserApps() + "/Skrót do Gry");
    fs::create_directory_symlink(tmp_ / "brak", UserApps() + "/zerwany");
    chmod((UserApps() + "/~tylda").c_str(), 0500);  // a read-only folder is still a group

    const std::set<std::string> wanted = {"Gry", W("Łódź i okolice"), "~tylda", " spacja", "Inne.desktop", W("Skrót do Gry")};
    std::vector<std::string> expected;
    for (auto& p : fs::directory_iterator(UserApps()))
        if (wanted.count(W(p.path().filename().string()))) expected.push_back(W(p.path().filename().string()));
    ASSERT_EQ(expected.size(), wanted.size());

    std::vector<std::string> list = {W("już była")};
    EXPECT_EQ(ListUserGroups(list), 6);
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[0], W("już była"));
    EXPECT_EQ(std::vector<std::string>(list.begin() + 1, list.end()), expected);

    // The all-users folder does not exist yet; then it does, with one group.
    EXPECT_EQ(ListCommonGroups(list), 0);
    fs::create_directories(CommonApps() + "/Wspólne");
    EXPECT_EQ(ListCommonGroups(list), 1);
    EXPECT_EQ(list.back(), W("Wspólne"));
    chmod((UserApps() + "/~tylda").c_str(), 0700);
}

TEST_F(ShellUtils, ShortcutsForEachKindOfTargetAreValidMenuEntriesOfTheGroup) {
    fs::create_directories(home_ + "/Gry/Saper");
    testsupport::WriteFile(home_ + "/Gry/Saper/saper.exe", "MZ");
    MakeProgram(home_ + "/Gry/Saper/uruchom");
    testsupport::WriteFile(home_ + "/Gry/Saper/czytaj.txt", "x");
    const std::string group = W("VEMI-12 2007 Łamigłówki");

    struct Case {
        std::string target, name;
        std::vector<std::string> exec;
        std::string path;
    };
    const std::string saper = home_ + "/Gry/Saper";
    const std::vector<Case> cases = {
        {"C:\\Gry\\Saper\\saper.exe", W("Saper (Windows)"), {"wine", saper + "/saper.exe"}, saper},
        {"C:\\Gry\\Saper\\uruchom", W("Saper (Linux)"), {saper + "/uruchom"}, saper},
        {"C:\\Gry\\Saper\\czytaj.txt", W("Przeczytaj mnie"), {"xdg-open", saper + "/czytaj.txt"}, saper},
        {"C:\\Gry\\Saper", W("Folder gry"), {"xdg-open", saper}, home_ + "/Gry"},
    };
    const std::string groupFolder = UserApps() + "/VEMI-12 2007 Łamigłówki";
    const std::string menuFile = home_ + "/.config/menus/applications-merged/vemi-VEMI-12 2007 Łamigłówki.menu";
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.target);
        ASSERT_TRUE(CreateShortcut(c.target, group, c.name, false));
        std::string entry = groupFolder + "/" + platform::Cp1250ToUtf8(c.name) + ".desktop";
        EXPECT_EQ(testsupport::DesktopFileErrors(entry), "");
        auto e = testsupport::ReadDesktopEntry(entry);
        EXPECT_EQ(e["Name"], platform::Cp1250ToUtf8(c.name));
        EXPECT_EQ(e["Path"], c.path);
        EXPECT_EQ(testsupport::SplitExec(e["Exec"]), c.exec);
        // Every shortcut made so far is still in the group's menu.
        std::string menu = ReadText(menuFile);
        for (size_t j = 0; j <= i; ++j)
            EXPECT_NE(menu.find("<Filename>VEMI-12 2007 Łamigłówki-" + platform::Cp1250ToUtf8(cases[j].name) + ".desktop</Filename>"),
                      std::string::npos)
                << menu;
    }
    std::string directory = home_ + "/.local/share/desktop-directories/vemi-VEMI-12 2007 Łamigłówki.directory";
    EXPECT_EQ(testsupport::DesktopFileErrors(directory), "");
    EXPECT_EQ(testsupport::ReadDesktopEntry(directory)["Name"], "VEMI-12 2007 Łamigłówki");
    EXPECT_NE(ReadText(menuFile).find("<Directory>vemi-VEMI-12 2007 Łamigłówki.directory</Directory>"), std::string::npos);

    // The listing sees the new group under the name it was given.
    std::vector<std::string> list;
    ListUserGroups(list);
    EXPECT_EQ(list, std::vector<std::string>{group});
    // A group typed in another letter case is the same folder, as on the disc's system.
    ASSERT_TRUE(CreateShortcut("C:\\Gry\\Saper", W("vemi-12 2007 łamigłówki"), "Jeszcze raz", false));
    EXPECT_TRUE(fs::exists(groupFolder + "/Jeszcze raz.desktop"));
    EXPECT_EQ(std::distance(fs::directory_iterator(UserApps()), fs::directory_iterator()), 1);
}

TEST_F(ShellUtils, TheAllUsersFlagChoosesTheFolderAndTheMenus) {
    fs::create_directories(home_ + "/Gra");
    testsupport::WriteFile(home_ + "/Gra/gra.exe", "MZ");
    ASSERT_TRUE(CreateShortcut("C:\\Gra\\gra.exe", W("Wspólna"), "Gra", true));
    EXPECT_TRUE(fs::exists(CommonApps() + "/Wspólna/Gra.desktop"));
    EXPECT_TRUE(fs::exists(common_ + "/share/desktop-directories/vemi-Wspólna.directory"));
    EXPECT_TRUE(fs::exists(common_ + "/xdg/menus/applications-merged/vemi-Wspólna.menu"));
    EXPECT_FALSE(fs::exists(home_ + "/.local"));
    EXPECT_FALSE(fs::exists(home_ + "/.config"));

    ASSERT_TRUE(CreateShortcut("C:\\Gra\\gra.exe", W("Własna"), "Gra", false));
    EXPECT_TRUE(fs::exists(UserApps() + "/Własna/Gra.desktop"));
    EXPECT_TRUE(fs::exists(home_ + "/.config/menus/applications-merged/vemi-Własna.menu"));
    EXPECT_FALSE(fs::exists(CommonApps() + "/Własna"));

    // Without a group the shortcut sits in the "Programs" folder itself.
    ASSERT_TRUE(CreateShortcut("C:\\Gra\\gra.exe", "", "Bez grupy", false));
    EXPECT_EQ(testsupport::DesktopFileErrors(UserApps() + "/Bez grupy.desktop"), "");

    // The group folder may stay when the entry cannot be saved: here a folder
    // stands where the entry's file would go.
    fs::create_directories(CommonApps() + "/Zajęta/Gra.desktop");
    EXPECT_FALSE(CreateShortcut("C:\\Gra\\gra.exe", W("Zajęta"), "Gra", true));
}

TEST_F(ShellUtils, ShortcutsNeverLeaveTheProgramsFolder) {
    testsupport::WriteFile(home_ + "/gra.txt", "x");
    for (const std::string& group : {std::string(".."), std::string("."), std::string("a\\b"), std::string("a/b"),
                                     std::string("..\\..\\..")}) {
        SCOPED_TRACE(group);
        EXPECT_FALSE(CreateShortcut("C:\\gra.txt", group, "Gra", false));
    }
    EXPECT_FALSE(CreateShortcut("C:\\gra.txt", "Gry", "", false));
    EXPECT_FALSE(CreateShortcut("C:\\gra.txt", "Gry", "..\\Gra", false));
    EXPECT_FALSE(CreateShortcut("", "Gry", "Gra", false));
    EXPECT_FALSE(CreateShortcut("Q:\\gra.txt", "Gry", "Gra", false));
    // Nothing anywhere but, at most, the empty "Programs" folder.
    for (auto& p : fs::recursive_directory_iterator(home_))
        EXPECT_TRUE(p.path() == home_ + "/gra.txt" || fs::is_directory(p.path())) << p.path();
    EXPECT_FALSE(fs::exists(home_ + "/.config"));
}

TEST_F(ShellUtils, TargetsWithQuotesDollarsPercentsAndPolishLettersSurvive) {
    const std::string folder = home_ + "/Gra 'x' \"y\" $HOME %d `ls` ; łódź & co";
    fs::create_directories(folder);
    testsupport::WriteFile(folder + "/gra.exe", "MZ");
    MakeProgram(folder + "/start");
    const std::string winFolder = WinPath("C:", "/Gra 'x' \"y\" $HOME %d `ls` ; łódź & co");
    ASSERT_TRUE(CreateShortcut(winFolder + "\\gra.exe", "Gry", W("Gra $1 100% łódź"), false));
    ASSERT_TRUE(CreateShortcut(winFolder + "\\start", "Gry", "Start", false));

    auto e = testsupport::ReadDesktopEntry(UserApps() + "/Gry/Gra $1 100% łódź.desktop");
    EXPECT_EQ(testsupport::DesktopFileErrors(UserApps() + "/Gry/Gra $1 100% łódź.desktop"), "");
    EXPECT_EQ(e["Name"], "Gra $1 100% łódź");
    EXPECT_EQ(e["Path"], folder);
    EXPECT_EQ(testsupport::SplitExec(e["Exec"]), (std::vector<std::string>{"wine", folder + "/gra.exe"}));
    e = testsupport::ReadDesktopEntry(UserApps() + "/Gry/Start.desktop");
    EXPECT_EQ(testsupport::DesktopFileErrors(UserApps() + "/Gry/Start.desktop"), "");
    EXPECT_EQ(testsupport::SplitExec(e["Exec"]), (std::vector<std::string>{"sh", "-c", "exec \"$0\"", folder + "/start"}));
}

TEST_F(ShellUtils, StartingGoesThroughTheShellWithHostPaths) {
    fs::create_directories(home_ + "/Gry/Łódź");
    StartWithFolder(W("C:\\gry\\łódź\\gra.exe"), W("C:\\GRY\\ŁÓDŹ"));
    StartFile("C:\\Gry");
    sys_.SetShellResult([](const platform::RecordedShell&) { return 2; });
    StartFile("C:\\Gry\\brak.txt");  // the failure goes unreported
    StartFile("Q:\\nigdzie.txt");     // on no drive: nothing is asked of the shell
    const auto& r = sys_.ShellRequests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].file, home_ + "/Gry/Łódź/gra.exe");
    EXPECT_EQ(r[0].dir, home_ + "/Gry/Łódź");
    EXPECT_EQ(r[1].file, home_ + "/Gry");
    EXPECT_EQ(r[1].dir, "");
    EXPECT_EQ(r[2].file, home_ + "/Gry/brak.txt");
    EXPECT_TRUE(sys_.Messages().empty());
}

TEST_F(ShellUtils, CopyBringsTheTreeWithTimesAndReadOnlyStateButNothingFromOutside) {
    const std::string src = disc_ + "/Program";
    fs::create_directories(src + "/Dane/Głęboko");
    fs::create_directories(src + "/Pusty");
    fs::create_directories(src + "/Tylko");
    testsupport::WriteFile(src + "/czytaj.txt", "czytaj mnie");
    testsupport::WriteFile(src + "/Dane/dane.bin", std::string(600 * 1024, 'd'));
    testsupport::WriteFile(src + "/Dane/Głęboko/łódź ż.txt", "zażółć");
    testsupport::WriteFile(src + "/Tylko/odczyt.txt", "tylko do odczytu");
    testsupport::WriteFile(src + "/ro.txt", "ro");
    // What lies outside the source must never arrive, whatever points at it.
    fs::create_directories(tmp_ / "tajne");
    testsupport::WriteFile(tmp_ / "tajne/tajne.txt", "TAJNE");
    fs::create_symlink(tmp_ / "tajne/tajne.txt", src + "/na zewnątrz.txt");
    fs::create_directory_symlink(tmp_ / "tajne", src + "/folder na zewnątrz");
    fs::create_symlink("../../tajne/tajne.txt", src + "/względny.txt");
    fs::create_symlink("czytaj.txt", src + "/kopia czytaj.txt");  // inside: arrives as a file
    fs::create_directory_symlink("Dane", src + "/Dane2");           // a folder link: left out
    fs::create_directory_symlink(".", src + "/pętla");
    fs::create_symlink("brak.txt", src + "/zerwany.txt");
    ASSERT_EQ(mkfifo((src + "/kolejka").c_str(), 0644), 0);
    SetMTime(src + "/czytaj.txt", 1196500000, 123456789);
    SetMTime(src + "/Dane/Głęboko", 1196400000, 5000);
    chmod((src + "/ro.txt").c_str(), 0444);
    chmod((src + "/Tylko/odczyt.txt").c_str(), 0444);
    chmod((src + "/Tylko").c_str(), 0555);

    bool checkedWindow = false;
    sys_.onProcessMessages = [&] {
        HeadlessWindow* p = Progress();
        if (!p || checkedWindow) return;
        checkedWindow = true;
        EXPECT_TRUE(p->Dialog());
        EXPECT_TRUE(p->StayOnTop());
        EXPECT_FALSE(p->Borderless());
        EXPECT_TRUE(p->Visible());
        // It takes the input; the wizard waits behind it.
        EXPECT_TRUE(sys_.TakesInput(*p));
        EXPECT_FALSE(sys_.TakesInput(*wizard_));
        ASSERT_NE(p->FindControl("CANCEL_BTN"), nullptr);
        EXPECT_EQ(p->FindControl("CANCEL_BTN")->Text(), "Anuluj");
        EXPECT_NE(p->FindControl("FILE_LAB"), nullptr);
        EXPECT_EQ(p->FindControl("PB")->Kind(), platform::ControlKind::ProgressBar);
    };
    EXPECT_EQ(Copy("D:\\Program", "C:\\Kopie\\Program"), 0);
    EXPECT_TRUE(checkedWindow);
    EXPECT_EQ(Progress(), nullptr);
    EXPECT_TRUE(afterCopyWizardTakesInput_);
    for (const auto& m : sys_.Messages()) ADD_FAILURE() << platform::Cp1250ToUtf8(m.text);

    const std::string dst = home_ + "/Kopie/Program";
    EXPECT_EQ(ReadText(dst + "/czytaj.txt"), "czytaj mnie");
    EXPECT_TRUE(ReadText(dst + "/Dane/dane.bin") == std::string(600 * 1024, 'd'));
    EXPECT_EQ(ReadText(dst + "/Dane/Głęboko/łódź ż.txt"), "zażółć");
    EXPECT_EQ(ReadText(dst + "/Tylko/odczyt.txt"), "tylko do odczytu");
    EXPECT_TRUE(fs::is_directory(dst + "/Pusty"));
    EXPECT_EQ(ReadText(dst + "/kopia czytaj.txt"), "czytaj mnie");
    EXPECT_FALSE(fs::is_symlink(dst + "/kopia czytaj.txt"));
    for (const char* gone : {"na zewnątrz.txt", "folder na zewnątrz", "względny.txt", "Dane2", "pętla", "zerwany.txt", "kolejka"})
        EXPECT_FALSE(fs::exists(fs::symlink_status(dst + "/" + gone))) << gone;
    for (auto& p : fs::recursive_directory_iterator(dst)) {
        EXPECT_FALSE(fs::is_symlink(p.symlink_status())) << p.path();
        if (p.is_regular_file()) {
            EXPECT_NE(ReadText(p.path()), "TAJNE") << p.path();
        }
    }
    // Read-only files and folders arrive read-only; the others stay writable.
    EXPECT_FALSE(Writable(dst + "/ro.txt"));
    EXPECT_FALSE(Writable(dst + "/Tylko"));
    EXPECT_FALSE(Writable(dst + "/Tylko/odczyt.txt"));
    EXPECT_TRUE(Writable(dst + "/czytaj.txt"));
    EXPECT_TRUE(Writable(dst + "/Dane"));
    EXPECT_EQ(MTime(dst + "/czytaj.txt").tv_sec, 1196500000);
    EXPECT_EQ(MTime(dst + "/czytaj.txt").tv_nsec, 123456789);
    EXPECT_EQ(MTime(dst + "/Dane/Głęboko").tv_sec, 1196400000);
    EXPECT_TRUE(Leftovers(dst).empty());
    chmod((src + "/Tylko").c_str(), 0755);
}

TEST_F(ShellUtils, ReplacingAsksAndFollowsEachAnswer) {
    const std::string src = disc_ + "/P", dst = home_ + "/Cel";
    fs::create_directories(src);
    fs::create_directories(dst);
    // Sizes chosen for the Polish forms of "byte": 1 bajt, 2 and 22 bajty, 12 bajtów.
    testsupport::WriteFile(src + "/a.txt", "AA");
    testsupport::WriteFile(src + "/b.txt", std::string(22, 'B'));
    testsupport::WriteFile(src + "/c.txt", "nowe c");
    testsupport::WriteFile(src + "/d.txt", "nowe d");
    testsupport::WriteFile(src + "/e.txt", "nowe e");
    testsupport::WriteFile(dst + "/a.txt", "a");
    testsupport::WriteFile(dst + "/b.txt", std::string(12, 'b'));
    testsupport::WriteFile(dst + "/c.txt", "stare c");
    testsupport::WriteFile(dst + "/d.txt", "stare d");
    chmod((dst + "/c.txt").c_str(), 0444);  // a read-only file in the way is replaced too
    fs::create_symlink(tmp_ / "obcy.txt", dst + "/d.txt.lnk");
    testsupport::WriteFile(tmp_ / "obcy.txt", "obcy");

    // Read-only folders in the way take the files and stay read-only.
    fs::create_directories(src + "/Sub");
    testsupport::WriteFile(src + "/Sub/nowy.txt", "nowy");
    fs::create_directories(dst + "/Sub");
    chmod((dst + "/Sub").c_str(), 0555);
    chmod(dst.c_str(), 0555);

    sys_.ScriptAnswers({platform::kIdYes, platform::kIdNo, platform::kIdYesAll});
    EXPECT_EQ(Copy("D:\\P", "C:\\Cel"), 0);
    EXPECT_FALSE(Writable(dst));
    EXPECT_FALSE(Writable(dst + "/Sub"));
    EXPECT_EQ(ReadText(dst + "/Sub/nowy.txt"), "nowy");
    chmod(dst.c_str(), 0755);
    EXPECT_EQ(ReadText(dst + "/a.txt"), "AA");
    EXPECT_EQ(ReadText(dst + "/b.txt"), std::string(12, 'b'));
    EXPECT_EQ(ReadText(dst + "/c.txt"), "nowe c");
    EXPECT_EQ(ReadText(dst + "/d.txt"), "nowe d");  // after "Tak na wszystkie": not asked
    EXPECT_EQ(ReadText(dst + "/e.txt"), "nowe e");
    EXPECT_EQ(ReadText(tmp_ / "obcy.txt"), "obcy");
    EXPECT_TRUE(Leftovers(dst).empty());

    const auto& m = sys_.Messages();
    ASSERT_EQ(m.size(), 3u);
    for (const auto& q : m) {
        EXPECT_EQ(q.kind, platform::MsgKind::Question);
        EXPECT_EQ(q.buttons, platform::MsgButtons::YesAllNoCancel);
        EXPECT_EQ(q.caption, W("Potwierdzanie zamiany pliku"));
    }
    EXPECT_EQ(m[0].text.rfind(W("Ten folder zawiera już plik o nazwie \"a.txt\".\n\nCzy chcesz zastąpić istniejący plik\n    1 bajt, zmodyfikowany "), 0), 0u)
        << m[0].text;
    EXPECT_NE(m[0].text.find(W("\nplikiem kopiowanym?\n    2 bajty, zmodyfikowany ")), std::string::npos) << m[0].text;
    EXPECT_NE(m[1].text.find(W("\"b.txt\"")), std::string::npos);
    EXPECT_NE(m[1].text.find(W("    12 bajtów, zmodyfikowany ")), std::string::npos);
    EXPECT_NE(m[1].text.find(W("    22 bajty, zmodyfikowany ")), std::string::npos);
    EXPECT_NE(m[2].text.find(W("\"c.txt\"")), std::string::npos);
}

TEST_F(ShellUtils, CancelInTheQuestionStopsTheCopyWithEarlierFilesKept) {
    const std::string src = disc_ + "/P", dst = home_ + "/Cel";
    for (const char* f : {"a.txt", "b.txt", "c.txt"}) testsupport::WriteFile(src + "/" + f, std::string("nowe ") + f);
    testsupport::WriteFile(dst + "/b.txt", "stare");
    sys_.ScriptAnswers({platform::kIdCancel});
    EXPECT_EQ(Copy("D:\\P", "C:\\Cel"), platform::kCopyCancelled);
    EXPECT_EQ(ReadText(dst + "/a.txt"), "nowe a.txt");
    EXPECT_EQ(ReadText(dst + "/b.txt"), "stare");
    EXPECT_FALSE(fs::exists(dst + "/c.txt"));
    EXPECT_EQ(sys_.Messages().size(), 1u);  // no error box after the user's own "Anuluj"
    EXPECT_TRUE(Leftovers(dst).empty());
}

TEST_F(ShellUtils, CancelInTheMiddleOfALargeFileRemovesOnlyThatFile) {
    const std::string src = disc_ + "/P", dst = home_ + "/Cel";
    testsupport::WriteFile(src + "/a.txt", "pierwszy");
    testsupport::WriteFile(src + "/b/wewnątrz.txt", "drugi");
    std::string big(3 * 1024 * 1024, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
    testsupport::WriteFile(src + "/big.bin", big);
    testsupport::WriteFile(src + "/z.txt", "ostatni");

    int pumpsInBig = 0;
    bool sawPartial = false;
    int position = -1;
    sys_.onProcessMessages = [&] {
        sys_.Advance(100);  // time goes on while the copy works
        HeadlessWindow* p = Progress();
        if (!p || p->FindControl("FILE_LAB")->Text() != "big.bin") return;
        if (++pumpsInBig < 4) return;
        // A part of the file is on the disk under a name of its own, the rest not yet.
        for (const std::string& f : Leftovers(dst)) {
            auto size = fs::file_size(f);
            sawPartial = sawPartial || (size > 0 && size < big.size());
        }
        position = p->FindControl("PB")->Position();
        EXPECT_TRUE(sys_.Press(*p->FindControl("CANCEL_BTN")));
    };
    EXPECT_EQ(Copy("D:\\P", "C:\\Cel"), platform::kCopyCancelled);
    EXPECT_TRUE(sawPartial);
    EXPECT_GT(position, 0);
    EXPECT_LT(position, 100);
    EXPECT_EQ(ReadText(dst + "/a.txt"), "pierwszy");
    EXPECT_EQ(ReadText(dst + "/b/wewnątrz.txt"), "drugi");
    EXPECT_FALSE(fs::exists(dst + "/big.bin"));
    EXPECT_FALSE(fs::exists(dst + "/z.txt"));
    EXPECT_TRUE(Leftovers(dst).empty());
    EXPECT_TRUE(sys_.Messages().empty());
    EXPECT_EQ(Progress(), nullptr);
}

TEST_F(ShellUtils, TheCloseBoxStopsTheCopyToo) {
    testsupport::WriteFile(disc_ + "/P/a.bin", std::string(2 * 1024 * 1024, 'a'));
    testsupport::WriteFile(disc_ + "/P/b.bin", "b");
    sys_.onProcessMessages = [&] {
        sys_.Advance(100);
        if (HeadlessWindow* p = Progress()) sys_.CloseBox(*p);
    };
    EXPECT_EQ(Copy("D:\\P", "C:\\Cel"), platform::kCopyCancelled);
    EXPECT_FALSE(fs::exists(home_ + "/Cel/b.bin"));
    EXPECT_TRUE(Leftovers(home_ + "/Cel").empty());
}

TEST_F(ShellUtils, TheCopyHandsOverMessagesByTimeNotByChunk) {
    testsupport::WriteFile(disc_ + "/P/duzy.bin", std::string(3 * 1024 * 1024, 'x'));
    for (int i = 0; i < 50; ++i) testsupport::WriteFile(disc_ + "/P/maly" + std::to_string(i), "m");
    // The clock stands still: only the first look at the loop.
    int pumps = 0;
    sys_.onProcessMessages = [&] { ++pumps; };
    EXPECT_EQ(Copy("D:\\P", "C:\\A"), 0);
    EXPECT_EQ(pumps, 1);
    // With 100 ms passing between visits, every chunk and file gets one.
    pumps = 0;
    sys_.onProcessMessages = [&] {
        ++pumps;
        sys_.Advance(100);
    };
    EXPECT_EQ(Copy("D:\\P", "C:\\B"), 0);
    EXPECT_GE(pumps, 12 + 50);
    EXPECT_EQ(ReadText(home_ + "/B/duzy.bin").size(), 3u * 1024 * 1024);
}

TEST_F(ShellUtils, ACopyThatCannotBeWrittenFailsWithAMessage) {
    testsupport::WriteFile(disc_ + "/P/Dane/a.txt", "a");
    testsupport::WriteFile(disc_ + "/P/b.txt", "b");
    testsupport::WriteFile(home_ + "/plik.txt", "x");
    EXPECT_NE(Copy("D:\\P", "C:\\plik.txt\\Kopia"), 0);
    ASSERT_EQ(sys_.Messages().size(), 1u);
    EXPECT_EQ(sys_.Messages()[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(sys_.Messages()[0].text, W("Nie można utworzyć folderu:\n\nC:\\plik.txt\\Kopia"));

    // A file where a folder should go, and a link that would lead the copy outside.
    sys_.ClearRecords();
    testsupport::WriteFile(home_ + "/Cel1/Dane", "plik, nie folder");
    EXPECT_EQ(Copy("D:\\P", "C:\\Cel1"), platform::kCopyFailed);
    EXPECT_EQ(sys_.Messages().at(0).text, W("Nie można utworzyć folderu:\n\nC:\\Cel1\\Dane"));
    fs::create_directories(home_ + "/Cel2");
    fs::create_directories(tmp_ / "obcy");
    fs::create_directory_symlink(tmp_ / "obcy", home_ + "/Cel2/Dane");
    EXPECT_EQ(Copy("D:\\P", "C:\\Cel2"), platform::kCopyFailed);
    EXPECT_TRUE(fs::is_empty(tmp_ / "obcy"));

    // A destination inside the source would copy itself for ever.
    sys_.ClearRecords();
    EXPECT_EQ(Copy("D:\\P", "D:\\P\\Dane\\Kopia"), platform::kCopyFailed);
    EXPECT_FALSE(fs::exists(disc_ + "/P/Dane/Kopia"));  // refused before anything was made
    EXPECT_EQ(sys_.Messages().size(), 1u);

    // A source that is not there.
    EXPECT_EQ(Copy("D:\\Brak", "C:\\Cel3"), platform::kCopyFailed);

    // A place where nobody may create anything, whoever runs the test.
    if (fs::is_directory("/proc/self")) {
        sys_.ClearRecords();
        EXPECT_EQ(Copy("D:\\P", "Z:\\proc\\vemi-kopia"), platform::kCopyFailed);
        EXPECT_EQ(sys_.Messages().size(), 1u);
    }
}

TEST_F(ShellUtils, PathsFarLongerThanTheOldLimitAndEmptySourcesCopy) {
    std::string rel;
    for (int i = 0; i < 8; ++i) rel += "/" + std::string(40, static_cast<char>('a' + i)) + " ąę";
    testsupport::WriteFile(disc_ + "/P" + rel + "/plik.txt", "głęboko");
    ASSERT_GT(rel.size(), 300u);
    EXPECT_EQ(Copy("D:\\P", "C:\\Cel"), 0);
    EXPECT_EQ(ReadText(home_ + "/Cel" + rel + "/plik.txt"), "głęboko");

    fs::create_directories(disc_ + "/Pusty");
    EXPECT_EQ(Copy("D:\\Pusty", "C:\\Pusty"), 0);
    EXPECT_TRUE(fs::is_empty(home_ + "/Pusty"));
    EXPECT_TRUE(sys_.Messages().empty());
}
